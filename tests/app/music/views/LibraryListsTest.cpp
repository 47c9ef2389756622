// The lists the music views show, over a real music model: the track list by title or by page,
// album tiles with the singles tile, genre and artist cards, playlist and smart playlist cards,
// and the detail pages. They follow the library row by row and compute again only when what
// they show changed.
#include "app/music/MusicViewsKit.hpp"
#include "music/DetailPage.hpp"
#include "music/LibraryCards.hpp"
#include "music/PlaylistCards.hpp"
#include "music/TitleOrder.hpp"
#include "music/TrackListModel.hpp"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace ZintraRadio;
using namespace ZintraRadio::testkit;
using ZazidEvoz::SmartRule;
using ZazidEvoz::Track;

namespace {

std::vector<std::string> column(const QAbstractItemModel& model, const char* role) {
    int key = -1;
    const auto names = model.roleNames();
    for (auto it = names.begin(); it != names.end(); ++it)
        if (it.value() == role)
            key = it.key();
    std::vector<std::string> values;
    for (int row = 0; row < model.rowCount(); ++row)
        values.push_back(model.data(model.index(row, 0), key).toString().toStdString());
    return values;
}

QVariantMap route(const char* kind, const QString& nameOrId, const char* field = "name") {
    return {{QStringLiteral("kind"), QString::fromLatin1(kind)}, {QString::fromLatin1(field), nameOrId}};
}

} // namespace

class LibraryLists : public ::testing::Test {
protected:
    void SetUp() override { installEnglish(); }
    Library library;
};

TEST_F(LibraryLists, TrackListSortsByTitleAndFollowsTheLibraryRowByRow) {
    auto& music = library.start({library.track("c.mp3", "charlie", "Ann", "LP"),
                                 library.track("a.mp3", "Alpha", "Bo", "LP"),
                                 library.track("b.mp3", "bravo", "Ann", "")});
    TrackListModel list;
    list.setMusic(&music);
    EXPECT_EQ(column(list, "title"), (std::vector<std::string>{"Alpha", "bravo", "charlie"}));
    EXPECT_FALSE(list.libraryEmpty());

    // A rating changes one row in place and moves nothing.
    QSignalSpy changed(&list, &QAbstractItemModel::dataChanged);
    QSignalSpy removed(&list, &QAbstractItemModel::rowsRemoved);
    music.rate(list.path(2), 4);
    settle();
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.first().at(0).toModelIndex().row(), 2);
    EXPECT_EQ(removed.count(), 0);
    EXPECT_EQ(column(list, "rating")[2], "4");

    // The scope of a page: exact names, title order.
    list.setScope(TrackListModel::Scope{TrackListModel::Kind::artist, "Ann", {}});
    EXPECT_EQ(column(list, "title"), (std::vector<std::string>{"bravo", "charlie"}));
    list.setScope(TrackListModel::Scope{TrackListModel::Kind::album, "", {}});
    EXPECT_EQ(column(list, "title"), (std::vector<std::string>{"bravo"})) << "the singles";
    list.setScope(TrackListModel::Scope{TrackListModel::Kind::none, {}, {}});
    EXPECT_EQ(list.count(), 0);
}

TEST_F(LibraryLists, TrackListDropsTrashedRowsAtOnceAndPlaysFromTheClickedRow) {
    const auto alpha = library.folders.addFile("a.mp3", {{"title", "Alpha"}});
    const auto bravo = library.folders.addFile("b.mp3", {{"title", "Bravo"}});
    library.folders.addFile("c.mp3", {{"title", "Charlie"}});
    auto& music = library.start({});
    ASSERT_EQ(music.tracks().size(), 3u);
    TrackListModel list;
    list.setMusic(&music);

    std::vector<std::string> played;
    music.playHandler = [&](const ZazidEvoz::Station& station) { played.push_back(station.url); };
    list.play(1);
    ASSERT_EQ(music.queue().size(), 3u) << "the whole list becomes the queue";
    EXPECT_EQ(music.queueIndex(), 1);
    EXPECT_EQ(played, (std::vector<std::string>{ZazidEvoz::platform::fileURLFromPath(bravo.string())}));

    music.trash({*music.track(ZazidEvoz::platform::fileURLFromPath(alpha.string()))});
    ASSERT_TRUE(pumpUntil([&] { return music.tracks().size() == 2; }));
    EXPECT_EQ(column(list, "title"), (std::vector<std::string>{"Bravo", "Charlie"}));
    // Every row still names a track of the library (no stale row numbers after the removal).
    EXPECT_EQ(list.path(0).toStdString(), bravo.string());
}

