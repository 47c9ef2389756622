// The clickable outline of round controls: a rounded rectangle (a circle or a capsule at its
// largest radius). Set as an item's containmentMask, clicks in the transparent corners miss.
#pragma once

#include <QObject>
#include <QPointF>
#include <QtQml/qqmlregistration.h>

namespace ZintraRadio {

class HitShape : public QObject {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(qreal width MEMBER width_ NOTIFY shapeChanged)
    Q_PROPERTY(qreal height MEMBER height_ NOTIFY shapeChanged)
    // Clamped to half the shorter side.
    Q_PROPERTY(qreal cornerRadius MEMBER cornerRadius_ NOTIFY shapeChanged)

public:
    using QObject::QObject;
    Q_INVOKABLE bool contains(const QPointF& point) const;

Q_SIGNALS:
    void shapeChanged();

private:
    qreal width_ = 0;
    qreal height_ = 0;
    qreal cornerRadius_ = 0;
};

} // namespace ZintraRadio
