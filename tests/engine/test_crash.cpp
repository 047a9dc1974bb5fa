// What a split or a join leaves when the program is killed at any instant, and the order of the calls that
// decides it. A killed run must never leave a series that joins into a wrong file, nor anything under the
// output's name that is not whole; where unnamed files are used it must leave nothing at all. On Windows the
// run is killed in a process of its own (this test, run again).

#include "engine/PieceNames.h"
#include "engine/modFHand.h"
#include "engine/support/EngineTestSupport.h"
#include "engine/support/SyscallSeam.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <random>
#include <regex>
#include <sstream>
#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace enginetest;
using modFHand::JoinFile;
using modFHand::kJoinNoFirstMember;
using modFHand::kJoinNoPickedPiece;
using modFHand::kSuccess;
using modFHand::SplitFile;
using seam::Call;

namespace {

enum class Mode { Unnamed, TemporaryNames };
enum class Work { Split, Join };

constexpr std::int32_t kPieceSize = 100000;
const std::string kSource = Pattern(4 * kPieceSize + 50000, 5); // 5 pieces of 11 blocks at most
const std::string kOlder = Pattern(9 * kPieceSize, 9);          // another file's older, longer series
const std::vector<std::size_t> kMembers = {100000, 100000, 100000, 100000, 50000};

#ifdef _WIN32
constexpr bool kNamingWindow = true;
// The calls: 5 marks and 2 to name each piece; with the mark refused, 1 and a rename each. No random instants:
// most would land in Wine's start of the child.
constexpr int kSplitCalls = 15, kJoinCalls = 3, kRandoms = 0, kSplitStride = 10, kJoinStride = 9;
#else
constexpr bool kNamingWindow = false;
constexpr int kSplitCalls = 21, kJoinCalls = 3, kRandoms = 8, kSplitStride = 5, kJoinStride = 3;
#endif

struct KillPoint {
    int afterBlock = 0;   // the progress hook kills after this block
    int beforeCall = 0;   // the seam kills just before this flush, link, rename or removal
    int afterMicros = -1; // the parent kills after this delay; the child is slowed meanwhile
};

std::string Describe(Work work, Mode mode, const KillPoint& point) {
    return std::string(work == Work::Split ? "split" : "join") + (mode == Mode::Unnamed ? ", unnamed" : ", named") +
           ", block " + std::to_string(point.afterBlock) + ", call " + std::to_string(point.beforeCall) + ", delay " +
           std::to_string(point.afterMicros);
}

void WriteSeries(const fs::path& stem, const std::string& whole, std::size_t pieceSize) {
    for (std::size_t k = 0; k * pieceSize < whole.size(); ++k)
        WriteFile(modFHand::PieceName(stem, static_cast<std::int32_t>(k + 1)), whole.substr(k * pieceSize, pieceSize));
}

// The killed side: the work, ended at `point` as Task Manager or kill -9 would end it.
int RunChild(Work work, Mode mode, const KillPoint& point, const fs::path& picked) {
    seam::RefuseUnnamedFiles(mode == Mode::TemporaryNames);
    seam::KillBeforeCall(point.beforeCall);
    int blocks = 0;
    modFHand::Hooks hooks;
    hooks.progress = [&](std::int16_t) {
        if (++blocks == point.afterBlock) {
#ifdef _WIN32
            TerminateProcess(GetCurrentProcess(), 137);
#else
            ::raise(SIGKILL);
#endif
        }
    };
#ifndef _WIN32
    if (point.afterMicros >= 0)
        hooks.yield = [] { ::usleep(20); }; // a slow disk, so the kill lands anywhere in the run
#endif
    std::int16_t count = 0;
    return work == Work::Split ? SplitFile(picked, kPieceSize, count, hooks) : JoinFile(picked, count, hooks);
}

#ifdef _WIN32
constexpr char kChildVariable[] = "ZARVEL_CRASH_CHILD";

// Runs the work in this test program run again as Crash.Child, which reads it from the environment.
bool RunKilled(Work work, Mode mode, const KillPoint& point, const fs::path& picked) {
    std::ostringstream what;
    what << int(work) << ' ' << int(mode) << ' ' << point.afterBlock << ' ' << point.beforeCall << ' '
         << picked.string();
    SetEnvironmentVariableA(kChildVariable, what.str().c_str());
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring line = L"\"" + std::wstring(self) + L"\" --gtest_filter=Crash.Child";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES; // none: the child's own report would only be noise
    PROCESS_INFORMATION child{};
    DWORD code = 0;
    if (CreateProcessW(self, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &child)) {
        WaitForSingleObject(child.hProcess, INFINITE);
        GetExitCodeProcess(child.hProcess, &code);
        CloseHandle(child.hThread);
        CloseHandle(child.hProcess);
    }
    return code == 137;
}
#else
// Runs the work in a child killed at `point`. True when the child died by SIGKILL.
bool RunKilled(Work work, Mode mode, const KillPoint& point, const fs::path& picked) {
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(RunChild(work, mode, point, picked));
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::microseconds(point.afterMicros);
    while (point.afterMicros >= 0 && std::chrono::steady_clock::now() < deadline) {
        if (::waitpid(child, &status, WNOHANG) == child)
            return false;
        ::usleep(50);
    }
    if (point.afterMicros >= 0)
        ::kill(child, SIGKILL);
    ::waitpid(child, &status, 0);
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}
#endif

bool IsTemporary(const std::string& name) {
    return std::regex_match(name, std::regex(R"(\.zarvel-[0-9]+\.tmp)"));
}

// What may be in the folder after a kill: the expected names, and temporaries only where names are used. On
// Windows a kill at a call may leave one: made and not yet marked, or its mark taken back and not yet renamed.
void ExpectOnly(const TempFolder& dir, const std::vector<std::string>& allowed, Mode mode, const KillPoint& point,
                const std::string& what) {
    int naming = kNamingWindow && point.beforeCall > 0 ? 1 : 0;
    for (const std::string& name : dir.Names()) {
        const bool known = std::find(allowed.begin(), allowed.end(), name) != allowed.end();
        const bool temporary = IsTemporary(name) && (mode == Mode::TemporaryNames || naming-- > 0);
        EXPECT_TRUE(known || temporary) << what << ": stray " << name;
    }
}

std::vector<std::string> PieceNames(const std::string& stem, int count) {
    std::vector<std::string> names;
    for (int k = 1; k <= count; ++k)
        names.push_back(fs::path(modFHand::PieceName(stem, k)).string());
    return names;
}

// A split of f over the older series of another file, killed. Returns what a later join gave: 0 refused,
// 1 the file split, 2 the older file.
int CheckKilledSplit(Mode mode, const KillPoint& point) {
    TempFolder dir;
    WriteFile(dir / "f", kSource);
    WriteSeries(dir / "f", kOlder, kPieceSize);
    const std::string what = Describe(Work::Split, mode, point);
    RunKilled(Work::Split, mode, point, dir / "f");
    EXPECT_EQ(ReadFile(dir / "f"), kSource) << what;
    auto allowed = PieceNames("f", 9);
    allowed.push_back("f");
    ExpectOnly(dir, allowed, mode, point, what);

    fs::rename(dir / "f", dir / "source"); // so that the join's output name is free
    std::int16_t count = 0;
    const std::int16_t result = JoinFile(dir / "f.001", count, {});
    EXPECT_TRUE(result == kSuccess || result == kJoinNoPickedPiece || result == kJoinNoFirstMember)
        << what << ": join " << result;
    if (result != kSuccess)
        return 0;
    const std::string joined = ReadFile(dir / "f");
    EXPECT_TRUE(joined == kSource || joined == kOlder) << what << ": a join rebuilt a mixed file";
    return joined == kSource ? 1 : 2;
}

// A join of a whole series, killed: the pieces as they were, and the output whole or absent.
void CheckKilledJoin(Mode mode, const KillPoint& point) {
    TempFolder dir;
    WriteSeries(dir / "j", kSource, kPieceSize);
    const std::string what = Describe(Work::Join, mode, point);
    RunKilled(Work::Join, mode, point, dir / "j.003");
    for (int k = 1; k <= 5; ++k)
        EXPECT_EQ(ReadFile(modFHand::PieceName(dir / "j", k)), kSource.substr((k - 1) * kPieceSize, kPieceSize))
            << what;
    if (fs::exists(fs::symlink_status(dir / "j"))) {
        EXPECT_EQ(ReadFile(dir / "j"), kSource) << what << ": a partial output under the output's name";
    }
    auto allowed = PieceNames("j", 5);
    allowed.push_back("j");
    ExpectOnly(dir, allowed, mode, point, what);
}

// How long a slowed run of the work takes here, unkilled, in microseconds.
int SlowedRunMicros(Work work, Mode mode) {
    TempFolder dir;
    WriteFile(dir / "f", kSource);
    WriteSeries(dir / "f", kOlder, kPieceSize);
    if (work == Work::Join)
        fs::rename(dir / "f", dir / "source");
    const auto start = std::chrono::steady_clock::now();
    RunKilled(work, mode, {0, 0, 1000000000}, work == Work::Split ? dir / "f" : dir / "f.001");
    return static_cast<int>(
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start).count());
}

