// The main window with the real state layer under a private X display: a station from the
// local test stream plays, its row is marked, the deck shows the song, a toast comes and
// goes, the rail switches modules and cinema mode leaves the stage alone.
#include "ShellFixture.hpp"
#include "ZazidEvoz/catalogue/Station.hpp"
#include "shell/ShellCommands.hpp"
#include "shell/ShellWindows.hpp"
#include "state/AppRuntime.hpp"

#include <QDirIterator>
#include <QFile>
#include <QQmlComponent>
#include <QTest>
#include <gtest/gtest.h>

using namespace ZintraRadio;
using namespace ZintraRadio::testkit;
using namespace std::chrono_literals;

namespace {

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(shell.window, nullptr) << shell.diagnostics();
        shell.warnings.clear();
        AppRuntime::ui().show(QStringLiteral("stations"));
        AppRuntime::ui().setRailCollapsed(false);
        settle();
    }
    void TearDown() override { EXPECT_TRUE(shell.warnings.isEmpty()) << shell.diagnostics(); }

    // Lets running layout animations finish.
    static void settle() { pumpFor(900ms); }
    static QPoint centreOf(QQuickItem* item) {
        return item->mapToScene(QPointF(item->width() / 2, item->height() / 2)).toPoint();
    }

    ShellFixture& shell = ShellFixture::get();
    AppModel& model = AppRuntime::model();
    UIState& ui = AppRuntime::ui();
};

// The first visible popup (menu, tooltip) below `root`.
QQuickItem* visiblePopupItem(QQuickItem* root) {
    for (QQuickItem* item : root->childItems()) {
        if (!item->isVisible())
            continue;
        if (QByteArrayView(item->metaObject()->className()).startsWith("QQuickPopupItem"))
            return item;
        if (QQuickItem* found = visiblePopupItem(item))
            return found;
    }
    return nullptr;
}

bool isSingleton(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.readLine().startsWith("pragma Singleton");
}

} // namespace

TEST_F(MainWindow, FitsTheScreenAndShowsRailStageDeckAndPanel) {
    EXPECT_EQ(shell.window->objectName(), QStringLiteral("main"));
    EXPECT_EQ(shell.window->width(), 1400);
    // The content keeps its designed height under the menu bar.
    EXPECT_EQ(shell.window->height(), 860 + shell.find("menuBar")->height());
    EXPECT_LE(shell.window->minimumHeight(), 1080 - 40);
    for (const char* name : {"moduleRail", "stageColumn", "deckSlot", "sidePanel", "toastHost"})
        EXPECT_TRUE(shell.find(name) && shell.find(name)->isVisible()) << name;
    EXPECT_FALSE(shell.find("bootSlot")->property("active").toBool()); // SKIP_BOOT
    EXPECT_EQ(shell.find("stageColumn")->width(), 1400 - 176 - 430);
}

TEST_F(MainWindow, PlaysTheLocalStreamAndMarksItsRowAndShowsTheSong) {
    ZazidEvoz::Station station = model.library().stations.front();
    model.play(station);
    ASSERT_TRUE(pumpUntil([&] { return model.stateName() == QLatin1String("playing"); }, 20s))
        << model.stateName().toStdString() << " " << model.failureText().toStdString();
    ASSERT_TRUE(pumpUntil([&] { return model.nowPlaying().value_or("") == "Artist One - Song One"; }, 20s));

    QQuickItem* row = shell.find(("stationRow_" + shell.streamURL).c_str());
    ASSERT_NE(row, nullptr);
    EXPECT_TRUE(row->property("current").toBool());
    EXPECT_TRUE(QmlKit::child(row, "rowSpectrumBorder")->isVisible());
    EXPECT_TRUE(pumpUntil([&] { return QmlKit::child(row, "rowEqualizer") != nullptr; }, 2s));
    QQuickItem* title = shell.find("deckSubtitle");
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->property("text").toString(), QStringLiteral("Artist One - Song One"));
    EXPECT_EQ(shell.find("cinemaSong")->property("text").toString(), QStringLiteral("Artist One - Song One"));

    // A station named like markup shows its characters, never the markup's effect.
    QQuickItem* hostile = shell.find("stationRow_http://127.0.0.1:9/never");
    ASSERT_NE(hostile, nullptr);
    QQuickItem* name = QmlKit::child(hostile, "rowName");
    EXPECT_EQ(name->property("text").toString(), QString::fromStdString(shell.hostileName));
    EXPECT_EQ(name->property("textFormat").toInt(), 0); // Text.PlainText
    EXPECT_FALSE(hostile->property("current").toBool());

    pumpFor(1500ms); // a little music in the spectrum
    const QImage picture = shell.grab("main-window.png");
    EXPECT_EQ(picture.size(), QSize(1400, 860 + static_cast<int>(shell.find("menuBar")->height())));
}

