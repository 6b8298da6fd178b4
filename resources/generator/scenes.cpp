#include "scenes.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace pictavo::resources {

namespace {

// ---------------------------------------------------------------------------------------------
// Colours and deterministic noise

struct Colour {
    double r = 0;
    double g = 0;
    double b = 0;
};

constexpr Colour hex(std::uint32_t value)
{
    return {static_cast<double>((value >> 16) & 0xFF), static_cast<double>((value >> 8) & 0xFF),
            static_cast<double>(value & 0xFF)};
}

Colour mix(Colour a, Colour b, double t)
{
    t = std::clamp(t, 0.0, 1.0);
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Colour scaled(Colour c, double factor)
{
    return {c.r * factor, c.g * factor, c.b * factor};
}

Colour added(Colour a, Colour b, double amount)
{
    return {a.r + b.r * amount, a.g + b.g * amount, a.b + b.b * amount};
}

QRgb toRgb(Colour c)
{
    auto channel = [](double v) { return static_cast<int>(std::clamp(v, 0.0, 255.0) + 0.5); };
    return qRgb(channel(c.r), channel(c.g), channel(c.b));
}

Colour fromRgb(QRgb p)
{
    return {static_cast<double>(qRed(p)), static_cast<double>(qGreen(p)),
            static_cast<double>(qBlue(p))};
}

QColor qcolour(std::uint32_t value, int alpha = 255)
{
    return QColor((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF, alpha);
}

std::uint32_t hash(std::uint32_t x, std::uint32_t y, std::uint32_t seed)
{
    std::uint32_t h = x * 0x8DA6B343u ^ y * 0xD8163841u ^ seed * 0xCB1AB31Fu;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return h;
}

double unit(std::uint32_t h)
{
    return static_cast<double>(h >> 8) / static_cast<double>(1u << 24);
}

double smooth(double t)
{
    return t * t * (3 - 2 * t);
}

double smoothstep(double edge0, double edge1, double x)
{
    return smooth(std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0));
}

// A function of one argument tabulated over 0..limit and read back with linear interpolation:
// pow and exp per pixel would cost more than the rest of a scene together.
class Curve {
public:
    template <typename F>
    Curve(double limit, int samples, F f) : scale_(samples / limit), values_(samples + 2)
    {
        for (int i = 0; i <= samples + 1; ++i)
            values_[i] = f(i / scale_);
    }

    double operator()(double x) const
    {
        const double at = std::clamp(x * scale_, 0.0, static_cast<double>(values_.size() - 2));
        const auto i = static_cast<std::size_t>(at);
        return values_[i] + (values_[i + 1] - values_[i]) * (at - i);
    }

private:
    double scale_;
    std::vector<double> values_;
};

// exp(-x) for x >= 0 (0 beyond the table) and the ground's colour ramp t^0.6 for 0..1.
const Curve& decay()
{
    static const Curve curve(24.0, 4096, [](double x) { return x >= 24.0 ? 0.0 : std::exp(-x); });
    return curve;
}

const Curve& groundRamp()
{
    static const Curve curve(1.0, 1024, [](double t) { return std::pow(std::min(t, 1.0), 0.6); });
    return curve;
}

// sin for any argument, from a table of one period.
double fastSin(double x)
{
    constexpr double period = 2 * std::numbers::pi;
    static const Curve curve(period, 4096, [](double a) { return std::sin(a); });
    return curve(x - std::floor(x / period) * period);
}

// Fractal value noise along a line, 0..1.
double lineNoise(double x, std::uint32_t seed, int octaves)
{
    double sum = 0;
    double weight = 1;
    double total = 0;
    for (int o = 0; o < octaves; ++o) {
        const double fx = std::floor(x);
        const auto i = static_cast<std::uint32_t>(static_cast<std::int64_t>(fx) + 4096);
        const double a = unit(hash(i, 7u * o, seed));
        const double b = unit(hash(i + 1, 7u * o, seed));
        sum += weight * (a + (b - a) * smooth(x - fx));
        total += weight;
        weight *= 0.5;
        x *= 2.03;
    }
    return sum / total;
}

// Fractal value noise over the picture, evaluated once on a coarse grid and read back with
// bilinear interpolation: soft texture for clouds and ground at a small cost per pixel.
class NoiseField {
public:
    NoiseField(int columns, int rows, double cells, std::uint32_t seed, int octaves)
        : columns_(columns), rows_(rows), values_(static_cast<std::size_t>(columns) * rows)
    {
        for (int y = 0; y < rows; ++y) {
            for (int x = 0; x < columns; ++x) {
                double sum = 0;
                double weight = 1;
                double total = 0;
                double fx = x * cells / columns;
                double fy = y * cells / columns;
                for (int o = 0; o < octaves; ++o) {
                    sum += weight * latticeNoise(fx, fy, seed + 101u * o);
                    total += weight;
                    weight *= 0.5;
                    fx *= 2.0;
                    fy *= 2.0;
                }
                values_[static_cast<std::size_t>(y) * columns + x] = sum / total;
            }
        }
    }

    // u, v in 0..1 over the picture (values outside are clamped).
    double at(double u, double v) const
    {
        const double x = std::clamp(u, 0.0, 1.0) * (columns_ - 1);
        const double y = std::clamp(v, 0.0, 1.0) * (rows_ - 1);
        const int x0 = std::min(static_cast<int>(x), columns_ - 2);
        const int y0 = std::min(static_cast<int>(y), rows_ - 2);
        const double tx = x - x0;
        const double ty = y - y0;
        const double* row0 = &values_[static_cast<std::size_t>(y0) * columns_];
        const double* row1 = row0 + columns_;
        const double top = row0[x0] + (row0[x0 + 1] - row0[x0]) * tx;
        const double bottom = row1[x0] + (row1[x0 + 1] - row1[x0]) * tx;
        return top + (bottom - top) * ty;
    }

private:
    static double latticeNoise(double x, double y, std::uint32_t seed)
    {
        const double fx = std::floor(x);
        const double fy = std::floor(y);
        const auto ix = static_cast<std::uint32_t>(static_cast<std::int64_t>(fx) + 4096);
        const auto iy = static_cast<std::uint32_t>(static_cast<std::int64_t>(fy) + 4096);
        const double tx = smooth(x - fx);
        const double ty = smooth(y - fy);
        const double a = unit(hash(ix, iy, seed));
        const double b = unit(hash(ix + 1, iy, seed));
        const double c = unit(hash(ix, iy + 1, seed));
        const double d = unit(hash(ix + 1, iy + 1, seed));
        return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
    }

    int columns_;
    int rows_;
    std::vector<double> values_;
};

// ---------------------------------------------------------------------------------------------
// The layered landscape

struct GradientStop {
    double at;
    Colour colour;
};

Colour gradientAt(const std::vector<GradientStop>& stops, double t)
{
    if (stops.empty())
        return {};
    if (t <= stops.front().at)
        return stops.front().colour;
    for (std::size_t i = 1; i < stops.size(); ++i) {
        if (t <= stops[i].at) {
            const double span = stops[i].at - stops[i - 1].at;
            return mix(stops[i - 1].colour, stops[i].colour,
                       span > 0 ? (t - stops[i - 1].at) / span : 1.0);
        }
    }
    return stops.back().colour;
}

// A line of hills or mountains across the picture, filled down to the bottom edge.
struct Ridge {
    double base = 0.6;      // mean height of the crest, as a fraction of the picture height
    double amplitude = 0.1; // how far the crest rises above the mean
    double waves = 3;       // hills across the width
    double sharpness = 0;   // 0 rolling hills, 1 mountain peaks
    Colour top;             // colour at the crest
    Colour bottom;          // colour at the bottom edge
    double haze = 0;        // mix towards the haze colour (distance)
    std::uint32_t seed = 1;
    double snow = -1;      // crests higher than this fraction from the top carry snow
    double texture = 0.12; // strength of the ground texture
};

struct Sun {
    double x = -1; // centre, fractions of width and height; x < 0: no sun
    double y = 0;
    double radius = 0.05; // fraction of the height
    Colour colour;
    double glow = 0;         // brightness of the halo
    double glowReach = 0.15; // how far the halo reaches
};

struct Scene {
    std::vector<GradientStop> sky; // over 0 (top) .. 1 (horizon)
    double horizon = 0.6;
    Colour haze;
    Sun sun;
    double clouds = 0; // 0..1
    Colour cloudLight = hex(0xFFFFFF);
    Colour cloudShade = hex(0xB8C4D6);
    double cloudTop = 0;
    double cloudBottom = 0.5;
    double stars = 0; // fraction of sky pixels with a star
    std::vector<Ridge> far;
    double waterLine = 2; // fraction of the height; beyond 1: no water
    Colour water;
    double waterTint = 0.35;
    std::vector<Ridge> near;
    std::uint32_t seed = 1;
    double grain = 3;
};

class Painter {
public:
    Painter(const Scene& scene, int width, int height)
        : scene_(scene), width_(width), height_(height),
          image_(width, height, QImage::Format_RGB32),
          clouds_(96, std::max(2, 96 * height / width), 4.0, scene.seed + 11, 5),
          ground_(128, std::max(2, 128 * height / width), 14.0, scene.seed + 23, 4),
          detail_(320, std::max(2, 320 * height / width), 90.0, scene.seed + 29, 2)
    {
        image_.fill(Qt::black);
        ridgeLines(scene.far, farLines_, farSlopes_);
        ridgeLines(scene.near, nearLines_, nearSlopes_);
    }

    // Sky, sun, stars, clouds and the far ridges.
    void paintBackdrop()
    {
        const double aspect = static_cast<double>(width_) / height_;
        for (int y = 0; y < height_; ++y) {
            auto* line = reinterpret_cast<QRgb*>(image_.scanLine(y));
            const double v = (y + 0.5) / height_;
            const Colour skyBase = gradientAt(scene_.sky, v / scene_.horizon);
            const double cloudBand =
                smoothstep(scene_.cloudTop, scene_.cloudTop + 0.08, v) *
                (1 - smoothstep(scene_.cloudBottom - 0.1, scene_.cloudBottom, v));
            for (int x = 0; x < width_; ++x) {
                const double u = (x + 0.5) / width_;
                const auto sky = [&] {
                    Colour c = skyBase;
                    const Sun& sun = scene_.sun;
                    double sunDistance = 10;
                    if (sun.x >= 0) {
                        sunDistance = std::hypot((u - sun.x) * aspect, v - sun.y);
                        c = added(c, sun.colour, sun.glow * decay()(sunDistance / sun.glowReach));
                    }
                    if (scene_.stars > 0) {
                        const double s = unit(hash(x, y, scene_.seed + 5));
                        if (s < scene_.stars)
                            c = added(c, hex(0xFFFFFF), (0.5 + s / scene_.stars) * (1.0 - v));
                    }
                    if (scene_.sun.x >= 0 && sunDistance < sun.radius)
                        c = mix(c, sun.colour,
                                smoothstep(sun.radius, sun.radius * 0.92, sunDistance));
                    if (scene_.clouds > 0 && cloudBand > 0) {
                        const double n = clouds_.at(u, v * 1.6);
                        const double cover = smoothstep(0.52, 0.78, n) * scene_.clouds * cloudBand;
                        if (cover > 0) {
                            const double lit = clouds_.at(u + 0.01, v * 1.6 - 0.02) - n + 0.5;
                            const Colour cloud = mix(scene_.cloudShade, scene_.cloudLight, lit);
                            c = mix(c, cloud, cover);
                        }
                    }
                    return c;
                };
                const Colour c =
                    overRidges(scene_.far, farLines_, farSlopes_, scene_.far.size(), x, u, v, sky);
                line[x] = toRgb(c);
            }
        }
    }

    // Water with the reflection of what lies above it, the near ridges and a light grain.
    void paintForeground()
    {
        const int waterRow = static_cast<int>(scene_.waterLine * height_);
        for (int y = 0; y < height_; ++y) {
            auto* line = reinterpret_cast<QRgb*>(image_.scanLine(y));
            const double v = (y + 0.5) / height_;
            const bool water = y >= waterRow && waterRow > 0;
            const QRgb* mirrored = nullptr;
            double depth = 0;
            if (water) {
                const int row = std::clamp(2 * waterRow - y - 1, 0, height_ - 1);
                mirrored = reinterpret_cast<const QRgb*>(image_.constScanLine(row));
                depth = (v - scene_.waterLine) / std::max(0.05, 1 - scene_.waterLine);
            }
            for (int x = 0; x < width_; ++x) {
                const double u = (x + 0.5) / width_;
                const auto behind = [&] {
                    Colour c = fromRgb(line[x]);
                    if (water) {
                        const double wave = fastSin(y * 0.9 + 6 * fastSin(x * 0.013 + y * 0.05));
                        const int dx = static_cast<int>(wave * (1.5 + depth * 6));
                        const Colour reflected =
                            fromRgb(mirrored[std::clamp(x + dx, 0, width_ - 1)]);
                        c = mix(scaled(reflected, 0.82), scene_.water,
                                scene_.waterTint + depth * 0.35);
                        const Sun& sun = scene_.sun;
                        if (sun.x >= 0 && sun.y < scene_.waterLine) {
                            const double column = decay()(std::abs(u - sun.x) * (10 + depth * 14));
                            const double sparkle = unit(hash(x / 3, y, scene_.seed + 9));
                            if (sparkle > 0.55)
                                c = added(c, sun.colour, column * (sparkle - 0.55) * 1.4);
                        }
                    }
                    return c;
                };
                const Colour c = overRidges(scene_.near, nearLines_, nearSlopes_,
                                            scene_.near.size(), x, u, v, behind);
                const double g = (unit(hash(x, y, scene_.seed + 77)) - 0.5) * 2 * scene_.grain;
                line[x] = toRgb({c.r + g, c.g + g, c.b + g});
            }
        }
    }

    QImage& image() { return image_; }

private:
    void ridgeLines(const std::vector<Ridge>& ridges, std::vector<std::vector<double>>& lines,
                    std::vector<std::vector<double>>& slopes)
    {
        for (const Ridge& ridge : ridges) {
            std::vector<double> crest(width_);
            for (int x = 0; x < width_; ++x) {
                const double u = (x + 0.5) / width_;
                const double n = lineNoise(u * ridge.waves, ridge.seed, 6);
                const double peaks = 1 - std::abs(2 * n - 1);
                const double shape = n + (peaks - n) * ridge.sharpness;
                crest[x] = ridge.base - ridge.amplitude * (shape - 0.5) * 2;
            }
            // How the crest falls to the right (height pixels per width pixel), smoothed over a
            // stretch of the width: the faces of peaks that look towards the light on the left
            // come out brighter.
            const int reach = std::max(1, width_ / 80);
            std::vector<double> slope(width_);
            for (int x = 0; x < width_; ++x) {
                const double rise =
                    crest[std::min(width_ - 1, x + reach)] - crest[std::max(0, x - reach)];
                slope[x] = std::clamp(rise * height_ / (2.0 * reach), -1.5, 1.5);
            }
            lines.push_back(std::move(crest));
            slopes.push_back(std::move(slope));
        }
    }

    // The colour at a pixel where the first `count` ridges lie over what `behind` gives (the
    // nearest ridge last). What lies behind a ridge is worked out only where the ridge does not
    // cover the pixel fully: above its crest and on the crest's anti-aliased pixel.
    template <typename Behind>
    Colour overRidges(const std::vector<Ridge>& ridges,
                      const std::vector<std::vector<double>>& lines,
                      const std::vector<std::vector<double>>& slopes, std::size_t count, int x,
                      double u, double v, const Behind& behind) const
    {
        for (std::size_t r = count; r-- > 0;) {
            const double crest = lines[r][x];
            if (v < crest)
                continue;
            const Colour c = groundColour(ridges[r], crest, slopes[r][x], u, v);
            const double edge = (v - crest) * height_;
            if (edge >= 1)
                return c;
            return mix(overRidges(ridges, lines, slopes, r, x, u, v, behind), c, edge);
        }
        return behind();
    }

    Colour groundColour(const Ridge& ridge, double crest, double slope, double u, double v) const
    {
        const double t = (v - crest) / std::max(1e-3, 1 - crest);
        Colour c = mix(ridge.top, ridge.bottom, groundRamp()(t));
        const double texture = (ground_.at(u, v) - 0.5) + (detail_.at(u, v) - 0.5) * 0.35;
        const double fade = (1 - t) * (1 - t);
        c = scaled(c, 1 + texture * 2 * ridge.texture - slope * 0.35 * ridge.sharpness * fade);
        if (ridge.snow >= 0 && crest < ridge.snow) {
            const double reach = (ridge.snow - crest) * 0.6;
            const double snowy = 1 - smoothstep(reach * 0.6, reach, v - crest);
            const double patch = smoothstep(0.35, 0.6, ground_.at(u * 1.3, v * 1.3));
            c = mix(c, hex(0xF4F7FB), snowy * (0.55 + 0.45 * patch));
        }
        return mix(c, scene_.haze, ridge.haze);
    }

    const Scene& scene_;
    int width_;
    int height_;
    QImage image_;
    NoiseField clouds_;
    NoiseField ground_;
    NoiseField detail_;
    std::vector<std::vector<double>> farLines_;
    std::vector<std::vector<double>> nearLines_;
    std::vector<std::vector<double>> farSlopes_;
    std::vector<std::vector<double>> nearSlopes_;
};

// Random numbers for the shapes drawn over a scene.
class Scatter {
public:
    explicit Scatter(std::uint32_t seed) : seed_(seed) {}
    double next() { return unit(hash(counter_++, 0, seed_)); }
    double between(double low, double high) { return low + (high - low) * next(); }

private:
    std::uint32_t seed_;
    std::uint32_t counter_ = 0;
};

// ---------------------------------------------------------------------------------------------
// Shapes drawn over the landscapes

void drawFlowers(QImage& image, double from, std::uint32_t seed, int count)
{
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const std::uint32_t palette[] = {0xE8364F, 0xF7C531, 0xFFFFFF, 0xB45CD6, 0xF28A2E, 0xF25C9A};
    Scatter random(seed);
    const double w = image.width();
    const double h = image.height();
    // Far flowers first, so that the near ones cover them.
    std::vector<std::pair<double, double>> spots;
    for (int i = 0; i < count; ++i) {
        const double depth = std::pow(random.next(), 1.6);
        spots.emplace_back(from + (1 - from) * depth, random.next());
    }
    std::sort(spots.begin(), spots.end());
    for (const auto& [v, u] : spots) {
        const double size = (0.004 + 0.02 * (v - from) / (1 - from)) * h;
        const std::uint32_t colour =
            palette[hash(static_cast<std::uint32_t>(u * 1e6), 3, seed) % 6];
        const QPointF centre(u * w, v * h);
        painter.setBrush(qcolour(0x2F6B2A));
        painter.drawRect(QRectF(centre.x() - size * 0.06, centre.y(), size * 0.12, size * 1.2));
        painter.setBrush(qcolour(colour));
        painter.drawEllipse(centre, size * 0.55, size * 0.42);
        painter.setBrush(qcolour(0xFFE27A, 220));
        painter.drawEllipse(centre, size * 0.16, size * 0.13);
    }
}

void drawBalloon(QImage& image, QPointF centre, double radius)
{
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath envelope;
    envelope.moveTo(centre.x(), centre.y() + radius * 1.45);
    envelope.cubicTo(centre.x() - radius * 0.5, centre.y() + radius * 1.1,
                     centre.x() - radius * 1.05, centre.y() + radius * 0.55, centre.x() - radius,
                     centre.y());
    envelope.arcTo(QRectF(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius), 180,
                   -180);
    envelope.cubicTo(centre.x() + radius * 1.05, centre.y() + radius * 0.55,
                     centre.x() + radius * 0.5, centre.y() + radius * 1.1, centre.x(),
                     centre.y() + radius * 1.45);
    painter.setClipPath(envelope);
    const std::uint32_t stripes[] = {0xE63946, 0xF4A261, 0xF1FAEE, 0x2A9D8F, 0x264653};
    const int count = 10;
    for (int i = 0; i < count; ++i) {
        const double x0 = centre.x() - radius + 2 * radius * i / count;
        painter.fillRect(QRectF(x0, centre.y() - radius, 2 * radius / count + 1, radius * 2.6),
                         qcolour(stripes[i % 5]));
    }
    QRadialGradient shade(centre - QPointF(radius * 0.4, radius * 0.45), radius * 1.8);
    shade.setColorAt(0, QColor(255, 255, 255, 90));
    shade.setColorAt(0.5, QColor(255, 255, 255, 0));
    shade.setColorAt(1, QColor(0, 0, 40, 120));
    painter.fillRect(QRectF(centre.x() - radius, centre.y() - radius, 2 * radius, radius * 2.6),
                     shade);
    painter.setClipping(false);
    const QPointF neck(centre.x(), centre.y() + radius * 1.45);
    const QRectF basket(neck.x() - radius * 0.14, neck.y() + radius * 0.32, radius * 0.28,
                        radius * 0.22);
    painter.setPen(QPen(qcolour(0x4A3526), radius * 0.025));
    painter.drawLine(neck + QPointF(-radius * 0.12, -radius * 0.05), basket.topLeft());
    painter.drawLine(neck + QPointF(radius * 0.12, -radius * 0.05), basket.topRight());
    painter.setPen(Qt::NoPen);
    painter.setBrush(qcolour(0x7A5230));
    painter.drawRoundedRect(basket, radius * 0.03, radius * 0.03);
}

void drawPalm(QImage& image, QPointF foot, double height, bool leanLeft)
{
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const double lean = leanLeft ? -1 : 1;
    const QPointF top(foot.x() + lean * height * 0.28, foot.y() - height);
    QPainterPath trunk;
    trunk.moveTo(foot + QPointF(-height * 0.035, 0));
    trunk.quadTo(foot + QPointF(lean * height * 0.02, -height * 0.6),
                 top + QPointF(-height * 0.012, 0));
    trunk.lineTo(top + QPointF(height * 0.012, 0));
    trunk.quadTo(foot + QPointF(lean * height * 0.06, -height * 0.6),
                 foot + QPointF(height * 0.035, 0));
    trunk.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(qcolour(0x3B2A1E));
    painter.drawPath(trunk);
    painter.setBrush(qcolour(0x1F3B22));
    for (int i = 0; i < 8; ++i) {
        const double angle = -std::numbers::pi * (0.05 + 0.9 * i / 7.0) + (i % 2) * 0.15;
        const QPointF tip = top + QPointF(std::cos(angle) * height * 0.42,
                                          std::sin(angle) * height * 0.22 + height * 0.14);
        const QPointF mid = top + QPointF(std::cos(angle) * height * 0.22,
                                          std::sin(angle) * height * 0.2 - height * 0.05);
        QPainterPath frond;
        frond.moveTo(top);
        frond.quadTo(mid + QPointF(0, -height * 0.04), tip);
        frond.quadTo(mid + QPointF(0, height * 0.03), top);
        painter.drawPath(frond);
    }
}

void drawSkyline(QImage& image, double baseLine, std::uint32_t seed)
{
    QPainter painter(&image);
    const double w = image.width();
    const double h = image.height();
    const double base = baseLine * h;
    Scatter random(seed);
    double x = -10;
    while (x < w) {
        const double bw = random.between(0.03, 0.08) * w;
        const double bh = random.between(0.08, 0.33) * h * (0.6 + 0.8 * std::sin(x / w * 3.1));
        const QRectF building(x, base - bh, bw, bh);
        painter.fillRect(building, qcolour(0x1C1830 + (static_cast<int>(random.next() * 6) << 16)));
        const double cell = h * 0.012;
        for (double wy = building.top() + cell; wy < base - cell; wy += cell * 2) {
            for (double wx = building.left() + cell; wx < building.right() - cell;
                 wx += cell * 1.8) {
                if (random.next() < 0.42)
                    painter.fillRect(QRectF(wx, wy, cell * 0.9, cell),
                                     random.next() < 0.8 ? qcolour(0xFFD27A) : qcolour(0xBFE3FF));
            }
        }
        x += bw + random.between(0.0, 0.01) * w;
    }
}

void drawMoonCraters(QImage& image, QPointF centre, double radius)
{
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(160, 165, 185, 70));
    const double spots[][3] = {
        {-0.3, -0.2, 0.22}, {0.25, 0.1, 0.18}, {-0.05, 0.4, 0.14}, {0.35, -0.35, 0.1}};
    for (const auto& s : spots)
        painter.drawEllipse(centre + QPointF(s[0] * radius, s[1] * radius), s[2] * radius,
                            s[2] * radius);
}

// ---------------------------------------------------------------------------------------------
// The scenes

QImage paintSunsetSea(int width, int height)
{
    Scene s;
    s.seed = 101;
    s.horizon = 0.62;
    s.sky = {{0, hex(0x2B1B4F)}, {0.35, hex(0x7A2E6B)}, {0.7, hex(0xE0604A)}, {1, hex(0xFFB85C)}};
    s.haze = hex(0xF08A5D);
    s.sun = {0.58, 0.47, 0.065, hex(0xFFE3A0), 0.9, 0.16};
    s.clouds = 0.75;
    s.cloudLight = hex(0xFFB38A);
    s.cloudShade = hex(0x5B2C5C);
    s.cloudTop = 0.05;
    s.cloudBottom = 0.45;
    s.far = {{0.6, 0.03, 2.2, 0.2, hex(0x6B3A6E), hex(0x4A2A55), 0.45, 7}};
    s.waterLine = 0.62;
    s.water = hex(0x3A2450);
    s.waterTint = 0.25;
    s.near = {{0.84, 0.12, 1.2, 0.1, hex(0x2A1A2E), hex(0x120B16), 0, 17, -1, 0.08}};
    Painter painter(s, width, height);
    painter.paintBackdrop();
    painter.paintForeground();
    return painter.image();
}

QImage paintMountainLake(int width, int height)
{
    Scene s;
    s.seed = 202;
    s.horizon = 0.6;
    s.sky = {{0, hex(0x2F6DB5)}, {0.6, hex(0x7DB3E6)}, {1, hex(0xD6E9F7)}};
    s.haze = hex(0xBFD8EE);
    s.clouds = 0.85;
    s.cloudTop = 0.0;
    s.cloudBottom = 0.35;
    s.far = {{0.36, 0.16, 2.6, 0.9, hex(0x6E7F99), hex(0x4C5D78), 0.25, 31, 0.34, 0.2},
             {0.5, 0.08, 4.0, 0.6, hex(0x3C5A4A), hex(0x223D2E), 0.1, 37, -1, 0.25}};
    s.waterLine = 0.6;
    s.water = hex(0x1F4F6B);
    s.waterTint = 0.3;
    s.near = {{0.9, 0.06, 1.5, 0.2, hex(0x5C7D3A), hex(0x2E4A1F), 0, 41, -1, 0.3}};
    Painter painter(s, width, height);
    painter.paintBackdrop();
    painter.paintForeground();
    return painter.image();
}

QImage paintFlowerMeadow(int width, int height)
{
    Scene s;
    s.seed = 303;
    s.horizon = 0.55;
    s.sky = {{0, hex(0x4A8FD9)}, {1, hex(0xCFE6F8)}};
    s.haze = hex(0xC9DDEB);
    s.sun = {0.82, 0.12, 0.045, hex(0xFFF6D5), 0.6, 0.12};
    s.clouds = 0.6;
    s.cloudBottom = 0.4;
    s.far = {{0.5, 0.06, 2.0, 0.1, hex(0x7FA36A), hex(0x5E8A4C), 0.35, 43},
             {0.6, 0.05, 3.0, 0.0, hex(0x6E9E3F), hex(0x4F7F2E), 0.15, 47}};
    s.near = {{0.7, 0.03, 1.4, 0, hex(0x77B043), hex(0x3F7A25), 0, 53, -1, 0.25}};
    Painter painter(s, width, height);
    painter.paintBackdrop();
    painter.paintForeground();
    QImage image = painter.image();
    drawFlowers(image, 0.69, 59, width * height / 800);
    return image;
}

QImage paintMoonlitLake(int width, int height)
{
    Scene s;
    s.seed = 404;
    s.horizon = 0.62;
    s.sky = {{0, hex(0x060A1E)}, {0.6, hex(0x142352)}, {1, hex(0x2D3F73)}};
    s.haze = hex(0x25335F);
    s.sun = {0.28, 0.22, 0.055, hex(0xF2F0E0), 0.35, 0.1};
    s.stars = 0.0016;
    s.clouds = 0.35;
    s.cloudLight = hex(0x5C6A96);
    s.cloudShade = hex(0x1A2346);
    s.cloudTop = 0.25;
    s.cloudBottom = 0.5;
    s.far = {{0.54, 0.1, 2.4, 0.7, hex(0x1B2547), hex(0x111831), 0.2, 61}};
    s.waterLine = 0.63;
    s.water = hex(0x0C1430);
    s.waterTint = 0.3;
    s.near = {{0.93, 0.05, 2.2, 0.3, hex(0x0B0F1E), hex(0x05070F), 0, 67, -1, 0.05}};
    Painter painter(s, width, height);
    painter.paintBackdrop();
    drawMoonCraters(painter.image(), QPointF(0.28 * width, 0.22 * height), 0.055 * height);
    painter.paintForeground();
    return painter.image();
}

QImage paintDesertDunes(int width, int height)
{
    Scene s;
    s.seed = 505;
    s.horizon = 0.5;
    s.sky = {{0, hex(0x3E78B2)}, {0.7, hex(0xA9C8DE)}, {1, hex(0xF2D7B0)}};
    s.haze = hex(0xEBC9A0);
    s.sun = {0.2, 0.18, 0.04, hex(0xFFF8E0), 0.7, 0.1};
    s.far = {{0.49, 0.04, 1.8, 0.3, hex(0xD9A066), hex(0xC4874E), 0.4, 71},
             {0.6, 0.08, 1.4, 0.6, hex(0xE8A25A), hex(0xB8692F), 0.1, 73, -1, 0.08}};
    s.near = {{0.78, 0.1, 1.0, 0.55, hex(0xF0B46E), hex(0xA65A27), 0, 79, -1, 0.1}};
    Painter painter(s, width, height);
    painter.paintBackdrop();
    painter.paintForeground();
    return painter.image();
}

QImage paintBalloonMorning(int width, int height)
{
    Scene s;
    s.seed = 606;
    s.horizon = 0.78;
    s.sky = {{0, hex(0x5B93D1)}, {0.75, hex(0xB5D3EE)}, {1, hex(0xFBE3C2)}};
    s.haze = hex(0xE6E0D6);
    s.clouds = 0.55;
    s.cloudTop = 0.3;
    s.cloudBottom = 0.7;
    s.far = {{0.76, 0.03, 2.0, 0.1, hex(0x8CA98A), hex(0x6D8D69), 0.4, 83},
             {0.83, 0.03, 3.0, 0.1, hex(0x6F9A4F), hex(0x4D7A36), 0.15, 89}};
    s.near = {{0.92, 0.02, 1.5, 0, hex(0x5E8F3A), hex(0x3A6423), 0, 97, -1, 0.25}};
    Painter painter(s, width, height);
    painter.paintBackdrop();
    painter.paintForeground();
    QImage image = painter.image();
    drawBalloon(image, QPointF(width * 0.55, height * 0.3), width * 0.2);
    drawBalloon(image, QPointF(width * 0.22, height * 0.56), width * 0.06);
    return image;
}

QImage paintSnowPeaks(int width, int height)
{
    Scene s;
    s.seed = 707;
    s.horizon = 0.55;
    s.sky = {{0, hex(0x3D4E8A)}, {0.5, hex(0xB48DB0)}, {1, hex(0xF8C9B0)}};
    s.haze = hex(0xE7C3C2);
    s.far = {{0.32, 0.18, 3.2, 0.95, hex(0xA89AB8), hex(0x7C7598), 0.3, 101, 0.36, 0.2},
             {0.46, 0.12, 4.5, 0.85, hex(0x5C5A80), hex(0x3A3C5C), 0.15, 103, 0.4, 0.2}};
    s.near = {{0.72, 0.08, 2.5, 0.4, hex(0xE9ECF3), hex(0xB7BED3), 0, 107, -1, 0.1}};
    Painter painter(s, width, height);
    painter.paintBackdrop();
    painter.paintForeground();
    return painter.image();
}

QImage paintPalmBeach(int width, int height)
{
    Scene s;
    s.seed = 808;
    s.horizon = 0.5;
    s.sky = {{0, hex(0x1E7BC4)}, {0.8, hex(0x8FD0F0)}, {1, hex(0xE2F4FA)}};
    s.haze = hex(0xCFEAF5);
    s.sun = {0.75, 0.15, 0.04, hex(0xFFFBEA), 0.8, 0.12};
    s.clouds = 0.5;
    s.cloudBottom = 0.38;
    s.waterLine = 0.5;
    s.water = hex(0x17A3B8);
    s.waterTint = 0.55;
    s.near = {{0.76, 0.03, 1.3, 0, hex(0xF2E2B8), hex(0xD9BF8A), 0, 109, -1, 0.12}};
    Painter painter(s, width, height);
    painter.paintBackdrop();
    painter.paintForeground();
    QImage image = painter.image();
    drawPalm(image, QPointF(width * 0.16, height * 0.92), height * 0.7, false);
    drawPalm(image, QPointF(width * 0.3, height * 0.97), height * 0.5, true);
    return image;
}

QImage paintCityDusk(int width, int height)
{
    Scene s;
    s.seed = 909;
    s.horizon = 0.66;
    s.sky = {{0, hex(0x1A1440)}, {0.5, hex(0x5A2F7A)}, {0.85, hex(0xD9607A)}, {1, hex(0xF7A86B)}};
    s.haze = hex(0x7A4A8A);
    s.stars = 0.0006;
    s.clouds = 0.4;
    s.cloudLight = hex(0xE08A9A);
    s.cloudShade = hex(0x3A2460);
    s.cloudBottom = 0.4;
    s.waterLine = 0.66;
    s.water = hex(0x1A1838);
    s.waterTint = 0.2;
    Painter painter(s, width, height);
    painter.paintBackdrop();
    drawSkyline(painter.image(), 0.66, 911);
    painter.paintForeground();
    return painter.image();
}

QImage paintAutumnHills(int width, int height)
{
    Scene s;
    s.seed = 1010;
    s.horizon = 0.5;
    s.sky = {{0, hex(0x7F9CC0)}, {1, hex(0xF1DEC4)}};
    s.haze = hex(0xE9D7C0);
    s.sun = {0.6, 0.3, 0.05, hex(0xFFF1CF), 0.5, 0.2};
    s.clouds = 0.45;
    s.cloudBottom = 0.42;
    s.far = {{0.45, 0.06, 2.5, 0.2, hex(0xC49A7A), hex(0xA8805E), 0.5, 113},
             {0.56, 0.07, 3.0, 0.2, hex(0xC8672D), hex(0x9E4A1E), 0.3, 127, -1, 0.35},
             {0.68, 0.08, 2.2, 0.2, hex(0xD98A2B), hex(0x8A3E17), 0.12, 131, -1, 0.4}};
    s.near = {{0.86, 0.07, 1.8, 0.1, hex(0xA8361E), hex(0x4F1A0E), 0, 137, -1, 0.4}};
    Painter painter(s, width, height);
    painter.paintBackdrop();
    painter.paintForeground();
    return painter.image();
}

} // namespace

const std::vector<ScenePhoto>& scenePhotos()
{
    static const std::vector<ScenePhoto> photos = {
        {"menu_pic/0.jpg", 1600, 1200, paintSunsetSea},
        {"menu_pic/1.jpg", 1600, 1200, paintMountainLake},
        {"samples/photos/01.jpg", 1600, 1200, paintFlowerMeadow},
        {"samples/photos/02.jpg", 1600, 1200, paintMoonlitLake},
        {"samples/photos/03.jpg", 1920, 1080, paintDesertDunes},
        {"samples/photos/04.jpg", 1200, 1600, paintBalloonMorning},
        {"samples/photos/05.jpg", 2000, 1000, paintSnowPeaks},
        {"samples/photos/06.jpg", 1600, 1200, paintPalmBeach},
        {"samples/photos/07.jpg", 1920, 1080, paintCityDusk},
        {"samples/photos/08.jpg", 1600, 1200, paintAutumnHills},
    };
    return photos;
}

} // namespace pictavo::resources
