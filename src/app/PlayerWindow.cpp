#include "app/PlayerWindow.h"

#include "compile/ui/CompileWindow.h"
#include "controls/DigitalDisplay.h"
#include "controls/PictureButton.h"
#include "controls/PictureWidget.h"
#include "controls/ShapeWidget.h"
#include "editor/ui/ScriptEditorWindow.h"
#include "lyrics/ui/LyricsWindow.h"
#include "platform/MessageBoxes.h"
#include "platform/SettingsStore.h"
#include "platform/cdaudio/CdAudioDevice.h"
#include "platform/widgets/QtFileDialogs.h"
#include "player/DeviceCommands.h"
#include "player/PlayerStartup.h"
#include "player/PlayerStateStore.h"
#include "window/MiniPlayerWindow.h"
#include "window/ModeTable.h"
#include "window/PlayerObjectNames.h"
#include "window/PlayerPopupMenu.h"
#include "window/SkinLayout.h"
#include "window/SkinPalette.h"
#include "window/SkinPictures.h"
#include "window/VersionInfo.h"
#include "window/WindowClip.h"
#include "window/WindowPlacement.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QShortcut>
#include <QTimer>
#include <QWindow>
#include <array>
#include <type_traits>

using namespace PlayerObjectNames;

namespace {
const QString AppTitle = QStringLiteral("OndelPlayer");

// The mode lamps: the word a screen reader says, the dim picture and its lit twin.
struct Lamp {
    QLatin1String word, dim, lit;
};
constexpr Lamp Lamps[] = {{QLatin1String("NORMAL"), Main::NormalLamp, Main::NormalLampLit},
                          {QLatin1String("REPEAT"), Main::RepeatLamp, Main::RepeatLampLit},
                          {QLatin1String("RANDOM"), Main::RandomLamp, Main::RandomLampLit}};

constexpr quint32 Lime = 0x0000FF00;
constexpr quint32 DigitBack = 0x02005000;
constexpr quint32 PanelFill = 0x02003C00;
constexpr quint32 PanelOutline = 0x00003C00;
const QColor Body(50, 50, 50); // the form's colour 0x02323232

// Where a window cannot place itself, the compositor moves it for us.
bool compositorMovesWindows()
{
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}
} // namespace

PlayerWindow::PlayerWindow(CdAudioDevice& device, MessageBoxes& boxes, SettingsStore& settings,
                           FileDialogs* dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), device_(device), boxes_(boxes),
      settings_(settings),
      ownDialogs_(dialogs ? nullptr : std::unique_ptr<FileDialogs>(new QtFileDialogs(this))),
      dialogs_(dialogs ? *dialogs : *ownDialogs_)
{
    setObjectName(SkinLayout::FormName);
    // No lyrics are shown while the compiler window times a script.
    wordsDisplay_.captureRunning = [this] { return compileWindow_ && compileWindow_->compiling(); };
    setWindowTitle(AppTitle);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Body);
    setPalette(pal);
    // Hovering keeps the drag anchor under the pointer, so a drag starts
    // where the button went down.
    setMouseTracking(true);
    setFixedSize(SkinLayout::ClientWidth, WindowClip::clientHeight(false));

    tickTimer_ = new QTimer(this);
    tickTimer_->setObjectName(Main::TickTimer);
    tickTimer_->setInterval(50);
    connect(tickTimer_, &QTimer::timeout, this, [this] {
        if (closed_)
            return;
        const int depth = ++tickDepth_;
        onTick();
        tickDepth_ = depth - 1;
        rescuedDepth_ = std::min(rescuedDepth_, tickDepth_);
    });
    // Qt never delivers a timer's event while its previous one is still being
    // handled, so a box opened inside a tick (a lyrics error at a track
    // change) would stop every tick until it is answered. When an event loop
    // inside a tick is about to wait, the timer is started anew, once for
    // that tick: the new timer is not the one being handled, so the next tick
    // comes inside any box, whoever opened it. Ticks that open nothing leave
    // the timer running as it is.
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance())
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, [this] {
            if (!closed_ && tickDepth_ > rescuedDepth_) {
                rescuedDepth_ = tickDepth_;
                tickTimer_->start();
            }
        });

    createComponents();
    createPopupMenu();
    applySkin();
    describeControls();
    installShortcuts(this);
    // The window itself holds the focus until the user tabs to a button, so
    // the focus never comes back from a box onto a button it does not show on.
    setFocusPolicy(Qt::StrongFocus);

    // The lyrics display window comes back where the user left it.
    // The client area's place is kept: the frame's depends on the window
    // manager and is known only once the window is up, so a frame place
    // given back to a new window lands a frame's width away from it.
    wordsDisplay_.savePosition = [this](LyricsWindow& form) {
        const QPoint place = form.geometry().topLeft();
        PlayerStateStore::saveDisplay(settings_, place.x(), place.y());
    };
    wordsDisplay_.loadPosition = [this](LyricsWindow& form) {
        // A window already on screen stays where the user has it now.
        if (form.isVisible() || compositorMovesWindows())
            return;
        const PlayerStateStore::DisplayPosition saved = PlayerStateStore::loadDisplay(settings_);
        QPoint place = form.geometry().topLeft();
        if (saved.left)
            place.setX(*saved.left);
        if (saved.top)
            place.setY(*saved.top);
        if (saved.left)
            form.setGeometry(QRect(wholeOnScreen(QRect(place, form.size())), form.size()));
    };

    // The lyrics window's wipe, as the user last left it.
    const bool wipe = PlayerStateStore::loadWipe(settings_);
    lyrics_.setWipe(wipe);
    wordsDisplay_.setWipeChecked(wipe);
    wordsDisplay_.wipeChanged = [this](bool on) {
        lyrics_.setWipe(on);
        PlayerStateStore::saveWipe(settings_, on);
    };

    // Construction steps: the device is opened first; everything that needs
    // a running device is skipped when another program holds it.
    state_.editorFileName.clear();
    if (PlayerStartup::openDevice(device_, boxes_, state_) == PlayerStartup::Outcome::Refused) {
        refused_ = true;
        hide();
        QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                                  Qt::QueuedConnection);
    }
    else {
        tickTimer_->start();
        createPalette();
    }
    createForm();
}

