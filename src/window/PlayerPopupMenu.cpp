#include "window/PlayerPopupMenu.h"

#include "window/ModeTable.h"
#include "window/PlayerObjectNames.h"

#include <QActionGroup>

PlayerPopupMenu::PlayerPopupMenu(QWidget* parent) : QMenu(parent)
{
    using namespace PlayerObjectNames;
    setObjectName(Menu::Menu);

    add(this, Menu::Play, QStringLiteral("再生(&P)"));
    add(this, Menu::Stop, QStringLiteral("停止(&S)"));
    add(this, Menu::Rewind, QStringLiteral("巻き戻し(&R)"));
    add(this, Menu::FastForward, QStringLiteral("早送り(&F)"));
    add(this, Menu::Eject, QStringLiteral("取出し(&E)"));

    modeMenu_ = new QMenu(QStringLiteral("モード(&M)"), this);
    modeMenu_->setObjectName(Menu::ModeMenu);
    QAction* mode = addMenu(modeMenu_);
    mode->setObjectName(Menu::Mode);
    items_.insert(mode->objectName(), mode);
    order_ << mode->objectName();
    modeGroup_ = new QActionGroup(this);
    modeGroup_->setExclusive(true);
    const QLatin1String modeNames[] = {Menu::ModeNormal, Menu::ModeRepeat, Menu::ModeRepeatAll,
                                       Menu::ModeRandom};
    const QString modeCaptions[] = {QStringLiteral("ノーマル"), QStringLiteral("1曲リピート"),
                                    QStringLiteral("リピート"), QStringLiteral("ランダム")};
    for (int i = 0; i < 4; ++i) {
        QAction* a = add(modeMenu_, modeNames[i], modeCaptions[i]);
        a->setCheckable(true);
        modeGroup_->addAction(a);
    }
    item(modeNames[0])->setChecked(true);

    add(this, Menu::FirstSeparator, QString())->setSeparator(true);
    add(this, Menu::ScriptEditor, QStringLiteral("Words Editer(&W)"));
    add(this, Menu::SetRhythm, QStringLiteral("Set Rhythm(&H)"));
    add(this, Menu::Relate, QStringLiteral("Relate(&L)"));
    QAction* wordsOn = add(this, Menu::LyricsOn, QStringLiteral("Words On(&O)"));
    wordsOn->setCheckable(true);
    wordsOn->setChecked(true);
    add(this, Menu::SecondSeparator, QString())->setSeparator(true);
    add(this, Menu::MiniMode, QStringLiteral("ｳｨﾝﾄﾞｳを小さくする(&Z)"))->setCheckable(true);
    add(this, Menu::Minimize, QStringLiteral("最小化(&N)"));
    add(this, Menu::Version, QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    add(this, Menu::Quit, QStringLiteral("終了(&Q)"));
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
