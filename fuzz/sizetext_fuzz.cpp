// Drives the piece-size reading with arbitrary text: the first byte picks how the rest is decoded (UTF-8 as
// typed, or raw UTF-16 as pasted), and the result must stay inside what the splitter may be handed.
#include "ui/main/SizeText.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

QString Decode(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return QString();
    const bool utf16 = data[0] & 1;
    ++data;
    --size;
    if (!utf16)
        return QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QString text;
    for (std::size_t i = 0; i + 1 < size; i += 2)
        text.append(QChar(static_cast<char16_t>(data[i] | (data[i + 1] << 8))));
    return text;
}

void Require(bool condition) {
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text = Decode(data, size);
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
    Require(SizeText::readMegabytes(text + QStringLiteral("x1")) == megabytes);
    return 0;
}