TEST_F(MainWindow, TheStarOfARowMakesAFavouriteAndStaysLit) {
    const std::string url = "http://127.0.0.1:9/jazz";
    QQuickItem* row = shell.find(("stationRow_" + url).c_str());
    ASSERT_NE(row, nullptr);
    QQuickItem* star = QmlKit::child(row, "rowFavorite");
    QTest::mouseMove(shell.window, centreOf(row));
    ASSERT_TRUE(pumpUntil([&] { return star->isVisible(); }, 2s));
    QTest::mouseClick(shell.window, Qt::LeftButton, {}, centreOf(star));
    EXPECT_TRUE(row->property("favorite").toBool());
    QTest::mouseMove(shell.window, QPoint(700, 500)); // off the row: a favourite's star stays
    EXPECT_TRUE(pumpUntil([&] { return !row->property("hovered").toBool(); }, 2s));
    EXPECT_TRUE(star->isVisible());
    EXPECT_EQ(model.library().favoriteURLs.front(), url);
    QTest::mouseMove(shell.window, centreOf(row));
    QTest::mouseClick(shell.window, Qt::LeftButton, {}, centreOf(star));
    EXPECT_FALSE(row->property("favorite").toBool());
}

TEST_F(MainWindow, AToastComesAndLeavesByItself) {
    model.show(Toast::Style::success, "Saved the stream", std::filesystem::path("/tmp"));
    ASSERT_TRUE(pumpUntil([&] { return shell.find("toastText") != nullptr; }, 2s));
    EXPECT_EQ(shell.find("toastText")->property("text").toString(), QStringLiteral("Saved the stream"));
    EXPECT_TRUE(shell.find("toastReveal")->isVisible());
    EXPECT_EQ(shell.find("toastText")->property("textFormat").toInt(), 0); // Text.PlainText
    pumpFor(500ms);
    shell.grab("main-window-toast.png");
    // An engine message is shown in its localised form.
    model.show(Toast::Style::warning, "Nothing is playing.");
    ASSERT_TRUE(
        pumpUntil([&] { return shell.find("toastText") && !shell.find("toastReveal")->isVisible(); }, 2s));
    EXPECT_EQ(shell.find("toastText")->property("text").toString(), qtTrId("error.notPlaying"));
    EXPECT_TRUE(
        pumpUntil([&] { return !model.toast().has_value() && shell.find("toastText") == nullptr; }, 8s));
}

