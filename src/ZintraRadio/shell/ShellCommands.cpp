#include "shell/ShellCommands.hpp"

#include "state/AppModel.hpp"
#include "state/AppModule.hpp"
#include "state/AppRuntime.hpp"
#include "state/UIState.hpp"
#include "state/VisualizerMode.hpp"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QQuickItem>
#include <QQuickWindow>
#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace ZintraRadio {

namespace {

DesktopActions& desktop() {
    static DesktopActions actions;
    return actions;
}

void call(const std::function<void()>& action) {
    if (action)
        action();
}

// A popup item's popup, when it is one that holds the keyboard (a menu, a dialog, a file
// chooser, an open combo box list); tool tips take no focus and do not count.
bool holdsKeyboard(const QQuickItem* item) {
    if (qstrcmp(item->metaObject()->className(), "QQuickPopupItem") != 0 || !item->isVisible())
        return false;
    const QObject* popup = item->parent();
    if (popup == nullptr || !popup->inherits("QQuickPopup"))
        return false;
    return popup->property("modal").toBool() || popup->property("focus").toBool() ||
           popup->inherits("QQuickMenu") || popup->inherits("QQuickDialog");
}

} // namespace

void setDesktopActions(DesktopActions actions) {
    desktop() = std::move(actions);
}

float steppedVolume(float volume, int direction) {
    if (!std::isfinite(volume))
        volume = 0;
    const float stepped = volume + 0.05f * static_cast<float>(direction);
    if (stepped <= 0)
        return 0;
    return std::min(stepped, 1.0f);
}

std::optional<Command> commandFromName(std::string_view name) {
    static constexpr std::array<std::pair<std::string_view, Command>, 21> names{{
        {"togglePlayPause", Command::togglePlayPause},
        {"stop", Command::stop},
        {"next", Command::next},
        {"previous", Command::previous},
        {"volumeUp", Command::volumeUp},
        {"volumeDown", Command::volumeDown},
        {"mute", Command::mute},
        {"record", Command::record},
        {"favorite", Command::favorite},
        {"nextMode", Command::nextMode},
        {"mode", Command::mode},
        {"lyrics", Command::lyrics},
        {"cinema", Command::cinema},
        {"togglePanel", Command::togglePanel},
        {"module", Command::module},
        {"search", Command::search},
        {"link", Command::link},
        {"about", Command::about},
        {"mini", Command::mini},
        {"quit", Command::quit},
        {"leaveCinema", Command::leaveCinema},
    }};
    for (const auto& [text, command] : names)
        if (text == name)
            return command;
    return std::nullopt;
}

void runCommand(CommandRef command, AppModel& model, UIState& ui) {
    switch (command.command) {
    case Command::none:
        break;
    case Command::togglePlayPause:
        model.togglePlayPause();
        break;
    case Command::stop:
        // A video on the stage stops first; the radio or music engine only on the next stop.
        model.stopPlayback();
        break;
    case Command::next:
        model.skip(1);
        break;
    case Command::previous:
        model.skip(-1);
        break;
    case Command::volumeUp:
        model.setVolume(steppedVolume(model.volume(), 1));
        break;
    case Command::volumeDown:
        model.setVolume(steppedVolume(model.volume(), -1));
        break;
    case Command::mute:
        model.setMuted(!model.muted());
        break;
    case Command::record:
        if (model.isRecording())
            model.stopRecording();
        else
            model.startRecording();
        break;
    case Command::favorite:
        if (const auto& current = model.current())
            model.toggleFavorite(*current);
        break;
    case Command::nextMode:
        ui.setMode(nextMode(modeOrDefault(model.visualizerMode())), model);
        break;
    case Command::mode:
        if (command.index >= 0 && command.index < static_cast<int>(allVisualizerModes.size()))
            ui.setMode(allVisualizerModes[static_cast<std::size_t>(command.index)], model);
        break;
    case Command::lyrics:
        ui.toggleLyrics();
        break;
    case Command::cinema:
        ui.toggleCinema();
        break;
    case Command::leaveCinema:
        if (ui.cinema())
            ui.toggleCinema();
        break;
    case Command::togglePanel:
        ui.togglePanel();
        break;
    case Command::module:
        if (command.index >= 0 && command.index < static_cast<int>(allAppModules.size()))
            ui.show(allAppModules[static_cast<std::size_t>(command.index)]);
        break;
    case Command::search:
        ui.focusSearch();
        break;
    case Command::link:
        ui.focusLink();
        break;
    case Command::about:
        call(desktop().about);
        break;
    case Command::mini:
        call(desktop().mini);
        break;
    case Command::quit:
        QCoreApplication::quit();
        break;
    }
}

bool hasTextFocus(const QQuickWindow& window) {
    const QQuickItem* item = window.activeFocusItem();
    return item != nullptr && item->isEnabled() &&
           (item->inherits("QQuickTextInput") || item->inherits("QQuickTextEdit")) &&
           !item->property("readOnly").toBool();
}

bool hasOpenPopup(const QQuickWindow& window) {
    for (const QQuickItem* item = window.activeFocusItem(); item != nullptr; item = item->parentItem())
        if (holdsKeyboard(item))
            return true;
    // The overlay that holds the window's open popups.
    const QQuickItem* root = window.contentItem() ? window.contentItem()->parentItem() : nullptr;
    if (root != nullptr)
        for (const QQuickItem* child : root->childItems())
            if (child->inherits("QQuickOverlay"))
                for (const QQuickItem* popup : child->childItems())
                    if (holdsKeyboard(popup))
                        return true;
    return false;
}

bool releaseFieldPressedOutside(QQuickWindow& window, QPointF scenePoint) {
    QQuickItem* input = window.activeFocusItem();
    if (input == nullptr || !hasTextFocus(window))
        return false;
    const auto* frame = input->property("fieldFrame").value<QQuickItem*>();
    if (frame == nullptr || frame->contains(frame->mapFromScene(scenePoint)))
        return false;
    input->setFocus(false);
    return true;
}

bool KeyFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress && watched->isWindowType()) {
        // Before the press reaches the items: a field pressed into keeps the keyboard, and
        // another field takes it as usual.
        if (auto* window = qobject_cast<QQuickWindow*>(watched))
            releaseFieldPressedOutside(*window, static_cast<QMouseEvent*>(event)->scenePosition());
        return false;
    }
    // The window sees each key first and then hands it to its items; decide once, there.
    if (event->type() != QEvent::KeyPress || !watched->isWindowType() || !AppRuntime::hasModel())
        return false;
    auto* window = qobject_cast<QQuickWindow*>(watched);
    auto* key = static_cast<QKeyEvent*>(event);
    UIState& ui = AppRuntime::ui();
    KeyInput input;
    input.key = key->key();
    input.modifiers = key->modifiers();
    input.text = key->text();
    input.booting = ui.booting();
    input.cinema = ui.cinema();
    // Another toolkit's window (a native dialog, a tray menu) or an open menu, dialog or file
    // chooser keeps its keys.
    input.popupOpen = window == nullptr || QGuiApplication::modalWindow() != nullptr ||
                      QApplication::activePopupWidget() != nullptr || hasOpenPopup(*window);
    input.textField = window != nullptr && hasTextFocus(*window);
    const KeyDecision decision = decideKey(input);
    if (decision.endSplash)
        ui.setBooting(false);
    if (decision.outcome == KeyOutcome::pass)
        return false;
    runCommand(decision.command, AppRuntime::model(), ui);
    return true;
}

} // namespace ZintraRadio
