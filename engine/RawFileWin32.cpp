#include "engine/RawFile.h"

#include "engine/LongPath.h"

#include <windows.h>
#include <winioctl.h>
#include <winternl.h>

#include <algorithm>
#include <exception>
#include <string>
#include <utility>
#include <vector>

namespace modFHand {

namespace {

// Reports GetLastError, which must still be the one the failed call set: nothing may run between the call and
// this but the making of the path arguments.
[[noreturn]] void Fail(const char* operation, const PathString& path) {
    throw IoFailure(std::error_code(static_cast<int>(GetLastError()), std::system_category()), operation, path);
}

[[noreturn]] void Fail(std::errc code, const char* operation, const PathString& path) {
    throw IoFailure(code, operation, path);
}

// For an operation on two names: the first goes into the operation's text, after the error has been read.
[[noreturn]] void Fail(const char* operation, const PathString& first, const char* joint, const PathString& second) {
    const std::error_code code(static_cast<int>(GetLastError()), std::system_category());
    throw IoFailure(code, operation + (" " + Quoted(first) + " ") + joint, second);
}

// Every name goes to the system in its "\\?\" form, so that it opens the file the user named and no other.
std::wstring SystemPath(const PathString& path) {
    std::wstring current(GetCurrentDirectoryW(0, nullptr), L'\0');
    current.resize(GetCurrentDirectoryW(static_cast<DWORD>(current.size()), current.data()));
    return LongPathForm(path, current);
}

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The file's index on its volume. Ids are only compared between names in one folder, so on one volume: the
// volume's serial is left out, since asking for it takes a round trip to Wine's mount manager, a millisecond or
// more for each file of a run.
bool IndexOf(HANDLE handle, FileId& id) {
    FILE_INTERNAL_INFORMATION internal{};
    IO_STATUS_BLOCK status{};
    const NTSTATUS result =
        NtQueryInformationFile(handle, &status, &internal, sizeof internal, FileInternalInformation);
    if (result < 0) {
        SetLastError(RtlNtStatusToDosError(result));
        return false;
    }
    id = FileId{0, static_cast<std::uint64_t>(internal.IndexNumber.QuadPart)};
    return true;
}

DWORD AttributesOf(HANDLE handle) {
    FILE_BASIC_INFO info{};
    return GetFileInformationByHandleEx(handle, FileBasicInfo, &info, sizeof info) ? info.FileAttributes
                                                                                   : INVALID_FILE_ATTRIBUTES;
}

bool IsPlainFile(DWORD attributes) {
    return !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));
}

// Block cloning (ReFS, a Dev Drive), which mingw-w64's headers up to 10 lack.
#ifndef FILE_SUPPORTS_BLOCK_REFCOUNTING
#define FILE_SUPPORTS_BLOCK_REFCOUNTING 0x08000000
#endif
#ifndef FSCTL_DUPLICATE_EXTENTS_TO_FILE
#define FSCTL_DUPLICATE_EXTENTS_TO_FILE CTL_CODE(FILE_DEVICE_FILE_SYSTEM, 209, METHOD_BUFFERED, FILE_WRITE_DATA)
#endif
struct DuplicateExtentsData {
    HANDLE FileHandle;
    LARGE_INTEGER SourceFileOffset;
    LARGE_INTEGER TargetFileOffset;
    LARGE_INTEGER ByteCount;
};

// The cluster size of the volume under `file` where it shares blocks between files; 0 where it can't.
std::int64_t CloningCluster(HANDLE file, const PathString& name) {
    DWORD flags = 0;
    if (!GetVolumeInformationByHandleW(file, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0) ||
        !(flags & FILE_SUPPORTS_BLOCK_REFCOUNTING))
        return 0;
    const std::wstring path = SystemPath(name);
    std::wstring root(path.size() + 2, L'\0');
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
    if (!GetVolumePathNameW(path.c_str(), root.data(), static_cast<DWORD>(root.size())) ||
        !GetDiskFreeSpaceW(root.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters))
        return 0;
    return static_cast<std::int64_t>(sectorsPerCluster) * bytesPerSector;
}

std::int64_t Seek(HANDLE file, std::int64_t distance, DWORD from, const PathString& name) {
    LARGE_INTEGER move{}, at{};
    move.QuadPart = distance;
    if (!SetFilePointerEx(file, move, &at, from))
        Fail("seek in", name);
    return at.QuadPart;
}

bool SetEnd(HANDLE file, std::int64_t end) {
    FILE_END_OF_FILE_INFO info{};
    info.EndOfFile.QuadPart = end;
    return SetFileInformationByHandle(file, FileEndOfFileInfo, &info, sizeof info);
}

