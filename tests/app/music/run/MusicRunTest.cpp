// The music library as a listener uses it, on a real display (OpenGL on llvmpipe): the real
// application model and UI state over a folder of generated tracks with covers, the browser
// beside the queue panel. Every tab is browsed, an album opened, a track played and another
// queued next, a playlist reordered by dragging, a tag edited (and read back from the file),
// a smart playlist created, tracks selected, the lyrics views the browser holds shown; and the
// music module in the application's own window. Each step leaves a picture under the build folder.
#include "AppModelKit.hpp"
#include "MainWindowKit.hpp"
#include "MusicTestKit.hpp"
#include "QmlKit.hpp"
#include "ZazidEvoz/music/MusicLibrary.hpp"
#include "ZazidEvoz/platform/FileURL.hpp"
#include "app/music/MusicViewsKit.hpp"
#include "shell/AppEntry.hpp"
#include "state/AppRuntime.hpp"
#include "state/MusicUI.hpp"
#include "state/UIState.hpp"
#include "support/Media.hpp"

#include <QQmlApplicationEngine>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>
#include <fmt/format.h>
#include <gtest/gtest.h>

using namespace ZintraRadio;
using namespace ZintraRadio::testkit;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

struct Song {
    std::string title, artist, album, genre, year;
    int seconds;
    int cover; // -1: none
};

// Album art: a diagonal gradient with a frame, in colours of its own.
fs::path coverArt(int scheme) {
    static const char* const colours[][3] = {{"0xff6a3d", "0x7c3aed", "0x19c3ff"},
                                             {"0x0f766e", "0xa3e635", "0xfef3c7"},
                                             {"0x1e3a8a", "0x0ea5e9", "0xf0abfc"},
                                             {"0x111827", "0xef4444", "0xf59e0b"}};
    const auto& c = colours[scheme % 4];
    const int inset = 50 + 20 * scheme;
    return ZazidEvoz::testkit::generatedMedia(
        fmt::format("musicrun-cover-{}.png", scheme),
        {"-f", "lavfi", "-i",
         fmt::format(
             "gradients=s=320x320:c0={}:c1={}:c2={}:nb_colors=3:x0=0:y0=0:x1=320:y1=320:speed=0.00001", c[0],
             c[1], c[2]),
         "-vf",
         fmt::format("drawbox=x={0}:y={0}:w={1}:h={1}:color=white@0.3:t=5,drawbox=x=130:y=130:w=60:h=60:"
                     "color=black@0.35:t=fill",
                     inset, 320 - 2 * inset),
         "-frames:v", "1"});
}

fs::path songFile(const Song& song, int index) {
    std::vector<std::string> arguments = {
        "-f", "lavfi", "-i",
        fmt::format("sine=frequency={}:sample_rate=44100:duration={}", 220 + 40 * index, song.seconds)};
    if (song.cover >= 0)
        arguments.insert(arguments.end(), {"-i", coverArt(song.cover).string(), "-map", "0", "-map", "1",
                                           "-c:v", "copy", "-disposition:v", "attached_pic"});
    arguments.insert(arguments.end(), {"-id3v2_version", "3", "-b:a", "64k"});
    const std::pair<const char*, const std::string*> tags[] = {{"title", &song.title},
                                                               {"artist", &song.artist},
                                                               {"album", &song.album},
                                                               {"genre", &song.genre},
                                                               {"date", &song.year}};
    for (const auto& [key, value] : tags)
        if (!value->empty())
            arguments.insert(arguments.end(), {"-metadata", std::string(key) + "=" + *value});
    return ZazidEvoz::testkit::generatedMedia(
        fmt::format("musicrun-{:x}.mp3", ZazidEvoz::hashValueStable(song.title + song.artist + song.album)),
        arguments);
}

