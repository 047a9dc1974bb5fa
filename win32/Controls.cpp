#include "win32/Controls.h"

#include "win32/Art.h"
#include "win32/Com.h"
#include "win32/Fonts.h"
#include "win32/Gdi.h"
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
constexpr UINT_PTR ForwarderId = 1;
constexpr DWORD_PTR TakesDrops = 1;
constexpr int NoButton = -1;

// What a skinned control draws and how it takes the mouse; everything else is its window's business.
struct State {
    const Layout::Control* row = nullptr;
    Colours::Colour ground = Colours::Silver; // its container's, for a transparent label
    Gdi::Bitmap picture;
    int pictureWidth = 0; // the picture's design size, in the screen's pixels
    int pictureHeight = 0;
    Painter painter;
    HFONT font = nullptr;
    bool pressed = false;
    int buttonDown = NoButton;
    UINT dpi = 96;
};

// The character made by a key the window took goes nowhere either (a Tab in a text box, Alt+O's letter).
bool g_swallowCharacter = false;

State* stateOf(HWND control) {
    return reinterpret_cast<State*>(GetWindowLongPtrW(control, GWLP_USERDATA));
}

LRESULT tell(HWND control, UINT message, LPARAM lParam) {
    return SendMessageW(GetAncestor(control, GA_ROOT), message, static_cast<WPARAM>(GetDlgCtrlID(control)), lParam);
}

// Asked of the window, which answers from its rules: not every system keeps the state for its controls.
bool cuesShown(HWND control) {
    return (SendMessageW(GetAncestor(control, GA_ROOT), WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) == 0;
}

void drawLabel(HWND control, const State& state, HDC dc, const RECT& inside) {
    wchar_t text[256] = {};
    GetWindowTextW(control, text, 256);
    Gdi::Selected selected(dc, state.font ? state.font : Fonts::window(state.dpi));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colour(state.row->look.fore));
    RECT area = inside;
    const UINT align = state.row->look.align == Layout::Align::Centre ? DT_CENTER : DT_LEFT;
    DrawTextW(dc, text, -1, &area, align | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
}

void drawPicture(const State& state, HDC dc) {
    Gdi::MemoryDc source(dc);
    Gdi::Selected selected(source.get(), state.picture.get());
    BITMAP info{};
    GetObjectW(state.picture.get(), sizeof info, &info);
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, 0, 0, state.pictureWidth, state.pictureHeight, source.get(), 0, 0, info.bmWidth, info.bmHeight,
               SRCCOPY);
}

void paintInside(HWND control, const State& state, HDC dc, const RECT& inside) {
    const Layout::Look& look = state.row->look;
    Colours::Colour ground = look.transparent ? state.ground : (state.pressed ? look.pressedBack : look.back);
    if (state.row->kind == Layout::Kind::Line)
        ground = look.fore;
    Gdi::Brush back(CreateSolidBrush(colour(ground)));
    FillRect(dc, &inside, back.get());
    if (state.painter)
        state.painter(dc, inside);
    else if (state.picture)
        drawPicture(state, dc);
    else if (state.row->kind == Layout::Kind::Label)
        drawLabel(control, state, dc, inside);
    if (look.border == Layout::Border::Flat)
        FrameRect(dc, &inside, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    if (look.border == Layout::Border::Sunken) {
        RECT frame = inside;
        DrawEdge(dc, &frame, EDGE_SUNKEN, BF_RECT);
    }
    if (GetFocus() == control && cuesShown(control)) {
        RECT frame = inside;
        InflateRect(&frame, -1, -1);
        SetTextColor(dc, RGB(0, 0, 0));
        SetBkColor(dc, RGB(255, 255, 255));
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

int buttonOf(UINT message) {
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
        return 0;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
        return 1;
    default:
        return 2;
    }
}

void mouseDown(HWND control, State& state, int button) {
    // Only a clickable control follows the mouse off itself: the release must still come here.
    if (state.row->look.clickable && state.buttonDown == NoButton) {
        state.buttonDown = button;
        SetCapture(control);
    }
    tell(control, WM_CONTROL_MOUSE, MAKELPARAM(button, MouseDown));
}

void mouseUp(HWND control, State& state, int button, LPARAM at) {
    if (state.buttonDown == button) {
        state.buttonDown = NoButton;
        if (GetCapture() == control)
            ReleaseCapture();
    }
    RECT inside{};
    GetClientRect(control, &inside);
    const bool over = PtInRect(&inside, POINT{GET_X_LPARAM(at), GET_Y_LPARAM(at)}) != FALSE;
    tell(control, WM_CONTROL_MOUSE, MAKELPARAM(button, over ? MouseOver : 0));
}

// The capture went elsewhere (a box came up): the press ends without a click.
void captureLost(HWND control, State& state) {
    const int button = std::exchange(state.buttonDown, NoButton);
    if (button != NoButton)
        tell(control, WM_CONTROL_MOUSE, MAKELPARAM(button, 0));
}

HCURSOR cursorOf(const State& state) {
    switch (state.row->look.cursor) {
    case Layout::Cursor::Hand:
        return Art::handCursor(GetModuleHandleW(nullptr), state.dpi);
    case Layout::Cursor::UpArrow:
        return LoadCursorW(nullptr, IDC_UPARROW);
    case Layout::Cursor::Arrow:
        break;
    }
    return LoadCursorW(nullptr, IDC_ARROW);
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
        // A picture the design disables lets the press through, so the window is moved by it.
        return state->row->look.enabled ? HTCLIENT : HTTRANSPARENT;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        mouseDown(control, *state, buttonOf(message));
        return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        mouseUp(control, *state, buttonOf(message), lParam);
        return 0;
    case WM_CAPTURECHANGED:
        captureLost(control, *state);
        return 0;
    case WM_SETCURSOR:
        if (LOWORD(lParam) != HTCLIENT)
            break;
        SetCursor(cursorOf(*state));
        return TRUE;
    case WM_SETFONT:
        state->font = reinterpret_cast<HFONT>(wParam);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(state->font);
    case WM_UPDATEUISTATE:
        DefWindowProcW(control, message, wParam, lParam);
        InvalidateRect(control, nullptr, FALSE);
        return 0;
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

void takeDrop(HWND box, HDROP drop) {
    if (DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0) > 0) {
        std::wstring name(DragQueryFileW(drop, 0, nullptr, 0), L'\0');
        DragQueryFileW(drop, 0, name.data(), static_cast<UINT>(name.size() + 1));
        SetWindowTextW(box, name.c_str());
    }
    DragFinish(drop);
}

// On every control, native ones too: the focus and the keys go to the top-level window first, so that one place
// decides what a key does whatever control has it.
LRESULT CALLBACK forwarderProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    switch (message) {
    case WM_SETFOCUS:
        tell(control, WM_CONTROL_FOCUS, 0);
        break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
        const Keys::Press press = pressOf(message, wParam, lParam);
        g_swallowCharacter = tell(control, WM_CONTROL_KEY, reinterpret_cast<LPARAM>(&press)) != 0;
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
        if (data == TakesDrops) {
            takeDrop(control, reinterpret_cast<HDROP>(wParam));
            return 0;
        }
        break;
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

std::unique_ptr<State> skinnedState(const Layout::Control& control, Colours::Colour ground, UINT dpi) {
    auto state = std::make_unique<State>();
    state->row = &control;
    state->ground = ground;
    state->dpi = dpi;
    if (*control.picture) {
        state->picture = Art::picture(GetModuleHandleW(nullptr), control.picture, dpi);
        BITMAP info{};
        GetObjectW(state->picture.get(), sizeof info, &info);
        const int density = dpi >= Art::DenseDpi ? 2 : 1;
        state->pictureWidth = scaled(info.bmWidth / density, dpi);
        state->pictureHeight = scaled(info.bmHeight / density, dpi);
    }
    return state;
}

HWND create(HWND parent, const Layout::Control& control, int id, UINT dpi, Colours::Colour ground) {
    const DWORD child = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | (control.tabPlace >= 0 ? WS_TABSTOP : 0);
    const int x = scaled(Layout::px(control.place.left), dpi), y = scaled(Layout::px(control.place.top), dpi);
    const int w = scaled(Layout::px(control.place.width), dpi), h = scaled(Layout::px(control.place.height), dpi);
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
        std::unique_ptr<State> state = skinnedState(control, ground, dpi);
        hwnd = CreateWindowExW(0, SkinnedClass, text.c_str(), child | WS_CLIPCHILDREN, x, y, w, h, parent, menu,
                               instance, nullptr);
        if (hwnd)
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state.release()));
    }
    if (!hwnd)
        return nullptr;
    SetWindowSubclass(hwnd, forwarderProc, ForwarderId, 0);
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
    for (const Layout::Control& row : table) {
        if (std::string_view(row.name) == control.parent)
            return row.look.back;
    }
    return windowGround;
}

} // namespace

