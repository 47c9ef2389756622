// The vectorscope mode: a stereo goniometer (mono stands upright, one-sided sound leans to
// "L" or "R", out-of-phase sound lies flat), a ring of band spokes around it and a stereo
// correlation bar below. The texts are laid by QML at the places the layout gives.
#pragma once

#include "stage/StageGeometry.hpp"
#include "state/StageFeed.hpp"

#include <QRectF>
#include <QSizeF>

namespace ZintraRadio {

struct VectorscopeLayout {
    QPointF centre;
    double radius = 0;   // R
    double diagonal = 0; // c45 * R
    QPointF leftLabel;   // centre of the "L"
    QPointF rightLabel;  // centre of the "R"
    QRectF bar;          // the correlation bar, 4 points high
};

namespace Vectorscope {
inline constexpr double c45 = 0.70710668;
VectorscopeLayout layout(QSizeF size);
// A (left, right) sample pair on the scope.
QPointF scopePoint(const VectorscopeLayout& layout, double left, double right);
// Angle of band `index` of `count` in the pass `direction` (-1 left half, +1 right half).
double bandAngle(std::size_t index, std::size_t count, int direction, double spin);
// Centre of the correlation marker.
QPointF markerCentre(const VectorscopeLayout& layout, double correlation);
void build(StripBuilder& strip, const StageFeed& feed, QSizeF size);
} // namespace Vectorscope

} // namespace ZintraRadio
