#include "win32/frmMain.h"

#include "app/Layout.h"
#include "app/MainWindow.h"
#include "app/Messages.h"
#include "app/ProgressPicture.h"
#include "win32/ControlMessages.h"
#include "win32/Fonts.h"
#include "win32/Text.h"
#include "win32/UiState.h"
#include "win32/WinFileDialogBackend.h"
#include "win32/frmAbout.h"
#include "win32/resource.h"

#include <cstdio>
#include <utility>

using Layout::MainControl;

namespace {

constexpr wchar_t ClassName[] = L"ZarvelMain";
constexpr DWORD Style = WS_POPUP | WS_CLIPCHILDREN | WS_SYSMENU | WS_MINIMIZEBOX;
// Posted by the worker when a run has ended: only a sooner frame.
constexpr UINT WM_RUN_WAKE = WM_APP + 1;
// Posted by close(): the window goes once the control that asked for it has returned.
constexpr UINT WM_CLOSE_NOW = WM_APP + 2;
constexpr UINT_PTR FrameTimer = 1;

// A program without a console has no standard error to read: the line also goes to a debugger.
void writeFailureLine(const std::string& text) {
    // A GUI program's standard error is a file or a pipe when it is anything, and the runtime buffers it then:
    // the line must be there at once, not when the program ends.
    std::fputs(text.c_str(), stderr);
    std::fflush(stderr);
    OutputDebugStringW(Text::wide(text).c_str());
}

RECT centredFrame(UINT dpi) {
    RECT frame{0, 0, Controls::scaled(MainWindow::InnerWidth, dpi), Controls::scaled(MainWindow::InnerHeight, dpi)};
    AdjustWindowRectExForDpi(&frame, Style, FALSE, 0, dpi);
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    const int left = work.left + (work.right - work.left - width) / 2;
    const int top = work.top + (work.bottom - work.top - height) / 2;
    return RECT{left, top, left + width, top + height};
}

UINT boxStyle() {
    UINT style = 0;
    switch (Messages::BoxIcon) {
    case Messages::Icon::Warning:
        style |= MB_ICONEXCLAMATION;
        break;
    }
    switch (Messages::BoxButtons) {
    case Messages::Buttons::Ok:
        style |= MB_OK;
        break;
    }
    return style;
}

} // namespace

bool frmMain::registerClass(HINSTANCE instance) {
    WNDCLASSEXW window{};
    window.hInstance = instance;
    window.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_ZARVEL));
    window.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    window.hbrBackground = CreateSolidBrush(Controls::colour(Colours::Silver)); // lives as long as the class
    window.lpszClassName = ClassName;
    return BaseWindow::registerClass(window) && Controls::registerClasses(instance);
}

bool frmMain::systemShowsCues() {
    BOOL always = FALSE;
    return SystemParametersInfoW(SPI_GETKEYBOARDCUES, 0, &always, 0) && always;
}

frmMain::frmMain(WorkerRun::Engine engine, bool cuesAlways, TaskbarButton::Factory taskbar,
                 AccessibleValue::Tell accessible)
    : m_cuesAlways(cuesAlways), m_taskbar(std::move(taskbar)), m_progressValue(std::move(accessible)),
      m_form(
          *this, {std::move(engine), [] { return std::make_shared<WinFileDialogBackend>(); }, &writeFailureLine},
          [this] { PostMessageW(m_wakeTarget.load(), WM_RUN_WAKE, 0, 0); }, cuesAlways) {
    m_dpi = GetDpiForSystem();
    if (create(0, ClassName, Text::wide(MainWindow::Title).c_str(), Style, centredFrame(m_dpi), nullptr))
        m_wakeTarget = m_hwnd;
}

frmMain::~frmMain() {
    m_form.endSession();
    if (m_hwnd)
        DestroyWindow(m_hwnd);
}

bool frmMain::buildControls() {
    if (!Controls::build(m_hwnd, Layout::mainWindow(), m_dpi, Colours::Silver, m_controls))
        return false;
    Controls::setPainter(control(MainControl::picProgress), [this](HDC dc, const RECT&) { paintProgress(dc); });
    UiState::apply(m_hwnd, m_form.focus().cuesShown());
    return true;
}

