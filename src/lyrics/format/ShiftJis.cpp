#include "lyrics/format/ShiftJis.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace {
// "Windows-31J" is code page 932 with its vendor extensions; plain
// "Shift_JIS" is the fallback where ICU lacks the alias.
const char* codecName()
{
    static const char* name = QStringDecoder("Windows-31J").isValid() ? "Windows-31J" : "Shift_JIS";
    return name;
}
} // namespace

QString ShiftJis::decode(QByteArrayView bytes)
{
    // The lyrics decode a piece each time they draw one, and opening the
    // converter costs more than decoding a line: each thread keeps one. It
    // keeps nothing from one text to the next.
    thread_local QStringDecoder decoder(codecName(), QStringConverter::Flag::Stateless);
    return decoder.isValid() ? decoder.decode(bytes) : QString::fromLatin1(bytes);
}

QByteArray ShiftJis::encode(QStringView text)
{
    QStringEncoder encoder(codecName());
    return encoder.isValid() ? QByteArray(encoder.encode(text)) : text.toLatin1();
}

bool ShiftJis::available()
{
    return QStringDecoder(codecName()).isValid();
}
