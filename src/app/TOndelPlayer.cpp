#include "TOndelPlayer.h"

#include "controls/DigitalDisplay.h"
#include "controls/Shape.h"
#include "platform/MessageBoxes.h"
#include "platform/SettingsStore.h"
#include "platform/cdaudio/CdAudioDevice.h"
#include "player/PlayerStartup.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTimer>

namespace {
constexpr int ClientWidth = 306;
constexpr int ClientHeight = 130;
const QString AppTitle = QStringLiteral("OndelPlayer");

constexpr quint32 Lime = 0x0000FF00;
constexpr quint32 DigitBack = 0x02005000;
constexpr quint32 PanelFill = 0x02003C00;
constexpr quint32 PanelOutline = 0x00003C00;

// A plain lamp until the skin draws the real ones: the word in dim or lit green.
QPixmap lampPicture(const QString& word, bool lit)
{
    QPixmap picture(40, 8);
    picture.fill(QColor(0, 60, 0));
    QPainter painter(&picture);
    QFont font = painter.font();
    font.setPixelSize(8);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(lit ? QColor(0, 255, 0) : QColor(0, 90, 0));
    painter.drawText(picture.rect(), Qt::AlignLeft | Qt::AlignVCenter, word);
    return picture;
}

QAbstractButton* plainButton(QWidget* owner, const char* name, const QString& face, const QRect& geometry)
{
    auto* button = new QPushButton(face, owner);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(geometry);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}
} // namespace

TOndelPlayer::TOndelPlayer(CdAudioDevice& device, MessageBoxes& boxes, SettingsStore& settings, QWidget* parent)
    : QWidget(parent), device_(device), boxes_(boxes), settings_(settings)
{
    setObjectName(QStringLiteral("OndelPlayer"));
    setWindowTitle(AppTitle);
    setFixedSize(ClientWidth, ClientHeight);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(50, 50, 50));
    setPalette(pal);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(50);
    connect(Timer1, &QTimer::timeout, this, &TOndelPlayer::Timer1Timer);

    Power1 = new QPushButton(this);
    Power1->setObjectName(QStringLiteral("Power1"));
    Power1->setGeometry(10, 8, 25, 20);
    Power1->setCheckable(true);
    Power1->setChecked(true);
    connect(Power1, &QAbstractButton::clicked, this, &TOndelPlayer::Power1Click);

    MinimizeButtom1 = new QPushButton(this);
    MinimizeButtom1->setObjectName(QStringLiteral("MinimizeButtom1"));
    MinimizeButtom1->setGeometry(271, 8, 25, 20);
    MinimizeButtom1->setCheckable(true);

    createDisplayPanel();
    createTransportButtons();
    createPopupMenu();

    // Construction steps: the device is opened first; everything that needs
    // a running device is skipped when another program holds it.
    state_.EditorFileName.clear();
    if (PlayerStartup::openDevice(device_, boxes_, state_) == PlayerStartup::Outcome::Refused) {
        refused_ = true;
        hide();
        QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit, Qt::QueuedConnection);
    } else {
        Timer1->start();
    }
    FormCreate();
}

TOndelPlayer::~TOndelPlayer() = default;

void TOndelPlayer::FormCreate()
{
}

void TOndelPlayer::createDisplayPanel()
{
    Shape3 = new TShape(TShape::Kind::Rectangle, PanelFill, PanelOutline, this);
    Shape3->setObjectName(QStringLiteral("Shape3"));
    Shape3->setGeometry(44, 36, 217, 44);
    connect(Shape3, &TShape::OnMouseDown, this, &TOndelPlayer::Shape3MouseDown);
    connect(Shape3, &TShape::OnMouseUp, this, &TOndelPlayer::Shape3MouseUp);

    // Each lit lamp lies on top of its dim twin and is shown or hidden. The
    // lamps let presses through to the panel beneath them.
    struct Lamp {
        QLabel** dim;
        QLabel** lit;
        const char* dimName;
        const char* litName;
        const char* word;
        int top;
    };
    const Lamp lamps[] = {
        {&NORMALImage1, &NORMALImage0, "NORMALImage1", "NORMALImage0", "NORMAL", 38},
        {&REPEATImage1, &REPEATImage0, "REPEATImage1", "REPEATImage0", "REPEAT", 48},
        {&RANDOMImage1, &RANDOMImage0, "RANDOMImage1", "RANDOMImage0", "RANDOM", 58},
    };
    for (const Lamp& lamp : lamps) {
        for (const bool lit : {false, true}) {
            auto* image = new QLabel(this);
            image->setObjectName(QLatin1String(lit ? lamp.litName : lamp.dimName));
            image->setGeometry(48, lamp.top, 40, 8);
            image->setPixmap(lampPicture(QLatin1String(lamp.word), lit));
            image->setAttribute(Qt::WA_TransparentForMouseEvents);
            *(lit ? lamp.lit : lamp.dim) = image;
        }
    }
    REPEATImage0->hide();
    RANDOMImage0->hide();

    static constexpr int lefts[6] = {105, 125, 165, 185, 220, 240};
    for (int i = 0; i < 6; ++i) {
        auto* digit = new TDigitalDisplay(this);
        digit->setObjectName(QStringLiteral("ClockDisp%1").arg(i + 1));
        digit->setGeometry(lefts[i], 44, 15, 27);
        digit->setForColor(Lime);
        digit->setBackColor(DigitBack);
        digit->setBarWidth(3);
        connect(digit, &TDigitalDisplay::OnMouseDown, this, &TOndelPlayer::Shape3MouseDown);
        connect(digit, &TDigitalDisplay::OnMouseUp, this, &TOndelPlayer::Shape3MouseUp);
        ClockDisp[i] = digit;
    }

    Shape1 = new TShape(TShape::Kind::Circle, Lime, Lime, this);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setGeometry(209, 49, 4, 4);
    Shape2 = new TShape(TShape::Kind::Circle, Lime, Lime, this);
    Shape2->setObjectName(QStringLiteral("Shape2"));
    Shape2->setGeometry(209, 63, 4, 4);
    for (TShape* dot : {Shape1, Shape2}) {
        connect(dot, &TShape::OnMouseDown, this, &TOndelPlayer::Shape3MouseDown);
        connect(dot, &TShape::OnMouseUp, this, &TOndelPlayer::Shape3MouseUp);
    }
}

