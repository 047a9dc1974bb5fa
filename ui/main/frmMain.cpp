#include "ui/main/frmMain.h"

#include "app/MainForm.h"
#include "app/MainWindow.h"
#include "app/ProgressPicture.h"
#include "ui/filedialog/QtFileDialogBackend.h"
#include "ui/main/FileSelection.h"
#include "ui/main/SessionEnd.h"
#include "ui/main/frmMainFace.h"
#include "ui/widgets/Accessible.h"
#include "ui/widgets/CImageBox.h"
#include "ui/widgets/CLabel.h"
#include "ui/widgets/CPictureBox.h"
#include "ui/widgets/CTextBox.h"
#include "ui/widgets/InputEvents.h"
#include "ui/widgets/Skin.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDropEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>
#include <algorithm>
#include <utility>

namespace {

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

MainForm::Services formServices(frmMain::Services services) {
    if (!services.fileDialogs)
        services.fileDialogs = QtFileDialogBackend::platformDialogs();
    return {std::move(services.engine), std::move(services.fileDialogs), std::move(services.failureLine)};
}

} // namespace

frmMain::frmMain(QWidget* parent) : frmMain(Services{}, parent) {}

frmMain::frmMain(Services services, QWidget* parent) : QWidget(parent), m_face(std::make_unique<Face>(*this)) {
    setObjectName(QStringLiteral("frmMain"));
    setUpWindow();
    createControls();
    m_progressText.reserve(8);
    // The worker's wake only makes the end heard sooner: the frames see it all the same. It goes by the slot's
    // name, so the worker hands Qt's queue nothing of ours: the thread checker can't see Qt's own locks.
    const auto wake = [this] { QMetaObject::invokeMethod(this, "runWoke", Qt::QueuedConnection); };
    m_form = std::make_unique<MainForm>(*m_face, formServices(std::move(services)), wake, false);
    m_frames.setInterval(MainWindow::FrameMilliseconds);
    connect(&m_frames, &QTimer::timeout, this, [this] { m_form->frame(); });
    connectControls();
    m_form->load();
}

void frmMain::runWoke() {
    m_form->frame();
}

frmMain::~frmMain() {
    // The form waits for a run still going while the window can still be hidden.
    m_form.reset();
}

Mode frmMain::iMode() const {
    return m_form->iMode();
}

void frmMain::connectControls() {
    for (QWidget* widget : m_controls.all()) {
        widget->installEventFilter(this);
        // Assistive technology's press on a picture or label is a click.
        const Layout::frmMain id = *m_controls.controlOf(widget);
        const auto click = [this, id] { m_form->clicked(id); };
        if (auto* image = qobject_cast<CImageBox*>(widget))
            connect(image, &CImageBox::clicked, this, click);
        else if (auto* box = qobject_cast<CPictureBox*>(widget))
            connect(box, &CPictureBox::clicked, this, click);
        else if (auto* label = qobject_cast<CLabel*>(widget))
            connect(label, &CLabel::clicked, this, click);
        if (auto* box = qobject_cast<CTextBox*>(widget)) {
            connect(box, &CTextBox::OLEDragDrop, this, [this, id](QDropEvent* event) {
                FileSelection::answer(event, m_form->dropped(id, FileSelection::droppedFiles(event->mimeData())));
            });
        }
    }
    installEventFilter(this);
    if (QCoreApplication* app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this, &frmMain::endSession);
    connect(&SessionEnd::instance(), &SessionEnd::ended, this, [this] {
        endSession();
        QCoreApplication::quit();
    });
}

void frmMain::endSession() {
    m_form->endSession();
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == this) {
        // Keys reach the window itself only while no control has the focus.
        return event->type() == QEvent::KeyPress && !QApplication::focusWidget() &&
               m_form->keyPressed(std::nullopt, InputEvents::pressOf(static_cast<QKeyEvent*>(event)));
    }
    auto* widget = qobject_cast<QWidget*>(watched);
    return widget && widget->isEnabled() && controlEvent(widget, event);
}

bool frmMain::controlEvent(QWidget* widget, QEvent* event) {
    const std::optional<Layout::frmMain> id = m_controls.controlOf(widget);
    if (!id)
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        m_form->mousePressed(*id, InputEvents::buttonOf(static_cast<QMouseEvent*>(event)->button()));
        return false;
    case QEvent::MouseButtonRelease: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const bool over = widget->rect().contains(mouse->position().toPoint());
        m_form->mouseReleased(*id, InputEvents::buttonOf(mouse->button()), over);
        return false;
    }
    case QEvent::KeyPress:
        // A key that a control passed on to its container is not the container's own.
        if (widget != QApplication::focusWidget())
            return false;
        return m_form->keyPressed(id, InputEvents::pressOf(static_cast<QKeyEvent*>(event)));
    case QEvent::FocusIn:
        m_form->focusMoved(id);
        return false;
    default:
        return false;
    }
}

bool frmMain::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate)
        m_form->activated();
    return QWidget::event(event);
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

    const ProgressPicture picture = ProgressPicture::of(percent);
    const ProgressPicture::DeviceRect bar = picture.barAt(canvas.devicePixelRatio());
    painter.fillRect(devicePixels(bar.left, bar.top, bar.right - 1, bar.bottom - 1, canvas.devicePixelRatio()),
                     Skin::colour(Colours::MidGrey));

    drawFrame(painter,
              QRect(QPoint(picture.frameLeft, picture.frameTop), QPoint(picture.frameRight, picture.frameBottom)),
              Skin::colour(Colours::Black));

    setProgressText(m_progressText, picture.text);
    painter.setFont(picProgress->font());
    painter.setPen(picProgress->palette().color(QPalette::WindowText));
    painter.drawText(picture.textLeft, picture.textTop + painter.fontMetrics().ascent(), m_progressText);
}

void frmMain::closeEvent(QCloseEvent* event) {
    // During a run the window is hidden at once and closed by the form once the engine has cleaned up.
    if (m_form->closeRequested())
        QWidget::closeEvent(event);
    else
        event->ignore();
}

void frmMain::mousePressEvent(QMouseEvent* event) {
    if (!MainForm::surfaceMoves(InputEvents::buttonOf(event->button())))
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
