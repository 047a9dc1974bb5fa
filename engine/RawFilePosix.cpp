#ifndef _WIN32

#include "engine/RawFile.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace modFHand {

namespace {

constexpr int kOpenFlags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK; // O_NONBLOCK: a FIFO must never hang us

[[noreturn]] void Fail(const char* what) {
    throw IoFailure(what);
}

FileId IdOf(const struct stat& st) {
    return FileId{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

struct stat StatOf(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        Fail("fstat");
    return st;
}

} // namespace

RawFile::Handle RawFile::Invalid() {
    return -1;
}

RawFile::~RawFile() {
    Release();
}

RawFile::RawFile(RawFile&& other) noexcept : handle_(other.handle_) {
    other.handle_ = Invalid();
}

RawFile& RawFile::operator=(RawFile&& other) noexcept {
    if (this != &other) {
        Release();
        handle_ = other.handle_;
        other.handle_ = Invalid();
    }
    return *this;
}

void RawFile::Release() noexcept {
    if (handle_ != Invalid())
        ::close(handle_);
    handle_ = Invalid();
}

RawFile RawFile::OpenForReading(const fs::path& path) {
    RawFile file(::open(path.c_str(), O_RDONLY | kOpenFlags));
    if (!file.IsOpen())
        Fail("open for reading");
    if (!S_ISREG(StatOf(file.handle_).st_mode))
        Fail("not a regular file");
#ifdef POSIX_FADV_SEQUENTIAL
    ::posix_fadvise(file.handle_, 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
    return file;
}

RawFile RawFile::CreatePiece(const fs::path& path, const RawFile& keep) {
    RawFile file(::open(path.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | kOpenFlags, 0666));
    if (!file.IsOpen())
        Fail("create piece");
    const struct stat st = StatOf(file.handle_);
    if (!S_ISREG(st.st_mode))
        Fail("piece is not a regular file");
    if (keep.IsOpen() && IdOf(st) == keep.Id())
        Fail("piece is the source under another name");
    if (st.st_size != 0 && ::ftruncate(file.handle_, 0) != 0)
        Fail("truncate piece");
    return file;
}

RawFile RawFile::CreateNew(const fs::path& path) {
    RawFile file(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | kOpenFlags, 0666));
    if (!file.IsOpen())
        Fail("create");
    return file;
}

bool RawFile::IsOpen() const {
    return handle_ != Invalid();
}

std::int64_t RawFile::Size() const {
    return static_cast<std::int64_t>(StatOf(handle_).st_size);
}

FileId RawFile::Id() const {
    return IdOf(StatOf(handle_));
}

void RawFile::ReadExactly(char* buffer, std::size_t count) {
    while (count > 0) {
        const ssize_t got = ::read(handle_, buffer, count);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            Fail("read");
        if (got == 0)
            Fail("file cut short");
        buffer += got;
        count -= static_cast<std::size_t>(got);
    }
}

void RawFile::WriteAll(const char* buffer, std::size_t count) {
    while (count > 0) {
        const ssize_t put = ::write(handle_, buffer, count);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            Fail("write");
        buffer += put;
        count -= static_cast<std::size_t>(put);
    }
}

void RawFile::Sync() {
    if (::fsync(handle_) != 0 && errno != EINVAL)
        Fail("fsync");
}

void RawFile::Close() {
    const int fd = handle_;
    handle_ = Invalid();
    // A close that reports an error may mean written bytes never reached the disk (network file systems).
    if (fd != Invalid() && ::close(fd) != 0 && errno != EINTR)
        Fail("close");
}

std::optional<FileId> RegularFileId(const fs::path& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return IdOf(st);
}

bool RemoveIfSame(const fs::path& path, const FileId& id) noexcept {
    const auto current = RegularFileId(path);
    return current && *current == id && ::unlink(path.c_str()) == 0;
}

void RenameNoReplace(const fs::path& from, const fs::path& to) {
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        Fail("rename");
#endif
    // link() refuses an existing target just as firmly; file systems without hard links (FAT) say EPERM.
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return;
    }
    if (errno != EPERM && errno != ENOTSUP && errno != ENOSYS)
        Fail("link");
    struct stat st {};
    if (::lstat(to.c_str(), &st) == 0 || errno != ENOENT || ::rename(from.c_str(), to.c_str()) != 0)
        Fail("rename");
}

void SyncFolder(const fs::path& folder) noexcept {
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace modFHand

#endif
