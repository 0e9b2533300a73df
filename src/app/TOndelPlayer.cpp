#include "app/TOndelPlayer.h"

#include "compile/ui/Compile.h"
#include "controls/DigitalDisplay.h"
#include "controls/Image.h"
#include "controls/PictureButton.h"
#include "controls/Shape.h"
#include "editor/SongEditer01.h"
#include "lyrics/ui/WordsDisplay.h"
#include "platform/MessageBoxes.h"
#include "platform/SettingsStore.h"
#include "platform/cdaudio/CdAudioDevice.h"
#include "platform/widgets/QtFileDialogs.h"
#include "player/PlayerStartup.h"
#include "player/PlayerStateStore.h"
#include "window/MiniCDPlayer01.h"
#include "window/ModeTable.h"
#include "window/PlayerPopupMenu.h"
#include "window/SkinLayout.h"
#include "window/SkinPalette.h"
#include "window/SkinPictures.h"
#include "window/VersionInfo.h"
#include "window/WindowClip.h"
#include "window/WindowPlacement.h"

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
#include <type_traits>

namespace {
const QString AppTitle = QStringLiteral("OndelPlayer");

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

TOndelPlayer::TOndelPlayer(CdAudioDevice& device, MessageBoxes& boxes, SettingsStore& settings,
                           FileDialogs* dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), device_(device), boxes_(boxes),
      settings_(settings),
      ownDialogs_(dialogs ? nullptr : std::unique_ptr<FileDialogs>(new QtFileDialogs(this))),
      dialogs_(dialogs ? *dialogs : *ownDialogs_)
{
    setObjectName(SkinLayout::FormName);
    // No lyrics are shown while the compiler window times a script.
    wordsDisplay_.captureRunning = [this] { return CompileForm && CompileForm->Compiling(); };
    setWindowTitle(AppTitle);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Body);
    setPalette(pal);
    // Hovering keeps the drag anchor under the pointer, so a drag starts
    // where the button went down.
    setMouseTracking(true);
    setFixedSize(SkinLayout::ClientWidth, WindowClip::clientHeight(false));

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(50);
    // Qt never delivers a timer's event while its previous one is still being
    // handled, so a box opened inside a tick (a lyrics error at a track
    // change) would stop every tick until it is answered. The tick runs as a
    // posted call instead: the timer's event returns at once, and the next
    // tick comes inside any box, whoever opened it. At most one tick waits.
    connect(Timer1, &QTimer::timeout, this, [this] {
        if (tickQueued_)
            return;
        tickQueued_ = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                tickQueued_ = false;
                if (!closed_)
                    Timer1Timer();
            },
            Qt::QueuedConnection);
    });

    createComponents();
    createPopupMenu();
    applySkin();
    describeControls();
    installShortcuts(this);
    // The window itself holds the focus until the user tabs to a button, so
    // the focus never comes back from a box onto a button it does not show on.
    setFocusPolicy(Qt::StrongFocus);
    // Any way the press on the panel ends has to end the lengths view.
    qApp->installEventFilter(this);

    // The lyrics display window comes back where the user left it.
    wordsDisplay_.savePosition = [this](TWordsDisplayForm& form) {
        PlayerStateStore::saveDisplay(settings_, form.x(), form.y());
    };
    wordsDisplay_.loadPosition = [this](TWordsDisplayForm& form) {
        // A window already on screen stays where the user has it now.
        if (form.isVisible() || compositorMovesWindows())
            return;
        const PlayerStateStore::DisplayPosition saved = PlayerStateStore::loadDisplay(settings_);
        QPoint place = form.pos();
        if (saved.left)
            place.setX(*saved.left);
        if (saved.top)
            place.setY(*saved.top);
        if (saved.left)
            form.move(onScreen(QRect(place, form.frameGeometry().size())));
    };

    // Construction steps: the device is opened first; everything that needs
    // a running device is skipped when another program holds it.
    state_.EditorFileName.clear();
    if (PlayerStartup::openDevice(device_, boxes_, state_) == PlayerStartup::Outcome::Refused) {
        refused_ = true;
        hide();
        QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                                  Qt::QueuedConnection);
    }
    else {
        Timer1->start();
        createPalette();
    }
    FormCreate();
}