TEST_F(MainWindow, AWideToastKeepsClearOfRailAndSidePanelAndCutsItsTextInTheMiddle) {
    const QString text =
        QStringLiteral("Saved the recording of Deutschlandfunk Kultur as a long file name that "
                       "goes on and on, far beyond two lines of toast, Late Night Jazz.mp3");
    for (const int width : {1400, 1240}) { // the default and the narrowest window
        SCOPED_TRACE(width);
        shell.window->resize(width, shell.window->height());
        ASSERT_TRUE(
            pumpUntil([&] { return shell.find("sidePanel")->mapToScene({}).x() == width - 430; }, 2s));
        model.show(Toast::Style::success, text.toStdString(), std::filesystem::path("/tmp"));
        ASSERT_TRUE(pumpUntil([&] { return shell.find("toastText") != nullptr; }, 2s));
        QQuickItem* message = shell.find("toastText");
        QQuickItem* toast = message->parentItem()->parentItem();
        const QRectF capsule = toast->mapRectToScene(QRectF(0, 0, toast->width(), toast->height()));
        QQuickItem* rail = shell.find("moduleRail");
        EXPECT_GE(capsule.left(), rail->mapToScene({}).x() + rail->width());
        EXPECT_LE(capsule.right(), shell.find("sidePanel")->mapToScene({}).x());
        EXPECT_LE(message->width(), 420);
        // Both ends stay: the start of the name and its extension.
        const QString shown = message->property("text").toString();
        EXPECT_TRUE(shown.startsWith(QLatin1String("Saved the recording of"))) << shown.toStdString();
        EXPECT_TRUE(shown.endsWith(QLatin1String("Jazz.mp3"))) << shown.toStdString();
        EXPECT_TRUE(shown.contains(QChar(0x2026))) << shown.toStdString();
        EXPECT_LE(message->property("lineCount").toInt(), 2);
        EXPECT_FALSE(message->property("truncated").toBool()); // nothing more cut at the end
        // The picture once the toast has arrived.
        EXPECT_TRUE(pumpUntil([&] { return toast->opacity() == 1 && toast->y() == 0; }, 5s));
        shell.grab(width == 1400 ? "main-window-wide-toast.png" : "main-window-wide-toast-narrow.png");
        model.closeToast();
        ASSERT_TRUE(pumpUntil([&] { return shell.find("toastText") == nullptr; }, 2s));
    }
    shell.window->resize(1400, shell.window->height());
}

TEST_F(MainWindow, TheMiniPlayersTooltipsAreDarkWhateverTheDesktopsScheme) {
    // The test display's desktop has the light default scheme.
    ShellWindows windows(*shell.engine);
    windows.openMini(QPoint(960, 540), false);
    QQuickWindow* mini = windows.mini();
    ASSERT_NE(mini, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(mini));
    QQuickItem* button = mini->findChild<QQuickItem*>(QStringLiteral("miniPrevious"));
    ASSERT_NE(button, nullptr);
    QTest::mouseMove(mini, centreOf(button));
    // The tooltip once it has fully come in.
    QQuickItem* tip = nullptr;
    ASSERT_TRUE(pumpUntil(
        [&] {
            tip = visiblePopupItem(mini->contentItem());
            return tip != nullptr && tip->opacity() == 1;
        },
        5s));
    const QRect area = tip->mapRectToScene(QRectF(0, 0, tip->width(), tip->height())).toRect();
    const QImage picture = mini->grabWindow().copy(area);
    picture.save(QString::fromStdString((shell.artefacts / "mini-tooltip.png").string()));
    int bright = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            bright += qGray(picture.pixel(x, y)) > 200;
    // A dark ground with light letters: few bright pixels, but some.
    EXPECT_LT(qGray(picture.pixel(3, picture.height() / 2)), 60);
    EXPECT_GT(bright, 0);
    EXPECT_LT(bright, picture.width() * picture.height() / 3);
}

