// The deck's texts and colours for every playback state and kind of item, the play button's
// geometry, the clock, the recording cluster, the mute button and the queue badge.
#include "deck/NowPlayingRules.hpp"

#include <gtest/gtest.h>

using namespace ZintraRadio;
using ZazidEvoz::MediaKind;
using ZazidEvoz::PlaybackState;
using ZazidEvoz::Station;
using ZazidEvoz::Track;

namespace {

Station station(MediaKind kind, std::string name, std::string url) {
    Station s;
    s.kind = kind;
    s.name = std::move(name);
    s.url = std::move(url);
    return s;
}

const Station radio = [] {
    Station s = station(MediaKind::radio, "Jazz FM", "http://radio/jazz");
    s.genre = "jazz, swing";
    s.country = "Austria";
    s.bitrate = 128;
    return s;
}();
const Station file = station(MediaKind::file, "song.mp3", "file:///music/song.mp3");
const Station liveVideo = station(MediaKind::youtube, "Live cam", "https://youtube/live");
const Station clip = [] {
    Station s = station(MediaKind::youtube, "A clip", "https://youtube/clip");
    s.uploader = "Uploader";
    s.duration = 200;
    return s;
}();

Track track(std::string artist, std::string album) {
    Track t;
    t.path = "/music/song.mp3";
    t.title = "Song Title";
    t.artist = std::move(artist);
    t.album = std::move(album);
    return t;
}

// Region names as a fixed table, so the detail line does not depend on the machine's locale.
const RegionNames noRegions = [](std::string_view) { return std::optional<std::string>(); };

DeckInput input(PlaybackState state, std::optional<Station> current = std::nullopt) {
    DeckInput in;
    in.state = std::move(state);
    in.current = std::move(current);
    return in;
}

} // namespace

