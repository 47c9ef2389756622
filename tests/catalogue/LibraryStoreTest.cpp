#include "ZazidEvoz/catalogue/LibraryStore.hpp"

#include "ZazidEvoz/catalogue/AustrianStations.hpp"
#include "ZazidEvoz/catalogue/DefaultStations.hpp"
#include "ZazidEvoz/core/MediaFolders.hpp"
#include "ZazidEvoz/platform/FaultInjection.hpp"
#include "support/Sandbox.hpp"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

using namespace ZazidEvoz;
namespace fs = std::filesystem;

namespace {

Station radio(std::string name, std::string url) {
    Station station;
    station.name = std::move(name);
    station.url = std::move(url);
    return station;
}

std::string readText(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

void writeText(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::vector<fs::path> brokenCopies(const fs::path& folder) {
    std::vector<fs::path> copies;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().filename().string().starts_with("library.json.broken-"))
            copies.push_back(entry.path());
    return copies;
}

// A stored library as JSON text, without going through the writer under test.
std::string libraryText(const std::vector<Station>& stations, const std::string& extra,
                        const std::vector<Station>& history = {}) {
    json::Value object = {{"version", 1},
                          {"favoriteURLs", json::Value::array()},
                          {"favoriteItems", json::Value::array()},
                          {"history", json::Value::array()},
                          {"volume", 0.5},
                          {"visualizerMode", "scope"}};
    object["stations"] = json::Value::array();
    for (const Station& station : stations)
        object["stations"].push_back(toJson(station));
    for (const Station& station : history)
        object["history"].push_back(toJson(station));
    if (!extra.empty())
        object.update(json::parse(extra));
    return object.dump();
}

class LibraryStoreTest : public ::testing::Test {
protected:
    fs::path folder = testkit::makeTemporaryFolder("library");
    LibraryStore store{folder};
    fs::path file = folder / "library.json";

    void TearDown() override { platform::FaultInjection::reset(); }
};

} // namespace

TEST_F(LibraryStoreTest, FileLocation) {
    EXPECT_EQ(store.fileURL(), file);
    testkit::ScopedEnvironment dataHome("XDG_DATA_HOME", "/srv/data");
    testkit::ScopedEnvironment noOverride("ZINTRARADIO_LIBRARY_DIR", nullptr);
    EXPECT_EQ(LibraryStore().fileURL(), "/srv/data/ZintraRadio/library.json");
    EXPECT_EQ(LibraryStore().fileURL(), MediaFolders::support() / "library.json");
}

TEST_F(LibraryStoreTest, NoFileGivesBuiltInLibraryQuietlyAndWritesNothing) {
    testing::internal::CaptureStderr();
    LibrarySnapshot snapshot = store.load();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(snapshot.stations, DefaultStations::all());
    EXPECT_EQ(snapshot.stations.front().name, "Deutschlandfunk");
    EXPECT_TRUE(snapshot.favoriteURLs.empty());
    EXPECT_TRUE(snapshot.favoriteItems.empty());
    EXPECT_TRUE(snapshot.history.empty());
    EXPECT_EQ(snapshot.lastPlayedURL, std::nullopt);
    EXPECT_FLOAT_EQ(snapshot.volume, 0.8f);
    EXPECT_EQ(snapshot.visualizerMode, "");
    EXPECT_EQ(snapshot.defaultsRevision, 2);
    EXPECT_EQ(snapshot.version, 1);
    EXPECT_FALSE(fs::exists(folder / "library.json"));
}

TEST_F(LibraryStoreTest, RoundTripWritesSortedPrettyJSON) {
    Station favourite = radio("Ö1 \"live\"", "https://example.org/oe1");
    favourite.kind = MediaKind::youtube;
    favourite.duration = 215;
    LibrarySnapshot snapshot({radio("FM4", "https://example.org/fm4"), favourite},
                             {"https://example.org/fm4"}, {favourite}, {favourite},
                             std::string("https://example.org/fm4"), 0.8f, "plasma");
    store.save(snapshot);
    std::string text = readText(file);

    const char* topKeys[] = {"defaultsRevision", "favoriteItems",  "favoriteURLs",
                             "history",          "lastPlayedURL",  "stations",
                             "version",          "visualizerMode", "volume"};
    std::size_t previous = 0;
    for (const char* key : topKeys) {
        std::size_t at = text.find(std::string("\n  \"") + key + "\": ");
        ASSERT_NE(at, std::string::npos) << key;
        EXPECT_GT(at, previous) << key;
        previous = at;
    }
    EXPECT_NE(text.find("\"volume\": 0.8\n"), std::string::npos) << "a float is stored in its short form";
    const char* stationKeys[] = {"bitrate",      "codec",    "country", "countryCode", "duration",
                                 "faviconURL",   "genre",    "kind",    "name",        "stationUUID",
                                 "thumbnailURL", "uploader", "url",     "votes"};
    std::size_t stationAt = text.find("\"stations\": [");
    previous = stationAt;
    for (const char* key : stationKeys) {
        std::size_t at = text.find(std::string("\n      \"") + key + "\": ", stationAt);
        EXPECT_GT(at, previous) << key;
        previous = at;
    }

    EXPECT_EQ(store.load(), snapshot);

    // Files written elsewhere escape "/" as "\/"; they read the same.
    std::string escaped;
    for (char c : text)
        escaped += c == '/' ? std::string("\\/") : std::string(1, c);
    writeText(file, escaped);
    EXPECT_EQ(store.load(), snapshot);

    // Absent optionals are left out, and read back as absent.
    snapshot.lastPlayedURL.reset();
    snapshot.defaultsRevision.reset();
    store.save(snapshot);
    text = readText(file);
    EXPECT_EQ(text.find("lastPlayedURL"), std::string::npos);
    EXPECT_EQ(text.find("defaultsRevision"), std::string::npos);
}

TEST_F(LibraryStoreTest, OlderRevisionGetsTheAustrianStationsOnce) {
    std::vector<Station> curated = DefaultStations::curated();
    writeText(file, libraryText(curated, ""));
    LibrarySnapshot snapshot = store.load();
    ASSERT_EQ(snapshot.stations.size(), 350u) << "310 appended: one Austrian row shares the FM4 stream";
    EXPECT_EQ(snapshot.stations, DefaultStations::all());
    EXPECT_EQ(snapshot.defaultsRevision, 2);
    EXPECT_EQ(snapshot.visualizerMode, "scope");
    EXPECT_EQ(store.load(), snapshot) << "the upgrade was saved at once";

    // Without the curated FM4 row, every Austrian station is missing.
    std::erase_if(curated, [](const Station& s) { return s.name == "FM4"; });
    writeText(file, libraryText(curated, ""));
    EXPECT_EQ(store.load().stations.size(), 39u + 311u);

    // A newer revision is left alone.
    writeText(file, libraryText(curated, R"({"defaultsRevision": 3})"));
    EXPECT_EQ(store.load().stations.size(), 39u);
}

TEST_F(LibraryStoreTest, MovedStreamsAreRewrittenOnTheNextLoadAfterAnUpgrade) {
    const auto& [oldURL, newURL] =
        *DefaultStations::replacedURLs().find("https://stream.nightride.fm/nightride.m4a");
    Station old = radio("Nightride FM", oldURL);
    std::string text =
        libraryText({old}, R"({"favoriteURLs": [")" + oldURL + R"("], "lastPlayedURL": ")" + oldURL + R"("})",
                    {old, radio("other", "https://example.org/x"), radio("Nightride FM", newURL)});
    writeText(file, text);

    LibrarySnapshot upgraded = store.load();
    EXPECT_EQ(upgraded.stations.front().url, oldURL) << "the upgrade load installs stations only";
    EXPECT_EQ(upgraded.history.size(), 3u);

    LibrarySnapshot rewritten = store.load();
    EXPECT_EQ(rewritten.stations.front().url, newURL);
    EXPECT_EQ(rewritten.favoriteURLs, std::vector<std::string>{newURL});
    EXPECT_EQ(rewritten.lastPlayedURL, newURL);
    ASSERT_EQ(rewritten.history.size(), 2u) << "the later entry with the new URL is a duplicate now";
    EXPECT_EQ(rewritten.history[0].url, newURL);
    EXPECT_EQ(rewritten.history[1].name, "other");
    EXPECT_EQ(store.load(), rewritten) << "the rewrite was saved";
}

TEST_F(LibraryStoreTest, DuplicatesAloneAreDroppedWithoutSaving) {
    Station a = radio("A", "https://example.org/a");
    Station b = radio("B", "https://example.org/b");
    std::string text =
        libraryText({a, b, radio("A again", a.url)}, R"({"defaultsRevision": 2, "lastPlayedURL": null})");
    writeText(file, text);
    LibrarySnapshot snapshot = store.load();
    EXPECT_EQ(snapshot.stations, (std::vector<Station>{a, b}));
    EXPECT_EQ(snapshot.lastPlayedURL, std::nullopt);
    EXPECT_EQ(readText(file), text);
}

TEST_F(LibraryStoreTest, BrokenFileIsMovedAsideBeforeTheFallbackIsSaved) {
    const std::string cases[] = {
        "{ not json",
        libraryText({}, R"({"defaultsRevision": 2})").replace(0, 1, "[1,"), // not an object
        R"({"version": 1, "stations": [], "favoriteURLs": [], "favoriteItems": [], "history": [],
            "visualizerMode": ""})",                                        // no volume
        libraryText({}, R"({"stations": [{"kind": "podcast"}]})"),          // bad station
        libraryText({}, R"({"volume": "loud"})"),                           // wrong type
        std::string("{\"version\": \"\xFF\"}"),                             // not UTF-8
    };
    for (const std::string& broken : cases) {
        SCOPED_TRACE(broken.substr(0, 40));
        fs::remove_all(folder);
        fs::create_directories(folder);
        writeText(file, broken);

        testing::internal::CaptureStderr();
        LibrarySnapshot snapshot = store.load();
        std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(snapshot, LibraryStore::fallbackSnapshot());
        auto copies = brokenCopies(folder);
        ASSERT_EQ(copies.size(), 1u);
        EXPECT_EQ(readText(copies[0]), broken);
        EXPECT_TRUE(said.starts_with("ZintraRadio: library.json could not be loaded")) << said;
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;

        store.save(snapshot);
        EXPECT_EQ(readText(copies[0]), broken);
        EXPECT_EQ(store.load(), snapshot);
    }
}

