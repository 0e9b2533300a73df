#include "ScriptHighlighter.h"

#include "editor/ScriptText.h"

#include <QTextDocument>

namespace {
// Block states: where a line ends.
enum State { Outside = 0, InCommand = 1, InGroup = 2 };
} // namespace

ScriptHighlighter::ScriptHighlighter(QTextDocument* document) : QSyntaxHighlighter(document)
{
    command_.setForeground(QColor(0x1a, 0x4f, 0xc4));
    group_.setForeground(QColor(0x9c, 0x27, 0x8c));
    group_.setBackground(QColor(0xf6, 0xea, 0xf8));
    escape_.setForeground(QColor(0x80, 0x80, 0x80));
    placeholder_.setForeground(QColor(0xb0, 0x00, 0x00));
    placeholder_.setBackground(QColor(0xff, 0xd8, 0xd8));
}

void ScriptHighlighter::setProblem(qsizetype start, qsizetype length)
{
    if (start == problemStart_ && length == problemLength_)
        return;
    const qsizetype oldStart = problemStart_;
    const qsizetype oldLength = problemLength_;
    problemStart_ = start;
    problemLength_ = length;
    // Only the lines of the old and the new mark are coloured again.
    for (auto [from, count] : {std::pair{oldStart, oldLength}, std::pair{start, length}}) {
        if (count <= 0)
            continue;
        QTextBlock block = document()->findBlock(static_cast<int>(from));
        while (block.isValid() && block.position() <= from + count) {
            rehighlightBlock(block);
            block = block.next();
        }
    }
}

QList<ScriptHighlighter::Kind> ScriptHighlighter::classify(QStringView line, int& state)
{
    QList<Kind> kinds(line.size(), Kind::Text);
    qsizetype i = 0;
    const qsizetype n = line.size();
    while (i < n) {
        if (state == InCommand || state == InGroup) {
            const Kind kind = state == InCommand ? Kind::Command : Kind::Group;
            while (i < n && line[i] != QLatin1Char(']'))
                kinds[i++] = kind;
            if (i < n) {
                kinds[i++] = kind;
                state = Outside;
            }
            continue;
        }
        if (ScriptText::isPlaceholder(line[i].unicode())) {
            kinds[i++] = Kind::Placeholder;
            continue;
        }
        if (line[i] != QLatin1Char('[')) {
            ++i;
            continue;
        }
        const QChar next = i + 1 < n ? line[i + 1] : QChar();
        const QChar after = i + 2 < n ? line[i + 2] : QChar();
        if (next == QLatin1Char('[')) {
            kinds[i] = kinds[i + 1] = Kind::Escape;
            i += 2;
        }
        else {
            state = next == QLatin1Char('/') && after != QLatin1Char('/') ? InCommand : InGroup;
            kinds[i++] = state == InCommand ? Kind::Command : Kind::Group;
        }
    }
    return kinds;
}

void ScriptHighlighter::highlightBlock(const QString& text)
{
    int state = previousBlockState() < 0 ? Outside : previousBlockState();
    const QList<Kind> kinds = classify(text, state);
    // Within a group the placeholders still stand out.
    for (qsizetype i = 0; i < kinds.size(); ++i) {
        Kind kind = kinds[i];
        if (ScriptText::isPlaceholder(text[i].unicode()))
            kind = Kind::Placeholder;
        switch (kind) {
        case Kind::Text:
            break;
        case Kind::Command:
            setFormat(static_cast<int>(i), 1, command_);
            break;
        case Kind::Group:
            setFormat(static_cast<int>(i), 1, group_);
            break;
        case Kind::Escape:
            setFormat(static_cast<int>(i), 1, escape_);
            break;
        case Kind::Placeholder:
            setFormat(static_cast<int>(i), 1, placeholder_);
            break;
        }
    }
    setCurrentBlockState(state);

    const qsizetype blockStart = currentBlock().position();
    const qsizetype from = std::max(problemStart_, blockStart);
    const qsizetype to = std::min(problemStart_ + problemLength_, blockStart + text.size());
    for (qsizetype p = from; p < to; ++p) {
        QTextCharFormat f = format(static_cast<int>(p - blockStart));
        f.setUnderlineStyle(QTextCharFormat::WaveUnderline);
        f.setUnderlineColor(Qt::red);
        setFormat(static_cast<int>(p - blockStart), 1, f);
    }
}
