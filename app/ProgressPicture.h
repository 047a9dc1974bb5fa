#pragma once

#include <cstdint>
#include <functional>
#include <string>

// What the progress box shows for a percentage, in the box's pixels inside its border. Each face only paints
// it: the bar filled in mid grey, its one-pixel black frame over it, and the text.
struct ProgressPicture {
    // The bar's columns run from barLeft to the one that contains barRight, its rows from barTop to barBottom,
    // both ends included. barRight is kept in single precision like the design's coordinates, so 50 % ends on
    // column 107; a face with denser pixels scales it before it rounds.
    int barLeft = 0;
    int barTop = 0;
    int barBottom = 0;
    float barRight = 0;
    // The frame's corners, both included.
    int frameLeft = 0;
    int frameTop = 0;
    int frameRight = 0;
    int frameBottom = 0;
    // "p%", its left edge at textLeft and its top (the font's ascent above the baseline) at textTop.
    std::string text;
    int textLeft = 0;
    int textTop = 0;

    static ProgressPicture of(std::int16_t percent);

    // The bar on a canvas of `ratio` device pixels to a pixel, in device pixels, right and bottom excluded. Its
    // end falls on the device pixel that contains it (at 2, 50 % ends on column 215), its other sides on the
    // nearest, so that at any density the fill covers whole device pixels and stays sharp.
    struct DeviceRect {
        int left = 0;
        int top = 0;
        int right = 0;
        int bottom = 0;
    };
    DeviceRect barAt(double ratio) const;

    // The right-most column that a text's ink reaches when drawn from column 0 in the face's font at this size
    // (96-dpi pixels).
    using InkRight = std::function<int(const std::string& text, int pixels)>;
    // The size the window's texts take: the largest, up to the face's own, at which "100%" ends at least one
    // column before the bar's frame and "MB" fits its label. The design was made for a small face; the common
    // ones differ in width by a tenth, which decides it. A face too wide even at the smallest size gets that.
    static int fontPixels(const InkRight& inkRight, int largest);
    static constexpr int SmallestFontPixels = 8;
};
