#include "ZazidEvoz/tags/TagEditor.hpp"

#include "EditedFiles.hpp"
#include "ZazidEvoz/platform/FaultInjection.hpp"
#include "ZazidEvoz/platform/Files.hpp"
#include "ZazidEvoz/platform/Process.hpp"
#include "ZazidEvoz/platform/TemporaryFiles.hpp"
#include "ZazidEvoz/platform/Uuid.hpp"
#include "support/Media.hpp"
#include "support/Sandbox.hpp"
#include "support/StagedCopy.hpp"
#include "support/TagReading.hpp"

#include <fstream>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sys/stat.h>
#include <unistd.h>

using namespace ZazidEvoz;
namespace fs = std::filesystem;
namespace testkit = ZazidEvoz::testkit;
using ::testing::HasSubstr;
using ::testing::MatchesRegex;
using testkit::contents;
using testkit::copyInto;
using testkit::folderEntries;
using testkit::ScopedEnvironment;

namespace {

// A short tone with every tag set, in the container the extension names.
fs::path taggedSource(const std::string& extension) {
    std::vector<std::string> arguments = {
        "-f",        "lavfi",           "-i",        "sine=frequency=440:sample_rate=48000:duration=1",
        "-metadata", "title=Old Title", "-metadata", "artist=Old Artist",
        "-metadata", "album=Old Album", "-metadata", "genre=Old Genre",
        "-metadata", "date=1990"};
    if (extension == "aiff" || extension == "aac") // these write no tags unless asked
        arguments.insert(arguments.end(), {"-write_id3v2", "1"});
    return testkit::generatedMedia("tag-source." + extension, arguments);
}

fs::path picture(const std::string& name, const std::string& colour) {
    return testkit::generatedMedia(name,
                                   {"-f", "lavfi", "-i", "color=" + colour + ":s=64x48", "-frames:v", "1"});
}

mode_t permissions(const fs::path& file) {
    struct stat info {};
    EXPECT_EQ(::lstat(file.c_str(), &info), 0);
    return info.st_mode & 07777;
}

TagEditorError applyFailing(const TagEditor::Changes& changes, const fs::path& file) {
    try {
        TagEditor::apply(changes, file);
    } catch (const TagEditorError& error) {
        return error;
    }
    ADD_FAILURE() << "the edit of " << file << " succeeded";
    return TagEditorError::failed("");
}

// The failure left the file as it was and no hidden output beside it.
void expectUntouched(const fs::path& file, const std::string& before) {
    EXPECT_EQ(contents(file), before);
    EXPECT_EQ(folderEntries(file.parent_path()), std::vector<std::string>{file.filename().string()});
}

} // namespace

