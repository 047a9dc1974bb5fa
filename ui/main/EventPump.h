#pragma once

#include <chrono>

// What the engine's yield does: lets the window's pending events run between two blocks of copying, so the
// window repaints and stays usable during a long run. The engine yields about 180 times per MiB, far more
// often than anything can change on screen, and a turn of the event loop costs microseconds while a look at
// the clock costs nanoseconds. So the loop is turned at most once every few milliseconds: events wait no
// longer than that, well inside a frame, and the yields in between cost next to nothing.
class EventPump {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr Clock::duration Interval = std::chrono::milliseconds(4);

    void run();

private:
    // The end of the last turn; the distant past, so that the first yield of a run turns the loop at once.
    Clock::time_point m_lastTurn{};
};
