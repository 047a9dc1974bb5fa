// The engine's calls that take a std::filesystem::path, apart from the rest of the engine: a program that calls
// only the native ones (zarvel.exe) never links this file, nor what the path's conversions bring with them.

#include "engine/PieceNames.h"
#include "engine/modFHand.h"

namespace modFHand {

std::int16_t SplitFile(const std::filesystem::path& path, std::int32_t pieceSize, std::int16_t& pieceCount,
                       const Hooks& hooks) {
    return SplitFileNative(path.native(), pieceSize, pieceCount, hooks);
}

std::int16_t JoinFile(const std::filesystem::path& path, std::int16_t& pieceCount, const Hooks& hooks) {
    return JoinFileNative(path.native(), pieceCount, hooks);
}

std::filesystem::path PieceName(const std::filesystem::path& source, std::int32_t number) {
    return PieceName(source.native(), number);
}

} // namespace modFHand
