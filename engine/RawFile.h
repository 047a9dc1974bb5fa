#pragma once

// The engine's only door to the operating system: raw, unbuffered files that are closed on every path.
// Every failure is thrown as IoFailure so the routines above can keep one error handler.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>

namespace modFHand {

struct IoFailure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Tells two names of one file apart from two files: device and inode here, volume and index on Windows.
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
    static RawFile OpenForReading(const std::filesystem::path& path);
    // Created when absent, emptied when present; never through a link, never when it is `keep` under
    // another name, never anything but a regular file. Nothing is emptied before those tests pass.
    static RawFile CreatePiece(const std::filesystem::path& path, const RawFile& keep);

    bool IsOpen() const;
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
    void Close();

private:
    friend class Folder;
#ifdef _WIN32
    using Handle = void*;
#else
    using Handle = int;
#endif
    static Handle Invalid();
    explicit RawFile(Handle handle) : handle_(handle) {}
    void Release() noexcept;

    Handle handle_ = Invalid();
};

// Identity of a regular file under that exact name (a link is not followed and gives nothing).
std::optional<FileId> RegularFileId(const std::filesystem::path& path);
// Removes the name only while it still names the file `id`, so nothing put there meanwhile is lost.
bool RemoveIfSame(const std::filesystem::path& path, const FileId& id) noexcept;

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
    static Folder Open(const std::filesystem::path& folder);

    // A new file under `name` that did not exist before (never an existing entry, never a link), for writing.
    RawFile CreateNew(const std::filesystem::path& name) const;
    // Gives `from` the name `to` only when `to` is still free; fails otherwise, leaving both as they were.
    void RenameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to) const;
    // Removes `name` only while it still names the file `id`, so nothing put there meanwhile is lost.
    bool RemoveIfSame(const std::filesystem::path& name, const FileId& id) const noexcept;
    // Makes a finished rename last through a power cut where the platform allows it.
    void Sync() const noexcept;

private:
    void Release() noexcept;

#ifdef _WIN32
    std::filesystem::path path_;
#else
    int handle_ = -1;
#endif
};

} // namespace modFHand