TEST(TagEditorCommandLine, ArgumentListsFollowFieldsCoverAndContainer) {
    TagEditor::Changes none;
    TagEditor::Changes withCover;
    withCover.coverImage = "/covers/front.jpg";
    TagEditor::Changes everything = withCover;
    everything.title = "T";
    everything.artist = "A";
    everything.album = "B";
    everything.genre = "G";
    everything.year = 1999;

    struct Case {
        const TagEditor::Changes& changes;
        std::string extension;
        std::size_t count; // whole command line, output included
    } cases[] = {
        {none, "m4a", 25},      {withCover, "m4a", 35},  {none, "mp3", 27},
        {withCover, "mp3", 37}, {everything, "mp3", 47}, {everything, "flac", 45},
        {none, "aiff", 27},     {none, "aac", 27},       {none, "", 25},
    };
    for (const auto& test : cases) {
        auto arguments = TagEditor::editArguments(test.changes, test.extension);
        auto commandLine = TagEditor::remuxCommandLine("/music/a." + test.extension, test.changes.coverImage,
                                                       arguments, "/music/out");
        EXPECT_EQ(commandLine.size(), test.count) << test.extension;
    }

    EXPECT_EQ(TagEditor::remuxCommandLine("/music/Song.MP3", everything.coverImage,
                                          TagEditor::editArguments(everything, "mp3"), "/music/.out.mp3"),
              (std::vector<std::string>{"-hide_banner", "-nostdin", "-loglevel", "error", "-y", "-i",
                                        "/music/Song.MP3", "-i", "/covers/front.jpg",
                                        // a checksum of the copied packets, the cover left out
                                        "-map", "0:V?", "-map", "0:a?", "-c", "copy", "-f", "hash", "-hash",
                                        "murmur3", "pipe:1", "-map", "0:a", "-map", "1:v", "-c", "copy",
                                        "-disposition:v:0", "attached_pic", "-metadata:s:v",
                                        "title=Album cover", "-metadata:s:v", "comment=Cover (front)",
                                        "-map_metadata", "0", "-id3v2_version", "3", "-metadata", "title=T",
                                        "-metadata", "artist=A", "-metadata", "album=B", "-metadata",
                                        "genre=G", "-metadata", "date=1999", "/music/.out.mp3"}));
    EXPECT_EQ(TagEditor::editArguments(none, "flac"),
              (std::vector<std::string>{"-map", "0", "-c", "copy", "-map_metadata", "0"}));

    TagEditor::Changes cleared;
    cleared.title = "";
    cleared.year = -44;
    EXPECT_EQ(TagEditor::editArguments(cleared, "m4a"),
              (std::vector<std::string>{"-map", "0", "-c", "copy", "-map_metadata", "0", "-metadata",
                                        "title=", "-metadata", "date=-44"}));
    // Ogg keeps its comments on the audio stream, so that is where the values go.
    for (const char* extension : {"ogg", "opus"})
        EXPECT_EQ(TagEditor::editArguments(cleared, extension),
                  (std::vector<std::string>{"-map", "0", "-c", "copy", "-map_metadata", "0", "-metadata:s:a",
                                            "title=", "-metadata:s:a", "date=-44"}));
}

TEST(TagEditorCommandLine, TemporaryOutputIsHiddenBesideTheFile) {
    const std::string uuid = "E621E1F8-C36C-495A-93FC-0C247A3E6E5F";
    EXPECT_EQ(TagEditor::temporaryOutputPath("/music/a/Song.MP3", uuid),
              fs::path("/music/a/.zintraradio-E621E1F8-C36C-495A-93FC-0C247A3E6E5F.mp3"));
    EXPECT_EQ(TagEditor::temporaryOutputPath("/music/a.b/Song", uuid),
              fs::path("/music/a.b/.zintraradio-E621E1F8-C36C-495A-93FC-0C247A3E6E5F."));
    EXPECT_EQ(TagEditor::lowercaseExtension("/music/.hidden"), "");
    EXPECT_EQ(TagEditor::lowercaseExtension("/music/a.b.FlAc"), "flac");

    // Only these exact names count as an edit's output when leftovers are cleared away.
    for (const char* name : {".zintraradio-E621E1F8-C36C-495A-93FC-0C247A3E6E5F.mp3",
                             ".zintraradio-E621E1F8-C36C-495A-93FC-0C247A3E6E5F."})
        EXPECT_TRUE(TagEditor::isTemporaryOutputName(name)) << name;
    for (const char* name : {
             ".zintraradio-e621e1f8-c36c-495a-93fc-0c247a3e6e5f.mp3", // not the case we write
             ".zintraradio-E621E1F8-C36C-495A-93FC-0C247A3E6E5F.MP3",
             ".zintraradio-E621E1F8-C36C-495A-93FC-0C247A3E6E5F",
             ".zintraradio-E621E1F8-C36C-495A-93FC-0C247A3E6E5F.mp3.bak",
             ".zintraradio-E621E1F8C36C495A93FC0C247A3E6E5F.mp3",
             "zintraradio-E621E1F8-C36C-495A-93FC-0C247A3E6E5F.mp3",
             ".zintraradio-download-E621E1F8-C36C-495A-93FC-0C247A3E6E5F",
             ".zintraradio-notes.txt",
         })
        EXPECT_FALSE(TagEditor::isTemporaryOutputName(name)) << name;

    // The real name, seen while ffmpeg writes it.
    fs::path file = copyInto(taggedSource("mp3"), "Loud.MP3");
    fs::path seen;
    TagEditor::RemuxOptions options;
    options.beforeReplace = [&](const fs::path& output) { seen = output; };
    TagEditor::remux(file, std::nullopt, TagEditor::editArguments({}, "mp3"), options);
    EXPECT_EQ(seen.parent_path(), file.parent_path());
    EXPECT_THAT(
        seen.filename().string(),
        MatchesRegex(
            "\\.zintraradio-[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}\\.mp3"));
}

