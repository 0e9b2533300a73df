#include "compile/ui/CompileWindow.h"

#include "compile/TapLatencyStore.h"
#include "compile/ui/TimelineWidget.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <limits>

namespace {
namespace Names = CompileWindowObjectNames;

// The key codes keyPressed works with: Space and Enter by their character
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

CompileWindow::CompileWindow(CompileHost& host, CdAudioDevice& device, MessageBoxes& boxes,
                             FileDialogs& dialogs, SettingsStore& settings, QWidget* parent)
    : QWidget(parent, Qt::Window), compiler_(host, *this, device, boxes, dialogs, canvas_),
      settings_(settings), boxes_(boxes),
      clickSinkMaker_([this] { return PcmSink::createDefault(clickClock_); })
{
    setObjectName(Names::window);
    setWindowTitle(QStringLiteral("Make DWD file"));
    QFont windowFont(QStringLiteral("ＭＳ Ｐゴシック"));
    windowFont.setPixelSize(12);
    setFont(windowFont);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // The window itself takes the keys during a capture.
    setFocusPolicy(Qt::StrongFocus);

    startButton_ = makeButton(Names::startButton, QStringLiteral("Start"), &CompileWindow::start);
    endButton_ = makeButton(Names::endButton, QStringLiteral("End"), &CompileWindow::end);
    cancelButton_ = makeButton(Names::cancelButton, QStringLiteral("Cancel"), &CompileWindow::cancel);
    endButton_->installEventFilter(this);
    makeSpeedSelector();
    makeSnapControls();
    makeTimeline();
    tapLatencyLabel_ = new QLabel(this);
    tapLatencyLabel_->setObjectName(Names::tapLatency);
    tapLatencyLabel_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    measureButton_ =
        makeButton(Names::measureButton, QStringLiteral("測定…"), &CompileWindow::openTapCalibration);
    measureButton_->resize(MeasureButtonWidth, ButtonHeight);
    // Space and Enter time pieces: they never open the dialog instead.
    measureButton_->setFocusPolicy(Qt::NoFocus);
    const QString tip = QStringLiteral("タップの遅れを測る（押すタイミングの補正）");
    measureButton_->setToolTip(tip);
    measureButton_->setAccessibleName(tip);
    showTapLatency(TapLatencyStore(settings_).read());

    resize(OuterWidth, OuterHeight);
    canvas_.resize(size());
    canvas_.setChangedHandler([this](const QRect& rect) {
        if (!painting_)
            update(rect);
    });
    clientResized();
    compiler_.createForm();
}

CompileWindow::~CompileWindow()
{
    // The dialog's clicks may run on this window's clock: they stop before
    // the clock goes, not with the window's children afterwards.
    delete calibrationForm_.data();
    canvas_.setChangedHandler({});
}

QPushButton* CompileWindow::makeButton(QLatin1String name, const QString& caption,
                                       void (CompileWindow::*handler)())
{
    auto* button = new QPushButton(caption, this);
    button->setObjectName(name);
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
void CompileWindow::makeSpeedSelector()
{
    speedLabel_ = new QLabel(QStringLiteral("速度"), this);
    speedLabel_->setObjectName(Names::speedLabel);
    speedLabel_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    speedLabel_->resize(SpeedLabelWidth, ButtonHeight);
    speedBox_ = new QComboBox(this);
    speedBox_->setObjectName(Names::speedBox);
    for (int percent : {100, 90, 80, 75, 70, 60, 50})
        speedBox_->addItem(QStringLiteral("%1%").arg(percent), percent);
    speedBox_->setFocusPolicy(Qt::NoFocus);
    speedBox_->resize(SpeedBoxWidth, ButtonHeight - 2);
    const QString tip = QStringLiteral("再生の速さ（音の高さは変わりません）");
    speedBox_->setToolTip(tip);
    speedBox_->setAccessibleName(tip);
    speedLabel_->setBuddy(speedBox_);
    connect(speedBox_, &QComboBox::activated, this,
            [this](int index) { compiler_.setSpeedPercent(speedBox_->itemData(index).toInt()); });
}

// Snapping: on or off and how far it looks, both remembered. Neither control
// ever takes the keyboard focus, so Space always times.
void CompileWindow::makeSnapControls()
{
    const SnapSettings snap = SnapSettings::read(settings_);
    snapBox_ = new QCheckBox(QStringLiteral("音の立ち上がりに合わせる"), this);
    snapBox_->setObjectName(Names::snapBox);
    snapBox_->setFocusPolicy(Qt::NoFocus);
    snapBox_->setChecked(snap.enabled);
    snapBox_->setToolTip(QStringLiteral("押したタイミングを近くの音の立ち上がりに移す"));
    snapWindow_ = new QSpinBox(this);
    snapWindow_->setObjectName(Names::snapWindow);
    snapWindow_->setFocusPolicy(Qt::NoFocus);
    snapWindow_->setRange(SnapSettings::MinWindowMs, SnapSettings::MaxWindowMs);
    snapWindow_->setSingleStep(10);
    snapWindow_->setPrefix(QStringLiteral("±"));
    snapWindow_->setSuffix(QStringLiteral(" ms"));
    snapWindow_->setValue(snap.windowMs);
    snapWindow_->setToolTip(QStringLiteral("音の立ち上がりを探す範囲"));
    compiler_.setSnapping(snap);
    connect(snapBox_, &QCheckBox::toggled, this, &CompileWindow::snapChanged);
    connect(snapWindow_, &QSpinBox::valueChanged, this, &CompileWindow::snapChanged);
}

void CompileWindow::makeTimeline()
{
    timeline_ = new TimelineWidget(compiler_, this);
    timeline_->setObjectName(Names::timeline);
    QFont small = font();
    small.setPixelSize(11);
    timeline_->setFont(small);
    connect(timeline_, &TimelineWidget::edited, this, &CompileWindow::viewEdited);
    saveButton_ = new QPushButton(QStringLiteral("保存"), this);
    saveButton_->setObjectName(Names::saveButton);
    saveButton_->setFocusPolicy(Qt::NoFocus);
    saveButton_->setToolTip(QStringLiteral("直したタイミングをDWDファイルに保存"));
    saveButton_->setEnabled(false);
    connect(saveButton_, &QPushButton::clicked, this, &CompileWindow::saveEdits);
    viewTimer_ = new QTimer(this);
    viewTimer_->setInterval(50);
    connect(viewTimer_, &QTimer::timeout, this, &CompileWindow::onViewTick);
    viewTimer_->start();
    TrackAnalyzer& analyzer = compiler_.analyzer();
    connect(&analyzer, &TrackAnalyzer::progressed, timeline_,
            [this](int percent) { timeline_->setStatus(QStringLiteral("波形を解析中… %1%").arg(percent)); });
    connect(&analyzer, &TrackAnalyzer::finished, timeline_, [this] { timeline_->setStatus({}); });
    connect(&analyzer, &TrackAnalyzer::failed, timeline_, [this](const QString& why) {
        timeline_->setStatus(QStringLiteral("波形を読めません: %1").arg(why));
    });
    timeline_->setStatus(QStringLiteral("波形なし（ドライブの曲は読みません）"));
}

void CompileWindow::viewEdited()
{
    saveButton_->setEnabled(!compiler_.compiling() && compiler_.edit().modified());
    timeline_->update();
}

void CompileWindow::onViewTick()
{
    const bool playingForView = loopFrom_ >= 0 || loopTo_ >= 0;
    if (!compiler_.compiling() && !playingForView) {
        viewEdited();
        return;
    }
    const std::optional<TrackPosition> heard = compiler_.heardPosition();
    if (!heard)
        return;
    const int frame = heard->totalFrames();
    timeline_->setPlayhead(frame);
    if (!compiler_.compiling() && loopTo_ >= 0 && frame >= loopTo_) {
        if (loopFrom_ >= 0) {
            compiler_.playFrom(loopFrom_);
        }
        else {
            compiler_.stopPlaying();
            loopTo_ = -1;
        }
    }
    timeline_->update();
}

bool CompileWindow::focusNextPrevChild(bool next)
{
    if (compiler_.marks().isEmpty())
        return QWidget::focusNextPrevChild(next);
    compiler_.edit().selectNext(!next);
    viewEdited();
    return true;
}

bool CompileWindow::editKey(const QKeyEvent& event)
{
    if (compiler_.compiling())
        return false;
    const Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
    TimingEdit& edit = compiler_.edit();
    if ((modifiers & Qt::AltModifier) && (event.key() == Qt::Key_Left || event.key() == Qt::Key_Right)) {
        const int step = (modifiers & Qt::ShiftModifier) ? 10 : 1;
        edit.moveSelected(event.key() == Qt::Key_Left ? -step : step);
    }
    else if (modifiers == Qt::ControlModifier && event.key() == Qt::Key_Z) {
        edit.undo();
    }
    else if (modifiers == Qt::ControlModifier && event.key() == Qt::Key_S) {
        saveEdits();
    }
    else if (modifiers == Qt::NoModifier && event.key() == Qt::Key_P) {
        playFromSelected();
    }
    else if (modifiers == Qt::NoModifier && event.key() == Qt::Key_L) {
        loopSelectedLine();
    }
    else {
        return false;
    }
    viewEdited();
    return true;
}

void CompileWindow::playFromSelected()
{
    const int selected = compiler_.edit().selected();
    if (selected < 0)
        return;
    const int from = std::max(0, compiler_.marks()[selected].placed - PlayLeadInFrames);
    if (!compiler_.playFrom(from))
        return;
    // Plays on to the track's end unless stopped; the playhead follows.
    loopFrom_ = -1;
    loopTo_ = std::numeric_limits<int>::max();
}

// The line from its first piece to the next line's first piece (or two
// seconds past its last), again and again until another key or a take.
void CompileWindow::loopSelectedLine()
{
    const std::optional<std::pair<int, int>> line = compiler_.edit().selectedLine();
    if (!line)
        return;
    const QList<TimingEdit::Piece>& pieces = compiler_.marks();
    loopFrom_ = pieces[line->first].placed;
    loopTo_ = line->second + 1 < pieces.size() ? pieces[line->second + 1].placed
                                               : pieces[line->second].placed + PlayLeadInFrames;
    loopTo_ = std::max(loopTo_, loopFrom_ + 1);
    if (!compiler_.playFrom(loopFrom_))
        loopFrom_ = loopTo_ = -1;
}

void CompileWindow::saveEdits()
{
    if (compiler_.saveEdits())
        viewEdited();
}

void CompileWindow::snapChanged()
{
    const SnapSettings snap{snapBox_->isChecked(), snapWindow_->value()};
    compiler_.setSnapping(snap);
    // Not kept is not worth a box in the middle of a take: the take snaps all the same.
    snap.write(settings_);
}

void CompileWindow::clientResized()
{
    const int bottom = height();
    const int snapRowTop = bottom - ButtonHeight - SnapRowHeight - 2;
    snapBox_->setGeometry(10, snapRowTop, 200, SnapRowHeight);
    snapWindow_->setGeometry(214, snapRowTop, 90, SnapRowHeight);
    saveButton_->setGeometry(width() - ButtonWidth - 10, snapRowTop, ButtonWidth, SnapRowHeight);
    timeline_->setGeometry(10, snapRowTop - TimelineHeight - 4, std::max(0, width() - 20), TimelineHeight);
    speedLabel_->move(SpeedLeft, bottom - ButtonHeight);
    speedBox_->move(SpeedLeft + SpeedLabelWidth + 4, bottom - ButtonHeight + 1);
    startButton_->move(0, bottom - startButton_->height());
    endButton_->move(startButton_->width(), bottom - endButton_->height());
    cancelButton_->move(startButton_->width() + endButton_->width(), bottom - cancelButton_->height());
    measureButton_->move(width() - measureButton_->width(), bottom - measureButton_->height());
    tapLatencyLabel_->setGeometry(LatencyAreaLeft, bottom - ButtonHeight,
                                  std::max(0, measureButton_->x() - 4 - LatencyAreaLeft), ButtonHeight);
    fitTapLatencyFont();
    canvas_.resize(size());
    // The script's text area ends above the timing view.
    compiler_.setClientArea(width(), height(), startButton_->height() + TimelineArea);
    compiler_.clientResized();
}

void CompileWindow::paintEvent(QPaintEvent* event)
{
    // The canvas is redrawn on every paint, as on every resize; its own
    // change reports are not turned into further paints meanwhile.
    painting_ = true;
    clientResized();
    painting_ = false;
    QPainter painter(this);
    painter.drawImage(event->rect(), canvas_.image(), event->rect());
}

void CompileWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    clientResized();
}

void CompileWindow::keyPressEvent(QKeyEvent* event)
{
    if (editKey(*event)) {
        event->accept();
        return;
    }
    // A key held a little too long must not time the pieces after it.
    if (heldKeys_.press(event->key(), event->timestamp(), event->isAutoRepeat()))
        keyPressed(keyCode(*event));
    event->accept();
}

void CompileWindow::keyReleaseEvent(QKeyEvent* event)
{
    heldKeys_.release(event->key(), event->timestamp(), event->isAutoRepeat());
    event->accept();
}

void CompileWindow::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && !isActiveWindow())
        heldKeys_.forgetAll();
    QWidget::changeEvent(event);
}

