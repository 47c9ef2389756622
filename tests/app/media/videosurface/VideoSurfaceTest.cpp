// The OpenGL video surface on a private X display (llvmpipe): libmpv draws generated two-colour
// clips served from 127.0.0.1 into the scene, follows the player, swaps players in place, gets
// a new render context when the window's graphics are recreated, and tears down cleanly in
// every order.
#include "app/media/VideoSurfaceKit.hpp"

#include <gtest/gtest.h>

using namespace ZintraRadio;
using namespace ZintraRadio::testkit;
using namespace std::chrono_literals;

namespace {

bool reaches(const VideoPlayer& player, VideoPlayer::State state) {
    return pumpUntil([&] { return player.state() == state; });
}

enum class Source { mp4, hls };

class SurfaceDraws : public ::testing::TestWithParam<Source> {};

} // namespace

TEST_P(SurfaceDraws, TheClipUprightInItsColours) {
    ClipSite site(splitClip("red", "blue"));
    const bool mp4 = GetParam() == Source::mp4;
    VideoPlayer player(mp4 ? site.clipURL() : site.hlsURL(), pictureOptions());
    SurfaceScene scene("VideoSurface");
    ASSERT_TRUE(scene.exposed) << scene.kit.warnings.join('\n').toStdString();
    EXPECT_EQ(player.timePosition(), std::nullopt);

    scene.show(&player);
    player.play();
    ASSERT_TRUE(scene.drawsFrames(5));
    EXPECT_TRUE(player.timePosition().has_value());
    EXPECT_TRUE(scene.showsHalves(red, blue));
    const auto [upper, lower] = scene.halves();
    EXPECT_TRUE(alike(upper, red)) << describe(upper) << ": the picture stands upright in its own colours";
    EXPECT_TRUE(alike(lower, blue)) << describe(lower);
    keepPicture(scene.grab(), mp4 ? "surface-gl-mp4" : "surface-gl-hls");
    EXPECT_EQ(scene.contexts(), 1);
    EXPECT_TRUE(scene.kit.warnings.isEmpty()) << scene.kit.warnings.join('\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(VideoSurface, SurfaceDraws, ::testing::Values(Source::mp4, Source::hls),
                         [](const auto& info) { return info.param == Source::mp4 ? "mp4" : "hls"; });

TEST(VideoSurface, PausedItHoldsThePictureAndAtTheEndItStops) {
    ClipSite site(splitClip("red", "blue", 2));
    VideoPlayer player(site.clipURL(), pictureOptions());
    SurfaceScene scene("VideoSurface");
    ASSERT_TRUE(scene.exposed);
    scene.show(&player);
    player.play();
    ASSERT_TRUE(scene.drawsFrames(3));

    player.pause();
    ASSERT_TRUE(reaches(player, VideoPlayer::State::paused));
    // Frames decoded before the pause may still arrive on a busy machine: wait until they stop.
    int held = scene.frames();
    for (int tries = 0; tries < 20; ++tries) {
        pumpFor(150ms);
        if (scene.frames() == held)
            break;
        held = scene.frames();
    }
    const double at = player.timePosition().value_or(-1);
    pumpFor(400ms);
    EXPECT_LE(scene.frames(), held + 1) << "no new frames while paused";
    EXPECT_NEAR(player.timePosition().value_or(-1), at, 0.05);
    EXPECT_TRUE(scene.showsHalves(red, blue)) << "the paused picture stays";

    player.play();
    ASSERT_TRUE(reaches(player, VideoPlayer::State::ended));
    EXPECT_EQ(player.timePosition(), std::nullopt);
    const int atEnd = scene.frames();
    pumpFor(300ms);
    EXPECT_LE(scene.frames(), atEnd + 1);
}

TEST(VideoSurface, AnAddressThatFailsDrawsNothing) {
    ClipSite site;
    VideoPlayer player(site.url("/missing.mp4"), pictureOptions());
    SurfaceScene scene("VideoSurface");
    ASSERT_TRUE(scene.exposed);
    scene.show(&player);
    player.play();
    ASSERT_TRUE(reaches(player, VideoPlayer::State::failed));
    EXPECT_FALSE(player.error().empty());
    EXPECT_EQ(player.timePosition(), std::nullopt);
    pumpFor(200ms);
    EXPECT_EQ(scene.frames(), 0);
    const auto [upper, lower] = scene.halves();
    EXPECT_TRUE(alike(upper, Qt::black, 8)) << describe(upper) << ": no picture";
    EXPECT_TRUE(alike(lower, Qt::black, 8)) << describe(lower);
}

TEST(VideoSurface, TheSamePlayerStaysAndAnotherIsSwappedInPlace) {
    ClipSite first(splitClip("red", "blue", 8)), second(splitClip("lime", "yellow", 8));
    auto a = std::make_unique<VideoPlayer>(first.clipURL(), pictureOptions());
    auto b = std::make_unique<VideoPlayer>(second.clipURL(), pictureOptions());
    SurfaceScene scene("VideoSurface");
    ASSERT_TRUE(scene.exposed);
    ASSERT_NO_FATAL_FAILURE(swapsPlayersInPlace(scene, *a, *b, "surface-gl-swapped"));

    // The first player's core ends once the player does: the surface holds none of it.
    a.reset();
    const int oneCore = mpvThreads();
    scene.show(nullptr);
    EXPECT_TRUE(pumpUntil([&] { return alike(scene.halves().first, SurfaceScene::backdrop, 8); }))
        << describe(scene.halves().first) << ": without a player the surface shows what lies behind";
    b.reset();
    EXPECT_TRUE(pumpUntil([] { return mpvThreads() == 0; })) << mpvThreads() << " of " << oneCore;
}

TEST(VideoSurface, RecreatedGraphicsGetARenderContextOfTheirOwn) {
    ClipSite site(splitClip("red", "blue", 8));
    VideoPlayer player(site.clipURL(), pictureOptions());
    SurfaceScene scene("VideoSurface");
    scene.kit.window.setPersistentGraphics(false);
    scene.kit.window.setPersistentSceneGraph(false);
    ASSERT_TRUE(scene.exposed);
    scene.show(&player);
    player.play();
    ASSERT_TRUE(scene.showsHalves(red, blue));
    ASSERT_EQ(scene.contexts(), 1);

    QSignalSpy invalidated(&scene.kit.window, &QQuickWindow::sceneGraphInvalidated);
    scene.kit.window.hide();
    scene.kit.window.releaseResources();
    ASSERT_TRUE(pumpUntil([&] { return invalidated.count() > 0; })) << "the scene graph went";
    scene.kit.window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&scene.kit.window));
    EXPECT_TRUE(pumpUntil([&] { return scene.contexts() == 2; }));
    ASSERT_TRUE(scene.drawsFrames(3));
    EXPECT_TRUE(scene.showsHalves(red, blue));
}

