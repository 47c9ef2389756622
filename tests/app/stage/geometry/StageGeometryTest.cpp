// The stage's drawings as numbers: the mode table and shader arguments, the terrain and
// vectorscope geometry, the fallback scope's paths and the frame-rate cap.
#include "stage/FallbackScope.hpp"
#include "stage/ModeShaderInput.hpp"
#include "stage/StageModes.hpp"
#include "stage/TerrainCanvas.hpp"
#include "stage/VectorscopeCanvas.hpp"

#include <gtest/gtest.h>
#include <numbers>

using namespace ZintraRadio;
using Kind = ShaderArgument::Kind;

namespace {

std::vector<Kind> kinds(const StageMode& mode) {
    std::vector<Kind> list;
    for (const auto& argument : mode.arguments)
        list.push_back(argument.kind);
    return list;
}

StageFeed::Date at(double seconds) {
    return StageFeed::Date{} +
           std::chrono::duration_cast<StageFeed::Clock::duration>(std::chrono::duration<double>(seconds));
}

} // namespace

TEST(StageModes, EightModesInPickerOrderAndUnknownNamesMeanZintra) {
    std::vector<std::string_view> names;
    for (const auto& mode : stageModes())
        names.push_back(mode.raw());
    EXPECT_EQ(names, (std::vector<std::string_view>{"zintra", "scope", "spectrum", "terrain", "vectorscope",
                                                    "plasma", "aurora", "warp"}));
    for (const char* stored : {"", "Zintra", "laser", "terrain "})
        EXPECT_EQ(stageMode(std::string_view(stored)).raw(), "zintra") << '"' << stored << '"';
    EXPECT_EQ(stageModeOf(QStringLiteral("warp")).raw(), "warp");
    EXPECT_EQ(stageMode("plasma").mode, VisualizerMode::plasma);
    EXPECT_EQ(stageMode("terrain").drawing, StageDrawing::Terrain);
    EXPECT_EQ(stageMode("vectorscope").drawing, StageDrawing::Vectorscope);
}

TEST(StageModes, EachShaderGetsItsArgumentList) {
    struct Case {
        const char* mode;
        const char* shader;
        std::vector<Kind> kinds;
        std::vector<std::pair<std::string_view, int>> arrays;
        const char* phase;
    };
    const Case cases[] = {
        {"zintra",
         "zintraWave",
         {Kind::Size, Kind::Time, Kind::Phase, Kind::Energies, Kind::Tone, Kind::Array, Kind::Array,
          Kind::Array},
         {{"bands", 64}, {"waveLeft", 256}, {"waveRight", 256}},
         "spin"},
        {"scope",
         "neonScope",
         {Kind::Size, Kind::Time, Kind::Energies, Kind::Tone, Kind::Array, Kind::Array, Kind::Array,
          Kind::Constant},
         {{"waveLeft", 256}, {"waveRight", 256}, {"history", 640}},
         nullptr},
        {"spectrum",
         "spectrumBars",
         {Kind::Size, Kind::Time, Kind::Energies, Kind::Tone, Kind::Array, Kind::Array},
         {{"bands", 64}, {"peaks", 64}},
         nullptr},
        {"plasma",
         "liquidPlasma",
         {Kind::Size, Kind::Time, Kind::Phase, Kind::Energies, Kind::Tone, Kind::Array, Kind::Array},
         {{"waveLeft", 256}, {"waveRight", 256}},
         "flow"},
        {"aurora",
         "auroraSky",
         {Kind::Size, Kind::Time, Kind::Energies, Kind::Tone, Kind::Array, Kind::Array},
         {{"bands", 64}, {"waveMono", 256}},
         nullptr},
        {"warp",
         "warpTunnel",
         {Kind::Size, Kind::Time, Kind::Phase, Kind::Energies, Kind::Tone, Kind::Array, Kind::Array},
         {{"bands", 64}, {"waveMono", 256}},
         "travel"},
    };
    StageFeed feed(at(0));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        const StageMode& mode = stageMode(c.mode);
        EXPECT_EQ(mode.shader, c.shader);
        EXPECT_EQ(kinds(mode), c.kinds);
        std::vector<std::pair<std::string_view, int>> arrays;
        for (const auto& argument : mode.arguments) {
            if (argument.kind == Kind::Array) {
                arrays.emplace_back(argument.source, argument.length);
                EXPECT_EQ(static_cast<int>(arrayValues(feed, argument.source).size()), argument.length)
                    << "each array is passed whole";
            }
            if (argument.kind == Kind::Phase) {
                EXPECT_EQ(argument.source, c.phase);
            }
        }
        EXPECT_EQ(arrays, c.arrays);
    }
    EXPECT_EQ(stageMode("scope").arguments.back().value, 5.0f) << "five history rows of 128 samples";
}

