// Spectrum frames for the stage benchmarks: a lively stereo signal that moves with time.
#pragma once

#include "ZazidEvoz/playback/SpectrumAnalyzer.hpp"

#include <cmath>
#include <numbers>

namespace stagebench {

inline ZazidEvoz::AudioFrame liveFrame(double t) {
    ZazidEvoz::AudioFrame frame = ZazidEvoz::AudioFrame::silent(64, 512);
    for (int i = 0; i < 64; ++i) {
        const double x = i / 63.0;
        frame.bands[i] =
            static_cast<float>(0.7 * std::exp(-x * 4) + 0.2 * (1 + std::sin(i * 0.4 + 3 * t)) / 2);
        frame.peaks[i] = frame.bands[i] + 0.05f;
    }
    for (int i = 0; i < 512; ++i) {
        const double phase = 2 * std::numbers::pi * i / 512;
        frame.waveLeft[i] =
            static_cast<float>(0.5 * std::sin(3 * phase + 5 * t) + 0.2 * std::sin(13 * phase));
        frame.waveRight[i] =
            static_cast<float>(0.45 * std::sin(3 * phase + 0.5 + 5 * t) + 0.2 * std::sin(7 * phase));
    }
    frame.bass = 0.5f;
    frame.mid = 0.3f;
    frame.treble = 0.2f;
    frame.beat = static_cast<float>(0.5 + 0.5 * std::sin(t * 6));
    frame.energy = 0.45f;
    frame.brightness = 0.6f;
    frame.levelLeft = frame.levelRight = 0.5f;
    return frame;
}

} // namespace stagebench
