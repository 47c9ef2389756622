// The stage's chrome on the software scene graph: brand mark, link field, mode picker, status
// line, cinema bar and the stage view's hover, cinema, double-click and drops.
#include "QmlKit.hpp"
#include "QtTestKit.hpp"
#include "state/AppRuntime.hpp"
#include "state/StageFeed.hpp"
#include "support/Sandbox.hpp"

#include <QMimeData>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QTranslator>
#include <QtTest/QTest>
#include <gtest/gtest.h>

using namespace ZintraRadio;
using namespace std::chrono_literals;

namespace {

// The software scene graph and the English texts, once, before the first window exists (a
// window made earlier fixes the scene graph's backend for the process).
struct Prepared {
    Prepared() {
        static const bool prepared = [] {
            QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
            static QTranslator english;
            if (english.load(QStringLiteral(":/i18n/zintraradio_en.qm")))
                QCoreApplication::installTranslator(&english);
            return true;
        }();
        (void)prepared;
    }
};

// A window holding one stage view made from QML text, on the software scene graph with the
// English texts.
class Window {
public:
    explicit Window(const QByteArray& qml, QSize size = QSize(1200, 700)) {
        kit_.window.resize(size);
        root_ = kit_.create("import QtQuick\nimport ZintraRadio\n" + qml);
        if (!root_)
            throw std::runtime_error(kit_.warnings.join(QLatin1Char('\n')).toStdString());
        if (root_->width() <= 0)
            root_->setSize(size);
        kit_.show();
        if (!QTest::qWaitForWindowExposed(&kit_.window))
            throw std::runtime_error("window not exposed");
        testkit::pumpFor(30ms);
    }

    QQuickItem* root() { return root_; }
    QQuickWindow* window() { return &kit_.window; }
    QQuickItem* find(const char* name) { return testkit::QmlKit::child(root_, name); }
    QPoint centreOf(QQuickItem* item) {
        return item->mapToScene(QPointF(item->width() / 2, item->height() / 2)).toPoint();
    }
    void click(QQuickItem* item) {
        QTest::mouseClick(&kit_.window, Qt::LeftButton, Qt::NoModifier, centreOf(item));
        testkit::pumpFor(20ms);
    }

private:
    Prepared prepared_; // before the kit's window
    testkit::QmlKit kit_;
    QQuickItem* root_ = nullptr;
};

bool shown(QQuickItem* item) {
    return item && item->isVisible() && item->opacity() > 0;
}

} // namespace

TEST(BrandMark, ProportionsFollowTheSize) {
    Window window("BrandMark { size: 15 }");
    EXPECT_DOUBLE_EQ(window.root()->property("symbolSize").toDouble(), 20.25);
    auto* primary = window.find("brandPrimary");
    ASSERT_TRUE(primary);
    const QFont font = primary->property("font").value<QFont>();
    EXPECT_EQ(font.pixelSize(), 15);
    EXPECT_NEAR(font.letterSpacing(), 4.8, 0.02) << "fonts keep spacing in 64ths";
    EXPECT_EQ(font.weight(), QFont::Bold);
    EXPECT_EQ(window.find("brandSecondary")->property("font").value<QFont>().weight(), QFont::Normal);
}

TEST(LinkField, ReturnHandsOverTheTextAsTypedAndEmptiesTheField) {
    Window window("LinkField { width: 300 }");
    QSignalSpy submitted(window.root(), SIGNAL(submitted(QString)));
    auto* input = window.find("linkField")->property("input").value<QQuickItem*>();
    ASSERT_TRUE(input);
    // Blank text, an option-looking text and a link all go out unchanged: trimming and refusing
    // are the model's, and the engine never takes "-" texts as options.
    for (const QString& typed :
         {QStringLiteral("   "), QStringLiteral("-o /tmp/x --exec=rm"), QStringLiteral("not a link"),
          QStringLiteral("https://radio.example/live")}) {
        window.root()->setProperty("focusTrigger", window.root()->property("focusTrigger").toInt() + 1);
        testkit::pumpFor(20ms);
        ASSERT_TRUE(input->hasActiveFocus());
        window.root()->setProperty("text", typed);
        QTest::keyClick(window.window(), Qt::Key_Return);
        ASSERT_EQ(submitted.count(), 1);
        EXPECT_EQ(submitted.takeFirst().at(0).toString(), typed);
        EXPECT_EQ(window.root()->property("text").toString(), QString());
    }
    // Each bump of the trigger takes the focus, even when it was taken away in between.
    input->setFocus(false);
    window.root()->setProperty("focusTrigger", 99);
    testkit::pumpFor(20ms);
    EXPECT_TRUE(input->hasActiveFocus());
}

