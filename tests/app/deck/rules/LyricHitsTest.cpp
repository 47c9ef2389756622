// The lyric hits above a discover search: each hit of a song the music library holds shows and
// plays the library's track, and follows the library when the track goes; the last hearing on
// the radio reads as the music search's hits show it.
#include "MusicTestKit.hpp"
#include "deck/DeckQueries.hpp"
#include "lyrics/LyricsTexts.hpp"

#include <gtest/gtest.h>

using namespace ZintraRadio;
using namespace ZintraRadio::testkit;

namespace {

QVariant role(const LyricHitsQuery& hits, int row, const char* name) {
    const ListModelBase* rows = hits.hitList();
    return rows->data(rows->index(row), rows->roleNames().key(name));
}

int rowOf(const LyricHitsQuery& hits, const std::string& title) {
    for (int row = 0; row < hits.count(); ++row)
        if (hits.hits()[static_cast<std::size_t>(row)].title == title)
            return row;
    return -1;
}

} // namespace

TEST(LyricHits, AHitOfALibrarySongShowsAndPlaysItsTrackWhileTheLibraryHoldsIt) {
    MusicFolders folders;
    const auto file =
        folders.addFile("drive.mp3", {{"title", "Night Drive"}, {"artist", "Neon"}, {"album", "Chrome"}});
    // A folder left without files counts as unmounted and keeps its tracks: another file stays.
    folders.addFile("other.mp3", {{"title", "Other"}});
    folders.writeSnapshot();
    auto music = MusicFolders::started(folders.options());
    ASSERT_TRUE(music->database());
    ZazidEvoz::SongLyrics drive;
    drive.plain = "night after night";
    ASSERT_TRUE(music->database()->saveLyrics("Neon", "Night Drive", drive, "test"));
    ZazidEvoz::SongLyrics ghost;
    ghost.plain = "a night to nowhere";
    ASSERT_TRUE(music->database()->saveLyrics("Ghost", "Unknown Song", ghost, "test"));
    music->database()->markHeard("Neon", "Night Drive", "Jazz FM");

    LyricHitsQuery hits;
    hits.setMusic(music.get());
    hits.setQuery(QStringLiteral("night"));
    ASSERT_TRUE(pumpUntil([&] { return hits.ready(); }));
    ASSERT_EQ(hits.count(), 2);
    const int owned = rowOf(hits, "Night Drive");
    const int stranger = rowOf(hits, "Unknown Song");
    ASSERT_GE(owned, 0);
    ASSERT_GE(stranger, 0);

    ASSERT_TRUE(hits.libraryTrack(owned));
    EXPECT_EQ(hits.libraryTrack(owned)->path, file.string());
    EXPECT_TRUE(role(hits, owned, "hasTrack").toBool());
    EXPECT_EQ(role(hits, owned, "coverSeed").toString(), QStringLiteral("Chrome"));
    // When and where it was last heard, as the music search shows it: text, not a date.
    EXPECT_EQ(role(hits, owned, "heardStation").toString(), QStringLiteral("Jazz FM"));
    const auto heard = hits.hits()[static_cast<std::size_t>(owned)].heardLast;
    ASSERT_TRUE(heard);
    EXPECT_EQ(role(hits, owned, "heardLast"), QVariant(abbreviatedDateTimeText(*heard)));
    EXPECT_TRUE(role(hits, stranger, "heardLast").isNull());
    EXPECT_FALSE(hits.libraryTrack(stranger));
    EXPECT_FALSE(role(hits, stranger, "hasTrack").toBool());
    EXPECT_EQ(role(hits, stranger, "coverSeed").toString(), QStringLiteral("Unknown Song"));
    EXPECT_EQ(role(hits, stranger, "coverURL").toUrl(), QUrl());

    EXPECT_FALSE(hits.playTrack(stranger));
    EXPECT_TRUE(music->queue().empty());
    EXPECT_TRUE(hits.playTrack(owned));
    ASSERT_EQ(music->queue().size(), 1u);
    EXPECT_EQ(music->queue()[0].url, ZazidEvoz::platform::fileURLFromPath(file.string()));

    // The file goes: after the rescan the hit has no track, without a new search.
    ASSERT_TRUE(MusicFolders::waitForRescan(*music));
    std::filesystem::remove(file);
    bool rescanned = false;
    music->rescan([&] { rescanned = true; });
    ASSERT_TRUE(pumpUntil([&] { return rescanned && !music->scanning(); }));
    ASSERT_TRUE(pumpUntil([&] { return !role(hits, owned, "hasTrack").toBool(); }));
    EXPECT_FALSE(hits.libraryTrack(owned));
    EXPECT_EQ(role(hits, owned, "coverSeed").toString(), QStringLiteral("Night Drive"));
}
