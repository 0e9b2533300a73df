#include "platform/cdaudio/ReplyBuffer.h"

#include <cstring>

void ReplyBuffer::set(QByteArrayView value)
{
    const qsizetype n = std::min<qsizetype>(value.size(), Size - 1);
    if (n > 0)
        std::memcpy(text, value.data(), size_t(n));
    text[n] = '\0';
}

char ReplyBuffer::at(int index) const
{
    if (index < 0 || index >= Size)
        return '\0';
    // Characters after the terminator are not part of the reply.
    for (int i = 0; i < index; ++i)
        if (text[i] == '\0')
            return '\0';
    return text[index];
}

QByteArray ReplyBuffer::toByteArray() const
{
    return QByteArray(text, qsizetype(strnlen(text, Size)));
}

bool ReplyBuffer::equals(const char* word) const
{
    return std::strncmp(text, word, Size) == 0;
}
