// The deck and the station panels loaded offscreen over the process's real application model:
// what they show for the model's state, what their controls do to it, the database reads they
// make, and the scripted run's hooks. A local station directory answers the searches.
#include "DeckKit.hpp"
#include "PanelViewKit.hpp"
#include "ZazidEvoz/music/MusicDatabase.hpp"
#include "deck/DeckQueries.hpp"
#include "deck/LevelMeters.hpp"
#include "deck/StationActions.hpp"
#include "kit/ShownText.hpp"
#include "state/AppRuntime.hpp"
#include "state/QtValues.hpp"
#include "support/Sandbox.hpp"

#include <QSettings>
#include <QTest>
#include <fstream>
#include <gtest/gtest.h>

using namespace ZintraRadio;
using namespace ZintraRadio::testkit;
using namespace std::chrono_literals;
using ZazidEvoz::Station;

namespace {

// The scripted run's hooks, set before anything reads the environment's snapshot.
const bool hooksSet = [] {
    ::setenv("ZINTRARADIO_HISTORY", "songs", 1);
    ::setenv("ZINTRARADIO_SEARCH", " jazz ", 1);
    return true;
}();

struct Process {
    StationDirectory directory;
    AppSetup setup;
    QString settingsFile = *setup.options().settingsFile;

    Process() {
        AppRuntime::Options options = viewTestOptions(setup);
        options.model.directoryMirrors = std::vector<std::string>{directory.base()};
        AppRuntime::configure(std::move(options));
    }
};

class DeckViews : public PanelViewTest<Process> {
protected:
    // The library holds exactly these stations, with no favourites and no history.
    void useLibrary(const std::vector<Station>& stations) {
        for (const std::string& url : std::vector<std::string>(model.library().favoriteURLs))
            model.toggleFavorite(deckStation("", url));
        for (const Station& station : std::vector<Station>(model.library().stations))
            model.removeFromLibrary(station);
        model.clearHistory();
        model.importStations(stations);
        ui.setStationGrid(false);
    }

    // Rows that leave a list go on a later turn of the event loop.
    bool gone(QQuickItem* root, const std::string& name) {
        return pumpUntil([&] { return find(root, name) == nullptr; }, 2s);
    }

    static void click(QQuickItem* item, Qt::MouseButton button = Qt::LeftButton) {
        ASSERT_NE(item, nullptr);
        const QPointF centre = item->mapToScene(QPointF(item->width() / 2, item->height() / 2));
        QTest::mouseClick(item->window(), button, {}, centre.toPoint());
    }

    void type(QQuickItem* field, const QString& text) {
        ASSERT_NE(field, nullptr);
        field->setProperty("text", text);
        pumpFor(20ms);
    }

    // Lets the directory's quiet period pass and waits for its answer.
    void settleDirectory() {
        process.setup.scheduler->advance(AppModel::directorySearchDelay);
        ASSERT_TRUE(pumpUntil([&] { return !model.directoryLoading(); }, 10s));
        pumpFor(30ms);
    }

    std::vector<std::string> libraryNames() const {
        std::vector<std::string> names;
        for (const auto& station : model.library().stations)
            names.push_back(station.name);
        return names;
    }
};

const Station jazz = deckStation("Jazz FM", "http://127.0.0.1:9/jazz", "Jazz, swing", "Austria");
const Station rock = deckStation("Radio Rock", "http://127.0.0.1:9/rock", "ROCK", "Germany");
const Station hostile = deckStation("<b>Bold</b> & <img src=x>", "http://127.0.0.1:9/hostile", "<i>x</i>");

} // namespace

