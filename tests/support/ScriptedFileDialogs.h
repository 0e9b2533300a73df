#pragma once

#include "platform/FileDialogs.h"

#include <QStringList>

// Answers file dialogs from a queue: a queued empty string means "cancelled".
class ScriptedFileDialogs final : public FileDialogs {
public:
    std::optional<QString> openFile(const QString& title, const QString& filter,
                                    const QString& suffix) override
    {
        titles.append(title);
        filters.append(filter);
        suffixes.append(suffix);
        return next();
    }
    std::optional<QString> saveFile(const QString& title, const QString& filter, const QString& suffix,
                                    const QString&) override
    {
        return openFile(title, filter, suffix);
    }

    QStringList answers;
    QStringList titles, filters, suffixes;

private:
    std::optional<QString> next()
    {
        if (answers.isEmpty() || answers.first().isEmpty()) {
            if (!answers.isEmpty())
                answers.removeFirst();
            return std::nullopt;
        }
        return answers.takeFirst();
    }
};