TEST(ModePicker, SelectionNamesAndClicks) {
    Window window("ModePicker { mode: \"\"; reducedMotion: true }");
    auto* zintra = window.find("mode-zintra");
    auto* warp = window.find("mode-warp");
    ASSERT_TRUE(zintra && warp);
    EXPECT_TRUE(zintra->property("selected").toBool()) << "a stored name that names no mode is zintra";
    EXPECT_TRUE(shown(testkit::QmlKit::child(zintra, "modeName")));
    EXPECT_FALSE(shown(testkit::QmlKit::child(warp, "modeName")));
    const double narrow = warp->implicitWidth();

    QSignalSpy selected(window.root(), SIGNAL(selected(QString)));
    window.click(warp);
    ASSERT_EQ(selected.count(), 1);
    EXPECT_EQ(selected.takeFirst().at(0).toString(), QStringLiteral("warp"));
    window.click(zintra); // the selected one asks too; the model ignores an unchanged mode
    ASSERT_EQ(selected.count(), 1);
    EXPECT_EQ(selected.takeFirst().at(0).toString(), QStringLiteral("zintra"));

    window.root()->setProperty("mode", QStringLiteral("warp"));
    EXPECT_TRUE(testkit::pumpUntil([&] { return warp->implicitWidth() > narrow + 20; }, 2s))
        << "the selected button grows to show its name";
    auto* pill = window.find("selectionPill");
    EXPECT_TRUE(testkit::pumpUntil(
        [&] {
            return std::abs(pill->x() - (warp->x() + 4)) < 0.5 &&
                   std::abs(pill->width() - warp->width()) < 0.5;
        },
        2s))
        << "the pill moves to the new button";

    // Hover brightens an unselected button and gives it a faint pill.
    auto* scope = window.find("mode-scope");
    QTest::mouseMove(window.window(), window.centreOf(scope));
    EXPECT_TRUE(
        testkit::pumpUntil([&] { return scope->property("foregroundOpacity").toDouble() == 0.9; }, 1s));
    EXPECT_EQ(warp->property("foregroundOpacity").toDouble(), 1.0);
}

TEST(StageStatus, ModeNameThenConnectingOrPaused) {
    Window window("StageStatus { ticking: false; mode: \"aurora\" }");
    QQuickItem* status = window.root();
    const double changed = 1.7e12;
    status->setProperty("modeChangedAt", changed);
    struct Case {
        double after;
        const char* state;
        const char* shown;
    };
    const Case cases[] = {
        {0.0, "paused", "name"},   {1.59, "buffering", "name"}, {1.6, "buffering", "connecting"},
        {1.7, "paused", "paused"}, {5.0, "playing", ""},        {5.0, "stopped", ""},
        {5.0, "failed", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.state) + " at " + std::to_string(c.after));
        status->setProperty("playbackState", QString::fromLatin1(c.state));
        status->setProperty("now", changed + c.after * 1000);
        EXPECT_EQ(status->property("shown").toString(), QString::fromLatin1(c.shown));
    }
    EXPECT_EQ(status->property("modeName").toString(), QStringLiteral("AURORA"));
    status->setProperty("mode", QStringLiteral("no such mode"));
    EXPECT_EQ(status->property("modeName").toString(), QStringLiteral("ZINTRA"));

    status->setProperty("now", changed + 3000);
    status->setProperty("playbackState", QStringLiteral("buffering"));
    auto* text = window.find("statusText");
    EXPECT_EQ(text->property("text").toString(), QStringLiteral("CONNECTING"));
    status->setProperty("playbackState", QStringLiteral("paused"));
    EXPECT_EQ(text->property("text").toString(), QStringLiteral("PAUSED"));
}

