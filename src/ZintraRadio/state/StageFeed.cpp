#include "state/StageFeed.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>

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

// sin(rate * t + offset) for many fixed offsets at one time t: the time part is evaluated once
// per frame in double precision, the offsets once for good, so each value is two products.
struct MovingSine {
    float sinTime = 0;
    float cosTime = 1;
    MovingSine(double rate, double t)
        : sinTime(sine(rate * t)), cosTime(static_cast<float>(std::cos(rate * t))) {}
    float at(float sinOffset, float cosOffset) const { return sinTime * cosOffset + cosTime * sinOffset; }
};

struct Offsets {
    std::vector<float> sines;
    std::vector<float> cosines;
    Offsets(std::size_t count, const std::function<double(std::size_t)>& offset)
        : sines(count), cosines(count) {
        for (std::size_t i = 0; i < count; ++i) {
            sines[i] = sine(offset(i));
            cosines[i] = static_cast<float>(std::cos(offset(i)));
        }
    }
    float at(const MovingSine& moving, std::size_t i) const { return moving.at(sines[i], cosines[i]); }
};

// The idle waves' six terms and window over the 256 output points (H = j / 255).
struct WaveTerms {
    static double h(std::size_t j) { return static_cast<double>(j) / (StageFeed::waveLength - 1); }
    std::vector<float> window;
    Offsets left1{StageFeed::waveLength, [](std::size_t j) { return 9.4 * h(j); }};
    Offsets left2{StageFeed::waveLength, [](std::size_t j) { return 23 * h(j); }};
    Offsets left3{StageFeed::waveLength, [](std::size_t j) { return 41 * h(j); }};
    Offsets right1{StageFeed::waveLength, [](std::size_t j) { return 9.4 * h(j) + 0.9; }};
    Offsets right2{StageFeed::waveLength, [](std::size_t j) { return 19 * h(j); }};
    Offsets right3{StageFeed::waveLength, [](std::size_t j) { return 47 * h(j); }};
    WaveTerms() : window(StageFeed::waveLength) {
        for (std::size_t j = 0; j < StageFeed::waveLength; ++j)
            window[j] = sine(std::numbers::pi * h(j));
    }
};

const WaveTerms& waveTerms() {
    static const WaveTerms terms;
    return terms;
}

// The idle band pattern's two position terms over the 64 bands (x = i / 63).
struct BandTerms {
    static double x(std::size_t i) { return static_cast<double>(i) / (StageFeed::bandCount - 1); }
    Offsets ripple{StageFeed::bandCount, [](std::size_t i) { return 7 * x(i); }};
    Offsets swell{StageFeed::bandCount, [](std::size_t i) { return -3.1 * x(i); }};
};

const BandTerms& bandTerms() {
    static const BandTerms terms;
    return terms;
}

} // namespace

// The idle Lissajous figure's three terms over a scope list of `count` points (Y = 2 pi l / n).
struct StageFeed::ScopeTerms {
    static double y(std::size_t l, std::size_t n) {
        return 2.0 * std::numbers::pi * static_cast<double>(l) / n;
    }
    explicit ScopeTerms(std::size_t n)
        : count(n), across(n, [n](std::size_t l) { return 3 * y(l, n); }),
          down(n, [n](std::size_t l) { return 2 * y(l, n); }),
          wobble(n, [n](std::size_t l) { return 7 * y(l, n); }) {}
    std::size_t count;
    Offsets across, down, wobble;
};

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

StageFeed::~StageFeed() = default;

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
    // Settle the last millionth: a blend never arrives, and a value sinking into denormal
    // floats would slow every product it takes part in.
    if (idle_ < 1e-6f)
        idle_ = 0;
    else if (idle_ > 1 - 1e-6f)
        idle_ = 1;
}

void StageFeed::updateBands(const ZazidEvoz::AudioFrame& frame, double t) {
    // Bands the frame lacks count as silent, so the idle hill always spans the whole row.
    const std::size_t live = std::min(frame.bands.size(), bandCount);
    const float centre = 0.4f * sine(0.23 * t) + 0.5f;
    const BandTerms& terms = bandTerms();
    const MovingSine ripple(0.9, t), swell(0.37, t);
    for (std::size_t i = 0; i < bandCount; ++i) {
        const float x = static_cast<float>(BandTerms::x(i));
        const float reach = 5.0f * (x - centre);
        const float hill = std::exp(-reach * reach);
        const float ground =
            (0.5f * terms.ripple.at(ripple, i) + 0.5f) * 0.16f * (0.4f * terms.swell.at(swell, i) + 0.6f) +
            0.1f + 0.1f * hill;
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
    const WaveTerms& terms = waveTerms();
    const MovingSine l1(1.7, t), l2(-2.3, t), l3(3.1, t), r1(1.7, t), r2(-2.0, t), r3(2.7, t);
    for (std::size_t j = 0; j < waveLength; ++j) {
        const double h = WaveTerms::h(j);
        const int k = std::min(start + static_cast<int>(h * (half - 1)), n - 1);
        waveLeft_[j] = std::clamp(gain * rawLeft_[k], -1.0f, 1.0f);
        waveRight_[j] = std::clamp(gain * rawRight_[k], -1.0f, 1.0f);
        if (idleAmount > 0) {
            const float window = idleAmount * terms.window[j];
            waveLeft_[j] += window * (0.55f * terms.left1.at(l1, j) + 0.3f * terms.left2.at(l2, j) +
                                      0.15f * terms.left3.at(l3, j));
            waveRight_[j] += window * (0.55f * terms.right1.at(r1, j) + 0.3f * terms.right2.at(r2, j) +
                                       0.15f * terms.right3.at(r3, j));
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
    if (idleScale > 0 && (!scopeTerms_ || scopeTerms_->count != n))
        scopeTerms_ = std::make_unique<ScopeTerms>(n);
    const MovingSine across(0.7, t), down(0.45, t), wobble(1.0, t);
    for (std::size_t l = 0; l < n; ++l) {
        ScopePoint point{rawLeft_[l] * gain, rawRight_[l] * gain};
        if (idleScale > 0) {
            const float radius = (0.1f * scopeTerms_->wobble.at(wobble, l) + 0.62f) * idleScale;
            point.x += scopeTerms_->across.at(across, l) * radius;
            point.y += scopeTerms_->down.at(down, l) * radius;
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
