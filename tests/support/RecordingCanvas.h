#pragma once

#include "lyrics/TextCanvas.h"

#include <QList>
#include <QString>

// A canvas with fixed metrics that records what is drawn, for tests of text
// layout: every byte is as wide as the font size in points, and a non-empty
// text is twice that high (at the initial 10 points: 10 wide, 20 high).
class RecordingCanvas final : public TextCanvas {
public:
    struct Draw {
        int x;
        int y;
        TextRect cell;
        QByteArray text;
        quint32 color;
        qint32 size;
    };

    QList<Draw> draws;
    QList<TextRect> fills;
    QList<qsizetype> drawsBeforeFill; // draws.size() at each fill

    // "x,y [l,t,r,b] text" for each draw, in order.
    QStringList drawList() const;
    void clearRecords()
    {
        draws.clear();
        fills.clear();
        drawsBeforeFill.clear();
    }

    qint32 fontSize() const override { return size_; }
    void setFontSize(qint32 points) override { size_ = points; }
    quint32 fontColor() const override { return color_; }
    void setFontColor(quint32 value) override { color_ = value; }
    QByteArray fontName() const override { return name_; }
    void setFontName(const QByteArray& name) override { name_ = name; }
    quint8 fontPitch() const override { return pitch_; }
    void setFontPitch(quint8 pitch) override { pitch_ = pitch; }
    void resetFont() override
    {
        size_ = 10;
        color_ = 0;
        name_ = "default";
        pitch_ = 0;
    }
    quint32 brushColor() const override { return brush_; }
    void setBrushColor(quint32 value) override { brush_ = value; }
    bool brushClear() const override { return brushClear_; }
    void setBrushClear(bool clear) override { brushClear_ = clear; }

    int textWidth(QByteArrayView text) const override { return int(text.size()) * size_; }
    int textHeight(QByteArrayView text) const override { return text.isEmpty() ? 0 : 2 * size_; }
    void fillRect(const TextRect& rect) override
    {
        fills.append(rect);
        drawsBeforeFill.append(draws.size());
    }
    void textOut(int x, int y, const TextRect& cell, QByteArrayView text) override
    {
        draws.append({x, y, cell, text.toByteArray(), color_, size_});
    }

private:
    qint32 size_ = 10;
    quint32 color_ = 0;
    QByteArray name_ = "default";
    quint8 pitch_ = 0;
    quint32 brush_ = 0xFFFFFF;
    bool brushClear_ = false;
};