TEST(CinemaBar, ButtonsAndTheCurrentItem) {
    Window window("CinemaBar { }");
    QQuickItem* bar = window.root();
    EXPECT_FALSE(window.find("cinemaArtwork")->isVisible()) << "nothing selected: only the three buttons";
    EXPECT_FALSE(window.find("cinemaTitle")->isVisible());

    struct Case {
        const char* state;
        const char* symbol;
        const char* help;
    };
    for (const Case c :
         {Case{"playing", "pause.fill", "deck.pause"}, Case{"buffering", "pause.fill", "deck.play"},
          Case{"paused", "play.fill", "deck.play"}, Case{"stopped", "play.fill", "deck.play"}}) {
        bar->setProperty("playbackState", QString::fromLatin1(c.state));
        auto* button = window.find("cinemaPlayPause");
        EXPECT_EQ(button->property("symbol").toString(), QString::fromLatin1(c.symbol)) << c.state;
        EXPECT_EQ(button->property("helpKey").toString(), QString::fromLatin1(c.help)) << c.state;
    }

    bar->setProperty("current", QVariantMap{{"name", "Radio Zintra"}, {"url", "https://radio.example/live"}});
    bar->setProperty("nowPlaying",
                     QStringLiteral("A song title long enough to be cut somewhere along the way, "
                                    "because it goes on and on"));
    testkit::pumpFor(30ms);
    EXPECT_TRUE(window.find("cinemaArtwork")->isVisible());
    EXPECT_EQ(window.find("cinemaTitle")->property("text").toString(), QStringLiteral("Radio Zintra"));
    EXPECT_LE(window.find("cinemaSong")->width(), 300);

    QSignalSpy previous(bar, SIGNAL(previous())), playPause(bar, SIGNAL(playPause())),
        next(bar, SIGNAL(next()));
    window.click(window.find("cinemaPrevious"));
    window.click(window.find("cinemaPlayPause"));
    window.click(window.find("cinemaNext"));
    EXPECT_EQ(previous.count(), 1);
    EXPECT_EQ(playPause.count(), 1);
    EXPECT_EQ(next.count(), 1);
}

namespace {

const QByteArray stageQml = "StageScreen { hideDelay: 300 }";

} // namespace

TEST(StageScreen, DoubleClickTogglesCinemaExceptWhileBrowsingMusic) {
    Window window(stageQml);
    QSignalSpy cinema(window.root(), SIGNAL(cinemaToggled()));
    const QPoint middle(600, 350);
    QTest::mouseDClick(window.window(), Qt::LeftButton, Qt::NoModifier, middle);
    testkit::pumpFor(30ms);
    EXPECT_EQ(cinema.count(), 1);

    window.root()->setProperty("module", QStringLiteral("music"));
    EXPECT_TRUE(window.root()->property("browsingMusic").toBool());
    QTest::mouseDClick(window.window(), Qt::LeftButton, Qt::NoModifier, middle);
    testkit::pumpFor(30ms);
    EXPECT_EQ(cinema.count(), 1);
}

