#pragma once

#include "engine/modFHand.h"
#include "ui/main/EventPump.h"
#include "ui/main/Messages.h"

#include <QString>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>

class QLineEdit;
class QWidget;
class frmMain;

// What a click on the start button does: one split or join, run to its end on the window's thread, and the
// box that tells the outcome. The button stays disabled for the whole click, so the engine is never entered
// twice; the window may still ask the run to stop (it is being closed).
class StartAction {
public:
    using SplitRoutine =
        std::function<std::int16_t(const std::filesystem::path&, std::int32_t, std::int16_t&, const modFHand::Hooks&)>;
    using JoinRoutine =
        std::function<std::int16_t(const std::filesystem::path&, std::int16_t&, const modFHand::Hooks&)>;

    struct Engine {
        SplitRoutine split;
        JoinRoutine join;
    };

    // Lets tests watch or wrap the engine for every action; an empty routine restores the real one.
    static void setEngine(Engine engine);

    struct Controls {
        QWidget* startButton = nullptr;
        const QLineEdit* splitPath = nullptr;
        const QLineEdit* sizeText = nullptr;
        const QLineEdit* joinPath = nullptr;
    };

    StartAction(frmMain& window, Controls controls);

    // One click of the start button. Returns after the outcome box has been closed.
    void run();

    bool isRunning() const { return m_running; }
    // The window is being closed: the engine stops at its next block as a failure, no box is shown, and the
    // window closes once the engine has cleaned up.
    void requestStop() { m_stopRequested = true; }

    // The engine's path for a text box's text, kept whole so that names outside ASCII survive.
    static std::filesystem::path toEnginePath(const QString& text);

private:
    std::optional<Messages::Outcome> work(std::int16_t& pieceCount);
    Messages::Outcome split(std::int16_t& pieceCount);
    Messages::Outcome join(std::int16_t& pieceCount);
    modFHand::Hooks hooks();
    void yieldToWindow();

    frmMain& m_window;
    Controls m_controls;
    EventPump m_pump;
    bool m_running = false;
    bool m_stopRequested = false;
};
