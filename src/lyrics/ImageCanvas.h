#pragma once

#include "lyrics/TextCanvas.h"

#include <QFont>
#include <QImage>
#include <functional>

// A canvas kept as an off-screen picture, at 96 dots per inch. Windows that are
// drawn on outside their paint events keep one of these and copy it to the
// screen when painted; `changed` tells them which part to copy again.
class ImageCanvas final : public TextCanvas {
public:
    // Starts with the window font ("ＭＳ Ｐゴシック", 9 points = 12 pixels, window
    // text colour) and a button-face brush.
    explicit ImageCanvas(QSize size = QSize());

    const QImage& image() const { return image_; }
    QSize size() const { return image_.size(); }
    // Keeps the picture at the top left; new parts take the brush colour.
    void resize(QSize size);
    void setChangedHandler(std::function<void(const QRect&)> handler) { changed_ = std::move(handler); }

    qint32 fontSize() const override { return fontSize_; }
    void setFontSize(qint32 points) override;
    quint32 fontColor() const override { return fontColor_; }
    void setFontColor(quint32 value) override { fontColor_ = value; }
    QByteArray fontName() const override { return fontName_; }
    void setFontName(const QByteArray& name) override;
    quint8 fontPitch() const override { return fontPitch_; }
    void setFontPitch(quint8 pitch) override;
    void resetFont() override;

    quint32 brushColor() const override { return brushColor_; }
    void setBrushColor(quint32 value) override { brushColor_ = value; }
    bool brushClear() const override { return brushClear_; }
    void setBrushClear(bool clear) override { brushClear_ = clear; }

    int textWidth(QByteArrayView text) const override;
    int textHeight(QByteArrayView text) const override;
    void fillRect(const TextRect& rect) override;
    void textOut(int x, int y, const TextRect& cell, QByteArrayView text) override;

    static constexpr qint32 WindowFontSize = 9;

    // The windows are designed for "ＭＳ Ｐゴシック"; IPA P Gothic stands in
    // for it. Everything that draws lyrics installs this first, so that a
    // picture made off screen matches the window's.
    static void installFontSubstitutes();

    // Pixel height of a font of this many points; sizes far outside any screen are held in bounds.
    static int pixelSize(qint32 points);

private:
    void notify(const QRect& rect);
    // The text as Unicode; the last one is kept, since a wipe draws the same
    // piece frame after frame.
    const QString& decoded(QByteArrayView text) const;
    // Draws a part of a line from the line drawn whole off the canvas; false
    // when the part is not one (see textOut).
    bool copyFromLine(int x, int y, const QRect& clip, QByteArrayView text);

    QImage image_;
    QFont font_;
    qint32 fontSize_ = WindowFontSize;
    quint32 fontColor_ = 0;
    QByteArray fontName_;
    quint8 fontPitch_ = 0;
    quint32 brushColor_;
    bool brushClear_ = false;
    std::function<void(const QRect&)> changed_;
    mutable QByteArray decodedBytes_;
    mutable QString decoded_;
    // The last width measured and the font it was measured in.
    mutable QByteArray measuredBytes_;
    mutable QFont measuredFont_;
    mutable int measuredWidth_ = 0;
    // The line last drawn whole off the canvas, with what it was drawn in.
    struct Line {
        QImage picture;
        QByteArray text;
        QFont font;
        quint32 color = 0;
        quint32 brush = 0;
    };
    Line line_;
};