// The mini player that the application menu opens (desktops without a tray) is a way back to
// the main window as much as the tray's: its open button shows, raises and activates it.
TEST_F(MainWindow, TheMiniPlayerFromTheApplicationMenuBringsBackTheMainWindow) {
    ShellWindows windows(*shell.engine);
    // What the application installs at start.
    setDesktopActions({{}, [&windows] { windows.openMini(QPoint(960, 540), false); }});
    AppRuntime::setOpenMainWindow([this] { bringForward(shell.window); });
    struct Restore {
        QQuickWindow* window;
        ~Restore() {
            setDesktopActions({});
            AppRuntime::setOpenMainWindow(nullptr);
            bringForward(window);
        }
    } restore{shell.window};
    shell.window->requestActivate();
    ASSERT_TRUE(QTest::qWaitForWindowActive(shell.window));

    QQuickItem* title = nullptr;
    for (QQuickItem* item : shell.find("menuBar")->findChildren<QQuickItem*>())
        if (item->inherits("QQuickMenuBarItem") &&
            item->property("menu").value<QObject*>()->objectName() == QLatin1String("appMenu"))
            title = item;
    ASSERT_NE(title, nullptr);
    auto* menu = title->property("menu").value<QObject*>();
    QTest::mouseClick(shell.window, Qt::LeftButton, {}, centreOf(title));
    ASSERT_TRUE(pumpUntil([&] { return menu->property("opened").toBool(); }, 5s));
    QQuickItem* entry = shell.find("menu_mini");
    ASSERT_TRUE(entry && entry->isVisible());
    QTest::mouseClick(shell.window, Qt::LeftButton, {}, centreOf(entry));
    QQuickWindow* mini = windows.mini();
    ASSERT_NE(mini, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(mini));
    ASSERT_TRUE(QTest::qWaitForWindowActive(mini));

    // The main window out of sight, as when it was minimised or left behind other windows.
    shell.window->hide();
    QQuickItem* open = mini->findChild<QQuickItem*>(QStringLiteral("miniOpen"));
    ASSERT_NE(open, nullptr);
    QTest::mouseClick(mini, Qt::LeftButton, {}, centreOf(open));
    EXPECT_TRUE(pumpUntil([&] { return shell.window->isVisible() && shell.window->isActive(); }, 10s));
    // Having lost the keyboard, the frameless mini window puts itself away.
    EXPECT_TRUE(pumpUntil([&] { return !mini->isVisible(); }, 10s));
}

TEST_F(MainWindow, TheRailSwitchesModulesAndCollapses) {
    QQuickItem* history = shell.find("rail_history");
    ASSERT_NE(history, nullptr);
    QTest::mouseClick(shell.window, Qt::LeftButton, {}, centreOf(history));
    EXPECT_EQ(ui.moduleName(), QStringLiteral("history"));
    settle();
    QQuickItem* panel = shell.find("modulePanel");
    EXPECT_EQ(QmlKit::child(panel, "panelTitle")->property("text").toString(), QStringLiteral("History"));
    EXPECT_TRUE(history->property("selected").toBool());

    // With the panel hidden nothing is selected; a click shows the panel with that module.
    ui.togglePanel();
    settle();
    EXPECT_FALSE(shell.find("sidePanel")->isVisible());
    EXPECT_FALSE(history->property("selected").toBool());
    EXPECT_EQ(shell.find("stageColumn")->width(), 1400 - 176);
    QTest::mouseClick(shell.window, Qt::LeftButton, {}, centreOf(shell.find("rail_stations")));
    settle();
    EXPECT_TRUE(shell.find("sidePanel")->isVisible());
    EXPECT_EQ(ui.moduleName(), QStringLiteral("stations"));

    QTest::mouseClick(shell.window, Qt::LeftButton, {}, centreOf(shell.find("railCollapse")));
    EXPECT_TRUE(ui.railCollapsed());
    settle();
    EXPECT_EQ(shell.find("moduleRail")->width(), 68);
    QTest::mouseClick(shell.window, Qt::LeftButton, {}, centreOf(shell.find("railCollapse")));
    settle();
    EXPECT_EQ(shell.find("moduleRail")->width(), 176);
}

