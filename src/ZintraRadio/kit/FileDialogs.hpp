// Opening Qt Quick's file and folder dialogs only where they can open. Without a desktop dialog
// service Qt falls back to dialogs of its own written in QML, which import further modules
// (Qt.labs.folderlistmodel above all). When one is missing, Qt's open() crashes (file dialogs)
// or does nothing (folder and save dialogs); so the fallback is compiled first, and a dialog
// that cannot open says so in a toast.
#pragma once

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

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
    // be built in the dialog's engine, shows an error toast on `model` (the application model)
    // and writes the reason on standard error instead. True when the dialog was opened.
    Q_INVOKABLE bool open(QObject* dialog, QObject* model) const;

    // Whether Qt's QML fallback `type` ("FileDialog" or "FolderDialog") compiles in `engine`;
    // the compiler's errors go to `reason` when it does not.
    static bool fallbackBuilds(QQmlEngine& engine, const QString& type, QString* reason = nullptr);

private:
    FileDialogs() = default;
};

} // namespace ZintraRadio
