// The menu commands carried out on the shared models, and the one application-wide key filter
// that turns key presses into them. The menus call run() when chosen with the pointer; the
// filter calls it for a shortcut, from whichever window has the keyboard.
#pragma once

#include "shell/KeyRules.hpp"

#include <QObject>
#include <QPointF>
#include <functional>
#include <optional>
#include <string_view>

class QQuickItem;
class QQuickWindow;

namespace ZintraRadio {

class AppModel;
class UIState;

// What only the shell can do; until it installs them these do nothing.
struct DesktopActions {
    std::function<void()> about;
    std::function<void()> mini;
};
void setDesktopActions(DesktopActions actions);

// The volume one step (0.05) up or down, within 0 ... 1.
float steppedVolume(float volume, int direction);

// "togglePlayPause", "stop", "module", ...: the command names the menus use.
std::optional<Command> commandFromName(std::string_view name);

void runCommand(CommandRef command, AppModel& model, UIState& ui);

// Whether a focused text input holds the keyboard, and whether a menu, dialog or file chooser
// that takes the keyboard is open in the window.
bool hasTextFocus(const QQuickWindow& window);
bool hasOpenPopup(const QQuickWindow& window);
// Takes the keyboard from the window's focused field when `scenePoint` lies outside it; true
// when it did. Only fields that name their frame (the kit's field) are concerned.
bool releaseFieldPressedOutside(QQuickWindow& window, QPointF scenePoint);

// Installed on the application: decides each key press that reaches a window, before the
// window hands it to its items. A press of the mouse outside the text field that has the
// keyboard (on a result row, a button, the stage) takes the keyboard from the field, as the
// desktop's own controls do when clicked, so that single keys drive the window again.
class KeyFilter : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace ZintraRadio
