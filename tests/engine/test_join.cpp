#include "engine/PieceNames.h"
#include "engine/modFHand.h"
#include "engine/support/EngineTestSupport.h"
#include "engine/support/SyscallSeam.h"

#include <gtest/gtest.h>


#include <numeric>

using namespace enginetest;
using modFHand::JoinFile;
using modFHand::kFailure;
using modFHand::kJoinNoFirstMember;
using modFHand::kJoinNoPickedPiece;
using modFHand::kJoinOutputPresent;
using modFHand::kSplitTooManyPieces;
using modFHand::kSuccess;

TEST(Join, RebuildsTheSeriesFromAnyMember) {
    const std::vector<std::size_t> lengths = {12000, 12000, 777};
    for (const char* picked : {"movie.avi.001", "movie.avi.002", "movie.avi.003", "movie.avi.bak"}) {
        TempFolder dir;
        const std::string whole = MakeSeries(dir / "movie.avi", lengths);
        if (!fs::exists(dir / picked))
            WriteFile(dir / picked, "not a member of the run");
        const auto pieces = dir.Names();
        std::int16_t count = kUntouched;
        ASSERT_EQ(JoinFile(dir / picked, count, {}), kSuccess) << picked;
        EXPECT_EQ(count, 3);
        EXPECT_EQ(ReadFile(dir / "movie.avi"), whole);
        auto expected = pieces;
        expected.push_back("movie.avi");
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(dir.Names(), expected) << "no temporary file may be left";
    }
}

// A series that ends joins up to its end; one with a member beyond a gap (up to 999) is refused with nothing written.
// Only the exact counter text makes a member: "s.0003", "s.03" and "s.3" are no piece 3, and (where names keep
// their case) neither is "S.003".
TEST(Join, StopsAtTheEndAndRefusesAGap) {
    const struct {
        std::vector<int> present;
        std::int16_t result;
        std::int16_t count;
        std::vector<const char*> others = {};
    } cases[] = {
        {{1, 2, 4}, kFailure, kUntouched},
        {{1}, kSuccess, 1},
        {{1, 999}, kFailure, kUntouched},
        {{1, 2, 1000}, kSuccess, 2},
        {{2, 3}, kJoinNoFirstMember, kUntouched},
        {{3}, kJoinNoFirstMember, kUntouched},
        {{1, 2}, kSuccess, 2, {"s.0003", "s.03", "s.3", "s.004x", "s.0001"}},
#ifndef _WIN32
        {{1}, kSuccess, 1, {"S.002", "S.003"}},
#endif
    };
    for (const auto& c : cases) {
        TempFolder dir;
        for (const char* other : c.others)
            WriteFile(dir / other, "not a member");
        std::string whole;
        for (const int k : c.present) {
            WriteFile(modFHand::PieceName(dir / "s", k), Pattern(10, k));
            if (whole.size() == static_cast<std::size_t>(10 * (k - 1)))
                whole += Pattern(10, k);
        }
        const fs::path picked = modFHand::PieceName(dir / "s", c.present.back());
        const auto before = dir.Names();
        std::int16_t count = kUntouched;
        ASSERT_EQ(JoinFile(picked, count, {}), c.result);
        EXPECT_EQ(count, c.count);
        if (c.result == kSuccess)
            EXPECT_EQ(ReadFile(dir / "s"), whole);
        else
            EXPECT_EQ(dir.Names(), before);
    }
}

#ifndef _WIN32
// One listing finds the series and any member beyond a gap: on a share every name asked about is a round trip,
// and a join used to ask about a thousand. Only the output's name, which must still be free, is missing.
TEST(Join, AThreePieceJoinLooksUpNoMissingName) {
    TempFolder dir;
    MakeSeries(dir / "s", {10, 10, 10});
    std::int16_t count = 0;
    seam::StartRecording();
    ASSERT_EQ(JoinFile(dir / "s.002", count, {}), kSuccess);
    seam::StopRecording();
    EXPECT_EQ(seam::MissingLookups(), std::vector<std::string>{(dir / "s").string()});
}
#endif

TEST(Join, JoinsAThousandMembers) {
    TempFolder dir;
    const std::string whole = MakeSeries(dir / "big", std::vector<std::size_t>(1000, 3));
    std::int16_t count = 0;
    ASSERT_EQ(JoinFile(dir / "big.1000", count, {}), kSuccess);
    EXPECT_EQ(count, 1000);
    EXPECT_EQ(ReadFile(dir / "big"), whole);
}

