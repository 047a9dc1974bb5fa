#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

// Owners for the GDI handles the face creates, so that every early return and every repaint gives them back:
// a leak of one bitmap per frame would end the program after some thousands of frames.
namespace Gdi {

struct ObjectDeleter {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};

template <class Handle> using Object = std::unique_ptr<std::remove_pointer_t<Handle>, ObjectDeleter>;

using Bitmap = Object<HBITMAP>;
using Brush = Object<HBRUSH>;
using Font = Object<HFONT>;
using Pen = Object<HPEN>;

// A device context compatible with another, for drawing off screen before one copy to the window.
class MemoryDc {
public:
    explicit MemoryDc(HDC compatibleWith) : m_dc(CreateCompatibleDC(compatibleWith)) {}
    ~MemoryDc() { DeleteDC(m_dc); }
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;
    HDC get() const { return m_dc; }

private:
    HDC m_dc;
};

// Puts an object into a device context for one scope and the previous one back at its end, as GDI requires
// before either is deleted.
class Selected {
public:
    Selected(HDC dc, HGDIOBJ object) : m_dc(dc), m_previous(SelectObject(dc, object)) {}
    ~Selected() { SelectObject(m_dc, m_previous); }
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_previous;
};

// The screen's or a window's device context for one scope: each one not given back is one fewer for the whole
// desktop, and measuring or drawing a frame asks for one every time.
class WindowDc {
public:
    explicit WindowDc(HWND window) : m_window(window), m_dc(GetDC(window)) {}
    ~WindowDc() {
        if (m_dc)
            ReleaseDC(m_window, m_dc);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const { return m_dc; }

private:
    HWND m_window;
    HDC m_dc;
};

// BeginPaint and EndPaint around one WM_PAINT.
class PaintDc {
public:
    explicit PaintDc(HWND window) : m_window(window) { BeginPaint(window, &m_paint); }
    ~PaintDc() { EndPaint(m_window, &m_paint); }
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;
    HDC get() const { return m_paint.hdc; }

private:
    HWND m_window;
    PAINTSTRUCT m_paint{};
};

} // namespace Gdi
