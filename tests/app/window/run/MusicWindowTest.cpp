// The music module and the station list in the main window, clicked as a user clicks them: a
// playlist page's rows play and show their tracks' covers, a double click plays as one click
// does, and in a narrow window the music header keeps its parts apart, the track rows their
// titles readable and the detail pages their actions on the page.
#include "WindowRunKit.hpp"
#include "ZazidEvoz/platform/FileURL.hpp"
#include "kit/FrameDriver.hpp"
#include "stage/StageClock.hpp"
#include "state/MusicUI.hpp"
#include "support/StreamServer.hpp"

using namespace ZintraRadio;
using namespace ZintraRadio::testkit;

namespace {

class MusicWindow : public WindowRun {
protected:
    ZazidEvoz::Station trackStation(const std::string& title) const {
        for (const auto& track : model->music()->tracks())
            if (track.title == title)
                return track.asStation();
        ADD_FAILURE() << "no track " << title;
        return {};
    }

    void stopPlayback() {
        model->stop();
        ASSERT_TRUE(pumpUntil([&] { return model->stateName() == QLatin1String("stopped"); }, 20s));
    }

    // The window at `width` as on a desktop that narrow (its minimum follows the desktop).
    void setWindowWidth(int width) {
        window().setMinimumWidth(std::min(designedMinimum, width));
        window().resize(width, window().height());
        ASSERT_TRUE(pumpUntil([&] { return window().contentItem()->width() == width; }, 10s));
        waitForLayout();
    }

    // Whether every cover on screen that has a picture file shows it.
    bool coversShown() const {
        bool shown = true;
        const std::function<void(QQuickItem*)> visit = [&](QQuickItem* item) {
            if (!item->isVisible())
                return;
            if (item->metaObject()->indexOfProperty("showsPicture") >= 0 &&
                !item->property("file").toString().isEmpty() && !item->property("showsPicture").toBool())
                shown = false;
            for (QQuickItem* child : item->childItems())
                visit(child);
        };
        visit(window().contentItem());
        return shown;
    }

    const int designedMinimum = 1240;

    // What a row plays: its station's address, or its track's file.
    static std::string rowURL(const QQuickItem& row) {
        const QVariant station = row.property("station");
        if (station.isValid())
            return station.toMap().value(QStringLiteral("url")).toString().toStdString();
        return ZazidEvoz::platform::fileURLFromPath(row.property("path").toString().toStdString());
    }

    // A playlist page whose second entry's file went out of the library: that entry is marked
    // as missing, the other is not; the picture is saved as `picture`. The file comes back after.
    void expectMissingEntryMarked(const char* picture) {
        show("music");
        auto& music = *model->music();
        const auto playlist = music.createPlaylist("Gone Astray", {trackStation("Low Tide"), trackStation("Pulse")});
        const auto file = run->folders.library / "Pulse.mp3";
        const auto away = ZazidEvoz::testkit::makeTemporaryFolder("away") / "Pulse.mp3";
        fs::rename(file, away);
        ui->music()->open(MusicUI::Route::playlist(playlist.id));

        QQuickItem* gone = shown("playlistItem1");
        QQuickItem* kept = shown("playlistItem0");
        ASSERT_TRUE(gone && kept);
        auto markOf = [](QQuickItem* row) { return QmlKit::child(row, "playlistItemMissing"); };
        ASSERT_TRUE(pumpUntil([&] { return markOf(gone) && markOf(gone)->isVisible(); }, 20s));
        EXPECT_EQ(QmlKit::child(gone, "rowDetail")->property("text").toString(), QStringLiteral("File not found"));
        ASSERT_NE(markOf(kept), nullptr);
        EXPECT_FALSE(markOf(kept)->isVisible());
        EXPECT_NE(QmlKit::child(kept, "rowDetail")->property("text").toString(), QStringLiteral("File not found"));
        ASSERT_TRUE(pumpUntil(
            [&] { return run->find("browserPage")->opacity() == 1 && coversShown(); }, 20s));
        run->grab(picture);

        // Back in its place, the entry is whole again.
        fs::rename(away, file);
        EXPECT_TRUE(pumpUntil([&] { return !markOf(gone)->isVisible(); }, 30s));
        ui->music()->close();
        music.deletePlaylist(music.playlists().back());
    }

