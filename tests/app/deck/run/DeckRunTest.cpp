// The deck and the station panels in the real main window under a private X display, with the
// real state layer, a local radio server streaming with ICY titles and a local station
// directory: playing from the list, pausing and resuming from the deck, recording to a file,
// filtering, adding a station through the form, searching the directory and playing a hit.
// Pictures of the deck and of each panel are kept as test artefacts.
#include "DeckKit.hpp"
#include "MainWindowKit.hpp"
#include "QmlKit.hpp"
#include "QtTestKit.hpp"
#include "ZazidEvoz/catalogue/LibraryStore.hpp"
#include "qtsupport/DeckKit.hpp"
#include "state/AppRuntime.hpp"
#include "support/Sandbox.hpp"
#include "support/StreamServer.hpp"

#include <QClipboard>
#include <QGuiApplication>
#include <QTest>
#include <filesystem>
#include <gtest/gtest.h>

using namespace ZintraRadio;
using namespace ZintraRadio::testkit;
using namespace std::chrono_literals;
using ZazidEvoz::Station;

namespace fs = std::filesystem;

namespace {

// One window for the process: the servers, the library and the main window with its views.
struct Window : MainWindowRun {
    ZazidEvoz::testkit::StreamServer radio;
    StationDirectory directory;
    std::string liveURL;
    std::string nightURL;
    fs::path support = ZazidEvoz::testkit::makeTemporaryFolder("deckrun");

    Window() {
        radio.addStream("/live", toneStation("Local Test FM", 2));
        radio.setTitle("/live", "Artist One - Song One");
        radio.addStream("/night", toneStation("Night Owl", 2));
        radio.setTitle("/night", "Owl Band - Midnight");
        radio.start();
        liveURL = radio.url("/live");
        nightURL = radio.url("/night");

        directory.answer("name=Night",
                         {{"Night Owl FM", nightURL}, {"Nightwave Radio", "http://127.0.0.1:9/night"}});
        directory.answer("name=night", {{"Night Owl FM", nightURL}});
        directory.answer("/json/stations/topclick/100", {{"Night Owl FM", nightURL},
                                                         {"Top Hits Radio", "http://127.0.0.1:9/top"},
                                                         {"Classic Lounge", "http://127.0.0.1:9/lounge"}});
        directory.answerRaw("/json/tags",
                            R"([{"name":"rock","stationcount":900},{"name":"Jazz","stationcount":700},
            {"name":"pop","stationcount":650},{"name":"news","stationcount":300}])");
        directory.answerRaw("/json/countries", R"([{"name":"Austria","iso_3166_1":"AT","stationcount":300},
            {"name":"Germany","iso_3166_1":"DE","stationcount":2000}])");
        ::setenv("ZINTRARADIO_DIRECTORY_API", directory.base().c_str(), 1);

        Station live = deckStation("Local Test FM", liveURL, "test, tone", "");
        live.countryCode = "AT";
        live.bitrate = 128;
        Station night = deckStation("Nightwave Radio", "http://127.0.0.1:9/night", "ambient, electronic");
        night.countryCode = "DE";
        night.bitrate = 192;
        const Station markup = deckStation("<b>Bold</b> Radio", "http://127.0.0.1:9/bold", "<i>rock</i>");
        ZazidEvoz::LibraryStore(support).save(
            ZazidEvoz::LibrarySnapshot({live, night, markup}, {}, {}, {}, std::nullopt, 0.6f, "zintra"));

        AppRuntime::Options options = windowRunOptions(support);
        options.model.loadDirectory = true;
        AppRuntime::configure(std::move(options));
        open();
    }
};
[[maybe_unused]] auto* const environment = ::testing::AddGlobalTestEnvironment(new ReleaseRun<Window>);

class DeckRun : public WindowRunTest<Window> {
protected:
    void click(QQuickItem* item) {
        ASSERT_NE(item, nullptr);
        const QPointF centre = item->mapToScene(QPointF(item->width() / 2, item->height() / 2));
        QTest::mouseClick(run->window, Qt::LeftButton, {}, centre.toPoint());
        pumpFor(30ms);
    }

    // Clicks into a field and empties it.
    void enter(QQuickItem* field) {
        ASSERT_NE(field, nullptr);
        QQuickItem* input = QmlKit::child(field, "fieldInput");
        ASSERT_NE(input, nullptr);
        click(input);
        input->setProperty("text", QString());
    }

    // Types into a field as the keyboard does.
    void type(QQuickItem* field, const QString& text) {
        enter(field);
        for (const QChar c : text)
            QTest::keyClick(run->window, c.toLatin1());
        pumpFor(30ms);
    }

