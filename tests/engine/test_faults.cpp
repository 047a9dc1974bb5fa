// What the engine does when the machine works against it: a full disk, files that change or vanish under a
// running split or join, names the file system can't hold, sources that are no files at all, and missing
// permissions. Every case must end with the folder exactly as it was (or, where the fault itself changed it,
// with nothing of ours added), no temporary file, and no file descriptor left open.

#include "engine/PieceNames.h"
#include "engine/modFHand.h"
#include "engine/support/EngineTestSupport.h"
#include "engine/support/SyscallSeam.h"

#include <gtest/gtest.h>

#include <climits>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <grp.h>
#include <iostream>
#include <map>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace enginetest;
using modFHand::JoinFile;
using modFHand::kFailure;
using modFHand::kJoinNoFirstMember;
using modFHand::kJoinNoPickedPiece;
using modFHand::kSplitNoSource;
using modFHand::kSuccess;
using modFHand::SplitFile;

namespace {

constexpr int kLeakedDescriptor = 90;
constexpr int kNoUnprivilegedUser = 91;

int OpenDescriptors() {
    return static_cast<int>(std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator()));
}

// Every regular file under the folder with its bytes, and every other entry with its kind, so that one
// comparison shows a lost, changed or added file.
std::map<std::string, std::string> Contents(const fs::path& folder) {
    std::map<std::string, std::string> contents;
    std::error_code ec;
    if (!fs::exists(folder, ec))
        return contents;
    for (const auto& entry : fs::recursive_directory_iterator(folder, ec)) {
        const std::string name = fs::relative(entry.path(), folder).string();
        const auto status = entry.symlink_status();
        if (fs::is_regular_file(status) && (status.permissions() & fs::perms::owner_read) != fs::perms::none)
            contents[name] = ReadFile(entry.path());
        else
            contents[name] = "<kind " + std::to_string(static_cast<int>(status.type())) + ">";
    }
    return contents;
}

std::string Names(const std::map<std::string, std::string>& contents) {
    std::string names;
    for (const auto& entry : contents)
        names += " " + entry.first + "(" + std::to_string(entry.second.size()) + ")";
    return names;
}

// Equal names, kinds and bytes; a mismatch is reported by name and length, never by dumping the bytes.
::testing::AssertionResult Unchanged(const fs::path& folder, const std::map<std::string, std::string>& before) {
    const auto now = Contents(folder);
    if (now == before)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "before:" << Names(before) << "\nafter: " << Names(now);
}

std::vector<std::string> Temporaries(const fs::path& folder) {
    std::vector<std::string> found;
    std::error_code ec;
    for (const auto& entry : fs::recursive_directory_iterator(folder, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(".zarvel-", 0) == 0)
            found.push_back(name);
    }
    return found;
}

// A work that could block forever (a FIFO opened for reading, a device read to its end) ends the whole test
// program instead of hanging CI.
class Watchdog {
public:
    explicit Watchdog(unsigned seconds) { ::alarm(seconds); }
    ~Watchdog() { ::alarm(0); }
};

