#pragma once

#include "app/MainForm.h"

#include <QString>

// A run's progress on the dock or the task manager, through the launcher-entry signal that they read. Docks match
// the signal to the installed desktop entry, so a program run from its build folder shows nothing there. Where
// there is no session bus nothing is sent and none is started.
class DockProgress {
public:
    // The desktop entry the signal is meant for, as "application://<file name>".
    static const QString AppUri;

    void show(const TaskbarProgress& progress);

private:
    // Connects on the first state to tell, so that a window that never runs anything never touches the bus.
    bool connected();

    bool m_tried = false;
    bool m_connected = false;
};
