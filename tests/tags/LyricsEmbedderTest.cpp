#include "ZazidEvoz/tags/LyricsEmbedder.hpp"

#include "EditedFiles.hpp"
#include "ZazidEvoz/platform/Cancellation.hpp"
#include "ZazidEvoz/platform/Files.hpp"
#include "ZazidEvoz/platform/Process.hpp"
#include "support/Media.hpp"
#include "support/Sandbox.hpp"
#include "support/StagedCopy.hpp"
#include "support/TagReading.hpp"

#include <chrono>
#include <cmath>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <limits>
#include <nlohmann/json.hpp>
#include <taglib/fileref.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/textidentificationframe.h>
#include <taglib/tpropertymap.h>
#include <taglib/unsynchronizedlyricsframe.h>
#include <thread>

using namespace ZazidEvoz;
namespace fs = std::filesystem;
namespace testkit = ZazidEvoz::testkit;
using ::testing::HasSubstr;
using testkit::contents;
using testkit::copyInto;
using testkit::folderEntries;
using testkit::ScopedEnvironment;

namespace {

SongLyrics timedLyrics(const std::vector<std::pair<double, std::string>>& lines, std::string plain = {}) {
    SongLyrics lyrics;
    lyrics.artist = "Artist";
    lyrics.title = "Song";
    lyrics.plain = std::move(plain);
    for (const auto& [time, text] : lines)
        lyrics.synced.push_back({std::int64_t(lyrics.synced.size()), time, text});
    return lyrics;
}

SongLyrics plainLyrics(std::string text) {
    return timedLyrics({}, std::move(text));
}

fs::path audioSource(const std::string& extension) {
    std::vector<std::string> arguments = {"-f",        "lavfi",
                                          "-i",        "sine=frequency=330:sample_rate=48000:duration=1",
                                          "-metadata", "title=Kept Title",
                                          "-metadata", "artist=Kept Artist"};
    if (extension == "aiff") // writes no tags unless asked
        arguments.insert(arguments.end(), {"-write_id3v2", "1"});
    return testkit::generatedMedia("lyrics-source." + extension, arguments);
}

fs::path videoSource() {
    return testkit::generatedMedia(
        "lyrics-video.mp4", {"-f", "lavfi", "-i", "testsrc=size=64x48:rate=10:duration=1", "-f", "lavfi",
                             "-i", "sine=duration=1", "-c:v", "mpeg4", "-c:a", "aac", "-shortest"});
}

// The lyrics TagLib reads from the file, whatever the format keeps them in.
std::string lyricsProperty(const fs::path& file) {
    TagLib::FileRef reference(file.c_str());
    if (reference.isNull())
        return "<unreadable>";
    return reference.file()->properties()["LYRICS"].toString("\n").to8Bit(true);
}

struct LyricsFrame {
    std::string language, description, text;
    friend bool operator==(const LyricsFrame&, const LyricsFrame&) = default;
    friend std::ostream& operator<<(std::ostream& out, const LyricsFrame& frame) {
        return out << frame.language << "/" << frame.description << "/" << frame.text;
    }
};

// The MP3's USLT frames, and the descriptions of its user text frames.
std::pair<std::vector<LyricsFrame>, std::vector<std::string>> id3Frames(const fs::path& file) {
    TagLib::MPEG::File mpeg(file.c_str(), false);
    std::vector<LyricsFrame> lyrics;
    std::vector<std::string> userTexts;
    if (!mpeg.ID3v2Tag())
        return {};
    for (auto* frame : mpeg.ID3v2Tag()->frameList("USLT"))
        if (auto* uslt = dynamic_cast<TagLib::ID3v2::UnsynchronizedLyricsFrame*>(frame))
            lyrics.push_back({std::string(uslt->language().data(), uslt->language().size()),
                              uslt->description().to8Bit(true), uslt->text().to8Bit(true)});
    for (auto* frame : mpeg.ID3v2Tag()->frameList("TXXX"))
        if (auto* text = dynamic_cast<TagLib::ID3v2::UserTextIdentificationFrame*>(frame))
            userTexts.push_back(text->description().to8Bit(true));
    return {lyrics, userTexts};
}

nlohmann::json probe(const fs::path& file) {
    platform::ProcessOptions options({"/usr/bin/ffprobe", "-hide_banner", "-loglevel", "error",
                                      "-show_streams", "-of", "json", file.string()});
    auto result = platform::runProcess(options);
    EXPECT_TRUE(result.status.succeeded()) << result.error;
    return nlohmann::json::parse(result.output);
}

// The subtitle track as ffmpeg reads it back, in SubRip form.
std::string subtitleTrack(const fs::path& video) {
    platform::ProcessOptions options({testkit::ffmpegPath(), "-hide_banner", "-loglevel", "error", "-i",
                                      video.string(), "-map", "0:s:0", "-f", "srt", "-"});
    auto result = platform::runProcess(options);
    EXPECT_TRUE(result.status.succeeded()) << result.error;
    return result.output;
}

// A temporary folder of its own, to see which subtitle files come and go.
class OwnTemporaryFolder {
public:
    OwnTemporaryFolder()
        : folder_(testkit::makeTemporaryFolder("tmpdir")), scope_("TMPDIR", folder_.c_str()) {}
    const fs::path& path() const { return folder_; }
    std::vector<std::string> entries() const { return folderEntries(folder_); }

private:
    fs::path folder_;
    ScopedEnvironment scope_;
};

} // namespace

