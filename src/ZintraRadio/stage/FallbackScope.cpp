#include "stage/FallbackScope.hpp"

#include "stage/StageGeometry.hpp"
#include "state/Observable.hpp"

#include <QPainter>

namespace ZintraRadio {

namespace {

QColor colour(StageColour c) {
    return QColor::fromRgbF(c.red, c.green, c.blue);
}

} // namespace

QPainterPath Fallback::wavePath(std::span<const float> wave, QSizeF size) {
    QPainterPath path;
    const std::size_t n = wave.size();
    for (std::size_t i = 0; i < n; ++i) {
        const double x = n > 1 ? size.width() * static_cast<double>(i) / (n - 1) : 0;
        const QPointF point(x, size.height() / 2 - 0.3 * size.height() * wave[i]);
        if (i == 0)
            path.moveTo(point);
        else
            path.lineTo(point);
    }
    return path;
}

FallbackScope::FallbackScope(QQuickItem* parent) : QQuickPaintedItem(parent) {
    setAntialiasing(true);
    setOpaquePainting(true);
}

void FallbackScope::setFeed(QObject* feed) {
    auto* stageFeed = qobject_cast<StageFeed*>(feed);
    if (!storeProperty(this, feed_, stageFeed, &FallbackScope::feedChanged))
        return;
    update();
}

void FallbackScope::setFrame(int frame) {
    if (!storeProperty(this, frame_, frame, &FallbackScope::frameChanged))
        return;
    update();
}

void FallbackScope::paint(QPainter* painter) {
    const QSizeF area = size();
    painter->fillRect(QRectF(QPointF(0, 0), area), colour(StageColours::night));
    if (!feed_)
        return;
    painter->setRenderHint(QPainter::Antialiasing);
    const std::pair<const std::vector<float>*, StageColour> channels[] = {
        {&feed_->waveLeft(), StageColours::cyan}, {&feed_->waveRight(), StageColours::magenta}};
    for (const auto& [wave, tint] : channels) {
        painter->strokePath(Fallback::wavePath(*wave, area), QPen(colour(tint), 1.6));
    }
}

} // namespace ZintraRadio
