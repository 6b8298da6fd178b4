#pragma once

// Where finished frames go: a paced preview, the encoder, nowhere (benchmarks), or PNG files.

#include <QImage>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace pictavo {

struct RenderJob;

// A millisecond tick that wraps around (unsigned 32-bit arithmetic on differences).
std::uint32_t currentTick();

class FrameSink {
public:
    virtual ~FrameSink() = default;
    // Takes the finished frame on job.canvas (inside job.frameRect). 0 = go on, 2 = a stop was
    // requested, any other value ends the run with that code. The canvas is not changed.
    virtual int deliver(RenderJob& job) = 0;
    // Shows the canvas as a still: no pacing, no stop test (the transition preview's stills).
    virtual void showStill(RenderJob& job);
    // The tick the sink paces by.
    virtual std::uint32_t tick() const { return currentTick(); }
};

// The preview: one frame per job.frameIntervalMs at most (it sleeps for the rest of the
// interval and never drops a frame), each frame handed to the callback as a copy of its own
// (the preview widget queues it to the user-interface thread), then the job's stop event is
// tested without waiting.
class PreviewSink : public FrameSink {
public:
    using FrameCallback = std::function<void(const QImage& frame)>;
    // The clock can be replaced (tests): tick in milliseconds and a sleep of so many ms.
    struct Clock {
        std::function<std::uint32_t()> tick;
        std::function<void(int milliseconds)> sleep;
    };

    explicit PreviewSink(FrameCallback callback, Clock clock = {});
    int deliver(RenderJob& job) override;
    void showStill(RenderJob& job) override;
    std::uint32_t tick() const override;

private:
    void present(const RenderJob& job);

    FrameCallback callback_;
    Clock clock_;
};

// Production: converts the canvas to I420 into the run's YUV buffer, hands it to the job's
// encodeFrame, reports the progress (0..65535) to the request's callback and tests the
// request's stop event. An encoder code other than 0 ends the run at once, without a progress
// report for that frame.
class EncoderSink : public FrameSink {
public:
    // The buffer belongs to the production run and must hold the I420 picture of the frame.
    EncoderSink(std::uint8_t* yuvBuffer, std::size_t yuvBytes);
    int deliver(RenderJob& job) override;

private:
    std::uint8_t* buffer_;
    std::size_t bytes_;
};

// Takes every frame and only counts it; tests the job's stop event (benchmarks, tests).
class NullSink : public FrameSink {
public:
    int deliver(RenderJob& job) override;
    long long frames() const { return frames_; }

private:
    long long frames_ = 0;
};

// Writes every frame as "<folder>/<prefix>NNNNNN.png" (for checking transitions by eye and for
// debugging). The folder must exist. A file that cannot be written ends the run with 1 (the
// reason goes to the log); the job's stop event is tested after every frame.
class FrameDumpSink : public FrameSink {
public:
    explicit FrameDumpSink(std::string folder, std::string prefix = "frame_");
    int deliver(RenderJob& job) override;
    int framesWritten() const { return written_; }

private:
    std::string folder_;
    std::string prefix_;
    int written_ = 0;
};

} // namespace pictavo
