#include "window/VersionInfo.h"

QString VersionInfo::caption()
{
    return QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報");
}

QString VersionInfo::text()
{
    return QStringLiteral("OndelPlayer Version " ONDEL_VERSION "\n"
                          "音楽CDのカラオケプレーヤー\n"
                          "歌詞の表示・編集・タイミング記録");
}
