#pragma once

#include <cstdint>

// The windows' colours as the design writes them: &H00BBGGRR, or &H800000nn for the system's colour number nn,
// which follows the user's theme where the platform has one.
namespace Colours {

using Colour = std::uint32_t;

constexpr Colour Black = 0x000000;
constexpr Colour MidGrey = 0x808080;
constexpr Colour Silver = 0xC0C0C0;
constexpr Colour LightGrey = 0xE0E0E0;
constexpr Colour LinkBlue = 0xC00000; // blue at 192

constexpr Colour Window = 0x80000005;       // a box's background
constexpr Colour WindowText = 0x80000008;   // a box's text
constexpr Colour ActiveBorder = 0x8000000A; // the About window's ground
constexpr Colour ButtonShadow = 0x80000010; // the About window's separator

constexpr bool isSystem(Colour colour) {
    return (colour & 0x80000000u) != 0;
}
constexpr int systemIndex(Colour colour) {
    return static_cast<int>(colour & 0xFF);
}

// A system colour where the platform has no such colours: the classic Windows scheme's, so both faces look
// alike on a default desktop. Fixed colours come back unchanged.
constexpr Colour fixed(Colour colour) {
    if (!isSystem(colour))
        return colour;
    switch (systemIndex(colour)) {
    case 5:
        return 0xFFFFFF;
    case 10:
        return 0xB4B4B4;
    case 16:
        return 0xA0A0A0;
    default:
        return 0x000000;
    }
}

constexpr int red(Colour colour) {
    return static_cast<int>(colour & 0xFF);
}
constexpr int green(Colour colour) {
    return static_cast<int>((colour >> 8) & 0xFF);
}
constexpr int blue(Colour colour) {
    return static_cast<int>((colour >> 16) & 0xFF);
}

} // namespace Colours