TEST(LyricsSubRip, CuesLastUntilTheNextLineWithinTheirBounds) {
    struct Case {
        const char* name;
        std::vector<std::pair<double, std::string>> lines;
        double songDuration;
        std::string expected;
    } cases[] = {
        {"three lines, last one 4.95 s",
         {{0, "A"}, {3, "B"}, {20, "C"}},
         0,
         "1\n00:00:00,000 --> 00:00:02,950\nA\n\n"
         "2\n00:00:03,000 --> 00:00:10,000\nB\n\n"
         "3\n00:00:20,000 --> 00:00:24,950\nC\n"},
        {"at least half a second, overlapping the next cue",
         {{1.0, "quick"}, {1.2, "next"}},
         0,
         "1\n00:00:01,000 --> 00:00:01,500\nquick\n\n2\n00:00:01,200 --> 00:00:06,150\nnext\n"},
        {"last line ends with the song", {{190, "end"}}, 200, "1\n00:03:10,000 --> 00:03:17,000\nend\n"},
        {"last line just before the song's end",
         {{199.6, "end"}},
         200,
         "1\n00:03:19,600 --> 00:03:20,100\nend\n"},
        {"last line after the given length",
         {{250, "late"}},
         200,
         "1\n00:04:10,000 --> 00:04:14,950\nlate\n"},
        {"empty lines are neither cues nor numbered",
         {{0, ""}, {2, "one"}, {4, ""}, {9, "two"}},
         0,
         "1\n00:00:02,000 --> 00:00:08,950\none\n\n2\n00:00:09,000 --> 00:00:13,950\ntwo\n"},
        {"only empty lines", {{0, ""}, {1, ""}}, 0, ""},
        {"no lines", {}, 100, ""},
    };
    for (const auto& test : cases)
        EXPECT_EQ(LyricsEmbedder::srt(timedLyrics(test.lines), test.songDuration), test.expected)
            << test.name;

    struct Stamp {
        double seconds;
        const char* text;
    } stamps[] = {
        {-1, "00:00:00,000"},        {std::nan(""), "00:00:00,000"},
        {3723.4567, "01:02:03,457"}, {0.0005, "00:00:00,001"}, // halves away from zero
        {59.9996, "00:01:00,000"},   {360000, "100:00:00,000"},
    };
    for (const auto& test : stamps)
        EXPECT_EQ(LyricsEmbedder::stamp(test.seconds), test.text) << test.seconds;
    // Absurd times still give a stamp, not undefined behaviour.
    EXPECT_FALSE(LyricsEmbedder::stamp(std::numeric_limits<double>::infinity()).empty());
}

