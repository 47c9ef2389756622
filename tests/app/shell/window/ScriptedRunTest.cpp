// Scripted runs on the real window and models: the hook variables, set before anything reads
// them, set the application up as each one says; hostile values change nothing. Pictures go
// to the artefacts folder. (Each test runs in a process of its own, with its own variables.)
#include "shell/ScriptedRun.hpp"

#include "ShellFixture.hpp"
#include "ZazidEvoz/catalogue/LibraryStore.hpp"
#include "ZazidEvoz/playback/AudioEngine.hpp"
#include "shell/AppEntry.hpp"
#include "shell/ShellCommands.hpp"
#include "shell/ShellWindows.hpp"
#include "state/AppRuntime.hpp"

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QQuickWindow>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <gtest/gtest.h>

using namespace ZintraRadio;
using namespace ZintraRadio::testkit;
using namespace std::chrono_literals;

namespace {

void hook(const char* name, const char* value) {
    ::setenv((std::string("ZINTRARADIO_") + name).c_str(), value, 1);
}

QImage keep(QQuickWindow& window, const char* name) {
    return grabArtefact(window, nullptr, artefactFolder() / name);
}

} // namespace

TEST(ScriptedRun, LaunchHooksSetVolumeModePanelPlayAndToast) {
    hook("VOLUME", "0.3");
    hook("MODE", "warp");
    hook("AUTOPLAY", "local TEST");
    hook("TOAST", "Hello from a script");
    hook("PANEL", "favorites");
    hook("FAKE_MISSING_TOOLS", "");
    ShellFixture& shell = ShellFixture::get();
    ASSERT_NE(shell.window, nullptr);
    AppModel& model = AppRuntime::model();
    const float stored = model.volume();
    QElapsedTimer sinceLaunch;
    sinceLaunch.start();
    runLaunchHooks(model);

    EXPECT_FLOAT_EQ(model.engine().volume(), 0.3f);
    EXPECT_FLOAT_EQ(model.volume(), stored); // the deck still shows the stored volume
    EXPECT_EQ(model.visualizerMode(), "warp");
    EXPECT_EQ(AppRuntime::ui().moduleName(), QLatin1String("favorites"));
    ASSERT_TRUE(model.current());
    EXPECT_EQ(model.current()->url, shell.streamURL);
    // The toast comes a second after start; it is looked for before the station plays, which
    // may take longer than the toast stays on a busy machine.
    EXPECT_FALSE(model.toast());
    ASSERT_TRUE(pumpUntil([&] { return model.toast().has_value(); }, 20s));
    EXPECT_GE(sinceLaunch.elapsed(), 900);
    EXPECT_EQ(model.toast()->text, "Hello from a script");
    EXPECT_EQ(model.toast()->style, Toast::Style::success);
    EXPECT_EQ(model.toast()->file.value_or("").string(), QDir::homePath().toStdString());
    EXPECT_TRUE(pumpUntil([&] { return model.stateName() == QLatin1String("playing"); }, 20s));
    QQuickItem* banner = shell.find("toolBannerText");
    ASSERT_NE(banner, nullptr);
    EXPECT_TRUE(banner->isVisible());
    EXPECT_TRUE(banner->property("text").toString().contains(QLatin1String("ffmpeg + yt-dlp")));
    pumpFor(600ms);
    shell.grab("scripted-launch.png");
}

