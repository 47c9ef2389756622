// The video stage over the real application model on the private display, the picture drawn
// through OpenGL. Pictures of the stage are kept as test artefacts.
#include "app/media/VideoStageKit.hpp"

#include <QSignalSpy>
#include <algorithm>
#include <gtest/gtest.h>
#include <vector>

using namespace ZintraRadio;
using namespace ZintraRadio::testkit;
using ZazidEvoz::MediaKind;
using namespace std::chrono_literals;

TEST_F(VideoStageView, OpensLoadingThenShowsThePictureWithItsLyricLine) {
    ui->setLyricsVisible(true);
    model.lyrics()->songChanged("Band - Timed Song", true);
    ASSERT_TRUE(lyricsFound("Band - Timed Song"));
    ytdlp.hold("a1");
    watch(timed);

    EXPECT_EQ(find("videoTitle")->property("text").toString(), "Band - Timed Clip");
    EXPECT_EQ(find("videoUploader")->property("text").toString(), "Channel One");
    EXPECT_TRUE(shown(find("videoLoading")));
    EXPECT_EQ(find("videoLoadingText")->property("text").toString(), "Loading video…");
    EXPECT_FALSE(shown(find("videoPicture")));
    EXPECT_TRUE(model.lyrics()->hasLyrics() && ui->lyricsVisible());
    pumpFor(400ms);
    EXPECT_FALSE(shown(find("videoStrip"))) << "no lyric line without a player";
    QQuickItem* frame = find("videoFrame");
    EXPECT_NEAR(frame->width() / frame->height(), 16.0 / 9.0, 0.01);
    const QRectF box = sceneRect(frame);
    EXPECT_TRUE(
        alike(meanColour(kit.window.grabWindow(), QRect(int(box.x() + 30), int(box.y() + 30), 60, 40)),
              Qt::black, 6))
        << "the black backdrop";
    keep("loading");

    ytdlp.release("a1");
    ASSERT_TRUE(playing());
    EXPECT_FALSE(shown(find("videoLoading")));
    EXPECT_TRUE(shown(find("videoPicture")));
    EXPECT_TRUE(pictureShows());
    ASSERT_TRUE(lyricsFound(timed.name));
    EXPECT_TRUE(pumpUntil([&] { return find("videoStrip")->opacity() == 1; }));
    // A frame counts as new when it is drawn before mpv gives up waiting for it (0.2 s): on a
    // busy software rasteriser the stage's first frames may all come too late.
    EXPECT_TRUE(pumpUntil([&] { return find("videoSurface")->property("framesDrawn").toInt() > 0; }));
    keep("playing");
}

TEST_F(VideoStageView, TheLyricsToggleSwapsItsHelpAndFadesTheLine) {
    ui->setLyricsVisible(true);
    watch(timed);
    ASSERT_TRUE(playing());
    ASSERT_TRUE(lyricsFound(timed.name));
    QQuickItem* toggle = find("videoLyricsToggle");
    QQuickItem* strip = find("videoStrip");
    ASSERT_TRUE(pumpUntil([&] { return shown(toggle) && strip->opacity() == 1; }));
    EXPECT_EQ(toggle->property("helpKey").toString(), "lyrics.hide");
    EXPECT_TRUE(toggle->property("active").toBool());

    // The fade runs, whatever the pace of the frames: under load one frame can span all of it,
    // so the opacities it passes through are no proof.
    QObject* fade = stage->findChild<QObject*>(QStringLiteral("videoStripFade"));
    ASSERT_NE(fade, nullptr);
    QSignalSpy fadeRuns(fade, SIGNAL(runningChanged(bool)));
    click(toggle);
    EXPECT_FALSE(ui->lyricsVisible());
    EXPECT_EQ(toggle->property("helpKey").toString(), "lyrics.show");
    EXPECT_FALSE(toggle->property("active").toBool());
    EXPECT_TRUE(pumpUntil([&] { return !strip->isVisible(); }));
    EXPECT_TRUE(std::any_of(fadeRuns.begin(), fadeRuns.end(), [](const QList<QVariant>& run) {
        return run.value(0).toBool();
    })) << "the line fades rather than vanishing";

    click(toggle);
    EXPECT_TRUE(ui->lyricsVisible());
    EXPECT_TRUE(pumpUntil([&] { return strip->opacity() == 1; }));
}

