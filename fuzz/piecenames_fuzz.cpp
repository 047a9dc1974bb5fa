// Drives the name rules with arbitrary paths and numbers. The properties checked are the ones a join relies
// on to find exactly the series that a split wrote, and never anything outside the picked file's folder.
#include "engine/PieceNames.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

using modFHand::PathString;

namespace {

void Require(bool condition) {
    if (!condition)
        std::abort();
}

bool AllDigits(const PathString& text) {
    for (const auto c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    return !text.empty();
}

void CheckCounterText(std::int32_t number) {
    const PathString text = modFHand::CounterText(number);
    if (number < 0) {
        Require(text[0] == '-');
        return;
    }
    Require(AllDigits(text));
    Require(text.size() >= 3);
    Require(std::stoll(std::string(text.begin(), text.end())) == number);
    Require(text.size() == 3 || text[0] != '0');
}

void CheckSeries(const PathString& picked, std::int32_t number) {
    const auto series = modFHand::SeriesOf(picked);
    const PathString& text = picked;
    const auto separator = modFHand::LastSeparator(text);
    Require(series.has_value() == separator.has_value());
    if (!series)
        return;
    // The folder is the picked path's own, up to its last separator, and the stem is a prefix of its name.
    Require(series->folder == text.substr(0, *separator + 1));
    const PathString name = text.substr(*separator + 1);
    Require(name.compare(0, series->stem.size(), series->stem) == 0);
    Require(series->stem.size() == name.size() || name[series->stem.size()] == '.');
    for (const auto c : series->stem)
        Require(!modFHand::IsSeparator(c));
    Require(series->Output() == series->folder + series->stem);

    // Any member of that series, picked in turn, names the very same series and output.
    if (number >= 1) {
        const PathString member = series->Member(number);
        Require(member == modFHand::PieceName(series->Output(), number));
        const auto again = modFHand::SeriesOf(member);
        Require(again && again->folder == series->folder && again->stem == series->stem);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::int32_t number = 0;
    if (size >= sizeof number) {
        std::memcpy(&number, data, sizeof number);
        data += sizeof number;
        size -= sizeof number;
    }
    CheckCounterText(number);
    const PathString picked(data, data + size);
    CheckSeries(picked, number);

    // A split's pieces are found again by a join picking any one of them, whatever the source was called.
    if (number >= 1 && modFHand::LastSeparator(picked)) {
        const auto series = modFHand::SeriesOf(modFHand::PieceName(picked, number));
        Require(series && series->Output() == picked);
    }
    return 0;
}
