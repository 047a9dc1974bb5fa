#pragma once

// The names a series of pieces is known by, and what counts as a file being there. Split and join both rely on
// these, and so do the tests, so they are kept apart from the copying.

#include "engine/modFHand.h"

#include <cstdint>
#include <optional>
#include <string>

namespace modFHand {

// The piece number with at least three digits: 001 ... 999, then 1000 and up in full. Never a sign or a
// locale's grouping, so names stay the same on every machine.
PathString CounterText(std::int32_t number);

// The number whose counter text `text` is exactly ("001", "1000"), or nothing: "01", "0001" and "+01" are no
// piece's counter, so a join never takes such a file for one.
std::optional<std::int32_t> CounterNumber(const PathString& text);

// True for the characters that end a folder part: "/" here, and "\" as well on Windows.
bool IsSeparator(PathString::value_type c);

// Index of the last separator of the path, or nothing when it has none.
std::optional<std::size_t> LastSeparator(const PathString& text);

// True for a name that Windows takes for a device (CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9, CONIN$, CONOUT$):
// the last part of the path up to its first dot, without case and with trailing blanks ignored, so "nul.001" and
// "Con .txt" are devices too. The versions of Windows don't agree on the edges, so this rule is ours; elsewhere
// no name is a device.
bool IsDeviceName(const PathString& path);

// Piece k of a split: the source path exactly as given, ".", the counter text.
PathString PieceName(const PathString& source, std::int32_t number);
// The same for callers that hold a std::filesystem::path (beside the entry points that take one, so that a
// program that never makes one does not link it).
std::filesystem::path PieceName(const std::filesystem::path& source, std::int32_t number);

// What join reads off the one piece the user picked.
struct SeriesNames {
    PathString folder; // up to and including the last separator
    PathString stem;   // the name part without its last "." and what follows it

    PathString Member(std::int32_t number) const;
    PathString Output() const;
};

// Nothing when the picked path has no separator at all.
std::optional<SeriesNames> SeriesOf(const PathString& picked);

// A regular file, links followed. Folders, FIFOs, devices and sockets are absent, so that none of them is ever
// opened by accident (a FIFO would hang the program); on Windows hidden and system files are absent too.
bool IsPresent(const PathString& path);

// Any entry at all under that name: a file of any kind, a folder, a link, even one that points nowhere.
// Unknown (for instance unreadable folder) counts as taken, so that nothing is ever written over it.
bool IsNameTaken(const PathString& path);

} // namespace modFHand
