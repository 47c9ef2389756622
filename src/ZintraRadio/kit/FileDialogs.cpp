#include "kit/FileDialogs.hpp"

#include "state/AppModel.hpp"

#include <QFile>
#include <QQmlComponent>
#include <QQmlEngine>
#include <cstdio>

namespace ZintraRadio {

namespace {

// The fallback type of a QtQuick.Dialogs dialog, by its C++ class (QML may derive from it).
QString fallbackType(const QObject& dialog) {
    for (const QMetaObject* meta = dialog.metaObject(); meta != nullptr; meta = meta->superClass()) {
        const QLatin1String name(meta->className());
        if (name == QLatin1String("QQuickFolderDialog"))
            return QStringLiteral("FolderDialog");
        if (name == QLatin1String("QQuickFileDialog"))
            return QStringLiteral("FileDialog");
    }
    return {};
}

} // namespace

FileDialogs* FileDialogs::create(QQmlEngine*, QJSEngine*) {
    static FileDialogs* dialogs = new FileDialogs();
    QQmlEngine::setObjectOwnership(dialogs, QQmlEngine::CppOwnership);
    return dialogs;
}

bool FileDialogs::fallbackBuilds(QQmlEngine& engine, const QString& type, QString* reason) {
    // The document Qt 6 itself loads for its fallback. Compiled, not created: the engine keeps
    // the compiled type for the dialog's own use. Where a Qt keeps it elsewhere, Qt decides.
    const QString document =
        QStringLiteral(":/qt-project.org/imports/QtQuick/Dialogs/quickimpl/qml/%1.qml").arg(type);
    if (!QFile::exists(document))
        return true;
    QQmlComponent probe(&engine, QUrl(QLatin1String("qrc") + document));
    if (probe.isReady())
        return true;
    if (reason != nullptr)
        *reason = probe.errorString().trimmed().replace(QLatin1Char('\n'), QLatin1String("; "));
    return false;
}

bool FileDialogs::open(QObject* dialog, QObject* model) const {
    if (dialog == nullptr)
        return false;
    QQmlEngine* engine = qmlEngine(dialog);
    const QString type = fallbackType(*dialog);
    QString reason;
    if (engine == nullptr || type.isEmpty() || fallbackBuilds(*engine, type, &reason)) {
        QMetaObject::invokeMethod(dialog, "open");
        return true;
    }
    std::fprintf(stderr, "ZintraRadio: the %s cannot open (install %s): %s\n", qPrintable(type),
                 fileDialogPackage, qPrintable(reason));
    if (auto* app = qobject_cast<AppModel*>(model))
        //% "This dialog cannot open: Qt's file dialog needs the package %1."
        app->show(Toast::Style::error, localizedText(QT_TRID_NOOP("toast.dialogUnavailable"),
                                                     {QString::fromLatin1(fileDialogPackage)}));
    return false;
}

} // namespace ZintraRadio
