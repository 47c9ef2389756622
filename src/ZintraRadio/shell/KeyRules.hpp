// The application's keyboard: which command each shortcut runs, and the one decision every key
// press goes through (single keys drive playback, modes, lyrics and cinema mode while a text
// field keeps what is typed into it). Pure: the caller reads focus and popups and acts.
#pragma once

#include <QKeySequence>
#include <QString>
#include <Qt>
#include <optional>

namespace ZintraRadio {

// Menu commands; `index` picks the mode (0...7) or the module (0...6) where one is needed.
enum class Command {
    none,
    togglePlayPause,
    stop,
    next,
    previous,
    volumeUp,
    volumeDown,
    mute,
    record,
    favorite,
    nextMode,
    mode,
    lyrics,
    cinema,
    togglePanel,
    module,
    search,
    link,
    about,
    mini,
    quit,
    leaveCinema, // Escape in cinema mode
};

struct CommandRef {
    Command command = Command::none;
    int index = 0;
    friend bool operator==(const CommandRef&, const CommandRef&) = default;
};

// The shortcut of a menu command, Linux modifiers (Ctrl, Alt, Meta); empty for commands
// without one.
QKeySequence shortcutFor(CommandRef command);
// The command whose modifier shortcut is this key with these modifiers.
std::optional<CommandRef> commandForShortcut(int key, Qt::KeyboardModifiers modifiers);

struct KeyInput {
    int key = 0;                          // Qt::Key
    Qt::KeyboardModifiers modifiers = {}; // the keypad and group-switch flags do not count
    QString text;                         // what the key types, if anything
    bool booting = false;                 // the start-up splash shows
    bool textField = false;               // a text input has focus
    bool popupOpen = false;               // a dialog, menu or file chooser is open
    bool cinema = false;
};

enum class KeyOutcome {
    pass,    // the key goes on as usual
    consume, // the key is used up here (with `command`, or only to end the splash)
};

struct KeyDecision {
    KeyOutcome outcome = KeyOutcome::pass;
    CommandRef command;
    bool endSplash = false;
    friend bool operator==(const KeyDecision&, const KeyDecision&) = default;
};

KeyDecision decideKey(const KeyInput& input);

} // namespace ZintraRadio