TEST_F(DeckViews, TheStationListFiltersTheLibraryAndSearchesTheDirectory) {
    useLibrary({jazz, rock, hostile});
    process.directory.answer("name=rock", {{"Rock Hit", "http://127.0.0.1:9/rock-hit"},
                                           {"Radio Rock again", rock.url},
                                           {"<i>Markup</i> Hit", "http://127.0.0.1:9/markup-hit"}});
    QQuickItem* panel = load("StationsPanel");
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(find(panel, "panelDetail")->property("text").toString(), QStringLiteral("3 stations"));
    EXPECT_TRUE(find(panel, "stationsList")->isVisible());
    EXPECT_EQ(visibleNamed(panel, "stationRow_").size(), 3);

    // Names from anywhere are shown as their characters, never as markup.
    QQuickItem* hostileRow = find(panel, "stationRow_" + hostile.url);
    ASSERT_NE(hostileRow, nullptr);
    QQuickItem* name = QmlKit::child(hostileRow, "rowName");
    EXPECT_EQ(name->property("text").toString(), QString::fromStdString(hostile.name));
    EXPECT_EQ(name->property("textFormat").toInt(), Qt::PlainText);

    QQuickItem* filter = find(panel, "stationsFilter");
    type(filter, "rock");
    EXPECT_TRUE(model.directoryLoading());
    EXPECT_TRUE(find(panel, "stationsSearch")->isVisible());
    EXPECT_FALSE(find(panel, "stationsList")->isVisible());
    EXPECT_NE(find(panel, "stationRow_" + rock.url), nullptr);
    EXPECT_NE(find(panel, "directoryHeader"), nullptr);
    EXPECT_NE(find(panel, "searchNote_state.loading"), nullptr);
    // The count is the whole library's.
    EXPECT_EQ(find(panel, "panelDetail")->property("text").toString(), QStringLiteral("3 stations"));

    settleDirectory();
    EXPECT_TRUE(gone(panel, "searchNote_state.loading"));
    EXPECT_NE(find(panel, "directoryRow_http://127.0.0.1:9/rock-hit"), nullptr);
    // A hit the library holds is listed among the library's matches only.
    EXPECT_EQ(find(panel, "directoryRow_" + rock.url), nullptr);
    QQuickItem* markup = find(panel, "directoryRow_http://127.0.0.1:9/markup-hit");
    ASSERT_NE(markup, nullptr);
    EXPECT_EQ(QmlKit::child(markup, "rowName")->property("text").toString(),
              QStringLiteral("<i>Markup</i> Hit"));
    EXPECT_EQ(QmlKit::child(markup, "rowName")->property("textFormat").toInt(), Qt::PlainText);
    EXPECT_EQ(markupTexts(panel), "");

    // An imported hit leaves the directory's part and matches as a library station.
    model.importStations(std::vector<Station>{deckStation("Rock Hit", "http://127.0.0.1:9/rock-hit")});
    EXPECT_TRUE(gone(panel, "directoryRow_http://127.0.0.1:9/rock-hit"));
    EXPECT_NE(find(panel, "stationRow_http://127.0.0.1:9/rock-hit"), nullptr);

    // One letter narrows the library at once but searches no directory.
    type(filter, "j");
    EXPECT_FALSE(model.directoryLoading());
    EXPECT_NE(find(panel, "stationRow_" + jazz.url), nullptr);
    EXPECT_TRUE(gone(panel, "stationRow_" + rock.url));
    EXPECT_NE(find(panel, "searchNote_state.noMatches"), nullptr);

    // Nothing matches: the note comes first, the directory part follows.
    type(filter, "zzzz");
    settleDirectory();
    EXPECT_EQ(visibleNamed(panel, "searchNote_state.noMatches").size(), 2);
    EXPECT_NE(find(panel, "directoryHeader"), nullptr);

    // A failed search says so while no hits are left.
    process.directory.fail(true);
    type(filter, "rocks");
    settleDirectory();
    EXPECT_NE(find(panel, "searchNote_discover.error"), nullptr);
    process.directory.fail(false);

    // Blanks show the whole library as the list again.
    type(filter, "   ");
    EXPECT_TRUE(find(panel, "stationsList")->isVisible());
    EXPECT_FALSE(model.directoryLoading());
    EXPECT_TRUE(model.directoryHits().empty());
}