// Every block boundary in `stride`s, every flush, link, rename and removal, and `randoms` random instants over
// the whole of a slowed run.
std::vector<KillPoint> KillPoints(Work work, Mode mode, int blocks, int stride, int calls, int randoms,
                                  std::mt19937& random) {
    std::vector<KillPoint> points;
    for (int block = 1; block <= blocks; block += stride)
        points.push_back({block, 0, -1});
    for (int call = 1; call <= calls; ++call)
        points.push_back({0, call, -1});
    std::uniform_int_distribution<int> delay(0, randoms > 0 ? SlowedRunMicros(work, mode) : 0);
    for (int k = 0; k < randoms; ++k)
        points.push_back({0, 0, delay(random)});
    return points;
}

} // namespace

TEST(Crash, AKilledSplitOrJoinNeverLeavesAWrongFileOrAStrayEntry) {
    std::mt19937 random(20261208);
    int tried = 0;
    for (const Mode mode : {Mode::Unnamed, Mode::TemporaryNames}) {
        // Split: 5 pieces of at most 11 blocks; 5 piece flushes, 14 removals and names, and the folder flush.
        int outcomes[3] = {0, 0, 0};
        for (const KillPoint& point : KillPoints(Work::Split, mode, 52, kSplitStride, kSplitCalls, kRandoms, random)) {
            ++outcomes[CheckKilledSplit(mode, point)];
            ++tried;
        }
        // Join: 52 blocks; the output's flush, its name and the folder's flush.
        for (const KillPoint& point : KillPoints(Work::Join, mode, 52, kJoinStride, kJoinCalls, kRandoms, random)) {
            CheckKilledJoin(mode, point);
            ++tried;
        }
        std::cout << (mode == Mode::Unnamed ? "unnamed" : "named") << " split kills: join refused " << outcomes[0]
                  << ", rebuilt the split file " << outcomes[1] << ", the older file " << outcomes[2] << "\n";
    }
    std::cout << "kill points tried: " << tried << "\n";
}

