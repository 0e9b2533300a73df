#pragma once

#include <QSyntaxHighlighter>
#include <QTextCharFormat>

// Colours a script as the compiler reads it: commands ("[/" … "]", also
// across line breaks), groups ("[" … "]"), the escaped bracket "[[", and the
// placeholders of bytes that are no text. The first problem the live check
// found is underlined.
class ScriptHighlighter : public QSyntaxHighlighter {
    Q_OBJECT

public:
    explicit ScriptHighlighter(QTextDocument* document);

    // Underlines this stretch of the document (an empty one removes it).
    void setProblem(qsizetype start, qsizetype length);

    // What a character is shown as, for tests.
    enum class Kind { Text, Command, Group, Escape, Placeholder };
    static QList<Kind> classify(QStringView line, int& state);

protected:
    void highlightBlock(const QString& text) override;

private:
    QTextCharFormat command_;
    QTextCharFormat group_;
    QTextCharFormat escape_;
    QTextCharFormat placeholder_;
    qsizetype problemStart_ = 0;
    qsizetype problemLength_ = 0;
};
