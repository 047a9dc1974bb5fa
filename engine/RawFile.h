#pragma once

// The engine's only door to the operating system: raw, unbuffered files that are closed on every path.
// Every failure is thrown as IoFailure so the routines above can keep one error handler.

#include "engine/modFHand.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

namespace modFHand {

// A failure under the engine, with enough to tell a user what went wrong where: the operation ("write",
// "open for reading"), the path it concerned, and the system's own code (errno in the generic category, or
// GetLastError in the system category on Windows). Where the system reported nothing (a file cut short, a length
// that changed, a counter that would overflow) the code is the std::errc that fits best.
class IoFailure : public std::system_error {
public:
    IoFailure(std::error_code code, const std::string& operation, const PathString& path);
    IoFailure(std::errc code, const std::string& operation, const PathString& path)
        : IoFailure(std::make_error_code(code), operation, path) {}

    // "write '/media/stick/movie.avi.003': No space left on device"
    std::string Line() const;

private:
    std::shared_ptr<const std::string> where_; // shared, so that copying the exception never throws
};

// The text of a code for people, on one line. Windows' own codes are spelled by the system itself there, since not
// every standard library knows them.
std::string SystemMessage(const std::error_code& code);

// A path as it appears in a line for people: quoted, in UTF-8, with control characters shown as '?' so that the
// line stays one line.
std::string Quoted(const PathString& path);

// Tells two names of one file apart from two files: device and inode here; on Windows the index alone, as ids
// are only compared between names of one folder.
struct FileId {
    std::uint64_t device = 0;
    std::uint64_t index = 0;
    bool operator==(const FileId& other) const { return device == other.device && index == other.index; }
};

class RawFile {
public:
    RawFile() = default;
    ~RawFile();
    RawFile(RawFile&& other) noexcept;
    RawFile& operator=(RawFile&& other) noexcept;
    RawFile(const RawFile&) = delete;
    RawFile& operator=(const RawFile&) = delete;

    // A regular file, links followed; anything else fails without blocking (FIFOs included).
    static RawFile OpenForReading(const PathString& path);

    bool IsOpen() const;
    // The name a failure on this file is reported under: the path it was opened with, or for a file written
    // under another name than it will end with, the one given here.
    void SetName(const PathString& name) { name_ = name; }
    std::int64_t Size() const;
    FileId Id() const;
    // Exactly `count` bytes or a failure: a file that ends early has been cut short under us.
    void ReadExactly(char* buffer, std::size_t count);
    void WriteAll(const char* buffer, std::size_t count);
    // Moves up to `count` bytes from the position of `from` to this file's position without passing them
    // through our memory, advancing both positions; on file systems that can, the blocks are shared, not
    // copied. Returns how many moved (at least 1), or kCopyRefused when the system won't do it for these two
    // files or reports no bytes: nothing has moved then, and the caller copies through memory from the same
    // positions (which also tells a source at its end from a refusal). Any other failure throws.
    std::int64_t CopyRangeFrom(RawFile& from, std::int64_t count);
    static constexpr std::int64_t kCopyRefused = 0;
    void Sync();
    // Asks for the written bytes to start on their way to the disk without waiting for them, so that a later
    // Sync finds most of the work done. Only a hint: nothing is promised and nothing fails.
    void StartSync() noexcept;
    // Waits until every byte written so far has reached the device, without the metadata that Sync adds.
    void AwaitWritten();
    void Close();
    // Closes a file whose bytes are thrown away, without writing them out first.
    void Discard() noexcept;

    // Write-behind: a file written from its start sends each range to the device as soon as it is full, and waits
    // for the range before it, so that no more than about two ranges are ever in memory only. Progress counted
    // in bytes written then follows the device, and the last flush and a stop never wait for more than that.
    // On a stick of 24 MB/s, 2 MiB leaves 2-3 % of a 120 MB run behind a full bar (8 MiB: 9 %) and answers a stop
    // in 0.1 s; on the disk no size measured slower than none.
    static constexpr std::int64_t kWriteBehindRange = std::int64_t(2) << 20;

private:
    friend class Folder;
#ifdef _WIN32
    using Handle = void*;
#else
    using Handle = int;
#endif
    static Handle Invalid();
    RawFile(Handle handle, const PathString& name) : handle_(handle), name_(name) {}
    void Release() noexcept;
    // Counts bytes just written at the end of what was written before, and keeps the write-behind going.
    void Wrote(std::int64_t count);
    // Starts `length` bytes from `offset` on their way to the device (0: to the end), and with `wait` waits for
    // them. False where the system has no such call for this file: the file then goes on without write-behind.
    bool WriteBack(std::int64_t offset, std::int64_t length, bool wait);

