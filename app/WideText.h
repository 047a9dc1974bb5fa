#pragma once

#include <string>
#include <string_view>

// The program's own text is UTF-16 (std::u16string): what both faces' text boxes and the Win32 wide calls hold,
// so lengths and buffer sizes count the same units on every platform. std::wstring would be UTF-32 on Linux and
// UTF-16 on Windows, and a name's length would then depend on where the rules run. Fixed texts are UTF-8.
namespace WideText {

// Unpaired surrogates become U+FFFD, as the faces' own conversions write them.
std::string toUtf8(std::u16string_view text);
// Malformed bytes become U+FFFD each.
std::u16string fromUtf8(std::string_view text);

} // namespace WideText