LRESULT frmMain::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    // Registered at run time, so not a case label: Explorer made (or made again) the window's button.
    if (message == TaskbarButton::createdMessage()) {
        m_taskbar.created(m_hwnd);
        return 0;
    }
    if (const auto handled = ControlMessages::dispatch<MainControl>(m_form, m_controls, message, wParam, lParam))
        return *handled;
    switch (message) {
    case WM_CREATE:
        if (!buildControls())
            return -1;
        m_form.load();
        return 0;
    case Controls::WM_CONTROL_DROP:
        if (const auto box = Controls::controlOfId<MainControl>(wParam))
            m_form.dropped(*box, *reinterpret_cast<const std::vector<std::u16string>*>(lParam));
        return 0;
    case WM_LBUTTONDOWN:
        // The window has no title bar: a press on its surface is taken as one on the caption, and the system
        // moves it.
        ReleaseCapture();
        SendMessageW(m_hwnd, WM_NCLBUTTONDOWN, HTCAPTION, 0);
        return 0;
    case WM_TIMER:
    case WM_RUN_WAKE:
        m_form.frame();
        return 0;
    case WM_ACTIVATE:
        return onActivate(wParam, lParam);
    case WM_CLOSE:
        if (m_form.closeRequested())
            DestroyWindow(m_hwnd);
        return 0;
    case WM_CLOSE_NOW:
        DestroyWindow(m_hwnd);
        return 0;
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_ENDSESSION:
        if (wParam)
            onEndSession();
        return 0;
    case WM_DPICHANGED:
        onDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_DESTROY:
        KillTimer(m_hwnd, FrameTimer);
        m_wakeTarget = nullptr;
        PostQuitMessage(0);
        return 0;
    }
    return defaultHandling(message, wParam, lParam);
}

LRESULT frmMain::onActivate(WPARAM wParam, LPARAM lParam) {
    if (LOWORD(wParam) != WA_INACTIVE && !HIWORD(wParam)) {
        m_form.activated();
        // Where the rules gave the focus to no control, the window keeps it, so that keys still arrive.
        if (IsChild(m_hwnd, GetFocus()))
            return 0;
    }
    return defaultHandling(WM_ACTIVATE, wParam, lParam);
}

void frmMain::onEndSession() {
    // Windows may end the process once this returns: the engine's files must be cleaned up by then.
    m_form.endSession();
    DestroyWindow(m_hwnd);
}

void frmMain::onDpiChanged(UINT dpi, const RECT& suggested) {
    // On a screen of another density the controls are made again at its size and with its art; what the user
    // typed, the mode, the bar and a running run's disabled button carry over.
    std::vector<std::pair<MainControl, std::u16string>> texts;
    for (const MainControl box : {MainControl::txtSFName, MainControl::txtSegSize, MainControl::txtSegfname})
        texts.emplace_back(box, text(box));
    Controls::destroy(m_controls);
    m_dpi = dpi;
    m_canvas.reset();
    if (!buildControls()) {
        DestroyWindow(m_hwnd);
        return;
    }
    for (const auto& [box, typed] : texts)
        setText(box, typed);
    for (const auto& [container, order] : m_stacks)
        stack(order);
    EnableWindow(control(MainControl::Picture4), m_form.isEnabled(MainControl::Picture4));
    spProg(m_percent);
    SetWindowPos(m_hwnd, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    m_form.activated();
}

std::u16string frmMain::text(MainControl box) const {
    HWND hwnd = control(box);
    std::wstring typed(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)), L'\0');
    GetWindowTextW(hwnd, typed.data(), static_cast<int>(typed.size() + 1));
    return Text::rules(typed);
}

void frmMain::setText(MainControl box, const std::u16string& text) {
    SetWindowTextW(control(box), Text::wide(text).c_str());
}

void frmMain::setEnabled(MainControl control, bool enabled) {
    EnableWindow(this->control(control), enabled);
}

