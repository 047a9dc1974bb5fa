#include "engine/support/EngineTestSupport.h"

#include <memory>
#include <stdexcept>

#include "engine/PieceNames.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <random>
#include <stdexcept>
#ifndef _WIN32
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace enginetest {

TempFolder::TempFolder(const fs::path& base) {
    std::random_device seed;
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path candidate = base / ("zarvel-engine-" + std::to_string(seed()));
        if (fs::create_directory(candidate)) {
            path_ = candidate;
            return;
        }
    }
    throw std::runtime_error("no temporary folder");
}

TempFolder::~TempFolder() {
    std::error_code ec;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
}

std::vector<std::string> TempFolder::Names() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(path_))
        names.push_back(Utf8(entry.path().filename()));
    std::sort(names.begin(), names.end());
    return names;
}

std::string Pattern(std::size_t length, unsigned seed) {
    std::string bytes(length, '\0');
    std::uint32_t state = seed * 2654435761u + 12345u;
    for (char& c : bytes) {
        state = state * 1103515245u + 12345u;
        c = static_cast<char>(state >> 23);
    }
    return bytes;
}

void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("can't write " + path.string());
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("can't read " + path.string());
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string MakeSeries(const fs::path& stem, const std::vector<std::size_t>& lengths) {
    std::string whole;
    for (std::size_t k = 0; k < lengths.size(); ++k) {
        const std::string bytes = Pattern(lengths[k], static_cast<unsigned>(k + 1));
        WriteFile(modFHand::PieceName(stem, static_cast<std::int32_t>(k + 1)), bytes);
        whole += bytes;
    }
    return whole;
}

bool SameContent(const fs::path& a, const fs::path& b) {
    std::ifstream left(a, std::ios::binary), right(b, std::ios::binary);
    if (!left || !right)
        return false;
    std::vector<char> x(1 << 20), y(1 << 20);
    while (left && right) {
        left.read(x.data(), static_cast<std::streamsize>(x.size()));
        right.read(y.data(), static_cast<std::streamsize>(y.size()));
        if (left.gcount() != right.gcount() || !std::equal(x.begin(), x.begin() + left.gcount(), y.begin()))
            return false;
    }
    return left.eof() && right.eof();
}

#ifndef _WIN32
void MakeFifo(const fs::path& path) {
    if (::mkfifo(path.c_str(), 0644) != 0)
        throw std::runtime_error("mkfifo");
}

void MakeSocket(const fs::path& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string text = path.string();
    if (fd < 0 || text.size() >= sizeof address.sun_path)
        throw std::runtime_error("socket");
    text.copy(address.sun_path, text.size());
    const int bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::close(fd);
    if (bound != 0)
        throw std::runtime_error("bind");
}

int RunWithFileSizeLimit(std::uint64_t limit, int (*fn)(const fs::path&), const fs::path& argument) {
    const pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit cap{limit, limit};
        ::setrlimit(RLIMIT_FSIZE, &cap);
        ::_exit(fn(argument));
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

int Shell(const std::string& command) {
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Quoted(const fs::path& path) {
    std::string quoted = "'";
    for (const char c : path.string())
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

StickModel::StickModel(const TempFolder& dir, long long rate, long long failAfter)
    : device_(dir / "stick-device"), mount_(dir / "stick") {
    fs::create_directory(device_);
    fs::create_directory(mount_);
#ifndef ZARVEL_STICKFS
    refusal = "the stick model was not built: libfuse3 is missing (Debian package libfuse3-dev)";
#else
    if (!fs::exists("/dev/fuse"))
        refusal = "this machine has no /dev/fuse, so no stick model";
    else if (::access("/dev/fuse", R_OK | W_OK) != 0)
        refusal = "/dev/fuse is closed to this user, so no stick model";
    else if (Shell(std::string(ZARVEL_STICKFS) + " " + Quoted(device_) + " " + Quoted(mount_) + " " +
                   std::to_string(rate) + " " + std::to_string(failAfter)) != 0)
        refusal = "this machine refuses a FUSE mount here";
#endif
}

bool StickModel::Skips(const char* row) const {
    if (refusal.empty())
        return false;
    std::cout << "[  SKIPPED ] " << row << ": " << refusal << "\n";
    return true;
}

StickModel::~StickModel() {
    if (refusal.empty())
        Shell("fusermount3 -u -z " + Quoted(mount_) + " 2>/dev/null || umount -l " + Quoted(mount_));
}

std::int64_t StickModel::BytesOnDevice() const {
    std::int64_t bytes = 0;
    for (const auto& entry : fs::recursive_directory_iterator(device_)) {
        struct stat st {};
        if (::lstat(entry.path().c_str(), &st) == 0 && S_ISREG(st.st_mode))
            bytes += static_cast<std::int64_t>(st.st_blocks) * 512;
    }
    return bytes;
}

modFHand::Hooks StickModel::Watched(modFHand::Hooks hooks, std::int64_t total) {
    const std::int64_t before = BytesOnDevice();
    hooks.progress = [this, before, total, inner = hooks.progress, lead = lead_](std::int16_t percent) {
        if (inner)
            inner(percent);
        *lead = std::max(*lead, total * percent / 100 - (BytesOnDevice() - before));
    };
    return hooks;
}

#endif

modFHand::Hooks Recorder::Hooks() {
    modFHand::Hooks hooks;
    hooks.progress = [this](std::int16_t percent) { calls.push_back(percent); };
    hooks.yield = [this] { calls.push_back(kYield); };
    return hooks;
}

std::vector<int> Recorder::Progress() const {
    std::vector<int> values;
    std::copy_if(calls.begin(), calls.end(), std::back_inserter(values), [](int call) { return call != kYield; });
    return values;
}

bool ProgressInOrder(const std::vector<int>& progress) {
    return progress.size() >= 2 && std::is_sorted(progress.begin(), progress.end() - 1) &&
           progress[progress.size() - 2] == 100 && progress.back() == 0;
}

modFHand::Hooks FaultyHooks(HookFault fault, int at, std::function<void(int calls)> onYield) {
    struct Seen {
        int calls = 0;
        int lastPercent = 0;
    };
    const auto seen = std::make_shared<Seen>();
    modFHand::Hooks hooks;
    hooks.progress = [=](std::int16_t percent) {
        ++seen->calls;
        seen->lastPercent = percent;
        if ((fault == HookFault::ProgressThrows && seen->calls == at) ||
            (fault == HookFault::FinalProgressThrows && percent == 0))
            throw std::runtime_error("window gone");
    };
    hooks.stopRequested = [=] {
        return (fault == HookFault::StopMidRun && seen->calls >= at) ||
               (fault == HookFault::StopAfterLastBlock && seen->lastPercent == 100);
    };
    hooks.yield = [=] {
        if (fault == HookFault::YieldThrows && seen->calls == at)
            throw 42;
        if (onYield)
            onYield(seen->calls);
    };
    return hooks;
}

} // namespace enginetest
