// Loading the module's QML offscreen in tests: an engine that collects every QML warning, a
// window to put items in, and lookups of items by objectName.
#pragma once

#include <QDirIterator>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QStringList>
#include <memory>

namespace ZintraRadio::testkit {

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

    static QQuickItem* child(QQuickItem* root, const char* name) {
        return root->findChild<QQuickItem*>(QString::fromLatin1(name));
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