// The clone asks both files to be alike: a sparse source's target is made sparse too.
bool MatchSparse(HANDLE source, HANDLE target) {
    DWORD returned = 0;
    return !(AttributesOf(source) & FILE_ATTRIBUTE_SPARSE_FILE) ||
           DeviceIoControl(target, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
}

// The mark makes the name vanish when the file's last handle closes, whoever closes it: a killed process's
// handles are closed by the system, so the file goes with them.
bool MarkForDeletion(HANDLE handle, bool mark) {
    FILE_DISPOSITION_INFO info{};
    info.DeleteFile = mark;
    return SetFileInformationByHandle(handle, FileDispositionInfo, &info, sizeof info);
}

// The rename goes to the system as it is, so the name is an NT path: "\\?\C:\x" becomes "\??\C:\x". Nothing
// under `to` is replaced.
bool RenameByHandle(HANDLE handle, const std::wstring& systemPath) {
    std::wstring to = systemPath;
    if (to.compare(0, 4, L"\\\\?\\") == 0 || to.compare(0, 4, L"\\\\.\\") == 0)
        to.replace(0, 4, L"\\??\\");
    const std::size_t bytes = to.size() * sizeof(wchar_t);
    std::vector<char> buffer(sizeof(FILE_RENAME_INFO) + bytes);
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    info->ReplaceIfExists = FALSE;
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(bytes);
    std::copy(to.begin(), to.end(), info->FileName);
    return SetFileInformationByHandle(handle, FileRenameInfo, info, static_cast<DWORD>(buffer.size()));
}

} // namespace

std::string SystemMessage(const std::error_code& code) {
    if (code.category() != std::system_category())
        return code.message();
    char* text = nullptr;
    const DWORD length =
        FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
                           FORMAT_MESSAGE_MAX_WIDTH_MASK,
                       nullptr, static_cast<DWORD>(code.value()), 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = length > 0 ? std::string(text, length) : "error " + std::to_string(code.value());
    LocalFree(text);
    while (!message.empty() &&
           (message.back() == ' ' || message.back() == '.' || message.back() == '\r' || message.back() == '\n'))
        message.pop_back();
    return message;
}

RawFile::Handle RawFile::Invalid() {
    return INVALID_HANDLE_VALUE;
}

void RawFile::Release() noexcept {
    if (handle_ != Invalid())
        CloseHandle(handle_);
    handle_ = Invalid();
}

RawFile RawFile::OpenForReading(const PathString& path) {
    RawFile file(CreateFileW(SystemPath(path).c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr),
                 path);
    if (!file.IsOpen())
        Fail("open for reading", path);
    if (GetFileType(file.handle_) != FILE_TYPE_DISK)
        Fail(std::errc::invalid_argument, "open for reading (no regular file)", path);
    return file;
}

std::int64_t RawFile::Size() const {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(handle_, &size))
        Fail("measure", name_);
    return size.QuadPart;
}

FileId RawFile::Id() const {
    FileId id;
    if (!IndexOf(handle_, id))
        Fail("read the file information of", name_);
    return id;
}

void RawFile::ReadExactly(char* buffer, std::size_t count) {
    while (count > 0) {
        DWORD got = 0;
        const DWORD want = count > 0x40000000u ? 0x40000000u : static_cast<DWORD>(count);
        if (!ReadFile(handle_, buffer, want, &got, nullptr))
            Fail("read", name_);
        if (got == 0)
            Fail(std::errc::io_error, "read (file cut short)", name_);
        buffer += got;
        count -= got;
    }
}

void RawFile::WriteAll(const char* buffer, std::size_t count) {
    while (count > 0) {
        DWORD put = 0;
        const DWORD want = count > 0x40000000u ? 0x40000000u : static_cast<DWORD>(count);
        if (!WriteFile(handle_, buffer, want, &put, nullptr))
            Fail("write", name_);
        if (put == 0)
            Fail(std::errc::io_error, "write (nothing taken)", name_);
        buffer += put;
        count -= put;
    }
}