TOndelPlayer::~TOndelPlayer()
{
    // Tool windows still open when the program ends without closing its
    // windows go with the window they report to.
    delete SongEditer.data();
    delete CompileForm.data();
}

// Every component at its designed place, created in stacking order so that
// later ones lie on top (the bottom edge above the side edges, the digits
// and lamps above the panel, the lit lamps above the dim ones).
void TOndelPlayer::createComponents()
{
    const auto bindPanelGroup = [this](auto* component) {
        using Component = std::remove_pointer_t<decltype(component)>;
        component->setMouseTracking(true);
        connect(component, &Component::OnMouseDown, this, &TOndelPlayer::Shape3MouseDown);
        connect(component, &Component::OnMouseUp, this, &TOndelPlayer::Shape3MouseUp);
        connect(component, &Component::OnMouseMove, this, &TOndelPlayer::FormMouseMove);
    };
    int digit = 0;
    for (const SkinLayout::Component& c : SkinLayout::components()) {
        QWidget* widget = nullptr;
        switch (c.kind) {
        case SkinLayout::Kind::Picture:
        case SkinLayout::Kind::Lamp: {
            auto* image = new TImage(this);
            images_.insert(c.name, image);
            if (c.kind == SkinLayout::Kind::Lamp)
                bindPanelGroup(image);
            widget = image;
            break;
        }
        case SkinLayout::Kind::Panel:
            Shape3 = new TShape(TShape::Kind::Rectangle, PanelFill, PanelOutline, this);
            bindPanelGroup(Shape3);
            widget = Shape3;
            break;
        case SkinLayout::Kind::Digit: {
            auto* display = new TDigitalDisplay(this);
            display->setForColor(Lime);
            display->setBackColor(DigitBack);
            display->setBarWidth(3);
            bindPanelGroup(display);
            ClockDisp[digit++] = display;
            widget = display;
            break;
        }
        case SkinLayout::Kind::Dot: {
            auto* dot = new TShape(TShape::Kind::Circle, Lime, Lime, this);
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

    Image9 = images_.value(QStringLiteral("Image9"));
    NORMALImage0 = images_.value(QStringLiteral("NORMALImage0"));
    REPEATImage0 = images_.value(QStringLiteral("REPEATImage0"));
    RANDOMImage0 = images_.value(QStringLiteral("RANDOMImage0"));
    REPEATImage0->hide();
    RANDOMImage0->hide();

    // The title plate opens the version box and, like the buttons, the menu;
    // it has no move handler, so it never drags the window.
    TImage* Image1 = images_.value(QStringLiteral("Image1"));
    connect(Image1, &TImage::OnClick, this, &TOndelPlayer::Image1Click);
    connect(Image1, &TImage::OnMouseDown, this, &TOndelPlayer::FormMouseDown);

    Power1 = button(QStringLiteral("Power1"));
    MinimizeButtom1 = button(QStringLiteral("MinimizeButtom1"));
    Play = button(QStringLiteral("Play"));
    ExtendedButtom1 = button(QStringLiteral("ExtendedButtom1"));
    GoSongEditer = button(QStringLiteral("GoSongEditer"));
    Compile = button(QStringLiteral("Compile"));
    Relation = button(QStringLiteral("Relation"));
    WordsOn1 = button(QStringLiteral("WordsOn1"));
    Power1->setChecked(true);
    WordsOn1->setChecked(true);

    connect(Power1, &QAbstractButton::clicked, this, &TOndelPlayer::Power1Click);
    // A second click with nothing iconified (no window manager) brings the
    // window and its title back rather than leaving the time frozen there.
    connect(MinimizeButtom1, &QAbstractButton::clicked, this, [this](bool down) {
        if (down) {
            MinimizeButtom1Click();
            return;
        }
        showNormal();
        applicationRestored();
    });
    connect(button(QStringLiteral("Eject1")), &QAbstractButton::clicked, this, &TOndelPlayer::Eject1Click);
    connect(button(QStringLiteral("SetMode")), &QAbstractButton::clicked, this, &TOndelPlayer::SetModeClick);
    connect(button(QStringLiteral("Rew")), &QAbstractButton::clicked, this, &TOndelPlayer::RewClick);
    connect(Play, &QAbstractButton::clicked, this, &TOndelPlayer::PlayClick);
    connect(button(QStringLiteral("Stop")), &QAbstractButton::clicked, this, &TOndelPlayer::StopClick);
    connect(button(QStringLiteral("FF")), &QAbstractButton::clicked, this, &TOndelPlayer::FFClick);
    connect(ExtendedButtom1, &QAbstractButton::clicked, this, &TOndelPlayer::ExtendedButtom1Click);
    connect(Compile, &QAbstractButton::clicked, this, &TOndelPlayer::CompileClick);
    connect(Relation, &QAbstractButton::clicked, this, &TOndelPlayer::RelationClick);
    connect(WordsOn1, &QAbstractButton::clicked, this, &TOndelPlayer::WordsOn1Click);
    connect(GoSongEditer, &QAbstractButton::clicked, this, &TOndelPlayer::GoSongEditerClick);

    // Every button that is always visible is a tab stop; the extended row
    // becomes one while it is shown.
    for (const char* name :
         {"Power1", "MinimizeButtom1", "Eject1", "SetMode", "Rew", "Play", "Stop", "FF", "ExtendedButtom1"})
        button(QLatin1String(name))->setFocusPolicy(Qt::TabFocus);
}

// Tooltips carry the menu captions and the key that does the same; the
// accessible names say what each control is to a screen reader.
void TOndelPlayer::describeControls()
{
    const struct {
        const char* name;
        const char* accessible;
        QString tip;
    } table[] = {
        {"Power1", "Quit", QStringLiteral("終了 (Ctrl+Q)")},
        {"MinimizeButtom1", "Minimise", QStringLiteral("最小化")},
        {"Eject1", "Eject", QStringLiteral("取出し (E)")},
        {"SetMode", "Mode", QStringLiteral("モード (M)")},
        {"Rew", "Previous track", QStringLiteral("巻き戻し (←)")},
        {"Play", "Play", QStringLiteral("再生 (Space)")},
        {"Stop", "Stop", QStringLiteral("停止 (Space)")},
        {"FF", "Next track", QStringLiteral("早送り (→)")},
        {"ExtendedButtom1", "Tools", QStringLiteral("Words Editer / Set Rhythm / Relate / Words On")},
        {"GoSongEditer", "Words Editer", QStringLiteral("Words Editer")},
        {"Compile", "Set Rhythm", QStringLiteral("Set Rhythm")},
        {"Relation", "Relate", QStringLiteral("Relate")},
        {"WordsOn1", "Words On", QStringLiteral("Words On (L)")},
    };
    for (const auto& row : table) {
        PictureButton* b = button(QLatin1String(row.name));
        b->setToolTip(row.tip);
        b->setAccessibleName(QLatin1String(row.accessible));
        b->setAccessibleDescription(row.tip);
    }
    images_.value(QStringLiteral("Image1"))->setAccessibleName(QStringLiteral("OndelPlayer"));
    images_.value(QStringLiteral("Image1"))->setToolTip(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    Shape3->setAccessibleName(QStringLiteral("Track and time"));
    for (int i = 0; i < 6; ++i)
        ClockDisp[i]->setAccessibleName(QStringLiteral("Digit %1").arg(i + 1));
    for (const char* lamp : {"NORMAL", "REPEAT", "RANDOM"}) {
        images_.value(QLatin1String(lamp) + QLatin1String("Image1"))->setAccessibleName(QLatin1String(lamp));
        images_.value(QLatin1String(lamp) + QLatin1String("Image0"))->setAccessibleName(QLatin1String(lamp));
    }
    updateAccessibleDisplay();
}

// The panel's description reads as the digits and lamps show: "[03] 01:07, NORMAL".
void TOndelPlayer::updateAccessibleDisplay()
{
    QString text = QStringLiteral("[  ]   :  ");
    static constexpr int at[6] = {1, 2, 5, 6, 8, 9};
    for (int i = 0; i < 6; ++i) {
        const char c = ClockDisp[i]->Number();
        if (c >= '0' && c <= '9')
            text[at[i]] = QLatin1Char(c);
    }
    QStringList lit;
    for (const char* lamp : {"NORMAL", "REPEAT", "RANDOM"})
        if (!images_.value(QLatin1String(lamp) + QLatin1String("Image0"))->isHidden())
            lit << QLatin1String(lamp);
    text += QStringLiteral(", ") + lit.join(QLatin1Char(' '));
    // Written only when it changes: the digits are written 20 times a second.
    if (text == accessibleDisplay_)
        return;
    accessibleDisplay_ = text;
    Shape3->setAccessibleDescription(text);
    for (const char* lamp : {"NORMAL", "REPEAT", "RANDOM"}) {
        TImage* image = images_.value(QLatin1String(lamp) + QLatin1String("Image0"));
        image->setAccessibleDescription(image->isHidden() ? QStringLiteral("unlit") : QStringLiteral("lit"));
    }
}

void TOndelPlayer::installShortcuts(QWidget* window)
{
    const auto add = [this, window](const QKeySequence& key, auto handler) {
        auto* shortcut = new QShortcut(key, window);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, handler);
    };
    add(QKeySequence(Qt::Key_Space), &TOndelPlayer::spaceKey);
    add(QKeySequence(Qt::Key_Left), &TOndelPlayer::RewClick);
    add(QKeySequence(Qt::Key_Right), &TOndelPlayer::FFClick);
    add(QKeySequence(Qt::Key_E), &TOndelPlayer::Eject1Click);
    add(QKeySequence(Qt::Key_M), &TOndelPlayer::SetModeClick);
    add(QKeySequence(Qt::Key_L), &TOndelPlayer::RMenuWordsOnClick);
    add(QKeySequence(Qt::CTRL | Qt::Key_Q), &TOndelPlayer::Power1Click);
    const auto menu = [this, window] { popupMenuFromKeyboard(window); };
    add(QKeySequence(Qt::Key_Menu), menu);
    add(QKeySequence(Qt::SHIFT | Qt::Key_F10), menu);
}

void TOndelPlayer::spaceKey()
{
    auto* focused = qobject_cast<PictureButton*>(QApplication::focusWidget());
    if (focused && focused->window() == this && focused->isVisible() && focused->isEnabled()) {
        focused->click();
        return;
    }
    if (Play->isEnabled())
        PlayClick();
    else
        StopClick();
}

// The menu opens over the display panel, or over the strip in mini mode.
void TOndelPlayer::popupMenuFromKeyboard(QWidget* window)
{
    const QPoint at = window == this ? Shape3->mapToGlobal(QPoint(0, Shape3->height()))
                                     : window->mapToGlobal(TMiniCDPlayer::DrawnArea.bottomLeft());
    PopupMenu1->popupAtPointer(at);
}

void TOndelPlayer::createPopupMenu()
{
    PopupMenu1 = new PlayerPopupMenu(this);
    const auto bind = [this](const char* name, void (TOndelPlayer::*handler)()) {
        connect(menuItem(name), &QAction::triggered, this, handler);
    };
    bind("RMenuPlay", &TOndelPlayer::PlayClick);
    bind("RMenuStop", &TOndelPlayer::StopClick);
    bind("RMenuRew", &TOndelPlayer::RewClick);
    bind("RMenuFF", &TOndelPlayer::FFClick);
    bind("RMenuEject", &TOndelPlayer::Eject1Click);
    bind("RMenuModeNormal", &TOndelPlayer::RMenuModeNormalClick);
    bind("RMenuModeRepeat", &TOndelPlayer::RMenuModeRepeatClick);
    bind("RMenuModeAllRepeat", &TOndelPlayer::RMenuModeAllRepeatClick);
    bind("RMenuModeRandom", &TOndelPlayer::RMenuModeRandomClick);
    bind("RMenuSetRhythm", &TOndelPlayer::CompileClick);
    bind("RMenuRelate", &TOndelPlayer::RelationClick);
    bind("RMenuWordsOn", &TOndelPlayer::RMenuWordsOnClick);
    bind("RMenuMinimize", &TOndelPlayer::MinimizeButtom1Click);
    bind("RMenuResize", &TOndelPlayer::RMenuResizeClick);
    bind("RMenuVersion", &TOndelPlayer::Image1Click);
    bind("RMenuQuit", &TOndelPlayer::Power1Click);
    bind("RMenuRizuzAvodar", &TOndelPlayer::GoSongEditerClick);
    // The menu takes the pointer, and with it the release that ends the lengths view.
    connect(PopupMenu1, &QMenu::aboutToShow, this, &TOndelPlayer::endLengthsView);
}

PictureButton* TOndelPlayer::button(const QString& name) const
{
    return buttons_.value(name);
}

QAction* TOndelPlayer::menuItem(const char* name) const
{
    return PopupMenu1->item(QLatin1String(name));
}

// The skin is drawn for the screen's pixel density, so it stays sharp on
// dense screens; it is drawn again when the window moves to another screen.
void TOndelPlayer::applySkin()
{
    const qreal ratio = devicePixelRatioF();
    if (qFuzzyCompare(ratio, skinRatio_))
        return;
    skinRatio_ = ratio;
    const SkinPictures skin(ratio);
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
void TOndelPlayer::createPalette()
{
    static_assert(SkinPalette::Count == 63);
}

void TOndelPlayer::FormCreate()
{
    setClientHeight(WindowClip::clientHeight(false));
    if (!refused_)
        loadPlayerState();
}

QPoint TOndelPlayer::onScreen(QRect window) const
{
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens << screen->availableGeometry();
    return WindowPlacement::keepOnScreen(window, screens);
}

// Each value read is applied at once; the first that cannot be read ends the
// load, and what follows the reads is then skipped.
void TOndelPlayer::loadPlayerState()
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
        state_.PlayMode = *saved.mode;
    if (saved.wordsOn)
        WordsOn1->setChecked(*saved.wordsOn);
    if (saved.miniMode)
        menuItem("RMenuResize")->setChecked(*saved.miniMode);
    if (!saved.complete)
        return;
    menuItem("RMenuWordsOn")->setChecked(WordsOn1->isChecked());
    // A mode out of range keeps the lamps and the check as they are.
    showPlayMode(state_.PlayMode);
    if (menuItem("RMenuResize")->isChecked()) {
        // The main window hides at its first paint; only the strip shows.
        state_.FirstPaintDone = false;
        enterMiniMode();
    }
}

// Saved where the full window would reappear: in mini mode, centred on the strip.
void TOndelPlayer::savePlayerState()
{
    if (MiniCDPlayer)
        move(WindowPlacement::centred(MiniCDPlayer->frameGeometry(), frameGeometry().size()));
    PlayerStateStore::SavedPlayer values;
    values.left = x();
    values.top = y();
    values.mode = state_.PlayMode;
    values.wordsOn = WordsOn1->isChecked();
    values.miniMode = menuItem("RMenuResize")->isChecked();
    PlayerStateStore::savePlayer(settings_, values);
}

void TOndelPlayer::RMenuResizeClick()
{
    if (menuItem("RMenuResize")->isChecked())
        enterMiniMode();
    else
        leaveMiniMode();
}

void TOndelPlayer::enterMiniMode()
{
    if (MiniCDPlayer)
        return;
    hide();
    MiniCDPlayer = new TMiniCDPlayer(*PopupMenu1, this);
    installShortcuts(MiniCDPlayer);
    connect(MiniCDPlayer, &TMiniCDPlayer::closeRequested, this, &QWidget::close);
    connect(MiniCDPlayer, &TMiniCDPlayer::restored, this, &TOndelPlayer::applicationRestored);
    mirrorDigitsToMiniWindow();
    MiniCDPlayer->move(WindowPlacement::centred(frameGeometry(), MiniCDPlayer->frameGeometry().size()));
    MiniCDPlayer->show();
    MiniCDPlayer->raise();
}

void TOndelPlayer::leaveMiniMode()
{
    if (!MiniCDPlayer)
        return;
    move(WindowPlacement::centred(MiniCDPlayer->frameGeometry(), frameGeometry().size()));
    // The reference is empty before the strip goes. The strip goes once its
    // own handlers are done: this runs from its menu, inside its press.
    TMiniCDPlayer* mini = MiniCDPlayer;
    MiniCDPlayer = nullptr;
    mini->hide();
    mini->deleteLater();
    state_.FirstPaintDone = true;
    show();
    raise();
    activateWindow();
}

void TOndelPlayer::mirrorDigitsToMiniWindow()
{
    if (MiniCDPlayer) {
        for (int i = 1; i <= 6; ++i)
            MiniCDPlayer->digit(i)->setNumber(ClockDisp[i - 1]->Number());
    }
    updateAccessibleDisplay();
}

QWidget* TOndelPlayer::boxOwner()
{
    if (MiniCDPlayer && MiniCDPlayer->isVisible())
        return MiniCDPlayer;
    return this;
}

QString TOndelPlayer::noDiscMessage()
{
    return QStringLiteral("ＣＤが入っていません。\nＣＤを入れてから再生してください。");
}

void TOndelPlayer::reportNoDisc()
{
    boxes_.show(QStringLiteral("Information"), noDiscMessage(), BoxIcon::Information, BoxButtons::Ok);
}

void TOndelPlayer::setClientHeight(int height)
{
    setFixedSize(SkinLayout::ClientWidth, height);
    Image9->move(0, WindowClip::bottomEdgeTop(height));
    applyClip();
}

void TOndelPlayer::applyClip()
{
    // The visible region is worked out in window coordinates, frame included;
    // the mask is given in client coordinates.
    const QRect frame = frameGeometry();
    QRect region = WindowClip::visibleRegion(frame.size(), size());
    region.translate(frame.topLeft() - geometry().topLeft());
    setMask(region);
    update();
}

void TOndelPlayer::ExtendedButtom1Click()
{
    const bool extended = ExtendedButtom1->isChecked();
    for (PictureButton* b : {GoSongEditer, Compile, Relation, WordsOn1}) {
        b->setFocusPolicy(extended ? Qt::TabFocus : Qt::NoFocus);
        // The focus never stays on a button the fold clips away: Space
        // would press what the user cannot see.
        if (!extended && b->hasFocus())
            ExtendedButtom1->setFocus(Qt::TabFocusReason);
    }
    setClientHeight(WindowClip::clientHeight(extended));
}

void TOndelPlayer::Timer1Timer()
{
    monitor_.Timer1Timer();
}

// The form, the buttons (which pass on every press but the left button's)
// and the title plate: the right button opens the menu at the pointer.
void TOndelPlayer::FormMouseDown(QMouseEvent* event)
{
    if (event->buttons() & Qt::RightButton)
        PopupMenu1->popupAtPointer(event->globalPosition().toPoint());
}

void TOndelPlayer::FormMouseMove(QMouseEvent* event)
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
            state_.ShowLengths = false;
        }
        return;
    }
    // Left + X is where the pointer is on the screen. Taking it from the
    // event's screen position rather than from the window's position keeps a
    // fast drag steady while the window system is still catching up.
    const QPoint left = pos();
    const QPoint at = event->globalPosition().toPoint() - left;
    const QPoint moved = drag_.mouseMove(left, at, dragging_, PopupMenu1->Tag);
    if (moved != left)
        move(moved);
}

