// Cube fly: the two pictures are two faces of a cube that turns away in the chosen direction.
// The shared edge crosses the frame; the outgoing face narrows and tilts, the incoming face,
// frozen at its end-of-transition state, grows behind the edge until it fills the frame.

#include "render/transition_renderer.h"
#include "render/transitions/family_a/family_a_geometry.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>

namespace pictavo {

namespace {

// First pixel whose centre lies at or after `edge`, within 0 .. limit.
int firstPixelFrom(double edge, int limit)
{
    const double first = std::ceil(edge - 0.5);
    if (!(first > 0))
        return 0;
    return first > limit ? limit : static_cast<int>(first);
}

class CubeFlyTransition : public TransitionRenderer {
protected:
    bool freezesIncomingPhoto() const override { return true; }

    void begin(RenderJob& job) override
    {
        const int direction = firstParameter();
        if (frames() <= 0 || direction < 0 || direction > 3)
            return;
        const int width = job.frameRect.width(), height = job.frameRect.height();
        outgoingFace_ = QImage(width, height, QImage::Format_RGB32);
        incomingFace_ = QImage(width, height, QImage::Format_RGB32);
        if (outgoingFace_.isNull() || incomingFace_.isNull())
            return;
        geometry_.emplace(width, height, frames(), direction);
    }

    void composeTransitionFrame(RenderJob& job, int k) override
    {
        if (!geometry_)
            return; // an unknown direction leaves the outgoing frame on screen
        CubeFlyGeometry& g = *geometry_;
        g.advance(k);
        const float r = g.stripInset();
        drawFace(outgoingFace_, outgoing(), r, true);
        drawFace(incomingFace_, job.photo.motionCanvas, r, false);

        QPainter painter(&job.canvas);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(job.frameRect, QColor::fromRgba(background()));
        const QPointF origin = job.frameRect.topLeft();
        if (g.outgoingVisible())
            drawInto(painter, g.outgoingFace().translated(origin), outgoingFace_);
        drawInto(painter, g.incomingFace().translated(origin), incomingFace_);
    }

    void end() override
    {
        geometry_.reset();
        outgoingFace_ = QImage();
        incomingFace_ = QImage();
    }

private:
    static void drawInto(QPainter& painter, const QRectF& face, const QImage& picture)
    {
        if (face.width() > 0 && face.height() > 0)
            painter.drawImage(face, picture);
    }

    // Redraws a face: strip i (a pixel row or column of the source) squeezed across into the
    // span from its inset t to A - t, the background around it.
    void drawFace(QImage& face, const QImage& source, float r, bool outgoingSide) const
    {
        const CubeFlyGeometry& g = *geometry_;
        const std::uint32_t bg = background() | 0xFF000000u;
        const int width = face.width(), height = face.height();
        const int across = g.across();
        const QImage* src = &source;
        QImage converted;
        if (source.format() != QImage::Format_RGB32 || source.width() < width ||
            source.height() < height) {
            converted = QImage(width, height, QImage::Format_RGB32);
            converted.fill(bg);
            QPainter p(&converted);
            p.drawImage(0, 0, source);
            p.end();
            src = &converted;
        }
        const int strips = g.strips();
        spans_.resize(static_cast<std::size_t>(strips));
        for (int i = 0; i < strips; ++i) {
            const double t = outgoingSide ? g.outgoingInset(i, r) : g.incomingInset(i, r);
            const double extent = across - 2.0 * t;
            Span& s = spans_[static_cast<std::size_t>(i)];
            if (!(extent > 0.0)) {
                s = Span{0, 0, 0, 0};
                continue;
            }
            s.first = firstPixelFrom(t, across);
            s.last = firstPixelFrom(across - t, across);
            s.scale = across / extent;
            s.offset = (0.5 - t) * s.scale; // source position = x * scale + offset
        }
        // Source positions step through the strip in 16.16 fixed point.
        const auto fixedStart = [](const Span& s) {
            return static_cast<std::int64_t>(
                std::llround((s.first * s.scale + s.offset) * 65536.0));
        };
        const auto fixedStep = [](const Span& s) {
            return static_cast<std::int64_t>(std::llround(s.scale * 65536.0));
        };
        const std::int64_t top = across - 1;
        if (g.vertical()) {
            for (int y = 0; y < height; ++y) {
                auto* out = reinterpret_cast<std::uint32_t*>(face.scanLine(y));
                const auto* in = reinterpret_cast<const std::uint32_t*>(src->constScanLine(y));
                const Span& s = spans_[static_cast<std::size_t>(y)];
                std::fill(out, out + s.first, bg);
                std::int64_t position = fixedStart(s);
                const std::int64_t step = fixedStep(s);
                for (int x = s.first; x < s.last; ++x, position += step)
                    out[x] = in[std::clamp<std::int64_t>(position >> 16, 0, top)];
                std::fill(out + s.last, out + width, bg);
            }
        } else {
            face.fill(bg);
            const uchar* bits = src->constBits();
            const qsizetype sourceStride = src->bytesPerLine();
            uchar* faceBits = face.bits();
            const qsizetype faceStride = face.bytesPerLine();
            for (int x = 0; x < width; ++x) {
                const Span& s = spans_[static_cast<std::size_t>(x)];
                std::int64_t position = fixedStart(s);
                const std::int64_t step = fixedStep(s);
                for (int y = s.first; y < s.last; ++y, position += step) {
                    const qsizetype row = std::clamp<std::int64_t>(position >> 16, 0, top);
                    reinterpret_cast<std::uint32_t*>(faceBits + y * faceStride)[x] =
                        reinterpret_cast<const std::uint32_t*>(bits + row * sourceStride)[x];
                }
            }
        }
    }

    struct Span {
        int first;
        int last;
        double scale;
        double offset;
    };

    std::optional<CubeFlyGeometry> geometry_;
    QImage outgoingFace_;
    QImage incomingFace_;
    mutable std::vector<Span> spans_;
};

} // namespace

std::unique_ptr<TransitionRenderer> createCubeFlyTransition()
{
    return std::make_unique<CubeFlyTransition>();
}

} // namespace pictavo
