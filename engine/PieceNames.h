#pragma once

// The names a series of pieces is known by, and what counts as a file being there. Split and join both rely on
// these, and so do the tests, so they are kept apart from the copying.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace modFHand {

using PathString = std::filesystem::path::string_type;

// The piece number with at least three digits: 001 ... 999, then 1000 and up in full. Never a sign or a
// locale's grouping, so names stay the same on every machine.
PathString CounterText(std::int32_t number);

// True for the characters that end a folder part: "/" here, and "\" as well on Windows.
bool IsSeparator(PathString::value_type c);

// Index of the last separator of the path, or nothing when it has none.
std::optional<std::size_t> LastSeparator(const PathString& text);

// Piece k of a split: the source path exactly as given, ".", the counter text.
std::filesystem::path PieceName(const std::filesystem::path& source, std::int32_t number);

// What join reads off the one piece the user picked.
struct SeriesNames {
    PathString folder; // up to and including the last separator
    PathString stem;   // the name part without its last "." and what follows it

    std::filesystem::path Member(std::int32_t number) const;
    std::filesystem::path Output() const;
};

// Nothing when the picked path has no separator at all.
std::optional<SeriesNames> SeriesOf(const std::filesystem::path& picked);

// A regular file, links followed. Folders, FIFOs, devices and sockets are absent, so that none of them is ever
// opened by accident (a FIFO would hang the program); on Windows hidden and system files are absent too.
bool IsPresent(const std::filesystem::path& path);

// Any entry at all under that name: a file of any kind, a folder, a link, even one that points nowhere.
// Unknown (for instance unreadable folder) counts as taken, so that nothing is ever written over it.
bool IsNameTaken(const std::filesystem::path& path);

} // namespace modFHand
