// The playback road end to end: the real engine and ffmpeg, a local ICY radio server, the
// local lyrics service, SDL's dummy output. Nothing here is faked.
#include "AppModelKit.hpp"
#include "ZazidEvoz/MediaFolders.hpp"
#include "ZazidEvoz/platform/FileURL.hpp"
#include "lyrics/LyricsSite.hpp"
#include "support/Media.hpp"
#include "support/StreamServer.hpp"
#include "system/Mpris.hpp"

#include <gtest/gtest.h>

using namespace ZintraRadio;
using namespace ZintraRadio::testkit;
using namespace std::chrono_literals;
using ZazidEvoz::MediaKind;
using ZazidEvoz::testkit::LyricsSite;

namespace {

ZazidEvoz::testkit::StreamSpec icyStream() {
    ZazidEvoz::testkit::StreamSpec spec;
    spec.media = ZazidEvoz::testkit::toneMp3();
    // Blocks close together put the first title into ffmpeg's log as well.
    spec.metaint = 2000;
    spec.icyName = "Test Radio";
    spec.burstSeconds = 1;
    return spec;
}

// A lyrics service that knows every song, with two synced lines.
void answerEverySong(LyricsSite& site) {
    site.onGet([](const httplib::Request& request, httplib::Response& response) {
        ZazidEvoz::testkit::answerJSON(
            response, ZazidEvoz::testkit::record(
                          request.get_param_value("track_name"), request.get_param_value("artist_name"),
                          "[00:01.00]First line\n[00:03.00]Second line", "First line\nSecond line"));
    });
}

int lookupsOf(LyricsSite& site, const std::string& track) {
    int count = 0;
    for (const auto& seen : site.seen())
        count += seen.path == "/api/get" && ZazidEvoz::testkit::param(seen, "track_name") == track;
    return count;
}

Station fileStation(const std::string& name, double seconds) {
    auto file = ZazidEvoz::testkit::sineFile(name + ".mp3", 440, seconds);
    auto station = makeStation(MediaKind::file, name, ZazidEvoz::platform::fileURLFromPath(file.string()));
    station.duration = static_cast<std::int64_t>(seconds);
    return station;
}

} // namespace

TEST(AppModelPlayback, PlaysAnIcyStationEndToEnd) {
    LyricsSite lyricsSite;
    answerEverySong(lyricsSite);
    ZazidEvoz::testkit::StreamServer server;
    server.addStream("/radio", icyStream());
    server.setTitle("/radio", "Artist - First Song");
    server.start();

    AppSetup setup;
    AppModel model(setup.options(lyricsSite.baseURL()));
    std::vector<QString> states;
    QObject::connect(&model, &AppModel::stateChanged, [&] { states.push_back(model.stateName()); });
    QSignalSpy formats(&model, &AppModel::formatInfoChanged);

    const auto station = makeStation(MediaKind::radio, "Local Radio", server.url("/radio"));
    model.play(station);
    EXPECT_EQ(model.current(), station);
    EXPECT_EQ(model.library().history.front(), station);
    EXPECT_EQ(model.library().lastPlayedURL, station.url);

    ASSERT_TRUE(pumpUntil([&] {
        return model.state().kind == ZazidEvoz::PlaybackState::Kind::playing && model.nowPlaying() &&
               model.serverName() && model.formatInfo() &&
               model.lyrics()->lyricsState() == LyricsModel::LyricsState::found();
    }));
    ASSERT_GE(states.size(), 2u);
    EXPECT_EQ(states[0], "buffering");
    EXPECT_EQ(states[1], "playing");
    EXPECT_EQ(*model.serverName(), "Test Radio");
    EXPECT_EQ(*model.formatInfo(), "MP3 \u00B7 48000 Hz \u00B7 stereo \u00B7 128 kbps");
    EXPECT_EQ(*model.nowPlaying(), "Artist - First Song");
    EXPECT_EQ(model.lyrics()->songTitle(), "Artist - First Song");

    // The ICY poller reports the title the decoder already did: still one song, one lookup.
    // The probe, the decoder and the poller connect; the poller's title has time to arrive.
    ASSERT_TRUE(pumpUntil([&] { return server.connections("/radio") >= 3; }));
    pumpFor(1000ms);
    ASSERT_EQ(model.songLog().size(), 1u);
    EXPECT_EQ(model.songLog()[0].title, "Artist - First Song");
    EXPECT_EQ(model.songLog()[0].station, "Local Radio");
    EXPECT_EQ(lookupsOf(lyricsSite, "First Song"), 1);
    EXPECT_EQ(formats.count(), 1);

    auto& center = model.nowPlayingCenter();
    ASSERT_TRUE(center.info());
    EXPECT_EQ(center.info()->title, "First Song");
    EXPECT_EQ(center.info()->artist, "Artist");
    EXPECT_EQ(center.info()->album, "Local Radio");
    EXPECT_TRUE(center.info()->isLiveStream);
    EXPECT_FALSE(center.metadata().contains("mpris:length"));
    EXPECT_EQ(center.playbackStatus(), "Playing");

    model.togglePlayPause();
    ASSERT_TRUE(pumpUntil([&] { return model.stateName() == "paused"; }));
    EXPECT_EQ(center.playbackStatus(), "Paused");
    EXPECT_EQ(center.info()->title, "First Song");

    model.stop();
    ASSERT_TRUE(pumpUntil([&] { return model.stateName() == "stopped"; }));
    EXPECT_FALSE(center.info());
    EXPECT_EQ(center.playbackStatus(), "Stopped");
    EXPECT_EQ(model.lyrics()->lyricsState(), LyricsModel::LyricsState::idle());
    // The item stays current so that play/pause can start it again.
    EXPECT_EQ(model.current(), station);
}

