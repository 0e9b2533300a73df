#include "lyrics/ImageCanvas.h"

#include "core/ColorValue.h"
#include "lyrics/format/ShiftJis.h"

#include <QFontMetrics>
#include <QPainter>
#include <cstdlib>

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
    return QFontMetrics(font_, &image_).horizontalAdvance(decoded(text));
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
