#include "stage/StageFeed.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace ZintraRadio {

namespace {

constexpr double rateGate = 0.002;    // frames closer than this are ignored whole
constexpr float longestStep = 0.1f;   // after any gap the state moves by one short step only
constexpr float largestSample = 8.0f; // keeps the correlation sums and scope points finite
constexpr std::size_t usualWaveLength = 512;

double seconds(StageFeed::Clock::duration duration) {
    return std::chrono::duration<double>(duration).count();
}

// Blends `value` toward `target` so that 99.9 % of a step is covered in `tau` seconds.
void blend(float& value, float target, float dt, float tau) {
    value += (target - value) * (1.0f - std::pow(0.001f, dt / tau));
}

// A value as the feed may use it: NaN and infinities count as silence.
float finite(float value) {
    return std::isfinite(value) ? value : 0.0f;
}

float sample(float value) {
    return std::clamp(finite(value), -largestSample, largestSample);
}

float sine(double x) {
    return static_cast<float>(std::sin(x));
}

} // namespace

float StageFeed::wrapped(double phase) {
    if (!std::isfinite(phase))
        return 0.0f;
    double rest = std::fmod(phase, shaderPeriod);
    if (rest < 0)
        rest += shaderPeriod;
    return static_cast<float>(rest);
}

bool StageFeed::frameRateRequested() {
    static const bool requested = std::getenv("ZINTRARADIO_FPS") != nullptr;
    return requested;
}

StageFeed::StageFeed(QObject* parent) : StageFeed(Clock::now(), parent) {}

StageFeed::StageFeed(Date start, QObject* parent) : QObject(parent), start_(start), fpsSince_(start) {
    if (frameRateRequested())
        frameRateOutput_ = [](const std::string& line) { std::fputs(line.c_str(), stderr); };
}

void StageFeed::update(const ZazidEvoz::AudioFrame& frame, Date date, bool playing) {
    // Clock. A date before the last one means the caller's clock was re-based: the time
    // goes on from where it stood instead of waiting for the old date to come round again.
    double since = 0;
    if (hasLastDate_) {
        since = seconds(date - lastDate_);
        if (since >= 0 && since < rateGate)
            return;
        if (since < 0) {
            start_ += date - lastDate_;
            fpsSince_ = date;
            fpsFrames_ = 0;
            since = 0;
        }
    }
    const float dt = std::clamp(static_cast<float>(since), 0.0f, longestStep);
    hasLastDate_ = true;
    lastDate_ = date;
    time_ = seconds(date - start_);
    countFrame(date);
    const double t = time_;

    takeRawWaves(frame);
    updateIdle(frame, playing, dt);
    updateBands(frame, t);
    const float gain = updateGain(dt);
    updateWaves(t, gain);
    updateCorrelation(dt);
    pushScopeFrame(t, gain);
    pushHistoryRow(dt);
    pushTerrainRow(dt);
    updateEnergies(frame, t);

    spin_ += (1.7 * energy_ + 0.4 + 1.1 * beat_) * dt;
    flow_ += (1.5 * energy_ + 0.45) * dt;
    travel_ += (1.2 * energy_ + 0.22 + 0.9 * bass_) * dt;
}

void StageFeed::takeRawWaves(const ZazidEvoz::AudioFrame& frame) {
    std::size_t n = std::min(frame.waveLeft.size(), frame.waveRight.size());
    if (n < 2) {
        // Too short to show: a silent wave of the analyser's length keeps the idle figures.
        rawLeft_.assign(usualWaveLength, 0.0f);
        rawRight_.assign(usualWaveLength, 0.0f);
        return;
    }
    rawLeft_.resize(n);
    rawRight_.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        rawLeft_[i] = sample(frame.waveLeft[i]);
        rawRight_[i] = sample(frame.waveRight[i]);
    }
}

void StageFeed::updateIdle(const ZazidEvoz::AudioFrame& frame, bool playing, float dt) {
    float loudest = 0;
    for (float band : frame.bands)
        loudest = std::max(loudest, finite(band));
    const bool silent = finite(frame.energy) < 0.012f && loudest < 0.03f;
    if (!playing || silent)
        blend(idle_, 1.0f, dt, 1.6f);
    else
        blend(idle_, 0.0f, dt, 0.5f);
    idle_ = std::clamp(idle_, 0.0f, 1.0f);
}

