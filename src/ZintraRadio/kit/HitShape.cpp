#include "kit/HitShape.hpp"

#include <algorithm>

namespace ZintraRadio {

bool HitShape::contains(const QPointF& point) const {
    if (point.x() < 0 || point.y() < 0 || point.x() > width_ || point.y() > height_)
        return false;
    const qreal radius = std::clamp<qreal>(cornerRadius_, 0, std::min(width_, height_) / 2);
    // The nearest point of the inner rectangle (the shape shrunk by the radius).
    const qreal x = std::clamp(point.x(), radius, width_ - radius);
    const qreal y = std::clamp(point.y(), radius, height_ - radius);
    const qreal dx = point.x() - x;
    const qreal dy = point.y() - y;
    return dx * dx + dy * dy <= radius * radius;
}

} // namespace ZintraRadio
