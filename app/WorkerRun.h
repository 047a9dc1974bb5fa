#pragma once

#include "app/Messages.h"
#include "app/Mode.h"
#include "engine/modFHand.h"

#include <atomic>
#include <climits>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <thread>

// One split or join on a worker thread, so that the face's thread never reads, writes or flushes a file,
// whatever the device does. The face hands over what it read at the click, samples the latest percentage once
// per frame, and collects the outcome on its own thread once told that the run has ended. One run at a time;
// the worker never outlives the object.
class WorkerRun {
public:
    using SplitRoutine =
        std::function<std::int16_t(const modFHand::PathString&, std::int32_t, std::int16_t&, const modFHand::Hooks&)>;
    using JoinRoutine = std::function<std::int16_t(const modFHand::PathString&, std::int16_t&, const modFHand::Hooks&)>;

    // The routines that do the work; called on the worker thread, one call per run.
    struct Engine {
        SplitRoutine split;
        JoinRoutine join;
    };

    // Everything a run needs, read once at the click: later edits or tab switches change nothing.
    struct Request {
        Mode mode = Mode::Split;
        std::u16string splitPath;
        std::u16string sizeText;
        std::u16string joinPath;
    };

    struct Result {
        Messages::Outcome outcome = Messages::Outcome::SplitFailure;
        std::int16_t pieceCount = 0;
    };

    // Called on the worker (or inside start() when no thread could be had) once the result is there. It must
    // only wake the face's thread (a posted event, a window message), which then calls finish().
    using Ended = std::function<void()>;
    // Takes the line that tells why a run ended without success, for people: standard error, a debugger. It comes
    // whole, after the program's name and with its line break. Called on the worker; the boxes stay as they are.
    using FailureLine = std::function<void(const std::string& line)>;

    // An empty routine in `engine` is replaced by the real one; without `failureLine` the line goes to standard
    // error.
    WorkerRun(Engine engine, Ended ended, FailureLine failureLine = {});
    // Asks a running engine to stop and waits for it: it holds open files and temporary names.
    ~WorkerRun();
    WorkerRun(const WorkerRun&) = delete;
    WorkerRun& operator=(const WorkerRun&) = delete;

    // Starts a run; false (and nothing happens) while one is still going.
    bool start(const Request& request);
    // True from start() until finish() has handed out the result.
    bool isRunning() const { return m_running; }
    // The engine stops at its next block as a failure and removes what it wrote; the end is still told.
    void requestStop() { m_stopRequested = true; }
    // Stops a running engine and returns once it has cleaned up; the run then ends without a result.
    void stopAndWait();

    // The latest percentage, when it differs from the one this returned last; for the face's frame.
    std::optional<std::int16_t> newProgress();
    // Once the engine has returned: waits for the worker, ends the run and gives its result. Empty while the
    // engine still works or when no run is going, so the face may call it on every frame.
    std::optional<Result> finish();

    // The engine's path for a text box's text, kept whole so that names outside ASCII survive.
    static modFHand::PathString toEnginePath(std::u16string_view text);

private:
    static constexpr std::int32_t NoProgress = INT32_MIN;

    // A request in the engine's terms.
    struct Job {
        Mode mode = Mode::Split;
        modFHand::PathString path;
        std::optional<std::int32_t> pieceSize; // split only; none when the size text is no usable size
        std::string sizeText;                  // split only, as typed: for the line that tells a refusal
    };

    static Job toJob(const Request& request);
    static Messages::Outcome failureOf(Mode mode);
    void runOnWorker(const Job& job);
    Result split(const Job& job);
    Result join(const Job& job);
    modFHand::Hooks hooks();
    // One line to standard error, in one call so that it reaches an unbuffered stream whole beside other
    // threads' output.
    static void toStandardError(const std::string& line);
    void waitForWorker();

    Engine m_engine;
    Ended m_ended;
    FailureLine m_failureLine;

    // Shared with the worker: the latest percentage, the stop request and the end of the run.
    std::atomic<std::int32_t> m_latest{NoProgress};
    std::atomic<bool> m_stopRequested{false};
    std::atomic<bool> m_done{false};
    // Written by the worker before m_done, read by the face after joining it.
    Result m_result;

    std::int32_t m_sampled = NoProgress;
    bool m_running = false;
    std::thread m_worker;
};
