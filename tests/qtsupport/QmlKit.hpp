// Loading the module's QML offscreen in tests: an engine that collects every QML warning, a
// window to put items in, lookups of items by objectName, and drops.
#pragma once

#include "QtTestKit.hpp"

#include <QCoreApplication>
#include <QDirIterator>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QMimeData>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSet>
#include <QStringList>
#include <QTranslator>
#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace ZintraRadio::testkit {

// Installs the English table once per process.
inline void installEnglishTexts() {
    static QTranslator english;
    static const bool installed = english.load(QStringLiteral(":/i18n/zintraradio_en.qm")) &&
                                  QCoreApplication::installTranslator(&english);
    (void)installed;
}

// Sends a drag of `mime` into the window at `at`, then drops it; whether the drop was taken.
inline bool dragAndDrop(QWindow* window, QMimeData* mime, QPoint at) {
    QDragEnterEvent enter(at, Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &enter);
    QDragMoveEvent move(at, Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &move);
    QDropEvent drop(at, Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &drop);
    return drop.isAccepted();
}

class QmlKit {
public:
    QmlKit() {
        engine.addImportPath(QStringLiteral("qrc:/qt/qml"));
        QObject::connect(&engine, &QQmlEngine::warnings, [this](const QList<QQmlError>& errors) {
            for (const auto& error : errors)
                warnings.append(error.toString());
        });
        window.resize(900, 700);
        window.setColor(Qt::black);
    }

    ~QmlKit() {
        // Items that go are freed by the scene graph on its next frame: give it one. The window
        // then lets go of its textures and Qt Quick's picture cache, so nothing of the scene is
        // left for the leak check.
        owned.clear();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        window.releaseResources();
        if (window.isVisible()) {
            window.update();
            QElapsedTimer waited;
            waited.start();
            while (waited.elapsed() < 150)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
    }

    // Creates `qml` (a document that imports what it needs) inside the window.
    QQuickItem* create(const QByteArray& qml) {
        QQmlComponent component(&engine);
        component.setData(qml, QUrl(QStringLiteral("qrc:/kit-test/Document.qml")));
        if (component.isError()) {
            for (const auto& error : component.errors())
                warnings.append(error.toString());
            return nullptr;
        }
        QObject* object = component.create();
        auto* item = qobject_cast<QQuickItem*>(object);
        if (item == nullptr) {
            delete object;
            return nullptr;
        }
        item->setParentItem(window.contentItem());
        owned.emplace_back(item);
        return item;
    }

    void show() {
        window.show();
        window.requestActivate();
    }

    // The module's `type` made at `size` in a window of that size, shown; a test failure (with
    // the engine's reasons) and null when it does not load.
    QQuickItem* view(const char* type, QSizeF size) {
        QQuickItem* item = create(QByteArray("import ZintraRadio\n") + type + " {}");
        EXPECT_NE(item, nullptr) << warnings.join('\n').toStdString();
        if (item == nullptr)
            return nullptr;
        item->setSize(size);
        window.resize(size.toSize());
        show();
        pumpFor(std::chrono::milliseconds(50));
        return item;
    }

    // The first item named `name` below `root`, through object children and visual children
    // alike (delegates and repeated items hang from their views, not from their parents).
    static QQuickItem* child(QObject* root, const char* name) {
        const QString wanted = QString::fromLatin1(name);
        return firstBelow(root, [&wanted](const QQuickItem& item) { return item.objectName() == wanted; });
    }

    // The first item below `root` (breadth first, the same ways as child()) that `wanted` takes.
    static QQuickItem* firstBelow(QObject* root, const std::function<bool(const QQuickItem&)>& wanted) {
        QList<QObject*> queue{root};
        QSet<QObject*> seen;
        while (!queue.isEmpty()) {
            QObject* next = queue.takeFirst();
            if (next == nullptr || seen.contains(next))
                continue;
            seen.insert(next);
            auto* item = qobject_cast<QQuickItem*>(next);
            if (next != root && item != nullptr && wanted(*item))
                return item;
            queue.append(next->children());
            if (item != nullptr)
                for (QQuickItem* childItem : item->childItems())
                    queue.append(childItem);
        }
        return nullptr;
    }

    // Every QML file of the module, as resource paths.
    static QStringList moduleFiles() {
        QStringList files;
        QDirIterator it(QStringLiteral(":/qt/qml/ZintraRadio"), {QStringLiteral("*.qml")}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            files.append(it.next());
        files.sort();
        return files;
    }

    QQmlEngine engine;
    QQuickWindow window;
    QStringList warnings;
    std::vector<std::unique_ptr<QObject>> owned;
};

} // namespace ZintraRadio::testkit
