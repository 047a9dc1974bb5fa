#pragma once

#include <cstdint>
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
};