void TOndelPlayer::beginDrag(QMouseEvent* event)
{
    dragging_ = true;
    // Anchor where the button went down: without a hover move since the
    // window last moved under a still pointer, the anchor would be stale and
    // the first move would make the window jump.
    drag_.mouseMove(pos(), event->globalPosition().toPoint() - pos(), false, PopupMenu1->Tag);
}

void TOndelPlayer::mousePressEvent(QMouseEvent* event)
{
    FormMouseDown(event);
    if (event->button() == Qt::LeftButton)
        beginDrag(event);
}

// A disabled button takes no pointer events, but the right button on it
// still opens the menu, as everywhere else on the window.
bool TOndelPlayer::eventFilter(QObject* watched, QEvent* event)
{
    // The release may land anywhere (a box or the menu took the pointer), or
    // never come (the window lost the focus, a box blocks it): each ends the view.
    if (state_.ShowLengths) {
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
            FormMouseDown(press);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TOndelPlayer::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        dragging_ = false;
}

void TOndelPlayer::mouseMoveEvent(QMouseEvent* event)
{
    FormMouseMove(event);
}

// The display panel, its lamps, digits and colon dots: the right button
// opens the menu; holding the left button shows the lengths and drags.
void TOndelPlayer::Shape3MouseDown(QMouseEvent* event)
{
    if (event->buttons() & Qt::LeftButton) {
        state_.ShowLengths = true;
        if (event->button() == Qt::LeftButton)
            beginDrag(event);
    }
    // After the view began: the menu then takes the pointer and ends it.
    if (event->buttons() & Qt::RightButton)
        PopupMenu1->popupAtPointer(event->globalPosition().toPoint());
}

void TOndelPlayer::Shape3MouseUp(QMouseEvent* event)
{
    state_.ShowLengths = false;
    if (event->button() == Qt::LeftButton)
        dragging_ = false;
}

void TOndelPlayer::endLengthsView()
{
    state_.ShowLengths = false;
}

void TOndelPlayer::WordsOn1Click()
{
    menuItem("RMenuWordsOn")->setChecked(WordsOn1->isChecked());
    // Switching on shows nothing at once: lyrics appear at the next play.
    if (!WordsOn1->isChecked())
        lyricsSwitchedOff();
}

void TOndelPlayer::RMenuWordsOnClick()
{
    WordsOn1->setChecked(!WordsOn1->isChecked());
    WordsOn1Click();
}

void TOndelPlayer::MinimizeButtom1Click()
{
    if (MiniCDPlayer)
        MiniCDPlayer->showMinimized();
    else
        showMinimized();
}

void TOndelPlayer::Image1Click()
{
    boxes_.show(VersionInfo::caption(), VersionInfo::text(), BoxIcon::Information, BoxButtons::Ok);
}

// Ties the lyrics file the user picks to the track on the digits. The
// button and its menu twin stay disabled while the dialog is open, since
// the monitor keeps ticking underneath it.
void TOndelPlayer::RelationClick()
{
    Relation->setEnabled(false);
    menuItem("RMenuRelate")->setEnabled(false);
    association_.relate(state_.CurrentTrack);
    Relation->setEnabled(true);
    menuItem("RMenuRelate")->setEnabled(true);
}

void TOndelPlayer::CompileClick()
{
    Compile->setEnabled(false);
    menuItem("RMenuSetRhythm")->setEnabled(false);
    CompileForm = new TCompileForm(*this, device_, boxes_, dialogs_, settings_);
    CompileForm->show();
}

void TOndelPlayer::GoSongEditerClick()
{
    if (SongEditer)
        return;
    GoSongEditer->setEnabled(false);
    menuItem("RMenuRizuzAvodar")->setEnabled(false);
    // Dialogs handed to the player (tests) serve the editor too; otherwise
    // it asks on screen over its own window.
    SongEditer = new TSongEditer(*this, boxes_, ownDialogs_ ? nullptr : &dialogs_);
    // The preview draws in a display window of its own, as the player's.
    SongEditer->setPreviewWindows([](WordsSource& source) {
        auto host = std::make_unique<WordsDisplayHost>(source);
        host->loadPosition = [](TWordsDisplayForm& form) {
            form.setWindowTitle(QStringLiteral("プレビュー"));
        };
        return std::unique_ptr<LyricsWindowHost>(std::move(host));
    });
    SongEditer->show();
}

void TOndelPlayer::songEditerClosed()
{
    SongEditer = nullptr;
    GoSongEditer->setEnabled(true);
    menuItem("RMenuRizuzAvodar")->setEnabled(true);
}

void TOndelPlayer::reloadCompilerScript()
{
    if (CompileForm)
        CompileForm->ReloadScript();
}

void TOndelPlayer::compilerWindowClosed()
{
    CompileForm = nullptr;
    Compile->setEnabled(true);
    menuItem("RMenuSetRhythm")->setEnabled(true);
    activateWindow();
    setFocus();
}

PlayerControls::HookResult TOndelPlayer::endRunningCapture()
{
    if (CompileForm && CompileForm->captureRunning())
        CompileForm->TrackChanged();
    return HookResult::Done;
}

void TOndelPlayer::setPlayEnabled(bool enabled)
{
    Play->setEnabled(enabled);
    menuItem("RMenuPlay")->setEnabled(enabled);
}

void TOndelPlayer::setDigit(int index, char character)
{
    if (index >= 1 && index <= 6)
        ClockDisp[index - 1]->setNumber(character);
}

void TOndelPlayer::showPlayMode(int playMode)
{
    const auto row = ModeTable::row(playMode);
    if (!row)
        return;
    NORMALImage0->setVisible(row->normalLit);
    REPEATImage0->setVisible(row->repeatLit);
    RANDOMImage0->setVisible(row->randomLit);
    PopupMenu1->checkMode(playMode);
}

void TOndelPlayer::setApplicationTitle(const QString& title)
{
    setWindowTitle(title);
}

bool TOndelPlayer::minimizeButtonDown() const
{
    return MinimizeButtom1->isChecked();
}

bool TOndelPlayer::wordsOnDown() const
{
    return WordsOn1->isChecked();
}

void TOndelPlayer::Power1Click()
{
    savePlayerState();
    close();
}

void TOndelPlayer::FormPaint()
{
    if (!state_.FirstPaintDone) {
        hide();
        state_.FirstPaintDone = true;
    }
}

void TOndelPlayer::paintEvent(QPaintEvent* event)
{
    QWidget::paintEvent(event);
    FormPaint();
}

void TOndelPlayer::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!screenWatched_ && windowHandle()) {
        screenWatched_ = true;
        connect(windowHandle(), &QWindow::screenChanged, this, &TOndelPlayer::applySkin);
    }
    applySkin();
    applyClip();
    if (!QApplication::focusWidget() || QApplication::focusWidget()->window() != this)
        setFocus(Qt::ActiveWindowFocusReason);
}

