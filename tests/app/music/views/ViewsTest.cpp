// The music views loaded offscreen over the real application model and UI state: the track
// rows' click rule and stars, the browser's tabs, search and pages, the selection bar, the
// sheets that clear their request however they close, and the queue panel's buttons.
#include "AppModelKit.hpp"
#include "QmlKit.hpp"
#include "ZazidEvoz/platform/Process.hpp"
#include "ZazidEvoz/platform/Text.hpp"
#include "app/music/MusicViewsKit.hpp"
#include "music/SmartEditorForm.hpp"
#include "state/UIState.hpp"

#include <QImage>
#include <QMimeData>
#include <QPointer>
#include <QQmlContext>
#include <QQuickWindow>
#include <QTest>
#include <fmt/format.h>
#include <gtest/gtest.h>
#include <set>

using namespace ZintraRadio;
using namespace ZintraRadio::testkit;
using namespace std::chrono_literals;

namespace {

class MusicViews : public ::testing::Test {
protected:
    static void SetUpTestSuite() { QQuickWindow::setGraphicsApi(QSGRendererInterface::Software); }

    void SetUp() override {
        installEnglish();
        kit.window.resize(1100, 800);
    }

    void start(std::vector<ZazidEvoz::Track> tracks, bool database = false) {
        library.folders.writeSnapshot(std::move(tracks));
        auto options = setup.options();
        options.music = library.folders.options(database);
        app = std::make_unique<AppModel>(options);
        MusicFolders::waitForRescan(*app->music());
        UIState::Options uiOptions;
        uiOptions.settingsFile = QString::fromStdString((setup.folder / "ui.conf").string());
        uiOptions.hooks = [](std::string_view) { return std::nullopt; };
        ui = std::make_unique<UIState>(uiOptions);
        kit.engine.rootContext()->setContextProperty(QStringLiteral("app"), app.get());
        kit.engine.rootContext()->setContextProperty(QStringLiteral("uiState"), ui.get());
    }

    // The library's tracks as the tracks tab lists them.
    QQuickItem* makeTrackList() {
        return make("TrackList { model: app; ui: uiState; tracks: TrackListModel { music: app.music } }");
    }

    QQuickItem* make(const char* body) {
        QByteArray document = "import QtQuick\nimport ZintraRadio\n";
        document += body;
        QQuickItem* item = kit.create(document);
        EXPECT_NE(item, nullptr) << kit.warnings.join(QLatin1Char('\n')).toStdString();
        if (item)
            item->setSize(kit.window.size());
        kit.window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&kit.window));
        pumpFor(150ms);
        return item;
    }

    void click(QQuickItem* item, Qt::KeyboardModifiers modifiers = Qt::NoModifier, QPointF at = {-1, -1}) {
        ASSERT_NE(item, nullptr);
        const QPointF local = at.x() < 0 ? QPointF(item->width() / 2, item->height() / 2) : at;
        QTest::mouseClick(&kit.window, Qt::LeftButton, modifiers, item->mapToScene(local).toPoint());
        settle();
    }

    void typeText(const QString& text) {
        for (const QChar c : text)
            QTest::keyClick(&kit.window, c.toLatin1());
        settle();
    }

    // Views make delegates and repeated items without a QObject parent: search the item tree.
    static QQuickItem* find(QQuickItem* root, const QString& name) {
        if (root == nullptr)
            return nullptr;
        for (QQuickItem* child : root->childItems()) {
            if (child->objectName() == name)
                return child;
            if (QQuickItem* found = find(child, name))
                return found;
        }
        return nullptr;
    }

    // Opens `row`'s menu with a right click and puts the pointer on its entry `entry`; then two
    // new files, one sorting first and one last, come in with a rescan, which renumbers every
    // row (and reads the search results again); once `listed` says the list shows them, clicks
    // where the pointer is. The entry must have stayed under the pointer.
    void chooseWhileTheRowsChange(QObject* menu, QQuickItem* row, const char* entry,
                                  const std::function<bool(std::size_t tracks)>& listed) {
        ASSERT_TRUE(menu && row);
        QTest::mouseClick(&kit.window, Qt::RightButton, {}, row->mapToScene({300, 10}).toPoint());
        ASSERT_TRUE(pumpUntil([&] { return menu->property("opened").toBool(); }, 5s));
        QQuickItem* item = nullptr;
        ASSERT_TRUE(pumpUntil(
            [&] { return (item = find(kit.window.contentItem(), QString::fromLatin1(entry))) && item->isVisible(); },
            5s));
        const auto middle = [&] { return item->mapToScene({item->width() / 2, item->height() / 2}).toPoint(); };
        // Where the menu settles once the window has laid it out.
        QPoint aimed;
        ASSERT_TRUE(pumpUntil(
            [&] {
                const QPoint before = middle();
                settle();
                return (aimed = middle()) == before;
            },
            5s));
        QTest::mouseMove(&kit.window, aimed);

        auto& music = *app->music();
        const auto before = music.tracks().size();
        library.folders.addFile(fmt::format("Song 0{}.mp3", added), {});
        library.folders.addFile(fmt::format("Song Zzz {}.mp3", added), {});
        ++added;
        bool rescanned = false;
        music.rescan([&] { rescanned = true; });
        ASSERT_TRUE(pumpUntil([&] { return rescanned && listed(before + 2); }, 20s));
        settle();
        EXPECT_TRUE(menu->property("opened").toBool()) << entry << ": the menu stays open";
        EXPECT_EQ(middle(), aimed) << entry << " stays under the pointer";
        QTest::mouseClick(&kit.window, Qt::LeftButton, {}, aimed);
        settle();
    }

    void expectNoWarnings() {
        EXPECT_TRUE(kit.warnings.isEmpty()) << kit.warnings.join(QLatin1Char('\n')).toStdString();
    }

    Library library;
    AppSetup setup;
    std::unique_ptr<AppModel> app;
    std::unique_ptr<UIState> ui;
    QmlKit kit;
    int added = 0; // pairs of files chooseWhileTheRowsChange added
};

} // namespace