// A menu left with Escape while the pointer rests on its title leaves the bar as it was: the
// next title the pointer moves to opens its menu on the click, not before it.
TEST_F(MainWindow, EveryMenuOfTheBarOpensOnItsClickAfterOneWasLeftWithEscape) {
    QList<QQuickItem*> titles;
    for (const char* name : {"appMenu", "playbackMenu", "stageMenu", "modulesMenu"})
        for (QQuickItem* item : shell.find("menuBar")->findChildren<QQuickItem*>())
            if (item->inherits("QQuickMenuBarItem") &&
                item->property("menu").value<QObject*>()->objectName() == QLatin1String(name))
                titles.append(item);
    ASSERT_EQ(titles.size(), 4);
    shell.window->requestActivate();
    ASSERT_TRUE(QTest::qWaitForWindowActive(shell.window));
    for (QQuickItem* title : titles) {
        auto* menu = title->property("menu").value<QObject*>();
        SCOPED_TRACE(menu->objectName().toStdString());
        QTest::mouseMove(shell.window, centreOf(title));
        pumpFor(100ms);
        EXPECT_FALSE(menu->property("visible").toBool()) << "open before the click";
        QTest::mouseClick(shell.window, Qt::LeftButton, {}, centreOf(title));
        EXPECT_TRUE(pumpUntil([&] { return menu->property("opened").toBool(); }, 5s));
        QTest::keyClick(shell.window, Qt::Key_Escape);
        EXPECT_TRUE(pumpUntil([&] { return !menu->property("visible").toBool(); }, 5s));
    }
}

TEST_F(MainWindow, TheRailShowsTheRecordingDot) {
    QQuickItem* recordings = shell.find("rail_recordings");
    ASSERT_NE(recordings, nullptr);
    QQuickItem* badge = QmlKit::child(recordings, "railBadge");
    EXPECT_FALSE(badge->isVisible());
    if (!model.isActive())
        model.play(model.library().stations.front());
    ASSERT_TRUE(pumpUntil([&] { return model.stateName() == QLatin1String("playing"); }, 20s));
    model.startRecording();
    ASSERT_TRUE(model.isRecording());
    EXPECT_TRUE(pumpUntil([&] { return badge->isVisible(); }, 2s));
    model.stopRecording();
    EXPECT_TRUE(pumpUntil([&] { return !badge->isVisible(); }, 2s));
    EXPECT_FALSE(QmlKit::child(recordings, "railBadgeCount")->isVisible());
}

TEST_F(MainWindow, CinemaLeavesTheStageAlone) {
    ui.setCinema(true);
    settle();
    EXPECT_FALSE(shell.find("moduleRail")->isVisible());
    EXPECT_FALSE(shell.find("deckSlot")->isVisible());
    EXPECT_FALSE(shell.find("sidePanel")->isVisible());
    EXPECT_EQ(shell.find("stageColumn")->width(), 1400);
    EXPECT_EQ(shell.find("stageArea")->height(), 860);
    shell.grab("main-window-cinema.png");
    // Showing a module leaves cinema mode.
    ui.show(QStringLiteral("favorites"));
    settle();
    EXPECT_FALSE(ui.cinema());
    EXPECT_TRUE(shell.find("moduleRail")->isVisible());
    EXPECT_TRUE(shell.find("sidePanel")->isVisible());
}

TEST_F(MainWindow, EveryQmlFileOfTheModuleLoadsWithoutWarnings) {
    int loaded = 0;
    QDirIterator it(QStringLiteral(":/qt/qml/ZintraRadio"), {QStringLiteral("*.qml")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (isSingleton(path))
            continue;
        SCOPED_TRACE(path.toStdString());
        QQmlComponent component(shell.engine.get(), QUrl(QStringLiteral("qrc") + path));
        std::unique_ptr<QObject> object(component.create());
        ASSERT_NE(object, nullptr) << component.errorString().toStdString();
        if (auto* item = qobject_cast<QQuickItem*>(object.get())) {
            item->setParentItem(shell.window->contentItem());
            item->setSize(QSizeF(600, 400));
            item->setVisible(false);
        }
        pumpFor(100ms);
        ++loaded;
    }
    EXPECT_GT(loaded, 30);
    // What the last views left to the scene graph (textures, picture cache) goes with a frame.
    shell.window->update();
    pumpFor(200ms);
    shell.window->releaseResources();
    pumpFor(100ms);
}
