#include "toolkit/Images.h"

#include <QFile>

// The resource file is compiled into a static library, so it must be registered by hand.
static void registerImages() {
    static const bool registered = [] {
        Q_INIT_RESOURCE(images);
        return true;
    }();
    (void)registered;
}

namespace {

QString imagePath(const QString& file) {
    registerImages();
    return QStringLiteral(":/images/") + file;
}

} // namespace

namespace Images {

QList<QIcon> SmallIcons() {
    QList<QIcon> icons;
    for (int index = 1; index <= 19; ++index)
        icons.append(QIcon(imagePath(QStringLiteral("small%1.png").arg(index, 2, 10, QLatin1Char('0')))));
    return icons;
}

QIcon ToolbarImage(const QString& name) {
    return QIcon(imagePath(QStringLiteral("tool-%1.png").arg(name)));
}

QIcon ToolbarHotImage(const QString& name) {
    return QIcon(imagePath(QStringLiteral("tool-%1-hot.png").arg(name)));
}

QIcon WindowIcon() {
    return QIcon(imagePath(QStringLiteral("tovo.png")));
}

QPixmap AboutPicture() {
    return QPixmap(imagePath(QStringLiteral("about.png")));
}

} // namespace Images
