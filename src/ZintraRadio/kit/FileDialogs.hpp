// Opening Qt Quick's file and folder dialogs only where they can open, in a sensible folder,
// and readable. Without a desktop dialog service Qt falls back to dialogs of its own written in
// QML, which import further modules (Qt.labs.folderlistmodel above all). When one is missing,
// Qt's open() crashes (file dialogs) or does nothing (folder and save dialogs); so the fallback
// is compiled first, and a dialog that cannot open says so in a toast. The fallback draws with
// the palette of the window it opens in, which is made for the dark views and leaves its light
// parts (the path bar, the selected row) unreadable: it gets a light palette of its own
// (Theme.dialogPalette). Left alone, it opens in the program's working folder.
#pragma once

#include <QJSValue>
#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>
#include <map>

class QQmlEngine;
class QJSEngine;

namespace ZintraRadio {

// The package that holds the module the fallback dialogs need most (Debian's name).
inline constexpr const char* fileDialogPackage = "qml6-module-qt-labs-folderlistmodel";

class FileDialogs : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    static FileDialogs* create(QQmlEngine*, QJSEngine*);

    // Opens `dialog`, a FileDialog or FolderDialog of QtQuick.Dialogs. When its fallback cannot
    // be built in the dialog's engine, writes the reason on standard error and calls `report`
    // (a function, when one is given) with the text of an error toast instead. True when the
    // dialog was opened.
    //
    // It opens in the folder where a dialog of the same object name was last accepted in this
    // run, else at `startAt`: a folder, or a file (a path or a file URL) whose folder is meant;
    // else in the home folder. A save dialog suggests the file name of `startAt` in that
    // folder.
    Q_INVOKABLE bool open(QObject* dialog, const QJSValue& report, const QString& startAt = QString());

    // The user's music folder, a start for choosing folders of music.
    Q_INVOKABLE QString musicFolder() const;

    // Whether Qt's QML fallback `type` ("FileDialog" or "FolderDialog") compiles in `engine`;
    // the compiler's errors go to `reason` when it does not.
    static bool fallbackBuilds(QQmlEngine& engine, const QString& type, QString* reason = nullptr);

private:
    FileDialogs() = default;

    void startIn(QObject& dialog, const QString& startAt) const;
    void rememberOnAccept(QObject& dialog);

    // The folder each named dialog was last accepted in.
    std::map<QString, QString> lastFolders_;
};

} // namespace ZintraRadio
