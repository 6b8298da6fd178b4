// Alpha: the incoming photo fades in over the outgoing one (mode 0 "Normal"), or the outgoing
// photo fades to white (1) or black (2) during the first half of the transition and the
// incoming photo fades in from that colour during the second half.

#include "render/transition_renderer.h"

#include <QPainter>
#include <algorithm>

namespace pictavo {

namespace {

constexpr int kModeNormal = 0;
constexpr int kModeFadeToWhite = 1;
constexpr int kModeFadeToBlack = 2;

class AlphaTransition : public TransitionRenderer {
protected:
    void begin(RenderJob&) override { mode_ = firstParameter(); }

    void composeTransitionFrame(RenderJob& job, int k) override
    {
        const int n = frames();
        QPainter painter(&job.canvas);
        const QPoint origin = job.frameRect.topLeft();
        if (mode_ == kModeNormal) {
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            painter.drawImage(origin, outgoing());
            painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
            painter.setOpacity(alpha(k + 1, n));
            painter.drawImage(origin, job.photo.motionCanvas);
            return;
        }
        if (mode_ != kModeFadeToWhite && mode_ != kModeFadeToBlack)
            return; // an unknown mode leaves the outgoing frame on screen
        const QColor colour = mode_ == kModeFadeToWhite ? Qt::white : Qt::black;
        const int half = n / 2;
        if (k < half) {
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            painter.drawImage(origin, outgoing());
            painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
            painter.setOpacity(alpha(2 * (k + 1), n));
            painter.fillRect(job.frameRect, colour);
        } else {
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            painter.fillRect(job.frameRect, colour);
            painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
            painter.setOpacity(alpha(2 * (k - half + 1), n));
            painter.drawImage(origin, job.photo.motionCanvas);
        }
    }

private:
    // numerator / denominator as the 32-bit alpha scale, at most 1.
    static double alpha(int numerator, int denominator)
    {
        const float scale = static_cast<float>(static_cast<double>(numerator) / denominator);
        return std::min(static_cast<double>(scale), 1.0);
    }

    int mode_ = kModeNormal;
};

} // namespace

std::unique_ptr<TransitionRenderer> createAlphaTransition()
{
    return std::make_unique<AlphaTransition>();
}

} // namespace pictavo