// Runs fn in a forked child and returns its exit status (-1 when it did not end normally). Lets a case change
// its user or limits without touching the test program itself.
int InChild(const std::function<int()>& fn) {
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(fn());
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

// The engine's result, or kLeakedDescriptor when the call left a file open.
int Checked(const std::function<std::int16_t(std::int16_t&)>& work, bool& countChanged) {
    const int before = OpenDescriptors();
    std::int16_t count = kUntouched;
    const int result = work(count);
    countChanged = count != kUntouched;
    return OpenDescriptors() == before ? result : kLeakedDescriptor;
}

void ExpectFailureLeftNothing(int result, bool countChanged, const std::map<std::string, std::string>& before,
                              const fs::path& folder, const std::string& what) {
    EXPECT_EQ(result, kFailure) << what;
    EXPECT_FALSE(countChanged) << what;
    EXPECT_TRUE(Unchanged(folder, before)) << what;
    EXPECT_TRUE(Temporaries(folder).empty()) << what;
}

// A file system of 1 MiB of its own, so that a write really meets a full disk. Mounting needs privileges
// that a developer's machine or a container may not grant; mounted() then says false.
class SmallDisk {
public:
    explicit SmallDisk(const fs::path& where) : path_(where) {
        fs::create_directory(path_);
        mounted_ = ::mount("tmpfs", path_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=1m,mode=0777") == 0;
    }
    ~SmallDisk() {
        if (mounted_)
            ::umount2(path_.c_str(), MNT_DETACH);
    }
    bool mounted() const { return mounted_; }

private:
    fs::path path_;
    bool mounted_ = false;
};

enum class Work { Split, Join };

// Where the disk can't be mounted, the same write failure comes from a limit on the size of the files the process
// writes. It must lie below one piece's size, or every piece of the split would fit under it and the split succeed.
constexpr std::uint64_t kFileSizeLimit = 50000;
constexpr std::int32_t kFullDiskPieceSize = 100000;

// 600 000 bytes already on a 1 MiB disk: a second copy can't fit, whether as pieces or as a joined output.
void PrepareFullDiskCase(Work work, const fs::path& folder) {
    if (work == Work::Split)
        WriteFile(folder / "big.bin", Pattern(600000));
    else
        MakeSeries(folder / "big.bin", {200000, 200000, 200000});
}

std::int16_t RunFullDiskCase(Work work, const fs::path& folder, std::int16_t& count) {
    return work == Work::Split ? SplitFile(folder / "big.bin", kFullDiskPieceSize, count, {})
                               : JoinFile(folder / "big.bin.002", count, {});
}

int FullDiskUnderFileSizeLimit(const fs::path& folder) {
    bool countChanged = false;
    const Work work = folder.filename() == "split" ? Work::Split : Work::Join;
    const int result = Checked([&](std::int16_t& count) { return RunFullDiskCase(work, folder, count); }, countChanged);
    return countChanged ? 100 + result : result;
}

} // namespace

TEST(Faults, DiskFullInTheMiddleOfTheWork) {
    for (const Work work : {Work::Split, Work::Join}) {
        const std::string what = work == Work::Split ? "split" : "join";
        TempFolder dir;
        SmallDisk disk(dir / "disk");
        if (disk.mounted()) {
            RecordProperty("disk_full_" + what, "tmpfs of 1 MiB");
            std::cout << "[   INFO   ] disk full (" << what << "): a 1 MiB tmpfs of its own\n";
            PrepareFullDiskCase(work, dir / "disk");
            const auto before = Contents(dir / "disk");
            bool countChanged = false;
            const int result =
                Checked([&](std::int16_t& count) { return RunFullDiskCase(work, dir / "disk", count); }, countChanged);
            ExpectFailureLeftNothing(result, countChanged, before, dir / "disk", what);
        } else {
            RecordProperty("disk_full_" + what, "RLIMIT_FSIZE of " + std::to_string(kFileSizeLimit) + " bytes");
            std::cout << "[   INFO   ] disk full (" << what << "): mount refused, RLIMIT_FSIZE instead\n";
            fs::create_directory(dir / what);
            PrepareFullDiskCase(work, dir / what);
            const auto before = Contents(dir / what);
            const int result = RunWithFileSizeLimit(kFileSizeLimit, FullDiskUnderFileSizeLimit, dir / what);
            ExpectFailureLeftNothing(result, false, before, dir / what, what);
        }
        // A stick that dies mid-run: the kernel took the writes long ago, and the device's failure comes back
        // only from writing them out, yet the run must still fail and clean up.
        StickModel stick(dir, kStickRate, 1 << 20);
        if (stick.Skips("the failing stick"))
            continue;
        if (work == Work::Split)
            WriteFile(stick.device() / "big.bin", Pattern(8 << 20));
        else
            MakeSeries(stick.device() / "big.bin", {4 << 20, 4 << 20});
        const auto before = Contents(stick.path());
        bool countChanged = false;
        const int result = Checked(
            [&](std::int16_t& count) {
                return work == Work::Split ? SplitFile(stick.path() / "big.bin", 4 << 20, count, {})
                                           : JoinFile(stick.path() / "big.bin.001", count, {});
            },
            countChanged);
        ExpectFailureLeftNothing(result, countChanged, before, stick.path(), what + " on a stick that fails");
    }
}

// On this platform an open file stays readable after its name is removed, so the run still has every byte of
// the source; the pieces it wrote are then the only copy, and deleting them as a failure would lose the file.
TEST(Faults, SourceRemovedOrReplacedDuringSplitStillGivesTheWholeFile) {
    enum class Change { Removed, ReplacedByAnotherFile };
    for (const Change change : {Change::Removed, Change::ReplacedByAnotherFile}) {
        TempFolder dir;
        const fs::path source = dir / "f";
        const std::string bytes = Pattern(3 * 100000 + 7);
        WriteFile(source, bytes);
        bool done = false;
        modFHand::Hooks hooks;
        hooks.yield = [&] {
            if (done)
                return;
            done = true;
            fs::remove(source);
            if (change == Change::ReplacedByAnotherFile)
                WriteFile(source, "someone else's file");
        };
        const int before = OpenDescriptors();
        std::int16_t count = kUntouched;
        EXPECT_EQ(SplitFile(source, 100000, count, hooks), kSuccess);
        EXPECT_EQ(OpenDescriptors(), before);
        EXPECT_EQ(count, 4);
        std::string joined;
        for (int k = 1; k <= 4; ++k)
            joined += ReadFile(modFHand::PieceName(source, k));
        EXPECT_EQ(joined, bytes);
        if (change == Change::ReplacedByAnotherFile) {
            EXPECT_EQ(ReadFile(source), "someone else's file");
        }
    }
}

// Another file put under the name between the check and the open: a split copies the whole file it opened, never
// a length measured on another; a join refuses a member that is not as long as it measured.
TEST(Faults, FileSwappedBetweenTheCheckAndTheOpen) {
    const struct {
        Work work;
        std::size_t swappedLength;
        std::int16_t result;
    } cases[] = {{Work::Split, 450000, kSuccess},
                 {Work::Split, 150000, kSuccess},
                 {Work::Join, 150000, kFailure},
                 {Work::Join, 50000, kFailure}};
    for (const auto& c : cases) {
        TempFolder dir;
        TempFolder elsewhere;
        const std::string swapped = Pattern(c.swappedLength, 7);
        WriteFile(elsewhere / "swap", swapped);
        const fs::path target = c.work == Work::Split ? dir / "f" : dir / "j.002";
        if (c.work == Work::Split)
            WriteFile(target, Pattern(300000));
        else
            MakeSeries(dir / "j", {100000, 100000, 100000});
        const auto before = dir.Names();
        seam::BeforeOpen([&](const std::string& path) {
            if (path == target.string() && fs::exists(elsewhere / "swap"))
                fs::rename(elsewhere / "swap", target);
        });
        std::int16_t count = kUntouched;
        const int result = c.work == Work::Split ? SplitFile(target, 100000, count, {}) : JoinFile(target, count, {});
        seam::BeforeOpen({});
        EXPECT_EQ(result, c.result) << c.swappedLength;
        if (c.work == Work::Join) {
            EXPECT_EQ(dir.Names(), before);
            continue;
        }
        std::string joined;
        for (int k = 1; k <= count; ++k)
            joined += ReadFile(modFHand::PieceName(target, k));
        EXPECT_EQ(joined, swapped);
        EXPECT_EQ(dir.Names().size(), 1 + (c.swappedLength + 99999) / 100000);
    }
}

TEST(Faults, MemberRemovedWhileBeingReadStillJoinsWhole) {
    TempFolder dir;
    const std::string whole = MakeSeries(dir / "m", {300000, 300000});
    bool done = false;
    modFHand::Hooks hooks;
    hooks.yield = [&] {
        if (!done)
            fs::remove(dir / "m.001");
        done = true;
    };
    const int before = OpenDescriptors();
    std::int16_t count = kUntouched;
    EXPECT_EQ(JoinFile(dir / "m.002", count, hooks), kSuccess);
    EXPECT_EQ(OpenDescriptors(), before);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(ReadFile(dir / "m"), whole);
    EXPECT_TRUE(Temporaries(dir.path()).empty());
}

// The run holds its output's folder open, so it finds its own names again wherever the folder went: a moved
// folder ends with the pieces and either the whole output or nothing of ours, never a stray temporary file.
TEST(Faults, OutputFolderGoneDuringJoin) {
    enum class Change { Removed, Renamed };
    enum class When { FirstYield, AfterLastByte, InFinalProgressThatFails };
    const struct {
        Change change;
        When when;
        std::int16_t result;
    } cases[] = {
        {Change::Removed, When::FirstYield, kFailure},
        {Change::Renamed, When::FirstYield, kFailure},
        {Change::Renamed, When::AfterLastByte, kSuccess},
        {Change::Renamed, When::InFinalProgressThatFails, kFailure},
    };
    for (const auto& c : cases) {
        const std::string what =
            std::to_string(static_cast<int>(c.change)) + "/" + std::to_string(static_cast<int>(c.when));
        TempFolder dir;
        fs::create_directory(dir / "in");
        const std::string whole = MakeSeries(dir / "in" / "j", {300000, 300000});
        auto expected = Contents(dir / "in");
        if (c.result == kSuccess)
            expected["j"] = whole;
        bool done = false, lastByteRead = false;
        const auto change = [&] {
            done = true;
            if (c.change == Change::Removed)
                fs::remove_all(dir / "in");
            else
                fs::rename(dir / "in", dir / "moved");
        };
        modFHand::Hooks hooks;
        hooks.yield = [&] {
            if (!done && (c.when == When::FirstYield || (c.when == When::AfterLastByte && lastByteRead)))
                change();
        };
        hooks.progress = [&](std::int16_t percent) {
            lastByteRead = percent == 100;
            if (c.when == When::InFinalProgressThatFails && percent == 0) {
                change();
                throw std::runtime_error("window gone");
            }
        };
        bool countChanged = false;
        const int result =
            Checked([&](std::int16_t& count) { return JoinFile(dir / "in" / "j.001", count, hooks); }, countChanged);
        EXPECT_TRUE(done) << what;
        EXPECT_EQ(result, c.result) << what;
        EXPECT_EQ(countChanged, c.result == kSuccess) << what;
        EXPECT_FALSE(fs::exists(dir / "in")) << what << ": nothing may bring the folder back";
        if (c.change == Change::Renamed) {
            EXPECT_TRUE(Unchanged(dir / "moved", expected)) << what;
            EXPECT_TRUE(Temporaries(dir.path()).empty()) << what;
        }
    }
}

// Names one character too long for a folder entry, and paths one step beyond what the system accepts.
TEST(Faults, NamesAndPathsTooLongForTheFileSystem) {
    TempFolder dir;
    const long nameMax = ::pathconf(dir.path().c_str(), _PC_NAME_MAX);
    ASSERT_GT(nameMax, 8);

    // A source whose own name fits but whose pieces' names don't.
    const fs::path longSource = dir / std::string(static_cast<std::size_t>(nameMax), 's');
    WriteFile(longSource, Pattern(250));
    // A member picked with a short counter, whose series names ("....001") are longer than the picked name.
    const fs::path shortCounter = dir / (std::string(static_cast<std::size_t>(nameMax) - 2, 'm') + ".1");
    WriteFile(shortCounter, Pattern(10));

    // A folder chain that ends a few characters short of PATH_MAX: a short name still fits in it, but not with
    // ".001" added. The join's temporary name beside its output is longer still, yet made through the open folder
    // it never needs a whole path, so the join there succeeds.
    const std::size_t deepLength = PATH_MAX - 11;
    fs::path deep = dir.path();
    while (deep.native().size() + 2 * 200 < deepLength)
        deep /= std::string(200, 'd');
    deep /= std::string(deepLength - deep.native().size() - 1, 'e');
    ASSERT_EQ(deep.native().size(), deepLength);
    fs::create_directories(deep);
    const fs::path deepSource = deep / "ppppppppp";
    WriteFile(deepSource, Pattern(250));
    const fs::path deepMember = deep / "q";
    const std::string deepWhole = MakeSeries(deepMember, {100, 100});
    const fs::path beyond = deep / std::string(200, 'x') / std::string(200, 'y') / "f";

    const auto before = Contents(dir.path());
    const struct {
        std::string what;
        Work work;
        fs::path path;
        std::int16_t result;
        fs::path output; // what a success adds, with the bytes of deepMember's series
    } cases[] = {
        {"split: piece name longer than NAME_MAX", Work::Split, longSource, kFailure, {}},
        {"split: piece path longer than PATH_MAX", Work::Split, deepSource, kFailure, {}},
        {"split: source path longer than PATH_MAX", Work::Split, beyond, kSplitNoSource, {}},
        {"join: member name longer than NAME_MAX", Work::Join, shortCounter, kJoinNoFirstMember, {}},
        {"join: temporary path longer than PATH_MAX", Work::Join, modFHand::PieceName(deepMember, 2), kSuccess,
         deepMember},
        {"join: picked path longer than PATH_MAX",
         Work::Join,
         fs::path(beyond.native() + ".001"),
         kJoinNoPickedPiece,
         {}},
    };
    for (const auto& c : cases) {
        bool countChanged = false;
        const int result = Checked(
            [&](std::int16_t& count) {
                return c.work == Work::Split ? SplitFile(c.path, 100, count, {}) : JoinFile(c.path, count, {});
            },
            countChanged);
        EXPECT_EQ(result, c.result) << c.what;
        EXPECT_EQ(countChanged, result == kSuccess) << c.what;
        if (!c.output.empty()) {
            EXPECT_EQ(ReadFile(c.output), deepWhole) << c.what;
            fs::remove(c.output);
        }
        EXPECT_TRUE(Unchanged(dir.path(), before)) << c.what;
        EXPECT_TRUE(Temporaries(dir.path()).empty()) << c.what;
    }
}

// Things with a name that are no files: reading them could block forever (a FIFO without a writer) or never
// end (/dev/zero). They are refused before anything is opened.
TEST(Faults, SourcesThatAreNoFilesAreRefusedAtOnce) {
    TempFolder dir;
    MakeSocket(dir / "socket");
    MakeFifo(dir / "fifo.001");
    MakeSocket(dir / "socket.001");
    fs::create_symlink("/dev/zero", dir / "zero");
    fs::create_symlink("/dev/zero", dir / "zero.001");
    fs::create_symlink("/dev/null", dir / "null.001");
    const auto before = Contents(dir.path());
    const struct {
        Work work;
        fs::path path;
    } cases[] = {
        {Work::Split, "/dev/null"},       {Work::Split, "/dev/zero"},     {Work::Split, dir / "socket"},
        {Work::Split, dir / "zero"},      {Work::Join, "/dev/null"},      {Work::Join, dir / "fifo.001"},
        {Work::Join, dir / "socket.001"}, {Work::Join, dir / "zero.001"}, {Work::Join, dir / "null.001"},
    };
    for (const auto& c : cases) {
        const Watchdog watchdog(10);
        bool countChanged = false;
        const int result = Checked(
            [&](std::int16_t& count) {
                return c.work == Work::Split ? SplitFile(c.path, 100, count, {}) : JoinFile(c.path, count, {});
            },
            countChanged);
        EXPECT_EQ(result, c.work == Work::Split ? kSplitNoSource : kJoinNoPickedPiece) << c.path;
        EXPECT_FALSE(countChanged) << c.path;
        EXPECT_TRUE(Unchanged(dir.path(), before)) << c.path;
    }
}

namespace {

// The unprivileged user and group of Debian. Permissions don't bind root, so root runs a case as them; any other
// user runs it as themselves. The folder's modes below deny the owner and the others alike.
constexpr uid_t kNobody = 65534;
constexpr gid_t kNogroup = 65534;

int Unprivileged(const std::function<int()>& fn) {
    return InChild([&] {
        if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(kNogroup) != 0 || ::setuid(kNobody) != 0))
            return kNoUnprivilegedUser;
        if (::access("/", W_OK) == 0)
            return kNoUnprivilegedUser; // still privileged after all
        return fn();
    });
}

} // namespace

