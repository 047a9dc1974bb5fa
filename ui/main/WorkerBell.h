#pragma once

#include <functional>
#include <memory>

class QSocketNotifier;

// Lets a worker thread wake the window's thread without handing it any data: ring() from any thread, and the
// handler runs soon after on the thread that made the bell. Whatever the worker wants to tell goes through its
// own atomics; the bell only says "look now", so a lost or doubled ring is harmless. Where the platform offers
// no pipe to watch, ring() does nothing and the owner has to look on its own (a timer).
class WorkerBell {
public:
    explicit WorkerBell(std::function<void()> heard);
    ~WorkerBell();
    WorkerBell(const WorkerBell&) = delete;
    WorkerBell& operator=(const WorkerBell&) = delete;

    void ring();

private:
    void drain();

    std::function<void()> m_heard;
    int m_readEnd = -1;
    int m_writeEnd = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
};
