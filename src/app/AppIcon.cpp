#include "app/AppIcon.h"

#include <QDir>
#include <QImageReader>
#include <QPixmap>

QIcon AppIcon::builtIn()
{
    // The build renders the drawing once into the theme's sizes, so no start
    // of the player pays for an SVG renderer and its library.
    QIcon icon;
    const QDir sizes(QStringLiteral(":/icons"));
    for (const QString& size : sizes.entryList(QDir::Dirs)) {
        const QDir apps(sizes.filePath(size) + QStringLiteral("/apps"));
        for (const QString& file : apps.entryList(QDir::Files)) {
            // Read as the PNG it is: guessing would load every image plugin.
            QImageReader reader(apps.filePath(file), "png");
            reader.setAutoDetectImageFormat(false);
            const QPixmap pixmap = QPixmap::fromImage(reader.read());
            if (!pixmap.isNull())
                icon.addPixmap(pixmap);
        }
    }
    return icon;
}

QIcon AppIcon::icon()
{
    // The installed theme holds this same drawing. Looking it up means
    // reading the theme's folders at every start, which costs more than
    // loading it.
    return builtIn();
}