TEST_F(LibraryLists, TheTitleOrderIsSortedOncePerChangeOfTheTitles) {
    library.folders.addFile("a.mp3", {{"title", "Alpha"}, {"artist", "Ann"}});
    library.folders.addFile("b.mp3", {{"title", "Bravo"}, {"artist", "Ann"}});
    library.folders.addFile("c.mp3", {{"title", "Charlie"}});
    auto& music = library.start({});
    TrackListModel all;
    all.setMusic(&music);
    const auto* sorted = TitleOrder::of(music).rows().data();
    TrackListModel page;
    page.setMusic(&music);
    page.setScope(TrackListModel::Scope{TrackListModel::Kind::artist, "Ann", {}});
    EXPECT_EQ(column(page, "title"), (std::vector<std::string>{"Alpha", "Bravo"}));
    EXPECT_EQ(TitleOrder::of(music).rows().data(), sorted) << "the page reused the order";
    music.rate(music.tracks().front(), 3);
    settle();
    EXPECT_EQ(TitleOrder::of(music).rows().data(), sorted) << "a rating does not sort again";

    // A new title moves the row in every list.
    ZazidEvoz::TagEditor::Changes changes;
    changes.title = "Zulu";
    music.edit(
        *music.track(ZazidEvoz::platform::fileURLFromPath((library.folders.library / "a.mp3").string())),
        changes);
    ASSERT_TRUE(pumpUntil([&] { return column(all, "title").back() == "Zulu"; }, std::chrono::seconds(60)));
    EXPECT_EQ(column(all, "title"), (std::vector<std::string>{"Bravo", "Charlie", "Zulu"}));
    EXPECT_EQ(column(page, "title"), (std::vector<std::string>{"Bravo", "Zulu"}));
}

TEST_F(LibraryLists, AlbumTilesEndWithTheSinglesTile) {
    auto first = library.track("1.mp3", "b", "Zed", "Same");
    auto second = library.track("2.mp3", "a", "Amy", "Same");
    second.coverFile = "/covers/same.jpg";
    auto single = library.track("3.mp3", "s", "Sol");
    single.coverFile = "/covers/single.jpg";
    auto& music = library.start({first, second, single, library.track("4.mp3", "t", "", "Other")});
    AlbumTiles tiles;
    tiles.setMusic(&music);
    ASSERT_EQ(tiles.count(), 3);
    EXPECT_EQ(tiles.tiles()[1].name, QStringLiteral("Same"));
    EXPECT_EQ(tiles.tiles()[1].artist, QStringLiteral("Amy")) << "the artist of the first track by title";
    EXPECT_EQ(tiles.tiles()[1].cover, QStringLiteral("/covers/same.jpg"));
    EXPECT_TRUE(tiles.tiles()[2].singles);
    EXPECT_EQ(tiles.tiles()[2].name, QStringLiteral("Singles"));
    EXPECT_EQ(tiles.tiles()[2].artist, QStringLiteral("1 track"));
    EXPECT_EQ(tiles.tiles()[2].cover, QStringLiteral("/covers/single.jpg"));
    EXPECT_EQ(tiles.stations(1).size(), 2);

    // A rating changes nothing a tile shows: no new computation, no row change.
    QSignalSpy rows(tiles.rowsModel(), &QAbstractItemModel::dataChanged);
    music.rate(first, 5);
    settle();
    EXPECT_EQ(rows.count(), 0);
    EXPECT_FALSE(tiles.dropCover(2, {QUrl(QStringLiteral("https://example.org/a.png"))}));
}