PlayerWindow::~PlayerWindow()
{
    // Tool windows still open when the program ends without closing its
    // windows go with the window they report to.
    delete editorWindow_.data();
    delete compileWindow_.data();
}

// Every component at its designed place, created in stacking order so that
// later ones lie on top (the bottom edge above the side edges, the digits
// and lamps above the panel, the lit lamps above the dim ones).
void PlayerWindow::createComponents()
{
    const auto bindPanelGroup = [this](auto* component) {
        using Component = std::remove_pointer_t<decltype(component)>;
        component->setMouseTracking(true);
        connect(component, &Component::mousePressed, this, &PlayerWindow::onDisplayMousePress);
        connect(component, &Component::mouseReleased, this, &PlayerWindow::onDisplayMouseRelease);
        connect(component, &Component::mouseMoved, this, &PlayerWindow::onPanelMouseMove);
    };
    int digit = 0;
    for (const SkinLayout::Component& c : SkinLayout::components()) {
        QWidget* widget = nullptr;
        switch (c.kind) {
        case SkinLayout::Kind::Picture:
        case SkinLayout::Kind::Lamp: {
            auto* image = new PictureWidget(this);
            images_.insert(c.name, image);
            if (c.kind == SkinLayout::Kind::Lamp)
                bindPanelGroup(image);
            widget = image;
            break;
        }
        case SkinLayout::Kind::Panel:
            displayPanel_ = new ShapeWidget(ShapeWidget::Kind::Rectangle, PanelFill, PanelOutline, this);
            bindPanelGroup(displayPanel_);
            widget = displayPanel_;
            break;
        case SkinLayout::Kind::Digit: {
            auto* display = new DigitalDisplay(this);
            display->setForColor(Lime);
            display->setBackColor(DigitBack);
            display->setBarWidth(3);
            bindPanelGroup(display);
            digits_[digit++] = display;
            widget = display;
            break;
        }
        case SkinLayout::Kind::Dot: {
            auto* dot = new ShapeWidget(ShapeWidget::Kind::Circle, Lime, Lime, this);
            bindPanelGroup(dot);
            widget = dot;
            break;
        }
        case SkinLayout::Kind::Button:
        case SkinLayout::Kind::ToggleButton: {
            auto* b = new PictureButton(this);
            b->setTwoState(c.kind == SkinLayout::Kind::ToggleButton);
            b->installEventFilter(this);
            buttons_.insert(c.name, b);
            widget = b;
            break;
        }
        }
        widget->setObjectName(c.name);
        widget->setGeometry(c.rect);
    }

    bottomEdge_ = images_.value(Main::BottomEdge);
    normalLamp_ = images_.value(Main::NormalLampLit);
    repeatLamp_ = images_.value(Main::RepeatLampLit);
    randomLamp_ = images_.value(Main::RandomLampLit);
    repeatLamp_->hide();
    randomLamp_->hide();

    // The title plate opens the version box and, like the buttons, the menu;
    // it has no move handler, so it never drags the window.
    PictureWidget* Image1 = images_.value(Main::TitlePlate);
    connect(Image1, &PictureWidget::clicked, this, &PlayerWindow::showVersion);
    connect(Image1, &PictureWidget::mousePressed, this, &PlayerWindow::onPanelMousePress);

    powerButton_ = button(Main::PowerButton);
    minimizeButton_ = button(Main::MinimizeButton);
    playButton_ = button(Main::PlayButton);
    extendButton_ = button(Main::ExtendButton);
    editorButton_ = button(Main::EditorButton);
    compileButton_ = button(Main::CompileButton);
    relationButton_ = button(Main::RelationButton);
    lyricsButton_ = button(Main::LyricsButton);
    powerButton_->setChecked(true);
    lyricsButton_->setChecked(true);

    connect(powerButton_, &QAbstractButton::clicked, this, &PlayerWindow::onPowerClicked);
    // A second click with nothing iconified (no window manager) brings the
    // window and its title back rather than leaving the time frozen there.
    connect(minimizeButton_, &QAbstractButton::clicked, this, [this](bool down) {
        if (down) {
            onMinimizeClicked();
            return;
        }
        showNormal();
        applicationRestored();
    });
    connect(button(Main::EjectButton), &QAbstractButton::clicked, this, &PlayerWindow::eject);
    connect(button(Main::ModeButton), &QAbstractButton::clicked, this, &PlayerWindow::cyclePlayMode);
    connect(button(Main::RewindButton), &QAbstractButton::clicked, this, &PlayerWindow::rewind);
    connect(playButton_, &QAbstractButton::clicked, this, &PlayerWindow::play);
    connect(button(Main::StopButton), &QAbstractButton::clicked, this, &PlayerWindow::stop);
    connect(button(Main::FastForwardButton), &QAbstractButton::clicked, this, &PlayerWindow::fastForward);
    connect(extendButton_, &QAbstractButton::clicked, this, &PlayerWindow::onExtendClicked);
    connect(compileButton_, &QAbstractButton::clicked, this, &PlayerWindow::openCompileWindow);
    connect(relationButton_, &QAbstractButton::clicked, this, &PlayerWindow::onRelationClicked);
    connect(lyricsButton_, &QAbstractButton::clicked, this, &PlayerWindow::onLyricsButtonClicked);
    connect(editorButton_, &QAbstractButton::clicked, this, &PlayerWindow::openScriptEditor);

    // Every button that is always visible is a tab stop; the extended row
    // becomes one while it is shown.
    for (QLatin1String name :
         {Main::PowerButton, Main::MinimizeButton, Main::EjectButton, Main::ModeButton, Main::RewindButton,
          Main::PlayButton, Main::StopButton, Main::FastForwardButton, Main::ExtendButton})
        button(name)->setFocusPolicy(Qt::TabFocus);
}

