#pragma once

#include <QString>
#include <optional>

// Modal file dialogs. Filters are written "description|pattern|description|pattern".
class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    // The chosen file, or nullopt when the user cancelled.
    virtual std::optional<QString> openFile(const QString& title, const QString& filter,
                                            const QString& defaultSuffix) = 0;
    // Choosing an existing file asks nothing: the caller replaces it.
    virtual std::optional<QString> saveFile(const QString& title, const QString& filter,
                                            const QString& defaultSuffix, const QString& suggested) = 0;

    // "歌詞ファイル（*.dwd）|*.dwd" as Qt writes it: "歌詞ファイル（*.dwd） (*.dwd)".
    static QString qtFilter(const QString& filter);
};