TEST(Faults, NoReadOrWritePermission) {
    enum class Denied { SourceUnreadable, SourceFolderReadOnly, MemberUnreadable, JoinFolderReadOnly };
    const struct {
        Denied denied;
        Work work;
    } cases[] = {
        {Denied::SourceUnreadable, Work::Split},
        {Denied::SourceFolderReadOnly, Work::Split},
        {Denied::MemberUnreadable, Work::Join},
        {Denied::JoinFolderReadOnly, Work::Join},
    };
    for (const auto& c : cases) {
        TempFolder dir;
        if (c.work == Work::Split) {
            WriteFile(dir / "f", Pattern(250));
            fs::permissions(dir / "f", c.denied == Denied::SourceUnreadable ? fs::perms(0200) : fs::perms(0644));
        } else {
            MakeSeries(dir / "f", {100, 100, 100});
            for (int k = 1; k <= 3; ++k)
                fs::permissions(modFHand::PieceName(dir / "f", k), fs::perms(0644));
            if (c.denied == Denied::MemberUnreadable)
                fs::permissions(dir / "f.002", fs::perms(0200));
        }
        const bool readOnlyFolder = c.denied == Denied::SourceFolderReadOnly || c.denied == Denied::JoinFolderReadOnly;
        fs::permissions(dir.path(), readOnlyFolder ? fs::perms(0555) : fs::perms(0777));
        const auto before = Contents(dir.path());
        const int status = Unprivileged([&] {
            bool countChanged = false;
            const int result = Checked(
                [&](std::int16_t& count) {
                    return c.work == Work::Split ? SplitFile(dir / "f", 100, count, {})
                                                 : JoinFile(dir / "f.001", count, {});
                },
                countChanged);
            return countChanged ? 100 + result : result;
        });
        if (status == kNoUnprivilegedUser)
            GTEST_SKIP() << "can't run as an unprivileged user here, so permissions don't bind: skipped";
        RecordProperty("permissions", ::geteuid() == 0 ? "ran as uid 65534" : "ran as the test's own user");
        ExpectFailureLeftNothing(status, false, before, dir.path(), std::to_string(static_cast<int>(c.denied)));
    }
}