// Tooltips carry the menu captions and the key that does the same; the
// accessible names say what each control is to a screen reader.
void PlayerWindow::describeControls()
{
    const struct {
        QLatin1String name;
        const char* accessible;
        QString tip;
    } table[] = {
        {Main::PowerButton, "Quit", QStringLiteral("終了 (Ctrl+Q)")},
        {Main::MinimizeButton, "Minimise", QStringLiteral("最小化")},
        {Main::EjectButton, "Eject", QStringLiteral("取出し (E)")},
        {Main::ModeButton, "Mode", QStringLiteral("モード (M)")},
        {Main::RewindButton, "Previous track", QStringLiteral("巻き戻し (←)")},
        {Main::PlayButton, "Play", QStringLiteral("再生 (Space)")},
        {Main::StopButton, "Stop", QStringLiteral("停止 (Space)")},
        {Main::FastForwardButton, "Next track", QStringLiteral("早送り (→)")},
        {Main::ExtendButton, "Tools", QStringLiteral("Words Editer / Set Rhythm / Relate / Words On")},
        {Main::EditorButton, "Words Editer", QStringLiteral("Words Editer")},
        {Main::CompileButton, "Set Rhythm", QStringLiteral("Set Rhythm")},
        {Main::RelationButton, "Relate", QStringLiteral("Relate")},
        {Main::LyricsButton, "Words On", QStringLiteral("Words On (L)")},
    };
    for (const auto& row : table) {
        PictureButton* b = button(row.name);
        b->setToolTip(row.tip);
        b->setAccessibleName(QLatin1String(row.accessible));
        b->setAccessibleDescription(row.tip);
    }
    images_.value(Main::TitlePlate)->setAccessibleName(QStringLiteral("OndelPlayer"));
    images_.value(Main::TitlePlate)->setToolTip(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    displayPanel_->setAccessibleName(QStringLiteral("Track and time"));
    for (int i = 0; i < 6; ++i)
        digits_[i]->setAccessibleName(QStringLiteral("Digit %1").arg(i + 1));
    for (const Lamp& lamp : Lamps) {
        images_.value(lamp.dim)->setAccessibleName(lamp.word);
        images_.value(lamp.lit)->setAccessibleName(lamp.word);
    }
    updateAccessibleDisplay();
}

// The panel's description reads as the digits and lamps show: "[03] 01:07, NORMAL".
void PlayerWindow::updateAccessibleDisplay()
{
    // Built only when a digit or lamp changed: this runs 20 times a second,
    // and a steady display costs a comparison of a few bytes, nothing more.
    static_assert(std::tuple_size_v<decltype(accessibleShown_)> == 6 + std::size(Lamps));
    const PictureWidget* const litLamps[] = {normalLamp_, repeatLamp_, randomLamp_};
    static_assert(std::size(litLamps) == std::size(Lamps));
    decltype(accessibleShown_) shown{};
    for (int i = 0; i < 6; ++i)
        shown[i] = digits_[i]->number();
    for (std::size_t i = 0; i < std::size(Lamps); ++i)
        shown[6 + i] = litLamps[i]->isHidden() ? '0' : '1';
    if (shown == accessibleShown_ && !accessibleDisplay_.isEmpty())
        return;
    accessibleShown_ = shown;

    QString text = QStringLiteral("[  ]   :  ");
    static constexpr int at[6] = {1, 2, 5, 6, 8, 9};
    for (int i = 0; i < 6; ++i) {
        const char c = shown[i];
        if (c >= '0' && c <= '9')
            text[at[i]] = QLatin1Char(c);
    }
    QStringList lit;
    for (std::size_t i = 0; i < std::size(Lamps); ++i)
        if (shown[6 + i] == '1')
            lit << Lamps[i].word;
    text += QStringLiteral(", ") + lit.join(QLatin1Char(' '));
    if (text == accessibleDisplay_)
        return;
    accessibleDisplay_ = text;
    displayPanel_->setAccessibleDescription(text);
    for (const Lamp& lamp : Lamps) {
        PictureWidget* image = images_.value(lamp.lit);
        image->setAccessibleDescription(image->isHidden() ? QStringLiteral("unlit") : QStringLiteral("lit"));
    }
}

void PlayerWindow::installShortcuts(QWidget* window)
{
    const auto add = [this, window](const QKeySequence& key, auto handler) {
        auto* shortcut = new QShortcut(key, window);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, handler);
    };
    add(QKeySequence(Qt::Key_Space), &PlayerWindow::spaceKey);
    add(QKeySequence(Qt::Key_Left), &PlayerWindow::rewind);
    add(QKeySequence(Qt::Key_Right), &PlayerWindow::fastForward);
    add(QKeySequence(Qt::Key_E), &PlayerWindow::eject);
    add(QKeySequence(Qt::Key_M), &PlayerWindow::cyclePlayMode);
    add(QKeySequence(Qt::Key_L), &PlayerWindow::onLyricsItemClicked);
    add(QKeySequence(Qt::CTRL | Qt::Key_Q), &PlayerWindow::onPowerClicked);
    const auto menu = [this, window] { popupMenuFromKeyboard(window); };
    add(QKeySequence(Qt::Key_Menu), menu);
    add(QKeySequence(Qt::SHIFT | Qt::Key_F10), menu);
}

