#include "app/AppIcon.h"

#include <QImage>
#include <QTest>

class tst_AppIcon : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void builtInDrawingAtTheThemeSizes_data()
    {
        QTest::addColumn<int>("size");
        for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
            QTest::newRow(qPrintable(QStringLiteral("%1 px").arg(size))) << size;
    }

    // Without an installed icon theme entry the windows still get the
    // drawing, sharp at every size the task bar may ask for.
    void builtInDrawingAtTheThemeSizes()
    {
        QFETCH(int, size);
        const QIcon icon = AppIcon::builtIn();
        QVERIFY(icon.availableSizes().contains(QSize(size, size)));
        const QImage image = icon.pixmap(size, size).toImage();
        QCOMPARE(image.size(), QSize(size, size));
        QCOMPARE(qAlpha(image.pixel(size / 2, size * 4 / 10)), 255);
        QCOMPARE(qAlpha(image.pixel(0, size - 1)), 0);
    }
};

QTEST_MAIN(tst_AppIcon)
#include "tst_AppIcon.moc"
