// Builds the triangle strip that the terrain and the vectorscope draw each frame: filled
// shapes, gradients and anti-aliased strokes, all in one strip in painting order, so that a
// whole mode is a single draw call. Vertices carry premultiplied colours; a vertex with alpha
// 0 adds its colour to what lies below (additive light), one with alpha adds the usual "over".
#pragma once

#include "kit/ThemeRules.hpp"

#include <QPointF>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <span>
#include <vector>

namespace ZintraRadio {

// sRGB components in 0...1.
struct StageColour {
    float red = 0;
    float green = 0;
    float blue = 0;
};

// The theme's colours in the precision of vertices.
namespace StageColours {
constexpr StageColour from(RGB rgb) {
    return {static_cast<float>(rgb.red), static_cast<float>(rgb.green), static_cast<float>(rgb.blue)};
}
inline constexpr StageColour night = from(Palette::night);
inline constexpr StageColour cyan = from(Palette::cyan);
inline constexpr StageColour violet = from(Palette::violet);
inline constexpr StageColour magenta = from(Palette::magenta);
inline constexpr StageColour white{1.0f, 1.0f, 1.0f};
// The theme's spectrum ramp: magenta (0) -> violet (0.5) -> cyan (1), clamped.
inline StageColour spectrum(double position) {
    return from(spectrumRGB(position));
}
StageColour mix(StageColour start, StageColour end, float amount);
} // namespace StageColours

// Same layout as QSGGeometry::ColoredPoint2D.
struct StageVertex {
    float x, y;
    std::uint8_t r, g, b, a;
};

enum class Blend { Over, Add };

// A colour with its opacity and the way it is laid on what lies below.
struct Paint {
    StageColour colour;
    float opacity = 1;
    Blend blend = Blend::Over;
    StageVertex at(double x, double y) const;
    Paint faded(float factor) const { return {colour, opacity * factor, blend}; }
};

class StripBuilder {
public:
    void clear() { vertices_.clear(); }
    const std::vector<StageVertex>& vertices() const { return vertices_; }

    // Starts a new piece of the strip: the previous piece and this one are joined by two
    // degenerate triangles that draw nothing.
    void beginPiece(const StageVertex& first);
    void add(const StageVertex& vertex) { vertices_.push_back(vertex); }

    void rectangle(double x, double y, double width, double height, const Paint& paint);
    // A rectangle whose colour runs through `stops` (evenly spaced) from left to right.
    void horizontalGradient(double x, double y, double width, double height, std::span<const Paint> stops);
    // A disc with a soft one-point rim.
    void disc(QPointF centre, double radius, const Paint& paint);
    // Rings from `inner` to `outer` radius through `stops` (evenly spaced); the inside of
    // `inner` is filled with the first stop.
    void radialGradient(QPointF centre, double inner, double outer, std::span<const Paint> stops);
    // An anti-aliased polyline `width` points wide; `paintAt(i)` colours point i.
    template <typename PaintAt>
    void stroke(std::span<const QPointF> points, double width, PaintAt paintAt, bool closed = false);
    void stroke(std::span<const QPointF> points, double width, const Paint& paint, bool closed = false) {
        stroke(
            points, width, [&](std::size_t) { return paint; }, closed);
    }
    // The area between `line` and the horizontal `bottom`, filled with `paint`.
    void fillBelow(std::span<const QPointF> line, double bottom, const Paint& paint);

private:
    void strokeRails(std::span<const QPointF> points, std::span<const QPointF> normals, double width,
                     std::span<const Paint> paints);
    std::vector<StageVertex> vertices_;
    std::vector<QPointF> normals_;
    std::vector<Paint> paints_;
    std::vector<QPointF> closedPoints_;
};

template <typename PaintAt>
void StripBuilder::stroke(std::span<const QPointF> points, double width, PaintAt paintAt, bool closed) {
    if (points.size() < 2)
        return;
    if (closed) {
        closedPoints_.assign(points.begin(), points.end());
        closedPoints_.push_back(points.front());
        points = closedPoints_;
    }
    const std::size_t n = points.size();
    normals_.resize(n);
    paints_.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        // Miter of the two segments at the point, limited so sharp turns stay short.
        const QPointF before = i > 0 ? points[i] - points[i - 1] : points[1] - points[0];
        const QPointF after = i + 1 < n ? points[i + 1] - points[i] : points[n - 1] - points[n - 2];
        auto unitNormal = [](QPointF d) {
            const double length = std::hypot(d.x(), d.y());
            return length > 1e-9 ? QPointF(-d.y() / length, d.x() / length) : QPointF(0, 0);
        };
        QPointF normal = unitNormal(before) + unitNormal(after);
        const double length = std::hypot(normal.x(), normal.y());
        if (length < 1e-6) {
            normal = unitNormal(after.isNull() ? before : after);
        } else {
            normal /= length;
            const QPointF single = unitNormal(after.isNull() ? before : after);
            const double cosine = normal.x() * single.x() + normal.y() * single.y();
            normal /= std::max(cosine, 0.5);
        }
        normals_[i] = normal;
        paints_[i] = paintAt(closed ? i % (n - 1) : i);
    }
    strokeRails(points, normals_, width, paints_);
}

} // namespace ZintraRadio
