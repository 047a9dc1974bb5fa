// What the resource compiler put into the program, read back through the calls the Windows face uses. Linked
// with win32/zarvel.rc, so a picture that is missing, coded in a way Windows does not read, or of the wrong
// density fails here rather than as an empty control.
#include "win32/Art.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <tuple>

namespace {

struct Picture {
    const char* file;
    int width;
    int height;
};

// Every picture of the windows, at its design size.
constexpr Picture Pictures[] = {
    {"about.gif", 341, 565},    {"exit.gif", 19, 18},   {"info.gif", 19, 18},  {"path.gif", 61, 29},
    {"piecepath.gif", 186, 34}, {"size.gif", 61, 36},   {"start.gif", 60, 35}, {"tabjoin.gif", 73, 32},
    {"tabsplit.gif", 73, 32},   {"title.gif", 114, 22},
};

constexpr COLORREF Silver = RGB(192, 192, 192);

COLORREF pixel(HBITMAP bitmap, int x, int y) {
    HDC screen = GetDC(nullptr);
    Gdi::MemoryDc dc(screen);
    ReleaseDC(nullptr, screen);
    Gdi::Selected selected(dc.get(), bitmap);
    return GetPixel(dc.get(), x, y);
}

TEST(Resources, EveryPictureAtBothDensitiesOnItsSilverGround) {
    for (const Picture& p : Pictures) {
        for (UINT dpi : {96u, 144u, 192u, 288u}) {
            SCOPED_TRACE(std::string(p.file) + " at " + std::to_string(dpi));
            const Gdi::Bitmap bitmap = Art::picture(GetModuleHandleW(nullptr), p.file, dpi);
            ASSERT_TRUE(bitmap);
            BITMAP info{};
            GetObjectW(bitmap.get(), sizeof info, &info);
            const int scale = dpi >= Art::DenseDpi ? 2 : 1;
            EXPECT_EQ(info.bmWidth, p.width * scale);
            EXPECT_EQ(info.bmHeight, p.height * scale);
            // Rows are stored bottom up: both corners of the first and the last row.
            EXPECT_EQ(pixel(bitmap.get(), 0, 0), Silver);
            EXPECT_EQ(pixel(bitmap.get(), info.bmWidth - 1, info.bmHeight - 1), Silver);
        }
    }
    EXPECT_FALSE(Art::picture(GetModuleHandleW(nullptr), "nothing.gif", 96));
}

TEST(Resources, HandCursorKeepsTheFingerTipAsHotSpot) {
    for (auto [dpi, size, hotX] : {std::tuple{96u, 32, 6}, std::tuple{192u, 64, 12}}) {
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(Art::handCursor(GetModuleHandleW(nullptr), dpi), &info));
        BITMAP mask{};
        GetObjectW(info.hbmMask, sizeof mask, &mask);
        EXPECT_EQ(mask.bmWidth, size);
        EXPECT_EQ(info.xHotspot, DWORD(hotX));
        EXPECT_EQ(info.yHotspot, 0u);
        DeleteObject(info.hbmMask);
        if (info.hbmColor)
            DeleteObject(info.hbmColor);
    }
}

TEST(Resources, ManifestMakesTheProgramPerMonitorDpiAware) {
    EXPECT_TRUE(FindResourceW(nullptr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24)));
    EXPECT_EQ(GetAwarenessFromDpiAwarenessContext(GetThreadDpiAwarenessContext()), DPI_AWARENESS_PER_MONITOR_AWARE);
}

TEST(Resources, IconHoldsEverySizeFromSmallToLarge) {
    for (int size : {16, 32, 48, 256}) {
        const HICON icon =
            static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON, size, size, 0));
        ASSERT_TRUE(icon) << size;
        ICONINFO info{};
        GetIconInfo(icon, &info);
        BITMAP colour{};
        GetObjectW(info.hbmColor, sizeof colour, &colour);
        EXPECT_EQ(colour.bmWidth, size);
        DeleteObject(info.hbmMask);
        DeleteObject(info.hbmColor);
        DestroyIcon(icon);
    }
}

} // namespace
