// The vectorscope mode: a stereo goniometer (mono stands upright, one-sided sound leans to
// "L" or "R", out-of-phase sound lies flat), a ring of band spokes around it and a stereo
// correlation bar below. The texts are laid by QML at the places this item publishes.
#pragma once

#include "stage/StageGeometry.hpp"
#include "stage/StageLayer.hpp"

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

class VectorscopeCanvas : public StageLayer {
    Q_OBJECT
    Q_PROPERTY(QPointF leftLabel READ leftLabel NOTIFY layoutChanged)
    Q_PROPERTY(QPointF rightLabel READ rightLabel NOTIFY layoutChanged)
    Q_PROPERTY(QRectF bar READ bar NOTIFY layoutChanged)
    QML_ELEMENT

public:
    explicit VectorscopeCanvas(QQuickItem* parent = nullptr);

    QPointF leftLabel() const { return layout_.leftLabel; }
    QPointF rightLabel() const { return layout_.rightLabel; }
    QRectF bar() const { return layout_.bar; }

Q_SIGNALS:
    void layoutChanged();

protected:
    QSGNode* updatePaintNode(QSGNode* old, UpdatePaintNodeData*) override;
    void geometryChange(const QRectF& newGeometry, const QRectF& oldGeometry) override;

private:
    VectorscopeLayout layout_;
    StripBuilder strip_;
};

} // namespace ZintraRadio
