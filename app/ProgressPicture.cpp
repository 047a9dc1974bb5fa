#include "app/ProgressPicture.h"

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
