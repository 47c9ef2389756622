// The crawl of the real main window: the real state layer over a sandbox with radio stations,
// favourites and history, a music library with albums, playlists and a smart playlist, a
// recording and a finished download; local servers for the streams, the station directory,
// the lyrics, the covers and the thumbnails; a scripted yt-dlp; a stand-in file manager on the
// session bus and a stand-in for the web browser. Each test crawls one part of the window from
// its starting state (a test process of its own under CTest) and prints how many controls it
// activated.
#include "DeckKit.hpp"
#include "Crawler.hpp"
#include "FileManagerStandIn.hpp"
#include "MainWindowKit.hpp"
#include "MediaKit.hpp"
#include "QmlKit.hpp"
#include "ZazidEvoz/catalogue/LibraryStore.hpp"
#include "ZazidEvoz/core/MediaFolders.hpp"
#include "ZazidEvoz/music/MusicLibrary.hpp"
#include "ZazidEvoz/music/MusicLibraryStore.hpp"
#include "qtsupport/DeckKit.hpp"
#include "qtsupport/MediaKit.hpp"
#include "shell/ShellCommands.hpp"
#include "shell/ShellWindows.hpp"
#include "state/AppRuntime.hpp"
#include "state/MusicUI.hpp"
#include "support/LyricsSite.hpp"
#include "support/Media.hpp"
#include "support/StreamServer.hpp"

#include <QDBusConnection>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QQuickStyle>
#include <fmt/format.h>
#include <gtest/gtest.h>

using namespace ZintraRadio;
using namespace ZintraRadio::testkit;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

// Where links and folders would go to the desktop's browser or file manager: noted instead.
class DesktopStandIn : public QObject {
    Q_OBJECT

public:
    QList<QUrl> opened;

public Q_SLOTS:
    void open(const QUrl& url) { opened.append(url); }
};

// The catalogue search for covers: every search finds one picture.
class CoverSite {
public:
    CoverSite() {
        http_.server.Get("/search", [this](const httplib::Request&, httplib::Response& response) {
            response.set_content(
                R"({"resultCount": 1, "results": [{"artistName": "Nova Lane", "artworkUrl100": ")" +
                    http_.url("/art/a/100x100bb.jpg") + R"("}]})",
                "application/json");
        });
        http_.server.Get(R"(/art/.*)", [](const httplib::Request&, httplib::Response& response) {
            const fs::path picture = ZazidEvoz::testkit::generatedMedia(
                "crawl-cover.jpg", {"-f", "lavfi", "-i", "testsrc2=size=600x600", "-frames:v", "1"});
            std::ifstream in(picture, std::ios::binary);
            response.set_content(std::string(std::istreambuf_iterator<char>(in), {}), "image/jpeg");
        });
        http_.start();
    }
    std::string base() const { return http_.url(""); }

private:
    ZazidEvoz::testkit::LocalHttpServer http_;
};

struct Song {
    const char* title;
    const char* artist;
    const char* album;
    const char* genre;
    int cover; // -1: none
};

const Song songs[] = {
    {"Neon Rain", "Nova Lane", "Midnight Circuits", "Synthwave", 0},
    {"Afterglow", "Nova Lane", "Midnight Circuits", "Synthwave", 0},
    {"Low Tide", "The Quiet Harbour", "Salt & Cedar", "Folk", 1},
    {"Cedar Smoke", "The Quiet Harbour", "Salt & Cedar", "Folk", 1},
    {"Velvet Steps", "Ada Moreau", "Blue Hour Sessions", "Jazz", 2},
    {"Slow Orbit", "Ada Moreau", "Blue Hour Sessions", "Jazz", 2},
    {"Paper Boats", "Juniper", "", "Indie", -1},
};

