#pragma once

// Shared by the engine tests: a fresh folder per test, file helpers, and a recorder of the hook calls. Built for
// Windows too; what only POSIX offers (FIFOs, sockets, limits, a shell) is left out there.

#include "engine/modFHand.h"

#include <cstdint>
#include <filesystem>
#include <functional>
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
#endif

// What the engine told the window, in order: a yield is kYield, a progress call its percentage.
struct Recorder {
    static constexpr int kYield = -1;
    std::vector<int> calls;
    modFHand::Hooks Hooks();
    std::vector<int> Progress() const;
};

// The ways a window can end a run from its hooks: a hook that throws, or a stop request.
enum class HookFault { None, ProgressThrows, YieldThrows, FinalProgressThrows, StopMidRun, StopAfterLastBlock };

// Hooks that count the progress calls and end the run as `fault` says once `at` of them were made (the final 0,
// or the last block's 100, for the two faults at the end). `onYield` runs at every yield with the count so far,
// for faults that the files themselves meet mid-run.
modFHand::Hooks FaultyHooks(HookFault fault, int at, std::function<void(int calls)> onYield = {});

} // namespace enginetest
