#include "controls/DigitalDisplay.h"
#include "core/ColorValue.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTest>

namespace {
// One stroke of the expected drawing: segment bit index, direction, the row
// (horizontal) or column (vertical), first and last pixel inclusive.
struct Stroke {
    int segment;
    bool horizontal;
    int line;
    int first;
    int last;
};
using Drawing = QList<Stroke>;

constexpr bool H = true;
constexpr bool V = false;

// The main window's digits: 15 x 27, bar width 3.
const Drawing mainDigit = {
    {0, H, 1, 2, 12},   {0, H, 0, 3, 11},   {0, H, 2, 3, 11},   // top
    {1, V, 13, 3, 10},  {1, V, 12, 4, 9},   {1, V, 14, 4, 9},   // upper right
    {2, V, 1, 3, 10},   {2, V, 0, 4, 9},    {2, V, 2, 4, 9},    // upper left
    {3, H, 12, 2, 12},  {3, H, 11, 3, 11},  {3, H, 13, 3, 11},  // middle
    {4, V, 13, 14, 23}, {4, V, 12, 15, 22}, {4, V, 14, 15, 22}, // lower right
    {5, V, 1, 14, 23},  {5, V, 0, 15, 22},  {5, V, 2, 15, 22},  // lower left
    {6, H, 25, 2, 12},  {6, H, 24, 3, 11},  {6, H, 26, 3, 11},  // bottom
};

// The mini window's digits: 10 x 18, bar width 2; both strokes have the full span.
const Drawing miniDigit = {
    {0, H, 0, 2, 7},   {0, H, 1, 2, 7},   {1, V, 8, 3, 6},  {1, V, 9, 3, 6},   {2, V, 0, 3, 6},
    {2, V, 1, 3, 6},   {3, H, 7, 2, 7},   {3, H, 8, 2, 7},  {4, V, 8, 10, 14}, {4, V, 9, 10, 14},
    {5, V, 0, 10, 14}, {5, V, 1, 10, 14}, {6, H, 16, 2, 7}, {6, H, 17, 2, 7},
};

// 15 x 27 with bar width 1 (a width of 0 is stored as 1).
const Drawing thinDigit = {
    {0, H, 0, 2, 12},   {1, V, 14, 3, 10}, {2, V, 0, 3, 10},  {3, H, 12, 2, 12},
    {4, V, 14, 14, 23}, {5, V, 0, 14, 23}, {6, H, 26, 2, 12},
};

// The main digit with adjust23Pos 0: the upper verticals move up one pixel.
Drawing unshiftedDigit()
{
    Drawing d = mainDigit;
    for (Stroke& s : d)
        if (s.segment == 1 || s.segment == 2) {
            s.first -= 1;
            s.last -= 1;
        }
    return d;
}

// A new control, 30 x 60, bar width 1.
const Drawing defaultDigit = {
    {0, H, 0, 2, 27},   {1, V, 29, 3, 27}, {2, V, 0, 3, 27},  {3, H, 29, 2, 27},
    {4, V, 29, 31, 56}, {5, V, 0, 31, 56}, {6, H, 59, 2, 27},
};

const QRgb Untouched = qRgb(255, 0, 255);

QImage expectedImage(QSize size, const Drawing& drawing, quint8 litSegments, QRgb lit, QRgb unlit)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Untouched);
    for (int segment = 0; segment < 7; ++segment) {
        const QRgb colour = (litSegments & (1 << segment)) ? lit : unlit;
        for (const Stroke& s : drawing) {
            if (s.segment != segment)
                continue;
            for (int p = s.first; p <= s.last; ++p)
                image.setPixel(s.horizontal ? QPoint(p, s.line) : QPoint(s.line, p), colour);
        }
    }
    return image;
}

// Paints the control on a surface whose colour marks the pixels it must leave alone.
QImage rendered(DigitalDisplay& digit)
{
    QImage image(digit.size(), QImage::Format_RGB32);
    image.fill(Untouched);
    digit.render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
    return image;
}

