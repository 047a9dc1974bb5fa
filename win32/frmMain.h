#pragma once

#include "app/MainForm.h"
#include "win32/AccessibleValue.h"
#include "win32/BaseWindow.h"
#include "win32/Controls.h"
#include "win32/Gdi.h"
#include "win32/Taskbar.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

// The main window: it draws the controls of the shared layout table and the progress box, and turns the system's
// events (mouse, keys, focus, activation, timer, close, the session's end) into MainForm's calls; the form
// decides what they mean.
class frmMain : public BaseWindow<frmMain>, private MainFace {
public:
    static bool registerClass(HINSTANCE instance);
    // The user's choice to see the focus frame at once rather than after the first key.
    static bool systemShowsCues();

    // Creates the window, hidden, at the system's density; empty routines are the real engine's. hwnd() is
    // empty when the system made no window.
    explicit frmMain(WorkerRun::Engine engine = {}, bool cuesAlways = systemShowsCues(),
                     TaskbarButton::Factory taskbar = {}, AccessibleValue::Tell accessible = {});
    // A run still going is stopped, and its clean-up waited for.
    ~frmMain();

    HWND control(Layout::frmMain control) const { return m_controls[control]; }
    UINT dpi() const { return m_dpi; }
    // The progress box's picture inside its border, as last drawn.
    HBITMAP progressCanvas() const { return m_canvas.get(); }

    void spProg(std::int16_t percent);

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    // MainFace
    std::u16string text(Layout::frmMain box) const override;
    void setText(Layout::frmMain box, const std::u16string& text) override;
    void setEnabled(Layout::frmMain control, bool enabled) override;
    void stack(const std::vector<Layout::frmMain>& lowestFirst) override;
    void setPressed(Layout::frmMain control, bool pressed) override;
    void drawProgress(std::int16_t percent) override { spProg(percent); }
    void showTaskbarProgress(const TaskbarProgress& progress) override { m_taskbar.show(progress); }
    void focus(Layout::frmMain control) override;
    bool isShown(Layout::frmMain control) const override;
    void selectAll(Layout::frmMain box) override;
    void showCues() override;
    void runFrames(bool on) override;
    void showBox(Messages::Outcome outcome, std::int16_t count) override;
    void showAbout() override;
    std::uintptr_t dialogOwner() const override { return reinterpret_cast<std::uintptr_t>(m_hwnd); }
    void hide() override;
    void close() override;

    bool buildControls();
    LRESULT onActivate(WPARAM wParam, LPARAM lParam);
    void onEndSession();
    void onDpiChanged(UINT dpi, const RECT& suggested);
    void paintProgress(HDC dc);
    void drawCanvas(std::int16_t percent);

    UINT m_dpi = 96;
    bool m_cuesAlways;
    Controls::Built m_controls;
    Gdi::Bitmap m_canvas;
    std::int16_t m_percent = 0;
    // Each container's order as last stacked, for controls made again at another density.
    std::map<int, std::vector<Layout::frmMain>> m_stacks;
    TaskbarButton m_taskbar;
    AccessibleValue m_progressValue;
    // The window the worker's wake goes to, read on the worker's thread; it outlives the run (declared first).
    std::atomic<HWND> m_wakeTarget{nullptr};
    MainForm m_form;
};
