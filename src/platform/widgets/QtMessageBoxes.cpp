#include "platform/widgets/QtMessageBoxes.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>

QWidget* QtMessageBoxes::parentWindow() const
{
    QWidget* active = QApplication::activeModalWidget();
    if (!active)
        active = QApplication::activeWindow();
    // windowType(), not a mask of the flags: every window has the bit Popup shares with Window.
    if (active && active->isVisible() && active->windowType() != Qt::Popup)
        return active;
    QWidget* fallback = owner ? owner() : nullptr;
    return fallback && fallback->isVisible() ? fallback : nullptr;
}

BoxButton QtMessageBoxes::show(const QString& caption, const QString& text, BoxIcon icon, BoxButtons buttons)
{
    QMessageBox::Icon qtIcon = QMessageBox::Information;
    switch (icon) {
    case BoxIcon::Information:
        qtIcon = QMessageBox::Information;
        break;
    case BoxIcon::Warning:
        qtIcon = QMessageBox::Warning;
        break;
    case BoxIcon::Error:
        qtIcon = QMessageBox::Critical;
        break;
    case BoxIcon::Question:
        qtIcon = QMessageBox::Question;
        break;
    }
    QMessageBox::StandardButtons qtButtons = QMessageBox::Ok;
    switch (buttons) {
    case BoxButtons::Ok:
        qtButtons = QMessageBox::Ok;
        break;
    case BoxButtons::OkCancel:
        qtButtons = QMessageBox::Ok | QMessageBox::Cancel;
        break;
    case BoxButtons::YesNo:
        qtButtons = QMessageBox::Yes | QMessageBox::No;
        break;
    case BoxButtons::YesNoCancel:
        qtButtons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        break;
    }
    const QPointer<QWidget> parent = parentWindow();
    QMessageBox box(qtIcon, caption, text, qtButtons, parent);
    box.setWindowModality(Qt::ApplicationModal);
    const int answer = box.exec();
    box.hide();
    // The keys typed next belong to the window the box came from: left to
    // itself, the window manager may hand the focus to another of the
    // program's windows (the player, whose Space would stop a timing take).
    if (parent && parent->isVisible() && !QApplication::activeModalWidget())
        parent->activateWindow();
    switch (answer) {
    case QMessageBox::Ok:
        return BoxButton::Ok;
    case QMessageBox::Yes:
        return BoxButton::Yes;
    case QMessageBox::No:
        return BoxButton::No;
    case QMessageBox::Cancel:
        return BoxButton::Cancel;
    default:
        // Closed by the window manager: the box's way out.
        return buttons == BoxButtons::Ok      ? BoxButton::Ok
               : buttons == BoxButtons::YesNo ? BoxButton::No
                                              : BoxButton::Cancel;
    }
}
