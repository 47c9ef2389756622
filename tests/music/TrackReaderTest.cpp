#include "ZazidEvoz/music/MusicLibraryStore.hpp"
#include "support/Media.hpp"
#include "support/MusicFixtures.hpp"
#include "support/Sandbox.hpp"

#include <fstream>
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <unistd.h>

namespace ZazidEvoz {
namespace {

using testkit::copyFile;
using testkit::fileBytes;
using testkit::makeTemporaryFolder;
using testkit::taggedAudio;
namespace fs = std::filesystem;

const Date modified = platform::dateFromSecondsSince1970(1'650'000'000.5);

struct ReadCase {
    std::string name; // file name in the library folder
    std::string extension;
    std::map<std::string, std::string> tags;
    std::string cover; // "", "jpg" or "png"
    // Expected
    std::string title, artist, album, genre;
    std::int64_t year = 0;
    std::string coverExtension; // "" for none
    std::optional<std::string> sourceURL;
};

TEST(TrackReader, ReadsEachFormatIntoATrack) {
    const std::string watch = "https://www.youtube.com/watch?v=dQw4w9WgXcQ";
    const std::vector<ReadCase> cases = {
        {"tagged.mp3",
         "mp3",
         {{"title", "Song"},
          {"artist", "Artist"},
          {"album", "Album"},
          {"genre", "(17)"},
          {"date", "2019-05-04"},
          {"comment", watch + " downloaded today"}},
         "jpg",
         "Song",
         "Artist",
         "Album",
         "Rock",
         2019,
         ".jpg",
         watch},
        {"tagged.m4a",
         "m4a",
         {{"title", "Süß"},
          {"artist", "Ärzte"},
          {"album", "Album"},
          {"genre", "Jazz"},
          {"date", "2001"},
          {"comment", "see https://youtu.be/abc123, thanks"}},
         "png",
         "Süß",
         "Ärzte",
         "Album",
         "Jazz",
         2001,
         ".png",
         "https://youtu.be/abc123,"},
        {"tagged.flac",
         "flac",
         {{"title", "Flac"}, {"artist", "Artist"}, {"album", "Album"}, {"genre", " (40) "}, {"date", "1999"}},
         "jpg",
         "Flac",
         "Artist",
         "Album",
         "Alternative Rock",
         1999,
         ".jpg",
         std::nullopt},
        {"tagged.ogg",
         "ogg",
         {{"title", "Vorbis"}, {"artist", "Artist"}, {"genre", "Electronic"}, {"date", "2020-01-01"}},
         "",
         "Vorbis",
         "Artist",
         "",
         "Electronic",
         2020,
         "",
         std::nullopt},
        {"tagged.opus",
         "opus",
         {{"title", "Opus"}, {"artist", "Artist"}, {"album", "Album"}, {"genre", "12"}, {"comment", watch}},
         "",
         "Opus",
         "Artist",
         "Album",
         "Other",
         0,
         "",
         watch},
        {"tagged.wav",
         "wav",
         {{"title", "Wave"}, {"artist", "Artist"}, {"genre", "Ambient"}},
         "",
         "Wave",
         "Artist",
         "",
         "Ambient",
         0,
         "",
         std::nullopt},
        {"Artist Name - Song Name.flac",
         "flac",
         {},
         "",
         "Song Name",
         "Artist Name",
         "",
         "",
         0,
         "",
         std::nullopt},
        {"Plain.Song.mp3", "mp3", {}, "", "Plain.Song", "", "", "", 0, "", std::nullopt},
        {"named.mp3", "mp3", {{"title", "Alpha - Beta"}}, "", "Beta", "Alpha", "", "", 0, "", std::nullopt},
        {"empty title.mp3",
         "mp3",
         {{"title", ""}, {"artist", "Someone"}},
         "",
         "empty title",
         "Someone",
         "",
         "",
         0,
         "",
         std::nullopt},
        {"shouting.mp3",
         "mp3",
         {{"comment", "HTTPS://WWW.YOUTUBE.COM/watch?v=x"}},
         "",
         "shouting",
         "",
         "",
         "",
         0,
         "",
         std::nullopt},
    };

    fs::path folder = makeTemporaryFolder("reader");
    MusicLibraryStore store(folder / "support");
    for (const ReadCase& test : cases) {
        SCOPED_TRACE(test.name);
        fs::path file = folder / "Music" / test.name;
        copyFile(taggedAudio(test.extension, test.tags, test.cover), file);

        Date before = platform::now();
        Track track = store.readTrack(file, modified);
        EXPECT_EQ(track.path, file.string());
        EXPECT_EQ(track.title, test.title);
        EXPECT_EQ(track.artist, test.artist);
        EXPECT_EQ(track.album, test.album);
        EXPECT_EQ(track.genre, test.genre);
        EXPECT_EQ(track.year, test.year);
        EXPECT_NEAR(track.duration, 1.0, 0.1);
        EXPECT_EQ(track.sourceURL, test.sourceURL);
        EXPECT_EQ(track.fileSize, std::int64_t(fs::file_size(file)));
        EXPECT_EQ(track.fileModified, modified);
        EXPECT_GE(track.added, before);
        EXPECT_EQ(track.playCount, 0);
        EXPECT_EQ(track.rating, 0);
        EXPECT_FALSE(track.lastPlayed);
        if (test.coverExtension.empty()) {
            EXPECT_FALSE(track.coverFile);
        } else {
            ASSERT_TRUE(track.coverFile);
            fs::path cover = *track.coverFile;
            EXPECT_EQ(cover.parent_path(), store.coverFolder());
            EXPECT_EQ(cover.extension(), test.coverExtension);
            EXPECT_EQ(fileBytes(cover), fileBytes(testkit::coverPicture(test.coverExtension.substr(1))));
        }
    }
}

TEST(TrackReader, AFileThatIsNoAudioStillGivesATrack) {
    fs::path folder = makeTemporaryFolder("noaudio");
    fs::path file = folder / "Someone - Not Music.mp3";
    std::ofstream(file) << "this is text, not MPEG audio";
    Track track = MusicLibraryStore(folder).readTrack(file, modified);
    EXPECT_EQ(track.artist, "Someone");
    EXPECT_EQ(track.title, "Not Music");
    EXPECT_EQ(track.duration, 0);
    EXPECT_EQ(track.album, "");
    EXPECT_FALSE(track.coverFile);
    EXPECT_EQ(track.fileSize, std::int64_t(fs::file_size(file)));

    Track missing = MusicLibraryStore(folder).readTrack(folder / "gone.ogg", modified);
    EXPECT_EQ(missing.title, "gone");
    EXPECT_FALSE(missing.fileSize);
}

// Only a file whose content holds sound becomes a track; the extension decides nothing.
TEST(TrackReader, OnlyFilesThatHoldSoundBecomeTracks) {
    auto tone = [](const std::string& name, std::vector<std::string> options) {
        std::vector<std::string> arguments = {"-f", "lavfi", "-i", "sine=frequency=440:sample_rate=48000:duration=1",
                                              "-metadata", "title=Tone"};
        arguments.insert(arguments.end(), options.begin(), options.end());
        return testkit::generatedMedia("holds-sound-" + name, arguments);
    };
    struct SoundCase {
        std::string name;
        fs::path source;
        std::string title; // TagLib reads no tags of raw AAC, nor those of a file under another name
        bool length;       // its length can be read
    };
    const std::vector<SoundCase> sound = {
        {"v23.mp3", tone("v23.mp3", {"-id3v2_version", "3"}), "Tone", true},
        {"v24.mp3", tone("v24.mp3", {"-id3v2_version", "4"}), "Tone", true},
        {"tone.flac", tone("tone.flac", {}), "Tone", true},
        {"tone.m4a", tone("tone.m4a", {}), "Tone", true},
        {"tone.ogg", tone("tone.ogg", {"-c:a", "libvorbis"}), "Tone", true},
        {"tone.opus", tone("tone.opus", {"-c:a", "libopus"}), "Tone", true},
        {"tone.wav", tone("tone.wav", {}), "Tone", true},
        {"raw.aac", tone("raw.aac", {}), "raw", false},
        // The tag editor writes an ID3v2 tag in front of raw AAC.
        {"tagged.aac", tone("tagged.aac", {"-write_id3v2", "1"}), "tagged", false},
        // Saved under the wrong name: players go by the content, and so does the library.
        {"really-m4a.mp3", tone("tone.m4a", {}), "really-m4a", false},
    };
    fs::path folder = makeTemporaryFolder("sound");
    MusicLibraryStore store(folder);
    for (const auto& test : sound) {
        copyFile(test.source, folder / test.name);
        auto track = store.readAudioTrack(folder / test.name, modified);
        ASSERT_TRUE(track) << test.name;
        EXPECT_EQ(track->title, test.title) << test.name;
        EXPECT_EQ(track->duration > 0.9, test.length) << test.name;
    }
    for (const auto& soundless : testkit::soundlessFiles("First Song")) {
        std::ofstream(folder / soundless.name, std::ios::binary) << soundless.bytes;
        EXPECT_FALSE(store.readAudioTrack(folder / soundless.name, modified)) << soundless.name;
    }
    // A raw AAC name on anything but AAC frames holds no sound either.
    std::ofstream(folder / "notes.aac") << "ADTS? No.";
    EXPECT_FALSE(store.readAudioTrack(folder / "notes.aac", modified));
    // A file that cannot be opened says nothing of its content: it is read as before.
    EXPECT_TRUE(store.readAudioTrack(folder / "gone.ogg", modified));
}

TEST(TrackReader, CleansGenres) {
    const std::pair<const char*, const char*> cases[] = {
        {"(17)", "Rock"},
        {"17", "Rock"},
        {"  (17)\t", "Rock"},
        {"((12))", "Other"},
        {"(40)", "Alternative Rock"},
        {"(67)", "Psychedelic"},
        {"(0)", "Blues"},
        {"(79)", "Hard Rock"},
        {"+17", "Rock"},
        {"(17)Rock", "(17)Rock"},
        {"(80)", "(80)"},
        {"(-1)", "(-1)"},
        {"()", "()"},
        {"", ""},
        {"  Jazz  ", "Jazz"},
        {"(+-1)", "(+-1)"},
        {"99999999999999999999", "99999999999999999999"},
    };
    for (const auto& [raw, expected] : cases)
        EXPECT_EQ(MusicLibraryStore::cleanGenre(raw), expected) << '"' << raw << '"';
    EXPECT_EQ(MusicLibraryStore::id3Genres().size(), 80u);
}

TEST(TrackReader, GenreFramesAreCleanedAsTheFileHoldsThem) {
    // ID3v2.3 genre frames as other taggers write them; TagLib's own reading would turn the
    // escaped "((12))" into ")" and "(80)" into a genre of its longer list.
    const std::pair<const char*, const char*> cases[] = {
        {"((12))", "Other"}, {"(17)", "Rock"}, {"(17)Rock", "(17)Rock"}, {"(80)", "(80)"}, {"Jazz", "Jazz"},
    };
    fs::path folder = makeTemporaryFolder("genres");
    MusicLibraryStore store(folder / "support");
    for (const auto& [raw, expected] : cases) {
        fs::path file = folder / "genre.mp3";
        copyFile(taggedAudio("mp3", {{"title", "T"}, {"genre", raw}}), file);
        EXPECT_EQ(store.readTrack(file, modified).genre, expected) << raw;
    }
}

TEST(CoverStore, NamesCoversByAStableHashOfTheAudioPath) {
    EXPECT_EQ(hashValueStable(""), 0xcbf29ce484222325ULL);
    EXPECT_EQ(hashValueStable("a"), 0xaf63dc4c8601ec8cULL);
    EXPECT_NE(hashValueStable("/Music/A.mp3"), hashValueStable("/Music/a.mp3"));

    fs::path folder = makeTemporaryFolder("covers");
    MusicLibraryStore store(folder / "deep" / "support");
    const std::string png = "\x89PNG\r\n\x1A\n-first";
    const std::string jpeg = "\xFF\xD8\xFF\xE0-jpeg";

    auto first = store.storeCover(png, "");
    ASSERT_TRUE(first);
    EXPECT_EQ(*first, (store.coverFolder() / "cbf29ce484222325.png").string());
    auto again = store.storeCover(png + "-second", "");
    EXPECT_EQ(again, first);
    EXPECT_EQ(fileBytes(*first), png + "-second");
    auto asJpeg = store.storeCover(jpeg, "");
    ASSERT_TRUE(asJpeg);
    EXPECT_EQ(fs::path(*asJpeg).filename(), "cbf29ce484222325.jpg");

    for (const std::string& notAPicture : {std::string(), std::string("\x89"), std::string("\x89P not png"),
                                           std::string("GIF89a..."), std::string("RIFF....WEBP")})
        EXPECT_FALSE(store.storeCover(notAPicture, "/x.mp3")) << "only JPEG and PNG are covers";

    // A plain file where the cover folder should be: nothing is written, no error escapes.
    fs::path blocked = makeTemporaryFolder("coverblocked");
    std::ofstream(blocked / "Covers") << "x";
    EXPECT_FALSE(MusicLibraryStore(blocked).storeCover(jpeg, "/x.mp3"));
}

TEST(CoverStore, CoversInTagsAreCapped) {
    fs::path folder = makeTemporaryFolder("bigcover");
    MusicLibraryStore store(folder / "support");
    struct Case {
        const char* name;
        std::string picture;
        bool kept;
    };
    const Case cases[] = {
        {"small.mp3", "\xFF\xD8\xFF\xE0" + std::string(1000, 'x'), true},
        {"huge.mp3", "\xFF\xD8\xFF\xE0" + std::string(17u * 1024 * 1024, 'x'), false},
        {"gif.mp3", "GIF89a" + std::string(1000, 'x'), false},
    };
    for (const Case& test : cases) {
        fs::path file = folder / test.name;
        copyFile(taggedAudio("mp3", {{"title", "Pictured"}}), file);
        {
            TagLib::MPEG::File mpeg(file.c_str());
            auto* frame = new TagLib::ID3v2::AttachedPictureFrame;
            frame->setMimeType("image/jpeg");
            frame->setType(TagLib::ID3v2::AttachedPictureFrame::FrontCover);
            frame->setPicture(TagLib::ByteVector(test.picture.data(), unsigned(test.picture.size())));
            mpeg.ID3v2Tag(true)->addFrame(frame);
            ASSERT_TRUE(mpeg.save());
        }
        Track track = store.readTrack(file, modified);
        EXPECT_EQ(track.title, "Pictured") << test.name;
        EXPECT_EQ(track.coverFile.has_value(), test.kept) << test.name;
    }
}

// Reading must not look like writing: folder watchers would take every scan's reads as changes
// and start another scan.
TEST(TrackReader, ReadingAFileIsNoChangeToAFolderWatcher) {
    const auto folder = makeTemporaryFolder("read-only");
    for (const char* extension : {"mp3", "flac", "m4a", "ogg"})
        copyFile(taggedAudio(extension, {{"title", "Song"}}), folder / (std::string("song.") + extension));
    const int watcher = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watcher, 0);
    ASSERT_GE(::inotify_add_watch(watcher, folder.c_str(), IN_CLOSE_WRITE | IN_MODIFY), 0);
    MusicLibraryStore store(folder);
    for (const char* extension : {"mp3", "flac", "m4a", "ogg"})
        EXPECT_EQ(store.readTrack(folder / (std::string("song.") + extension), modified).title, "Song")
            << extension;
    char events[4096];
    EXPECT_EQ(::read(watcher, events, sizeof events), -1) << "reading was reported as a change";
    ::close(watcher);
}

} // namespace
} // namespace ZazidEvoz