void PlayerWindow::spaceKey()
{
    auto* focused = qobject_cast<PictureButton*>(QApplication::focusWidget());
    if (focused && focused->window() == this && focused->isVisible() && focused->isEnabled()) {
        focused->click();
        return;
    }
    if (playButton_->isEnabled())
        play();
    else
        stop();
}

// The menu opens over the display panel, or over the strip in mini mode.
void PlayerWindow::popupMenuFromKeyboard(QWidget* window)
{
    const QPoint at = window == this ? displayPanel_->mapToGlobal(QPoint(0, displayPanel_->height()))
                                     : window->mapToGlobal(MiniPlayerWindow::DrawnArea.bottomLeft());
    popupMenu_->popupAtPointer(at);
}

void PlayerWindow::createPopupMenu()
{
    popupMenu_ = new PlayerPopupMenu(this);
    const auto bind = [this](QLatin1String name, void (PlayerWindow::*handler)()) {
        connect(menuItem(name), &QAction::triggered, this, handler);
    };
    bind(Menu::Play, &PlayerWindow::play);
    bind(Menu::Stop, &PlayerWindow::stop);
    bind(Menu::Rewind, &PlayerWindow::rewind);
    bind(Menu::FastForward, &PlayerWindow::fastForward);
    bind(Menu::Eject, &PlayerWindow::eject);
    bind(Menu::ModeNormal, &PlayerWindow::setNormalMode);
    bind(Menu::ModeRepeat, &PlayerWindow::setRepeatMode);
    bind(Menu::ModeRepeatAll, &PlayerWindow::setRepeatAllMode);
    bind(Menu::ModeRandom, &PlayerWindow::setRandomMode);
    bind(Menu::SetRhythm, &PlayerWindow::openCompileWindow);
    bind(Menu::Relate, &PlayerWindow::onRelationClicked);
    bind(Menu::LyricsOn, &PlayerWindow::onLyricsItemClicked);
    bind(Menu::Minimize, &PlayerWindow::onMinimizeClicked);
    bind(Menu::MiniMode, &PlayerWindow::onMiniModeItemClicked);
    bind(Menu::Version, &PlayerWindow::showVersion);
    bind(Menu::Quit, &PlayerWindow::onPowerClicked);
    bind(Menu::ScriptEditor, &PlayerWindow::openScriptEditor);
    // The menu takes the pointer, and with it the release that ends the lengths view.
    connect(popupMenu_, &QMenu::aboutToShow, this, &PlayerWindow::endLengthsView);
}

