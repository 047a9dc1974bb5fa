#pragma once

#include <QString>
#include <cstdint>
#include <optional>

// Turning the piece-size box's text into a byte count. The number is read with fixed rules, never with the
// locale, so "1.38" means the same on every machine.
namespace SizeText {

// The longest leading number of the text, in megabytes; 0 when the text does not begin with one.
// May be infinite when the written number is too large for a double.
double readMegabytes(const QString& text);

// Megabytes times 2^20, rounded half to even; empty when that is not finite or does not fit 32 bits.
std::optional<std::int32_t> megabytesToBytes(double megabytes);

// Both steps together: what the start action hands to the splitter, or empty when no split may start.
std::optional<std::int32_t> sizeTextToBytes(const QString& text);

} // namespace SizeText
