#pragma once

#include "app/CFileDialog.h"
#include "app/Keys.h"
#include "app/Layout.h"
#include "app/Messages.h"
#include "app/Mode.h"
#include "app/WindowFocus.h"
#include "app/WorkerRun.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// What the window's taskbar button or dock entry shows of a run, so that it can be followed with the window
// behind others: the percentage while it runs, the error after a failure until its box is answered, else nothing.
struct TaskbarProgress {
    enum class State { None, Normal, Error };
    State state = State::None;
    std::int16_t percent = 0;

    bool operator==(const TaskbarProgress& other) const { return state == other.state && percent == other.percent; }
};

// What the main window's face does when the window's rules ask. Every call comes on the face's thread.
class MainFace {
public:
    virtual ~MainFace() = default;

    virtual std::u16string text(Layout::frmMain box) const = 0;
    virtual void setText(Layout::frmMain box, const std::u16string& text) = 0;
    // A control that is disabled while it has the focus loses it to no control at all.
    virtual void setEnabled(Layout::frmMain control, bool enabled) = 0;
    // Lays the controls of one container over each other, lowest first.
    virtual void stack(const std::vector<Layout::frmMain>& lowestFirst) = 0;
    // Draws the control with its pressed or its normal ground (Layout's look).
    virtual void setPressed(Layout::frmMain control, bool pressed) = 0;
    virtual void drawProgress(std::int16_t percent) = 0;
    // Where the platform has a taskbar or a dock; called only when what it shows changes.
    virtual void showTaskbarProgress(const TaskbarProgress&) {}
    virtual void focus(Layout::frmMain control) = 0;
    // Whether the control is on the screen, its containers too.
    virtual bool isShown(Layout::frmMain control) const = 0;
    virtual void selectAll(Layout::frmMain box) = 0;
    // Draws the focused control again, now that its dotted frame is to be seen.
    virtual void showCues() = 0;
    // Calls MainForm::frame() once per frame while on.
    virtual void runFrames(bool on) = 0;
    // Each of these is modal and returns once the user has closed it.
    virtual void showBox(Messages::Outcome outcome, std::int16_t count) = 0;
    virtual void showAbout() = 0;
    // The handle a dialog is owned by.
    virtual std::uintptr_t dialogOwner() const = 0;
    virtual void hide() = 0;
    // The window goes, and with it the program.
    virtual void close() = 0;
};

// The main window's rules, whatever draws it: the two modes and their tabs, the start button and the run behind
// it, the boxes, the browse labels, the exit, and where the focus goes. The face turns its platform's events into
// the calls below and does what MainFace is asked.
class MainForm {
public:
    struct Services {
        WorkerRun::Engine engine;            // empty routines: the real engine
        CFileDialog::BackendFactory dialogs; // the platform's Open dialog
        WorkerRun::FailureLine failureLine;  // empty: standard error
    };

    // `wake` is called on the worker when a run has ended; it must only make the face call frame() soon (a
    // posted message). The frames see the end all the same, so a lost wake costs at most one frame.
    MainForm(MainFace& face, Services services, std::function<void()> wake, bool cuesAlways);
    // A run still going is stopped, and its clean-up waited for.
    ~MainForm();
    MainForm(const MainForm&) = delete;
    MainForm& operator=(const MainForm&) = delete;

    // Before the window is first shown: split mode, the empty bar, the focus on the split panel.
    void load();

    // A completed click, by the mouse or by Space or Enter.
    void clicked(Layout::frmMain control);
    void mousePressed(Layout::frmMain control, MouseButton button);
    void mouseReleased(Layout::frmMain control, MouseButton button, bool over);
    // True when the window's surface should follow the mouse (a left press where no control takes it).
    static bool surfaceMoves(MouseButton button) { return button == MouseButton::Left; }
    // A key on the control that has the focus, or on the window while none has; true when the window took it.
    bool keyPressed(std::optional<Layout::frmMain> control, const Keys::Press& press);
    void focusMoved(std::optional<Layout::frmMain> control) { m_focus.moved(control); }
    // Files dropped on a control, as full paths in the order the source gave them; true when it took them.
    bool dropped(Layout::frmMain control, const std::vector<std::u16string>& paths);
    // The window is active again: the focus goes back where it was.
    void activated();
    // The platform or the exit image asks the window to close; true when the face may close it now. During a
    // run the window hides at once and closes once the engine has cleaned up, with no box.
    bool closeRequested();
    // The user's session ends: a run is stopped and cleaned up before this returns; no box is shown.
    void endSession();
    // Once per frame during a run, and when woken: the latest percentage, and the end of the run.
    void frame();

    Mode iMode() const { return m_iMode; }
    bool isRunning() const { return m_run.isRunning(); }
    bool isEnabled(Layout::frmMain control) const;
    const WindowFocus<Layout::frmMain>& focus() const { return m_focus; }

private:
    void imgTab_Click(int index);
    void imgInfo_Click();
    void imgExit_Click();
    void browseInto(Layout::frmMain box);
    void Picture4_Click();
    void setStartEnabled(bool enabled);
    bool tab(std::optional<Layout::frmMain> from, bool backwards);
    // Runs a modal window; what ended meanwhile is told once it has closed, and the focus goes back.
    void modal(const std::function<void()>& show);
    void restoreFocus();
    void finishRun(const WorkerRun::Result& result);
    void setTaskbar(TaskbarProgress::State state, std::int16_t percent);

    MainFace& m_face;
    CFileDialog::BackendFactory m_dialogs;
    WindowFocus<Layout::frmMain> m_focus;
    Layout::Stacking m_stacking;
    Mode m_iMode = Mode::Split;
    bool m_startEnabled = true;
    bool m_closing = false;
    int m_modalDepth = 0;
    std::optional<Layout::frmMain> m_leftDownOn; // the control a left press started a click on
    TaskbarProgress m_taskbar;
    std::int16_t m_percent = 0; // the bar's last value
    WorkerRun m_run;            // last: its destructor waits for the worker, which may still wake the face
};
