#pragma once

#include "app/MainForm.h"
#include "win32/Com.h"

#include <windows.h>

#include <shobjidl.h>

#include <functional>

// A run's progress on the window's taskbar button. Explorer tells a window that its button exists with the
// registered "TaskbarButtonCreated" message, and again after it restarts; only then may the button be set, and
// each time the current state is applied again.
class TaskbarButton {
public:
    // Makes the system's taskbar object; a test hands in a double instead.
    using Factory = std::function<ITaskbarList3*()>;

    explicit TaskbarButton(Factory factory = {});
    static UINT createdMessage();

    // The message arrived for `window`: from now on the button follows the state.
    void created(HWND window);
    void show(const TaskbarProgress& progress);

private:
    void apply();

    Factory m_factory;
    HWND m_window = nullptr;
    ComPtr<ITaskbarList3> m_taskbar;
    TaskbarProgress m_progress;
};
