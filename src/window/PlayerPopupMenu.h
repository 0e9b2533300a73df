#pragma once

#include <QHash>
#include <QMenu>

class QActionGroup;

// The main window's right-click menu (component popupMenu_): every player
// command, the play mode radio group and the lyrics and mini-mode check
// items. Items are reached by their component names (RMenuPlay, ...,
// RMenuQuit, the separators N0 and N1, the submenu item RMenuMode); the
// window connects their triggered() signals to its handlers.
//
// Design state: RMenuModeNormal and RMenuWordsOn checked, matching the NORMAL
// lamp and the lyrics switch that start lit and down; RMenuResize unchecked.
class PlayerPopupMenu : public QMenu {
    Q_OBJECT

public:
    explicit PlayerPopupMenu(QWidget* parent = nullptr);

    // The item with this component name, or nullptr.
    QAction* item(const QString& name) const { return items_.value(name); }
    // Component names of the top-level items, separators included, in order.
    QStringList itemNames() const;
    QMenu* modeMenu() const { return modeMenu_; }
    QActionGroup* modeGroup() const { return modeGroup_; }
    // The radio item of a play mode 0..3, nullptr for others.
    QAction* modeItem(int mode) const;
    // Checks the radio item of a play mode by the mode table; a mode out of
    // range leaves the checks as they are and returns false.
    bool checkMode(int mode);

    // Opens the menu at a screen position and waits until it closes; then
    // raises the popup-menu-shown flag so the next pointer move only
    // re-anchors the drag.
    void popupAtPointer(QPoint globalPos);

    // The popup-menu-shown flag, shared by the main and the mini window's drag.
    int dragging = 0;

private:
    QAction* add(QMenu* menu, const QString& name, const QString& caption);

    QHash<QString, QAction*> items_;
    QStringList order_;
    QMenu* modeMenu_ = nullptr;
    QActionGroup* modeGroup_ = nullptr;
};
