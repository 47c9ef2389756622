#include "state/AudioPulse.hpp"

#include <chrono>
#include <vector>

namespace ZintraRadio {

namespace {

float at(const std::vector<float>& values, int index) {
    return index >= 0 && static_cast<std::size_t>(index) < values.size()
               ? values[static_cast<std::size_t>(index)]
               : 0.0f;
}

} // namespace

AudioPulse::AudioPulse(ZazidEvoz::SpectrumAnalyzer& analyzer)
    : analyzer_(analyzer),
      cached_(ZazidEvoz::AudioFrame::silent(ZazidEvoz::SpectrumAnalyzer::defaultBandCount,
                                            ZazidEvoz::SpectrumAnalyzer::waveformLength)),
      // The distant past: the first request always analyses.
      cachedAt_(Date::min()) {}

const ZazidEvoz::AudioFrame& AudioPulse::frame(Date now) {
    // Compared as "now is past the cached moment plus the interval", which stays exact for
    // the distant past where a difference would overflow. Readers of one display frame may
    // ask a moment apart in either order; a clock set back by more than a second makes the
    // cached frame stale too, or every reader would see the same frame until the clock caught up.
    const bool setBack = now + std::chrono::seconds(1) < cachedAt_;
    if (now > cachedAt_ + std::chrono::duration<double>(reuseInterval) || setBack) {
        cached_ = analyzer_.analyze();
        cachedAt_ = now;
    }
    return cached_;
}

AudioPulseReader::AudioPulseReader(AudioPulse& pulse, std::shared_ptr<Scheduler> scheduler, QObject* parent)
    : QObject(parent), pulse_(pulse), scheduler_(scheduler ? std::move(scheduler) : Scheduler::system()) {}

void AudioPulseReader::refresh() {
    pulse_.frame(scheduler_->date());
}

float AudioPulseReader::band(int index) const {
    return at(frame().bands, index);
}

float AudioPulseReader::peak(int index) const {
    return at(frame().peaks, index);
}

float AudioPulseReader::waveLeft(int index) const {
    return at(frame().waveLeft, index);
}

float AudioPulseReader::waveRight(int index) const {
    return at(frame().waveRight, index);
}

} // namespace ZintraRadio