TEST_F(DeckViews, RowsReorderByDraggingOnlyInsideTheListAndWithAnEmptyFilter) {
    useLibrary({jazz, rock, hostile});
    QQuickItem* panel = load("StationsPanel");
    ASSERT_NE(panel, nullptr);
    QQuickItem* list = find(panel, "stationsList");
    ASSERT_NE(list, nullptr);
    auto drag = [&](const Station& station, double dy, double dx = 0) {
        QQuickItem* row = find(panel, "stationRow_" + station.url);
        ASSERT_NE(row, nullptr);
        QPointF point = row->mapToScene(QPointF(row->width() / 2, row->height() / 2));
        QTest::mousePress(&kit.window, Qt::LeftButton, {}, point.toPoint());
        for (int step = 1; step <= 10; ++step) {
            QTest::mouseMove(&kit.window, (point + QPointF(dx * step / 10, dy * step / 10)).toPoint(), 10);
        }
        QTest::mouseRelease(&kit.window, Qt::LeftButton, {}, (point + QPointF(dx, dy)).toPoint(), 10);
        pumpFor(50ms);
    };
    const double stride = list->property("stride").toDouble();

    // Jazz FM goes below Radio Rock.
    drag(jazz, stride * 1.1);
    EXPECT_EQ(libraryNames(), (std::vector<std::string>{rock.name, jazz.name, hostile.name}));

    // Dropped outside the list: nothing moves.
    drag(jazz, stride * 1.1, -kit.window.width());
    EXPECT_EQ(libraryNames(), (std::vector<std::string>{rock.name, jazz.name, hostile.name}));

    // A filter of blanks shows the list, but rows keep their order.
    type(find(panel, "stationsFilter"), "  ");
    drag(rock, stride * 2.1);
    EXPECT_EQ(libraryNames(), (std::vector<std::string>{rock.name, jazz.name, hostile.name}));

    // A drop that names a row the list no longer shows does nothing.
    EXPECT_FALSE(
        StationActions::create(nullptr, nullptr)->dropStation(&model, "", 0, qtText(jazz.url), 3, true));
    EXPECT_TRUE(
        StationActions::create(nullptr, nullptr)->dropStation(&model, "", 0, qtText(rock.url), 3, true));
    EXPECT_EQ(libraryNames(), (std::vector<std::string>{jazz.name, hostile.name, rock.name}));
}

TEST_F(DeckViews, TheGridShowsTilesAndTheChoiceIsKept) {
    useLibrary({jazz, rock, hostile});
    model.toggleFavorite(rock);
    QQuickItem* panel = load("StationsPanel");
    ASSERT_NE(panel, nullptr);
    click(find(panel, "stationsGridToggle"));
    pumpFor(400ms); // the cross-fade
    EXPECT_TRUE(ui.stationGrid());
    EXPECT_TRUE(QSettings(process.settingsFile, QSettings::IniFormat).value("stationGrid").toBool());
    EXPECT_TRUE(find(panel, "stationsGrid")->isVisible());
    QQuickItem* tile = find(panel, "stationTile_" + rock.url);
    ASSERT_NE(tile, nullptr);
    EXPECT_TRUE(QmlKit::child(tile, "tileFavorite")->isVisible());
    EXPECT_FALSE(QmlKit::child(find(panel, "stationTile_" + jazz.url), "tileFavorite")->isVisible());
    EXPECT_EQ(QmlKit::child(tile, "tileName")->property("text").toString(), QStringLiteral("Radio Rock"));
    EXPECT_FALSE(find(panel, "stationsList")->isVisible());
    // A name that looks like markup is drawn as its characters.
    EXPECT_EQ(
        QmlKit::child(find(panel, "stationTile_" + hostile.url), "tileName")->property("text").toString(),
        QString::fromStdString(hostile.name));
    EXPECT_EQ(markupTexts(panel), "");
    // A one-line name still takes two lines' height.
    const double lines = QmlKit::child(tile, "tileName")->height();
    EXPECT_GT(lines,
              QFontMetricsF(QmlKit::child(tile, "tileName")->property("font").value<QFont>()).height() * 1.5);

    // Hovering a tile that is not current offers play.
    QTest::mouseMove(&kit.window, tile->mapToScene(QPointF(tile->width() / 2, 30)).toPoint());
    pumpFor(50ms);
    EXPECT_TRUE(QmlKit::child(tile, "tileOverlay")->isVisible());
    EXPECT_EQ(QmlKit::child(tile, "tileGlyph")->property("symbol").toString(), QStringLiteral("play.fill"));

    // Back to the list.
    click(find(panel, "stationsGridToggle"));
    pumpFor(400ms);
    EXPECT_FALSE(find(panel, "stationsGrid")->isVisible());
    EXPECT_FALSE(ui.stationGrid());
    EXPECT_FALSE(QSettings(process.settingsFile, QSettings::IniFormat).value("stationGrid").toBool());
}