fs::path songFile(const Song& song, int index) {
    std::vector<std::string> arguments = {
        "-f", "lavfi", "-i",
        fmt::format("sine=frequency={}:sample_rate=44100:duration=20", 220 + 40 * index)};
    if (song.cover >= 0) {
        const fs::path cover = ZazidEvoz::testkit::generatedMedia(
            fmt::format("crawl-art-{}.png", song.cover),
            {"-f", "lavfi", "-i", fmt::format("testsrc2=size=240x240:rate=1,hue=h={}", 120 * song.cover),
             "-frames:v", "1"});
        arguments.insert(arguments.end(), {"-i", cover.string(), "-map", "0", "-map", "1", "-c:v", "copy",
                                           "-disposition:v", "attached_pic"});
    }
    arguments.insert(arguments.end(),
                     {"-id3v2_version", "3", "-b:a", "64k", "-metadata", std::string("title=") + song.title,
                      "-metadata", std::string("artist=") + song.artist, "-metadata",
                      std::string("album=") + song.album, "-metadata", std::string("genre=") + song.genre,
                      "-metadata", "date=2021"});
    return ZazidEvoz::testkit::generatedMedia(fmt::format("crawl-song-{}.mp3", index), arguments);
}

// The process's window over its sandbox.
struct Window : MainWindowRun {
    ZazidEvoz::testkit::StreamServer radio;
    StationDirectory directory;
    ZazidEvoz::testkit::LyricsSite lyrics;
    CoverSite covers;
    PictureSite pictures;
    MediaYtDlp ytdlp;
    FileManagerStandIn fileManager;
    DesktopStandIn desktop;
    QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("crawl"));
    fs::path support = ZazidEvoz::testkit::makeTemporaryFolder("crawl");
    fs::path music = ZazidEvoz::testkit::makeTemporaryFolder("crawl-music");
    ZazidEvoz::testkit::ScopedEnvironment musicDirectory{"ZINTRARADIO_MUSIC_DIR", music.c_str()};
    std::string liveURL;
    KeyFilter keys;
    std::unique_ptr<ShellWindows> windows;

    Window() : MainWindowRun("crawl-artefacts") {
        bus.registerObject(QStringLiteral("/org/freedesktop/FileManager1"), &fileManager,
                           QDBusConnection::ExportAllSlots);
        bus.registerService(QStringLiteral("org.freedesktop.FileManager1"));
        for (const char* scheme : {"http", "https", "file"})
            QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &desktop, "open");

        serveRadioAndDirectory();
        serveLyrics();
        serveYouTube();
        writeLibrary();
        writeMusic();
        writeRecording();

        AppRuntime::Options options = windowRunOptions(support);
        options.model.loadDirectory = true;
        options.model.directoryMirrors = std::vector<std::string>{directory.base()};
        options.model.lyricsBaseURL = lyrics.baseURL();
        options.model.music.lyricsBaseURL = lyrics.baseURL();
        options.model.music.coverBaseURL = covers.base();
        options.model.music.supportFolder = support;
        options.model.video.audioOutput = "null";
        AppRuntime::configure(std::move(options));
        // As the program runs: the controls' basic style, the keyboard filter, the about and mini
        // windows.
        QQuickStyle::setStyle(QStringLiteral("Basic"));
        QApplication::setQuitOnLastWindowClosed(false);
        qApp->installEventFilter(&keys);
        // OpenGL (llvmpipe), as a user's window draws: shaders, glass and their fallbacks are
        // crawled as they show there.
        QQuickWindow::setSceneGraphBackend(QString());
        QQuickWindow::setGraphicsApi(QSGRendererInterface::OpenGL);
        open();
        if (window == nullptr)
            return;
        QElapsedTimer timer;
        timer.start();
        windows = std::make_unique<ShellWindows>(*engine);
        setDesktopActions(
            {[this] { windows->openAbout(); }, [this] { windows->openMini(QPoint(960, 540), false); }});
        finishDownload();
        std::printf("crawl: the download finished after %.1f s\n", timer.elapsed() / 1000.0);
        makePlaylists();
        std::printf("crawl: the music library was ready after %.1f s\n", timer.elapsed() / 1000.0);
    }
    ~Window() override {
        setDesktopActions({});
        qApp->removeEventFilter(&keys);
        for (const char* scheme : {"http", "https", "file"})
            QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
    }

    void serveRadioAndDirectory() {
        radio.addStream("/live", toneStation("Local Test FM", 2));
        radio.setTitle("/live", "Nova Lane - Neon Rain");
        radio.addStream("/night", toneStation("Night Owl", 2));
        radio.setTitle("/night", "Owl Band - Midnight");
        radio.start();
        liveURL = radio.url("/live");
        const std::string night = radio.url("/night");
        directory.answer("/json/stations/topclick/100",
                         {{"Night Owl FM", night}, {"Top Hits Radio", deadURL + "/top"}});
        directory.answer("/json/stations/topvote/100", {{"Classic Lounge", deadURL + "/lounge"}});
        directory.answerRaw("/json/tags",
                            R"([{"name":"rock","stationcount":900},{"name":"jazz","stationcount":700}])");
        directory.answerRaw("/json/countries",
                            R"([{"name":"Austria","iso_3166_1":"AT","stationcount":300},
                                {"name":"Germany","iso_3166_1":"DE","stationcount":2000}])");
        directory.answer("name=zr", {{"ZR Radio", deadURL + "/zr"}});
    }

    void serveLyrics() {
        lyrics.onGet([](const httplib::Request& request, httplib::Response& response) {
            ZazidEvoz::testkit::answerJSON(
                response, ZazidEvoz::testkit::record(
                              request.get_param_value("track_name"), request.get_param_value("artist_name"),
                              "[00:01.00]Neon lights are calling\n[00:03.00]Down the highway\n",
                              "Neon lights are calling\nDown the highway"));
        });
        lyrics.onSearch([](const httplib::Request&, httplib::Response& response) {
            ZazidEvoz::testkit::answerJSON(response, ZazidEvoz::json::Value::array());
        });
    }

    void serveYouTube() {
        std::vector<std::string> lines;
        const char* titles[] = {"Night Drive", "Coastal Lights (Official Video)", "Live: Midnight Radio"};
        for (int i = 0; i < 3; ++i)
            lines.push_back(resultLine("vid" + std::to_string(i), titles[i],
                                       pictures.url("/thumb/" + std::to_string(i) + ".jpg"), 200 + i));
        ytdlp.listing(lines);
        ytdlp.stream(radio.url("/live"));
        ytdlp.audio(ZazidEvoz::testkit::toneMp3());
        ytdlp.write("name-vid9", "Finished Download");
    }

    void writeLibrary() {
        const auto station = [](std::string name, std::string url, std::string genre) {
            ZazidEvoz::Station made =
                deckStation(std::move(name), std::move(url), std::move(genre), "Austria");
            made.countryCode = "AT";
            made.bitrate = 128;
            return made;
        };
        const ZazidEvoz::Station live = station("Local Test FM", liveURL, "test, tone");
        const ZazidEvoz::Station night = station("Night Owl", radio.url("/night"), "ambient");
        const ZazidEvoz::Station silent = station("Silent Radio", deadURL + "/silent", "talk");
        ZazidEvoz::LibraryStore(support).save(ZazidEvoz::LibrarySnapshot(
            {live, night, silent}, {night.url}, {night}, {night, live}, live.url, 0.5f, "zintra"));
    }

    void writeMusic() {
        const fs::path library = music / "Library";
        fs::create_directories(library);
        int index = 0;
        for (const Song& song : songs) {
            fs::copy_file(songFile(song, index),
                          library / fmt::format("{:02} {}.mp3", index + 1, song.title));
            ++index;
        }
        ZazidEvoz::MusicSnapshot snapshot;
        snapshot.folders = {library.string()};
        ZazidEvoz::MusicLibraryStore(support).save(snapshot);
    }

    static void writeRecording() {
        const fs::path folder = ZazidEvoz::MediaFolders::recordings();
        fs::create_directories(folder);
        fs::copy_file(ZazidEvoz::testkit::sineFile("crawl-recording.mp3", 330, 20),
                      folder / "Local Test FM (Neon Rain) - 2024-03-01 20.15.00.mp3");
    }

    // A download that ran to its end before the crawl.
    void finishDownload() {
        AppModel& model = AppRuntime::model();
        QVariantMap item{{QStringLiteral("name"), QStringLiteral("Finished Download")},
                         {QStringLiteral("url"), QString::fromStdString(watchLink("vid9"))},
                         {QStringLiteral("kind"), QStringLiteral("youtube")}};
        model.downloadMP3(item, false);
        pumpUntil([&] { return !model.downloads().empty() && !model.downloads().front()->isActive(); }, 60s);
    }

    void makePlaylists() {
        MusicModel& library = *AppRuntime::model().music();
        pumpUntil([&] { return !library.scanning() && library.tracks().size() >= std::size(songs); }, 120s);
        std::vector<ZazidEvoz::Station> items;
        for (const auto& track : library.tracks())
            if (items.size() < 3)
                items.push_back(track.asStation());
        library.createPlaylist("Road Trip", items);
        library.createSmartPlaylist("Only Jazz", {ZazidEvoz::SmartRule::genreIs("Jazz")}, true,
                                    ZazidEvoz::SmartSort::title, 0);
    }
};
[[maybe_unused]] auto* const environment = ::testing::AddGlobalTestEnvironment(new ReleaseRun<Window>);

