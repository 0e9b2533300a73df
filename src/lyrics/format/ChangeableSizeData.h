#pragma once

#include <QByteArrayView>
#include <QtGlobal>

// A byte buffer that always holds exactly size() bytes: every append takes a
// new block of the new size, so there is never spare capacity. It holds the
// command block of one piece (a count byte, then code bytes and int16
// arguments), which is written unchanged into the DWD record.
class ChangeableSizeData {
public:
    ChangeableSizeData() = default;
    ChangeableSizeData(const ChangeableSizeData& other);
    ChangeableSizeData& operator=(const ChangeableSizeData& other);
    ChangeableSizeData(ChangeableSizeData&& other) noexcept;
    ChangeableSizeData& operator=(ChangeableSizeData&& other) noexcept;
    ~ChangeableSizeData();

    // Replaces the content with a copy of n bytes; n of 0 or less empties it.
    void set(const void* bytes, qint32 n);
    void setByte(quint8 b);
    // Appends n bytes; n of 0 or less changes nothing.
    void append(const void* bytes, qint32 n);
    void appendByte(quint8 b);
    // Stores b at pos when 0 <= pos < size(), else does nothing.
    void setAt(qint32 pos, quint8 b);

    qint32 size() const { return m_size; }
    const quint8* data() const { return m_data; }
    QByteArrayView view() const { return {reinterpret_cast<const char*>(m_data), m_size}; }

private:
    void clear();

    quint8* m_data = nullptr;
    qint32 m_size = 0;
};