QString firstDifference(const QImage& actual, const QImage& expected)
{
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x)
            if (actual.pixel(x, y) != expected.pixel(x, y))
                return QStringLiteral("pixel (%1, %2) is %3, expected %4")
                    .arg(x)
                    .arg(y)
                    .arg(actual.pixel(x, y), 8, 16)
                    .arg(expected.pixel(x, y), 8, 16);
    return {};
}

class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};
} // namespace

class tst_DigitalDisplay : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void pixels_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("barWidth");
        QTest::addColumn<int>("adjust23Pos");
        QTest::addColumn<char>("number");
        QTest::addColumn<Drawing>("drawing");
        QTest::addColumn<int>("litSegments");

        const QSize main(15, 27);
        QTest::newRow("main digit 8 lights all seven") << main << 3 << 1 << '8' << mainDigit << 0x7F;
        QTest::newRow("main digit 7 lights top and both uppers and lower right")
            << main << 3 << 1 << '7' << mainDigit << 0x17;
        QTest::newRow("main digit 6 has its top bar") << main << 3 << 1 << '6' << mainDigit << 0x7D;
        QTest::newRow("main digit 9 has its bottom bar") << main << 3 << 1 << '9' << mainDigit << 0x5F;
        QTest::newRow("main digit 1") << main << 3 << 1 << '1' << mainDigit << 0x12;
        QTest::newRow("main digit 2") << main << 3 << 1 << '2' << mainDigit << 0x6B;
        QTest::newRow("main digit 3") << main << 3 << 1 << '3' << mainDigit << 0x5B;
        QTest::newRow("main digit 4") << main << 3 << 1 << '4' << mainDigit << 0x1E;
        QTest::newRow("main digit 5") << main << 3 << 1 << '5' << mainDigit << 0x5D;
        QTest::newRow("a space is blank") << main << 3 << 1 << ' ' << mainDigit << 0x00;
        QTest::newRow("the NUL character is blank") << main << 3 << 1 << '\0' << mainDigit << 0x00;
        QTest::newRow("a colon, just past 9, is blank") << main << 3 << 1 << ':' << mainDigit << 0x00;
        QTest::newRow("a slash, just before 0, is blank") << main << 3 << 1 << '/' << mainDigit << 0x00;
        QTest::newRow("a letter is blank") << main << 3 << 1 << 'A' << mainDigit << 0x00;
        QTest::newRow("mini digit 0, even bar width") << QSize(10, 18) << 2 << 1 << '0' << miniDigit << 0x77;
        QTest::newRow("mini digit 8") << QSize(10, 18) << 2 << 1 << '8' << miniDigit << 0x7F;
        QTest::newRow("bar width 0 draws as 1") << main << 0 << 1 << '8' << thinDigit << 0x7F;
        QTest::newRow("bar width -4 draws as 1") << main << -4 << 1 << '3' << thinDigit << 0x5B;
        QTest::newRow("Adjust23Pos 0 moves only the upper verticals")
            << main << 3 << 0 << '8' << unshiftedDigit() << 0x7F;
    }

    void pixels()
    {
        QFETCH(QSize, size);
        QFETCH(int, barWidth);
        QFETCH(int, adjust23Pos);
        QFETCH(char, number);
        QFETCH(Drawing, drawing);
        QFETCH(int, litSegments);

        DigitalDisplay digit;
        digit.resize(size);
        digit.setForColor(0x0000FF00);
        digit.setBackColor(0x02005000);
        digit.setBarWidth(barWidth);
        digit.setAdjust23Pos(adjust23Pos);
        digit.setNumber(number);
        QCOMPARE(digit.number(), number);
        QCOMPARE(digit.barWidth(), qMax(1, barWidth));

        const QImage expected =
            expectedImage(size, drawing, quint8(litSegments), qRgb(0, 255, 0), qRgb(0, 80, 0));
        const QImage actual = rendered(digit);
        QVERIFY2(actual == expected, qPrintable(firstDifference(actual, expected)));
    }

    // A new control is 30 x 60 and shows '0' in white, the middle bar black.
    void newControl()
    {
        DigitalDisplay digit;
        QCOMPARE(digit.size(), QSize(30, 60));
        QCOMPARE(digit.number(), '0');
        QCOMPARE(digit.barLengthAdjust(), 2);
        QCOMPARE(digit.adjust23Pos(), 1);
        QCOMPARE(digit.foreColor(), quint32(0x00FFFFFF));
        QCOMPARE(digit.backColor(), quint32(0));
        const QImage expected =
            expectedImage(digit.size(), defaultDigit, 0x77, qRgb(255, 255, 255), qRgb(0, 0, 0));
        const QImage actual = rendered(digit);
        QVERIFY2(actual == expected, qPrintable(firstDifference(actual, expected)));

        // Form definitions set the properties by name.
        QVERIFY(digit.setProperty("barWidth", 3));
        QVERIFY(digit.setProperty("number", QVariant::fromValue('4')));
        QCOMPARE(digit.barWidth(), 3);
        QCOMPARE(digit.number(), '4');
    }

    void repaints_data()
    {
        QTest::addColumn<char>("first");
        QTest::addColumn<char>("second");
        QTest::addColumn<int>("paints");
        QTest::newRow("the same character twice repaints once") << '5' << '5' << 1;
        QTest::newRow("two different characters repaint twice") << '5' << '6' << 2;
        QTest::newRow("two blanks repaint once") << ' ' << ' ' << 1;
    }

    void repaints()
    {
        QFETCH(char, first);
        QFETCH(char, second);
        QFETCH(int, paints);

        DigitalDisplay digit;
        digit.show();
        QVERIFY(QTest::qWaitForWindowExposed(&digit));
        PaintCounter counter;
        digit.installEventFilter(&counter);
        QTest::qWait(20);
        counter.paints = 0;

        digit.setNumber(first);
        QTRY_COMPARE(counter.paints, 1);
        digit.setNumber(second);
        QTest::qWait(50);
        QCOMPARE(counter.paints, paints);
    }

    // One conversion serves the digit control, the panel shapes and the lyrics:
    // a system colour must mean the same role everywhere.
    void colorValues_data()
    {
        QTest::addColumn<quint32>("value");
        QTest::addColumn<QColor>("color");

        const QPalette palette = QGuiApplication::palette();
        QTest::newRow("blue is 0x00FF0000") << 0x00FF0000u << QColor(0, 0, 255);
        QTest::newRow("grey") << 0x00808080u << QColor(128, 128, 128);
        QTest::newRow("palette-relative RGB") << 0x02002C80u << QColor(0x80, 0x2C, 0);
        QTest::newRow("system colour 5 is the window background")
            << 0x80000005u << palette.color(QPalette::Base);
        QTest::newRow("system colour 8 is the window text") << 0x80000008u << palette.color(QPalette::Text);
        QTest::newRow("an unknown system colour is black") << 0x800000FFu << QColor(Qt::black);
    }

    void colorValues()
    {
        QFETCH(quint32, value);
        QFETCH(QColor, color);
        QCOMPARE(ColorValue::toQColor(value), color);
    }

    void colorArgumentsUseTheirLowByte() { QCOMPARE(ColorValue::fromArguments(300, -1, 256), 0x0200FF2Cu); }

    void controlsAndLyricsReadTheSamePaletteRole()
    {
        QPalette palette;
        palette.setColor(QPalette::Base, QColor(1, 2, 3));
        QCOMPARE(ColorValue::toQColor(ColorValue::WindowBackground, palette), QColor(1, 2, 3));
    }
};

QTEST_MAIN(tst_DigitalDisplay)
#include "tst_DigitalDisplay.moc"