PictureButton* PlayerWindow::button(const QString& name) const
{
    return buttons_.value(name);
}

QAction* PlayerWindow::menuItem(QLatin1String name) const
{
    return popupMenu_->item(name);
}

// The skin is drawn for the screen's pixel density, so it stays sharp on
// dense screens; it is drawn again when the window moves to another screen.
void PlayerWindow::applySkin()
{
    const qreal ratio = devicePixelRatioF();
    if (qFuzzyCompare(ratio, skinRatio_))
        return;
    skinRatio_ = ratio;
    const SkinPictures skin = SkinPictures::forScreen(ratio);
    for (auto it = images_.cbegin(); it != images_.cend(); ++it)
        it.value()->setPicture(QPixmap::fromImage(skin.picture(it.key())));
    using Face = SkinPictures::Face;
    for (auto it = buttons_.cbegin(); it != buttons_.cend(); ++it) {
        const auto face = [&](Face f) { return QPixmap::fromImage(skin.face(it.key(), f)); };
        it.value()->setPictures(face(Face::Up), face(Face::Disabled), face(Face::Pressed), face(Face::Down));
    }
}

// Qt draws in true colour whatever the display's depth, so there is no
// logical palette to select and realise: the skin and the displays are drawn
// straight from SkinPalette's colours. Kept as the step where a palette-based
// display would set it up.
void PlayerWindow::createPalette()
{
    static_assert(SkinPalette::Count == 63);
}

void PlayerWindow::createForm()
{
    setClientHeight(WindowClip::clientHeight(false));
    if (!refused_)
        loadPlayerState();
}

QPoint PlayerWindow::wholeOnScreen(QRect window) const
{
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens << screen->availableGeometry();
    return WindowPlacement::fullyOnScreen(window, screens);
}

QPoint PlayerWindow::onScreen(QRect window) const
{
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens << screen->availableGeometry();
    return WindowPlacement::keepOnScreen(window, screens);
}

// Each value read is applied at once; the first that cannot be read ends the
// load, and what follows the reads is then skipped.
void PlayerWindow::loadPlayerState()
{
    const PlayerStateStore::PlayerValues saved = PlayerStateStore::loadPlayer(settings_);
    // Where the window system places windows itself, saved positions mean nothing.
    if (saved.left && !compositorMovesWindows()) {
        QPoint place(*saved.left, saved.top.value_or(y()));
        if (saved.top)
            place = onScreen(QRect(place, frameGeometry().size()));
        move(place);
    }
    if (saved.mode)
        state_.playMode = playModeFromStored(*saved.mode);
    if (saved.wordsOn)
        lyricsButton_->setChecked(*saved.wordsOn);
    if (saved.miniMode)
        menuItem(Menu::MiniMode)->setChecked(*saved.miniMode);
    if (!saved.complete)
        return;
    menuItem(Menu::LyricsOn)->setChecked(lyricsButton_->isChecked());
    // A mode out of range keeps the lamps and the check as they are.
    showPlayMode(state_.playMode);
    if (menuItem(Menu::MiniMode)->isChecked()) {
        // The main window hides at its first paint; only the strip shows.
        state_.firstPaintDone = false;
        enterMiniMode();
    }
}

// Saved where the full window would reappear: in mini mode, centred on the strip.
void PlayerWindow::savePlayerState()
{
    if (miniWindow_)
        move(WindowPlacement::centred(miniWindow_->frameGeometry(), frameGeometry().size()));
    PlayerStateStore::SavedPlayer values;
    values.left = x();
    values.top = y();
    values.mode = int(state_.playMode);
    values.wordsOn = lyricsButton_->isChecked();
    values.miniMode = menuItem(Menu::MiniMode)->isChecked();
    PlayerStateStore::savePlayer(settings_, values);
}

void PlayerWindow::onMiniModeItemClicked()
{
    if (menuItem(Menu::MiniMode)->isChecked())
        enterMiniMode();
    else
        leaveMiniMode();
}