// Faults that other branches mend; each entry goes when its mend lands.
const std::vector<KnownFault>& knownFaults() {
    static const std::vector<KnownFault> known = {};
    return known;
}

// Controls the crawl leaves alone.
const std::vector<Skipped>& skippedControls() {
    static const std::vector<Skipped> skipped = {
        {QRegularExpression(QStringLiteral("menu_quit$|miniQuit$")), "quits the program"},
        {QRegularExpression(QStringLiteral("menuRestoreDefaults$")),
         "adds the built-in stations, whose streams are on the internet; tests reach only 127.0.0.1"},
    };
    return skipped;
}

// Where a crawl starts and what it covers.
struct Part {
    const char* name;
    QString module;
    // The parts of the window crawled while the module shows (the rail, deck, stage and
    // menus whatever shows).
    std::vector<const char*> panels;
    std::vector<const char*> always = {};
    QString musicTab = QStringLiteral("albums");
    QStringList excluded = {};
};

class Crawl : public ::testing::Test {
protected:
    void SetUp() override {
        run = &ProcessRun<Window>::get();
        ASSERT_NE(run->window, nullptr) << run->diagnostics();
        model = &AppRuntime::model();
        ui = &AppRuntime::ui();
        run->window->requestActivate();
        (void)QTest::qWaitForWindowActive(run->window);
        ui->setBooting(false);
    }

