#pragma once

#include "platform/FileDialogs.h"

class QWidget;

// File dialogs on screen (QFileDialog), modal to the given window.
class QtFileDialogs final : public FileDialogs {
public:
    explicit QtFileDialogs(QWidget* parent = nullptr) : parent_(parent) {}
    std::optional<QString> openFile(const QString& title, const QString& filter,
                                    const QString& defaultSuffix) override;
    std::optional<QString> saveFile(const QString& title, const QString& filter, const QString& defaultSuffix,
                                    const QString& suggested) override;

private:
    QWidget* parent_;
};