void PlayerWindow::enterMiniMode()
{
    if (miniWindow_)
        return;
    hide();
    miniWindow_ = new MiniPlayerWindow(*popupMenu_, this);
    installShortcuts(miniWindow_);
    connect(miniWindow_, &MiniPlayerWindow::closeRequested, this, &QWidget::close);
    connect(miniWindow_, &MiniPlayerWindow::restored, this, &PlayerWindow::applicationRestored);
    mirrorDigitsToMiniWindow();
    applyTrackTitle();
    miniWindow_->move(WindowPlacement::centred(frameGeometry(), miniWindow_->frameGeometry().size()));
    miniWindow_->show();
    miniWindow_->raise();
}

void PlayerWindow::leaveMiniMode()
{
    if (!miniWindow_)
        return;
    move(WindowPlacement::centred(miniWindow_->frameGeometry(), frameGeometry().size()));
    // The reference is empty before the strip goes. The strip goes once its
    // own handlers are done: this runs from its menu, inside its press.
    MiniPlayerWindow* mini = miniWindow_;
    miniWindow_ = nullptr;
    mini->hide();
    mini->deleteLater();
    state_.firstPaintDone = true;
    show();
    raise();
    activateWindow();
}

void PlayerWindow::mirrorDigitsToMiniWindow()
{
    if (miniWindow_) {
        for (int i = 1; i <= 6; ++i)
            miniWindow_->digit(i)->setNumber(digits_[i - 1]->number());
    }
    updateAccessibleDisplay();
}

QWidget* PlayerWindow::boxOwner()
{
    if (miniWindow_ && miniWindow_->isVisible())
        return miniWindow_;
    return this;
}

QString PlayerWindow::noDiscMessage()
{
    return QStringLiteral("ＣＤが入っていません。\nＣＤを入れてから再生してください。");
}

void PlayerWindow::reportNoDisc()
{
    boxes_.show(QStringLiteral("Information"), noDiscMessage(), BoxIcon::Information, BoxButtons::Ok);
}

void PlayerWindow::setClientHeight(int height)
{
    setFixedSize(SkinLayout::ClientWidth, height);
    bottomEdge_->move(0, WindowClip::bottomEdgeTop(height));
    applyClip();
}

void PlayerWindow::applyClip()
{
    // The visible region is worked out in window coordinates, frame included;
    // the mask is given in client coordinates.
    const QRect frame = frameGeometry();
    QRect region = WindowClip::visibleRegion(frame.size(), size());
    region.translate(frame.topLeft() - geometry().topLeft());
    setMask(region);
    update();
}

void PlayerWindow::onExtendClicked()
{
    const bool extended = extendButton_->isChecked();
    for (PictureButton* b : {editorButton_, compileButton_, relationButton_, lyricsButton_}) {
        b->setFocusPolicy(extended ? Qt::TabFocus : Qt::NoFocus);
        // The focus never stays on a button the fold clips away: Space
        // would press what the user cannot see.
        if (!extended && b->hasFocus())
            extendButton_->setFocus(Qt::TabFocusReason);
    }
    setClientHeight(WindowClip::clientHeight(extended));
}

void PlayerWindow::onTick()
{
    monitor_.onTick();
    showTrackTitle();
}

void PlayerWindow::showTrackTitle()
{
    const TitleKey key{state_.currentTrack, state_.trackCount, state_.doorOpen};
    if (titleKey_ == key)
        return;
    titleKey_ = key;
    trackTitle_.clear();
    ReplyBuffer reply;
    if (!key.doorOpen &&
        DeviceCommands::sendNumber(device_, "info cdaudio title track %d", key.track, reply) == 0)
        trackTitle_ = QString::fromUtf8(reply.toByteArray());
    applyTrackTitle();
}

void PlayerWindow::applyTrackTitle()
{
    for (int i = 1; i <= 6; ++i) {
        digits_[i - 1]->setToolTip(trackTitle_);
        if (miniWindow_)
            miniWindow_->digit(i)->setToolTip(trackTitle_);
    }
}

// The form, the buttons (which pass on every press but the left button's)
// and the title plate: the right button opens the menu at the pointer.
void PlayerWindow::onPanelMousePress(QMouseEvent* event)
{
    if (event->buttons() & Qt::RightButton)
        popupMenu_->popupAtPointer(event->globalPosition().toPoint());
}

void PlayerWindow::onPanelMouseMove(QMouseEvent* event)
{
    // A button that the pointer leaves with the left button held passes its
    // moves on to the window: only a press on a drag source may drag.
    if (!(event->buttons() & Qt::LeftButton))
        dragging_ = false;
    if (compositorMovesWindows()) {
        // The compositor takes the pointer until the button is released, so
        // the release never reaches the panel: the lengths go back now. A
        // press without a move still shows them as long as it is held.
        if (dragging_ && windowHandle() && windowHandle()->startSystemMove()) {
            dragging_ = false;
            endLengthsView();
        }
        return;
    }
    // Left + X is where the pointer is on the screen. Taking it from the
    // event's screen position rather than from the window's position keeps a
    // fast drag steady while the window system is still catching up.
    const QPoint left = pos();
    const QPoint at = event->globalPosition().toPoint() - left;
    const QPoint moved = drag_.mouseMove(left, at, dragging_, popupMenu_->dragging);
    if (moved != left)
        move(moved);
}

