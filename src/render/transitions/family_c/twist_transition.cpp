// Twist: the picture seems to turn about a vertical axis that crosses the frame. Every column
// is stretched about the frame's middle line by its distance to the axis: 0 high on the axis,
// the full height a quarter of the width away from it. The incoming photo, frozen at its
// end-of-transition state, lies on the side the axis has passed.
//
// The columns are drawn straight into the canvas' scanlines: for each column the pictures'
// own columns serve as the strips, and each destination row samples the source row at its
// centre.

#include "render/transition_renderer.h"
#include "render/transitions/family_c/family_c_geometry.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

namespace pictavo {

namespace {

using family_c::TwistMotion;

class TwistTransition : public TransitionRenderer {
protected:
    bool freezesIncomingPhoto() const override { return true; }

    void begin(RenderJob& job) override
    {
        width_ = job.frameRect.width();
        height_ = job.frameRect.height();
        motion_.emplace(width_, height_, frames(), firstParameter());
        columns_.assign(static_cast<std::size_t>(std::max(width_, 0)), Column{});
    }

    void composeTransitionFrame(RenderJob& job, int) override
    {
        motion_->advance();
        const QImage& incoming = job.photo.motionCanvas;
        if (!sameSize(incoming) || !sameSize(outgoing()) || job.canvas.depth() != 32)
            return;
        planColumns(incoming);

        QPainter(&job.canvas).fillRect(job.frameRect, QColor::fromRgba(background()));
        const int left = job.frameRect.left();
        for (int y = 0; y < height_; ++y) {
            auto* row =
                reinterpret_cast<QRgb*>(job.canvas.scanLine(job.frameRect.top() + y)) + left;
            const double centre = y + 0.5;
            for (int c = 0; c < width_; ++c) {
                const Column& column = columns_[static_cast<std::size_t>(c)];
                if (y < column.first || y >= column.last)
                    continue;
                int source = static_cast<int>((centre - column.top) * column.rowsPerPixel);
                source = std::clamp(source, 0, height_ - 1);
                const auto* sourceRow =
                    reinterpret_cast<const QRgb*>(column.picture->constScanLine(source));
                row[c] = sourceRow[c] | 0xFF000000u;
            }
        }
    }

    void end() override
    {
        motion_.reset();
        columns_ = {};
    }

private:
    struct Column {
        const QImage* picture = nullptr;
        double top = 0;
        double rowsPerPixel = 1;
        int first = 0; // destination rows first .. last - 1
        int last = 0;
    };

    bool sameSize(const QImage& image) const
    {
        return image.width() == width_ && image.height() == height_ && image.depth() == 32;
    }

    void planColumns(const QImage& incoming)
    {
        for (int c = 0; c < width_; ++c) {
            Column& column = columns_[static_cast<std::size_t>(c)];
            column.picture = motion_->columnShowsIncoming(c) ? &incoming : &outgoing();
            column.top = motion_->columnTop(c);
            const double height = motion_->columnHeight(c);
            if (!(height > 0)) {
                column.first = column.last = 0;
                continue;
            }
            column.rowsPerPixel = height_ / height;
            // Rows whose centre lies inside the stretched strip.
            column.first = std::max(0, static_cast<int>(std::ceil(column.top - 0.5)));
            column.last = std::min(height_, static_cast<int>(std::ceil(column.top + height - 0.5)));
        }
    }

    int width_ = 0;
    int height_ = 0;
    std::optional<TwistMotion> motion_;
    std::vector<Column> columns_;
};

} // namespace

std::unique_ptr<TransitionRenderer> createTwistTransition()
{
    return std::make_unique<TwistTransition>();
}

} // namespace pictavo
