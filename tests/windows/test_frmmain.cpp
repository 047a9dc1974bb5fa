// The Windows face driven by window messages under Wine: what a face can break on its own (places, drawing,
// messages, the run), over rules that app/'s own tests cover.
#include "app/Layout.h"
#include "app/Messages.h"
#include "app/WideText.h"
#include "app/support/Behaviours.h"
#include "engine/PieceNames.h"
#include "win32/Controls.h"
#include "win32/frmAbout.h"
#include "win32/frmMain.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <shlobj.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace {

using Layout::AboutControl;
using Layout::MainControl;
using enum Layout::MainControl;

std::wstring wide(const std::string& utf8) {
    const std::u16string text = WideText::fromUtf8(utf8);
    return std::wstring(text.begin(), text.end());
}

std::wstring textOf(HWND control) {
    wchar_t text[512] = {};
    GetWindowTextW(control, text, 512);
    return text;
}

void pump() {
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

template <class Done> bool pumpUntil(Done done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        pump();
        Sleep(5);
    }
    return true;
}

void click(HWND control, UINT down = WM_LBUTTONDOWN) {
    SendMessageW(control, down, 0, MAKELPARAM(3, 3));
    SendMessageW(control, down + 1, 0, MAKELPARAM(3, 3));
}

// The mode by what the user sees: the panel in front.
Mode frontMode(const frmMain& window) {
    for (HWND w = GetWindow(window.control(picCHolder_1), GW_HWNDNEXT); w; w = GetWindow(w, GW_HWNDNEXT)) {
        if (w == window.control(picCHolder_0))
            return Mode::Join;
    }
    return Mode::Split;
}

HWND focusNow() {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetCurrentThreadId(), &info);
    return info.hwndFocus;
}

