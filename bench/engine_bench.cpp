// Runs one split or one join through the engine with hooks shaped like the main window's, so that a timing
// of this process is the engine's own cost plus the bare price of its progress calls and yields.
//
//   engine_bench split FILE PIECE_SIZE [STOP_AT]
//   engine_bench join PIECE [STOP_AT]
//
// It also prints when the bar first showed 100 % and when the run ended (seconds from its start). With STOP_AT,
// the run is asked to stop as soon as the bar shows that percentage, and it prints how long the stop took.
// The exit status is the engine's result code (0 on success, 4 for a run stopped as asked); 64 for a usage error.

#include "engine/modFHand.h"

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

constexpr int kUsageError = 64;

// The window redraws its bar only when the value moves; comparing against the last value keeps that shape
// (a branch and a store per call) without pulling Qt into the figures.
using Clock = std::chrono::steady_clock;

struct HookCounters {
    Clock::time_point start = Clock::now();
    Clock::time_point full{};      // the first 100 %
    Clock::time_point stopAsked{}; // the first stop request answered yes
    int stopAt = -1;
    std::int16_t lastPercent = -1;
    std::uint64_t progressCalls = 0;
    std::uint64_t redraws = 0;
    std::uint64_t yields = 0;
};

modFHand::Hooks makeHooks(HookCounters& counters) {
    modFHand::Hooks hooks;
    hooks.progress = [&counters](std::int16_t percent) {
        ++counters.progressCalls;
        if (percent != counters.lastPercent) {
            counters.lastPercent = percent;
            ++counters.redraws;
            if (percent == 100 && counters.full == Clock::time_point{})
                counters.full = Clock::now();
        }
    };
    hooks.stopRequested = [&counters] {
        if (counters.stopAt < 0 || counters.lastPercent < counters.stopAt)
            return false;
        if (counters.stopAsked == Clock::time_point{})
            counters.stopAsked = Clock::now();
        return true;
    };
    // Nothing is ever pending here; the call itself is what the window pays per block.
    hooks.yield = [&counters] { ++counters.yields; };
    return hooks;
}

int usage() {
    std::fprintf(stderr, "usage: engine_bench split FILE PIECE_SIZE [STOP_AT]\n"
                         "       engine_bench join PIECE [STOP_AT]\n");
    return kUsageError;
}

// Only sizes the engine's 32-bit piece size can hold are passed on; anything else is the caller's typo.
bool parsePieceSize(const char* text, std::int32_t& size) {
    errno = 0;
    char* end = nullptr;
    const long long value = std::strtoll(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0')
        return false;
    if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max())
        return false;
    size = static_cast<std::int32_t>(value);
    return true;
}

double Since(Clock::time_point start, Clock::time_point at) {
    return at == Clock::time_point{} ? -1.0 : std::chrono::duration<double>(at - start).count();
}

int report(const char* what, std::int16_t result, std::int16_t pieceCount, const HookCounters& counters) {
    const Clock::time_point end = Clock::now();
    std::printf("%s: full_s=%.3f end_s=%.3f", what, Since(counters.start, counters.full), Since(counters.start, end));
    if (counters.stopAt >= 0)
        std::printf(" stop_s=%.3f", Since(counters.stopAsked, end));
    std::printf("\n");
    if (result != modFHand::kSuccess) {
        std::fprintf(stderr, "engine_bench: %s failed with result %d\n", what, result);
        return result;
    }
    std::printf("%s: result 0, %d pieces, %llu progress calls (%llu redraws), %llu yields\n", what, pieceCount,
                static_cast<unsigned long long>(counters.progressCalls),
                static_cast<unsigned long long>(counters.redraws), static_cast<unsigned long long>(counters.yields));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3)
        return usage();
    HookCounters counters;
    const bool split = std::strcmp(argv[1], "split") == 0;
    if (argc == (split ? 5 : 4)) {
        std::int32_t stopAt = 0;
        if (!parsePieceSize(argv[argc - 1], stopAt) || stopAt < 0 || stopAt > 100)
            return usage();
        counters.stopAt = stopAt;
        --argc;
    }
    const modFHand::Hooks hooks = makeHooks(counters);
    std::int16_t pieceCount = 0;

    if (split && argc == 4) {
        std::int32_t pieceSize = 0;
        if (!parsePieceSize(argv[3], pieceSize))
            return usage();
        const std::int16_t result = modFHand::SplitFile(argv[2], pieceSize, pieceCount, hooks);
        return report("split", result, pieceCount, counters);
    }
    if (std::strcmp(argv[1], "join") == 0 && argc == 3) {
        const std::int16_t result = modFHand::JoinFile(argv[2], pieceCount, hooks);
        return report("join", result, pieceCount, counters);
    }
    return usage();
}
