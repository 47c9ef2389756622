// The level meter's smoothing and segments: the attack, release and peak numbers, the widths,
// and a clock that steps back or levels that are not numbers.
#include "deck/LevelMeter.hpp"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace ZintraRadio;

namespace {

constexpr double frame = 1.0 / 60;

int litSegments(const std::vector<MeterSegment>& row) {
    int lit = 0;
    for (const auto& segment : row)
        lit += segment.fill == SegmentFill::lit ? 1 : 0;
    return lit;
}

} // namespace

TEST(LevelMeter, ReleaseAndPeakFallAfterFullScale) {
    LevelMeterHold hold(0);
    double t = 0;
    for (int i = 0; i < 60; ++i)
        hold.advance(t += frame, 1, 1);
    ASSERT_DOUBLE_EQ(hold.level(0), 1);
    ASSERT_DOUBLE_EQ(hold.peak(0), 1);

    const MeterGeometry geometry = meterGeometry(150);
    // Silence at 60 frames a second: each frame keeps 0.85 of the level.
    int frames = 0;
    while (litSegments(meterRow(geometry, hold.level(0), hold.peak(0))) > 0) {
        const double before = hold.level(0);
        hold.advance(t += frame, 0, 0);
        ASSERT_NEAR(hold.level(0), before * 0.85, 1e-12);
        ++frames;
    }
    EXPECT_EQ(frames, 29);
    // The peak falls 0.35 a second and is gone once it is 0.03 or less: about 2.77 s.
    double peakGone = 29 * frame;
    while (hold.peak(0) > 0.03) {
        hold.advance(t += frame, 0, 0);
        peakGone += frame;
    }
    EXPECT_NEAR(peakGone, 0.97 / 0.35, frame);
    EXPECT_TRUE(hold.settled());
}

TEST(LevelMeter, AttackIsAFixedShareOfEachFrame) {
    for (double step : {1.0 / 120, 1.0 / 60, 1.0 / 30, 0.1}) {
        LevelMeterHold hold(0);
        double t = 0;
        std::vector<double> levels;
        for (int i = 0; i < 3; ++i) {
            hold.advance(t += step, 1, 1);
            levels.push_back(hold.level(1));
        }
        EXPECT_NEAR(levels[0], 0.6, 1e-12);
        EXPECT_NEAR(levels[1], 0.84, 1e-12);
        EXPECT_NEAR(levels[2], 0.936, 1e-12);
    }
}

TEST(LevelMeter, TargetsOfRawLevels) {
    EXPECT_DOUBLE_EQ(LevelMeterHold::target(1 / (1.15 * 1.15)), 1);
    EXPECT_DOUBLE_EQ(LevelMeterHold::target(0.9), 1);
    EXPECT_NEAR(LevelMeterHold::target(0.25), 0.575, 1e-12);
    EXPECT_NEAR(LevelMeterHold::target(0.5), 0.8132, 1e-4);
    EXPECT_EQ(LevelMeterHold::target(0), 0);
    EXPECT_EQ(LevelMeterHold::target(-1), 0);
}

TEST(LevelMeter, ABackwardClockOrLevelsThatAreNoNumbersNeitherFreezeNorPoison) {
    LevelMeterHold hold(100);
    hold.advance(100.5, 1, 1);
    const double level = hold.level(0);
    const double peak = hold.peak(0);

    // The clock steps back a minute: that frame moves nothing ...
    hold.advance(40, 0, 0);
    EXPECT_EQ(hold.level(0), level);
    EXPECT_EQ(hold.peak(0), peak);
    // ... and the next frame falls normally from the new time, not a minute later.
    hold.advance(40 + frame, 0, 0);
    EXPECT_NEAR(hold.level(0), level * 0.85, 1e-12);
    EXPECT_NEAR(hold.peak(0), peak - frame * 0.35, 1e-12);

    // A not-a-number time is no step and leaves the clock where it was.
    const double before = hold.level(0);
    hold.advance(std::nan(""), 0, 0);
    EXPECT_EQ(hold.level(0), before);
    hold.advance(40 + 2 * frame, 0, 0);
    EXPECT_NEAR(hold.level(0), before * 0.85, 1e-12);

    // Levels that are no numbers count as silence; the state stays a number in 0...1.
    for (double bad : {std::nan(""), std::numeric_limits<double>::infinity(),
                       -std::numeric_limits<double>::infinity(), -5.0}) {
        hold.advance(40 + 3 * frame, bad, bad);
        for (int c = 0; c < 2; ++c) {
            EXPECT_TRUE(std::isfinite(hold.level(c)));
            EXPECT_GE(hold.level(c), 0);
            EXPECT_LE(hold.level(c), 1);
            EXPECT_TRUE(std::isfinite(hold.peak(c)));
        }
    }
    // And a real level afterwards still moves the meter.
    hold.advance(41, 1, 1);
    EXPECT_GT(hold.level(0), 0.5);
}

