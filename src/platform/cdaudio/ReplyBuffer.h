#pragma once

#include <QByteArray>
#include <QByteArrayView>

// The 256-byte reply text of one device command: NUL-terminated single-byte
// text. Fields are read by fixed character index; an index past the text
// reads as NUL, exactly as it would in the raw buffer.
struct ReplyBuffer {
    static constexpr int Size = 256;
    char text[Size] = {};

    void clear() { text[0] = '\0'; }
    void set(QByteArrayView value);
    char at(int index) const;
    bool isEmpty() const { return text[0] == '\0'; }
    QByteArray toByteArray() const;
    bool equals(const char* word) const;
};
