// The terrain mode: a striped sun over the horizon, twinkling stars and a perspective ground
// of the feed's band rows scrolling toward the viewer, each row a mirrored spectrum line.
#pragma once

#include "stage/StageGeometry.hpp"
#include "state/StageFeed.hpp"

#include <QRectF>
#include <QSizeF>

namespace ZintraRadio {

struct TerrainLayout {
    double horizon = 0;
    double sunRadius = 0;
    QPointF sunCentre;
    double glowRadius = 0;
};

struct TerrainStar {
    QPointF topLeft;
    double diameter = 0;
};

struct TerrainRowPlace {
    double depth = 0;     // rows from the newest, plus the scroll phase
    double z = 0;         // 0 far ... 1 near
    double q = 0;         // z^0.9: brightness and width
    double baseline = 0;  // y of the line where its bands are 0
    double halfWidth = 0; // half the line's width
    double amplitude = 0; // height of a band at 1
};

namespace Terrain {
TerrainLayout layout(QSizeF size, double bass);
// The sun's stripes top-down, as rectangles before the clip to the disc and the sky.
std::vector<QRectF> sunStripes(const TerrainLayout& layout);
TerrainStar star(int index, double time, QSizeF size, double horizon);
TerrainRowPlace rowPlace(std::size_t index, double phase, QSizeF size, double horizon, double beat);
// The row's 97-point line: bass at both ends, treble in the middle.
void rowLine(std::span<const float> row, const TerrainRowPlace& place, double centreX,
             std::vector<QPointF>& line);
Paint rowStroke(const TerrainRowPlace& place);
double rowStrokeWidth(const TerrainRowPlace& place);
// Builds the whole drawing.
void build(StripBuilder& strip, const StageFeed& feed, QSizeF size);
} // namespace Terrain

} // namespace ZintraRadio
