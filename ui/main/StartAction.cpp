#include "ui/main/StartAction.h"

#include "ui/main/SizeText.h"
#include "ui/main/frmMain.h"

#include <QFile>
#include <QLineEdit>
#include <utility>

namespace {

// Thrown from the yield hook to end a run that the window no longer wants; the engine treats any
// exception from a hook as a failure of the work and removes what it had written.
struct RunStopped {};

StartAction::Engine& engineOverride() {
    static StartAction::Engine engine;
    return engine;
}

StartAction::SplitRoutine splitRoutine() {
    if (engineOverride().split)
        return engineOverride().split;
    return &modFHand::SplitFile;
}

StartAction::JoinRoutine joinRoutine() {
    if (engineOverride().join)
        return engineOverride().join;
    return &modFHand::JoinFile;
}

} // namespace

void StartAction::setEngine(Engine engine) {
    engineOverride() = std::move(engine);
}

StartAction::StartAction(frmMain& window, Controls controls) : m_window(window), m_controls(controls) {}

std::filesystem::path StartAction::toEnginePath(const QString& text) {
#ifdef _WIN32
    return std::filesystem::path(text.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(text).toStdString());
#endif
}

void StartAction::run() {
    if (m_running)
        return;
    m_running = true;
    m_stopRequested = false;
    m_controls.startButton->setEnabled(false);

    std::int16_t pieceCount = 0;
    const std::optional<Messages::Outcome> outcome = work(pieceCount);
    if (outcome && !m_stopRequested)
        Messages::show(&m_window, *outcome, pieceCount);

    m_controls.startButton->setEnabled(true);
    m_running = false;
    if (m_stopRequested)
        m_window.close();
}

std::optional<Messages::Outcome> StartAction::work(std::int16_t& pieceCount) {
    // The mode is read once: switching tabs during the run changes neither the run nor its box.
    switch (m_window.iMode()) {
    case 0:
        return split(pieceCount);
    case 1:
        return join(pieceCount);
    default:
        return std::nullopt;
    }
}

Messages::Outcome StartAction::split(std::int16_t& pieceCount) {
    const QString path = m_controls.splitPath->text();
    const QString sizeText = m_controls.sizeText->text();
    // A size that does not fit the engine's 32-bit piece size must not reach it cut or wrapped round.
    const std::optional<std::int32_t> bytes = SizeText::sizeTextToBytes(sizeText);
    if (!bytes)
        return Messages::Outcome::SplitFailure;
    try {
        const std::int16_t result = splitRoutine()(toEnginePath(path), *bytes, pieceCount, hooks());
        return result == 0 ? Messages::Outcome::SplitSuccess : Messages::Outcome::SplitFailure;
    } catch (const RunStopped&) {
        return Messages::Outcome::SplitFailure;
    }
}

Messages::Outcome StartAction::join(std::int16_t& pieceCount) {
    const QString path = m_controls.joinPath->text();
    try {
        const std::int16_t result = joinRoutine()(toEnginePath(path), pieceCount, hooks());
        return result == 0 ? Messages::Outcome::JoinSuccess : Messages::Outcome::JoinFailure;
    } catch (const RunStopped&) {
        return Messages::Outcome::JoinFailure;
    }
}

modFHand::Hooks StartAction::hooks() {
    modFHand::Hooks hooks;
    hooks.progress = [this](std::int16_t percent) { m_window.spProg(percent); };
    hooks.yield = [this] { yieldToWindow(); };
    return hooks;
}

void StartAction::yieldToWindow() {
    m_pump.run();
    if (m_stopRequested)
        throw RunStopped{};
}
