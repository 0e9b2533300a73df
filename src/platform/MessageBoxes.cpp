#include "platform/MessageBoxes.h"

QString MessageBoxes::buttonName(BoxButton button)
{
    switch (button) {
    case BoxButton::Ok:
        return QStringLiteral("OK");
    case BoxButton::Cancel:
        return QStringLiteral("Cancel");
    case BoxButton::Yes:
        return QStringLiteral("Yes");
    case BoxButton::No:
        return QStringLiteral("No");
    }
    return {};
}
