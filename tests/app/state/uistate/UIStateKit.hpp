// A UI state over a settings file of its own, a manual clock and hooks given by the test.
#pragma once

#include "state/MusicUI.hpp"
#include "state/Scheduler.hpp"
#include "state/StageFeed.hpp"
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

} // namespace ZintraRadio::uistatekit
