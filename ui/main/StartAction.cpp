#include "ui/main/StartAction.h"

#include <utility>

StartAction::StartAction(Engine engine, ProgressSink progress, Finished finished)
    : m_progress(std::move(progress)), m_finished(std::move(finished)), m_bell([this] { checkDone(); }),
      m_run(std::move(engine), [this] { m_bell.ring(); }) {
    m_frame.setInterval(FrameMs);
    QObject::connect(&m_frame, &QTimer::timeout, &m_frame, [this] { onFrame(); });
}

std::filesystem::path StartAction::toEnginePath(const QString& text) {
    return WorkerRun::toEnginePath(text.toStdU16String());
}

bool StartAction::start(const Request& request) {
    if (!m_run.start({request.mode, request.splitPath.toStdU16String(), request.sizeText.toStdU16String(),
                      request.joinPath.toStdU16String()}))
        return false;
    m_frame.start();
    return true;
}

void StartAction::onFrame() {
    drawLatest();
    // Where the bell cannot ring, the frame is when the window notices the end.
    checkDone();
}

void StartAction::checkDone() {
    const std::optional<WorkerRun::Result> result = m_run.finish();
    if (!result)
        return;
    m_frame.stop();
    drawLatest();
    m_finished(result->outcome, result->pieceCount);
}

void StartAction::drawLatest() {
    if (const std::optional<std::int16_t> percent = m_run.newProgress())
        m_progress(*percent);
}
