#include "app/WorkerRun.h"

#include "app/SizeText.h"
#include "app/WideText.h"

#include <cstdio>
#include <exception>
#include <system_error>
#include <utility>

WorkerRun::WorkerRun(Engine engine, Ended ended, FailureLine failureLine)
    : m_engine(std::move(engine)), m_ended(std::move(ended)), m_failureLine(std::move(failureLine)) {
    if (!m_failureLine)
        m_failureLine = &WorkerRun::toStandardError;
    m_failureLine = [sink = std::move(m_failureLine)](const std::string& why) { sink("zarvel: " + why + "\n"); };
    if (!m_engine.split)
        m_engine.split = &modFHand::SplitFileNative;
    if (!m_engine.join)
        m_engine.join = &modFHand::JoinFileNative;
}

WorkerRun::~WorkerRun() {
    m_stopRequested = true;
    waitForWorker();
}

void WorkerRun::stopAndWait() {
    m_stopRequested = true;
    waitForWorker();
    m_running = false;
}

modFHand::PathString WorkerRun::toEnginePath(std::u16string_view text) {
#ifdef _WIN32
    // wchar_t is UTF-16 here: the name goes to the system exactly as typed.
    return std::wstring(text.begin(), text.end());
#else
    return WideText::toUtf8(text);
#endif
}

bool WorkerRun::start(const Request& request) {
    if (m_running)
        return false;
    m_running = true;
    m_stopRequested = false;
    m_done = false;
    m_latest = NoProgress;
    m_sampled = NoProgress;
    // The texts become engine values here, on the face's thread: the worker shares none of the face's objects.
    Job job = toJob(request);
    try {
        m_worker = std::thread([this, job] { runOnWorker(job); });
    } catch (const std::system_error&) {
        // No thread to be had: told as a failed run, not left with the button off for good.
        m_result = Result{failureOf(job.mode), 0};
        m_done = true;
        if (m_ended)
            m_ended();
    }
    return true;
}

std::optional<std::int16_t> WorkerRun::newProgress() {
    const std::int32_t latest = m_latest;
    if (latest == NoProgress || latest == m_sampled)
        return std::nullopt;
    m_sampled = latest;
    return static_cast<std::int16_t>(latest);
}

std::optional<WorkerRun::Result> WorkerRun::finish() {
    if (!m_running || !m_done)
        return std::nullopt;
    waitForWorker();
    m_running = false;
    return m_result;
}

Messages::Outcome WorkerRun::failureOf(Mode mode) {
    return mode == Mode::Split ? Messages::Outcome::SplitFailure : Messages::Outcome::JoinFailure;
}

WorkerRun::Job WorkerRun::toJob(const Request& request) {
    Job job;
    job.mode = request.mode;
    if (request.mode == Mode::Split) {
        job.path = toEnginePath(request.splitPath);
        // A size that does not fit the engine's 32-bit piece size must not reach it cut or wrapped round.
        job.pieceSize = SizeText::sizeTextToBytes(request.sizeText);
        job.sizeText = WideText::toUtf8(request.sizeText);
    } else {
        job.path = toEnginePath(request.joinPath);
    }
    return job;
}

void WorkerRun::runOnWorker(const Job& job) {
    try {
        m_result = job.mode == Mode::Split ? split(job) : join(job);
    } catch (const std::exception& failure) {
        // An exception must not end the process from the worker; whatever threw, the run failed.
        m_failureLine(std::string(job.mode == Mode::Split ? "split" : "join") + " failed: " + failure.what());
        m_result = Result{failureOf(job.mode), 0};
    }
    m_done = true;
    if (m_ended)
        m_ended();
}

WorkerRun::Result WorkerRun::split(const Job& job) {
    Result result{Messages::Outcome::SplitFailure, 0};
    if (!job.pieceSize)
        m_failureLine("split refused: no usable piece size in '" + job.sizeText + "'");
    else if (m_engine.split(job.path, *job.pieceSize, result.pieceCount, hooks()) == modFHand::kSuccess)
        result.outcome = Messages::Outcome::SplitSuccess;
    return result;
}

WorkerRun::Result WorkerRun::join(const Job& job) {
    Result result{Messages::Outcome::JoinFailure, 0};
    if (m_engine.join(job.path, result.pieceCount, hooks()) == modFHand::kSuccess)
        result.outcome = Messages::Outcome::JoinSuccess;
    return result;
}

modFHand::Hooks WorkerRun::hooks() {
    // Called on the worker: nothing here may touch the face. Every value still arrives in order; only the
    // latest is kept for the next frame to draw.
    modFHand::Hooks hooks;
    hooks.progress = [this](std::int16_t percent) { m_latest.store(percent, std::memory_order_relaxed); };
    hooks.stopRequested = [this] { return m_stopRequested.load(std::memory_order_relaxed); };
    hooks.failed = m_failureLine;
    return hooks;
}

void WorkerRun::toStandardError(const std::string& line) {
    std::fputs(line.c_str(), stderr);
}

void WorkerRun::waitForWorker() {
    if (m_worker.joinable())
        m_worker.join();
}