TEST_F(VideoStageView, WithoutLyricsThereIsNoToggleAndNoLine) {
    ui->setLyricsVisible(true);
    watch(untimed);
    ASSERT_TRUE(playing());
    ASSERT_TRUE(pumpUntil([&] {
        return model.lyrics()->songTitle() == untimed.name &&
               model.lyrics()->lyricsState().kind != LyricsModel::LyricsState::Kind::loading;
    }));
    pumpFor(400ms);
    EXPECT_FALSE(shown(find("videoLyricsToggle")));
    EXPECT_FALSE(shown(find("videoStrip")));
    EXPECT_TRUE(shown(find("videoListenOnly")));
    EXPECT_TRUE(shown(find("videoClose")));
}

TEST_F(VideoStageView, CinemaMovesTheForegroundInAndLeavesTheBackground) {
    watch(untimed);
    QQuickItem* title = find("videoTitle");
    QQuickItem* frame = find("videoFrame");
    QQuickItem* canvas = find("videoCanvas");
    const double titleX = sceneRect(title).x(), canvasX = sceneRect(canvas).x();
    const double foregroundX = sceneRect(find("videoForeground")).x();
    EXPECT_DOUBLE_EQ(foregroundX, 26);

    // The inset moves with the window's layout spring; its end counts.
    auto settled = [&](double inset) {
        return pumpUntil([&] { return stage->property("cinemaInset").toDouble() == inset; });
    };
    ui->setCinema(true);
    ASSERT_TRUE(settled(70));
    EXPECT_DOUBLE_EQ(sceneRect(title).x(), titleX + 70);
    EXPECT_DOUBLE_EQ(sceneRect(find("videoForeground")).x(), foregroundX + 70);
    EXPECT_DOUBLE_EQ(sceneRect(canvas).x(), canvasX);
    EXPECT_GE(sceneRect(frame).x(), foregroundX + 70);
    keep("cinema");
    ui->setCinema(false);
    ASSERT_TRUE(settled(0));
    EXPECT_DOUBLE_EQ(sceneRect(title).x(), titleX);
}

TEST_F(VideoStageView, AWideStageShowsThePictureAtFullHeightCentred) {
    kit.window.resize(1800, 560);
    host->setSize(kit.window.size());
    watch(untimed);
    ASSERT_TRUE(playing());
    QQuickItem* area = find("videoPlayerArea");
    QQuickItem* frame = find("videoFrame");
    pumpFor(50ms);
    EXPECT_NEAR(frame->height(), area->height(), 1);
    EXPECT_NEAR(frame->width(), area->height() * 16 / 9, 1.5);
    const QRectF box = sceneRect(frame), room = sceneRect(area);
    EXPECT_NEAR(box.center().x(), room.center().x(), 1);
    EXPECT_TRUE(pictureShows());
    keep("wide");
}

TEST_F(VideoStageView, ListenOnlyEndsTheVideoThenPlaysTheSameItem) {
    watch(timed);
    ASSERT_TRUE(playing());
    std::vector<std::string> order;
    QObject::connect(&model, &AppModel::videoItemChanged, [&] { order.push_back("video ended"); });
    QObject::connect(&model, &AppModel::currentChanged, [&] { order.push_back("audio item"); });

    click(find("videoListenOnly"));

    EXPECT_EQ(model.videoItem(), std::nullopt);
    EXPECT_EQ(model.videoPlayer(), nullptr);
    EXPECT_EQ(VideoPlayer::liveCount(), 0);
    EXPECT_TRUE(pumpUntil([] { return mpvThreads() == 0; }));
    ASSERT_TRUE(model.current());
    EXPECT_EQ(*model.current(), timed) << "the very item the video showed";
    ASSERT_GE(order.size(), 2u);
    EXPECT_EQ(order.front(), "video ended");
    EXPECT_EQ(order.back(), "audio item");
    model.stop();
}