void frmMain::stack(const std::vector<MainControl>& lowestFirst) {
    if (lowestFirst.empty())
        return;
    m_stacks[Layout::of(lowestFirst.front()).parent] = lowestFirst;
    for (const MainControl name : lowestFirst)
        SetWindowPos(control(name), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void frmMain::setPressed(MainControl control, bool pressed) {
    Controls::setPressed(this->control(control), pressed);
}

void frmMain::focus(MainControl control) {
    SetFocus(this->control(control));
}

bool frmMain::isShown(MainControl control) const {
    return IsWindowVisible(this->control(control));
}

void frmMain::selectAll(MainControl box) {
    SendMessageW(control(box), EM_SETSEL, 0, -1);
}

void frmMain::showCues() {
    UiState::apply(m_hwnd, true);
}

void frmMain::runFrames(bool on) {
    if (on)
        SetTimer(m_hwnd, FrameTimer, MainWindow::FrameMilliseconds, nullptr);
    else
        KillTimer(m_hwnd, FrameTimer);
}

void frmMain::showBox(Messages::Outcome outcome, std::int16_t count) {
    MessageBoxW(m_hwnd, Text::wide(Messages::prompt(outcome, count)).c_str(),
                Text::wide(Messages::title(outcome)).c_str(), boxStyle());
}

void frmMain::showAbout() {
    frmAbout about(m_hwnd, m_dpi, m_cuesAlways);
    about.showModal();
}

void frmMain::hide() {
    ShowWindow(m_hwnd, SW_HIDE);
}

void frmMain::close() {
    PostMessageW(m_hwnd, WM_CLOSE_NOW, 0, 0);
}

void frmMain::spProg(std::int16_t percent) {
    m_percent = percent;
    drawCanvas(percent);
    InvalidateRect(control(MainControl::picProgress), nullptr, FALSE);
    m_progressValue.show(control(MainControl::picProgress), percent);
}

void frmMain::paintProgress(HDC dc) {
    BITMAP info{};
    GetObjectW(m_canvas.get(), sizeof info, &info);
    Gdi::MemoryDc canvas(dc);
    Gdi::Selected selected(canvas.get(), m_canvas.get());
    const int border = Controls::scaled(Layout::borderWidth(Layout::of(MainControl::picProgress).look.border), m_dpi);
    BitBlt(dc, border, border, info.bmWidth, info.bmHeight, canvas.get(), 0, 0, SRCCOPY);
}

void frmMain::drawCanvas(std::int16_t percent) {
    const Layout::Look& look = Layout::of(MainControl::picProgress).look;
    RECT box{};
    GetClientRect(control(MainControl::picProgress), &box);
    const int border = Controls::scaled(Layout::borderWidth(look.border), m_dpi);
    const int width = box.right - 2 * border, height = box.bottom - 2 * border;
    Gdi::WindowDc screen(m_hwnd);
    if (!m_canvas)
        m_canvas.reset(CreateCompatibleBitmap(screen.get(), width, height));
    Gdi::MemoryDc dc(screen.get());
    Gdi::Selected canvas(dc.get(), m_canvas.get());
    const RECT all{0, 0, width, height};
    Gdi::Brush back(CreateSolidBrush(Controls::colour(look.back)));
    FillRect(dc.get(), &all, back.get());

    const ProgressPicture picture = ProgressPicture::of(percent);
    const auto device = [this](int logical) { return Controls::scaled(logical, m_dpi); };
    const ProgressPicture::DeviceRect shown = picture.barAt(m_dpi / 96.0);
    const RECT bar{shown.left, shown.top, shown.right, shown.bottom};
    Gdi::Brush grey(CreateSolidBrush(Controls::colour(Colours::MidGrey)));
    FillRect(dc.get(), &bar, grey.get());
    const RECT frame{device(picture.frameLeft), device(picture.frameTop), device(picture.frameRight + 1),
                     device(picture.frameBottom + 1)};
    FrameRect(dc.get(), &frame, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));

    Gdi::Selected font(dc.get(), Fonts::window(m_dpi));
    SetBkMode(dc.get(), TRANSPARENT);
    SetTextColor(dc.get(), Controls::colour(look.fore));
    SetTextAlign(dc.get(), TA_TOP | TA_LEFT);
    const std::wstring text = Text::wide(picture.text);
    TextOutW(dc.get(), device(picture.textLeft), device(picture.textTop), text.c_str(), static_cast<int>(text.size()));
}
