#include "engine/support/SyscallSeam.h"

#ifdef _WIN32

#include <windows.h>

#include <cstring>

// Windows has no unnamed files and no such calls to stand between. CreateFileW is recorded by pointing the
// program's own import of it at a recorder: the engine is linked into the test, so its calls go through there.
namespace enginetest::seam {

namespace {

using CreateFileWFn = HANDLE(WINAPI*)(LPCWSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE);
CreateFileWFn systemCreateFileW = nullptr;
bool recording = false;
std::vector<Call> recorded;

HANDLE WINAPI RecordingCreateFileW(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                                   DWORD disposition, DWORD flags, HANDLE model) {
    if (recording) {
        std::string narrow;
        for (const wchar_t* c = name; *c; ++c)
            narrow += *c < 0x80 ? static_cast<char>(*c) : '?';
        recorded.push_back({Call::Op::OpenNamed, -1, narrow, ""});
    }
    return systemCreateFileW(name, access, share, security, disposition, flags, model);
}

void HookCreateFileW() {
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
    const auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const DWORD imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    for (auto* dll = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports); dll->Name; ++dll) {
        auto* name = reinterpret_cast<IMAGE_THUNK_DATA*>(base + dll->OriginalFirstThunk);
        auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + dll->FirstThunk);
        for (; name->u1.AddressOfData; ++name, ++slot) {
            if (IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal) ||
                std::strcmp(reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + name->u1.AddressOfData)->Name,
                            "CreateFileW") != 0)
                continue;
            DWORD old = 0;
            VirtualProtect(&slot->u1.Function, sizeof(slot->u1.Function), PAGE_READWRITE, &old);
            systemCreateFileW = reinterpret_cast<CreateFileWFn>(slot->u1.Function);
            slot->u1.Function = reinterpret_cast<ULONG_PTR>(&RecordingCreateFileW);
            VirtualProtect(&slot->u1.Function, sizeof(slot->u1.Function), old, &old);
        }
    }
}

} // namespace

void StartRecording() {
    if (!systemCreateFileW)
        HookCreateFileW();
    recorded.clear();
    recording = true;
}
std::vector<Call> StopRecording() {
    recording = false;
    return std::move(recorded);
}
std::vector<std::string> MissingLookups() {
    return {};
}
void RefuseUnnamedFiles(bool) {}
void KillBeforeCall(int) {}
int CallsSoFar() {
    return 0;
}
void BeforeOpen(std::function<void(const std::string&)>) {}

} // namespace enginetest::seam

#else

#include <cerrno>
#include <csignal>
#include <cstdarg>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace enginetest::seam {

namespace {

bool recording = false;
bool refuseUnnamed = false;
int killAt = 0;
int calls = 0;
std::vector<Call> recorded;
std::vector<std::string> missing;
std::function<void(const std::string&)> beforeOpen;

template <typename Fn> Fn Next(const char* name) {
    return reinterpret_cast<Fn>(::dlsym(RTLD_NEXT, name));
}

// Counts a call that changes what is on the disk, and ends the process before it when asked to.
void Counted(Call::Op op, int fd, const char* name, const char* from = "") {
    ++calls;
    if (killAt > 0 && calls >= killAt)
        ::raise(SIGKILL);
    if (recording)
        recorded.push_back({op, fd, name ? name : "", from ? from : ""});
}

int LookedUp(int result, const char* path) {
    if (recording && result != 0 && errno == ENOENT)
        missing.emplace_back(path);
    return result;
}

bool IsUnnamed(int flags) {
    return (flags & O_TMPFILE) == O_TMPFILE;
}

} // namespace

void StartRecording() {
    recorded.clear();
    missing.clear();
    recording = true;
}

std::vector<Call> StopRecording() {
    recording = false;
    return std::move(recorded);
}

std::vector<std::string> MissingLookups() {
    return missing;
}

void RefuseUnnamedFiles(bool refuse) {
    refuseUnnamed = refuse;
}

void KillBeforeCall(int n) {
    killAt = n;
    calls = 0;
}

