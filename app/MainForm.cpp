#include "app/MainForm.h"

#include "app/MainWindow.h"

#include <utility>

using Layout::frmMain;

MainForm::MainForm(MainFace& face, Services services, std::function<void()> wake, bool cuesAlways)
    : m_face(face), m_dialogs(std::move(services.dialogs)), m_focus(cuesAlways),
      m_run(std::move(services.engine), std::move(wake), std::move(services.failureLine)) {}

MainForm::~MainForm() {
    if (m_run.isRunning())
        m_face.hide();
}

void MainForm::load() {
    m_iMode = Mode::Split;
    m_face.drawProgress(0);
    m_face.focus(frmMain::picCHolder_0);
    m_focus.moved(frmMain::picCHolder_0);
}

bool MainForm::isEnabled(frmMain control) const {
    if (control == frmMain::Picture4)
        return m_startEnabled;
    return Layout::of(control).look.enabled;
}

void MainForm::clicked(frmMain control) {
    if (!isEnabled(control) || !Layout::of(control).look.clickable)
        return;
    switch (control) {
    case frmMain::imgTab_0:
        return imgTab_Click(0);
    case frmMain::imgTab_1:
        return imgTab_Click(1);
    case frmMain::imgInfo:
        return imgInfo_Click();
    case frmMain::imgExit:
        return imgExit_Click();
    case frmMain::lblBrowse:
        return browseInto(frmMain::txtSFName);
    case frmMain::lblSBrowse:
        return browseInto(frmMain::txtSegfname);
    case frmMain::Picture4:
        return Picture4_Click();
    default:
        return;
    }
}

void MainForm::mousePressed(frmMain control, MouseButton button) {
    const Layout::Control& row = Layout::of(control);
    if (!isEnabled(control))
        return;
    if (Layout::takesFocusOnClick(row)) {
        m_face.focus(control);
        m_focus.moved(control);
    }
    if (!row.look.clickable)
        return;
    // Any button shows the press; only the left one makes a click.
    m_face.setPressed(control, true);
    if (button == MouseButton::Left)
        m_leftDownOn = control;
}

void MainForm::mouseReleased(frmMain control, MouseButton button, bool over) {
    if (!Layout::of(control).look.clickable)
        return;
    m_face.setPressed(control, false);
    if (button != MouseButton::Left)
        return;
    const bool click = over && std::exchange(m_leftDownOn, std::nullopt) == control;
    if (click)
        clicked(control);
}

bool MainForm::keyPressed(std::optional<frmMain> control, const Keys::Press& press) {
    if (m_focus.keyPressed(press))
        m_face.showCues();
    if (Keys::movesFocus(press))
        return tab(control, press.shift);
    if (!control || !Keys::activates(press))
        return false;
    if (!Layout::of(*control).look.clickable)
        return false;
    clicked(*control);
    return true;
}

bool MainForm::dropped(frmMain control, const std::vector<std::u16string>& paths) {
    // Only the name is taken, never the file; the first stands for them all, the box holds one path.
    if (!Layout::of(control).look.takesDrops || paths.empty())
        return false;
    m_face.setText(control, paths.front());
    return true;
}

bool MainForm::tab(std::optional<frmMain> from, bool backwards) {
    const auto next = Layout::nextByTab<frmMain>(
        from, backwards, [this](frmMain control) { return isEnabled(control) && m_face.isShown(control); });
    if (!next)
        return false;
    m_face.focus(*next);
    m_focus.moved(*next);
    if (Layout::selectsOnTab(Layout::of(*next)))
        m_face.selectAll(*next);
    return true;
}

void MainForm::activated() {
    if (m_modalDepth == 0)
        restoreFocus();
}

void MainForm::restoreFocus() {
    const std::optional<frmMain>& home = m_focus.home();
    if (home && isEnabled(*home))
        m_face.focus(*home);
}

void MainForm::imgTab_Click(int index) {
    m_iMode = modeOfTab(index);
    m_face.stack(m_stacking.raise(index == 0 ? frmMain::picCHolder_0 : frmMain::picCHolder_1));
    m_face.stack(m_stacking.raise(index == 0 ? frmMain::imgTab_0 : frmMain::imgTab_1));
}