TEST(DeckText, TitleSubtitleColourAndInfoLineFollowTheState) {
    struct Case {
        const char* name;
        DeckInput in;
        ShownText title;
        ShownText subtitle;
        SubtitleColor color;
        ShownText info;
    };
    auto with = [](DeckInput in, auto edit) {
        edit(in);
        return in;
    };
    const std::string details = "jazz, swing · Austria · 128 kbps";
    const std::vector<Case> cases = {
        {"nothing chosen", input(PlaybackState::stopped()), ShownText::key("deck.nothing"),
         ShownText::key("deck.pickSomething"), SubtitleColor::dim, ShownText::key("brand.tagline")},
        {"stopped with a station", input(PlaybackState::stopped(), radio), ShownText::verbatim("Jazz FM"),
         ShownText::key("deck.stopped"), SubtitleColor::dim, ShownText::verbatim(details)},
        {"buffering", input(PlaybackState::buffering(), radio), ShownText::verbatim("Jazz FM"),
         ShownText::key("stage.connecting"), SubtitleColor::dim, ShownText::verbatim(details)},
        {"playing before any title: the details", input(PlaybackState::playing(), radio),
         ShownText::verbatim("Jazz FM"), ShownText::verbatim(details), SubtitleColor::dim,
         ShownText::verbatim(details)},
        {"playing with the server's name",
         with(input(PlaybackState::playing(), radio), [](DeckInput& in) { in.serverName = "Jazz Server"; }),
         ShownText::verbatim("Jazz FM"), ShownText::verbatim("Jazz Server"), SubtitleColor::dim,
         ShownText::verbatim(details)},
        {"playing a song: cyan, and the format once known",
         with(input(PlaybackState::playing(), radio),
              [](DeckInput& in) {
                  in.nowPlaying = "Artist - Song";
                  in.serverName = "Jazz Server";
                  in.formatInfo = "MP3 · 128 kbps";
              }),
         ShownText::verbatim("Jazz FM"), ShownText::verbatim("Artist - Song"), SubtitleColor::cyan,
         ShownText::verbatim("MP3 · 128 kbps")},
        {"paused without a title", input(PlaybackState::paused(), radio), ShownText::verbatim("Jazz FM"),
         ShownText::key("stage.paused"), SubtitleColor::dim, ShownText::verbatim(details)},
        {"paused with a title",
         with(input(PlaybackState::paused(), radio), [](DeckInput& in) { in.nowPlaying = "Artist - Song"; }),
         ShownText::verbatim("Jazz FM"), ShownText::verbatim("Artist - Song"), SubtitleColor::cyan,
         ShownText::verbatim(details)},
        {"failed: red even with a title; the format is not shown",
         with(input(PlaybackState::failed("Nothing is playing."), radio),
              [](DeckInput& in) {
                  in.nowPlaying = "Artist - Song";
                  in.formatInfo = "MP3";
              }),
         ShownText::verbatim("Jazz FM"), ShownText::error("Nothing is playing."), SubtitleColor::red,
         ShownText::verbatim(details)},
        {"a video: its uploader and the video line",
         with(input(PlaybackState::stopped(), radio), [](DeckInput& in) { in.videoItem = clip; }),
         ShownText::verbatim("A clip"), ShownText::verbatim("Uploader"), SubtitleColor::dim,
         ShownText::key("deck.video")},
        {"a video that loads",
         with(input(PlaybackState::stopped(), radio),
              [](DeckInput& in) {
                  in.videoItem = clip;
                  in.videoLoading = true;
              }),
         ShownText::verbatim("A clip"), ShownText::key("stage.connecting"), SubtitleColor::dim,
         ShownText::key("deck.video")},
        {"a library track playing: artist and album",
         with(input(PlaybackState::playing(), file),
              [](DeckInput& in) { in.libraryTrack = track("Artist", "Album"); }),
         ShownText::verbatim("Song Title"), ShownText::verbatim("Artist · Album"), SubtitleColor::dim,
         ShownText::verbatim("")},
        {"a library track without album: the artist only",
         with(input(PlaybackState::paused(), file),
              [](DeckInput& in) { in.libraryTrack = track("Artist", ""); }),
         ShownText::verbatim("Song Title"), ShownText::verbatim("Artist"), SubtitleColor::dim,
         ShownText::verbatim("")},
        {"a library track without artist and album",
         with(input(PlaybackState::playing(), file), [](DeckInput& in) { in.libraryTrack = track("", ""); }),
         ShownText::verbatim("Song Title"), ShownText::verbatim(""), SubtitleColor::dim,
         ShownText::verbatim("")},
        {"a library track while buffering: connecting",
         with(input(PlaybackState::buffering(), file),
              [](DeckInput& in) { in.libraryTrack = track("Artist", "Album"); }),
         ShownText::verbatim("Song Title"), ShownText::key("stage.connecting"), SubtitleColor::dim,
         ShownText::verbatim("")},
        {"a file not in the library: the station's name", input(PlaybackState::playing(), file),
         ShownText::verbatim("song.mp3"), ShownText::verbatim(""), SubtitleColor::dim,
         ShownText::verbatim("")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(deckTitle(c.in), c.title);
        EXPECT_EQ(deckSubtitle(c.in, noRegions), c.subtitle);
        EXPECT_EQ(subtitleColor(c.in), c.color);
        EXPECT_EQ(deckInfoLine(c.in, noRegions), c.info);
    }
}

TEST(DeckText, LiveBadgeArtworkAndPlayButtonState) {
    struct Case {
        const char* name;
        DeckInput in;
        bool live;
        ArtworkKind artwork;
        bool artworkActive;
        bool playing;
        bool busy;
    };
    DeckInput libraryTrack = input(PlaybackState::playing(), file);
    libraryTrack.libraryTrack = track("Artist", "Album");
    DeckInput playingVideo = input(PlaybackState::stopped(), radio);
    playingVideo.videoItem = clip;
    playingVideo.videoPaused = false;
    DeckInput pausedVideo = playingVideo;
    pausedVideo.videoPaused = true;
    DeckInput loadingVideo = input(PlaybackState::stopped(), radio);
    loadingVideo.videoItem = clip;
    loadingVideo.videoLoading = true;
    DeckInput videoOverPlayingRadio = input(PlaybackState::playing(), radio);
    videoOverPlayingRadio.videoItem = liveVideo;
    const std::vector<Case> cases = {
        {"nothing", input(PlaybackState::stopped()), false, ArtworkKind::placeholder, false, false, false},
        {"a radio playing", input(PlaybackState::playing(), radio), true, ArtworkKind::station, true, true,
         false},
        {"a radio buffering: busy, shown as playing", input(PlaybackState::buffering(), radio), false,
         ArtworkKind::station, false, true, true},
        {"a radio paused", input(PlaybackState::paused(), radio), false, ArtworkKind::station, false, false,
         false},
        {"a failed radio", input(PlaybackState::failed("x"), radio), false, ArtworkKind::station, false,
         false, false},
        {"a live YouTube item", input(PlaybackState::playing(), liveVideo), true, ArtworkKind::station, true,
         true, false},
        {"a YouTube item with a length", input(PlaybackState::playing(), clip), false, ArtworkKind::station,
         true, true, false},
        {"a library track: the disc", libraryTrack, false, ArtworkKind::disc, true, true, false},
        {"a video playing", playingVideo, false, ArtworkKind::station, true, true, false},
        {"a video paused", pausedVideo, false, ArtworkKind::station, true, false, false},
        {"a video loading", loadingVideo, false, ArtworkKind::station, false, false, true},
        {"no live badge while a video is open", videoOverPlayingRadio, false, ArtworkKind::station, true,
         true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(showsLiveBadge(c.in), c.live);
        EXPECT_EQ(artworkKind(c.in), c.artwork);
        EXPECT_EQ(artworkActive(c.in), c.artworkActive);
        EXPECT_EQ(playButtonPlaying(c.in), c.playing);
        EXPECT_EQ(playButtonBusy(c.in), c.busy);
    }
    EXPECT_EQ(discSeed(track("Artist", "Album")), "Album");
    EXPECT_EQ(discSeed(track("Artist", "")), "Song Title");
}

TEST(DeckText, MuteButtonAndQueueBadge) {
    struct Case {
        double volume;
        bool muted;
        const char* symbol;
        const char* help;
        bool red;
        double slider;
    };
    for (const auto& c : std::vector<Case>{
             {0.4, false, "speaker.wave.2.fill", "deck.mute", false, 1},
             {0.39, false, "speaker.wave.1.fill", "deck.mute", false, 1},
             {0, false, "speaker.wave.1.fill", "deck.mute", false, 1},
             {1, true, "speaker.slash.fill", "deck.unmute", true, 0.4},
             {0.1, true, "speaker.slash.fill", "deck.unmute", true, 0.4},
         }) {
        SCOPED_TRACE(c.volume);
        const MuteLook look = muteLook(c.volume, c.muted);
        EXPECT_EQ(look.symbol, c.symbol);
        EXPECT_EQ(look.helpKey, c.help);
        EXPECT_EQ(look.red, c.red);
        EXPECT_EQ(look.sliderOpacity, c.slider);
    }
    EXPECT_EQ(queueBadge(0), std::nullopt);
    EXPECT_EQ(queueBadge(12), "12");
}

TEST(PlayButton, GlyphShiftRingAndHover) {
    struct Case {
        bool playing;
        bool busy;
        double size;
        const char* symbol;
        double shift;
        double ring;
        const char* help;
    };
    for (const auto& c : std::vector<Case>{
             {false, false, 54, "play.fill", 1.62, 1.8, "deck.play"},
             {false, false, 42, "play.fill", 1.26, 1.8, "deck.play"},
             {true, false, 54, "pause.fill", 0, 1.8, "deck.pause"},
             {true, true, 54, "pause.fill", 0, 3, "deck.pause"},
             {false, true, 40, "play.fill", 1.2, 3, "deck.play"},
         }) {
        const PlayButtonLook look = playButtonLook(c.playing, c.busy, c.size);
        EXPECT_EQ(look.symbol, c.symbol);
        EXPECT_NEAR(look.glyphShift, c.shift, 1e-9);
        EXPECT_NEAR(look.glyphSize, c.size * 0.38, 1e-9);
        EXPECT_EQ(look.ringWidth, c.ring);
        EXPECT_EQ(look.helpKey, c.help);
    }
    const PlayButtonHover rest = playButtonHover(false);
    const PlayButtonHover lifted = playButtonHover(true);
    EXPECT_EQ(std::tie(rest.scale, rest.shadowRadius, rest.shadowOpacity, rest.bodyOpacity),
              std::make_tuple(1.0, 13.0, 0.65, 0.88));
    EXPECT_EQ(std::tie(lifted.scale, lifted.shadowRadius, lifted.shadowOpacity, lifted.bodyOpacity),
              std::make_tuple(1.06, 20.0, 0.95, 1.0));
}

TEST(Clock, ElapsedTimeOnlyWhileActiveGlowOnlyWhilePlaying) {
    using Kind = PlaybackState::Kind;
    struct Case {
        Kind state;
        double elapsed;
        const char* text;
        bool spectrum;
        double glow;
    };
    for (const auto& c : std::vector<Case>{
             {Kind::stopped, 125, "0:00", false, 0},
             {Kind::failed, 125, "0:00", false, 0},
             {Kind::buffering, 3, "0:03", true, 0},
             {Kind::paused, 65, "1:05", true, 0},
             {Kind::playing, 65, "1:05", true, 0.5},
             {Kind::playing, 3600, "1:00:00", true, 0.5},
         }) {
        const ClockLook look = clockLook(c.state, c.elapsed);
        EXPECT_EQ(look.elapsed, c.text);
        EXPECT_EQ(look.spectrum, c.spectrum);
        EXPECT_EQ(look.glowOpacity, c.glow);
    }
    // The locale's long time format without its zone.
    EXPECT_EQ(wallClockFormat("h:mm:ss AP t"), "h:mm:ss AP");
    EXPECT_EQ(wallClockFormat("HH:mm:ss t"), "HH:mm:ss");
    EXPECT_EQ(wallClockFormat("t HH:mm:ss"), "HH:mm:ss");
    EXPECT_EQ(wallClockFormat("HH'h'mm ss"), "HH'h'mm ss");
    EXPECT_EQ(wallClockFormat("'at' HH:mm:ss"), "'at' HH:mm:ss"); // a quoted t stays
}

TEST(RecordCluster, IdleAndRecordingLooks) {
    struct Case {
        const char* name;
        bool recording;
        std::optional<double> elapsed;
        bool hovering;
        double pulse;
        ShownText text;
        bool square;
        double halo;
        double haloOpacity;
        double glowRadius;
        double fill;
        double stroke;
        double textOpacity;
        const char* help;
    };
    const std::vector<Case> cases = {
        {"idle", false, std::nullopt, false, 0.7, ShownText::key("deck.rec"), false, 18, 0, 4, 0.07, 0.4,
         0.75, "deck.recStart"},
        {"idle under the pointer", false, std::nullopt, true, 0, ShownText::key("deck.rec"), false, 18, 0, 4,
         0.14, 0.4, 1, "deck.recStart"},
        {"just started", true, 0.2, false, 0, ShownText::verbatim("0:00"), true, 18, 1, 5, 0.2, 0.9, 1,
         "deck.recStop"},
        {"at the pulse's top", true, 65, true, 1, ShownText::verbatim("1:05"), true, 26, 1, 11, 0.3, 0.9, 1,
         "deck.recStop"},
        {"an hour", true, 3600, false, 0.5, ShownText::verbatim("1:00:00"), true, 22, 1, 8, 0.25, 0.9, 1,
         "deck.recStop"},
        {"recording without a start", true, std::nullopt, false, 0.5, ShownText::key("deck.rec"), true, 22, 1,
         8, 0.25, 0.9, 0.75, "deck.recStop"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const RecordLook look = recordLook(c.recording, c.elapsed, c.hovering, c.pulse);
        EXPECT_EQ(look.text, c.text);
        EXPECT_EQ(look.stopSquare, c.square);
        EXPECT_DOUBLE_EQ(look.haloDiameter, c.halo);
        EXPECT_EQ(look.haloOpacity, c.haloOpacity);
        EXPECT_DOUBLE_EQ(look.glowRadius, c.glowRadius);
        EXPECT_DOUBLE_EQ(look.fillOpacity, c.fill);
        EXPECT_EQ(look.strokeOpacity, c.stroke);
        EXPECT_EQ(look.textOpacity, c.textOpacity);
        EXPECT_EQ(look.helpKey, c.help);
    }
    // The pulse is a function of absolute time: two clusters agree; idle does not pulse.
    EXPECT_DOUBLE_EQ(recordPulse(10.0, true), std::sin(50.0) * 0.5 + 0.5);
    EXPECT_EQ(recordPulse(10.0, false), 0);
    EXPECT_EQ(recordPulse(std::nan(""), true), 0);
    EXPECT_NEAR(recordPulse(M_PI / 10, true), 1, 1e-12);
    EXPECT_EQ(splitHelpKey(true), "deck.splitOn");
    EXPECT_EQ(splitHelpKey(false), "deck.splitOff");
}
