#include "ui/main/frmMain.h"
#include "ui/widgets/Skin.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    // Ties the window to its menu entry, so that a Wayland shell shows the entry's name and icon for it.
    QGuiApplication::setDesktopFileName(QStringLiteral("com.example.zarvel"));
    QApplication::setWindowIcon(QIcon(Skin::iconPath()));
    frmMain window;
    window.show();
    return app.exec();
}
