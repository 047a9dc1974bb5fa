#include "engine/PieceNames.h"
#include "engine/modFHand.h"
#include "engine/support/EngineTestSupport.h"
#include "engine/support/SyscallSeam.h"

#include <gtest/gtest.h>


#include <regex>
#ifndef _WIN32
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace enginetest;
using modFHand::kFailure;
using modFHand::kSplitBadPieceSize;
using modFHand::kSplitNoSource;
using modFHand::kSplitTooManyPieces;
using modFHand::kSuccess;
using modFHand::SplitFile;

namespace {

std::vector<std::string> SeriesNames(const std::string& name, int count) {
    std::vector<std::string> names{name};
    for (int k = 1; k <= count; ++k)
        names.push_back(fs::path(modFHand::PieceName(fs::path(name), k)).string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string Concatenate(const fs::path& source, int count) {
    std::string whole;
    for (int k = 1; k <= count; ++k)
        whole += ReadFile(modFHand::PieceName(source, k));
    return whole;
}

} // namespace

TEST(Split, CutsAwkwardLengthsIntoTheRightPieces) {
    const struct {
        std::size_t length;
        std::int32_t pieceSize;
        int pieces;
        std::size_t lastLength;
    } cases[] = {
        {0, 100, 1, 0},           {1, 100, 1, 1},
        {100, 100, 1, 100},       {200, 100, 2, 100},
        {201, 100, 3, 1},         {50, 100, 1, 50},
        {6999, 7, 1000, 6},       {30000, 12000, 3, 6000},
        {3145729, 1048576, 4, 1}, {2500000, 2097153, 2, 402847},
    };
    for (const auto& c : cases) {
        TempFolder dir;
        const fs::path source = dir / "movie.avi";
        const std::string bytes = Pattern(c.length);
        WriteFile(source, bytes);
        std::int16_t count = kUntouched;
        ASSERT_EQ(SplitFile(source, c.pieceSize, count, {}), kSuccess) << c.length << "/" << c.pieceSize;
        EXPECT_EQ(count, c.pieces);
        EXPECT_EQ(dir.Names(), SeriesNames("movie.avi", c.pieces));
        EXPECT_EQ(fs::file_size(modFHand::PieceName(source, c.pieces)), c.lastLength);
        EXPECT_EQ(Concatenate(source, c.pieces), bytes);
        EXPECT_EQ(ReadFile(source), bytes);
    }
}

TEST(Split, RefusesWithTheFirstFailingCheckAndWritesNothing) {
    TempFolder dir;
    WriteFile(dir / "small", Pattern(1000));
    WriteFile(dir / "empty", "");
    fs::create_directory(dir / "folder");
#ifndef _WIN32
    MakeFifo(dir / "fifo"); // Windows has no FIFOs: there the name is missing, and refused all the same
#endif
    WriteFile(dir / "ten", "");
    fs::resize_file(dir / "ten", 10485760);
    const auto before = dir.Names();
    const struct {
        fs::path path;
        std::int32_t pieceSize;
        std::int16_t result;
    } cases[] = {
        {"", 100, kSplitNoSource},
        {dir / "missing", 0, kSplitNoSource},
        {dir / "missing", -1, kSplitNoSource},
        {dir / "folder", 100, kSplitNoSource},
        {dir / "fifo", 100, kSplitNoSource},
        {dir / "small", 0, kSplitBadPieceSize},
        {dir / "small", -1, kSplitBadPieceSize},
        {dir / "empty", -100, kSplitBadPieceSize},
        {dir / "small", INT32_MIN, kSplitBadPieceSize},
        {dir / "small", 1, kSplitTooManyPieces},
        {dir / "ten", 10485, kSplitTooManyPieces},
    };
    for (const auto& c : cases) {
        std::int16_t count = kUntouched;
        EXPECT_EQ(SplitFile(c.path, c.pieceSize, count, {}), c.result) << c.path << " " << c.pieceSize;
        EXPECT_EQ(count, kUntouched);
        EXPECT_EQ(dir.Names(), before);
    }
    std::int16_t count = kUntouched;
    ASSERT_EQ(SplitFile(dir / "ten", 10486, count, {}), kSuccess);
    EXPECT_EQ(count, 1000);
    EXPECT_EQ(fs::file_size(dir / "ten.1000"), 10246u);
}

TEST(Split, PathWithoutSeparatorFailsWithNothingWritten) {
    TempFolder dir;
    WriteFile(dir / "data.bin", Pattern(10));
    const fs::path previous = fs::current_path();
    fs::current_path(dir.path());
    std::int16_t count = kUntouched;
    const auto result = SplitFile("data.bin", 4, count, {});
    fs::current_path(previous);
    EXPECT_EQ(result, kFailure);
    EXPECT_EQ(count, kUntouched);
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"data.bin"});
}

