#pragma once

// The estimate of the time left in a make-video job, without any drawing: the create-video
// tab shows its text on the digit display, the command-line maker beside its progress bar.

#include <cstdint>
#include <mutex>
#include <string>

namespace pictavo {

class RemainingTimeEstimate {
public:
    // The first estimate of a job from the project's playing time: 1.5 times its seconds,
    // truncated; an estimate below 60 seconds becomes 20.
    static int initialEstimate(int projectSeconds);

    // Starts a job: the estimate is taken and the position goes back to 0. The start time is
    // taken only when the estimate is not running already.
    void start(int estimateSeconds, std::int64_t nowSeconds);
    // Ends the display; nothing happens when it is not running.
    void stop();
    bool running() const;

    // The job's overall position, 0..65535.
    void setPosition(int position);
    int position() const;
    int estimateSeconds() const;

    // One refresh: the seconds left (estimate less elapsed, negative when the job runs longer
    // than estimated). Between 30 % and 85 % of the job (positions 19661..55704) the estimate
    // is projected from the elapsed time; a projection more than 5 seconds away from the
    // estimate replaces it from the next refresh on.
    int refresh(std::int64_t nowSeconds);

    // "%02d:%02d:%02d" of a number of seconds left, hours counted modulo 24. A job that runs
    // longer than estimated shows "00:00:00".
    static std::string displayText(int remainingSeconds);

    // Wall-clock time in whole seconds.
    static std::int64_t nowSeconds();

private:
    mutable std::mutex mutex_;
    int estimateSeconds_ = 0;
    std::int64_t startTime_ = 0;
    int position_ = 0;
    bool running_ = false;
};

} // namespace pictavo
