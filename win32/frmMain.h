#pragma once

#include "app/Mode.h"
#include "app/WorkerRun.h"
#include "win32/Controls.h"
#include "win32/Gdi.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>

// The main window: its controls from the shared layout table, the two modes' tabs, the browse labels, drops,
// and the start action through the shared run, whose end arrives as a posted message.
class frmMain {
public:
    static void registerClass(HINSTANCE instance);

    // Creates the window, hidden, at the system's density; empty routines are the real engine's.
    explicit frmMain(WorkerRun::Engine engine = {});
    // A run still going is stopped, and its clean-up waited for.
    ~frmMain();
    frmMain(const frmMain&) = delete;
    frmMain& operator=(const frmMain&) = delete;

    HWND hwnd() const { return m_hwnd; }
    HWND control(const std::string& name) const { return m_controls[name]; }
    Mode mode() const { return m_iMode; }
    UINT dpi() const { return m_dpi; }
    // The progress box's picture inside its border, as last drawn.
    HBITMAP progressCanvas() const { return m_canvas.get(); }

    // Takes the keys a dialog would: Tab and Shift+Tab in the window's own order. Call for every message.
    bool preTranslate(const MSG& message);
    void spProg(std::int16_t percent);

private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);

    void onCreate();
    void onCommand(HWND control);
    void onSurfacePressed();
    void onClose();
    void onFrame();
    void onRunEnded();
    void onDpiChanged(UINT dpi, const RECT& suggested);

    void imgTab_Click(int index);
    void imgInfo_Click();
    void browseInto(HWND box);
    void Picture4_Click();

    void styleControls();
    void drawProgress(std::int16_t percent);
    void bringToFront(HWND control);

    HWND m_hwnd = nullptr;
    UINT m_dpi = 96;
    Controls::Built m_controls;
    Gdi::Bitmap m_canvas;
    Mode m_iMode = Mode::Split;
    std::int16_t m_percent = 0;
    bool m_closedInRun = false;
    // The window the worker posts the end to, read on the worker's thread; it outlives the run (declared first).
    std::atomic<HWND> m_endTarget{nullptr};
    WorkerRun m_run;
};
