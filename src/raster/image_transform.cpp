#include "raster/raster_image.h"

#include "raster/magick_support.h"

#include <QTransform>

namespace pictavo {

using namespace raster_detail;

// Turns by exact multiples of 90 degrees move pixels without interpolation.
QImage rotateLeft90(const QImage& image)
{
    return image.transformed(QTransform().rotate(-90.0));
}

QImage rotateRight90(const QImage& image)
{
    return image.transformed(QTransform().rotate(90.0));
}

QImage rotate180(const QImage& image)
{
    return image.mirrored(true, true);
}

QImage flipRows(const QImage& image)
{
    return image.mirrored(false, true);
}

QImage flipColumns(const QImage& image)
{
    return image.mirrored(true, false);
}

QImage crop(const QImage& image, const QRect& rect)
{
    const QRect inside = rect.normalized() & image.rect();
    if (inside.isEmpty())
        return image;
    return image.copy(inside);
}

QImage resample(const QImage& image, QSize size)
{
    if (image.isNull() || size.isEmpty())
        return {};
    if (size == image.size())
        return image;
    ensureMagick();
    QImage result;
    const std::string error = runMagick([&] {
        Magick::Image picture = fromQImage(image);
        picture.filterType(MagickCore::LanczosFilter);
        Magick::Geometry geometry(static_cast<size_t>(size.width()),
                                  static_cast<size_t>(size.height()));
        geometry.aspect(true); // exactly this size, whatever the proportions
        picture.resize(geometry);
        result = toQImage(picture);
    });
    if (!error.empty() || result.size() != size)
        return {};
    return result;
}

} // namespace pictavo