#ifdef _WIN32
// The killed side of RunKilled; run alone, it does nothing.
TEST(Crash, Child) {
    const char* given = std::getenv(kChildVariable);
    if (!given)
        GTEST_SKIP() << "run by the kill check only";
    std::istringstream in(given);
    int work = 0, mode = 0;
    KillPoint point;
    std::string picked;
    in >> work >> mode >> point.afterBlock >> point.beforeCall;
    std::getline(in >> std::ws, picked);
    std::exit(RunChild(Work(work), Mode(mode), point, picked));
}
#else
namespace {

bool IsPieceName(const std::string& name, const std::string& stem) {
    return std::regex_match(name, std::regex(stem + R"(\.[0-9]{3,})"));
}

// The descriptor the named file or the output was written through, found from its naming call backwards.
int WrittenThrough(const std::vector<Call>& calls, std::size_t naming) {
    if (calls[naming].op == Call::Op::Link)
        return calls[naming].fd;
    for (std::size_t i = naming; i-- > 0;) {
        if (calls[i].op == Call::Op::OpenNamed && calls[i].name == calls[naming].from)
            return calls[i].fd;
    }
    return -1;
}

// True when that descriptor was flushed after it was opened and before the naming.
bool FlushedBefore(const std::vector<Call>& calls, std::size_t naming, int fd) {
    for (std::size_t i = naming; i-- > 0;) {
        if (calls[i].op == Call::Op::Flush && calls[i].fd == fd)
            return true;
        if ((calls[i].op == Call::Op::OpenNamed || calls[i].op == Call::Op::OpenUnnamed) && calls[i].fd == fd)
            return false;
    }
    return false;
}

} // namespace

