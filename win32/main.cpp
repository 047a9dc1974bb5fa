// Zarvel for Windows: the main window over the shared rules and the engine.
#include "win32/Com.h"
#include "win32/frmAbout.h"
#include "win32/frmMain.h"

#include <commctrl.h>
#include <windows.h>

namespace {

// What the program ends with when the system would not give it its window.
constexpr int NoWindow = 1;

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    // COM for the accessibility properties and the shell's file dialog; without it the window still works.
    const ComApartment com;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    if (!frmMain::registerClass(instance) || !frmAbout::registerClass(instance))
        return NoWindow;
    frmMain window;
    if (!window.hwnd())
        return NoWindow;
    ShowWindow(window.hwnd(), show);
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
