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

std::int16_t SplitFile(const std::filesystem::path& path, std::int32_t pieceSize, std::int16_t& pieceCount,
                       const Hooks& hooks);
std::int16_t JoinFile(const std::filesystem::path& path, std::int16_t& pieceCount, const Hooks& hooks);

} // namespace modFHand