TEST_F(DeckViews, TheAddFormNeedsALinkAndTheRenameIsTrimmed) {
    useLibrary({jazz});
    QQuickItem* panel = load("StationsPanel");
    ASSERT_NE(panel, nullptr);
    click(find(panel, "stationsAdd"));
    ASSERT_TRUE(pumpUntil([&] { return find(panel, "addForm") != nullptr; }, 2s));
    QQuickItem* form = find(panel, "addForm");
    EXPECT_DOUBLE_EQ(find(form, "addConfirm")->opacity(), 0.4);

    // Return with a blank link adds nothing and keeps the form open.
    type(find(form, "addLink"), "   ");
    type(find(form, "addName"), "My Station");
    pressReturn(find(form, "addName"));
    EXPECT_TRUE(panel->property("adding").toBool());
    EXPECT_EQ(model.library().stations.size(), 1u);
    EXPECT_DOUBLE_EQ(find(form, "addConfirm")->opacity(), 0.4);

    // With a link, Return in the genre field adds the station and closes the form.
    type(find(form, "addLink"), " http://127.0.0.1:9/mine ");
    EXPECT_DOUBLE_EQ(find(form, "addConfirm")->opacity(), 1);
    type(find(form, "addGenre"), "ambient");
    pressReturn(find(form, "addGenre"));
    EXPECT_FALSE(panel->property("adding").toBool());
    ASSERT_EQ(model.library().stations.size(), 2u);
    EXPECT_EQ(model.library().stations[1].name, "My Station");
    EXPECT_EQ(model.library().stations[1].url, "http://127.0.0.1:9/mine");
    EXPECT_EQ(model.library().stations[1].genre, "ambient");
    // A new popover starts empty.
    click(find(panel, "stationsAdd"));
    ASSERT_TRUE(pumpUntil([&] { return find(panel, "addForm") != nullptr; }, 2s));
    EXPECT_EQ(find(find(panel, "addForm"), "addName")->property("text").toString(), QString());
    panel->setProperty("adding", false);

    // The rename field starts with the name; the saved name loses its blanks.
    QObject* renameDialog = panel->findChild<QObject*>("renameDialog");
    ASSERT_NE(renameDialog, nullptr);
    QMetaObject::invokeMethod(renameDialog, "openFor", Q_ARG(QVariant, QVariant(stationMap(jazz))));
    pumpFor(30ms);
    QObject* field = renameDialog->findChild<QObject*>("renameField");
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->property("text").toString(), QStringLiteral("Jazz FM"));
    field->setProperty("text", QStringLiteral("  Jazz Nights \t"));
    click(qobject_cast<QQuickItem*>(renameDialog->findChild<QObject*>("renameSave")));
    EXPECT_EQ(model.library().stations[0].name, "Jazz Nights");
    // A blank name keeps the old one.
    QMetaObject::invokeMethod(renameDialog, "openFor",
                              Q_ARG(QVariant, QVariant(stationMap(model.library().stations[0]))));
    field->setProperty("text", QStringLiteral("   "));
    click(qobject_cast<QQuickItem*>(renameDialog->findChild<QObject*>("renameSave")));
    EXPECT_EQ(model.library().stations[0].name, "Jazz Nights");
}