void MainForm::imgInfo_Click() {
    modal([this] { m_face.showAbout(); });
}

void MainForm::imgExit_Click() {
    if (closeRequested())
        m_face.close();
}

bool MainForm::closeRequested() {
    if (!m_run.isRunning())
        return true;
    // The exit goes at once, even in the middle of a run: the engine stops at its next block and cleans up
    // behind the hidden window, which closes once it has.
    m_closing = true;
    m_run.requestStop();
    m_face.hide();
    return false;
}

void MainForm::endSession() {
    if (!m_run.isRunning())
        return;
    m_face.hide();
    m_face.runFrames(false);
    m_run.stopAndWait();
    setTaskbar(TaskbarProgress::State::None, 0);
}

void MainForm::setTaskbar(TaskbarProgress::State state, std::int16_t percent) {
    const TaskbarProgress next{state, percent};
    if (next == m_taskbar)
        return;
    m_taskbar = next;
    m_face.showTaskbarProgress(next);
}

void MainForm::browseInto(frmMain box) {
    // A new dialog per click, so nothing of an earlier choice is carried into this one.
    CFileDialog dialog(m_dialogs ? m_dialogs() : nullptr);
    dialog.setDialogTitle(MainWindow::BrowseTitle);
    dialog.setFilter(MainWindow::BrowseFilter);
    dialog.setFilterIndex(0);
    dialog.setFlags(static_cast<std::int32_t>(OpenFileNameFlags::BrowseForFile));
    dialog.setHWndParent(m_face.dialogOwner());
    bool chosen = false;
    modal([&] { chosen = dialog.Show(true); });
    if (chosen)
        m_face.setText(box, dialog.FileName());
}

void MainForm::Picture4_Click() {
    // The mode and the boxes are read once, here: switching tabs or typing during the run changes neither the
    // run nor its box. The button stays off until the box is closed, so the engine is never entered twice.
    setStartEnabled(false);
    const WorkerRun::Request request{m_iMode, m_face.text(frmMain::txtSFName), m_face.text(frmMain::txtSegSize),
                                     m_face.text(frmMain::txtSegfname)};
    if (!m_run.start(request)) {
        setStartEnabled(true);
        return;
    }
    setTaskbar(TaskbarProgress::State::Normal, 0);
    m_face.runFrames(true);
}

void MainForm::setStartEnabled(bool enabled) {
    m_startEnabled = enabled;
    m_face.setEnabled(frmMain::Picture4, enabled);
}

void MainForm::frame() {
    if (const auto percent = m_run.newProgress()) {
        m_percent = *percent;
        m_face.drawProgress(*percent);
        // The engine's last word on success is 0, which clears the bar for the box; the taskbar only rises, and
        // the end of the run clears it.
        if (m_run.isRunning() && !m_closing && *percent >= m_taskbar.percent)
            setTaskbar(TaskbarProgress::State::Normal, *percent);
    }
    // A box must not come over a modal window: it waits until that has closed. The run itself goes on.
    if (m_modalDepth > 0 && !m_closing)
        return;
    if (const auto result = m_run.finish())
        finishRun(*result);
}

void MainForm::finishRun(const WorkerRun::Result& result) {
    m_face.runFrames(false);
    // A run stopped by a close has nothing left to tell: the user asked the window to go.
    if (std::exchange(m_closing, false)) {
        setTaskbar(TaskbarProgress::State::None, 0);
        m_face.close();
        return;
    }
    const bool failed =
        result.outcome == Messages::Outcome::SplitFailure || result.outcome == Messages::Outcome::JoinFailure;
    setTaskbar(failed ? TaskbarProgress::State::Error : TaskbarProgress::State::None, failed ? m_percent : 0);
    modal([&] { m_face.showBox(result.outcome, result.pieceCount); });
    setTaskbar(TaskbarProgress::State::None, 0);
    setStartEnabled(true);
    restoreFocus();
}

void MainForm::modal(const std::function<void()>& show) {
    ++m_modalDepth;
    show();
    --m_modalDepth;
    if (m_modalDepth > 0)
        return;
    restoreFocus();
    // A run that ended while the window was open tells its end now.
    if (m_run.isRunning())
        frame();
}
