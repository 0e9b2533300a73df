#include "platform/Trace.h"

#include <cstdio>

namespace {
// Tabs and line breaks would break the line format.
QByteArray field(QByteArray text)
{
    return text.replace('\t', "\\t").replace("\r\n", "\\n").replace('\n', "\\n").replace('\r', "\\r");
}
} // namespace

std::unique_ptr<Trace> Trace::open(const QString& path, QString* error)
{
    std::unique_ptr<Trace> trace(new Trace);
    bool ok = false;
    if (path == QLatin1String("-")) {
        ok = trace->file_.open(stderr, QIODevice::WriteOnly | QIODevice::Unbuffered);
    }
    else {
        trace->file_.setFileName(path);
        ok = trace->file_.open(QIODevice::WriteOnly | QIODevice::Append);
    }
    if (!ok) {
        if (error)
            *error = trace->file_.errorString();
        return nullptr;
    }
    trace->clock_.start();
    return trace;
}

void Trace::command(const QByteArray& command, int result, const QByteArray& reply)
{
    line("cmd", {field(command), QByteArray::number(result), field(reply)});
}

void Trace::box(const QString& caption, const QString& text, const QString& button)
{
    line("box", {field(caption.toUtf8()), field(text.toUtf8()), field(button.toUtf8())});
}

void Trace::note(const QString& text)
{
    line("note", {field(text.toUtf8())});
}

void Trace::line(const QByteArray& kind, const QList<QByteArray>& fields)
{
    QByteArray out = QByteArray::number(clock_.elapsed()) + '\t' + kind;
    for (const QByteArray& f : fields)
        out += '\t' + f;
    out += '\n';
    file_.write(out);
    file_.flush();
}
