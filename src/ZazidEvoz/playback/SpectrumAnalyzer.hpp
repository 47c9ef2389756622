// Turns the most recently played frames into spectrum bands, peaks, waves and levels for
// the meters and the visualizer. Runs on one thread only (the main thread); it shares
// nothing but the scope buffer with the output.
#pragma once

#include "ScopeBuffer.hpp"

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace ZazidEvoz {

struct AudioFrame {
    std::vector<float> bands;    // smoothed band levels, 0...1
    std::vector<float> peaks;    // falling peak markers, never below the band
    std::vector<float> waveLeft; // 512 samples, -1...1
    std::vector<float> waveRight;
    float levelLeft = 0;
    float levelRight = 0;
    float bass = 0;
    float mid = 0;
    float treble = 0;
    float beat = 0;
    float energy = 0;
    float brightness = 0;

    static AudioFrame silent(std::size_t bands, std::size_t wave);
};

class SpectrumAnalyzer {
public:
    using Clock = std::chrono::steady_clock;
    using Now = std::function<Clock::time_point()>;

    static constexpr std::size_t defaultBandCount = 64;
    static constexpr std::size_t waveformLength = 512;
    static constexpr std::size_t fftSize = 2048;
    static constexpr float minFrequency = 32.0f;
    static constexpr float maxFrequency = 16000.0f;

    // `now` is the clock for the smoothing time steps (tests step it by hand).
    SpectrumAnalyzer(ScopeBuffer& scope, float sampleRate = 48000.0f,
                     std::size_t bandCount = defaultBandCount, Now now = {});
    ~SpectrumAnalyzer();
    SpectrumAnalyzer(const SpectrumAnalyzer&) = delete;
    SpectrumAnalyzer& operator=(const SpectrumAnalyzer&) = delete;

    AudioFrame analyze();
    // Restarts the smoothing and empties the scope buffer. Only the engine calls it, so the
    // scope belongs to the engine that owns this analyser.
    void reset();

    float centerFrequency(std::size_t band) const;
    float sampleRate() const { return sampleRate_; }
    std::size_t bandCount() const { return bandCount_; }
    // Per band, the FFT bins [low, high).
    const std::vector<std::pair<int, int>>& bandEdges() const { return bandEdges_; }

private:
    Clock::time_point currentTime() const { return now_ ? now_() : Clock::now(); }

    ScopeBuffer& scope_;
    float sampleRate_;
    std::size_t bandCount_;
    Now now_;

    struct Plan; // the FFTW plan and its aligned buffers
    std::unique_ptr<Plan> plan_;
    std::vector<float> window_;
    std::vector<float> left_, right_;
    std::vector<float> magnitudes_;
    std::vector<std::pair<int, int>> bandEdges_;
    std::vector<float> smoothed_, peakValues_, peakVelocity_;
    std::vector<float> raw_;
    float bassAverage_ = 0;
    float beatValue_ = 0;
    Clock::time_point lastBeat_;
    bool hadBeat_ = false; // lastBeat_ is "the distant past" until the first beat
    float energyValue_ = 0;
    Clock::time_point lastTime_;
    float gainReference_ = 0.02f;
};

} // namespace ZazidEvoz
