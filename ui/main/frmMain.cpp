#include "ui/main/frmMain.h"

#include "app/Layout.h"
#include "app/ProgressPicture.h"
#include "ui/about/frmAbout.h"
#include "ui/main/FileSelection.h"
#include "ui/main/StartAction.h"
#include "ui/widgets/Accessible.h"
#include "ui/widgets/CImageBox.h"
#include "ui/widgets/CLabel.h"
#include "ui/widgets/CPictureBox.h"
#include "ui/widgets/CTextBox.h"
#include "ui/widgets/Skin.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>
#include <algorithm>
#include <cmath>
#include <utility>

namespace {

constexpr int LargestFontPixels = 10;
constexpr int SmallestFontPixels = 8;

// The design was made for a small 8-point face. "100%" must end at least one pixel short of the bar's frame and
// "MB" must fit its label, the narrowest place a text of the window has; the common default faces differ in
// width by a tenth, which decides that at 10 pixels.
bool fitsDesign(const QFont& font) {
    const QFontMetrics metrics(font);
    const ProgressPicture full = ProgressPicture::of(100);
    const Layout::Control& unit = Layout::find(Layout::mainWindow(), "Label_2");
    return full.textLeft + metrics.boundingRect(QString::fromStdString(full.text)).right() <= full.barLeft - 2 &&
           metrics.boundingRect(QString::fromUtf8(unit.text)).right() < Layout::px(unit.place.width);
}

bool isWindowed(const QWidget* w) {
    return qobject_cast<const CPictureBox*>(w) || qobject_cast<const QLineEdit*>(w);
}

// The columns from x1 to x2 and rows from y1 to y2, both ends included whichever way round they are given,
// in a canvas's device pixels; returned in its logical pixels, so that at any ratio the fill covers whole
// device pixels and stays sharp.
QRectF devicePixels(int x1, int y1, int x2, int y2, qreal ratio) {
    return QRectF(QPointF(std::min(x1, x2), std::min(y1, y2)) / ratio,
                  QPointF(std::max(x1, x2) + 1, std::max(y1, y2) + 1) / ratio);
}

// A one-pixel frame; at a ratio above 1 its sides keep their logical width.
void drawFrame(QPainter& painter, const QRect& outer, const QColor& colour) {
    painter.fillRect(QRect(outer.left(), outer.top(), outer.width(), 1), colour);
    painter.fillRect(QRect(outer.left(), outer.bottom(), outer.width(), 1), colour);
    painter.fillRect(QRect(outer.left(), outer.top(), 1, outer.height()), colour);
    painter.fillRect(QRect(outer.right(), outer.top(), 1, outer.height()), colour);
}

// Copies the picture's text into the kept string, whose buffer is reused from call to call.
void setProgressText(QString& text, const std::string& latin) {
    text.resize(static_cast<qsizetype>(latin.size()));
    QChar* out = text.data();
    for (char c : latin)
        *out++ = QLatin1Char(c);
}

} // namespace

QFont frmMain::designFont(QFont face) {
    // A face too wide even at the smallest size still gets that size: the texts then only touch their edges.
    for (int pixels = LargestFontPixels;; --pixels) {
        face.setPixelSize(pixels);
        if (pixels == SmallestFontPixels || fitsDesign(face))
            return face;
    }
}

frmMain::frmMain(QWidget* parent) : frmMain(Services{}, parent) {}

frmMain::frmMain(Services services, QWidget* parent) : QWidget(parent), m_fileDialogs(std::move(services.fileDialogs)) {
    setObjectName(QStringLiteral("frmMain"));
    setUpWindow();
    createControls();
    connectControls();
    m_progressText.reserve(8);
    m_startAction = std::make_unique<StartAction>(
        std::move(services.engine), [this](std::int16_t percent) { spProg(percent); },
        [this](Messages::Outcome outcome, std::int16_t pieceCount) { startAction_Finished(outcome, pieceCount); });

    if (QCoreApplication* app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this, &frmMain::leaveRun);

    m_iMode = Mode::Split;
    spProg(0);
}

frmMain::~frmMain() {
    leaveRun();
}

void frmMain::connectControls() {
    for (int i = 0; i < 2; ++i)
        connect(imgTab[i], &CImageBox::clicked, this, [this, i] { imgTab_Click(i); });
    connect(imgInfo, &CImageBox::clicked, this, &frmMain::imgInfo_Click);
    connect(imgExit, &CImageBox::clicked, this, &frmMain::imgExit_Click);
    for (CLabel* label : {lblBrowse, lblSBrowse}) {
        connect(label, &CLabel::pressed, this, [this, label] { browseLabel_MouseDown(label); });
        connect(label, &CLabel::released, this, [this, label] { browseLabel_MouseUp(label); });
    }
    connect(lblBrowse, &CLabel::clicked, this, &frmMain::lblBrowse_Click);
    connect(lblSBrowse, &CLabel::clicked, this, &frmMain::lblSBrowse_Click);
    connect(Picture4, &CPictureBox::clicked, this, &frmMain::Picture4_Click);
    connect(txtSFName, &CTextBox::OLEDragDrop, this, &frmMain::txtSFName_OLEDragDrop);
    connect(txtSegfname, &CTextBox::OLEDragDrop, this, &frmMain::txtSegfname_OLEDragDrop);
}