TEST(LevelMeter, APauseInDrawingMovesOneCappedStep) {
    LevelMeterHold hold(0);
    hold.advance(frame, 1, 1);
    hold.advance(2 * frame, 1, 1);
    const double level = hold.level(0);
    hold.advance(30, 0, 0); // half a minute without frames
    EXPECT_NEAR(hold.level(0), level * (1 - 0.9), 1e-12);
    EXPECT_NEAR(hold.peak(0), level - 0.035, 1e-12);
}

TEST(LevelMeter, SegmentsPerWidth) {
    struct Case {
        double width;
        int segments;
        double pitch;
        int red;
    };
    for (const auto& c : std::vector<Case>{{150, 23, 6, 3},
                                           {100, 14, 88.0 / 14, 2},
                                           {70, 9, 58.0 / 9, 1},
                                           {50, 8, 4.75, 1},
                                           {0, 8, 0, 1}}) {
        SCOPED_TRACE(c.width);
        const MeterGeometry geometry = meterGeometry(c.width);
        EXPECT_EQ(geometry.segments, c.segments);
        EXPECT_NEAR(geometry.pitch, c.pitch, 1e-9);
        const auto row = meterRow(geometry, 0, 0);
        ASSERT_EQ(static_cast<int>(row.size()), c.segments);
        EXPECT_EQ(std::count_if(row.begin(), row.end(), [](const auto& s) { return s.red; }), c.red);
    }
    const MeterGeometry wide = meterGeometry(150);
    const auto row = meterRow(wide, 0, 0);
    EXPECT_NEAR(row.back().x + wide.segmentWidth, 148.4, 1e-9);
    EXPECT_NEAR(wide.segmentWidth, 4.4, 1e-9);
    // The ramp runs from cyan (1) at the left towards magenta before the red top.
    EXPECT_DOUBLE_EQ(row.front().rampPosition, 1);
    EXPECT_NEAR(row[10].rampPosition, 1 - 1.05 * 10 / 22, 1e-12);
    EXPECT_GT(meterGeometry(std::numeric_limits<double>::infinity()).segments, 7); // not a hang or a crash
}

TEST(LevelMeter, LitSegmentsAndThePeakMarker) {
    const MeterGeometry geometry = meterGeometry(150); // 23 segments, f = i / 22
    // Exactly 0.01 lights nothing, just above lights the first segment.
    EXPECT_EQ(litSegments(meterRow(geometry, 0.01, 0)), 0);
    EXPECT_EQ(litSegments(meterRow(geometry, 0.0101, 0)), 1);
    // Full scale lights all, the right-most only at full scale.
    EXPECT_EQ(litSegments(meterRow(geometry, 1, 1)), 23);
    EXPECT_EQ(litSegments(meterRow(geometry, 0.999, 1)), 22);

    auto peaks = [&](double level, double peak) {
        std::vector<int> marked;
        const auto row = meterRow(geometry, level, peak);
        for (int i = 0; i < static_cast<int>(row.size()); ++i)
            if (row[static_cast<std::size_t>(i)].fill == SegmentFill::peak)
                marked.push_back(i);
        return marked;
    };
    EXPECT_EQ(peaks(0, 11.0 / 22), std::vector<int>{11});
    // More than 0.5 / n away from every segment: no marker.
    EXPECT_EQ(peaks(0, 11.5 / 22), std::vector<int>{});
    // At most 0.03: no marker.
    EXPECT_EQ(peaks(0, 0.03), std::vector<int>{});
    // A lit segment at the peak position is drawn lit.
    EXPECT_EQ(peaks(0.6, 11.0 / 22), std::vector<int>{});
    EXPECT_EQ(meterRow(geometry, 0.6, 11.0 / 22)[11].fill, SegmentFill::lit);
}
