#include "stage/TerrainCanvas.hpp"

#include <cmath>

namespace ZintraRadio {

namespace {

constexpr int starCount = 70;
constexpr int linePoints = 97;
constexpr double stripeStep = 2.0; // vertical sampling of a stripe's round edge, in points

double fract(double x) {
    return x - std::floor(x);
}

StageColour sunGradient(double u) {
    // white, cyan, violet, magenta from the top of the disc to its bottom
    using namespace StageColours;
    u = std::clamp(u, 0.0, 1.0) * 3;
    if (u < 1)
        return mix(white, cyan, static_cast<float>(u));
    if (u < 2)
        return mix(cyan, violet, static_cast<float>(u - 1));
    return mix(violet, magenta, static_cast<float>(u - 2));
}

void drawSun(StripBuilder& strip, const TerrainLayout& layout, double energy) {
    const QPointF centre = layout.sunCentre;
    const double r = layout.sunRadius;
    const Paint glow[] = {{StageColours::violet, static_cast<float>(0.3 + 0.25 * energy)},
                          {StageColours::magenta, 0.08f},
                          {StageColours::magenta, 0.0f}};
    strip.radialGradient(centre, 0.6 * r, layout.glowRadius, glow);

    // Each stripe is its band of rows cut to the disc and to the sky above the horizon. The
    // rectangle's own width (the disc's at the stripe's top) would notch the upper half into
    // steps as tall as the stripes; the disc's outline keeps its solid part round.
    const double top = centre.y() - r;
    for (const QRectF& stripe : Terrain::sunStripes(layout)) {
        const double bottom = std::min({stripe.bottom(), centre.y() + r, layout.horizon});
        if (bottom <= stripe.top())
            continue;
        const int steps = std::max(1, static_cast<int>(std::ceil((bottom - stripe.top()) / stripeStep)));
        for (int i = 0; i <= steps; ++i) {
            const double y = stripe.top() + (bottom - stripe.top()) * i / steps;
            const double dy = y - centre.y();
            // Half the disc's width at this row.
            const double half = std::sqrt(std::max(r * r - dy * dy, 0.0));
            const Paint paint{sunGradient((y - top) / (2 * r))};
            const StageVertex left = paint.at(centre.x() - half, y);
            if (i == 0)
                strip.beginPiece(left);
            else
                strip.add(left);
            strip.add(paint.at(centre.x() + half, y));
        }
    }
}

} // namespace

TerrainLayout Terrain::layout(QSizeF size, double bass) {
    TerrainLayout layout;
    layout.horizon = 0.42 * size.height();
    layout.sunRadius = std::min(size.width(), size.height()) * (0.19 + 0.02 * bass);
    layout.sunCentre = {size.width() / 2, layout.horizon - 0.35 * layout.sunRadius};
    layout.glowRadius = 3 * layout.sunRadius;
    return layout;
}

std::vector<QRectF> Terrain::sunStripes(const TerrainLayout& layout) {
    std::vector<QRectF> stripes;
    const double r = layout.sunRadius;
    const double cx = layout.sunCentre.x(), cy = layout.sunCentre.y();
    if (!(r > 0))
        return stripes;
    for (double y = cy - r; y < cy + r;) {
        const double u = (y - (cy - r)) / (2 * r);
        const double height = std::max(13 - 9 * u, 3.0);
        const double gap = u < 0.42 ? 0 : (u - 0.42) * 14;
        const double half = std::sqrt(r * r - (y - cy) * (y - cy));
        if (std::isfinite(half) && half > 0)
            stripes.emplace_back(cx - half, y, 2 * half, height);
        y += height + gap;
    }
    return stripes;
}

TerrainStar Terrain::star(int index, double time, QSizeF size, double horizon) {
    const double i = index;
    const double a = fract(std::sin(12.9898 * i) * 43758.5453);
    const double b = fract(std::sin(78.233 * i) * 12543.123);
    const double twinkle = std::sin(30 * b + (2 * a + 1) * time);
    return {{size.width() * a, horizon * b * 0.92}, 1.2 * a * (0.4 * twinkle + 0.6) + 1};
}

TerrainRowPlace Terrain::rowPlace(std::size_t index, double phase, QSizeF size, double horizon, double beat) {
    TerrainRowPlace place;
    place.depth = phase + static_cast<double>(index);
    place.z = 1 / ((46 - place.depth) * 0.17 + 1);
    place.q = std::pow(place.z, 0.9);
    place.baseline = horizon + (size.height() - horizon) * place.z * 1.04;
    place.halfWidth = 0.06 * size.width() + 0.95 * size.width() * place.z;
    place.amplitude = 0.36 * size.height() * place.z * (1 + 0.22 * beat);
    return place;
}

void Terrain::rowLine(std::span<const float> row, const TerrainRowPlace& place, double centreX,
                      std::vector<QPointF>& line) {
    line.resize(linePoints);
    const int n = static_cast<int>(row.size());
    auto at = [&](int i) { return row[std::clamp(i, 0, n - 1)]; };
    for (int j = 0; j < linePoints; ++j) {
        const double s = 2.0 * j / (linePoints - 1) - 1;
        double value = 0;
        if (n > 0) {
            const double k = (1 - std::abs(s)) * (n - 1);
            const int i0 = static_cast<int>(k);
            const double f = k - i0;
            const float here = (at(i0 - 1) + 2 * at(i0) + at(i0 + 1)) / 4;
            const float next = (at(i0) + 2 * at(i0 + 1) + at(i0 + 2)) / 4;
            value = here + f * (next - here);
        }
        line[j] = {centreX + place.halfWidth * s,
                   place.baseline - place.amplitude * (0.35 + 0.65 * std::abs(s)) * value};
    }
}

Paint Terrain::rowStroke(const TerrainRowPlace& place) {
    const float opacity = static_cast<float>((0.75 * place.q + 0.25) * std::min(place.depth / 4, 1.0));
    return {StageColours::spectrum(std::min(1.5 * place.q, 1.0)), opacity};
}

double Terrain::rowStrokeWidth(const TerrainRowPlace& place) {
    return 1.5 * place.q + 0.8;
}

void Terrain::build(StripBuilder& strip, const StageFeed& feed, QSizeF size) {
    const double w = size.width(), h = size.height();
    const TerrainLayout sky = layout(size, feed.bass());
    // The night sky is the surface's own clear colour.
    drawSun(strip, sky, feed.energy());

    for (int i = 0; i < starCount; ++i) {
        const TerrainStar s = star(i, feed.time(), size, sky.horizon);
        // A star is a pixel or two across: a square covers it as well as a circle would.
        strip.rectangle(s.topLeft.x(), s.topLeft.y(), s.diameter, s.diameter, {StageColours::white, 0.55f});
    }

    // Farthest (newest) row first; each hides the rows behind it under a dark fill. A fill
    // stops two rows nearer, where the nearer fills have already covered what it would.
    const auto& rows = feed.terrain();
    std::vector<QPointF> line;
    const Paint ground{StageColours::night, 0.94f};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const TerrainRowPlace place = rowPlace(i, feed.terrainPhase(), size, sky.horizon, feed.beat());
        rowLine(rows[i], place, w / 2, line);
        const double bottom =
            i + 2 < rows.size()
                ? rowPlace(i + 2, feed.terrainPhase(), size, sky.horizon, feed.beat()).baseline
                : h + 4;
        strip.fillBelow(line, bottom, ground);
        strip.stroke(line, rowStrokeWidth(place), rowStroke(place));
    }

    const Paint horizon[] = {{StageColours::magenta, 0.0f},
                             {StageColours::magenta, 0.7f},
                             {StageColours::violet, 0.9f},
                             {StageColours::magenta, 0.7f},
                             {StageColours::magenta, 0.0f}};
    strip.horizontalGradient(0, sky.horizon - 0.5, w, 1, horizon);
}

} // namespace ZintraRadio
