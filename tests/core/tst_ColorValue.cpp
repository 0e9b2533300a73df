#include "core/ColorValue.h"

#include <QGuiApplication>
#include <QTest>

// One conversion serves the digit control, the panel shapes and the lyrics:
// a system colour must mean the same role everywhere.
class tst_ColorValue : public QObject {
    Q_OBJECT

private Q_SLOTS:
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

QTEST_MAIN(tst_ColorValue)
#include "tst_ColorValue.moc"