TEST_F(LibraryLists, GenreAndArtistCards) {
    auto jazzA = library.track("1.mp3", "B side", "Ann", "", "Jazz");
    jazzA.coverFile = "/c/1.jpg";
    auto jazzB = library.track("2.mp3", "A side", "ann", "", "Jazz");
    jazzB.coverFile = "/c/1.jpg";
    auto& music = library.start(
        {jazzA, jazzB, library.track("3.mp3", "x", "Bo", "", "jazz"), library.track("4.mp3", "y", "")});
    GenreCards genres;
    genres.setMusic(&music);
    ASSERT_EQ(genres.count(), 3);
    EXPECT_EQ(genres.cards()[2].title, QStringLiteral("No Genre"));
    EXPECT_TRUE(genres.cards()[2].noGenre);
    const auto& jazz =
        genres.cards()[0].name == QStringLiteral("Jazz") ? genres.cards()[0] : genres.cards()[1];
    EXPECT_EQ(jazz.count, 2) << "letter case makes another genre";
    EXPECT_EQ(jazz.covers, QStringList{QStringLiteral("/c/1.jpg")}) << "a shared cover shows once";

    ArtistCards artists;
    artists.setMusic(&music);
    EXPECT_EQ(artists.count(), 3);
    artists.setSearch(QStringLiteral("  AN "));
    ASSERT_EQ(artists.count(), 2);
    EXPECT_EQ(artists.cards()[0].covers.size() + artists.cards()[1].covers.size(), 2)
        << "each spelling has only its own tracks' covers";
    artists.setSearch(QStringLiteral("zzz"));
    EXPECT_EQ(artists.count(), 0);
    EXPECT_FALSE(artists.libraryEmpty()) << "no match, not an empty library";
}

TEST_F(LibraryLists, GenreRenameTrimsAndRewritesEveryTrackOfTheGenre) {
    library.folders.addFile("a.mp3", {{"title", "A"}, {"genre", "Jaz"}});
    library.folders.addFile("b.mp3", {{"title", "B"}, {"genre", "Jaz"}});
    library.folders.addFile("c.mp3", {{"title", "C"}, {"genre", "Rock"}});
    library.start({});
    GenreCards genres;
    genres.setMusic(library.music.get());
    genres.rename(QStringLiteral("Jaz"), QStringLiteral("  Jazz\t"));
    ASSERT_TRUE(
        pumpUntil([&] { return library.music->tracks("Jazz").size() == 2; }, std::chrono::seconds(60)));
    EXPECT_TRUE(library.music->tracks("Jaz").empty());
    EXPECT_EQ(library.music->tracks("Rock").size(), 1u);
}

TEST_F(LibraryLists, SmartCardsKeepARandomOrderUntilTheMatchesChange) {
    std::vector<Track> tracks;
    for (int i = 0; i < 40; ++i)
        tracks.push_back(library.track("t" + std::to_string(i) + ".mp3", "t" + std::to_string(i)));
    auto& music = library.start(tracks);
    music.createSmartPlaylist("Shuffled", {}, true, ZazidEvoz::SmartSort::random, 0);
    SmartPlaylistCards cards;
    cards.setMusic(&music);
    const QString id = cards.cards().back().id;
    const auto first = titlesOf(cards.tracks(id));
    ASSERT_EQ(first.size(), 40u);
    // A change that keeps the matches (a rating) computes again but keeps the order.
    music.rate(tracks[3], 2);
    settle();
    EXPECT_EQ(titlesOf(cards.tracks(id)), first);
    EXPECT_EQ(cards.cards().front().name, QStringLiteral("Recently Added"))
        << "built-in names are translated";

    std::vector<std::string> played;
    music.playHandler = [&](const ZazidEvoz::Station& station) { played.push_back(station.name); };
    cards.play(id);
    EXPECT_EQ(played, (std::vector<std::string>{first.front()})) << "plays what the card shows";
}

TEST_F(LibraryLists, PlaylistCardsShowOnlyFilePictures) {
    auto& music = library.start({});
    ZazidEvoz::Station stream;
    stream.url = "http://radio.example/live";
    stream.thumbnailURL = "https://img.example/x.png";
    ZazidEvoz::Station file;
    file.url = "file:///m/a.mp3";
    file.thumbnailURL = "file:///c/a.jpg";
    music.createPlaylist("Mix", {stream, file});
    music.createPlaylist("Streams", {stream});
    PlaylistCards cards;
    cards.setMusic(&music);
    ASSERT_EQ(cards.count(), 2);
    EXPECT_EQ(cards.cards()[0].covers, QStringList{QStringLiteral("file:///c/a.jpg")});
    EXPECT_EQ(cards.cards()[0].count, 2);
    EXPECT_TRUE(cards.cards()[1].covers.isEmpty());
    cards.remove(cards.cards()[1].id);
    settle();
    EXPECT_EQ(cards.count(), 1);
}