TEST(StageScreen, CinemaChromeHidesAfterThePointerRestsAndReturnsOnAMove) {
    Window window(stageQml);
    QQuickItem* stage = window.root();
    auto* chrome = window.find("stageChrome");
    const QPoint middle(600, 350);

    // Outside cinema mode the chrome stays, even after the pointer has left.
    QTest::mouseMove(window.window(), middle);
    testkit::pumpFor(500ms);
    EXPECT_TRUE(stage->property("chromeVisible").toBool());

    stage->setProperty("cinema", true);
    QTest::mouseMove(window.window(), middle + QPoint(5, 5));
    testkit::pumpFor(30ms);
    EXPECT_TRUE(stage->property("chromeVisible").toBool());
    EXPECT_TRUE(testkit::pumpUntil([&] { return !stage->property("chromeVisible").toBool(); }, 2s))
        << "hidden once the pointer rested for the delay";
    EXPECT_TRUE(testkit::pumpUntil([&] { return chrome->opacity() == 0; }, 2s));
    EXPECT_TRUE(window.find("stageStatus")->isVisible()) << "the status line is no part of the chrome";

    QTest::mouseMove(window.window(), middle + QPoint(40, 0));
    testkit::pumpFor(30ms);
    EXPECT_TRUE(stage->property("chromeVisible").toBool()) << "a move brings it back at once";
}

TEST(StageScreen, CinemaLayout) {
    Window window(stageQml);
    QQuickItem* stage = window.root();
    auto* topBar = window.find("topBar");
    EXPECT_EQ(topBar->property("anchors").value<QObject*>()->property("leftMargin").toDouble(), 22);
    EXPECT_FALSE(window.find("cinemaBar")->parentItem()->isVisible());
    EXPECT_FALSE(window.find("lyricsButton")->isVisible()) << "no lyrics, no lyrics button";

    stage->setProperty("reducedMotion", true);
    stage->setProperty("cinema", true);
    stage->setProperty("hovering", true);
    EXPECT_TRUE(testkit::pumpUntil(
        [&] {
            return topBar->property("anchors").value<QObject*>()->property("leftMargin").toDouble() == 92;
        },
        2s));
    auto* panel = window.find("panelButton");
    EXPECT_EQ(panel->opacity(), 0.0);
    EXPECT_FALSE(panel->isEnabled());
    EXPECT_TRUE(window.find("cinemaBar")->parentItem()->isVisible());

    stage->setProperty("hasLyrics", true);
    EXPECT_TRUE(window.find("lyricsButton")->isVisible());
}

// The top bar's items in order, none over the next, all inside the stage: as wide as a
// 1024-pixel desktop leaves the stage, with and without the lyrics button, and at the designed
// width. Where the room is short the link field shrinks to its symbol and, once clicked and
// while in use, takes the brand mark's place; the buttons always stay.
TEST(StageScreen, TheTopBarKeepsItsButtonsInANarrowStage) {
    struct Case {
        int width;
        bool lyrics, typing;
        bool brand;
        double linkMinimum, linkMaximum;
    };
    const Case cases[] = {
        {1200, false, false, true, 300, 300}, {1200, true, true, true, 300, 300},
        {403, false, false, true, 34, 149},   {403, false, true, false, 200, 300},
        {403, true, false, false, 150, 300},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.width << (c.lyrics ? " lyrics" : "") << (c.typing ? " typing" : ""));
        Window window(stageQml, QSize(c.width, 700));
        QQuickItem* stage = window.root();
        stage->setProperty("reducedMotion", true);
        stage->setProperty("hasLyrics", c.lyrics);
        auto* lyrics = window.find("lyricsButton");
        if (c.lyrics) {
            ASSERT_TRUE(testkit::pumpUntil([&] { return lyrics->scale() == 1; }, 5s));
        }
        if (c.typing) {
            window.click(window.find("linkField")); // on its symbol, in the narrow stage
            for (const char key : {'h', 't', 't', 'p'})
                QTest::keyClick(window.window(), key);
            testkit::pumpFor(20ms);
        }
        EXPECT_EQ(window.find("brandMark")->isVisible(), c.brand);
        double previousRight = 0;
        for (const char* name : {"brandMark", "linkField", "lyricsButton", "panelButton", "cinemaButton"}) {
            QQuickItem* item = window.find(name);
            ASSERT_TRUE(item) << name;
            if (!item->isVisible())
                continue;
            const QRectF rect = item->mapRectToItem(stage, QRectF(0, 0, item->width(), item->height()));
            EXPECT_GE(rect.left(), previousRight) << name << " overlaps the item before it";
            EXPECT_LE(rect.right(), c.width - 18) << name;
            previousRight = rect.right();
        }
        if (c.typing) {
            EXPECT_EQ(window.find("linkField")->property("text").toString(), QStringLiteral("http"));
        }
        const double link = window.find("linkField")->width();
        EXPECT_GE(link, c.linkMinimum);
        EXPECT_LE(link, c.linkMaximum);
    }
}