    // Whether `url` is the current item and playback has come to rest (playing or paused).
    bool settledOn(const std::string& url) const {
        const QString state = model->stateName();
        return model->current() && model->current()->url == url &&
               (state == QLatin1String("playing") || state == QLatin1String("paused"));
    }
};

} // namespace

TEST_F(MusicWindow, APlaylistRowPlaysThePlaylistFromItAndShowsItsTracksCover) {
    start();
    show("music");
    auto& music = *model->music();
    const std::vector<ZazidEvoz::Station> items = {trackStation("Neon Rain"), trackStation("Night Bus"),
                                                   trackStation("Velvet Steps")};
    const auto playlist = music.createPlaylist("Road Trip", items);
    ui->music()->open(MusicUI::Route::playlist(playlist.id));

    click(shown("playlistItem1"), {200, 20});
    ASSERT_TRUE(pumpUntil([&] { return settledOn(items[1].url); }, 20s)) << model->stateName().toStdString();
    EXPECT_EQ(music.queue().size(), 3u);
    EXPECT_EQ(music.queueIndex(), 1);
    // The tracks with a cover show it; the one without keeps its placeholder.
    for (int row : {0, 2}) {
        QQuickItem* item = shown("playlistItem" + std::to_string(row));
        ASSERT_NE(item, nullptr);
        QQuickItem* cover = QmlKit::child(item, "trackArtworkCover");
        ASSERT_NE(cover, nullptr) << row;
        EXPECT_TRUE(pumpUntil([&] { return cover->property("showsPicture").toBool(); }, 10s)) << row;
    }
    QQuickItem* bare = QmlKit::child(shown("playlistItem1"), "trackArtworkCover");
    ASSERT_NE(bare, nullptr);
    EXPECT_TRUE(bare->property("file").toString().isEmpty());
    run->grab("windowrun-playlist-page.png");

    stopPlayback();
    ui->music()->close();
    music.deletePlaylist(music.playlists().back());
}