const std::vector<Song> songs = {
    {"Neon Rain", "Nova Lane", "Midnight Circuits", "Synthwave", "2021", 34, 0},
    {"Afterglow", "Nova Lane", "Midnight Circuits", "Synthwave", "2021", 41, 0},
    {"City of Wires", "Nova Lane", "Midnight Circuits", "Synthwave", "2021", 28, 0},
    {"Low Tide", "The Quiet Harbour", "Salt & Cedar", "Folk", "2018", 36, 1},
    {"Cedar Smoke", "The Quiet Harbour", "Salt & Cedar", "Folk", "2018", 45, 1},
    {"Lanterns", "The Quiet Harbour", "Salt & Cedar", "Folk", "2018", 30, 1},
    {"Velvet Steps", "Ada Moreau", "Blue Hour Sessions", "Jazz", "2015", 52, 2},
    {"Rue de la Paix", "Ada Moreau", "Blue Hour Sessions", "Jazz", "2015", 33, 2},
    {"Slow Orbit", "Ada Moreau", "Blue Hour Sessions", "Jazz", "2015", 38, 2},
    {"Pulse", "Kilowatt", "Gravity Wells", "Electronic", "2023", 31, 3},
    {"Event Horizon", "Kilowatt", "Gravity Wells", "Electronic", "2023", 47, 3},
    {"Paper Boats", "Juniper", "", "Indie", "2020", 29, -1},
    {"Morning Static", "Nova Lane", "", "", "", 26, -1},
};

const char* const scene = R"(
import QtQuick
import ZintraRadio

Item {
    width: 1500
    height: 900
    Rectangle { anchors.fill: parent; color: Theme.night }
    RadialWash { anchors.fill: parent; centerX: width * 0.3; centerY: height * 0.2; radius: 900; color: Theme.alpha(Theme.violet, 0.18) }
    MusicBrowser {
        objectName: "browser"
        width: parent.width - Theme.sidePanelWidth
        height: parent.height
        model: app
        ui: uiState
    }
    Item {
        x: parent.width - Theme.sidePanelWidth
        width: Theme.sidePanelWidth
        height: parent.height
        Rectangle { anchors.fill: parent; color: Theme.night }
        Rectangle { width: 1; height: parent.height; color: Theme.alpha(Theme.cyan, 0.35) }
        QueuePanel { objectName: "queuePanel"; anchors.fill: parent; model: app; ui: uiState }
    }
}
)";

class MusicRun : public ::testing::Test {
protected:
    void SetUp() override {
        installEnglish();
        for (std::size_t i = 0; i < songs.size(); ++i)
            files.push_back(folders.library / fmt::format("{:02} {}.mp3", i + 1, songs[i].title));
        for (std::size_t i = 0; i < songs.size(); ++i)
            fs::copy_file(songFile(songs[i], static_cast<int>(i)), files[i],
                          fs::copy_options::overwrite_existing);
        folders.writeSnapshot();
        auto options = setup.options();
        options.music = folders.options(true);
        app = std::make_unique<AppModel>(options);
        ASSERT_TRUE(MusicFolders::waitForRescan(*app->music()));
        ASSERT_EQ(app->music()->tracks().size(), songs.size());
        UIState::Options uiOptions;
        uiOptions.settingsFile = QString::fromStdString((setup.folder / "ui.conf").string());
        uiOptions.hooks = [](std::string_view) { return std::nullopt; };
        ui = std::make_unique<UIState>(uiOptions);
        ui->setModule(AppModule::music);

        artefacts = fs::path(ZINTRARADIO_TEST_BINARY_DIR) / "musicrun-artefacts";
        fs::create_directories(artefacts);

        engine.addImportPath(QStringLiteral("qrc:/qt/qml"));
        QObject::connect(&engine, &QQmlEngine::warnings, [this](const QList<QQmlError>& errors) {
            for (const auto& error : errors)
                warnings.append(error.toString());
        });
        engine.rootContext()->setContextProperty(QStringLiteral("app"), app.get());
        engine.rootContext()->setContextProperty(QStringLiteral("uiState"), ui.get());
        QQmlComponent component(&engine);
        component.setData(scene, QUrl(QStringLiteral("qrc:/musicrun/Scene.qml")));
        root.reset(qobject_cast<QQuickItem*>(component.create()));
        ASSERT_TRUE(root) << component.errorString().toStdString();
        window.resize(1500, 900);
        window.setColor(Qt::black);
        root->setParentItem(window.contentItem());
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        pumpFor(400ms);
    }