namespace {

enum class Order { playerFirst, surfaceFirst, windowFirst, playerThenWindow };

class Teardown : public ::testing::TestWithParam<Order> {};

} // namespace

TEST_P(Teardown, EndsEveryCore) {
    ClipSite site(splitClip("red", "blue", 8));
    auto player = std::make_unique<VideoPlayer>(site.clipURL(), pictureOptions());
    auto scene = std::make_unique<SurfaceScene>("VideoSurface");
    ASSERT_TRUE(scene->exposed);
    scene->show(player.get());
    player->play();
    ASSERT_TRUE(scene->drawsFrames(3));
    ASSERT_GT(mpvThreads(), 0);

    // The model's way of ending a video: the core is told to end at once, the object goes later.
    auto stop = [&] {
        player->shutDown();
        player.reset();
    };
    auto dropSurface = [&] {
        scene->kit.owned.clear();
        scene->surface = nullptr;
        scene->kit.window.update();
        pumpFor(100ms);
    };
    switch (GetParam()) {
    case Order::playerFirst:
        stop();
        pumpFor(100ms);
        dropSurface();
        break;
    case Order::surfaceFirst:
        dropSurface();
        stop();
        break;
    case Order::windowFirst:
        scene.reset();
        stop();
        break;
    case Order::playerThenWindow:
        stop();
        scene.reset();
        break;
    }
    scene.reset();
    EXPECT_EQ(VideoPlayer::liveCount(), 0);
    EXPECT_TRUE(pumpUntil([] { return mpvThreads() == 0; })) << mpvThreads() << " mpv threads left";
}

INSTANTIATE_TEST_SUITE_P(VideoSurface, Teardown,
                         ::testing::Values(Order::playerFirst, Order::surfaceFirst, Order::windowFirst,
                                           Order::playerThenWindow),
                         [](const auto& info) {
                             switch (info.param) {
                             case Order::playerFirst:
                                 return "playerFirst";
                             case Order::surfaceFirst:
                                 return "surfaceFirst";
                             case Order::windowFirst:
                                 return "windowFirst";
                             case Order::playerThenWindow:
                                 return "playerThenWindow";
                             }
                             return "unknown";
                         });