TEST(Join, RefusesWithTheFirstFailingCheckAndWritesNothing) {
    TempFolder dir;
    MakeSeries(dir / "a.bin", {5, 5});
    WriteFile(dir / "a.bin", "the output already there");
    WriteFile(dir / "movie.avi", "x");
    WriteFile(dir / "lonely.002", "x");
    MakeSeries(dir / "readme", {4});
    WriteFile(dir / "readme", "r");
    fs::create_directory(dir / "folder.001");
#ifndef _WIN32
    MakeFifo(dir / "fifo.001"); // Windows has no FIFOs: there the name is missing, and refused all the same
#endif
    const auto before = dir.Names();
    const struct {
        fs::path picked;
        std::int16_t result;
    } cases[] = {
        {"", kJoinNoPickedPiece},
        {dir / "missing.001", kJoinNoPickedPiece},
        {dir / "folder.001", kJoinNoPickedPiece},
        {dir / "fifo.001", kJoinNoPickedPiece},
        {dir / "lonely.002", kJoinNoFirstMember},
        {dir / "movie.avi", kJoinNoFirstMember},
        {dir / "a.bin.002", kJoinOutputPresent},
        {dir / "readme", kJoinOutputPresent},
    };
    for (const auto& c : cases) {
        std::int16_t count = kUntouched;
        EXPECT_EQ(JoinFile(c.picked, count, {}), c.result) << c.picked;
        EXPECT_EQ(count, kUntouched);
        EXPECT_EQ(dir.Names(), before);
    }
    EXPECT_EQ(ReadFile(dir / "a.bin"), "the output already there");
}

TEST(Join, PathWithoutSeparatorFailsWithNothingWritten) {
    TempFolder dir;
    MakeSeries(dir / "x", {3});
    const fs::path previous = fs::current_path();
    fs::current_path(dir.path());
    std::int16_t count = kUntouched;
    const auto result = JoinFile("x.001", count, {});
    fs::current_path(previous);
    EXPECT_EQ(result, kFailure);
    EXPECT_EQ(count, kUntouched);
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"x.001"});
}

#ifndef _WIN32
TEST(Join, AnyEntryUnderTheOutputNameCountsAsPresent) {
    enum class Entry { Folder, Fifo, Socket, LinkToFile, DanglingLink, LinkToFolder };
    for (const Entry entry :
         {Entry::Folder, Entry::Fifo, Entry::Socket, Entry::LinkToFile, Entry::DanglingLink, Entry::LinkToFolder}) {
        TempFolder dir;
        MakeSeries(dir / "out", {100, 100});
        WriteFile(dir / "target", "t");
        const fs::path output = dir / "out";
        switch (entry) {
        case Entry::Folder:
            fs::create_directory(output);
            break;
        case Entry::Fifo:
            MakeFifo(output);
            break;
        case Entry::Socket:
            MakeSocket(output);
            break;
        case Entry::LinkToFile:
            fs::create_symlink(dir / "target", output);
            break;
        case Entry::DanglingLink:
            fs::create_symlink(dir / "nowhere", output);
            break;
        case Entry::LinkToFolder:
            fs::create_symlink(dir.path(), output);
            break;
        }
        const auto before = dir.Names();
        std::int16_t count = kUntouched;
        EXPECT_EQ(JoinFile(dir / "out.001", count, {}), kJoinOutputPresent) << static_cast<int>(entry);
        EXPECT_EQ(dir.Names(), before);
        EXPECT_EQ(ReadFile(dir / "target"), "t");
        EXPECT_FALSE(fs::exists(dir / "nowhere"));
    }
}
#endif

#ifndef _WIN32
TEST(Join, MembersThatAreNotRegularFilesEndTheSeries) {
    TempFolder dir;
    const std::string first = MakeSeries(dir / "m", {40});
    MakeFifo(dir / "m.002");
    std::int16_t count = 0;
    ASSERT_EQ(JoinFile(dir / "m.001", count, {}), kSuccess);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(ReadFile(dir / "m"), first);
}
#endif

#ifndef _WIN32
TEST(Join, LinkedMembersAreFollowed) {
    TempFolder dir;
    fs::create_directory(dir / "elsewhere");
    const std::string whole = MakeSeries(dir / "elsewhere" / "p", {30, 20});
    WriteFile(dir / "p.001", ReadFile(dir / "elsewhere" / "p.001"));
    fs::create_symlink(dir / "elsewhere" / "p.002", dir / "p.002");
    std::int16_t count = 0;
    ASSERT_EQ(JoinFile(dir / "p.002", count, {}), kSuccess);
    EXPECT_EQ(ReadFile(dir / "p"), whole);
}
#endif