void PlayerWindow::beginDrag(QMouseEvent* event)
{
    dragging_ = true;
    // Anchor where the button went down: without a hover move since the
    // window last moved under a still pointer, the anchor would be stale and
    // the first move would make the window jump.
    drag_.mouseMove(pos(), event->globalPosition().toPoint() - pos(), false, popupMenu_->dragging);
}

void PlayerWindow::mousePressEvent(QMouseEvent* event)
{
    onPanelMousePress(event);
    if (event->button() == Qt::LeftButton)
        beginDrag(event);
}

// A disabled button takes no pointer events, but the right button on it
// still opens the menu, as everywhere else on the window.
bool PlayerWindow::eventFilter(QObject* watched, QEvent* event)
{
    // The release may land anywhere (a box or the menu took the pointer), or
    // never come (the window lost the focus, a box blocks it): each ends the view.
    if (state_.showLengths) {
        switch (event->type()) {
        case QEvent::MouseButtonRelease:
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
                endLengthsView();
            break;
        case QEvent::WindowBlocked:
        case QEvent::WindowDeactivate:
        case QEvent::Hide:
            if (watched == this)
                endLengthsView();
            break;
        default:
            break;
        }
    }
    if (event->type() == QEvent::MouseButtonPress) {
        auto* b = qobject_cast<PictureButton*>(watched);
        auto* press = static_cast<QMouseEvent*>(event);
        if (b && b->parentWidget() == this && !b->isEnabled() && press->button() == Qt::RightButton) {
            onPanelMousePress(press);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void PlayerWindow::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        dragging_ = false;
}

void PlayerWindow::mouseMoveEvent(QMouseEvent* event)
{
    onPanelMouseMove(event);
}

// The display panel, its lamps, digits and colon dots: the right button
// opens the menu; holding the left button shows the lengths and drags.
void PlayerWindow::onDisplayMousePress(QMouseEvent* event)
{
    if (event->buttons() & Qt::LeftButton) {
        beginLengthsView();
        if (event->button() == Qt::LeftButton)
            beginDrag(event);
    }
    // After the view began: the menu then takes the pointer and ends it.
    if (event->buttons() & Qt::RightButton)
        popupMenu_->popupAtPointer(event->globalPosition().toPoint());
}

void PlayerWindow::onDisplayMouseRelease(QMouseEvent* event)
{
    endLengthsView();
    if (event->button() == Qt::LeftButton)
        dragging_ = false;
}

// Any way the press on the panel ends has to end the lengths view, so the
// whole application's events are watched while it shows, and only then.
void PlayerWindow::beginLengthsView()
{
    state_.showLengths = true;
    qApp->installEventFilter(this);
}

void PlayerWindow::endLengthsView()
{
    state_.showLengths = false;
    qApp->removeEventFilter(this);
}

void PlayerWindow::onLyricsButtonClicked()
{
    menuItem(Menu::LyricsOn)->setChecked(lyricsButton_->isChecked());
    // Switching on shows nothing at once: lyrics appear at the next play.
    if (!lyricsButton_->isChecked())
        lyricsSwitchedOff();
}

void PlayerWindow::onLyricsItemClicked()
{
    lyricsButton_->setChecked(!lyricsButton_->isChecked());
    onLyricsButtonClicked();
}

void PlayerWindow::onMinimizeClicked()
{
    if (miniWindow_)
        miniWindow_->showMinimized();
    else
        showMinimized();
}

void PlayerWindow::showVersion()
{
    boxes_.show(VersionInfo::caption(), VersionInfo::text(), BoxIcon::Information, BoxButtons::Ok);
}

// Ties the lyrics file the user picks to the track on the digits. The
// button and its menu twin stay disabled while the dialog is open, since
// the monitor keeps ticking underneath it.
void PlayerWindow::onRelationClicked()
{
    relationButton_->setEnabled(false);
    menuItem(Menu::Relate)->setEnabled(false);
    association_.relate(state_.currentTrack);
    relationButton_->setEnabled(true);
    menuItem(Menu::Relate)->setEnabled(true);
}

void PlayerWindow::openCompileWindow()
{
    compileButton_->setEnabled(false);
    menuItem(Menu::SetRhythm)->setEnabled(false);
    compileWindow_ = new CompileWindow(*this, device_, boxes_, dialogs_, settings_);
    compileWindow_->show();
}

void PlayerWindow::openScriptEditor()
{
    if (editorWindow_)
        return;
    editorButton_->setEnabled(false);
    menuItem(Menu::ScriptEditor)->setEnabled(false);
    // Dialogs handed to the player (tests) serve the editor too; otherwise
    // it asks on screen over its own window.
    editorWindow_ = new ScriptEditorWindow(*this, boxes_, ownDialogs_ ? nullptr : &dialogs_);
    // The preview draws in a display window of its own, as the player's.
    editorWindow_->setPreviewWindows([](WordsSource& source) {
        auto host = std::make_unique<LyricsWindowKeeper>(source);
        host->loadPosition = [](LyricsWindow& form) { form.setWindowTitle(QStringLiteral("プレビュー")); };
        return std::unique_ptr<LyricsWindowHost>(std::move(host));
    });
    editorWindow_->show();
}

void PlayerWindow::scriptEditorClosed()
{
    editorWindow_ = nullptr;
    editorButton_->setEnabled(true);
    menuItem(Menu::ScriptEditor)->setEnabled(true);
}

void PlayerWindow::reloadCompilerScript()
{
    if (compileWindow_)
        compileWindow_->reloadScript();
}

void PlayerWindow::compilerWindowClosed()
{
    compileWindow_ = nullptr;
    compileButton_->setEnabled(true);
    menuItem(Menu::SetRhythm)->setEnabled(true);
    activateWindow();
    setFocus();
}

PlayerControls::HookResult PlayerWindow::endRunningCapture()
{
    if (compileWindow_ && compileWindow_->captureRunning())
        compileWindow_->trackChanged();
    return HookResult::Done;
}

void PlayerWindow::setPlayEnabled(bool enabled)
{
    // Asked every tick, and nothing else enables or disables Play.
    if (playEnabled_ == enabled)
        return;
    playEnabled_ = enabled;
    playButton_->setEnabled(enabled);
    // Asked every tick: the item is looked up once.
    if (!playItem_)
        playItem_ = menuItem(Menu::Play);
    playItem_->setEnabled(enabled);
}

void PlayerWindow::setDigit(int index, char character)
{
    if (index >= 1 && index <= 6)
        digits_[index - 1]->setNumber(character);
}

void PlayerWindow::showPlayMode(PlayMode mode)
{
    const auto row = ModeTable::row(int(mode));
    if (!row)
        return;
    normalLamp_->setVisible(row->normalLit);
    repeatLamp_->setVisible(row->repeatLit);
    randomLamp_->setVisible(row->randomLit);
    popupMenu_->checkMode(int(mode));
}

void PlayerWindow::setApplicationTitle(const QString& title)
{
    setWindowTitle(title);
}

bool PlayerWindow::minimizeButtonDown() const
{
    return minimizeButton_->isChecked();
}

bool PlayerWindow::wordsOnDown() const
{
    return lyricsButton_->isChecked();
}

void PlayerWindow::onPowerClicked()
{
    savePlayerState();
    close();
}

void PlayerWindow::hideBeforeFirstPaint()
{
    if (!state_.firstPaintDone) {
        hide();
        state_.firstPaintDone = true;
    }
}

void PlayerWindow::paintEvent(QPaintEvent* event)
{
    QWidget::paintEvent(event);
    hideBeforeFirstPaint();
}

void PlayerWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!screenWatched_ && windowHandle()) {
        screenWatched_ = true;
        connect(windowHandle(), &QWindow::screenChanged, this, &PlayerWindow::applySkin);
    }
    applySkin();
    applyClip();
    if (!QApplication::focusWidget() || QApplication::focusWidget()->window() != this)
        setFocus(Qt::ActiveWindowFocusReason);
}

