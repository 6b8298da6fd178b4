#include "render/render_job.h"

#include "core/result_codes.h"
#include "effects/transition_settings.h"
#include "model/slideshow.h"
#include "profiles/output_profile.h"
#include "raster/raster_image.h"
#include "render/frame_sink.h"
#include "render/motion_effects.h"
#include "render/transition_renderer.h"

#include <QPainter>
#include <QThread>
#include <QThreadPool>
#include <algorithm>
#include <climits>
#include <cmath>
#include <condition_variable>
#include <mutex>

namespace pictavo {

namespace {

const Slideshow* slideshowOf(const RenderJob& job)
{
    if (job.mode == RenderMode::Production && job.productionRequest != nullptr)
        return job.productionRequest->slideshow;
    if (job.mode == RenderMode::SlideshowPreview && job.slideshowRequest != nullptr)
        return job.slideshowRequest->slideshow;
    return nullptr;
}

const PhotoItem* photoAt(const RenderJob& job, int index)
{
    const Slideshow* slideshow = slideshowOf(job);
    return slideshow != nullptr ? slideshow->photo(index) : nullptr;
}

// The largest picture any fit of the frame asks for: a quarter more than the frame (the
// zoom-outs), so decoding needs no more detail than that.
QSize decodeBoundFor(int frameWidth, int frameHeight)
{
    return QSize(frameWidth + (frameWidth + 3) / 4, frameHeight + (frameHeight + 3) / 4);
}

// The decoded picture scaled to width x height with a smooth, area-averaging filter, opaque
// (transparent parts over black).
QImage fittedPicture(const QImage& decoded, int width, int height)
{
    if (decoded.isNull() || width <= 0 || height <= 0)
        return QImage();
    QImage scaled =
        decoded.size() == QSize(width, height)
            ? decoded
            : decoded.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (!scaled.hasAlphaChannel())
        return scaled.convertToFormat(QImage::Format_RGB32);
    QImage opaque(width, height, QImage::Format_RGB32);
    if (opaque.isNull())
        return QImage();
    opaque.fill(Qt::black);
    QPainter painter(&opaque);
    painter.drawImage(0, 0, scaled);
    return opaque;
}

int clampedFrames(int framesPerSecond, long long seconds)
{
    const long long frames = static_cast<long long>(framesPerSecond) * seconds;
    return static_cast<int>(std::clamp<long long>(frames, INT_MIN, INT_MAX));
}

} // namespace

bool prepareJobFrame(RenderJob& job, int width, int height)
{
    if (width <= 0 || height <= 0)
        return false;
    const bool production = job.mode == RenderMode::Production;
    job.canvas = QImage(width, height,
                        production ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied);
    job.photo.motionCanvas = QImage(width, height, QImage::Format_RGB32);
    if (job.canvas.isNull() || job.photo.motionCanvas.isNull())
        return false;
    job.canvas.fill(production ? 0xFF000000u : 0u);
    job.photo.motionCanvas.fill(0xFF000000u);
    job.frameRect = QRect(0, 0, width, height);
    job.photo.frameWidth = width;
    job.photo.frameHeight = height;
    return true;
}

double progressStepFor(int totalFrames)
{
    return totalFrames > 0 ? 65535.0 / static_cast<double>(totalFrames) : 0.0;
}

QImage snapshotCanvas(const RenderJob& job)
{
    return job.canvas.copy(job.frameRect).convertToFormat(QImage::Format_RGB32);
}

const TransitionSettings* transitionSettingsOf(const RenderJob& job)
{
    if (job.mode == RenderMode::TransitionPreview)
        return job.transitionRequest != nullptr ? job.transitionRequest->transition : nullptr;
    const PhotoItem* photo = photoAt(job, job.counter);
    return photo != nullptr ? photo->settings.effect.transition.get() : nullptr;
}

ImageEffectType motionEffectOf(const RenderJob& job)
{
    if (job.mode == RenderMode::TransitionPreview)
        return job.transitionRequest != nullptr ? job.transitionRequest->motionEffect
                                                : kImageEffectNone;
    const PhotoItem* photo = photoAt(job, job.counter);
    return photo != nullptr ? photo->settings.effect.imageEffectId : kImageEffectNone;
}

QRgb backgroundOf(const RenderJob& job)
{
    switch (job.mode) {
    case RenderMode::TransitionPreview:
        return job.transitionRequest != nullptr ? job.transitionRequest->background
                                                : kDefaultBackground;
    case RenderMode::SlideshowPreview:
        return job.slideshowRequest != nullptr ? job.slideshowRequest->background
                                               : kDefaultBackground;
    case RenderMode::Production:
        return job.productionRequest != nullptr ? job.productionRequest->background
                                                : kDefaultBackground;
    }
    return kDefaultBackground;
}

std::string photoPathOf(const RenderJob& job)
{
    if (job.mode == RenderMode::TransitionPreview)
        return job.transitionRequest != nullptr ? job.transitionRequest->secondImagePath
                                                : std::string();
    const PhotoItem* photo = photoAt(job, job.counter);
    return photo != nullptr ? photo->workingPath : std::string();
}

void loadPhotoFrame(RenderJob& job)
{
    PhotoFrame& photo = job.photo;
    const std::string path = photoPathOf(job);
    DecodedImage decoded;
    if (!path.empty())
        decoded = decodeImage(path, decodeBoundFor(photo.frameWidth, photo.frameHeight));
    int width = 0;
    int height = 0;
    if (decoded.ok() && !decoded.image.isNull()) {
        const QSize full = decoded.fullSize.isEmpty() ? decoded.image.size() : decoded.fullSize;
        width = full.width();
        height = full.height();
    } else {
        decoded.image = QImage();
    }
    prepareMotion(motionEffectOf(job), photo, job.stepFrames, width, height);
    photo.image = fittedPicture(decoded.image, photo.fitWidth, photo.fitHeight);
}

int emitFrame(RenderJob& job)
{
    return job.sink != nullptr ? job.sink->deliver(job) : kResultFailed;
}

void drawPhotoStill(RenderJob& job, const std::string& path)
{
    const int fw = job.frameRect.width();
    const int fh = job.frameRect.height();
    const DecodedImage decoded = path.empty() ? DecodedImage{} : decodeImage(path, QSize(fw, fh));
    if (!decoded.ok() || decoded.image.isNull())
        return;
    const QSize full = decoded.fullSize.isEmpty() ? decoded.image.size() : decoded.fullSize;
    const double w0 = full.width();
    const double h0 = full.height();
    QRectF rect;
    if (static_cast<double>(fh) / fw < h0 / w0) {
        const double w = w0 * fh / h0;
        rect = QRectF((fw - w) * 0.5, 0, w, fh);
    } else {
        const double h = h0 * fw / w0;
        rect = QRectF(0, (fh - h) * 0.5, fw, h);
    }
    QPainter painter(&job.canvas);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(rect.translated(job.frameRect.topLeft()), decoded.image);
}

int renderOpening(RenderJob& job)
{
    if (job.mode == RenderMode::TransitionPreview) {
        drawPhotoStill(job, job.transitionRequest != nullptr ? job.transitionRequest->firstImagePath
                                                             : std::string());
        if (job.sink != nullptr) {
            job.lastPresentTick = job.sink->tick();
            job.sink->showStill(job);
        }
        return kResultOk;
    }
    const ImageEffectType effect = motionEffectOf(job);
    const QRgb colour = backgroundOf(job);
    loadPhotoFrame(job);
    if (job.sink != nullptr)
        job.lastPresentTick = job.sink->tick();
    int result = kResultOk;
    for (int k = 0; k < job.stepFrames; ++k) {
        composeMotionFrame(job.photo, job.counter++, effect, colour);
        {
            QPainter painter(&job.canvas);
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            painter.fillRect(job.frameRect, Qt::white);
            painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
            painter.setOpacity(static_cast<float>(static_cast<double>(k + 1) / job.stepFrames));
            painter.drawImage(job.frameRect.topLeft(), job.photo.motionCanvas);
        }
        result = emitFrame(job);
        if (result != kResultOk)
            break;
    }
    return result;
}

int productionFramesPerSecond(const std::string& frameRateText)
{
    return std::clamp(decimalValue(frameRateText), 0, 1000);
}

int previewFramesPerSecond(int videoStandard)
{
    return videoStandard != 0 ? 25 : 30;
}

int previewFrameIntervalMs(int videoStandard)
{
    return videoStandard != 0 ? 40 : 33;
}

int runSlideshowSteps(RenderJob& job, int framesPerSecond)
{
    const Slideshow* slideshow = slideshowOf(job);
    if (slideshow == nullptr || slideshow->photoCount() < 1)
        return kResultFailed;
    job.counter = 0;
    job.transitionFrames = 0;
    job.stepFrames = framesPerSecond;
    int result = renderOpening(job);
    for (int i = 1; i < slideshow->photoCount() && result == kResultOk; ++i) {
        const PhotoItem* photo = slideshow->photo(i);
        const PhotoEffect& effect = photo->settings.effect;
        job.counter = i;
        job.stepFrames =
            clampedFrames(framesPerSecond,
                          static_cast<long long>(effect.displaySeconds) + effect.transitionSeconds);
        job.transitionFrames = clampedFrames(framesPerSecond, effect.transitionSeconds);
        const TransitionType type =
            effect.transition ? effect.transition->type() : static_cast<TransitionType>(-1);
        if (isConcreteTransition(type))
            result = renderTransitionStep(type, job);
    }
    return result;
}

namespace {

// A long run holds one of the pool's threads; the pool gets one more meanwhile, so that the
// short drawing tasks of other threads (the window's own painting) never wait for the run.
class PoolThreadLoan {
public:
    explicit PoolThreadLoan(QThreadPool* pool) : pool_(pool)
    {
        std::lock_guard lock(mutex());
        pool_->setMaxThreadCount(pool_->maxThreadCount() + 1);
    }
    ~PoolThreadLoan()
    {
        std::lock_guard lock(mutex());
        pool_->setMaxThreadCount(std::max(1, pool_->maxThreadCount() - 1));
    }
    PoolThreadLoan(const PoolThreadLoan&) = delete;
    PoolThreadLoan& operator=(const PoolThreadLoan&) = delete;

private:
    static std::mutex& mutex()
    {
        static std::mutex m;
        return m;
    }
    QThreadPool* pool_;
};

} // namespace

int runWithSerialPainting(const std::function<int()>& work)
{
    QThreadPool* pool = QThreadPool::globalInstance();
    if (pool == nullptr || pool->contains(QThread::currentThread()))
        return work();
    const PoolThreadLoan loan(pool);
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    int result = kResultFailed;
    // A task of our own instead of waitForDone: other users of the pool are not waited for.
    pool->start([&] {
        int value = kResultFailed;
        try {
            value = work();
        } catch (...) { // nothing may leave a pool task; the run counts as failed
        }
        std::lock_guard lock(mutex);
        result = value;
        done = true;
        finished.notify_one();
    });
    std::unique_lock lock(mutex);
    finished.wait(lock, [&] { return done; });
    return result;
}

} // namespace pictavo