TEST(AppModelPlayback, AQueueOfFilesPlaysToItsEnd) {
    AppSetup setup;
    AppModel model(setup.options());
    const auto first = fileStation("road-first", 1);
    const auto second = fileStation("road-second", 1);

    model.music()->playNow({first, second}, 0);
    EXPECT_EQ(model.current(), first);
    ASSERT_TRUE(pumpUntil([&] { return model.stateName() == "playing"; }));
    // A file has no stream titles: its name drives the lyrics, and the engine's clock.
    EXPECT_FALSE(model.nowPlaying());
    EXPECT_EQ(model.lyrics()->songTitle(), "road-first");
    EXPECT_TRUE(model.lyrics()->usesEnginePosition());
    EXPECT_EQ(model.nowPlayingCenter().metadata().value("mpris:length").toLongLong(), 1000000);
    EXPECT_FALSE(model.nowPlayingCenter().info()->isLiveStream);

    // At its end the queue plays the next track; after the last one nothing follows.
    ASSERT_TRUE(pumpUntil([&] { return model.current() == second && model.stateName() == "playing"; }));
    ASSERT_TRUE(pumpUntil([&] { return model.stateName() != "playing"; }));
    pumpFor(300ms);
    EXPECT_EQ(model.current(), second);
    EXPECT_EQ(model.library().history.size() >= 2 ? model.library().history[1] : Station{}, first);
}

TEST(AppModelPlayback, AYouTubeItemThatCannotBeResolvedStopsWhatPlayed) {
    ZazidEvoz::testkit::StreamServer server;
    server.addStream("/radio", icyStream());
    server.start();
    AppSetup setup;
    AppModel model(setup.options());
    const auto station = makeStation(MediaKind::radio, "Local Radio", server.url("/radio"));
    model.play(station);
    ASSERT_TRUE(pumpUntil([&] { return model.stateName() == "playing"; }));

    // A link that reads like an option is refused before yt-dlp is started.
    const auto item = makeStation(MediaKind::youtube, "Odd item", "-not-a-link");
    model.play(item);
    ASSERT_TRUE(model.toast());
    EXPECT_EQ(model.toast()->style, Toast::Style::error);
    EXPECT_EQ(model.current(), item);
    // What is shown is what plays: the station does not go on under the new item.
    ASSERT_TRUE(pumpUntil([&] { return model.stateName() == "stopped"; }));
    EXPECT_FALSE(model.nowPlayingCenter().info());
    EXPECT_EQ(model.library().history.front(), station);
    EXPECT_EQ(model.library().lastPlayedURL, station.url);
}

TEST(AppModelPlayback, PlayingAnotherStationEndsTheRecordingWhichIsThenListed) {
    std::filesystem::remove_all(ZazidEvoz::MediaFolders::recordings());
    ZazidEvoz::testkit::StreamServer server;
    server.addStream("/radio", icyStream());
    server.setTitle("/radio", "Artist - Recorded Song");
    server.addStream("/other", icyStream());
    server.start();
    AppSetup setup;
    AppModel model(setup.options());
    model.play(makeStation(MediaKind::radio, "Local Radio", server.url("/radio")));
    ASSERT_TRUE(pumpUntil([&] { return model.stateName() == "playing" && model.nowPlaying(); }));

    model.startRecording();
    ASSERT_TRUE(model.isRecording());
    EXPECT_TRUE(model.recordingStarted());
    ASSERT_TRUE(pumpUntil([&] { return model.engine().elapsed() > 1.0; }));

    model.play(makeStation(MediaKind::radio, "Other Radio", server.url("/other")));
    EXPECT_FALSE(model.isRecording());
    EXPECT_FALSE(model.recordingStarted());
    ASSERT_TRUE(pumpUntil([&] { return model.toast() && model.toast()->style == Toast::Style::success; }));
    ASSERT_EQ(model.recordings().size(), 1u);
    const auto& file = model.recordings()[0].url;
    EXPECT_EQ(model.toast()->file, file);
    EXPECT_TRUE(file.filename().string().starts_with("Local Radio (Artist - Recorded Song) - ")) << file;
    EXPECT_GT(model.recordings()[0].bytes, 0);
    EXPECT_EQ(model.recordingList()->rowCount(), 1);
}