    void TearDown() override {
        keepLibrariesLoaded();
        root.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        window.releaseResources();
        pumpFor(50ms);
        EXPECT_TRUE(warnings.isEmpty()) << warnings.join(QLatin1Char('\n')).toStdString();
    }

    static QQuickItem* search(QQuickItem* from, const QString& name) {
        for (QQuickItem* child : from->childItems()) {
            if (child->objectName() == name && child->isVisible())
                return child;
            if (QQuickItem* found = search(child, name))
                return found;
        }
        return nullptr;
    }

    // A visible item anywhere in the window (pop-ups included).
    QQuickItem* item(const QString& name) { return search(window.contentItem(), name); }

    QPoint centre(QQuickItem* target, QPointF at = {-1, -1}) {
        const QPointF local = at.x() < 0 ? QPointF(target->width() / 2, target->height() / 2) : at;
        return target->mapToScene(local).toPoint();
    }

    void click(const QString& name, Qt::KeyboardModifiers modifiers = {},
               Qt::MouseButton button = Qt::LeftButton, QPointF at = {-1, -1}) {
        QQuickItem* target = nullptr;
        ASSERT_TRUE(pumpUntil([&] { return (target = item(name)) != nullptr; }, 5s)) << name.toStdString();
        QTest::mouseMove(&window, centre(target, at));
        pumpFor(60ms);
        QTest::mouseClick(&window, button, modifiers, centre(target, at));
        pumpFor(250ms);
    }

    void type(const QString& text) {
        for (const QChar c : text)
            QTest::keyClick(&window, c.toLatin1());
        pumpFor(100ms);
    }

    void grab(const std::string& name) {
        pumpFor(500ms);
        const QImage picture = window.grabWindow();
        ASSERT_FALSE(picture.isNull());
        ASSERT_TRUE(picture.save(QString::fromStdString((artefacts / (name + ".png")).string())));
    }

    std::string trackPath(const std::string& title) const {
        for (const auto& track : app->music()->tracks())
            if (track.title == title)
                return track.path;
        return {};
    }

    MusicUI& browser() { return *ui->music(); }

    MusicFolders folders;
    AppSetup setup;
    std::vector<fs::path> files;
    std::unique_ptr<AppModel> app;
    std::unique_ptr<UIState> ui;
    fs::path artefacts;
    QQmlEngine engine;
    QQuickWindow window;
    std::unique_ptr<QQuickItem> root;
    QStringList warnings;
};

} // namespace

