#include "lyrics/format/CaptureMessages.h"

QString CaptureMessages::openFailed()
{
    return QStringLiteral("ファイルのオープンに失敗しました。");
}

QString CaptureMessages::headerFailed()
{
    return QStringLiteral("ヘッダの書き込みに失敗しました。");
}

QString CaptureMessages::recordFailed()
{
    return QStringLiteral("ファイルへの書き込みに失敗しました。");
}
