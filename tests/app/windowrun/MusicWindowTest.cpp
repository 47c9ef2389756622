// The music module and the station list in the main window, clicked as a user clicks them: a
// playlist page's rows play and show their tracks' covers, a double click plays as one click
// does, and the music header keeps its parts apart in a narrow window.
#include "WindowRunKit.hpp"
#include "ZazidEvoz/platform/FileURL.hpp"
#include "music/MusicUI.hpp"
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
