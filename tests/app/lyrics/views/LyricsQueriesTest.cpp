// The lyrics views' database reads against a real music database: heard songs, the stored
// lyrics of the sheet and the search results with their lyric hits. Each read runs off the
// main thread and comes again after the music model announces a change of the database.
#include "MusicTestKit.hpp"
#include "QtTestKit.hpp"
#include "ZazidEvoz/music/MusicDatabase.hpp"
#include "deck/HeardSongsQuery.hpp"
#include "qtsupport/MusicTestKit.hpp"
#include "lyrics/LyricsSearchQuery.hpp"
#include "lyrics/StoredLyricsQuery.hpp"

#include <QSignalSpy>
#include <fmt/format.h>
#include <gtest/gtest.h>

using namespace ZintraRadio;
using namespace ZintraRadio::testkit;
using ZazidEvoz::MusicDatabase;
using ZazidEvoz::SongLyrics;

namespace {

SongLyrics timedLyrics(const std::string& artist, const std::string& title, std::vector<std::string> lines) {
    SongLyrics lyrics;
    lyrics.artist = artist;
    lyrics.title = title;
    for (std::size_t i = 0; i < lines.size(); ++i)
        lyrics.synced.push_back({static_cast<std::int64_t>(i), 1.0 + static_cast<double>(i), lines[i]});
    return lyrics;
}

QVariant role(ListModelBase* list, int row, const char* name) {
    return list->data(list->index(row), list->roleNames().key(name));
}

struct LyricsQueries : ::testing::Test {
    MusicFolders folders;
    std::unique_ptr<MusicModel> music;

    MusicDatabase& database() { return *music->database(); }
    void start() {
        folders.writeSnapshot();
        music = MusicFolders::started(folders.options());
        ASSERT_TRUE(music->database());
    }
};

} // namespace

TEST_F(LyricsQueries, HeardSongsNewestFirstAtMostTwoHundred) {
    start();
    for (int i = 0; i < 250; ++i)
        database().markHeard("Artist", fmt::format("Song {:03}", i), i % 2 ? "Radio One" : "");
    database().markHeard("Artist", "Song 120", "Radio Two");
    database().saveLyrics("Artist", "Song 249", timedLyrics("Artist", "Song 249", {"la"}), "test");

    HeardSongsQuery query;
    query.setMusic(music.get());
    ASSERT_TRUE(pumpUntil([&] { return query.ready(); }));
    ListModelBase* songs = query.songList();
    ASSERT_EQ(songs->count(), 200);
    EXPECT_EQ(role(songs, 0, "title").toString(), "Song 120");
    EXPECT_EQ(role(songs, 0, "countBadge").toString(), QStringLiteral("2\u00D7"));
    EXPECT_EQ(role(songs, 1, "title").toString(), "Song 249");
    EXPECT_EQ(role(songs, 1, "countBadge").toString(), "");
    EXPECT_TRUE(role(songs, 1, "hasLyrics").toBool());
    EXPECT_FALSE(role(songs, 2, "hasLyrics").toBool());
    EXPECT_EQ(role(songs, 199, "title").toString(), "Song 050");
    // An empty station is left out of the details line.
    EXPECT_TRUE(
        role(songs, 0, "details").toString().startsWith(QStringLiteral("Artist \u00B7 Radio Two \u00B7 ")));
    EXPECT_TRUE(role(songs, 2, "details").toString().startsWith(QStringLiteral("Artist \u00B7 ")));
    EXPECT_FALSE(role(songs, 2, "details").toString().contains(QStringLiteral("Radio")));
    EXPECT_EQ(query.youtubeQuery(0), "Artist Song 120");
    EXPECT_EQ(query.youtubeQuery(200), "");

    // A new radio play shows after the model announces the write.
    database().markHeard("Newcomer", "Fresh", "Radio One");
    QSignalSpy reset(songs, &QAbstractItemModel::rowsInserted);
    music->bumpDatabaseRevision();
    ASSERT_TRUE(pumpUntil([&] { return role(songs, 0, "title").toString() == "Fresh"; }));
    EXPECT_EQ(songs->count(), 200);
}

