// The shell's pure rules: the key decision, the shortcuts and their desktop texts, the
// next-mode rule, hook values and the mini player's subtitle and bars.
#include "shell/KeyRules.hpp"
#include "shell/MiniRules.hpp"
#include "shell/ScriptedRun.hpp"
#include "shell/ShellCommands.hpp"
#include "state/VisualizerMode.hpp"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace ZintraRadio;

namespace {

struct KeyCase {
    const char* what;
    KeyInput input;
    KeyDecision expected;
};

KeyDecision consume(Command command, int index = 0) {
    return {KeyOutcome::consume, {command, index}, false};
}

KeyInput key(int code, Qt::KeyboardModifiers modifiers = {}, const char* text = "") {
    KeyInput input;
    input.key = code;
    input.modifiers = modifiers;
    input.text = QString::fromUtf8(text);
    return input;
}

KeyInput inField(KeyInput input) {
    input.textField = true;
    return input;
}

KeyInput withPopup(KeyInput input) {
    input.popupOpen = true;
    return input;
}

KeyInput booting(KeyInput input) {
    input.booting = true;
    return input;
}

KeyInput inCinema(KeyInput input) {
    input.cinema = true;
    return input;
}

} // namespace

TEST(KeyRules, DecideEveryKeyByFocusPopupAndSplash) {
    const KeyDecision pass{};
    const KeyDecision endSplash{KeyOutcome::consume, {}, true};
    const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
    const Qt::KeyboardModifiers ctrlShift = Qt::ControlModifier | Qt::ShiftModifier;
    const KeyCase cases[] = {
        {"space plays", key(Qt::Key_Space, {}, " "), consume(Command::togglePlayPause)},
        {"v next mode", key(Qt::Key_V, {}, "v"), consume(Command::nextMode)},
        {"caps lock V", key(Qt::Key_V, {}, "V"), consume(Command::nextMode)},
        {"l lyrics", key(Qt::Key_L, {}, "l"), consume(Command::lyrics)},
        {"shift V passes", key(Qt::Key_V, Qt::ShiftModifier, "V"), pass},
        {"other letter passes", key(Qt::Key_X, {}, "x"), pass},
        {"escape leaves cinema", inCinema(key(Qt::Key_Escape, {}, "\x1b")), consume(Command::leaveCinema)},
        {"escape without cinema", key(Qt::Key_Escape, {}, "\x1b"), pass},
        {"keypad flag ignored", key(Qt::Key_Space, Qt::KeypadModifier, " "),
         consume(Command::togglePlayPause)},
        {"ctrl right next", key(Qt::Key_Right, ctrl), consume(Command::next)},
        {"ctrl up volume", key(Qt::Key_Up, ctrl), consume(Command::volumeUp)},
        {"ctrl shift m mute", key(Qt::Key_M, ctrlShift, "M"), consume(Command::mute)},
        {"ctrl 4 history", key(Qt::Key_4, ctrl, "4"), consume(Command::module, 3)},
        {"alt 8 warp", key(Qt::Key_8, Qt::AltModifier, "8"), consume(Command::mode, 7)},
        {"ctrl f search", key(Qt::Key_F, ctrl, "f"), consume(Command::search)},
        {"ctrl shift f cinema", key(Qt::Key_F, ctrlShift, "F"), consume(Command::cinema)},
        {"ctrl q quits", key(Qt::Key_Q, ctrl, "q"), consume(Command::quit)},
        {"ctrl 8 is nothing", key(Qt::Key_8, ctrl, "8"), pass},
        {"meta 1 is nothing", key(Qt::Key_1, Qt::MetaModifier, "1"), pass},
        // The media keys, where no desktop service takes them, whatever has the keyboard.
        {"media play toggles", key(Qt::Key_MediaPlay), consume(Command::togglePlayPause)},
        {"media play/pause toggles", key(Qt::Key_MediaTogglePlayPause), consume(Command::togglePlayPause)},
        {"media stop", key(Qt::Key_MediaStop), consume(Command::stop)},
        {"media next", key(Qt::Key_MediaNext), consume(Command::next)},
        {"media previous", key(Qt::Key_MediaPrevious), consume(Command::previous)},
        {"field media play", inField(key(Qt::Key_MediaPlay)), consume(Command::togglePlayPause)},
        {"popup media play", withPopup(key(Qt::Key_MediaPlay)), pass},
        // A focused text field keeps what it types and moves by.
        {"field space", inField(key(Qt::Key_Space, {}, " ")), pass},
        {"field v", inField(key(Qt::Key_V, {}, "v")), pass},
        {"field shift l", inField(key(Qt::Key_L, Qt::ShiftModifier, "L")), pass},
        {"field escape", inField(inCinema(key(Qt::Key_Escape, {}, "\x1b"))), pass},
        {"field ctrl left", inField(key(Qt::Key_Left, ctrl)), pass},
        {"field ctrl down", inField(key(Qt::Key_Down, ctrl)), pass},
        {"field ctrl a (select all)", inField(key(Qt::Key_A, ctrl, "a")), pass},
        {"field ctrl r records", inField(key(Qt::Key_R, ctrl, "r")), consume(Command::record)},
        {"field ctrl q quits", inField(key(Qt::Key_Q, ctrl, "q")), consume(Command::quit)},
        // A menu, dialog or file chooser: no rule at all.
        {"popup space", withPopup(key(Qt::Key_Space, {}, " ")), pass},
        {"popup ctrl 1", withPopup(key(Qt::Key_1, ctrl, "1")), pass},
        {"popup escape in cinema", withPopup(inCinema(key(Qt::Key_Escape))), pass},
        // The splash ends on any key and only ends.
        {"splash space", booting(key(Qt::Key_Space, {}, " ")), endSplash},
        {"splash in field", booting(inField(key(Qt::Key_A, {}, "a"))), endSplash},
        {"splash with popup", booting(withPopup(key(Qt::Key_Q, ctrl, "q"))), endSplash},
    };
    for (const auto& c : cases)
        EXPECT_EQ(decideKey(c.input), c.expected) << c.what;
}

