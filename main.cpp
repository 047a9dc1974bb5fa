#include "ui/main/frmMain.h"
#include "ui/widgets/Skin.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setWindowIcon(QIcon(Skin::iconPath()));
    frmMain window;
    window.show();
    return app.exec();
}
