#pragma once

#include "win32/Com.h"

#include <windows.h>

#include <oleacc.h>

#include <cstdint>
#include <functional>

// The progress box's value as screen readers read it: the system's property service holds the box's text ("42%"),
// and each change is announced, as the Qt face does through its accessible value. Where there is no service (no
// COM, an old system), the box still says that it is a progress bar, nothing more.
class AccessibleValue {
public:
    // The system's property service, and its listeners told of a change; empty ones are the system's own, a test
    // hands in doubles.
    struct System {
        std::function<IAccPropServices*()> service;
        std::function<void(DWORD event, HWND hwnd, LONG object, LONG child)> announce;
    };

    explicit AccessibleValue(System system = {});

    void show(HWND box, std::int16_t percent);

private:
    System m_system;
    ComPtr<IAccPropServices> m_service;
    bool m_asked = false;
    HWND m_box = nullptr;
    std::int16_t m_shown = -1;
};
