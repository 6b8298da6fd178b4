#pragma once

// Drawing shared by the card transitions (Door, Flip, Fly, Rotate in): a picture mapped onto a
// parallelogram, and a picture cut into one-pixel strips that are stretched into a trapezoid
// (a card seen at an angle).

#include <QImage>
#include <QPointF>
#include <QRectF>
#include <vector>

class QPainter;

namespace pictavo {

// The destinations of a picture's upper-left, upper-right and lower-left corners; the fourth
// corner is upperRight + lowerLeft - upperLeft.
struct Parallelogram {
    QPointF upperLeft;
    QPointF upperRight;
    QPointF lowerLeft;
};

// Draws `image` onto the parallelogram (nearest-pixel sampling). A parallelogram without area
// or an empty picture draws nothing.
void drawOnParallelogram(QPainter& painter, const QImage& image, const Parallelogram& target);

// Columns: the strips are the pixel columns (the card narrows from left to right or back);
// Rows: the pixel rows.
enum class StripAxis { Columns, Rows };

// Which end of the card is narrow. With S strips and the inset s, strip i is inset by i * s at
// each side (NarrowAtEnd: the last strip is the narrowest) or by (S - i) * s (NarrowAtStart: the
// first strip is the narrowest).
enum class CardTaper { NarrowAtEnd, NarrowAtStart };

// How a card is drawn in one frame: the picture's strips are stretched into a work picture of
// frame size with the taper and inset, and the work picture is stretched into `destination` on
// the canvas.
struct CardFrame {
    StripAxis axis = StripAxis::Columns;
    CardTaper taper = CardTaper::NarrowAtEnd;
    float inset = 0;
    QRectF destination;
};

// A picture cut into strips, drawn as a tapered card. The strip table holds one strip per pixel
// column or row of the picture, so it is sized from the frame.
class StripCard {
public:
    // Takes the picture whose strips are drawn (kept as a Format_RGB32 copy) and sizes the
    // tables. An empty picture draws nothing.
    void setPicture(const QImage& picture, StripAxis axis);
    void clear();
    bool isEmpty() const { return picture_.isNull(); }

    // Stretches every strip across the card: strip i (a column: 1 x H, a row: W x 1) goes into
    // `card` at its own column or row, inset by t_i at both ends (t_i = i * inset or
    // (S - i) * inset), that is over the pixels whose centres lie in [t_i, L - t_i), sampled
    // at the nearest source pixel. Pixels of `card` outside the card keep what they had. `card`
    // must have the picture's size and a 32-bit format; strips without length draw nothing.
    void draw(CardTaper taper, float inset, QImage& card);

private:
    QImage picture_;
    StripAxis axis_ = StripAxis::Columns;
    // Per strip: first and end (exclusive) covered pixel, offset and scale of the sampling.
    std::vector<int> first_;
    std::vector<int> end_;
    std::vector<double> offset_;
    std::vector<double> scale_;
};

// Stretches the work picture of a card into its destination on the canvas (nearest-pixel
// sampling, blended over the canvas when the picture has alpha). A destination without width or
// height draws nothing.
void drawCardPicture(QPainter& painter, const QImage& card, const QRectF& destination);

} // namespace pictavo
