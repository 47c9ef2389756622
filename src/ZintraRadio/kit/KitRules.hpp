// The kit's rules for QML: colours, the spectrum ramp, accents, clock texts and the geometry of
// the shared controls. A thin face over the pure functions, which are where the tests go.
#pragma once

#include <QColor>
#include <QObject>
#include <QString>
#include <QVariantMap>
#include <QtQml/qqmlregistration.h>

class QQmlEngine;
class QJSEngine;

namespace ZintraRadio {

class KitRules : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(QColor night READ night CONSTANT)
    Q_PROPERTY(QColor cyan READ cyan CONSTANT)
    Q_PROPERTY(QColor violet READ violet CONSTANT)
    Q_PROPERTY(QColor magenta READ magenta CONSTANT)
    Q_PROPERTY(QColor amber READ amber CONSTANT)
    Q_PROPERTY(QColor mint READ mint CONSTANT)
    Q_PROPERTY(QColor red READ red CONSTANT)

public:
    static KitRules* create(QQmlEngine*, QJSEngine*);

    QColor night() const;
    QColor cyan() const;
    QColor violet() const;
    QColor magenta() const;
    QColor amber() const;
    QColor mint() const;
    QColor red() const;

    Q_INVOKABLE QColor spectrumColor(double position) const;
    Q_INVOKABLE QColor accentColor(const QString& text) const;
    Q_INVOKABLE QString clock(double seconds) const;

    Q_INVOKABLE double sliderValue(double pointerX, double width) const;
    Q_INVOKABLE double sliderKnobCentre(double value, double width) const;
    Q_INVOKABLE double sliderFillWidth(double value, double width) const;
    Q_INVOKABLE double sliderStepped(double value, int steps) const;
    Q_INVOKABLE QString sliderValueText(double value) const;

    Q_INVOKABLE bool marqueeOverflows(double boxWidth, double textWidth) const;
    Q_INVOKABLE double marqueeOffset(double elapsed, double textWidth) const;

    Q_INVOKABLE double equalizerBarHeight(double level) const;
    Q_INVOKABLE double equalizerIdleLevel(double t, int index) const;
    Q_INVOKABLE double loadingBarHeight(double t, int index) const;

    // The spring as one easing: {duration (milliseconds), overshoot}.
    Q_INVOKABLE QVariantMap springEasing(double response, double dampingFraction) const;

    // grow, morph, credit, glow, amp, fade, opacity, scale.
    Q_INVOKABLE QVariantMap bootFrame(double t, bool reducedMotion) const;

    // The detail line of a station given as the state layer's station map.
    Q_INVOKABLE QString stationDetails(const QVariantMap& station) const;

private:
    KitRules() = default;
};

} // namespace ZintraRadio