TEST(LyricsTagText, PlainTextWinsElseTheTimedLinesWithoutTimes) {
    EXPECT_EQ(LyricsEmbedder::lyricsTagText(timedLyrics({{1, "timed"}}, "plain\ntext")), "plain\ntext");
    EXPECT_EQ(LyricsEmbedder::lyricsTagText(timedLyrics({{1, "a"}, {2, ""}, {3, "b"}})), "a\n\nb");
    SongLyrics instrumental;
    instrumental.instrumental = true;
    EXPECT_EQ(LyricsEmbedder::lyricsTagText(instrumental), "");

    EXPECT_EQ(LyricsEmbedder::lyricsTagArguments("la", TagEditor::lowercaseExtension("Song.MP3")),
              (std::vector<std::string>{"-map", "0", "-c", "copy", "-map_metadata", "0", "-metadata",
                                        "lyrics=la", "-id3v2_version", "3"}));
    EXPECT_EQ(LyricsEmbedder::lyricsTagArguments("la", "m4a"),
              (std::vector<std::string>{"-map", "0", "-c", "copy", "-map_metadata", "0", "-metadata",
                                        "lyrics=la"}));
    // Ogg keeps its comments on the audio stream; a global value would never land.
    EXPECT_EQ(LyricsEmbedder::lyricsTagArguments("la", "opus"),
              (std::vector<std::string>{"-map", "0", "-c", "copy", "-map_metadata", "0", "-metadata:s:a",
                                        "lyrics=la"}));
    EXPECT_EQ(LyricsEmbedder::subtitleArguments("deu"),
              (std::vector<std::string>{"-map", "0:v?", "-map", "0:a?", "-map", "1:0", "-c", "copy", "-c:s",
                                        "mov_text", "-metadata:s:s:0", "language=deu", "-metadata:s:s:0",
                                        "title=Lyrics", "-metadata:s:s:0", "handler_name=Lyrics",
                                        "-disposition:s:0", "0"}));
}

class LyricsTagFormats : public ::testing::TestWithParam<std::string> {};

TEST_P(LyricsTagFormats, FileCarriesTheLyricsAndKeepsItsTags) {
    fs::path file = copyInto(audioSource(GetParam()), "Song." + GetParam());
    const std::string first = "Erste Zeile – ☀\nzweite Zeile";
    LyricsEmbedder::addLyricsTag(plainLyrics(first), file);
    EXPECT_EQ(lyricsProperty(file), first);
    EXPECT_EQ(testkit::readTags(file)->title, "Kept Title");
    EXPECT_EQ(folderEntries(file.parent_path()), std::vector<std::string>{file.filename().string()});

    // Embedding again replaces the lyrics rather than adding a second copy.
    LyricsEmbedder::addLyricsTag(timedLyrics({{1, "new"}, {2, "words"}}), file);
    EXPECT_EQ(lyricsProperty(file), "new\nwords");
    EXPECT_EQ(testkit::readTags(file)->artist, "Kept Artist");
}

INSTANTIATE_TEST_SUITE_P(Containers, LyricsTagFormats,
                         ::testing::Values("mp3", "m4a", "flac", "ogg", "opus", "aiff"),
                         [](const auto& info) { return info.param; });