int CallsSoFar() {
    return calls;
}

void BeforeOpen(std::function<void(const std::string&)> action) {
    beforeOpen = std::move(action);
}

} // namespace enginetest::seam

using enginetest::seam::Call;
namespace seam = enginetest::seam;

extern "C" {

int open(const char* path, int flags, ...) {
    mode_t mode = 0;
    if (flags & O_CREAT) {
        va_list args;
        va_start(args, flags);
        mode = static_cast<mode_t>(va_arg(args, int));
        va_end(args);
    }
    if (seam::beforeOpen && !(flags & (O_WRONLY | O_RDWR)))
        seam::beforeOpen(path);
    static const auto next = seam::Next<int (*)(const char*, int, ...)>("open");
    return next(path, flags, mode);
}

int openat(int dirfd, const char* path, int flags, ...) {
    mode_t mode = 0;
    if ((flags & O_CREAT) || seam::IsUnnamed(flags)) {
        va_list args;
        va_start(args, flags);
        mode = static_cast<mode_t>(va_arg(args, int));
        va_end(args);
    }
    if (seam::IsUnnamed(flags) && seam::refuseUnnamed) {
        errno = EOPNOTSUPP;
        return -1;
    }
    static const auto next = seam::Next<int (*)(int, const char*, int, ...)>("openat");
    const int fd = next(dirfd, path, flags, mode);
    if (fd >= 0 && seam::recording && (seam::IsUnnamed(flags) || (flags & O_CREAT)))
        seam::recorded.push_back({seam::IsUnnamed(flags) ? Call::Op::OpenUnnamed : Call::Op::OpenNamed, fd, path, ""});
    return fd;
}

int stat(const char* path, struct stat* st) {
    static const auto next = seam::Next<int (*)(const char*, struct stat*)>("stat");
    return seam::LookedUp(next(path, st), path);
}

int lstat(const char* path, struct stat* st) {
    static const auto next = seam::Next<int (*)(const char*, struct stat*)>("lstat");
    return seam::LookedUp(next(path, st), path);
}

int fstatat(int dirfd, const char* path, struct stat* st, int flags) {
    static const auto next = seam::Next<int (*)(int, const char*, struct stat*, int)>("fstatat");
    return seam::LookedUp(next(dirfd, path, st, flags), path);
}

int fsync(int fd) {
    seam::Counted(Call::Op::Flush, fd, "");
    static const auto next = seam::Next<int (*)(int)>("fsync");
    return next(fd);
}

int linkat(int olddirfd, const char* oldpath, int newdirfd, const char* newpath, int flags) {
    int fd = olddirfd;
    const std::string self = "/proc/self/fd/";
    if (std::string(oldpath).rfind(self, 0) == 0)
        fd = std::stoi(std::string(oldpath).substr(self.size()));
    seam::Counted(Call::Op::Link, fd, newpath);
    static const auto next = seam::Next<int (*)(int, const char*, int, const char*, int)>("linkat");
    return next(olddirfd, oldpath, newdirfd, newpath, flags);
}

int renameat2(int olddirfd, const char* oldpath, int newdirfd, const char* newpath, unsigned int flags) {
    seam::Counted(Call::Op::Rename, -1, newpath, oldpath);
    static const auto next = seam::Next<int (*)(int, const char*, int, const char*, unsigned int)>("renameat2");
    return next(olddirfd, oldpath, newdirfd, newpath, flags);
}

int renameat(int olddirfd, const char* oldpath, int newdirfd, const char* newpath) {
    seam::Counted(Call::Op::Rename, -1, newpath, oldpath);
    static const auto next = seam::Next<int (*)(int, const char*, int, const char*)>("renameat");
    return next(olddirfd, oldpath, newdirfd, newpath);
}

int unlinkat(int dirfd, const char* path, int flags) {
    seam::Counted(Call::Op::Remove, -1, path);
    static const auto next = seam::Next<int (*)(int, const char*, int)>("unlinkat");
    return next(dirfd, path, flags);
}

} // extern "C"

#endif
