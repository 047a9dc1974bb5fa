// Drives the dialog's two text conversions with arbitrary UTF-16 text.
#include "app/FilterBlock.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void Require(bool condition) {
    if (!condition)
        std::abort();
}

std::u16string Decode(const std::uint8_t* data, std::size_t size) {
    std::u16string text;
    for (std::size_t i = 0; i + 1 < size; i += 2)
        text += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    return text;
}

std::ptrdiff_t Count(const std::u16string& text, char16_t c) {
    return std::count(text.begin(), text.end(), c);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::u16string text = Decode(data, size);
    const char16_t nul = u'\0';

    // One NUL for every bar and two at the end, with every other character kept in place.
    const std::u16string block = FilterBlock::build(text);
    Require(block.size() == text.size() + 2);
    Require(Count(block, nul) == Count(text, nul) + Count(text, u'|') + 2);
    Require(block.compare(block.size() - 2, 2, std::u16string(2, nul)) == 0);
    for (std::size_t i = 0; i < text.size(); ++i)
        Require(block[i] == (text[i] == u'|' ? nul : text[i]));

    // The part before the first NUL, which itself holds none; the whole text when there is no NUL.
    const std::u16string trimmed = FilterBlock::trimNulls(text);
    Require(trimmed.find(nul) == std::u16string::npos);
    Require(text.compare(0, trimmed.size(), trimmed) == 0);
    Require(trimmed.size() == text.size() || text[trimmed.size()] == nul);
    Require(FilterBlock::trimNulls(trimmed) == trimmed);
    const std::u16string untilNul = FilterBlock::trimNulls(text);
    Require(FilterBlock::trimNulls(block) == untilNul.substr(0, untilNul.find(u'|')));
    return 0;
}