TEST_F(MusicRun, BrowsePlayQueueReorderEditAndCreate) {
    auto& music = *app->music();

    // ---- Every tab
    grab("01-albums");
    ASSERT_TRUE(item(QStringLiteral("albumTile4"))) << "four albums and the singles tile";
    QTest::mouseMove(&window, centre(item(QStringLiteral("albumTile1"))));
    grab("02-albums-hover");
    for (const char* tab : {"tracks", "genres", "artists", "playlists"}) {
        SCOPED_TRACE(tab);
        click(QStringLiteral("tab_") + QLatin1String(tab));
        EXPECT_EQ(browser().tabName(), QLatin1String(tab));
        grab(fmt::format("03-tab-{}", tab));
    }

    // ---- An album: its page, then a track played from it
    click(QStringLiteral("tab_albums"));
    click(QStringLiteral("albumTile0"), {}, Qt::LeftButton, {60, 20});
    ASSERT_TRUE(browser().route().has_value());
    EXPECT_EQ(browser().route()->name(), "Blue Hour Sessions");
    click(QStringLiteral("trackRow1"), {}, Qt::LeftButton, {400, 14});
    ASSERT_TRUE(pumpUntil([&] { return app->isActive() && app->current(); }, 20s));
    EXPECT_EQ(app->current()->url, ZazidEvoz::platform::fileURLFromPath(trackPath("Slow Orbit")));
    EXPECT_EQ(music.queue().size(), 3u);
    EXPECT_EQ(music.queueIndex(), 1);
    QTest::mouseMove(&window, QPoint(5, 890));
    grab("04-album-playing");

    // ---- Queue next, from a row's menu in the tracks tab
    click(QStringLiteral("detailBack"));
    click(QStringLiteral("tab_tracks"));
    click(QStringLiteral("trackRow5"), {}, Qt::RightButton, {400, 14}); // Low Tide
    ASSERT_TRUE(item(QStringLiteral("queuePlayNext")));
    grab("05-row-menu");
    click(QStringLiteral("queuePlayNext"));
    ASSERT_EQ(music.queue().size(), 4u);
    EXPECT_EQ(music.queue()[2].name, "The Quiet Harbour - Low Tide") << "right after the current entry";
    grab("06-queued-next");

    // ---- A playlist reordered by dragging its fourth item to the top
    std::vector<ZazidEvoz::Station> items;
    for (const char* title : {"Neon Rain", "Low Tide", "Pulse", "Velvet Steps"})
        items.push_back(music.track(ZazidEvoz::platform::fileURLFromPath(trackPath(title)))->asStation());
    const auto playlist = music.createPlaylist("Road Trip", items);
    browser().open(MusicUI::Route::playlist(playlist.id));
    pumpFor(600ms);
    QQuickItem* fourth = item(QStringLiteral("playlistItem3"));
    QQuickItem* first = item(QStringLiteral("playlistItem0"));
    ASSERT_TRUE(fourth && first);
    const QPoint from = centre(fourth, {200, 20});
    const QPoint to = centre(first, {200, 6});
    QTest::mousePress(&window, Qt::LeftButton, {}, from);
    for (int step = 1; step <= 12; ++step) {
        QTest::mouseMove(&window, from + (to - from) * step / 12);
        pumpFor(30ms);
    }
    grab("07-playlist-dragging");
    QTest::mouseRelease(&window, Qt::LeftButton, {}, to);
    pumpFor(300ms);
    std::vector<std::string> order;
    for (const auto& station : music.playlists().front().items)
        order.push_back(station.name);
    EXPECT_EQ(order, (std::vector<std::string>{"Ada Moreau - Velvet Steps", "Nova Lane - Neon Rain",
                                               "The Quiet Harbour - Low Tide", "Kilowatt - Pulse"}));
    grab("08-playlist-reordered");

    // ---- A tag edited in the sheet, then read back from the file
    browser().close();
    pumpFor(300ms);
    click(QStringLiteral("trackRow1"), {}, Qt::RightButton, {400, 14}); // Cedar Smoke
    const std::string edited = trackPath("Cedar Smoke");
    click(QStringLiteral("menuEditTags"));
    ASSERT_TRUE(browser().editing().has_value());
    QQuickItem* titleField = item(QStringLiteral("tagTitle"));
    ASSERT_TRUE(titleField);
    QTest::mouseClick(&window, Qt::LeftButton, {}, centre(titleField));
    QTest::keyClick(&window, Qt::Key_A, Qt::ControlModifier);
    type(QStringLiteral("Cedar Smoke (Live)"));
    QQuickItem* yearField = item(QStringLiteral("tagYear"));
    QTest::mouseClick(&window, Qt::LeftButton, {}, centre(yearField));
    QTest::keyClick(&window, Qt::Key_A, Qt::ControlModifier);
    type(QStringLiteral("+2019"));
    grab("09-tag-editor");
    click(QStringLiteral("tagSave"));
    EXPECT_FALSE(browser().editing().has_value()) << "the sheet closed at once";
    ASSERT_TRUE(pumpUntil([&] { return trackPath("Cedar Smoke (Live)") == edited; }, 60s));
    const auto reread = folders.store().readTrack(edited, {});
    EXPECT_EQ(reread.title, "Cedar Smoke (Live)");
    EXPECT_EQ(reread.year, 2019);
    EXPECT_EQ(reread.album, "Salt & Cedar") << "only what changed was written";
    EXPECT_TRUE(reread.coverFile.has_value()) << "the cover stays in the file";

    // ---- A smart playlist of one genre, made in the editor
    click(QStringLiteral("tab_playlists"));
    click(QStringLiteral("newSmartPlaylist"));
    ASSERT_TRUE(browser().smartDraft().has_value());
    QQuickItem* name = item(QStringLiteral("smartName"));
    ASSERT_TRUE(name);
    QTest::mouseClick(&window, Qt::LeftButton, {}, centre(name));
    type(QStringLiteral("Late Night Jazz"));
    click(QStringLiteral("ruleGenre"));
    const auto genres = music.genres();
    int jazz = 0;
    for (std::size_t i = 0; i < genres.size(); ++i)
        if (genres[i].name == "Jazz")
            jazz = static_cast<int>(i) + 1; // after the "no genre" choice
    click(QStringLiteral("pickerOption") + QString::number(jazz));
    grab("10-smart-editor");
    click(QStringLiteral("smartSave"));
    ASSERT_FALSE(browser().smartDraft().has_value());
    const auto& created = music.smartPlaylists().back();
    EXPECT_EQ(created.name, "Late Night Jazz");
    EXPECT_EQ(created.rules, std::vector<ZazidEvoz::SmartRule>{ZazidEvoz::SmartRule::genreIs("Jazz")});
    grab("11-playlists-with-smart");
    click(QStringLiteral("smartShortcut") +
          QString::number(static_cast<int>(music.smartPlaylists().size()) - 1));
    ASSERT_TRUE(browser().route().has_value());
    grab("12-smart-page");

    // ---- Tracks selected for the selection bar
    browser().close();
    click(QStringLiteral("tab_tracks"));
    click(QStringLiteral("trackRow0"), Qt::ControlModifier, Qt::LeftButton, {400, 14});
    click(QStringLiteral("trackRow2"), {}, Qt::LeftButton, {400, 14});
    EXPECT_EQ(browser().selection().size(), 2u);
    grab("13-selection");
    browser().setSelection({});

    // ---- The lyrics views the browser hosts: a search with a lyric hit, the library status,
    // and a row's lyrics in their sheet
    ZazidEvoz::SongLyrics words;
    words.plain = "Paper boats along the gutter\nsailing where the rain goes\nfolded from the letters\n"
                  "no one ever sent";
    music.database()->saveLyrics("Juniper", "Paper Boats", words, "test");
    QQuickItem* field = item(QStringLiteral("browserSearch"));
    ASSERT_TRUE(field);
    QTest::mouseClick(&window, Qt::LeftButton, {}, centre(field));
    type(QStringLiteral("rain"));
    ASSERT_TRUE(pumpUntil(
        [&] { return item(QStringLiteral("searchTrack0")) && item(QStringLiteral("searchHit0")); }, 5s));
    grab("14-search-with-lyrics");
    QTest::keyClick(&window, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&window, Qt::Key_Backspace);
    pumpFor(200ms);
    ASSERT_TRUE(browser().search().empty());
    click(QStringLiteral("browserStatus"));
    ASSERT_TRUE(pumpUntil([&] { return item(QStringLiteral("statusSync")) != nullptr; }, 5s));
    grab("15-library-status");
    item(QStringLiteral("browserStatus"))->setProperty("open", false);
    pumpFor(300ms);
    click(QStringLiteral("tab_tracks"));
    int paper = 0;
    for (; paper < 20; ++paper) {
        QQuickItem* row = item(QStringLiteral("trackRow") + QString::number(paper));
        if (row && row->property("title").toString() == QStringLiteral("Paper Boats"))
            break;
    }
    ASSERT_LT(paper, 20);
    click(QStringLiteral("trackRow") + QString::number(paper), {}, Qt::RightButton, {400, 14});
    click(QStringLiteral("menuLyrics"));
    ASSERT_TRUE(pumpUntil(
        [&] {
            QQuickItem* text = item(QStringLiteral("sheetText"));
            return text && text->property("text").toString().contains(QStringLiteral("folded"));
        },
        5s));
    grab("16-lyrics-sheet");
    QTest::keyClick(&window, Qt::Key_Escape);
    ASSERT_TRUE(pumpUntil([&] { return !browser().lyricsRequest().has_value(); }, 5s));
}