class TagEditorFormats : public ::testing::TestWithParam<std::string> {};

TEST_P(TagEditorFormats, WritesEachFieldAndKeepsTheOthers) {
    fs::path file = copyInto(taggedSource(GetParam()), "Song." + GetParam());
    ::chmod(file.c_str(), 0640);
    auto before = testkit::readTags(file);
    ASSERT_TRUE(before);
    EXPECT_EQ(before->title, "Old Title");

    TagEditor::Changes changes;
    changes.title = "Neuer Titel – ☀";
    changes.artist = ""; // clears
    changes.genre = "Ambient";
    changes.year = 2024;
    TagEditor::apply(changes, file);

    auto after = testkit::readTags(file);
    ASSERT_TRUE(after);
    EXPECT_EQ(after->title, "Neuer Titel – ☀");
    EXPECT_EQ(after->artist, "");
    EXPECT_EQ(after->album, "Old Album");
    EXPECT_EQ(after->genre, "Ambient");
    EXPECT_EQ(after->year, 2024u);
    EXPECT_EQ(permissions(file), 0640u);
    EXPECT_EQ(folderEntries(file.parent_path()), std::vector<std::string>{file.filename().string()});

    TagEditor::Changes album;
    album.album = "Other Album";
    TagEditor::apply(album, file);
    after = testkit::readTags(file);
    ASSERT_TRUE(after);
    EXPECT_EQ(after->title, "Neuer Titel – ☀");
    EXPECT_EQ(after->album, "Other Album");
    EXPECT_EQ(after->year, 2024u);

    // Nothing to change still rewrites the file, with its tags carried over.
    TagEditor::apply({}, file);
    auto unchanged = testkit::readTags(file);
    ASSERT_TRUE(unchanged);
    EXPECT_EQ(unchanged->title, "Neuer Titel – ☀");
    EXPECT_EQ(unchanged->genre, "Ambient");
}

INSTANTIATE_TEST_SUITE_P(Containers, TagEditorFormats,
                         ::testing::Values("mp3", "m4a", "flac", "ogg", "opus", "aiff"),
                         [](const auto& info) { return info.param; });

// The file's global tags as ffprobe reads them (TagLib reads neither raw AAC nor WAV INFO here).
nlohmann::json probedTags(const fs::path& file) {
    platform::ProcessOptions probe({"/usr/bin/ffprobe", "-hide_banner", "-loglevel", "error", "-show_entries",
                                    "format_tags", "-of", "json", file.string()});
    auto result = platform::runProcess(probe);
    EXPECT_TRUE(result.status.succeeded()) << result.error;
    return nlohmann::json::parse(result.output)["format"]["tags"];
}

TEST(TagEditor, AdtsFileGetsAnID3Tag) {
    fs::path file = copyInto(taggedSource("aac"), "Song.aac");
    TagEditor::Changes changes;
    changes.title = "New";
    changes.year = 2001;
    TagEditor::apply(changes, file);

    auto tags = probedTags(file);
    EXPECT_EQ(tags["title"], "New");
    EXPECT_EQ(tags["album"], "Old Album");
    EXPECT_EQ(tags["date"], "2001");
}

