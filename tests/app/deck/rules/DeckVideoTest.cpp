// The deck over an open video: the video's player arrives a while after the video was asked
// for, and from then on the play button follows the player and the deck's controls drive it.
// yt-dlp played by a script resolves the item to a clip on a local site, which libmpv plays
// without picture and sound.
#include "YouTubeKit.hpp"
#include "deck/DeckPresenter.hpp"

#include <gtest/gtest.h>

using namespace ZintraRadio;
using namespace ZintraRadio::testkit;
using ZazidEvoz::MediaKind;

namespace {

class DeckVideo : public ::testing::Test {
protected:
    DeckVideo() {
        ytdlp.stream("a1", site.clipURL());
        item.duration = 2;
        deck.setModel(&model);
    }

    bool playerIs(VideoPlayer::State state) {
        return pumpUntil([&] { return model.videoPlayer() && model.videoPlayer()->state() == state; });
    }

    ClipSite site;
    ScriptedYtDlp ytdlp{{"a1"}};
    AppSetup setup;
    AppModel model{videoFreeOptions(setup)};
    DeckPresenter deck;
    Station item = makeStation(MediaKind::youtube, "Artist - Clip", youtubeLink("a1"));
};

} // namespace

TEST_F(DeckVideo, ThePlayButtonFollowsThePlayerThatArrivesLater) {
    model.watchVideo(item);
    EXPECT_TRUE(deck.busy());
    ASSERT_TRUE(playerIs(VideoPlayer::State::playing));
    EXPECT_TRUE(pumpUntil([&] { return deck.playing() && !deck.busy(); }));
    EXPECT_TRUE(deck.artworkActive());

    deck.playPause();
    ASSERT_TRUE(playerIs(VideoPlayer::State::paused));
    EXPECT_TRUE(pumpUntil([&] { return !deck.playing(); }));
    deck.playPause();
    EXPECT_TRUE(pumpUntil(
        [&] { return deck.playing() || model.videoPlayer()->state() == VideoPlayer::State::ended; }));

    // Stop closes the video and nothing else.
    deck.stop();
    EXPECT_EQ(model.videoPlayer(), nullptr);
    EXPECT_EQ(model.videoItem(), std::nullopt);
    EXPECT_FALSE(deck.playing());
    EXPECT_FALSE(deck.artworkActive());
}

TEST_F(DeckVideo, MuteAndVolumeReachThePlayerAlsoOneThatStartsMuted) {
    model.setVolume(0.7f);
    deck.setMuted(true);
    model.watchVideo(item);
    ASSERT_TRUE(playerIs(VideoPlayer::State::playing));
    EXPECT_EQ(model.videoPlayer()->volume(), 0);

    deck.setMuted(false);
    EXPECT_NEAR(model.videoPlayer()->volume(), 0.7, 1e-6);
    deck.setVolume(0.3);
    EXPECT_NEAR(model.videoPlayer()->volume(), 0.3, 1e-6);
    // The menu's and the media keys' mute go to the model; the video follows all the same.
    model.setMuted(true);
    EXPECT_EQ(model.videoPlayer()->volume(), 0);
    model.setMuted(false);
    model.setVolume(0.5f);
    EXPECT_NEAR(model.videoPlayer()->volume(), 0.5, 1e-6);
    deck.stop();
}
