// The deck's stereo level meter: two rows of segments, "L" above "R", lit from the left with
// the loudness of each channel and a falling peak marker. The view's frame driver calls tick()
// once per display frame while `moving` holds (playback is active, or the bars still fall);
// each tick reads the shared pulse, advances the hold by the monotonic time since the last
// one (at most 60 a second) and repaints. Main thread only.
#pragma once

#include "deck/LevelMeter.hpp"

#include <QElapsedTimer>
#include <QPointer>
#include <QQuickPaintedItem>
#include <QtQml/qqmlregistration.h>
#include <optional>

namespace ZintraRadio {

class AudioPulseReader;

class LevelMeters : public QQuickPaintedItem {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QObject* pulse READ pulseObject WRITE setPulse NOTIFY pulseChanged)
    // Playback is active: the meter follows the sound even when it is quiet.
    Q_PROPERTY(bool active READ active WRITE setActive NOTIFY activeChanged)
    // Frames are wanted: active, or something still lit that has to fall.
    Q_PROPERTY(bool moving READ moving NOTIFY movingChanged)
    Q_PROPERTY(double levelLeft READ levelLeft NOTIFY levelsChanged)
    Q_PROPERTY(double levelRight READ levelRight NOTIFY levelsChanged)
    Q_PROPERTY(double peakLeft READ peakLeft NOTIFY levelsChanged)
    Q_PROPERTY(double peakRight READ peakRight NOTIFY levelsChanged)

public:
    explicit LevelMeters(QQuickItem* parent = nullptr);

    QObject* pulseObject() const;
    void setPulse(QObject* pulse);
    bool active() const { return active_; }
    void setActive(bool active);
    bool moving() const { return moving_; }
    double levelLeft() const { return hold_ ? hold_->level(0) : 0; }
    double levelRight() const { return hold_ ? hold_->level(1) : 0; }
    double peakLeft() const { return hold_ ? hold_->peak(0) : 0; }
    double peakRight() const { return hold_ ? hold_->peak(1) : 0; }

    // One display frame: reads the pulse and advances the meter.
    Q_INVOKABLE void tick();
    // The same with given raw levels at `now` seconds on the meter's clock (tests).
    void advance(double now, double left, double right);

    void paint(QPainter* painter) override;

Q_SIGNALS:
    void pulseChanged();
    void activeChanged();
    void movingChanged();
    void levelsChanged();

private:
    double now() const;
    void updateMoving();

    QPointer<AudioPulseReader> pulse_;
    bool active_ = false;
    bool moving_ = false;
    QElapsedTimer clock_;
    std::optional<LevelMeterHold> hold_;
    double lastTick_ = -1;
};

} // namespace ZintraRadio
