#include "engine/PieceNames.h"
#include "engine/modFHand.h"
#include "engine/support/EngineTestSupport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iostream>
#include <optional>

using namespace enginetest;

namespace {

constexpr std::int32_t kSevenHundredMegabytes = 700 * 1048576;

std::uint64_t AvailableMemory() {
    std::ifstream meminfo("/proc/meminfo");
    std::string key;
    std::uint64_t kilobytes = 0;
    std::string unit;
    while (meminfo >> key >> kilobytes >> unit) {
        if (key == "MemAvailable:")
            return kilobytes * 1024;
    }
    return 0;
}

// Memory-backed when there is room (the disk's speed would dominate), else the disk; nothing when neither fits.
std::optional<fs::path> RoomFor(std::uint64_t bytes) {
    std::error_code ec;
    const std::uint64_t margin = std::uint64_t(1) << 30;
    if (fs::space("/dev/shm", ec).available > bytes + margin && !ec && AvailableMemory() > bytes + 2 * margin)
        return fs::path("/dev/shm");
    const fs::path disk = fs::temp_directory_path();
    if (fs::space(disk, ec).available > bytes + margin && !ec)
        return disk;
    return std::nullopt;
}

// A sparse source with distinct bytes where 32-bit arithmetic would go wrong and at every piece boundary.
void MakeSparseSource(const fs::path& path, std::uint64_t length, std::uint64_t pieceSize) {
    WriteFile(path, "");
    fs::resize_file(path, length);
    std::vector<std::uint64_t> spots = {0, (1ULL << 31) - 3, (1ULL << 32) - 3, length - 7};
    for (std::uint64_t boundary = pieceSize; boundary < length; boundary += pieceSize)
        spots.push_back(boundary - 3);
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    unsigned seed = 1;
    for (const std::uint64_t spot : spots) {
        if (spot + 7 > length)
            continue;
        const std::string marker = Pattern(7, seed++);
        file.seekp(static_cast<std::streamoff>(spot));
        file.write(marker.data(), 7);
    }
    ASSERT_TRUE(file.good());
}

} // namespace

TEST(LargeFiles, SplitAndJoinBeyondThirtyTwoBits) {
    const struct {
        std::uint64_t length;
        std::int16_t pieces;
    } cases[] = {
        {(1ULL << 31) + 4567, 3}, // past the signed 32-bit range
        {4700000000ULL, 7},       // a disc image past the unsigned 32-bit range
    };
    for (const auto& c : cases) {
        const auto base = RoomFor(2 * c.length);
        if (!base) {
            GTEST_SKIP() << "not enough free space for two copies of " << c.length << " bytes";
        }
        TempFolder dir(*base);
        const fs::path source = dir / "disc.iso";
        MakeSparseSource(source, c.length, kSevenHundredMegabytes);

        std::int16_t written = 0;
        ASSERT_EQ(modFHand::SplitFile(source, kSevenHundredMegabytes, written, {}), modFHand::kSuccess) << c.length;
        EXPECT_EQ(written, c.pieces);
        std::uint64_t total = 0;
        for (int k = 1; k <= written; ++k)
            total += fs::file_size(modFHand::PieceName(source, k));
        EXPECT_EQ(total, c.length);

        fs::rename(source, dir / "original");
        int lastPercent = -1;
        bool rising = true;
        modFHand::Hooks hooks;
        hooks.progress = [&](std::int16_t percent) {
            rising = rising && (percent >= lastPercent || percent == 0);
            lastPercent = percent;
        };
        std::int16_t joined = 0;
        ASSERT_EQ(modFHand::JoinFile(modFHand::PieceName(source, 2), joined, hooks), modFHand::kSuccess);
        EXPECT_EQ(joined, written);
        EXPECT_TRUE(rising);
        EXPECT_EQ(lastPercent, 0);
        for (int k = 1; k <= written; ++k)
            fs::remove(modFHand::PieceName(source, k));
        EXPECT_EQ(fs::file_size(source), c.length);
        EXPECT_TRUE(SameContent(dir / "original", source));
    }
}
