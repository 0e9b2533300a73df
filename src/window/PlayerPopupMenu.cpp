#include "window/PlayerPopupMenu.h"

#include "window/ModeTable.h"

#include <QActionGroup>

PlayerPopupMenu::PlayerPopupMenu(QWidget* parent) : QMenu(parent)
{
    setObjectName(QStringLiteral("PopupMenu1"));

    add(this, QStringLiteral("RMenuPlay"), QStringLiteral("再生(&P)"));
    add(this, QStringLiteral("RMenuStop"), QStringLiteral("停止(&S)"));
    add(this, QStringLiteral("RMenuRew"), QStringLiteral("巻き戻し(&R)"));
    add(this, QStringLiteral("RMenuFF"), QStringLiteral("早送り(&F)"));
    add(this, QStringLiteral("RMenuEject"), QStringLiteral("取出し(&E)"));

    modeMenu_ = new QMenu(QStringLiteral("モード(&M)"), this);
    modeMenu_->setObjectName(QStringLiteral("RMenuModeMenu"));
    QAction* mode = addMenu(modeMenu_);
    mode->setObjectName(QStringLiteral("RMenuMode"));
    items_.insert(mode->objectName(), mode);
    order_ << mode->objectName();
    modeGroup_ = new QActionGroup(this);
    modeGroup_->setExclusive(true);
    const QString modeNames[] = {QStringLiteral("RMenuModeNormal"), QStringLiteral("RMenuModeRepeat"),
                                 QStringLiteral("RMenuModeAllRepeat"), QStringLiteral("RMenuModeRandom")};
    const QString modeCaptions[] = {QStringLiteral("ノーマル"), QStringLiteral("1曲リピート"),
                                    QStringLiteral("リピート"), QStringLiteral("ランダム")};
    for (int i = 0; i < 4; ++i) {
        QAction* a = add(modeMenu_, modeNames[i], modeCaptions[i]);
        a->setCheckable(true);
        modeGroup_->addAction(a);
    }
    item(modeNames[0])->setChecked(true);

    add(this, QStringLiteral("N0"), QString())->setSeparator(true);
    add(this, QStringLiteral("RMenuRizuzAvodar"), QStringLiteral("Words Editer(&W)"));
    add(this, QStringLiteral("RMenuSetRhythm"), QStringLiteral("Set Rhythm(&H)"));
    add(this, QStringLiteral("RMenuRelate"), QStringLiteral("Relate(&L)"));
    QAction* wordsOn = add(this, QStringLiteral("RMenuWordsOn"), QStringLiteral("Words On(&O)"));
    wordsOn->setCheckable(true);
    wordsOn->setChecked(true);
    add(this, QStringLiteral("N1"), QString())->setSeparator(true);
    add(this, QStringLiteral("RMenuResize"), QStringLiteral("ｳｨﾝﾄﾞｳを小さくする(&Z)"))->setCheckable(true);
    add(this, QStringLiteral("RMenuMinimize"), QStringLiteral("最小化(&N)"));
    add(this, QStringLiteral("RMenuVersion"), QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    add(this, QStringLiteral("RMenuQuit"), QStringLiteral("終了(&Q)"));
}

QAction* PlayerPopupMenu::add(QMenu* menu, const QString& name, const QString& caption)
{
    QAction* a = menu->addAction(caption);
    a->setObjectName(name);
    items_.insert(name, a);
    if (menu == this)
        order_ << name;
    return a;
}

QStringList PlayerPopupMenu::itemNames() const
{
    return order_;
}

QAction* PlayerPopupMenu::modeItem(int mode) const
{
    const QList<QAction*> list = modeMenu_->actions();
    return mode >= 0 && mode < list.size() ? list.at(mode) : nullptr;
}

bool PlayerPopupMenu::checkMode(int mode)
{
    const auto row = ModeTable::row(mode);
    if (!row)
        return false;
    item(row->menuItem)->setChecked(true);
    return true;
}

void PlayerPopupMenu::popupAtPointer(QPoint globalPos)
{
    exec(globalPos);
    dragging = 1;
}
