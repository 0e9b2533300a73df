#include "platform/cdaudio/RawImageFile.h"

#include "platform/cdaudio/PlainFile.h"

#include <cstring>
#include <utility>

std::unique_ptr<RawImageFile> RawImageFile::open(const QString& path, bool bigEndian, QString* error)
{
    if (!PlainFile::check(path, error))
        return nullptr;
    std::unique_ptr<RawImageFile> file(new RawImageFile(path, bigEndian));
    if (!file->file_.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("cannot open %1: %2").arg(path, file->file_.errorString());
        return nullptr;
    }
    file->samples_ = file->file_.size() / 4;
    return file;
}

bool RawImageFile::read(qint64 sample, qint64 count, char* out, QString* error)
{
    const qint64 bytes = count * 4;
    std::memset(out, 0, size_t(bytes));
    const qint64 have = std::clamp<qint64>(samples_ - sample, 0, count) * 4;
    if (have == 0)
        return true;
    if (!file_.seek(sample * 4) || file_.read(out, have) != have) {
        if (error)
            *error = QStringLiteral("cannot read %1: %2").arg(file_.fileName(), file_.errorString());
        std::memset(out, 0, size_t(bytes));
        return false;
    }
    if (bigEndian_)
        for (qint64 i = 0; i + 1 < have; i += 2)
            std::swap(out[i], out[i + 1]);
    return true;
}