    // Pastes into a field as Ctrl+V does.
    void paste(QQuickItem* field, const QString& text) {
        enter(field);
        QGuiApplication::clipboard()->setText(text);
        QTest::keyClick(run->window, Qt::Key_V, Qt::ControlModifier);
        pumpFor(30ms);
    }

    void pressReturn() {
        QTest::keyClick(run->window, Qt::Key_Return);
        pumpFor(30ms);
    }

    QString text(const char* name) const { return run->find(name)->property("text").toString(); }

    bool waitForState(const char* state, std::chrono::milliseconds timeout = 20s) {
        return pumpUntil([&] { return model->stateName() == QLatin1String(state); }, timeout);
    }
};

} // namespace

TEST_F(DeckRun, TheFilterHookSearchesTheDirectoryAndAHitPlays) {
    // Set before the window starts, when this test is the process's first.
    ::setenv("ZINTRARADIO_FILTER", "Night", 1);
    start();
    if (!model->current())
        run->grab("deckrun-deck-idle.png", "deckSlot");
    if (ui->moduleName() != QLatin1String("stations"))
        show("stations");
    QQuickItem* filter = run->find("stationsFilter");
    ASSERT_NE(filter, nullptr);
    if (filter->property("text").toString().isEmpty()) // the window was started by another test
        type(filter, QStringLiteral("Night"));
    EXPECT_EQ(filter->property("text").toString(), QStringLiteral("Night"));
    EXPECT_NE(run->find("stationRow_http://127.0.0.1:9/night"), nullptr);
    const std::string hitRow = "directoryRow_" + run->nightURL;
    ASSERT_TRUE(pumpUntil([&] { return run->find(hitRow) != nullptr; }, 10s));
    pumpFor(300ms);
    run->grab("deckrun-stations-search.png", "sidePanel");

    click(run->find(hitRow));
    ASSERT_TRUE(waitForState("playing")) << model->failureText().toStdString();
    EXPECT_EQ(model->current()->url, run->nightURL);
    EXPECT_EQ(text("deckTitle"), QStringLiteral("Night Owl FM"));
    ASSERT_TRUE(pumpUntil([&] { return text("deckSubtitle") == QLatin1String("Owl Band - Midnight"); }, 20s));
    pumpFor(1s);
    run->grab("deckrun-directory-hit-playing.png");
    model->stop();
    ASSERT_TRUE(waitForState("stopped"));
}

TEST_F(DeckRun, PlayFromTheListPauseAndResumeFromTheDeckAndRecord) {
    start();
    show("stations");
    type(run->find("stationsFilter"), QString());
    QQuickItem* row = run->find("stationRow_" + run->liveURL);
    ASSERT_NE(row, nullptr);
    click(row);
    ASSERT_TRUE(waitForState("playing")) << model->failureText().toStdString();
    ASSERT_TRUE(
        pumpUntil([&] { return text("deckSubtitle") == QLatin1String("Artist One - Song One"); }, 20s));
    EXPECT_EQ(text("deckTitle"), QStringLiteral("Local Test FM"));
    EXPECT_TRUE(run->find("deckLive")->isVisible());
    EXPECT_TRUE(row->property("current").toBool());
    EXPECT_TRUE(run->find("deckMeters")->property("moving").toBool());
    EXPECT_TRUE(
        pumpUntil([&] { return run->find("deckMeters")->property("levelLeft").toDouble() > 0.1; }, 5s));
    pumpFor(1500ms);
    EXPECT_NE(run->find("clockElapsed")->property("text").toString(), QStringLiteral("0:00"));
    run->grab("deckrun-deck-playing.png", "deckSlot");
    run->grab("deckrun-window-playing.png");

    QQuickItem* playPause = run->find("deckPlayPause");
    EXPECT_EQ(QmlKit::child(playPause, "playGlyph")->property("symbol").toString(),
              QStringLiteral("pause.fill"));
    click(playPause);
    ASSERT_TRUE(waitForState("paused"));
    EXPECT_EQ(QmlKit::child(playPause, "playGlyph")->property("symbol").toString(),
              QStringLiteral("play.fill"));
    EXPECT_FALSE(run->find("deckLive")->isVisible());
    EXPECT_EQ(text("deckSubtitle"), QStringLiteral("Artist One - Song One"));
    run->grab("deckrun-deck-paused.png", "deckSlot");
    click(playPause);
    ASSERT_TRUE(waitForState("playing"));

    // A recording from the deck: the running time, then a file with sound in it.
    click(run->find("recordButton"));
    ASSERT_TRUE(model->isRecording());
    pumpFor(2500ms);
    EXPECT_NE(text("recordText"), QStringLiteral("REC"));
    run->grab("deckrun-deck-recording.png", "deckSlot");
    click(run->find("recordButton"));
    EXPECT_FALSE(model->isRecording());
    EXPECT_EQ(text("recordText"), QStringLiteral("REC"));
    ASSERT_TRUE(pumpUntil([&] { return !model->recordings().empty(); }, 20s));
    const fs::path file = model->recordings().front().url;
    EXPECT_TRUE(pumpUntil([&] { return fs::exists(file) && fs::file_size(file) > 1000; }, 10s)) << file;

    click(run->find("deckStop"));
    ASSERT_TRUE(waitForState("stopped"));
    EXPECT_EQ(text("deckSubtitle"), QStringLiteral("Stopped"));
}

