#include "engine/PieceNames.h"
#include "engine/Transfer.h"
#include "engine/modFHand.h"

#include <algorithm>
#include <limits>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace modFHand {

namespace {

constexpr double kPieceLimit = 1000.0;

struct WrittenPiece {
    fs::path name;
    FileId id;
};

// One split from the moment the checks have passed. Remembers what it wrote so that a failure leaves no
// cut-short series behind for a later join to rebuild.
class SplitRun {
public:
    SplitRun(const fs::path& source, std::int64_t length, std::int32_t pieceSize, const Hooks& hooks)
        : source_(source), length_(length), pieceSize_(pieceSize), pacer_(hooks, length) {}

    std::int16_t Execute();
    void RemoveWrittenPieces() noexcept;

private:
    void WritePiece(std::int16_t number, std::int64_t quota);
    void RemoveStalePieces(std::int16_t count) const;

    fs::path source_;
    std::int64_t length_;
    std::int32_t pieceSize_;
    BlockPacer pacer_;
    CopyBuffer buffer_;
    RawFile input_;
    std::vector<WrittenPiece> written_;
};

std::int16_t SplitRun::Execute() {
    written_.reserve(static_cast<std::size_t>(std::max<std::int64_t>(1, (length_ + pieceSize_ - 1) / pieceSize_)));
    input_ = RawFile::OpenForReading(source_);
    std::int64_t offset = 0;
    std::int16_t number = 0;
    do {
        if (number == std::numeric_limits<std::int16_t>::max())
            throw IoFailure("piece counter overflow");
        ++number;
        const std::int64_t quota = std::min<std::int64_t>(length_ - offset, pieceSize_);
        WritePiece(number, quota);
        offset += quota;
    } while (offset < length_);
    // The bytes copied may already be stale if the source was cut short after they were read.
    if (input_.Size() < length_)
        throw IoFailure("source cut short");
    input_.Close();
    pacer_.StopIfAsked();
    RemoveStalePieces(number);
    pacer_.Finished();
    return number;
}

void SplitRun::WritePiece(std::int16_t number, std::int64_t quota) {
    const fs::path name = PieceName(source_, number);
    RawFile piece = RawFile::CreatePiece(name, input_);
    written_.push_back({name, piece.Id()});
    CopyPart(input_, piece, quota, buffer_, pacer_);
    piece.Close();
    pacer_.PartClosed();
}

// Pieces of an older, longer series under the same name would otherwise be taken in by a later join, which
// would then rebuild a cut-and-pasted file and call it a success.
void SplitRun::RemoveStalePieces(std::int16_t count) const {
    for (std::int32_t number = count + 1; number <= std::numeric_limits<std::int16_t>::max(); ++number) {
        const fs::path name = PieceName(source_, number);
        const auto id = RegularFileId(name);
        if (!id)
            return;
        if (!RemoveIfSame(name, *id))
            throw IoFailure("stale piece can't be removed");
    }
}

void SplitRun::RemoveWrittenPieces() noexcept {
    input_ = RawFile();
    for (const WrittenPiece& piece : written_)
        RemoveIfSame(piece.name, piece.id);
}

} // namespace

std::int16_t SplitFile(const fs::path& path, std::int32_t pieceSize, std::int16_t& pieceCount, const Hooks& hooks) {
    if (path.empty() || !IsPresent(path))
        return kSplitNoSource;
    if (pieceSize <= 0)
        return kSplitBadPieceSize;
    if (!LastSeparator(path.native()))
        return kFailure;
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(path, ec);
    if (ec || size > static_cast<std::uintmax_t>(std::numeric_limits<std::int64_t>::max()))
        return kFailure;
    const auto length = static_cast<std::int64_t>(size);
    if (static_cast<double>(length) / static_cast<double>(pieceSize) >= kPieceLimit)
        return kSplitTooManyPieces;

    try {
        SplitRun run(path, length, pieceSize, hooks);
        try {
            pieceCount = run.Execute();
            return kSuccess;
        } catch (...) {
            run.RemoveWrittenPieces();
            return kFailure;
        }
    } catch (...) {
        return kFailure; // the run's buffer could not be made; nothing was opened
    }
}

} // namespace modFHand
