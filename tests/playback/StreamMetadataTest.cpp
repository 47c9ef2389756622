#include "ZazidEvoz/playback/StreamMetadata.hpp"

#include "ZazidEvoz/playback/EngineTypes.hpp"

#include <gtest/gtest.h>

using namespace ZazidEvoz;
using Event = StreamMetadataEvent;

TEST(StreamMetadataParser, ParsesLogLines) {
    struct Case {
        const char* line;
        std::optional<Event> event;
    } cases[] = {
        {"Metadata update for StreamTitle: Artist - Song", Event::title("Artist - Song")},
        {"    StreamTitle     : Artist - Song", Event::title("Artist - Song")},
        {"StreamTitle='Artist - Song';", Event::title("Artist - Song")},
        // Quotes and semicolons inside a title stay: the value ends at "';" or the line's end.
        {"    StreamTitle     : Rock 'n' Roll - Song", Event::title("Rock 'n' Roll - Song")},
        {"    StreamTitle     : A - B; C", Event::title("A - B; C")},
        {"StreamTitle='Rock 'n' Roll; Live';StreamUrl='';", Event::title("Rock 'n' Roll; Live")},
        {"StreamTitle='Artist - Song'", Event::title("Artist - Song")},
        // A title that holds the words of the update line is still read whole, in both forms.
        {"[http @ 0x1] Metadata update for StreamTitle: Talk - Metadata update for StreamTitle: Explained",
         Event::title("Talk - Metadata update for StreamTitle: Explained")},
        {"    StreamTitle     : Talk - Metadata update for StreamTitle: Explained",
         Event::title("Talk - Metadata update for StreamTitle: Explained")},
        {"Metadata update for StreamTitle:    -", std::nullopt},
        {"streamtitle='lower case';", std::nullopt},
        {"      icy-name        : My Station", Event::stationName("My Station")},
        {"  service_name : Ö1", Event::stationName("Ö1")},
        {"icy-name: UNKNOWN", std::nullopt},
        {"  Stream #0:0: Audio: mp3 (mp3float), 44100 Hz, stereo, fltp, 128 kb/s",
         Event::format("MP3 \u00B7 44100 Hz \u00B7 stereo \u00B7 128 kbps")},
        {"Stream #0:0: Audio: aac (LC), 48000 Hz, stereo, fltp",
         Event::format("AAC \u00B7 48000 Hz \u00B7 stereo")},
        {"Stream #0:0: Audio: pcm_f32le, 48000 Hz, stereo, flt, 3072 kb/s", std::nullopt},
        {"Press [q] to stop", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StreamMetadataParser::parse(c.line), c.event) << c.line;

    // Titles keep 1 KiB of whole characters, as the ICY poller's do, so both agree.
    std::string euros, kept;
    for (int i = 0; i < 1500; ++i)
        euros += "\u20AC";
    for (int i = 0; i < 341; ++i)
        kept += "\u20AC";
    EXPECT_EQ(StreamMetadataParser::parse("[http @ 0x1] Metadata update for StreamTitle: " + euros),
              Event::title(kept));
}

TEST(StreamMetadataParser, Clean) {
    EXPECT_EQ(StreamMetadataParser::clean("  'Song \"Live\" now';  "), "Song \"Live\" now");
    EXPECT_EQ(StreamMetadataParser::clean(" - "), std::nullopt);
    EXPECT_EQ(StreamMetadataParser::clean("Unknown"), std::nullopt);
    EXPECT_EQ(StreamMetadataParser::clean("\"\""), std::nullopt);
    EXPECT_EQ(StreamMetadataParser::clean("Song\n"), "Song\n");
}

TEST(StreamMetadataParser, SplitArtistTitle) {
    struct Case {
        const char* text;
        ArtistTitle expected;
    } cases[] = {
        {"Artist - Song", {"Artist", "Song"}},
        {"A | B - C", {"A | B", "C"}},
        {" - Song", {std::nullopt, " - Song"}},
        {"Artist \u2013 Song", {"Artist", "Song"}},
        {"Artist \u2014 Song", {"Artist", "Song"}},
        {"Artist-Song", {std::nullopt, "Artist-Song"}},
        {" - x | Artist | Song", {"- x", "Artist | Song"}},
        {"Artist -  ", {std::nullopt, "Artist -  "}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StreamMetadataParser::splitArtistTitle(c.text), c.expected) << c.text;
}

TEST(EngineTypes, StatesSourcesAndErrors) {
    EXPECT_FALSE(PlaybackState::failed("").isActive());
    EXPECT_NE(PlaybackState::failed(""), PlaybackState::stopped());
    EXPECT_EQ(PlaybackState::failed("x"), PlaybackState::failed("x"));
    EXPECT_NE(PlaybackState::failed("x"), PlaybackState::failed("y"));
    EXPECT_TRUE(PlaybackState::paused().isActive());

    PlaybackSource source{"http://x", std::vector<std::string>{}, true};
    EXPECT_FALSE(source.hasFeeder());
    EXPECT_NE(source, (PlaybackSource{"http://x", std::nullopt, true}));

    EXPECT_STREQ(EngineError::missingTool("ffmpeg").what(),
                 "ffmpeg not found - sudo apt install ffmpeg yt-dlp");
    EXPECT_STREQ(EngineError::notPlaying().what(), "Nothing is playing.");
}