TEST_F(LyricsQueries, WithoutDatabaseNothingWasHeardAndNoLyricsAreStored) {
    folders.writeSnapshot();
    music = MusicFolders::started(folders.options(false));
    ASSERT_FALSE(music->database());

    HeardSongsQuery heard;
    heard.setMusic(music.get());
    EXPECT_TRUE(heard.ready());
    EXPECT_EQ(heard.songList()->count(), 0);

    StoredLyricsQuery sheet;
    sheet.setMusic(music.get());
    sheet.setArtist("Artist");
    sheet.setTitle("Song");
    EXPECT_EQ(sheet.content(), "notFound");
}

TEST_F(LyricsQueries, SheetShowsStoredTextAndFollowsTheDatabase) {
    start();
    StoredLyricsQuery sheet;
    EXPECT_EQ(sheet.content(), "pending");
    sheet.setMusic(music.get());
    sheet.setArtist("Neon");
    sheet.setTitle("Night Drive");
    ASSERT_TRUE(pumpUntil([&] { return sheet.content() != "pending"; }));
    EXPECT_EQ(sheet.content(), "notFound");

    // Stored while the sheet is open: the text replaces the note without reopening.
    database().saveLyrics("Neon", "Night Drive", timedLyrics("Neon", "Night Drive", {"first", "second"}),
                          "test");
    music->bumpDatabaseRevision();
    ASSERT_TRUE(pumpUntil([&] { return sheet.content() == "text"; }));
    EXPECT_EQ(sheet.text(), "first\nsecond");

    // A recorded miss is not told apart from a song never looked up.
    database().saveLyrics("Neon", "Night Drive", std::nullopt, "test");
    music->bumpDatabaseRevision();
    ASSERT_TRUE(pumpUntil([&] { return sheet.content() == "notFound"; }));
}

TEST_F(LyricsQueries, SearchFindsTracksAndLyricHitsWithTheirLibraryTrack) {
    const auto drivePath = folders.addFile("drive.mp3", {{"title", "Night Drive"}, {"artist", "Neon"}});
    folders.addFile("morning.mp3", {{"title", "Morning Highway"}, {"artist", "Sun"}});
    start();
    ASSERT_EQ(music->tracks().size(), 2u);
    database().saveLyrics("Neon", "Night Drive",
                          timedLyrics("Neon", "Night Drive", {"down the highway", "lights"}), "test");
    SongLyrics ghost;
    ghost.plain = "a highway to nowhere";
    database().saveLyrics("Ghost", "Unknown Song", ghost, "test");
    database().markHeard("Ghost", "Unknown Song", "Radio One");

    LyricsSearchQuery search;
    search.setMusic(music.get());
    search.setQuery("highway");
    ASSERT_TRUE(pumpUntil([&] { return search.ready(); }));
    ASSERT_EQ(search.trackCount(), 1);
    ASSERT_EQ(search.hitCount(), 2);
    ListModelBase* rows = search.rowList();
    ASSERT_EQ(rows->count(), 5);
    EXPECT_EQ(role(rows, 0, "kind").toString(), "tracksLabel");
    EXPECT_EQ(role(rows, 0, "count").toInt(), 1);
    EXPECT_EQ(role(rows, 1, "title").toString(), "Morning Highway");
    EXPECT_EQ(role(rows, 2, "kind").toString(), "lyricsLabel");
    EXPECT_EQ(role(rows, 2, "count").toInt(), 2);

    int withTrack = -1;
    int withoutTrack = -1;
    for (int row = 3; row < 5; ++row)
        (role(rows, row, "hasTrack").toBool() ? withTrack : withoutTrack) =
            role(rows, row, "position").toInt();
    ASSERT_GE(withTrack, 0);
    ASSERT_GE(withoutTrack, 0);
    const auto& hits = search.hits();
    EXPECT_EQ(hits[static_cast<std::size_t>(withTrack)].title, "Night Drive");
    EXPECT_TRUE(role(search.hitList(), withTrack, "snippet")
                    .toString()
                    .contains(QStringLiteral("\u00ABhighway\u00BB")));
    EXPECT_EQ(role(search.hitList(), withTrack, "coverSeed").toString(), "Night Drive");
    EXPECT_EQ(role(search.hitList(), withoutTrack, "heardStation").toString(), "Radio One");
    EXPECT_TRUE(role(search.hitList(), withoutTrack, "heardLast").isValid());
    EXPECT_FALSE(role(search.hitList(), withTrack, "heardStation").isValid());

    // A hit with a library track plays it alone; one without is for YouTube.
    EXPECT_FALSE(search.playHit(withoutTrack));
    EXPECT_EQ(search.youtubeQuery(withoutTrack), "Ghost Unknown Song");
    EXPECT_TRUE(search.playHit(withTrack));
    ASSERT_EQ(music->queue().size(), 1u);
    EXPECT_EQ(ZazidEvoz::platform::pathFromFileURL(music->queue()[0].url), drivePath.string());

    // The track list plays whole from the tapped row.
    search.setQuery("night");
    ASSERT_TRUE(pumpUntil([&] { return search.ready(); }));
    ASSERT_EQ(search.trackCount(), 1);
    search.playTrack(0);
    EXPECT_EQ(music->queue().size(), 1u);

    // A track that leaves the library turns its hit into one without a track.
    search.setQuery("highway");
    ASSERT_TRUE(pumpUntil([&] { return search.ready(); }));
    std::filesystem::remove(drivePath);
    bool rescanned = false;
    music->rescan([&] { rescanned = true; });
    ASSERT_TRUE(pumpUntil([&] { return rescanned; }));
    ASSERT_TRUE(pumpUntil([&] { return search.ready() && search.hitCount() == 2; }));
    for (int row = 0; row < search.hitCount(); ++row)
        EXPECT_FALSE(role(search.hitList(), row, "hasTrack").toBool()) << row;
}

