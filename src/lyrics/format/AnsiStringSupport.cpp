#include "lyrics/format/AnsiStringSupport.h"

#include "lyrics/format/ShiftJis.h"

void AnsiStringSupport::set(const QByteArray& text)
{
    m_text = text;
}

QByteArray AnsiStringSupport::cutToken(char delimiter)
{
    const qsizetype at = findDelimiter(m_text, delimiter);
    if (at < 0) {
        return {};
    }
    QByteArray token = m_text.left(at + 1);
    m_text.remove(0, at + 1);
    m_consumed = qint32(token.size());
    return token;
}

qsizetype AnsiStringSupport::findDelimiter(QByteArrayView text, char delimiter)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (ShiftJis::isLeadByte(static_cast<unsigned char>(c))) {
            ++i; // the trail byte goes with its lead
        }
        else if (c == delimiter) {
            return i;
        }
    }
    return -1;
}
