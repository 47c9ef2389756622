// A music model in a folder of its own: support folder, music root, one library folder with
// generated, tagged audio files, and a manual clock for the rescan loop.
#pragma once

#include "QtTestKit.hpp"
#include "ZazidEvoz/music/MusicLibraryStore.hpp"
#include "ZazidEvoz/platform/Date.hpp"
#include "ZazidEvoz/platform/FileURL.hpp"
#include "state/MusicModel.hpp"
#include "support/Media.hpp"
#include "support/MusicFixtures.hpp"
#include "support/Sandbox.hpp"

#include <filesystem>
#include <fmt/format.h>
#include <map>
#include <memory>
#include <string>

namespace ZintraRadio::testkit {

namespace fs = std::filesystem;

// One second of sine as `extension` with these tags, made by ffmpeg once per set of tags.
inline fs::path toneWithTags(const std::string& extension, const std::map<std::string, std::string>& tags) {
    return ZazidEvoz::testkit::taggedAudio(extension, tags);
}

struct MusicFolders {
    fs::path root = ZazidEvoz::testkit::makeTemporaryFolder("music-root");
    fs::path support = ZazidEvoz::testkit::makeTemporaryFolder("music-support");
    fs::path library = ZazidEvoz::testkit::makeTemporaryFolder("music-library");
    ZazidEvoz::testkit::ScopedEnvironment musicDirectory{"ZINTRARADIO_MUSIC_DIR", root.c_str()};
    std::shared_ptr<ManualScheduler> scheduler = std::make_shared<ManualScheduler>();

    // Copies a generated file into the library folder as `name`.
    fs::path addFile(const std::string& name, const std::map<std::string, std::string>& tags) {
        const auto extension = fs::path(name).extension().string().substr(1);
        const auto target = library / name;
        fs::create_directories(target.parent_path());
        fs::copy_file(toneWithTags(extension, tags), target, fs::copy_options::overwrite_existing);
        return target;
    }

    ZazidEvoz::MusicLibraryStore store() const { return ZazidEvoz::MusicLibraryStore(support); }

    // music.json listing the library folder, with these tracks.
    void writeSnapshot(std::vector<ZazidEvoz::Track> tracks = {}) const {
        ZazidEvoz::MusicSnapshot snapshot;
        snapshot.tracks = std::move(tracks);
        snapshot.folders = {library.string()};
        store().save(snapshot);
    }

    MusicModel::Options options(bool database = true) const {
        MusicModel::Options options;
        options.supportFolder = support;
        options.useDatabase = database;
        options.scheduler = scheduler;
        // Reading tags opens files for writing, which inotify reports as a change: a short
        // debounce would add a rescan after every pass that read files. The watcher test sets
        // its own.
        options.watchDebounce = 60;
        options.lyricsBaseURL = "http://127.0.0.1:9"; // nothing listens there
        options.lyricsFiller = false;
        return options;
    }

    // A started model whose first rescan has ended.
    std::unique_ptr<MusicModel> start(bool database = true) const { return started(options(database)); }

    static std::unique_ptr<MusicModel> started(MusicModel::Options options) {
        auto model = std::make_unique<MusicModel>(std::move(options));
        waitForRescan(*model);
        return model;
    }

    static bool waitForRescan(const MusicModel& model) {
        return pumpUntil([&model] { return !model.scanning(); });
    }
};

// A track as the library stored it just now: a folder made before and left without files
// since keeps it, as the mount point of a drive that is away does.
inline ZazidEvoz::Track storedTrack(const std::string& path, const std::string& title,
                                    std::int64_t playCount = 0) {
    ZazidEvoz::Track track;
    track.path = path;
    track.title = title;
    track.playCount = playCount;
    track.added = ZazidEvoz::platform::now();
    return track;
}

inline ZazidEvoz::Station item(const std::string& url) {
    ZazidEvoz::Station station;
    station.url = url;
    station.name = url;
    station.kind = ZazidEvoz::Station::guessKind(url);
    return station;
}

} // namespace ZintraRadio::testkit
