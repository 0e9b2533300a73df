#pragma once

#include "compile/TimelineScale.h"

#include <QWidget>

class DwdCompiler;

// The timing view under the script: the track's waveform, its note onsets as
// ticks along the bottom, every piece of the take as a marker labelled with
// its text (a grey line where the press was when the snap moved it), the
// selected piece in orange and the playhead in red, following the playhead.
// Ctrl+wheel zooms, the wheel scrolls; a click selects a piece and a drag
// moves it between takes. It never takes the keyboard focus: Space always
// times.
class TimelineWidget : public QWidget {
    Q_OBJECT
public:
    static constexpr int LabelBand = 16;
    static constexpr int TickHeight = 8;
    static constexpr int HitPixels = 5;

    explicit TimelineWidget(DwdCompiler& compiler, QWidget* parent = nullptr);

    TimelineScale& scale() { return scale_; }
    int playhead() const { return playhead_; }
    // -1: none shown.
    void setPlayhead(int frame);
    // What the view says instead of a waveform ("解析中 40%", a failure).
    void setStatus(const QString& text);
    // The piece whose marker is nearest x, within HitPixels; -1 for none.
    int markerAt(int x) const;

Q_SIGNALS:
    // A piece was selected or moved with the mouse.
    void edited();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void updateLength();

    DwdCompiler& compiler_;
    TimelineScale scale_;
    int playhead_ = -1;
    QString status_;
    bool dragging_ = false;
};
