#include "SkinPreview.h"
#include "window/SkinLayout.h"
#include "window/SkinPictures.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTest>
#include <QtEndian>

namespace {
// Bounding box, in device pixels, of the pixels much brighter than the key
// body: where the symbol or label is printed.
QRect printedArea(const QImage& img, int threshold)
{
    QRect box;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QColor c = img.pixelColor(x, y);
            if (std::max({c.red(), c.green(), c.blue()}) >= threshold && c.alpha() == 255)
                box |= QRect(x, y, 1, 1);
        }
    return box;
}
// Where the first picture differs, or empty when both skins are the same.
QString firstDifference(const SkinPictures& a, const SkinPictures& b)
{
    for (const QString& name : SkinPictures::pictureNames()) {
        const QImage x = a.picture(name), y = b.picture(name);
        if (x.isNull() || x.devicePixelRatio() != y.devicePixelRatio() ||
            x.convertToFormat(QImage::Format_ARGB32_Premultiplied) !=
                y.convertToFormat(QImage::Format_ARGB32_Premultiplied))
            return name;
    }
    using F = SkinPictures::Face;
    for (const QString& name : SkinPictures::buttonNames())
        for (F f : {F::Up, F::Disabled, F::Pressed, F::Down})
            if (a.face(name, f).convertToFormat(QImage::Format_ARGB32_Premultiplied) !=
                b.face(name, f).convertToFormat(QImage::Format_ARGB32_Premultiplied))
                return name + QStringLiteral(" face %1").arg(int(f));
    return {};
}

QByteArray savedSkin(qreal ratio)
{
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    if (!SkinPictures(ratio).save(out))
        return {};
    return out.data();
}

QByteArray withWord(QByteArray bytes, qsizetype at, quint32 word)
{
    qToBigEndian(word, bytes.data() + at);
    return bytes;
}
} // namespace

class tst_SkinPictures : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void sizes_data();
    void sizes();
    void facesDiffer_data();
    void facesDiffer();
    void symbolsCentred_data();
    void symbolsCentred();
    void lampsLight_data();
    void lampsLight();
    void preview_data();
    void preview();
    void foldArrowPointsTheWayItFolds_data();
    void foldArrowPointsTheWayItFolds();
    void storedSkinIsTheDrawing_data();
    void storedSkinIsTheDrawing();
    void damagedStoreIsRefused_data();
    void damagedStoreIsRefused();
};

void tst_SkinPictures::sizes_data()
{
    QTest::addColumn<qreal>("ratio");
    QTest::newRow("ordinary screen") << 1.0;
    QTest::newRow("double density screen") << 2.0;
    QTest::newRow("one and a half") << 1.5;
}

void tst_SkinPictures::sizes()
{
    QFETCH(qreal, ratio);
    const SkinPictures skin(ratio);
    for (const QString& name : SkinPictures::pictureNames()) {
        const QImage img = skin.picture(name);
        QVERIFY2(!img.isNull(), qPrintable(name));
        QCOMPARE(img.devicePixelRatio(), ratio);
        QCOMPARE(img.size(), (QSizeF(SkinLayout::rect(name).size()) * ratio).toSize());
    }
    using F = SkinPictures::Face;
    for (const QString& name : SkinPictures::buttonNames()) {
        for (F f : {F::Up, F::Disabled, F::Pressed}) {
            const QImage img = skin.face(name, f);
            QVERIFY2(!img.isNull(), qPrintable(name));
            QCOMPARE(img.size(), (QSizeF(SkinLayout::rect(name).size()) * ratio).toSize());
        }
        QCOMPARE(skin.face(name, F::Down).isNull(), !SkinPictures::isTwoState(name));
    }
    QVERIFY(skin.picture("Play").isNull());
    QVERIFY(skin.face("Image1", F::Up).isNull());
}

void tst_SkinPictures::facesDiffer_data()
{
    QTest::addColumn<QString>("button");
    for (const QString& name : SkinPictures::buttonNames())
        QTest::newRow(qPrintable(name)) << name;
}

// Every state a user can reach must look different from the resting face.
void tst_SkinPictures::facesDiffer()
{
    QFETCH(QString, button);
    using F = SkinPictures::Face;
    const SkinPictures skin(1.0);
    const QImage up = skin.face(button, F::Up);
    QVERIFY(skin.face(button, F::Disabled) != up);
    QVERIFY(skin.face(button, F::Pressed) != up);
    if (SkinPictures::isTwoState(button)) {
        QVERIFY(skin.face(button, F::Down) != up);
    }
}