TEST_F(DeckViews, ChosenFilesImportInOrderAndTheExportGetsItsExtension) {
    useLibrary({jazz});
    const auto folder = ZazidEvoz::testkit::makeTemporaryFolder("lists");
    QList<QUrl> files;
    for (const char* name : {"one", "two", "three"}) {
        const auto file = folder / (std::string(name) + ".m3u");
        std::ofstream(file) << "#EXTM3U\n#EXTINF:-1," << name << "\nhttp://127.0.0.1:9/" << name << "\n";
        files.append(QUrl::fromLocalFile(QString::fromStdString(file.string())));
    }
    files.append(QUrl::fromLocalFile(QString::fromStdString((folder / "missing.m3u").string())));
    StationActions::create(nullptr, nullptr)->importFiles(&model, files);
    EXPECT_EQ(libraryNames(), (std::vector<std::string>{"Jazz FM", "one", "two", "three"}));
    ASSERT_TRUE(model.toast()); // each file says how it went; the missing one last
    EXPECT_EQ(model.toast()->style, Toast::Style::error);

    StationActions::create(nullptr, nullptr)
        ->exportTo(&model, QUrl::fromLocalFile(QString::fromStdString((folder / "mine").string())));
    ASSERT_TRUE(std::filesystem::exists(folder / "mine.m3u"));
    EXPECT_FALSE(std::filesystem::exists(folder / "mine"));
    std::ifstream written(folder / "mine.m3u");
    const std::string text((std::istreambuf_iterator<char>(written)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("http://127.0.0.1:9/three"), std::string::npos);
    StationActions::create(nullptr, nullptr)
        ->exportTo(&model, QUrl::fromLocalFile(QString::fromStdString((folder / "list.txt").string())));
    EXPECT_TRUE(std::filesystem::exists(folder / "list.txt"));
}

TEST_F(DeckViews, TheStationMenusOfferWhatTheirListAllows) {
    useLibrary({jazz});
    model.toggleFavorite(jazz);
    QQuickItem* panel = load("StationsPanel");
    ASSERT_NE(panel, nullptr);
    // The entries shown when the menu opens for `station`.
    auto entries = [&](const char* menuName, const Station& station) {
        QObject* menu = panel->findChild<QObject*>(menuName);
        EXPECT_NE(menu, nullptr);
        QMetaObject::invokeMethod(menu, "openFor", Q_ARG(QVariant, QVariant(stationMap(station))));
        pumpFor(30ms);
        QStringList shown;
        const int count = menu->property("count").toInt();
        for (int i = 0; i < count; ++i) {
            QQuickItem* quickItem = nullptr;
            QMetaObject::invokeMethod(menu, "itemAt", Q_RETURN_ARG(QQuickItem*, quickItem), Q_ARG(int, i));
            if (quickItem && quickItem->isVisible() && !quickItem->property("text").toString().isEmpty())
                shown.append(quickItem->property("text").toString());
        }
        QMetaObject::invokeMethod(menu, "close");
        pumpFor(30ms);
        return shown;
    };
    EXPECT_EQ(entries("libraryMenu", jazz),
              (QStringList{"Play", "Remove from favourites", "Rename…", "Copy Link", "Play Next",
                           "Play Later", "Add to Playlist", "Remove"}));
    EXPECT_EQ(entries("directoryMenu", rock),
              (QStringList{"Play", "Add to my stations", "Add to favourites", "Copy Link"}));

    // The queue entries put the station into the music queue.
    model.music()->clearQueue();
    StationActions::create(nullptr, nullptr)
        ->playNext(&model, QVariantList{stationMap(jazz), stationMap(rock)});
    ASSERT_EQ(model.music()->queue().size(), 2u);
    EXPECT_EQ(model.music()->queue()[0].url, jazz.url);
    EXPECT_EQ(model.music()->queue()[1].url, rock.url);
    model.music()->clearQueue();
}

TEST_F(DeckViews, DiscoverShowsLoadingThenResultsOrTheErrorAndImportsAll) {
    useLibrary({jazz});
    process.directory.answer("/json/stations/topclick/100",
                             {{"Top One", "http://127.0.0.1:9/top1"}, {"Jazz FM", jazz.url}});
    QQuickItem* panel = load("DiscoverPanel");
    ASSERT_NE(panel, nullptr);
    // The SEARCH hook fills the field as typed, without searching.
    EXPECT_EQ(find(panel, "discoverSearch")->property("text").toString(), QStringLiteral(" jazz "));
    // Without the directory's tags the built-in genres are offered.
    EXPECT_EQ(childrenNamed(panel, "genre_").size(), 23);

    model.loadBrowse(BrowseScope::top());
    EXPECT_TRUE(find(panel, "discoverLoading")->isVisible());
    ASSERT_TRUE(pumpUntil([&] { return !model.browseLoading(); }, 10s));
    pumpFor(30ms);
    EXPECT_TRUE(find(panel, "discoverResults")->isVisible());
    EXPECT_EQ(find(panel, "panelDetail")->property("text").toString(),
              QStringLiteral("Top \u00B7 2 stations"));
    EXPECT_TRUE(find(panel, "chipTop")->property("selected").toBool());
    EXPECT_TRUE(find(panel, "discoverImportAll")->isVisible());
    EXPECT_EQ(markupTexts(panel), "");

    click(find(panel, "discoverImportAll"));
    ASSERT_TRUE(model.toast());
    EXPECT_EQ(model.toast()->text, "Stations added: 1");
    click(find(panel, "discoverImportAll"));
    EXPECT_EQ(model.toast()->text, "Stations added: 0");

    // A genre chip browses its tag and clears the field.
    click(find(panel, "genre_80s"));
    EXPECT_EQ(find(panel, "discoverSearch")->property("text").toString(), QString());
    EXPECT_EQ(model.browseScope(), BrowseScope::tag("80s"));
    ASSERT_TRUE(pumpUntil([&] { return !model.browseLoading(); }, 10s));
    pumpFor(30ms);
    EXPECT_TRUE(find(panel, "genre_80s")->property("selected").toBool());
    EXPECT_TRUE(find(panel, "discoverEmpty")->isVisible());
    EXPECT_FALSE(find(panel, "discoverImportAll")->isVisible());

    process.directory.fail(true);
    model.loadBrowse(BrowseScope::topVoted());
    ASSERT_TRUE(pumpUntil([&] { return !model.browseLoading(); }, 10s));
    pumpFor(30ms);
    EXPECT_TRUE(find(panel, "discoverError")->isVisible());
    EXPECT_EQ(find(panel, "discoverErrorText")->property("text").toString(), qtText(*model.browseError()));
    process.directory.fail(false);
    click(find(panel, "discoverRetry"));
    EXPECT_EQ(model.browseScope(), BrowseScope::topVoted());
    ASSERT_TRUE(pumpUntil([&] { return !model.browseLoading(); }, 10s));
}

TEST_F(DeckViews, FavouritesShowTheLibrarysDataAndLeaveWhenUnfavourited) {
    useLibrary({jazz});
    Station renamedCopy = jazz;
    renamedCopy.name = "An old copy";
    const Station elsewhere = deckStation("Not In Library", "http://127.0.0.1:9/elsewhere");
    model.toggleFavorite(renamedCopy);
    model.toggleFavorite(elsewhere);
    QQuickItem* panel = load("FavoritesPanel");
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(find(panel, "panelDetail")->property("text").toString(), QStringLiteral("2 entries"));
    QQuickItem* jazzRow = find(panel, "stationRow_" + jazz.url);
    ASSERT_NE(jazzRow, nullptr);
    EXPECT_EQ(QmlKit::child(jazzRow, "rowName")->property("text").toString(), QStringLiteral("Jazz FM"));
    EXPECT_NE(find(panel, "stationRow_" + elsewhere.url), nullptr);
    EXPECT_EQ(markupTexts(panel), "");

    model.toggleFavorite(elsewhere);
    EXPECT_TRUE(gone(panel, "stationRow_" + elsewhere.url));
    EXPECT_EQ(find(panel, "panelDetail")->property("text").toString(), QStringLiteral("1 entry"));
    model.toggleFavorite(jazz);
    pumpFor(30ms);
    EXPECT_TRUE(find(panel, "favoritesEmpty")->isVisible());
    EXPECT_EQ(find(panel, "panelDetail")->property("text").toString(), QStringLiteral("0 entries"));
    EXPECT_EQ(model.library().stations.size(), 1u);
}

TEST_F(DeckViews, HistoryOpensOnTheHooksTabAndCountsEachTab) {
    useLibrary({jazz, rock});
    for (const char* title : {"<i>Lean</i> &amp; Mean", "A - One", "B - Two", "A - One"})
        model.handle(ZazidEvoz::EngineEvents::Metadata{ZazidEvoz::StreamMetadataEvent::title(title)});
    // Each title starts a lyrics lookup; it fails at once against the closed port.
    ASSERT_TRUE(
        pumpUntil([&] { return model.lyrics()->lyricsStateName() != QLatin1String("loading"); }, 10s));
    const auto songs = static_cast<int>(model.songLog().size());
    QQuickItem* panel = load("HistoryPanel");
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(find(panel, "historyTab_songs")->property("selected").toBool());
    EXPECT_FALSE(find(panel, "historyClear")->isVisible());
    EXPECT_EQ(find(panel, "panelDetail")->property("text").toString(), qtTrId("count.entries", songs));
    // The same title twice is two rows.
    EXPECT_EQ(visibleNamed(panel, "songRow").size(), std::min(songs, 10));
    EXPECT_EQ(QmlKit::child(find(panel, "songRow0"), "songTitle")->property("text").toString(),
              QStringLiteral("A - One"));
    EXPECT_EQ(QmlKit::child(find(panel, "songRow2"), "songTitle")->property("text").toString(),
              QStringLiteral("A - One"));
    // The time, however long the locale writes it, keeps the row's 11-point gap to the title.
    QQuickItem* time = QmlKit::child(find(panel, "songRow0"), "songTime");
    QQuickItem* songTitle = QmlKit::child(find(panel, "songRow0"), "songTitle");
    const double timeEnd = time->mapToScene(QPointF(time->property("implicitWidth").toDouble(), 0)).x();
    EXPECT_LE(timeEnd + 11, songTitle->mapToScene(QPointF(0, 0)).x());
    EXPECT_EQ(markupTexts(panel), "");

    click(find(panel, "historyTab_played"));
    EXPECT_TRUE(find(panel, "historyEmpty")->isVisible());
    EXPECT_EQ(find(panel, "panelDetail")->property("text").toString(), QStringLiteral("0 entries"));
    model.play(Station(jazz)); // a dead link: the history keeps it all the same
    pumpFor(30ms);
    EXPECT_EQ(find(panel, "panelDetail")->property("text").toString(), QStringLiteral("1 entry"));
    EXPECT_TRUE(find(panel, "historyClear")->isVisible());
    click(find(panel, "historyClear"));
    EXPECT_TRUE(model.library().history.empty());
    EXPECT_EQ(static_cast<int>(model.songLog().size()), songs);
    EXPECT_FALSE(find(panel, "historyClear")->isVisible());

    // The heard tab counts the songs the database heard on the radio.
    const auto database = model.music()->database();
    ASSERT_TRUE(database);
    database->markHeard("Heard Artist", "First", "Jazz FM");
    database->markHeard("Heard Artist", "Second", "Jazz FM");
    click(find(panel, "historyTab_heard"));
    EXPECT_TRUE(find(panel, "historyTab_heard")->property("selected").toBool());
    EXPECT_FALSE(find(panel, "historyTab_songs")->property("selected").toBool());
    ASSERT_TRUE(pumpUntil([&] { return find(panel, "panelDetail")->property("text") == "2 entries"; }, 5s));
    // The lyrics module's list shows them, newest first.
    EXPECT_TRUE(find(panel, "heardList")->isVisible());
    ASSERT_TRUE(pumpUntil([&] { return visibleNamed(panel, "heardRow").size() == 2; }, 5s));
    EXPECT_EQ(QmlKit::child(find(panel, "heardRow0"), "heardTitle")->property("text").toString(),
              QStringLiteral("Second"));
    database->markHeard("Heard Artist", "Third", "Jazz FM");
    model.music()->bumpDatabaseRevision();
    EXPECT_TRUE(pumpUntil([&] { return find(panel, "panelDetail")->property("text") == "3 entries"; }, 5s));
    model.stop();
}

TEST_F(DeckViews, TheDeckShowsAFailureInRedAndDrivesMuteQueueAndRecording) {
    useLibrary({jazz});
    QQuickItem* deck = load("DeckView", {900, 158});
    ASSERT_NE(deck, nullptr);
    EXPECT_EQ(deck->implicitHeight(), 158);

    const Station missing = deckStation("<b>Missing</b> Song", "file:///nonexistent/song.mp3");
    model.play(Station(missing));
    ASSERT_TRUE(pumpUntil([&] { return model.stateName() == QLatin1String("failed"); }, 20s))
        << model.stateName().toStdString();
    pumpFor(50ms);
    EXPECT_EQ(find(deck, "deckTitle")->property("text").toString(), QStringLiteral("<b>Missing</b> Song"));
    EXPECT_EQ(find(deck, "deckTitle")->property("textFormat").toInt(), Qt::PlainText);
    QQuickItem* subtitle = find(deck, "deckSubtitle");
    EXPECT_EQ(subtitle->property("text").toString(),
              displayedError(model.failureText(), [](const char* key) { return qtTrId(key); }));
    EXPECT_EQ(subtitle->property("color").value<QColor>(), QColor::fromRgbF(1.0f, 0.27f, 0.36f));
    EXPECT_FALSE(find(deck, "deckLive")->isVisible());
    EXPECT_TRUE(find(deck, "deckFavorite")->isVisible());
    EXPECT_EQ(markupTexts(deck), "");
    EXPECT_EQ(find(deck, "clockElapsedIdle")->property("text").toString(), QStringLiteral("0:00"));
    EXPECT_FALSE(find(deck, "deckMeters")->property("moving").toBool());

    // Recording while nothing plays is refused by the model; the button stays idle.
    click(find(deck, "recordButton"));
    EXPECT_FALSE(model.isRecording());
    EXPECT_EQ(find(deck, "recordText")->property("text").toString(), QStringLiteral("REC"));
    QQuickItem* split = find(deck, "splitToggle");
    EXPECT_TRUE(split->property("active").toBool());
    click(split);
    EXPECT_FALSE(model.splitRecordingBySong());
    EXPECT_EQ(split->property("helpKey").toString(), QStringLiteral("deck.splitOff"));
    click(split);

    // Mute turns the button red and dims the slider.
    click(find(deck, "deckMute"));
    EXPECT_TRUE(model.muted());
    EXPECT_EQ(find(deck, "deckMute")->property("symbol").toString(), QStringLiteral("speaker.slash.fill"));
    EXPECT_DOUBLE_EQ(find(deck, "deckVolume")->opacity(), 0.4);
    click(find(deck, "deckMute"));
    EXPECT_FALSE(model.muted());

    // The queue's count shows on its button.
    EXPECT_FALSE(find(deck, "deckQueueBadge")->isVisible());
    model.music()->enqueue({jazz, rock});
    pumpFor(20ms);
    EXPECT_TRUE(find(deck, "deckQueueBadge")->isVisible());
    EXPECT_EQ(find(deck, "deckQueueBadge")->property("count").toString(), QStringLiteral("2"));
    click(find(deck, "deckQueue"));
    EXPECT_EQ(ui.moduleName(), QStringLiteral("music"));
    model.music()->clearQueue();
    ui.show(QStringLiteral("stations"));
}

TEST_F(DeckViews, TheLevelMetersAskForFramesOnlyWhileSomethingMoves) {
    QQuickItem* item = load("LevelMeters", {150, 30});
    auto* meters = qobject_cast<LevelMeters*>(item);
    ASSERT_NE(meters, nullptr);
    EXPECT_FALSE(meters->moving());
    meters->advance(1, 0.5, 0.5);
    EXPECT_TRUE(meters->moving());
    double t = 1;
    for (int i = 0; i < 400 && meters->moving(); ++i)
        meters->advance(t += 1.0 / 60, 0, 0);
    EXPECT_FALSE(meters->moving());
    EXPECT_LT(t, 1 + 3.0);
    meters->setActive(true);
    EXPECT_TRUE(meters->moving());
    meters->setActive(false);
    EXPECT_FALSE(meters->moving());
    // Levels that are no numbers leave the meter drawable.
    meters->advance(t + 1, std::nan(""), std::numeric_limits<double>::infinity());
    for (double level :
         {meters->levelLeft(), meters->levelRight(), meters->peakLeft(), meters->peakRight()}) {
        EXPECT_TRUE(std::isfinite(level));
        EXPECT_LT(level, 0.01);
    }
    const QImage picture = kit.window.grabWindow();
    EXPECT_FALSE(picture.isNull());
}

TEST_F(DeckViews, LyricHitsAreReadFromTheDatabase) {
    const auto database = model.music()->database();
    ASSERT_TRUE(database);
    for (int i = 0; i < 7; ++i) {
        ZazidEvoz::SongLyrics lyrics;
        lyrics.artist = "Lantern Band";
        lyrics.title = "Song " + std::to_string(i);
        lyrics.plain = "a paper lantern in the rain";
        ASSERT_TRUE(database->saveLyrics(lyrics.artist, lyrics.title, lyrics, "test"));
    }
    LyricHitsQuery hits;
    hits.setMusic(model.music());
    hits.setQuery(QStringLiteral("lantern"));
    ASSERT_TRUE(pumpUntil([&] { return hits.ready(); }, 5s));
    EXPECT_EQ(hits.count(), 5);
    EXPECT_EQ(hits.youtubeQuery(0).startsWith(QStringLiteral("Lantern Band Song ")), true);
    EXPECT_FALSE(hits.playTrack(0)); // no library track for the song
    hits.setQuery(QString());
    EXPECT_EQ(hits.count(), 0);
}
