#include "win32/Fonts.h"

#include "app/About.h"
#include "app/ProgressPicture.h"
#include "win32/Gdi.h"
#include "win32/Text.h"

#include <map>

namespace Fonts {
namespace {

LOGFONTW messageFont() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, 96))
        SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    return metrics.lfMessageFont;
}

// The face's em height: what a negative height asks for, whichever way the system wrote it.
int emPixels(const LOGFONTW& face) {
    if (face.lfHeight < 0)
        return -face.lfHeight;
    Gdi::Font font(CreateFontIndirectW(&face));
    Gdi::WindowDc screen(nullptr);
    Gdi::Selected selected(screen.get(), font.get());
    TEXTMETRICW metrics{};
    GetTextMetricsW(screen.get(), &metrics);
    return metrics.tmHeight - metrics.tmInternalLeading;
}

HFONT sized(std::map<UINT, Gdi::Font>& made, UINT dpi, LOGFONTW face, int pixels) {
    Gdi::Font& font = made[dpi];
    if (!font) {
        face.lfHeight = -MulDiv(pixels, static_cast<int>(dpi), 96);
        face.lfWidth = 0;
        font.reset(CreateFontIndirectW(&face));
    }
    return font.get();
}

} // namespace

int inkRight(const LOGFONTW& face, const std::wstring& text, int pixels) {
    LOGFONTW sizedFace = face;
    sizedFace.lfHeight = -pixels;
    sizedFace.lfWidth = 0;
    Gdi::Font font(CreateFontIndirectW(&sizedFace));
    const int width = pixels * 8 + 16, height = pixels * 2 + 4;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    Gdi::WindowDc screen(nullptr);
    Gdi::MemoryDc dc(screen.get());
    Gdi::Bitmap canvas(CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!canvas || !bits)
        return -1;
    Gdi::Selected selectedCanvas(dc.get(), canvas.get());
    Gdi::Selected selectedFont(dc.get(), font.get());
    const RECT all{0, 0, width, height};
    FillRect(dc.get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetBkMode(dc.get(), TRANSPARENT);
    SetTextColor(dc.get(), RGB(0, 0, 0));
    TextOutW(dc.get(), 0, 0, text.c_str(), static_cast<int>(text.size()));
    GdiFlush();
    const auto* pixel = static_cast<const std::uint32_t*>(bits);
    for (int x = width - 1; x >= 0; --x) {
        for (int y = 0; y < height; ++y) {
            if ((pixel[y * width + x] & 0xFFFFFF) != 0xFFFFFF)
                return x;
        }
    }
    return -1;
}

int windowPixels() {
    static const int pixels = [] {
        const LOGFONTW face = messageFont();
        const auto ink = [&face](const std::string& text, int size) { return inkRight(face, Text::wide(text), size); };
        return ProgressPicture::fontPixels(ink, emPixels(face));
    }();
    return pixels;
}

HFONT window(UINT dpi) {
    static std::map<UINT, Gdi::Font> made;
    return sized(made, dpi, messageFont(), windowPixels());
}

HFONT link(UINT dpi) {
    static std::map<UINT, Gdi::Font> made;
    LOGFONTW face{};
    face.lfWeight = About::LinkWeight;
    face.lfCharSet = DEFAULT_CHARSET;
    face.lfPitchAndFamily = FF_SCRIPT;
    const std::wstring name = Text::wide(About::LinkFace);
    lstrcpynW(face.lfFaceName, name.c_str(), LF_FACESIZE);
    // Points are 1/72 inch: at 96 dots per inch the face's pixels are a third more.
    return sized(made, dpi, face, MulDiv(About::LinkPoints, 96, 72));
}

} // namespace Fonts