// Shares whole clusters where the volume can (ReFS); the call neither grows the target nor takes a range off the
// cluster edges, so the target is extended first and what does not line up is left to the copy through memory.
std::int64_t RawFile::CopyRangeFrom(RawFile& from, std::int64_t count) {
    const std::int64_t cluster = CloningCluster(handle_, name_);
    if (cluster <= 0 || count < cluster)
        return kCopyRefused;
    const std::int64_t source = Seek(from.handle_, 0, FILE_CURRENT, from.name_);
    const std::int64_t target = Seek(handle_, 0, FILE_CURRENT, name_);
    const std::int64_t size = Size();
    DuplicateExtentsData range{from.handle_, {}, {}, {}};
    range.SourceFileOffset.QuadPart = source;
    range.TargetFileOffset.QuadPart = target;
    range.ByteCount.QuadPart = count / cluster * cluster;
    DWORD returned = 0;
    if (source % cluster != 0 || target % cluster != 0 || !MatchSparse(from.handle_, handle_) ||
        !SetEnd(handle_, std::max(size, target + range.ByteCount.QuadPart)))
        return kCopyRefused;
    if (!DeviceIoControl(handle_, FSCTL_DUPLICATE_EXTENTS_TO_FILE, &range, sizeof range, nullptr, 0, &returned,
                         nullptr)) {
        SetEnd(handle_, size); // as it was, for the copy through memory
        return kCopyRefused;
    }
    Seek(from.handle_, source + range.ByteCount.QuadPart, FILE_BEGIN, from.name_);
    Seek(handle_, target + range.ByteCount.QuadPart, FILE_BEGIN, name_);
    return range.ByteCount.QuadPart;
}

void RawFile::Sync() {
    if (!FlushFileBuffers(handle_))
        Fail("flush", name_);
}

void RawFile::StartSync() noexcept {
    // Windows writes back on its own; FlushFileBuffers does the rest.
}

// Windows keeps its own path: its cache writes behind on its own, and removable drives are set for quick removal
// by default, which writes them through.
bool RawFile::WriteBack(std::int64_t, std::int64_t, bool) {
    return false;
}

void RawFile::Discard() noexcept {
    Release();
}

void RawFile::Close() {
    const HANDLE handle = handle_;
    handle_ = Invalid();
    if (handle != Invalid() && !CloseHandle(handle))
        Fail("close", name_);
}

Lookup LookUp(const PathString& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(SystemPath(path).c_str(), GetFileExInfoStandard, &data)) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return {};
        return {Lookup::Kind::Other, 0, std::error_code(static_cast<int>(error), std::system_category())};
    }
    DWORD attributes = data.dwFileAttributes;
    std::int64_t size = (static_cast<std::int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        // A link is followed: what it names is what a run would open.
        const HANDLE handle = CreateFileW(SystemPath(path).c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        BY_HANDLE_FILE_INFORMATION info{};
        const bool known = handle != INVALID_HANDLE_VALUE && GetFileInformationByHandle(handle, &info);
        if (handle != INVALID_HANDLE_VALUE)
            CloseHandle(handle);
        if (!known)
            return {Lookup::Kind::Other, 0, {}};
        attributes = info.dwFileAttributes;
        size = (static_cast<std::int64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    }
    if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM))
        return {Lookup::Kind::Other, 0, {}};
    return {Lookup::Kind::File, size, {}};
}

std::optional<Listing> ListFolder(const PathString& folder, const PathString& prefix) {
    Listing listing;
    listing.foldsCase = true;
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileExW(SystemPath(folder + prefix + L'*').c_str(), FindExInfoBasic, &found,
                                           FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE) {
        if (GetLastError() == ERROR_FILE_NOT_FOUND)
            return listing; // the folder holds no such name
        return std::nullopt;
    }
    const int length = static_cast<int>(prefix.size());
    do {
        // The system also matches short (8.3) names, and its wildcards match more than the prefix: only a long
        // name that begins with it, as the system compares names, is kept.
        const std::wstring_view name(found.cFileName);
        if (name.size() >= prefix.size() &&
            CompareStringOrdinal(name.data(), length, prefix.data(), length, TRUE) == CSTR_EQUAL)
            listing.names.emplace_back(name.substr(prefix.size()));
    } while (FindNextFileW(search, &found));
    const DWORD error = GetLastError();
    FindClose(search);
    if (error != ERROR_NO_MORE_FILES)
        return std::nullopt;
    return listing;
}

