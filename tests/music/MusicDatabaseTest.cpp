#include "ZazidEvoz/music/MusicDatabase.hpp"

#include "ZazidEvoz/platform/Files.hpp"
#include "support/MusicFixtures.hpp"
#include "support/RawSqlite.hpp"
#include "support/Sandbox.hpp"

#include <algorithm>
#include <chrono>
#include <fstream>
#include <gtest/gtest.h>
#include <limits>
#include <thread>

namespace ZazidEvoz {
namespace {

using platform::dateFromSecondsSince1970;
using testkit::makeTemporaryFolder;
using testkit::RawConnection;
using testkit::trackPaths;
namespace fs = std::filesystem;

Track makeTrack(const std::string& path, const std::string& title, const std::string& artist = "") {
    Track track;
    track.path = path;
    track.title = title;
    track.artist = artist;
    track.album = "Album";
    track.genre = "Genre";
    track.year = 2001;
    track.duration = 201.25;
    track.added = dateFromSecondsSince1970(1'700'000'000.125);
    track.fileModified = dateFromSecondsSince1970(1'690'000'000.5);
    return track;
}

std::vector<std::string> sortedPaths(const std::vector<Track>& tracks) {
    auto result = trackPaths(tracks);
    std::sort(result.begin(), result.end());
    return result;
}

class MusicDatabaseTest : public testing::Test {
protected:
    fs::path file = makeTemporaryFolder("database") / "music.sqlite";
    std::unique_ptr<MusicDatabase> database = std::make_unique<MusicDatabase>(file);
};

TEST(MusicDatabaseOpen, CreatesSchemaInAMissingFolderAndReopensCleanly) {
    fs::path file = makeTemporaryFolder("open") / "a" / "b" / "music.sqlite";
    { MusicDatabase database(file); }
    ASSERT_TRUE(fs::exists(file));
    {
        RawConnection raw(file);
        EXPECT_EQ(raw.rows("SELECT key, value FROM meta ORDER BY key"),
                  (std::vector<std::vector<std::string>>{{"schema", "1"}, {"tracks_index_folding", "1"}}));
        EXPECT_EQ(raw.value("PRAGMA journal_mode"), "wal");
        for (const char* table : {"tracks", "tracks_fts", "fts_map", "meta", "lyrics", "lyrics_fts"})
            EXPECT_EQ(
                raw.value(std::string("SELECT count(*) FROM sqlite_master WHERE name = '") + table + "'"),
                "1")
                << table;
        raw.exec("UPDATE meta SET value = 'kept' WHERE key = 'schema'");
        raw.exec(
            "INSERT INTO lyrics(song_key, artist, title, plain, source, fetched) VALUES"
            "('a|x', 'A', 'X', 'spoken words', 'transcript', 1), ('b|y', 'B', 'Y', 'sung words', 'lrc', 1)");
        raw.exec("INSERT INTO lyrics_fts(song_key, artist, title, body) VALUES"
                 "('a|x', 'A', 'X', 'spoken words'), ('b|y', 'B', 'Y', 'sung words')");
    }
    { MusicDatabase again(file); }
    RawConnection raw(file);
    EXPECT_EQ(raw.value("SELECT value FROM meta WHERE key = 'schema'"), "kept")
        << "the marker is written once";
    EXPECT_EQ(raw.value("SELECT count(*) FROM meta"), "2");
    EXPECT_EQ(raw.rows("SELECT song_key FROM lyrics"), (std::vector<std::vector<std::string>>{{"b|y"}}));
    EXPECT_EQ(raw.rows("SELECT song_key FROM lyrics_fts"), (std::vector<std::vector<std::string>>{{"b|y"}}));
}

// A music.sqlite as the release before song keys were stored wrote it: two tracks, their index
// rows, and a stored lookup of one of their songs.
void writeEarlierRelease(const fs::path& file) {
    RawConnection raw(file);
    raw.exec(R"sql(
PRAGMA journal_mode=WAL;
CREATE TABLE tracks (
    path TEXT PRIMARY KEY, title TEXT NOT NULL DEFAULT '', artist TEXT NOT NULL DEFAULT '',
    album TEXT NOT NULL DEFAULT '', genre TEXT NOT NULL DEFAULT '', year INTEGER NOT NULL DEFAULT 0,
    duration REAL NOT NULL DEFAULT 0, cover_file TEXT, added REAL NOT NULL, file_modified REAL NOT NULL,
    file_size INTEGER NOT NULL DEFAULT 0, play_count INTEGER NOT NULL DEFAULT 0, last_played REAL,
    rating INTEGER NOT NULL DEFAULT 0, source_url TEXT);
CREATE INDEX tracks_genre ON tracks(genre COLLATE NOCASE);
CREATE INDEX tracks_artist ON tracks(artist COLLATE NOCASE);
CREATE INDEX tracks_album ON tracks(album COLLATE NOCASE);
CREATE VIRTUAL TABLE tracks_fts USING fts5(title, artist, album, genre, filename,
    tokenize='unicode61 remove_diacritics 2');
CREATE TABLE fts_map (path TEXT PRIMARY KEY, rowid_fts INTEGER NOT NULL UNIQUE);
CREATE TABLE meta (key TEXT PRIMARY KEY, value TEXT);
CREATE TABLE lyrics (song_key TEXT PRIMARY KEY, artist TEXT NOT NULL, title TEXT NOT NULL,
    plain TEXT NOT NULL DEFAULT '', synced TEXT NOT NULL DEFAULT '', found INTEGER NOT NULL DEFAULT 0,
    source TEXT NOT NULL DEFAULT '', fetched REAL NOT NULL, heard_station TEXT, heard_last REAL,
    heard_count INTEGER NOT NULL DEFAULT 0);
CREATE VIRTUAL TABLE lyrics_fts USING fts5(song_key UNINDEXED, artist, title, body,
    tokenize='unicode61 remove_diacritics 2');
INSERT INTO meta VALUES('schema', '1');
INSERT INTO tracks(path, title, artist, added, file_modified, play_count, rating) VALUES
    ('/m/night.mp3', 'Night Drive (Radio Edit)', 'Neon feat. Guest', 100, 100, 7, 5),
    ('/m/dawn.mp3', 'Dawn', 'Neon', 200, 200, 0, 0);
INSERT INTO tracks_fts(rowid, title, artist, album, genre, filename) VALUES
    (1, 'Night Drive (Radio Edit)', 'Neon feat. Guest', '', '', 'night.mp3'),
    (2, 'Dawn', 'Neon', '', '', 'dawn.mp3');
INSERT INTO fts_map VALUES('/m/night.mp3', 1), ('/m/dawn.mp3', 2);
INSERT INTO lyrics(song_key, artist, title, plain, found, source, fetched) VALUES
    ('neon|night drive', 'Neon', 'Night Drive', 'city lights at night', 1, 'LRCLIB', 1700000000);
INSERT INTO lyrics_fts VALUES('neon|night drive', 'Neon', 'Night Drive', 'city lights at night');
)sql");
}

TEST(MusicDatabaseOpen, BringsAFileOfTheEarlierReleaseUpToDate) {
    fs::path file = makeTemporaryFolder("migrate") / "music.sqlite";
    writeEarlierRelease(file);
    {
        MusicDatabase database(file);
        EXPECT_EQ(sortedPaths(database.allTracks()),
                  (std::vector<std::string>{"/m/dawn.mp3", "/m/night.mp3"}));
        EXPECT_EQ(trackPaths(database.search("night drive", 10)), std::vector<std::string>{"/m/night.mp3"});
        EXPECT_EQ(trackPaths(database.tracksWithoutLyrics(10)), std::vector<std::string>{"/m/dawn.mp3"})
            << "the stored lookup counts for the track whose names vary from it";
        auto hits = database.searchLyrics("city", 10);
        ASSERT_EQ(hits.size(), 1u);
        EXPECT_EQ(hits[0].trackPath, "/m/night.mp3");
    }
    RawConnection raw(file);
    EXPECT_EQ(raw.rows("SELECT path, song_key, play_count, rating FROM tracks ORDER BY path"),
              (std::vector<std::vector<std::string>>{{"/m/dawn.mp3", "neon|dawn", "0", "0"},
                                                     {"/m/night.mp3", "neon|night drive", "7", "5"}}));
    EXPECT_EQ(
        raw.value("SELECT count(*) FROM sqlite_master WHERE name IN ('tracks_song_key', 'tracks_added')"),
        "2");
    EXPECT_EQ(raw.value("SELECT value FROM meta WHERE key = 'schema'"), "1");

    // A row written without its key by another program is left out until the next open.
    raw.exec(
        "INSERT INTO tracks(path, title, artist, added, file_modified) VALUES('/m/x.mp3', 'X', 'Y', 50, 50)");
    {
        MusicDatabase database(file);
        EXPECT_EQ(trackPaths(database.tracksWithoutLyrics(10)),
                  (std::vector<std::string>{"/m/x.mp3", "/m/dawn.mp3"}));
        raw.exec("INSERT INTO tracks(path, title, artist, added, file_modified) VALUES('/m/z.mp3', 'Z', 'Y', "
                 "1, 1)");
        EXPECT_EQ(trackPaths(database.tracksWithoutLyrics(10)),
                  (std::vector<std::string>{"/m/x.mp3", "/m/dawn.mp3"}));
    }
    EXPECT_EQ(trackPaths(MusicDatabase(file).tracksWithoutLyrics(1)), std::vector<std::string>{"/m/z.mp3"});
}

TEST(MusicDatabaseOpen, FailuresThrow) {
    fs::path folder = makeTemporaryFolder("openfail");
    std::ofstream(folder / "plain") << "x";
    EXPECT_THROW(MusicDatabase(folder / "plain" / "music.sqlite"), fs::filesystem_error);

    std::ofstream(folder / "garbage.sqlite") << std::string(8192, 'z');
    try {
        MusicDatabase database(folder / "garbage.sqlite");
        FAIL() << "a file that is not a database must not open";
    } catch (const MusicDatabaseError& error) {
        EXPECT_TRUE(std::string(error.what()).starts_with("SQLite: ")) << error.what();
    }
}

// What the library's opening wrote on standard error, and the opening.
std::pair<MusicDatabase::Opening, std::string> openForLibraryTold(const fs::path& file) {
    testing::internal::CaptureStderr();
    auto opening = MusicDatabase::openForLibrary(file);
    return {std::move(opening), testing::internal::GetCapturedStderr()};
}

TEST(MusicDatabaseOpen, ADamagedFileIsMovedAsideAndANewDatabaseMade) {
    const fs::path whole = makeTemporaryFolder("whole") / "music.sqlite";
    {
        MusicDatabase database(whole);
        database.upsert({makeTrack("/m/a.mp3", "Alpha")});
    }
    const std::vector<std::pair<const char*, std::string>> cases = {
        {"a text file", "These are my notes, not a database.\n"},
        {"a database cut off after its header", platform::readFile(whole, 1 << 24).value().substr(0, 100)},
    };
    for (const auto& [what, bytes] : cases) {
        SCOPED_TRACE(what);
        const fs::path folder = makeTemporaryFolder("damaged");
        const fs::path file = folder / "music.sqlite";
        platform::writeFileAtomically(file, bytes);

        auto [opening, told] = openForLibraryTold(file);
        ASSERT_TRUE(opening.database);
        ASSERT_TRUE(opening.movedAside);
        EXPECT_EQ(opening.movedAside->parent_path(), folder);
        EXPECT_TRUE(opening.movedAside->filename().string().starts_with("music.sqlite.broken-"))
            << *opening.movedAside;
        EXPECT_EQ(platform::readFile(*opening.movedAside, 1 << 20), bytes) << "kept for the user as it was";
        EXPECT_EQ(std::count(told.begin(), told.end(), '\n'), 1) << told;
        EXPECT_NE(told.find(opening.movedAside->string()), std::string::npos) << told;

        EXPECT_TRUE(opening.database->upsert({makeTrack("/m/new.mp3", "New")}));
        EXPECT_EQ(trackPaths(opening.database->search("new", 10)), std::vector<std::string>{"/m/new.mp3"});
    }
}

TEST(MusicDatabaseOpen, WithoutAnyDatabaseTheLibraryIsToldOnceAndNothingMoves) {
    // Tests run as root, who may write anywhere: what fails for root too is a folder where the
    // file should be, and a file where its folder should be.
    const fs::path folder = makeTemporaryFolder("nodatabase");
    fs::create_directories(folder / "music.sqlite" / "inside");
    std::ofstream(folder / "plain") << "x";
    for (const fs::path& file : {folder / "music.sqlite", folder / "plain" / "music.sqlite"}) {
        SCOPED_TRACE(file.string());
        auto [opening, told] = openForLibraryTold(file);
        EXPECT_FALSE(opening.database);
        EXPECT_FALSE(opening.movedAside);
        EXPECT_EQ(std::count(told.begin(), told.end(), '\n'), 1) << told;
        EXPECT_NE(told.find("music.json"), std::string::npos) << told;
    }
    EXPECT_TRUE(fs::is_directory(folder / "music.sqlite" / "inside"));
    EXPECT_EQ(platform::readFile(folder / "plain", 16), "x");
}

TEST_F(MusicDatabaseTest, WritesSayWhetherTheyHappened) {
    EXPECT_TRUE(database->upsert({makeTrack("/m/a.mp3", "Alpha")}));
    EXPECT_TRUE(database->updateUsage("/m/a.mp3", 2, std::nullopt, 1));
    EXPECT_TRUE(database->markHeard("Artist", "Alpha", "Radio"));
    EXPECT_EQ(database->moveTracks({{"/m/a.mp3", "/m/b.mp3"}}), 1);
    {
        // Another connection holds the write lock: each write fails at once, and says so.
        RawConnection writer(file);
        writer.exec("BEGIN IMMEDIATE");
        EXPECT_FALSE(database->upsert({makeTrack("/m/c.mp3", "Gamma")}));
        EXPECT_FALSE(database->deletePaths({"/m/b.mp3"}));
        EXPECT_FALSE(database->updateUsage("/m/b.mp3", 3, std::nullopt, 2));
        EXPECT_FALSE(database->markHeard("Artist", "Alpha", "Radio"));
        EXPECT_EQ(database->moveTracks({{"/m/b.mp3", "/m/d.mp3"}}), std::nullopt);
        writer.exec("ROLLBACK");
    }
    const auto stored = database->allTracks();
    EXPECT_EQ(trackPaths(stored), std::vector<std::string>{"/m/b.mp3"});
    EXPECT_EQ(stored.at(0).playCount, 2);
    EXPECT_TRUE(database->deletePaths({"/m/b.mp3"}));
    EXPECT_EQ(database->count(), 0);
}

TEST_F(MusicDatabaseTest, StoresReadsAndCountsTracks) {
    EXPECT_EQ(database->count(), 0);
    EXPECT_TRUE(database->allTracks().empty());
    EXPECT_TRUE(database->fileStamps().empty());

    Track full = makeTrack("/music/full.mp3", "Full", "Artist");
    full.coverFile = "/covers/1.jpg";
    full.playCount = 3;
    full.lastPlayed = dateFromSecondsSince1970(1'710'000'000.75);
    full.rating = 5;
    full.sourceURL = "https://youtu.be/x";
    full.fileSize = 4096;
    Track bare = makeTrack("/music/bare.flac", "Bare");
    database->upsert({full, bare});

    EXPECT_EQ(database->count(), 2);
    auto stored = database->allTracks();
    ASSERT_EQ(stored.size(), 2u);
    Track storedFull = stored[0].path == full.path ? stored[0] : stored[1];
    Track storedBare = stored[0].path == full.path ? stored[1] : stored[0];
    EXPECT_EQ(storedFull, full);
    Track expectedBare = bare;
    expectedBare.fileSize = 0; // an absent size is stored as 0
    EXPECT_EQ(storedBare, expectedBare);
    EXPECT_FALSE(storedBare.lastPlayed);
    EXPECT_FALSE(storedBare.coverFile);
    EXPECT_FALSE(storedBare.sourceURL);

    auto stamps = database->fileStamps();
    ASSERT_EQ(stamps.size(), 2u);
    EXPECT_EQ(stamps[full.path].modified, 1'690'000'000.5);
    EXPECT_EQ(stamps[full.path].size, 4096);
    EXPECT_EQ(stamps[bare.path].size, 0);
}

TEST_F(MusicDatabaseTest, UpsertReplacesEveryColumnAndTheIndexRow) {
    database->upsert({makeTrack("/music/song.mp3", "Old Name")});
    Track renamed = makeTrack("/music/song.mp3", "New Name");
    renamed.playCount = 9;
    renamed.added = dateFromSecondsSince1970(5);
    database->upsert({renamed});

    EXPECT_EQ(database->count(), 1);
    Track stored = database->allTracks().at(0);
    EXPECT_EQ(stored.title, "New Name");
    EXPECT_EQ(stored.playCount, 9);
    EXPECT_EQ(stored.added, dateFromSecondsSince1970(5));
    EXPECT_TRUE(database->search("old", 10).empty());
    EXPECT_EQ(trackPaths(database->search("new", 10)), std::vector<std::string>{"/music/song.mp3"});
    RawConnection raw(file);
    EXPECT_EQ(raw.value("SELECT count(*) FROM tracks_fts"), "1");
    EXPECT_EQ(raw.value("SELECT count(*) FROM fts_map"), "1");
}

TEST_F(MusicDatabaseTest, AFailedBatchChangesNothing) {
    database->upsert({makeTrack("/music/kept.mp3", "Kept")});
    {
        RawConnection raw(file);
        raw.exec("CREATE TRIGGER poison BEFORE INSERT ON tracks WHEN NEW.title = 'poison' "
                 "BEGIN SELECT RAISE(ABORT, 'poisoned'); END");
    }
    Track changed = makeTrack("/music/kept.mp3", "Changed");
    database->upsert({makeTrack("/music/new1.mp3", "New"), changed, makeTrack("/music/bad.mp3", "poison"),
                      makeTrack("/music/new2.mp3", "New")});

    EXPECT_EQ(trackPaths(database->allTracks()), std::vector<std::string>{"/music/kept.mp3"});
    EXPECT_EQ(database->allTracks()[0].title, "Kept");
    EXPECT_EQ(trackPaths(database->search("kept", 10)), std::vector<std::string>{"/music/kept.mp3"});
    EXPECT_TRUE(database->search("new", 10).empty());
    RawConnection raw(file);
    EXPECT_EQ(raw.value("SELECT count(*) FROM tracks_fts"), "1");
    EXPECT_EQ(raw.value("SELECT count(*) FROM fts_map"), "1");

    raw.exec("CREATE TRIGGER guard BEFORE DELETE ON tracks WHEN OLD.path = '/music/kept.mp3' "
             "BEGIN SELECT RAISE(ABORT, 'guarded'); END");
    database->upsert({makeTrack("/music/other.mp3", "Other")});
    database->deletePaths({"/music/other.mp3", "/music/kept.mp3"});
    EXPECT_EQ(database->count(), 2) << "a failed delete removes nothing";
    EXPECT_EQ(database->search("other", 10).size(), 1u);
}

TEST_F(MusicDatabaseTest, DeletesTracksWithTheirIndexRows) {
    database->upsert(
        {makeTrack("/m/a.mp3", "Alpha"), makeTrack("/m/b.mp3", "Beta"), makeTrack("/m/c.mp3", "Gamma")});
    database->deletePaths({"/m/a.mp3", "/m/not-stored.mp3", "/m/c.mp3"});
    EXPECT_EQ(trackPaths(database->allTracks()), std::vector<std::string>{"/m/b.mp3"});
    EXPECT_TRUE(database->search("alpha", 10).empty());
    database->deletePaths({});
    EXPECT_EQ(database->count(), 1);
    RawConnection raw(file);
    EXPECT_EQ(raw.value("SELECT count(*) FROM tracks_fts"), "1");
    EXPECT_EQ(raw.rows("SELECT path FROM fts_map"), (std::vector<std::vector<std::string>>{{"/m/b.mp3"}}));
}

TEST_F(MusicDatabaseTest, MovesTracksOfMovedFilesAndFoldersWithEverythingTheUserGaveThem) {
    Track rated = makeTrack("/m/Jazz Night/01 Blue.mp3", "Blue");
    rated.playCount = 4;
    rated.rating = 5;
    rated.lastPlayed = dateFromSecondsSince1970(1'710'000'000.5);
    rated.fileSize = 1234;
    Track second = makeTrack("/m/Jazz Night/CD 2/02 Green.mp3", "Green");
    Track sibling = makeTrack("/m/Jazz Night Live/03 Red.mp3", "Red");   // a name that only begins alike
    Track patterned = makeTrack("/m/100%_Ärger/04 Weiß.mp3", "Weiß"); // LIKE's wildcards, and more bytes than letters
    Track replaced = makeTrack("/m/single.mp3", "Replaced");
    Track moving = makeTrack("/m/loose.mp3", "Loose");
    moving.rating = 3;
    database->upsert({rated, second, sibling, patterned, replaced, moving});

    EXPECT_EQ(database->moveTracks({{"/m/Jazz Night", "/m/Jazz Night (2024 Remaster)"},
                                    {"/m/100%_Ärger", "/m/Ärger"},
                                    {"/m/loose.mp3", "/m/single.mp3"},
                                    {"/m/not stored", "/m/elsewhere"}}),
              4);

    auto stored = database->allTracks();
    EXPECT_EQ(sortedPaths(stored),
              (std::vector<std::string>{"/m/Jazz Night (2024 Remaster)/01 Blue.mp3",
                                        "/m/Jazz Night (2024 Remaster)/CD 2/02 Green.mp3",
                                        "/m/Jazz Night Live/03 Red.mp3", "/m/single.mp3", "/m/Ärger/04 Weiß.mp3"}));
    Track expected = rated;
    expected.path = "/m/Jazz Night (2024 Remaster)/01 Blue.mp3";
    auto movedRated = std::find_if(stored.begin(), stored.end(), [&](const Track& t) { return t.path == expected.path; });
    ASSERT_NE(movedRated, stored.end());
    EXPECT_EQ(*movedRated, expected) << "every other column stays";
    auto atSingle = std::find_if(stored.begin(), stored.end(), [](const Track& t) { return t.path == "/m/single.mp3"; });
    ASSERT_NE(atSingle, stored.end());
    EXPECT_EQ(atSingle->title, "Loose") << "the moved file took the place of the one it replaced";
    EXPECT_EQ(atSingle->rating, 3);

    // The index follows: file names are searchable under their new paths, once.
    EXPECT_EQ(trackPaths(database->search("blue", 10)),
              std::vector<std::string>{"/m/Jazz Night (2024 Remaster)/01 Blue.mp3"});
    EXPECT_TRUE(database->search("replaced", 10).empty());
    RawConnection raw(file);
    EXPECT_EQ(raw.value("SELECT count(*) FROM tracks_fts"), "5");
    EXPECT_EQ(raw.value("SELECT count(*) FROM fts_map WHERE path NOT IN (SELECT path FROM tracks)"), "0");
    EXPECT_EQ(database->moveTracks({}), 0);
}

TEST_F(MusicDatabaseTest, UpdatesUsage) {
    database->upsert({makeTrack("/m/a.mp3", "Alpha")});
    database->updateUsage("/m/a.mp3", 4, dateFromSecondsSince1970(1'720'000'000.5), 3);
    Track stored = database->allTracks().at(0);
    EXPECT_EQ(stored.playCount, 4);
    EXPECT_EQ(stored.lastPlayed, dateFromSecondsSince1970(1'720'000'000.5));
    EXPECT_EQ(stored.rating, 3);
    database->updateUsage("/m/a.mp3", 5, std::nullopt, 1);
    EXPECT_FALSE(database->allTracks().at(0).lastPlayed);

    database->updateUsage("/m/missing.mp3", 1, std::nullopt, 1);
    EXPECT_EQ(database->count(), 1);
    EXPECT_EQ(database->search("alpha", 10).size(), 1u);
}

TEST_F(MusicDatabaseTest, NonFiniteNumbersDoNotSinkABatch) {
    Track broken = makeTrack("/m/nan.mp3", "Broken");
    broken.duration = std::numeric_limits<double>::quiet_NaN();
    database->upsert({makeTrack("/m/ok.mp3", "Fine"), broken});
    EXPECT_EQ(database->count(), 2);
    for (const Track& track : database->allTracks()) {
        if (track.path == "/m/nan.mp3") {
            EXPECT_EQ(track.duration, 0);
        }
    }
}

TEST_F(MusicDatabaseTest, SearchRanksAndMatchesPrefixes) {
    Track byTitle = makeTrack("/music/x/track01.mp3", "Sunrise");
    byTitle.album = "Morning";
    Track byFileName = makeTrack("/music/x/sunrise.ogg", "Other Song");
    byFileName.album = "Evening";
    Track byArtist = makeTrack("/music/x/track02.flac", "Something", "Sunrise Avenue");
    Track accented = makeTrack("/music/x/track03.flac", "Café Émile", "Zoë");
    database->upsert({byFileName, byArtist, accented, byTitle});

    EXPECT_EQ(trackPaths(database->search("sunrise", 10)),
              (std::vector<std::string>{byTitle.path, byArtist.path, byFileName.path}));
    EXPECT_EQ(trackPaths(database->search("SUN", 10)).size(), 3u) << "prefixes, case ignored";
    EXPECT_EQ(trackPaths(database->search("sunrise", 1)), std::vector<std::string>{byTitle.path});
    EXPECT_EQ(trackPaths(database->search("sunrise", -1)).size(), 3u) << "a negative limit is no limit";
    EXPECT_EQ(trackPaths(database->search("cafe emile", 10)), std::vector<std::string>{accented.path});
    EXPECT_EQ(trackPaths(database->search("zoe", 10)), std::vector<std::string>{accented.path});
    EXPECT_EQ(trackPaths(database->search("CAFÉ", 10)), std::vector<std::string>{accented.path});
    EXPECT_EQ(sortedPaths(database->search("mp3", 10)), std::vector<std::string>{byTitle.path});
    EXPECT_EQ(trackPaths(database->search("sunrise morning", 10)), std::vector<std::string>{byTitle.path})
        << "every word must match, in any column";
    EXPECT_TRUE(database->search("sunrise zzz", 10).empty());
}

// The tokenizer strips diacritics but takes the dotless ı for a letter of its own.
TEST_F(MusicDatabaseTest, SearchFoldsTheDotlessIAsItFoldsDiacritics) {
    Track turkish = makeTrack("/m/sabah.mp3", "Günaydın", "Barış Manço");
    Track german = makeTrack("/m/lied.mp3", "Lied", "Müller");
    database->upsert({turkish, german});
    for (const char* text : {"gunaydin", "GÜNAYDIN", "günaydın", "gunay", "baris manco", "barış"})
        EXPECT_EQ(trackPaths(database->search(text, 10)), std::vector<std::string>{turkish.path}) << text;
    EXPECT_EQ(trackPaths(database->search("mu", 10)), std::vector<std::string>{german.path});
    EXPECT_EQ(database->search("gunaydin", 10).front().title, "Günaydın") << "the track keeps its letters";

    // A file whose index was written before the folding is folded once when it opens.
    database.reset();
    {
        RawConnection raw(file);
        raw.exec("UPDATE tracks_fts SET title = 'Günaydın', artist = 'Barış Manço' WHERE rowid = "
                 "(SELECT rowid_fts FROM fts_map WHERE path = '/m/sabah.mp3')");
        raw.exec("DELETE FROM meta WHERE key = 'tracks_index_folding'");
    }
    MusicDatabase reopened(file);
    EXPECT_EQ(trackPaths(reopened.search("gunaydin baris", 10)), std::vector<std::string>{turkish.path});
    EXPECT_EQ(RawConnection(file).value("SELECT value FROM meta WHERE key = 'tracks_index_folding'"), "1");
}

TEST_F(MusicDatabaseTest, HostileSearchTextNeitherFailsNorMatchesWrongly) {
    database->upsert({makeTrack("/m/a.mp3", "Sunrise"), makeTrack("/m/b.mp3", "Dusk")});
    struct Case {
        std::string text;
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases = {
        {"", {}},
        {"  ,;!? ", {}},
        {"\"", {}},
        {"sunrise\"", {"/m/a.mp3"}},
        {"sunrise\" OR \"dusk", {}},
        {"sunrise OR dusk", {}},
        {"NEAR(sunrise dusk)", {}},
        {"title:dusk", {}},
        {"-dusk", {"/m/b.mp3"}},
        {"^sun*", {"/m/a.mp3"}},
        {"'; DROP TABLE tracks; --", {}},
        {std::string("dusk\0", 5), {"/m/b.mp3"}},
        {std::string("du\0sk", 5), {}},
        {"\xff\xfe dusk", {"/m/b.mp3"}},
    };
    for (const Case& test : cases)
        EXPECT_EQ(sortedPaths(database->search(test.text, 10)), test.expected) << test.text;
    EXPECT_EQ(database->count(), 2);
}

TEST(MusicDatabaseQuery, BuildsQuotedPrefixTerms) {
    EXPECT_EQ(MusicDatabase::ftsQuery("rock & roll 99"), "\"rock\"* AND \"roll\"* AND \"99\"*");
    EXPECT_EQ(MusicDatabase::ftsQuery("Café-Noir"), "\"Café\"* AND \"Noir\"*");
    EXPECT_EQ(MusicDatabase::ftsQuery("a\"b"), "\"a\"* AND \"b\"*");
    EXPECT_EQ(MusicDatabase::ftsQuery(" .. "), "");
}

// Every term costs the index a pass over its matches: long texts are bounded before they reach it.
TEST(MusicDatabaseQuery, CountsEachWordOnceAndBoundsTheText) {
    auto repeated = [](const std::string& word, int count) {
        std::string text;
        for (int index = 0; index < count; ++index)
            text += word + " ";
        return text;
    };
    std::string sixteen, seventeen;
    for (int index = 0; index < 17; ++index) {
        std::string term = "\"w" + std::to_string(index) + "\"*";
        if (index < 16)
            sixteen += (sixteen.empty() ? "" : " AND ") + term;
        seventeen += "w" + std::to_string(index) + " ";
    }
    std::string longWord(600, 'a');
    std::string cutInsideCharacter = std::string(511, 'x') + "é tail";
    struct Case {
        std::string text;
        std::string query;
    } cases[] = {
        {repeated("love", 2000), "\"love\"* AND \"lo\"*"}, // cut after 512 bytes, in a "love"
        {"Love LOVE love lovely", "\"Love\"* AND \"lovely\"*"},
        {"Straße STRASSE", "\"Straße\"* AND \"STRASSE\"*"},
        {"Ça ça ÇA", "\"Ça\"*"},
        {seventeen + repeated("w0", 3), sixteen},
        {repeated("w0", 100) + seventeen, sixteen},
        {longWord, "\"" + std::string(512, 'a') + "\"*"},
        {cutInsideCharacter, "\"" + std::string(511, 'x') + "\"*"},
        {std::string(600, ' ') + "late", ""},
    };
    for (const Case& test : cases)
        EXPECT_EQ(MusicDatabase::ftsQuery(test.text), test.query) << test.text.substr(0, 40);
}

TEST_F(MusicDatabaseTest, ASearchOfManyWordsFindsWhatItsWordsFind) {
    database->upsert({makeTrack("/m/love.mp3", "Love Song", "Lovers"), makeTrack("/m/other.mp3", "Other")});
    std::string manyLoves;
    for (int index = 0; index < 2000; ++index)
        manyLoves += "love ";
    EXPECT_EQ(trackPaths(database->search(manyLoves, 10)), std::vector<std::string>{"/m/love.mp3"});
    EXPECT_EQ(trackPaths(database->search(manyLoves + "song", 10)), std::vector<std::string>{"/m/love.mp3"});
}

// A search that outlives its budget ends with what it has (here: nothing, as the best rows are
// picked before any is read) and leaves the connection as it was for everything after it.
TEST(MusicDatabaseBudget, ASearchOverItsBudgetEndsAndTheConnectionServesOn) {
    fs::path file = makeTemporaryFolder("budget") / "music.sqlite";
    std::vector<Track> tracks;
    for (int index = 0; index < 300; ++index)
        tracks.push_back(makeTrack("/m/" + std::to_string(index) + ".mp3", "Song " + std::to_string(index)));
    {
        MusicDatabase database(file);
        database.upsert(tracks);
        RawConnection raw(file);
        raw.exec("BEGIN");
        for (int index = 0; index < 300; ++index)
            raw.exec("INSERT INTO lyrics_fts VALUES('k" + std::to_string(index) +
                     "', 'A', 'S', 'sung words')");
        raw.exec("COMMIT");
        EXPECT_EQ(database.search("song", 1000).size(), 300u) << "the standard budget is ample";
        EXPECT_EQ(database.searchLyrics("sung", 1000).size(), 300u);
    }
    MusicDatabase hurried(file, std::chrono::milliseconds(0));
    EXPECT_TRUE(hurried.search("song", 1000).empty());
    EXPECT_TRUE(hurried.searchLyrics("sung", 1000).empty());

    // Only searches are hurried: the rest reads and writes whole.
    EXPECT_EQ(hurried.allTracks().size(), 300u);
    hurried.upsert({makeTrack("/m/new.mp3", "New")});
    EXPECT_EQ(hurried.count(), 301);
    EXPECT_EQ(hurried.fileStamps().size(), 301u);
    EXPECT_TRUE(hurried.search("song", 1000).empty());
}

TEST_F(MusicDatabaseTest, ReadsFallBackWhenTheTablesAreGone) {
    database->upsert({makeTrack("/m/a.mp3", "Alpha")});
    {
        RawConnection raw(file);
        raw.exec("DROP TABLE fts_map; DROP TABLE tracks");
    }
    EXPECT_EQ(database->count(), 0);
    EXPECT_TRUE(database->allTracks().empty());
    EXPECT_TRUE(database->fileStamps().empty());
    EXPECT_TRUE(database->search("alpha", 10).empty());
    database->upsert({makeTrack("/m/b.mp3", "Beta")});
    database->deletePaths({"/m/a.mp3"});
    database->updateUsage("/m/a.mp3", 1, std::nullopt, 1);
}

TEST_F(MusicDatabaseTest, ServesManyThreadsInTurn) {
    std::vector<std::thread> threads;
    for (int thread = 0; thread < 4; ++thread)
        threads.emplace_back([this, thread] {
            for (int index = 0; index < 25; ++index) {
                std::string path = "/t/" + std::to_string(thread) + "-" + std::to_string(index) + ".mp3";
                database->upsert({makeTrack(path, "Song")});
                database->search("song", 5);
            }
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(database->count(), 100);
}

} // namespace
} // namespace ZazidEvoz
