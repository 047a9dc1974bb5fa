#include "win32/Controls.h"

#include "win32/Com.h"
#include "win32/Fonts.h"
#include "win32/SkinnedControl.h"
#include "win32/Text.h"

#include <commctrl.h>
#include <initguid.h>
#include <oleacc.h>
#include <shellapi.h>

#include <algorithm>
#include <utility>

namespace Controls {
namespace {

constexpr UINT_PTR ForwarderId = 1;

// The character made by a key the window took goes nowhere either (a Tab in a text box, Alt+O's letter).
bool g_swallowCharacter = false;

// Every file of the drop, in its order, for the window to decide on.
void tellDrop(HWND control, HDROP drop) {
    std::vector<std::u16string> paths;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT index = 0; index < count; ++index) {
        std::wstring name(DragQueryFileW(drop, index, nullptr, 0), L'\0');
        DragQueryFileW(drop, index, name.data(), static_cast<UINT>(name.size() + 1));
        paths.push_back(Text::rules(name));
    }
    DragFinish(drop);
    tellWindow(control, WM_CONTROL_DROP, reinterpret_cast<LPARAM>(&paths));
}

// On every control, native ones too: the focus and the keys go to the top-level window first, so that one place
// decides what a key does whatever control has it.
LRESULT CALLBACK forwarderProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    switch (message) {
    case WM_SETFOCUS:
        tellWindow(control, WM_CONTROL_FOCUS, 0);
        break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
        const Keys::Press press = pressOf(message, wParam, lParam);
        g_swallowCharacter = tellWindow(control, WM_CONTROL_KEY, reinterpret_cast<LPARAM>(&press)) != 0;
        if (g_swallowCharacter)
            return 0;
        break;
    }
    case WM_CHAR:
    case WM_SYSCHAR:
        if (std::exchange(g_swallowCharacter, false))
            return 0;
        break;
    case WM_DROPFILES:
        tellDrop(control, reinterpret_cast<HDROP>(wParam));
        return 0;
    case WM_NCDESTROY:
        RemoveWindowSubclass(control, forwarderProc, ForwarderId);
        break;
    }
    return DefSubclassProc(control, message, wParam, lParam);
}

long roleOf(const Layout::Control& control) {
    switch (control.role) {
    case Layout::Role::PageTab:
        return ROLE_SYSTEM_PAGETAB;
    case Layout::Role::Button:
        return ROLE_SYSTEM_PUSHBUTTON;
    case Layout::Role::Grouping:
        return ROLE_SYSTEM_GROUPING;
    case Layout::Role::StaticText:
        return ROLE_SYSTEM_STATICTEXT;
    case Layout::Role::ProgressBar:
        return ROLE_SYSTEM_PROGRESSBAR;
    case Layout::Role::Link:
        return ROLE_SYSTEM_LINK;
    case Layout::Role::Graphic:
        return ROLE_SYSTEM_GRAPHIC;
    case Layout::Role::Default:
        break;
    }
    return 0;
}

// What a screen reader says for the control, through the system's property service; where there is none (no
// COM, an old system), the skinned controls still carry their name as their window text.
void describe(HWND hwnd, const Layout::Control& control) {
    if (!*control.accessibleName)
        return;
    ComPtr<IAccPropServices> services;
    if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices,
                                services.put())))
        return;
    services->SetHwndPropStr(hwnd, OBJID_CLIENT, CHILDID_SELF, PROPID_ACC_NAME,
                             Text::wide(control.accessibleName).c_str());
    if (*control.accessibleDescription)
        services->SetHwndPropStr(hwnd, OBJID_CLIENT, CHILDID_SELF, PROPID_ACC_DESCRIPTION,
                                 Text::wide(control.accessibleDescription).c_str());
    if (const long role = roleOf(control)) {
        VARIANT value{};
        value.vt = VT_I4;
        value.lVal = role;
        services->SetHwndProp(hwnd, OBJID_CLIENT, CHILDID_SELF, PROPID_ACC_ROLE, value);
    }
}

RECT scaledRect(const Layout::Pixels& place, UINT dpi) {
    const int x = scaled(place.left, dpi), y = scaled(place.top, dpi);
    return RECT{x, y, x + scaled(place.width, dpi), y + scaled(place.height, dpi)};
}

HWND create(HWND parent, const Layout::Control& control, const RECT& place, int id, UINT dpi, Colours::Colour ground) {
    const DWORD child = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | (control.tabPlace >= 0 ? WS_TABSTOP : 0);
    const int x = place.left, y = place.top, w = place.right - place.left, h = place.bottom - place.top;
    const HMENU menu = reinterpret_cast<HMENU>(static_cast<INT_PTR>(id));
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    const std::wstring text = Text::wide(*control.text ? control.text : control.accessibleName);
    HWND hwnd = nullptr;
    if (control.kind == Layout::Kind::TextBox) {
        const DWORD flat = control.look.border == Layout::Border::Flat ? WS_BORDER : 0;
        const DWORD sunken = control.look.border == Layout::Border::Sunken ? WS_EX_CLIENTEDGE : 0;
        hwnd = CreateWindowExW(sunken, L"EDIT", Text::wide(control.text).c_str(), child | flat | ES_AUTOHSCROLL, x, y,
                               w, h, parent, menu, instance, nullptr);
    } else if (control.kind == Layout::Kind::Button) {
        hwnd = CreateWindowExW(0, L"BUTTON", text.c_str(), child | BS_PUSHBUTTON, x, y, w, h, parent, menu, instance,
                               nullptr);
    } else {
        hwnd = createSkinned(parent, control, id, dpi, ground, place);
    }
    if (!hwnd)
        return nullptr;
    SetWindowSubclass(hwnd, forwarderProc, ForwarderId, 0);
    DragAcceptFiles(hwnd, control.look.takesDrops);
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(Fonts::window(dpi)), FALSE);
    return hwnd;
}

