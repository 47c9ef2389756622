// The stage feed: one display frame at a time, from spectrum frames built here.
#include "state/StageFeed.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

using namespace ZintraRadio;
using ZazidEvoz::AudioFrame;
using namespace std::chrono_literals;

namespace {

using Date = StageFeed::Date;

Date at(double seconds) {
    return Date{} +
           std::chrono::duration_cast<StageFeed::Clock::duration>(std::chrono::duration<double>(seconds));
}

AudioFrame silence() {
    return AudioFrame::silent(64, 512);
}

// A live frame: every band at `level`, both channels a sine of `amplitude` with `period` samples.
AudioFrame tone(float level, float amplitude = 0.5f, double period = 128) {
    AudioFrame frame = AudioFrame::silent(64, 512);
    for (auto& band : frame.bands)
        band = level;
    frame.peaks = frame.bands;
    for (std::size_t i = 0; i < 512; ++i) {
        const float value = amplitude * static_cast<float>(std::sin(2 * std::numbers::pi * i / period + 1.0));
        frame.waveLeft[i] = value;
        frame.waveRight[i] = value;
    }
    frame.energy = level;
    frame.bass = frame.mid = frame.treble = level;
    frame.brightness = 0.7f;
    return frame;
}

// Runs `seconds` of display frames `step` apart, starting at `from`; returns the next date.
double run(StageFeed& feed, const AudioFrame& frame, bool playing, double from, double seconds,
           double step = 0.02) {
    const int frames = static_cast<int>(std::lround(seconds / step));
    for (int i = 0; i < frames; ++i)
        feed.update(frame, at(from + i * step), playing);
    return from + frames * step;
}

bool allFinite(const std::vector<float>& values) {
    for (float value : values)
        if (!std::isfinite(value))
            return false;
    return true;
}

void expectSoundState(const StageFeed& feed) {
    ASSERT_EQ(feed.bands().size(), 64u);
    ASSERT_EQ(feed.peaks().size(), 64u);
    ASSERT_EQ(feed.waveLeft().size(), 256u);
    ASSERT_EQ(feed.waveRight().size(), 256u);
    ASSERT_EQ(feed.waveMono().size(), 256u);
    ASSERT_EQ(feed.history().size(), 640u);
    EXPECT_TRUE(allFinite(feed.bands()));
    EXPECT_TRUE(allFinite(feed.peaks()));
    EXPECT_TRUE(allFinite(feed.waveLeft()));
    EXPECT_TRUE(allFinite(feed.waveRight()));
    EXPECT_TRUE(allFinite(feed.history()));
    for (std::size_t row = 0; row < feed.terrain().size(); ++row)
        for (float value : feed.terrain()[row])
            ASSERT_TRUE(std::isfinite(value)) << "terrain row " << row;
    for (std::size_t list = 0; list < feed.scopeFrames().size(); ++list) {
        EXPECT_FALSE(feed.scopeFrames()[list].empty());
        for (auto point : feed.scopeFrames()[list])
            ASSERT_TRUE(std::isfinite(point.x) && std::isfinite(point.y)) << "scope list " << list;
    }
    for (float value : {feed.bass(), feed.mid(), feed.treble(), feed.beat(), feed.energy(), feed.brightness(),
                        feed.levelLeft(), feed.levelRight(), feed.correlation(), feed.idle(),
                        feed.gainEnvelope(), feed.terrainPhase()})
        EXPECT_TRUE(std::isfinite(value));
    EXPECT_TRUE(std::isfinite(feed.spin()) && std::isfinite(feed.flow()) && std::isfinite(feed.travel()));
    EXPECT_GE(feed.idle(), 0.0f);
    EXPECT_LE(feed.idle(), 1.0f);
}

} // namespace