TEST_F(LibraryStoreTest, AFifoInPlaceOfTheFileIsUnreadableAndKept) {
    testkit::FifoWithText fifo(
        file, libraryText({radio("Fed", "https://fed.example/")}, R"({"defaultsRevision": 2})"));
    testing::internal::CaptureStderr();
    LibrarySnapshot snapshot = store.load();
    std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(snapshot, LibraryStore::fallbackSnapshot());
    EXPECT_NE(said.find("not a regular file"), std::string::npos) << said;
    auto copies = brokenCopies(folder);
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_TRUE(fs::is_fifo(copies[0]));

    store.save(snapshot);
    EXPECT_TRUE(fs::is_regular_file(file));
    EXPECT_EQ(store.load(), snapshot);
}

TEST_F(LibraryStoreTest, BrokenFileThatCannotBeMovedIsNeverOverwritten) {
    // A folder so deep that the file fits the path limit but its ".broken-…" name does not:
    // renaming fails while reading and writing a temporary file still work.
    fs::path deep = folder;
    std::size_t targetLength = 4065;
    while (deep.string().size() < targetLength) {
        std::size_t room = targetLength - deep.string().size() - 1;
        deep /= std::string(std::min<std::size_t>(room, 200), 'd');
    }
    ASSERT_EQ(deep.string().size(), targetLength);
    fs::create_directories(deep);
    LibraryStore deepStore(deep);
    writeText(deepStore.fileURL(), "{ broken");

    testing::internal::CaptureStderr();
    LibrarySnapshot snapshot = deepStore.load();
    deepStore.save(snapshot);
    std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(snapshot, LibraryStore::fallbackSnapshot());
    EXPECT_EQ(readText(deepStore.fileURL()), "{ broken");
    EXPECT_NE(said.find("nor moved aside"), std::string::npos) << said;
    EXPECT_NE(said.find("(Cannot move aside " + deepStore.fileURL().string() + ": File name too long)"),
              std::string::npos)
        << said;
    EXPECT_NE(said.find("ZintraRadio: saving library failed: "), std::string::npos) << said;

    // Once the file loads again, saves write it as usual.
    writeText(deepStore.fileURL(), libraryText({}, R"({"defaultsRevision": 2})"));
    LibrarySnapshot repaired = deepStore.load();
    repaired.visualizerMode = "warp";
    testing::internal::CaptureStderr();
    deepStore.save(repaired);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(deepStore.load(), repaired);
}