TEST(Split, ReportsProgressAndYieldsAtTheRightMoments) {
    constexpr int Y = Recorder::kYield;
    const struct {
        std::size_t length;
        std::int32_t pieceSize;
        std::vector<int> calls;
    } cases[] = {
        {0, 10, {Y, 0}},
        {30000, 30000, {Y, 40, Y, Y, 80, Y, Y, 100, Y, Y, 0}},
        {30000, 15000, {Y, 40, Y, Y, 50, Y, Y, Y, 90, Y, Y, 100, Y, Y, 0}},
        {7, 5, {Y, 71, Y, Y, Y, 85, Y, Y, 100, Y, Y, 0}},
#ifndef _WIN32
        {kStickRun, kStickRun / 2, {}}, // on the stick model: the bar never runs far ahead of the device
#endif
    };
    for (const auto& c : cases) {
        TempFolder dir;
        Recorder recorder;
        std::int16_t count = 0;
        if (c.calls.empty()) {
#ifndef _WIN32
            StickModel stick(dir, kStickRate);
            if (stick.Skips("the stick row"))
                continue;
            const std::string bytes = Pattern(c.length);
            WriteFile(stick.device() / "f", bytes);
            ASSERT_EQ(SplitFile(stick.path() / "f", c.pieceSize, count, stick.Watched(recorder.Hooks(), c.length)),
                      kSuccess);
            EXPECT_EQ(Concatenate(stick.path() / "f", 2), bytes);
            EXPECT_TRUE(ProgressInOrder(recorder.Progress()));
            EXPECT_LE(stick.Lead(), kStickLead);
#endif
            continue;
        }
        WriteFile(dir / "f", Pattern(c.length));
        ASSERT_EQ(SplitFile(dir / "f", c.pieceSize, count, recorder.Hooks()), kSuccess);
        EXPECT_EQ(recorder.calls, c.calls) << c.length << "/" << c.pieceSize;
    }
}

TEST(Split, CallsProgressOncePerLadderBlock) {
    const struct {
        std::size_t length;
        std::int32_t pieceSize;
        std::size_t progressCalls; // blocks plus the final 0
    } cases[] = {
        {1048576, 1048576, 93 + 1},     // one megabyte: 87 x 12000, 3000, 1500, 3 x 25, 1
        {3145728, 1048576, 3 * 93 + 1}, // the ladder starts afresh with every piece
        {11999, 11999, 20 + 1},
    };
    for (const auto& c : cases) {
        TempFolder dir;
        WriteFile(dir / "f", Pattern(c.length));
        Recorder recorder;
        std::int16_t count = 0;
        ASSERT_EQ(SplitFile(dir / "f", c.pieceSize, count, recorder.Hooks()), kSuccess);
        const auto progress = recorder.Progress();
        EXPECT_EQ(progress.size(), c.progressCalls);
        EXPECT_TRUE(ProgressInOrder(progress));
    }
}

TEST(Split, OlderLongerPieceLeavesNoStaleBytes) {
    TempFolder dir;
    WriteFile(dir / "f", Pattern(150));
    WriteFile(dir / "f.001", Pattern(5000, 9));
    WriteFile(dir / "f.002", Pattern(5000, 9));
    std::int16_t count = 0;
    ASSERT_EQ(SplitFile(dir / "f", 100, count, {}), kSuccess);
    EXPECT_EQ(ReadFile(dir / "f.001"), Pattern(150).substr(0, 100));
    EXPECT_EQ(ReadFile(dir / "f.002"), Pattern(150).substr(100));
}

#ifndef _WIN32
TEST(Split, NeverWritesThroughALinkOrIntoTheSourceItself) {
    enum class Kind { SymlinkToOther, SymlinkToSource, HardLinkToSource, Folder, Fifo };
    for (const Kind kind :
         {Kind::SymlinkToOther, Kind::SymlinkToSource, Kind::HardLinkToSource, Kind::Folder, Kind::Fifo}) {
        TempFolder dir;
        const std::string bytes = Pattern(300);
        WriteFile(dir / "f", bytes);
        WriteFile(dir / "other", "keep me");
        const fs::path second = dir / "f.002";
        switch (kind) {
        case Kind::SymlinkToOther:
            fs::create_symlink(dir / "other", second);
            break;
        case Kind::SymlinkToSource:
            fs::create_symlink(dir / "f", second);
            break;
        case Kind::HardLinkToSource:
            fs::create_hard_link(dir / "f", second);
            break;
        case Kind::Folder:
            fs::create_directory(second);
            break;
        case Kind::Fifo:
            MakeFifo(second);
            break;
        }
        const auto before = dir.Names();
        std::int16_t count = kUntouched;
        EXPECT_EQ(SplitFile(dir / "f", 100, count, {}), kFailure) << static_cast<int>(kind);
        EXPECT_EQ(count, kUntouched);
        EXPECT_EQ(ReadFile(dir / "f"), bytes);
        EXPECT_EQ(ReadFile(dir / "other"), "keep me");
        EXPECT_EQ(dir.Names(), before) << "piece 001 of this run must be gone";
    }
}
#endif

