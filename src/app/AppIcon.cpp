#include "app/AppIcon.h"

#include "app/AppIdentity.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace {
const QString BuiltInIcon = QStringLiteral(":/icons/org.ondelplayer.OndelPlayer.svg");
constexpr int Sizes[] = {16, 22, 24, 32, 48, 64, 128, 256};
} // namespace

QIcon AppIcon::builtIn()
{
    QSvgRenderer renderer(BuiltInIcon);
    QIcon icon;
    if (!renderer.isValid())
        return icon;
    for (int size : Sizes) {
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter);
        painter.end();
        icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

QIcon AppIcon::icon()
{
    const QString name = QString::fromLatin1(AppIdentity::Id);
    // Rendering the built-in drawing is only worth it when the theme has none.
    return QIcon::hasThemeIcon(name) ? QIcon::fromTheme(name) : builtIn();
}