// The held key that timed the last piece must not go on to press End, which
// has the focus then.
bool CompileWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == endButton_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        // Only asked: a key End does not take goes on to the window, which counts it.
        if (heldKeys_.isRepeat(key->key(), key->timestamp(), key->isAutoRepeat()))
            return true;
    }
    if (watched == endButton_ && event->type() == QEvent::KeyRelease) {
        const auto* key = static_cast<QKeyEvent*>(event);
        // A repeat's release would press End as much as its press.
        if (key->isAutoRepeat())
            return true;
        heldKeys_.release(key->key(), key->timestamp(), key->isAutoRepeat());
    }
    return QWidget::eventFilter(watched, event);
}

void CompileWindow::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        compiler_.onPanelMousePress(event->position().toPoint().x(), event->position().toPoint().y());
    QWidget::mousePressEvent(event);
}

void CompileWindow::closeEvent(QCloseEvent* event)
{
    shutDown();
    event->accept();
}

void CompileWindow::shutDown()
{
    if (closed_)
        return;
    closed_ = true;
    compiler_.shutDown();
    deleteLater();
}

void CompileWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!outerSizeFitted_) {
        outerSizeFitted_ = true;
        QTimer::singleShot(0, this, &CompileWindow::fitOuterSize);
    }
}

// The designed size includes the frame, which is known only once the window
// is on screen.
void CompileWindow::fitOuterSize()
{
    const QSize frame = frameGeometry().size() - size();
    if (frame.width() > 0 || frame.height() > 0)
        resize(OuterWidth - frame.width(), OuterHeight - frame.height());
}

