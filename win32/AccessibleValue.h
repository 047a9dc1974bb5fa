#pragma once

#include "win32/Com.h"

#include <windows.h>

#include <oleacc.h>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>

// The progress box's value as screen readers read it: the system's property service holds the box's text ("42%"),
// and each change is announced, as the Qt face does through its accessible value. Where there is no service (no
// COM, an old system), the box still says that it is a progress bar, nothing more.
class AccessibleValue {
public:
    // Where a new value goes; empty is the system's property service and its listeners, a test hands in a double.
    using Tell = std::function<void(HWND box, const std::wstring& value)>;

    explicit AccessibleValue(Tell tell = {}) : m_tell(std::move(tell)) {}

    void show(HWND box, std::int16_t percent);

private:
    void tellSystem(HWND box, const std::wstring& value);

    Tell m_tell;
    ComPtr<IAccPropServices> m_service;
    bool m_asked = false;
    HWND m_box = nullptr;
    std::int16_t m_shown = -1;
};
