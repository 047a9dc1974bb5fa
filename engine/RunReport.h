#pragma once

// The one line a run that ends without success hands to the `failed` hook: which work, whether a check refused
// it, it failed or it was stopped, and why.

#include "engine/modFHand.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <string>

namespace modFHand {

// What a failure says to a person: an IoFailure its operation, path and the system's message, anything else its
// own text.
std::string Describe(const std::exception& failure);

class RunReport {
public:
    // `work` names the run in the line: "split" or "join".
    RunReport(const Hooks& hooks, const char* work) : hooks_(hooks), work_(work) {}

    // A check refused the work before anything was written: "<work> refused: <check()>". Returns `result`.
    // The check's text is only made when someone listens.
    std::int16_t Refused(std::int16_t result, const std::function<std::string()>& check) const noexcept;
    // The work failed with `failure`, or was stopped, and has been cleaned up. Returns kFailure.
    std::int16_t Failed(const std::exception& failure) const noexcept;
    // The same for something thrown that is no std::exception: only a hook can throw that.
    std::int16_t FailedInAHook() const noexcept;

private:
    void Tell(const std::function<std::string()>& line) const noexcept;

    const Hooks& hooks_;
    const char* work_;
};

} // namespace modFHand
