#include "win32/frmMain.h"

#include "app/CFileDialog.h"
#include "app/Layout.h"
#include "app/MainWindow.h"
#include "app/Messages.h"
#include "app/ProgressPicture.h"
#include "win32/Text.h"
#include "win32/WinFileDialogBackend.h"
#include "win32/frmAbout.h"
#include "win32/resource.h"

#include <cmath>
#include <utility>
#include <vector>

namespace {

constexpr wchar_t ClassName[] = L"ZarvelMain";
// Posted by the worker's end callback; the run's result is collected on the window's thread.
constexpr UINT WM_RUN_ENDED = WM_APP + 1;
constexpr UINT_PTR FrameTimer = 1;
constexpr UINT FrameMilliseconds = 16;

std::wstring textOf(HWND control) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)), L'\0');
    GetWindowTextW(control, text.data(), static_cast<int>(text.size() + 1));
    return text;
}

} // namespace

void frmMain::registerClass(HINSTANCE instance) {
    WNDCLASSEXW window{};
    window.cbSize = sizeof window;
    window.lpfnWndProc = windowProc;
    window.hInstance = instance;
    window.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_ZARVEL));
    window.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    window.hbrBackground = CreateSolidBrush(Controls::Silver); // lives as long as the class
    window.lpszClassName = ClassName;
    RegisterClassExW(&window);
    Controls::registerClasses(instance);
}

frmMain::frmMain(WorkerRun::Engine engine)
    : m_run(std::move(engine), [this] { PostMessageW(m_endTarget.load(), WM_RUN_ENDED, 0, 0); }) {
    m_dpi = GetDpiForSystem();
    RECT frame{0, 0, Controls::scaled(MainWindow::InnerWidth, m_dpi), Controls::scaled(MainWindow::InnerHeight, m_dpi)};
    const DWORD style = WS_POPUP | WS_CLIPCHILDREN | WS_SYSMENU | WS_MINIMIZEBOX;
    AdjustWindowRectExForDpi(&frame, style, FALSE, 0, m_dpi);
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    CreateWindowExW(0, ClassName, Text::wide(MainWindow::Title).c_str(), style,
                    work.left + (work.right - work.left - width) / 2, work.top + (work.bottom - work.top - height) / 2,
                    width, height, nullptr, nullptr, GetModuleHandleW(nullptr), this);
}

frmMain::~frmMain() {
    if (m_run.isRunning())
        m_run.requestStop();
    if (IsWindow(m_hwnd))
        DestroyWindow(m_hwnd);
}

LRESULT CALLBACK frmMain::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<frmMain*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->m_hwnd = hwnd;
        self->m_endTarget = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<frmMain*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    return self ? self->handle(message, wParam, lParam) : DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT frmMain::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        onCreate();
        return 0;
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED && lParam)
            onCommand(reinterpret_cast<HWND>(lParam));
        return 0;
    case WM_LBUTTONDOWN:
        onSurfacePressed();
        return 0;
    case WM_TIMER:
        if (wParam == FrameTimer)
            onFrame();
        return 0;
    case WM_RUN_ENDED:
        onRunEnded();
        return 0;
    case WM_CLOSE:
        onClose();
        return 0;
    case WM_DPICHANGED:
        onDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_DESTROY:
        KillTimer(m_hwnd, FrameTimer);
        PostQuitMessage(0);
        return 0;
    case WM_NCDESTROY:
        SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, 0);
        m_hwnd = nullptr;
        return 0;
    }
    return DefWindowProcW(m_hwnd, message, wParam, lParam);
}

void frmMain::onCreate() {
    m_controls = Controls::build(m_hwnd, Layout::mainWindow(), m_dpi);
    styleControls();
    spProg(0);
    SetFocus(control("picCHolder_0"));
}

