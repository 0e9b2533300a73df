#include "window/SkinPictures.h"

#include "window/PlayerObjectNames.h"
#include "window/SkinLayout.h"

#include <QDataStream>
#include <QFile>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <vector>

using namespace PlayerObjectNames;

namespace {

QColor grey(int v)
{
    return QColor(v, v, v);
}

const QColor PanelGreen(0, 60, 0); // the display panel's fill
const QColor LampDim(0, 125, 0);   // unlit lamp dots: faint, yet legible at 1x on the panel's green
const QColor LampLit(0, 255, 0);   // the digits' lime
const QColor SymbolLight(218, 218, 218);

// Colours of a bevelled border, ring 0 outermost. The light rings run along
// the top and left, the dark ones along the bottom and right; where a light
// and a dark side meet, the pixel goes to the dark side.
struct Bevel {
    std::vector<QColor> light;
    std::vector<QColor> dark;
};

QColor bevelColour(const Bevel& b, int x, int y, int w, int h)
{
    const int depth = int(b.light.size());
    const int dl = x, dt = y, dr = w - 1 - x, db = h - 1 - y;
    const int d = std::min({dl, dt, dr, db});
    if (d >= depth)
        return QColor();
    const bool dark = (dr == d || db == d);
    return dark ? b.dark[d] : b.light[d];
}

// Sets single pixels in their colours. A painter's fill costs far more than
// the pixel it sets, and the skin sets thousands: on a canvas the painter
// draws at 1:1, an opaque pixel goes straight into the image, exactly as
// the fill would set it. A denser screen scales each pixel as before.
class PixelPlotter {
public:
    explicit PixelPlotter(QPainter& p) : painter_(p)
    {
        QPaintDevice* device = p.device();
        if (device && device->devType() == QInternal::Image && p.deviceTransform().isIdentity()) {
            auto* image = static_cast<QImage*>(device);
            // A shared image would be copied by bits(), away from the painter's buffer.
            if (image->format() == QImage::Format_ARGB32_Premultiplied && image->isDetached()) {
                bits_ = image->bits();
                bytesPerLine_ = image->bytesPerLine();
                bounds_ = image->rect();
            }
        }
    }

    void plot(int x, int y, const QColor& c)
    {
        if (bits_ && c.alpha() == 255 && bounds_.contains(x, y)) {
            reinterpret_cast<QRgb*>(bits_ + y * bytesPerLine_)[x] = c.rgb();
            return;
        }
        painter_.fillRect(QRect(x, y, 1, 1), c);
    }

private:
    QPainter& painter_;
    uchar* bits_ = nullptr;
    qsizetype bytesPerLine_ = 0;
    QRect bounds_;
};

// Draws the bevel inside r; with rounded corners the four corner pixels stay
// empty, which softens the outline like a moulded key.
void drawBevel(QPainter& p, const QRect& r, const Bevel& b, bool rounded)
{
    const int w = r.width(), h = r.height();
    const int depth = int(b.light.size());
    PixelPlotter pixels(p);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (y >= depth && y < h - depth && x == depth)
                x = w - depth; // skip the inside of the row
            if (rounded && (x == 0 || x == w - 1) && (y == 0 || y == h - 1)) {
                continue;
            }
            const QColor c = bevelColour(b, x, y, w, h);
            if (c.isValid())
                pixels.plot(r.x() + x, r.y() + y, c);
        }
    }
}

QFont skinFont(qreal pixelSize, bool bold, bool italic = false, int stretch = QFont::Unstretched)
{
    QFont f;
    f.setFamilies(
        {QStringLiteral("DejaVu Sans"), QStringLiteral("IPAPGothic"), QStringLiteral("Sans Serif")});
    f.setPixelSize(int(pixelSize));
    f.setBold(bold);
    f.setItalic(italic);
    f.setStretch(stretch);
    f.setHintingPreference(QFont::PreferFullHinting);
    return f;
}

