#include "engine/AtomicFile.h"
#include "engine/PieceNames.h"
#include "engine/RunReport.h"
#include "engine/Transfer.h"
#include "engine/modFHand.h"

#include <limits>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace modFHand {

namespace {

struct Series {
    SeriesNames names;
    std::int16_t count = 0;
    std::int64_t total = 0;
    std::vector<std::int64_t> lengths; // as measured, member 001 first
};

// Counts the members that follow each other from 001 and adds up their lengths. Throws IoFailure for a length
// that can't be read or a counter that would overflow.
void MeasureSeries(Series& series) {
    for (std::int32_t number = 1;; ++number) {
        const fs::path member = series.names.Member(number);
        if (!IsPresent(member))
            return;
        if (number > std::numeric_limits<std::int16_t>::max())
            throw IoFailure(std::errc::value_too_large, "count (too many pieces)", member);
        std::error_code ec;
        const std::uintmax_t size = fs::file_size(member, ec);
        if (ec)
            throw IoFailure(ec, "measure", member);
        if (size > static_cast<std::uintmax_t>(std::numeric_limits<std::int64_t>::max() - series.total))
            throw IoFailure(std::errc::value_too_large, "measure (the total overflows)", member);
        series.total += static_cast<std::int64_t>(size);
        series.lengths.push_back(static_cast<std::int64_t>(size));
        series.count = static_cast<std::int16_t>(number);
    }
}

// A member present beyond the first gap, up to 999, or 0 when the series simply ends there. Joining up to the
// gap would end in a success with a file cut short.
std::int32_t MemberBeyondTheGap(const Series& series) {
    constexpr std::int32_t kLastLooked = 999;
    for (std::int32_t number = series.count + 2; number <= kLastLooked; ++number) {
        if (IsPresent(series.names.Member(number)))
            return number;
    }
    return 0;
}

std::string Counter(std::int32_t number) {
    return fs::path(CounterText(number)).string();
}

// One join from the moment the checks have passed. The output appears whole under its name or not at all: it is
// written unnamed where the file system allows it (a killed run then leaves nothing), under a temporary name
// elsewhere, and named only once it is on the disk. Every name of the output is made and removed through the
// folder held open for the run, so a folder moved mid-run keeps nothing of ours behind.
class JoinRun {
public:
    JoinRun(const Series& series, const Hooks& hooks)
        : series_(series), outputName_(series.names.stem), pacer_(hooks, series.total) {}

    void Execute();
    void RemoveOutput() noexcept;

private:
    void AppendMember(std::int16_t number);

    const Series& series_;
    const fs::path outputName_;
    BlockPacer pacer_;
    CopyBuffer buffer_;
    Folder folder_;
    AtomicFile output_;
};

void JoinRun::Execute() {
    folder_ = Folder::Open(fs::path(series_.names.folder));
    output_ = AtomicFile(folder_, true, series_.names.Output());
    for (std::int16_t number = 1; number <= series_.count; ++number)
        AppendMember(number);
    output_.File().Sync();
    if (!output_.IsUnnamed())
        output_.File().Close();
    // The flush can take minutes on slow media; a stop asked for meanwhile still leaves nothing behind.
    pacer_.StopIfAsked();
    output_.Publish(outputName_);
    folder_.Flush();
    pacer_.Finished();
}

void JoinRun::AppendMember(std::int16_t number) {
    const fs::path name = series_.names.Member(number);
    RawFile member = RawFile::OpenForReading(name);
    const std::int64_t length = member.Size();
    // Another file swapped in since the series was measured must not end in a success made of its bytes.
    if (length != series_.lengths[static_cast<std::size_t>(number - 1)])
        throw IoFailure(std::errc::io_error, "open (length changed since it was measured)", name);
    CopyPart(member, output_.File(), length, buffer_, pacer_);
    // The bytes copied may already be stale if the member was cut short after they were read.
    if (member.Size() < length)
        throw IoFailure(std::errc::io_error, "read (file cut short)", name);
    member.Close();
    pacer_.PartClosed();
}

void JoinRun::RemoveOutput() noexcept {
    output_.Withdraw();
}

} // namespace

std::int16_t JoinFile(const fs::path& path, std::int16_t& pieceCount, const Hooks& hooks) {
    const RunReport report(hooks, "join");
    if (path.empty())
        return report.Refused(kJoinNoPickedPiece, [] { return std::string("no piece named"); });
    if (!IsPresent(path))
        return report.Refused(kJoinNoPickedPiece, [&] { return "no piece at " + Quoted(path); });
    Series series; // outlives the run, which refers to it
    std::optional<JoinRun> run;
    try {
        const auto names = SeriesOf(path);
        if (!names)
            throw IoFailure(std::errc::invalid_argument, "find the folder of", path);
        series.names = *names;
        MeasureSeries(series);
        if (series.count == 0)
            return report.Refused(kJoinNoFirstMember,
                                  [&] { return "no piece 001 beside " + Quoted(series.names.Output()); });
        if (IsNameTaken(series.names.Output()))
            return report.Refused(kJoinOutputPresent,
                                  [&] { return Quoted(series.names.Output()) + " is there already"; });
        if (const std::int32_t beyond = MemberBeyondTheGap(series))
            return report.Refused(kFailure, [&] {
                return Quoted(series.names.Member(series.count + 1)) + " is missing; pieces 001 to " +
                       Counter(series.count) + " are present, and " + Counter(beyond) + " beyond the gap";
            });
        run.emplace(series, hooks);
        run->Execute();
        pieceCount = series.count;
        return kSuccess;
    } catch (const std::exception& failure) {
        if (run)
            run->RemoveOutput();
        return report.Failed(failure);
    } catch (...) {
        if (run)
            run->RemoveOutput();
        return report.FailedInAHook();
    }
}

} // namespace modFHand
