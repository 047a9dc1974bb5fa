#include "app/WideText.h"
#include "app/WorkerRun.h"
#include "engine/support/EngineTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

namespace {

using namespace enginetest;
using Messages::Outcome;

// How the folder looks before the click.
enum class Folder {
    Source,          // the file to split
    Pieces,          // a series of 1000-byte pieces, the whole file gone
    PiecesAndOutput, // the series, and the whole file still there
};

void prepare(const fs::path& source, int bytes, Folder setup) {
    WriteFile(source, Pattern(static_cast<std::size_t>(bytes)));
    if (setup == Folder::Source)
        return;
    std::int16_t count = 0;
    ASSERT_EQ(modFHand::SplitFile(source, 1000, count, {}), modFHand::kSuccess);
    if (setup == Folder::Pieces)
        fs::remove(source);
}

std::string pieceName(const std::string& name, int index) {
    std::string number = std::to_string(index);
    return name + "." + std::string(3 - number.size(), '0') + number;
}

std::vector<std::string> seriesNames(const std::string& name, int count, bool whole) {
    std::vector<std::string> names;
    if (whole)
        names.push_back(name);
    for (int i = 1; i <= count; ++i)
        names.push_back(pieceName(name, i));
    return names;
}

// Waits on the test's thread for the end the run tells from its worker.
class EndSignal {
public:
    WorkerRun::Ended function() {
        return [this] {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_ended = true;
            m_changed.notify_all();
        };
    }
    void wait() {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [this] { return m_ended; });
        m_ended = false;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_ended = false;
};

WorkerRun::Result runToEnd(const WorkerRun::Request& request, WorkerRun::Engine engine = {}) {
    EndSignal end;
    WorkerRun run(std::move(engine), end.function());
    EXPECT_TRUE(run.start(request));
    end.wait();
    const std::optional<WorkerRun::Result> result = run.finish();
    EXPECT_TRUE(result.has_value());
    EXPECT_FALSE(run.isRunning());
    return result.value_or(WorkerRun::Result{});
}

WorkerRun::Request request(Mode mode, const std::u16string& path, const std::u16string& sizeText = u"1.38") {
    WorkerRun::Request request;
    request.mode = mode;
    (mode == Mode::Split ? request.splitPath : request.joinPath) = path;
    request.sizeText = sizeText;
    return request;
}

TEST(WorkerRun, Outcome) {
    const struct {
        const char* row;
        Mode mode;
        const char* name; // UTF-8
        int bytes;
        Folder setup;
        const char16_t* suffix; // typed after the full path of name
        const char16_t* sizeText;
        Outcome outcome;
        int piecesAfter;
    } rows[] = {
        {"split into three", Mode::Split, "a.bin", 600000, Folder::Source, u"", u"0.25", Outcome::SplitSuccess, 3},
        {"split, default size, one piece", Mode::Split, "a.bin", 5000, Folder::Source, u"", u"1.38",
         Outcome::SplitSuccess, 1},
        {"split, name outside ASCII", Mode::Split, "\xd9\x85\xd9\x84\xd9\x81-\xc3\xbc.bin", 600000, Folder::Source, u"",
         u"0.25", Outcome::SplitSuccess, 3},
        {"split, missing file", Mode::Split, "a.bin", 5000, Folder::Source, u".none", u"0.25", Outcome::SplitFailure,
         0},
        {"split, trailing blank kept", Mode::Split, "a.bin", 5000, Folder::Source, u" ", u"0.25", Outcome::SplitFailure,
         0},
        {"split, size 0", Mode::Split, "a.bin", 5000, Folder::Source, u"", u"abc", Outcome::SplitFailure, 0},
        {"split, 2048 MB does not fit", Mode::Split, "a.bin", 5000, Folder::Source, u"", u"2048", Outcome::SplitFailure,
         0},
        {"split, 1e400 is no finite size", Mode::Split, "a.bin", 5000, Folder::Source, u"", u"1e400",
         Outcome::SplitFailure, 0},
        {"split, far negative", Mode::Split, "a.bin", 5000, Folder::Source, u"", u"-2049", Outcome::SplitFailure, 0},
        {"join twelve", Mode::Join, "a.bin", 11500, Folder::Pieces, u".001", u"0.25", Outcome::JoinSuccess, 12},
        {"join from a later piece, size box not read", Mode::Join, "a.bin", 2500, Folder::Pieces, u".002",
         u"not a number", Outcome::JoinSuccess, 3},
        {"join, output already there", Mode::Join, "a.bin", 2500, Folder::PiecesAndOutput, u".001", u"0.25",
         Outcome::JoinFailure, 3},
        {"join, missing piece", Mode::Join, "a.bin", 2500, Folder::Pieces, u".009", u"0.25", Outcome::JoinFailure, 3},
    };
    for (const auto& row : rows) {
#ifdef _WIN32
        // Windows drops a name's trailing blanks: there the typed name is the file's.
        if (std::u16string(row.suffix) == u" ")
            continue;
#endif
        SCOPED_TRACE(row.row);
        TempFolder folder;
        const fs::path whole = folder / fs::u8path(row.name);
        prepare(whole, row.bytes, row.setup);
        const std::u16string typed = whole.u16string() + row.suffix;
        const WorkerRun::Result result = runToEnd(request(row.mode, typed, row.sizeText));

        const bool succeeds = row.outcome == Outcome::SplitSuccess || row.outcome == Outcome::JoinSuccess;
        EXPECT_EQ(result.outcome, row.outcome);
        EXPECT_EQ(result.pieceCount, succeeds ? row.piecesAfter : 0);
        const bool wholeAfter = row.mode == Mode::Split || succeeds || row.setup == Folder::PiecesAndOutput;
        const std::string name = Utf8(whole.filename());
        EXPECT_EQ(folder.Names(), seriesNames(name, row.piecesAfter, wholeAfter));
        if (wholeAfter && row.setup != Folder::PiecesAndOutput) {
            EXPECT_EQ(ReadFile(whole), Pattern(static_cast<std::size_t>(row.bytes)));
        }
        if (row.mode == Mode::Split && succeeds) {
            std::string joined;
            for (int i = 1; i <= row.piecesAfter; ++i)
                joined += ReadFile(folder / fs::u8path(pieceName(name, i)));
            EXPECT_EQ(joined, Pattern(static_cast<std::size_t>(row.bytes)));
        }
    }
}

TEST(WorkerRun, PathReachesEngineWhole) {
    for (const std::u16string text :
         {u"  /tmp/x y.bin  ", u"\"/tmp/a.bin\"", u"/tmp/\u0645\u0644\u0641-\u00fc-\u6f22.bin", u""}) {
        for (const Mode mode : {Mode::Split, Mode::Join}) {
            fs::path seen;
            WorkerRun::Engine engine;
            engine.split = [&](const fs::path& path, std::int32_t, std::int16_t&, const modFHand::Hooks&) {
                seen = path;
                return std::int16_t(4);
            };
            engine.join = [&](const fs::path& path, std::int16_t&, const modFHand::Hooks&) {
                seen = path;
                return std::int16_t(4);
            };
            runToEnd(request(mode, text), engine);
            EXPECT_EQ(seen.u16string(), text) << WideText::toUtf8(text);
        }
    }
}

TEST(WorkerRun, FailedRunTellsStandardError) {
    const struct {
        const char* row;
        Mode mode;
        Folder setup;
        const char16_t* suffix;
        const char16_t* sizeText;
        const char* line; // % stands for the full path of a.bin
    } rows[] = {
        {"split, missing file", Mode::Split, Folder::Source, u".none", u"0.001",
         "zarvel: split refused: no file at '%.none'\n"},
        {"join, output already there", Mode::Join, Folder::PiecesAndOutput, u".001", u"0.001",
         "zarvel: join refused: '%' is there already\n"},
        {"split, no usable size", Mode::Split, Folder::Source, u"", u"2048",
         "zarvel: split refused: no usable piece size in '2048'\n"},
        {"split succeeds", Mode::Split, Folder::Source, u"", u"0.001", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.row);
        TempFolder folder;
        const fs::path whole = folder / "a.bin";
        prepare(whole, 2500, row.setup);
        std::string line = row.line;
        if (const std::size_t mark = line.find('%'); mark != std::string::npos)
            line.replace(mark, 1, Utf8(whole));
        testing::internal::CaptureStderr();
        runToEnd(request(row.mode, whole.u16string() + row.suffix, row.sizeText));
        EXPECT_EQ(testing::internal::GetCapturedStderr(), line);
    }
}

// An engine that reports the given percentages, then works until it is told to stop.
WorkerRun::Engine stoppableEngine(std::vector<std::int16_t> percents, std::atomic<int>& entries) {
    WorkerRun::Engine engine;
    engine.split = [percents, &entries](const fs::path&, std::int32_t, std::int16_t&, const modFHand::Hooks& hooks) {
        ++entries;
        for (std::int16_t percent : percents)
            hooks.progress(percent);
        while (!hooks.stopRequested())
            std::this_thread::yield();
        return std::int16_t(4);
    };
    return engine;
}

TEST(WorkerRun, OneRunAtATimeSampledAndStopped) {
    std::atomic<int> entries{0};
    EndSignal end;
    WorkerRun run(stoppableEngine({10, 20, 30}, entries), end.function());
    EXPECT_FALSE(run.finish().has_value());
    ASSERT_TRUE(run.start(request(Mode::Split, u"x")));
    EXPECT_FALSE(run.start(request(Mode::Split, u"y")));
    EXPECT_TRUE(run.isRunning());

    std::optional<std::int16_t> sampled;
    while (sampled != std::optional<std::int16_t>(30))
        sampled = run.newProgress().value_or(sampled.value_or(0));
    EXPECT_FALSE(run.newProgress().has_value()); // nothing new since
    EXPECT_FALSE(run.finish().has_value());

    run.requestStop();
    end.wait();
    const std::optional<WorkerRun::Result> result = run.finish();
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->outcome, Outcome::SplitFailure);
    EXPECT_EQ(entries.load(), 1);
    EXPECT_FALSE(run.finish().has_value());
}

TEST(WorkerRun, DestructorStopsTheRunAndWaits) {
    std::atomic<int> entries{0};
    {
        WorkerRun run(stoppableEngine({}, entries), {});
        ASSERT_TRUE(run.start(request(Mode::Split, u"x")));
        while (entries.load() == 0)
            std::this_thread::yield();
    }
    EXPECT_EQ(entries.load(), 1); // reached only once the worker has gone
}

} // namespace
