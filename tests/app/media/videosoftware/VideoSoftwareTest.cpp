// The software video surface on Qt Quick's software scene graph (offscreen, no OpenGL): libmpv
// draws generated two-colour clips from 127.0.0.1 into memory and the item paints them,
// opaque, upright and with rounded corners; players swap in place and go in either order; the
// video stage shows its picture and lyric line this way too.
#include "app/media/VideoStageKit.hpp"

#include <QQuickItemGrabResult>
#include <QQuickWindow>
#include <gtest/gtest.h>

using namespace ZintraRadio;
using namespace ZintraRadio::testkit;
using namespace std::chrono_literals;

namespace {

// Before the first window of the program, whichever suite comes first.
void useSoftwareSceneGraph() {
    static const bool chosen = [] {
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
        return true;
    }();
    (void)chosen;
}

class SoftwareSurface : public ::testing::Test {
protected:
    static void SetUpTestSuite() { useSoftwareSceneGraph(); }
};

} // namespace

TEST_F(SoftwareSurface, DrawsTheClipOpaqueUprightAndRounded) {
    ClipSite site(splitClip("red", "blue"));
    VideoPlayer player(site.clipURL(), pictureOptions());
    SurfaceScene scene("SoftwareVideoSurface");
    ASSERT_TRUE(scene.exposed) << scene.kit.warnings.join('\n').toStdString();
    scene.surface->setProperty("cornerRadius", 18);

    scene.show(&player);
    player.play();
    ASSERT_TRUE(scene.drawsFrames(5));
    EXPECT_TRUE(scene.showsHalves(red, blue));
    keepPicture(scene.grab(), "surface-software");

    // The item alone, over nothing.
    const QSharedPointer<QQuickItemGrabResult> grabbed = scene.surface->grabToImage();
    ASSERT_TRUE(grabbed);
    bool ready = false;
    QObject::connect(grabbed.data(), &QQuickItemGrabResult::ready, [&] { ready = true; });
    ASSERT_TRUE(pumpUntil([&] { return ready; }));
    const QImage item = grabbed->image();
    ASSERT_EQ(item.size(), SurfaceScene::area.size());
    EXPECT_EQ(qAlpha(item.pixel(160, 45)), 255) << "mpv's padding byte never shows as alpha";
    EXPECT_EQ(qAlpha(item.pixel(40, 170)), 255);
    EXPECT_EQ(qAlpha(item.pixel(1, 1)), 0) << "the corner is cut round";
    EXPECT_EQ(qAlpha(item.pixel(318, 178)), 0);
    EXPECT_EQ(scene.contexts(), 1);
    EXPECT_TRUE(scene.kit.warnings.isEmpty()) << scene.kit.warnings.join('\n').toStdString();
}

TEST_F(SoftwareSurface, ThePictureTakesTheSoftwareSurfaceHere) {
    QmlKit kit;
    QQuickItem* picture = kit.create("import ZintraRadio\nVideoPicture { width: 160; height: 90 }");
    ASSERT_TRUE(picture) << kit.warnings.join('\n').toStdString();
    kit.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&kit.window));
    ASSERT_TRUE(pumpUntil([&] { return picture->property("surface").value<QObject*>() != nullptr; }));
    EXPECT_STREQ(picture->property("surface").value<QObject*>()->metaObject()->className(),
                 "ZintraRadio::SoftwareVideoSurface");
}

TEST_F(SoftwareSurface, SwapsPlayersInPlace) {
    ClipSite first(splitClip("red", "blue", 8)), second(splitClip("lime", "yellow", 8));
    VideoPlayer a(first.clipURL(), pictureOptions()), b(second.clipURL(), pictureOptions());
    SurfaceScene scene("SoftwareVideoSurface");
    ASSERT_TRUE(scene.exposed);
    swapsPlayersInPlace(scene, a, b, "surface-software-swapped");
}

TEST_F(SoftwareSurface, EndsEveryCoreInEitherOrder) {
    ClipSite site(splitClip("red", "blue", 8));
    for (const bool surfaceFirst : {false, true}) {
        SCOPED_TRACE(surfaceFirst ? "surface first" : "player first");
        auto player = std::make_unique<VideoPlayer>(site.clipURL(), pictureOptions());
        auto scene = std::make_unique<SurfaceScene>("SoftwareVideoSurface");
        ASSERT_TRUE(scene->exposed);
        scene->show(player.get());
        player->play();
        ASSERT_TRUE(scene->drawsFrames(3));
        if (surfaceFirst) {
            scene.reset();
            player->shutDown();
            player.reset();
        } else {
            player->shutDown();
            player.reset();
            EXPECT_EQ(scene->shown(), nullptr);
            scene.reset();
        }
        EXPECT_EQ(VideoPlayer::liveCount(), 0);
        EXPECT_TRUE(pumpUntil([] { return mpvThreads() == 0; })) << mpvThreads() << " mpv threads left";
    }
}

namespace {

class SoftwareStage : public VideoStageView {
protected:
    static void SetUpTestSuite() { useSoftwareSceneGraph(); }
};

} // namespace

TEST_F(SoftwareStage, ShowsThePictureAndTheLyricLine) {
    ui->setLyricsVisible(true);
    watch(timed);
    ASSERT_TRUE(playing());
    EXPECT_STREQ(find("videoSurface")->metaObject()->className(), "ZintraRadio::SoftwareVideoSurface");
    EXPECT_TRUE(pictureShows());
    ASSERT_TRUE(lyricsFound(timed.name));
    EXPECT_TRUE(pumpUntil([&] { return find("videoStrip")->opacity() == 1; }));
    keep("software");
}
