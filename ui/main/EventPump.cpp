#include "ui/main/EventPump.h"

#include <QCoreApplication>

void EventPump::run() {
    if (Clock::now() - m_lastTurn < Interval)
        return;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    // Counted from the end of the turn: a turn that ran a long handler (the About window, a drag) is not
    // followed at once by another.
    m_lastTurn = Clock::now();
}