TEST_F(MusicViews, TrackRowsPlaySelectAndRate) {
    start({library.track("a.mp3", "Alpha", "Ann", "LP", "Jazz"), library.track("b.mp3", "Bravo", "Bo"),
           library.track("c.mp3", "Charlie")});
    auto& music = *app->music();
    std::vector<std::string> played;
    music.playHandler = [&](const ZazidEvoz::Station& station) { played.push_back(station.url); };
    QQuickItem* list = makeTrackList();
    ASSERT_TRUE(list);
    QQuickItem* second = find(list, QStringLiteral("trackRow1"));
    ASSERT_TRUE(second);
    EXPECT_EQ(find(second, QStringLiteral("rowTitle"))->property("text").toString(), QStringLiteral("Bravo"));
    EXPECT_EQ(find(second, QStringLiteral("rowSubtitle"))->property("text").toString(), QStringLiteral("Bo"));
    EXPECT_FALSE(find(second, QStringLiteral("genreBadge"))->isVisible());
    EXPECT_TRUE(find(find(list, QStringLiteral("trackRow0")), QStringLiteral("genreBadge"))->isVisible());

    // A plain click plays the list from that row.
    click(second, Qt::NoModifier, {300, 10});
    ASSERT_EQ(played.size(), 1u);
    EXPECT_EQ(music.queue().size(), 3u);
    EXPECT_EQ(music.queueIndex(), 1);

    // Ctrl selects; while a selection exists plain clicks toggle instead of playing.
    QQuickItem* first = find(list, QStringLiteral("trackRow0"));
    click(first, Qt::ControlModifier, {300, 10});
    EXPECT_EQ(ui->music()->selection().size(), 1u);
    click(second, Qt::NoModifier, {300, 10});
    EXPECT_EQ(ui->music()->selection().size(), 2u);
    EXPECT_EQ(played.size(), 1u);
    click(second, Qt::NoModifier, {300, 10});
    click(first, Qt::NoModifier, {300, 10});
    EXPECT_TRUE(ui->music()->selection().empty());
    click(first, Qt::NoModifier, {300, 10});
    EXPECT_EQ(played.size(), 2u) << "with the selection gone, clicks play again";

    // The third star rates 3; clicking it again clears the rating.
    QQuickItem* stars = find(second, QStringLiteral("starArea"));
    click(stars, Qt::NoModifier, {2 * 14 + 6, 9});
    EXPECT_EQ(music.tracks()[1].rating, 3);
    click(stars, Qt::NoModifier, {2 * 14 + 6, 9});
    EXPECT_EQ(music.tracks()[1].rating, 0);
    expectNoWarnings();
}

// A rescan that finds new files renumbers the rows while a row's menu is open (a background
// job can start one at any time): the menu stays where the pointer is and acts on the track it
// was opened for. Two new files, one sorting first and one last, replace every listed row, so
// the list moves or takes back the rows' items.
TEST_F(MusicViews, TrackMenuActsOnItsTrackWhileTheRowsChangeUnderIt) {
    for (int i = 10; i < 50; ++i)
        library.folders.addFile(fmt::format("Song {}.mp3", i), {});
    start({});
    auto& music = *app->music();
    ASSERT_EQ(music.tracks().size(), 40u);
    std::vector<std::string> played;
    music.playHandler = [&](const ZazidEvoz::Station& station) { played.push_back(station.url); };
    QQuickItem* list = makeTrackList();
    ASSERT_TRUE(list);
    QObject* tracks = list->property("tracks").value<QObject*>();
    const auto listed = [&](std::size_t count) { return tracks->property("count").toUInt() == count; };
    const std::string song15 = (library.folders.library / "Song 15.mp3").string();
    const auto song15Row = [&] {
        int listed = -1;
        QMetaObject::invokeMethod(tracks, "rowOf", Q_RETURN_ARG(int, listed),
                                  Q_ARG(QString, QString::fromStdString(song15)));
        return find(list, QStringLiteral("trackRow%1").arg(listed));
    };

    chooseWhileTheRowsChange(list->property("menu").value<QObject*>(), song15Row(), "menuEditTags", listed);
    ASSERT_TRUE(ui->music()->editing().has_value()) << "the tag editor was asked for";
    EXPECT_EQ(ui->music()->editing()->path, song15);
    ui->music()->setEditing(std::nullopt);
    settle();

    chooseWhileTheRowsChange(list->property("menu").value<QObject*>(), song15Row(), "menuPlay", listed);
    ASSERT_EQ(played.size(), 1u);
    EXPECT_EQ(played.front(), ZazidEvoz::platform::fileURLFromPath(song15));
    EXPECT_EQ(music.queue().size(), 44u) << "the list as it is now, from that track";

    chooseWhileTheRowsChange(list->property("menu").value<QObject*>(), song15Row(), "queuePlayNext", listed);
    ASSERT_EQ(music.queue().size(), 45u);
    EXPECT_EQ(music.queue()[*music.queueIndex() + 1].url, ZazidEvoz::platform::fileURLFromPath(song15));
    expectNoWarnings();
}

