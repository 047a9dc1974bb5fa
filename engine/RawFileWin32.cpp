#ifdef _WIN32

#include "engine/RawFile.h"

#include <windows.h>

#include <utility>

namespace fs = std::filesystem;

namespace modFHand {

namespace {

[[noreturn]] void Fail(const char* what) {
    throw IoFailure(what);
}

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

BY_HANDLE_FILE_INFORMATION InfoOf(HANDLE handle) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(handle, &info))
        Fail("file information");
    return info;
}

FileId IdOf(const BY_HANDLE_FILE_INFORMATION& info) {
    return FileId{info.dwVolumeSerialNumber,
                  (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

bool IsPlainFile(HANDLE handle) {
    const BY_HANDLE_FILE_INFORMATION info = InfoOf(handle);
    return GetFileType(handle) == FILE_TYPE_DISK && !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

} // namespace

RawFile::Handle RawFile::Invalid() {
    return INVALID_HANDLE_VALUE;
}

void RawFile::Release() noexcept {
    if (handle_ != Invalid())
        CloseHandle(handle_);
    handle_ = Invalid();
}

RawFile RawFile::OpenForReading(const fs::path& path) {
    RawFile file(CreateFileW(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.IsOpen())
        Fail("open for reading");
    if (GetFileType(file.handle_) != FILE_TYPE_DISK)
        Fail("not a regular file");
    return file;
}

RawFile RawFile::CreatePiece(const fs::path& path, const RawFile& keep) {
    RawFile file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file.IsOpen())
        Fail("create piece");
    if (!IsPlainFile(file.handle_))
        Fail("piece is not a regular file");
    if (keep.IsOpen() && IdOf(InfoOf(file.handle_)) == keep.Id())
        Fail("piece is the source under another name");
    if (!SetEndOfFile(file.handle_))
        Fail("truncate piece");
    return file;
}

std::int64_t RawFile::Size() const {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(handle_, &size))
        Fail("size");
    return size.QuadPart;
}

FileId RawFile::Id() const {
    return IdOf(InfoOf(handle_));
}

void RawFile::ReadExactly(char* buffer, std::size_t count) {
    while (count > 0) {
        DWORD got = 0;
        const DWORD want = count > 0x40000000u ? 0x40000000u : static_cast<DWORD>(count);
        if (!ReadFile(handle_, buffer, want, &got, nullptr))
            Fail("read");
        if (got == 0)
            Fail("file cut short");
        buffer += got;
        count -= got;
    }
}

void RawFile::WriteAll(const char* buffer, std::size_t count) {
    while (count > 0) {
        DWORD put = 0;
        const DWORD want = count > 0x40000000u ? 0x40000000u : static_cast<DWORD>(count);
        if (!WriteFile(handle_, buffer, want, &put, nullptr) || put == 0)
            Fail("write");
        buffer += put;
        count -= put;
    }
}

// Windows has no counterpart that shares blocks; the bytes go through memory there.
std::int64_t RawFile::CopyRangeFrom(RawFile&, std::int64_t) {
    return kCopyRefused;
}

void RawFile::Sync() {
    if (!FlushFileBuffers(handle_))
        Fail("flush");
}

void RawFile::StartSync() noexcept {
    // Windows writes back on its own; FlushFileBuffers does the rest.
}

void RawFile::Close() {
    const HANDLE handle = handle_;
    handle_ = Invalid();
    if (handle != Invalid() && !CloseHandle(handle))
        Fail("close");
}

std::optional<FileId> RegularFileId(const fs::path& path) {
    HANDLE handle = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                                FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return std::nullopt;
    std::optional<FileId> id;
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileInformationByHandle(handle, &info) &&
        !(info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))
        id = IdOf(info);
    CloseHandle(handle);
    return id;
}

bool RemoveIfSame(const fs::path& path, const FileId& id) noexcept {
    const auto current = RegularFileId(path);
    return current && *current == id && DeleteFileW(path.c_str());
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

Folder Folder::Open(const fs::path& folder) {
    Folder opened;
    opened.path_ = folder;
    return opened;
}

RawFile Folder::CreateNew(const fs::path& name) const {
    RawFile file(CreateFileW((path_ / name).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsOpen())
        Fail("create");
    return file;
}

void Folder::RenameNoReplace(const fs::path& from, const fs::path& to) const {
    if (!MoveFileExW((path_ / from).c_str(), (path_ / to).c_str(), MOVEFILE_WRITE_THROUGH))
        Fail("rename");
}

bool Folder::RemoveIfSame(const fs::path& name, const FileId& id) const noexcept {
    try {
        return modFHand::RemoveIfSame(path_ / name, id);
    } catch (...) {
        return false;
    }
}

void Folder::Sync() const noexcept {
    // MOVEFILE_WRITE_THROUGH already waited for the rename to reach the disk.
}

// Windows has no file without a name: a split's pieces and a join's output are written under temporary names,
// flushed, and renamed at the end without replacing anything.
RawFile Folder::CreateUnnamed() const {
    return RawFile();
}

void Folder::LinkNoReplace(const RawFile&, const fs::path&) const {
    Fail("no unnamed files here");
}

std::optional<Entry> Folder::EntryOf(const fs::path& name) const {
    HANDLE handle = CreateFileW((path_ / name).c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                                FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return std::nullopt;
        Fail("look up entry");
    }
    BY_HANDLE_FILE_INFORMATION info{};
    const BOOL known = GetFileInformationByHandle(handle, &info);
    CloseHandle(handle);
    if (!known)
        Fail("look up entry");
    return Entry{IdOf(info), !(info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))};
}

bool Folder::RemoveEntryIfSame(const fs::path& name, const FileId& id) const noexcept {
    try {
        const auto entry = EntryOf(name);
        // DeleteFileW removes a link itself, never what it points to.
        return entry && entry->id == id && DeleteFileW((path_ / name).c_str());
    } catch (...) {
        return false;
    }
}

void Folder::Flush() const {
    // MOVEFILE_WRITE_THROUGH already waited for every rename to reach the disk.
}

OpenFileAllowance::OpenFileAllowance(std::size_t) : granted_(true) {}

OpenFileAllowance::~OpenFileAllowance() = default;

} // namespace modFHand

#endif