    QQuickItem* find(const char* name) const { return run->find(name); }

    // Playing from the local stream, so that Space has something to pause.
    void playLive() {
        if (model->stateName() == QLatin1String("playing"))
            return;
        for (const auto& station : model->library().stations)
            if (station.url == run->liveURL)
                model->play(station);
        ASSERT_TRUE(pumpUntil([&] { return model->stateName() == QLatin1String("playing"); }, 60s))
            << model->failureText().toStdString();
    }

    void leaveSideWindows() {
        for (QWindow* window : QGuiApplication::topLevelWindows())
            if (window != run->window && window->isVisible())
                window->close();
    }

    // The window as a crawl starts: the part's module and music tab, no cinema mode, the
    // panel shown as a list, the stage in place of a video, no side window, something playing.
    void restore(const Part& part) {
        leaveSideWindows();
        ui->setCinema(false);
        ui->setPanelHidden(false);
        ui->setLyricsVisible(false);
        if (ui->moduleName() != part.module)
            ui->show(part.module);
        ui->setStationGrid(false);
        MusicUI& browser = *ui->music();
        browser.close();
        browser.setTabName(part.musicTab);
        browser.setSearchText(QString());
        browser.setSelectionList({});
        browser.setBrowserHidden(false);
        if (model->videoItem())
            model->stopVideo();
        if (model->stateName() == QLatin1String("stopped") || model->stateName() == QLatin1String("failed"))
            playLive();
    }