// The bytes of the file's audio frames, as a digest. Decoding would differ: a header-less MP3
// gains a gapless header, which makes players skip the decoder delay.
std::string audioFramesDigest(const fs::path& file) {
    platform::ProcessOptions decode({testkit::ffmpegPath(), "-hide_banner", "-nostdin", "-loglevel", "error",
                                     "-i", file.string(), "-map", "0:a", "-c", "copy", "-f", "md5", "-"});
    auto result = platform::runProcess(decode);
    EXPECT_TRUE(result.status.succeeded()) << result.error;
    return result.output;
}

TEST(TagEditor, FilesWithOrWithoutAGaplessHeaderAreEditedWhole) {
    // The output of an MP3 copy gets a Xing/Info header with the decoder delay, so it starts
    // later and reads back shorter than a header-less original, though it holds every frame.
    struct Case {
        std::string name;
        std::vector<std::string> encoding;
    } cases[] = {
        {"cbr-without-header.mp3", {"-c:a", "libmp3lame", "-write_xing", "0"}},
        {"cbr-with-header.mp3", {"-c:a", "libmp3lame", "-b:a", "128k"}},
        {"vbr-with-header.mp3", {"-c:a", "libmp3lame", "-q:a", "4"}},
        {"mono-22k-without-header.mp3",
         {"-ac", "1", "-ar", "22050", "-c:a", "libmp3lame", "-write_xing", "0"}},
        {"pcm.wav", {}},
    };
    for (const auto& test : cases) {
        std::vector<std::string> arguments = {"-f", "lavfi", "-i", "sine=duration=5"};
        arguments.insert(arguments.end(), test.encoding.begin(), test.encoding.end());
        fs::path file = copyInto(testkit::generatedMedia("edit-" + test.name, arguments), test.name);
        std::string audio = audioFramesDigest(file);

        TagEditor::Changes changes;
        changes.title = "Edited";
        EXPECT_NO_THROW(TagEditor::apply(changes, file)) << test.name;
        EXPECT_EQ(probedTags(file)["title"], "Edited") << test.name;
        EXPECT_EQ(audioFramesDigest(file), audio) << test.name;
        EXPECT_EQ(folderEntries(file.parent_path()), std::vector<std::string>{test.name});
    }
}

class TagEditorCovers : public ::testing::TestWithParam<std::string> {};

TEST_P(TagEditorCovers, CoverIsAddedReplacedAndKeptByLaterEdits) {
    fs::path file = copyInto(taggedSource(GetParam()), "Song." + GetParam());
    fs::path jpeg = picture("cover-red.jpg", "red");
    fs::path png = picture("cover-blue.png", "blue");
    ASSERT_TRUE(testkit::embeddedPictures(file).empty());

    TagEditor::Changes cover;
    cover.coverImage = jpeg;
    cover.title = "With Cover";
    TagEditor::apply(cover, file);
    auto pictures = testkit::embeddedPictures(file);
    ASSERT_EQ(pictures.size(), 1u);
    EXPECT_EQ(pictures[0].bytes, contents(jpeg)); // stored as it was, not re-encoded
    EXPECT_TRUE(pictures[0].frontCover);
    EXPECT_EQ(testkit::readTags(file)->album, "Old Album");

    cover.coverImage = png;
    cover.title.reset();
    TagEditor::apply(cover, file);
    pictures = testkit::embeddedPictures(file);
    ASSERT_EQ(pictures.size(), 1u);
    EXPECT_EQ(pictures[0].bytes, contents(png));
    EXPECT_EQ(testkit::readTags(file)->title, "With Cover");

    TagEditor::Changes genre;
    genre.genre = "Jazz";
    TagEditor::apply(genre, file);
    pictures = testkit::embeddedPictures(file);
    ASSERT_EQ(pictures.size(), 1u);
    EXPECT_EQ(pictures[0].bytes, contents(png));
    EXPECT_EQ(testkit::readTags(file)->genre, "Jazz");
}

