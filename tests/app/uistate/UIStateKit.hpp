// A UI state over a settings file of its own, a manual clock and hooks given by the test.
#pragma once

#include "music/MusicUI.hpp"
#include "stage/StageFeed.hpp"
#include "state/AppModel.hpp"
#include "state/Scheduler.hpp"
#include "state/UIState.hpp"
#include "support/Sandbox.hpp"

#include <QSettings>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>

namespace ZintraRadio::uistatekit {

using Hooks = std::map<std::string, std::string, std::less<>>;

struct Fixture {
    std::filesystem::path folder = ZazidEvoz::testkit::makeTemporaryFolder("uistate");
    std::filesystem::path settingsFile = folder / "ZintraRadio.conf";
    std::shared_ptr<ManualScheduler> scheduler = std::make_shared<ManualScheduler>();
    bool reducedMotion = false;

    void writeSettings(const std::string& lines) const {
        std::ofstream(settingsFile) << "[General]\n" << lines << "\n";
    }

    // The text stored under `key`, read from the file as a fresh reader sees it.
    std::string storedValue(const char* key) const {
        QSettings settings(QString::fromStdString(settingsFile.string()), QSettings::IniFormat);
        return settings.value(QLatin1String(key)).toString().toStdString();
    }

    std::unique_ptr<UIState> make(Hooks hooks = {}) {
        UIState::Options options;
        options.settingsFile = QString::fromStdString(settingsFile.string());
        options.scheduler = scheduler;
        options.reducedMotion = [this] { return reducedMotion; };
        options.hooks = [hooks = std::move(hooks)](std::string_view hook) -> std::optional<std::string> {
            auto found = hooks.find(hook);
            if (found == hooks.end())
                return std::nullopt;
            return found->second;
        };
        return std::make_unique<UIState>(std::move(options));
    }
};

// An application model in a folder of its own: no directory requests, no session bus, and the
// lyrics services on a closed local port.
inline AppModel::Options quietModelOptions(const std::filesystem::path& folder,
                                           std::shared_ptr<Scheduler> scheduler) {
    const std::string closedPort = "http://127.0.0.1:9";
    AppModel::Options options;
    options.supportFolder = folder;
    options.scheduler = scheduler;
    options.settingsFile = QString::fromStdString((folder / "ZintraRadio.conf").string());
    options.directoryMirrors = std::vector<std::string>{closedPort};
    options.loadDirectory = false;
    options.sessionBus = false;
    options.lyricsBaseURL = closedPort;
    options.music.scheduler = scheduler;
    options.music.lyricsFiller = false;
    options.music.lyricsBaseURL = closedPort;
    return options;
}

} // namespace ZintraRadio::uistatekit
