// What the shell's views ask of the desktop: the texts the rules build (tool banner, toast
// texts), the badge counts, showing a file in the file manager and copying a text with a
// confirming toast. Nothing here runs a shell or a child process of its own.
#pragma once

#include <QFont>
#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

class QQmlEngine;
class QJSEngine;
class QQuickItem;

namespace ZintraRadio {

class ListModelBase;

class Shell : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    // The FAKE_MISSING_TOOLS hook: the banner shows as if both tools were missing.
    Q_PROPERTY(bool fakeMissingTools READ fakeMissingTools CONSTANT)
    Q_PROPERTY(QString installHint READ installHint CONSTANT)
    // Whether the desktop shows tray icons; without one the menu offers the mini player.
    Q_PROPERTY(bool trayAvailable READ trayAvailable CONSTANT)

public:
    static Shell* create(QQmlEngine*, QJSEngine*);

    bool fakeMissingTools() const;
    QString installHint() const;

    Q_INVOKABLE QString missingTools(bool hasFFmpeg, bool hasYtDlp) const;
    // Running or converting downloads in the model's download list.
    Q_INVOKABLE int activeDownloads(ZintraRadio::ListModelBase* downloads) const;
    // A toast's or a failed state's text, with the engine's known texts localised.
    Q_INVOKABLE QString displayedError(const QString& message) const;
    // A toast's text as shown: localised like displayedError, and cut in the middle beyond two
    // lines of `width` in `font`.
    Q_INVOKABLE QString toastText(const QString& message, const QFont& font, qreal width) const;
    // Shows the file selected in the file manager (over D-Bus, else its folder); false, and a
    // toast that says so, when nothing could show it.
    Q_INVOKABLE bool revealFile(const QString& path) const;
    // The keyboard shortcut of module `number` (1...7) as the desktop writes it, such as "Ctrl+1".
    Q_INVOKABLE QString shortcutText(int number) const;
    // Puts the text on the clipboard and confirms it with the info toast "toast.copied".
    Q_INVOKABLE void copy(const QString& text) const;
    // Runs the menu command `name` ("togglePlayPause", "mode", "module", ...) with its index.
    Q_INVOKABLE void run(const QString& name, int index = 0) const;
    // The command's shortcut as the desktop writes it ("Ctrl+Shift+M"); empty when it has none.
    Q_INVOKABLE QString shortcut(const QString& name, int index = 0) const;

    // Puts the menu bar back at rest after one of its menus closed while the pointer rested on
    // the menu's title: Qt 6.4 keeps such a bar opening menus on hover, and a title's click
    // then closes the menu that the pointer's arrival opened.
    Q_INVOKABLE void leaveMenuBar(QQuickItem* bar) const;

    // Brings the main window forward, opening it when it is closed.
    Q_INVOKABLE void showMainWindow() const;
    // The mini player's line under the title (song, else the format while playing, else
    // `stoppedText`).
    Q_INVOKABLE QString miniSubtitle(const QVariant& nowPlaying, const QString& state,
                                     const QVariant& formatInfo, const QString& stoppedText) const;

    bool trayAvailable() const;

private:
    Shell() = default;
};

} // namespace ZintraRadio
