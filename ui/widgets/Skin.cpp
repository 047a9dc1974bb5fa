#include "ui/widgets/Skin.h"

#include <QGuiApplication>
#include <QIcon>

// The pictures live in a static library, whose resource initialiser the linker would drop unless
// something refers to it.
static void loadResources() {
    static const bool loaded = [] {
        Q_INIT_RESOURCE(resources);
        return true;
    }();
    (void)loaded;
}

namespace {

// The densest screen decides: a picture drawn for it looks right there and is only reduced elsewhere.
qreal screenRatio() {
    return qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
}

// The resource to load for `name` at the screen's ratio: "start@2x.gif" on a dense screen when it exists.
// The image reader gives a picture loaded from an "@2x" name a ratio of 2, so it keeps its logical size.
QString resourceFor(const QString& name) {
    return qt_findAtNxFile(QStringLiteral(":/") + name, screenRatio());
}

} // namespace

namespace Skin {

QPixmap picture(const QString& name) {
    loadResources();
    return QPixmap(resourceFor(name));
}

const QCursor& handCursor() {
    loadResources();
    // The hot spot is given again here because the image reader drops the one stored in the file. The window
    // system takes it in the image's own pixels, not in logical ones: on the 2x hand the finger tip is at 12.
    static const QCursor cursor = [] {
        const QPixmap hand(resourceFor(QStringLiteral("hand.cur")), "cur");
        const int ratio = qRound(hand.devicePixelRatio());
        return QCursor(hand, 6 * ratio, 0);
    }();
    return cursor;
}

void smoothWhenRescaled(QPainter& painter, const QPixmap& picture) {
    if (!qFuzzyCompare(picture.devicePixelRatio(), painter.device()->devicePixelRatioF()))
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
}

QString iconPath() {
    loadResources();
    return QStringLiteral(":/zarvel.ico");
}

} // namespace Skin
