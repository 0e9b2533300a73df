#include "compile/ui/TapCalibrationDialog.h"

#include "compile/DwdCompiler.h"
#include "platform/MessageBoxes.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {
namespace CalibrationNames = TapCalibrationObjectNames;

// Listen lamps amber, tap-along lamps green; dark until their click sounds,
// and a tap-along lamp that got its tap keeps a softer green.
QString lampStyle(bool listen, bool lit, bool tapped)
{
    const char* colour = lit ? (listen ? "#ffb000" : "#20e040") : tapped ? "#80c090" : "#404040";
    return QStringLiteral("background: %1; border: 1px solid #202020; border-radius: 8px;")
        .arg(QLatin1String(colour));
}

QList<ClickTrack::Click> countIn()
{
    QList<ClickTrack::Click> clicks;
    for (int click = 0; click < TapCalibration::Clicks; ++click)
        clicks.append({TapCalibration::clickMs(click), TapCalibration::isListenClick(click)});
    return clicks;
}
} // namespace

TapCalibrationDialog::TapCalibrationDialog(SettingsStore& settings, MessageBoxes& boxes,
                                           ClickTrack::SinkMaker makeSink, QWidget* parent)
    : QDialog(parent), store_(settings), boxes_(boxes), clicks_(std::move(makeSink))
{
    setObjectName(CalibrationNames::dialog);
    setWindowTitle(QStringLiteral("タップの遅れを測る"));
    setFocusPolicy(Qt::StrongFocus);

    auto* instructions = new QLabel(QStringLiteral("「開始」を押すとクリックが %1 回鳴ります。\n"
                                                   "はじめの %2 回は聞くだけ、続く %3 回はクリックに合わせて"
                                                   "スペースキー（または Enter）を押してください。\n"
                                                   "タイミングを取るときと同じように押すのがこつです。")
                                        .arg(TapCalibration::Clicks)
                                        .arg(TapCalibration::ListenClicks)
                                        .arg(TapCalibration::TapClicks),
                                    this);
    instructions->setWordWrap(true);

    auto* lampRow = new QHBoxLayout;
    for (int click = 0; click < TapCalibration::Clicks; ++click) {
        auto* lamp = new QLabel(this);
        lamp->setObjectName(CalibrationNames::lamp(click));
        lamp->setFixedSize(16, 16);
        lampRow->addWidget(lamp);
        if (click == TapCalibration::ListenClicks - 1)
            lampRow->addSpacing(12);
        lamps_.append(lamp);
    }
    lampRow->addStretch();

    notice_ = new QLabel(this);
    notice_->setObjectName(CalibrationNames::notice);
    notice_->setWordWrap(true);
    result_ = new QLabel(this);
    result_->setObjectName(CalibrationNames::result);
    result_->setWordWrap(true);
    QFont big = result_->font();
    big.setPointSizeF(big.pointSizeF() * 1.3);
    big.setBold(true);
    result_->setFont(big);
    kept_ = new QLabel(this);
    kept_->setObjectName(CalibrationNames::kept);

    Start = makeButton(CalibrationNames::startButton, QStringLiteral("開始"), &TapCalibrationDialog::start);
    Save =
        makeButton(CalibrationNames::saveButton, QStringLiteral("保存"), &TapCalibrationDialog::saveLatency);
    Reset =
        makeButton(CalibrationNames::resetButton, QStringLiteral("リセット"), &TapCalibrationDialog::reset);
    Close = makeButton(CalibrationNames::closeButton, QStringLiteral("閉じる"), nullptr);
    connect(Close, &QPushButton::clicked, this, &QDialog::close);
    Save->setEnabled(false);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {Start, Save, Reset})
        buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(Close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(instructions);
    layout->addSpacing(6);
    layout->addLayout(lampRow);
    layout->addWidget(notice_);
    layout->addWidget(result_);
    layout->addWidget(kept_);
    layout->addLayout(buttons);
    setFixedWidth(380);

    poll_ = new QTimer(this);
    poll_->setInterval(PollMs);
    connect(poll_, &QTimer::timeout, this, &TapCalibrationDialog::follow);

    lightLamps(std::nullopt);
    showKept();
    // The keys go to the dialog itself from the first moment it is shown.
    setFocus(Qt::OtherFocusReason);
}