TEST(Split, RemovesTheRestOfAnOlderLongerSeriesUpToTheFirstGap) {
    const struct {
        std::vector<std::string> older;
        std::vector<std::string> links; // older pieces that are links instead of files
        std::vector<std::string> left;  // what must remain besides f, f.001, f.002
    } cases[] = {
        {{"f.003", "f.004", "f.005"}, {}, {}},
        {{"f.003", "f.004", "f.006"}, {}, {"f.006"}},
        {{"f.004"}, {}, {"f.004"}},
#ifndef _WIN32
        // A link counts as a piece, as it does for join; the link goes, what it points to stays.
        {{"f.003", "f.005"}, {"f.004"}, {}},
        {{}, {"f.003"}, {}},
        {{"f.005"}, {"f.003", "f.004"}, {}},
#endif
    };
    for (const auto& c : cases) {
        TempFolder dir;
        WriteFile(dir / "f", Pattern(200));
        WriteFile(dir / "target", "t");
        for (const auto& name : c.older)
            WriteFile(dir / name, "old");
        for (const auto& name : c.links)
            fs::create_symlink(dir / "target", dir / name);
        std::int16_t count = 0;
        ASSERT_EQ(SplitFile(dir / "f", 100, count, {}), kSuccess);
        std::vector<std::string> expected = {"f", "f.001", "f.002", "target"};
        expected.insert(expected.end(), c.left.begin(), c.left.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(dir.Names(), expected);
        EXPECT_EQ(ReadFile(dir / "target"), "t");
    }
}

TEST(Split, FailureDuringTheWorkRemovesThisRunsPiecesAndKeepsTheSource) {
    enum class SourceFault { None, CutShort, CutAfterLastRead };
    const struct {
        HookFault hook;
        SourceFault source;
    } cases[] = {{HookFault::ProgressThrows, SourceFault::None},      {HookFault::YieldThrows, SourceFault::None},
                 {HookFault::FinalProgressThrows, SourceFault::None}, {HookFault::None, SourceFault::CutShort},
                 {HookFault::None, SourceFault::CutAfterLastRead},    {HookFault::StopMidRun, SourceFault::None},
                 {HookFault::StopAfterLastBlock, SourceFault::None}};
    for (const bool refused : {false, true}) {
        for (const auto& c : cases) {
            const std::string what = std::to_string(&c - cases) + (refused ? ", temporary names" : "");
            TempFolder dir;
            const fs::path source = dir / "f";
            WriteFile(source, Pattern(3 * 1048576));
            const modFHand::Hooks hooks = FaultyHooks(c.hook, 150, [&](int calls) {
                if (c.source == SourceFault::CutShort && calls == 1)
                    fs::resize_file(source, 1500000);
                if (c.source == SourceFault::CutAfterLastRead && calls == 250)
                    fs::resize_file(source, 3 * 1048576 - 1);
            });
            std::int16_t count = kUntouched;
            seam::RefuseUnnamedFiles(refused); // a run under temporary names removes them just the same
            const std::int16_t result = SplitFile(source, 1048576, count, hooks);
            seam::RefuseUnnamedFiles(false);
            EXPECT_EQ(result, kFailure) << what;
            EXPECT_EQ(count, kUntouched);
            EXPECT_EQ(dir.Names(), std::vector<std::string>{"f"}) << what;
            if (c.source == SourceFault::None) {
                EXPECT_EQ(ReadFile(source), Pattern(3 * 1048576)) << what;
            }
        }
    }
}

#ifndef _WIN32
namespace {

int SplitIntoHundredKilobytePieces(const fs::path& source) {
    std::int16_t count = kUntouched;
    const std::int16_t result = SplitFile(source, 100000, count, {});
    return count == kUntouched ? result : 100 + result;
}

} // namespace

TEST(Split, AWriteThatFailsForRealEndsInFailureWithNothingLeft) {
    TempFolder dir;
    WriteFile(dir / "f", Pattern(500000));
    // The first piece can't grow past 50000 bytes: it is left half written when the write fails.
    EXPECT_EQ(RunWithFileSizeLimit(50000, SplitIntoHundredKilobytePieces, dir / "f"), kFailure);
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"f"});
    EXPECT_EQ(ReadFile(dir / "f"), Pattern(500000));
}
#endif