// Making and removing names in a folder takes only write and search permission; the folder the join holds open
// for its run must not ask for more, or a join that used to work would now fail.
TEST(Faults, JoinInAFolderThatCanBeWrittenButNotListed) {
    TempFolder dir;
    const std::string whole = MakeSeries(dir / "f", {100, 100});
    for (int k = 1; k <= 2; ++k)
        fs::permissions(modFHand::PieceName(dir / "f", k), fs::perms(0644));
    fs::permissions(dir.path(), fs::perms(0333));
    const int status = Unprivileged([&] {
        bool countChanged = false;
        const int result =
            Checked([&](std::int16_t& count) { return JoinFile(dir / "f.001", count, {}); }, countChanged);
        return countChanged ? 100 + result : result;
    });
    fs::permissions(dir.path(), fs::perms(0755));
    if (status == kNoUnprivilegedUser)
        GTEST_SKIP() << "can't run as an unprivileged user here, so permissions don't bind: skipped";
    EXPECT_EQ(status, 100 + kSuccess) << "success with the count written";
    EXPECT_EQ(ReadFile(dir / "f"), whole);
    EXPECT_TRUE(Temporaries(dir.path()).empty());
}

// The failed hook hears once, after the clean-up, what went wrong where: the operation, the path and the system's
// own words for a real fault, the check for a refusal. Where permissions don't bind, that row is left out.
TEST(Faults, TheFailedHookSaysWhatFailedWhere) {
    enum class Fault { None, SourceCutShort, SourceUnreadable, Stop, MembersRemoved, NoFirstPiece, Gap };
    const struct {
        Fault fault;
        fs::path picked;
        std::string line; // %D stands for the test's folder
    } cases[] = {
        {Fault::None, "f", ""},
        {Fault::SourceCutShort, "f", "split failed: read (file cut short) '%D/f': Input/output error"},
        {Fault::SourceUnreadable, "f", "split failed: open for reading '%D/f': Permission denied"},
        {Fault::Stop, "f", "split stopped"},
        {Fault::MembersRemoved, "j.001", "join failed: open for reading '%D/j.002': No such file or directory"},
        {Fault::NoFirstPiece, "j.002", "join refused: no piece 001 beside '%D/j'"},
        {Fault::Gap, "j.001",
         "join refused: '%D/j.003' is missing; pieces 001 to 002 are present, and 004 beyond the gap"},
    };
    for (const auto& c : cases) {
        TempFolder dir;
        WriteFile(dir / "f", Pattern(300000));
        MakeSeries(dir / "j", {300000, 300000});
        if (c.fault == Fault::NoFirstPiece)
            fs::remove(dir / "j.001");
        if (c.fault == Fault::Gap)
            WriteFile(dir / "j.004", "x");
        std::string expected = c.line;
        if (expected.find("%D") != std::string::npos)
            expected.replace(expected.find("%D"), 2, dir.path().string());
        std::vector<std::string> lines;
        bool changed = false;
        modFHand::Hooks hooks;
        hooks.failed = [&](const std::string& line) { lines.push_back(line); };
        hooks.stopRequested = [&] { return c.fault == Fault::Stop; };
        hooks.yield = [&] {
            if (changed)
                return;
            changed = true;
            if (c.fault == Fault::SourceCutShort)
                fs::resize_file(dir / "f", 150000);
            if (c.fault == Fault::MembersRemoved)
                fs::remove(dir / "j.002");
        };
        const auto run = [&] {
            std::int16_t count = kUntouched;
            const bool split = c.picked == "f";
            static_cast<void>(split ? SplitFile(dir / c.picked, 100000, count, hooks)
                                    : JoinFile(dir / c.picked, count, hooks));
            const std::vector<std::string> wanted =
                expected.empty() ? std::vector<std::string>{} : std::vector<std::string>{expected};
            EXPECT_EQ(lines, wanted);
            return lines == wanted ? 0 : 1;
        };
        if (c.fault != Fault::SourceUnreadable) {
            run();
            continue;
        }
        fs::permissions(dir / "f", fs::perms(0200));
        fs::permissions(dir.path(), fs::perms(0755));
        const int status = Unprivileged(run);
        if (status != kNoUnprivilegedUser) {
            EXPECT_EQ(status, 0) << "the child's line differs: see its output above";
        }
    }
}
