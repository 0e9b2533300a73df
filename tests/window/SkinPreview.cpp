#include "SkinPreview.h"

#include "window/ModeTable.h"
#include "window/SkinLayout.h"
#include "window/WindowClip.h"

#include <QPainter>

namespace {
// Seven-segment digits as the digit control draws them on the main window:
// 15 x 27, bars 3 wide, ends inset 2, upper verticals 1 lower.
void drawDigit(QPainter& p, const QRect& r, QChar ch)
{
    static const int patterns[] = {0x77, 0x12, 0x6B, 0x5B, 0x1E, 0x5D, 0x7D, 0x13, 0x7F, 0x5F};
    const int mask = ch.isDigit() ? patterns[ch.digitValue()] : 0;
    const int W = r.width(), H = r.height(), B = 3, L = 2, A = 1, k = B / 2, M = H / 2 - 1;
    const QRect seg[7] = {QRect(L, 0, W - 2 * L, B),
                          QRect(W - B, L + A, B, M - 2 * L),
                          QRect(0, L + A, B, M - 2 * L),
                          QRect(L, M - k, W - 2 * L, B),
                          QRect(W - B, M + L, B, H - 1 - L - (M + L)),
                          QRect(0, M + L, B, H - 1 - L - (M + L)),
                          QRect(L, H - B, W - 2 * L, B)};
    for (int i = 0; i < 7; ++i)
        p.fillRect(seg[i].translated(r.topLeft()), (mask & (1 << i)) ? QColor(0, 255, 0) : QColor(0, 80, 0));
}
} // namespace

QImage SkinPreview::compose(const SkinPictures& skin) const
{
    const qreal ratio = skin.devicePixelRatio();
    QImage out((QSizeF(SkinLayout::ClientWidth, clientHeight) * ratio).toSize(),
               QImage::Format_ARGB32_Premultiplied);
    out.setDevicePixelRatio(ratio);
    out.fill(QColor(50, 50, 50));
    QPainter p(&out);
    const auto row = ModeTable::row(mode);
    int digit = 0;
    for (const SkinLayout::Component& c : SkinLayout::components()) {
        QRect r = c.rect;
        if (c.name == QLatin1String("Image9"))
            r.moveTop(WindowClip::bottomEdgeTop(clientHeight));
        switch (c.kind) {
        case SkinLayout::Kind::Picture:
            p.drawImage(r.topLeft(), skin.picture(c.name));
            break;
        case SkinLayout::Kind::Lamp: {
            const bool litPicture = c.name.endsWith(QLatin1Char('0'));
            bool shown = !litPicture;
            if (litPicture && row)
                shown = c.name.startsWith(QLatin1String("NORMAL"))   ? row->normalLit
                        : c.name.startsWith(QLatin1String("REPEAT")) ? row->repeatLit
                                                                     : row->randomLit;
            if (shown)
                p.drawImage(r.topLeft(), skin.picture(c.name));
            break;
        }
        case SkinLayout::Kind::Panel:
            p.fillRect(r, QColor(0, 60, 0));
            break;
        case SkinLayout::Kind::Digit:
            drawDigit(p, r, digit < digits.size() ? digits.at(digit) : QChar(' '));
            ++digit;
            break;
        case SkinLayout::Kind::Dot:
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(0, 255, 0));
            p.drawEllipse(r);
            p.setRenderHint(QPainter::Antialiasing, false);
            break;
        case SkinLayout::Kind::Button:
        case SkinLayout::Kind::ToggleButton: {
            SkinPictures::Face f = SkinPictures::Face::Up;
            if (disabledButtons.contains(c.name))
                f = SkinPictures::Face::Disabled;
            else if (pressedButton == c.name)
                f = SkinPictures::Face::Pressed;
            else if (downButtons.contains(c.name) && SkinPictures::isTwoState(c.name))
                f = SkinPictures::Face::Down;
            p.drawImage(r.topLeft(), skin.face(c.name, f));
            break;
        }
        }
    }
    return out;
}
