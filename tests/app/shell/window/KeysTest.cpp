// Keys sent to the real main window: single keys drive playback, modes, lyrics and cinema
// mode, a focused text field or an open menu keeps them, the modifier shortcuts work, and
// Ctrl+Q quits through the shutdown sequence.
#include "ShellFixture.hpp"
#include "ZazidEvoz/catalogue/LibraryStore.hpp"
#include "shell/AppEntry.hpp"
#include "shell/ShellCommands.hpp"
#include "state/AppRuntime.hpp"

#include <QClipboard>
#include <QGuiApplication>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace ZintraRadio;
using namespace ZintraRadio::testkit;
using namespace std::chrono_literals;

namespace {

class Keys : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(shell.window, nullptr) << shell.diagnostics();
        qApp->installEventFilter(&filter);
        shell.window->requestActivate();
        ASSERT_TRUE(QTest::qWaitForWindowActive(shell.window));
        ui.setBooting(false);
    }
    void TearDown() override { qApp->removeEventFilter(&filter); }

    void play() {
        model.play(model.library().stations.front());
        ASSERT_TRUE(pumpUntil([&] { return model.stateName() == QLatin1String("playing"); }, 20s))
            << model.failureText().toStdString();
    }
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(shell.window, key, modifiers);
        pumpFor(50ms);
    }
    void type(const std::string& text) {
        for (const char c : text)
            QTest::keyClick(shell.window, c);
        pumpFor(50ms);
    }
    void click(QQuickItem* item) {
        ASSERT_NE(item, nullptr);
        const QPoint centre = item->mapToScene(QPointF(item->width() / 2, item->height() / 2)).toPoint();
        QTest::mouseClick(shell.window, Qt::LeftButton, {}, centre);
        pumpFor(50ms);
    }
    bool waitForState(const char* state) {
        return pumpUntil([&] { return model.stateName() == QLatin1String(state); }, 20s);
    }
    ShellFixture& shell = ShellFixture::get();
    AppModel& model = AppRuntime::model();
    UIState& ui = AppRuntime::ui();
    KeyFilter filter;
};

} // namespace

TEST_F(Keys, SpaceTogglesPlaybackAndVLAndEscapeDriveTheStage) {
    play();
    press(Qt::Key_Space);
    EXPECT_EQ(model.stateName(), QLatin1String("paused"));
    press(Qt::Key_Space);
    EXPECT_NE(model.stateName(), QLatin1String("paused"));

    model.setVisualizerMode("warp");
    press(Qt::Key_V);
    EXPECT_EQ(model.visualizerMode(), "zintra");
    const bool lyrics = ui.lyricsVisible();
    press(Qt::Key_L);
    EXPECT_NE(ui.lyricsVisible(), lyrics);
    press(Qt::Key_L);

    ui.setCinema(true);
    press(Qt::Key_Escape);
    EXPECT_FALSE(ui.cinema());
}

