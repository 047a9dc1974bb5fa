#pragma once

#include "engine/modFHand.h"
#include "ui/main/Messages.h"
#include "ui/main/Mode.h"
#include "ui/main/WorkerBell.h"

#include <QString>
#include <QTimer>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <thread>

// What a click on the start button does: one split or join, run on a worker thread so that the window's thread
// never reads, writes or flushes a file, whatever the device does. The window hands over what it read at the
// click and hears the outcome on its own thread once the engine has returned and cleaned up; it decides about
// boxes and closing. Only one run at a time.
class StartAction {
public:
    using SplitRoutine =
        std::function<std::int16_t(const std::filesystem::path&, std::int32_t, std::int16_t&, const modFHand::Hooks&)>;
    using JoinRoutine =
        std::function<std::int16_t(const std::filesystem::path&, std::int16_t&, const modFHand::Hooks&)>;

    // The routines that do the work; called on the worker thread, one call per run.
    struct Engine {
        SplitRoutine split;
        JoinRoutine join;
    };

    // Everything a run needs, read once at the click: later edits or tab switches change nothing.
    struct Request {
        Mode mode = Mode::Split;
        QString splitPath;
        QString sizeText;
        QString joinPath;
    };

    // Draws a percentage; called on the window's thread, at most once per frame, with the latest value.
    using ProgressSink = std::function<void(std::int16_t percent)>;
    // Called on the window's thread once the run is over: the outcome to tell and the piece count the engine
    // wrote.
    using Finished = std::function<void(Messages::Outcome outcome, std::int16_t pieceCount)>;

    // An empty routine in `engine` is replaced by the real one.
    StartAction(Engine engine, ProgressSink progress, Finished finished);
    // Asks a running engine to stop and waits for it: the worker never outlives the action.
    ~StartAction();
    StartAction(const StartAction&) = delete;
    StartAction& operator=(const StartAction&) = delete;

    // Starts a run; false (and nothing happens) while one is still going.
    bool start(const Request& request);

    // True from start() until just before `finished` is called.
    bool isRunning() const { return m_running; }
    // The engine stops at its next block as a failure and removes what it wrote; `finished` still comes.
    void requestStop() { m_stopRequested = true; }

    // The engine's path for a text box's text, kept whole so that names outside ASCII survive.
    static std::filesystem::path toEnginePath(const QString& text);

private:
    static constexpr int FrameMs = 16;
    static constexpr std::int32_t NoProgress = INT32_MIN;

    // A request in the engine's terms.
    struct Job {
        Mode mode = Mode::Split;
        std::filesystem::path path;
        std::optional<std::int32_t> pieceSize; // split only; none when the size text is no usable size
        std::string sizeText;                  // split only, as typed: for the line that tells a refusal
    };
    struct Result {
        Messages::Outcome outcome = Messages::Outcome::SplitFailure;
        std::int16_t pieceCount = 0;
    };

    static Job toJob(const Request& request);
    static Messages::Outcome failureOf(Mode mode);
    Result work(const Job& job);
    Result split(const Job& job);
    Result join(const Job& job);
    modFHand::Hooks hooks();
    // Tells a run that ended without success on standard error, one line each, for whoever started the program
    // from a terminal or a log; the boxes stay as they are. Any thread.
    static void tellFailure(const std::string& line);
    void runOnWorker(const Job& job);
    void onFrame();
    void checkDone();
    void drawLatest();
    void waitForWorker();

    Engine m_engine;
    ProgressSink m_progress;
    Finished m_finished;

    // Shared with the worker: the latest percentage, the stop request and the end of the run.
    std::atomic<std::int32_t> m_latest{NoProgress};
    std::atomic<bool> m_stopRequested{false};
    std::atomic<bool> m_done{false};
    // Written by the worker before m_done, read by the window after joining it.
    Result m_result;

    std::int32_t m_drawn = NoProgress;
    bool m_running = false;
    QTimer m_frame;
    WorkerBell m_bell;
    std::thread m_worker;
};
