#include "core/auto_reset_event.h"

namespace pictavo {

void AutoResetEvent::set()
{
    {
        std::lock_guard lock(mutex_);
        signalled_ = true;
    }
    cv_.notify_one();
}

void AutoResetEvent::reset()
{
    std::lock_guard lock(mutex_);
    signalled_ = false;
}

void AutoResetEvent::wait()
{
    std::unique_lock lock(mutex_);
    cv_.wait(lock, [this] { return signalled_; });
    signalled_ = false;
}

bool AutoResetEvent::waitFor(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(mutex_);
    if (!cv_.wait_for(lock, timeout, [this] { return signalled_; }))
        return false;
    signalled_ = false;
    return true;
}

bool AutoResetEvent::test()
{
    std::lock_guard lock(mutex_);
    if (!signalled_)
        return false;
    signalled_ = false;
    return true;
}

} // namespace pictavo
