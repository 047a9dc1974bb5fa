// Drives the piece-size reading with arbitrary text: the first byte picks how the rest is decoded (UTF-8 as
// typed, or raw UTF-16 as pasted), and the result must stay inside what the splitter may be handed.
#include "app/SizeText.h"
#include "app/WideText.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

std::u16string Decode(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return {};
    const bool utf16 = data[0] & 1;
    ++data;
    --size;
    if (!utf16)
        return WideText::fromUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
    std::u16string text;
    for (std::size_t i = 0; i + 1 < size; i += 2)
        text += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    return text;
}

void Require(bool condition) {
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::u16string text = Decode(data, size);
    const double megabytes = SizeText::readMegabytes(text);
    Require(!std::isnan(megabytes));

    const std::optional<std::int32_t> bytes = SizeText::sizeTextToBytes(text);
    Require(bytes == SizeText::megabytesToBytes(megabytes));
    if (bytes) {
        // The byte count is the megabytes scaled and rounded: it has their sign and lies within half a byte.
        Require(std::isfinite(megabytes));
        Require(std::fabs(static_cast<double>(*bytes) - megabytes * 1048576.0) <= 0.5);
        Require(*bytes == 0 || (*bytes > 0) == (megabytes > 0));
    } else {
        Require(!std::isfinite(megabytes) || std::fabs(megabytes * 1048576.0) >= 2147483647.5);
    }

    // Text after the number never changes what was read, however it is written.
    Require(SizeText::readMegabytes(text + u"x1") == megabytes);
    // The UTF-8 round trip keeps every well-formed text whole.
    const std::u16string back = WideText::fromUtf8(WideText::toUtf8(text));
    Require(back.size() == text.size());
    return 0;
}
