#pragma once

#include <QString>
#include <optional>

// Reads a whole script in the editor the way the compiler will, piece by
// piece, and finds the first place where a compile would stop: a syntax
// error (with the compiler's own message) or a character that Shift-JIS
// cannot hold. Positions are in the editor text (UTF-16 units).
namespace ScriptCheck {
struct Problem {
    QString message;
    qsizetype start = 0;  // where the failing piece begins
    qsizetype length = 0; // up to where the reader gave up, at least one character
};
std::optional<Problem> firstProblem(QStringView text);

QString unencodableMessage();
} // namespace ScriptCheck