// The largest font up to maxPixels whose text fits the width.
QFont fittedFont(const QString& text, qreal width, int maxPixels, bool bold, int stretch)
{
    for (int px = maxPixels; px > 7; --px) {
        QFont f = skinFont(px, bold, false, stretch);
        if (QFontMetricsF(f).horizontalAdvance(text) <= width)
            return f;
    }
    return skinFont(8, bold, false, stretch);
}

// 5 x 7 dot-matrix capitals for the mode lamps: at 8 pixels high only whole
// pixels stay legible.
const char* lampGlyph(QChar c)
{
    switch (c.unicode()) {
    case 'A':
        return ".XXX.X...XX...XXXXXXX...XX...XX...X";
    case 'D':
        return "XXXX.X...XX...XX...XX...XX...XXXXX.";
    case 'E':
        return "XXXXXX....X....XXXX.X....X....XXXXX";
    case 'L':
        return "X....X....X....X....X....X....XXXXX";
    case 'M':
        return "X...XXX.XXX.X.XX.X.XX...XX...XX...X";
    case 'N':
        return "X...XX...XXX..XX.X.XX..XXX...XX...X";
    case 'O':
        return ".XXX.X...XX...XX...XX...XX...X.XXX.";
    case 'P':
        return "XXXX.X...XX...XXXXX.X....X....X....";
    case 'R':
        return "XXXX.X...XX...XXXXX.X.X..X..X.X...X";
    case 'T':
        return "XXXXX..X....X....X....X....X....X..";
    default:
        return "...................................";
    }
}

void drawLampWord(QPainter& p, const QString& word, const QColor& colour)
{
    constexpr int GlyphW = 5, GlyphH = 7, Gap = 1;
    const int width = int(word.size()) * (GlyphW + Gap) - Gap;
    const QRect lamp = QRect(0, 0, 40, 8);
    const int left = lamp.left() + (lamp.width() - width) / 2;
    const int top = lamp.top() + (lamp.height() - GlyphH) / 2;
    PixelPlotter pixels(p);
    for (int i = 0; i < word.size(); ++i) {
        const char* g = lampGlyph(word.at(i));
        for (int row = 0; row < GlyphH; ++row)
            for (int col = 0; col < GlyphW; ++col)
                if (g[row * GlyphW + col] == 'X')
                    pixels.plot(left + i * (GlyphW + Gap) + col, top + row, colour);
    }
}

// Key bevels: raised when up, sunk when pressed or latched down.
const Bevel RaisedKey{{grey(15), grey(125), grey(88)}, {grey(15), grey(28), grey(40)}};
const Bevel SunkKey{{grey(15), grey(26), grey(36)}, {grey(15), grey(80), grey(62)}};
const Bevel FlatKey{{grey(15), grey(92), grey(72)}, {grey(15), grey(34), grey(44)}};

void drawKeyBody(QPainter& p, const QRect& r, SkinPictures::Face face)
{
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    switch (face) {
    case SkinPictures::Face::Up:
        g.setColorAt(0, grey(76));
        g.setColorAt(1, grey(54));
        break;
    case SkinPictures::Face::Disabled:
        g.setColorAt(0, grey(62));
        g.setColorAt(1, grey(54));
        break;
    case SkinPictures::Face::Pressed:
    case SkinPictures::Face::Down:
        g.setColorAt(0, grey(40));
        g.setColorAt(1, grey(52));
        break;
    }
    p.fillRect(r.adjusted(1, 1, -1, -1), g);
    const Bevel& b = face == SkinPictures::Face::Up         ? RaisedKey
                     : face == SkinPictures::Face::Disabled ? FlatKey
                                                            : SunkKey;
    drawBevel(p, r, b, true);
}

bool sunk(SkinPictures::Face f)
{
    return f == SkinPictures::Face::Pressed || f == SkinPictures::Face::Down;
}

