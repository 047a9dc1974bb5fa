#pragma once

#include <cstdint>

// What the start button does. The value is also the index of the mode's panel and tab picture, so a tab's index
// converts to its mode and back; the window only ever holds these two.
enum class Mode : std::int16_t { Split = 0, Join = 1 };

// The mode whose tab picture has this index (0 or 1).
constexpr Mode modeOfTab(int index) {
    return index == 0 ? Mode::Split : Mode::Join;
}

// The index of the mode's panel in picCHolder and of its tab picture in imgTab.
constexpr int tabOf(Mode mode) {
    return static_cast<int>(mode);
}