    bool atStart(const Part& part) const {
        const MusicUI& browser = *ui->music();
        const QWindowList windows = QGuiApplication::topLevelWindows();
        return !ui->cinema() && !ui->panelHidden() && ui->moduleName() == part.module && !ui->stationGrid() &&
               !browser.route() && browser.tabName() == part.musicTab && browser.searchText().isEmpty() &&
               browser.selectionList().isEmpty() && !browser.browserHidden() && !model->videoItem() &&
               std::none_of(windows.begin(), windows.end(),
                            [&](QWindow* window) { return window != run->window && window->isVisible(); });
    }

    QString describe() const {
        QStringList open;
        for (QWindow* window : QGuiApplication::topLevelWindows())
            if (window->isVisible())
                open.append(window->objectName());
        return QStringLiteral("module %1, cinema %2, panel hidden %3, grid %4, music tab %5, windows %6")
            .arg(ui->moduleName())
            .arg(ui->cinema())
            .arg(ui->panelHidden())
            .arg(ui->stationGrid())
            .arg(ui->music()->tabName(), open.join(QLatin1Char(',')));
    }

    // Crawls the part from its start and reports what it did.
    void crawl(const Part& part) {
        playLive();
        Crawler::Options options;
        options.window = run->window;
        options.scope = [this, part] {
            std::vector<QQuickItem*> roots;
            for (const char* name : part.always)
                roots.push_back(find(name));
            if (ui->moduleName() == part.module)
                for (const char* name : part.panels)
                    roots.push_back(find(name));
            return roots;
        };
        options.restore = [this, part] { restore(part); };
        options.rebuild = [this, part] {
            ui->show(part.module == QLatin1String("stations") ? QStringLiteral("history")
                                                              : QStringLiteral("stations"));
            pumpUntil([&] { return ui->moduleName() != part.module; }, 10s);
            restore(part);
        };
        options.atStart = [this, part] { return atStart(part); };
        // What Space acts on: an open video, else the engine.
        options.playbackState = [this] { return model->transportStateName(); };
        options.player = model;
        options.playbackSignal = "transportStateChanged()";
        options.describe = [this] { return describe(); };
        options.clearPassing = [this] {
            QQuickItem* toasts = find("toastHost");
            if (toasts == nullptr || toasts->childItems().isEmpty())
                return false;
            model->closeToast();
            return pumpUntil([&] { return toasts->childItems().isEmpty(); }, 10s);
        };
        options.pictures = QString::fromStdString(run->artefacts.string());
        options.excluded = part.excluded;
        options.skipped = skippedControls();
        options.known = knownFaults();
        options.focusing = QRegularExpression(QStringLiteral("menu_search$|menu_link$|stationsAdd$"));
        Crawler crawler(options);
        QElapsedTimer timer;
        timer.start();
        crawler.run();
        std::printf("crawl: %s: %d controls activated, %d dialogs cancelled, %d Space checks, %.0f s\n",
                    part.name, crawler.activated(), crawler.dialogsCancelled(), crawler.spaceChecks(),
                    timer.elapsed() / 1000.0);
        for (const QString& key : crawler.skippedKeys())
            std::printf("crawl: %s: skipped %s\n", part.name, qPrintable(key));
        for (const QString& key : crawler.lost())
            std::printf("crawl: %s: gone before it was reached: %s\n", part.name, qPrintable(key));
        for (const QString& fault : crawler.knownSeen())
            std::printf("crawl: %s: known fault met: %s\n", part.name, qPrintable(fault));
        EXPECT_GT(crawler.activated(), 0);
    }