INSTANTIATE_TEST_SUITE_P(Containers, TagEditorCovers, ::testing::Values("mp3", "m4a", "flac", "aiff"),
                         [](const auto& info) { return info.param; });

TEST(TagEditor, CoverRefusedWhereTheContainerCannotHoldOne) {
    TagEditor::Changes cover;
    cover.coverImage = picture("cover-red.jpg", "red");
    cover.title = "Never";
    for (const std::string extension : {"ogg", "opus", "aac"}) {
        fs::path file = copyInto(taggedSource(extension), "Song." + extension);
        std::string before = contents(file);
        auto error = applyFailing(cover, file);
        EXPECT_EQ(error.kind(), TagEditorError::Kind::failed);
        EXPECT_STREQ(error.what(), ("A cover cannot be embedded in a ." + extension + " file.").c_str());
        expectUntouched(file, before);
    }
}

TEST(TagEditorFailures, FailingFfmpegLeavesTheFileAndItsErrorTextIsCut) {
    fs::path tools = testkit::makeTemporaryFolder("tools");
    struct Case {
        std::string script;
        std::string message;
    } cases[] = {
        {"printf 'x%.0s' $(seq 1000) >&2; exit 1", std::string(240, 'x')},
        // Characters, not bytes: "é" is two bytes.
        {"printf '\\303\\251%.0s' $(seq 300) >&2; exit 1",
         [] {
             std::string text;
             for (int i = 0; i < 240; ++i)
                 text += "é";
             return text;
         }()},
        {"exit 1", "ffmpeg exit 1"},
        // Success without an output must not empty the song.
        {"exit 0", "ffmpeg wrote nothing"},
        {"echo >&2; exit 3", "ffmpeg exit 3"},
        // A flood of error text cannot stall the tool on a full pipe.
        {"head -c 3000000 /dev/zero | tr '\\0' 'y' >&2; exit 1", std::string(240, 'y')},
        // Half an output written, then a failure: the hidden file goes too.
        {"for last; do :; done; echo junk > \"$last\"; echo 'Conversion failed!' >&2; exit 1",
         "Conversion failed!\n"},
    };
    int index = 0;
    for (const auto& test : cases) {
        auto ffmpeg = testkit::writeScript(tools / ("ffmpeg-" + std::to_string(index++)), test.script);
        ScopedEnvironment override("ZINTRARADIO_FFMPEG", ffmpeg.c_str());
        fs::path file = copyInto(taggedSource("mp3"), "Song.mp3");
        std::string before = contents(file);
        TagEditor::Changes changes;
        changes.title = "New";
        auto error = applyFailing(changes, file);
        EXPECT_EQ(error.kind(), TagEditorError::Kind::failed);
        EXPECT_EQ(error.what(), test.message) << test.script;
        expectUntouched(file, before);
    }
}

TEST(TagEditorFailures, RealFfmpegRejectsAFileThatIsNoAudio) {
    fs::path file = testkit::makeTemporaryFolder("edit") / "Notes.mp3";
    platform::writeFileAtomically(file, "just some text, not audio\n");
    TagEditor::Changes changes;
    changes.title = "New";
    auto error = applyFailing(changes, file);
    EXPECT_EQ(error.kind(), TagEditorError::Kind::failed);
    EXPECT_THAT(error.what(), HasSubstr("Notes.mp3"));
    expectUntouched(file, "just some text, not audio\n");

    fs::path song = copyInto(taggedSource("mp3"), "Song.mp3");
    std::string before = contents(song);
    TagEditor::Changes cover;
    cover.coverImage = song.parent_path() / "gone.jpg";
    EXPECT_THAT(applyFailing(cover, song).what(), HasSubstr("gone.jpg: No such file or directory"));
    expectUntouched(song, before);
}

