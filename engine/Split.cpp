#include "engine/AtomicFile.h"
#include "engine/PieceNames.h"
#include "engine/RunReport.h"
#include "engine/Transfer.h"
#include "engine/modFHand.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

namespace modFHand {

namespace {

constexpr double kPieceLimit = 1000.0;

bool TooManyPieces(std::uintmax_t length, std::int32_t pieceSize) {
    return static_cast<double>(length) / static_cast<double>(pieceSize) >= kPieceLimit;
}

std::int64_t PieceCount(std::int64_t length, std::int32_t pieceSize) {
    return length == 0 ? 1 : (length - 1) / pieceSize + 1;
}

// One split from the moment the source is open. The series appears whole or not at all: the pieces are written
// where no join can take them, flushed, and named in an order that never leaves a joinable mixture of an
// older series and this one, even when the program is killed in between. A failure removes what it wrote.
class SplitRun {
public:
    SplitRun(const PathString& source, RawFile input, std::int64_t length, std::int32_t pieceSize, const Hooks& hooks);

    std::int16_t Execute();
    void RemoveWrittenPieces() noexcept;

private:
    void WritePiece(std::int64_t quota);
    void AwaitEarlierPieces(std::int64_t end);
    void Publish();
    std::vector<std::optional<FileId>> OlderPieces() const;
    void RemoveOlder(std::int32_t number, const std::optional<FileId>& older) const;
    void Name(std::int32_t number);
    void RemoveStalePieces() const;
    PathString EntryName(std::int32_t number) const;

