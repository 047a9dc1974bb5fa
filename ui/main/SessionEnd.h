#pragma once

#include <QObject>

class QSocketNotifier;

// The end of the user's session as Linux tells it: the session manager sends SIGTERM to the session's programs
// and kills what is still there a few seconds later. The signal handler only writes one byte to a socket that the
// event loop watches, the one thing it may safely do; `ended` then comes on the main thread, in time for a run to
// stop and remove its temporary files before the program goes.
class SessionEnd : public QObject {
    Q_OBJECT
public:
    // The program's one watcher; the handler is installed on first use.
    static SessionEnd& instance();

signals:
    void ended();

private:
    SessionEnd();
    void heard();

    QSocketNotifier* m_notifier = nullptr;
};