TEST(TagEditorFailures, NothingRunsWithoutFfmpegOrWhenItCannotStart) {
    fs::path file = copyInto(taggedSource("mp3"), "Song.mp3");
    std::string before = contents(file);

    TagEditor::RemuxOptions noTool;
    noTool.findFFmpeg = [] { return std::optional<std::string>(); };
    try {
        TagEditor::remux(file, std::nullopt, TagEditor::editArguments({}, "mp3"), noTool);
        ADD_FAILURE() << "ran without ffmpeg";
    } catch (const TagEditorError& error) {
        EXPECT_EQ(error.kind(), TagEditorError::Kind::missingFFmpeg);
        EXPECT_STREQ(error.what(), "ffmpeg not found - sudo apt install ffmpeg yt-dlp");
    }
    expectUntouched(file, before);

    platform::FaultInjection::failNth(platform::Seam::ProcessStart, 1);
    auto error = applyFailing({}, file);
    platform::FaultInjection::reset();
    EXPECT_EQ(error.kind(), TagEditorError::Kind::failed);
    EXPECT_THAT(error.what(), HasSubstr("Injected failure"));
    expectUntouched(file, before);
}

TEST(TagEditorFailures, TextsTheKernelWouldRefuseAreRefusedFirst) {
    fs::path file = copyInto(taggedSource("mp3"), "Song.mp3");
    std::string before = contents(file);

    TagEditor::Changes huge;
    huge.title = std::string(200000, 'a');
    EXPECT_STREQ(applyFailing(huge, file).what(),
                 "The text is too long to write into the file (200006 bytes; at most 131071).");
    expectUntouched(file, before);

    TagEditor::Changes nul;
    nul.artist = std::string("a\0b", 3);
    EXPECT_THAT(applyFailing(nul, file).what(), HasSubstr("NUL character"));
    expectUntouched(file, before);

    // The longest value that can be passed still lands.
    TagEditor::Changes longest;
    longest.album = std::string(TagEditor::maximumArgumentBytes - 6, 'b');
    TagEditor::apply(longest, file);
    EXPECT_EQ(testkit::readTags(file)->album, *longest.album);
}

TEST(TagEditor, NamesThatLookLikeOptionsOrProtocolsAreFiles) {
    fs::path folder = testkit::makeTemporaryFolder("names");
    fs::path previous = fs::current_path();
    fs::current_path(folder);
    for (const std::string name :
         {"-y.mp3", "pipe:1.mp3", "http:x.mp3", "it's \"odd\" & $HOME.mp3", "100%d.mp3"}) {
        fs::copy_file(taggedSource("mp3"), folder / name);
        TagEditor::Changes changes;
        changes.title = name;
        TagEditor::apply(changes, name); // relative on purpose
        auto tags = testkit::readTags(folder / name);
        ASSERT_TRUE(tags) << name;
        EXPECT_EQ(tags->title, name);
    }
    fs::current_path(previous);
    EXPECT_EQ(folderEntries(folder).size(), 5u);
}

TEST(TagEditor, LinkStaysALinkAndItsTargetIsEdited) {
    fs::path target = copyInto(taggedSource("flac"), "Real.flac");
    fs::path link = testkit::makeTemporaryFolder("links") / "Link.flac";
    fs::create_symlink(target, link);

    TagEditor::Changes changes;
    changes.title = "Through the link";
    TagEditor::apply(changes, link);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(testkit::readTags(target)->title, "Through the link");
    EXPECT_EQ(folderEntries(link.parent_path()), std::vector<std::string>{"Link.flac"});
    EXPECT_EQ(folderEntries(target.parent_path()), std::vector<std::string>{"Real.flac"});
}