// The music module in the application's own window: the browser over the stage and the queue
// in the side panel, both on the process's models.
TEST(MusicWindow, TheMusicModuleShowsTheBrowserOnTheStageAndTheQueueInThePanel) {
    installEnglish();
    MusicFolders folders;
    for (std::size_t i = 0; i < 4; ++i)
        fs::copy_file(songFile(songs[i], static_cast<int>(i)),
                      folders.library / fmt::format("{:02} {}.mp3", i + 1, songs[i].title));
    folders.writeSnapshot();
    AppSetup setup;
    AppRuntime::Options options;
    options.model = setup.options();
    options.model.music = folders.options(true);
    options.ui.settingsFile = QString::fromStdString((setup.folder / "ui.conf").string());
    // The window comes at once, without its opening sequence.
    options.ui.hooks = [](std::string_view name) -> std::optional<std::string> {
        if (name == "SKIP_BOOT")
            return std::string();
        return std::nullopt;
    };
    ASSERT_TRUE(AppRuntime::configure(std::move(options)));
    ASSERT_TRUE(MusicFolders::waitForRescan(*AppRuntime::model().music()));
    ASSERT_EQ(AppRuntime::model().music()->tracks().size(), 4u);

    // The views go first, then the models, however the test ends.
    struct Scene {
        QStringList warnings;
        std::unique_ptr<QQmlApplicationEngine> engine = std::make_unique<QQmlApplicationEngine>();
        QQuickWindow* window = nullptr;
        ~Scene() {
            keepLibrariesLoaded();
            if (window != nullptr) {
                finishScene(*window);
                // The renderer lets go of the covers' textures before the window goes.
                window->releaseResources();
                QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
                pumpFor(50ms);
            }
            engine.reset();
            AppRuntime::release();
        }
    } scene;
    QStringList& warnings = scene.warnings;
    scene.window = loadMainWindow(*scene.engine, warnings);
    QQuickWindow* window = scene.window;
    ASSERT_TRUE(window) << warnings.join(QLatin1Char('\n')).toStdString();
    ASSERT_TRUE(window->isExposed());

    AppRuntime::ui().show(QStringLiteral("music"));
    const auto find = [&](const char* name) { return QmlKit::child(window->contentItem(), name); };
    ASSERT_TRUE(pumpUntil([&] { return find("albumTile1") && find("queueEmpty"); }, 10s))
        << "the album grid on the stage and the queue panel beside it";
    EXPECT_EQ(find("browserTrackCount")->property("text").toString(), QStringLiteral("4 tracks"));
    EXPECT_TRUE(find("browserStatus")->isVisible());
    pumpFor(800ms);
    const fs::path artefacts = fs::path(ZINTRARADIO_TEST_BINARY_DIR) / "musicrun-artefacts";
    fs::create_directories(artefacts);
    EXPECT_TRUE(
        window->grabWindow().save(QString::fromStdString((artefacts / "20-main-window.png").string())));

    // Hiding the browser gives the stage back to the visualizer.
    QTest::mouseClick(window, Qt::LeftButton, {}, find("browserShowStage")->mapToScene({16, 16}).toPoint());
    ASSERT_TRUE(pumpUntil([&] { return AppRuntime::ui().music()->browserHidden(); }, 5s));
    ASSERT_TRUE(pumpUntil(
        [&] {
            return find("stageContent")->property("view").toString() !=
                   QStringLiteral("music/MusicBrowser.qml");
        },
        5s));

    EXPECT_TRUE(warnings.isEmpty()) << warnings.join(QLatin1Char('\n')).toStdString();
}
