// The lyrics views in a real run on OpenGL (llvmpipe under Xvfb): the application model plays
// a local ICY radio stream whose title the local lyrics service knows; the synced lines over
// the stage advance with the stream, the timing buttons move them by half a second, the lyrics
// sheet shows what the lookup stored, and a library search finds a track and a lyric hit.
// Pictures of each step go to build/.../artefacts/lyricsrun.
#include "LyricsViewKit.hpp"
#include "MusicTestKit.hpp"
#include "lyrics/LyricsPresenter.hpp"
#include "support/StreamServer.hpp"

#include <QQmlComponent>
#include <QQmlEngine>
#include <dlfcn.h>
#include <fstream>

using namespace ZintraRadio;
using namespace ZintraRadio::testkit;
using namespace std::chrono_literals;
using ZazidEvoz::testkit::LyricsSite;

namespace {

// Lines a second apart from 3.5 s: a radio song starts 3 s before its title arrives, so the
// first line is sung half a second after the lookup.
std::string quickLRC() {
    std::string lrc;
    const char* words[] = {"Neon lights are calling", "Down the midnight highway", "Every signal fading",
                           "Into silver static",      "Hold the frequency",        "Till the morning breaks",
                           "Neon lights are calling", "Down the midnight highway"};
    for (int i = 0; i < 40; ++i)
        lrc += fmt::format("[00:{:02}.50]{}\n", 3 + i, words[i % 8]);
    return lrc;
}

// Songs whose title starts with "Plain" have untimed lyrics, every other song quickLRC().
void serveQuickSong(LyricsSite& site) {
    site.onGet([](const httplib::Request& request, httplib::Response& response) {
        const auto title = paramOf(request, "track_name");
        const bool plain = title.starts_with("Plain");
        ZazidEvoz::testkit::answerJSON(
            response,
            ZazidEvoz::testkit::record(
                title, paramOf(request, "artist_name"), plain ? std::nullopt : std::optional(quickLRC()),
                plain ? std::optional<std::string>("Static on the radio\nA voice between the stations\n"
                                                   "Calling out your name\nAcross the empty nation")
                      : std::nullopt));
    });
    site.onSearch([](const httplib::Request&, httplib::Response& response) {
        ZazidEvoz::testkit::answerJSON(response, ZazidEvoz::json::Value::array());
    });
}

ZazidEvoz::testkit::StreamSpec icyStream() {
    ZazidEvoz::testkit::StreamSpec spec;
    spec.media = ZazidEvoz::testkit::toneMp3();
    spec.metaint = 2000;
    spec.icyName = "Night Radio";
    spec.burstSeconds = 1;
    return spec;
}

std::filesystem::path artefacts() {
    auto folder = std::filesystem::path(ZINTRARADIO_TEST_BINARY_DIR) / "artefacts" / "lyricsrun";
    std::filesystem::create_directories(folder);
    return folder;
}

// Mesa's GL driver allocates once for good while GLX picks a configuration, and is unloaded
// before the leak report, which then cannot name it. Kept loaded, tests/lsan.supp can.
void keepGraphicsDriversLoaded() {
    std::ifstream maps("/proc/self/maps");
    for (std::string line; std::getline(maps, line);) {
        const auto slash = line.find('/');
        if (slash == std::string::npos)
            continue;
        const std::string path = line.substr(slash);
        if (path.find("/dri/") != std::string::npos || path.find("libLLVM") != std::string::npos ||
            path.find("mesa") != std::string::npos || path.find("gallium") != std::string::npos)
            (void)dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
    }
}

class Scene {
public:
    Scene() {
        engine_.addImportPath(QStringLiteral("qrc:/qt/qml"));
        QObject::connect(&engine_, &QQmlEngine::warnings, [this](const QList<QQmlError>& errors) {
            for (const auto& error : errors)
                warnings.append(error.toString());
        });
        window_.resize(1280, 800);
        window_.setColor(Qt::black);
        window_.show();
        window_.requestActivate();
        (void)QTest::qWaitForWindowActive(&window_);
        pumpFor(200ms);
        keepGraphicsDriversLoaded();
    }

    QQuickItem* load(const QByteArray& qml, const QVariantMap& properties) {
        QQmlComponent component(&engine_);
        component.setData("import QtQuick\nimport ZintraRadio\n" + qml,
                          QUrl(QStringLiteral("qrc:/run/Scene.qml")));
        if (component.isError()) {
            warnings.append(component.errorString());
            return nullptr;
        }
        auto* item = qobject_cast<QQuickItem*>(component.createWithInitialProperties(properties));
        if (!item) {
            warnings.append(component.errorString());
            return nullptr;
        }
        item->setParentItem(window_.contentItem());
        item->setSize(window_.size());
        items_.emplace_back(item);
        return item;
    }

