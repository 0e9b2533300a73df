#include "compile/ui/TimelineWidget.h"

#include "compile/DwdCompiler.h"
#include "lyrics/format/DwdTimeShift.h"
#include "lyrics/format/ShiftJis.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>

namespace {
const QColor Background(0x1e, 0x26, 0x2e);
const QColor Wave(0x4f, 0x86, 0xb8);
const QColor Tick(0xe0, 0xc0, 0x40);
const QColor Marker(0xf0, 0xf0, 0xf0);
const QColor Pressed(0x90, 0x90, 0x90);
const QColor Selected(0xff, 0x90, 0x20);
const QColor Playhead(0xff, 0x40, 0x40);

// A piece's text on one line: its line breaks and spaces around it dropped.
QString label(const QByteArray& text)
{
    return ShiftJis::decode(text).simplified();
}
} // namespace

TimelineWidget::TimelineWidget(DwdCompiler& compiler, QWidget* parent) : QWidget(parent), compiler_(compiler)
{
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(false);
}

void TimelineWidget::setPlayhead(int frame)
{
    if (frame == playhead_)
        return;
    playhead_ = frame;
    updateLength();
    if (frame >= 0)
        scale_.follow(frame);
    update();
}

void TimelineWidget::setStatus(const QString& text)
{
    if (text == status_)
        return;
    status_ = text;
    update();
}

void TimelineWidget::updateLength()
{
    qint64 length = 0;
    if (const auto analysis = compiler_.analyzer().analysis())
        length = analysis->samples;
    for (const TimingEdit::Piece& piece : compiler_.marks())
        length = std::max(length, qint64(piece.placed + 10 * 75) * TimelineScale::SamplesPerFrame);
    length = std::max(length, qint64(std::max(0, playhead_)) * TimelineScale::SamplesPerFrame);
    scale_.setLength(length);
}

void TimelineWidget::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    scale_.setWidth(width());
}

int TimelineWidget::markerAt(int x) const
{
    int best = -1;
    int bestDistance = HitPixels + 1;
    const QList<TimingEdit::Piece>& pieces = compiler_.marks();
    for (int i = 0; i < pieces.size(); ++i) {
        if (!DwdTimeShift::showsText(pieces[i].text))
            continue;
        const int distance = std::abs(scale_.xOfFrame(pieces[i].placed) - x);
        if (distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}

void TimelineWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Background);
    const int waveTop = LabelBand;
    const int waveBottom = height() - TickHeight;
    const int middle = (waveTop + waveBottom) / 2;
    const int half = std::max(1, (waveBottom - waveTop) / 2);
    const auto analysis = compiler_.analyzer().analysis();
    if (analysis) {
        painter.setPen(Wave);
        const std::vector<PeakSummary::Peak> peaks =
            analysis->peaks.columns(scale_.firstSample(), scale_.samplesPerPixel(), width());
        for (int x = 0; x < int(peaks.size()); ++x) {
            const int top = middle - int(peaks[size_t(x)].high * half);
            const int bottom = middle - int(peaks[size_t(x)].low * half);
            painter.drawLine(x, top, x, std::max(top, bottom));
        }
        painter.setPen(Tick);
        const qint64 first = scale_.sampleAtX(0);
        const qint64 last = scale_.sampleAtX(width());
        for (auto it = std::lower_bound(analysis->onsets.begin(), analysis->onsets.end(), first);
             it != analysis->onsets.end() && *it <= last; ++it) {
            const int x = scale_.xOfSample(*it);
            painter.drawLine(x, height() - TickHeight, x, height() - 1);
        }
    }
    else {
        painter.setPen(Pressed);
        painter.drawText(rect().adjusted(4, LabelBand, -4, 0), Qt::AlignLeft | Qt::AlignVCenter, status_);
    }

    const QList<TimingEdit::Piece>& pieces = compiler_.marks();
    const int selected = compiler_.edit().selected();
    const QFontMetrics metrics(font());
    int labelsEnd = -1000; // labels never overlap: a crowded one is left out
    for (int i = 0; i < pieces.size(); ++i) {
        const TimingEdit::Piece& piece = pieces[i];
        if (!DwdTimeShift::showsText(piece.text))
            continue;
        const int x = scale_.xOfFrame(piece.placed);
        const int pressedX = scale_.xOfFrame(piece.pressed);
        if ((x < -50 && pressedX < -50) || (x > width() + 50 && pressedX > width() + 50))
            continue;
        if (pressedX != x) {
            painter.setPen(QPen(Pressed, 1, Qt::DotLine));
            painter.drawLine(pressedX, waveTop, pressedX, waveBottom);
            painter.drawLine(pressedX, middle, x, middle);
        }
        const bool isSelected = i == selected;
        painter.setPen(QPen(isSelected ? Selected : Marker, isSelected ? 2 : 1));
        painter.drawLine(x, waveTop - 2, x, waveBottom);
        const QString text = label(piece.text);
        if (x + 2 > labelsEnd || isSelected) {
            painter.drawText(x + 2, metrics.ascent() + 1, text);
            labelsEnd = x + 2 + metrics.horizontalAdvance(text) + 2;
        }
    }
    if (playhead_ >= 0) {
        const int x = scale_.xOfFrame(playhead_);
        painter.setPen(QPen(Playhead, 1));
        painter.drawLine(x, 0, x, height());
    }
}

void TimelineWidget::wheelEvent(QWheelEvent* event)
{
    const QPoint angle = event->angleDelta();
    const int steps = (angle.y() != 0 ? angle.y() : angle.x()) / 120;
    updateLength();
    if (event->modifiers() & Qt::ControlModifier)
        scale_.zoom(steps, int(event->position().x()));
    else
        scale_.scroll(-steps);
    update();
    event->accept();
}

void TimelineWidget::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    compiler_.edit().select(markerAt(int(event->position().x())));
    dragging_ = compiler_.edit().selected() >= 0 && !compiler_.compiling();
    if (dragging_)
        compiler_.edit().beginDrag();
    update();
    Q_EMIT edited();
}

void TimelineWidget::mouseMoveEvent(QMouseEvent* event)
{
    if (!dragging_)
        return;
    if (compiler_.edit().moveSelectedTo(scale_.frameAtX(int(event->position().x())))) {
        update();
        Q_EMIT edited();
    }
}

void TimelineWidget::mouseReleaseEvent(QMouseEvent*)
{
    if (!dragging_)
        return;
    dragging_ = false;
    compiler_.edit().endDrag();
}