// A double click acts as its first click: the item plays and is not paused by the second.
TEST_F(MusicWindow, ADoubleClickOnARowPlaysItAndLeavesItPlaying) {
    start();
    ZazidEvoz::testkit::StreamServer radio;
    radio.addStream("/tone", toneStation("Local Tone", 2));
    radio.start();
    model->addStation(QStringLiteral("Local Tone"), QString::fromStdString(radio.url("/tone")), QString());
    model->moveStations(std::vector<int>{static_cast<int>(model->library().stations.size()) - 1},
                        0); // in sight
    auto& music = *model->music();
    const auto playlist = music.createPlaylist("Doubles", {trackStation("Low Tide")});

    struct Case {
        const char* name;
        std::function<QQuickItem*()> open;
    };
    const std::string stationURL = radio.url("/tone");
    const Case cases[] = {
        {"track row",
         [&] {
             show("music");
             ui->music()->close();
             ui->music()->setTabName(QStringLiteral("tracks"));
             return shown("trackRow2");
         }},
        {"playlist row",
         [&] {
             show("music");
             ui->music()->open(MusicUI::Route::playlist(playlist.id));
             return shown("playlistItem0");
         }},
        {"station row",
         [&] {
             ui->setStationGrid(false);
             show("stations");
             return shown("stationRow_" + stationURL);
         }},
        {"station tile",
         [&] {
             ui->setStationGrid(true);
             show("stations");
             return shown("stationTile_" + stationURL);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        stopPlayback();
        QQuickItem* row = c.open();
        ASSERT_NE(row, nullptr);
        const std::string url = rowURL(*row);
        doubleClick(row, {row->width() / 3, row->height() / 2},
                    [&] { return model->isActive() && model->current() && model->current()->url == url; });
        ASSERT_TRUE(pumpUntil([&] { return settledOn(url); }, 20s)) << model->stateName().toStdString();
        EXPECT_EQ(model->stateName().toStdString(), "playing");
    }
    stopPlayback();
    ui->setStationGrid(false);
    ui->music()->close();
    music.deletePlaylist(music.playlists().back());
}

// Behind the music browser the stage rests while nothing plays: it holds its picture and asks
// the window for no frames (the window still draws those of the deck's play ring), the stage
// with the browser is drawn from one picture, and it moves again as soon as a track plays or
// the stage shows.
TEST_F(MusicWindow, TheStageUnderTheBrowserRestsUntilSomethingPlaysOrItShows) {
    start();
    stopPlayback();
    show("music");
    ui->music()->close();
    QQuickItem* canvas = shown("stageCanvas");
    QQuickItem* screen = shown("stageScreen");
    ASSERT_TRUE(canvas && screen);
    auto drawnFromOnePicture = [&] {
        auto* layer = screen->property("layer").value<QObject*>();
        return screen->property("still").toBool() && layer->property("enabled").toBool();
    };
    auto* clock = canvas->property("clock").value<StageClock*>();
    FrameDriver* driver = FrameDriver::of(&window());
    ASSERT_TRUE(clock && driver);
    // The stage rests when it takes no part in the window's advances: over several of them (or
    // while the whole window rests, under reduced motion) it does not move.
    auto rests = [&] {
        if (!pumpUntil([&] { return !clock->active(); }, 20s))
            return false;
        const int rested = clock->frame();
        const int advances = driver->advances();
        pumpUntil([&] { return !driver->ticking() || driver->advances() > advances + 5; }, 20s);
        return clock->frame() == rested && pumpUntil(drawnFromOnePicture, 20s);
    };
    auto moves = [&] {
        const int from = clock->frame();
        return pumpUntil([&] { return clock->frame() > from + 3; }, 20s) && !drawnFromOnePicture();
    };

    EXPECT_TRUE(rests()) << "the idle window with the browser shown";
    ZazidEvoz::testkit::StreamServer radio;
    radio.addStream("/tone", toneStation());
    radio.start();
    model->playLink(radio.url("/tone"));
    ASSERT_TRUE(pumpUntil([&] { return model->stateName() == QLatin1String("playing"); }, 20s));
    EXPECT_TRUE(moves()) << "something plays";
    model->togglePlayPause();
    ASSERT_TRUE(pumpUntil([&] { return model->stateName() == QLatin1String("paused"); }, 20s));
    EXPECT_TRUE(rests()) << "paused";
    stopPlayback();

    click("browserShowStage");
    EXPECT_TRUE(moves()) << "the stage shows";
    click("showLibraryButton");
    EXPECT_TRUE(shown("browserMain"));
    EXPECT_TRUE(rests()) << "covered again";
}

// The header's row in order, none overlapping the next, all inside the browser: at the width a
// 1024-pixel desktop leaves the window, and at the window's designed width, where the track
// count shows whole.
TEST_F(MusicWindow, TheMusicHeaderKeepsItsPartsApartInANarrowWindow) {
    start();
    show("music");
    ui->music()->close();
    const char* const parts[] = {"browserTitle",  "browserTrackCount", "browserStatus",
                                 "browserSearch", "browserManage",     "browserShowStage"};
    for (const int width : {1008, 1400}) {
        SCOPED_TRACE(width);
        setWindowWidth(width);
        QQuickItem* header = shown("browserHeader");
        ASSERT_NE(header, nullptr);
        const QRectF bounds = header->mapRectToScene(QRectF(0, 0, header->width(), header->height()));
        QRectF previous;
        for (const char* name : parts) {
            QQuickItem* part = run->find(name);
            ASSERT_NE(part, nullptr) << name;
            // Where the room is short the track count gives way to the search field.
            if (width < 1240 && part->objectName() == QLatin1String("browserTrackCount") &&
                !part->isVisible())
                continue;
            EXPECT_TRUE(isOnScreen(*part)) << name;
            const QRectF rect = part->mapRectToScene(QRectF(0, 0, part->width(), part->height()));
            EXPECT_GT(rect.width(), 0) << name;
            EXPECT_GE(rect.left(), previous.right()) << name << " overlaps the part before it";
            EXPECT_LE(rect.right(), bounds.right() + 0.5) << name;
            previous = rect;
        }
        if (width >= 1240) {
            QQuickItem* count = run->find("browserTrackCount");
            EXPECT_TRUE(count->isVisible());
            EXPECT_FALSE(count->property("truncated").toBool());
        }
    }
    setWindowWidth(1400);
}

// Every track row laid out in the tracks tab and on an artist page keeps its title and subtitle
// at least 140 wide at the width of a 1024-pixel desktop, its parts in order and apart, all
// inside the row; at the designed width nothing gives way.
TEST_F(MusicWindow, TrackRowsKeepTheirTitlesReadableInANarrowWindow) {
    start();
    show("music");
    const char* const parts[] = {"rowCover", "rowTitle", "genreBadge", "rowStars", "rowDuration", "rowMenu"};
    const auto checkRows = [&](int width) {
        QQuickItem* view = shown("trackListView");
        ASSERT_NE(view, nullptr);
        ASSERT_TRUE(pumpUntil([&] { return view->property("count").toInt() > 0; }, 10s));
        waitForLayout();
        auto* content = view->property("contentItem").value<QQuickItem*>();
        int laidOut = 0;
        for (QQuickItem* row : content->childItems()) {
            if (!row->objectName().startsWith(QLatin1String("trackRow")) || !isOnScreen(*row))
                continue;
            SCOPED_TRACE(row->property("title").toString().toStdString());
            ++laidOut;
            double previousRight = 0;
            for (const char* name : parts) {
                QQuickItem* part = QmlKit::child(row, name);
                ASSERT_NE(part, nullptr) << name;
                if (!part->isVisible()) {
                    // Only where the room is short, or the badge of a row without a genre.
                    const bool noGenre =
                        qstrcmp(name, "genreBadge") == 0 && row->property("genre").toString().isEmpty();
                    EXPECT_TRUE(noGenre || width < 1240) << name << " gave way at the designed width";
                    continue;
                }
                const QRectF rect = part->mapRectToItem(row, QRectF(0, 0, part->width(), part->height()));
                EXPECT_GE(rect.left(), previousRight) << name << " overlaps the part before it";
                EXPECT_LE(rect.right(), row->width()) << name;
                previousRight = rect.right();
            }
            const QQuickItem* subtitle = QmlKit::child(row, "rowSubtitle");
            EXPECT_GE(QmlKit::child(row, "rowTitle")->width(), 140);
            EXPECT_GE(subtitle->width(), 140);
        }
        EXPECT_GE(laidOut, std::min(view->property("count").toInt(), 4));
    };
    for (const int width : {1008, 1400}) {
        SCOPED_TRACE(width);
        setWindowWidth(width);
        ui->music()->close();
        ui->music()->setTabName(QStringLiteral("tracks"));
        checkRows(width);
        ui->music()->open(MusicUI::Route::artist("Nova Lane"));
        ASSERT_TRUE(pumpUntil([&] { return !run->find("browserMain")->isVisible(); }, 10s));
        checkRows(width);
        ui->music()->close();
    }
    setWindowWidth(1400);
}

// The action row of every kind of detail page lies inside the page, clear of the cover, the
// title and summary, and the list under the hero: beside the cover at the designed width, under
// it at the width of a 1024-pixel desktop.
TEST_F(MusicWindow, DetailPagesKeepTheirActionsOnThePage) {
    start();
    show("music");
    auto& music = *model->music();
    const auto playlist =
        music.createPlaylist("Evening", {trackStation("Neon Rain"), trackStation("Low Tide")});
    const auto smart = music.smartPlaylists().front().id;
    const MusicUI::Route routes[] = {MusicUI::Route::playlist(playlist.id), MusicUI::Route::smart(smart),
                                     MusicUI::Route::genre("Folk"),
                                     MusicUI::Route::album("Midnight Circuits")};
    const auto rectOf = [](const QQuickItem& item) {
        return item.mapRectToScene(QRectF(0, 0, item.width(), item.height()));
    };
    for (const int width : {1008, 1400}) {
        SCOPED_TRACE(width);
        setWindowWidth(width);
        for (const auto& route : routes) {
            SCOPED_TRACE(std::string(rawValue(route.kind())) + " " + route.name());
            ui->music()->open(route);
            QQuickItem* page = run->find("browserPage");
            ASSERT_TRUE(pumpUntil(
                [&] { return !run->find("browserMain")->isVisible() && page->opacity() == 1; }, 10s));
            QQuickItem* actions = shown("heroActions");
            ASSERT_NE(actions, nullptr);
            const QRectF bounds = rectOf(*page).adjusted(24, 0, -24, 0);
            const QRectF cover = rectOf(*shown("heroArt"));
            const QRectF summary = rectOf(*shown("heroSummary"));
            for (QQuickItem* control : actions->childItems()) {
                if (!control->isVisible())
                    continue;
                SCOPED_TRACE(control->objectName().toStdString());
                const QRectF rect = rectOf(*control);
                EXPECT_TRUE(bounds.contains(rect)) << "outside the page";
                EXPECT_FALSE(rect.intersects(cover)) << "over the cover";
                EXPECT_GE(rect.top(), summary.bottom()) << "over the summary";
                EXPECT_TRUE(width < 1240 || !control->property("compact").toBool()) << "titles shown";
            }
            QQuickItem* list =
                shown(route.kind() == MusicUI::Route::Kind::playlist ? "playlistItems" : "detailTracks");
            ASSERT_NE(list, nullptr);
            EXPECT_GE(rectOf(*list).top(), rectOf(*actions).bottom()) << "over the list";
            EXPECT_TRUE(width < 1240 || rectOf(*actions).left() > cover.right()) << "beside the cover";
            ui->music()->close();
        }
    }
    setWindowWidth(1400);
    music.deletePlaylist(music.playlists().back());
}

// A page's title of one word too long for its line at the width of a 1024-pixel desktop
// shrinks to fit (down to 0.6 of its size) rather than breaking inside the word.
TEST_F(MusicWindow, AOneWordPageTitleShrinksRatherThanBreaks) {
    start();
    show("music");
    setWindowWidth(1008);
    ui->music()->open(MusicUI::Route::genre("Synthwave"));
    QQuickItem* title = shown("heroTitle");
    ASSERT_NE(title, nullptr);
    ASSERT_TRUE(
        pumpUntil([&] { return title->property("text").toString() == QLatin1String("Synthwave"); }, 10s));
    EXPECT_EQ(title->property("lineCount").toInt(), 1);
    EXPECT_FALSE(title->property("truncated").toBool());
    EXPECT_LE(title->property("contentWidth").toDouble(), title->width());

    // One too long even at that size is cut on its line.
    auto& music = *model->music();
    const auto playlist = music.createPlaylist("Supercalifragilisticexpialidocious", {trackStation("Pulse")});
    ui->music()->open(MusicUI::Route::playlist(playlist.id));
    ASSERT_TRUE(pumpUntil(
        [&] { return title->property("text").toString().startsWith(QLatin1String("Super")); }, 10s));
    EXPECT_EQ(title->property("lineCount").toInt(), 1);
    EXPECT_TRUE(title->property("truncated").toBool());
    EXPECT_LE(title->property("contentWidth").toDouble(), title->width());
    ui->music()->close();
    music.deletePlaylist(music.playlists().back());
    setWindowWidth(1400);
}

// The deck under the stage keeps every control whole inside the stage's column, none over
// the next, however narrow the column: at the width of a 1024-pixel desktop with the side panel
// and the wide rail the column is some 400 wide, and the deck's lower row takes a second line.
TEST_F(MusicWindow, TheDeckKeepsEveryControlInsideTheStagesColumn) {
    start();
    show("music");
    model->play(trackStation("Neon Rain"));
    ASSERT_TRUE(pumpUntil([&] { return settledOn(model->current()->url); }, 20s));
    const char* const rows[][7] = {
        {"deckArtwork", "deckTitle", "deckClock", "deckFavorite"},
        {"deckPrevious", "deckPlayPause", "deckNext", "deckStop", "deckRecord", "deckQueue"},
        {"deckMeters", "deckMute", "deckVolume"},
    };
    const auto rectOf = [](const QQuickItem& item) {
        return item.mapRectToScene(QRectF(0, 0, item.width(), item.height()));
    };
    for (const bool railCollapsed : {false, true}) {
        ui->setRailCollapsed(railCollapsed);
        for (const int width : {1008, 1240, 1400}) {
            SCOPED_TRACE(fmt::format("{} wide, rail {}", width, railCollapsed ? "collapsed" : "expanded"));
            setWindowWidth(width);
            QQuickItem* column = run->find("stageColumn");
            // The side panel is 430 wide, the rail 176 or 68: the column once they have settled.
            ASSERT_TRUE(
                pumpUntil([&] { return column->width() == width - 430 - (railCollapsed ? 68 : 176); }, 10s));
            const QRectF bounds = rectOf(*column);
            for (const auto& row : rows) {
                QRectF previous;
                for (const char* name : row) {
                    if (name == nullptr)
                        break;
                    SCOPED_TRACE(name);
                    QQuickItem* control = shown(name);
                    ASSERT_NE(control, nullptr);
                    const QRectF rect = rectOf(*control);
                    EXPECT_TRUE(bounds.contains(rect)) << "outside the column";
                    EXPECT_GE(rect.width(), 6);
                    if (!previous.isNull() && rect.top() < previous.bottom()) {
                        EXPECT_GE(rect.left(), previous.right()) << "over the control before it";
                    }
                    previous = rect;
                }
            }
            EXPECT_GE(rectOf(*shown("deckVolume")).width(), 64);
            EXPECT_GE(rectOf(*shown("deckMeters")).width(), 70);
            run->grab(fmt::format("windowrun-{}-{}-deck.png", width, railCollapsed ? "collapsed" : "expanded")
                          .c_str(),
                      "stageColumn");
        }
    }
    ui->setRailCollapsed(false);
    setWindowWidth(1400);
    stopPlayback();
}

// On the software scene graph the covers' textures go with the window as they do on OpenGL:
// the leak check at the end of the process (ctest runs each test in a process of its own)
// finds none of them.
TEST_F(MusicWindow, OnTheSoftwareSceneGraphTheCoversGoWithTheWindow) {
    LibraryWindow::graphicsApi = QSGRendererInterface::Software;
    start();
    if (window().rendererInterface()->graphicsApi() != QSGRendererInterface::Software)
        GTEST_SKIP() << "an earlier test of this process made the window on OpenGL";
    show("music");
    ui->music()->close();
    for (const char* tab : {"albums", "tracks"}) {
        ui->music()->setTabName(QLatin1String(tab));
        ASSERT_TRUE(pumpUntil(
            [&] { return run->find("browserContent")->property("showing").toString() == QLatin1String(tab); },
            10s));
        ASSERT_TRUE(pumpUntil([&] { return coversShown(); }, 20s)) << tab;
    }
    ui->music()->open(MusicUI::Route::album("Midnight Circuits"));
    QQuickItem* cover = shown("heroCover");
    ASSERT_NE(cover, nullptr);
    EXPECT_TRUE(pumpUntil([&] { return cover->property("showsPicture").toBool(); }, 20s));
    ui->music()->close();
}

TEST_F(MusicWindow, APlaylistEntryWhoseFileIsGoneIsMarkedOnItsPage) {
    start();
    expectMissingEntryMarked("windowrun-playlist-missing-entry.png");
}

TEST_F(MusicWindow, OnTheSoftwareSceneGraphAPlaylistEntryWhoseFileIsGoneIsMarked) {
    LibraryWindow::graphicsApi = QSGRendererInterface::Software;
    start();
    if (window().rendererInterface()->graphicsApi() != QSGRendererInterface::Software)
        GTEST_SKIP() << "an earlier test of this process made the window on OpenGL";
    expectMissingEntryMarked("windowrun-software-playlist-missing-entry.png");
}

// Pictures of the music module's tabs and a playlist page, and of the station grid, at the
// width of a 1024-pixel desktop and at the designed width.
TEST_F(MusicWindow, PicturesOfTheMusicModuleAndTheStationGrid) {
    start();
    auto& music = *model->music();
    const auto playlist =
        music.createPlaylist("Evening", {trackStation("Neon Rain"), trackStation("Low Tide"),
                                         trackStation("Morning Static"), trackStation("Pulse")});
    for (const int width : {1008, 1400}) {
        SCOPED_TRACE(width);
        setWindowWidth(width);
        show("music");
        ui->music()->close();
        for (const char* tab : {"albums", "tracks", "genres", "artists", "playlists"}) {
            ui->music()->setTabName(QLatin1String(tab));
            ASSERT_TRUE(pumpUntil(
                [&] {
                    QQuickItem* content = run->find("browserContent");
                    return content->property("showing").toString() == QLatin1String(tab) &&
                           content->opacity() == 1 && coversShown();
                },
                20s));
            run->grab(fmt::format("windowrun-{}-music-{}.png", width, tab).c_str());
        }
        ui->music()->open(MusicUI::Route::playlist(playlist.id));
        ASSERT_NE(shown("playlistItem3"), nullptr);
        ASSERT_TRUE(pumpUntil(
            [&] {
                return !run->find("browserMain")->isVisible() && run->find("browserPage")->opacity() == 1 &&
                       coversShown();
            },
            20s));
        run->grab(fmt::format("windowrun-{}-music-playlist.png", width).c_str());
        ui->music()->close();

        ui->setStationGrid(true);
        show("stations");
        ASSERT_NE(shown("stationsGrid"), nullptr);
        run->grab(fmt::format("windowrun-{}-stations-grid.png", width).c_str());
        ui->setStationGrid(false);
    }
    setWindowWidth(1400);
    music.deletePlaylist(music.playlists().back());
}