// In the spirit of deriving crash states from the calls a run makes: every name goes to a file that is already
// on the disk, 001 comes last, and the folder is flushed after the last name and before the result.
TEST(Crash, FlushesEveryFileBeforeItsNameAndTheFolderLast) {
    for (const Work work : {Work::Split, Work::Join}) {
        for (const Mode mode : {Mode::Unnamed, Mode::TemporaryNames}) {
            TempFolder dir;
            WriteFile(dir / "f", kSource);
            WriteSeries(dir / "f", kOlder, kPieceSize);
            if (work == Work::Join)
                fs::rename(dir / "f", dir / "source");
            seam::RefuseUnnamedFiles(mode == Mode::TemporaryNames);
            seam::StartRecording();
            std::int16_t count = 0;
            const std::int16_t result =
                work == Work::Split ? SplitFile(dir / "f", kPieceSize, count, {}) : JoinFile(dir / "f.001", count, {});
            const std::vector<Call> calls = seam::StopRecording();
            seam::RefuseUnnamedFiles(false);
            const std::string what = Describe(work, mode, {});
            ASSERT_EQ(result, kSuccess) << what;

            std::vector<std::string> named;
            std::vector<int> files;
            for (std::size_t i = 0; i < calls.size(); ++i) {
                if (calls[i].op == Call::Op::OpenNamed || calls[i].op == Call::Op::OpenUnnamed)
                    files.push_back(calls[i].fd);
                if (calls[i].op != Call::Op::Link && calls[i].op != Call::Op::Rename)
                    continue;
                named.push_back(calls[i].name);
                EXPECT_TRUE(FlushedBefore(calls, i, WrittenThrough(calls, i))) << what << ": " << calls[i].name;
            }
            const auto expected = work == Work::Split
                                      ? std::vector<std::string>{"f.005", "f.004", "f.003", "f.002", "f.001"}
                                      : std::vector<std::string>{"f"};
            EXPECT_EQ(named, expected) << what;
            ASSERT_FALSE(calls.empty());
            const Call& last = calls.back();
            EXPECT_EQ(last.op, Call::Op::Flush) << what;
            EXPECT_EQ(std::count(files.begin(), files.end(), last.fd), 0) << what << ": the last flush is the folder's";
            if (work == Work::Split) {
                const auto first = std::find_if(calls.begin(), calls.end(), [](const Call& c) {
                    return c.op == Call::Op::Remove || c.op == Call::Op::Link || c.op == Call::Op::Rename;
                });
                EXPECT_TRUE(first->op == Call::Op::Remove && first->name == "f.001") << what << ": old 001 goes first";
                EXPECT_TRUE(IsPieceName(named.back(), "f"));
            }
        }
    }
}
#endif
