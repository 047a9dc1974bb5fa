#include "engine/RunReport.h"

#include "engine/BlockLadder.h"
#include "engine/RawFile.h"

#include <new>

namespace modFHand {

std::string Describe(const std::exception& failure) {
    if (const auto* io = dynamic_cast<const IoFailure*>(&failure))
        return io->Line();
    if (dynamic_cast<const std::bad_alloc*>(&failure))
        return "out of memory";
    return failure.what();
}

void RunReport::Tell(const std::function<std::string()>& line) const noexcept {
    if (!hooks_.failed)
        return;
    try {
        hooks_.failed(line());
    } catch (const std::bad_alloc&) {
        // No memory left for the line: the result still tells the failure.
    } catch (...) {
        // The hook's own exception: the run has already ended with a failure, and that result stands.
    }
}

std::int16_t RunReport::Refused(std::int16_t result, const std::function<std::string()>& check) const noexcept {
    Tell([&] { return std::string(work_) + " refused: " + check(); });
    return result;
}

std::int16_t RunReport::Failed(const std::exception& failure) const noexcept {
    if (dynamic_cast<const StopRequested*>(&failure))
        Tell([&] { return std::string(work_) + " stopped"; });
    else
        Tell([&] { return std::string(work_) + " failed: " + Describe(failure); });
    return kFailure;
}

std::int16_t RunReport::FailedInAHook() const noexcept {
    Tell([&] { return std::string(work_) + " failed: a hook threw something that is no std::exception"; });
    return kFailure;
}

} // namespace modFHand
