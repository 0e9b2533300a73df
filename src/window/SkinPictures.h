#pragma once

#include <QHash>
#include <QImage>
#include <QString>
#include <QStringList>
#include <optional>

class QIODevice;

// Every picture of the main window's skin, drawn by code for one device pixel
// ratio: each image has its component's designed size in logical pixels
// (SkinLayout) times the ratio, and carries the ratio, so it is sharp on 1x
// and 2x screens alike. All of it is one dark body in the skin palette's
// colours: raised 1-pixel bevels on keys and the outer edge, a sunken frame
// round the green display, light grey symbols, lit parts in lime, red, blue
// and orange.
class SkinPictures {
public:
    enum class Face { Up, Disabled, Pressed, Down };

    explicit SkinPictures(qreal devicePixelRatio = 1.0);

    // Drawing the skin needs its fonts and a text shaper, which a start would
    // otherwise not load until the lyrics show; the build draws it once and
    // the player reads it back. load() gives nothing unless the data is a
    // whole skin for this ratio, every picture its component's size.
    bool save(QIODevice& out) const;
    static std::optional<SkinPictures> load(QIODevice& in, qreal devicePixelRatio);
    // The stored skin where the build made one for this ratio, else drawn.
    static SkinPictures forScreen(qreal devicePixelRatio);

    qreal devicePixelRatio() const { return ratio_; }

    // Plain pictures: the edges Image6..bottomEdge_, the title plate Image1, the
    // display frames Image2..Image5 and the lamps (normalLamp_ lit,
    // NORMALImage1 dim, likewise REPEAT and RANDOM). Null for other names.
    QImage picture(const QString& component) const;
    static QStringList pictureNames();

    // Button faces, by the buttons' objectNames (PlayerObjectNames::Main).
    // Plain buttons have no Down face (null). Null for other names.
    QImage face(const QString& component, Face face) const;
    static QStringList buttonNames();
    static bool isTwoState(const QString& component);

private:
    struct Undrawn {};
    SkinPictures(qreal devicePixelRatio, Undrawn);
    QImage canvas(QSize logicalSize) const;
    void drawPictures();
    void drawButton(const QString& name);

    qreal ratio_;
    QHash<QString, QImage> pictures_;
    QHash<QString, QImage> faces_[4];
};