void TOndelPlayer::FormClose()
{
    if (closed_ || refused_)
        return;
    closed_ = true;
    if (CompileForm)
        CompileForm->close();
    // The strip goes with the player, which would otherwise stay open behind
    // it; later, since quitting from its menu runs inside its press.
    if (MiniCDPlayer) {
        MiniCDPlayer->hide();
        MiniCDPlayer->deleteLater();
        MiniCDPlayer = nullptr;
    }
    Timer1->stop();
    lyricsPlayback_.closeAtExit();
    ReplyBuffer reply;
    device_.DeviceCommand("stop cdaudio", reply);
    device_.DeviceCommand("close cdaudio", reply);
}

void TOndelPlayer::closeEvent(QCloseEvent* event)
{
    // The editor asks about unsaved text first; a save the user wanted that
    // did not happen keeps the editor, and so the program, open.
    if (SongEditer && !closed_ && !SongEditer->close()) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

void TOndelPlayer::applicationRestored()
{
    MinimizeButtom1->setChecked(false);
    setWindowTitle(AppTitle);
}

void TOndelPlayer::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::WindowStateChange) {
        const auto* change = static_cast<QWindowStateChangeEvent*>(event);
        if ((change->oldState() & Qt::WindowMinimized) && !(windowState() & Qt::WindowMinimized))
            applicationRestored();
    }
    QWidget::changeEvent(event);
}