TEST(KeyRules, ShortcutsUseLinuxModifiersInTheDesktopsText) {
    const struct {
        CommandRef command;
        const char* text;
    } cases[] = {
        {{Command::togglePlayPause}, "Space"},
        {{Command::stop}, "Ctrl+."},
        {{Command::next}, "Ctrl+Right"},
        {{Command::volumeDown}, "Ctrl+Down"},
        {{Command::mute}, "Ctrl+Shift+M"},
        {{Command::record}, "Ctrl+R"},
        {{Command::favorite}, "Ctrl+D"},
        {{Command::nextMode}, "V"},
        {{Command::mode, 0}, "Alt+1"},
        {{Command::mode, 7}, "Alt+8"},
        {{Command::lyrics}, "L"},
        {{Command::cinema}, "Ctrl+Shift+F"},
        {{Command::togglePanel}, "Ctrl+Shift+P"},
        {{Command::module, 0}, "Ctrl+1"},
        {{Command::module, 6}, "Ctrl+7"},
        {{Command::search}, "Ctrl+F"},
        {{Command::link}, "Ctrl+L"},
        {{Command::quit}, "Ctrl+Q"},
        {{Command::about}, ""},
        {{Command::mini}, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(shortcutFor(c.command).toString(QKeySequence::PortableText).toStdString(), c.text);
    // Every modifier shortcut leads back to its own command.
    for (const auto& c : cases) {
        const QKeySequence sequence = shortcutFor(c.command);
        if (sequence.isEmpty() || sequence[0].keyboardModifiers() == Qt::NoModifier)
            continue;
        EXPECT_EQ(commandForShortcut(sequence[0].key(), sequence[0].keyboardModifiers()), c.command)
            << c.text;
    }
}

TEST(KeyRules, NextModeWrapsAndTreatsUnknownNamesAsTheFirst) {
    const struct {
        const char* stored;
        const char* next;
    } cases[] = {
        {"zintra", "scope"}, {"aurora", "warp"}, {"warp", "zintra"}, {"", "scope"}, {"Warp", "scope"}};
    for (const auto& c : cases)
        EXPECT_EQ(rawValue(nextMode(modeOrDefault(c.stored))), c.next) << c.stored;
}

TEST(HookValues, OnlyFiniteNumbersAndBoundedDelaysAndPeriods) {
    const double none = std::numeric_limits<double>::quiet_NaN();
    const struct {
        const char* text;
        double number, delay, period;
    } cases[] = {
        {"0.5", 0.5, 0.5, 0.5},        {"2", 2, 2, 2},
        {"-3", -3, 0, 0.05},           {"0", 0, 0, 0.05},
        {"0.001", 0.001, 0.001, 0.05}, {"1e9", 1e9, 86400, 86400},
        {"1e400", none, none, none},   {"nan", none, none, none},
        {"inf", none, none, none},     {"-inf", none, none, none},
        {"", none, none, none},        {" 1", none, none, none},
        {"2s", none, none, none},      {"0,5", none, none, none},
        {"+0.5", 0.5, 0.5, 0.5},       {"+-1", none, none, none},
        {"+", none, none, none},       {"++1", none, none, none},
    };
    auto same = [](std::optional<double> got, double want) {
        return std::isnan(want) ? !got.has_value() : got.has_value() && *got == want;
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(same(hookNumber(c.text), c.number)) << c.text;
        EXPECT_TRUE(same(hookDelay(c.text), c.delay)) << c.text;
        EXPECT_TRUE(same(hookPeriod(c.text), c.period)) << c.text;
    }
}

TEST(HookValues, AutoplayPlaysTheFirstMatchOrTheLinkAndNothingForAnEmptyText) {
    const std::vector<std::string> names{"Local Test FM", "Radio Wien", "Test Two"};
    EXPECT_EQ(autoplayTarget(names, "test").station, 0u);
    EXPECT_EQ(autoplayTarget(names, "WIEN").station, 1u);
    const auto link = autoplayTarget(names, "http://127.0.0.1:1/x");
    EXPECT_FALSE(link.station);
    EXPECT_EQ(link.link.value_or(""), "http://127.0.0.1:1/x");
    const auto empty = autoplayTarget(names, "");
    EXPECT_FALSE(empty.station);
    EXPECT_FALSE(empty.link);
}

TEST(MiniRules, SubtitleTakesTheSongThenTheFormatWhilePlayingThenStopped) {
    using Text = std::optional<std::string>;
    const struct {
        Text nowPlaying;
        const char* state;
        Text format;
        const char* shown;
    } cases[] = {
        {"A - B", "playing", "MP3 128", "A - B"},
        {"A - B", "paused", std::nullopt, "A - B"},
        {"", "playing", "MP3 128", ""},
        {std::nullopt, "playing", "MP3 128", "MP3 128"},
        {std::nullopt, "playing", std::nullopt, ""},
        {std::nullopt, "buffering", "MP3 128", "Stopped"},
        {std::nullopt, "paused", std::nullopt, "Stopped"},
        {std::nullopt, "failed", std::nullopt, "Stopped"},
        {std::nullopt, "stopped", std::nullopt, "Stopped"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(miniSubtitle(c.nowPlaying, c.state, c.format, "Stopped"), c.shown) << c.state;
}

TEST(MiniRules, BarsMapBandsAndDrawTheFloorForSilenceOrNoBands) {
    // With 64 bands: 0, 1, 3, 4, 6, ... 62; the last band is never read.
    EXPECT_EQ(miniBandIndex(64, 0), 0u);
    EXPECT_EQ(miniBandIndex(64, 1), 1u);
    EXPECT_EQ(miniBandIndex(64, 2), 3u);
    EXPECT_EQ(miniBandIndex(64, 39), 62u);
    EXPECT_EQ(miniBandIndex(10, 39), 9u);
    EXPECT_EQ(miniBandIndex(1, 39), 0u);
    EXPECT_FALSE(miniBandIndex(0, 0));

    const double height = 54, usable = 0.92 * 54, floor = std::max(0.03 * usable, 2.0);
    for (double h : miniBarHeights({}, true, 0, height))
        EXPECT_DOUBLE_EQ(h, floor);
    std::vector<float> bands(64, 0.01f);
    bands[0] = 0.5f;
    bands[62] = std::numeric_limits<float>::quiet_NaN();
    bands[3] = 7.0f;
    const auto live = miniBarHeights(bands, true, 0, height);
    ASSERT_EQ(live.size(), 40u);
    EXPECT_DOUBLE_EQ(live[0], usable * 0.5);
    EXPECT_DOUBLE_EQ(live[1], floor);  // silent band: a short bar, not the wave
    EXPECT_DOUBLE_EQ(live[2], usable); // never above the spectrum
    EXPECT_DOUBLE_EQ(live[39], floor); // a broken value draws the floor

    // Idle: the wave between 2 % and 18 % of the usable height, moving with time.
    const auto idle = miniBarHeights(bands, false, 1.0, height);
    for (double h : idle) {
        EXPECT_GE(h, usable * 0.02 - 1e-9);
        EXPECT_LE(h, usable * 0.18 + 1e-9);
    }
    EXPECT_NE(idle, miniBarHeights(bands, false, 2.0, height));
}

TEST(ShellCommands, VolumeStepsStayWithinZeroAndOne) {
    const struct {
        float from;
        int direction;
        float to;
    } cases[] = {{0.5f, 1, 0.55f},  {0.98f, 1, 1.0f}, {1.0f, 1, 1.0f},
                 {0.03f, -1, 0.0f}, {0.0f, -1, 0.0f}, {0.05f, -1, 0.0f},
                 {1.7f, 1, 1.0f},   {-2.0f, 1, 0.0f}, {std::numeric_limits<float>::quiet_NaN(), 1, 0.05f}};
    for (const auto& c : cases)
        EXPECT_FLOAT_EQ(steppedVolume(c.from, c.direction), c.to) << c.from << " " << c.direction;
}

TEST(ShellCommands, MenuNamesNameTheCommands) {
    EXPECT_EQ(commandFromName("togglePlayPause"), Command::togglePlayPause);
    EXPECT_EQ(commandFromName("module"), Command::module);
    EXPECT_EQ(commandFromName("quit"), Command::quit);
    EXPECT_FALSE(commandFromName("Quit"));
    EXPECT_FALSE(commandFromName(""));
}
