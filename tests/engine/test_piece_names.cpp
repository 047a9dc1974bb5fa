#include "engine/BlockLadder.h"
#include "engine/PieceNames.h"
#include "engine/Transfer.h"
#include "engine/support/EngineTestSupport.h"

#include <gtest/gtest.h>

#include <numeric>

using namespace enginetest;
using modFHand::CounterText;

TEST(CounterText, FormatsWithAtLeastThreeDigits) {
    const struct {
        std::int32_t number;
        const char* text;
    } cases[] = {{1, "001"},     {9, "009"},     {42, "042"},      {100, "100"}, {999, "999"},
                 {1000, "1000"}, {2345, "2345"}, {32767, "32767"}, {0, "000"}};
    for (const auto& c : cases)
        EXPECT_EQ(CounterText(c.number), fs::path(c.text).native()) << c.number;
}

TEST(PieceName, AppendsDotAndCounterToTheWholePath) {
    const struct {
        const char* source;
        std::int32_t number;
        const char* piece;
    } cases[] = {
        {"/data/movie.avi", 1, "/data/movie.avi.001"},
        {"/data/movie.avi", 1000, "/data/movie.avi.1000"},
        {"/data/readme", 3, "/data/readme.003"},
        {"/my.folder/ spaced name ", 12, "/my.folder/ spaced name .012"},
        {"rel/dir/x.tar.gz", 7, "rel/dir/x.tar.gz.007"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(modFHand::PieceName(fs::path(c.source), c.number).native(), fs::path(c.piece).native());
}

TEST(SeriesOf, TakesFolderAndStemFromThePickedPiece) {
    const struct {
        const char* picked;
        const char* folder;
        const char* stem;
        const char* member2;
    } cases[] = {
        {"/data/movie.avi.007", "/data/", "movie.avi", "/data/movie.avi.002"},
        {"/data/movie.avi.1000", "/data/", "movie.avi", "/data/movie.avi.002"},
        {"/data/movie.avi", "/data/", "movie", "/data/movie.002"},
        {"/data/readme", "/data/", "readme", "/data/readme.002"},
        {"/My.Folder/a.b.c.002", "/My.Folder/", "a.b.c", "/My.Folder/a.b.c.002"},
        {"/dots.in/the.folder/plain", "/dots.in/the.folder/", "plain", "/dots.in/the.folder/plain.002"},
        {"/d/ blank ends .001", "/d/", " blank ends ", "/d/ blank ends .002"},
        {"/d/.hidden", "/d/", "", "/d/.002"},
        {"rel/x.001", "rel/", "x", "rel/x.002"},
        {"/x.", "/", "x", "/x.002"},
#ifdef _WIN32
        {"C:\\data\\movie.avi.007", "C:\\data\\", "movie.avi", "C:\\data\\movie.avi.002"},
        {"C:\\mixed/both\\a.b.001", "C:\\mixed/both\\", "a.b", "C:\\mixed/both\\a.b.002"},
        {"\\\\server\\share\\x.001", "\\\\server\\share\\", "x", "\\\\server\\share\\x.002"},
#endif
    };
    for (const auto& c : cases) {
        const auto names = modFHand::SeriesOf(fs::path(c.picked));
        ASSERT_TRUE(names) << c.picked;
        EXPECT_EQ(names->folder, fs::path(c.folder).native()) << c.picked;
        EXPECT_EQ(names->stem, fs::path(c.stem).native()) << c.picked;
        EXPECT_EQ(names->Member(2), fs::path(c.member2).native()) << c.picked;
        EXPECT_EQ(names->Output(), fs::path(std::string(c.folder) + c.stem).native()) << c.picked;
    }
}

// "\\" separates folders on Windows only; elsewhere it is a character of the name like any other.
TEST(SeriesOf, NeedsASeparator) {
    for (const char* picked : {"movie.avi.001", "readme", ""})
        EXPECT_FALSE(modFHand::SeriesOf(fs::path(picked))) << picked;
    EXPECT_EQ(modFHand::LastSeparator(fs::path("/a/b/c").native()), 4u);
#ifdef _WIN32
    EXPECT_TRUE(modFHand::SeriesOf(L"a\\b.001"));
    EXPECT_EQ(modFHand::LastSeparator(fs::path("a/b\\c").native()), 3u);
#else
    EXPECT_FALSE(modFHand::SeriesOf("a\\b.001"));
    EXPECT_FALSE(modFHand::LastSeparator("no\\separator\\here"));
#endif
}

#ifndef _WIN32
TEST(Existence, OnlyRegularFilesCountLinksFollowed) {
    TempFolder dir;
    WriteFile(dir / "file", "x");
    WriteFile(dir / "empty", "");
    fs::create_directory(dir / "folder");
    fs::create_symlink(dir / "file", dir / "link-to-file");
    fs::create_symlink(dir / "folder", dir / "link-to-folder");
    fs::create_symlink(dir / "nowhere", dir / "dangling");
    MakeFifo(dir / "fifo");
    fs::create_symlink(dir / "fifo", dir / "link-to-fifo");
    MakeSocket(dir / "sock");
    const struct {
        fs::path path;
        bool present;
        bool taken;
    } cases[] = {
        {dir / "file", true, true},
        {dir / "empty", true, true},
        {dir / "link-to-file", true, true},
        {dir / "folder", false, true},
        {dir / "link-to-folder", false, true},
        {dir / "dangling", false, true},
        {dir / "fifo", false, true},
        {dir / "link-to-fifo", false, true},
        {dir / "sock", false, true},
        {"/dev/null", false, true},
        {dir / "missing", false, false},
        {dir / "missing/below", false, false},
        {dir / "file/below", false, false},
        {"", false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(modFHand::IsPresent(c.path), c.present) << c.path;
        EXPECT_EQ(modFHand::IsNameTaken(c.path), c.taken) << c.path;
    }
}
#endif

TEST(BlockLadder, PicksTheLargestRungNotAboveWhatIsOwed) {
    const struct {
        std::int64_t owed;
        std::int32_t block;
    } cases[] = {{0, 0},
                 {1, 1},
                 {4, 1},
                 {5, 5},
                 {24, 5},
                 {25, 25},
                 {99, 25},
                 {100, 100},
                 {499, 100},
                 {500, 500},
                 {1499, 500},
                 {1500, 1500},
                 {2999, 1500},
                 {3000, 3000},
                 {5999, 3000},
                 {6000, 6000},
                 {11999, 6000},
                 {12000, 12000},
                 {1LL << 40, 12000},
                 {-1, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(modFHand::BlockSize(c.owed), c.block) << c.owed;
}

// However the bytes arrive in chunks, the calls are those of the blocks the ladder cuts the quota into.
TEST(BlockPacer, ReplaysTheLadderWhateverTheChunks) {
    const std::vector<int> blocks11999 = {6000, 3000, 1500, 500, 500, 100, 100, 100, 100, 25,
                                          25,   25,   5,    5,   5,   5,   1,   1,   1,   1};
    std::vector<int> expected;
    std::int64_t done = 0;
    for (const int block : blocks11999) {
        done += block;
        expected.push_back(static_cast<int>(done * 100 / 11999));
    }
    const std::vector<std::vector<std::int64_t>> chunkings = {{11999},      {1, 11998},       {5999, 6000},
                                                              {6000, 5999}, {7, 7, 7, 11978}, {3000, 3000, 3000, 2999}};
    for (const auto& chunks : chunkings) {
        ASSERT_EQ(std::accumulate(chunks.begin(), chunks.end(), std::int64_t(0)), 11999);
        Recorder recorder;
        const modFHand::Hooks hooks = recorder.Hooks();
        modFHand::BlockPacer pacer(hooks, 11999);
        pacer.BeginPart(11999);
        for (const std::int64_t chunk : chunks)
            pacer.Advance(chunk);
        EXPECT_EQ(recorder.Progress(), expected) << chunks.size() << " chunks";
        EXPECT_EQ(recorder.calls.size(), 3 * expected.size());
    }
}

// A stop request waits for the kernel call under way: once a call has shown the device's speed, every next
// call must end well within 100 ms at that speed, be no smaller than it need be, and start on a 64 KiB edge so
// that blocks can still be shared.
TEST(KernelChunk, FitsEveryCallToTheSpeedJustSeen) {
    for (const double bytesPerSecond : {5e6, 20e6, 300e6, 3e9, 1e12}) {
        modFHand::CopyBuffer buffer;
        for (int call = 1; call <= 30; ++call) {
            const std::int64_t chunk = buffer.KernelChunk();
            const double seconds = static_cast<double>(chunk) / bytesPerSecond;
            if (call > 1) {
                EXPECT_LT(seconds, 0.05) << bytesPerSecond << " B/s, call " << call;
            }
            EXPECT_EQ(chunk % 65536, 0) << bytesPerSecond;
            buffer.KernelCopyTook(chunk, std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                             std::chrono::duration<double>(seconds)));
        }
        const double lastCall = static_cast<double>(buffer.KernelChunk()) / bytesPerSecond;
        EXPECT_TRUE(lastCall > 0.005 || buffer.KernelChunk() == 8 << 20) << bytesPerSecond << " B/s";
    }
}

TEST(ProgressPercent, RoundsDownAndRefusesOverflow) {
    EXPECT_EQ(modFHand::ProgressPercent(12000, 30000), 40);
    EXPECT_EQ(modFHand::ProgressPercent(24000, 36000), 66);
    EXPECT_EQ(modFHand::ProgressPercent(1, 3), 33);
    EXPECT_EQ(modFHand::ProgressPercent(4700000000LL, 4700000000LL), 100);
    EXPECT_EQ(modFHand::ProgressPercent(327, 1), 32700);
    EXPECT_THROW(modFHand::ProgressPercent(328, 1), std::overflow_error);
    EXPECT_THROW(modFHand::ProgressPercent(5, 0), std::overflow_error);
}
