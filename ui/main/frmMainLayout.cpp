// Building the main window and its controls from the layout table; the table gives every look.
#include "app/MainWindow.h"
#include "app/ProgressPicture.h"
#include "ui/main/frmMain.h"
#include "ui/widgets/CPictureBox.h"
#include "ui/widgets/LayoutBuilder.h"
#include "ui/widgets/Skin.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QIcon>
#include <QScreen>

namespace {

// The size of the default face that the window's texts take at most on Linux.
constexpr int FacePixels = 10;

} // namespace

void frmMain::setUpWindow() {
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setWindowTitle(QString::fromUtf8(MainWindow::Title));
    setWindowIcon(QIcon(Skin::iconPath()));
    setFixedSize(MainWindow::InnerWidth, MainWindow::InnerHeight);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Skin::colour(Colours::Silver));
    setPalette(pal);
    setAutoFillBackground(true);
    setFont(designFont());
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

QFont frmMain::designFont() const {
    QFont face = font();
    const auto inkRight = [&face](const std::string& text, int pixels) {
        QFont sized = face;
        sized.setPixelSize(pixels);
        return QFontMetrics(sized).boundingRect(QString::fromStdString(text)).right();
    };
    face.setPixelSize(ProgressPicture::fontPixels(inkRight, FacePixels));
    return face;
}

void frmMain::createControls() {
    m_controls = LayoutBuilder::Widgets<Layout::frmMain>(this);
    picProgress = static_cast<CPictureBox*>(control(Layout::frmMain::picProgress));
}