void StageFeed::updateBands(const ZazidEvoz::AudioFrame& frame, double t) {
    // Bands the frame lacks count as silent, so the idle hill always spans the whole row.
    const std::size_t live = std::min(frame.bands.size(), bandCount);
    const double centre = 0.4 * std::sin(0.23 * t) + 0.5;
    for (std::size_t i = 0; i < bandCount; ++i) {
        const double x = static_cast<double>(i) / (bandCount - 1);
        const double hill = std::exp(-std::pow(5.0 * (x - centre), 2.0));
        const float ground = static_cast<float>((0.5 * std::sin(0.9 * t + 7.0 * x) + 0.5) * 0.16 *
                                                    (0.4 * std::sin(0.37 * t - 3.1 * x) + 0.6) +
                                                0.1 + 0.1 * hill);
        const float band = i < live ? finite(frame.bands[i]) : 0.0f;
        const float peak = i < live && i < frame.peaks.size() ? finite(frame.peaks[i]) : band;
        bands_[i] = std::max(band, idle_ * ground);
        peaks_[i] = std::max(peak, idle_ * (ground + 0.03f));
    }
}

float StageFeed::gainFor(float envelope) {
    if (envelope <= 0.03f)
        return 12.0f;
    return std::min(12.0f, 0.8f / envelope);
}

float StageFeed::updateGain(float dt) {
    float loudest = 0;
    for (std::size_t i = 0; i < rawLeft_.size(); ++i)
        loudest = std::max({loudest, std::abs(rawLeft_[i]), std::abs(rawRight_[i])});
    if (gainEnvelope_ < loudest)
        gainEnvelope_ = loudest;
    else
        gainEnvelope_ = std::max(gainEnvelope_ * std::exp2(-dt / 1.5f), 0.02f);
    return gainFor(gainEnvelope_) * (1.0f - idle_);
}

int StageFeed::trigger(std::span<const float> left, std::span<const float> right, int searchEnd) {
    const int end = std::min({searchEnd, static_cast<int>(left.size()), static_cast<int>(right.size())});
    if (end < 3)
        return 0;
    int best = 0;
    float steepest = 0;
    for (int i = 1; i < end; ++i) {
        const float before = left[i - 1] + right[i - 1];
        const float after = left[i] + right[i];
        if (before <= 0 && after > 0 && after - before > steepest) {
            steepest = after - before;
            best = i;
        }
    }
    return best;
}

void StageFeed::smooth(std::span<float> wave) {
    const std::size_t n = wave.size();
    if (n == 0)
        return;
    for (int pass = 0; pass < 2; ++pass) {
        float previous = wave[0]; // the value before this pass, not the one just written
        for (std::size_t i = 0; i < n; ++i) {
            const float current = wave[i];
            const float next = wave[std::min(i + 1, n - 1)];
            wave[i] = 0.25f * previous + 0.5f * current + 0.25f * next;
            previous = current;
        }
    }
}

void StageFeed::updateWaves(double t, float gain) {
    const int n = static_cast<int>(rawLeft_.size());
    const int half = n / 2;
    const int start = trigger(rawLeft_, rawRight_, n - half);
    const float idleAmount = 0.42f * idle_;
    for (std::size_t j = 0; j < waveLength; ++j) {
        const double h = static_cast<double>(j) / (waveLength - 1);
        const int k = std::min(start + static_cast<int>(h * (half - 1)), n - 1);
        const double window = std::sin(std::numbers::pi * h);
        const float left = std::clamp(gain * rawLeft_[k], -1.0f, 1.0f);
        const float right = std::clamp(gain * rawRight_[k], -1.0f, 1.0f);
        waveLeft_[j] = left;
        waveRight_[j] = right;
        if (idleAmount > 0) {
            waveLeft_[j] += idleAmount * static_cast<float>(window * (0.55 * std::sin(1.7 * t + 9.4 * h) +
                                                                      0.3 * std::sin(23 * h - 2.3 * t) +
                                                                      0.15 * std::sin(3.1 * t + 41 * h)));
            waveRight_[j] +=
                idleAmount * static_cast<float>(window * (0.55 * std::sin(1.7 * t + 9.4 * h + 0.9) +
                                                          0.3 * std::sin(19 * h - 2 * t) +
                                                          0.15 * std::sin(2.7 * t + 47 * h)));
        }
    }
    smooth(waveLeft_);
    smooth(waveRight_);
    for (std::size_t j = 0; j < waveLength; ++j)
        waveMono_[j] = (waveLeft_[j] + waveRight_[j]) * 0.5f;
}

