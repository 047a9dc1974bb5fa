#include "engine/RawFile.h"

#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <linux/magic.h>
#include <random>
#include <string>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

namespace modFHand {

namespace {

constexpr int kOpenFlags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK; // O_NONBLOCK: a FIFO must never hang us

// Reports errno, which must still be the one the failed call set: nothing may run between the call and this but
// the making of the path arguments, which only allocate and leave errno alone when they succeed.
[[noreturn]] void Fail(const char* operation, const PathString& path) {
    throw IoFailure(std::error_code(errno, std::generic_category()), operation, path);
}

[[noreturn]] void Fail(std::errc code, const char* operation, const PathString& path) {
    throw IoFailure(code, operation, path);
}

// For an operation on two names: the first goes into the operation's text, after errno has been read.
[[noreturn]] void Fail(const char* operation, const PathString& first, const char* joint, const PathString& second) {
    const std::error_code code(errno, std::generic_category());
    throw IoFailure(code, operation + (" " + Quoted(first) + " ") + joint, second);
}

FileId IdOf(const struct stat& st) {
    return FileId{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

struct stat StatOf(int fd, const PathString& name) {
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        Fail("fstat", name);
    return st;
}

} // namespace

std::string SystemMessage(const std::error_code& code) {
    return code.message();
}

RawFile::Handle RawFile::Invalid() {
    return -1;
}

void RawFile::Release() noexcept {
    if (handle_ != Invalid())
        ::close(handle_);
    handle_ = Invalid();
}

RawFile RawFile::OpenForReading(const PathString& path) {
    RawFile file(::open(path.c_str(), O_RDONLY | kOpenFlags), path);
    if (!file.IsOpen())
        Fail("open for reading", path);
    if (!S_ISREG(StatOf(file.handle_, path).st_mode))
        Fail(std::errc::invalid_argument, "open for reading (no regular file)", path);
#ifdef POSIX_FADV_SEQUENTIAL
    ::posix_fadvise(file.handle_, 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
    return file;
}

std::int64_t RawFile::Size() const {
    return static_cast<std::int64_t>(StatOf(handle_, name_).st_size);
}

FileId RawFile::Id() const {
    return IdOf(StatOf(handle_, name_));
}

void RawFile::ReadExactly(char* buffer, std::size_t count) {
    while (count > 0) {
        const ssize_t got = ::read(handle_, buffer, count);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            Fail("read", name_);
        if (got == 0)
            Fail(std::errc::io_error, "read (file cut short)", name_);
        buffer += got;
        count -= static_cast<std::size_t>(got);
    }
}

void RawFile::WriteAll(const char* buffer, std::size_t count) {
    while (count > 0) {
        const ssize_t put = ::write(handle_, buffer, count);
        if (put < 0 && errno == EINTR)
            continue;
        if (put < 0)
            Fail("write", name_);
        if (put == 0)
            Fail(std::errc::io_error, "write (nothing taken)", name_);
        buffer += put;
        count -= static_cast<std::size_t>(put);
        Wrote(put);
    }
}

std::int64_t RawFile::CopyRangeFrom(RawFile& from, std::int64_t count) {
    for (;;) {
        const ssize_t moved = ::copy_file_range(from.handle_, nullptr, handle_, nullptr, static_cast<size_t>(count), 0);
        if (moved > 0) {
            Wrote(moved);
            return static_cast<std::int64_t>(moved);
        }
        if (moved == 0)
            return kCopyRefused; // the end of the source, or a file system that answers 0 for what it can't do
        if (errno == EINTR)
            continue;
        // Kernels, file systems and sandboxes that can't copy between these two files; no byte has moved.
        if (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP || errno == ENOTSUP ||
            errno == EBADF || errno == EPERM)
            return kCopyRefused;
        Fail("copy", from.name_, "into", name_);
    }
}

void RawFile::Sync() {
    if (::fsync(handle_) != 0 && errno != EINVAL)
        Fail("fsync", name_);
}

void RawFile::StartSync() noexcept {
#ifdef SYNC_FILE_RANGE_WRITE
    ::sync_file_range(handle_, 0, 0, SYNC_FILE_RANGE_WRITE);
#endif
}

bool RawFile::WriteBack(std::int64_t offset, std::int64_t length, bool wait) {
#ifndef SYNC_FILE_RANGE_WRITE
    return false; // a system without the call: the file goes on as before
#else
    const unsigned flags =
        wait ? SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER : SYNC_FILE_RANGE_WRITE;
    while (::sync_file_range(handle_, offset, length, flags) != 0) {
        if (errno == ENOSYS || errno == EINVAL || errno == ESPIPE)
            return false;
        // A device that failed in the background says so here, and only once: a later fsync would not know.
        if (errno != EINTR)
            Fail("write", name_);
    }
    return true;
#endif
}

void RawFile::Close() {
    const int fd = handle_;
    handle_ = Invalid();
    // A close that reports an error may mean written bytes never reached the disk (network file systems).
    if (fd != Invalid() && ::close(fd) != 0 && errno != EINTR)
        Fail("close", name_);
}

void RawFile::Discard() noexcept {
    // Emptied first, since a close may write out what is still in memory (FUSE does), only for it to be removed.
    // A failure changes nothing: the removal follows. (A cast to void does not quiet glibc's fortified warning.)
    if (IsOpen()) {
        [[maybe_unused]] const int emptied = ::ftruncate(handle_, 0);
    }
    Release();
}

Lookup LookUp(const PathString& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return {};
        return {Lookup::Kind::Other, 0, std::error_code(errno, std::generic_category())};
    }
    // A link is followed; one that points nowhere is still an entry under that name.
    if (S_ISLNK(st.st_mode) && ::stat(path.c_str(), &st) != 0)
        return {Lookup::Kind::Other, 0, std::error_code(errno, std::generic_category())};
    if (!S_ISREG(st.st_mode))
        return {Lookup::Kind::Other, 0, {}};
    return {Lookup::Kind::File, static_cast<std::int64_t>(st.st_size), {}};
}

namespace {

// File systems that take names without regard to case, as Linux mounts them; an ext4 folder may ask for the
// same on its own (casefold). The listing must hold every name the system would match, so a file system that
// can't be told is taken to fold: the name each member is then looked up by decides.
bool FoldsCase(int folder) {
    constexpr long kExfat = 0x2011BAB0, kNtfs = 0x5346544e, kNtfs3 = 0x7366746e, kCifs = 0xFF534D42, kSmb2 = 0xFE534D42;
    struct statfs fs {};
    if (::fstatfs(folder, &fs) != 0)
        return true;
    const long type = static_cast<long>(fs.f_type);
    if (type == MSDOS_SUPER_MAGIC || type == kExfat || type == kNtfs || type == kNtfs3 || type == kCifs ||
        type == kSmb2 || type == SMB_SUPER_MAGIC)
        return true;
#ifdef FS_CASEFOLD_FL
    int flags = 0;
    if (::ioctl(folder, FS_IOC_GETFLAGS, &flags) == 0 && (flags & FS_CASEFOLD_FL))
        return true;
#endif
    return false;
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsAscii(const PathString& text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

bool BeginsWith(const char* name, const PathString& prefix, bool foldsCase) {
    for (const char c : prefix) {
        if (*name == '\0' || (foldsCase ? Lower(*name) != Lower(c) : *name != c))
            return false;
        ++name;
    }
    return true;
}

} // namespace

std::optional<Listing> ListFolder(const PathString& folder, const PathString& prefix) {
    DIR* listed = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!listed)
        return std::nullopt;
    Listing listing;
    listing.foldsCase = FoldsCase(::dirfd(listed));
    // How a folding file system folds letters beyond ASCII depends on how it was mounted; such a prefix is left
    // to the file system itself, one name at a time.
    if (listing.foldsCase && !IsAscii(prefix)) {
        ::closedir(listed);
        return std::nullopt;
    }
    errno = 0;
    while (const dirent* entry = ::readdir(listed)) {
        if (BeginsWith(entry->d_name, prefix, listing.foldsCase))
            listing.names.emplace_back(entry->d_name + prefix.size());
    }
    const bool complete = errno == 0;
    ::closedir(listed);
    if (!complete)
        return std::nullopt;
    return listing;
}

std::optional<FileId> RegularFileId(const PathString& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return IdOf(st);
}

bool RemoveIfSame(const PathString& path, const FileId& id) noexcept {
    const auto current = RegularFileId(path);
    return current && *current == id && ::unlink(path.c_str()) == 0;
}

Folder::~Folder() {
    Release();
}

Folder::Folder(Folder&& other) noexcept : path_(std::move(other.path_)), handle_(other.handle_) {
    other.handle_ = -1;
}

Folder& Folder::operator=(Folder&& other) noexcept {
    if (this != &other) {
        Release();
        path_ = std::move(other.path_);
        handle_ = other.handle_;
        other.handle_ = -1;
    }
    return *this;
}

void Folder::Release() noexcept {
    if (handle_ >= 0)
        ::close(handle_);
    handle_ = -1;
}

Folder Folder::Open(const PathString& folder) {
    const char* name = folder.empty() ? "." : folder.c_str();
    Folder opened;
    opened.path_ = folder;
    opened.handle_ = ::open(name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
#ifdef O_PATH
    // A folder we may write in but not list still takes our names; only its flush is lost then.
    if (opened.handle_ < 0 && errno == EACCES)
        opened.handle_ = ::open(name, O_PATH | O_DIRECTORY | O_CLOEXEC);
#endif
    if (opened.handle_ < 0)
        Fail("open folder", name);
    return opened;
}

RawFile Folder::CreateNew(const PathString& name) const {
    RawFile file(::openat(handle_, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | kOpenFlags, 0666),
                 PathOf(name));
    if (!file.IsOpen())
        Fail("create", PathOf(name));
    return file;
}

void Folder::RenameNoReplace(const PathString& from, const PathString& to) const {
#ifdef RENAME_NOREPLACE
    if (::renameat2(handle_, from.c_str(), handle_, to.c_str(), RENAME_NOREPLACE) == 0)
        return;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        Fail("rename", PathOf(from), "to", PathOf(to));
#endif
    // linkat() refuses an existing target just as firmly; file systems without hard links (FAT) say EPERM.
    if (::linkat(handle_, from.c_str(), handle_, to.c_str(), 0) == 0) {
        ::unlinkat(handle_, from.c_str(), 0);
        return;
    }
    if (errno != EPERM && errno != ENOTSUP && errno != ENOSYS)
        Fail("link", PathOf(from), "to", PathOf(to));
    struct stat st {};
    if (::fstatat(handle_, to.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0)
        Fail(std::errc::file_exists, "rename to", PathOf(to));
    if (errno != ENOENT || ::renameat(handle_, from.c_str(), handle_, to.c_str()) != 0)
        Fail("rename", PathOf(from), "to", PathOf(to));
}

bool Folder::RemoveIfSame(const PathString& name, const FileId& id) const noexcept {
    struct stat st {};
    return ::fstatat(handle_, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) && IdOf(st) == id &&
           ::unlinkat(handle_, name.c_str(), 0) == 0;
}

std::uint64_t Folder::NameSeed() {
    return std::random_device{}();
}

RawFile Folder::CreateUnnamed() const {
#ifdef O_TMPFILE
    RawFile file(::openat(handle_, ".", O_WRONLY | O_TMPFILE | O_CLOEXEC | O_NOCTTY, 0666), path_);
    if (file.IsOpen())
        return file;
    // EISDIR and EINVAL: a kernel or file system without unnamed files; the others: none left to hold open.
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL && errno != EMFILE && errno != ENFILE)
        Fail("create unnamed file in", path_);
#endif
    return RawFile();
}

void Folder::LinkNoReplace(const RawFile& file, const PathString& to) const {
    // The /proc path needs no privilege, unlike AT_EMPTY_PATH, which serves where /proc is not mounted.
    const std::string self = "/proc/self/fd/" + std::to_string(file.handle_);
    if (::linkat(AT_FDCWD, self.c_str(), handle_, to.c_str(), AT_SYMLINK_FOLLOW) == 0)
        return;
#ifdef AT_EMPTY_PATH
    if (errno == ENOENT && ::linkat(file.handle_, "", handle_, to.c_str(), AT_EMPTY_PATH) == 0)
        return;
#endif
    Fail("link", PathOf(to));
}

std::optional<Entry> Folder::EntryOf(const PathString& name) const {
    struct stat st {};
    if (::fstatat(handle_, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno == ENOENT)
            return std::nullopt;
        Fail("look up", PathOf(name));
    }
    return Entry{IdOf(st), S_ISREG(st.st_mode)};
}

bool Folder::RemoveEntryIfSame(const PathString& name, const FileId& id) const noexcept {
    struct stat st {};
    return ::fstatat(handle_, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISDIR(st.st_mode) && IdOf(st) == id &&
           ::unlinkat(handle_, name.c_str(), 0) == 0;
}

void Folder::Flush() const {
    // EBADF: held only for its names (O_PATH); EINVAL: a file system that has nothing to flush.
    if (handle_ >= 0 && ::fsync(handle_) != 0 && errno != EBADF && errno != EINVAL)
        Fail("flush folder", path_);
}

namespace {

constexpr rlim_t kSpareDescriptors = 32;

// The descriptors open now; without /proc, a guess that leaves room for a window's usual share.
rlim_t OpenDescriptors() {
    DIR* folder = ::opendir("/proc/self/fd");
    if (!folder)
        return 256;
    rlim_t count = 0;
    while (::readdir(folder))
        ++count;
    ::closedir(folder);
    return count;
}

} // namespace

OpenFileAllowance::OpenFileAllowance(std::size_t count) {
    struct rlimit limit {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return;
    const rlim_t wanted = OpenDescriptors() + static_cast<rlim_t>(count) + kSpareDescriptors;
    if (limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur >= wanted) {
        granted_ = true;
        return;
    }
    if (limit.rlim_max != RLIM_INFINITY && limit.rlim_max < wanted)
        return;
    const rlim_t previous = limit.rlim_cur;
    limit.rlim_cur = wanted;
    if (::setrlimit(RLIMIT_NOFILE, &limit) != 0)
        return;
    previous_ = static_cast<std::uint64_t>(previous);
    raised_ = true;
    granted_ = true;
}

OpenFileAllowance::~OpenFileAllowance() {
    struct rlimit limit {};
    if (!raised_ || ::getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return;
    limit.rlim_cur = static_cast<rlim_t>(previous_);
    ::setrlimit(RLIMIT_NOFILE, &limit);
}

} // namespace modFHand
