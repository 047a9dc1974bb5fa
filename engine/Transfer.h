#pragma once

// Moving bytes from one open file to another in large chunks, with the ladder's calls replayed after each.
// The kernel moves them where it can (sharing blocks on file systems that allow it, copying on the server for
// network shares); otherwise they pass through one buffer in our memory.

#include "engine/BlockLadder.h"
#include "engine/RawFile.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace modFHand {

// What one run keeps from part to part: the buffer for copying through memory, and what it has learnt about
// the kernel's copy and about the writes. Made once per run; no block ever allocates.
class CopyBuffer {
public:
    static constexpr std::size_t kSize = std::size_t(1) << 20;
    CopyBuffer() : bytes_(new char[kSize]) {}
    char* data() { return bytes_.get(); }

    bool KernelCopyAllowed() const { return kernelCopy_ == KernelCopy::Allowed; }
    // For the rest of the run: a file system that refused once refuses again, and asking costs a call per part.
    void RefuseKernelCopy() { kernelCopy_ = KernelCopy::Refused; }
    // How many bytes the next kernel copy may take on, so that it ends soon enough for a stop request.
    std::int64_t KernelChunk() const { return kernelChunk_; }
    // Fits the next chunk to how long `bytes` just took: larger while the calls come back quickly (shared
    // blocks cost almost nothing), smaller on a slow device.
    void KernelCopyTook(std::int64_t bytes, std::chrono::steady_clock::duration took);

    // How many bytes the next copy through memory moves. While the system's cache takes the writes, a quarter of
    // the buffer: the bytes are still in the processor's cache when they are written out again, which makes the
    // copy about 5 % quicker than with the whole buffer. Once a write has waited for the device itself (a stick
    // that Windows writes through), the whole buffer, since a device takes large requests faster.
    std::size_t MemoryChunk() const { return memoryChunk_; }
    void MemoryWriteTook(std::chrono::steady_clock::duration took);

private:
    enum class KernelCopy { Allowed, Refused };

    std::unique_ptr<char[]> bytes_;
    KernelCopy kernelCopy_ = KernelCopy::Allowed;
    std::int64_t kernelChunk_ = std::int64_t(4) << 20;
    std::size_t memoryChunk_ = kSize / 4;
};

// Copies `quota` bytes from the current position of `from` to that of `to`.
void CopyPart(RawFile& from, RawFile& to, std::int64_t quota, CopyBuffer& buffer, BlockPacer& pacer);

} // namespace modFHand
