#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>

namespace modFHand {

// What the engine needs from its surroundings while it copies.
struct Hooks {
    std::function<void(std::int16_t percent)> progress; // the main window's spProg
    std::function<void()> yield;                        // let pending window events run
};

// Result codes. Callers only need to tell 0 from the rest; the others say which check refused the work.
constexpr std::int16_t kSuccess = 0;
constexpr std::int16_t kSplitNoSource = 1;      // empty path, or no regular file there
constexpr std::int16_t kSplitBadPieceSize = 2;  // zero or negative
constexpr std::int16_t kSplitTooManyPieces = 3; // length / piece size reaches 1000
constexpr std::int16_t kJoinNoPickedPiece = 1;  // empty path, or no regular file there
constexpr std::int16_t kJoinNoFirstMember = 2;  // the series has no member 001
constexpr std::int16_t kJoinOutputPresent = 3;  // something already has the output's name
constexpr std::int16_t kFailure = 4;            // anything that went wrong during the work; nothing is left of it

std::int16_t SplitFile(const std::filesystem::path& path, std::int32_t pieceSize, std::int16_t& pieceCount,
                       const Hooks& hooks);
std::int16_t JoinFile(const std::filesystem::path& path, std::int16_t& pieceCount, const Hooks& hooks);

} // namespace modFHand
