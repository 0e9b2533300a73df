#include "compile/ui/Compile.h"

#include "compile/TapLatencyStore.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTimer>

namespace {
// The key codes FormKeyDown works with: Space and Enter by their character
// codes, every other key by a code that is neither.
int keyCode(const QKeyEvent& event)
{
    switch (event.key()) {
    case Qt::Key_Space:
        return DwdCompiler::KeySpace;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return DwdCompiler::KeyEnter;
    case Qt::Key_Backspace:
        return DwdCompiler::KeyBackspace;
    default:
        return event.key();
    }
}
} // namespace

TCompileForm::TCompileForm(CompileHost& host, CdAudioDevice& device, MessageBoxes& boxes,
                           FileDialogs& dialogs, SettingsStore& settings, QWidget* parent)
    : QWidget(parent, Qt::Window), compiler_(host, *this, device, boxes, dialogs, canvas_),
      settings_(settings), boxes_(boxes),
      clickSinkMaker_([this] { return PcmSink::createDefault(clickClock_); })
{
    setObjectName(QStringLiteral("CompileForm"));
    setWindowTitle(QStringLiteral("Make DWD file"));
    QFont windowFont(QStringLiteral("ＭＳ Ｐゴシック"));
    windowFont.setPixelSize(12);
    setFont(windowFont);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // The window itself takes the keys during a capture.
    setFocusPolicy(Qt::StrongFocus);

    Start = makeButton("Start", QStringLiteral("Start"), &TCompileForm::StartClick);
    End = makeButton("End", QStringLiteral("End"), &TCompileForm::EndClick);
    Cancel = makeButton("Cancel", QStringLiteral("Cancel"), &TCompileForm::CancelClick);
    End->installEventFilter(this);
    makeSpeedSelector();
    TapLatency = new QLabel(this);
    TapLatency->setObjectName(QStringLiteral("TapLatency"));
    TapLatency->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Measure = makeButton("Measure", QStringLiteral("測定…"), &TCompileForm::MeasureClick);
    Measure->resize(MeasureButtonWidth, ButtonHeight);
    // Space and Enter time pieces: they never open the dialog instead.
    Measure->setFocusPolicy(Qt::NoFocus);
    const QString tip = QStringLiteral("タップの遅れを測る（押すタイミングの補正）");
    Measure->setToolTip(tip);
    Measure->setAccessibleName(tip);
    showTapLatency(TapLatencyStore(settings_).read());

    resize(OuterWidth, OuterHeight);
    canvas_.resize(size());
    canvas_.setChangedHandler([this](const QRect& rect) {
        if (!painting_)
            update(rect);
    });
    FormResize();
    compiler_.FormCreate();
}

TCompileForm::~TCompileForm()
{
    // The dialog's clicks may run on this window's clock: they stop before
    // the clock goes, not with the window's children afterwards.
    delete calibrationForm_.data();
    canvas_.setChangedHandler({});
}

QPushButton* TCompileForm::makeButton(const char* name, const QString& caption,
                                      void (TCompileForm::*handler)())
{
    auto* button = new QPushButton(caption, this);
    button->setObjectName(QLatin1String(name));
    button->resize(ButtonWidth, ButtonHeight);
    // No tab stop, but a click focuses the button as on any button; Enter on
    // a focused button presses it like Space.
    button->setFocusPolicy(Qt::ClickFocus);
    button->setAutoDefault(true);
    connect(button, &QPushButton::clicked, this, handler);
    return button;
}

// Slower playback for fast passages: the pitch stays, the times recorded stay
// in disc time. The box never takes the keyboard focus, so Space always times.
void TCompileForm::makeSpeedSelector()
{
    SpeedLabel = new QLabel(QStringLiteral("速度"), this);
    SpeedLabel->setObjectName(QStringLiteral("SpeedLabel"));
    SpeedLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    SpeedLabel->resize(SpeedLabelWidth, ButtonHeight);
    Speed = new QComboBox(this);
    Speed->setObjectName(QStringLiteral("Speed"));
    for (int percent : {100, 90, 80, 75, 70, 60, 50})
        Speed->addItem(QStringLiteral("%1%").arg(percent), percent);
    Speed->setFocusPolicy(Qt::NoFocus);
    Speed->resize(SpeedBoxWidth, ButtonHeight - 2);
    const QString tip = QStringLiteral("再生の速さ（音の高さは変わりません）");
    Speed->setToolTip(tip);
    Speed->setAccessibleName(tip);
    SpeedLabel->setBuddy(Speed);
    connect(Speed, &QComboBox::activated, this,
            [this](int index) { compiler_.setSpeedPercent(Speed->itemData(index).toInt()); });
}