TEST_F(LibraryStoreTest, FailedSaveLeavesTheOldFileAndSaysSo) {
    LibrarySnapshot snapshot = LibraryStore::fallbackSnapshot();
    store.save(snapshot);
    std::string before = readText(file);

    snapshot.visualizerMode = "warp";
    platform::FaultInjection::failNth(platform::Seam::AtomicWrite, 1);
    testing::internal::CaptureStderr();
    store.save(snapshot);
    std::string said = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(said.starts_with("ZintraRadio: saving library failed: ")) << said;
    EXPECT_TRUE(said.ends_with("\n"));
    EXPECT_EQ(readText(file), before);

    // The folder path is taken by a regular file.
    fs::path occupied = folder / "occupied";
    writeText(occupied, "keep");
    LibraryStore blocked(occupied);
    testing::internal::CaptureStderr();
    blocked.save(snapshot);
    said = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(said.starts_with("ZintraRadio: saving library failed: ")) << said;
    EXPECT_EQ(readText(occupied), "keep");
}

TEST_F(LibraryStoreTest, VolumesOutsideZeroToOneAreClampedOnLoad) {
    const std::pair<const char*, float> cases[] = {
        {"5.0", 1.0f}, {"-1.0", 0.0f}, {"1e39", 1.0f}, {"0.25", 0.25f}, {"1", 1.0f},
    };
    for (const auto& [stored, loaded] : cases) {
        SCOPED_TRACE(stored);
        writeText(file, libraryText({}, std::string(R"({"volume": )") + stored + "}"));
        EXPECT_EQ(store.load().volume, loaded);
        EXPECT_TRUE(brokenCopies(folder).empty()) << "the rest of the library is good";
    }
}

TEST_F(LibraryStoreTest, VolumeThatIsNotANumberDoesNotBlockSaving) {
    LibrarySnapshot snapshot = LibraryStore::fallbackSnapshot();
    snapshot.volume = std::numeric_limits<float>::quiet_NaN();
    testing::internal::CaptureStderr();
    store.save(snapshot);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_FLOAT_EQ(store.load().volume, 0.8f);
}
