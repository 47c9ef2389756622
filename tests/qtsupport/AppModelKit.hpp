// What the application model's tests share: a model in a folder of its own, with the clock in
// the test's hand, no session bus, and the network only to 127.0.0.1.
#pragma once

#include "QtTestKit.hpp"
#include "state/AppModel.hpp"
#include "support/Sandbox.hpp"
#include "system/MainThread.hpp"

#include <QSignalSpy>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "ZazidEvoz/playback/AudioEngine.hpp"

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

// Tools that start and then wait: the engine sees a decoder (and a YouTube feeder) that runs
// and never delivers; an encoder reading its input ends when the input closes. Every run's
// arguments are noted (the tool's name first), so tests see what the engine was asked to do.
struct SilentTools {
    std::filesystem::path folder = ZazidEvoz::testkit::makeTemporaryFolder("tools");
    std::filesystem::path runLog = folder / "runs.log";
    std::filesystem::path ffmpeg = ZazidEvoz::testkit::writeScript(
        folder / "ffmpeg",
        note("ffmpeg") + "case \"$*\" in *libmp3lame*) exec cat >/dev/null ;; *) exec sleep 60 ;; esac\n");
    std::filesystem::path ytdlp =
        ZazidEvoz::testkit::writeScript(folder / "yt-dlp", note("yt-dlp") + "exec sleep 60\n");
    ZazidEvoz::testkit::ScopedEnvironment ffmpegVariable{"ZINTRARADIO_FFMPEG", ffmpeg.c_str()};
    ZazidEvoz::testkit::ScopedEnvironment ytdlpVariable{"ZINTRARADIO_YTDLP", ytdlp.c_str()};

    // The runs so far, each as its tool's name and arguments (arguments holding line breaks
    // are split at them).
    std::vector<std::vector<std::string>> runs() const {
        std::vector<std::vector<std::string>> runs(1);
        std::ifstream log(runLog);
        for (std::string line; std::getline(log, line);) {
            if (line == endOfRun)
                runs.emplace_back();
            else
                runs.back().push_back(line);
        }
        runs.pop_back();
        return runs;
    }

private:
    static constexpr const char* endOfRun = "~end of run~";
    // One line per argument, then the end mark.
    std::string note(const std::string& tool) const {
        return "printf '%s\\n' " + tool + " \"$@\" '" + endOfRun + "' >>'" + runLog.string() + "'\n";
    }
};

} // namespace ZintraRadio::testkit