void StageFeed::updateCorrelation(float dt) {
    double both = 0, leftPower = 0, rightPower = 0;
    for (std::size_t i = 0; i < rawLeft_.size(); ++i) {
        both += double(rawLeft_[i]) * rawRight_[i];
        leftPower += double(rawLeft_[i]) * rawLeft_[i];
        rightPower += double(rawRight_[i]) * rawRight_[i];
    }
    const double power = leftPower * rightPower;
    const float target = power <= 1e-9 ? 0.0f : static_cast<float>(both / std::sqrt(power));
    blend(correlation_, std::clamp(target, -1.0f, 1.0f), dt, 0.4f);
}

void StageFeed::pushScopeFrame(double t, float gain) {
    const std::size_t n = rawLeft_.size();
    ScopeFrame& points = scopeFrames_.pushFront();
    points.resize(n);
    const float idleScale = idle_ * 0.9f;
    for (std::size_t l = 0; l < n; ++l) {
        ScopePoint point{rawLeft_[l] * gain, rawRight_[l] * gain};
        if (idleScale > 0) {
            const double y = 2.0 * std::numbers::pi * static_cast<double>(l) / static_cast<double>(n);
            const float radius = (0.1f * sine(t + 7 * y) + 0.62f) * idleScale;
            point.x += sine(0.7 * t + 3 * y) * radius;
            point.y += sine(0.45 * t + 2 * y) * radius;
        }
        points[l] = point;
    }
}

void StageFeed::pushHistoryRow(float dt) {
    historyClock_ += dt;
    if (historyClock_ < historyInterval)
        return;
    historyClock_ = 0;
    std::copy_backward(history_.begin(), history_.end() - historyRowLength, history_.end());
    for (std::size_t i = 0; i < historyRowLength; ++i)
        history_[i] = waveMono_[2 * i];
}

void StageFeed::pushTerrainRow(float dt) {
    terrainClock_ += dt;
    if (terrainClock_ >= terrainInterval || terrain_.empty()) {
        terrainClock_ = terrain_.empty() ? 0.0f : terrainClock_ - static_cast<float>(terrainInterval);
        if (terrainClock_ > terrainInterval)
            terrainClock_ = 0; // no catch-up after a stall
        std::copy(bands_.begin(), bands_.end(), terrain_.pushFront().begin());
    }
    terrainPhase_ = std::clamp(terrainClock_ / static_cast<float>(terrainInterval), 0.0f, 1.0f);
}

void StageFeed::updateEnergies(const ZazidEvoz::AudioFrame& frame, double t) {
    const double pulse = t / 2.4 - std::floor(t / 2.4);
    bass_ = std::max(finite(frame.bass), idle_ * (0.12f * sine(0.8 * t) + 0.22f));
    mid_ = std::max(finite(frame.mid), 0.2f * idle_);
    treble_ = std::max(finite(frame.treble), 0.15f * idle_);
    beat_ = std::max(finite(frame.beat), 0.55f * idle_ * static_cast<float>(std::exp(-6.0 * pulse)));
    energy_ = std::max(finite(frame.energy), 0.24f * idle_);
    brightness_ = (0.3f * sine(0.21 * t) + 0.5f) * idle_ + (1.0f - idle_) * finite(frame.brightness);
    levelLeft_ = finite(frame.levelLeft);
    levelRight_ = finite(frame.levelRight);
}

void StageFeed::countFrame(Date date) {
    if (!frameRateOutput_)
        return;
    ++fpsFrames_;
    const double elapsed = seconds(date - fpsSince_);
    if (elapsed < 1.0)
        return;
    // Written with to_chars: the process locale may use a decimal comma.
    char digits[32];
    const auto written =
        std::to_chars(digits, digits + sizeof digits, fpsFrames_ / elapsed, std::chars_format::fixed, 1);
    frameRateOutput_("fps: " + std::string(digits, written.ptr) + "\n");
    fpsFrames_ = 0;
    fpsSince_ = date;
}

} // namespace ZintraRadio
