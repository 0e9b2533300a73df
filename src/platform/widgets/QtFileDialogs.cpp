#include "platform/widgets/QtFileDialogs.h"

#include <QFileDialog>

namespace {
std::optional<QString> run(QFileDialog& dialog)
{
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}
} // namespace

std::optional<QString> QtFileDialogs::openFile(const QString& title, const QString& filter,
                                               const QString& defaultSuffix)
{
    QFileDialog dialog(parent_, title, QString(), qtFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(defaultSuffix);
    return run(dialog);
}

std::optional<QString> QtFileDialogs::saveFile(const QString& title, const QString& filter,
                                               const QString& defaultSuffix, const QString& suggested)
{
    QFileDialog dialog(parent_, title, QString(), qtFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
    if (!suggested.isEmpty())
        dialog.selectFile(suggested);
    return run(dialog);
}
