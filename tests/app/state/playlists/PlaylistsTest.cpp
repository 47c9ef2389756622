// Playlists, smart playlists and the browse lists of the music model, over a real database
// and music.json: grouping and order of genres, artists and albums, the playlist edits with
// their index sets, and what reaches music.json.
#include "MusicTestKit.hpp"
#include "ZazidEvoz/music/MusicDatabase.hpp"
#include "qtsupport/MusicTestKit.hpp"
#include "state/QtValues.hpp"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace ZintraRadio;
using namespace ZintraRadio::testkit;
using ZazidEvoz::Station;

namespace {

std::vector<std::string> names(const std::vector<MusicModel::BrowseEntry>& entries) {
    std::vector<std::string> result;
    for (const auto& entry : entries)
        result.push_back(entry.name);
    return result;
}

std::vector<std::string> titles(const std::vector<Track>& tracks) {
    std::vector<std::string> result;
    for (const auto& track : tracks)
        result.push_back(track.title);
    return result;
}

std::vector<std::string> urls(const std::vector<Station>& items) {
    std::vector<std::string> result;
    for (const auto& item : items)
        result.push_back(item.url);
    return result;
}

// A library of stored tracks under a listed folder that holds no files and has not changed
// since they were stored: rescans keep them (an unmounted drive), so the lists stay as written here.
struct Library {
    MusicFolders folders;
    std::vector<Track> stored;

    Track& add(const std::string& title, const std::string& artist, const std::string& album,
               const std::string& genre) {
        auto track = storedTrack((folders.library / fmt::format("{}.mp3", stored.size())).string(), title);
        track.artist = artist;
        track.album = album;
        track.genre = genre;
        stored.push_back(track);
        return stored.back();
    }

    std::unique_ptr<MusicModel> start() {
        folders.writeSnapshot(stored);
        return folders.start();
    }

    fs::path snapshotFile() const { return folders.support / "music.json"; }
    ZazidEvoz::MusicSnapshot saved() const { return folders.store().load(); }
};

} // namespace

TEST(BrowseLists, AnEmptyLibraryHasNone) {
    MusicFolders folders;
    auto model = folders.start();
    EXPECT_TRUE(model->genres().empty());
    EXPECT_TRUE(model->artists().empty());
    EXPECT_TRUE(model->albums().empty());
    EXPECT_TRUE(model->genreValues().isEmpty());
}

TEST(BrowseLists, GroupByExactTextAndSortByNameIgnoringCase) {
    Library library;
    library.add("One", "zoë", "", "Jazz");
    library.add("Two", "Abba", "", "jazz");
    library.add("Three", "Abba", "", "Blues");
    library.add("Four", "", "", "Jazz");
    library.add("Five", "Zoë", "", "");
    auto model = library.start();

    const auto genres = model->genres();
    ASSERT_EQ(genres.size(), 3u) << "case counts: Jazz and jazz are two genres; no empty genre";
    EXPECT_EQ(genres[0], (MusicModel::BrowseEntry{"Blues", 1}));
    // Jazz and jazz compare equal in the browse order, so either may come first.
    for (const auto& entry : {genres[1], genres[2]})
        EXPECT_EQ(entry.count, entry.name == "Jazz" ? 2 : 1) << entry.name;

    EXPECT_EQ(names(model->artists())[0], "Abba");
    EXPECT_EQ(model->artists().size(), 3u) << "zoë and Zoë; no empty artist";
    EXPECT_EQ(model->artists()[0].count, 2);

    // What the views read.
    const auto values = model->genreValues();
    ASSERT_EQ(values.size(), 3);
    EXPECT_EQ(values[0].toMap().value("name").toString(), QStringLiteral("Blues"));
    EXPECT_EQ(values[0].toMap().value("count").toLongLong(), 1);

    EXPECT_EQ(titles(model->tracks(std::string("jazz"))), std::vector<std::string>{"Two"});
    EXPECT_EQ(titles(model->tracks(std::string("Jazz"))), (std::vector<std::string>{"Four", "One"}));
    EXPECT_EQ(model->tracksOfGenre(QStringLiteral("Jazz")).size(), 2);
}

