#include "production/remaining_time.h"

#include <chrono>
#include <cmath>
#include <cstdio>

namespace pictavo {

namespace {

constexpr int kProjectionFrom = 19661; // 30 % of 65535
constexpr int kProjectionTo = 55704;   // 85 % of 65535
constexpr int kProjectionTolerance = 5;

} // namespace

int RemainingTimeEstimate::initialEstimate(int projectSeconds)
{
    const int estimate = static_cast<int>(std::trunc(1.5 * projectSeconds));
    return estimate < 60 ? 20 : estimate;
}

void RemainingTimeEstimate::start(int estimateSeconds, std::int64_t nowSeconds)
{
    std::lock_guard lock(mutex_);
    estimateSeconds_ = estimateSeconds;
    position_ = 0;
    if (!running_) {
        startTime_ = nowSeconds;
        running_ = true;
    }
}

void RemainingTimeEstimate::stop()
{
    std::lock_guard lock(mutex_);
    running_ = false;
}

bool RemainingTimeEstimate::running() const
{
    std::lock_guard lock(mutex_);
    return running_;
}

void RemainingTimeEstimate::setPosition(int position)
{
    std::lock_guard lock(mutex_);
    position_ = position;
}

int RemainingTimeEstimate::position() const
{
    std::lock_guard lock(mutex_);
    return position_;
}

int RemainingTimeEstimate::estimateSeconds() const
{
    std::lock_guard lock(mutex_);
    return estimateSeconds_;
}

int RemainingTimeEstimate::refresh(std::int64_t nowSeconds)
{
    std::lock_guard lock(mutex_);
    const std::int64_t elapsed = nowSeconds - startTime_;
    const int remaining = static_cast<int>(estimateSeconds_ - elapsed);
    if (position_ >= kProjectionFrom && position_ <= kProjectionTo) {
        const std::int64_t projected = elapsed * 65535 / position_;
        if (projected + kProjectionTolerance < estimateSeconds_ ||
            estimateSeconds_ < projected - kProjectionTolerance)
            estimateSeconds_ = static_cast<int>(projected);
    }
    return remaining;
}

std::string RemainingTimeEstimate::displayText(int remainingSeconds)
{
    const int seconds = remainingSeconds < 0 ? 0 : remainingSeconds;
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", seconds / 3600 % 24, seconds / 60 % 60,
                  seconds % 60);
    return text;
}

std::int64_t RemainingTimeEstimate::nowSeconds()
{
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

} // namespace pictavo