    Window* run = nullptr;
    AppModel* model = nullptr;
    UIState* ui = nullptr;
};

} // namespace

// The music browser's parts: the header has a test of its own, each tab and its pages one.
// The menus and sheets that several parts share are crawled with one of them: a track's menu,
// the tag editor, the selection bar and the lyrics sheet with the tracks, the smart playlist
// editor with the playlists.
const QStringList trackTools = {QStringLiteral("trackMenu"), QStringLiteral("tagEditorSheet"),
                                QStringLiteral("selectionBar"), QStringLiteral("lyricsSheet")};
const QStringList smartEditor = {QStringLiteral("smartPlaylistSheet")};
const QStringList browserHeader = {QStringLiteral("browserHeader")};
const QStringList browserContent = {QStringLiteral("browserContent"), QStringLiteral("browserPage"),
                                    QStringLiteral("selectionBar")};
// The browser belongs to the music tests.
const QStringList browser = {QStringLiteral("browserMain"), QStringLiteral("browserPage"),
                             QStringLiteral("selectionBar")};

TEST_F(Crawl, StageDeckRailAndMenus) {
    crawl({"stage, deck, rail and menus",
           QStringLiteral("stations"),
           {},
           {"moduleRail", "stageSlot", "videoSlot", "deckSlot", "menuBar", "toastHost"},
           QStringLiteral("albums"),
           browser});
}

TEST_F(Crawl, Stations) {
    crawl({"stations", QStringLiteral("stations"), {"sidePanel"}});
}

TEST_F(Crawl, Discover) {
    crawl({"discover", QStringLiteral("discover"), {"sidePanel"}});
}

TEST_F(Crawl, Favorites) {
    crawl({"favorites", QStringLiteral("favorites"), {"sidePanel"}});
}

TEST_F(Crawl, History) {
    crawl({"history", QStringLiteral("history"), {"sidePanel"}});
}

TEST_F(Crawl, YouTube) {
    crawl({"youtube", QStringLiteral("youtube"), {"sidePanel"}, {"videoSlot"}});
}

TEST_F(Crawl, Recordings) {
    crawl({"recordings", QStringLiteral("recordings"), {"sidePanel"}});
}

TEST_F(Crawl, MusicQueue) {
    crawl({"music queue", QStringLiteral("music"), {"sidePanel"}, {}, QStringLiteral("albums"), smartEditor});
}

// The browser over the stage on the music tab `tab`, without the parts named in `excluded`.
Part browserPart(const char* name, const char* tab, const QStringList& excluded) {
    return {name, QStringLiteral("music"), {"stageContent"}, {}, QString::fromLatin1(tab), excluded};
}

TEST_F(Crawl, MusicHeader) {
    crawl(browserPart("music header", "albums", browserContent));
}

TEST_F(Crawl, MusicAlbums) {
    crawl(browserPart("music albums", "albums", browserHeader + trackTools + smartEditor));
}

TEST_F(Crawl, MusicTracks) {
    crawl(browserPart("music tracks", "tracks", browserHeader + smartEditor));
}

TEST_F(Crawl, MusicGenres) {
    crawl(browserPart("music genres", "genres", browserHeader + trackTools + smartEditor));
}

TEST_F(Crawl, MusicArtists) {
    crawl(browserPart("music artists", "artists", browserHeader + trackTools + smartEditor));
}

TEST_F(Crawl, MusicPlaylists) {
    crawl(browserPart("music playlists", "playlists", browserHeader + trackTools));
}

#include "CrawlTest.moc"
