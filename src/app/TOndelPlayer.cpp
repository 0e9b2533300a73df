#include "TOndelPlayer.h"

#include "platform/MessageBoxes.h"
#include "platform/SettingsStore.h"
#include "platform/cdaudio/CdAudioDevice.h"
#include "player/PlayerStartup.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QPushButton>
#include <QTimer>

namespace {
constexpr int ClientWidth = 306;
constexpr int ClientHeight = 130;
const QString AppTitle = QStringLiteral("OndelPlayer");
}  // namespace

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

void TOndelPlayer::Timer1Timer()
{
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
