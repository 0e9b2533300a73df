#include "lyrics/format/CaptureFile.h"

#include "core/UserFile.h"

#include <QFileInfo>

namespace {
// Attempts at a free working file name before giving up.
constexpr int MaxAttempts = 99;
} // namespace

CaptureFile::~CaptureFile()
{
    file_.close();
}

QString CaptureFile::workingNameFor(const QString& outputName, int attempt)
{
    QString stem = outputName;
    if (stem.endsWith(QLatin1String(".dwd"), Qt::CaseInsensitive))
        stem.chop(4);
    const QString mark =
        attempt <= 1 ? QStringLiteral(".capture") : QStringLiteral(".capture%1").arg(attempt);
    return stem + mark + QStringLiteral(".dwd");
}

bool CaptureFile::create(const QString& outputName)
{
    file_.close();
    if (outputName.isEmpty())
        return false;
    // A link to a lyrics file is kept as a link: the file it points to is
    // the one replaced, as when it was written through the link.
    outputName_ = outputName;
    const QFileInfo output(outputName);
    if (output.isSymLink() && output.exists())
        outputName_ = output.canonicalFilePath();
    // Only a regular file is ever replaced: never a folder, a device or a pipe.
    const QFileInfo target(outputName_);
    if (target.exists() && !target.isFile())
        return false;
    for (int attempt = 1; attempt <= MaxAttempts; ++attempt) {
        file_.setFileName(workingNameFor(outputName_, attempt));
        if (file_.open(QIODevice::ReadWrite | QIODevice::NewOnly))
            return true;
        if (!QFileInfo::exists(file_.fileName()) && !QFileInfo(file_.fileName()).isSymLink())
            return false; // not taken, just not creatable
    }
    return false;
}

bool CaptureFile::writeAt(qint64 offset, QByteArrayView bytes)
{
    return file_.isOpen() && file_.seek(offset) && file_.write(bytes.data(), bytes.size()) == bytes.size() &&
           file_.flush();
}

bool CaptureFile::truncate(qint64 size)
{
    return file_.isOpen() && file_.flush() && file_.resize(size);
}

bool CaptureFile::commit()
{
    if (!file_.isOpen() || UserFile::replace(file_, outputName_))
        return false;
    file_.setFileName(QString());
    return true;
}

void CaptureFile::discard()
{
    // Closed first and removed by name: QFile::remove() keeps a file whose
    // close failed to flush, and a failed write is exactly when this runs.
    const QString name = file_.fileName();
    file_.close();
    if (!name.isEmpty())
        QFile::remove(name);
    file_.setFileName(QString());
}