void tst_SkinPictures::symbolsCentred_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<qreal>("ratio");
    for (const char* name :
         {"Play", "Stop", "Rew", "FF", "Eject1", "SetMode", "GoSongEditer", "Compile", "Relation"}) {
        QTest::newRow(qPrintable(QStringLiteral("%1 at 1x").arg(name))) << QString(name) << 1.0;
        QTest::newRow(qPrintable(QStringLiteral("%1 at 2x").arg(name))) << QString(name) << 2.0;
    }
}

void tst_SkinPictures::symbolsCentred()
{
    QFETCH(QString, button);
    QFETCH(qreal, ratio);
    const SkinPictures skin(ratio);
    const QImage up = skin.face(button, SkinPictures::Face::Up);
    const QRect print = printedArea(up, 150);
    QVERIFY(!print.isEmpty());
    const QPointF offset = QRectF(print).center() - QRectF(up.rect()).center();
    // Within a logical pixel and a half: the triangle's optical centre and
    // font side bearings are allowed for, a symbol off to one side is not.
    QVERIFY2(qAbs(offset.x()) <= 1.5 * ratio && qAbs(offset.y()) <= 1.5 * ratio,
             qPrintable(QStringLiteral("offset %1, %2").arg(offset.x()).arg(offset.y())));
    // The print keeps clear of the bevel.
    QVERIFY(
        up.rect().adjusted(int(3 * ratio), int(3 * ratio), int(-3 * ratio), int(-3 * ratio)).contains(print));
}

void tst_SkinPictures::lampsLight_data()
{
    QTest::addColumn<QString>("word");
    QTest::newRow("NORMAL") << "NORMAL";
    QTest::newRow("REPEAT") << "REPEAT";
    QTest::newRow("RANDOM") << "RANDOM";
}

// A lit lamp shows its word in the digits' lime, a dim one shows none of it;
// both sit on the panel's green so that they vanish into the display.
void tst_SkinPictures::lampsLight()
{
    QFETCH(QString, word);
    const SkinPictures skin(1.0);
    const QImage lit = skin.picture(word + "Image0");
    const QImage dim = skin.picture(word + "Image1");
    int litDots = 0, dimDots = 0;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 40; ++x) {
            litDots += lit.pixelColor(x, y) == QColor(0, 255, 0);
            // Unlit words stay legible at 1x: well off the panel's green.
            dimDots += dim.pixelColor(x, y).green() >= 60 + 50 && dim.pixelColor(x, y).green() < 200;
            QVERIFY(dim.pixelColor(x, y) != QColor(0, 255, 0));
        }
    QVERIFY(litDots > 40);
    QCOMPARE(dimDots, litDots);
    QCOMPARE(lit.pixelColor(0, 0), QColor(0, 60, 0));
    QCOMPARE(dim.pixelColor(39, 7), QColor(0, 60, 0));
}

void tst_SkinPictures::foldArrowPointsTheWayItFolds_data()
{
    QTest::addColumn<int>("face");
    QTest::addColumn<bool>("pointsDown");
    QTest::newRow("up: a click unfolds, the arrow points down") << int(SkinPictures::Face::Up) << true;
    QTest::newRow("down: a click folds, the arrow points up") << int(SkinPictures::Face::Down) << false;
}

// The arrow's widest row lies on the side it comes from, its tip on the side it points to.
void tst_SkinPictures::foldArrowPointsTheWayItFolds()
{
    QFETCH(int, face);
    QFETCH(bool, pointsDown);
    const QImage img = SkinPictures(1.0).face(QStringLiteral("ExtendedButtom1"), SkinPictures::Face(face));
    int first = -1, last = -1, widestRow = -1, widest = 0;
    for (int y = 0; y < img.height(); ++y) {
        int orange = 0;
        for (int x = 0; x < img.width(); ++x) {
            const QColor c = img.pixelColor(x, y);
            orange += c.red() > 150 && c.green() > 60 && c.green() < 160 && c.blue() < 80;
        }
        if (!orange)
            continue;
        if (first < 0)
            first = y;
        last = y;
        if (orange > widest) {
            widest = orange;
            widestRow = y;
        }
    }
    QVERIFY(first >= 0);
    QCOMPARE(widestRow - first < last - widestRow, pointsDown);
}

void tst_SkinPictures::preview_data()
{
    QTest::addColumn<qreal>("ratio");
    QTest::addColumn<bool>("extended");
    QTest::newRow("folded at 1x") << 1.0 << false;
    QTest::newRow("extended at 1x") << 1.0 << true;
    QTest::newRow("folded at 2x") << 2.0 << false;
    QTest::newRow("extended at 2x") << 2.0 << true;
}

