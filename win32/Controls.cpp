#include "win32/Controls.h"

#include "win32/Art.h"
#include "win32/Text.h"

#include <commctrl.h>
#include <initguid.h>
#include <oleacc.h>
#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <memory>
#include <utility>

namespace Controls {
namespace {

constexpr wchar_t SkinnedClass[] = L"ZarvelSkinned";

struct State {
    Layout::Kind kind = Layout::Kind::PictureBox;
    bool hasTabPlace = false;
    Look look;
    Gdi::Bitmap picture;
    int pictureWidth = 0; // the picture's design size, in the screen's pixels
    int pictureHeight = 0;
    Painter painter;
    bool pressed = false;
    UINT dpi = 96;
};

State* stateOf(HWND control) {
    return reinterpret_cast<State*>(GetWindowLongPtrW(control, GWLP_USERDATA));
}

void click(HWND control) {
    const int id = GetDlgCtrlID(control);
    SendMessageW(GetAncestor(control, GA_ROOT), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(control));
}

void paintInside(HWND control, const State& state, HDC dc, const RECT& inside) {
    Gdi::Brush back(CreateSolidBrush(state.pressed ? state.look.pressedBack : state.look.back));
    FillRect(dc, &inside, back.get());
    if (state.painter) {
        state.painter(dc, inside);
    } else if (state.picture) {
        Gdi::MemoryDc source(dc);
        Gdi::Selected selected(source.get(), state.picture.get());
        BITMAP info{};
        GetObjectW(state.picture.get(), sizeof info, &info);
        SetStretchBltMode(dc, COLORONCOLOR);
        StretchBlt(dc, 0, 0, state.pictureWidth, state.pictureHeight, source.get(), 0, 0, info.bmWidth, info.bmHeight,
                   SRCCOPY);
    } else if (state.kind == Layout::Kind::Label) {
        wchar_t text[256] = {};
        GetWindowTextW(control, text, 256);
        Gdi::Selected selected(dc, state.look.font ? state.look.font : font(state.dpi));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, state.look.fore);
        RECT area = inside;
        DrawTextW(dc, text, -1, &area, (state.look.clickable ? DT_CENTER : DT_LEFT) | DT_TOP | DT_SINGLELINE);
    }
    if (state.look.border)
        FrameRect(dc, &inside, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    if (state.look.sunken) {
        RECT frame = inside;
        DrawEdge(dc, &frame, EDGE_SUNKEN, BF_RECT);
    }
    if (GetFocus() == control) {
        RECT frame = inside;
        InflateRect(&frame, -1, -1);
        DrawFocusRect(dc, &frame);
    }
}

void paint(HWND control, const State& state) {
    Gdi::PaintDc window(control);
    RECT inside{};
    GetClientRect(control, &inside);
    // Off screen first, so that a frame of the progress box never shows half drawn.
    Gdi::MemoryDc canvas(window.get());
    Gdi::Bitmap bitmap(CreateCompatibleBitmap(window.get(), inside.right, inside.bottom));
    Gdi::Selected selected(canvas.get(), bitmap.get());
    paintInside(control, state, canvas.get(), inside);
    BitBlt(window.get(), 0, 0, inside.right, inside.bottom, canvas.get(), 0, 0, SRCCOPY);
}

void press(HWND control, State& state, bool down) {
    if (state.pressed == down)
        return;
    state.pressed = down;
    InvalidateRect(control, nullptr, FALSE);
}

LRESULT onMouse(HWND control, State& state, UINT message, LPARAM lParam) {
    if (!state.look.clickable)
        return 0;
    if (message == WM_LBUTTONDOWN) {
        if (state.hasTabPlace)
            SetFocus(control);
        SetCapture(control);
        press(control, state, true);
        return 0;
    }
    if (!state.pressed)
        return 0;
    ReleaseCapture(); // sends WM_CAPTURECHANGED, which lifts the press
    RECT inside{};
    GetClientRect(control, &inside);
    const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (PtInRect(&inside, at))
        click(control);
    return 0;
}

LRESULT CALLBACK skinnedProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
    State* state = stateOf(control);
    if (!state)
        return DefWindowProcW(control, message, wParam, lParam);
    switch (message) {
    case WM_PAINT:
        paint(control, *state);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_NCHITTEST:
        // A plain picture of the window's surface lets the press through, so the window is moved by it.
        if (!state->look.clickable && state->kind == Layout::Kind::Image)
            return HTTRANSPARENT;
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
        return onMouse(control, *state, message, lParam);
    case WM_CAPTURECHANGED:
        press(control, *state, false);
        return 0;
    case WM_KEYDOWN:
        if (state->look.clickable && (wParam == VK_SPACE || wParam == VK_RETURN)) {
            click(control);
            return 0;
        }
        break;
    case WM_SETCURSOR:
        if (state->look.clickable) {
            SetCursor(state->look.cursor ? LoadCursorW(nullptr, state->look.cursor)
                                         : Art::handCursor(GetModuleHandleW(nullptr), state->dpi));
            return TRUE;
        }
        break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
        InvalidateRect(control, nullptr, FALSE);
        return 0;
    case WM_NCDESTROY:
        SetWindowLongPtrW(control, GWLP_USERDATA, 0);
        delete state;
        return 0;
    }
    return DefWindowProcW(control, message, wParam, lParam);
}

// A text box takes the first of the files dropped on it, as its whole text.
LRESULT CALLBACK dropProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (message == WM_DROPFILES) {
        const auto drop = reinterpret_cast<HDROP>(wParam);
        if (DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0) > 0) {
            std::wstring name(DragQueryFileW(drop, 0, nullptr, 0), L'\0');
            DragQueryFileW(drop, 0, name.data(), static_cast<UINT>(name.size() + 1));
            SetWindowTextW(box, name.c_str());
        }
        DragFinish(drop);
        return 0;
    }
    if (message == WM_NCDESTROY)
        RemoveWindowSubclass(box, dropProc, 1);
    return DefSubclassProc(box, message, wParam, lParam);
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