TEST(LyricsTag, Mp3GetsOneStandardLyricsFrame) {
    fs::path file = copyInto(audioSource("mp3"), "Song.mp3");
    std::string longText;
    for (int verse = 0; longText.size() < 60000; ++verse)
        longText += "Strophe " + std::to_string(verse) + ": ünd weiter ♪\n";
    LyricsEmbedder::addLyricsTag(plainLyrics(longText), file);
    auto [lyrics, userTexts] = id3Frames(file);
    EXPECT_EQ(lyrics, (std::vector<LyricsFrame>{{"XXX", "", longText}}));
    EXPECT_TRUE(userTexts.empty()) << userTexts.front();

    LyricsEmbedder::addLyricsTag(plainLyrics("second"), file);
    std::tie(lyrics, userTexts) = id3Frames(file);
    EXPECT_EQ(lyrics, (std::vector<LyricsFrame>{{"XXX", "", "second"}}));
    EXPECT_TRUE(userTexts.empty()) << userTexts.front();
}

TEST(LyricsTag, TagEditsKeepTheLyricsFrames) {
    // A song whose lyrics another program stored, in a language and with a description.
    fs::path file = copyInto(audioSource("mp3"), "Tagged.mp3");
    {
        TagLib::MPEG::File mpeg(file.c_str());
        auto* frame = new TagLib::ID3v2::UnsynchronizedLyricsFrame(TagLib::String::UTF16);
        frame->setLanguage("deu");
        frame->setDescription("Liedtext");
        frame->setText(TagLib::String("Über den Wolken", TagLib::String::UTF8));
        mpeg.ID3v2Tag(true)->addFrame(frame);
        ASSERT_TRUE(mpeg.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripNone, TagLib::ID3v2::v3));
    }
    TagEditor::Changes changes;
    changes.title = "Edited";
    TagEditor::apply(changes, file);
    EXPECT_EQ(testkit::readTags(file)->title, "Edited");
    auto [lyrics, userTexts] = id3Frames(file);
    EXPECT_EQ(lyrics, (std::vector<LyricsFrame>{{"deu", "Liedtext", "Über den Wolken"}}));
    EXPECT_TRUE(userTexts.empty()) << userTexts.front();

    LyricsEmbedder::addLyricsTag(plainLyrics("fresh"), file);
    TagEditor::apply(changes, file);
    std::tie(lyrics, userTexts) = id3Frames(file);
    EXPECT_EQ(lyrics, (std::vector<LyricsFrame>{{"XXX", "", "fresh"}}));
}

TEST(LyricsTag, FullDiskLeavesTheSongAsItWas) {
    ZINTRA_NEEDS_STAGE(testkit::Stage::mountsAllowed);
    testkit::SmallDisk disk(1024 * 1024);
    if (!disk.mounted())
        GTEST_SKIP() << disk.whyNot();
    fs::path folder = disk.folder() / "music";
    fs::create_directories(folder);
    fs::path file = folder / "Song.flac";
    fs::copy_file(audioSource("flac"), file);
    std::string before = contents(file);
    disk.leaveFree(4096);
    try {
        LyricsEmbedder::addLyricsTag(plainLyrics("words that do not fit"), file);
        ADD_FAILURE() << "the lyrics were reported written";
    } catch (const TagEditorError& error) {
        EXPECT_THAT(error.what(), HasSubstr("No space left on device"));
    }
    EXPECT_EQ(contents(file), before);
    EXPECT_EQ(folderEntries(folder), std::vector<std::string>{"Song.flac"});
}

TEST(LyricsTag, RefusedTextsAndContainersLeaveTheFile) {
    struct Case {
        std::string extension;
        std::string text;
        std::string message;
    } cases[] = {
        {"mp3", std::string(200000, 'l'),
         "The text is too long to write into the file (200007 bytes; at most 131071)."},
        {"mp3", std::string("a\0b", 3),
         "The text contains a NUL character, which cannot be written into the file."},
        // ffmpeg would drop the lyrics of a WAV file and still succeed.
        {"wav", "words", "Lyrics cannot be embedded in a .wav file."},
    };
    for (const auto& test : cases) {
        fs::path file = copyInto(audioSource(test.extension), "Song." + test.extension);
        std::string before = contents(file);
        try {
            LyricsEmbedder::addLyricsTag(plainLyrics(test.text), file);
            ADD_FAILURE() << test.message;
        } catch (const TagEditorError& error) {
            EXPECT_EQ(error.kind(), TagEditorError::Kind::failed);
            EXPECT_EQ(error.what(), test.message);
        }
        EXPECT_EQ(contents(file), before);
        EXPECT_EQ(folderEntries(file.parent_path()), std::vector<std::string>{file.filename().string()});
    }
}