TEST_F(Keys, ModifierShortcutsWorkFromTheWindow) {
    press(Qt::Key_3, Qt::AltModifier);
    EXPECT_EQ(model.visualizerMode(), "spectrum");
    ui.setPanelHidden(true);
    press(Qt::Key_4, Qt::ControlModifier);
    EXPECT_EQ(ui.moduleName(), QLatin1String("history"));
    EXPECT_FALSE(ui.panelHidden());
    model.setVolume(0.98f);
    press(Qt::Key_Up, Qt::ControlModifier);
    EXPECT_FLOAT_EQ(model.volume(), 1.0f);
    model.setVolume(0.03f);
    press(Qt::Key_Down, Qt::ControlModifier);
    EXPECT_FLOAT_EQ(model.volume(), 0.0f);
    const bool muted = model.muted();
    press(Qt::Key_M, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_NE(model.muted(), muted);
    press(Qt::Key_M, Qt::ControlModifier | Qt::ShiftModifier);
    model.setVolume(0.5f);
}

TEST_F(Keys, ATextFieldKeepsWhatIsTypedAndAnOpenMenuKeepsItsKeys) {
    play();
    model.setVisualizerMode("scope");
    const auto current = model.current();
    // The station filter, focused by its shortcut.
    ui.show(QStringLiteral("stations"));
    pumpFor(900ms);
    QQuickItem* filter = shell.find("stationsFilter");
    ASSERT_NE(filter, nullptr);
    auto* input = filter->property("input").value<QQuickItem*>();
    ASSERT_NE(input, nullptr);
    press(Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(pumpUntil([&] { return input->hasActiveFocus(); }, 2s));
    press(Qt::Key_Space);
    press(Qt::Key_V);
    press(Qt::Key_L);
    press(Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(filter->property("text").toString(), QStringLiteral(" vl"));
    EXPECT_EQ(model.stateName(), QLatin1String("playing"));
    EXPECT_EQ(model.visualizerMode(), "scope");
    EXPECT_EQ(model.current(), current); // Ctrl+Right moved the caret, not the station
    shell.grab("keys-typed-into-filter.png");
    filter->setProperty("text", QString());
    input->setFocus(false);
    ASSERT_FALSE(hasTextFocus(*shell.window));

    QObject* menu = shell.window->findChild<QObject*>(QStringLiteral("playbackMenu"));
    ASSERT_NE(menu, nullptr);
    QMetaObject::invokeMethod(menu, "open");
    ASSERT_TRUE(pumpUntil([&] { return menu->property("visible").toBool(); }, 2s));
    press(Qt::Key_Space);
    EXPECT_EQ(model.stateName(), QLatin1String("playing"));
    pumpFor(300ms);
    shell.grab("menu-playback.png");
    QMetaObject::invokeMethod(menu, "close");
    ASSERT_TRUE(pumpUntil([&] { return !menu->property("visible").toBool(); }, 2s));
    ASSERT_FALSE(hasTextFocus(*shell.window));
    press(Qt::Key_Space);
    EXPECT_EQ(model.stateName(), QLatin1String("paused"));
}

// Once a field's action is done (a row of its results chosen, Return pressed) the keyboard is
// the window's again: Space pauses instead of typing a blank into the field.
TEST_F(Keys, AFieldGivesTheKeyboardBackOnceItsActionIsDone) {
    model.stop();
    ui.show(QStringLiteral("stations"));
    pumpFor(900ms);
    QQuickItem* filter = shell.find("stationsFilter");
    ASSERT_NE(filter, nullptr);
    press(Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(pumpUntil([&] { return hasTextFocus(*shell.window); }, 2s));
    type("local");
    QQuickItem* row = nullptr;
    ASSERT_TRUE(pumpUntil(
        [&] { return (row = shell.find("stationRow_" + shell.streamURL)) != nullptr && row->isVisible(); }, 5s));
    click(row);
    ASSERT_TRUE(waitForState("playing")) << model.failureText().toStdString();
    EXPECT_FALSE(hasTextFocus(*shell.window));
    press(Qt::Key_Space);
    EXPECT_EQ(model.stateName(), QLatin1String("paused"));
    EXPECT_EQ(filter->property("text").toString(), QStringLiteral("local"));
    filter->setProperty("text", QString());

    // A link pasted into the stage's field and sent with Return.
    model.stop();
    ASSERT_TRUE(waitForState("stopped"));
    press(Qt::Key_L, Qt::ControlModifier);
    ASSERT_TRUE(pumpUntil([&] { return hasTextFocus(*shell.window); }, 2s));
    QQuickItem* link = shell.find("linkField");
    ASSERT_NE(link, nullptr);
    QGuiApplication::clipboard()->setText(QString::fromStdString(shell.streamURL));
    press(Qt::Key_V, Qt::ControlModifier);
    ASSERT_EQ(link->property("text").toString().toStdString(), shell.streamURL);
    press(Qt::Key_Return);
    ASSERT_TRUE(waitForState("playing")) << model.failureText().toStdString();
    EXPECT_FALSE(hasTextFocus(*shell.window));
    press(Qt::Key_Space);
    EXPECT_EQ(model.stateName(), QLatin1String("paused"));
    EXPECT_EQ(link->property("text").toString(), QString());

    // A press inside the field (its symbol, its clear button) keeps the keyboard there.
    press(Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(pumpUntil([&] { return hasTextFocus(*shell.window); }, 2s));
    type("x");
    click(QmlKit::child(filter, "fieldClear"));
    EXPECT_TRUE(hasTextFocus(*shell.window));
    EXPECT_EQ(filter->property("text").toString(), QString());
    press(Qt::Key_Escape);
}

TEST_F(Keys, ASearchRequestFocusesOnlyThePanelShownAtTheTime) {
    play();
    press(Qt::Key_2, Qt::ControlModifier);
    ASSERT_EQ(ui.moduleName(), QLatin1String("discover"));
    press(Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(pumpUntil([&] { return hasTextFocus(*shell.window); }, 2s));
    press(Qt::Key_Escape);
    ASSERT_FALSE(hasTextFocus(*shell.window));
    // The stations panel comes with its filter unfocused, so Space pauses.
    press(Qt::Key_1, Qt::ControlModifier);
    ASSERT_TRUE(pumpUntil([&] { return shell.find("stationsFilter") != nullptr; }, 2s));
    EXPECT_FALSE(hasTextFocus(*shell.window));
    press(Qt::Key_Space);
    EXPECT_EQ(model.stateName(), QLatin1String("paused"));
    EXPECT_EQ(shell.find("stationsFilter")->property("text").toString(), QString());
}

TEST_F(Keys, AnyKeyOnlyEndsTheSplash) {
    play();
    ui.setBooting(true);
    press(Qt::Key_Space);
    EXPECT_FALSE(ui.booting());
    EXPECT_EQ(model.stateName(), QLatin1String("playing"));
}

TEST_F(Keys, CtrlQQuitsThroughTheShutdownSequence) {
    play();
    model.startRecording();
    ASSERT_TRUE(pumpUntil([&] { return model.isRecording(); }, 10s));
    model.setVolume(0.35f); // a debounced save is still pending when the key comes
    connectShutdown(*QCoreApplication::instance());
    QTimer::singleShot(0, shell.window,
                       [this] { QTest::keyClick(shell.window, Qt::Key_Q, Qt::ControlModifier); });
    QTimer::singleShot(20000, qApp, [] { QCoreApplication::exit(3); }); // a key that did nothing
    EXPECT_EQ(QCoreApplication::exec(), 0);
    EXPECT_FALSE(model.isRecording());
    // The engine reports the stop through the event queue.
    EXPECT_TRUE(pumpUntil([&] { return model.stateName() == QLatin1String("stopped"); }, 5s));
    const auto saved = ZazidEvoz::LibraryStore(shell.support).load();
    EXPECT_FLOAT_EQ(saved.volume, 0.35f);
    EXPECT_EQ(saved.lastPlayedURL.value_or(""), shell.streamURL);
}