TEST(StageModes, TextureRowsFollowTheArgumentOrder) {
    StageFeed feed(at(0));
    feed.update(ZazidEvoz::AudioFrame::silent(64, 512), at(0), false);
    std::array<float, ModeShaderInput::textureWidth * ModeShaderInput::textureRows> texels{};
    auto row = [&](int r) { return texels.data() + r * ModeShaderInput::textureWidth; };

    ModeShaderInput::fillTexture(stageMode("spectrum"), feed, texels);
    EXPECT_TRUE(std::equal(feed.bands().begin(), feed.bands().end(), row(0)));
    EXPECT_TRUE(std::equal(feed.peaks().begin(), feed.peaks().end(), row(1)));
    EXPECT_EQ(row(0)[64], 0.0f);
    EXPECT_TRUE(std::all_of(row(2), row(3), [](float v) { return v == 0; }));

    ModeShaderInput::fillTexture(stageMode("scope"), feed, texels);
    EXPECT_TRUE(std::equal(feed.waveRight().begin(), feed.waveRight().end(), row(1)));
    EXPECT_TRUE(std::equal(feed.history().begin(), feed.history().end(), row(2)));
}

TEST(Terrain, LayoutOfThe1000By500Canvas) {
    const TerrainLayout layout = Terrain::layout({1000, 500}, 0);
    EXPECT_DOUBLE_EQ(layout.horizon, 210);
    EXPECT_DOUBLE_EQ(layout.sunRadius, 95);
    EXPECT_DOUBLE_EQ(layout.sunCentre.x(), 500);
    EXPECT_DOUBLE_EQ(layout.sunCentre.y(), 176.75);
    EXPECT_DOUBLE_EQ(layout.glowRadius, 285);

    // The first step at y = 81.75 has no width, adds nothing and moves on by 13.
    const auto stripes = Terrain::sunStripes(layout);
    ASSERT_GT(stripes.size(), 10u);
    EXPECT_DOUBLE_EQ(stripes[0].y(), 81.75 + 13);
    double solidUntil = 0;
    for (std::size_t i = 1; i < stripes.size(); ++i) {
        const double u = (stripes[i - 1].y() - 81.75) / 190;
        const double gap = stripes[i].y() - stripes[i - 1].bottom();
        if (u < 0.42) {
            EXPECT_NEAR(gap, 0, 1e-9) << "solid in the upper 42 %";
            solidUntil = stripes[i].y();
        } else {
            EXPECT_NEAR(gap, (u - 0.42) * 14, 1e-9);
        }
        EXPECT_LE(stripes[i].height(), stripes[i - 1].height());
        EXPECT_GE(stripes[i].height(), 3);
    }
    EXPECT_NEAR(solidUntil, 81.75 + 0.42 * 190, 13);
}