void TOndelPlayer::createTransportButtons()
{
    Eject1 = plainButton(this, "Eject1", QStringLiteral("▲"), QRect(10, 32, 25, 50));
    SetMode = plainButton(this, "SetMode", QStringLiteral("M"), QRect(271, 32, 25, 50));
    Rew = plainButton(this, "Rew", QStringLiteral("◀◀"), QRect(19, 88, 60, 30));
    Play = plainButton(this, "Play", QStringLiteral("▶"), QRect(80, 88, 75, 30));
    Stop = plainButton(this, "Stop", QStringLiteral("■"), QRect(156, 88, 36, 30));
    FF = plainButton(this, "FF", QStringLiteral("▶▶"), QRect(193, 88, 60, 30));
    connect(Play, &QAbstractButton::clicked, this, &TOndelPlayer::PlayClick);
    connect(Stop, &QAbstractButton::clicked, this, &TOndelPlayer::StopClick);
    connect(Rew, &QAbstractButton::clicked, this, &TOndelPlayer::RewClick);
    connect(FF, &QAbstractButton::clicked, this, &TOndelPlayer::FFClick);
    connect(Eject1, &QAbstractButton::clicked, this, &TOndelPlayer::Eject1Click);
    connect(SetMode, &QAbstractButton::clicked, this, &TOndelPlayer::SetModeClick);
}

// The transport part of the popup menu, with the mode items whose radio
// check follows the play mode.
void TOndelPlayer::createPopupMenu()
{
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    const auto item = [this](QMenu* menu, const char* name, const QString& caption, auto handler) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(QLatin1String(name));
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    RMenuPlay = item(PopupMenu1, "RMenuPlay", QStringLiteral("再生(&P)"), &TOndelPlayer::PlayClick);
    item(PopupMenu1, "RMenuStop", QStringLiteral("停止(&S)"), &TOndelPlayer::StopClick);
    item(PopupMenu1, "RMenuRew", QStringLiteral("巻き戻し(&R)"), &TOndelPlayer::RewClick);
    item(PopupMenu1, "RMenuFF", QStringLiteral("早送り(&F)"), &TOndelPlayer::FFClick);
    item(PopupMenu1, "RMenuEject", QStringLiteral("取出し(&E)"), &TOndelPlayer::Eject1Click);

    QMenu* modes = PopupMenu1->addMenu(QStringLiteral("モード(&M)"));
    modes->menuAction()->setObjectName(QStringLiteral("RMenuMode"));
    auto* group = new QActionGroup(this);
    group->setExclusive(true);
    const struct {
        const char* name;
        const char* caption;
    } modeItems[4] = {{"RMenuModeNormal", "ノーマル"},
                      {"RMenuModeRepeat", "1曲リピート"},
                      {"RMenuModeAllRepeat", "リピート"},
                      {"RMenuModeRandom", "ランダム"}};
    for (int mode = 0; mode < 4; ++mode) {
        QAction* action = modes->addAction(QString::fromUtf8(modeItems[mode].caption));
        action->setObjectName(QLatin1String(modeItems[mode].name));
        action->setCheckable(true);
        action->setActionGroup(group);
        connect(action, &QAction::triggered, this, [this, mode] { transport_.setPlayMode(mode); });
        RMenuModeItems[mode] = action;
    }
    RMenuModeItems[0]->setChecked(true);
}

void TOndelPlayer::Timer1Timer()
{
    monitor_.Timer1Timer();
}

void TOndelPlayer::Shape3MouseDown(QMouseEvent* event)
{
    if (event->buttons() & Qt::LeftButton)
        state_.ShowLengths = true;
}

void TOndelPlayer::Shape3MouseUp(QMouseEvent*)
{
    state_.ShowLengths = false;
}

void TOndelPlayer::setPlayEnabled(bool enabled)
{
    Play->setEnabled(enabled);
    RMenuPlay->setEnabled(enabled);
}

void TOndelPlayer::setDigit(int index, char character)
{
    if (index >= 1 && index <= 6)
        ClockDisp[index - 1]->setNumber(character);
}

void TOndelPlayer::showPlayMode(int playMode)
{
    NORMALImage0->setVisible(playMode == 0 || playMode == 2);
    REPEATImage0->setVisible(playMode == 1 || playMode == 2);
    RANDOMImage0->setVisible(playMode == 3);
    for (int mode = 0; mode < 4; ++mode)
        if (mode == playMode)
            RMenuModeItems[mode]->setChecked(true);
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
    return WordsOn1 ? WordsOn1->isChecked() : true;
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

void TOndelPlayer::FormClose()
{
    if (closed_ || refused_)
        return;
    closed_ = true;
    Timer1->stop();
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
