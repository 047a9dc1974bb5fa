#pragma once

// The ladder of block sizes fixes when the window hears of progress: after every block, with the percentage of
// the whole work. The bytes themselves move in much larger chunks; the pacer replays the calls of each block
// those bytes completed, so the window sees exactly the sequence it would see with block-by-block copying.

#include "engine/modFHand.h"

#include <cstdint>
#include <exception>

namespace modFHand {

// 12000, 6000, 3000, 1500, 500, 100, 25, 5 or 1: the largest rung not above what the piece still owes; 0 when
// it owes nothing.
std::int32_t BlockSize(std::int64_t owed);

// Int(done / total * 100) in double precision; a value beyond 16 bits is an overflow and throws.
std::int16_t ProgressPercent(std::int64_t done, std::int64_t total);

// Thrown when the stopRequested hook asks the run to end.
struct StopRequested : std::exception {
    const char* what() const noexcept override { return "stop requested"; }
};

class BlockPacer {
public:
    BlockPacer(const Hooks& hooks, std::int64_t total) : hooks_(hooks), total_(total) {}

    void BeginPart(std::int64_t quota);
    // `bytes` more of the current part are copied: run the calls of every block they complete.
    void Advance(std::int64_t bytes);
    void PartClosed() const;
    void Finished() const;
    // Throws StopRequested when the surroundings want the run to end.
    void StopIfAsked() const;

private:
    void Yield() const;
    void BlockDone();

    const Hooks& hooks_;
    std::int64_t total_;
    std::int64_t done_ = 0;
    std::int64_t owed_ = 0;
    std::int64_t unannounced_ = 0;
};

} // namespace modFHand
