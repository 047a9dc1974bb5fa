#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

namespace modFHand {

// What the engine needs from its surroundings while it copies. Every member may be left empty, and is then
// skipped. The engine calls them on the thread that called SplitFile or JoinFile, for the whole run; the
// window runs the engine on a worker thread, so a hook must never touch a widget directly.
//
// - progress: the percentage of the whole work, after every block of the ladder (12000 bytes at most), and
//   0 once more when a run succeeds. Every value arrives, in order; how often it is drawn is the window's
//   business.
// - yield: after every block (once before and once after progress) and after every closed piece or member.
// - stopRequested: asked after every block and every closed piece or member. True ends the run as a failure
//   (kFailure) with the same clean-up as any other failure: nothing the run wrote is left behind. It is the
//   way to stop a run; it should answer quickly and must not block.
//
// - failed: called once when a run ends with any result but kSuccess, after its clean-up, with one line (no line
//   break, no program name) that says what went wrong where: "split failed: write '/media/stick/movie.avi.003':
//   No space left on device", "join refused: no piece 001 beside '/x/movie.avi'", "split stopped". It is meant
//   for people (a log, standard error); the result code is what tells the cases apart. Never called on success.
//   What it throws is dropped: the result stands.
//
// A hook that throws ends the run just like a stop request: kFailure, with the clean-up.
struct Hooks {
    std::function<void(std::int16_t percent)> progress;  // the main window's spProg
    std::function<void()> yield;                         // a point where the run may be paused or watched
    std::function<bool()> stopRequested;                 // true: stop now, as a failure
    std::function<void(const std::string& line)> failed; // why the run ended without success
};

// Result codes; their numbers never change. Callers only need to tell kSuccess from the rest; the others say
// which check refused the work.
constexpr std::int16_t kSuccess = 0;
constexpr std::int16_t kSplitNoSource = 1;      // empty path, or no regular file there
constexpr std::int16_t kSplitBadPieceSize = 2;  // zero or negative
constexpr std::int16_t kSplitTooManyPieces = 3; // length / piece size reaches 1000
constexpr std::int16_t kJoinNoPickedPiece = 1;  // empty path, or no regular file there
constexpr std::int16_t kJoinNoFirstMember = 2;  // the series has no member 001
constexpr std::int16_t kJoinOutputPresent = 3;  // something already has the output's name
constexpr std::int16_t kFailure = 4;            // anything that went wrong during the work; nothing is left of it

#ifdef _WIN32
using PathChar = wchar_t; // UTF-16
#else
using PathChar = char;
#endif
// A path in the system's own text, as the user gave it. The entry points that take it never make a
// std::filesystem::path: in a static Windows build that one constructor brings the runtime's whole locale
// machinery with it, several times the size of the rest of the program.
using PathString = std::basic_string<PathChar>;

std::int16_t SplitFileNative(const PathString& path, std::int32_t pieceSize, std::int16_t& pieceCount,
                             const Hooks& hooks);
std::int16_t JoinFileNative(const PathString& path, std::int16_t& pieceCount, const Hooks& hooks);

// The same, for callers that hold a std::filesystem::path; they forward to the two above.
std::int16_t SplitFile(const std::filesystem::path& path, std::int32_t pieceSize, std::int16_t& pieceCount,
                       const Hooks& hooks);
std::int16_t JoinFile(const std::filesystem::path& path, std::int16_t& pieceCount, const Hooks& hooks);

} // namespace modFHand