TEST(StageScreen, TheLyricsButtonScalesAndFadesInAndOut) {
    Window window(stageQml);
    QQuickItem* stage = window.root();
    QQuickItem* button = window.find("lyricsButton");
    ASSERT_TRUE(button);
    // Hidden, it has shrunk to nothing and faded out.
    EXPECT_FALSE(button->isVisible());
    EXPECT_LT(button->scale(), 0.001);
    EXPECT_EQ(button->opacity(), 0);

    // A change starts an animation from where the button stands (read before any frame
    // runs), rather than jumping to the end.
    stage->setProperty("hasLyrics", true);
    EXPECT_TRUE(button->isVisible());
    EXPECT_LT(button->scale(), 0.001);
    EXPECT_EQ(button->opacity(), 0);
    EXPECT_TRUE(testkit::pumpUntil([&] { return button->scale() == 1 && button->opacity() == 1; }, 5s));

    stage->setProperty("hasLyrics", false);
    EXPECT_TRUE(button->isVisible()) << "it keeps its place until it has gone";
    EXPECT_EQ(button->scale(), 1);
    EXPECT_TRUE(testkit::pumpUntil([&] { return !button->isVisible(); }, 5s));
    EXPECT_LT(button->scale(), 0.001);
}

TEST(StageScreen, ShowLibraryPillInTheMusicModule) {
    Window window(stageQml);
    QQuickItem* stage = window.root();
    auto* pill = window.find("showLibraryButton");
    auto* picker = window.find("modePicker");
    EXPECT_FALSE(pill->isVisible());

    stage->setProperty("module", QStringLiteral("music"));
    stage->setProperty("browserHidden", true);
    EXPECT_TRUE(pill->isVisible());
    EXPECT_TRUE(picker->isVisible());
    QSignalSpy shown(stage, SIGNAL(libraryShown()));
    window.click(pill);
    EXPECT_EQ(shown.count(), 1);

    stage->setProperty("browserHidden", false); // the window shows the browser
    EXPECT_FALSE(picker->isVisible()) << "the browser takes the place of the mode picker";

    stage->setProperty("panelHidden", true); // a hidden panel shows the pill again
    EXPECT_TRUE(picker->isVisible());
    EXPECT_TRUE(pill->isVisible());
    stage->setProperty("cinema", true);
    EXPECT_FALSE(pill->isVisible());
}

TEST(StageScreen, DropsPlayTheFirstStringUnchanged) {
    Window window(stageQml);
    QSignalSpy links(window.root(), SIGNAL(linkSubmitted(QString)));
    const QPoint middle(600, 350);

    auto twoLinks = std::make_unique<QMimeData>();
    twoLinks->setUrls(
        {QUrl(QStringLiteral("https://one.example/stream")), QUrl(QStringLiteral("https://two.example/"))});
    EXPECT_TRUE(testkit::dragAndDrop(window.window(), twoLinks.get(), middle));
    ASSERT_EQ(links.count(), 1);
    EXPECT_EQ(links.takeFirst().at(0).toString(), QStringLiteral("https://one.example/stream"));

    auto option = std::make_unique<QMimeData>();
    option->setText(QStringLiteral("--output=/etc/passwd"));
    EXPECT_TRUE(testkit::dragAndDrop(window.window(), option.get(), middle));
    ASSERT_EQ(links.count(), 1);
    EXPECT_EQ(links.takeFirst().at(0).toString(), QStringLiteral("--output=/etc/passwd"));

    auto nothing = std::make_unique<QMimeData>();
    nothing->setData(QStringLiteral("application/x-nothing"), "x");
    EXPECT_FALSE(testkit::dragAndDrop(window.window(), nothing.get(), middle));
    EXPECT_EQ(links.count(), 0);
    EXPECT_FALSE(window.root()->property("dropTargeted").toBool());
}

