#include "stage/StageGeometry.hpp"

#include <numbers>

namespace ZintraRadio {

namespace {

constexpr double feather = 0.75; // soft edge on each side of a stroke or disc, in points
constexpr int discSegments = 24;

std::uint8_t byte(float value) {
    return static_cast<std::uint8_t>(std::lround(std::clamp(value, 0.0f, 1.0f) * 255.0f));
}

} // namespace

StageColour StageColours::mix(StageColour start, StageColour end, float amount) {
    return {start.red + (end.red - start.red) * amount, start.green + (end.green - start.green) * amount,
            start.blue + (end.blue - start.blue) * amount};
}

StageVertex Paint::at(double x, double y) const {
    const float alpha = std::clamp(opacity, 0.0f, 1.0f);
    return {static_cast<float>(x),     static_cast<float>(y),
            byte(colour.red * alpha),  byte(colour.green * alpha),
            byte(colour.blue * alpha), blend == Blend::Over ? byte(alpha) : std::uint8_t(0)};
}

void StripBuilder::beginPiece(const StageVertex& first) {
    if (!vertices_.empty()) {
        vertices_.push_back(vertices_.back());
        vertices_.push_back(first);
        // Keep every piece starting on an even vertex so its triangles face the same way.
        if (vertices_.size() % 2 == 1)
            vertices_.push_back(first);
    }
    vertices_.push_back(first);
}

void StripBuilder::rectangle(double x, double y, double width, double height, const Paint& paint) {
    beginPiece(paint.at(x, y));
    add(paint.at(x, y + height));
    add(paint.at(x + width, y));
    add(paint.at(x + width, y + height));
}

void StripBuilder::horizontalGradient(double x, double y, double width, double height,
                                      std::span<const Paint> stops) {
    if (stops.empty())
        return;
    const std::size_t last = stops.size() - 1;
    for (std::size_t i = 0; i <= last; ++i) {
        const double stopX = x + (last == 0 ? 0 : width * static_cast<double>(i) / last);
        if (i == 0)
            beginPiece(stops[i].at(stopX, y));
        else
            add(stops[i].at(stopX, y));
        add(stops[i].at(stopX, y + height));
    }
}

void StripBuilder::disc(QPointF centre, double radius, const Paint& paint) {
    if (!(radius > 0))
        return;
    const Paint clear = paint.faded(0);
    const double inner = std::max(radius - feather / 2, 0.0);
    const double outer = radius + feather / 2;
    for (int ring = 0; ring < 2; ++ring) {
        for (int i = 0; i <= discSegments; ++i) {
            const double angle = 2 * std::numbers::pi * i / discSegments;
            const double c = std::cos(angle), s = std::sin(angle);
            const StageVertex near = ring == 0 ? paint.at(centre.x(), centre.y())
                                               : paint.at(centre.x() + inner * c, centre.y() + inner * s);
            const StageVertex far = ring == 0 ? paint.at(centre.x() + inner * c, centre.y() + inner * s)
                                              : clear.at(centre.x() + outer * c, centre.y() + outer * s);
            if (i == 0)
                beginPiece(near);
            else
                add(near);
            add(far);
        }
    }
}

void StripBuilder::radialGradient(QPointF centre, double inner, double outer, std::span<const Paint> stops) {
    if (stops.empty() || !(outer > 0))
        return;
    constexpr int segments = 64;
    auto ring = [&](double from, double to, const Paint& fromPaint, const Paint& toPaint) {
        for (int i = 0; i <= segments; ++i) {
            const double angle = 2 * std::numbers::pi * i / segments;
            const double c = std::cos(angle), s = std::sin(angle);
            const StageVertex a = fromPaint.at(centre.x() + from * c, centre.y() + from * s);
            if (i == 0)
                beginPiece(a);
            else
                add(a);
            add(toPaint.at(centre.x() + to * c, centre.y() + to * s));
        }
    };
    ring(0, inner, stops[0], stops[0]);
    const std::size_t last = stops.size() - 1;
    for (std::size_t i = 0; i < last; ++i) {
        const double from = inner + (outer - inner) * static_cast<double>(i) / last;
        const double to = inner + (outer - inner) * static_cast<double>(i + 1) / last;
        ring(from, to, stops[i], stops[i + 1]);
    }
}

void StripBuilder::strokeRails(std::span<const QPointF> points, std::span<const QPointF> normals,
                               double width, std::span<const Paint> paints) {
    // A tent across the line: full colour on its centre, clear on both edges, which are half
    // a point beyond the stroke's own width. Two triangles a side per segment keep the strip
    // light (a software rasteriser pays per triangle); thinner than a point, the opacity stands
    // for the coverage.
    const double reach = std::max(width, 1.0) / 2 + 0.5;
    // The tent holds as much colour as a solid stroke of the width: its peak is raised to match.
    const float coverage = static_cast<float>(std::clamp(width, 0.0, 1.0) * std::max(width, 1.0) / reach);
    for (int side : {-1, 1}) {
        for (std::size_t i = 0; i < points.size(); ++i) {
            const Paint paint = paints[i].faded(coverage);
            const QPointF edge = points[i] + normals[i] * (side * reach);
            const StageVertex centre = paint.at(points[i].x(), points[i].y());
            if (i == 0)
                beginPiece(centre);
            else
                add(centre);
            add(paint.faded(0).at(edge.x(), edge.y()));
        }
    }
}

void StripBuilder::fillBelow(std::span<const QPointF> line, double bottom, const Paint& paint) {
    for (std::size_t i = 0; i < line.size(); ++i) {
        const StageVertex top = paint.at(line[i].x(), line[i].y());
        if (i == 0)
            beginPiece(top);
        else
            add(top);
        add(paint.at(line[i].x(), std::max(bottom, line[i].y())));
    }
}

} // namespace ZintraRadio
