// The boot splash's glowing curve: a wave that grows, curls into a ring and settles. Painted
// per frame for the splash's short life from the pure curve of ControlRules.
#pragma once

#include <QQuickPaintedItem>
#include <QtQml/qqmlregistration.h>

namespace ZintraRadio {

class BootCurve : public QQuickPaintedItem {
    Q_OBJECT
    QML_ELEMENT
    // Seconds since the splash began.
    Q_PROPERTY(qreal time READ time WRITE setTime NOTIFY timeChanged)
    Q_PROPERTY(bool reducedMotion READ reducedMotion WRITE setReducedMotion NOTIFY timeChanged)

public:
    explicit BootCurve(QQuickItem* parent = nullptr);
    void paint(QPainter* painter) override;

    qreal time() const { return time_; }
    void setTime(qreal time);
    bool reducedMotion() const { return reducedMotion_; }
    void setReducedMotion(bool reduced);

Q_SIGNALS:
    void timeChanged();

private:
    qreal time_ = 0;
    bool reducedMotion_ = false;
};

} // namespace ZintraRadio
