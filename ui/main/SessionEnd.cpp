#include "ui/main/SessionEnd.h"

#include <QCoreApplication>
#include <QSocketNotifier>

// Windows has no such signal: there Qt ends a session through the application's quit, which the window hears too.
#ifndef _WIN32
#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Written by the handler, read by the event loop.
int signalEnds[2] = {-1, -1};

extern "C" void onTerminate(int) {
    const int saved = errno;
    const char one = 1;
    // A full socket already holds an unheard byte, which says the same.
    [[maybe_unused]] const ssize_t written = ::write(signalEnds[0], &one, 1);
    errno = saved;
}

} // namespace
#endif

SessionEnd& SessionEnd::instance() {
    static SessionEnd* const watcher = new SessionEnd;
    return *watcher;
}

SessionEnd::SessionEnd() {
#ifndef _WIN32
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, signalEnds) != 0)
        return; // without the socket the signal keeps its default: the program ends at once
    m_notifier = new QSocketNotifier(signalEnds[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SessionEnd::heard);
    struct sigaction action = {};
    action.sa_handler = onTerminate;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
#endif
}

void SessionEnd::heard() {
#ifndef _WIN32
    char bytes[16];
    while (::read(signalEnds[1], bytes, sizeof bytes) > 0) {
    }
#endif
    emit ended();
}
