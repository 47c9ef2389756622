#include "SpectrumAnalyzer.hpp"

#include <algorithm>
#include <cmath>
#include <fftw3.h>
#include <mutex>
#include <numbers>
#include <stdexcept>

namespace ZazidEvoz {

namespace {

// FFTW's planner is not thread-safe: plans are made and destroyed one at a time.
std::mutex& plannerMutex() {
    static std::mutex mutex;
    return mutex;
}

// Eight running sums instead of one: one sum is a chain of dependent additions, while eight
// independent ones fill the vector registers. In float, each sums a few hundred squares, far
// within what a level meter can show.
float rootMeanSquare(const std::vector<float>& samples) {
    if (samples.empty())
        return 0;
    constexpr std::size_t lanes = 8;
    float sums[lanes] = {};
    std::size_t i = 0;
    for (; i + lanes <= samples.size(); i += lanes)
        for (std::size_t lane = 0; lane < lanes; ++lane)
            sums[lane] += samples[i + lane] * samples[i + lane];
    float sum = 0;
    for (; i < samples.size(); ++i)
        sum += samples[i] * samples[i];
    for (float laneSum : sums)
        sum += laneSum;
    return std::sqrt(sum / static_cast<float>(samples.size()));
}

float meanOf(const std::vector<float>& values, std::size_t begin, std::size_t end) {
    if (begin >= end)
        return 0;
    float sum = 0;
    for (std::size_t i = begin; i < end; ++i)
        sum += values[i];
    return sum / static_cast<float>(end - begin);
}

std::size_t splitPoint(std::size_t bandCount, float factor) {
    auto point = static_cast<std::size_t>(static_cast<float>(bandCount) * factor);
    return std::clamp<std::size_t>(point, 1, bandCount);
}

} // namespace

AudioFrame AudioFrame::silent(std::size_t bands, std::size_t wave) {
    AudioFrame frame;
    frame.bands.assign(bands, 0.0f);
    frame.peaks.assign(bands, 0.0f);
    frame.waveLeft.assign(wave, 0.0f);
    frame.waveRight.assign(wave, 0.0f);
    return frame;
}

struct SpectrumAnalyzer::Plan {
    float* input = nullptr;
    fftwf_complex* output = nullptr;
    fftwf_plan plan = nullptr;

