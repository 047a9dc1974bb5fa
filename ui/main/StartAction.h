#pragma once

#include "app/WorkerRun.h"
#include "ui/main/Messages.h"
#include "ui/main/WorkerBell.h"

#include <QString>
#include <QTimer>
#include <cstdint>
#include <filesystem>
#include <functional>

// What a click on the start button does, in Qt's terms: the run on its worker (WorkerRun), its progress sampled
// once per frame by a timer and its end heard through the bell, both on the window's thread. The window decides
// about boxes and closing.
class StartAction {
public:
    using Engine = WorkerRun::Engine;

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
    StartAction(const StartAction&) = delete;
    StartAction& operator=(const StartAction&) = delete;

    // Starts a run; false (and nothing happens) while one is still going.
    bool start(const Request& request);

    // True from start() until just before `finished` is called.
    bool isRunning() const { return m_run.isRunning(); }
    // The engine stops at its next block as a failure and removes what it wrote; `finished` still comes.
    void requestStop() { m_run.requestStop(); }

    // The engine's path for a text box's text, kept whole so that names outside ASCII survive.
    static std::filesystem::path toEnginePath(const QString& text);

private:
    static constexpr int FrameMs = 16;

    void onFrame();
    void checkDone();
    void drawLatest();

    ProgressSink m_progress;
    Finished m_finished;
    QTimer m_frame;
    // Before the run: the run's destructor waits for the worker, which may still ring.
    WorkerBell m_bell;
    WorkerRun m_run;
};
