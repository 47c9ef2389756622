// The about and mini windows: made on first use from the engine's module and kept, so each
// exists once; and bringing a window forward.
#pragma once

#include <QMetaObject>
#include <QPoint>

class QQmlEngine;
class QQuickWindow;
class QWindow;

namespace ZintraRadio {

// Shows the window, raises it and asks for the keyboard.
void bringForward(QQuickWindow* window);

// Where no tray gives the user a way back, closing the main window ends the application.
QMetaObject::Connection quitWhenClosed(QWindow& main);

class ShellWindows {
public:
    explicit ShellWindows(QQmlEngine& engine) : engine_(engine) {}
    ~ShellWindows();
    ShellWindows(const ShellWindows&) = delete;
    ShellWindows& operator=(const ShellWindows&) = delete;

    // Centred on the screen.
    void openAbout();
    // Near `place` (the tray icon or the pointer), inside the screen. From the tray a second
    // click puts it away again.
    void openMini(QPoint place, bool fromTray);

    QQuickWindow* about() const { return about_; }
    QQuickWindow* mini() const { return mini_; }

private:
    QQuickWindow* make(const char* file);

    QQmlEngine& engine_;
    QQuickWindow* about_ = nullptr;
    QQuickWindow* mini_ = nullptr;
};

} // namespace ZintraRadio