    Plan() {
        std::lock_guard guard(plannerMutex());
        input = fftwf_alloc_real(fftSize);
        output = fftwf_alloc_complex(fftSize / 2 + 1);
        if (input && output)
            plan = fftwf_plan_dft_r2c_1d(static_cast<int>(fftSize), input, output, FFTW_ESTIMATE);
        if (!plan) {
            fftwf_free(input);
            fftwf_free(output);
            throw std::bad_alloc();
        }
    }
    ~Plan() {
        std::lock_guard guard(plannerMutex());
        fftwf_destroy_plan(plan);
        fftwf_free(input);
        fftwf_free(output);
    }
};

SpectrumAnalyzer::SpectrumAnalyzer(ScopeBuffer& scope, float sampleRate, std::size_t bandCount, Now now)
    : scope_(scope), sampleRate_(sampleRate), bandCount_(bandCount), now_(std::move(now)),
      plan_(std::make_unique<Plan>()), window_(fftSize), magnitudes_(fftSize / 2, 0.0f),
      smoothed_(bandCount, 0.0f), peakValues_(bandCount, 0.0f), peakVelocity_(bandCount, 0.0f),
      raw_(bandCount, 0.0f) {
    // Hann window normalised the usual way: 0.8165 x (1 - cos(2 pi n / N)).
    const float normalisation = static_cast<float>(std::sqrt(2.0 / 3.0));
    for (std::size_t n = 0; n < fftSize; ++n)
        window_[n] = normalisation * (1.0f - std::cos(2.0f * std::numbers::pi_v<float> * n / fftSize));

    const float binWidth = sampleRate_ / static_cast<float>(fftSize);
    int start = std::max(1, static_cast<int>(minFrequency / binWidth));
    const float ratio = maxFrequency / minFrequency;
    for (std::size_t i = 1; i <= bandCount_; ++i) {
        float frequency = minFrequency * std::pow(ratio, static_cast<float>(i) / bandCount_);
        int target = static_cast<int>(std::lround(frequency / binWidth));
        int high = std::min(std::max(target, start + 1), static_cast<int>(fftSize / 2));
        int low = std::min(high - 1, start);
        bandEdges_.emplace_back(low, high);
        start = high;
    }
    lastTime_ = currentTime();
}

SpectrumAnalyzer::~SpectrumAnalyzer() = default;

float SpectrumAnalyzer::centerFrequency(std::size_t band) const {
    return minFrequency *
           std::pow(maxFrequency / minFrequency, (static_cast<float>(band) + 0.5f) / bandCount_);
}

void SpectrumAnalyzer::reset() {
    std::fill(smoothed_.begin(), smoothed_.end(), 0.0f);
    std::fill(peakValues_.begin(), peakValues_.end(), 0.0f);
    std::fill(peakVelocity_.begin(), peakVelocity_.end(), 0.0f);
    bassAverage_ = 0;
    beatValue_ = 0;
    energyValue_ = 0;
    gainReference_ = 0.02f;
    scope_.clear();
}

AudioFrame SpectrumAnalyzer::analyze() {
    auto now = currentTime();
    double elapsedSeconds = std::chrono::duration<double>(now - lastTime_).count();
    lastTime_ = now;
    const float dt = static_cast<float>(std::clamp(elapsedSeconds, 1.0 / 240.0, 0.1));

    scope_.latest(fftSize, left_, right_);
    for (std::size_t n = 0; n < fftSize; ++n)
        plan_->input[n] = (left_[n] + right_[n]) * 0.5f * window_[n];
    fftwf_execute(plan_->plan);

    // |X_k| / 1024; bin 0 carries DC and Nyquist together, as in a packed real FFT (no band reads it).
    const float scale = 1.0f / static_cast<float>(fftSize / 2);
    const fftwf_complex* out = plan_->output;
    magnitudes_[0] = std::sqrt(out[0][0] * out[0][0] + out[fftSize / 2][0] * out[fftSize / 2][0]) * scale;
    for (std::size_t k = 1; k < fftSize / 2; ++k)
        magnitudes_[k] = std::sqrt(out[k][0] * out[k][0] + out[k][1] * out[k][1]) * scale;

    float maxRaw = 0;
    for (std::size_t i = 0; i < bandCount_; ++i) {
        auto [low, high] = bandEdges_[i];
        float peak = 0;
        for (int k = low; k < high; ++k)
            peak = std::max(peak, magnitudes_[k]);
        raw_[i] = (1.0f + 2.5f * static_cast<float>(i) / bandCount_) * peak;
        maxRaw = std::max(maxRaw, raw_[i]);
    }

    if (maxRaw > gainReference_)
        gainReference_ = maxRaw;
    else
        gainReference_ = std::max(gainReference_ * std::exp2(-dt / 3.0f), 0.004f);

    const float attack = std::pow(0.001f, dt / 0.05f);
    const float release = std::pow(0.001f, dt / 0.45f);
    float sum = 0, weighted = 0;
    for (std::size_t i = 0; i < bandCount_; ++i) {
        float target = std::min(std::sqrt(raw_[i] / gainReference_), 1.0f);
        float coefficient = target > smoothed_[i] ? attack : release;
        smoothed_[i] += (1.0f - coefficient) * (target - smoothed_[i]);
        if (smoothed_[i] >= peakValues_[i]) {
            peakValues_[i] = smoothed_[i];
            peakVelocity_[i] = -0.15f;
        } else {
            peakVelocity_[i] += 2.4f * dt;
            if (peakVelocity_[i] > 0)
                peakValues_[i] = std::max(smoothed_[i], peakValues_[i] - peakVelocity_[i] * dt);
        }
        sum += smoothed_[i];
        weighted += static_cast<float>(i) * smoothed_[i];
    }

    const float rmsLeft = rootMeanSquare(left_);
    const float rmsRight = rootMeanSquare(right_);
    const std::size_t bassEnd = splitPoint(bandCount_, 0.33078918f);
    const std::size_t midEnd = splitPoint(bandCount_, 0.77692974f);

    AudioFrame frame;
    frame.bass = meanOf(smoothed_, 0, bassEnd);
    frame.mid = meanOf(smoothed_, bassEnd, midEnd);
    frame.treble = meanOf(smoothed_, midEnd, bandCount_);

    const float loudness = std::min((rmsLeft + rmsRight) * 1.6f, 1.0f);
    energyValue_ += (loudness - energyValue_) * (1.0f - std::pow(0.001f, 4.0f * dt));

    float instant = 0;
    for (std::size_t i = 0; i < bassEnd; ++i)
        instant += std::min(std::sqrt(raw_[i] / gainReference_), 1.0f);
    instant /= static_cast<float>(bassEnd);
    bassAverage_ += (instant - bassAverage_) * (1.0f - std::pow(0.001f, dt / 1.2f));
    const float threshold = bassAverage_ * 1.35f + 0.06f;
    bool beatDue = !hadBeat_ || std::chrono::duration<double>(now - lastBeat_).count() > 0.25;
    if (instant > threshold && beatDue) {
        beatValue_ = 1;
        lastBeat_ = now;
        hadBeat_ = true;
    } else {
        beatValue_ *= std::pow(0.001f, dt / 0.35f);
    }

    frame.waveLeft.resize(waveformLength);
    frame.waveRight.resize(waveformLength);
    for (std::size_t j = 0; j < waveformLength; ++j) {
        frame.waveLeft[j] = std::clamp(left_[4 * j], -1.0f, 1.0f);
        frame.waveRight[j] = std::clamp(right_[4 * j], -1.0f, 1.0f);
    }

    frame.brightness = sum > 0.001f ? weighted / sum / static_cast<float>(bandCount_ - 1) : 0.0f;
    frame.bands = smoothed_;
    frame.peaks = peakValues_;
    frame.levelLeft = std::min(rmsLeft * 2.2f, 1.0f);
    frame.levelRight = std::min(rmsRight * 2.2f, 1.0f);
    frame.beat = beatValue_;
    frame.energy = energyValue_;
    return frame;
}

} // namespace ZazidEvoz