void TCompileForm::FormResize()
{
    const int bottom = height();
    SpeedLabel->move(SpeedLeft, bottom - ButtonHeight);
    Speed->move(SpeedLeft + SpeedLabelWidth + 4, bottom - ButtonHeight + 1);
    Start->move(0, bottom - Start->height());
    End->move(Start->width(), bottom - End->height());
    Cancel->move(Start->width() + End->width(), bottom - Cancel->height());
    Measure->move(width() - Measure->width(), bottom - Measure->height());
    TapLatency->setGeometry(LatencyAreaLeft, bottom - ButtonHeight,
                            std::max(0, Measure->x() - 4 - LatencyAreaLeft), ButtonHeight);
    fitTapLatencyFont();
    canvas_.resize(size());
    compiler_.setClientArea(width(), height(), Start->height());
    compiler_.FormResize();
}

void TCompileForm::paintEvent(QPaintEvent* event)
{
    // The canvas is redrawn on every paint, as on every resize; its own
    // change reports are not turned into further paints meanwhile.
    painting_ = true;
    FormResize();
    painting_ = false;
    QPainter painter(this);
    painter.drawImage(event->rect(), canvas_.image(), event->rect());
}

void TCompileForm::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    FormResize();
}

void TCompileForm::keyPressEvent(QKeyEvent* event)
{
    // A key held a little too long must not time the pieces after it.
    if (!event->isAutoRepeat())
        FormKeyDown(keyCode(*event));
    event->accept();
}

// The held key that timed the last piece must not go on to press End, which
// has the focus then.
bool TCompileForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == End && (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) &&
        static_cast<QKeyEvent*>(event)->isAutoRepeat())
        return true;
    return QWidget::eventFilter(watched, event);
}

void TCompileForm::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        compiler_.FormMouseDown(event->position().toPoint().x(), event->position().toPoint().y());
    QWidget::mousePressEvent(event);
}

void TCompileForm::closeEvent(QCloseEvent* event)
{
    FormClose();
    event->accept();
}

void TCompileForm::FormClose()
{
    if (closed_)
        return;
    closed_ = true;
    compiler_.FormClose();
    deleteLater();
}

void TCompileForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!outerSizeFitted_) {
        outerSizeFitted_ = true;
        QTimer::singleShot(0, this, &TCompileForm::fitOuterSize);
    }
}

// The designed size includes the frame, which is known only once the window
// is on screen.
void TCompileForm::fitOuterSize()
{
    const QSize frame = frameGeometry().size() - size();
    if (frame.width() > 0 || frame.height() > 0)
        resize(OuterWidth - frame.width(), OuterHeight - frame.height());
}

void TCompileForm::setStartEnabled(bool enabled)
{
    Start->setEnabled(enabled);
    // The latency stays as it was for the whole take.
    TapLatency->setEnabled(enabled);
    Measure->setEnabled(enabled);
}

void TCompileForm::MeasureClick()
{
    if (compiler_.Compiling())
        return;
    if (!calibrationForm_) {
        calibrationForm_ = new TTapCalibrationForm(settings_, boxes_, clickSinkMaker_, this);
        calibrationForm_->setAttribute(Qt::WA_DeleteOnClose);
        calibrationForm_->setModal(true);
        connect(calibrationForm_, &TTapCalibrationForm::keptChanged, this, &TCompileForm::showTapLatency);
    }
    calibrationForm_->show();
    calibrationForm_->raise();
    calibrationForm_->activateWindow();
}

void TCompileForm::showTapLatency(int latencyMs)
{
    compiler_.setTapLatencyMs(latencyMs);
    TapLatency->setText(TapCalibration::keptText(latencyMs));
    fitTapLatencyFont();
}

// A window narrowed by a wide frame leaves the label less room: a smaller
// font keeps the value whole rather than cutting off its digits.
void TCompileForm::fitTapLatencyFont()
{
    QFont fitted = font();
    const int room = TapLatency->contentsRect().width();
    for (int pixels = font().pixelSize(); pixels >= MinLatencyFontPixels; --pixels) {
        fitted.setPixelSize(pixels);
        if (QFontMetrics(fitted).horizontalAdvance(TapLatency->text()) <= room)
            break;
    }
    if (TapLatency->font() != fitted)
        TapLatency->setFont(fitted);
}

void TCompileForm::focusWindow()
{
    setFocus(Qt::OtherFocusReason);
}

void TCompileForm::focusEndButton()
{
    End->setFocus(Qt::OtherFocusReason);
}