HWND Built::named(std::string_view name) const {
    const Layout::Control& row = Layout::find(*table, name);
    return rows[static_cast<std::size_t>(&row - table->data())];
}

const Layout::Control* Built::rowOfId(int id) const {
    const int row = id - FirstId;
    if (!table || row < 0 || row >= static_cast<int>(rows.size()))
        return nullptr;
    return &(*table)[static_cast<std::size_t>(row)];
}

const Layout::Control* Built::rowOf(HWND control) const {
    const auto at = std::find(rows.begin(), rows.end(), control);
    return at == rows.end() ? nullptr : &(*table)[static_cast<std::size_t>(at - rows.begin())];
}

bool registerClasses(HINSTANCE instance) {
    WNDCLASSEXW skinned{};
    skinned.cbSize = sizeof skinned;
    skinned.lpfnWndProc = skinnedProc;
    skinned.hInstance = instance;
    skinned.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    skinned.lpszClassName = SkinnedClass;
    return RegisterClassExW(&skinned) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool build(HWND window, const std::vector<Layout::Control>& table, UINT dpi, Colours::Colour ground, Built& built) {
    built = Built{};
    built.table = &table;
    built.toolTips = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0,
                                     window, nullptr, GetModuleHandleW(nullptr), nullptr);
    for (std::size_t row = 0; row < table.size(); ++row) {
        const Layout::Control& control = table[row];
        HWND parent = window;
        for (std::size_t earlier = 0; earlier < row; ++earlier) {
            if (std::string_view(table[earlier].name) == control.parent)
                parent = built.rows[earlier];
        }
        HWND hwnd = create(parent, control, FirstId + static_cast<int>(row), dpi, groundOf(table, control, ground));
        if (!hwnd) {
            destroy(built);
            return false;
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

void acceptFileDrops(HWND box) {
    DragAcceptFiles(box, TRUE);
    SetWindowSubclass(box, forwarderProc, ForwarderId, TakesDrops);
}

void setPainter(HWND control, Painter painter) {
    if (State* state = stateOf(control))
        state->painter = std::move(painter);
}

void setPressed(HWND control, bool pressed) {
    State* state = stateOf(control);
    if (!state || state->pressed == pressed)
        return;
    state->pressed = pressed;
    InvalidateRect(control, nullptr, FALSE);
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
    std::vector<std::pair<int, HWND>> order;
    for (std::size_t row = 0; row < built.rows.size(); ++row) {
        if ((*built.table)[row].tabPlace >= 0)
            order.emplace_back((*built.table)[row].tabPlace, built.rows[row]);
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
