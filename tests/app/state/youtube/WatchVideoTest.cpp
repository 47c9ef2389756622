// Watching videos through the application model: yt-dlp played by a script resolves the
// items to a clip on a local site, which libmpv plays without picture and sound.
#include "YouTubeKit.hpp"
#include "ZazidEvoz/platform/FileURL.hpp"

#include <gtest/gtest.h>

using namespace ZintraRadio;
using namespace ZintraRadio::testkit;
using ZazidEvoz::MediaKind;
using namespace std::chrono_literals;

namespace {

Station videoItem(const std::string& id, const std::string& name) {
    auto item = makeStation(MediaKind::youtube, name, youtubeLink(id));
    item.duration = 2;
    return item;
}

class WatchVideo : public ::testing::Test {
protected:
    WatchVideo() {
        ytdlp.stream("a1", site.clipURL() + "?first");
        ytdlp.stream("b2", site.clipURL() + "?second");
        // Every player the model hands out, by its address.
        QObject::connect(&model, &AppModel::videoPlayerChanged, [this] {
            if (model.videoPlayer())
                players.push_back(model.videoPlayer()->url());
        });
    }

    // Until the video plays and the lyric clock runs on it.
    bool playing() {
        return pumpUntil([&] {
            return model.videoPlayer() && model.videoPlayer()->state() == VideoPlayer::State::playing &&
                   model.lyrics()->position(setup.scheduler->date()).has_value();
        });
    }

    ClipSite site;
    ScriptedYtDlp ytdlp{{"a1", "b2"}};
    AppSetup setup;
    AppModel model{videoFreeOptions(setup)};
    std::vector<std::string> players;
    const Station first = videoItem("a1", "Artist - First Video");
    const Station second = videoItem("b2", "Artist - Second Video");
};

} // namespace

TEST_F(WatchVideo, TwoQuickRequestsMakeOnePlayerForTheSecond) {
    ytdlp.hold("a1");
    model.watchVideo(first);
    model.watchVideo(second);
    EXPECT_TRUE(model.videoLoading());
    EXPECT_EQ(model.videoItem(), second);

    ASSERT_TRUE(playing());
    ytdlp.release("a1");
    ASSERT_TRUE(pumpUntil([&] { return ytdlp.answered("a1"); }));
    pumpFor(300ms);

    EXPECT_EQ(players, std::vector<std::string>{site.clipURL() + "?second"});
    EXPECT_EQ(VideoPlayer::liveCount(), 1);
    EXPECT_EQ(model.videoItem(), second);
    EXPECT_FALSE(model.videoLoading());
    EXPECT_EQ(model.lyrics()->songTitle(), second.name);
    ASSERT_FALSE(model.library().history.empty());
    EXPECT_EQ(model.library().history.front(), second);

    // The lyric clock is the player's.
    ASSERT_TRUE(pumpUntil([&] { return model.videoPlayer()->timePosition().value_or(0) > 0.3; }));
    const double position = *model.lyrics()->position(setup.scheduler->date());
    EXPECT_NEAR(position, *model.videoPlayer()->timePosition(), 0.5);

    model.stopVideo();
    EXPECT_EQ(model.videoPlayer(), nullptr);
    EXPECT_EQ(VideoPlayer::liveCount(), 0) << "stopping frees the player at once";
    EXPECT_EQ(model.videoItem(), std::nullopt);
    EXPECT_EQ(model.lyrics()->songTitle(), std::nullopt);
}

TEST_F(WatchVideo, StopVideoWithoutAVideoLeavesTheLyricsAlone) {
    model.lyrics()->songChanged("Some Artist - Some Song", false);
    QSignalSpy item(&model, &AppModel::videoItemChanged);
    QSignalSpy loading(&model, &AppModel::videoLoadingChanged);

    model.stopVideo();

    EXPECT_EQ(model.lyrics()->songTitle(), "Some Artist - Some Song");
    EXPECT_EQ(item.count(), 0);
    EXPECT_EQ(loading.count(), 0);
    EXPECT_EQ(model.videoPlayer(), nullptr);
}

TEST_F(WatchVideo, AFailedResolutionClearsTheStageWithAToast) {
    ytdlp.fail("a1");
    model.watchVideo(first);
    ASSERT_TRUE(pumpUntil([&] { return !model.videoLoading(); }));
    EXPECT_EQ(model.videoItem(), std::nullopt);
    EXPECT_EQ(model.videoPlayer(), nullptr);
    ASSERT_TRUE(model.toast());
    EXPECT_EQ(model.toast()->style, Toast::Style::error);
    EXPECT_EQ(model.toast()->text, "staged failure of a1");
}

TEST_F(WatchVideo, ALateFailureOfAnOlderRequestLeavesTheNewVideoPlaying) {
    ytdlp.hold("a1");
    ytdlp.fail("a1");
    model.watchVideo(first);
    model.watchVideo(second);
    ASSERT_TRUE(playing());

    ytdlp.release("a1");
    ASSERT_TRUE(pumpUntil([&] { return ytdlp.answered("a1"); }));
    pumpFor(300ms);

    EXPECT_EQ(model.videoItem(), second);
    ASSERT_NE(model.videoPlayer(), nullptr);
    EXPECT_EQ(model.videoPlayer()->url(), site.clipURL() + "?second");
    EXPECT_EQ(model.toast(), std::nullopt);
}

TEST_F(WatchVideo, WatchingStopsTheAudioButKeepsTheCurrentItem) {
    auto file = ZazidEvoz::testkit::sineFile("watch-audio.mp3", 440, 30);
    const auto station =
        makeStation(MediaKind::file, "Local Song", ZazidEvoz::platform::fileURLFromPath(file.string()));
    model.play(station);
    ASSERT_TRUE(pumpUntil([&] { return model.stateName() == "playing"; }));

    model.watchVideo(second);
    ASSERT_TRUE(pumpUntil([&] { return model.stateName() == "stopped"; }));
    ASSERT_TRUE(playing());
    // The same item, which meanwhile carries what its file's tags told (its length).
    ASSERT_TRUE(model.current());
    EXPECT_EQ(model.current()->url, station.url);
    EXPECT_EQ(model.lyrics()->songTitle(), second.name);

    // Playing anything ends the video first.
    model.play(station);
    EXPECT_EQ(model.videoPlayer(), nullptr);
    EXPECT_EQ(model.videoItem(), std::nullopt);
    EXPECT_EQ(VideoPlayer::liveCount(), 0);
    model.stop();
}
