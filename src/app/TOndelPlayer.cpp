#include "app/TOndelPlayer.h"

#include "compile/ui/Compile.h"
#include "controls/DigitalDisplay.h"
#include "controls/Image.h"
#include "controls/PictureButton.h"
#include "controls/Shape.h"
#include "platform/MessageBoxes.h"
#include "platform/SettingsStore.h"
#include "platform/cdaudio/CdAudioDevice.h"
#include "platform/widgets/QtFileDialogs.h"
#include "player/PlayerStartup.h"
#include "window/ModeTable.h"
#include "window/PlayerPopupMenu.h"
#include "window/SkinLayout.h"
#include "window/SkinPalette.h"
#include "window/SkinPictures.h"
#include "window/VersionInfo.h"
#include "window/WindowClip.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
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
    connect(Timer1, &QTimer::timeout, this, &TOndelPlayer::Timer1Timer);

    createComponents();
    createPopupMenu();
    applySkin();

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

TOndelPlayer::~TOndelPlayer() = default;

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
    connect(MinimizeButtom1, &QAbstractButton::clicked, this, &TOndelPlayer::MinimizeButtom1Click);
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

    // The script editor and the compiler window are not part of the program
    // yet: their buttons stay disabled rather than pretend to open them.
    GoSongEditer->setEnabled(false);
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
    bind("RMenuVersion", &TOndelPlayer::Image1Click);
    bind("RMenuQuit", &TOndelPlayer::Power1Click);
    // The script editor and the mini window are not part of the program yet.
    menuItem("RMenuRizuzAvodar")->setEnabled(false);
    menuItem("RMenuResize")->setEnabled(false);
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
    for (PictureButton* b : {GoSongEditer, Compile, Relation})
        b->setFocusPolicy(extended ? Qt::TabFocus : Qt::NoFocus);
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
    if (event->type() == QEvent::MouseButtonPress) {
        auto* b = qobject_cast<PictureButton*>(watched);
        auto* press = static_cast<QMouseEvent*>(event);
        if (b && !b->isEnabled() && press->button() == Qt::RightButton) {
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
    if (event->buttons() & Qt::RightButton)
        PopupMenu1->popupAtPointer(event->globalPosition().toPoint());
    if (event->buttons() & Qt::LeftButton) {
        state_.ShowLengths = true;
        if (event->button() == Qt::LeftButton)
            beginDrag(event);
    }
}

void TOndelPlayer::Shape3MouseUp(QMouseEvent* event)
{
    state_.ShowLengths = false;
    if (event->button() == Qt::LeftButton)
        dragging_ = false;
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
    CompileForm = new TCompileForm(*this, device_, boxes_, dialogs_);
    CompileForm->show();
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
}

void TOndelPlayer::FormClose()
{
    if (closed_ || refused_)
        return;
    closed_ = true;
    if (CompileForm)
        CompileForm->close();
    Timer1->stop();
    lyricsPlayback_.closeAtExit();
    ReplyBuffer reply;
    device_.DeviceCommand("stop cdaudio", reply);
    device_.DeviceCommand("close cdaudio", reply);
}

void TOndelPlayer::closeEvent(QCloseEvent* event)
{
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