// What a screen reader says for the control, through the system's property service; where there is none (an
// old system), the skinned controls still carry their name as their window text.
void describe(HWND hwnd, const Layout::Control& control) {
    if (!*control.accessibleName)
        return;
    IAccPropServices* services = nullptr;
    if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices,
                                reinterpret_cast<void**>(&services))))
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
    services->Release();
}

HWND create(HWND parent, const Layout::Control& control, int id, UINT dpi) {
    const DWORD child = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | (control.tabPlace >= 0 ? WS_TABSTOP : 0);
    const int x = scaled(Layout::px(control.place.left), dpi), y = scaled(Layout::px(control.place.top), dpi);
    const int w = scaled(Layout::px(control.place.width), dpi), h = scaled(Layout::px(control.place.height), dpi);
    const HMENU menu = reinterpret_cast<HMENU>(static_cast<INT_PTR>(id));
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    const std::wstring text = Text::wide(*control.text ? control.text : control.accessibleName);
    HWND hwnd = nullptr;
    switch (control.kind) {
    case Layout::Kind::TextBox:
        hwnd = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", Text::wide(control.text).c_str(), child | ES_AUTOHSCROLL, x,
                               y, w, h, parent, menu, instance, nullptr);
        break;
    case Layout::Kind::Button:
        hwnd = CreateWindowExW(0, L"BUTTON", text.c_str(), child | BS_PUSHBUTTON, x, y, w, h, parent, menu, instance,
                               nullptr);
        break;
    case Layout::Kind::Line:
        hwnd = CreateWindowExW(0, L"STATIC", L"", child | SS_ETCHEDHORZ, x, y, w, std::max(h, 2), parent, menu,
                               instance, nullptr);
        break;
    default: {
        auto state = std::make_unique<State>();
        state->kind = control.kind;
        state->hasTabPlace = control.tabPlace >= 0;
        state->dpi = dpi;
        if (*control.picture) {
            state->picture = Art::picture(instance, control.picture, dpi);
            BITMAP info{};
            GetObjectW(state->picture.get(), sizeof info, &info);
            const int density = dpi >= Art::DenseDpi ? 2 : 1;
            state->pictureWidth = scaled(info.bmWidth / density, dpi);
            state->pictureHeight = scaled(info.bmHeight / density, dpi);
        }
        hwnd = CreateWindowExW(0, SkinnedClass, text.c_str(), child | WS_CLIPCHILDREN, x, y, w, h, parent, menu,
                               instance, nullptr);
        if (hwnd)
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state.release()));
    }
    }
    if (hwnd)
        SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font(dpi)), FALSE);
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

} // namespace

