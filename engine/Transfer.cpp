#include "engine/Transfer.h"

#include <algorithm>

namespace modFHand {

namespace {

using Clock = std::chrono::steady_clock;

// A stop request waits at most for the call under way; a quarter of the 100 ms a user notices leaves room for
// a device that suddenly slows down.
constexpr Clock::duration kCallTarget = std::chrono::milliseconds(25);
constexpr std::int64_t kSmallestKernelChunk = std::int64_t(64) << 10;
// Shared blocks cost next to nothing per call, but a run can turn from sharing to copying (a member that ends
// off a block edge), and the first copying call is sized for sharing: 8 MiB keeps even that one call short on
// a slow stick, and the calls after it are cut to size.
constexpr std::int64_t kLargestKernelChunk = std::int64_t(8) << 20;
// The system's cache takes a chunk in well under a tenth of this; a device that takes it itself needs longer.
constexpr Clock::duration kDeviceWrite = std::chrono::milliseconds(1);

// Returns what is still owed: all of `quota` when the kernel refused at once, 0 when it moved everything.
std::int64_t CopyInKernel(RawFile& from, RawFile& to, std::int64_t quota, CopyBuffer& buffer, BlockPacer& pacer) {
    while (quota > 0) {
        const Clock::time_point start = Clock::now();
        const std::int64_t moved = to.CopyRangeFrom(from, std::min(quota, buffer.KernelChunk()));
        if (moved == RawFile::kCopyRefused) {
            buffer.RefuseKernelCopy();
            return quota;
        }
        buffer.KernelCopyTook(moved, Clock::now() - start);
        quota -= moved;
        pacer.Advance(moved);
    }
    return 0;
}

void CopyThroughMemory(RawFile& from, RawFile& to, std::int64_t quota, CopyBuffer& buffer, BlockPacer& pacer) {
    while (quota > 0) {
        const auto chunk = static_cast<std::size_t>(std::min<std::int64_t>(quota, buffer.MemoryChunk()));
        from.ReadExactly(buffer.data(), chunk);
        const Clock::time_point start = Clock::now();
        to.WriteAll(buffer.data(), chunk);
        buffer.MemoryWriteTook(Clock::now() - start);
        quota -= static_cast<std::int64_t>(chunk);
        pacer.Advance(static_cast<std::int64_t>(chunk));
    }
}

} // namespace

void CopyBuffer::KernelCopyTook(std::int64_t bytes, Clock::duration took) {
    // A short answer says nothing about the device's speed (it ends at a block edge or at the source's end).
    if (bytes < kernelChunk_)
        return;
    if (took < kCallTarget / 2) {
        kernelChunk_ = std::min(kernelChunk_ * 2, kLargestKernelChunk);
    } else if (took > kCallTarget) {
        // Straight to the size the device just showed it can take, so the next call is already short; whole
        // steps keep the calls on the block edges where blocks can be shared.
        const std::int64_t fitting = kernelChunk_ * kCallTarget.count() / took.count();
        kernelChunk_ = std::max(fitting / kSmallestKernelChunk * kSmallestKernelChunk, kSmallestKernelChunk);
    }
}

void CopyBuffer::MemoryWriteTook(Clock::duration took) {
    // For the rest of the run: the device stays the same, and one slow write costs nothing but this switch.
    if (took > kDeviceWrite)
        memoryChunk_ = kSize;
}

// A refusal mid-part leaves both positions just past the bytes already moved, so memory copying carries on
// from there; a source that ended early is then reported by the read, as it always was.
void CopyPart(RawFile& from, RawFile& to, std::int64_t quota, CopyBuffer& buffer, BlockPacer& pacer) {
    pacer.BeginPart(quota);
    if (buffer.KernelCopyAllowed())
        quota = CopyInKernel(from, to, quota, buffer, pacer);
    CopyThroughMemory(from, to, quota, buffer, pacer);
}

} // namespace modFHand