TEST(BrowseLists, AlbumsJoinArtistsAndTakeArtistAndCoverInTitleOrder) {
    Library library;
    library.add("b side", "Second Band", "Split", "Rock");
    library.add("A side", "First Band", "Split", "Rock").coverFile = std::nullopt;
    library.add("c side", "Third Band", "Split", "Rock").coverFile = "/covers/c.jpg";
    library.stored[0].coverFile = "/covers/b.jpg";
    library.add("Solo", "Singer", "alpha", "Pop");
    library.add("No album", "Singer", "", "Pop");
    auto model = library.start();

    const auto& albums = model->albums();
    ASSERT_EQ(albums.size(), 2u);
    EXPECT_EQ(albums[0].name, "alpha");
    EXPECT_EQ(albums[1].name, "Split");
    EXPECT_EQ(albums[1].artist, "First Band") << "the artist of the first title";
    EXPECT_EQ(albums[1].cover, "/covers/b.jpg") << "the first title has none; the next one has";
    EXPECT_EQ(titles(model->albumTracks("Split")), (std::vector<std::string>{"A side", "b side", "c side"}));
    EXPECT_TRUE(model->albumTracks("Unknown").empty());

    const auto values = model->albumValues();
    ASSERT_EQ(values.size(), 2);
    const auto split = values[1].toMap();
    EXPECT_EQ(split.value("artist").toString(), QStringLiteral("First Band"));
    EXPECT_EQ(split.value("count").toLongLong(), 3);
    EXPECT_FALSE(values[0].toMap().value("cover").isValid()) << "no cover is null in QML";
    EXPECT_EQ(model->tracksOfAlbum(QStringLiteral("Split")).size(), 3);
}

TEST(BrowseLists, AreComputedOncePerChangeOfTheTracks) {
    Library library;
    library.add("One", "A", "Record", "Jazz");
    library.add("Two", "B", "Record", "Jazz");
    auto model = library.start();

    // Reads between changes share one computed list.
    const auto first = model->albumValues();
    EXPECT_EQ(model->albumValues().constData(), first.constData());
    EXPECT_EQ(model->genreValues().constData(), model->genreValues().constData());

    // A one-row change (a counted play) is one changed row, and the lists follow it.
    QSignalSpy changed(model->trackList(), &QAbstractItemModel::dataChanged);
    const auto one = *std::find_if(model->tracks().begin(), model->tracks().end(),
                                   [](const Track& track) { return track.title == "One"; });
    model->markPlayed(one.asStation());
    EXPECT_EQ(changed.count(), 1);
    EXPECT_NE(model->albumValues().constData(), first.constData());
    ASSERT_EQ(model->albumTracks("Record").size(), 2u);
    EXPECT_EQ(model->albumTracks("Record")[0].playCount, 1);

    // A track whose file is gone leaves with the trash: the counts follow.
    bool done = false;
    model->trash(std::vector<Track>{one}, [&] { done = true; });
    ASSERT_TRUE(pumpUntil([&] { return done; }));
    ASSERT_EQ(model->genres().size(), 1u);
    EXPECT_EQ(model->genres()[0].count, 1);
    EXPECT_EQ(titles(model->albumTracks("Record")), std::vector<std::string>{"Two"});
    EXPECT_EQ(model->albumValues()[0].toMap().value("count").toLongLong(), 1);
}