// The genre menus are made from the library's genres, which a tag edit can change while one
// of them is open: a genre sorting first comes in, and the one that was the only holder of
// another goes. The open menu keeps the genres it opened with: the entry under the pointer
// stays the one pointed at and is the genre a click sets, a key pressed as the edit lands
// moves the highlight to the next entry of that list (with no warning), and the new genre is
// listed when the menu opens again.
TEST_F(MusicViews, GenreMenusKeepTheirEntriesWhileOpenAndListNewGenresWhenOpenedAgain) {
    const auto file = [&](const char* name, const char* title, const char* genre) {
        return library.folders.addFile(name, {{"title", title}, {"genre", genre}}).string();
    };
    const std::string alpha = file("a.mp3", "Alpha", "Blues");
    file("b.mp3", "Bravo", "Folk");
    const std::string charlie = file("c.mp3", "Charlie", "Jazz");
    const std::string delta = file("d.mp3", "Delta", "Soul");
    start({});
    auto& music = *app->music();
    ASSERT_EQ(music.tracks().size(), 4u);
    QQuickItem* view = make(R"(
        Item {
            TrackList {
                objectName: "list"
                width: parent.width
                height: parent.height - 50
                model: app
                ui: uiState
                tracks: TrackListModel { music: app.music }
            }
            SelectionBar {
                objectName: "bar"
                y: parent.height - 50
                width: parent.width
                height: 50
                model: app
                ui: uiState
            }
        })");
    ASSERT_TRUE(view);
    QQuickItem* list = find(view, QStringLiteral("list"));
    QObject* trackMenu = list->property("menu").value<QObject*>();

    const auto entries = [](QObject* menu) {
        std::vector<QQuickItem*> items;
        for (int index = 0; index < menu->property("count").toInt(); ++index) {
            QQuickItem* item = nullptr;
            QMetaObject::invokeMethod(menu, "itemAt", Q_RETURN_ARG(QQuickItem*, item), Q_ARG(int, index));
            items.push_back(item);
        }
        return items;
    };
    const auto entry = [&](QObject* menu, const QString& text) -> QQuickItem* {
        for (QQuickItem* item : entries(menu))
            if (item && item->property("text").toString() == text)
                return item;
        return nullptr;
    };
    const auto genreOf = [&](const std::string& path) {
        for (const auto& track : music.tracks())
            if (track.path == path)
                return track.genre;
        return std::string();
    };
    const auto listsGenre = [&](const std::string& name) {
        const auto& genres = music.genres();
        return std::any_of(genres.begin(), genres.end(),
                           [&](const auto& genre) { return genre.name == name; });
    };
    const auto middle = [](QQuickItem* item) {
        return item->mapToScene({item->width() / 2, item->height() / 2}).toPoint();
    };
    const auto opened = [](QObject* menu) { return menu && menu->property("opened").toBool(); };
    // Where an item rests once the window has laid its menu out.
    const auto resting = [&](QQuickItem* item) {
        QPoint point;
        EXPECT_TRUE(pumpUntil(
            [&] {
                const QPoint before = middle(item);
                settle();
                return (point = middle(item)) == before;
            },
            5s));
        return point;
    };

    struct Case {
        const char* menu;
        std::function<QObject*()> open;
        std::string edited;    // the track whose edit brings the new genre
        std::string genre;     // the new genre, sorting before the one pointed at
        std::string chosenFor; // the track the genre menu acts on
    };
    const std::vector<Case> cases = {
        {"the track menu's genre submenu",
         [&]() -> QObject* {
             QTest::mouseClick(&kit.window, Qt::RightButton, {},
                               find(list, QStringLiteral("trackRow0"))->mapToScene({300, 10}).toPoint());
             if (!pumpUntil([&] { return opened(trackMenu); }, 5s))
                 return nullptr;
             QQuickItem* genre = entry(trackMenu, QStringLiteral("Genre"));
             QObject* submenu = genre ? genre->property("subMenu").value<QObject*>() : nullptr;
             if (!submenu)
                 return nullptr;
             QTest::mouseClick(&kit.window, Qt::LeftButton, {}, resting(genre));
             return pumpUntil([&] { return opened(submenu); }, 5s) ? submenu : nullptr;
         },
         delta, "Ambient", alpha},
        {"the selection bar's genre menu",
         [&]() -> QObject* {
             ui->music()->setSelection({delta});
             QQuickItem* button = find(view, QStringLiteral("selectionGenre"));
             settle();
             QTest::mouseClick(&kit.window, Qt::LeftButton, {}, middle(button));
             QObject* menu = button->property("menu").value<QObject*>();
             return pumpUntil([&] { return opened(menu); }, 5s) ? menu : nullptr;
         },
         charlie, "Acid", delta},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.menu);
        QObject* menu = test.open();
        ASSERT_TRUE(menu);
        // Folk, the second genre, highlighted with the keys and the pointer on it; the entry
        // after it is Jazz.
        QPointer<QQuickItem> folk = entry(menu, QStringLiteral("Folk"));
        QPointer<QQuickItem> jazz = entry(menu, QStringLiteral("Jazz"));
        ASSERT_TRUE(folk && jazz);
        const QPoint aimed = resting(folk);
        QTest::mouseMove(&kit.window, aimed);
        for (int presses = 0; presses < 3 && !folk->property("highlighted").toBool(); ++presses) {
            QTest::keyClick(&kit.window, Qt::Key_Down);
            settle();
        }
        ASSERT_TRUE(folk->property("highlighted").toBool());

        // The key comes as the edit lands, before the window lays the menu out again.
        bool pressed = false;
        QMetaObject::Connection key;
        key = QObject::connect(&music, &MusicModel::tracksChanged, &kit.window, [&] {
            if (!listsGenre(test.genre))
                return;
            QObject::disconnect(key);
            QTest::keyClick(&kit.window, Qt::Key_Down);
            pressed = true;
        });
        music.setGenre(QString::fromStdString(test.genre), {QString::fromStdString(test.edited)});
        ASSERT_TRUE(pumpUntil([&] { return listsGenre(test.genre); }, 20s));
        QObject::disconnect(key);
        ASSERT_TRUE(pressed);
        settle();
        ASSERT_TRUE(opened(menu)) << "the menu stays open";
        ASSERT_TRUE(folk && jazz) << "its entries stay";
        EXPECT_EQ(middle(folk), aimed) << "Folk stays under the pointer";
        EXPECT_TRUE(jazz->property("highlighted").toBool())
            << "the key moved the highlight to the next entry";
        EXPECT_FALSE(entry(menu, QString::fromStdString(test.genre)))
            << "the new genre waits for the next opening";

        QTest::mouseClick(&kit.window, Qt::LeftButton, {}, aimed);
        EXPECT_TRUE(pumpUntil([&] { return genreOf(test.chosenFor) == "Folk"; }, 20s))
            << "the genre pointed at is set";
        EXPECT_FALSE(opened(menu));

        menu = test.open();
        ASSERT_TRUE(menu);
        EXPECT_TRUE(entry(menu, QString::fromStdString(test.genre)))
            << "opened again, it lists the new genre";
        for (int presses = 0; presses < 4 && (opened(menu) || opened(trackMenu)); ++presses) {
            QTest::keyClick(&kit.window, Qt::Key_Escape);
            settle();
        }
        ui->music()->setSelection({});
        settle();
    }
    expectNoWarnings();
}