TEST(LyricsSubtitles, VideoGainsAnUnshownTextTrack) {
    OwnTemporaryFolder temporary;
    fs::path video = copyInto(videoSource(), "Clip.mp4");
    auto lyrics = timedLyrics({{0.2, "Erste Zeile"}, {0.6, ""}, {0.9, "zweite ☀"}});
    LyricsEmbedder::addSubtitles(lyrics, video, "eng");

    auto streams = probe(video)["streams"];
    ASSERT_EQ(streams.size(), 3u);
    EXPECT_EQ(streams[0]["codec_name"], "mpeg4"); // copied, not re-encoded
    EXPECT_EQ(streams[1]["codec_name"], "aac");
    EXPECT_EQ(streams[2]["codec_type"], "subtitle");
    EXPECT_EQ(streams[2]["codec_name"], "mov_text");
    EXPECT_EQ(streams[2]["tags"]["language"], "eng");
    EXPECT_EQ(streams[2]["tags"]["handler_name"], "Lyrics"); // what MP4 keeps as the track's name
    // ffmpeg's MP4 muxer keeps no cleared default flag (it enables the first track of each
    // kind), so that is not checked here.
    EXPECT_EQ(subtitleTrack(video), "1\n00:00:00,200 --> 00:00:00,850\nErste Zeile\n\n"
                                    "2\n00:00:00,900 --> 00:00:05,850\nzweite ☀\n\n");
    EXPECT_TRUE(temporary.entries().empty());
    EXPECT_EQ(folderEntries(video.parent_path()), std::vector<std::string>{"Clip.mp4"});

    // A second embedding replaces the track instead of stacking another.
    LyricsEmbedder::addSubtitles(timedLyrics({{1, "again"}}), video, "deu");
    streams = probe(video)["streams"];
    ASSERT_EQ(streams.size(), 3u);
    EXPECT_EQ(streams[2]["tags"]["language"], "deu");
}

TEST(LyricsSubtitles, NothingRunsWithoutTimedLinesOrText) {
    OwnTemporaryFolder temporary;
    fs::path marker = temporary.path() / "ffmpeg-ran";
    fs::path tool = testkit::writeScript(testkit::makeTemporaryFolder("tools") / "ffmpeg",
                                         "touch '" + marker.string() + "'; exit 1");
    ScopedEnvironment override("ZINTRARADIO_FFMPEG", tool.c_str());
    fs::path video = copyInto(videoSource(), "Clip.mp4");
    fs::path audio = copyInto(audioSource("mp3"), "Song.mp3");

    SongLyrics instrumental;
    instrumental.instrumental = true;
    LyricsEmbedder::addSubtitles(instrumental, video, "eng");
    LyricsEmbedder::addLyricsTag(instrumental, audio);
    LyricsEmbedder::addSubtitles(plainLyrics("plain lyrics never go into a video"), video, "eng");
    LyricsEmbedder::addSubtitles(timedLyrics({{1, ""}, {2, ""}}), video, "eng");
    EXPECT_TRUE(temporary.entries().empty());
}

