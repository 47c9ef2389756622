#include "kit/FileDialogs.hpp"

#include "ZazidEvoz/core/MediaFolders.hpp"
#include "state/QtValues.hpp"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMetaMethod>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQmlExpression>
#include <QQuickItem>
#include <QUrl>
#include <QWindow>
#include <cstdio>

namespace ZintraRadio {

namespace {

// FileDialog.SaveFile of QtQuick.Dialogs.
constexpr int saveFileMode = 2;

QString localPath(const QString& pathOrURL) {
    const QUrl url(pathOrURL);
    return url.isLocalFile() ? url.toLocalFile() : pathOrURL;
}

// The folder `startAt` means: itself, or the folder of the file it names; else home.
QString folderMeant(const QString& startAt) {
    const QString path = localPath(startAt);
    if (!path.isEmpty()) {
        const QFileInfo info(path);
        if (info.isDir())
            return info.absoluteFilePath();
        if (info.absoluteDir().exists())
            return info.absolutePath();
    }
    return QDir::homePath();
}

QColor windowText(const QObject* palette) {
    return palette != nullptr ? palette->property("windowText").value<QColor>() : QColor();
}

// Qt 6.4 does not hand a popup's new palette down to every control in it: those under plain
// items (the footer's layout, the list's scroll bar) keep the window's. Each such one gets it.
void handDown(QQuickItem& item, const QVariant& palette) {
    const QColor text = windowText(palette.value<QObject*>());
    for (QQuickItem* child : item.childItems()) {
        // Plain items have no palette of their own (setProperty would add a dynamic one).
        const bool hasPalette = child->metaObject()->indexOfProperty("palette") >= 0;
        if (hasPalette && windowText(child->property("palette").value<QObject*>()) != text)
            child->setProperty("palette", palette);
        handDown(*child, palette);
    }
}

// Qt's fallback dialogs live as children of the window they opened in. They all get the
// theme's dialog palette, looked up where `dialog` was declared: also those opened before,
// which keep theirs between openings.
void paintFallbacks(QObject& dialog) {
    QQmlContext* context = qmlContext(&dialog);
    if (context == nullptr)
        return;
    QQmlExpression lookup(context, &dialog, QStringLiteral("Theme.dialogPalette"));
    const QVariant palette = lookup.evaluate();
    if (lookup.hasError() || palette.isNull())
        return;
    for (QWindow* window : QGuiApplication::allWindows())
        for (QObject* child : window->children())
            if (child->inherits("QQuickFileDialogImpl") || child->inherits("QQuickFolderDialogImpl")) {
                child->setProperty("palette", palette);
                const auto* content = child->property("contentItem").value<QQuickItem*>();
                if (content != nullptr && content->parentItem() != nullptr)
                    handDown(*content->parentItem(), palette);
            }
}

// Notes the folder a dialog was accepted in, for the next dialog of its name.
class FolderMemory : public QObject {
    Q_OBJECT

public:
    FolderMemory(QObject& dialog, std::map<QString, QString>& folders)
        : QObject(&dialog), dialog_(dialog), folders_(folders) {
        setObjectName(QStringLiteral("folderMemory"));
    }

public Q_SLOTS:
    void accepted() {
        // A file's folder; for a chosen folder the one that holds it, to choose its siblings.
        const bool folderDialog = dialog_.metaObject()->indexOfProperty("selectedFolder") >= 0;
        const QUrl chosen = dialog_.property(folderDialog ? "selectedFolder" : "selectedFile").toUrl();
        if (chosen.isLocalFile())
            folders_[dialog_.objectName()] = QFileInfo(chosen.toLocalFile()).absolutePath();
    }

private:
    QObject& dialog_;
    std::map<QString, QString>& folders_;
};

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

QString FileDialogs::musicFolder() const {
    return QString::fromStdString(ZazidEvoz::MediaFolders::root().string());
}

void FileDialogs::startIn(QObject& dialog, const QString& startAt) const {
    QString folder = folderMeant(startAt);
    if (const auto last = lastFolders_.find(dialog.objectName());
        !dialog.objectName().isEmpty() && last != lastFolders_.end() && QFileInfo(last->second).isDir())
        folder = last->second;
    if (dialog.property("fileMode").toInt() == saveFileMode && fallbackType(dialog) == QLatin1String("FileDialog")) {
        const QFileInfo suggested(localPath(startAt));
        const QString name = !startAt.isEmpty() && !suggested.isDir()
                                 ? suggested.fileName()
                                 : QFileInfo(dialog.property("selectedFile").toUrl().toLocalFile()).fileName();
        dialog.setProperty("selectedFile", QUrl::fromLocalFile(QDir(folder).filePath(name)));
    } else {
        dialog.setProperty("currentFolder", QUrl::fromLocalFile(folder));
    }
}

void FileDialogs::rememberOnAccept(QObject& dialog) {
    if (dialog.objectName().isEmpty() ||
        dialog.findChild<FolderMemory*>(QStringLiteral("folderMemory"), Qt::FindDirectChildrenOnly) != nullptr)
        return;
    auto* memory = new FolderMemory(dialog, lastFolders_);
    const QMetaObject& meta = *dialog.metaObject();
    const int accepted = meta.indexOfSignal("accepted()");
    if (accepted >= 0)
        QObject::connect(&dialog, meta.method(accepted), memory,
                         memory->metaObject()->method(memory->metaObject()->indexOfSlot("accepted()")));
}

bool FileDialogs::open(QObject* dialog, const QJSValue& report, const QString& startAt) {
    if (dialog == nullptr)
        return false;
    QQmlEngine* engine = qmlEngine(dialog);
    const QString type = fallbackType(*dialog);
    QString reason;
    if (engine == nullptr || type.isEmpty() || fallbackBuilds(*engine, type, &reason)) {
        if (!type.isEmpty()) {
            startIn(*dialog, startAt);
            rememberOnAccept(*dialog);
        }
        QMetaObject::invokeMethod(dialog, "open");
        paintFallbacks(*dialog);
        return true;
    }
    std::fprintf(stderr, "ZintraRadio: the %s cannot open (install %s): %s\n", qPrintable(type),
                 fileDialogPackage, qPrintable(reason));
    if (report.isCallable())
        //% "This dialog cannot open: Qt's file dialog needs the package %1."
        report.call({qtText(localizedText(QT_TRID_NOOP("toast.dialogUnavailable"),
                                          {QString::fromLatin1(fileDialogPackage)}))});
    return false;
}

} // namespace ZintraRadio

#include "FileDialogs.moc"