void addToolTip(HWND toolTips, HWND window, HWND control, const char* text) {
    const std::wstring tip = Text::wide(text);
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = window;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = const_cast<LPWSTR>(tip.c_str());
    SendMessageW(toolTips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

// A transparent label shows its container: the window, or the panel it lies in.
Colours::Colour groundOf(const std::vector<Layout::Control>& table, const Layout::Control& control,
                         Colours::Colour windowGround) {
    return control.parent == Layout::OnWindow ? windowGround : table[std::size_t(control.parent)].look.back;
}

} // namespace

bool registerClasses(HINSTANCE instance) {
    return registerSkinnedClass(instance);
}

bool build(HWND window, const std::vector<Layout::Control>& table, UINT dpi, Colours::Colour ground, Built& built) {
    built = Built{};
    built.table = &table;
    built.toolTips = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0,
                                     window, nullptr, GetModuleHandleW(nullptr), nullptr);
    for (std::size_t row = 0; row < table.size(); ++row) {
        const Layout::Control& control = table[row];
        HWND parent = control.parent == Layout::OnWindow ? window : built.rows[std::size_t(control.parent)];
        const RECT place = scaledRect(Layout::placeOf(table, control), dpi);
        HWND hwnd =
            create(parent, control, place, FirstId + static_cast<int>(row), dpi, groundOf(table, control, ground));
        if (!hwnd) {
            destroy(built);
            return false;
        }
        if (const auto shown = Layout::shownPartOf(table, control)) {
            const RECT part = scaledRect(*shown, dpi);
            SetWindowRgn(hwnd, CreateRectRgn(part.left, part.top, part.right, part.bottom), FALSE);
        }
        built.rows.push_back(hwnd);
        if (*control.toolTip && built.toolTips)
            addToolTip(built.toolTips, window, hwnd, control.toolTip);
        describe(hwnd, control);
    }
    // A new child goes behind its older siblings; the table wants the later ones in front.
    for (HWND hwnd : built.rows)
        SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return true;
}

void destroy(Built& built) {
    // Children first: a panel takes its own with it.
    for (auto hwnd = built.rows.rbegin(); hwnd != built.rows.rend(); ++hwnd) {
        if (IsWindow(*hwnd))
            DestroyWindow(*hwnd);
    }
    if (built.toolTips)
        DestroyWindow(built.toolTips);
    built.rows.clear();
    built.toolTips = nullptr;
}

COLORREF colour(Colours::Colour colour) {
    return Colours::isSystem(colour) ? GetSysColor(Colours::systemIndex(colour)) : static_cast<COLORREF>(colour);
}

Keys::Press pressOf(UINT message, WPARAM key, LPARAM flags) {
    Keys::Press press;
    press.repeat = (flags & (1 << 30)) != 0;
    press.ctrl = GetKeyState(VK_CONTROL) < 0;
    press.shift = GetKeyState(VK_SHIFT) < 0;
    press.alt = (message == WM_SYSKEYDOWN && (flags & (1 << 29)) != 0) || GetKeyState(VK_MENU) < 0;
    if (key == VK_SPACE)
        press.key = Keys::Key::Space;
    else if (key == VK_RETURN)
        press.key = Keys::Key::Enter;
    else if (key == VK_TAB)
        press.key = Keys::Key::Tab;
    else if (key == VK_ESCAPE)
        press.key = Keys::Key::Escape;
    else if (key >= VK_LEFT && key <= VK_DOWN)
        press.key = Keys::Key::Arrow;
    else if (key == VK_MENU)
        press.key = Keys::Key::Alt;
    else if (key >= 'A' && key <= 'Z') {
        press.key = Keys::Key::Letter;
        press.letter = static_cast<char>(key);
    }
    return press;
}

bool moveFocus(const Built& built, bool backwards) {
    const auto at = std::find(built.rows.begin(), built.rows.end(), GetFocus());
    const auto from = at == built.rows.end() ? std::nullopt : std::optional<std::size_t>(at - built.rows.begin());
    const auto next = Layout::nextByTab(*built.table, from, backwards, [&built](std::size_t row) {
        return IsWindowVisible(built.rows[row]) && IsWindowEnabled(built.rows[row]);
    });
    if (!next)
        return false;
    SetFocus(built.rows[*next]);
    if (Layout::selectsOnTab((*built.table)[*next]))
        SendMessageW(built.rows[*next], EM_SETSEL, 0, -1);
    return true;
}

} // namespace Controls
