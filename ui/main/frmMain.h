#pragma once

#include "app/CFileDialog.h"
#include "app/Mode.h"
#include "ui/main/StartAction.h"

#include <QFont>
#include <QPoint>
#include <QString>
#include <QWidget>
#include <array>
#include <cstdint>
#include <memory>

class CImageBox;
class CLabel;
class CPictureBox;
class CTextBox;
class QDropEvent;

// The borderless main window: two mode panels under two tab pictures, a start button and a progress box.
class frmMain : public QWidget {
    Q_OBJECT
public:
    // What the window works with; an empty member stands for the real one (the engine, the platform's dialog).
    struct Services {
        StartAction::Engine engine;
        CFileDialog::BackendFactory fileDialogs;
    };

    explicit frmMain(QWidget* parent = nullptr);
    explicit frmMain(Services services, QWidget* parent = nullptr);
    // Hides the window and waits for a run that is still going: the engine cleans up before the window is gone.
    ~frmMain() override;

    // Shows one percentage in the progress box; called at most once per frame during a run, it draws only when
    // the picture would change.
    void spProg(std::int16_t percent);

    // Set by the tab pictures, read by the start action.
    Mode iMode() const { return m_iMode; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private slots:
    void imgTab_Click(int index);
    void imgInfo_Click();
    void imgExit_Click();
    void browseLabel_MouseDown(CLabel* label);
    void browseLabel_MouseUp(CLabel* label);
    void lblBrowse_Click();
    void lblSBrowse_Click();
    void Picture4_Click();
    void startAction_Finished(Messages::Outcome outcome, std::int16_t pieceCount);
    void txtSFName_OLEDragDrop(QDropEvent* event);
    void txtSegfname_OLEDragDrop(QDropEvent* event);

private:
    void setUpWindow();
    // The default face at the largest size up to 10 pixels at which the window's texts fit their places.
    static QFont designFont(QFont face);
    void createControls();
    void styleTopStrip();
    void stylePanels();
    void styleBottomRow();
    void connectControls();
    void bringToFront(QWidget* control);
    void drawProgress(std::int16_t percent);
    // Stops a running engine and hides the window while it cleans up; nothing when no run is going.
    void leaveRun();

    CFileDialog::BackendFactory m_fileDialogs;
    std::unique_ptr<StartAction> m_startAction;
    bool m_closedInRun = false;
    Mode m_iMode = Mode::Split;
    bool m_dragging = false;
    bool m_shownOnce = false;
    QPoint m_dragOffset;
    QString m_progressText;
    // What the progress box's canvas was last drawn with, and the canvas's key right after: while both still
    // hold, the box already shows that value's picture.
    std::int16_t m_drawnPercent = 0;
    qint64 m_drawnCanvasKey = 0;
    bool m_progressDrawn = false;

    CImageBox* imgExit = nullptr;
    CImageBox* imgInfo = nullptr;
    CImageBox* Image1 = nullptr;
    std::array<CImageBox*, 2> imgTab{};
    std::array<CPictureBox*, 2> picCHolder{};
    CPictureBox* picProgress = nullptr;
    CPictureBox* Picture1 = nullptr;
    CPictureBox* Picture2 = nullptr;
    CPictureBox* Picture3 = nullptr;
    CPictureBox* Picture4 = nullptr;
    CTextBox* txtSFName = nullptr;
    CTextBox* txtSegSize = nullptr;
    CTextBox* txtSegfname = nullptr;
    CLabel* Label_2 = nullptr;
    CLabel* lblBrowse = nullptr;
    CLabel* lblSBrowse = nullptr;
};
