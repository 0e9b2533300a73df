// Feeds arbitrary bytes to the DWD reader as the player reads a file: the
// header checks, then records until one comes up short, both from a seekable
// buffer and from a stream that cannot tell its size.
#include "lyrics/format/DwdReader.h"

#include <QBuffer>
#include <cstdlib>

namespace {
// A device without a size, so the reader must read texts in bounded chunks.
class Stream : public QIODevice {
public:
    explicit Stream(QByteArray bytes) : m_bytes(std::move(bytes)) { open(QIODevice::ReadOnly); }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        const qint64 n = qMin<qint64>(maxSize, m_bytes.size() - m_at);
        memcpy(data, m_bytes.constData() + m_at, size_t(n));
        m_at += n;
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray m_bytes;
    qint64 m_at = 0;
};

void readAll(QIODevice& file)
{
    TrackPosition time;
    for (;;) {
        const DwdReader::Record record = DwdReader::readRecord(file);
        if (record.hasDelta()) {
            TrackPosition::addDelta(time, record.delta);
        }
        if (record.commandCount > 0 && record.commands.size() > record.commandCount) {
            std::abort();
        }
        if (record.complete() && record.text.size() != qMax(0, record.textLength)) {
            std::abort();
        }
        if (!record.complete()) {
            break;
        }
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    (void)DwdReader::checkFile(buffer);
    buffer.seek(qMin<qint64>(11, buffer.size()));
    readAll(buffer);

    Stream stream(bytes);
    (void)DwdReader::readHeader(stream);
    readAll(stream);
    return 0;
}