TEST(Join, ReportsProgressAndYieldsAtTheRightMoments) {
    constexpr int Y = Recorder::kYield;
    const struct {
        std::vector<std::size_t> lengths;
        std::vector<int> calls;
    } cases[] = {
        {{12000, 12000, 12000}, {Y, 33, Y, Y, Y, 66, Y, Y, Y, 100, Y, Y, 0}},
        {{0, 0}, {Y, Y, 0}},
        {{6, 0}, {Y, 83, Y, Y, 100, Y, Y, Y, 0}},
#ifndef _WIN32
        {{kStickRun / 2, kStickRun / 2}, {}}, // on the stick model: the bar never runs far ahead of the device
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
            const std::string whole = MakeSeries(stick.device() / "p", c.lengths);
            ASSERT_EQ(JoinFile(stick.path() / "p.001", count, stick.Watched(recorder.Hooks(), kStickRun)), kSuccess);
            EXPECT_TRUE(ReadFile(stick.path() / "p") == whole);
            EXPECT_TRUE(ProgressInOrder(recorder.Progress()));
            EXPECT_LE(stick.Lead(), kStickLead);
#endif
            continue;
        }
        MakeSeries(dir / "p", c.lengths);
        ASSERT_EQ(JoinFile(dir / "p.001", count, recorder.Hooks()), kSuccess);
        EXPECT_EQ(count, static_cast<std::int16_t>(c.lengths.size()));
        EXPECT_EQ(recorder.calls, c.calls);
        EXPECT_EQ(fs::file_size(dir / "p"), std::accumulate(c.lengths.begin(), c.lengths.end(), std::size_t(0)));
    }
}

// While the work runs, the output has no name at all where the file system allows it, and elsewhere only a
// temporary name that no join takes for a piece.
TEST(Join, WritesIntoATemporaryFileBesideTheOutput) {
    for (const bool refused : {false, true}) {
        TempFolder dir;
        MakeSeries(dir / "t.dat", {20000, 20000});
        std::vector<std::string> seenDuringWork;
        modFHand::Hooks hooks;
        hooks.yield = [&] {
            if (seenDuringWork.empty())
                seenDuringWork = dir.Names();
        };
        seam::RefuseUnnamedFiles(refused);
        std::int16_t count = 0;
        const std::int16_t result = JoinFile(dir / "t.dat.001", count, hooks);
        seam::RefuseUnnamedFiles(false);
        ASSERT_EQ(result, kSuccess);
#ifdef _WIN32
        const bool named = true; // Windows has no unnamed files
#else
        const bool named = refused;
#endif
        EXPECT_EQ(seenDuringWork.size(), named ? 3u : 2u);
        EXPECT_EQ(std::count(seenDuringWork.begin(), seenDuringWork.end(), "t.dat"), 0);
        if (named) {
            EXPECT_EQ(fs::path(seenDuringWork.front()).extension(), ".tmp");
        }
        EXPECT_EQ(dir.Names(), (std::vector<std::string>{"t.dat", "t.dat.001", "t.dat.002"}));
    }
}

TEST(Join, FailureDuringTheWorkLeavesNothingUnderOrBesideTheOutput) {
    enum class FileFault { None, MemberVanishes, MemberCutShort, OutputAppears };
    const struct {
        HookFault hook;
        FileFault file;
    } cases[] = {{HookFault::ProgressThrows, FileFault::None},      {HookFault::YieldThrows, FileFault::None},
                 {HookFault::FinalProgressThrows, FileFault::None}, {HookFault::None, FileFault::MemberVanishes},
                 {HookFault::None, FileFault::MemberCutShort},      {HookFault::None, FileFault::OutputAppears},
                 {HookFault::StopMidRun, FileFault::None},          {HookFault::StopAfterLastBlock, FileFault::None}};
    for (const bool refused : {false, true}) {
        for (const auto& c : cases) {
            const std::string what = std::to_string(&c - cases) + (refused ? ", temporary name" : "");
            TempFolder dir;
            MakeSeries(dir / "j", {1048576, 1048576, 1048576});
            const auto pieces = dir.Names();
            const modFHand::Hooks hooks = FaultyHooks(c.hook, 120, [&](int calls) {
                if (c.file == FileFault::MemberVanishes && calls == 1)
                    fs::remove(dir / "j.003");
                if (c.file == FileFault::MemberCutShort && calls == 100)
                    fs::resize_file(dir / "j.002", 5);
                if (c.file == FileFault::OutputAppears && calls == 1)
                    WriteFile(dir / "j", "someone else's");
            });
            std::int16_t count = kUntouched;
            seam::RefuseUnnamedFiles(refused); // a run under a temporary name removes it just the same
            const std::int16_t result = JoinFile(dir / "j.001", count, hooks);
            seam::RefuseUnnamedFiles(false);
            EXPECT_EQ(result, kFailure) << what;
            EXPECT_EQ(count, kUntouched);
            if (c.file == FileFault::OutputAppears) {
                EXPECT_EQ(ReadFile(dir / "j"), "someone else's");
                fs::remove(dir / "j");
            }
            if (c.file == FileFault::MemberVanishes)
                WriteFile(dir / "j.003", "");
            EXPECT_EQ(dir.Names(), pieces) << what;
        }
    }
}

