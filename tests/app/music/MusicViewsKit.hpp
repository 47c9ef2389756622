// What the music views' tests share: a music model over stored tracks (no audio files needed;
// the library folder lists nothing and has not changed since they were added, as the mount
// point of a drive that is away, so the rescans keep them), track values, the English texts,
// and waiting for the list models' next computation.
#pragma once

#include "MusicTestKit.hpp"
#include "QtTestKit.hpp"
#include "ZazidEvoz/platform/Date.hpp"
#include "state/MusicModel.hpp"
#include "state/MusicUI.hpp"

#include <QCoreApplication>
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
        t.added = ZazidEvoz::platform::now();
        return t;
    }

    // The model over these stored tracks and the files added to the folder (none: the files only).
    MusicModel& start(std::vector<ZazidEvoz::Track> tracks) {
        folders.writeSnapshot(std::move(tracks));
        music = MusicFolders::started(folders.options(false));
        return *music;
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