TEST(Playlists, CreateRenameDeleteAndWhatEachSaves) {
    Library library;
    auto model = library.start();
    QAbstractItemModelTester tester(model->playlistList());

    const auto unnamed =
        model->createPlaylist("", std::vector<Station>{item("https://a"), item("https://a")});
    EXPECT_EQ(unnamed.name, "music.newPlaylist") << "the localized name (no translations loaded here)";
    EXPECT_EQ(urls(unnamed.items), (std::vector<std::string>{"https://a", "https://a"})) << "duplicates kept";
    EXPECT_EQ(unnamed.created, library.folders.scheduler->date());
    const auto spaces = model->createPlaylist("   ", std::vector<Station>{});
    EXPECT_EQ(spaces.name, "   ") << "not trimmed";
    ASSERT_EQ(model->playlists().size(), 2u);
    EXPECT_EQ(model->playlists()[1].id, spaces.id) << "appended at the end";
    EXPECT_EQ(library.saved().playlists, model->playlists());

    // Renaming to an empty name neither renames nor saves.
    std::filesystem::remove(library.snapshotFile());
    model->renamePlaylist(unnamed, "");
    EXPECT_EQ(model->playlists()[0].name, "music.newPlaylist");
    EXPECT_FALSE(std::filesystem::exists(library.snapshotFile()));

    model->renamePlaylist(QString::fromStdString(unnamed.id.text()), QStringLiteral("Road trip"));
    EXPECT_EQ(model->playlists()[0].name, "Road trip");
    EXPECT_EQ(library.saved().playlists[0].name, "Road trip");
    const auto nameRole = model->playlistList()->roleNames().key("name");
    EXPECT_EQ(model->playlistList()->data(model->playlistList()->index(0), nameRole).toString(),
              QStringLiteral("Road trip"));

    // Deleting an unknown playlist still saves; a known one goes from the list and the file.
    std::filesystem::remove(library.snapshotFile());
    model->deletePlaylist(QStringLiteral("00000000-0000-0000-0000-000000000000"));
    EXPECT_TRUE(std::filesystem::exists(library.snapshotFile()));
    model->deletePlaylist(unnamed);
    ASSERT_EQ(model->playlists().size(), 1u);
    EXPECT_EQ(library.saved().playlists.size(), 1u);

    // A playlist made from the views' station maps, and the next start reads them back.
    const auto id = model->createPlaylist(QStringLiteral("From views"),
                                          QVariantList{stationMap(item("https://views.example/1"))});
    ASSERT_EQ(model->playlists().size(), 2u);
    EXPECT_EQ(QString::fromStdString(model->playlists()[1].id.text()), id);
    const auto before = model->playlists();
    model.reset();
    auto again = library.folders.start();
    EXPECT_EQ(again->playlists(), before);
}

TEST(Playlists, AddRemoveAndMoveIgnoreWhatIsNotThere) {
    Library library;
    auto model = library.start();
    QAbstractItemModelTester tester(model->playlistList());
    const auto a = item("https://a"), b = item("https://b"), c = item("https://c"), d = item("https://d");
    auto playlist = model->createPlaylist("Mix", std::vector<Station>{b});

    QSignalSpy rowChanges(model->playlistList(), &QAbstractItemModel::dataChanged);
    model->add({a, b, a}, playlist);
    EXPECT_EQ(urls(model->playlists()[0].items), (std::vector<std::string>{"https://b", "https://a"}));
    EXPECT_EQ(rowChanges.count(), 1) << "one row changed once";
    model->add(QVariantList{stationMap(c), stationMap(d)}, QString::fromStdString(playlist.id.text()));

    // Moves count the destination in the list before the move; offsets outside the list
    // are ignored, and a destination outside it moves nothing.
    struct Move {
        std::vector<int> from;
        int to;
        std::vector<std::string> expected;
    };
    const std::vector<std::string> start{"https://b", "https://a", "https://c", "https://d"};
    ASSERT_EQ(urls(model->playlists()[0].items), start);
    for (const auto& move : std::vector<Move>{
             {{0}, 3, {"https://a", "https://c", "https://b", "https://d"}},
             {{0}, 4, {"https://a", "https://c", "https://d", "https://b"}},
             {{3, 1}, 0, {"https://a", "https://d", "https://b", "https://c"}},
             {{1, 9, -1}, 0, {"https://a", "https://b", "https://c", "https://d"}},
             {{0}, 5, start},
             {{7}, 0, start},
         }) {
        std::vector<Station> items;
        for (const auto& url : start)
            items.push_back(item(url));
        const auto moving = model->createPlaylist("Moves", items);
        model->move(moving, move.from, move.to);
        EXPECT_EQ(urls(model->playlists().back().items), move.expected)
            << ::testing::PrintToString(move.from);
        EXPECT_EQ(urls(library.saved().playlists.back().items), move.expected);
        model->deletePlaylist(moving);
    }
    model->move(QString::fromStdString(playlist.id.text()), QList<int>{0}, 4);
    EXPECT_EQ(urls(model->playlists()[0].items),
              (std::vector<std::string>{"https://a", "https://c", "https://d", "https://b"}));
    model->move(playlist, {3}, 0);

    // Removal drops the rows named, ignoring offsets outside the list.
    model->remove(QList<int>{3, 1, 8, -2}, QString::fromStdString(playlist.id.text()));
    EXPECT_EQ(urls(model->playlists()[0].items), (std::vector<std::string>{"https://b", "https://c"}));
    EXPECT_EQ(urls(library.saved().playlists[0].items), (std::vector<std::string>{"https://b", "https://c"}));

    // A deleted playlist takes no more edits, and nothing is saved for them.
    model->deletePlaylist(playlist);
    std::filesystem::remove(library.snapshotFile());
    model->add({a}, playlist);
    model->remove({0}, playlist);
    model->move(playlist, {0}, 1);
    model->renamePlaylist(playlist, "Gone");
    EXPECT_TRUE(model->playlists().empty());
    EXPECT_FALSE(std::filesystem::exists(library.snapshotFile()));
}

