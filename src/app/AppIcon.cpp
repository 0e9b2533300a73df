#include "app/AppIcon.h"

#include <QDir>
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
            const QPixmap pixmap(apps.filePath(file));
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