TEST(StageFeed, RateGateAndStepClamp) {
    struct Case {
        const char* name;
        double gap;
        bool applied;
        double dt;
    };
    const Case cases[] = {
        {"same date", 0.0, false, 0},       {"1 ms later", 0.001, false, 0},
        {"3 ms later", 0.003, true, 0.003}, {"one frame", 0.016, true, 0.016},
        {"5 s gap", 5.0, true, 0.1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        StageFeed feed(at(100));
        feed.update(silence(), at(100), false);
        EXPECT_EQ(feed.time(), 0.0);
        EXPECT_EQ(feed.flow(), 0.0) << "the first update has dt = 0";
        EXPECT_EQ(feed.terrain().size(), 1u) << "the first update pushes the first terrain row";
        const double flowBefore = feed.flow();
        const float energy = feed.energy();
        feed.update(silence(), at(100 + c.gap), false);
        if (c.applied) {
            EXPECT_NEAR(feed.time(), c.gap, 1e-9);
            EXPECT_NEAR(feed.flow() - flowBefore, (1.5 * feed.energy() + 0.45) * c.dt, 1e-6);
        } else {
            EXPECT_EQ(feed.time(), 0.0);
            EXPECT_EQ(feed.energy(), energy);
            EXPECT_EQ(feed.flow(), flowBefore);
        }
    }
}

TEST(StageFeed, SilenceRuleDecidesWhereIdleGoes) {
    struct Case {
        const char* name;
        bool playing;
        float energy;
        float loudestBand;
        bool bandsEmpty;
        bool live;
    };
    const Case cases[] = {
        {"paused with sound", false, 0.5f, 0.5f, false, false},
        {"playing and loud", true, 0.5f, 0.5f, false, true},
        {"quiet energy but one band at 0.05", true, 0.005f, 0.05f, false, true},
        {"quiet energy and bands below 0.03", true, 0.005f, 0.02f, false, false},
        {"loud energy, silent bands", true, 0.012f, 0.0f, false, true},
        {"no bands at all", true, 0.0f, 0.0f, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        AudioFrame frame = silence();
        frame.energy = c.energy;
        frame.bands[10] = c.loudestBand;
        if (c.bandsEmpty)
            frame.bands.clear();
        StageFeed feed(at(0));
        feed.update(frame, at(0), c.playing);
        feed.update(frame, at(0.1), c.playing);
        // Blending toward 0 with tau 0.5 over 0.1 s leaves 0.001^0.2 of the way.
        EXPECT_NEAR(feed.idle(), c.live ? std::pow(0.001, 0.2) : 1.0, 1e-5);
    }
}

TEST(StageFeed, IdleStageShowsTheAmbientPattern) {
    StageFeed feed(at(0));
    run(feed, silence(), false, 0, 4.0);
    EXPECT_EQ(feed.idle(), 1.0f);
    for (float band : feed.bands()) {
        EXPECT_GE(band, 0.1f);
        EXPECT_LE(band, 0.37f);
    }
    for (std::size_t i = 0; i < 64; ++i)
        EXPECT_NEAR(feed.peaks()[i], feed.bands()[i] + 0.03f, 1e-5);
    EXPECT_GE(feed.energy(), 0.24f);
    EXPECT_GE(feed.mid(), 0.2f);
    EXPECT_GE(feed.treble(), 0.15f);
    // Pure idle curves: the half-sine window pins both ends near zero, the middle moves.
    EXPECT_LT(std::abs(feed.waveLeft().front()), 0.03f);
    EXPECT_LT(std::abs(feed.waveLeft().back()), 0.03f);
    float widest = 0;
    for (float value : feed.waveLeft())
        widest = std::max(widest, std::abs(value));
    EXPECT_GT(widest, 0.05f);
    EXPECT_EQ(feed.gainEnvelope(), 0.02f) << "silence lets the envelope fall to its floor";
}

TEST(StageFeed, TriggerFindsTheSteepestRisingCrossing) {
    struct Case {
        const char* name;
        std::vector<float> wave;
        int searchEnd;
        int expected;
    };
    std::vector<float> single(64, -0.5f);
    for (std::size_t i = 40; i < 64; ++i)
        single[i] = 0.5f;
    std::vector<float> tie(64, -0.5f);
    for (std::size_t i : {10u, 11u, 30u, 31u})
        tie[i] = 0.5f;
    std::vector<float> steeper = tie;
    steeper[30] = 0.9f;
    const Case cases[] = {
        {"only crossing at 40", single, 60, 40},
        {"equal slopes: the first", tie, 60, 10},
        {"a steeper later crossing wins", steeper, 60, 30},
        {"crossing beyond the search end", single, 30, 0},
        {"no crossing", std::vector<float>(64, -0.2f), 60, 0},
        {"search end 2", single, 2, 0},
        {"search end beyond the wave", single, 1000, 40},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(StageFeed::trigger(c.wave, c.wave, c.searchEnd), c.expected);
    }
}

TEST(StageFeed, SmoothUsesTheValuesBeforeEachPass) {
    std::vector<float> impulse{0, 0, 4, 0, 0};
    StageFeed::smooth(impulse);
    EXPECT_EQ(impulse, (std::vector<float>{0.25f, 1, 1.5f, 1, 0.25f}));
    std::vector<float> one{3};
    StageFeed::smooth(one);
    EXPECT_EQ(one, std::vector<float>{3});
}

TEST(StageFeed, AutoGainFollowsThePeak) {
    EXPECT_EQ(StageFeed::gainFor(1.0f), 0.8f);
    EXPECT_EQ(StageFeed::gainFor(0.03f), 12.0f);
    EXPECT_EQ(StageFeed::gainFor(0.02f), 12.0f);
    EXPECT_NEAR(StageFeed::gainFor(0.1f), 8.0f, 1e-5);

    StageFeed feed(at(0));
    double next = run(feed, tone(0.5f, 1.0f), true, 0, 3.0);
    EXPECT_NEAR(feed.gainEnvelope(), 1.0f, 0.01f);
    EXPECT_LT(feed.idle(), 0.001f);
    // A full-scale sine shows at 0.8, aligned to start on its rising zero crossing.
    float widest = 0;
    for (float value : feed.waveLeft())
        widest = std::max(widest, value);
    EXPECT_NEAR(widest, 0.8f, 0.02f);
    EXPECT_NEAR(feed.waveLeft()[0], 0.0f, 0.05f);
    EXPECT_GT(feed.waveLeft()[8], feed.waveLeft()[0]);
    EXPECT_NEAR(feed.correlation(), 1.0f, 1e-3);

    // After the loud passage the envelope halves every 1.5 s down to its floor of 0.02.
    next = run(feed, tone(0.5f, 0.01f), true, next, 1.5);
    EXPECT_NEAR(feed.gainEnvelope(), 0.5f, 0.01f);
    run(feed, tone(0.5f, 0.01f), true, next, 8.0);
    EXPECT_EQ(feed.gainEnvelope(), 0.02f);
    float quiet = 0;
    for (float value : feed.waveLeft())
        quiet = std::max(quiet, value);
    EXPECT_NEAR(quiet, 0.12f, 0.01f) << "a steady quiet wave is shown at gain 12";
}

TEST(StageFeed, RowsFillAndRollAtTheirRates) {
    StageFeed feed(at(0));
    int historyRows = 0;
    std::vector<float> lastHistory = feed.history();
    std::size_t lastTerrainCount = 0;
    float lastPhase = 0;
    int sinceTerrain = 0;
    for (int i = 0; i < 150; ++i) {                  // 3 s at 0.02 s
        feed.update(silence(), at(i * 0.02), false); // the idle curves change every frame
        const bool newHistoryRow = feed.history() != lastHistory;
        if (i > 0) {
            EXPECT_EQ(newHistoryRow, i % 2 == 0) << "update " << i;
        }
        if (newHistoryRow) { // every second sample of the mono wave, in front
            for (std::size_t j = 0; j < 128; ++j)
                ASSERT_EQ(feed.history()[j], feed.waveMono()[2 * j]);
            ASSERT_TRUE(
                std::equal(lastHistory.begin(), lastHistory.end() - 128, feed.history().begin() + 128));
        }
        historyRows += newHistoryRow;
        lastHistory = feed.history();

        // A pushed row restarts the phase; between pushes it only grows.
        ++sinceTerrain;
        const bool pushed = feed.terrain().size() > lastTerrainCount || feed.terrainPhase() < lastPhase;
        if (i == 0) {
            EXPECT_TRUE(pushed) << "the first update pushes the first row";
        } else if (pushed) {
            EXPECT_TRUE(sinceTerrain == 2 || sinceTerrain == 3) << "update " << i << ": " << sinceTerrain;
        }
        if (pushed) {
            sinceTerrain = 0;
            ASSERT_TRUE(std::equal(feed.bands().begin(), feed.bands().end(), feed.terrain()[0].begin()));
        }
        lastTerrainCount = feed.terrain().size();
        lastPhase = feed.terrainPhase();
        EXPECT_GE(feed.terrainPhase(), 0.0f);
        EXPECT_LE(feed.terrainPhase(), 1.0f);
    }
    EXPECT_EQ(feed.scopeFrames().size(), 4u);
    EXPECT_EQ(feed.scopeFrames()[0].size(), 512u);
    EXPECT_EQ(feed.terrain().size(), 46u);
    EXPECT_EQ(feed.history().size(), 640u);
    EXPECT_EQ(historyRows, 74);
}

TEST(StageFeed, TerrainDoesNotCatchUpAfterAStall) {
    StageFeed feed(at(0));
    feed.update(silence(), at(0), false);
    feed.update(silence(), at(10), false); // dt clamped to 0.1: one row, clock back to 0
    EXPECT_EQ(feed.terrain().size(), 2u);
    EXPECT_EQ(feed.terrainPhase(), 0.0f);
}

TEST(StageFeed, FrameRateLineOncePerSecond) {
    StageFeed feed(at(0));
    std::vector<std::string> lines;
    feed.setFrameRateOutput([&](const std::string& line) { lines.push_back(line); });
    run(feed, silence(), false, 0, 3.01);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "fps: 51.0\n") << "the first second counts from the feed's creation";
    EXPECT_EQ(lines[1], "fps: 50.0\n");

    ASSERT_EQ(std::getenv("ZINTRARADIO_FPS"), nullptr);
    testing::internal::CaptureStderr();
    StageFeed quiet(at(0));
    run(quiet, silence(), false, 0, 2.5);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST(StageFeed, StepBackOfTheClockNeverFreezesTheStage) {
    StageFeed feed(at(0));
    run(feed, silence(), false, 0, 10.0);
    const double time = feed.time();
    const std::vector<float> bands = feed.bands();
    feed.update(silence(), at(3), false); // the clock went back 7 s
    EXPECT_NEAR(feed.time(), time, 1e-9);
    feed.update(silence(), at(3.016), false);
    EXPECT_NEAR(feed.time(), time + 0.016, 1e-9);
    EXPECT_NE(feed.bands(), bands);
}

TEST(StageFeed, MotionKeepsGoingAfterMonths) {
    const double months = 200 * 24 * 3600.0;
    StageFeed feed(at(0));
    feed.update(silence(), at(0), false);
    feed.update(silence(), at(months), false);
    const std::vector<float> bands = feed.bands();
    const std::vector<float> wave = feed.waveLeft();
    const float shaderTime = StageFeed::wrapped(feed.time());
    feed.update(silence(), at(months + 0.016), false);
    EXPECT_NEAR(feed.time() - months, 0.016, 1e-6);
    EXPECT_NE(feed.bands(), bands);
    EXPECT_NE(feed.waveLeft(), wave);
    float step = StageFeed::wrapped(feed.time()) - shaderTime;
    if (step < 0)
        step += static_cast<float>(StageFeed::shaderPeriod);
    EXPECT_NEAR(step, 0.016f, 1e-3f);
}

TEST(StageFeed, WrappedPhasesAreSeamlessForShaderFrequencies) {
    const double period = StageFeed::shaderPeriod;
    for (double phase :
         {0.0, 1.0, period - 1e-7, period, period + 2.5, 3 * period + 0.25, 1e7, 123456.789, -2.0}) {
        SCOPED_TRACE(phase);
        const float wrapped = StageFeed::wrapped(phase);
        EXPECT_GE(wrapped, 0.0f);
        EXPECT_LE(wrapped, static_cast<float>(period));
        for (int multiple : {1, 4, 18, 72, 136, 1000}) { // frequencies multiple/80
            const double frequency = multiple / 80.0;
            EXPECT_NEAR(std::sin(frequency * wrapped), std::sin(frequency * phase), 2e-3);
        }
    }
    EXPECT_EQ(StageFeed::wrapped(std::numeric_limits<double>::quiet_NaN()), 0.0f);
}

TEST(StageFeed, MalformedFramesAreTreatedAsSilenceAndNeverSpread) {
    constexpr float nan = std::numeric_limits<float>::quiet_NaN();
    constexpr float inf = std::numeric_limits<float>::infinity();
    struct Case {
        const char* name;
        void (*spoil)(AudioFrame&);
    };
    const Case cases[] = {
        {"empty waves", [](AudioFrame& f) { f.waveLeft.clear(), f.waveRight.clear(); }},
        {"one-sample waves", [](AudioFrame& f) { f.waveLeft.resize(1), f.waveRight.resize(1); }},
        {"two-sample waves", [](AudioFrame& f) { f.waveLeft.resize(2), f.waveRight.resize(2); }},
        {"right shorter than left", [](AudioFrame& f) { f.waveRight.resize(100); }},
        {"left shorter than right", [](AudioFrame& f) { f.waveLeft.resize(7); }},
        {"one band", [](AudioFrame& f) { f.bands.resize(1), f.peaks.resize(1); }},
        {"no bands", [](AudioFrame& f) { f.bands.clear(), f.peaks.clear(); }},
        {"peaks shorter than bands", [](AudioFrame& f) { f.peaks.resize(10); }},
        {"more bands than the stage shows",
         [](AudioFrame& f) { f.bands.resize(200, 0.4f), f.peaks.resize(3); }},
        {"NaN samples", [](AudioFrame& f) { f.waveLeft[3] = nan, f.waveRight[300] = nan; }},
        {"infinite samples", [](AudioFrame& f) { f.waveLeft[0] = inf, f.waveRight[1] = -inf; }},
        {"huge samples",
         [](AudioFrame& f) { f.waveLeft.assign(512, 1e30f), f.waveRight.assign(512, -1e30f); }},
        {"NaN bands and peaks", [](AudioFrame& f) { f.bands[4] = nan, f.peaks[5] = inf; }},
        {"NaN energies",
         [](AudioFrame& f) {
             f.energy = f.bass = f.mid = f.treble = f.beat = f.brightness = f.levelLeft = f.levelRight = nan;
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        StageFeed feed(at(0));
        AudioFrame spoiled = tone(0.4f);
        c.spoil(spoiled);
        double next = run(feed, spoiled, true, 0, 1.0);
        expectSoundState(feed);
        // Clean frames afterwards: nothing of the bad frame lingers in the rolling rows.
        run(feed, tone(0.4f), true, next, 0.5);
        expectSoundState(feed);
    }
}

TEST(StageFeed, NaNFrameOnSilenceLeavesTheIdleStage) {
    AudioFrame frame = silence();
    frame.energy = std::numeric_limits<float>::quiet_NaN();
    frame.bands.assign(64, std::numeric_limits<float>::quiet_NaN());
    StageFeed feed(at(0));
    run(feed, frame, true, 0, 1.0);
    EXPECT_EQ(feed.idle(), 1.0f) << "a frame of NaN is silence";
    expectSoundState(feed);
}

TEST(StageFeed, IdleCurvesFollowTheirFormulas) {
    // Written out directly, to check the feed's faster evaluation of the same curves.
    const double t = 1234.5;
    StageFeed feed(at(0));
    feed.update(silence(), at(t), false);
    ASSERT_EQ(feed.idle(), 1.0f);
    std::vector<float> left(256), right(256);
    for (int j = 0; j < 256; ++j) {
        const double h = j / 255.0, w = std::sin(std::numbers::pi * h);
        left[j] = static_cast<float>(0.42 * w *
                                     (0.55 * std::sin(1.7 * t + 9.4 * h) + 0.3 * std::sin(23 * h - 2.3 * t) +
                                      0.15 * std::sin(3.1 * t + 41 * h)));
        right[j] = static_cast<float>(0.42 * w *
                                      (0.55 * std::sin(1.7 * t + 9.4 * h + 0.9) +
                                       0.3 * std::sin(19 * h - 2 * t) + 0.15 * std::sin(2.7 * t + 47 * h)));
    }
    StageFeed::smooth(left);
    StageFeed::smooth(right);
    for (int j = 0; j < 256; ++j) {
        ASSERT_NEAR(feed.waveLeft()[j], left[j], 1e-5) << j;
        ASSERT_NEAR(feed.waveRight()[j], right[j], 1e-5) << j;
    }
    const double c = 0.4 * std::sin(0.23 * t) + 0.5;
    for (int i = 0; i < 64; ++i) {
        const double x = i / 63.0;
        const double ground =
            (0.5 * std::sin(0.9 * t + 7 * x) + 0.5) * 0.16 * (0.4 * std::sin(0.37 * t - 3.1 * x) + 0.6) +
            0.1 + 0.1 * std::exp(-std::pow(5 * (x - c), 2));
        ASSERT_NEAR(feed.bands()[i], ground, 1e-5) << i;
    }
    const auto& scope = feed.scopeFrames()[0];
    for (int l : {0, 100, 511}) {
        const double y = 2 * std::numbers::pi * l / 512;
        const double radius = (0.1 * std::sin(t + 7 * y) + 0.62) * 0.9;
        EXPECT_NEAR(scope[l].x, std::sin(0.7 * t + 3 * y) * radius, 1e-5);
        EXPECT_NEAR(scope[l].y, std::sin(0.45 * t + 2 * y) * radius, 1e-5);
    }
}
