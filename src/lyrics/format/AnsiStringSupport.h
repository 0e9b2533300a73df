#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>

// A Shift-JIS byte string that is eaten from the front token by token. A lead
// byte always takes the byte after it along, so a trail byte that happens to
// equal the delimiter never ends a token.
class AnsiStringSupport {
public:
    void set(const QByteArray& text);
    const QByteArray& rest() const { return m_text; }
    qint32 consumed() const { return m_consumed; }

    // The text up to and including the first delimiter byte, removed from the
    // front; consumed() becomes its length. Empty, and nothing changes, when
    // no byte matches.
    QByteArray cutToken(char delimiter);

    // The index of the first delimiter byte in text under the same rule, or -1.
    static qsizetype findDelimiter(QByteArrayView text, char delimiter);

private:
    QByteArray m_text;
    qint32 m_consumed = 0;
};
