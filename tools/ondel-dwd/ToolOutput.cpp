#include "ToolOutput.h"

#include <cstdio>

namespace {

void writeTo(std::FILE* stream, QByteArrayView bytes)
{
    // An empty view may have no data pointer at all, which fwrite must not get.
    if (!bytes.isEmpty())
        std::fwrite(bytes.data(), 1, size_t(bytes.size()), stream);
}

} // namespace

void ToolOutput::writeBytes(QByteArrayView bytes)
{
    writeTo(stdout, bytes);
}

void ToolOutput::writeOut(const QString& text)
{
    writeBytes(text.toUtf8());
}

void ToolOutput::writeErr(const QString& text)
{
    writeTo(stderr, text.toUtf8());
}

int ToolOutput::usage(const QString& problem)
{
    writeErr(QStringLiteral("ondel-dwd: %1\nTry 'ondel-dwd --help'.\n").arg(problem));
    return 2;
}
