#include "kit/BootCurve.hpp"

#include "kit/ControlRules.hpp"
#include "kit/GradientPaint.hpp"
#include "kit/QtColor.hpp"
#include "kit/ThemeRules.hpp"
#include "state/Observable.hpp"

#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace ZintraRadio {

BootCurve::BootCurve(QQuickItem* parent) : QQuickPaintedItem(parent) {
    setAntialiasing(true);
}

void BootCurve::setTime(qreal time) {
    if (!storeProperty(this, time_, time, &BootCurve::timeChanged))
        return;
    update();
}

void BootCurve::setReducedMotion(bool reduced) {
    if (!storeProperty(this, reducedMotion_, reduced, &BootCurve::timeChanged))
        return;
    update();
}

void BootCurve::paint(QPainter* painter) {
    const double w = width();
    const double h = height();
    if (w <= 0 || h <= 0)
        return;
    const BootFrame frame = bootFrame(time_, reducedMotion_);
    const auto points = bootCurve(w, h, time_, frame);
    QPainterPath path;
    path.moveTo(points.front().x, points.front().y);
    for (std::size_t i = 1; i < points.size(); ++i)
        path.lineTo(points[i].x, points[i].y);

    painter->setRenderHint(QPainter::Antialiasing);
    const double cx = w / 2;
    const double cy = h / 2 - 20;
    QLinearGradient spectrum =
        spreadGradient(QRectF(cx - 200, cy - 1, 400, 2), GradientPaint::Horizontal, {});
    auto stroke = [&](const QBrush& brush, double width, double alpha) {
        QPen pen(brush, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        pen.setMiterLimit(10);
        painter->setOpacity(alpha);
        painter->strokePath(path, pen);
    };
    // The halo: wide, faint strokes stand in for a blurred one (cheap at 60 frames a second).
    stroke(spectrum, 22, 0.10);
    stroke(spectrum, 15, 0.16);
    stroke(spectrum, 9, 0.28);
    stroke(spectrum, 2.6, 1);
    stroke(QColor::fromRgbF(1, 1, 1, 0.85f), 0.9, 1);
    painter->setOpacity(1);
    if (frame.glow > 0) {
        const double radius = 59.52;
        QRadialGradient glow(QPointF(cx, cy), radius);
        glow.setColorAt(0, qtColor(Palette::magenta, 0.55 * frame.glow));
        glow.setColorAt(0.5, qtColor(Palette::violet, 0.25 * frame.glow));
        glow.setColorAt(1, Qt::transparent);
        painter->setPen(Qt::NoPen);
        painter->setBrush(glow);
        painter->drawEllipse(QPointF(cx, cy), radius, radius);
    }
}

} // namespace ZintraRadio
