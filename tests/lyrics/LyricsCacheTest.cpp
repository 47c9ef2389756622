#include "ZazidEvoz/music/MusicDatabase.hpp"
#include "support/RawSqlite.hpp"
#include "support/Sandbox.hpp"

#include <fmt/format.h>
#include <gtest/gtest.h>
#include <locale>
#include <unordered_set>

namespace ZazidEvoz {
namespace {

using Lookup = MusicDatabase::LyricsLookup;
using platform::dateFromSecondsSince1970;
using testkit::RawConnection;
namespace fs = std::filesystem;

Track track(const std::string& path, const std::string& artist, const std::string& title,
            double added = 1e9) {
    Track result;
    result.path = path;
    result.artist = artist;
    result.title = title;
    result.added = dateFromSecondsSince1970(added);
    result.fileModified = result.added;
    return result;
}

SongLyrics lyrics(std::vector<LyricLine> synced, std::string plain) {
    return SongLyrics{"Service Artist", "Service Title", std::move(synced), std::move(plain), true, 201};
}

std::vector<std::string> paths(const std::vector<Track>& tracks) {
    std::vector<std::string> result;
    for (const Track& each : tracks)
        result.push_back(each.path);
    return result;
}

class LyricsCacheTest : public testing::Test {
protected:
    fs::path file = testkit::makeTemporaryFolder("lyrics-cache") / "music.sqlite";
    MusicDatabase database{file};
};

TEST(LyricsSongKey, VariantsOfOneSongShareAKey) {
    struct Case {
        const char* artist;
        const char* title;
        const char* key;
    } cases[] = {
        {"Alpha Beta feat. Gamma", "Héllo, World! (Radio Edit) [Live]", "alpha beta|hello world"},
        {"A", "Song", "a|song"},
        {"A feat. B", "Song (Radio Edit)", "a|song"},
        {"A & B", "SONG [Remastered 2011]", "a|song"},
        {"A x B", "Song ft. C", "a|song"},
        {"A vs. B", "  Song\t", "a|song"},
        {"a&b", "Song (Acoustic)", "a b|song acoustic"},
        {"AC/DC", "T.N.T.", "ac dc|t n t"},
        {"Zoë Ångström", "Ça (Extended Mix)", "zoe angstrom|ca"},
        {"Axel", "Max", "axel|max"},
        {"", "", "|"},
        {"!!!", "???", "|"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MusicDatabase::songKey(c.artist, c.title), c.key) << c.artist << " / " << c.title;

    // Bracket-laden names from hostile tags must not stall the filler or a search.
    std::string brackets(200'000, '(');
    EXPECT_EQ(MusicDatabase::songKey(brackets, brackets + "edit"), "|");
}

TEST_F(LyricsCacheTest, StoresFoundLyricsAndReadsThemBack) {
    EXPECT_EQ(database.storedLyrics("Artist", "Song"), Lookup::unknown());

    // Times are stored with a "." also where the program's locale writes a decimal comma.
    struct CommaDecimals : std::numpunct<char> {
        char do_decimal_point() const override { return ','; }
    };
    std::locale previous = std::locale::global(std::locale(std::locale::classic(), new CommaDecimals));
    bool stored =
        database.saveLyrics("Artist feat. Guest", "Song (Radio Edit)",
                            lyrics({{0, 75.5, "first line"}, {1, 59.999, "second"}}, "Plain text"), "LRCLIB");
    std::locale::global(previous);
    EXPECT_TRUE(stored);

    RawConnection raw(file);
    EXPECT_EQ(raw.rows("SELECT song_key, artist, title, plain, synced, found, source FROM lyrics"),
              (std::vector<std::vector<std::string>>{
                  {"artist|song", "Artist feat. Guest", "Song (Radio Edit)", "Plain text",
                   "[01:15.50]first line\n[00:60.00]second", "1", "LRCLIB"}}));

    Lookup lookup = database.storedLyrics("ARTIST", "song");
    ASSERT_EQ(lookup.kind, Lookup::Kind::found);
    // Read back through the LRC reader: sorted by time, renumbered; the flags are not stored.
    EXPECT_EQ(lookup.lyrics, (SongLyrics{"Artist feat. Guest",
                                         "Song (Radio Edit)",
                                         {{0, 60, "second"}, {1, 75.5, "first line"}},
                                         "Plain text",
                                         false,
                                         0}));

    // Only synced lines: their texts are the plain text, and searchable.
    database.saveLyrics("Other", "Tune", lyrics({{0, 1, "hummed words"}, {1, 2, "more words"}}, ""),
                        "LRCLIB");
    EXPECT_EQ(database.storedLyrics("Other", "Tune").lyrics.plain, "hummed words\nmore words");
    ASSERT_EQ(database.searchLyrics("hummed", 10).size(), 1u);
}

TEST_F(LyricsCacheTest, AMissCountsThirtyDaysAndReplacesEarlierText) {
    database.saveLyrics("Artist", "Song", lyrics({}, "old words"), "LRCLIB");
    ASSERT_EQ(database.searchLyrics("old", 10).size(), 1u);

    EXPECT_TRUE(database.saveLyrics("Artist", "Song", std::nullopt, "LRCLIB"));
    EXPECT_EQ(database.storedLyrics("Artist", "Song"), Lookup::notFound());
    EXPECT_TRUE(database.searchLyrics("old", 10).empty()) << "the miss removes the old text from the index";
    RawConnection raw(file);
    EXPECT_EQ(raw.rows("SELECT plain, synced, found FROM lyrics"),
              (std::vector<std::vector<std::string>>{{"", "", "0"}}));
    EXPECT_EQ(raw.value("SELECT count(*) FROM lyrics_fts"), "0");

    double now = platform::secondsSince1970(platform::now());
    raw.exec(fmt::format("UPDATE lyrics SET fetched = {}", now - 29.9 * 86400));
    EXPECT_EQ(database.storedLyrics("Artist", "Song"), Lookup::notFound());
    raw.exec(fmt::format("UPDATE lyrics SET fetched = {}", now - 30.1 * 86400));
    EXPECT_EQ(database.storedLyrics("Artist", "Song"), Lookup::unknown()) << "an old miss is asked again";

    database.saveLyrics("Artist", "Song", lyrics({}, "new words"), "LRCLIB");
    EXPECT_TRUE(database.searchLyrics("old", 10).empty());
    EXPECT_EQ(database.searchLyrics("new", 10).size(), 1u);
    EXPECT_EQ(raw.value("SELECT count(*) FROM lyrics"), "1");
}

TEST_F(LyricsCacheTest, CountsHeardSongsApartFromLookups) {
    database.markHeard("Artist", "Song", "Radio One");
    EXPECT_EQ(database.storedLyrics("Artist", "Song"), Lookup::unknown()) << "heard is not looked up";
    database.markHeard("Artist feat. X", "Song (Live)", "Radio Two");
    database.saveLyrics("Artist", "Song", lyrics({}, "words"), "LRCLIB");

    RawConnection raw(file);
    raw.exec("UPDATE lyrics SET heard_last = heard_last - 100"); // the first song was heard earlier
    database.markHeard("Newer", "Hit", "Radio Three");

    auto heard = database.heardSongs(10);
    ASSERT_EQ(heard.size(), 2u);
    EXPECT_EQ(heard[0].artist, "Newer");
    EXPECT_EQ(heard[0].count, 1);
    EXPECT_FALSE(heard[0].hasLyrics);
    EXPECT_EQ(heard[1].artist, "Artist") << "a lookup replaces the names";
    EXPECT_EQ(heard[1].title, "Song");
    EXPECT_EQ(heard[1].station, "Radio Two");
    EXPECT_EQ(heard[1].count, 2) << "the lookup kept the plays";
    EXPECT_TRUE(heard[1].hasLyrics);
    EXPECT_GT(heard[0].date, heard[1].date);
    EXPECT_EQ(database.heardSongs(1).size(), 1u);

    // A looked-up song nobody heard is no heard song.
    database.saveLyrics("Quiet", "Song", lyrics({}, "words"), "LRCLIB");
    EXPECT_EQ(database.heardSongs(10).size(), 2u);
}

TEST_F(LyricsCacheTest, SearchesStoredLyricsWithSnippets) {
    database.upsert(
        {track("/m/first.mp3", "Singer", "Moonlight"), track("/m/second.mp3", "Singer", "Moonlight")});
    database.saveLyrics("Singer feat. Guest", "Moonlight (Remastered)",
                        lyrics({}, "Walking alone\r\nunder the silver moon\ntill dawn"), "LRCLIB");
    database.markHeard("Singer", "Moonlight", "Night FM");
    database.saveLyrics("Moon Band", "Songs", lyrics({}, "nothing here"), "LRCLIB");
    database.saveLyrics("Someone", "Silver Moon", lyrics({}, "a song"), "LRCLIB");

    auto hits = database.searchLyrics("moon", 10);
    ASSERT_EQ(hits.size(), 3u);
    EXPECT_EQ(hits[0].title, "Silver Moon") << "title above artist above text";
    EXPECT_EQ(hits[1].artist, "Moon Band");
    EXPECT_EQ(hits[2].songKey, "singer|moonlight");
    EXPECT_EQ(hits[2].trackPath, "/m/first.mp3") << "the first track of the song";
    EXPECT_EQ(hits[2].heardStation, "Night FM");
    EXPECT_TRUE(hits[2].heardLast);
    EXPECT_FALSE(hits[0].trackPath);
    EXPECT_FALSE(hits[0].heardStation);
    EXPECT_FALSE(hits[0].heardLast);
    std::unordered_set<MusicDatabase::LyricsHit, MusicDatabase::LyricsHitHash> distinct(hits.begin(),
                                                                                        hits.end());
    distinct.insert(hits[2]);
    MusicDatabase::LyricsHit emptyPath = hits[0];
    emptyPath.trackPath = "";
    distinct.insert(emptyPath);
    EXPECT_EQ(distinct.size(), 4u) << "an empty path is a path";

    auto text = database.searchLyrics("SILVER walk", 10);
    ASSERT_EQ(text.size(), 1u);
    EXPECT_EQ(text[0].snippet, "«Walking» alone / under the «silver» moon / till dawn");
    EXPECT_EQ(database.searchLyrics("moon", 1).size(), 1u);

    for (const char* nothing : {"", " ?! ", "\"", "moon\" OR \"x"})
        EXPECT_TRUE(database.searchLyrics(nothing, 10).empty()) << nothing;
}

TEST_F(LyricsCacheTest, TracksWithoutLyricsAreTheNeverLookedUpOnes) {
    database.upsert({
        track("/m/late.mp3", "Band", "Late", 3000),
        track("/m/early.mp3", "Band", "Early", 1000),
        track("/m/found.mp3", "Band", "Found", 500),
        track("/m/missed.mp3", "Band", "Missed (Live)", 600),
        track("/m/heard.mp3", "Band", "Heard", 2000),
        track("/m/noartist.mp3", "", "Untitled", 100),
        track("/m/notitle.mp3", "Band", "", 100),
    });
    database.saveLyrics("Band", "Found", lyrics({}, "words"), "LRCLIB");
    database.saveLyrics("Band feat. X", "Missed", std::nullopt, "LRCLIB");
    database.markHeard("Band", "Heard", "FM");
    RawConnection(file).exec("UPDATE lyrics SET fetched = 1 WHERE song_key = 'band|missed'");

    EXPECT_EQ(paths(database.tracksWithoutLyrics(10)),
              (std::vector<std::string>{"/m/early.mp3", "/m/heard.mp3", "/m/late.mp3"}))
        << "any stored lookup excludes a track, also an old miss; heard-only rows do not";
    EXPECT_EQ(paths(database.tracksWithoutLyrics(2)),
              (std::vector<std::string>{"/m/early.mp3", "/m/heard.mp3"}));
    EXPECT_TRUE(database.tracksWithoutLyrics(0).empty());
}

// The database keeps each track's song key: it follows every rewrite of the track's names.
TEST_F(LyricsCacheTest, SongKeysFollowTheTracksNames) {
    database.upsert({track("/m/a.mp3", "Band", "Tune", 100), track("/m/b.mp3", "Band", "Other", 100)});
    database.saveLyrics("Band", "Tune (Live)", lyrics({}, "tune words"), "LRCLIB");
    EXPECT_EQ(paths(database.tracksWithoutLyrics(10)), std::vector<std::string>{"/m/b.mp3"});
    ASSERT_EQ(database.searchLyrics("tune", 10).size(), 1u);
    EXPECT_EQ(database.searchLyrics("tune", 10)[0].trackPath, "/m/a.mp3");

    // The track is retagged: it is now a song never looked up, and the lyrics belong to no track.
    database.upsert({track("/m/a.mp3", "Band", "Renamed", 100)});
    EXPECT_EQ(paths(database.tracksWithoutLyrics(10)), (std::vector<std::string>{"/m/a.mp3", "/m/b.mp3"}))
        << "equal dates keep the order the tracks were stored in";
    EXPECT_FALSE(database.searchLyrics("tune", 10)[0].trackPath);

    // Another track takes the song's names.
    database.upsert({track("/m/b.mp3", "Band feat. Someone", "TUNE", 100)});
    EXPECT_EQ(paths(database.tracksWithoutLyrics(10)), std::vector<std::string>{"/m/a.mp3"});
    EXPECT_EQ(database.searchLyrics("tune", 10)[0].trackPath, "/m/b.mp3");
    database.deletePaths({"/m/b.mp3"});
    EXPECT_FALSE(database.searchLyrics("tune", 10)[0].trackPath);
}

TEST_F(LyricsCacheTest, FailuresLoseNothingAndReadsFallBack) {
    database.saveLyrics("Artist", "Song", lyrics({}, "kept words"), "LRCLIB");
    RawConnection raw(file);
    raw.exec("CREATE TRIGGER poison BEFORE UPDATE ON lyrics WHEN NEW.plain = 'new words' "
             "BEGIN SELECT RAISE(ABORT, 'database or disk is full'); END");
    EXPECT_FALSE(database.saveLyrics("Artist", "Song", lyrics({}, "new words"), "LRCLIB"));
    EXPECT_EQ(database.storedLyrics("Artist", "Song").lyrics.plain, "kept words") << "rolled back whole";
    EXPECT_EQ(database.searchLyrics("kept", 10).size(), 1u);

    raw.exec("DROP TABLE lyrics_fts; DROP TABLE lyrics");
    EXPECT_FALSE(database.saveLyrics("Artist", "Song", std::nullopt, "LRCLIB"));
    database.markHeard("Artist", "Song", "FM");
    EXPECT_EQ(database.storedLyrics("Artist", "Song"), Lookup::unknown());
    EXPECT_TRUE(database.searchLyrics("kept", 10).empty());
    EXPECT_TRUE(database.heardSongs(10).empty());
    database.upsert({track("/m/a.mp3", "Artist", "Song")});
    EXPECT_EQ(database.tracksWithoutLyrics(10).size(), 1u);
}

} // namespace
} // namespace ZazidEvoz
