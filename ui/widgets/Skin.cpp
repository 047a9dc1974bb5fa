#include "ui/widgets/Skin.h"

// The pictures live in a static library, whose resource initialiser the linker would drop unless
// something refers to it.
static void loadResources() {
    static const bool loaded = [] {
        Q_INIT_RESOURCE(resources);
        return true;
    }();
    (void)loaded;
}

namespace Skin {

QPixmap picture(const QString& name) {
    loadResources();
    return QPixmap(QStringLiteral(":/") + name);
}

const QCursor& handCursor() {
    loadResources();
    // The hot spot is given again here because the image reader drops the one stored in the file.
    static const QCursor cursor(QPixmap(QStringLiteral(":/hand.cur"), "cur"), 6, 0);
    return cursor;
}

QString iconPath() {
    loadResources();
    return QStringLiteral(":/zarvel.ico");
}

} // namespace Skin