TEST(TagEditorRemux, FinishedOutputCanBeWorkedOnOrAbandonedBeforeTheSwap) {
    fs::path file = copyInto(taggedSource("mp3"), "Song.mp3");
    std::string before = contents(file);
    TagEditor::Changes changes;
    changes.title = "Staged";
    auto arguments = TagEditor::editArguments(changes, "mp3");

    TagEditor::RemuxOptions abandon;
    abandon.beforeReplace = [&](const fs::path& output) {
        EXPECT_EQ(testkit::readTags(output)->title, "Staged");
        EXPECT_EQ(contents(file), before);
        throw TagEditorError::failed("lyrics frame could not be added");
    };
    try {
        TagEditor::remux(file, std::nullopt, arguments, abandon);
        ADD_FAILURE() << "the hook's failure was lost";
    } catch (const TagEditorError& error) {
        EXPECT_STREQ(error.what(), "lyrics frame could not be added");
    }
    expectUntouched(file, before);

    // A file deleted while ffmpeg ran stays deleted.
    TagEditor::RemuxOptions deleteFirst;
    deleteFirst.beforeReplace = [&](const fs::path&) { fs::remove(file); };
    EXPECT_THROW(TagEditor::remux(file, std::nullopt, arguments, deleteFirst), TagEditorError);
    EXPECT_TRUE(folderEntries(file.parent_path()).empty());
    fs::copy_file(taggedSource("mp3"), file);

    // The swap itself fails: the file has become a folder meanwhile.
    TagEditor::RemuxOptions blockSwap;
    blockSwap.beforeReplace = [&](const fs::path&) {
        fs::remove(file);
        fs::create_directories(file / "inside");
    };
    try {
        TagEditor::remux(file, std::nullopt, arguments, blockSwap);
        ADD_FAILURE() << "replacing a folder succeeded";
    } catch (const TagEditorError& error) {
        EXPECT_THAT(error.what(), HasSubstr("Cannot replace " + file.string() + ": "));
    }
    EXPECT_TRUE(fs::is_directory(file));
    EXPECT_EQ(folderEntries(file.parent_path()), std::vector<std::string>{"Song.mp3"});
}

TEST(TagEditorFullDisk, OutputCutShortByAFullDiskNeverReplacesTheSong) {
    ZINTRA_NEEDS_STAGE(testkit::Stage::mountsAllowed);
    // ffmpeg 5.1 exits with 0 when the disk fills up while it finishes the file.
    testkit::SmallDisk disk(1024 * 1024);
    if (!disk.mounted())
        GTEST_SKIP() << disk.whyNot();
    for (const std::string extension : {"flac", "mp3"}) {
        fs::path folder = disk.folder() / extension;
        fs::create_directories(folder);
        fs::path file = folder / ("Song." + extension);
        fs::copy_file(taggedSource(extension), file);
        std::string before = contents(file);
        disk.leaveFree(4096);

        TagEditor::Changes changes;
        changes.title = "Never written";
        auto error = applyFailing(changes, file);
        EXPECT_EQ(error.kind(), TagEditorError::Kind::failed);
        EXPECT_THAT(error.what(), HasSubstr("No space left on device")) << extension;
        expectUntouched(file, before);

        // With room again, the same edit lands.
        disk.freeSpace();
        TagEditor::apply(changes, file);
        EXPECT_EQ(testkit::readTags(file)->title, "Never written");
        EXPECT_EQ(folderEntries(folder), std::vector<std::string>{file.filename().string()});
    }
}