bool cuesShown(HWND window) {
    return (SendMessageW(window, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) == 0;
}

// The dotted frame on a panel, read from the screen: some pixel of its first inner row is not its ground.
bool frameDrawn(HWND panel) {
    RedrawWindow(GetAncestor(panel, GA_ROOT), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    HDC dc = GetDC(panel);
    bool drawn = false;
    for (int x = 1; x < 8; ++x)
        drawn = drawn || GetPixel(dc, x, 1) != RGB(192, 192, 192);
    ReleaseDC(panel, dc);
    return drawn;
}

// A key as the keyboard gives it: posted to the focused control, Ctrl and Shift in the thread's key state.
void pressKey(const Keys::Press& press) {
    const WPARAM key = press.key == Keys::Key::Space ? VK_SPACE : press.key == Keys::Key::Enter ? VK_RETURN : VK_TAB;
    BYTE state[256] = {};
    state[VK_CONTROL] = press.ctrl ? 0x80 : 0;
    state[VK_SHIFT] = press.shift ? 0x80 : 0;
    SetKeyboardState(state);
    PostMessageW(GetFocus(), WM_KEYDOWN, key, 1 | (press.repeat ? 1 << 30 : 0));
    pump();
    const BYTE released[256] = {};
    SetKeyboardState(const_cast<BYTE*>(released));
}

template <class Find> HWND waitFor(Find find) {
    for (int tries = 0; tries < 3000; ++tries) {
        if (HWND found = find())
            return found;
        Sleep(10);
    }
    return nullptr;
}

// A folder of its own with a file of `size` bytes in it, gone with the object.
struct Folder {
    std::filesystem::path path;
    std::filesystem::path source;
    std::string bytes;

    Folder(const wchar_t* name, std::size_t size) : bytes(size, '\0') {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        path = std::filesystem::path(temp) / name;
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
        source = path / L"data.bin";
        for (std::size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = static_cast<char>(i * 7 + i / 251);
        std::ofstream(source, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    ~Folder() { std::filesystem::remove_all(path); }
    std::vector<std::wstring> names() const {
        std::vector<std::wstring> found;
        for (const auto& entry : std::filesystem::directory_iterator(path))
            found.push_back(entry.path().filename().wstring());
        return found;
    }
};

BOOL CALLBACK collectStatic(HWND child, LPARAM into) {
    wchar_t kind[16] = {};
    GetClassNameW(child, kind, 16);
    if (lstrcmpiW(kind, L"Static") == 0 && GetWindowTextLengthW(child) > 0)
        *reinterpret_cast<std::wstring*>(into) += textOf(child);
    return TRUE;
}

// Clicks the start button, then reads the box that ends the run and closes it by a message, as a user's OK.
std::wstring startAndAnswer(frmMain& window, const std::string& boxTitle) {
    std::wstring text;
    std::atomic<bool> answered{false};
    std::thread answerer([&] {
        const std::wstring title = wide(boxTitle);
        for (int tries = 0; tries < 3000 && !answered; ++tries) {
            if (HWND box = FindWindowW(L"#32770", title.c_str())) {
                EnumChildWindows(box, collectStatic, reinterpret_cast<LPARAM>(&text));
                PostMessageW(box, WM_COMMAND, IDOK, 0);
                answered = true;
            }
            Sleep(20);
        }
    });
    click(window.control(Picture4));
    EXPECT_TRUE(pumpUntil([&] { return answered && IsWindowEnabled(window.control(Picture4)); }));
    answered = true;
    answerer.join();
    return text;
}

class FrmMainTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        frmMain::registerClass(GetModuleHandleW(nullptr));
        frmAbout::registerClass(GetModuleHandleW(nullptr));
    }
    void SetUp() override {
        // The quit an earlier test's window posted as it went would end the next box's loop at once.
        pump();
        MSG quit{};
        while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
        ShowWindow(window.hwnd(), SW_SHOW);
    }

    frmMain window;
};

TEST_F(FrmMainTest, EveryControlAtItsPlaceWithItsTextAndBorder) {
    ASSERT_EQ(window.dpi(), 96u);
    for (const MainControl id : Layout::controls<MainControl>()) {
        const Layout::Control& control = Layout::of(id);
        SCOPED_TRACE(control.name);
        HWND hwnd = window.control(id);
        RECT place{};
        GetWindowRect(hwnd, &place);
        MapWindowPoints(nullptr, GetParent(hwnd), reinterpret_cast<POINT*>(&place), 2);
        const int inPanel = control.parent == Layout::OnWindow ? 0 : 1; // inside the panel's border
        EXPECT_EQ(place.left, Layout::px(control.place.left) + inPanel);
        EXPECT_EQ(place.top, Layout::px(control.place.top) + inPanel);
        EXPECT_EQ(place.right - place.left, Layout::px(control.place.width));
        EXPECT_EQ(place.bottom - place.top, Layout::px(control.place.height));
        if (control.kind == Layout::Kind::TextBox || control.kind == Layout::Kind::Label) {
            EXPECT_EQ(textOf(hwnd), wide(control.text));
        }
        // A flat box: one line, then the box's own ground. A themed sunken edge looks alike, so its style is read.
        if (control.kind == Layout::Kind::TextBox && control.look.border == Layout::Border::Flat) {
            EXPECT_EQ(GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0);
            if (control.parent == int(Layout::rowOf(picCHolder_0))) {
                RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
                HDC dc = GetWindowDC(hwnd);
                EXPECT_EQ(GetPixel(dc, 1, 5), GetSysColor(COLOR_WINDOW));
                ReleaseDC(hwnd, dc);
            }
        }
    }
}

// The split panel's border is one pixel of the design, unbroken at every density: its controls lie inside it.
TEST_F(FrmMainTest, AnotherDensityRemakesTheControlsKeepingTheirTexts) {
    const auto expectWholeBorder = [this](int thickness) {
        HWND panel = window.control(picCHolder_0);
        RedrawWindow(panel, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        RECT inside{};
        GetClientRect(panel, &inside);
        HDC dc = GetDC(panel);
        for (int y = inside.bottom - thickness; y < inside.bottom; ++y)
            for (int x = 0; x < inside.right; ++x)
                EXPECT_EQ(GetPixel(dc, x, y), RGB(0, 0, 0)) << thickness << ": " << x << "," << y;
        ReleaseDC(panel, dc);
    };
    expectWholeBorder(1);
    click(window.control(imgTab_1));
    SetWindowTextW(window.control(txtSegfname), L"C:\\kept.001");
    RECT suggested{0, 0, 2 * 289, 2 * 148};
    SendMessageW(window.hwnd(), WM_DPICHANGED, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));
    const Layout::Control& box = Layout::of(txtSegfname);
    RECT place{};
    GetWindowRect(window.control(txtSegfname), &place);
    EXPECT_EQ(place.right - place.left, 2 * Layout::px(box.place.width));
    EXPECT_EQ(textOf(window.control(txtSegfname)), L"C:\\kept.001");
    EXPECT_EQ(frontMode(window), Mode::Join);
    click(window.control(imgTab_0));
    expectWholeBorder(2);
}

// Each row on a fresh window, by the messages the system sends for the mouse and the keyboard; what it shows
// afterwards is read from the system.
TEST_F(FrmMainTest, BehaviourRowsPlayedWithWindowMessages) {
    for (const Behaviours::Row& row : Behaviours::mainWindowRows()) {
        SCOPED_TRACE(row.name);
        frmMain fresh({}, false);
        ShowWindow(fresh.hwnd(), SW_SHOW);
        pump();
        HWND target = fresh.control(row.control);
        if (row.action == Behaviours::Action::Key) {
            SetFocus(target);
            pressKey(row.key);
        } else {
            click(target, row.action == Behaviours::Action::LeftClick ? WM_LBUTTONDOWN : WM_RBUTTONDOWN);
        }
        EXPECT_EQ(focusNow(), fresh.control(row.focusAfter));
        EXPECT_EQ(cuesShown(fresh.hwnd()), row.cuesAfter);
        EXPECT_EQ(frontMode(fresh), row.modeAfter);
        if (row.focusAfter == picCHolder_0 && row.modeAfter == Mode::Split) {
            EXPECT_EQ(frameDrawn(fresh.control(picCHolder_0)), row.cuesAfter);
        }
    }
}

TEST_F(FrmMainTest, DropTakesTheFirstFile) {
    const std::wstring files = std::wstring(L"C:\\in\\p\u0627\u0631.bin") + L'\0' + L"C:\\second.bin" + L'\0' + L'\0';
    for (const MainControl box : {txtSFName, txtSegfname}) {
        HGLOBAL drop = GlobalAlloc(GHND, sizeof(DROPFILES) + files.size() * sizeof(wchar_t));
        auto* header = static_cast<DROPFILES*>(GlobalLock(drop));
        header->pFiles = sizeof(DROPFILES);
        header->fWide = TRUE;
        memcpy(header + 1, files.data(), files.size() * sizeof(wchar_t));
        GlobalUnlock(drop);
        SendMessageW(window.control(box), WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
        EXPECT_EQ(textOf(window.control(box)), L"C:\\in\\p\u0627\u0631.bin") << Layout::of(box).name;
    }
}

TEST_F(FrmMainTest, ProgressDrawnAsTheBarOfItsPercentage) {
    struct Point {
        int percent, x, y;
        COLORREF colour;
    };
    constexpr COLORREF Grey = RGB(128, 128, 128), Silver = RGB(192, 192, 192), Black = RGB(0, 0, 0);
    const Point points[] = {{50, 60, 7, Grey},
                            {50, 107, 7, Grey},
                            {50, 108, 7, Silver},
                            {50, 184, 7, Black},
                            {50, 30, 2, Black},
                            {50, 60, 13, Silver},
                            {0, 60, 7, Silver},
                            {100, 183, 7, Grey},
                            // "100%" in the window's font stops short of the frame, whatever the system's face.
                            {100, 29, 4, Silver},
                            {100, 29, 7, Silver},
                            {100, 29, 10, Silver}};
    for (const Point& p : points) {
        window.spProg(static_cast<std::int16_t>(p.percent));
        HDC screen = GetDC(nullptr);
        HDC dc = CreateCompatibleDC(screen);
        ReleaseDC(nullptr, screen);
        HGDIOBJ previous = SelectObject(dc, window.progressCanvas());
        EXPECT_EQ(GetPixel(dc, p.x, p.y), p.colour) << p.percent << "% at " << p.x << "," << p.y;
        SelectObject(dc, previous);
        DeleteDC(dc);
    }
}

TEST_F(FrmMainTest, SplitThenJoinThroughTheStartButton) {
    const Folder folder(L"zarvel-frmmain-\u0641\u0627\u0626\u0644", 2'500'000);
    SetWindowTextW(window.control(txtSFName), folder.source.wstring().c_str());
    SetWindowTextW(window.control(txtSegSize), L"1");
    EXPECT_EQ(startAndAnswer(window, Messages::title(Messages::Outcome::SplitSuccess)),
              wide(Messages::prompt(Messages::Outcome::SplitSuccess, 3)));
    // The focus goes back to the button the click gave it to, not to the bare window.
    EXPECT_EQ(GetFocus(), window.control(Picture4));

    std::filesystem::remove(folder.source);
    click(window.control(imgTab_1));
    SetWindowTextW(window.control(txtSegfname), modFHand::PieceName(folder.source, 1).wstring().c_str());
    EXPECT_EQ(startAndAnswer(window, Messages::title(Messages::Outcome::JoinSuccess)),
              wide(Messages::prompt(Messages::Outcome::JoinSuccess, 3)));
    std::ifstream joined(folder.source, std::ios::binary);
    EXPECT_TRUE(std::string(std::istreambuf_iterator<char>(joined), {}) == folder.bytes);
}

TEST_F(FrmMainTest, CloseDuringARunStopsItAndGoesWithoutABox) {
    std::atomic<bool> stopped{false};
    WorkerRun::Engine engine;
    engine.split = [&](const std::filesystem::path&, std::int32_t, std::int16_t&, const modFHand::Hooks& hooks) {
        while (!hooks.stopRequested())
            Sleep(5);
        stopped = true;
        return modFHand::kFailure;
    };
    auto running = std::make_unique<frmMain>(engine);
    HWND hwnd = running->hwnd();
    ShowWindow(hwnd, SW_SHOW);
    SetWindowTextW(running->control(txtSFName), L"C:\\any.bin");
    SetWindowTextW(running->control(txtSegSize), L"1");
    click(running->control(Picture4));
    SendMessageW(hwnd, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindowVisible(hwnd));
    EXPECT_TRUE(pumpUntil([&] { return !IsWindow(hwnd); }));
    EXPECT_TRUE(stopped);
    EXPECT_FALSE(FindWindowW(L"#32770", nullptr));
}

// About over a run that ends while it is open: drawn on its own ground, modal until Alt+O closes it, and only
// then the run's box.
TEST_F(FrmMainTest, AboutStaysModalOverARunThatEndsAndClosesOnAltO) {
    std::atomic<bool> release{false}, returned{false};
    WorkerRun::Engine engine;
    engine.split = [&](const std::filesystem::path&, std::int32_t, std::int16_t& count, const modFHand::Hooks&) {
        while (!release)
            Sleep(5);
        count = 2;
        returned = true;
        return modFHand::kSuccess;
    };
    frmMain running(engine, false);
    ShowWindow(running.hwnd(), SW_SHOW);
    SetWindowTextW(running.control(txtSegSize), L"1");
    click(running.control(Picture4));
    const auto at = [](AboutControl control, int right, int below) {
        const Layout::Twips& place = Layout::of(control).place;
        return POINT{Layout::px(place.left + right), Layout::px(place.top + below)};
    };
    const std::pair<POINT, int> pixels[] = {
        {at(AboutControl::cmdOK, 30, 375), COLOR_ACTIVEBORDER},
        {at(AboutControl::Line1, 75, 0), COLOR_BTNSHADOW},
        {at(AboutControl::Label_3, 1920, 225), COLOR_ACTIVEBORDER}}; // past the link's text
    bool boxUnderAbout = true, ownerEnabled = true, closedByAltO = false;
    std::atomic<bool> done{false};
    std::thread user([&] {
        if (HWND about = waitFor([] {
                HWND open = FindWindowW(L"ZarvelAbout", nullptr);
                return open && IsWindowVisible(open) ? open : nullptr;
            })) {
            RedrawWindow(about, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
            HDC dc = GetDC(about);
            for (const auto& [point, colour] : pixels)
                EXPECT_EQ(GetPixel(dc, point.x, point.y), GetSysColor(colour)) << point.x << "," << point.y;
            ReleaseDC(about, dc);
            release = true;
            while (!returned)
                Sleep(5);
            DWORD_PTR ignored = 0; // the end reaches the window as a frame would bring it
            SendMessageTimeoutW(running.hwnd(), WM_TIMER, 1, 0, SMTO_NORMAL, 10000, &ignored);
            boxUnderAbout = FindWindowW(L"#32770", nullptr) != nullptr;
            ownerEnabled = IsWindowEnabled(running.hwnd());
            SendMessageW(FindWindowExW(about, nullptr, L"Button", nullptr), WM_SYSKEYDOWN, 'O', 1 | 1 << 29);
            for (int tries = 0; tries < 500 && IsWindow(about); ++tries)
                Sleep(10);
            closedByAltO = !IsWindow(about);
            if (!closedByAltO)
                PostMessageW(about, WM_CLOSE, 0, 0); // so that a failure ends the test rather than hangs it
        }
        const std::wstring title = wide(Messages::title(Messages::Outcome::SplitSuccess));
        if (HWND box = waitFor([&] { return FindWindowW(L"#32770", title.c_str()); }))
            PostMessageW(box, WM_COMMAND, IDOK, 0);
        done = true;
    });
    PostMessageW(running.control(imgInfo), WM_LBUTTONDOWN, 0, MAKELPARAM(3, 3));
    PostMessageW(running.control(imgInfo), WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    EXPECT_TRUE(pumpUntil([&] { return done && IsWindowEnabled(running.control(Picture4)); }));
    user.join();
    EXPECT_FALSE(boxUnderAbout);
    EXPECT_FALSE(ownerEnabled);
    EXPECT_TRUE(closedByAltO);
}

TEST_F(FrmMainTest, SessionEndDuringARunReturnsOnceTheEngineHasCleanedUp) {
    const Folder folder(L"zarvel-frmmain-session", 2'500'000);
    std::atomic<bool> writing{false}, returned{false};
    WorkerRun::Engine engine;
    engine.split = [&](const std::filesystem::path& path, std::int32_t size, std::int16_t& count,
                       const modFHand::Hooks& hooks) {
        // Held after its first block, a temporary piece open, until the run is asked to stop.
        modFHand::Hooks held = hooks;
        held.yield = [&] {
            writing = true;
            while (!hooks.stopRequested())
                Sleep(1);
        };
        const std::int16_t result = modFHand::SplitFile(path, size, count, held);
        returned = true;
        return result;
    };
    frmMain running(engine, false);
    ShowWindow(running.hwnd(), SW_SHOW);
    SetWindowTextW(running.control(txtSFName), folder.source.wstring().c_str());
    SetWindowTextW(running.control(txtSegSize), L"1");
    click(running.control(Picture4));
    ASSERT_TRUE(pumpUntil([&] { return writing.load(); }));
    ASSERT_GT(folder.names().size(), 1u);
    EXPECT_EQ(SendMessageW(running.hwnd(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
    SendMessageW(running.hwnd(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    EXPECT_TRUE(returned);
    EXPECT_EQ(folder.names(), std::vector<std::wstring>{L"data.bin"});
    EXPECT_FALSE(FindWindowW(L"#32770", nullptr));
}

// Records what the window asks of its taskbar button, in place of Explorer's taskbar that Wine lacks.
class RecordingTaskbar : public ITaskbarList3 {
public:
    struct Call {
        TBPFLAG state;
        ULONGLONG value; // the last value set with the state, or -1 for none yet
    };
    std::vector<Call> calls;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_references; }
    ULONG STDMETHODCALLTYPE Release() override { return --m_references; }
    HRESULT STDMETHODCALLTYPE SetProgressState(HWND, TBPFLAG state) override {
        calls.push_back({state, ULONGLONG(-1)});
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetProgressValue(HWND, ULONGLONG done, ULONGLONG) override {
        calls.back().value = done;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE HrInit() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE AddTab(HWND) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DeleteTab(HWND) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ActivateTab(HWND) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetActiveAlt(HWND) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE MarkFullscreenWindow(HWND, BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RegisterTab(HWND, HWND) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE UnregisterTab(HWND) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetTabOrder(HWND, HWND) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetTabActive(HWND, HWND, DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ThumbBarAddButtons(HWND, UINT, LPTHUMBBUTTON) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ThumbBarUpdateButtons(HWND, UINT, LPTHUMBBUTTON) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ThumbBarSetImageList(HWND, HIMAGELIST) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetOverlayIcon(HWND, HICON, LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetThumbnailTooltip(HWND, LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetThumbnailClip(HWND, RECT*) override { return S_OK; }

private:
    ULONG m_references = 1;
};

// A failed join on the taskbar button: rising values, the error until its box is answered, then nothing; and a
// button made again (Explorer restarted) mid-run gets the state at once.
TEST_F(FrmMainTest, TaskbarButtonFollowsTheRun) {
    RecordingTaskbar taskbar;
    std::atomic<int> step{0};
    WorkerRun::Engine engine;
    engine.join = [&](const std::filesystem::path&, std::int16_t&, const modFHand::Hooks& hooks) {
        for (const std::int16_t percent : {10, 60}) {
            hooks.progress(percent);
            while (step < percent)
                Sleep(1);
        }
        return modFHand::kFailure;
    };
    frmMain running(engine, false, [&] {
        taskbar.AddRef();
        return &taskbar;
    });
    ShowWindow(running.hwnd(), SW_SHOW);
    SendMessageW(running.hwnd(), TaskbarButton::createdMessage(), 0, 0);
    click(running.control(imgTab_1));
    std::vector<RecordingTaskbar::Call> atTheBox;
    std::thread answerer([&] {
        HWND box = waitFor([] { return FindWindowW(L"#32770", nullptr); });
        atTheBox = taskbar.calls;
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    click(running.control(Picture4));
    EXPECT_TRUE(pumpUntil([&] { return !taskbar.calls.empty() && taskbar.calls.back().value == 10; }));
    step = 10;
    EXPECT_TRUE(pumpUntil([&] { return taskbar.calls.back().value == 60; }));
    const std::size_t before = taskbar.calls.size();
    SendMessageW(running.hwnd(), TaskbarButton::createdMessage(), 0, 0);
    ASSERT_EQ(taskbar.calls.size(), before + 1);
    EXPECT_EQ(taskbar.calls.back().value, 60u);
    step = 100;
    EXPECT_TRUE(pumpUntil([&] { return IsWindowEnabled(running.control(Picture4)) != FALSE; }));
    answerer.join();
    ASSERT_FALSE(atTheBox.empty());
    EXPECT_EQ(atTheBox.back().state, TBPF_ERROR);
    EXPECT_EQ(atTheBox.back().value, 60u);
    EXPECT_EQ(taskbar.calls.back().state, TBPF_NOPROGRESS);
    for (std::size_t i = 1; i < before; ++i) {
        if (taskbar.calls[i].state == TBPF_NORMAL && taskbar.calls[i - 1].state == TBPF_NORMAL) {
            EXPECT_GE(taskbar.calls[i].value, taskbar.calls[i - 1].value);
        }
    }
}

// The progress box's value reaches screen readers once per change (Wine's property service is a stub, so a double
// stands where the value is told).
TEST(FrmMainAccessibility, ProgressValueIsToldOncePerChange) {
    using Told = std::pair<HWND, std::wstring>;
    std::vector<Told> told;
    frmMain shown({}, false, {}, [&](HWND box, const std::wstring& value) { told.emplace_back(box, value); });
    for (const std::int16_t percent : {42, 42, 100, 0})
        shown.spProg(percent);
    const HWND box = shown.control(picProgress);
    EXPECT_EQ(told, (std::vector<Told>{{box, L"0%"}, {box, L"42%"}, {box, L"100%"}, {box, L"0%"}}));
}

} // namespace