TEST(ScriptedRun, WindowHooksOpenAboutAndTheMiniPlayerWithoutATray) {
    hook("CINEMA", "");
    hook("ABOUT", "");
    hook("MINI", "1");
    ShellFixture& shell = ShellFixture::get();
    ASSERT_NE(shell.window, nullptr);
    AppModel& model = AppRuntime::model();
    UIState& ui = AppRuntime::ui();
    EXPECT_TRUE(ui.cinema());
    ShellWindows windows(*shell.engine);
    setDesktopActions({[&] { windows.openAbout(); }, [&] { windows.openMini(QPoint(960, 540), false); }});
    runWindowHooks(
        model, ui,
        {[&] { runCommand({Command::about}, model, ui); }, [&] { runCommand({Command::mini}, model, ui); }});
    ASSERT_NE(windows.about(), nullptr);
    ASSERT_NE(windows.mini(), nullptr);
    EXPECT_TRUE(windows.about()->isVisible());
    EXPECT_TRUE(windows.mini()->isVisible());
    EXPECT_EQ(windows.about()->objectName(), QLatin1String("about"));
    EXPECT_EQ(windows.mini()->objectName(), QLatin1String("mini"));
    EXPECT_EQ(windows.mini()->width(), 320);
    // Nothing plays: the tornado, the application's name and "stopped".
    auto* title = windows.mini()->findChild<QQuickItem*>(QStringLiteral("miniTitle"));
    auto* subtitle = windows.mini()->findChild<QQuickItem*>(QStringLiteral("miniSubtitle"));
    ASSERT_TRUE(title && subtitle);
    EXPECT_EQ(title->property("text").toString(), QStringLiteral("ZintraRadio"));
    EXPECT_EQ(subtitle->property("text").toString(), QStringLiteral("Stopped"));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(windows.mini()));
    pumpFor(500ms);
    keep(*windows.mini(), "scripted-mini-stopped.png");
    keep(*windows.about(), "scripted-about.png");
    shell.grab("scripted-cinema.png");

    // Playing: the station, then its song, and live bars.
    model.play(model.library().stations.front());
    ASSERT_TRUE(pumpUntil([&] { return model.nowPlaying().value_or("") == "Artist One - Song One"; }, 20s));
    EXPECT_EQ(title->property("text").toString(), QStringLiteral("Local Test FM"));
    EXPECT_EQ(subtitle->property("text").toString(), QStringLiteral("Artist One - Song One"));
    pumpFor(1s);
    keep(*windows.mini(), "scripted-mini-playing.png");

    // Its controls act on the model: mute turns the speaker slashed and red, and back.
    auto* mute = windows.mini()->findChild<QQuickItem*>(QStringLiteral("miniMute"));
    ASSERT_NE(mute, nullptr);
    const bool muted = model.muted();
    const QPoint centre = mute->mapToScene(QPointF(mute->width() / 2, mute->height() / 2)).toPoint();
    QTest::mouseClick(windows.mini(), Qt::LeftButton, {}, centre);
    ASSERT_TRUE(pumpUntil([&] { return model.muted() != muted; }, 2s));
    EXPECT_EQ(mute->property("symbol").toString(),
              muted ? QStringLiteral("speaker.wave.2.fill") : QStringLiteral("speaker.slash.fill"));
    EXPECT_EQ(mute->property("helpKey").toString(),
              muted ? QStringLiteral("deck.mute") : QStringLiteral("deck.unmute"));
    QTest::mouseClick(windows.mini(), Qt::LeftButton, {}, centre);
    EXPECT_TRUE(pumpUntil([&] { return model.muted() == muted; }, 2s));
    setDesktopActions({});
}

TEST(ScriptedRun, HostileValuesChangeNothing) {
    hook("VOLUME", "nan");
    hook("MODE", "Warp");
    hook("AUTOPLAY", "");
    hook("RECORD", "1e400");
    hook("MODE_CYCLE", "-3"); // would spin without the shortest period
    ShellFixture& shell = ShellFixture::get();
    ASSERT_NE(shell.window, nullptr);
    AppModel& model = AppRuntime::model();
    const float engineVolume = model.engine().volume();
    const std::string mode = model.visualizerMode();
    runLaunchHooks(model);
    EXPECT_FLOAT_EQ(model.engine().volume(), engineVolume);
    EXPECT_EQ(model.visualizerMode(), mode);
    EXPECT_FALSE(model.current()); // an empty text matches no station
    EXPECT_EQ(model.stateName(), QLatin1String("stopped"));

    int switches = 0;
    const auto counting =
        QObject::connect(&AppRuntime::ui(), &UIState::modeChangedChanged, &model, [&] { ++switches; });
    runWindowHooks(model, AppRuntime::ui(), {});
    pumpFor(1s);
    // Every 50 ms at most: the window stays responsive and the mode still moves on.
    EXPECT_GT(switches, 3);
    EXPECT_LE(switches, 25);
    QObject::disconnect(counting);
    EXPECT_FALSE(model.isRecording());
    EXPECT_FALSE(model.toast());
}

TEST(ScriptedRun, WithoutATrayClosingTheMainWindowQuitsThroughTheShutdown) {
    ShellFixture& shell = ShellFixture::get();
    ASSERT_NE(shell.window, nullptr);
    AppModel& model = AppRuntime::model();
    model.setVolume(0.45f); // still waiting for its debounced save
    const auto closing = quitWhenClosed(*shell.window);
    connectShutdown(*QCoreApplication::instance());
    QTimer::singleShot(0, shell.window, [&] { shell.window->close(); });
    QTimer::singleShot(20000, qApp, [] { QCoreApplication::exit(3); }); // closing did nothing
    EXPECT_EQ(QCoreApplication::exec(), 0);
    QObject::disconnect(closing);
    EXPECT_FLOAT_EQ(ZazidEvoz::LibraryStore(shell.support).load().volume, 0.45f);
}
