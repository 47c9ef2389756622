#include "ZazidEvoz/music/MusicLibraryStore.hpp"
#include "ZazidEvoz/platform/FaultInjection.hpp"
#include "ZazidEvoz/platform/Files.hpp"
#include "ZazidEvoz/platform/Text.hpp"
#include "support/MusicFixtures.hpp"
#include "support/Sandbox.hpp"

#include <cmath>
#include <fstream>
#include <gtest/gtest.h>
#include <limits>

namespace ZazidEvoz {
namespace {

using platform::dateFromSecondsSince1970;
using testkit::fileBytes;
using testkit::makeTemporaryFolder;
namespace fs = std::filesystem;

void writeText(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

std::vector<fs::path> filesIn(const fs::path& folder) {
    std::vector<fs::path> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

// Captures what the code under test writes to standard error.
class CapturedStandardError {
public:
    CapturedStandardError() { testing::internal::CaptureStderr(); }
    std::string text() { return testing::internal::GetCapturedStderr(); }
};

MusicSnapshot fullSnapshot() {
    MusicSnapshot snapshot;
    Track plain;
    plain.path = "/music/plain.flac";
    plain.title = "Plain";
    plain.added = dateFromSecondsSince1970(1'600'000'000.75);
    plain.fileModified = dateFromSecondsSince1970(1'500'000'000.25);
    Track full = plain;
    full.path = "/music/Sub Folder/full.mp3";
    full.title = "Füll";
    full.artist = "Artist";
    full.album = "Album";
    full.genre = "Rock";
    full.year = 1999;
    full.duration = 245.5;
    full.coverFile = "/covers/abc.jpg";
    full.playCount = 7;
    full.lastPlayed = dateFromSecondsSince1970(1'650'000'000.5);
    full.rating = 4;
    full.sourceURL = "https://www.youtube.com/watch?v=abc";
    full.fileSize = 123456;
    snapshot.tracks = {plain, full};

    Station item;
    item.kind = MediaKind::file;
    item.name = "Artist - Füll";
    item.url = full.url();
    snapshot.playlists = {{Uuid::random(), "Mine", {item}, dateFromSecondsSince1970(1'700'000'000.9)}};
    snapshot.smartPlaylists.push_back(
        {Uuid::random(),
         "Every rule",
         {SmartRule::genreIs("Rock"), SmartRule::artistContains("a"), SmartRule::titleContains("b"),
          SmartRule::albumContains("c"), SmartRule::addedWithinDays(7), SmartRule::playedAtLeast(2),
          SmartRule::neverPlayed(), SmartRule::ratingAtLeast(3), SmartRule::yearBetween(1990, 1999),
          SmartRule::longerThan(60.5), SmartRule::shorterThan(600), SmartRule::fromYouTube()},
         false,
         SmartSort::recentlyPlayed,
         -1});
    snapshot.folders = {"/music", "/media/usb/Music"};
    return snapshot;
}

Date wholeSeconds(Date date) {
    return dateFromSecondsSince1970(std::floor(platform::secondsSince1970(date)));
}

TEST(MusicSnapshot, RoundTripLosesOnlyFractionsOfSeconds) {
    MusicLibraryStore store(makeTemporaryFolder("snapshot"));
    MusicSnapshot snapshot = fullSnapshot();
    store.save(snapshot);
    MusicSnapshot loaded = store.load();

    MusicSnapshot expected = snapshot;
    for (Track& track : expected.tracks) {
        track.added = wholeSeconds(track.added);
        track.fileModified = wholeSeconds(track.fileModified);
        if (track.lastPlayed)
            track.lastPlayed = wholeSeconds(*track.lastPlayed);
    }
    for (Playlist& playlist : expected.playlists)
        playlist.created = wholeSeconds(playlist.created);
    EXPECT_EQ(loaded, expected);
    EXPECT_NE(loaded, snapshot);
}

TEST(MusicSnapshot, WrittenForm) {
    MusicSnapshot snapshot = fullSnapshot();
    json::Value document = json::parse(musicSnapshotText(snapshot));

    const json::Value& plain = document["tracks"][0];
    for (const char* absent : {"coverFile", "lastPlayed", "sourceURL", "fileSize"})
        EXPECT_FALSE(plain.contains(absent)) << absent;
    EXPECT_EQ(plain["added"], "2020-09-13T12:26:40Z");
    EXPECT_EQ(document["tracks"][1]["lastPlayed"], "2022-04-15T05:20:00Z");

    const json::Value& rules = document["smartPlaylists"][5]["rules"];
    EXPECT_EQ(rules[0], json::parse(R"({"genreIs": {"_0": "Rock"}})"));
    EXPECT_EQ(rules[4], json::parse(R"({"addedWithinDays": {"_0": 7}})"));
    EXPECT_EQ(rules[6], json::parse(R"({"neverPlayed": {}})"));
    EXPECT_EQ(rules[8], json::parse(R"({"yearBetween": {"_0": 1990, "_1": 1999}})"));
    EXPECT_EQ(rules[9], json::parse(R"({"longerThan": {"_0": 60.5}})"));
    EXPECT_EQ(rules[11], json::parse(R"({"fromYouTube": {}})"));
    EXPECT_EQ(document["smartPlaylists"][5]["sort"], "recentlyPlayed");

    std::string id = document["playlists"][0]["id"];
    EXPECT_EQ(id, snapshot.playlists[0].id.text());
    EXPECT_EQ(id, text::uppercased(id));

    std::string written = musicSnapshotText(snapshot);
    EXPECT_NE(written.find(R"("path": "\/music\/plain.flac")"), std::string::npos) << "slashes are escaped";
    EXPECT_LT(written.find("\"folders\""), written.find("\"playlists\""));
    EXPECT_LT(written.find("\"playlists\""), written.find("\"smartPlaylists\""));
    EXPECT_LT(written.find("\"smartPlaylists\""), written.find("\"tracks\""));
    std::string trackText = written.substr(written.find("\"tracks\""));
    EXPECT_LT(trackText.find("\"added\""), trackText.find("\"album\""));
    EXPECT_LT(trackText.find("\"album\""), trackText.find("\"artist\""));
}

TEST(MusicSnapshot, NonFiniteNumbersAreWrittenAsZero) {
    MusicSnapshot snapshot = fullSnapshot();
    snapshot.tracks[0].duration = std::numeric_limits<double>::quiet_NaN();
    snapshot.tracks[1].duration = std::numeric_limits<double>::infinity();
    snapshot.smartPlaylists.back().rules = {SmartRule::longerThan(-std::numeric_limits<double>::infinity())};

    MusicLibraryStore store(makeTemporaryFolder("nonfinite"));
    store.save(snapshot);
    MusicSnapshot loaded = store.load();
    ASSERT_EQ(loaded.tracks.size(), 2u) << "the file must still load";
    EXPECT_EQ(loaded.tracks[0].duration, 0);
    EXPECT_EQ(loaded.tracks[1].duration, 0);
    EXPECT_EQ(loaded.smartPlaylists.back().rules, std::vector<SmartRule>{SmartRule::longerThan(0)});
}

TEST(MusicSnapshot, DecodingIsStrict) {
    const json::Value valid = toJson(fullSnapshot());
    struct Case {
        const char* name;
        std::function<void(json::Value&)> breakIt;
    };
    const std::vector<Case> cases = {
        {"no folders", [](json::Value& d) { d.erase("folders"); }},
        {"date with fraction", [](json::Value& d) { d["tracks"][0]["added"] = "2020-09-13T12:26:40.5Z"; }},
        {"date with offset", [](json::Value& d) { d["tracks"][0]["added"] = "2020-09-13T12:26:40+00:00"; }},
        {"impossible date", [](json::Value& d) { d["tracks"][0]["added"] = "2021-02-29T00:00:00Z"; }},
        {"null required", [](json::Value& d) { d["tracks"][0]["title"] = nullptr; }},
        {"year as text", [](json::Value& d) { d["tracks"][0]["year"] = "1999"; }},
        {"bad UUID", [](json::Value& d) { d["playlists"][0]["id"] = "not-a-uuid"; }},
        {"unknown sort", [](json::Value& d) { d["smartPlaylists"][0]["sort"] = "shuffle"; }},
        {"rule value not an object",
         [](json::Value& d) {
             d["smartPlaylists"][0]["rules"][0] = {{"neverPlayed", true}};
         }},
        {"rule without _1",
         [](json::Value& d) {
             d["smartPlaylists"][0]["rules"][0] = {{"yearBetween", {{"_0", 1}}}};
         }},
    };
    for (const Case& test : cases) {
        json::Value document = valid;
        test.breakIt(document);
        EXPECT_THROW(musicSnapshotFromJson(document), json::JsonDecodeError) << test.name;
    }

    json::Value lenient = valid;
    lenient["tracks"][0]["coverFile"] = nullptr;
    lenient["tracks"][0]["lastPlayed"] = nullptr;
    lenient["tracks"][0]["unknownKey"] = 1;
    lenient["extra"] = "ignored";
    lenient["playlists"][0]["id"] = text::lowercased(lenient["playlists"][0]["id"].get<std::string>());
    EXPECT_EQ(musicSnapshotFromJson(lenient), musicSnapshotFromJson(valid));
}

TEST(MusicSnapshot, RuleObjectsNeedExactlyOneCaseKey) {
    auto message = [](const char* text) -> std::string {
        try {
            smartRuleFromJson(json::parse(text));
        } catch (const json::JsonDecodeError& error) {
            return error.what();
        }
        return "decoded";
    };
    EXPECT_EQ(message(R"({"genreIs": {"_0": "a"}, "neverPlayed": {}})"),
              "Invalid number of keys found, expected one.");
    EXPECT_EQ(message(R"({"sometimes": {}})"), "Invalid number of keys found, expected one.");
    EXPECT_EQ(message(R"({})"), "Invalid number of keys found, expected one.");
    EXPECT_EQ(smartRuleFromJson(json::parse(R"({"neverPlayed": {"x": 1}, "sometimes": 3})")),
              SmartRule::neverPlayed());
}

TEST(MusicLibraryStore, MissingFileIsAQuietFirstStart) {
    fs::path folder = makeTemporaryFolder("store") / "not" / "yet";
    MusicLibraryStore store(folder);
    EXPECT_EQ(store.fileURL(), folder / "music.json");
    EXPECT_EQ(store.coverFolder(), folder / "Covers");
    CapturedStandardError error;
    MusicSnapshot snapshot = store.load();
    EXPECT_EQ(error.text(), "");
    EXPECT_FALSE(fs::exists(folder)) << "neither the store nor load creates anything";
    EXPECT_EQ(snapshot, MusicSnapshot());

    store.save(fullSnapshot());
    EXPECT_TRUE(fs::exists(store.fileURL())) << "save creates the folder chain";
}

TEST(MusicLibraryStore, BrokenFileIsMovedAsideBeforeAnySave) {
    for (const std::string& broken :
         {std::string("{\"tracks\": [], \"playlists\": []"), std::string(""),
          std::string("{\"tracks\": [], \"playlists\": [], \"smartPlaylists\": []}")}) {
        fs::path folder = makeTemporaryFolder("broken");
        MusicLibraryStore store(folder);
        writeText(store.fileURL(), broken);

        CapturedStandardError error;
        MusicSnapshot snapshot = store.load();
        std::string said = error.text();
        EXPECT_EQ(snapshot, MusicSnapshot());
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
        EXPECT_NE(said.find("music.json.broken-"), std::string::npos) << said;

        store.save(snapshot);
        std::vector<fs::path> files = filesIn(folder);
        ASSERT_EQ(files.size(), 2u);
        EXPECT_EQ(files[0], "music.json");
        EXPECT_TRUE(files[1].string().starts_with("music.json.broken-")) << files[1];
        EXPECT_EQ(fileBytes(folder / files[1]), broken) << "the broken file is kept as it was";
    }
}

TEST(MusicLibraryStore, AFifoInPlaceOfTheFileIsUnreadableAndKept) {
    fs::path folder = makeTemporaryFolder("fifo");
    MusicLibraryStore store(folder);
    MusicSnapshot fed;
    fed.folders = {"/fed/through/the/fifo"};
    testkit::FifoWithText fifo(store.fileURL(), musicSnapshotText(fed));

    CapturedStandardError error;
    MusicSnapshot snapshot = store.load();
    std::string said = error.text();
    EXPECT_EQ(snapshot, MusicSnapshot());
    EXPECT_NE(said.find("not a regular file"), std::string::npos) << said;

    store.save(snapshot);
    std::vector<fs::path> files = filesIn(folder);
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0], "music.json");
    EXPECT_TRUE(fs::is_fifo(folder / files[1])) << files[1];
}

TEST(MusicLibraryStore, BrokenFileThatCannotBeMovedAsideIsNeverOverwritten) {
    // A folder so deep that music.json and its temporary file fit the path limit but the
    // ".broken-…" name does not: moving aside fails while reading and writing still work.
    fs::path deep = makeTemporaryFolder("deep");
    const std::size_t targetLength = 4065;
    while (deep.string().size() < targetLength)
        deep /= std::string(std::min<std::size_t>(targetLength - deep.string().size() - 1, 200), 'd');
    ASSERT_EQ(deep.string().size(), targetLength);
    fs::create_directories(deep);
    MusicLibraryStore store(deep);
    writeText(store.fileURL(), "{ broken");

    CapturedStandardError error;
    MusicSnapshot snapshot = store.load();
    store.save(snapshot);
    std::string said = error.text();
    EXPECT_EQ(snapshot, MusicSnapshot());
    EXPECT_EQ(fileBytes(store.fileURL()), "{ broken");
    EXPECT_NE(said.find("nor moved aside"), std::string::npos) << said;
    EXPECT_NE(said.find("ZintraRadio: saving music library failed: "), std::string::npos) << said;

    // Once the file loads again, saves write it as usual.
    writeText(store.fileURL(), musicSnapshotText(MusicSnapshot()));
    EXPECT_EQ(store.load(), MusicSnapshot());
    MusicSnapshot full = fullSnapshot();
    store.save(full);
    EXPECT_EQ(fileBytes(store.fileURL()), musicSnapshotText(full));
}

TEST(MusicLibraryStore, FailedSaveKeepsTheOldFile) {
    fs::path folder = makeTemporaryFolder("failing");
    MusicLibraryStore store(folder);
    store.save(fullSnapshot());
    std::string before = fileBytes(store.fileURL());

    platform::FaultInjection::failNth(platform::Seam::AtomicWrite, 1);
    CapturedStandardError error;
    store.save(MusicSnapshot());
    std::string said = error.text();
    platform::FaultInjection::reset();
    EXPECT_TRUE(said.starts_with("ZintraRadio: saving music library failed: ")) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1);
    EXPECT_EQ(fileBytes(store.fileURL()), before);
    EXPECT_EQ(filesIn(folder), std::vector<fs::path>{"music.json"}) << "no temporary file is left";

    // A folder that cannot be created: a plain file stands where it should be.
    fs::path blocked = makeTemporaryFolder("blocked");
    writeText(blocked / "file", "x");
    MusicLibraryStore unwritable(blocked / "file" / "sub");
    CapturedStandardError second;
    unwritable.save(fullSnapshot());
    EXPECT_TRUE(second.text().starts_with("ZintraRadio: saving music library failed: "));
    EXPECT_EQ(fileBytes(blocked / "file"), "x");
}

TEST(MusicLibraryStore, AudioExtensionsAreLowerCaseWithoutDot) {
    const auto& extensions = MusicLibraryStore::audioExtensions();
    EXPECT_EQ(extensions.size(), 10u);
    for (const char* extension : {"mp3", "m4a", "aac", "flac", "wav", "aiff", "aif", "ogg", "opus", "alac"})
        EXPECT_TRUE(extensions.contains(extension)) << extension;
    EXPECT_FALSE(extensions.contains("MP3"));
    EXPECT_FALSE(extensions.contains(".mp3"));
}

} // namespace
} // namespace ZazidEvoz
