#pragma once

// Moving bytes from one open file to another in large chunks, with the ladder's calls replayed after each.

#include "engine/BlockLadder.h"
#include "engine/RawFile.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace modFHand {

// Made once per run; no block ever allocates.
class CopyBuffer {
public:
    static constexpr std::size_t kSize = std::size_t(1) << 20;
    CopyBuffer() : bytes_(new char[kSize]) {}
    char* data() { return bytes_.get(); }

private:
    std::unique_ptr<char[]> bytes_;
};

// Copies `quota` bytes from the current position of `from` to that of `to`.
void CopyPart(RawFile& from, RawFile& to, std::int64_t quota, CopyBuffer& buffer, BlockPacer& pacer);

} // namespace modFHand