void PlayerWindow::shutDown()
{
    if (closed_ || refused_)
        return;
    closed_ = true;
    if (compileWindow_)
        compileWindow_->close();
    // The strip goes with the player, which would otherwise stay open behind
    // it; later, since quitting from its menu runs inside its press.
    if (miniWindow_) {
        miniWindow_->hide();
        miniWindow_->deleteLater();
        miniWindow_ = nullptr;
    }
    tickTimer_->stop();
    lyricsPlayback_.closeAtExit();
    ReplyBuffer reply;
    device_.sendCommand("stop cdaudio", reply);
    device_.sendCommand("close cdaudio", reply);
}

void PlayerWindow::closeEvent(QCloseEvent* event)
{
    // The editor asks about unsaved text first; a save the user wanted that
    // did not happen keeps the editor, and so the program, open.
    if (editorWindow_ && !closed_ && !editorWindow_->close()) {
        event->ignore();
        return;
    }
    shutDown();
    event->accept();
    Q_EMIT closed();
}

void PlayerWindow::applicationRestored()
{
    minimizeButton_->setChecked(false);
    setWindowTitle(AppTitle);
}

void PlayerWindow::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::WindowStateChange) {
        const auto* change = static_cast<QWindowStateChangeEvent*>(event);
        if ((change->oldState() & Qt::WindowMinimized) && !(windowState() & Qt::WindowMinimized))
            applicationRestored();
    }
    QWidget::changeEvent(event);
}
