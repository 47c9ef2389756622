// One spectrum analysis shared by every view that draws the live sound: the meters, the
// stage, the playing row's glyph and the mini player all ask for the frame of the display
// frame they draw, and views asking within 0.004 s of each other get the same analysis.
#pragma once

#include "ZazidEvoz/playback/SpectrumAnalyzer.hpp"
#include "state/Scheduler.hpp"

#include <QObject>
#include <memory>

namespace ZintraRadio {

// Main thread only.
class AudioPulse {
public:
    static constexpr double reuseInterval = 0.004;

    explicit AudioPulse(ZazidEvoz::SpectrumAnalyzer& analyzer);

    // The frame to draw at `now`: a new analysis when the last one is more than 0.004 s
    // older, the cached frame otherwise (also for a `now` a little before the last analysis);
    // a clock set back by more than a second analyses anew.
    const ZazidEvoz::AudioFrame& frame(Date now);
    // The last frame without analysing.
    const ZazidEvoz::AudioFrame& cached() const { return cached_; }

private:
    ZazidEvoz::SpectrumAnalyzer& analyzer_;
    ZazidEvoz::AudioFrame cached_;
    Date cachedAt_;
};

// The pulse as QML reads it once per drawn frame: refresh() brings the frame to the current
// date, then the readers fetch single values. Nothing here allocates.
class AudioPulseReader : public QObject {
    Q_OBJECT
    Q_PROPERTY(int bandCount READ bandCount CONSTANT)
    Q_PROPERTY(int waveLength READ waveLength CONSTANT)

public:
    AudioPulseReader(AudioPulse& pulse, std::shared_ptr<Scheduler> scheduler, QObject* parent = nullptr);

    Q_INVOKABLE void refresh();
    Q_INVOKABLE float band(int index) const;
    Q_INVOKABLE float peak(int index) const;
    Q_INVOKABLE float waveLeft(int index) const;
    Q_INVOKABLE float waveRight(int index) const;
    Q_INVOKABLE float levelLeft() const { return frame().levelLeft; }
    Q_INVOKABLE float levelRight() const { return frame().levelRight; }
    Q_INVOKABLE float bass() const { return frame().bass; }
    Q_INVOKABLE float mid() const { return frame().mid; }
    Q_INVOKABLE float treble() const { return frame().treble; }
    Q_INVOKABLE float beat() const { return frame().beat; }
    Q_INVOKABLE float energy() const { return frame().energy; }
    Q_INVOKABLE float brightness() const { return frame().brightness; }
    int bandCount() const { return static_cast<int>(frame().bands.size()); }
    int waveLength() const { return static_cast<int>(frame().waveLeft.size()); }

private:
    const ZazidEvoz::AudioFrame& frame() const { return pulse_.cached(); }

    AudioPulse& pulse_;
    std::shared_ptr<Scheduler> scheduler_;
};

} // namespace ZintraRadio
