#include "engine/AtomicFile.h"
#include "engine/PieceNames.h"
#include "engine/RunReport.h"
#include "engine/Transfer.h"
#include "engine/modFHand.h"

#include <limits>
#include <optional>
#include <set>
#include <string>
#include <system_error>
#include <vector>

namespace modFHand {

namespace {

struct Series {
    SeriesNames names;
    std::int16_t count = 0;
    std::int64_t total = 0;
    std::vector<std::int64_t> lengths; // as measured, member 001 first
    // The numbers that have an entry the file system may take for the member's name; nothing where the folder
    // could not be listed, and every number is looked up then.
    std::optional<std::set<std::int32_t>> listed;
};

// Asks the folder once for every name that begins with the stem and ".", so that a member that isn't there costs
// no question of its own: on a network share each question is a round trip, and a join asks about a thousand.
// Only the exact counter text makes a member (".0001" and ".01" don't), as it does for a name looked up.
void ListMembers(Series& series) {
    const auto listing = ListFolder(series.names.folder, series.names.stem + PathChar('.'));
    if (!listing)
        return;
    series.listed.emplace();
    for (const PathString& rest : listing->names) {
        if (const auto number = CounterNumber(rest))
            series.listed->insert(*number);
    }
}

// What is under member `number`'s name. The listing only spares the questions about names that aren't there:
// a listed one is still looked up by the name the join will open, so the file system decides, as before.
Lookup LookUpMember(const Series& series, std::int32_t number) {
    if (series.listed && series.listed->count(number) == 0)
        return {};
    return LookUp(series.names.Member(number));
}

// Counts the members that follow each other from 001 and adds up their lengths. Throws IoFailure for a counter
// or a total that would overflow.
void MeasureSeries(Series& series) {
    for (std::int32_t number = 1;; ++number) {
        const Lookup member = LookUpMember(series, number);
        if (member.kind != Lookup::Kind::File)
            return;
        if (number > std::numeric_limits<std::int16_t>::max())
            throw IoFailure(std::errc::value_too_large, "count (too many pieces)", series.names.Member(number));
        if (member.size > std::numeric_limits<std::int64_t>::max() - series.total)
            throw IoFailure(std::errc::value_too_large, "measure (the total overflows)", series.names.Member(number));
        series.total += member.size;
        series.lengths.push_back(member.size);
        series.count = static_cast<std::int16_t>(number);
    }
}

// A member present beyond the first gap, up to 999, or 0 when the series simply ends there. Joining up to the
// gap would end in a success with a file cut short.
std::int32_t MemberBeyondTheGap(const Series& series) {
    constexpr std::int32_t kLastLooked = 999;
    for (std::int32_t number = series.count + 2; number <= kLastLooked; ++number) {
        if (LookUpMember(series, number).kind == Lookup::Kind::File)
            return number;
    }
    return 0;
}

std::string Counter(std::int32_t number) {
    const PathString digits = CounterText(number);
    return std::string(digits.begin(), digits.end());
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
    const PathString outputName_;
    BlockPacer pacer_;
    CopyBuffer buffer_;
    Folder folder_;
    AtomicFile output_;
};

void JoinRun::Execute() {
    folder_ = Folder::Open(series_.names.folder);
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
    const PathString name = series_.names.Member(number);
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

std::int16_t JoinFileNative(const PathString& path, std::int16_t& pieceCount, const Hooks& hooks) {
    const RunReport report(hooks, "join");
    if (path.empty())
        return report.Refused(kJoinNoPickedPiece, [] { return std::string("no piece named"); });
    // The members and the output begin as the picked name does, up to its first dot: one device among them
    // makes them all devices.
    if (IsDeviceName(path))
        return report.Refused(kJoinNoPickedPiece, [&] { return Quoted(path) + " is a device's name"; });
    if (!IsPresent(path))
        return report.Refused(kJoinNoPickedPiece, [&] { return "no piece at " + Quoted(path); });
    Series series; // outlives the run, which refers to it
    std::optional<JoinRun> run;
    try {
        const auto names = SeriesOf(path);
        if (!names)
            throw IoFailure(std::errc::invalid_argument, "find the folder of", path);
        series.names = *names;
        ListMembers(series);
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
