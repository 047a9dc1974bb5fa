#include "app/ProgressPicture.h"

#include "app/Layout.h"

#include <cmath>

namespace {

constexpr int BarLeft = 30;
constexpr int BarTop = 2;
constexpr int BarBottom = 12;
constexpr int FrameRight = 184;
constexpr double PixelsPerPercent = 1.55;
constexpr int TextLeft = 3;
constexpr int TextTop = 1;

} // namespace

ProgressPicture ProgressPicture::of(std::int16_t percent) {
    ProgressPicture picture;
    picture.barLeft = BarLeft;
    picture.barTop = BarTop;
    picture.barBottom = BarBottom;
    picture.barRight = static_cast<float>(BarLeft + PixelsPerPercent * percent);
    picture.frameLeft = BarLeft;
    picture.frameTop = BarTop;
    picture.frameRight = FrameRight;
    picture.frameBottom = BarBottom;
    picture.text = std::to_string(percent) + "%";
    picture.textLeft = TextLeft;
    picture.textTop = TextTop;
    return picture;
}

ProgressPicture::DeviceRect ProgressPicture::barAt(double ratio) const {
    const auto device = [ratio](int pixels) { return static_cast<int>(std::lround(pixels * ratio)); };
    const int rightmost = static_cast<int>(std::floor(static_cast<double>(barRight) * ratio));
    return {device(barLeft), device(barTop), rightmost + 1, device(barBottom + 1)};
}

int ProgressPicture::fontPixels(const InkRight& inkRight, int largest) {
    const ProgressPicture full = of(100);
    const Layout::Control& unit = Layout::of(Layout::frmMain::Label_2);
    const auto fits = [&](int pixels) {
        return full.textLeft + inkRight(full.text, pixels) <= full.frameLeft - 2 &&
               inkRight(unit.text, pixels) < Layout::px(unit.place.width);
    };
    int pixels = largest;
    while (pixels > SmallestFontPixels && !fits(pixels))
        --pixels;
    return pixels < SmallestFontPixels ? SmallestFontPixels : pixels;
}
