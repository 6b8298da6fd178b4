#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace pictavo {

// An event that stays signalled until one waiter takes it; taking it resets it.
class AutoResetEvent {
public:
    void set();
    // Clears the event without waking anyone.
    void reset();
    // Blocks until the event is signalled, then resets it.
    void wait();
    // Waits at most the given time; true when the event was taken.
    bool waitFor(std::chrono::milliseconds timeout);
    // Takes the event when it is signalled, without waiting.
    bool test();

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    bool signalled_ = false;
};

} // namespace pictavo
