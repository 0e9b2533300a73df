#pragma once

#include <QElapsedTimer>
#include <QFile>
#include <QString>
#include <memory>

// The --trace log: one tab-separated UTF-8 line per event, flushed at once.
//   <ms since start>\tcmd\t<command>\t<result code>\t<reply>
//   <ms since start>\tbox\t<caption>\t<text, line breaks as \n>\t<button pressed>
//   <ms since start>\tnote\t<free text, e.g. why the disc cannot be read>
class Trace {
public:
    // "-" writes to standard error; anything else is appended to. Null when it cannot be opened.
    static std::unique_ptr<Trace> open(const QString& path, QString* error);

    void command(const QByteArray& command, int result, const QByteArray& reply);
    void box(const QString& caption, const QString& text, const QString& button);
    void note(const QString& text);

private:
    Trace() = default;
    void line(const QByteArray& kind, const QList<QByteArray>& fields);

    QFile file_;
    QElapsedTimer clock_;
};
