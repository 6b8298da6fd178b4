#include "clip_art.h"

#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <numbers>

namespace pictavo::resources {

namespace {

// Dark outline colour: near black, but not the black the editor treats as transparent.
const QColor kInk(0x2B, 0x2B, 0x33);

QColor rgb(unsigned value)
{
    return QColor((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
}

// A transparent square with a painter set up on a 100 x 100 design grid.
class Canvas {
public:
    Canvas() : image_(kClipArtSize, kClipArtSize, QImage::Format_ARGB32)
    {
        image_.fill(Qt::transparent);
        painter_.begin(&image_);
        painter_.setRenderHint(QPainter::Antialiasing);
        painter_.scale(kClipArtSize / 100.0, kClipArtSize / 100.0);
        outline(3);
    }

    QPainter& painter() { return painter_; }
    void outline(double width)
    {
        painter_.setPen(QPen(kInk, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    }
    void fill(unsigned colour) { painter_.setBrush(rgb(colour)); }

    QImage finish()
    {
        painter_.end();
        return image_;
    }

private:
    QImage image_;
    QPainter painter_;
};

QPainterPath star(QPointF centre, double outer, double inner, int points)
{
    QPainterPath path;
    for (int i = 0; i < 2 * points; ++i) {
        const double angle = -std::numbers::pi / 2 + i * std::numbers::pi / points;
        const double r = i % 2 == 0 ? outer : inner;
        const QPointF p(centre.x() + r * std::cos(angle), centre.y() + r * std::sin(angle));
        if (i == 0)
            path.moveTo(p);
        else
            path.lineTo(p);
    }
    path.closeSubpath();
    return path;
}

QPainterPath heart(QPointF centre, double size)
{
    QPainterPath path;
    const double x = centre.x();
    const double y = centre.y();
    path.moveTo(x, y + size * 0.8);
    path.cubicTo(x - size * 1.2, y, x - size * 0.7, y - size * 0.9, x, y - size * 0.35);
    path.cubicTo(x + size * 0.7, y - size * 0.9, x + size * 1.2, y, x, y + size * 0.8);
    return path;
}

// ---------------------------------------------------------------------------------------------
// Animal

QImage cat()
{
    Canvas c;
    QPainter& p = c.painter();
    c.fill(0xF2A65A);
    QPolygonF leftEar({{18, 40}, {22, 8}, {44, 26}});
    QPolygonF rightEar({{82, 40}, {78, 8}, {56, 26}});
    p.drawPolygon(leftEar);
    p.drawPolygon(rightEar);
    p.drawEllipse(QRectF(14, 22, 72, 66));
    c.fill(0xF7C9D0);
    p.setPen(Qt::NoPen);
    p.drawPolygon(QPolygonF({{23, 34}, {25, 16}, {38, 27}}));
    p.drawPolygon(QPolygonF({{77, 34}, {75, 16}, {62, 27}}));
    c.fill(0x6BBF59);
    p.drawEllipse(QRectF(30, 44, 12, 14));
    p.drawEllipse(QRectF(58, 44, 12, 14));
    c.fill(0x2B2B33);
    p.drawEllipse(QRectF(34, 46, 4, 10));
    p.drawEllipse(QRectF(62, 46, 4, 10));
    c.fill(0xE0607E);
    p.drawPolygon(QPolygonF({{45, 62}, {55, 62}, {50, 68}}));
    c.outline(2);
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(40, 64, 10, 10), 180 * 16, 180 * 16);
    p.drawArc(QRectF(50, 64, 10, 10), 180 * 16, 180 * 16);
    for (int side : {-1, 1}) {
        for (int k = 0; k < 3; ++k) {
            p.drawLine(QPointF(50 + side * 14, 66 + k * 3), QPointF(50 + side * 38, 60 + k * 6));
        }
    }
    return c.finish();
}

QImage fish()
{
    Canvas c;
    QPainter& p = c.painter();
    c.fill(0x3FA7D6);
    p.drawPolygon(QPolygonF({{70, 50}, {95, 28}, {92, 50}, {95, 72}}));
    QPainterPath body;
    body.moveTo(8, 50);
    body.cubicTo(25, 18, 62, 18, 76, 50);
    body.cubicTo(62, 82, 25, 82, 8, 50);
    c.fill(0xF7B538);
    p.drawPath(body);
    c.fill(0xE8772E);
    p.drawPolygon(QPolygonF({{38, 30}, {52, 18}, {56, 32}}));
    p.setPen(Qt::NoPen);
    c.fill(0xFFFFFF);
    p.drawEllipse(QRectF(18, 40, 14, 14));
    c.fill(0x2B2B33);
    p.drawEllipse(QRectF(22, 44, 7, 7));
    c.outline(2);
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(34, 34, 18, 32), -60 * 16, 120 * 16);
    p.drawArc(QRectF(44, 36, 16, 28), -60 * 16, 120 * 16);
    return c.finish();
}

QImage bird()
{
    Canvas c;
    QPainter& p = c.painter();
    c.fill(0xE63946);
    p.drawEllipse(QRectF(18, 30, 62, 52));
    p.drawEllipse(QRectF(50, 16, 34, 34));
    c.fill(0xF4A261);
    p.drawPolygon(QPolygonF({{82, 30}, {97, 36}, {82, 42}}));
    c.fill(0xB32530);
    QPainterPath wing;
    wing.moveTo(30, 50);
    wing.cubicTo(40, 40, 62, 44, 64, 56);
    wing.cubicTo(54, 70, 36, 68, 30, 50);
    p.drawPath(wing);
    p.drawPolygon(QPolygonF({{20, 52}, {4, 42}, {8, 64}}));
    p.setPen(Qt::NoPen);
    c.fill(0xFFFFFF);
    p.drawEllipse(QRectF(67, 24, 10, 10));
    c.fill(0x2B2B33);
    p.drawEllipse(QRectF(71, 27, 5, 5));
    c.outline(3);
    p.drawLine(QPointF(42, 81), QPointF(40, 94));
    p.drawLine(QPointF(56, 81), QPointF(58, 94));
    return c.finish();
}

// ---------------------------------------------------------------------------------------------
// Dress

QImage hat()
{
    Canvas c;
    QPainter& p = c.painter();
    c.fill(0x3D3B4F);
    p.drawEllipse(QRectF(6, 62, 88, 22));
    QPainterPath crown;
    crown.moveTo(26, 72);
    crown.lineTo(30, 22);
    crown.quadTo(50, 14, 70, 22);
    crown.lineTo(74, 72);
    crown.quadTo(50, 80, 26, 72);
    p.drawPath(crown);
    c.fill(0xC0392B);
    QPainterPath band;
    band.moveTo(28, 56);
    band.quadTo(50, 62, 72, 56);
    band.lineTo(73, 66);
    band.quadTo(50, 72, 27, 66);
    band.closeSubpath();
    p.drawPath(band);
    return c.finish();
}

QImage bowTie()
{
    Canvas c;
    QPainter& p = c.painter();
    c.fill(0x8E44AD);
    QPainterPath left;
    left.moveTo(44, 44);
    left.quadTo(20, 20, 8, 30);
    left.quadTo(2, 50, 8, 70);
    left.quadTo(20, 80, 44, 56);
    left.closeSubpath();
    QPainterPath right;
    right.moveTo(56, 44);
    right.quadTo(80, 20, 92, 30);
    right.quadTo(98, 50, 92, 70);
    right.quadTo(80, 80, 56, 56);
    right.closeSubpath();
    p.drawPath(left);
    p.drawPath(right);
    c.fill(0x6C3483);
    p.drawRoundedRect(QRectF(40, 38, 20, 24), 5, 5);
    p.setPen(Qt::NoPen);
    c.fill(0xF5D6FF);
    for (QPointF dot : {QPointF(20, 40), QPointF(26, 58), QPointF(80, 40), QPointF(74, 58)})
        p.drawEllipse(dot, 3, 3);
    return c.finish();
}

QImage glasses()
{
    Canvas c;
    QPainter& p = c.painter();
    p.setBrush(QColor(120, 190, 230, 120));
    c.outline(5);
    p.drawRoundedRect(QRectF(8, 34, 36, 30), 10, 10);
    p.drawRoundedRect(QRectF(56, 34, 36, 30), 10, 10);
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(42, 36, 16, 14), 20 * 16, 140 * 16);
    p.drawLine(QPointF(8, 42), QPointF(2, 36));
    p.drawLine(QPointF(92, 42), QPointF(98, 36));
    c.outline(3);
    p.setPen(QPen(QColor(255, 255, 255, 200), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(16, 44), QPointF(24, 40));
    p.drawLine(QPointF(64, 44), QPointF(72, 40));
    return c.finish();
}

// ---------------------------------------------------------------------------------------------
// Face

void faceDisc(Canvas& c)
{
    QRadialGradient shade(QPointF(40, 36), 60);
    shade.setColorAt(0, rgb(0xFFE66D));
    shade.setColorAt(1, rgb(0xF4B400));
    c.painter().setBrush(shade);
    c.painter().drawEllipse(QRectF(6, 6, 88, 88));
}

QImage smiley()
{
    Canvas c;
    QPainter& p = c.painter();
    faceDisc(c);
    c.fill(0x2B2B33);
    p.drawEllipse(QRectF(32, 30, 10, 16));
    p.drawEllipse(QRectF(58, 30, 10, 16));
    c.outline(5);
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(26, 34, 48, 40), 200 * 16, 140 * 16);
    return c.finish();
}

QImage heartEyes()
{
    Canvas c;
    QPainter& p = c.painter();
    faceDisc(c);
    c.fill(0xE53945);
    c.outline(2);
    p.drawPath(heart(QPointF(35, 38), 13));
    p.drawPath(heart(QPointF(65, 38), 13));
    c.fill(0x8C2F39);
    c.outline(3);
    QPainterPath mouth;
    mouth.moveTo(30, 60);
    mouth.quadTo(50, 64, 70, 60);
    mouth.quadTo(50, 88, 30, 60);
    p.drawPath(mouth);
    return c.finish();
}

QImage moustache()
{
    Canvas c;
    QPainter& p = c.painter();
    c.fill(0x5D3A1A);
    QPainterPath path;
    path.moveTo(50, 44);
    path.cubicTo(60, 32, 76, 36, 82, 48);
    path.cubicTo(88, 56, 96, 52, 96, 42);
    path.cubicTo(100, 62, 80, 70, 64, 62);
    path.cubicTo(58, 60, 54, 58, 50, 56);
    path.cubicTo(46, 58, 42, 60, 36, 62);
    path.cubicTo(20, 70, 0, 62, 4, 42);
    path.cubicTo(4, 52, 12, 56, 18, 48);
    path.cubicTo(24, 36, 40, 32, 50, 44);
    path.closeSubpath();
    p.drawPath(path);
    return c.finish();
}

// ---------------------------------------------------------------------------------------------
// Mark

QImage starMark()
{
    Canvas c;
    QRadialGradient shine(QPointF(45, 40), 55);
    shine.setColorAt(0, rgb(0xFFF3B0));
    shine.setColorAt(1, rgb(0xF5B700));
    c.painter().setBrush(shine);
    c.painter().drawPath(star(QPointF(50, 53), 46, 19, 5));
    return c.finish();
}

QImage arrow()
{
    Canvas c;
    c.fill(0x2E86DE);
    c.painter().drawPolygon(
        QPolygonF({{6, 38}, {56, 38}, {56, 16}, {96, 50}, {56, 84}, {56, 62}, {6, 62}}));
    return c.finish();
}

QImage checkMark()
{
    Canvas c;
    QPainter& p = c.painter();
    c.fill(0x27AE60);
    p.drawEllipse(QRectF(6, 6, 88, 88));
    p.setPen(QPen(rgb(0xFFFFFF), 11, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF({{28, 52}, {44, 68}, {74, 34}}));
    return c.finish();
}

// ---------------------------------------------------------------------------------------------
// Other

QImage balloon()
{
    Canvas c;
    QPainter& p = c.painter();
    p.setBrush(Qt::NoBrush);
    c.outline(2);
    QPainterPath string;
    string.moveTo(50, 76);
    string.cubicTo(40, 84, 60, 90, 48, 99);
    p.drawPath(string);
    QRadialGradient shade(QPointF(40, 28), 50);
    shade.setColorAt(0, rgb(0xFF8FA3));
    shade.setColorAt(1, rgb(0xD62246));
    p.setBrush(shade);
    c.outline(3);
    p.drawEllipse(QRectF(20, 4, 60, 70));
    c.fill(0xD62246);
    p.drawPolygon(QPolygonF({{50, 73}, {44, 80}, {56, 80}}));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 170));
    p.drawEllipse(QRectF(32, 16, 10, 16));
    return c.finish();
}

QImage sun()
{
    Canvas c;
    QPainter& p = c.painter();
    c.fill(0xF9A825);
    c.outline(2);
    for (int i = 0; i < 12; ++i) {
        const double a = i * std::numbers::pi / 6;
        const double b = a + 0.16;
        const double d = a - 0.16;
        p.drawPolygon(QPolygonF({{50 + 30 * std::cos(b), 50 + 30 * std::sin(b)},
                                 {50 + 47 * std::cos(a), 50 + 47 * std::sin(a)},
                                 {50 + 30 * std::cos(d), 50 + 30 * std::sin(d)}}));
    }
    QRadialGradient shade(QPointF(44, 42), 40);
    shade.setColorAt(0, rgb(0xFFF59D));
    shade.setColorAt(1, rgb(0xFFC107));
    p.setBrush(shade);
    c.outline(3);
    p.drawEllipse(QPointF(50, 50), 30, 30);
    return c.finish();
}

QImage flower()
{
    Canvas c;
    QPainter& p = c.painter();
    c.outline(4);
    p.setPen(QPen(rgb(0x2E7D32), 5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(50, 56), QPointF(50, 98));
    c.fill(0x43A047);
    c.outline(2);
    QPainterPath leaf;
    leaf.moveTo(50, 84);
    leaf.quadTo(66, 66, 82, 72);
    leaf.quadTo(70, 88, 50, 84);
    p.drawPath(leaf);
    c.fill(0xEC407A);
    for (int i = 0; i < 6; ++i) {
        p.save();
        p.translate(50, 38);
        p.rotate(i * 60);
        p.drawEllipse(QRectF(-9, -34, 18, 28));
        p.restore();
    }
    c.fill(0xFFD54F);
    p.drawEllipse(QPointF(50, 38), 10, 10);
    return c.finish();
}

} // namespace

const std::vector<ClipArt>& clipArts()
{
    static const std::vector<ClipArt> pictures = {
        {"Animal", "cat.png", cat},           {"Animal", "fish.png", fish},
        {"Animal", "bird.png", bird},         {"Dress", "hat.png", hat},
        {"Dress", "bowtie.png", bowTie},      {"Dress", "glasses.png", glasses},
        {"Face", "smiley.png", smiley},       {"Face", "hearteyes.png", heartEyes},
        {"Face", "moustache.png", moustache}, {"Mark", "star.png", starMark},
        {"Mark", "arrow.png", arrow},         {"Mark", "check.png", checkMark},
        {"Other", "balloon.png", balloon},    {"Other", "sun.png", sun},
        {"Other", "flower.png", flower},
    };
    return pictures;
}

QImage paintPlaceholder()
{
    QImage image(kPlaceholderWidth, kPlaceholderHeight, QImage::Format_RGB32);
    image.fill(rgb(0x9A9A9A));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(kPlaceholderWidth / 2.0, kPlaceholderHeight / 2.0);
    const QRectF frame(-70, -52, 140, 104);
    p.setPen(QPen(rgb(0xE6E6E6), 6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(rgb(0xB4B4B4));
    p.drawRoundedRect(frame, 8, 8);
    p.setClipRect(frame.adjusted(3, 3, -3, -3));
    p.setPen(Qt::NoPen);
    p.setBrush(rgb(0xDADADA));
    p.drawEllipse(QPointF(36, -22), 13, 13);
    p.setBrush(rgb(0xE6E6E6));
    p.drawPolygon(QPolygonF({{-72, 52}, {-28, -6}, {4, 34}, {26, 12}, {72, 52}}));
    return image;
}

} // namespace pictavo::resources
