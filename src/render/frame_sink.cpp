#include "render/frame_sink.h"

#include "core/auto_reset_event.h"
#include "core/log.h"
#include "core/result_codes.h"
#include "render/render_job.h"
#include "render/yuv_converter.h"

#include <QFileInfo>
#include <QImageWriter>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <thread>

namespace pictavo {

namespace {

bool stopRequested(AutoResetEvent* event)
{
    return event != nullptr && event->test();
}

// The frame inside frameRect without a copy when it is the whole canvas.
QImage frameOf(const RenderJob& job)
{
    if (job.frameRect == job.canvas.rect())
        return job.canvas;
    return job.canvas.copy(job.frameRect);
}

} // namespace

std::uint32_t currentTick()
{
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

void FrameSink::showStill(RenderJob&)
{
}

PreviewSink::PreviewSink(FrameCallback callback, Clock clock)
    : callback_(std::move(callback)), clock_(std::move(clock))
{
    if (!clock_.tick)
        clock_.tick = currentTick;
    if (!clock_.sleep)
        clock_.sleep = [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };
}

std::uint32_t PreviewSink::tick() const
{
    return clock_.tick();
}

void PreviewSink::present(const RenderJob& job)
{
    if (callback_)
        callback_(job.canvas.copy(job.frameRect));
}

int PreviewSink::deliver(RenderJob& job)
{
    const std::uint32_t elapsed = clock_.tick() - job.lastPresentTick;
    if (job.frameIntervalMs > 0 && elapsed < static_cast<std::uint32_t>(job.frameIntervalMs))
        clock_.sleep(job.frameIntervalMs - static_cast<int>(elapsed));
    job.lastPresentTick = clock_.tick();
    present(job);
    return stopRequested(job.stopEvent) ? kResultStopped : kResultOk;
}

void PreviewSink::showStill(RenderJob& job)
{
    present(job);
}

EncoderSink::EncoderSink(std::uint8_t* yuvBuffer, std::size_t yuvBytes)
    : buffer_(yuvBuffer), bytes_(yuvBytes)
{
}

int EncoderSink::deliver(RenderJob& job)
{
    if (!convertCanvasToI420(frameOf(job), buffer_, bytes_)) {
        writeLog("Frame conversion failed: the picture buffer does not fit the frame");
        return kResultFailed;
    }
    if (!job.encodeFrame) {
        writeLog("Frame conversion failed: no encoder");
        return kResultFailed;
    }
    const int code = job.encodeFrame(buffer_);
    if (code != 0)
        return code;
    job.progress += job.progressStep;
    const ProductionRequest* request = job.productionRequest;
    if (request != nullptr && request->progressCallback) {
        // The frame total the step is scaled by comes from the model's timing, which can count
        // a few frames fewer than the run emits: never report more than the whole.
        const double value = std::min(std::trunc(job.progress), 65535.0);
        request->progressCallback(static_cast<int>(std::max(value, 0.0)));
    }
    return stopRequested(request != nullptr ? request->stopEvent : job.stopEvent) ? kResultStopped
                                                                                  : kResultOk;
}

int NullSink::deliver(RenderJob& job)
{
    ++frames_;
    return stopRequested(job.stopEvent) ? kResultStopped : kResultOk;
}

FrameDumpSink::FrameDumpSink(std::string folder, std::string prefix)
    : folder_(std::move(folder)), prefix_(std::move(prefix))
{
}

int FrameDumpSink::deliver(RenderJob& job)
{
    char number[16];
    std::snprintf(number, sizeof number, "%06d", written_);
    const std::string path = folder_ + "/" + prefix_ + number + ".png";
    QImageWriter writer(QString::fromStdString(path), "png");
    if (!writer.write(job.canvas.copy(job.frameRect))) {
        writeLog("Frame dump: cannot write " + path + ": " + writer.errorString().toStdString());
        return kResultFailed;
    }
    ++written_;
    return stopRequested(job.stopEvent) ? kResultStopped : kResultOk;
}

} // namespace pictavo
