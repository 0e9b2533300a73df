#include "platform/widgets/QtMessageBoxes.h"

#include <QMessageBox>

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
    QMessageBox box(qtIcon, caption, text, qtButtons);
    box.setWindowModality(Qt::ApplicationModal);
    switch (box.exec()) {
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