TEST(StageScreen, ModeAndTransportSignalsReachTheWindow) {
    Window window(stageQml);
    QQuickItem* stage = window.root();
    QSignalSpy modes(stage, SIGNAL(modeSelected(QString)));
    window.click(window.find("mode-terrain"));
    ASSERT_EQ(modes.count(), 1);
    EXPECT_EQ(modes.takeFirst().at(0).toString(), QStringLiteral("terrain"));

    QSignalSpy panel(stage, SIGNAL(panelToggled())), cinema(stage, SIGNAL(cinemaToggled()));
    window.click(window.find("panelButton"));
    window.click(window.find("cinemaButton"));
    EXPECT_EQ(panel.count(), 1);
    EXPECT_EQ(cinema.count(), 1);
}

TEST(StageView, WiredToTheApplicationsModels) {
    // The process's models, over a library folder of the test's own.
    const auto support = ZazidEvoz::testkit::makeTemporaryFolder("stage-support");
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    AppModel::Options options;
    options.supportFolder = support;
    options.settingsFile = QString::fromStdString((support / "settings.conf").string());
    options.loadDirectory = false;
    options.sessionBus = false;
    AppRuntime::configure(std::move(options));
    AppModel& model = AppRuntime::model();
    UIState& ui = AppRuntime::ui();

    Window window("StageView { }");
    QQuickItem* stage = window.root();
    EXPECT_EQ(stage->property("mode").toString(), model.visualizerModeText());
    EXPECT_EQ(stage->property("feed").value<QObject*>(), static_cast<QObject*>(ui.feed()));

    // A mode picked on the stage is stored in the library by the UI state and announced.
    const QDateTime before = ui.modeChangedValue();
    window.click(window.find("mode-warp"));
    EXPECT_EQ(model.visualizerModeText(), QStringLiteral("warp"));
    EXPECT_GT(ui.modeChangedValue(), before);
    EXPECT_EQ(stage->property("mode").toString(), QStringLiteral("warp"));
    EXPECT_TRUE(window.find("stageStatus")->property("showsName").toBool());

    // Blank text typed into the link field plays nothing; the field empties all the same.
    auto* link = window.find("linkField");
    link->setProperty("text", QStringLiteral("   "));
    link->property("input").value<QQuickItem*>()->forceActiveFocus();
    QTest::keyClick(window.window(), Qt::Key_Return);
    testkit::pumpFor(50ms);
    EXPECT_EQ(link->property("text").toString(), QString());
    EXPECT_EQ(model.stateName(), QStringLiteral("stopped"));

    // Text that looks like an option reaches the engine as typed and fails there as a link,
    // never as an option of a child process.
    const auto planted = support / "planted";
    const QString option = QStringLiteral("-o ") + QString::fromStdString(planted.string());
    link->setProperty("text", option);
    link->property("input").value<QQuickItem*>()->forceActiveFocus();
    QTest::keyClick(window.window(), Qt::Key_Return);
    ASSERT_TRUE(testkit::pumpUntil([&] { return model.stateName() == QLatin1String("failed"); }, 60s))
        << model.stateName().toStdString();
    EXPECT_FALSE(model.failureText().isEmpty());
    EXPECT_EQ(model.current().value_or(Station{}).url, option.toStdString());
    EXPECT_FALSE(std::filesystem::exists(planted));
    model.stop();

    window.click(window.find("cinemaButton"));
    EXPECT_TRUE(ui.cinema());
    EXPECT_TRUE(stage->property("cinema").toBool());
    ui.toggleCinema();
}