// Draws a symbol in its face's colours: light grey, engraved when disabled,
// moved one pixel down and right while sunk. `paint` draws it in one colour
// at an offset.
template <typename Paint> void drawSymbol(QPainter& p, SkinPictures::Face face, Paint paint)
{
    if (face == SkinPictures::Face::Disabled) {
        paint(p, grey(84), QPointF(1, 1));
        paint(p, grey(34), QPointF(0, 0));
        return;
    }
    const QPointF shift = sunk(face) ? QPointF(1, 1) : QPointF(0, 0);
    paint(p, grey(20), shift + QPointF(0, 1)); // a cast shadow under the print
    paint(p, sunk(face) ? grey(196) : SymbolLight, shift);
}

QPolygonF triangleRight(qreal left, qreal top, qreal w, qreal h)
{
    return QPolygonF({QPointF(left, top), QPointF(left + w, top + h / 2), QPointF(left, top + h)});
}

QPolygonF triangleLeft(qreal left, qreal top, qreal w, qreal h)
{
    return QPolygonF({QPointF(left + w, top), QPointF(left, top + h / 2), QPointF(left + w, top + h)});
}

void fillPolygon(QPainter& p, const QPolygonF& poly, const QColor& c)
{
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPolygon(poly);
}

// A soft glow behind a lit part: a few wider, transparent copies.
void glow(QPainter& p, const QPainterPath& path, const QColor& c)
{
    for (int w = 4; w >= 2; w -= 1) {
        QColor g = c;
        g.setAlpha(45);
        p.strokePath(path, QPen(g, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    }
}

} // namespace

SkinPictures::SkinPictures(qreal devicePixelRatio) : ratio_(devicePixelRatio > 0 ? devicePixelRatio : 1.0)
{
    drawPictures();
    for (const QString& name : buttonNames())
        drawButton(name);
}

SkinPictures::SkinPictures(qreal devicePixelRatio, Undrawn) : ratio_(devicePixelRatio)
{
}

namespace {
constexpr quint32 StoredMagic = 0x4f4e534b; // "ONSK"
constexpr quint32 StoredVersion = 1;
// The kind of a stored image: a face of a button, or this for a plain picture.
constexpr qint32 PictureKind = -1;
constexpr QImage::Format StoredFormat = QImage::Format_ARGB32_Premultiplied;
} // namespace

bool SkinPictures::save(QIODevice& out) const
{
    QDataStream stream(&out);
    stream.setVersion(QDataStream::Qt_6_4);
    // In the lists' order, so that the same skin always gives the same bytes.
    QList<std::pair<QString, qint32>> entries;
    for (const QString& name : pictureNames())
        entries.append({name, PictureKind});
    for (qint32 kind = 0; kind <= qint32(Face::Down); ++kind)
        for (const QString& name : buttonNames())
            if (!faces_[kind].value(name).isNull())
                entries.append({name, kind});
    stream << StoredMagic << StoredVersion << double(ratio_) << quint32(entries.size());
    for (const auto& [name, kind] : entries) {
        const QImage image = (kind == PictureKind ? pictures_.value(name) : faces_[kind].value(name))
                                 .convertToFormat(StoredFormat);
        stream << name << kind << qint32(image.width()) << qint32(image.height());
        for (int y = 0; y < image.height(); ++y)
            stream.writeRawData(reinterpret_cast<const char*>(image.constScanLine(y)), image.width() * 4);
    }
    return stream.status() == QDataStream::Ok;
}

std::optional<SkinPictures> SkinPictures::load(QIODevice& in, qreal devicePixelRatio)
{
    QDataStream stream(&in);
    stream.setVersion(QDataStream::Qt_6_4);
    quint32 magic = 0, version = 0, count = 0;
    double ratio = 0;
    stream >> magic >> version >> ratio >> count;
    if (stream.status() != QDataStream::Ok || magic != StoredMagic || version != StoredVersion ||
        !qFuzzyCompare(ratio, devicePixelRatio))
        return std::nullopt;
    const QStringList pictures = pictureNames(), buttons = buttonNames();
    qsizetype expected = pictures.size();
    for (const QString& button : buttons)
        expected += isTwoState(button) ? 4 : 3;
    if (count != quint32(expected))
        return std::nullopt;
    SkinPictures skin(ratio, Undrawn{});
    for (quint32 i = 0; i < count; ++i) {
        QString name;
        qint32 kind = 0, width = 0, height = 0;
        stream >> name >> kind >> width >> height;
        if (stream.status() != QDataStream::Ok)
            return std::nullopt;
        const bool belongs = kind == PictureKind ? pictures.contains(name)
                                                 : buttons.contains(name) && kind >= 0 &&
                                                       (kind < qint32(Face::Down) ||
                                                        (kind == qint32(Face::Down) && isTwoState(name)));
        QHash<QString, QImage>& images =
            kind == PictureKind ? skin.pictures_ : skin.faces_[belongs ? kind : 0];
        // Each picture once, and at its component's size: nothing else is allocated.
        if (!belongs || images.contains(name))
            return std::nullopt;
        QImage image = skin.canvas(SkinLayout::rect(name).size());
        if (image.isNull() || image.size() != QSize(width, height))
            return std::nullopt;
        for (int y = 0; y < height; ++y)
            if (stream.readRawData(reinterpret_cast<char*>(image.scanLine(y)), width * 4) != width * 4)
                return std::nullopt;
        images.insert(name, image);
    }
    if (!stream.atEnd())
        return std::nullopt;
    return skin;
}

SkinPictures SkinPictures::forScreen(qreal devicePixelRatio)
{
    // The build stores the skin for ordinary screens only.
    QFile stored(QStringLiteral(":/skin/skin-1x.dat"));
    if (qFuzzyCompare(devicePixelRatio, 1.0) && stored.open(QIODevice::ReadOnly)) {
        if (std::optional<SkinPictures> skin = load(stored, devicePixelRatio))
            return std::move(*skin);
    }
    return SkinPictures(devicePixelRatio);
}

QStringList SkinPictures::pictureNames()
{
    return {Main::TopEdge,           Main::LeftEdge,        Main::RightEdge,          Main::BottomEdge,
            Main::TitlePlate,        Main::DisplayFrameTop, Main::DisplayFrameBottom, Main::DisplayFrameLeft,
            Main::DisplayFrameRight, Main::NormalLamp,      Main::NormalLampLit,      Main::RepeatLamp,
            Main::RepeatLampLit,     Main::RandomLamp,      Main::RandomLampLit};
}

QStringList SkinPictures::buttonNames()
{
    return {Main::PowerButton,  Main::MinimizeButton, Main::EjectButton,   Main::ModeButton,
            Main::RewindButton, Main::PlayButton,     Main::StopButton,    Main::FastForwardButton,
            Main::ExtendButton, Main::EditorButton,   Main::CompileButton, Main::RelationButton,
            Main::LyricsButton};
}

bool SkinPictures::isTwoState(const QString& component)
{
    return SkinLayout::kind(component) == SkinLayout::Kind::ToggleButton &&
           !SkinLayout::rect(component).isEmpty();
}

QImage SkinPictures::picture(const QString& component) const
{
    return pictures_.value(component);
}

QImage SkinPictures::face(const QString& component, Face f) const
{
    return faces_[int(f)].value(component);
}

QImage SkinPictures::canvas(QSize logicalSize) const
{
    QImage image((QSizeF(logicalSize) * ratio_).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio_);
    image.fill(Qt::transparent);
    return image;
}

void SkinPictures::drawPictures()
{
    // The outer edge: a raised 5-pixel bezel round the whole body. Each edge
    // picture is a slice of one bezel, so the corners mitre whichever picture
    // lies on top; the bottom slice is taken from the bottom of the bezel.
    const Bevel outer{{grey(15), grey(118), grey(92), grey(72), grey(60)},
                      {grey(15), grey(24), grey(32), grey(38), grey(44)}};
    constexpr int BezelW = 306, BezelH = 1000; // taller than any client height
    auto edge = [&](const QString& name, int sliceTop) {
        const QRect r = SkinLayout::rect(name);
        QImage img = canvas(r.size());
        QPainter p(&img);
        PixelPlotter pixels(p);
        for (int y = 0; y < r.height(); ++y)
            for (int x = 0; x < r.width(); ++x) {
                QColor c = bevelColour(outer, r.x() + x, sliceTop + y, BezelW, BezelH);
                pixels.plot(x, y, c.isValid() ? c : grey(50));
            }
        pictures_.insert(name, img);
    };
    edge(Main::TopEdge, 0);
    edge(Main::LeftEdge, 0);
    edge(Main::RightEdge, 0);
    edge(Main::BottomEdge, BezelH - SkinLayout::EdgeThickness);

    // The display frame: a sunken 4-pixel bezel round the green panel, with
    // a dark green rim where it meets the glass.
    const Bevel inset{{grey(30), grey(22), grey(15), QColor(30, 66, 30)},
                      {grey(96), grey(74), grey(15), QColor(30, 66, 30)}};
    const QRect frame(40, 32, 225, 52);
    for (QLatin1String name :
         {Main::DisplayFrameTop, Main::DisplayFrameBottom, Main::DisplayFrameLeft, Main::DisplayFrameRight}) {
        const QRect r = SkinLayout::rect(name);
        QImage img = canvas(r.size());
        QPainter p(&img);
        PixelPlotter pixels(p);
        for (int y = 0; y < r.height(); ++y)
            for (int x = 0; x < r.width(); ++x) {
                QColor c = bevelColour(inset, r.x() - frame.x() + x, r.y() - frame.y() + y, frame.width(),
                                       frame.height());
                pixels.plot(x, y, c.isValid() ? c : PanelGreen);
            }
        pictures_.insert(name, img);
    }

    // The title plate: a shallow recess with the name printed in green.
    {
        const QRect r(0, 0, 225, 20);
        QImage img = canvas(r.size());
        QPainter p(&img);
        QLinearGradient g(0, 0, 0, r.height());
        g.setColorAt(0, grey(22));
        g.setColorAt(1, grey(30));
        p.fillRect(r, g);
        drawBevel(p, r, Bevel{{grey(30), grey(15)}, {grey(84), grey(40)}}, false);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        const QString title = QStringLiteral("OndelPlayer");
        QFont f = skinFont(14, true, true);
        f.setLetterSpacing(QFont::AbsoluteSpacing, 1);
        QFontMetricsF fm(f);
        const qreal tw = fm.horizontalAdvance(title);
        const QPointF base((r.width() - tw) / 2, (r.height() + fm.capHeight()) / 2);
        QPainterPath path;
        path.addText(base, f, title);
        glow(p, path, QColor(0, 175, 0));
        p.fillPath(path, QColor(0, 235, 0));
        pictures_.insert(Main::TitlePlate, img);
    }

    // The lamps: dot-matrix words on the panel's green, faint when dim.
    const struct {
        QLatin1String word, dim, lit;
    } lamps[] = {{QLatin1String("NORMAL"), Main::NormalLamp, Main::NormalLampLit},
                 {QLatin1String("REPEAT"), Main::RepeatLamp, Main::RepeatLampLit},
                 {QLatin1String("RANDOM"), Main::RandomLamp, Main::RandomLampLit}};
    for (const auto& lamp : lamps) {
        const QString word = lamp.word;
        for (int lit = 0; lit < 2; ++lit) {
            QImage img = canvas(QSize(40, 8));
            QPainter p(&img);
            p.fillRect(QRect(0, 0, 40, 8), PanelGreen);
            if (ratio_ < 1.75) {
                drawLampWord(p, word, lit ? LampLit : LampDim);
            }
            else {
                // Dense screens have the pixels for real letters of the same size.
                p.setRenderHint(QPainter::Antialiasing);
                const QFont font = fittedFont(QStringLiteral("RANDOM"), 36, 9, true, QFont::SemiCondensed);
                QPainterPath path;
                const QFontMetricsF fm(font);
                path.addText(QPointF(2, 4 + fm.capHeight() / 2), font, word); // flush left like a list
                p.fillPath(path, lit ? LampLit : LampDim);
            }
            pictures_.insert(lit ? lamp.lit : lamp.dim, img);
        }
    }
}

void SkinPictures::drawButton(const QString& name)
{
    const QRect r(QPoint(0, 0), SkinLayout::rect(name).size());
    const bool toggle = isTwoState(name);
    const QRectF inner = QRectF(r).adjusted(3, 3, -3, -3);
    const QPointF c = QRectF(r).center();

    for (Face f : {Face::Up, Face::Disabled, Face::Pressed, Face::Down}) {
        if (f == Face::Down && !toggle)
            continue;
        QImage img = canvas(r.size());
        QPainter p(&img);
        drawKeyBody(p, r, f);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        const bool lit = f == Face::Down;
        const QPointF shift = sunk(f) ? QPointF(1, 1) : QPointF(0, 0);

        if (name == Main::PlayButton) {
            drawSymbol(p, f, [&](QPainter& q, const QColor& col, QPointF o) {
                fillPolygon(q, triangleRight(c.x() - 5 + o.x(), c.y() - 7 + o.y(), 11, 14), col);
            });
        }
        else if (name == Main::StopButton) {
            drawSymbol(p, f, [&](QPainter& q, const QColor& col, QPointF o) {
                q.fillRect(QRectF(c.x() - 4.5 + o.x(), c.y() - 4.5 + o.y(), 9, 9), col);
            });
        }
        else if (name == Main::RewindButton || name == Main::FastForwardButton) {
            const bool back = name == Main::RewindButton;
            drawSymbol(p, f, [&](QPainter& q, const QColor& col, QPointF o) {
                for (int i = 0; i < 2; ++i) {
                    const qreal left = c.x() - 9 + i * 9 + o.x();
                    fillPolygon(q,
                                back ? triangleLeft(left, c.y() - 6 + o.y(), 9, 12)
                                     : triangleRight(left, c.y() - 6 + o.y(), 9, 12),
                                col);
                }
            });
        }
        else if (name == Main::EjectButton) {
            drawSymbol(p, f, [&](QPainter& q, const QColor& col, QPointF o) {
                fillPolygon(q,
                            QPolygonF({QPointF(c.x() - 6.5 + o.x(), c.y() + 1 + o.y()),
                                       QPointF(c.x() + o.x(), c.y() - 6 + o.y()),
                                       QPointF(c.x() + 6.5 + o.x(), c.y() + 1 + o.y())}),
                            col);
                q.fillRect(QRectF(c.x() - 6.5 + o.x(), c.y() + 3 + o.y(), 13, 3), col);
            });
        }
        else if (name == Main::ModeButton) {
            const QFont font = skinFont(10, true);
            const QString word = QStringLiteral("Mode");
            drawSymbol(p, f, [&](QPainter& q, const QColor& col, QPointF o) {
                q.setFont(font);
                q.setPen(col);
                const qreal pitch = 10;
                const qreal top = c.y() - pitch * word.size() / 2;
                for (int i = 0; i < word.size(); ++i)
                    q.drawText(QRectF(inner.left() + o.x(), top + i * pitch + o.y(), inner.width(), pitch),
                               Qt::AlignCenter, word.at(i));
            });
        }
        else if (name == Main::PowerButton) {
            // The power lamp: glowing red while the player is on.
            const QColor col = f == Face::Disabled ? QColor(80, 0, 0)
                               : lit               ? QColor(255, 70, 60)
                                                   : QColor(115, 0, 0);
            QPainterPath path;
            const QPointF pc = c + shift + QPointF(0, 0.5);
            const qreal rad = 4.5;
            const QRectF ring(pc.x() - rad, pc.y() - rad, 2 * rad, 2 * rad);
            path.arcMoveTo(ring, 125);
            path.arcTo(ring, 125, 290); // open at the top for the stroke
            path.moveTo(pc.x(), pc.y() - rad - 1.5);
            path.lineTo(pc.x(), pc.y() - 0.5);
            if (lit)
                glow(p, path, QColor(205, 0, 0));
            p.strokePath(path, QPen(col, 1.6, Qt::SolidLine, Qt::RoundCap));
        }
        else if (name == Main::MinimizeButton) {
            const QColor col = f == Face::Disabled ? QColor(0, 0, 100)
                               : lit               ? QColor(0, 173, 255)
                                                   : QColor(0, 82, 215);
            const QRectF bar(c.x() - 6 + shift.x(), c.y() + 2 + shift.y(), 12, 3);
            if (lit) {
                QPainterPath path;
                path.addRect(bar);
                glow(p, path, QColor(0, 104, 235));
            }
            p.fillRect(bar, col);
        }
        else if (name == Main::ExtendButton) {
            const QColor col = f == Face::Disabled ? QColor(90, 40, 0)
                               : lit               ? QColor(255, 125, 20)
                                                   : QColor(220, 110, 0);
            const QPointF o = shift;
            // The arrow points the way a click folds: down to unfold the
            // row, up (while the button is down) to fold it away.
            const qreal way = f == Face::Down ? -1 : 1;
            QPolygonF arrow({QPointF(c.x() - 6 + o.x(), c.y() - 3 * way + o.y()),
                             QPointF(c.x() + 6 + o.x(), c.y() - 3 * way + o.y()),
                             QPointF(c.x() + o.x(), c.y() + 4 * way + o.y())});
            if (f != Face::Disabled)
                fillPolygon(p, arrow.translated(0, 1), grey(20));
            fillPolygon(p, arrow, col);
        }
        else if (name == Main::LyricsButton) {
            // The lyrics switch: its label lights green while it is down.
            const QFont font =
                fittedFont(QStringLiteral("Words"), inner.width() - 2, 10, true, QFont::SemiCondensed);
            const QColor col = f == Face::Disabled ? grey(34) : lit ? QColor(108, 255, 0) : grey(150);
            QPainterPath path;
            QFontMetricsF fm(font);
            const QString l1 = QStringLiteral("Words"), l2 = QStringLiteral("On");
            const qreal line = 11;
            const qreal base1 = c.y() - line / 2 + fm.capHeight() / 2 + shift.y();
            path.addText(QPointF(c.x() - fm.horizontalAdvance(l1) / 2 + shift.x(), base1), font, l1);
            path.addText(QPointF(c.x() - fm.horizontalAdvance(l2) / 2 + shift.x(), base1 + line), font, l2);
            if (lit)
                glow(p, path, QColor(0, 155, 0));
            else if (f != Face::Disabled)
                p.fillPath(path.translated(0, 1), grey(20));
            p.fillPath(path, col);
        }
        else {
            QString label = name == Main::EditorButton    ? QStringLiteral("Words Editer")
                            : name == Main::CompileButton ? QStringLiteral("Set rhythm")
                                                          : QStringLiteral("Relate");
            // One size for the whole row: the one the longest label fits.
            const QFont font =
                fittedFont(QStringLiteral("Words Editer"), inner.width() - 6, 12, true, QFont::SemiCondensed);
            drawSymbol(p, f, [&](QPainter& q, const QColor& col, QPointF o) {
                q.setFont(font);
                q.setPen(col);
                q.drawText(inner.translated(o), Qt::AlignCenter, label);
            });
        }
        faces_[int(f)].insert(name, img);
    }
}
