#pragma once

// Shared by the engine tests: a fresh folder per test, file helpers, and a recorder of the hook calls. Built for
// Windows too; what only POSIX offers (FIFOs, sockets, limits, a shell) is left out there.

#include "engine/modFHand.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace enginetest {

namespace fs = std::filesystem;

// A new, empty folder that is removed with everything in it when the test ends.
class TempFolder {
public:
    explicit TempFolder(const fs::path& base = fs::temp_directory_path());
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const fs::path& path() const { return path_; }
    fs::path operator/(const fs::path& name) const { return path_ / name; }
    // Names of every entry, sorted; links are listed, not followed.
    std::vector<std::string> Names() const;

private:
    fs::path path_;
};

// What a test puts in a piece count before a call, so that a write to it shows.
constexpr std::int16_t kUntouched = 77;

// Bytes that differ from position to position, so that a misplaced byte shows.
std::string Pattern(std::size_t length, unsigned seed = 1);
void WriteFile(const fs::path& path, const std::string& bytes);
std::string ReadFile(const fs::path& path);
// Writes pieces named stem.001 ... with the given lengths, each with bytes of its own; returns their concatenation.
std::string MakeSeries(const fs::path& stem, const std::vector<std::size_t>& lengths);
// The path's text in UTF-8 on every system, as a plain string.
inline std::string Utf8(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}
// Whole-file comparison in chunks, for files too big to read at once.
bool SameContent(const fs::path& a, const fs::path& b);

#ifndef _WIN32
void MakeFifo(const fs::path& path);
void MakeSocket(const fs::path& path);

// Runs fn in a child process whose files may not grow beyond `limit` bytes (writes fail with EFBIG instead of
// killing it). Returns what fn returned, or -1 when the child did not end normally.
int RunWithFileSizeLimit(std::uint64_t limit, int (*fn)(const fs::path&), const fs::path& argument);

// Runs a shell command and returns its exit status.
int Shell(const std::string& command);
std::string Quoted(const fs::path& path);

// The stick rows: a run of 64 MiB on a model of 200 MB/s. Without write-behind the bar runs a whole piece or the
// whole output (32 or 64 MiB) ahead of the device; with it, a few MiB.
constexpr std::size_t kStickRun = std::size_t(64) << 20;
constexpr long long kStickRate = 200000000;
constexpr std::int64_t kStickLead = std::int64_t(12) << 20;

// A USB stick's model (tests/stick) mounted in `dir` for as long as the object lives: writes land in memory at
// once and reach the device, a folder beside the mount, at `rate` bytes per second; once `failAfter` bytes
// (0: never) have arrived, the device fails every later write. `refusal` says in plain words why there is none.
class StickModel {
public:
    StickModel(const TempFolder& dir, long long rate, long long failAfter = 0);
    ~StickModel();
    StickModel(const StickModel&) = delete;
    StickModel& operator=(const StickModel&) = delete;

    const fs::path& path() const { return mount_; }
    // The device's side, where a test puts what was on the stick before the run without it counting as written.
    const fs::path& device() const { return device_; }
    // `hooks` that also note, at every progress call, how far the bytes the bar counts (of `total`) run ahead
    // of those that reached the device in the meantime; Lead() is the largest seen.
    modFHand::Hooks Watched(modFHand::Hooks hooks, std::int64_t total);
    std::int64_t Lead() const { return *lead_; }

    // True where there is no model, having said why on the test's output, so that the caller skips its row.
    bool Skips(const char* row) const;

    std::string refusal;

private:
    std::int64_t BytesOnDevice() const;

    fs::path device_;
    fs::path mount_;
    std::shared_ptr<std::int64_t> lead_ = std::make_shared<std::int64_t>(0);
};
#endif

// What the engine told the window, in order: a yield is kYield, a progress call its percentage.
struct Recorder {
    static constexpr int kYield = -1;
    std::vector<int> calls;
    modFHand::Hooks Hooks();
    std::vector<int> Progress() const;
};

// True for progress that climbs, reaches 100 and ends with the final 0.
bool ProgressInOrder(const std::vector<int>& progress);

// The ways a window can end a run from its hooks: a hook that throws, or a stop request.
enum class HookFault { None, ProgressThrows, YieldThrows, FinalProgressThrows, StopMidRun, StopAfterLastBlock };

// Hooks that count the progress calls and end the run as `fault` says once `at` of them were made (the final 0,
// or the last block's 100, for the two faults at the end). `onYield` runs at every yield with the count so far,
// for faults that the files themselves meet mid-run.
modFHand::Hooks FaultyHooks(HookFault fault, int at, std::function<void(int calls)> onYield = {});

} // namespace enginetest
