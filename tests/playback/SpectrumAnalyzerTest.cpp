#include "ZazidEvoz/playback/SpectrumAnalyzer.hpp"

#include "EngineTestKit.hpp"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

using namespace ZazidEvoz;
using namespace ZazidEvoz::testkit;
using namespace std::chrono_literals;

namespace {

// An analyser whose clock the test moves.
struct ManualAnalyzer {
    ScopeBuffer scope;
    SpectrumAnalyzer::Clock::time_point now{};
    SpectrumAnalyzer analyzer{scope, 48000.0f, 64, [this] { return now; }};

    AudioFrame step(std::chrono::microseconds dt) {
        now += dt;
        return analyzer.analyze();
    }

    void feedSine(double frequency, float amplitude, std::size_t frames = 4096) {
        std::vector<float> samples(frames);
        for (std::size_t n = 0; n < frames; ++n)
            samples[n] =
                amplitude * static_cast<float>(std::sin(2 * std::numbers::pi * frequency * n / 48000.0));
        scope.append(samples.data(), samples.data(), frames);
    }
};

} // namespace

TEST(SpectrumAnalyzer, BandEdges) {
    ScopeBuffer scope;
    SpectrumAnalyzer analyzer(scope);
    const auto& edges = analyzer.bandEdges();
    ASSERT_EQ(edges.size(), 64u);
    struct Case {
        std::size_t band;
        int low, high;
    } cases[] = {{0, 1, 2},    {32, 33, 34},   {33, 34, 37},   {34, 37, 41},  {35, 41, 45},
                 {40, 66, 73}, {50, 175, 193}, {62, 562, 619}, {63, 619, 683}};
    for (const auto& c : cases) {
        EXPECT_EQ(edges[c.band].first, c.low) << c.band;
        EXPECT_EQ(edges[c.band].second, c.high) << c.band;
    }
    for (std::size_t i = 1; i < edges.size(); ++i)
        EXPECT_EQ(edges[i].first, edges[i - 1].second) << "bands share no bin and leave no gap";
    EXPECT_NEAR(analyzer.centerFrequency(0), 32.0f * std::pow(500.0f, 0.5f / 64), 1e-3);
}

TEST(SpectrumAnalyzer, SteadyToneRisesInItsBandThenFalls) {
    ManualAnalyzer a;
    a.feedSine(20 * 23.4375, 0.5f); // centre of bin 20 = band 19
    AudioFrame frame;
    for (int i = 0; i < 5; ++i)
        frame = a.step(10ms); // 50 ms of attack
    EXPECT_EQ(loudestBand(frame), 19u);
    EXPECT_GE(frame.bands[19], 0.999f);
    EXPECT_NEAR(frame.levelLeft, 0.5f / std::sqrt(2.0f) * 2.2f, 1e-3); // RMS x 2.2
    EXPECT_NEAR(frame.waveLeft[1], 0.5f * std::sin(2 * std::numbers::pi * 468.75 * (4096 - 2048 + 4) / 48000),
                1e-4);

    a.scope.appendSilence(4096);
    frame = a.step(50ms);
    float peakAfterSilence = frame.peaks[19];
    EXPECT_GT(peakAfterSilence, frame.bands[19]) << "the peak marker holds above the falling band";
    for (int i = 0; i < 45; ++i)
        frame = a.step(10ms); // 0.45 s of release after the first step
    EXPECT_LT(frame.bands[19], 0.001f);
    EXPECT_GE(frame.peaks[19], frame.bands[19]);
    EXPECT_LT(frame.peaks[19], peakAfterSilence);
}

TEST(SpectrumAnalyzer, SilenceAndReset) {
    ManualAnalyzer a;
    AudioFrame frame;
    for (int i = 0; i < 20; ++i)
        frame = a.step(16ms);
    EXPECT_EQ(frame.energy, 0.0f);
    EXPECT_EQ(frame.brightness, 0.0f);
    EXPECT_EQ(frame.beat, 0.0f);
    EXPECT_EQ(*std::max_element(frame.bands.begin(), frame.bands.end()), 0.0f);

    a.feedSine(3000, 2.0f); // beyond full scale: clamped in the waves
    frame = a.step(16ms);
    EXPECT_EQ(*std::max_element(frame.waveLeft.begin(), frame.waveLeft.end()), 1.0f);
    EXPECT_EQ(frame.levelLeft, 1.0f) << "an RMS of 1/2.2 or more is full level";
    EXPECT_GT(frame.energy, 0.0f);
    a.analyzer.reset();
    frame = a.step(16ms);
    EXPECT_EQ(frame.levelLeft, 0.0f) << "reset empties the scope";
    EXPECT_EQ(*std::max_element(frame.bands.begin(), frame.bands.end()), 0.0f);

    AudioFrame silent = AudioFrame::silent(64, 512);
    EXPECT_EQ(silent.bands.size(), 64u);
    EXPECT_EQ(silent.peaks.size(), 64u);
    EXPECT_EQ(silent.waveRight.size(), 512u);
}

TEST(SpectrumAnalyzer, BeatsAreAtLeastAQuarterSecondApart) {
    ManualAnalyzer a;
    auto hit = [&] {
        a.feedSine(60, 0.9f);
        return a.step(100ms);
    };
    auto quiet = [&](std::chrono::milliseconds dt) {
        a.scope.appendSilence(4096);
        return a.step(dt);
    };
    for (int i = 0; i < 10; ++i)
        quiet(100ms);
    EXPECT_EQ(hit().beat, 1.0f);
    quiet(100ms);
    EXPECT_LT(hit().beat, 1.0f) << "a second hit 0.2 s later is no new beat";
    for (int i = 0; i < 10; ++i)
        quiet(100ms);
    EXPECT_EQ(hit().beat, 1.0f) << "a hit after a quiet second is a beat again";
}