TEST(SmartPlaylists, GenrePlaylistsAndEdits) {
    Library library;
    auto model = library.start();
    QAbstractItemModelTester tester(model->smartPlaylistList());
    const auto defaults = model->smartPlaylists().size();

    model->createGenrePlaylist(QStringLiteral("Techno"));
    model->createGenrePlaylist(QStringLiteral("Techno"));
    model->createGenrePlaylist(QString());
    ASSERT_EQ(model->smartPlaylists().size(), defaults + 3);
    const auto techno = model->smartPlaylists()[defaults];
    EXPECT_EQ(techno.name, "Techno");
    EXPECT_EQ(techno.rules, std::vector<SmartRule>{SmartRule::genreIs("Techno")});
    EXPECT_TRUE(techno.matchAll);
    EXPECT_EQ(techno.sort, SmartSort::artist);
    EXPECT_EQ(techno.limit, 0);
    EXPECT_NE(model->smartPlaylists()[defaults + 1].id, techno.id) << "a second one, not the same";
    EXPECT_EQ(model->smartPlaylists()[defaults + 2].name, "music.newSmartPlaylist");
    EXPECT_EQ(library.saved().smartPlaylists, model->smartPlaylists());

    model->createSmartPlaylist("", {SmartRule::ratingAtLeast(4)}, false, SmartSort::rating, 10);
    EXPECT_EQ(model->smartPlaylists().back().name, "music.newSmartPlaylist");
    EXPECT_FALSE(model->smartPlaylists().back().matchAll);

    // Updating stores the whole value; an unknown id adds nothing.
    auto edited = techno;
    edited.name = "Hard Techno";
    edited.rules.push_back(SmartRule::yearBetween(1990, 1999));
    edited.limit = 25;
    model->updateSmartPlaylist(edited);
    EXPECT_EQ(model->smartPlaylists()[defaults], edited);
    auto stranger = edited;
    stranger.id = ZazidEvoz::platform::Uuid::random();
    const auto count = model->smartPlaylists().size();
    model->updateSmartPlaylist(stranger);
    EXPECT_EQ(model->smartPlaylists().size(), count);

    // The views read and write smart playlists in their stored form.
    auto* list = model->smartPlaylistList();
    const auto row = list->index(static_cast<int>(defaults));
    QVariantMap form;
    for (const auto& name : {"id", "name", "rules", "matchAll", "sort", "limit"})
        form.insert(name, list->data(row, list->roleNames().key(name)));
    EXPECT_EQ(form.value("sort").toString(), QStringLiteral("artist"));
    form.insert("name", QStringLiteral("Techno again"));
    model->updateSmartPlaylist(form);
    edited.name = "Techno again";
    EXPECT_EQ(model->smartPlaylists()[defaults], edited);
    model->createSmartPlaylist(QStringLiteral("From views"), form.value("rules").toList(), true,
                               QStringLiteral("title"), 0);
    EXPECT_EQ(model->smartPlaylists().back().rules, edited.rules);
    const auto total = model->smartPlaylists().size();
    model->createSmartPlaylist(QStringLiteral("Broken"), QVariantList{QVariantMap{{"noSuchRule", 1}}}, true,
                               QStringLiteral("title"), 0);
    model->createSmartPlaylist(QStringLiteral("Broken"), {}, true, QStringLiteral("noSuchSort"), 0);
    EXPECT_EQ(model->smartPlaylists().size(), total) << "what does not decode adds nothing";

    // Deleting saves, also for an id that matches nothing.
    model->deleteSmartPlaylist(techno);
    EXPECT_EQ(model->smartPlaylists().size(), total - 1);
    std::filesystem::remove(library.snapshotFile());
    model->deleteSmartPlaylist(techno);
    EXPECT_TRUE(std::filesystem::exists(library.snapshotFile()));
    EXPECT_EQ(library.saved().smartPlaylists, model->smartPlaylists());
}