void CompileWindow::setStartEnabled(bool enabled)
{
    startButton_->setEnabled(enabled);
    // The latency stays as it was for the whole take.
    tapLatencyLabel_->setEnabled(enabled);
    measureButton_->setEnabled(enabled);
}

void CompileWindow::openTapCalibration()
{
    if (compiler_.compiling())
        return;
    if (!calibrationForm_) {
        calibrationForm_ = new TapCalibrationDialog(settings_, boxes_, clickSinkMaker_, this);
        calibrationForm_->setAttribute(Qt::WA_DeleteOnClose);
        calibrationForm_->setModal(true);
        connect(calibrationForm_, &TapCalibrationDialog::keptChanged, this, &CompileWindow::showTapLatency);
    }
    calibrationForm_->show();
    calibrationForm_->raise();
    calibrationForm_->activateWindow();
}

void CompileWindow::showTapLatency(int latencyMs)
{
    compiler_.setTapLatencyMs(latencyMs);
    tapLatencyLabel_->setText(TapCalibration::keptText(latencyMs));
    fitTapLatencyFont();
}

// A window narrowed by a wide frame leaves the label less room: a smaller
// font keeps the value whole rather than cutting off its digits.
void CompileWindow::fitTapLatencyFont()
{
    QFont fitted = font();
    const int room = tapLatencyLabel_->contentsRect().width();
    for (int pixels = font().pixelSize(); pixels >= MinLatencyFontPixels; --pixels) {
        fitted.setPixelSize(pixels);
        if (QFontMetrics(fitted).horizontalAdvance(tapLatencyLabel_->text()) <= room)
            break;
    }
    if (tapLatencyLabel_->font() != fitted)
        tapLatencyLabel_->setFont(fitted);
}

void CompileWindow::focusWindow()
{
    setFocus(Qt::OtherFocusReason);
}

void CompileWindow::focusEndButton()
{
    endButton_->setFocus(Qt::OtherFocusReason);
}