// Windows drops blanks and dots at the end of a name, so there those names can't exist in the first place.
TEST(Split, KeepsUnicodeBlankAndLongNamesUntouched) {
    const std::string names[] = {
        "\xd9\x81\xd8\xa7\xd8\xa6\xd9\x84 \xd9\xb9\xdb\x8c\xd8\xb3\xd9\xb9.bin", // Urdu
        std::string(251, 'n'),
#ifndef _WIN32
        "  blanks at both ends  ",
        " .dots. in .name. ",
#endif
    };
#ifdef _WIN32
    const fs::path folder = "sub .folder";
#else
    const fs::path folder = "sub.folder ";
#endif
    for (const std::string& name : names) {
        TempFolder dir;
        fs::create_directory(dir / folder);
        const fs::path source = dir / folder / fs::u8path(name);
        WriteFile(source, Pattern(250));
        std::int16_t count = 0;
        ASSERT_EQ(SplitFile(source, 100, count, {}), kSuccess) << name;
        EXPECT_EQ(count, 3);
        EXPECT_TRUE(fs::is_regular_file(modFHand::PieceName(source, 3))) << name;
        EXPECT_EQ(Concatenate(source, 3), Pattern(250));
    }
}

#ifndef _WIN32
TEST(Split, FollowsALinkedSourceAndNamesPiecesAfterTheLink) {
    TempFolder dir;
    fs::create_directory(dir / "real");
    WriteFile(dir / "real" / "data", Pattern(150));
    fs::create_symlink(dir / "real" / "data", dir / "alias");
    std::int16_t count = 0;
    ASSERT_EQ(SplitFile(dir / "alias", 100, count, {}), kSuccess);
    EXPECT_EQ(Concatenate(dir / "alias", 2), Pattern(150));
}
#endif

#ifndef _WIN32
TEST(Split, PiecesConcatenateBackWithCat) {
    for (const std::size_t length : {std::size_t(0), std::size_t(1447035), std::size_t(3 * 1447035 + 17)}) {
        TempFolder dir;
        WriteFile(dir / "f", Pattern(length));
        std::int16_t count = 0;
        ASSERT_EQ(SplitFile(dir / "f", 1447035, count, {}), kSuccess);
        ASSERT_EQ(Shell("cat " + Quoted(dir.path()) + "/f.0* > " + Quoted(dir / "back")), 0);
        EXPECT_TRUE(SameContent(dir / "f", dir / "back")) << length;
    }
}

// Unnamed pieces need one descriptor each until the series is named. Where they are refused, or the open-file
// limit can't be raised far enough, the pieces go under temporary names; either way no piece name appears before
// the series is whole, and a limit that was raised comes back.
TEST(Split, FallsBackToTemporaryNamesWhereUnnamedPiecesCantBeHeld) {
    enum class Limit { Untouched, LowSoft, LowHard };
    const struct {
        bool refused;
        Limit limit;
    } cases[] = {{false, Limit::Untouched}, {true, Limit::Untouched}, {false, Limit::LowSoft}, {false, Limit::LowHard}};
    constexpr rlim_t kLow = 64;
    for (const auto& c : cases) {
        TempFolder dir;
        const std::string bytes = Pattern(300 * 1000 - 1);
        WriteFile(dir / "f", bytes);
        const pid_t child = ::fork();
        if (child == 0) {
            seam::RefuseUnnamedFiles(c.refused);
            rlimit limit{};
            ::getrlimit(RLIMIT_NOFILE, &limit);
            if (c.limit != Limit::Untouched) {
                limit = {kLow, c.limit == Limit::LowHard ? kLow : limit.rlim_max};
                ::setrlimit(RLIMIT_NOFILE, &limit);
            }
            bool earlyName = false;
            const std::regex pieceName(R"(f\.[0-9]+)"); // built once: the hook runs for every block
            modFHand::Hooks hooks;
            hooks.yield = [&] {
                for (const std::string& name : dir.Names())
                    earlyName = earlyName || std::regex_match(name, pieceName);
            };
            std::int16_t count = 0;
            const std::int16_t result = SplitFile(dir / "f", 1000, count, hooks);
            rlimit after{};
            ::getrlimit(RLIMIT_NOFILE, &after);
            ::_exit(result != kSuccess ? 10 + result : earlyName ? 2 : after.rlim_cur != limit.rlim_cur ? 3 : 0);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
            << c.refused << static_cast<int>(c.limit) << " " << status;
        EXPECT_EQ(dir.Names(), SeriesNames("f", 300));
        EXPECT_EQ(Concatenate(dir / "f", 300), bytes);
    }
}
#endif