TEST_F(VideoStageView, CloseEndsTheVideoAndNothingElse) {
    watch(timed);
    ASSERT_TRUE(playing());
    click(find("videoClose"));
    EXPECT_EQ(model.videoItem(), std::nullopt);
    EXPECT_EQ(model.videoPlayer(), nullptr);
    EXPECT_EQ(VideoPlayer::liveCount(), 0);
    EXPECT_EQ(model.current(), std::nullopt);
    EXPECT_EQ(model.stateName(), "stopped");
    EXPECT_TRUE(pumpUntil([] { return mpvThreads() == 0; })) << "the core and its network threads are gone";
    // The stage lingers while the main window fades it out: an empty frame, no loading wave.
    EXPECT_EQ(find("videoTitle")->property("text").toString(), "");
    EXPECT_FALSE(shown(find("videoLoading")));
}

TEST_F(VideoStageView, TheControlsShowOnHoverAndDriveTheVideo) {
    watch(untimed);
    ASSERT_TRUE(playing());
    VideoPlayer* player = model.videoPlayer();
    QQuickItem* controls = find("videoControls");
    QQuickItem* bar = find("videoControlsBar");
    controls->setProperty("hideDelay", 400);
    QTest::mouseMove(&kit.window, QPoint(5, 5));
    EXPECT_TRUE(pumpUntil([&] { return !bar->isVisible(); })) << "no controls while the pointer is elsewhere";

    const QPointF middle = sceneRect(find("videoFrame")).center();
    QTest::mouseMove(&kit.window, middle.toPoint());
    QTest::mouseMove(&kit.window, (middle + QPointF(5, 5)).toPoint());
    ASSERT_TRUE(pumpUntil([&] { return bar->opacity() == 1; }));
    EXPECT_TRUE(pumpUntil([&] { return !bar->isVisible(); })) << "the controls fade once the pointer rests";
    QTest::mouseMove(&kit.window, middle.toPoint());
    ASSERT_TRUE(pumpUntil([&] { return bar->opacity() == 1; }));

    click(find("videoPlayPause"));
    ASSERT_TRUE(pumpUntil([&] { return player->state() == VideoPlayer::State::paused; }));
    EXPECT_EQ(find("videoPlayPause")->property("symbol").toString(), "play.fill");
    pumpFor(600ms);
    EXPECT_TRUE(shown(bar)) << "a paused video keeps its controls";

    // The seek bar: a click three quarters along goes three quarters into the clip.
    ASSERT_TRUE(pumpUntil([&] { return player->duration().has_value(); }));
    QQuickItem* seek = find("videoSeek");
    const QRectF seekBox = sceneRect(seek);
    QTest::mouseClick(&kit.window, Qt::LeftButton, {},
                      QPoint(int(seekBox.x() + seekBox.width() * 0.75), int(seekBox.center().y())));
    EXPECT_TRUE(pumpUntil([&] { return std::abs(player->timePosition().value_or(0) - 22.5) < 1.0; }))
        << player->timePosition().value_or(-1);
    EXPECT_TRUE(
        pumpUntil([&] { return find("videoElapsed")->property("text").toString().startsWith("0:2"); }));
    EXPECT_EQ(find("videoTotal")->property("text").toString(), "0:30");

    // Mute and volume are the application's, and the player follows them.
    click(find("videoMute"));
    EXPECT_TRUE(model.muted());
    EXPECT_EQ(player->volume(), 0);
    EXPECT_EQ(find("videoMute")->property("helpKey").toString(), "deck.unmute");
    click(find("videoMute"));
    EXPECT_FALSE(model.muted());
    QQuickItem* volume = find("videoVolume");
    const QRectF volumeBox = sceneRect(volume);
    QTest::mouseClick(&kit.window, Qt::LeftButton, {}, volumeBox.center().toPoint());
    EXPECT_NEAR(model.volume(), 0.5, 0.08);
    EXPECT_NEAR(player->volume(), model.volume(), 1e-6);
    keep("controls");

    click(find("videoPlayPause"));
    EXPECT_TRUE(pumpUntil([&] { return player->state() == VideoPlayer::State::playing; }));
}