TEST_F(LyricsQueries, OnlyTheLastOfQuickQueriesIsShown) {
    folders.addFile("morning.mp3", {{"title", "Morning Highway"}, {"artist", "Sun"}});
    folders.addFile("drive.mp3", {{"title", "Night Drive"}, {"artist", "Neon"}});
    start();
    LyricsSearchQuery search;
    search.setMusic(music.get());
    QSignalSpy results(&search, &LyricsSearchQuery::resultChanged);
    for (const char* typed : {"m", "mo", "mor", "morn", "n", "ni", "nig", "nigh", "night"})
        search.setQuery(QString::fromLatin1(typed));
    ASSERT_TRUE(pumpUntil([&] { return search.ready(); }));
    pumpFor(std::chrono::milliseconds(200));
    ASSERT_EQ(search.trackCount(), 1);
    EXPECT_EQ(search.tracks()[0].title, "Night Drive");
    // The first read ran; the others waited, and only the newest of them was made.
    EXPECT_EQ(results.count(), 1);
}

TEST_F(LyricsQueries, SearchWithoutDatabaseFiltersTheTrackList) {
    folders.addFile("morning.mp3", {{"title", "Morning Highway"}, {"artist", "Sun"}});
    folders.writeSnapshot();
    music = MusicFolders::started(folders.options(false));
    LyricsSearchQuery search;
    search.setMusic(music.get());
    search.setQuery("highway");
    EXPECT_TRUE(search.ready());
    EXPECT_EQ(search.trackCount(), 1);
    EXPECT_EQ(search.hitCount(), 0);
    search.setQuery("   ");
    EXPECT_EQ(search.rowList()->count(), 0);

    // The results follow the track list: a new file, a file gone.
    search.setQuery("highway");
    const auto night = folders.addFile("night.mp3", {{"title", "Night Highway"}, {"artist", "Moon"}});
    const auto rescan = [&] {
        bool done = false;
        music->rescan([&] { done = true; });
        ASSERT_TRUE(pumpUntil([&] { return done; }));
    };
    rescan();
    EXPECT_EQ(search.trackCount(), 2);
    std::filesystem::remove(folders.library / "morning.mp3");
    rescan();
    ASSERT_EQ(search.trackCount(), 1);
    EXPECT_EQ(search.trackPath(0).toStdString(), night.string());
}