TapCalibrationDialog::~TapCalibrationDialog() = default;

QPushButton* TapCalibrationDialog::makeButton(QLatin1String name, const QString& caption,
                                              void (TapCalibrationDialog::*handler)())
{
    auto* button = new QPushButton(caption, this);
    button->setObjectName(name);
    // Space and Enter are taps: no button may take them.
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoDefault(false);
    if (handler)
        connect(button, &QPushButton::clicked, this, handler);
    return button;
}

void TapCalibrationDialog::start()
{
    calibration_.reset();
    measured_.reset();
    Save->setEnabled(false);
    result_->clear();
    lightLamps(std::nullopt);
    if (!clicks_.start(countIn(), TapCalibration::lengthMs)) {
        boxes_.show(DwdCompiler::errorCaption(), TapCalibration::noSoundMessage(), BoxIcon::Error,
                    BoxButtons::Ok);
        return;
    }
    notice_->setText(clicks_.silent() ? TapCalibration::silentNotice() : QString());
    Start->setEnabled(false);
    setFocus(Qt::OtherFocusReason);
    poll_->start();
}

void TapCalibrationDialog::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // One tap per press: a held key does not tap again. The time is the
        // sound heard as the press is handled, as a timing press reads the
        // disc's position, so both carry the same delays.
        if (!event->isAutoRepeat() && clicks_.running() && calibration_.tap(clicks_.heardMs()))
            follow();
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void TapCalibrationDialog::follow()
{
    if (!clicks_.running())
        return;
    if (clicks_.failed()) {
        abandonCountIn();
        return;
    }
    const qint64 heard = clicks_.heardMs();
    lightLamps(TapCalibration::clickSounding(heard, LampMs));
    if (heard >= TapCalibration::closedMs)
        finishCountIn();
}

void TapCalibrationDialog::finishCountIn()
{
    poll_->stop();
    clicks_.stop();
    lightLamps(std::nullopt);
    Start->setEnabled(true);
    const TapCalibration::Result result = calibration_.result();
    measured_ = result.latencyMs;
    result_->setText(result.latencyMs ? TapCalibration::resultText(*result.latencyMs, result.spreadMs)
                                      : result.reason);
    Save->setEnabled(measured_.has_value());
}

void TapCalibrationDialog::abandonCountIn()
{
    poll_->stop();
    clicks_.stop();
    calibration_.reset();
    lightLamps(std::nullopt);
    Start->setEnabled(true);
    result_->setText(TapCalibration::soundLostMessage());
}

void TapCalibrationDialog::saveLatency()
{
    if (measured_)
        keep(*measured_);
}

void TapCalibrationDialog::reset()
{
    keep(0);
}

void TapCalibrationDialog::keep(int latencyMs)
{
    if (!store_.write(latencyMs)) {
        boxes_.show(DwdCompiler::errorCaption(), TapLatencyStore::writeFailedMessage(), BoxIcon::Error,
                    BoxButtons::Ok);
        return;
    }
    showKept();
    Q_EMIT keptChanged(latencyMs);
}

void TapCalibrationDialog::showKept()
{
    kept_->setText(QStringLiteral("いまの設定: ") + TapCalibration::keptText(store_.read()));
}

void TapCalibrationDialog::lightLamps(std::optional<int> sounding)
{
    // Styles are set only when they change: the lamps follow the sound
    // many times a second.
    for (int click = 0; click < int(lamps_.size()); ++click) {
        const QString style = lampStyle(TapCalibration::isListenClick(click), sounding == click,
                                        calibration_.offsetOf(click).has_value());
        if (lamps_[click]->styleSheet() != style)
            lamps_[click]->setStyleSheet(style);
    }
}

void TapCalibrationDialog::done(int result)
{
    poll_->stop();
    clicks_.stop();
    QDialog::done(result);
}