std::optional<FileId> RegularFileId(const PathString& path) {
    HANDLE handle = CreateFileW(SystemPath(path).c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                                FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return std::nullopt;
    FileId id;
    const bool regular = IndexOf(handle, id) && IsPlainFile(AttributesOf(handle));
    CloseHandle(handle);
    return regular ? std::optional<FileId>(id) : std::nullopt;
}

bool RemoveIfSame(const PathString& path, const FileId& id) noexcept {
    const auto current = RegularFileId(path);
    return current && *current == id && DeleteFileW(SystemPath(path).c_str());
}

Folder::~Folder() {
    Release();
}

Folder::Folder(Folder&& other) noexcept : path_(std::move(other.path_)) {
    other.path_.clear();
}

Folder& Folder::operator=(Folder&& other) noexcept {
    if (this != &other) {
        path_ = std::move(other.path_);
        other.path_.clear();
    }
    return *this;
}

void Folder::Release() noexcept {
    path_.clear();
}

Folder Folder::Open(const PathString& folder) {
    Folder opened;
    opened.path_ = folder;
    return opened;
}

// DELETE access lets the file be marked to vanish, and be renamed, through its own handle.
RawFile Folder::CreateNew(const PathString& name) const {
    RawFile file(CreateFileW(SystemPath(PathOf(name)).c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_READ, nullptr,
                             CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr),
                 PathOf(name));
    if (!file.IsOpen())
        Fail("create", PathOf(name));
    return file;
}

void Folder::RenameNoReplace(const PathString& from, const PathString& to) const {
    if (!MoveFileExW(SystemPath(PathOf(from)).c_str(), SystemPath(PathOf(to)).c_str(), MOVEFILE_WRITE_THROUGH))
        Fail("rename", PathOf(from), "to", PathOf(to));
}

bool Folder::RemoveIfSame(const PathString& name, const FileId& id) const noexcept {
    try {
        return modFHand::RemoveIfSame(PathOf(name), id);
    } catch (const std::exception&) {
        return false; // no memory for the path: nothing removed
    }
}

// The standard library's random_device loads the system's cryptography on its first use, 5 ms under Wine, a
// tenth of a small run. The names only have to differ (CreateNew never takes an existing entry and draws again),
// so the clock and the process and thread serve.
std::uint64_t Folder::NameSeed() {
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    return static_cast<std::uint64_t>(now.QuadPart) ^ (static_cast<std::uint64_t>(GetCurrentProcessId()) << 32) ^
           (static_cast<std::uint64_t>(GetCurrentThreadId()) << 48);
}

// Windows' unnamed file: a fresh temporary name, marked at once to vanish with its last handle, so that a
// killed run leaves nothing. Not open where the file system refuses the mark (some network file systems): the
// caller then writes under a temporary name it removes itself.
RawFile Folder::CreateUnnamed() const {
    PathString name;
    RawFile file = CreateTemporary(name);
    if (MarkForDeletion(file.handle_, true))
        return file;
    const FileId id = file.Id();
    file.Discard();
    RemoveIfSame(name, id);
    return RawFile();
}

// Only between taking the mark back and the rename can a kill leave the file. Any failure from there on marks
// it again, so that the name it may already have vanishes with it, and nothing is left.
void Folder::LinkNoReplace(const RawFile& file, const PathString& to) const {
    if (!MarkForDeletion(file.handle_, false))
        Fail("name", PathOf(to));
    // Renaming by handle has no write-through: the flush after it makes the name last through a power cut.
    if (RenameByHandle(file.handle_, SystemPath(PathOf(to))) && FlushFileBuffers(file.handle_))
        return;
    const DWORD error = GetLastError();
    MarkForDeletion(file.handle_, true);
    SetLastError(error);
    Fail("name", PathOf(to));
}

std::optional<Entry> Folder::EntryOf(const PathString& name) const {
    HANDLE handle = CreateFileW(SystemPath(PathOf(name)).c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return std::nullopt;
        SetLastError(error);
        Fail("look up", PathOf(name));
    }
    FileId id;
    const DWORD attributes = AttributesOf(handle);
    const bool known = attributes != INVALID_FILE_ATTRIBUTES && IndexOf(handle, id);
    const DWORD error = known ? ERROR_SUCCESS : GetLastError();
    CloseHandle(handle);
    if (!known) {
        SetLastError(error);
        Fail("look up", PathOf(name));
    }
    return Entry{id, IsPlainFile(attributes)};
}

bool Folder::RemoveEntryIfSame(const PathString& name, const FileId& id) const noexcept {
    try {
        const auto entry = EntryOf(name);
        // DeleteFileW removes a link itself, never what it points to.
        return entry && entry->id == id && DeleteFileW(SystemPath(PathOf(name)).c_str());
    } catch (const std::exception&) {
        return false; // an entry that can't be looked up (IoFailure), or no memory for its path: nothing removed
    }
}

void Folder::Flush() const {
    // Every name already reached the disk as it was given: a flush after a rename by handle, or
    // MOVEFILE_WRITE_THROUGH.
}

OpenFileAllowance::OpenFileAllowance(std::size_t) : granted_(true) {}

OpenFileAllowance::~OpenFileAllowance() = default;

} // namespace modFHand
