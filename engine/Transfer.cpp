#include "engine/Transfer.h"

#include <algorithm>

namespace modFHand {

void CopyPart(RawFile& from, RawFile& to, std::int64_t quota, CopyBuffer& buffer, BlockPacer& pacer) {
    pacer.BeginPart(quota);
    while (quota > 0) {
        const auto chunk = static_cast<std::size_t>(std::min<std::int64_t>(quota, CopyBuffer::kSize));
        from.ReadExactly(buffer.data(), chunk);
        to.WriteAll(buffer.data(), chunk);
        quota -= static_cast<std::int64_t>(chunk);
        pacer.Advance(static_cast<std::int64_t>(chunk));
    }
}

} // namespace modFHand
