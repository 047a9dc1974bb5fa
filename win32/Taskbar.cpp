#include "win32/Taskbar.h"

#include <utility>

TaskbarButton::TaskbarButton(Factory factory) : m_factory(std::move(factory)) {
    if (m_factory)
        return;
    m_factory = []() -> ITaskbarList3* {
        ComPtr<ITaskbarList3> taskbar;
        if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
                                    taskbar.put())) ||
            FAILED(taskbar->HrInit()))
            return nullptr;
        return taskbar.release();
    };
}

UINT TaskbarButton::createdMessage() {
    static const UINT message = RegisterWindowMessageW(L"TaskbarButtonCreated");
    return message;
}

void TaskbarButton::created(HWND window) {
    m_window = window;
    // Without COM on this thread, or with no taskbar at all, the button is simply left alone.
    if (!m_taskbar)
        m_taskbar.adopt(m_factory());
    apply();
}

void TaskbarButton::show(const TaskbarProgress& progress) {
    m_progress = progress;
    apply();
}

void TaskbarButton::apply() {
    if (!m_taskbar || !m_window)
        return;
    switch (m_progress.state) {
    case TaskbarProgress::State::None:
        m_taskbar->SetProgressState(m_window, TBPF_NOPROGRESS);
        return;
    case TaskbarProgress::State::Normal:
        m_taskbar->SetProgressState(m_window, TBPF_NORMAL);
        break;
    case TaskbarProgress::State::Error:
        m_taskbar->SetProgressState(m_window, TBPF_ERROR);
        break;
    }
    m_taskbar->SetProgressValue(m_window, static_cast<ULONGLONG>(m_progress.percent), 100);
}
