// Zarvel for Windows: the main window over the shared rules and the engine.
#include "win32/frmAbout.h"
#include "win32/frmMain.h"

#include <commctrl.h>
#include <objbase.h>
#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    // COM for the accessibility properties and the shell's file dialog; controls 6 for the tool tips.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    frmMain::registerClass(instance);
    frmAbout::registerClass(instance);
    int code = 0;
    {
        frmMain window;
        if (!window.hwnd())
            return 1;
        ShowWindow(window.hwnd(), show);
        MSG message{};
        while (GetMessageW(&message, nullptr, 0, 0) > 0) {
            if (window.preTranslate(message))
                continue;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        code = static_cast<int>(message.wParam);
    }
    CoUninitialize();
    return code;
}