TEST(LyricsSubtitles, HangingRemuxIsStoppedByItsTimeOutOrACancel) {
    OwnTemporaryFolder temporary;
    fs::path tool = testkit::writeScript(testkit::makeTemporaryFolder("tools") / "ffmpeg",
                                         "for last; do :; done; echo partial > \"$last\"; exec sleep 60");
    ScopedEnvironment override("ZINTRARADIO_FFMPEG", tool.c_str());
    fs::path video = copyInto(videoSource(), "Clip.mp4");
    std::string before = contents(video);
    auto lyrics = timedLyrics({{1, "line"}});

    auto started = std::chrono::steady_clock::now();
    try {
        LyricsEmbedder::addSubtitles(lyrics, video, "eng", {}, std::chrono::milliseconds(300));
        ADD_FAILURE() << "a hanging remux succeeded";
    } catch (const TagEditorError& error) {
        EXPECT_STREQ(error.what(), "ffmpeg did not finish in time and was stopped.");
    }
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(30));

    std::stop_source cancel;
    std::jthread canceller([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        cancel.request_stop();
    });
    EXPECT_THROW(LyricsEmbedder::addSubtitles(lyrics, video, "eng", cancel.get_token()),
                 platform::CancellationError);
    // Nothing stays behind: not the tool, not its output, not the subtitle file.
    EXPECT_TRUE(testkit::childProcesses().empty());
    EXPECT_EQ(contents(video), before);
    EXPECT_EQ(folderEntries(video.parent_path()), std::vector<std::string>{"Clip.mp4"});
    EXPECT_TRUE(temporary.entries().empty());
}

TEST(LyricsSubtitles, FailuresLeaveTheVideoAndRemoveTheSubtitleFile) {
    OwnTemporaryFolder temporary;
    auto lyrics = timedLyrics({{1, "line"}});

    // ffmpeg refuses the input.
    fs::path notAVideo = testkit::makeTemporaryFolder("lyrics") / "Notes.mp4";
    platform::writeFileAtomically(notAVideo, "not a video\n");
    try {
        LyricsEmbedder::addSubtitles(lyrics, notAVideo, "eng");
        ADD_FAILURE() << "a text file took subtitles";
    } catch (const TagEditorError& error) {
        EXPECT_EQ(error.kind(), TagEditorError::Kind::failed);
        EXPECT_THAT(error.what(), HasSubstr("Notes.mp4"));
    }
    EXPECT_EQ(contents(notAVideo), "not a video\n");
    EXPECT_EQ(folderEntries(notAVideo.parent_path()), std::vector<std::string>{"Notes.mp4"});
    EXPECT_TRUE(temporary.entries().empty());

    // ffmpeg writes half a file and fails; it saw the subtitle file, which is gone afterwards.
    fs::path seen = testkit::makeTemporaryFolder("seen") / "listing";
    fs::path tool = testkit::writeScript(testkit::makeTemporaryFolder("tools") / "ffmpeg",
                                         "for last; do :; done; echo junk > \"$last\"; "
                                         "ls \"$TMPDIR\" > '" +
                                             seen.string() + "'; echo 'Broken pipe' >&2; exit 1");
    fs::path video = copyInto(videoSource(), "Clip.mp4");
    std::string before = contents(video);
    {
        ScopedEnvironment override("ZINTRARADIO_FFMPEG", tool.c_str());
        EXPECT_THROW(LyricsEmbedder::addSubtitles(lyrics, video, "eng"), TagEditorError);
    }
    EXPECT_THAT(contents(seen), ::testing::MatchesRegex("zintraradio-[0-9A-F-]{36}\\.srt\n"));
    EXPECT_EQ(contents(video), before);
    EXPECT_EQ(folderEntries(video.parent_path()), std::vector<std::string>{"Clip.mp4"});
    EXPECT_TRUE(temporary.entries().empty());

    // No temporary folder to write the subtitles into: the write error, nothing run.
    fs::path notAFolder = temporary.path() / "file";
    platform::writeFileAtomically(notAFolder, "");
    {
        ScopedEnvironment badTemporary("TMPDIR", notAFolder.c_str());
        EXPECT_THROW(LyricsEmbedder::addSubtitles(lyrics, video, "eng"), platform::FileError);
    }
    EXPECT_EQ(contents(video), before);
}