    // Lets a few frames go by, then saves what the window shows (the pointer out of the way).
    QImage grab(const std::string& name) {
        QTest::mouseMove(&window_, QPoint(window_.width() - 2, 2));
        pumpFor(300ms);
        QImage image = window_.grabWindow();
        image.save(QString::fromStdString((artefacts() / (name + ".png")).string()));
        return image;
    }

    void drop(QQuickItem* item) {
        std::erase_if(items_, [item](const auto& owned) { return owned.get() == item; });
    }
    QQuickWindow& window() { return window_; }
    QStringList warnings;

private:
    QQmlEngine engine_;
    QQuickWindow window_;
    std::vector<std::unique_ptr<QQuickItem>> items_;
};

// Bright, clearly coloured pixels inside `area`: the sung part of a line in the spectrum.
int colourfulPixels(const QImage& image, QRect area) {
    int count = 0;
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    area = area.intersected(rgb.rect());
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = rgb.pixelColor(x, y);
            if (c.saturation() > 80 && c.value() > 120)
                ++count;
        }
    return count;
}

} // namespace

TEST(LyricsRun, SyncedLinesFollowTheStreamSheetAndSearchShowStoredLyrics) {
    EnglishTexts english;
    ASSERT_TRUE(english.loaded());
    LyricsSite site;
    serveQuickSong(site);
    ZazidEvoz::testkit::StreamServer server;
    server.addStream("/radio", icyStream());
    server.setTitle("/radio", "Neon Arcade - Midnight Highway");
    server.start();

    // The library holds the song as a file.
    MusicFolders folders;
    const auto downloads = folders.root / "Downloads";
    std::filesystem::create_directories(downloads);
    std::filesystem::copy_file(
        toneWithTags("mp3", {{"title", "Midnight Highway"}, {"artist", "Neon Arcade"}, {"album", "Static"}}),
        downloads / "midnight.mp3");

    AppSetup setup;
    auto options = setup.options(site.baseURL());
    options.scheduler = Scheduler::system(); // the lines follow real time
    options.supportFolder = folders.support;
    AppModel app(options);
    auto ui = makeUIState(setup.folder);
    ASSERT_TRUE(pumpUntil([&] { return !app.music()->scanning() && app.music()->tracks().size() == 1; }));

    Scene scene;
    // The overlay over the running visualizer, as the stage view lays it.
    QQuickItem* stage = scene.load(
        R"(
Item {
    id: host
    property QtObject model: null
    property QtObject ui: null
    StageCanvas {
        anchors.fill: parent
        mode: "aurora"
        playing: host.model && host.model.stateName === "playing"
        feed: host.ui ? host.ui.feed : null
    }
    LyricsOverlay {
        anchors.fill: parent
        visible: host.model && host.model.lyrics.hasLyrics
        model: host.model
    }
}
)",
        {{"model", QVariant::fromValue<QObject*>(&app)}, {"ui", QVariant::fromValue<QObject*>(ui.get())}});
    ASSERT_TRUE(stage) << scene.warnings.join('\n').toStdString();

    Station station;
    station.kind = ZazidEvoz::MediaKind::radio;
    station.name = "Night Radio";
    station.url = server.url("/radio");
    app.play(station);
    ASSERT_TRUE(pumpUntil(
        [&] {
            return app.stateName() == "playing" && app.lyrics()->hasLyrics() && itemIn(stage, "syncedLyrics");
        },
        30s));
    auto* presenter = qobject_cast<LyricsPresenter*>(
        itemIn(stage, "syncedLyrics")->property("presenter").value<QObject*>());
    ASSERT_TRUE(presenter);

    // The lines advance with the stream: three different current lines in a few seconds.
    std::set<int> seen;
    ASSERT_TRUE(pumpUntil(
        [&] {
            if (presenter->currentIndex() >= 0)
                seen.insert(presenter->currentIndex());
            return seen.size() >= 3;
        },
        15s));
    const QImage synced = scene.grab("synced");
    const int line = presenter->currentIndex();
    QQuickItem* row = itemIn(stage, QStringLiteral("lyricRow%1").arg(line));
    ASSERT_TRUE(row);
    const QRect rowArea = row->mapRectToScene(QRectF(0, 0, row->width(), row->height())).toRect();
    EXPECT_GT(colourfulPixels(synced, rowArea), 200) << "line " << line; // sung in the spectrum's colours

    // Half a second later, then back: the clock moves by exactly the offset.
    const auto now = ZazidEvoz::platform::now();
    const double before = *app.lyrics()->position(now);
    click(itemIn(stage, "lyricsLater"));
    EXPECT_NEAR(*app.lyrics()->position(now) - before, 0.5, 1e-9);
    EXPECT_EQ(itemIn(stage, "lyricsOffset")->property("text").toString(), "+0.5 s");
    scene.grab("synced-offset");
    click(itemIn(stage, "lyricsEarlier"));
    click(itemIn(stage, "lyricsEarlier"));
    EXPECT_NEAR(*app.lyrics()->position(now) - before, -0.5, 1e-9);
    EXPECT_EQ(itemIn(stage, "lyricsOffset")->property("text").toString(), "-0.5 s");

    // The strip over a video shows the line being sung and the next.
    QQuickItem* strip = scene.load(R"(
Rectangle {
    id: host
    color: "#202030"
    property QtObject model: null
    VideoLyricsStrip {
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 90
        model: host.model
    }
}
)",
                                   {{"model", QVariant::fromValue<QObject*>(&app)}});
    ASSERT_TRUE(strip);
    ASSERT_TRUE(
        pumpUntil([&] { return shown(itemIn(strip, "stripCurrent")) && shown(itemIn(strip, "stripNext")); }));
    scene.grab("strip");
    scene.drop(strip);

    // The lookup was stored: the sheet shows it for the song.
    ASSERT_TRUE(pumpUntil([&] {
        return app.music()->database()->storedLyrics("Neon Arcade", "Midnight Highway").kind ==
               ZazidEvoz::MusicDatabase::LyricsLookup::Kind::found;
    }));
    QQuickItem* sheetHost = scene.load(R"(
Item {
    id: host
    property QtObject model: null
    LyricsSheet { objectName: "sheet"; model: host.model }
}
)",
                                       {{"model", QVariant::fromValue<QObject*>(&app)}});
    ASSERT_TRUE(sheetHost);
    auto* sheet = sheetHost->findChild<QObject*>("sheet");
    sheet->setProperty("request",
                       QVariantMap{{"id", "1"}, {"artist", "Neon Arcade"}, {"title", "Midnight Highway"}});
    QQuickItem* overlay = scene.window().contentItem();
    ASSERT_TRUE(pumpUntil([&] {
        auto* text = itemIn(overlay, "sheetText");
        return text &&
               text->property("text").toString().startsWith("Neon lights are calling\nDown the midnight");
    }));
    scene.grab("sheet");
    QTest::keyClick(&scene.window(), Qt::Key_Escape);
    ASSERT_TRUE(pumpUntil([&] { return !shown(itemIn(overlay, "lyricsSheet")); }));

    // A search finds the library track by its title and the song by its words.
    QQuickItem* results = scene.load(
        R"(
Rectangle {
    id: host
    color: Theme.night
    property QtObject model: null
    property QtObject ui: null
    MusicSearchResults {
        objectName: "results"
        anchors.fill: parent
        anchors.topMargin: 40
        model: host.model
        ui: host.ui
        query: "midnight"
    }
}
)",
        {{"model", QVariant::fromValue<QObject*>(&app)}, {"ui", QVariant::fromValue<QObject*>(ui.get())}});
    ASSERT_TRUE(results);
    ASSERT_TRUE(pumpUntil([&] { return itemIn(results, "searchTrack0") && itemIn(results, "searchHit0"); }));
    EXPECT_TRUE(itemIn(results, "searchHit0")->property("hasTrack").toBool());
    scene.grab("search");
    scene.drop(results);

    // The song heard on the station, with its stored lyrics.
    QQuickItem* heard = scene.load(
        R"(
Rectangle {
    id: host
    color: Theme.night
    property QtObject model: null
    property QtObject ui: null
    HeardSongsList {
        anchors.fill: parent
        anchors.margins: 24
        model: host.model
        ui: host.ui
    }
}
)",
        {{"model", QVariant::fromValue<QObject*>(&app)}, {"ui", QVariant::fromValue<QObject*>(ui.get())}});
    ASSERT_TRUE(heard);
    ASSERT_TRUE(pumpUntil([&] { return shown(itemIn(heard, "heardLyrics")); }));
    EXPECT_EQ(itemIn(heard, "heardRow0")->property("title").toString(), "Midnight Highway");
    EXPECT_TRUE(itemIn(heard, "heardRow0")
                    ->property("details")
                    .toString()
                    .startsWith("Neon Arcade \u00B7 Night Radio"));
    scene.grab("heard");
    scene.drop(heard);

    // The library status with its popover open.
    QQuickItem* status = scene.load(R"(
Rectangle {
    id: host
    color: Theme.night
    property QtObject model: null
    MusicStatusButton {
        objectName: "statusButton"
        x: parent.width / 2 - 16
        y: 60
        model: host.model
        open: true
    }
}
)",
                                    {{"model", QVariant::fromValue<QObject*>(&app)}});
    ASSERT_TRUE(status);
    ASSERT_TRUE(pumpUntil([&] { return shown(itemIn(scene.window().contentItem(), "statusSyncNow")); }));
    scene.grab("status");
    scene.drop(status);

    // A new title whose lyrics have no timing: the overlay turns into the plain page.
    server.setTitle("/radio", "Neon Arcade - Plain Song");
    ASSERT_TRUE(pumpUntil([&] { return shown(itemIn(stage, "plainText")); }, 30s));
    EXPECT_FALSE(shown(itemIn(stage, "syncControls")));
    scene.grab("plain");

    app.stop();
    EXPECT_TRUE(scene.warnings.isEmpty()) << scene.warnings.join('\n').toStdString();
}