    PathString source_;
    PathString entry_; // the source's own name inside its folder
    std::int64_t length_;
    std::int32_t pieceSize_;
    BlockPacer pacer_;
    CopyBuffer buffer_;
    RawFile input_;
    FileId sourceId_;
    Folder folder_;
    OpenFileAllowance allowance_;
    bool unnamed_;
    std::vector<AtomicFile> pieces_; // each unnamed and held open, or closed under a temporary name, until named
    std::size_t awaited_ = 0;        // the pieces before it have reached the device
};

SplitRun::SplitRun(const PathString& source, RawFile input, std::int64_t length, std::int32_t pieceSize,
                   const Hooks& hooks)
    : source_(source), length_(length), pieceSize_(pieceSize), pacer_(hooks, length), input_(std::move(input)),
      sourceId_(input_.Id()), allowance_(static_cast<std::size_t>(PieceCount(length, pieceSize))),
      unnamed_(allowance_.Granted()) {
    const std::size_t separator = *LastSeparator(source);
    folder_ = Folder::Open(source.substr(0, separator + 1));
    entry_ = source.substr(separator + 1);
    pieces_.reserve(static_cast<std::size_t>(PieceCount(length, pieceSize)));
    // Names are made through the open folder, so a piece whose whole path is too long for the system would still
    // be written; no join could then reach it by that path.
    const PathString last = PieceName(source, static_cast<std::int32_t>(PieceCount(length, pieceSize)));
    const std::error_code error = LookUp(last).error;
    if (error == std::errc::filename_too_long)
        throw IoFailure(error, "name piece", last);
}

std::int16_t SplitRun::Execute() {
    std::int64_t offset = 0;
    do {
        const std::int64_t quota = std::min<std::int64_t>(length_ - offset, pieceSize_);
        WritePiece(quota);
        offset += quota;
        AwaitEarlierPieces(offset);
    } while (offset < length_);
    // The bytes copied may already be stale if the source was cut short after they were read.
    if (input_.Size() < length_)
        throw IoFailure(std::errc::io_error, "read (file cut short)", source_);
    input_.Close();
    Publish();
    pacer_.Finished();
    return static_cast<std::int16_t>(pieces_.size());
}

void SplitRun::WritePiece(std::int64_t quota) {
    const auto number = static_cast<std::int32_t>(pieces_.size() + 1);
    AtomicFile& piece = pieces_.emplace_back(folder_, unnamed_, PieceName(source_, number));
    // This file system, or the descriptors left, said no: temporary names from here on.
    unnamed_ = unnamed_ && piece.IsUnnamed();
    CopyPart(input_, piece.File(), quota, buffer_, pacer_);
    // Only a piece that is on the disk may get its name: after a power cut it must not turn up empty or short.
    // An unnamed piece is still open when the series is named, so its flush waits until then and the disk
    // writes it meanwhile; a piece under a temporary name is flushed before it is closed.
    if (piece.IsUnnamed()) {
        piece.File().StartSync();
    } else {
        piece.File().Sync();
        piece.File().Close();
    }
    pacer_.PartClosed();
}

// Each piece keeps its own tail within the write-behind bound; pieces left open unflushed would add theirs up, so
// those written a range or more before `end` are waited for, as a file waits for its range before last.
void SplitRun::AwaitEarlierPieces(std::int64_t end) {
    while (awaited_ + 1 < pieces_.size() &&
           end - static_cast<std::int64_t>(awaited_ + 1) * pieceSize_ >= RawFile::kWriteBehindRange) {
        RawFile& file = pieces_[awaited_].File();
        if (file.IsOpen())
            file.AwaitWritten();
        ++awaited_;
    }
}

// 001 goes first and comes back last, so at every instant in between a join finds no first member and refuses.
void SplitRun::Publish() {
    for (AtomicFile& piece : pieces_) {
        if (piece.File().IsOpen())
            piece.File().Sync();
    }
    // The flushes can take minutes on slow media; a stop asked for meanwhile must still leave nothing behind.
    pacer_.StopIfAsked();
    const auto older = OlderPieces();
    const auto count = static_cast<std::int32_t>(pieces_.size());
    RemoveOlder(1, older[0]);
    for (std::int32_t number = count; number >= 2; --number) {
        RemoveOlder(number, older[number - 1]);
        Name(number);
    }
    RemoveStalePieces();
    Name(1);
    folder_.Flush();
}

// The regular files this series replaces. Anything else under a piece's name (a link, a folder, a device, the
// source under another name) is never replaced: the run fails before anything is touched.
std::vector<std::optional<FileId>> SplitRun::OlderPieces() const {
    std::vector<std::optional<FileId>> older;
    for (std::size_t number = 1; number <= pieces_.size(); ++number) {
        const auto entry = folder_.EntryOf(EntryName(static_cast<std::int32_t>(number)));
        if (entry && (!entry->regular || entry->id == sourceId_))
            throw IoFailure(std::errc::file_exists, "replace (no older piece)",
                            PieceName(source_, static_cast<std::int32_t>(number)));
        older.push_back(entry ? std::optional<FileId>(entry->id) : std::nullopt);
    }
    return older;
}

void SplitRun::RemoveOlder(std::int32_t number, const std::optional<FileId>& older) const {
    if (older && !folder_.RemoveIfSame(EntryName(number), *older))
        throw IoFailure(std::errc::io_error, "remove older piece (changed meanwhile)", PieceName(source_, number));
}

void SplitRun::Name(std::int32_t number) {
    pieces_[static_cast<std::size_t>(number - 1)].Publish(EntryName(number));
}

// Pieces of an older, longer series under the same name would otherwise be taken in by a later join, which
// would then rebuild a cut-and-pasted file and call it a success. The test is join's own, links followed, so
// a link counts as a piece; the link itself is removed, never what it points to.
void SplitRun::RemoveStalePieces() const {
    for (std::int32_t number = static_cast<std::int32_t>(pieces_.size()) + 1;
         number <= std::numeric_limits<std::int16_t>::max(); ++number) {
        if (!IsPresent(PieceName(source_, number)))
            return;
        const auto entry = folder_.EntryOf(EntryName(number));
        if (!entry || !folder_.RemoveEntryIfSame(EntryName(number), entry->id))
            throw IoFailure(std::errc::io_error, "remove stale piece", PieceName(source_, number));
    }
}

PathString SplitRun::EntryName(std::int32_t number) const {
    return PieceName(entry_, number);
}

void SplitRun::RemoveWrittenPieces() noexcept {
    input_ = RawFile();
    for (AtomicFile& piece : pieces_)
        piece.Withdraw();
}

// The source's length by its name. Throws for a path without a folder part or a length that can't be read.
std::uintmax_t MeasureSource(const PathString& path) {
    if (!LastSeparator(path))
        throw IoFailure(std::errc::invalid_argument, "find the folder of", path);
    const Lookup source = LookUp(path);
    if (source.kind != Lookup::Kind::File)
        throw IoFailure(source.error ? source.error : std::make_error_code(std::errc::no_such_file_or_directory),
                        "measure", path);
    return static_cast<std::uintmax_t>(source.size);
}

} // namespace

std::int16_t SplitFileNative(const PathString& path, std::int32_t pieceSize, std::int16_t& pieceCount,
                             const Hooks& hooks) {
    const RunReport report(hooks, "split");
    if (path.empty())
        return report.Refused(kSplitNoSource, [] { return std::string("no file named"); });
    // Every piece begins as the source does, up to its first dot: a device's name there makes them all devices.
    if (IsDeviceName(path))
        return report.Refused(kSplitNoSource, [&] { return Quoted(path) + " is a device's name"; });
    if (!IsPresent(path))
        return report.Refused(kSplitNoSource, [&] { return "no file at " + Quoted(path); });
    if (pieceSize <= 0)
        return report.Refused(kSplitBadPieceSize,
                              [&] { return "piece size " + std::to_string(pieceSize) + " is below 1"; });
    std::optional<SplitRun> run;
    try {
        if (TooManyPieces(MeasureSource(path), pieceSize))
            return report.Refused(kSplitTooManyPieces, [&] {
                return Quoted(path) + " would make 1000 pieces or more of " + std::to_string(pieceSize) + " bytes";
            });
        // The length copied is that of the file opened, not of the name measured above: a file swapped in
        // between must not give pieces cut from another file's bytes.
        RawFile input = RawFile::OpenForReading(path);
        const std::int64_t length = input.Size();
        if (TooManyPieces(static_cast<std::uintmax_t>(length), pieceSize))
            throw IoFailure(std::errc::file_too_large, "open (grown to 1000 pieces or more)", path);
        run.emplace(path, std::move(input), length, pieceSize, hooks);
        pieceCount = run->Execute();
        return kSuccess;
    } catch (const std::exception& failure) {
        if (run)
            run->RemoveWrittenPieces();
        return report.Failed(failure);
    } catch (...) {
        if (run)
            run->RemoveWrittenPieces();
        return report.FailedInAHook();
    }
}

} // namespace modFHand