// The whole window as it will look; saved for a look when
// ONDEL_SKIN_PREVIEW is set. Checks that the edge encloses the window.
void tst_SkinPictures::preview()
{
    QFETCH(qreal, ratio);
    QFETCH(bool, extended);
    const SkinPictures skin(ratio);
    SkinPreview preview;
    preview.clientHeight = extended ? 183 : 130;
    if (extended)
        preview.downButtons << "ExtendedButtom1";
    const QImage img = preview.compose(skin);
    QCOMPARE(img.size(), (QSizeF(306, preview.clientHeight) * ratio).toSize());
    // The outline runs round all four sides.
    const QColor outline(15, 15, 15);
    const int w = img.width(), h = img.height();
    for (const QPoint& pt : {QPoint(w / 2, 0), QPoint(0, h / 2), QPoint(w - 1, h / 2), QPoint(w / 2, h - 1)})
        QCOMPARE(img.pixelColor(pt), outline);

    if (qEnvironmentVariableIsSet("ONDEL_SKIN_PREVIEW")) {
        const QString dir = QStringLiteral(ONDEL_TEST_BINARY_DIR "/skin-preview");
        QDir().mkpath(dir);
        const QString file =
            QStringLiteral("%1/main-%2-%3x.png").arg(dir).arg(preview.clientHeight).arg(ratio);
        QVERIFY(img.save(file));
        SkinPreview other = preview;
        other.mode = 2;
        other.digits = "123459";
        other.downButtons =
            QStringList{"MinimizeButtom1"} + (extended ? QStringList{"ExtendedButtom1"} : QStringList{});
        other.disabledButtons = {"Play", "GoSongEditer", "Compile", "Relation"};
        other.pressedButton = "FF";
        QVERIFY(other.compose(skin).save(
            QStringLiteral("%1/states-%2-%3x.png").arg(dir).arg(preview.clientHeight).arg(ratio)));
        qInfo("saved %s", qPrintable(file));
    }
}

void tst_SkinPictures::storedSkinIsTheDrawing_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<qreal>("ratio");
    QFile built(QStringLiteral(":/skin/skin-1x.dat"));
    QVERIFY(built.open(QIODevice::ReadOnly));
    QTest::newRow("the build's skin for ordinary screens") << built.readAll() << 1.0;
    QTest::newRow("double density, saved and read back") << savedSkin(2.0) << 2.0;
}

void tst_SkinPictures::storedSkinIsTheDrawing()
{
    QFETCH(QByteArray, stored);
    QFETCH(qreal, ratio);
    QBuffer in(&stored);
    in.open(QIODevice::ReadOnly);
    const std::optional<SkinPictures> loaded = SkinPictures::load(in, ratio);
    QVERIFY(loaded);
    QCOMPARE(firstDifference(*loaded, SkinPictures(ratio)), QString());
    QCOMPARE(firstDifference(SkinPictures::forScreen(ratio), SkinPictures(ratio)), QString());
}

void tst_SkinPictures::damagedStoreIsRefused_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<qreal>("ratio");
    const QByteArray good = savedSkin(1.0);
    // magic, version, ratio (8 bytes), count; then the first picture's name,
    // kind, width and height.
    constexpr qsizetype VersionAt = 4, CountAt = 16, FirstNameAt = 20;
    const qsizetype firstWidthAt = FirstNameAt + 4 + 2 * SkinPictures::pictureNames().first().size() + 4;
    QTest::newRow("nothing") << QByteArray() << 1.0;
    QTest::newRow("cut short") << good.left(good.size() / 2) << 1.0;
    QTest::newRow("a byte too many") << good + '\0' << 1.0;
    QTest::newRow("another version") << withWord(good, VersionAt, 2) << 1.0;
    QTest::newRow("drawn for another ratio") << good << 2.0;
    QTest::newRow("a picture fewer counted")
        << withWord(good, CountAt, quint32(qFromBigEndian<quint32>(good.constData() + CountAt) - 1)) << 1.0;
    QTest::newRow("a picture wider than its place") << withWord(good, firstWidthAt, 0x7fffffff) << 1.0;
    QTest::newRow("a plain picture given as a button face") << withWord(good, firstWidthAt - 4, 0) << 1.0;
}

void tst_SkinPictures::damagedStoreIsRefused()
{
    QFETCH(QByteArray, stored);
    QFETCH(qreal, ratio);
    QBuffer in(&stored);
    in.open(QIODevice::ReadOnly);
    QVERIFY(!SkinPictures::load(in, ratio));
}

QTEST_MAIN(tst_SkinPictures)
#include "tst_SkinPictures.moc"
