#pragma once

#include "app/CFileDialog.h"
#include "app/Layout.h"
#include "app/Mode.h"
#include "app/WorkerRun.h"
#include "ui/widgets/LayoutBuilder.h"

#include <QFont>
#include <QPoint>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <string>

class CPictureBox;
class MainForm;
class QDropEvent;

// The borderless main window in Qt's terms: it draws what MainForm asks and turns Qt's mouse, key, focus and
// window events into MainForm's calls. Two mode panels under two tab pictures, a start button and a progress box.
class frmMain : public QWidget {
    Q_OBJECT
public:
    // What the window works with; an empty member stands for the real one (the engine, the platform's dialog,
    // standard error).
    struct Services {
        WorkerRun::Engine engine;
        CFileDialog::BackendFactory fileDialogs;
        WorkerRun::FailureLine failureLine;
    };

    explicit frmMain(QWidget* parent = nullptr);
    explicit frmMain(Services services, QWidget* parent = nullptr);
    // Hides the window and waits for a run that is still going: the engine cleans up before the window is gone.
    ~frmMain() override;

    // Shows one percentage in the progress box; called at most once per frame during a run, it draws only when
    // the picture would change.
    void spProg(std::int16_t percent);

    // The mode the tabs chose, which the next run takes.
    Mode iMode() const;

private slots:
    // The worker's wake, queued to the window's thread.
    void runWoke();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    class Face;
    friend class Face;

    void setUpWindow();
    // The default face at the largest size up to the face's own at which the window's texts fit their places.
    QFont designFont() const;
    void createControls();
    void connectControls();
    QWidget* control(Layout::frmMain control) const { return m_controls[control]; }
    bool controlEvent(QWidget* control, QEvent* event);
    void drawProgress(std::int16_t percent);
    void endSession();

    std::unique_ptr<Face> m_face;
    std::unique_ptr<MainForm> m_form;
    LayoutBuilder::Widgets<Layout::frmMain> m_controls;
    // Calls the form once per frame while a run goes.
    QTimer m_frames;
    bool m_dragging = false;
    QPoint m_dragOffset;
    QString m_progressText;
    // What the progress box's canvas was last drawn with, and the canvas's key right after: while both still
    // hold, the box already shows that value's picture.
    std::int16_t m_drawnPercent = 0;
    qint64 m_drawnCanvasKey = 0;
    bool m_progressDrawn = false;
    CPictureBox* picProgress = nullptr;
};
