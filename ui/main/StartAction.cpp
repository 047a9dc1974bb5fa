#include "ui/main/StartAction.h"

#include "ui/main/SizeText.h"

#include <QFile>
#include <cstdio>
#include <exception>
#include <system_error>
#include <utility>

StartAction::StartAction(Engine engine, ProgressSink progress, Finished finished)
    : m_engine(std::move(engine)), m_progress(std::move(progress)), m_finished(std::move(finished)),
      m_bell([this] { checkDone(); }) {
    if (!m_engine.split)
        m_engine.split = &modFHand::SplitFile;
    if (!m_engine.join)
        m_engine.join = &modFHand::JoinFile;
    m_frame.setInterval(FrameMs);
    QObject::connect(&m_frame, &QTimer::timeout, &m_frame, [this] { onFrame(); });
}

StartAction::~StartAction() {
    // The engine holds open files and temporary names: it must clean up before the process may go.
    m_stopRequested = true;
    waitForWorker();
}

std::filesystem::path StartAction::toEnginePath(const QString& text) {
#ifdef _WIN32
    return std::filesystem::path(text.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(text).toStdString());
#endif
}

bool StartAction::start(const Request& request) {
    if (m_running)
        return false;
    m_running = true;
    m_stopRequested = false;
    m_done = false;
    m_latest = NoProgress;
    m_drawn = NoProgress;
    m_frame.start();
    // The texts become engine values here, on the window's thread: the worker gets no Qt object to share.
    Job job = toJob(request);
    try {
        m_worker = std::thread([this, job] { runOnWorker(job); });
    } catch (const std::system_error&) {
        // No thread to be had: told as a failed run at the next frame, not left with the button off for good.
        m_result = Result{failureOf(job.mode), 0};
        m_done = true;
    }
    return true;
}

Messages::Outcome StartAction::failureOf(Mode mode) {
    return mode == Mode::Split ? Messages::Outcome::SplitFailure : Messages::Outcome::JoinFailure;
}

StartAction::Job StartAction::toJob(const Request& request) {
    Job job;
    job.mode = request.mode;
    if (request.mode == Mode::Split) {
        job.path = toEnginePath(request.splitPath);
        // A size that does not fit the engine's 32-bit piece size must not reach it cut or wrapped round.
        job.pieceSize = SizeText::sizeTextToBytes(request.sizeText);
        job.sizeText = request.sizeText.toStdString();
    } else {
        job.path = toEnginePath(request.joinPath);
    }
    return job;
}

void StartAction::runOnWorker(const Job& job) {
    try {
        m_result = work(job);
    } catch (const std::exception& failure) {
        // An exception must not end the process from the worker; whatever threw, the run failed.
        tellFailure(std::string(job.mode == Mode::Split ? "split" : "join") + " failed: " + failure.what());
        m_result = Result{failureOf(job.mode), 0};
    }
    m_done = true;
    m_bell.ring();
}

void StartAction::onFrame() {
    drawLatest();
    // Where the bell cannot ring, the frame is when the window notices the end.
    checkDone();
}

void StartAction::checkDone() {
    if (!m_running || !m_done)
        return;
    waitForWorker();
    m_frame.stop();
    drawLatest();
    m_running = false;
    const Result result = m_result;
    m_finished(result.outcome, result.pieceCount);
}

void StartAction::drawLatest() {
    const std::int32_t latest = m_latest;
    if (latest == NoProgress || latest == m_drawn)
        return;
    m_drawn = latest;
    m_progress(static_cast<std::int16_t>(latest));
}

void StartAction::waitForWorker() {
    if (m_worker.joinable())
        m_worker.join();
}

StartAction::Result StartAction::work(const Job& job) {
    return job.mode == Mode::Split ? split(job) : join(job);
}

StartAction::Result StartAction::split(const Job& job) {
    Result result{Messages::Outcome::SplitFailure, 0};
    if (!job.pieceSize)
        tellFailure("split refused: no usable piece size in '" + job.sizeText + "'");
    else if (m_engine.split(job.path, *job.pieceSize, result.pieceCount, hooks()) == modFHand::kSuccess)
        result.outcome = Messages::Outcome::SplitSuccess;
    return result;
}

StartAction::Result StartAction::join(const Job& job) {
    Result result{Messages::Outcome::JoinFailure, 0};
    if (m_engine.join(job.path, result.pieceCount, hooks()) == modFHand::kSuccess)
        result.outcome = Messages::Outcome::JoinSuccess;
    return result;
}

modFHand::Hooks StartAction::hooks() {
    // Called on the worker: nothing here may touch a widget. Every value still arrives in order; only the
    // latest is kept for the next frame to draw.
    modFHand::Hooks hooks;
    hooks.progress = [this](std::int16_t percent) { m_latest.store(percent, std::memory_order_relaxed); };
    hooks.stopRequested = [this] { return m_stopRequested.load(std::memory_order_relaxed); };
    hooks.failed = &StartAction::tellFailure;
    return hooks;
}

void StartAction::tellFailure(const std::string& line) {
    // One call, so that the line reaches an unbuffered stderr whole even beside other threads' output.
    std::fprintf(stderr, "zarvel: %s\n", line.c_str());
}