TEST_F(LibraryLists, DetailPagesOfEachKind) {
    auto a = library.track("1.mp3", "b", "Ann", "LP", "Jazz");
    a.coverFile = "/c/lp.jpg";
    a.duration = 1800;
    auto b = library.track("2.mp3", "a", "Ann", "LP", "");
    b.duration = 1740;
    auto& music = library.start({a, b, library.track("3.mp3", "c", "Bo", "lp", "")});
    MusicUI ui([](std::string_view) { return std::nullopt; });
    DetailPage page;
    page.setMusic(&music);
    page.setUi(&ui);

    page.setRoute(route("album", QStringLiteral("LP")));
    EXPECT_EQ(page.title(), QStringLiteral("LP"));
    EXPECT_EQ(page.kindKey(), QStringLiteral("music.kind.album"));
    EXPECT_EQ(page.itemCount(), 2);
    EXPECT_EQ(page.summary(), QStringLiteral("Ann \u00b7 2 tracks \u00b7 59:00"));
    EXPECT_EQ(page.covers(), QStringList{QStringLiteral("/c/lp.jpg")});

    page.setRoute(route("genre", QString()));
    EXPECT_EQ(page.title(), QStringLiteral("No Genre"));
    EXPECT_FALSE(page.offersGenrePlaylist());
    page.setRoute(route("genre", QStringLiteral("Jazz")));
    EXPECT_TRUE(page.offersGenrePlaylist());
    page.setRoute(route("artist", QString()));
    EXPECT_EQ(page.title(), QString());

    // A playlist: its items, renamed with trimmed blanks, reordered, and a stale move ignored.
    ZazidEvoz::Station one, two, three;
    one.url = "file:///1";
    two.url = "file:///2";
    three.url = "file:///3";
    const auto playlist = music.createPlaylist("Mine", {one, two, three});
    page.setRoute(route("playlist", QString::fromStdString(playlist.id.text()), "id"));
    EXPECT_TRUE(page.playlistExists());
    EXPECT_EQ(page.title(), QStringLiteral("Mine"));
    page.rename(QStringLiteral("  Road  "));
    settle();
    EXPECT_EQ(page.title(), QStringLiteral("Road"));
    page.rename(QStringLiteral("   "));
    settle();
    EXPECT_EQ(page.title(), QStringLiteral("Road")) << "blanks keep the name";
    page.moveItem(2, 0);
    settle();
    EXPECT_EQ(column(*page.itemList(), "url"),
              (std::vector<std::string>{"file:///3", "file:///1", "file:///2"}));
    page.moveItem(7, 0);
    page.removeItem(9);
    page.moveItem(0, 99);
    settle();
    EXPECT_EQ(page.itemCount(), 3) << "positions that are gone are ignored";
    page.removeItem(1);
    settle();
    EXPECT_EQ(column(*page.itemList(), "url"), (std::vector<std::string>{"file:///3", "file:///2"}));

    ui.open(MusicUI::Route::playlist(playlist.id));
    page.deleteList();
    settle();
    EXPECT_FALSE(ui.route().has_value()) << "deleting the page's own list closes it";
    EXPECT_FALSE(page.playlistExists());
    EXPECT_EQ(page.title(), QString());
    EXPECT_EQ(page.itemCount(), 0);
}

TEST_F(LibraryLists, ASmartPageFollowsItsPlaylist) {
    auto& music = library.start({library.track("1.mp3", "x", "", "", "Soul"), library.track("2.mp3", "y")});
    music.createSmartPlaylist("smart.favorites", {SmartRule::genreIs("soul")}, true,
                              ZazidEvoz::SmartSort::title, 0);
    const auto smart = music.smartPlaylists().back();
    DetailPage page;
    page.setMusic(&music);
    page.setRoute(route("smart", QString::fromStdString(smart.id.text()), "id"));
    EXPECT_EQ(page.title(), QStringLiteral("Favourites"));
    EXPECT_EQ(page.itemCount(), 1);
    auto edited = smart;
    edited.rules = {};
    music.updateSmartPlaylist(edited);
    settle();
    EXPECT_EQ(page.itemCount(), 2);
}
