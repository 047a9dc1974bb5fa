#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// Turning the piece-size box's text into a byte count. The number is read with fixed rules, never with the
// locale, so "1.38" means the same on every machine. The text is UTF-16, as every face's text box holds it.
namespace SizeText {

// The longest leading number of the text, in megabytes; 0 when the text does not begin with one.
// May be infinite when the written number is too large for a double.
double readMegabytes(std::u16string_view text);

// Megabytes times 2^20, rounded half to even; empty when that is not finite or does not fit 32 bits.
std::optional<std::int32_t> megabytesToBytes(double megabytes);

// Both steps together: what the start action hands to the splitter, or empty when no split may start.
std::optional<std::int32_t> sizeTextToBytes(std::u16string_view text);

} // namespace SizeText
