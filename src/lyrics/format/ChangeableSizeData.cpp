#include "lyrics/format/ChangeableSizeData.h"

#include <cstring>
#include <utility>

ChangeableSizeData::ChangeableSizeData(const ChangeableSizeData& other)
{
    set(other.m_data, other.m_size);
}

ChangeableSizeData& ChangeableSizeData::operator=(const ChangeableSizeData& other)
{
    if (this != &other) {
        set(other.m_data, other.m_size);
    }
    return *this;
}

ChangeableSizeData::ChangeableSizeData(ChangeableSizeData&& other) noexcept
    : m_data(std::exchange(other.m_data, nullptr)), m_size(std::exchange(other.m_size, 0))
{
}

ChangeableSizeData& ChangeableSizeData::operator=(ChangeableSizeData&& other) noexcept
{
    if (this != &other) {
        clear();
        m_data = std::exchange(other.m_data, nullptr);
        m_size = std::exchange(other.m_size, 0);
    }
    return *this;
}

ChangeableSizeData::~ChangeableSizeData()
{
    clear();
}

void ChangeableSizeData::clear()
{
    delete[] m_data;
    m_data = nullptr;
    m_size = 0;
}

void ChangeableSizeData::set(const void* bytes, qint32 n)
{
    if (n <= 0) {
        clear();
        return;
    }
    auto* block = new quint8[n];
    std::memcpy(block, bytes, size_t(n));
    clear();
    m_data = block;
    m_size = n;
}

void ChangeableSizeData::setByte(quint8 b)
{
    set(&b, 1);
}

void ChangeableSizeData::append(const void* bytes, qint32 n)
{
    if (n <= 0) {
        return;
    }
    if (m_size == 0) {
        set(bytes, n);
        return;
    }
    auto* block = new quint8[size_t(m_size) + size_t(n)];
    std::memcpy(block, m_data, size_t(m_size));
    std::memcpy(block + m_size, bytes, size_t(n));
    delete[] m_data;
    m_data = block;
    m_size += n;
}

void ChangeableSizeData::appendByte(quint8 b)
{
    append(&b, 1);
}

void ChangeableSizeData::setAt(qint32 pos, quint8 b)
{
    if (pos >= 0 && pos < m_size) {
        m_data[pos] = b;
    }
}
