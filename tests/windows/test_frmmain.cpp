// The Windows face driven by window messages under Wine: what a face can break on its own (places, drawing,
// messages, the run), over rules that app/'s own tests cover.
#include "app/Layout.h"
#include "app/Messages.h"
#include "app/WideText.h"
#include "engine/PieceNames.h"
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

std::wstring wide(const std::string& utf8) {
    const std::u16string text = WideText::fromUtf8(utf8);
    return std::wstring(text.begin(), text.end());
}

std::wstring textOf(HWND control) {
    wchar_t text[512] = {};
    GetWindowTextW(control, text, 512);
    return text;
}

template <class Done> bool pumpUntil(Done done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        MSG message{};
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(5);
    }
    return true;
}

void click(HWND control) {
    SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    SendMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
}

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
    click(window.control("Picture4"));
    EXPECT_TRUE(pumpUntil([&] { return answered && IsWindowEnabled(window.control("Picture4")); }));
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
        pumpUntil([] { return true; });
        MSG quit{};
        while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
        ShowWindow(window.hwnd(), SW_SHOW);
    }

    frmMain window;
};

TEST_F(FrmMainTest, EveryControlAtItsPlaceWithItsText) {
    ASSERT_EQ(window.dpi(), 96u);
    for (const Layout::Control& control : Layout::mainWindow()) {
        SCOPED_TRACE(control.name);
        HWND hwnd = window.control(control.name);
        RECT place{};
        GetWindowRect(hwnd, &place);
        MapWindowPoints(nullptr, GetParent(hwnd), reinterpret_cast<POINT*>(&place), 2);
        EXPECT_EQ(place.left, Layout::px(control.place.left));
        EXPECT_EQ(place.top, Layout::px(control.place.top));
        EXPECT_EQ(place.right - place.left, Layout::px(control.place.width));
        EXPECT_EQ(place.bottom - place.top, Layout::px(control.place.height));
        if (control.kind == Layout::Kind::TextBox || control.kind == Layout::Kind::Label) {
            EXPECT_EQ(textOf(hwnd), wide(control.text));
        }
    }
}

TEST_F(FrmMainTest, AnotherDensityRemakesTheControlsKeepingTheirTexts) {
    click(window.control("imgTab_1"));
    SetWindowTextW(window.control("txtSegfname"), L"C:\\kept.001");
    RECT suggested{0, 0, 2 * 289, 2 * 148};
    SendMessageW(window.hwnd(), WM_DPICHANGED, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));
    const Layout::Control& box = Layout::find(Layout::mainWindow(), "txtSegfname");
    RECT place{};
    GetWindowRect(window.control("txtSegfname"), &place);
    EXPECT_EQ(place.right - place.left, 2 * Layout::px(box.place.width));
    EXPECT_EQ(textOf(window.control("txtSegfname")), L"C:\\kept.001");
    EXPECT_EQ(window.mode(), Mode::Join);
}

TEST_F(FrmMainTest, TabClickBringsItsPanelForward) {
    const auto above = [](HWND upper, HWND lower) {
        for (HWND w = GetWindow(upper, GW_HWNDNEXT); w; w = GetWindow(w, GW_HWNDNEXT)) {
            if (w == lower)
                return true;
        }
        return false;
    };
    // By the mouse, then by the keys a focused picture takes.
    for (auto [tab, panel, other, mode, key] :
         {std::tuple{"imgTab_1", "picCHolder_1", "picCHolder_0", Mode::Join, 0},
          std::tuple{"imgTab_0", "picCHolder_0", "picCHolder_1", Mode::Split, 0},
          std::tuple{"imgTab_1", "picCHolder_1", "picCHolder_0", Mode::Join, VK_SPACE},
          std::tuple{"imgTab_0", "picCHolder_0", "picCHolder_1", Mode::Split, VK_RETURN}}) {
        if (key)
            SendMessageW(window.control(tab), WM_KEYDOWN, key, 0);
        else
            click(window.control(tab));
        EXPECT_EQ(window.mode(), mode) << tab;
        EXPECT_TRUE(above(window.control(panel), window.control(other))) << tab;
        // The tab image stays under every true window, the panels included.
        EXPECT_TRUE(above(window.control(other), window.control(tab))) << tab;
    }
}

TEST_F(FrmMainTest, DropTakesTheFirstFile) {
    const std::wstring files = std::wstring(L"C:\\in\\p\u0627\u0631.bin") + L'\0' + L"C:\\second.bin" + L'\0' + L'\0';
    for (const char* box : {"txtSFName", "txtSegfname"}) {
        HGLOBAL drop = GlobalAlloc(GHND, sizeof(DROPFILES) + files.size() * sizeof(wchar_t));
        auto* header = static_cast<DROPFILES*>(GlobalLock(drop));
        header->pFiles = sizeof(DROPFILES);
        header->fWide = TRUE;
        memcpy(header + 1, files.data(), files.size() * sizeof(wchar_t));
        GlobalUnlock(drop);
        SendMessageW(window.control(box), WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
        EXPECT_EQ(textOf(window.control(box)), L"C:\\in\\p\u0627\u0631.bin") << box;
    }
}

TEST_F(FrmMainTest, ProgressDrawnAsTheBarOfItsPercentage) {
    struct Point {
        int percent, x, y;
        COLORREF colour;
    };
    constexpr COLORREF Grey = RGB(128, 128, 128), Silver = RGB(192, 192, 192), Black = RGB(0, 0, 0);
    const Point points[] = {{50, 60, 7, Grey},  {50, 107, 7, Grey},   {50, 108, 7, Silver}, {50, 184, 7, Black},
                            {50, 30, 2, Black}, {50, 60, 13, Silver}, {0, 60, 7, Silver},   {100, 183, 7, Grey}};
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
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::filesystem::path folder = std::filesystem::path(temp) / L"zarvel-frmmain-\u0641\u0627\u0626\u0644";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const std::filesystem::path source = folder / L"data.bin";
    std::string bytes(2'500'000, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i * 7 + i / 251);
    std::ofstream(source, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));

    SetWindowTextW(window.control("txtSFName"), source.wstring().c_str());
    SetWindowTextW(window.control("txtSegSize"), L"1");
    EXPECT_EQ(startAndAnswer(window, Messages::title(Messages::Outcome::SplitSuccess)),
              wide(Messages::prompt(Messages::Outcome::SplitSuccess, 3)));

    std::filesystem::remove(source);
    click(window.control("imgTab_1"));
    SetWindowTextW(window.control("txtSegfname"), modFHand::PieceName(source, 1).wstring().c_str());
    EXPECT_EQ(startAndAnswer(window, Messages::title(Messages::Outcome::JoinSuccess)),
              wide(Messages::prompt(Messages::Outcome::JoinSuccess, 3)));
    std::ifstream joined(source, std::ios::binary);
    EXPECT_TRUE(std::string(std::istreambuf_iterator<char>(joined), {}) == bytes);
    joined.close();
    std::filesystem::remove_all(folder);
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
    SetWindowTextW(running->control("txtSFName"), L"C:\\any.bin");
    SetWindowTextW(running->control("txtSegSize"), L"1");
    click(running->control("Picture4"));
    SendMessageW(hwnd, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindowVisible(hwnd));
    EXPECT_TRUE(pumpUntil([&] { return !IsWindow(hwnd); }));
    EXPECT_TRUE(stopped);
    EXPECT_FALSE(FindWindowW(L"#32770", nullptr));
}

} // namespace