TEST(TagEditorFullDisk, OutputThatDoesNotReadBackWholeIsRefused) {
    // A stand-in for ffmpeg that runs the real one and then damages the edit's output, with or
    // without saying so, but still exits with 0; reading files back goes to the real tool.
    auto damaging = [](const std::string& damage) {
        return testkit::writeScript(testkit::makeTemporaryFolder("tools") / "ffmpeg",
                                    "for last; do :; done\n'" + testkit::ffmpegPath() +
                                        "' \"$@\" || exit $?\n"
                                        "case \"$last\" in */.zintraradio-*) " +
                                        damage + " ;; esac\nexit 0\n");
    };
    struct Case {
        std::string name;
        std::string extension;
        std::string damage;
        std::string message;
    } cases[] = {
        {"error text with exit 0", "flac",
         "truncate -s 8192 \"$last\"; echo \"Error writing trailer of $last: No space left on device\" >&2",
         "Error writing trailer of "},
        {"silently cut to half", "mp3", "truncate -s $(($(stat -c %s \"$last\") / 2)) \"$last\"",
         "The edited file is incomplete or damaged; the file was left as it was."},
        // The last frame loses its end, yet still reads back as a frame of full length.
        {"silently cut inside the last frame", "mp3", "truncate -s -100 \"$last\"",
         "The edited file is incomplete or damaged; the file was left as it was."},
        {"silently cut inside the header", "flac", "truncate -s 20 \"$last\"",
         "The edited file does not read back whole; the file was left as it was: "},
        {"silently filled with noise", "m4a", "head -c 4000 /dev/urandom > \"$last\"",
         "The edited file does not read back whole; the file was left as it was: "},
    };
    for (const auto& test : cases) {
        ScopedEnvironment override("ZINTRARADIO_FFMPEG", damaging(test.damage).c_str());
        fs::path file = copyInto(taggedSource(test.extension), "Song." + test.extension);
        std::string before = contents(file);
        TagEditor::Changes changes;
        changes.genre = "Damaged";
        EXPECT_THAT(applyFailing(changes, file).what(), HasSubstr(test.message)) << test.name;
        expectUntouched(file, before);
    }

    // Damage done after ffmpeg, by the step that works on the output before the swap, counts too.
    fs::path file = copyInto(taggedSource("mp3"), "Song.mp3");
    std::string before = contents(file);
    TagEditor::RemuxOptions cutByHook;
    cutByHook.beforeReplace = [](const fs::path& output) {
        fs::resize_file(output, fs::file_size(output) / 3);
    };
    EXPECT_THROW(TagEditor::remux(file, std::nullopt, TagEditor::editArguments({}, "mp3"), cutByHook),
                 TagEditorError);
    expectUntouched(file, before);
}

TEST(TagEditorLeftovers, CopiesLeftByDeadEditsGoWithTheNextEditInTheFolder) {
    fs::path file = copyInto(taggedSource("mp3"), "Song.mp3");
    fs::path folder = file.parent_path();
    auto hidden = [&](const std::string& tail) {
        return folder / (".zintraradio-" + platform::Uuid::random().text() + tail);
    };
    auto leftover = [&](const fs::path& path) {
        std::ofstream(path) << "a full copy of the song";
        testkit::makeOlder(path, std::chrono::hours(1));
        return path;
    };

    // What a killed edit leaves: its copy, no longer locked by anyone.
    fs::path killed = leftover(hidden(".mp3"));
    fs::path killedOther = leftover(hidden(".flac"));
    // Kept: an edit that still runs, a copy younger than the grace time, names or kinds not ours.
    fs::path running = hidden(".mp3");
    platform::TemporaryFile runningEdit = platform::TemporaryFile::createEmpty(running);
    testkit::makeOlder(running, std::chrono::hours(1));
    fs::path fresh = hidden(".mp3");
    std::ofstream(fresh) << "just started";
    fs::path lowerCase = leftover(folder / ".zintraradio-e621e1f8-c36c-495a-93fc-0c247a3e6e5f.mp3");
    fs::path userFile = leftover(folder / ".zintraradio-mine.mp3");
    fs::path aFolder = hidden(".mp3");
    fs::create_directory(aFolder);
    testkit::makeOlder(aFolder, std::chrono::hours(1));
    fs::path aLink = hidden(".mp3");
    fs::create_symlink(file, aLink);
    testkit::makeOlder(aLink, std::chrono::hours(1));

    TagEditor::Changes changes;
    changes.title = "Edited";
    TagEditor::apply(changes, file);
    EXPECT_FALSE(fs::exists(killed));
    EXPECT_FALSE(fs::exists(killedOther));
    for (const fs::path& kept : {running, fresh, lowerCase, userFile, aFolder, aLink})
        EXPECT_TRUE(fs::exists(fs::symlink_status(kept))) << kept;
    EXPECT_EQ(testkit::readTags(file)->title, "Edited");
}
