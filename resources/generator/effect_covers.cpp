#include "effect_covers.h"

#include "core/result_codes.h"
#include "effects/transition_settings.h"
#include "render/frame_sink.h"
#include "render/render_job.h"
#include "render/transition_renderer.h"

#include <QPainter>

namespace pictavo::resources {

namespace {

// Keeps one frame of a run and ends the run there.
class MidFrameSink : public FrameSink {
public:
    explicit MidFrameSink(int wanted) : wanted_(wanted) {}

    int deliver(RenderJob& job) override
    {
        if (delivered_++ < wanted_)
            return kResultOk;
        frame_ = job.canvas.copy(job.frameRect);
        return kResultStopped;
    }

    const QImage& frame() const { return frame_; }

private:
    int wanted_;
    int delivered_ = 0;
    QImage frame_;
};

} // namespace

QImage transitionMidFrame(TransitionType type, const std::string& firstPhoto,
                          const std::string& secondPhoto, int width, int height)
{
    if (!isConcreteTransition(type))
        return QImage();
    const auto settings = TransitionSettings::createDefault(type);
    TransitionPreviewRequest request;
    request.firstImagePath = firstPhoto;
    request.secondImagePath = secondPhoto;
    request.motionEffect = kImageEffectNone;
    request.transition = settings.get();

    MidFrameSink sink(kCoverFrames / 2);
    RenderJob job;
    job.mode = RenderMode::TransitionPreview;
    job.transitionRequest = &request;
    job.sink = &sink;
    if (!prepareJobFrame(job, width, height))
        return QImage();
    // The outgoing photo as a still, then the transition alone (no display frames after it).
    renderOpening(job);
    job.counter = 0;
    job.stepFrames = kCoverFrames;
    job.transitionFrames = kCoverFrames;
    renderTransitionStep(type, job);
    if (sink.frame().isNull())
        return QImage();

    QImage cover(width, height, QImage::Format_RGB32);
    cover.fill(Qt::black);
    QPainter painter(&cover);
    painter.drawImage(0, 0, sink.frame());
    return cover;
}

QImage randomCoverMontage(const std::vector<QImage>& concreteCovers)
{
    QImage montage(kCoverWidth, kCoverHeight, QImage::Format_RGB32);
    montage.fill(QColor(0xF0, 0xF0, 0xF0));
    // Clock, Circle, Blinds and Polygon: four shapes that read well at a small size.
    const TransitionType picks[] = {kTransitionClock, kTransitionCircle, kTransitionBlinds,
                                    kTransitionPolygon};
    const int gap = 4;
    const int cellWidth = (kCoverWidth - 3 * gap) / 2;
    const int cellHeight = (kCoverHeight - 3 * gap) / 2;
    QPainter painter(&montage);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    for (int i = 0; i < 4; ++i) {
        const std::size_t index = static_cast<std::size_t>(picks[i]);
        if (index >= concreteCovers.size() || concreteCovers[index].isNull())
            continue;
        const QRect cell(gap + (i % 2) * (cellWidth + gap), gap + (i / 2) * (cellHeight + gap),
                         cellWidth, cellHeight);
        painter.drawImage(cell, concreteCovers[index]);
    }
    return montage;
}

} // namespace pictavo::resources