TEST_F(DeckRun, AFilterNarrowsTheListAndTheFormAddsAStation) {
    start();
    show("stations");
    type(run->find("stationsFilter"), QStringLiteral("tone"));
    EXPECT_NE(run->find("stationRow_" + run->liveURL), nullptr);
    EXPECT_TRUE(pumpUntil([&] { return run->find("stationRow_http://127.0.0.1:9/night") == nullptr; }, 2s));
    type(run->find("stationsFilter"), QString());
    EXPECT_TRUE(run->find("stationsList")->isVisible());

    const auto before = model->library().stations.size();
    click(run->find("stationsAdd"));
    ASSERT_TRUE(pumpUntil([&] { return run->find("addForm") != nullptr; }, 2s));
    type(run->find("addName"), QStringLiteral("Evening Jazz"));
    pressReturn(); // no link yet: nothing happens
    EXPECT_NE(run->find("addForm"), nullptr);
    EXPECT_EQ(model->library().stations.size(), before);
    type(run->find("addGenre"), QStringLiteral("jazz"));
    pumpFor(300ms);
    run->grab("deckrun-add-form.png", "sidePanel");
    type(run->find("addLink"), QStringLiteral("http://127.0.0.1:9/evening"));
    pressReturn();
    EXPECT_TRUE(pumpUntil([&] { return run->find("addForm") == nullptr; }, 2s));
    ASSERT_EQ(model->library().stations.size(), before + 1);
    EXPECT_EQ(model->library().stations.back().name, "Evening Jazz");
    EXPECT_EQ(model->library().stations.back().genre, "jazz");
    EXPECT_TRUE(pumpUntil([&] { return run->find("stationRow_http://127.0.0.1:9/evening") != nullptr; }, 2s));
}

// What is no station link is refused with a word under the link field, and the form stays
// open with the cursor in it; line breaks pasted into the name are kept out of it.
TEST_F(DeckRun, TheFormRefusesWhatIsNoStationLink) {
    start();
    show("stations");
    type(run->find("stationsFilter"), QString());
    const auto before = model->library().stations;
    click(run->find("stationsAdd"));
    ASSERT_TRUE(pumpUntil([&] { return run->find("addForm") != nullptr; }, 2s));
    QQuickItem* link = run->find("addLink");
    const auto linkFocused = [&] { return QmlKit::child(link, "fieldInput")->hasActiveFocus(); };
    QQuickItem* problem = run->find("addLinkProblem");
    ASSERT_NE(problem, nullptr);
    EXPECT_FALSE(problem->isVisible());

    const struct {
        const char* what;
        QString link;
        const char* key;
    } refused[] = {
        {"words", QStringLiteral("hello world"), "stations.linkScheme"},
        {"no scheme", QStringLiteral("127.0.0.1:9/live"), "stations.linkScheme"},
        {"another scheme", QStringLiteral("rtmp://127.0.0.1:9/live"), "stations.linkScheme"},
        {"a line break inside", QStringLiteral("http://127.0.0.1:9/a\r\nIcy-MetaData: 1"),
         "stations.linkControl"},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(c.what);
        paste(link, c.link);
        ASSERT_EQ(QmlKit::child(link, "fieldInput")->property("text").toString(), c.link);
        EXPECT_FALSE(problem->isVisible());
        pressReturn();
        EXPECT_TRUE(problem->isVisible());
        EXPECT_EQ(problem->property("text").toString(), qtTrId(c.key));
        EXPECT_NE(run->find("addForm"), nullptr) << "the form stays open";
        EXPECT_TRUE(linkFocused());
        EXPECT_EQ(model->library().stations, before);
    }
    pumpFor(300ms);
    run->grab("deckrun-add-form-refused.png", "sidePanel");
    click(run->find("addConfirm")); // the button refuses alike
    EXPECT_NE(run->find("addForm"), nullptr);
    EXPECT_TRUE(problem->isVisible());
    EXPECT_EQ(model->library().stations, before);

    // Typing mends it: the word goes, and a link with a scheme is taken.
    type(link, QStringLiteral("http://127.0.0.1:9/late"));
    EXPECT_FALSE(problem->isVisible());
    paste(run->find("addName"), QStringLiteral("Late\nNight\r\n"));
    pressReturn();
    EXPECT_TRUE(pumpUntil([&] { return run->find("addForm") == nullptr; }, 2s));
    ASSERT_EQ(model->library().stations.size(), before.size() + 1);
    EXPECT_EQ(model->library().stations.back().url, "http://127.0.0.1:9/late");
    EXPECT_EQ(model->library().stations.back().name, "Late Night");
    model->removeFromLibrary(model->library().stations.back());
}

