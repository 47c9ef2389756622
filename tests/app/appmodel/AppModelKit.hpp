// What the application model's tests share: a model in a folder of its own, with the clock in
// the test's hand, no session bus, and the network only to 127.0.0.1.
#pragma once

#include "QtTestKit.hpp"
#include "state/AppModel.hpp"
#include "support/Sandbox.hpp"
#include "system/MainThread.hpp"

#include <QSignalSpy>
#include <filesystem>
#include <memory>
#include <string>

#include "ZazidEvoz/AudioEngine.hpp"

namespace ZintraRadio::testkit {

// A closed port: requests there fail at once.
inline const std::string deadURL = "http://127.0.0.1:9";

struct AppSetup {
    std::shared_ptr<ManualScheduler> scheduler = std::make_shared<ManualScheduler>();
    std::filesystem::path folder = ZazidEvoz::testkit::makeTemporaryFolder("app");

    AppModel::Options options(const std::string& lyricsURL = deadURL) const {
        AppModel::Options options;
        options.supportFolder = folder;
        options.scheduler = scheduler;
        options.settingsFile = QString::fromStdString((folder / "settings.conf").string());
        options.directoryMirrors = std::vector<std::string>{deadURL};
        options.loadDirectory = false;
        options.sessionBus = false;
        options.lyricsBaseURL = lyricsURL;
        options.music.lyricsFiller = false;
        options.music.lyricsBaseURL = lyricsURL;
        return options;
    }
    std::filesystem::path libraryFile() const { return folder / "library.json"; }
};

inline Station makeStation(ZazidEvoz::MediaKind kind, std::string name, std::string url) {
    Station station;
    station.kind = kind;
    station.name = std::move(name);
    station.url = std::move(url);
    return station;
}

// Runs `work` on the main thread the way the engine's poster hands over its events, and
// processes events until it has run.
inline void postAndRun(QObject* owner, const std::function<void()>& work) {
    bool ran = false;
    postToMainThread(owner, [&] {
        work();
        ran = true;
    });
    pumpUntil([&] { return ran; });
}

} // namespace ZintraRadio::testkit
