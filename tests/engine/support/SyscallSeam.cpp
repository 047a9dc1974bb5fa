#include "engine/support/SyscallSeam.h"

#ifdef _WIN32

#include <windows.h>

#include <cstring>

// The calls are caught by pointing the program's own imports of them elsewhere: the engine is linked into the
// test, so its calls go through there. A kill is a TerminateProcess, as Task Manager's End task is.
namespace enginetest::seam {

namespace {

bool recording = false;
bool refuseUnnamed = false;
int killAt = 0;
int calls = 0;
std::vector<Call> recorded;
long long cluster = 0;
int refuseFrom = 0;
std::vector<Clone> clones;

// Points the import `name` at `replacement` and returns the system's own function.
template <typename Fn> Fn Hook(const char* name, Fn replacement) {
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
    const auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const DWORD imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    Fn original = nullptr;
    for (auto* dll = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports); dll->Name; ++dll) {
        auto* entry = reinterpret_cast<IMAGE_THUNK_DATA*>(base + dll->OriginalFirstThunk);
        auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + dll->FirstThunk);
        for (; entry->u1.AddressOfData; ++entry, ++slot) {
            if (IMAGE_SNAP_BY_ORDINAL(entry->u1.Ordinal) ||
                std::strcmp(reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + entry->u1.AddressOfData)->Name, name) != 0)
                continue;
            DWORD old = 0;
            VirtualProtect(&slot->u1.Function, sizeof(slot->u1.Function), PAGE_READWRITE, &old);
            original = reinterpret_cast<Fn>(slot->u1.Function);
            slot->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
            VirtualProtect(&slot->u1.Function, sizeof(slot->u1.Function), old, &old);
        }
    }
    return original;
}

decltype(&CreateFileW) systemCreateFileW;
decltype(&SetFileInformationByHandle) systemSetFileInformation;
decltype(&MoveFileExW) systemMove;
decltype(&GetVolumeInformationByHandleW) systemVolumeInformation;
decltype(&GetDiskFreeSpaceW) systemFreeSpace;
decltype(&DeviceIoControl) systemIoControl;

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

// The mark, taking it back and the renames are the calls a kill is placed before.
void Counted() {
    if (++calls >= killAt && killAt > 0)
        TerminateProcess(GetCurrentProcess(), 137);
}

// A file system that refuses the mark refuses it as a network one does.
BOOL WINAPI SeamSetFileInformation(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind, LPVOID info, DWORD size) {
    Counted();
    if (refuseUnnamed && kind == FileDispositionInfo && static_cast<FILE_DISPOSITION_INFO*>(info)->DeleteFile) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return systemSetFileInformation(file, kind, info, size);
}

BOOL WINAPI SeamMove(LPCWSTR from, LPCWSTR to, DWORD flags) {
    Counted();
    return systemMove(from, to, flags);
}

BOOL WINAPI SeamVolumeInformation(HANDLE file, LPWSTR name, DWORD nameSize, LPDWORD serial, LPDWORD length,
                                  LPDWORD flags, LPWSTR system, DWORD systemSize) {
    const BOOL done = systemVolumeInformation(file, name, nameSize, serial, length, flags, system, systemSize);
    if (done && flags && cluster > 0)
        *flags |= 0x08000000; // FILE_SUPPORTS_BLOCK_REFCOUNTING
    return done;
}

BOOL WINAPI SeamFreeSpace(LPCWSTR root, LPDWORD sectors, LPDWORD bytes, LPDWORD free, LPDWORD total) {
    const BOOL done = systemFreeSpace(root, sectors, bytes, free, total);
    if (done && cluster > 0)
        *sectors = static_cast<DWORD>(cluster / *bytes);
    return done;
}

BOOL WINAPI SeamIoControl(HANDLE file, DWORD code, LPVOID in, DWORD inSize, LPVOID out, DWORD outSize, LPDWORD returned,
                          LPOVERLAPPED overlapped) {
    struct Extents {
        HANDLE file;
        LARGE_INTEGER source, target, count;
    };
    if (cluster == 0 || code != 0x98344) // FSCTL_DUPLICATE_EXTENTS_TO_FILE
        return systemIoControl(file, code, in, inSize, out, outSize, returned, overlapped);
    const Extents& range = *static_cast<const Extents*>(in);
    LARGE_INTEGER sourceSize{}, targetSize{};
    GetFileSizeEx(range.file, &sourceSize);
    GetFileSizeEx(file, &targetSize);
    clones.push_back(
        {range.source.QuadPart, range.target.QuadPart, range.count.QuadPart, sourceSize.QuadPart, targetSize.QuadPart});
    if (refuseFrom > 0 && static_cast<int>(clones.size()) >= refuseFrom) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return FALSE;
    }
    // Read and written at the range's offsets, which leaves both files' positions after it.
    std::string bytes(static_cast<std::size_t>(range.count.QuadPart), '\0');
    OVERLAPPED from{}, to{};
    from.Offset = range.source.LowPart, from.OffsetHigh = static_cast<DWORD>(range.source.HighPart);
    to.Offset = range.target.LowPart, to.OffsetHigh = static_cast<DWORD>(range.target.HighPart);
    DWORD moved = 0;
    return ReadFile(range.file, bytes.data(), static_cast<DWORD>(bytes.size()), &moved, &from) &&
           WriteFile(file, bytes.data(), moved, &moved, &to);
}

void HookOnce() {
    if (systemCreateFileW)
        return;
    systemCreateFileW = Hook("CreateFileW", &RecordingCreateFileW);
    systemSetFileInformation = Hook("SetFileInformationByHandle", &SeamSetFileInformation);
    systemMove = Hook("MoveFileExW", &SeamMove);
    systemVolumeInformation = Hook("GetVolumeInformationByHandleW", &SeamVolumeInformation);
    systemFreeSpace = Hook("GetDiskFreeSpaceW", &SeamFreeSpace);
    systemIoControl = Hook("DeviceIoControl", &SeamIoControl);
}

} // namespace

void StartRecording() {
    HookOnce();
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
void RefuseUnnamedFiles(bool refuse) {
    HookOnce();
    refuseUnnamed = refuse;
}
void KillBeforeCall(int n) {
    HookOnce();
    killAt = n;
    calls = 0;
}
int CallsSoFar() {
    return calls;
}
void CloningVolume(long long clusterSize, int refuseFromCall) {
    HookOnce();
    cluster = clusterSize;
    refuseFrom = refuseFromCall;
    clones.clear();
}
std::vector<Clone> Clones() {
    return clones;
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
