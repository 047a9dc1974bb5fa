#include "engine/BlockLadder.h"

#include <cmath>
#include <limits>
#include <stdexcept>

namespace modFHand {

namespace {

constexpr std::int32_t kRungs[] = {12000, 6000, 3000, 1500, 500, 100, 25, 5, 1};

} // namespace

std::int32_t BlockSize(std::int64_t owed) {
    for (const std::int32_t rung : kRungs) {
        if (owed >= rung)
            return rung;
    }
    return 0;
}

std::int16_t ProgressPercent(std::int64_t done, std::int64_t total) {
    const double percent = std::floor(static_cast<double>(done) / static_cast<double>(total) * 100.0);
    if (!(percent >= std::numeric_limits<std::int16_t>::min() && percent <= std::numeric_limits<std::int16_t>::max()))
        throw std::overflow_error("progress out of range");
    return static_cast<std::int16_t>(percent);
}

void BlockPacer::BeginPart(std::int64_t quota) {
    owed_ = quota;
    unannounced_ = 0;
}

void BlockPacer::Advance(std::int64_t bytes) {
    unannounced_ += bytes;
    for (std::int32_t block = BlockSize(owed_); block > 0 && unannounced_ >= block; block = BlockSize(owed_)) {
        owed_ -= block;
        unannounced_ -= block;
        done_ += block;
        BlockDone();
    }
}

void BlockPacer::Finished() const {
    if (hooks_.progress)
        hooks_.progress(0);
}

void BlockPacer::PartClosed() const {
    Yield();
    StopIfAsked();
}

void BlockPacer::StopIfAsked() const {
    if (hooks_.stopRequested && hooks_.stopRequested())
        throw StopRequested();
}

void BlockPacer::Yield() const {
    if (hooks_.yield)
        hooks_.yield();
}

void BlockPacer::BlockDone() {
    Yield();
    if (hooks_.progress)
        hooks_.progress(ProgressPercent(done_, total_));
    Yield();
    StopIfAsked();
}

} // namespace modFHand