TEST(Terrain, StarsAndRows) {
    const TerrainStar first = Terrain::star(0, 123.4, {1000, 500}, 210);
    EXPECT_EQ(first.topLeft, QPointF(0, 0));
    EXPECT_DOUBLE_EQ(first.diameter, 1);

    // One row at phase 0: the farthest place, invisible until it has come a little nearer.
    const TerrainRowPlace newest = Terrain::rowPlace(0, 0, {1000, 500}, 210, 0);
    EXPECT_DOUBLE_EQ(newest.z, 1 / 8.82);
    EXPECT_EQ(Terrain::rowStroke(newest).opacity, 0.0f);
    std::vector<QPointF> line;
    StageFeed::TerrainRow zeros{};
    Terrain::rowLine(zeros, newest, 500, line);
    ASSERT_EQ(line.size(), 97u);
    EXPECT_DOUBLE_EQ(line.front().x(), 500 - newest.halfWidth);
    EXPECT_DOUBLE_EQ(line.back().x(), 500 + newest.halfWidth);
    for (const QPointF& point : line)
        EXPECT_DOUBLE_EQ(point.y(), newest.baseline) << "a row of zeros is a straight line";

    // The bass sits at both ends, the treble in the middle; the ends rise more.
    StageFeed::TerrainRow bassOnly{};
    bassOnly.fill(0);
    bassOnly[0] = bassOnly[1] = 1;
    Terrain::rowLine(bassOnly, newest, 500, line);
    EXPECT_LT(line.front().y(), newest.baseline);
    EXPECT_LT(line.back().y(), newest.baseline);
    EXPECT_DOUBLE_EQ(line[48].y(), newest.baseline);

    const TerrainRowPlace nearest = Terrain::rowPlace(45, 0.999, {1000, 500}, 210, 0);
    EXPECT_NEAR(nearest.z, 1, 1e-3);
    EXPECT_NEAR(nearest.baseline, 210 + 1.04 * 290, 0.5);
    EXPECT_GT(nearest.baseline, 500);
    EXPECT_NEAR(Terrain::rowStroke(nearest).opacity, 1.0f, 1e-3f) << "near rows are brightest";
}

TEST(Vectorscope, LayoutOfThe800By600Canvas) {
    const VectorscopeLayout scope = Vectorscope::layout({800, 600});
    EXPECT_NEAR(scope.radius, 185.76, 1e-9);
    EXPECT_EQ(scope.centre, QPointF(400, 282));
    EXPECT_DOUBLE_EQ(scope.bar.x(), 220);
    EXPECT_DOUBLE_EQ(scope.bar.width(), 360);
    EXPECT_DOUBLE_EQ(scope.bar.y(), 508);
    EXPECT_DOUBLE_EQ(Vectorscope::layout({500, 600}).bar.width(), 250);

    struct Case {
        double correlation;
        double x;
    };
    for (const Case c : {Case{1, 580}, Case{-1, 220}, Case{0, 400}})
        EXPECT_DOUBLE_EQ(Vectorscope::markerCentre(scope, c.correlation).x(), c.x) << c.correlation;

    EXPECT_DOUBLE_EQ(Vectorscope::bandAngle(0, 64, 1, 0), -std::numbers::pi / 2 + std::numbers::pi / 128);
    EXPECT_DOUBLE_EQ(Vectorscope::bandAngle(0, 64, -1, 0), -std::numbers::pi / 2 - std::numbers::pi / 128);
}

TEST(Vectorscope, StereoPairsLeanTheRightWay) {
    const VectorscopeLayout scope = Vectorscope::layout({800, 600});
    const QPointF c = scope.centre;
    const QPointF mono = Vectorscope::scopePoint(scope, 0.5, 0.5);
    EXPECT_DOUBLE_EQ(mono.x(), c.x());
    EXPECT_LT(mono.y(), c.y());
    const QPointF left = Vectorscope::scopePoint(scope, 0.5, 0);
    EXPECT_LT(left.x(), c.x());
    EXPECT_LT(left.y(), c.y());
    const QPointF right = Vectorscope::scopePoint(scope, 0, 0.5);
    EXPECT_GT(right.x(), c.x());
    EXPECT_LT(right.y(), c.y());
    EXPECT_DOUBLE_EQ(Vectorscope::scopePoint(scope, 0.5, -0.5).y(), c.y());
}

TEST(FallbackScope, WavePaths) {
    std::vector<float> wave(256, 0.0f);
    QPainterPath flat = Fallback::wavePath(wave, {400, 200});
    for (int i = 0; i < flat.elementCount(); ++i)
        EXPECT_EQ(flat.elementAt(i).y, 100);
    wave[0] = 1;
    QPainterPath path = Fallback::wavePath(wave, {400, 200});
    EXPECT_EQ(QPointF(path.elementAt(0)), QPointF(0, 40));
    EXPECT_EQ(path.elementAt(255).x, 400);
    EXPECT_TRUE(Fallback::wavePath({}, {400, 200}).isEmpty());
}
