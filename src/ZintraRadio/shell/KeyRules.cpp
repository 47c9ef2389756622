#include "shell/KeyRules.hpp"

namespace ZintraRadio {

namespace {

constexpr Qt::KeyboardModifiers modifierMask =
    Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;

struct Binding {
    Command command;
    int index;
    Qt::KeyboardModifiers modifiers;
    int key;
};

// The modifier shortcuts; the single keys (Space, V, L) go by the text they type.
constexpr Binding bindings[] = {
    {Command::stop, 0, Qt::ControlModifier, Qt::Key_Period},
    {Command::next, 0, Qt::ControlModifier, Qt::Key_Right},
    {Command::previous, 0, Qt::ControlModifier, Qt::Key_Left},
    {Command::volumeUp, 0, Qt::ControlModifier, Qt::Key_Up},
    {Command::volumeDown, 0, Qt::ControlModifier, Qt::Key_Down},
    {Command::mute, 0, Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_M},
    {Command::record, 0, Qt::ControlModifier, Qt::Key_R},
    {Command::favorite, 0, Qt::ControlModifier, Qt::Key_D},
    {Command::mode, 0, Qt::AltModifier, Qt::Key_1},
    {Command::mode, 1, Qt::AltModifier, Qt::Key_2},
    {Command::mode, 2, Qt::AltModifier, Qt::Key_3},
    {Command::mode, 3, Qt::AltModifier, Qt::Key_4},
    {Command::mode, 4, Qt::AltModifier, Qt::Key_5},
    {Command::mode, 5, Qt::AltModifier, Qt::Key_6},
    {Command::mode, 6, Qt::AltModifier, Qt::Key_7},
    {Command::mode, 7, Qt::AltModifier, Qt::Key_8},
    {Command::cinema, 0, Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_F},
    {Command::togglePanel, 0, Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_P},
    {Command::module, 0, Qt::ControlModifier, Qt::Key_1},
    {Command::module, 1, Qt::ControlModifier, Qt::Key_2},
    {Command::module, 2, Qt::ControlModifier, Qt::Key_3},
    {Command::module, 3, Qt::ControlModifier, Qt::Key_4},
    {Command::module, 4, Qt::ControlModifier, Qt::Key_5},
    {Command::module, 5, Qt::ControlModifier, Qt::Key_6},
    {Command::module, 6, Qt::ControlModifier, Qt::Key_7},
    {Command::search, 0, Qt::ControlModifier, Qt::Key_F},
    {Command::link, 0, Qt::ControlModifier, Qt::Key_L},
    {Command::quit, 0, Qt::ControlModifier, Qt::Key_Q},
};

// The keyboard's media keys, as the window gets them where no desktop service takes them for
// itself (one that does sends them over MPRIS instead). A single play key toggles.
std::optional<Command> mediaKeyCommand(int key) {
    switch (key) {
    case Qt::Key_MediaPlay:
    case Qt::Key_MediaTogglePlayPause:
        return Command::togglePlayPause;
    case Qt::Key_MediaStop:
        return Command::stop;
    case Qt::Key_MediaNext:
        return Command::next;
    case Qt::Key_MediaPrevious:
        return Command::previous;
    default:
        return std::nullopt;
    }
}

bool isArrow(int key) {
    return key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down;
}

KeyDecision run(Command command) {
    return {KeyOutcome::consume, {command, 0}, false};
}

} // namespace

QKeySequence shortcutFor(CommandRef command) {
    switch (command.command) {
    case Command::togglePlayPause:
        return QKeySequence(Qt::Key_Space);
    case Command::nextMode:
        return QKeySequence(Qt::Key_V);
    case Command::lyrics:
        return QKeySequence(Qt::Key_L);
    default:
        break;
    }
    for (const Binding& binding : bindings)
        if (binding.command == command.command && binding.index == command.index)
            return QKeySequence(QKeyCombination(binding.modifiers, static_cast<Qt::Key>(binding.key)));
    return {};
}

std::optional<CommandRef> commandForShortcut(int key, Qt::KeyboardModifiers modifiers) {
    modifiers &= modifierMask;
    if (modifiers == Qt::NoModifier)
        return std::nullopt;
    for (const Binding& binding : bindings)
        if (binding.key == key && binding.modifiers == modifiers)
            return CommandRef{binding.command, binding.index};
    return std::nullopt;
}

KeyDecision decideKey(const KeyInput& input) {
    // Any key only ends the splash, whatever has focus.
    if (input.booting)
        return {KeyOutcome::consume, {}, true};
    // A dialog, a menu or a file chooser has the keyboard to itself.
    if (input.popupOpen)
        return {};
    // They type nothing, so a text field with the keyboard does not keep them.
    if (auto command = mediaKeyCommand(input.key))
        return run(*command);
    const Qt::KeyboardModifiers modifiers = input.modifiers & modifierMask;
    if (input.textField) {
        // What the field types or moves by stays with it: plain keys (Escape included),
        // Shift with a key, and Ctrl with an arrow (word moves).
        if (modifiers == Qt::NoModifier || modifiers == Qt::ShiftModifier ||
            (modifiers == Qt::ControlModifier && isArrow(input.key)))
            return {};
        if (auto command = commandForShortcut(input.key, modifiers))
            return {KeyOutcome::consume, *command, false};
        return {};
    }
    if (modifiers != Qt::NoModifier) {
        if (auto command = commandForShortcut(input.key, modifiers))
            return {KeyOutcome::consume, *command, false};
        return {};
    }
    const QString typed = input.text.toLower();
    if (typed == QLatin1String(" ") || (typed.isEmpty() && input.key == Qt::Key_Space))
        return run(Command::togglePlayPause);
    if (typed == QLatin1String("v"))
        return run(Command::nextMode);
    if (typed == QLatin1String("l"))
        return run(Command::lyrics);
    if (input.key == Qt::Key_Escape && input.cinema)
        return run(Command::leaveCinema);
    return {};
}

} // namespace ZintraRadio