// The search results are read again after every change of the database (a rescan, lyrics the
// background filler stored) and their rows built anew: a found track's menu still acts on it.
TEST_F(MusicViews, SearchResultMenuActsOnItsTrackWhenTheResultsAreReadAgain) {
    for (int i = 10; i < 40; ++i)
        library.folders.addFile(fmt::format("Song {}.mp3", i), {});
    start({}, true);
    auto& music = *app->music();
    ASSERT_EQ(music.tracks().size(), 30u);
    std::vector<std::string> played;
    music.playHandler = [&](const ZazidEvoz::Station& station) { played.push_back(station.url); };
    QQuickItem* browser = make("MusicBrowser { model: app; ui: uiState }");
    ASSERT_TRUE(browser);
    ui->music()->setSearch("song");
    QQuickItem* results = nullptr;
    const auto rowOf = [&](const std::string& path) -> QQuickItem* {
        results = find(browser, QStringLiteral("browserSearchResults"));
        for (int position = 0; results && position < 40; ++position)
            if (QQuickItem* row = find(results, QStringLiteral("searchTrack%1").arg(position)))
                if (row->property("path").toString() == QString::fromStdString(path))
                    return row;
        return nullptr;
    };
    const std::string song15 = (library.folders.library / "Song 15.mp3").string();
    ASSERT_TRUE(pumpUntil([&] { return rowOf(song15) != nullptr; }, 10s));
    QObject* search = results->property("search").value<QObject*>();
    const auto listed = [&](std::size_t count) {
        return search->property("trackCount").toUInt() == count && rowOf(song15) != nullptr;
    };
    QObject* menu = nullptr;
    for (QObject* child : results->findChildren<QObject*>())
        if (child->objectName() == QStringLiteral("searchTrackMenu"))
            menu = child;
    ASSERT_TRUE(menu);

    chooseWhileTheRowsChange(menu, rowOf(song15), "menuEditTags", listed);
    ASSERT_TRUE(ui->music()->editing().has_value()) << "the tag editor was asked for";
    EXPECT_EQ(ui->music()->editing()->path, song15);
    QObject* sheet = browser->property("tagEditor").value<QObject*>();
    ASSERT_TRUE(pumpUntil([&] { return sheet->property("visible").toBool(); }, 5s));
    ui->music()->setEditing(std::nullopt);
    ASSERT_TRUE(pumpUntil([&] { return !sheet->property("visible").toBool(); }, 5s));

    chooseWhileTheRowsChange(menu, rowOf(song15), "menuPlay", listed);
    ASSERT_EQ(played.size(), 1u);
    EXPECT_EQ(played.front(), ZazidEvoz::platform::fileURLFromPath(song15));

    // Read again, the results keep the place they were scrolled to.
    QQuickItem* view = find(results, QStringLiteral("searchList"));
    view->setProperty("contentY", 300);
    settle();
    const qreal scrolled = view->property("contentY").toReal();
    ASSERT_EQ(scrolled, 300);
    const auto before = music.tracks().size();
    library.folders.addFile("Song Zzz last.mp3", {});
    bool rescanned = false;
    music.rescan([&] { rescanned = true; });
    ASSERT_TRUE(pumpUntil(
        [&] { return rescanned && search->property("trackCount").toUInt() == before + 1; }, 20s));
    settle();
    EXPECT_EQ(view->property("contentY").toReal(), scrolled);
    expectNoWarnings();
}

TEST_F(MusicViews, EmptyListsSayWhetherTheLibraryIsEmpty) {
    start({});
    QQuickItem* empty = makeTrackList();
    ASSERT_TRUE(empty);
    QQuickItem* state = find(empty, QStringLiteral("trackListEmpty"));
    EXPECT_TRUE(state->isVisible());
    EXPECT_EQ(state->property("titleKey").toString(), QStringLiteral("music.empty"));
    QQuickItem* albums = make("AlbumGrid { model: app; ui: uiState }");
    EXPECT_TRUE(find(albums, QStringLiteral("albumsEmpty"))->isVisible());
    expectNoWarnings();
}