void registerClasses(HINSTANCE instance) {
    WNDCLASSEXW skinned{};
    skinned.cbSize = sizeof skinned;
    skinned.lpfnWndProc = skinnedProc;
    skinned.hInstance = instance;
    skinned.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    skinned.lpszClassName = SkinnedClass;
    RegisterClassExW(&skinned);
}

Built build(HWND window, const std::vector<Layout::Control>& table, UINT dpi) {
    Built built;
    built.toolTips = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0,
                                     window, nullptr, GetModuleHandleW(nullptr), nullptr);
    for (std::size_t row = 0; row < table.size(); ++row) {
        const Layout::Control& control = table[row];
        const auto parent = built.byName.find(control.parent);
        HWND hwnd = create(parent == built.byName.end() ? window : parent->second, control,
                           FirstId + static_cast<int>(row), dpi);
        built.byName[control.name] = hwnd;
        built.inTableOrder.push_back(hwnd);
        if (*control.toolTip)
            addToolTip(built.toolTips, window, hwnd, control.toolTip);
        describe(hwnd, control);
    }
    // A new child goes behind its older siblings; the table wants the later ones in front.
    for (HWND hwnd : built.inTableOrder)
        SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return built;
}

void acceptFileDrops(HWND box) {
    DragAcceptFiles(box, TRUE);
    SetWindowSubclass(box, dropProc, 1, 0);
}

void setLook(HWND control, const Look& look) {
    if (State* state = stateOf(control)) {
        state->look = look;
        InvalidateRect(control, nullptr, FALSE);
    }
}

void setPainter(HWND control, Painter painter) {
    if (State* state = stateOf(control))
        state->painter = std::move(painter);
}

bool isPressed(HWND control) {
    const State* state = stateOf(control);
    return state && state->pressed;
}

bool isLightweight(HWND control) {
    const State* state = stateOf(control);
    return state && (state->kind == Layout::Kind::Image || state->kind == Layout::Kind::Label);
}

HFONT font(UINT dpi) {
    static std::map<UINT, Gdi::Font> fonts;
    Gdi::Font& made = fonts[dpi];
    if (!made) {
        NONCLIENTMETRICSW metrics{};
        metrics.cbSize = sizeof metrics;
        SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi);
        made.reset(CreateFontIndirectW(&metrics.lfMessageFont));
    }
    return made.get();
}

bool moveFocus(const std::vector<Layout::Control>& table, const Built& controls, bool backwards) {
    std::vector<std::pair<int, HWND>> order;
    for (std::size_t row = 0; row < table.size(); ++row) {
        if (table[row].tabPlace >= 0)
            order.emplace_back(table[row].tabPlace, controls.inTableOrder[row]);
    }
    if (order.empty())
        return false;
    std::sort(order.begin(), order.end());
    const HWND focus = GetFocus();
    auto at = std::find_if(order.begin(), order.end(), [focus](const auto& entry) { return entry.second == focus; });
    std::size_t index = at == order.end() ? (backwards ? 0 : order.size() - 1) : std::size_t(at - order.begin());
    for (std::size_t step = 0; step < order.size(); ++step) {
        index = (index + (backwards ? order.size() - 1 : 1)) % order.size();
        HWND next = order[index].second;
        if (IsWindowVisible(next) && IsWindowEnabled(next)) {
            SetFocus(next);
            wchar_t kind[8] = {};
            GetClassNameW(next, kind, 8);
            if (lstrcmpiW(kind, L"Edit") == 0)
                SendMessageW(next, EM_SETSEL, 0, -1);
            return true;
        }
    }
    return false;
}

} // namespace Controls
