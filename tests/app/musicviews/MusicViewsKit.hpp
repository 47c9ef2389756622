// What the music views' tests share: a music model over stored tracks (no audio files needed;
// the library folder lists nothing, so the rescans keep them), track values, the English texts,
// and waiting for the list models' next computation.
#pragma once

#include "QtTestKit.hpp"
#include "app/music/MusicTestKit.hpp"
#include "music/MusicUI.hpp"
#include "state/MusicModel.hpp"

#include <QCoreApplication>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QStringList>
#include <QTranslator>
#include <memory>
#include <string>
#include <vector>

namespace ZintraRadio::testkit {

// The English table, once per program (the views' keys show as their texts).
inline void installEnglish() {
    static QTranslator* english = [] {
        auto* translator = new QTranslator(QCoreApplication::instance());
        if (translator->load(QStringLiteral(":/i18n/zintraradio_en.qm")))
            QCoreApplication::installTranslator(translator);
        return translator;
    }();
    (void)english;
}

struct Library {
    MusicFolders folders;
    std::unique_ptr<MusicModel> music;

    // A track in the library folder.
    ZazidEvoz::Track track(const std::string& file, const std::string& title, const std::string& artist = {},
                           const std::string& album = {}, const std::string& genre = {}) const {
        ZazidEvoz::Track t;
        t.path = (folders.library / file).string();
        t.title = title;
        t.artist = artist;
        t.album = album;
        t.genre = genre;
        t.duration = 200;
        return t;
    }

    MusicModel& start(std::vector<ZazidEvoz::Track> tracks) {
        folders.writeSnapshot(std::move(tracks));
        music = MusicFolders::started(folders.options(false));
        return *music;
    }
};

// The module's QML in a window of its own, with every QML warning collected.
struct QmlScene {
    QQmlEngine engine;
    QQuickWindow window;
    QStringList warnings;
    std::vector<std::unique_ptr<QObject>> owned;

    QmlScene() {
        engine.addImportPath(QStringLiteral("qrc:/qt/qml"));
        QObject::connect(&engine, &QQmlEngine::warnings, [this](const QList<QQmlError>& errors) {
            for (const auto& error : errors)
                warnings.append(error.toString());
        });
        window.setColor(Qt::black);
    }

    // The items go first; the window then lets go of its textures and Qt Quick's picture cache,
    // so nothing of the scene is left for the leak check.
    ~QmlScene() {
        owned.clear();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        window.releaseResources();
        pumpFor(std::chrono::milliseconds(50));
    }

    // Creates `qml` (a document that imports what it needs) inside the window.
    QQuickItem* create(const QByteArray& qml) {
        QQmlComponent component(&engine);
        component.setData(qml, QUrl(QStringLiteral("qrc:/music-test/Document.qml")));
        if (component.isError()) {
            for (const auto& error : component.errors())
                warnings.append(error.toString());
            return nullptr;
        }
        auto* item = qobject_cast<QQuickItem*>(component.create());
        if (item == nullptr)
            return nullptr;
        item->setParentItem(window.contentItem());
        owned.emplace_back(item);
        return item;
    }
};

// Lets the lists recompute (they do once per turn of the event loop after a change).
inline void settle() {
    pumpFor(std::chrono::milliseconds(30));
}

inline std::vector<std::string> titlesOf(const std::vector<ZazidEvoz::Track>& tracks) {
    std::vector<std::string> titles;
    for (const auto& track : tracks)
        titles.push_back(track.title);
    return titles;
}

} // namespace ZintraRadio::testkit
