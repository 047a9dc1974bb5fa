#pragma once

// What the engine's yield does: lets the window's pending events run between two blocks of copying, so the
// window repaints and stays usable during a long run. Kept in one place because it is called after every
// block and is the first thing to tune when a run spends more time here than in copying.
class EventPump {
public:
    void run();
};