TEST_F(DeckRun, PicturesOfEveryPanel) {
    start();
    show("stations");
    type(run->find("stationsFilter"), QString());
    model->toggleFavorite(model->library().stations.front());
    pumpFor(300ms);
    run->grab("deckrun-stations-list.png", "sidePanel");
    ui->setStationGrid(true);
    pumpFor(500ms);
    run->grab("deckrun-stations-grid.png", "sidePanel");
    ui->setStationGrid(false);

    show("discover");
    ASSERT_TRUE(pumpUntil([&] { return !model->browseLoading() && !model->browseResults().empty(); }, 10s));
    pumpFor(500ms);
    EXPECT_TRUE(run->find("discoverResults")->isVisible());
    EXPECT_NE(run->find("genre_Jazz"), nullptr);
    run->grab("deckrun-discover.png", "sidePanel");
    ASSERT_TRUE(pumpUntil([&] { return model->countries().size() == 2; }, 10s));
    click(run->find("countryMenuButton"));
    ASSERT_TRUE(pumpUntil([&] { return run->find("country_AT") != nullptr; }, 2s));
    pumpFor(300ms);
    run->grab("deckrun-discover-countries.png", "sidePanel");
    click(run->find("country_AT"));
    ASSERT_TRUE(pumpUntil([&] { return !model->browseLoading(); }, 10s));
    EXPECT_EQ(model->browseScopeValue().value("kind").toString(), QStringLiteral("country"));
    EXPECT_EQ(text("countryLabel"), QStringLiteral("Austria"));

    show("favorites");
    run->grab("deckrun-favourites.png", "sidePanel");

    model->play(Station(model->library().stations.front()));
    ASSERT_TRUE(waitForState("playing"));
    ASSERT_TRUE(pumpUntil([&] { return !model->songLog().empty(); }, 20s));
    // The tile on air: its level glyph and the spectrum edge.
    show("stations");
    ui->setStationGrid(true);
    pumpFor(800ms);
    EXPECT_NE(run->find("tileEqualizer"), nullptr);
    run->grab("deckrun-stations-grid-playing.png", "sidePanel");
    ui->setStationGrid(false);
    show("history");
    click(run->find("historyTab_played"));
    run->grab("deckrun-history-played.png", "sidePanel");
    click(run->find("historyTab_songs"));
    EXPECT_NE(run->find("songRow0"), nullptr);
    run->grab("deckrun-history-songs.png", "sidePanel");
    const auto database = model->music()->database();
    ASSERT_TRUE(database);
    database->markHeard("Local Artist", "Evening Tone", "Local Test FM");
    model->music()->bumpDatabaseRevision();
    click(run->find("historyTab_heard"));
    ASSERT_TRUE(pumpUntil([&] { return run->find("heardRow0") != nullptr; }, 5s));
    pumpFor(300ms);
    run->grab("deckrun-history-heard.png", "sidePanel");
    pumpFor(500ms);
    run->grab("deckrun-deck.png", "deckSlot");

    // At the window's narrowest the deck's second row still fits: the volume slider ends
    // inside the deck's padding.
    const QSize size = run->window->size();
    run->window->resize(run->window->minimumSize());
    pumpFor(600ms);
    QQuickItem* deck = run->find("deckSlot");
    QQuickItem* volume = run->find("deckVolume");
    run->grab("deckrun-deck-narrow.png", "deckSlot");
    const double volumeEnd = volume->mapToItem(deck, QPointF(volume->width(), 0)).x();
    EXPECT_LE(volumeEnd, deck->width() - 20 + 0.5) << deck->width();
    EXPECT_GE(volume->width(), 64);
    run->window->resize(size);
    pumpFor(300ms);
    model->stop();
    ASSERT_TRUE(waitForState("stopped"));
    show("stations");
}
