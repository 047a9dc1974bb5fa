#include "ui/main/WorkerBell.h"

#include <QSocketNotifier>
#include <utility>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

WorkerBell::WorkerBell(std::function<void()> heard) : m_heard(std::move(heard)) {
#ifndef _WIN32
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    m_readEnd = ends[0];
    m_writeEnd = ends[1];
    m_notifier = std::make_unique<QSocketNotifier>(m_readEnd, QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(), [this] { drain(); });
#endif
}

WorkerBell::~WorkerBell() {
    m_notifier.reset();
#ifndef _WIN32
    if (m_readEnd >= 0)
        ::close(m_readEnd);
    if (m_writeEnd >= 0)
        ::close(m_writeEnd);
#endif
}

void WorkerBell::ring() {
#ifndef _WIN32
    const char one = 1;
    if (m_writeEnd >= 0 && ::write(m_writeEnd, &one, 1) < 0) {
        // Full: a ring that has not been heard yet is already waiting, so dropping this one loses nothing.
    }
#endif
}

void WorkerBell::drain() {
#ifndef _WIN32
    char rings[64];
    while (::read(m_readEnd, rings, sizeof rings) > 0) {
    }
#endif
    m_heard();
}