void frmMain::onDpiChanged(UINT dpi, const RECT& suggested) {
    // On a screen of another density the controls are made again at its size and with its art; what the user
    // typed, the mode, the bar and a running run's disabled button carry over.
    std::vector<std::pair<const char*, std::wstring>> texts;
    for (const char* box : {"txtSFName", "txtSegSize", "txtSegfname"})
        texts.emplace_back(box, textOf(control(box)));
    for (HWND hwnd : m_controls.inTableOrder) {
        if (GetParent(hwnd) == m_hwnd)
            DestroyWindow(hwnd);
    }
    DestroyWindow(m_controls.toolTips);
    m_dpi = dpi;
    m_canvas.reset();
    m_controls = Controls::build(m_hwnd, Layout::mainWindow(), m_dpi);
    styleControls();
    for (const auto& [box, text] : texts)
        SetWindowTextW(control(box), text.c_str());
    if (m_iMode == Mode::Join)
        imgTab_Click(1);
    EnableWindow(control("Picture4"), !m_run.isRunning());
    spProg(m_percent);
    SetWindowPos(m_hwnd, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void frmMain::styleControls() {
    Controls::Look clickable;
    clickable.clickable = true;
    for (const char* name : {"imgExit", "imgInfo", "imgTab_0", "imgTab_1"})
        Controls::setLook(control(name), clickable);
    Controls::Look panel;
    panel.border = true;
    Controls::setLook(control("picCHolder_0"), panel);
    Controls::setLook(control("picCHolder_1"), panel);
    Controls::setLook(control("picProgress"), panel);
    Controls::setPainter(control("picProgress"), [this](HDC dc, const RECT&) {
        BITMAP info{};
        GetObjectW(m_canvas.get(), sizeof info, &info);
        Gdi::MemoryDc canvas(dc);
        Gdi::Selected selected(canvas.get(), m_canvas.get());
        BitBlt(dc, 1, 1, info.bmWidth, info.bmHeight, canvas.get(), 0, 0, SRCCOPY);
    });
    Controls::Look browse;
    browse.back = Controls::LightGrey;
    browse.pressedBack = Controls::Silver;
    browse.border = true;
    browse.clickable = true;
    for (const char* name : {"lblBrowse", "lblSBrowse"})
        Controls::setLook(control(name), browse);
    Controls::acceptFileDrops(control("txtSFName"));
    Controls::acceptFileDrops(control("txtSegfname"));
    Controls::Look start;
    start.clickable = true;
    start.cursor = IDC_UPARROW;
    Controls::setLook(control("Picture4"), start);
}

bool frmMain::preTranslate(const MSG& message) {
    if (message.message != WM_KEYDOWN || message.wParam != VK_TAB || !m_hwnd)
        return false;
    if (message.hwnd != m_hwnd && !IsChild(m_hwnd, message.hwnd))
        return false;
    return Controls::moveFocus(Layout::mainWindow(), m_controls, GetKeyState(VK_SHIFT) < 0);
}

void frmMain::onCommand(HWND from) {
    if (from == control("imgTab_0") || from == control("imgTab_1"))
        imgTab_Click(from == control("imgTab_0") ? 0 : 1);
    else if (from == control("imgInfo"))
        imgInfo_Click();
    else if (from == control("imgExit"))
        PostMessageW(m_hwnd, WM_CLOSE, 0, 0);
    else if (from == control("lblBrowse"))
        browseInto(control("txtSFName"));
    else if (from == control("lblSBrowse"))
        browseInto(control("txtSegfname"));
    else if (from == control("Picture4"))
        Picture4_Click();
}

void frmMain::onSurfacePressed() {
    // The window has no title bar: a press on its surface is taken as one on the caption, and the system moves it.
    ReleaseCapture();
    SendMessageW(m_hwnd, WM_NCLBUTTONDOWN, HTCAPTION, 0);
}

void frmMain::bringToFront(HWND hwnd) {
    if (!Controls::isLightweight(hwnd)) {
        SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        return;
    }
    // Just under the lowest true window among its siblings, above every other label and image.
    HWND lowest = nullptr;
    for (HWND sibling = GetWindow(GetParent(hwnd), GW_CHILD); sibling; sibling = GetWindow(sibling, GW_HWNDNEXT)) {
        if (sibling != hwnd && !Controls::isLightweight(sibling))
            lowest = sibling;
    }
    SetWindowPos(hwnd, lowest ? lowest : HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    InvalidateRect(hwnd, nullptr, FALSE);
}

void frmMain::imgTab_Click(int index) {
    m_iMode = modeOfTab(index);
    bringToFront(control(index == 0 ? "picCHolder_0" : "picCHolder_1"));
    bringToFront(control(index == 0 ? "imgTab_0" : "imgTab_1"));
}

void frmMain::imgInfo_Click() {
    frmAbout::showModal(m_hwnd, m_dpi);
}

void frmMain::browseInto(HWND box) {
    // A new dialog per click, so nothing of an earlier choice is carried into this one.
    CFileDialog dialog(std::make_shared<WinFileDialogBackend>());
    dialog.setDialogTitle(MainWindow::BrowseTitle);
    dialog.setFilter(MainWindow::BrowseFilter);
    dialog.setFilterIndex(0);
    dialog.setFlags(static_cast<std::int32_t>(OpenFileNameFlags::BrowseForFile));
    dialog.setHWndParent(reinterpret_cast<std::uintptr_t>(m_hwnd));
    if (dialog.Show(true))
        SetWindowTextW(box, Text::wide(dialog.FileName()).c_str());
}

void frmMain::Picture4_Click() {
    // The mode and the boxes are read once, here. The button stays off until the box is closed, so the engine
    // is never entered twice.
    EnableWindow(control("Picture4"), FALSE);
    const WorkerRun::Request request{m_iMode, Text::rules(textOf(control("txtSFName"))),
                                     Text::rules(textOf(control("txtSegSize"))),
                                     Text::rules(textOf(control("txtSegfname")))};
    if (!m_run.start(request)) {
        EnableWindow(control("Picture4"), TRUE);
        return;
    }
    SetTimer(m_hwnd, FrameTimer, FrameMilliseconds, nullptr);
}

void frmMain::onFrame() {
    if (const auto percent = m_run.newProgress())
        spProg(*percent);
}

void frmMain::onRunEnded() {
    onFrame();
    const auto result = m_run.finish();
    if (!result)
        return;
    KillTimer(m_hwnd, FrameTimer);
    // A run stopped by a close has nothing left to tell: the user asked the window to go.
    if (std::exchange(m_closedInRun, false)) {
        DestroyWindow(m_hwnd);
        return;
    }
    MessageBoxW(m_hwnd, Text::wide(Messages::prompt(result->outcome, result->pieceCount)).c_str(),
                Text::wide(Messages::title(result->outcome)).c_str(), MB_OK | MB_ICONEXCLAMATION);
    EnableWindow(control("Picture4"), TRUE);
}

void frmMain::onClose() {
    // The exit goes at once, even in the middle of a run: the engine stops at its next block and cleans up
    // behind the hidden window, which goes only once it has.
    if (m_run.isRunning()) {
        m_run.requestStop();
        m_closedInRun = true;
        ShowWindow(m_hwnd, SW_HIDE);
        return;
    }
    DestroyWindow(m_hwnd);
}

void frmMain::spProg(std::int16_t percent) {
    m_percent = percent;
    drawProgress(percent);
    InvalidateRect(control("picProgress"), nullptr, FALSE);
}

void frmMain::drawProgress(std::int16_t percent) {
    RECT box{};
    GetClientRect(control("picProgress"), &box);
    const int width = box.right - 2, height = box.bottom - 2; // inside the one-pixel border
    HDC screen = GetDC(m_hwnd);
    if (!m_canvas)
        m_canvas.reset(CreateCompatibleBitmap(screen, width, height));
    Gdi::MemoryDc dc(screen);
    ReleaseDC(m_hwnd, screen);
    Gdi::Selected canvas(dc.get(), m_canvas.get());
    const RECT all{0, 0, width, height};
    Gdi::Brush silver(CreateSolidBrush(Controls::Silver));
    FillRect(dc.get(), &all, silver.get());

    // The bar ends on the screen pixel that contains its end, whatever the density.
    const ProgressPicture picture = ProgressPicture::of(percent);
    const auto device = [this](int logical) { return Controls::scaled(logical, m_dpi); };
    const int right = static_cast<int>(std::floor(picture.barRight * static_cast<float>(m_dpi) / 96.0f));
    const RECT bar{device(picture.barLeft), device(picture.barTop), right + 1, device(picture.barBottom + 1)};
    Gdi::Brush grey(CreateSolidBrush(Controls::MidGrey));
    FillRect(dc.get(), &bar, grey.get());
    const RECT frame{device(picture.frameLeft), device(picture.frameTop), device(picture.frameRight + 1),
                     device(picture.frameBottom + 1)};
    FrameRect(dc.get(), &frame, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));

    Gdi::Selected font(dc.get(), Controls::font(m_dpi));
    SetBkMode(dc.get(), TRANSPARENT);
    SetTextColor(dc.get(), GetSysColor(COLOR_WINDOWTEXT));
    SetTextAlign(dc.get(), TA_TOP | TA_LEFT);
    const std::wstring text = Text::wide(picture.text);
    TextOutW(dc.get(), device(picture.textLeft), device(picture.textTop), text.c_str(), static_cast<int>(text.size()));
}
