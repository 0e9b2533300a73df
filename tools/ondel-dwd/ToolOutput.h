#pragma once

#include <QByteArrayView>
#include <QString>

// Where ondel-dwd speaks: results on standard output (UTF-8 unless they are a
// file's own bytes), problems on standard error.
namespace ToolOutput {
void writeBytes(QByteArrayView bytes);
void writeOut(const QString& text);
void writeErr(const QString& text);
// "ondel-dwd: problem" and the hint to --help; returns the bad-usage status 2.
int usage(const QString& problem);
} // namespace ToolOutput
