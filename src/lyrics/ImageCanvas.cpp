#include "lyrics/ImageCanvas.h"

#include "core/ColorValue.h"
#include "lyrics/format/ShiftJis.h"

#include <QFontMetrics>
#include <QPainter>
#include <cstdlib>
#include <cstring>

namespace {
// 96 dots per inch, so that points map to pixels as on the screens lyrics are made for.
constexpr int DotsPerMeter = 3780;
constexpr int MaxPixelSize = 1000;

QRect toQRect(const TextRect& r)
{
    return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1));
}
} // namespace

ImageCanvas::ImageCanvas(QSize size) : brushColor_(ColorValue::ButtonFace)
{
    resetFont();
    resize(size);
}

void ImageCanvas::installFontSubstitutes()
{
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"));
}

void ImageCanvas::resetFont()
{
    font_ = QFont();
    fontName_.clear(); // the new font takes the face below whatever it was
    fontColor_ = ColorValue::WindowText;
    setFontName(ShiftJis::encode(QStringLiteral("ＭＳ Ｐゴシック")));
    setFontSize(WindowFontSize);
    setFontPitch(0);
}

void ImageCanvas::resize(QSize size)
{
    size = size.expandedTo(QSize(0, 0));
    if (size == image_.size() && !image_.isNull())
        return;
    QImage next(size, QImage::Format_RGB32);
    next.setDotsPerMeterX(DotsPerMeter);
    next.setDotsPerMeterY(DotsPerMeter);
    if (!next.isNull()) {
        next.fill(ColorValue::toQColor(brushColor_));
        if (!image_.isNull()) {
            QPainter painter(&next);
            painter.drawImage(0, 0, image_);
        }
    }
    image_ = next;
}

int ImageCanvas::pixelSize(qint32 points)
{
    // Rounded as the screens of the time did: 9 points are 12 pixels. A size of 0
    // means the default font height.
    if (points == 0)
        return 12;
    const qint64 pixels = (std::llabs(qint64(points)) * 96 + 36) / 72;
    return int(qBound(qint64(1), pixels, qint64(MaxPixelSize)));
}

void ImageCanvas::setFontSize(qint32 points)
{
    fontSize_ = points;
    font_.setPixelSize(pixelSize(points));
}

void ImageCanvas::setFontName(const QByteArray& name)
{
    if (name == fontName_)
        return;
    fontName_ = name;
    font_.setFamily(ShiftJis::decode(name));
}

void ImageCanvas::setFontPitch(quint8 pitch)
{
    fontPitch_ = pitch;
    font_.setFixedPitch(pitch == 2);
    font_.setStyleHint(pitch == 2 ? QFont::Monospace : QFont::AnyStyle);
}

int ImageCanvas::textWidth(QByteArrayView text) const
{
    if (text.isEmpty())
        return 0;
    if (text != measuredBytes_ || !(font_ == measuredFont_)) {
        measuredWidth_ = QFontMetrics(font_, &image_).horizontalAdvance(decoded(text));
        measuredBytes_ = text.toByteArray();
        measuredFont_ = font_;
    }
    return measuredWidth_;
}

int ImageCanvas::textHeight(QByteArrayView text) const
{
    if (text.isEmpty())
        return 0;
    return QFontMetrics(font_, &image_).height();
}

void ImageCanvas::fillRect(const TextRect& rect)
{
    if (rect.isEmpty() || image_.isNull())
        return;
    QPainter painter(&image_);
    painter.fillRect(toQRect(rect), ColorValue::toQColor(brushColor_));
    painter.end();
    notify(toQRect(rect));
}

void ImageCanvas::textOut(int x, int y, const TextRect& cell, QByteArrayView text)
{
    if (cell.isEmpty() || image_.isNull())
        return;
    const QRect clip = toQRect(cell);
    if (copyFromLine(x, y, clip, text)) {
        notify(clip);
        return;
    }
    QPainter painter(&image_);
    painter.setClipRect(clip);
    if (!brushClear_)
        painter.fillRect(clip, ColorValue::toQColor(brushColor_));
    painter.setFont(font_);
    painter.setPen(ColorValue::toQColor(fontColor_));
    painter.drawText(QPoint(x, y + painter.fontMetrics().ascent()), decoded(text));
    painter.end();
    notify(clip);
}

// A wipe draws a line a narrow part at a time, frame after frame. The line is
// drawn whole once, off the canvas, and each part copied from there: the same
// pixels as drawing it in place, since a cell is filled with the brush before
// its text is drawn (so not with a clear brush) and the text lands on whole
// pixels either way.
bool ImageCanvas::copyFromLine(int x, int y, const QRect& clip, QByteArrayView text)
{
    const QRect whole(x, y, textWidth(text), textHeight(text));
    if (brushClear_ || clip.width() >= whole.width() || !whole.contains(clip) ||
        !image_.rect().contains(clip))
        return false;
    if (text != line_.text || !(font_ == line_.font) || fontColor_ != line_.color ||
        brushColor_ != line_.brush || line_.picture.size() != whole.size()) {
        QImage picture(whole.size(), QImage::Format_RGB32);
        picture.setDotsPerMeterX(DotsPerMeter);
        picture.setDotsPerMeterY(DotsPerMeter);
        picture.fill(ColorValue::toQColor(brushColor_));
        QPainter painter(&picture);
        painter.setFont(font_);
        painter.setPen(ColorValue::toQColor(fontColor_));
        painter.drawText(QPoint(0, painter.fontMetrics().ascent()), decoded(text));
        painter.end();
        line_ = Line{picture, text.toByteArray(), font_, fontColor_, brushColor_};
    }
    const qsizetype bytes = qsizetype(clip.width()) * 4;
    for (int row = clip.top(); row <= clip.bottom(); ++row)
        std::memcpy(image_.scanLine(row) + qsizetype(clip.left()) * 4,
                    line_.picture.constScanLine(row - y) + qsizetype(clip.left() - x) * 4, size_t(bytes));
    return true;
}

const QString& ImageCanvas::decoded(QByteArrayView text) const
{
    if (text != decodedBytes_) {
        decodedBytes_ = text.toByteArray();
        decoded_ = ShiftJis::decode(text);
    }
    return decoded_;
}

void ImageCanvas::notify(const QRect& rect)
{
    if (changed_)
        changed_(rect.intersected(image_.rect()));
}
