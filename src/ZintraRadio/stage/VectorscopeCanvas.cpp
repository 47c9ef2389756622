#include "stage/VectorscopeCanvas.hpp"

#include <cmath>
#include <numbers>

namespace ZintraRadio {

namespace {

constexpr int circleSegments = 96;

void circle(std::vector<QPointF>& points, QPointF centre, double radius) {
    points.clear();
    for (int i = 0; i < circleSegments; ++i) {
        const double angle = 2 * std::numbers::pi * i / circleSegments;
        points.emplace_back(centre.x() + radius * std::cos(angle), centre.y() + radius * std::sin(angle));
    }
}

// The design gradient runs cyan, violet, magenta: the ramp read backwards.
StageColour spectrumGradient(double position) {
    return StageColours::spectrum(1 - std::clamp(position, 0.0, 1.0));
}

} // namespace

VectorscopeLayout Vectorscope::layout(QSizeF size) {
    VectorscopeLayout layout;
    const double w = size.width(), h = size.height();
    layout.centre = {w / 2, 0.47 * h};
    layout.radius = 0.36 * std::min(0.86 * h, w);
    layout.diagonal = c45 * layout.radius;
    const double d = layout.diagonal;
    layout.leftLabel = {layout.centre.x() - d - 14, layout.centre.y() - d - 14};
    layout.rightLabel = {layout.centre.x() + d + 14, layout.centre.y() - d - 14};
    const double barWidth = std::min(layout.centre.x(), 360.0);
    const double barTop = std::min(h - 92, layout.centre.y() + 1.48 * layout.radius);
    layout.bar = {layout.centre.x() - barWidth / 2, barTop, barWidth, 4};
    return layout;
}

QPointF Vectorscope::scopePoint(const VectorscopeLayout& layout, double left, double right) {
    const double r = layout.radius;
    return {layout.centre.x() + 1.9 * r * c45 * (right - left),
            layout.centre.y() - 1.25 * r * c45 * (left + right)};
}

double Vectorscope::bandAngle(std::size_t index, std::size_t count, int direction, double spin) {
    return 0.05 * spin + direction * std::numbers::pi * (static_cast<double>(index) + 0.5) / count -
           std::numbers::pi / 2;
}

QPointF Vectorscope::markerCentre(const VectorscopeLayout& layout, double correlation) {
    const QRectF& bar = layout.bar;
    return {bar.x() + bar.width() * (correlation + 1) / 2, bar.y() + 2};
}

void Vectorscope::build(StripBuilder& strip, const StageFeed& feed, QSizeF size) {
    const VectorscopeLayout scope = layout(size);
    const QPointF c = scope.centre;
    const double r = scope.radius, d = scope.diagonal;
    // The night ground is the surface's own clear colour.

    const Paint glow[] = {{StageColours::violet, 0.2f + 0.2f * feed.energy()}, {StageColours::violet, 0.0f}};
    strip.radialGradient(c, 0, 2 * r, glow);

    const Paint graticule{StageColours::cyan, 0.13f + 0.06f * feed.beat()};
    std::vector<QPointF> points;
    for (double fraction : {0.25, 0.5, 0.75, 1.0}) {
        circle(points, c, r * fraction);
        strip.stroke(points, 1, graticule, true);
    }
    const QPointF lines[4][2] = {{{c.x() - d, c.y() - d}, {c.x() + d, c.y() + d}},
                                 {{c.x() - d, c.y() + d}, {c.x() + d, c.y() - d}},
                                 {{c.x(), c.y() - r}, {c.x(), c.y() + r}},
                                 {{c.x() - r, c.y()}, {c.x() + r, c.y()}}};
    for (const auto& line : lines)
        strip.stroke(line, 1, graticule);

    const auto& bands = feed.bands();
    const std::size_t n = bands.size();
    for (int direction : {-1, 1}) {
        for (std::size_t i = 0; i < n; ++i) {
            const double v = bands[i];
            const double angle = bandAngle(i, n, direction, feed.spin());
            const double outer = 1.1 * r + 4 + 0.3 * r * v;
            const QPointF spoke[2] = {{c.x() + 1.1 * r * std::cos(angle), c.y() + 1.1 * r * std::sin(angle)},
                                      {c.x() + outer * std::cos(angle), c.y() + outer * std::sin(angle)}};
            const Paint paint{StageColours::spectrum(n > 1 ? double(i) / (n - 1) : 0.0),
                              static_cast<float>(0.65 * v + 0.35)};
            strip.stroke(spoke, 2.2, paint);
        }
    }

    // Trails, oldest first, in additive light.
    const auto& frames = feed.scopeFrames();
    const QPointF from(c.x() - r, c.y() + r), to(c.x() + r, c.y() - r);
    const QPointF axis = to - from;
    const double axisLength2 = QPointF::dotProduct(axis, axis);
    for (std::size_t k = frames.size(); k-- > 0;) {
        points.clear();
        for (const auto& sample : frames[k])
            points.push_back(scopePoint(scope, sample.x, sample.y));
        if (k >= 1) {
            const Paint paint{k == 1 ? StageColours::violet : StageColours::magenta, 0.16f / k, Blend::Add};
            strip.stroke(points, 1, paint);
            continue;
        }
        auto along = [&](float opacity) {
            return [&, opacity](std::size_t i) {
                const double t = QPointF::dotProduct(points[i] - from, axis) / axisLength2;
                return Paint{spectrumGradient(t), opacity, Blend::Add};
            };
        };
        strip.stroke(points, 6, along(0.07f));
        strip.stroke(points, 1.5, along(0.34f));
        strip.stroke(points, 0.5, Paint{StageColours::white, 0.42f, Blend::Add});
    }

    const QRectF& bar = scope.bar;
    const Paint barStops[] = {
        {StageColours::magenta, 0.5f}, {StageColours::violet, 0.35f}, {StageColours::cyan, 0.5f}};
    strip.horizontalGradient(bar.x(), bar.y(), bar.width(), bar.height(), barStops);
    strip.disc(markerCentre(scope, feed.correlation()), 5, {StageColours::white});
}

} // namespace ZintraRadio