#ifndef _WIN32
namespace {

int JoinFromFirstMember(const fs::path& first) {
    std::int16_t count = kUntouched;
    const std::int16_t result = JoinFile(first, count, {});
    return count == kUntouched ? result : 100 + result;
}

} // namespace

TEST(Join, AWriteThatFailsForRealEndsInFailureWithNothingLeft) {
    TempFolder dir;
    MakeSeries(dir / "w", {40000, 40000});
    const auto pieces = dir.Names();
    EXPECT_EQ(RunWithFileSizeLimit(60000, JoinFromFirstMember, dir / "w.001"), kFailure);
    EXPECT_EQ(dir.Names(), pieces);
}
#endif

TEST(Join, KeepsUnicodeBlankAndDottedNamesUntouched) {
    const struct {
        std::string folder;
        std::string stem;
    } cases[] = {
        {"plain", "\xd9\x81\xd8\xa7\xd8\xa6\xd9\x84 \xd9\xb9\xdb\x8c\xd8\xb3\xd9\xb9.bin"},
#ifndef _WIN32
        {" blank folder ", "  blanks at both ends  "}, // Windows drops blanks at the end of a name
#endif
        {"My.Folder", "a.b.c"},
        {"x.y", std::string(251, 'n')},
    };
    for (const auto& c : cases) {
        TempFolder dir;
        const fs::path folder = dir / fs::u8path(c.folder);
        const fs::path stem = folder / fs::u8path(c.stem);
        fs::create_directories(folder);
        const std::string whole = MakeSeries(stem, {100, 50});
        std::int16_t count = 0;
        ASSERT_EQ(JoinFile(modFHand::PieceName(stem, 2), count, {}), kSuccess) << c.stem;
        EXPECT_EQ(ReadFile(stem), whole);
        EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 3);
    }
}

#ifndef _WIN32
// Users already have series cut by the standard tool; those must join, and ours must round-trip through it.
TEST(Join, JoinsASeriesWrittenByCoreutilsSplit) {
    for (const std::size_t length : {std::size_t(1), std::size_t(1447035), std::size_t(5 * 1447035 + 3)}) {
        TempFolder dir;
        WriteFile(dir / "orig", Pattern(length));
        fs::copy_file(dir / "orig", dir / "FILE");
        ASSERT_EQ(Shell("cd " + Quoted(dir.path()) + " && split -b 1447035 -a 3 --numeric-suffixes=1 FILE FILE."), 0);
        fs::remove(dir / "FILE");
        std::int16_t count = 0;
        ASSERT_EQ(JoinFile(dir / "FILE.001", count, {}), kSuccess);
        EXPECT_EQ(count, static_cast<std::int16_t>(length == 0 ? 1 : (length + 1447034) / 1447035));
        EXPECT_TRUE(SameContent(dir / "orig", dir / "FILE")) << length;
    }
}
#endif

TEST(Join, RoundTripsWhatSplitWrote) {
    // Pieces larger than one kernel copy call too, and a memory-backed folder beside the disk's, since each
    // file system takes its own path through the kernel.
    const struct {
        std::int32_t pieceSize;
        std::size_t length;
    } cases[] = {{1, 2 * 1048576 + 12345},       {2500, 2 * 1048576 + 12345},    {12000, 2 * 1048576 + 12345},
                 {1048576, 2 * 1048576 + 12345}, {1048577, 2 * 1048576 + 12345}, {9 * 1048576 + 1, 20 * 1048576 + 7}};
    for (const fs::path& base : {fs::temp_directory_path(), fs::path("/dev/shm")}) {
        if (!fs::is_directory(base))
            continue;
        for (const auto& c : cases) {
            TempFolder dir(base);
            const std::string bytes = Pattern(c.length, c.pieceSize);
            WriteFile(dir / "orig.iso", bytes);
            std::int16_t written = 0, joined = 0;
            if (c.pieceSize == 1) {
                EXPECT_EQ(modFHand::SplitFile(dir / "orig.iso", c.pieceSize, written, {}), kSplitTooManyPieces);
                continue;
            }
            ASSERT_EQ(modFHand::SplitFile(dir / "orig.iso", c.pieceSize, written, {}), kSuccess);
            fs::rename(dir / "orig.iso", dir / "kept");
            ASSERT_EQ(JoinFile(dir / "orig.iso.001", joined, {}), kSuccess);
            EXPECT_EQ(joined, written);
            EXPECT_EQ(ReadFile(dir / "orig.iso"), bytes) << base << " " << c.pieceSize;
        }
    }
}