void frmMain::spProg(std::int16_t percent) {
    // The engine calls after every block, some ninety times per MiB, while the figure moves at most a hundred
    // times in a run. A call that would draw the very picture the box holds has nothing to do; the canvas's
    // key changes whenever the canvas is remade or drawn into, so a changed canvas is always drawn again.
    if (m_progressDrawn && percent == m_drawnPercent && picProgress->canvasImage().cacheKey() == m_drawnCanvasKey)
        return;
    drawProgress(percent);
    m_drawnPercent = percent;
    m_drawnCanvasKey = picProgress->canvasImage().cacheKey();
    m_progressDrawn = true;
    Accessible::setValue(picProgress, percent);
    // Only marks the box dirty: Qt folds every change until the next turn of the event loop into one paint.
    picProgress->update();
}

void frmMain::drawProgress(std::int16_t percent) {
    QImage& canvas = picProgress->canvas();
    canvas.fill(picProgress->backColor());
    QPainter painter(&canvas);

    // The bar's end falls on the device pixel that contains it (on a 2x canvas, 50 % ends on column 215).
    const ProgressPicture picture = ProgressPicture::of(percent);
    const qreal ratio = canvas.devicePixelRatio();
    const int rightPixel = static_cast<int>(std::floor(picture.barRight * ratio));
    const auto device = [ratio](int logical) { return static_cast<int>(std::lround(logical * ratio)); };
    painter.fillRect(devicePixels(device(picture.barLeft), device(picture.barTop), rightPixel,
                                  device(picture.barBottom + 1) - 1, ratio),
                     Skin::MidGrey);

    drawFrame(painter,
              QRect(QPoint(picture.frameLeft, picture.frameTop), QPoint(picture.frameRight, picture.frameBottom)),
              Qt::black);

    setProgressText(m_progressText, picture.text);
    painter.setFont(picProgress->font());
    painter.setPen(picProgress->palette().color(QPalette::WindowText));
    painter.drawText(picture.textLeft, picture.textTop + painter.fontMetrics().ascent(), m_progressText);
}

void frmMain::bringToFront(QWidget* control) {
    // Labels and images never rise above the boxes of their container: they go to the top of their own
    // layer, just under the lowest box.
    if (isWindowed(control)) {
        control->raise();
        return;
    }
    for (QObject* sibling : control->parentWidget()->children()) {
        auto* w = qobject_cast<QWidget*>(sibling);
        if (w && w != control && isWindowed(w)) {
            control->stackUnder(w);
            return;
        }
    }
    control->raise();
}

void frmMain::imgTab_Click(int index) {
    m_iMode = modeOfTab(index);
    bringToFront(picCHolder[index]);
    bringToFront(imgTab[index]);
}

void frmMain::imgInfo_Click() {
    frmAbout::showModal(this);
}

void frmMain::imgExit_Click() {
    close();
}

void frmMain::browseLabel_MouseDown(CLabel* label) {
    label->setBackColor(Skin::Silver);
}

void frmMain::browseLabel_MouseUp(CLabel* label) {
    label->setBackColor(Skin::LightGrey);
}

void frmMain::lblBrowse_Click() {
    FileSelection::browseInto(txtSFName, this, m_fileDialogs);
}

void frmMain::lblSBrowse_Click() {
    FileSelection::browseInto(txtSegfname, this, m_fileDialogs);
}

void frmMain::txtSFName_OLEDragDrop(QDropEvent* event) {
    FileSelection::dropInto(txtSFName, event);
}

void frmMain::txtSegfname_OLEDragDrop(QDropEvent* event) {
    FileSelection::dropInto(txtSegfname, event);
}

void frmMain::Picture4_Click() {
    // The mode and the boxes are read once, here: switching tabs or typing during the run changes neither the
    // run nor its box. The button stays off until the box is closed, so the engine is never entered twice.
    Picture4->setEnabled(false);
    m_startAction->start({m_iMode, txtSFName->text(), txtSegSize->text(), txtSegfname->text()});
}

void frmMain::startAction_Finished(Messages::Outcome outcome, std::int16_t pieceCount) {
    // A run stopped by a close has nothing left to tell: the user asked the window to go.
    if (!std::exchange(m_closedInRun, false))
        Messages::show(this, outcome, pieceCount);
    Picture4->setEnabled(true);
}

void frmMain::closeEvent(QCloseEvent* event) {
    // The exit goes at once, even in the middle of a run: the engine is asked to stop at its next block and
    // clean up behind the hidden window, and the program ends only once it has (the destructor waits).
    leaveRun();
    QWidget::closeEvent(event);
}

void frmMain::leaveRun() {
    if (!m_startAction->isRunning())
        return;
    m_startAction->requestStop();
    m_closedInRun = true;
    // An end without a close (a quit, a logout) still must not leave a frozen window on the screen while the
    // engine cleans up.
    hide();
}

void frmMain::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!m_shownOnce) {
        m_shownOnce = true;
        picCHolder[0]->setFocus(Qt::OtherFocusReason);
    }
}

void frmMain::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    // The window system's own move feels native; where it refuses (no window manager support, offscreen)
    // the window follows the mouse itself until the button is released.
    QWindow* window = windowHandle();
    m_dragging = !(window && window->startSystemMove());
    if (m_dragging)
        m_dragOffset = event->globalPosition().toPoint() - pos();
}

void frmMain::mouseMoveEvent(QMouseEvent* event) {
    if (m_dragging && (event->buttons() & Qt::LeftButton))
        move(event->globalPosition().toPoint() - m_dragOffset);
}

void frmMain::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        m_dragging = false;
}