    Handle handle_ = Invalid();
    PathString name_;
    std::int64_t written_ = 0;
    std::int64_t sentUpTo_ = 0; // the ranges below are on their way to the device
    bool writeBehind_ = true;
};

// What is under a name, found with one question to the system where one is enough.
struct Lookup {
    enum class Kind {
        Absent, // no entry at all, not even a link that points nowhere
        File,   // a regular file, links followed; on Windows neither hidden nor system
        Other,  // anything else: a folder, a device, a dangling link, a name that can't be looked up
    };
    Kind kind = Kind::Absent;
    std::int64_t size = 0; // of a File
    std::error_code error; // why an Other could not be looked up, if it could not
};
Lookup LookUp(const PathString& path);

// The entries of `folder` (a folder part that ends in a separator, or empty for the current folder) whose names
// begin with `prefix` as the file system compares names, in one listing. Nothing where the folder can be
// searched but not listed, or where this code can't tell how the file system compares the prefix; the caller
// then looks each name up instead.
struct Listing {
    std::vector<PathString> names; // the rest of each name, after the prefix
    bool foldsCase = false;        // the file system takes "A" and "a" for the same name
};
std::optional<Listing> ListFolder(const PathString& folder, const PathString& prefix);

// Identity of a regular file under that exact name (a link is not followed and gives nothing).
std::optional<FileId> RegularFileId(const PathString& path);
// Removes the name only while it still names the file `id`, so nothing put there meanwhile is lost.
bool RemoveIfSame(const PathString& path, const FileId& id) noexcept;

// What a folder entry is, links not followed.
struct Entry {
    FileId id;
    bool regular = false; // a plain file, not a link, folder or device
};

// A folder held open for a whole run, so that every name the run makes in it is still found after the folder
// has been moved or renamed under us; a clean-up by path would then miss them. Names given to it are plain
// entry names, never paths. Windows can't move a folder with an open file in it, so there the path serves.
class Folder {
public:
    Folder() = default;
    ~Folder();
    Folder(Folder&& other) noexcept;
    Folder& operator=(Folder&& other) noexcept;
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;

    // An empty path is the current folder.
    static Folder Open(const PathString& folder);

    // A new file under `name` that did not exist before (never an existing entry, never a link), for writing.
    RawFile CreateNew(const PathString& name) const;
    // Gives `from` the name `to` only when `to` is still free; fails otherwise, leaving both as they were.
    void RenameNoReplace(const PathString& from, const PathString& to) const;
    // Removes `name` only while it still names the file `id`, so nothing put there meanwhile is lost.
    bool RemoveIfSame(const PathString& name, const FileId& id) const noexcept;

    // A new file in this folder that has no name at all, so that no one can take it for anything until
    // LinkNoReplace names it; closed unnamed, it vanishes, even when the program is killed. On Windows it is a
    // fresh ".zarvel-*.tmp" name marked to vanish with its last handle. Not open where the platform or the file
    // system has no such files (or refuses the mark) or no descriptor is left for one; other failures throw.
    RawFile CreateUnnamed() const;
    // Gives the unnamed `file` the name `to` only when `to` is still free; fails otherwise.
    void LinkNoReplace(const RawFile& file, const PathString& to) const;
    // A new file under a fresh name that no join reads as a piece or takes as an output (".zarvel-*.tmp");
    // `name` receives that name as soon as the file exists.
    RawFile CreateTemporary(PathString& name) const;
    // The entry under `name` itself, links not followed; nothing when there is none.
    std::optional<Entry> EntryOf(const PathString& name) const;
    // Removes the entry `name` itself (a link, never what it points to) while it is still the entry `id`.
    bool RemoveEntryIfSame(const PathString& name, const FileId& id) const noexcept;
    // Makes the names given last through a power cut; a disk that reports a failure is a failure. A folder that is open
    // only to take names (writable, not readable) can't be flushed and is left as it is.
    void Flush() const;

private:
    void Release() noexcept;
    PathString PathOf(const PathString& name) const;
    // Where the temporary names' random numbers start, different for every call.
    static std::uint64_t NameSeed();

    // Where the folder was when it was opened: the way in on Windows, only a name for failures elsewhere.
    PathString path_;
#ifndef _WIN32
    int handle_ = -1;
#endif
};

// Raises the soft limit on open files, within the hard limit, so that `count` more files fit beside the ones
// open now; the old limit comes back when it ends. Not granted when the hard limit is too low.
class OpenFileAllowance {
public:
    explicit OpenFileAllowance(std::size_t count);
    ~OpenFileAllowance();
    OpenFileAllowance(const OpenFileAllowance&) = delete;
    OpenFileAllowance& operator=(const OpenFileAllowance&) = delete;

    bool Granted() const { return granted_; }

private:
    bool granted_ = false;
    bool raised_ = false;
    std::uint64_t previous_ = 0;
};

} // namespace modFHand
