// What the shell's views ask of the desktop: the texts the rules build (tool banner, toast
// texts), the badge counts, showing a file in the file manager and copying a text with a
// confirming toast. Nothing here runs a shell or a child process of its own.
#pragma once

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

class QQmlEngine;
class QJSEngine;

namespace ZintraRadio {

class ListModelBase;

class Shell : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    // The FAKE_MISSING_TOOLS hook: the banner shows as if both tools were missing.
    Q_PROPERTY(bool fakeMissingTools READ fakeMissingTools CONSTANT)
    Q_PROPERTY(QString installHint READ installHint CONSTANT)

public:
    static Shell* create(QQmlEngine*, QJSEngine*);

    bool fakeMissingTools() const;
    QString installHint() const;

    Q_INVOKABLE QString missingTools(bool hasFFmpeg, bool hasYtDlp) const;
    // Running or converting downloads in the model's download list.
    Q_INVOKABLE int activeDownloads(ZintraRadio::ListModelBase* downloads) const;
    // A toast's or a failed state's text, with the engine's known texts localised.
    Q_INVOKABLE QString displayedError(const QString& message) const;
    // Shows the file selected in the file manager (over D-Bus, else its folder); false when
    // nothing could show it.
    Q_INVOKABLE bool revealFile(const QString& path) const;
    // The keyboard shortcut of module `number` (1...7) as the desktop writes it, such as "Ctrl+1".
    Q_INVOKABLE QString shortcutText(int number) const;
    // Puts the text on the clipboard and confirms it with the info toast "toast.copied".
    Q_INVOKABLE void copy(const QString& text) const;

private:
    Shell() = default;
};

} // namespace ZintraRadio
