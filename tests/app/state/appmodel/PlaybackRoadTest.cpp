// The playback road end to end: the real engine and ffmpeg, a local ICY radio server, the
// local lyrics service, SDL's dummy output. Nothing here is faked.
#include "AppModelKit.hpp"
#include "ZazidEvoz/core/MediaFolders.hpp"
#include "ZazidEvoz/platform/FileURL.hpp"
#include "support/LyricsSite.hpp"
#include "support/Media.hpp"
#include "support/StreamServer.hpp"
#include "support/Tones.hpp"
#include "system/Mpris.hpp"

#include <cstdio>
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

// What the output has played so far, in frames: the SDL "disk" driver writes it to `capture`.
std::size_t framesPlayed(const std::filesystem::path& capture) {
    std::error_code error;
    const auto bytes = std::filesystem::file_size(capture, error);
    return error ? 0 : static_cast<std::size_t>(bytes / 8);
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

// A station of six three-second songs, each its own tone. The listener pauses for fifteen
// seconds of the station's clock and plays on: what is heard and what is shown stay one song.
TEST(AppModelPlayback, APausedStationResumesAtLiveAndTitlesFollowWhatIsHeard) {
    const auto capture = ZazidEvoz::testkit::makeTemporaryFolder("capture") / "output.raw";
    ZazidEvoz::testkit::ScopedEnvironment driver("SDL_AUDIODRIVER", "disk");
    ZazidEvoz::testkit::ScopedEnvironment output("SDL_DISKAUDIOFILE", capture.c_str());
    const auto songs = ZazidEvoz::testkit::toneProgramme(6, 3);
    ZazidEvoz::testkit::StreamServer server;
    ZazidEvoz::testkit::StreamSpec spec;
    spec.programme = songs;
    spec.metaint = 2000;
    spec.burstSeconds = 2;
    server.addStream("/radio", spec);
    server.start();
    const auto songOf = [&](const std::string& title) {
        for (std::size_t k = 0; k < songs.size(); ++k)
            if (songs[k].title == title)
                return static_cast<int>(k);
        return -1;
    };

    AppSetup setup;
    AppModel model(setup.options());
    // Each title as it was shown, with how much had been played by then.
    struct Shown {
        int song;
        std::size_t frame;
        bool paused;
    };
    std::vector<Shown> shown;
    QObject::connect(&model, &AppModel::nowPlayingChanged, [&] {
        if (model.nowPlaying())
            shown.push_back(
                {songOf(*model.nowPlaying()), framesPlayed(capture), model.stateName() == "paused"});
    });
    model.play(makeStation(MediaKind::radio, "Tone Radio", server.url("/radio")));

    // A song change heard, a little of the new song, then the pause.
    ASSERT_TRUE(pumpUntil([&] { return shown.size() >= 2 && model.stateName() == "playing"; }, 30s));
    const std::size_t pausedFrom = shown.back().frame + 48000 / 2;
    ASSERT_TRUE(pumpUntil([&] { return framesPlayed(capture) >= pausedFrom; }));
    model.togglePlayPause();
    ASSERT_TRUE(pumpUntil([&] { return model.stateName() == "paused"; }));
    server.advanceClock("/radio", 15);
    model.togglePlayPause();
    // The song heard on resuming and two changes after it, the last one heard for a while.
    const std::size_t before = shown.size();
    ASSERT_TRUE(pumpUntil([&] { return shown.size() >= before + 3; }, 30s));
    const std::size_t lastHeard = shown.back().frame + 48000 / 2;
    ASSERT_TRUE(pumpUntil([&] { return framesPlayed(capture) >= lastHeard; }));
    model.stop();

    std::vector<double> tones;
    for (std::size_t k = 0; k < songs.size(); ++k)
        tones.push_back(ZazidEvoz::testkit::programmeTone(k));
    constexpr std::size_t window = 480; // 10 ms
    const auto windows =
        ZazidEvoz::testkit::tonesByWindow(ZazidEvoz::testkit::rawSamples(capture), tones, window);
    const auto heard = ZazidEvoz::testkit::toneRuns(windows, window, 5);
    ASSERT_FALSE(heard.empty());

    // Every title was shown within a second of its song's first sound, never while paused.
    double worst = 0;
    for (const auto& title : shown) {
        SCOPED_TRACE(title.song);
        EXPECT_FALSE(title.paused);
        double nearest = 1e9;
        for (const auto& run : heard)
            if (run.tone == title.song)
                nearest = std::min(
                    nearest,
                    std::abs(static_cast<double>(title.frame) - static_cast<double>(run.begin)) / 48000.0);
        EXPECT_LE(nearest, 1.0);
        worst = std::max(worst, nearest);
    }
    std::printf("titles shown at most %.2f s from the sound of their song\n", worst);

    // The song log holds each song heard once, in the order heard. (A resumed stream may
    // begin with the last moments of a song whose title it never sends.)
    std::vector<int> heardSongs, logged;
    for (const auto& run : ZazidEvoz::testkit::toneRuns(windows, window, 30))
        heardSongs.push_back(run.tone);
    for (auto entry = model.songLog().rbegin(); entry != model.songLog().rend(); ++entry)
        logged.push_back(songOf(entry->title));
    EXPECT_EQ(logged, heardSongs);
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