// Each grid shows as many columns as its rule fits into the width less the side padding, with
// the gaps between columns only: counted as the distinct places of the laid-out cells.
TEST_F(MusicViews, GridsShowEveryColumnTheirWidthHoldsRoomFor) {
    std::vector<ZazidEvoz::Track> tracks;
    for (int i = 0; i < 9; ++i)
        tracks.push_back(library.track(fmt::format("{}.mp3", i), fmt::format("Song {}", i),
                                       fmt::format("Artist {}", i % 4), fmt::format("Album {}", i),
                                       fmt::format("Genre {}", i % 4)));
    start(tracks);
    struct Case {
        const char* view;
        const char* cell;
        double width;
        int columns;
    };
    const Case cases[] = {
        // albums: tiles of 150 to 190, 22 apart
        {"AlbumGrid", "albumTile", 700, 3},
        {"AlbumGrid", "albumTile", 792, 4},
        {"AlbumGrid", "albumTile", 1400, 7},
        // genres: cards of at least 170, 12 apart
        {"GenreGrid", "genreCard", 399, 1},
        {"GenreGrid", "genreCard", 400, 2},
        {"GenreGrid", "genreCard", 600, 3},
        // artists: cards of at least 220, 10 apart
        {"ArtistList", "artistCard", 727, 2},
        {"ArtistList", "artistCard", 792, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(fmt::format("{} {}", c.view, c.width));
        QQuickItem* view = make(fmt::format("{} {{ model: app; ui: uiState }}", c.view).c_str());
        ASSERT_TRUE(view);
        view->setWidth(c.width);
        settle();
        std::set<long> places;
        double right = 0;
        for (int i = 0; i < 9; ++i)
            if (QQuickItem* cell = find(view, QString::fromLatin1(c.cell) + QString::number(i))) {
                const QPointF at = cell->mapToItem(view, QPointF(0, 0));
                places.insert(std::lround(at.x()));
                right = std::max(right, at.x() + cell->width());
            }
        EXPECT_EQ(static_cast<int>(places.size()), c.columns);
        EXPECT_LE(right, c.width - 24 + 0.5) << "the side padding stays clear";
    }
    expectNoWarnings();
}

TEST_F(MusicViews, BrowserTabsSearchPagesAndSelectionBar) {
    start({library.track("a.mp3", "Alpha", "Ann", "LP", "Jazz"),
           library.track("b.mp3", "Bravo", "Bo", "", "Soul")});
    QQuickItem* browser = make("MusicBrowser { model: app; ui: uiState }");
    ASSERT_TRUE(browser);
    MusicUI& state = *ui->music();
    QQuickItem* content = find(browser, QStringLiteral("browserContent"));
    EXPECT_EQ(content->property("showing").toString(), QStringLiteral("albums"));
    EXPECT_EQ(find(browser, QStringLiteral("browserTrackCount"))->property("text").toString(),
              QStringLiteral("2 tracks"));

    click(find(browser, QStringLiteral("tab_genres")));
    EXPECT_EQ(state.tab(), MusicUI::Tab::genres);
    EXPECT_EQ(content->property("showing").toString(), QStringLiteral("genres"));

    // Blanks are no search; text shows the results whatever the tab, and Return goes to tracks.
    state.setSearch("   ");
    settle();
    EXPECT_EQ(content->property("showing").toString(), QStringLiteral("genres"));
    QQuickItem* search = find(browser, QStringLiteral("browserSearch"));
    state.setSearch("alp");
    settle();
    EXPECT_EQ(content->property("showing").toString(), QStringLiteral("search"));
    find(search, QStringLiteral("fieldInput"))->forceActiveFocus();
    QTest::keyClick(&kit.window, Qt::Key_Return);
    settle();
    EXPECT_EQ(state.tab(), MusicUI::Tab::tracks);
    state.setSearch("");
    settle();
    EXPECT_EQ(content->property("showing").toString(), QStringLiteral("tracks"));

    // Ctrl-click a row: the selection bar comes; opening a page empties the selection.
    QQuickItem* row = find(browser, QStringLiteral("trackRow0"));
    ASSERT_TRUE(row);
    click(row, Qt::ControlModifier, {300, 10});
    QQuickItem* bar = find(browser, QStringLiteral("selectionBar"));
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(find(bar, QStringLiteral("selectionCount"))->property("text").toString(),
              QStringLiteral("1 selected"));
    state.open(MusicUI::Route::album("LP"));
    settle();
    EXPECT_TRUE(state.selection().empty());
    QQuickItem* page = find(browser, QStringLiteral("browserPage"));
    EXPECT_EQ(find(page, QStringLiteral("heroTitle"))->property("text").toString(), QStringLiteral("LP"));
    click(find(page, QStringLiteral("detailBack")));
    EXPECT_FALSE(state.route().has_value());
    expectNoWarnings();
}

// The lyrics views live in the browser: the search shows lyric hits next to tracks, the
// header's status button opens its popover, and a row's lyrics item opens the lyrics sheet,
// which clears the request when it closes.
TEST_F(MusicViews, BrowserHostsSearchResultsStatusAndLyricsSheet) {
    start({library.track("a.mp3", "Alpha", "Ann", "LP", "Jazz"), library.track("b.mp3", "Bravo", "Bo")},
          true);
    ASSERT_EQ(app->music()->tracks().size(), 2u);
    ZazidEvoz::SongLyrics words;
    words.plain = "walking through the alpine snow";
    app->music()->database()->saveLyrics("Bo", "Bravo", words, "test");
    QQuickItem* browser = make("MusicBrowser { model: app; ui: uiState }");
    ASSERT_TRUE(browser);
    MusicUI& state = *ui->music();

    state.setSearch("alp");
    QQuickItem* results = nullptr;
    ASSERT_TRUE(pumpUntil(
        [&] {
            results = find(browser, QStringLiteral("browserSearchResults"));
            return results && find(results, QStringLiteral("searchTrack0")) &&
                   find(results, QStringLiteral("searchHit0"));
        },
        5s));
    EXPECT_EQ(find(find(results, QStringLiteral("searchHit0")), QStringLiteral("hitTitle"))
                  ->property("text")
                  .toString(),
              QStringLiteral("Bravo"));
    state.setSearch("");
    settle();

    QQuickItem* status = find(browser, QStringLiteral("browserStatus"));
    ASSERT_TRUE(status);
    EXPECT_TRUE(status->isVisible());
    click(status);
    EXPECT_TRUE(status->property("open").toBool());
    ASSERT_TRUE(find(kit.window.contentItem(), QStringLiteral("statusSync")));
    status->setProperty("open", false);
    settle();

    click(find(browser, QStringLiteral("tab_tracks")));
    QQuickItem* row = find(browser, QStringLiteral("trackRow1"));
    ASSERT_TRUE(row);
    QObject* sheet = browser->property("lyricsSheet").value<QObject*>();
    ASSERT_TRUE(sheet);
    QTest::mouseClick(&kit.window, Qt::RightButton, {}, row->mapToScene({300, 10}).toPoint());
    settle();
    QQuickItem* lyricsItem = nullptr;
    ASSERT_TRUE(pumpUntil(
        [&] { return (lyricsItem = find(kit.window.contentItem(), QStringLiteral("menuLyrics"))); }, 5s));
    click(lyricsItem);
    ASSERT_TRUE(pumpUntil([&] { return sheet->property("opened").toBool(); }, 5s));
    ASSERT_TRUE(state.lyricsRequest().has_value());
    EXPECT_EQ(state.lyricsRequest()->title, "Bravo");
    QQuickItem* text = nullptr;
    ASSERT_TRUE(pumpUntil(
        [&] {
            text = find(kit.window.contentItem(), QStringLiteral("sheetText"));
            return text && text->property("text").toString().contains(QStringLiteral("alpine"));
        },
        5s));
    QTest::keyClick(&kit.window, Qt::Key_Escape);
    ASSERT_TRUE(pumpUntil([&] { return !state.lyricsRequest().has_value(); }, 5s))
        << "Escape clears the request";
    expectNoWarnings();
}

// Typed on a keyboard without Turkish letters, a Turkish title is found as a German one is.
TEST_F(MusicViews, SearchFieldFindsTurkishTitlesTypedWithoutTheirLetters) {
    start({library.track("a.mp3", "Günaydın", "Barış"), library.track("b.mp3", "Lied", "Müller"),
           library.track("c.mp3", "Other")},
          true);
    QQuickItem* browser = make("MusicBrowser { model: app; ui: uiState }");
    ASSERT_TRUE(browser);
    QQuickItem* field = find(find(browser, QStringLiteral("browserSearch")), QStringLiteral("fieldInput"));
    ASSERT_TRUE(field);
    const auto onlyHit = [&](const char* typed, const QString& title) {
        SCOPED_TRACE(typed);
        click(field);
        QTest::keyClick(&kit.window, Qt::Key_A, Qt::ControlModifier);
        typeText(QString::fromLatin1(typed));
        QQuickItem* results = nullptr;
        EXPECT_TRUE(pumpUntil(
            [&] {
                results = find(browser, QStringLiteral("browserSearchResults"));
                QQuickItem* first = results ? find(results, QStringLiteral("searchTrack0")) : nullptr;
                return first && first->property("title").toString() == title &&
                       !find(results, QStringLiteral("searchTrack1"));
            },
            5s));
    };
    onlyHit("mu", QStringLiteral("Lied"));
    onlyHit("gunaydin", QStringLiteral("Günaydın"));
    onlyHit("baris", QStringLiteral("Günaydın"));
    expectNoWarnings();
}

// The genre the file's tags hold, as ffprobe reads them (Ogg keeps it on the audio stream).
static std::string probedGenre(const std::string& file) {
    ZazidEvoz::platform::ProcessOptions probe({"/usr/bin/ffprobe", "-loglevel", "error", "-show_entries",
                                               "format_tags=genre:stream_tags=genre", "-of",
                                               "default=noprint_wrappers=1:nokey=1", file});
    const auto result = ZazidEvoz::platform::runProcess(probe);
    return ZazidEvoz::text::trimmedWhitespace(result.output.substr(0, result.output.find('\n')));
}

// Ogg, Opus, ADTS and WAV files hold no picture: the tag editor says so before a cover is picked,
// refuses one dropped on it, and what was typed is saved.
TEST_F(MusicViews, TagEditorOffersNoCoverForFilesThatHoldNoneAndSavesTheTyping) {
    const char* formats[] = {"ogg", "opus", "aac", "wav"};
    for (const char* format : formats)
        library.folders.addFile(fmt::format("tone.{}", format), {{"title", "Tone"}});
    start({});
    auto& music = *app->music();
    ASSERT_EQ(music.tracks().size(), 4u);
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    const auto png = library.folders.root / "cover.png";
    ASSERT_TRUE(picture.save(QString::fromStdString(png.string())));
    QQuickItem* browser = make("MusicBrowser { model: app; ui: uiState }");
    ASSERT_TRUE(browser);
    QQuickItem* overlay = kit.window.contentItem();

    for (const char* format : formats) {
        SCOPED_TRACE(format);
        const std::string path = (library.folders.library / fmt::format("tone.{}", format)).string();
        const auto stored = [&] {
            for (const auto& track : music.tracks())
                if (track.path == path)
                    return track;
            return ZazidEvoz::Track{};
        };
        ui->music()->setEditing(stored());
        QQuickItem* choose = nullptr;
        ASSERT_TRUE(pumpUntil([&] { return (choose = find(overlay, QStringLiteral("tagChooseCover"))) && choose->isVisible(); }, 5s));
        EXPECT_FALSE(choose->isEnabled());
        EXPECT_FALSE(find(overlay, QStringLiteral("tagFetchCover"))->isEnabled());
        QQuickItem* reason = find(overlay, QStringLiteral("tagCoverRefusal"));
        ASSERT_TRUE(reason);
        EXPECT_TRUE(reason->isVisible());
        EXPECT_EQ(reason->property("text").toString(),
                  QStringLiteral("A .%1 file cannot hold a cover picture.").arg(QLatin1String(format)));

        QQuickItem* drop = find(overlay, QStringLiteral("tagCoverDrop"));
        QMimeData files;
        files.setUrls({QUrl::fromLocalFile(QString::fromStdString(png.string()))});
        EXPECT_FALSE(dragAndDrop(&kit.window, &files, drop->mapToScene({75, 75}).toPoint()));

        click(find(find(overlay, QStringLiteral("tagGenre")), QStringLiteral("fieldInput")));
        typeText(QStringLiteral("Chillout"));
        click(find(overlay, QStringLiteral("tagSave")));
        EXPECT_FALSE(ui->music()->editing().has_value()) << "saved, the sheet closes";
        ASSERT_TRUE(pumpUntil([&] { return music.busyTracks().empty(); }, 30s));
        EXPECT_EQ(probedGenre(path), "Chillout") << "the genre is in the file";
        if (std::string_view(format) != "aac") { // the library reads no tags of ADTS files
            EXPECT_EQ(stored().genre, "Chillout");
        }
    }
    expectNoWarnings();
}

// A rule switched to another kind starts from that kind's default, and a number the rule cannot
// take is shown refused and holds Save back, instead of being rounded away.
TEST_F(MusicViews, SmartEditorRulesStartAfreshAndRefuseNumbersTheyCannotTake) {
    start({library.track("a.mp3", "Alpha")});
    QQuickItem* browser = make("MusicBrowser { model: app; ui: uiState }");
    ASSERT_TRUE(browser);
    QQuickItem* overlay = kit.window.contentItem();
    ui->music()->startNewSmartPlaylist();
    QQuickItem* rule = nullptr;
    ASSERT_TRUE(pumpUntil([&] { return (rule = find(overlay, QStringLiteral("ruleRow0"))) && rule->isVisible(); }, 5s));
    const auto kinds = SmartEditorForm::kinds();
    const auto pickKind = [&](const char* kind) {
        click(find(rule, QStringLiteral("ruleKind")));
        QQuickItem* option = nullptr;
        const QString name = QStringLiteral("pickerOption%1").arg(kinds.indexOf(QLatin1String(kind)));
        ASSERT_TRUE(pumpUntil([&] { return (option = find(overlay, name)) && option->isVisible(); }, 5s)) << kind;
        QPointer<QQuickItem> chosen(option);
        click(option);
        ASSERT_TRUE(pumpUntil([&] { return !chosen || !chosen->isVisible(); }, 5s));
    };
    const auto type = [&](const char* field, const char* text) {
        QQuickItem* input = find(find(rule, QString::fromLatin1(field)), QStringLiteral("numberInput"));
        ASSERT_TRUE(input);
        click(input);
        QTest::keyClick(&kit.window, Qt::Key_A, Qt::ControlModifier);
        typeText(QString::fromLatin1(text));
        settle();
    };
    const auto shown = [&](const char* field) {
        return find(find(rule, QString::fromLatin1(field)), QStringLiteral("numberInput"))->property("text").toString();
    };

    pickKind("yearBetween");
    type("ruleNumber", "1970");
    type("ruleSecond", "1973");
    pickKind("ratingAtLeast");
    EXPECT_EQ(shown("ruleNumber"), QStringLiteral("1")) << "no 1970 stars";

    pickKind("longerThan");
    type("ruleNumber", "0.25");
    QQuickItem* save = find(overlay, QStringLiteral("smartSave"));
    QQuickItem* problem = find(rule, QStringLiteral("ruleProblem"));
    EXPECT_TRUE(problem->isVisible());
    EXPECT_EQ(problem->property("text").toString(), QStringLiteral("Whole numbers only"));
    EXPECT_TRUE(find(rule, QStringLiteral("ruleNumber"))->property("refused").toBool());
    EXPECT_FALSE(save->isEnabled());
    const auto stored = app->music()->smartPlaylists().size();
    click(save);
    EXPECT_TRUE(ui->music()->smartDraft().has_value()) << "the sheet stays for the value to be mended";
    click(find(overlay, QStringLiteral("smartName")));
    EXPECT_EQ(shown("ruleNumber"), QStringLiteral("0.25")) << "what was typed stays in the field";

    type("ruleNumber", "2");
    EXPECT_FALSE(problem->isVisible());
    ASSERT_TRUE(save->isEnabled());
    click(save);
    ASSERT_EQ(app->music()->smartPlaylists().size(), stored + 1);
    EXPECT_EQ(app->music()->smartPlaylists().back().rules,
              std::vector<ZazidEvoz::SmartRule>{ZazidEvoz::SmartRule::longerThan(120)});
    expectNoWarnings();
}

// A playlist goes with one click on its page's red icon or its card's Remove, without a question;
// the toast that says so puts it back, where it was and as it was, from its Undo button.
TEST_F(MusicViews, DeletedPlaylistsComeBackFromTheToastsUndo) {
    start({library.track("a.mp3", "Alpha", "Ann", "LP", "Jazz"), library.track("b.mp3", "Bravo")});
    auto& music = *app->music();
    music.createPlaylist("First", std::vector<ZazidEvoz::Station>{});
    const auto road = music.createPlaylist("Road Trip", {music.tracks()[0].asStation(), music.tracks()[1].asStation()});
    music.createPlaylist("Last", std::vector<ZazidEvoz::Station>{});
    const auto playlistsBefore = music.playlists();
    const auto smartBefore = music.smartPlaylists();
    QQuickItem* root = make(R"(
        Item {
            MusicBrowser { anchors.fill: parent; model: app; ui: uiState }
            ToastHost { objectName: "toasts"; anchors.horizontalCenter: parent.horizontalCenter; y: 20; model: app }
        })");
    ASSERT_TRUE(root);
    // The toast on screen, not one still fading out after its undo.
    QQuickItem* host = find(root, QStringLiteral("toasts"));
    const auto undoFromToast = [&](const QString& text) {
        QQuickItem* shown = nullptr;
        ASSERT_TRUE(pumpUntil([&] { return (shown = host->property("shown").value<QQuickItem*>()) != nullptr; }, 5s));
        QQuickItem* message = find(shown, QStringLiteral("toastText"));
        ASSERT_TRUE(message);
        EXPECT_EQ(message->property("text").toString(), text);
        QQuickItem* undo = find(shown, QStringLiteral("toastAction"));
        ASSERT_TRUE(undo && undo->isVisible());
        EXPECT_EQ(undo->property("title").toString(), QStringLiteral("Undo"));
        click(undo);
        EXPECT_FALSE(app->toast().has_value()) << "the toast goes with its button";
    };

    ui->music()->open(MusicUI::Route::playlist(road.id));
    settle();
    click(find(root, QStringLiteral("detailDelete")));
    EXPECT_FALSE(ui->music()->route().has_value()) << "the page closes";
    ASSERT_EQ(music.playlists().size(), 2u) << "at once, without a question";
    undoFromToast(QStringLiteral("\u201CRoad Trip\u201D deleted"));
    EXPECT_EQ(music.playlists(), playlistsBefore);
    EXPECT_EQ(library.folders.store().load().playlists, playlistsBefore) << "and stored again";

    // A built-in smart playlist, from its card's menu on the playlists tab.
    click(find(root, QStringLiteral("tab_playlists")));
    QQuickItem* card = nullptr;
    ASSERT_TRUE(pumpUntil([&] { return (card = find(root, QStringLiteral("smartCard1"))) != nullptr; }, 5s));
    QTest::mouseClick(&kit.window, Qt::RightButton, {}, card->mapToScene({40, 20}).toPoint());
    QQuickItem* remove = nullptr;
    ASSERT_TRUE(pumpUntil([&] { return (remove = find(kit.window.contentItem(), QStringLiteral("smartRemove"))) && remove->isVisible(); }, 5s));
    click(remove);
    ASSERT_EQ(music.smartPlaylists().size(), smartBefore.size() - 1);
    undoFromToast(QStringLiteral("\u201CMost Played\u201D deleted"));
    EXPECT_EQ(music.smartPlaylists(), smartBefore);
    expectNoWarnings();
}

TEST_F(MusicViews, SheetsClearTheirRequestHoweverTheyClose) {
    start({library.track("a.mp3", "Alpha", "Ann", "LP", "Jazz")});
    QQuickItem* browser = make("MusicBrowser { model: app; ui: uiState }");
    ASSERT_TRUE(browser);
    MusicUI& state = *ui->music();
    QObject* tagSheet = browser->property("tagEditor").value<QObject*>();
    QObject* smartSheet = browser->property("smartEditor").value<QObject*>();
    ASSERT_TRUE(tagSheet && smartSheet);

    state.setEditing(app->music()->tracks().front());
    settle();
    EXPECT_TRUE(tagSheet->property("visible").toBool());
    QTest::keyClick(&kit.window, Qt::Key_Escape);
    ASSERT_TRUE(pumpUntil([&] { return !state.editing().has_value(); }, 5s)) << "Escape dismisses";
    state.setEditing(app->music()->tracks().front());
    ASSERT_TRUE(pumpUntil([&] { return tagSheet->property("visible").toBool(); }, 5s))
        << "and it opens again";
    QMetaObject::invokeMethod(tagSheet, "close");
    ASSERT_TRUE(pumpUntil([&] { return !state.editing().has_value(); }, 5s));

    state.startNewSmartPlaylist();
    ASSERT_TRUE(pumpUntil([&] { return smartSheet->property("visible").toBool(); }, 5s));
    const auto stored = app->music()->smartPlaylists().size();
    QTest::keyClick(&kit.window, Qt::Key_Escape);
    ASSERT_TRUE(pumpUntil([&] { return !state.smartDraft().has_value(); }, 5s));
    EXPECT_EQ(app->music()->smartPlaylists().size(), stored) << "a cancelled new playlist adds nothing";
    expectNoWarnings();
}

TEST_F(MusicViews, QueuePanelButtonsAndShortcuts) {
    start({library.track("a.mp3", "Alpha"), library.track("b.mp3", "Bravo")});
    auto& music = *app->music();
    music.playHandler = [](const ZazidEvoz::Station&) {};
    ZazidEvoz::Station radio;
    radio.url = "http://radio.example/live";
    radio.name = "Radio";
    // An imported entry whose picture names an endless device: the row shows its placeholder.
    auto hostile = music.tracks()[1].asStation();
    hostile.thumbnailURL = "file:///dev/zero";
    music.playNow({music.tracks()[0].asStation(), radio, hostile}, 1);
    QQuickItem* panel = make("QueuePanel { model: app; ui: uiState }");
    ASSERT_TRUE(panel);
    EXPECT_EQ(panel->property("detail").toString(), QStringLiteral("1 entry"));
    EXPECT_EQ(find(find(panel, QStringLiteral("queueRow1")), QStringLiteral("queueLength"))
                  ->property("text")
                  .toString(),
              QStringLiteral("Live"));
    EXPECT_DOUBLE_EQ(find(panel, QStringLiteral("queueRow0"))->opacity(), 0.45)
        << "played entries are dimmed";

    QQuickItem* repeat = find(panel, QStringLiteral("queueRepeat"));
    click(repeat);
    click(repeat);
    EXPECT_EQ(music.repeatMode(), MusicModel::RepeatMode::one);
    EXPECT_EQ(repeat->property("symbol").toString(), QStringLiteral("repeat.1"));
    click(find(panel, QStringLiteral("queueShuffle")));
    EXPECT_TRUE(music.shuffle());

    // The row's remove button takes only that entry (the row's own click does not also jump).
    QQuickItem* last = find(panel, QStringLiteral("queueRow2"));
    QTest::mouseMove(&kit.window, last->mapToScene({100, 20}).toPoint());
    settle();
    click(find(last, QStringLiteral("queueRemove")));
    EXPECT_EQ(music.queue().size(), 2u);
    EXPECT_EQ(music.queueIndex(), 1);

    EXPECT_TRUE(find(panel, QStringLiteral("smartShortcut0")));
    click(find(panel, QStringLiteral("queueNewSmartPlaylist")));
    EXPECT_TRUE(ui->music()->smartDraftIsNew());
    EXPECT_TRUE(ui->music()->smartDraft().has_value());
    click(find(panel, QStringLiteral("queueClear")));
    EXPECT_TRUE(music.queue().empty());
    EXPECT_TRUE(find(panel, QStringLiteral("queueEmpty"))->isVisible());
    expectNoWarnings();
}

TEST_F(MusicViews, PanelsTakeTheProcessModelsWhenTheHostHandsNone) {
    // The side panel creates its module's panel without properties: the panel then looks for the
    // process's singletons by name, and a name the module does not hold leaves it empty, silently.
    QQuickItem* probe = make(R"(
        Item {
            property QtObject known: typeof Covers !== "undefined" ? Covers : null
            property QtObject unknown: typeof NoSuchSingleton !== "undefined" ? NoSuchSingleton : null
        })");
    ASSERT_TRUE(probe);
    EXPECT_NE(probe->property("known").value<QObject*>(), nullptr);
    EXPECT_EQ(probe->property("unknown").value<QObject*>(), nullptr);
    QQuickItem* panel = make("QueuePanel {}");
    ASSERT_TRUE(panel);
    expectNoWarnings();
}
