// What the music benchmarks share: the folder that keeps their generated files between runs,
// and a fixed stream of words for generated track names (the same library in every run).
#pragma once

#include "ZazidEvoz/music/MusicDatabase.hpp"
#include "ZazidEvoz/music/MusicLibraryStore.hpp"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fmt/format.h>
#include <iterator>
#include <string>
#include <vector>

namespace ZazidEvoz::benchkit {

inline std::filesystem::path cacheFolder() {
    std::filesystem::path folder = std::filesystem::path(ZINTRARADIO_TEST_BINARY_DIR) / "bench-cache";
    std::filesystem::create_directories(folder);
    return folder;
}

// Removes a database file with its write-ahead log and shared-memory file.
inline void removeDatabase(const std::filesystem::path& file) {
    for (const char* suffix : {"", "-wal", "-shm"})
        std::filesystem::remove(file.string() + suffix);
}

// A xorshift generator with a fixed seed over a small vocabulary, accents included.
class Words {
public:
    std::uint64_t next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return state_;
    }
    std::string word() { return vocabulary[next() % std::size(vocabulary)]; }

private:
    static constexpr const char* vocabulary[] = {"love",   "night", "dance",   "summer", "heart", "fire",
                                                 "river",  "rock",  "blue",    "dream",  "light", "shadow",
                                                 "Zürich", "Köln",  "Café",    "moon",   "rain",  "road",
                                                 "home",   "gold",  "silence", "storm",  "wild",  "time"};
    std::uint64_t state_ = 0x9E3779B97F4A7C15ULL;
};

// The library of the state layer's benchmarks: 100 000 generated tracks in music.sqlite, and a
// music.json that lists the folder they lie in. That folder exists and is empty (an unmounted
// drive), so the model's rescans keep the tracks: it is dated before the tracks joined the
// library, as a mount point left alone since is; a folder modified later is one the user emptied.
inline constexpr int modelTrackCount = 100'000;
// When the generated tracks joined the library (one a second from then on), and the date of
// their empty folder, before that.
inline constexpr double generatedAddedSeconds = 1.6e9;
inline constexpr double generatedFolderSeconds = 1.5e9;

inline std::filesystem::path modelFolder() {
    auto folder = cacheFolder() / "music-model";
    std::filesystem::create_directories(folder);
    return folder;
}

inline std::filesystem::path modelMusicFolder() {
    auto folder = cacheFolder() / "music-model-library";
    std::filesystem::create_directories(folder);
    return folder;
}

// `count` generated tracks whose files would lie in `musicFolder`.
inline std::vector<Track> generatedTracks(const std::filesystem::path& musicFolder, int count) {
    std::vector<Track> tracks;
    tracks.reserve(std::size_t(count));
    Words words;
    for (int index = 0; index < count; ++index) {
        Track track;
        track.artist = fmt::format("The {} {}", words.word(), index / 50);
        track.album = fmt::format("{} {} Vol {}", words.word(), words.word(), index / 10 % 7);
        track.title = fmt::format("{} of {} {}", words.word(), words.word(), words.word());
        track.genre = "Rock";
        track.year = 1960 + index % 64;
        track.duration = 120 + double(words.next() % 300);
        track.path = (musicFolder / fmt::format("{}/{:06} {}.mp3", track.artist, index, track.title)).string();
        track.added = platform::dateFromSecondsSince1970(generatedAddedSeconds + index);
        track.fileModified = track.added;
        track.fileSize = 4'000'000 + std::int64_t(words.next() % 4'000'000);
        tracks.push_back(std::move(track));
    }
    return tracks;
}

// The database of `count` generated tracks (made when it holds another number) and music.json
// in `supportFolder`, and their empty music folder dated before them.
inline void prepareGeneratedLibrary(const std::filesystem::path& supportFolder,
                                    const std::filesystem::path& musicFolder, int count) {
    constexpr std::size_t batchSize = 500;
    {
        MusicDatabase database(supportFolder / "music.sqlite");
        if (database.count() != count) {
            auto tracks = generatedTracks(musicFolder, count);
            for (std::size_t start = 0; start < tracks.size(); start += batchSize)
                database.upsert(
                    std::vector<Track>(tracks.begin() + long(start),
                                       tracks.begin() + long(std::min(start + batchSize, tracks.size()))));
        }
    }
    MusicSnapshot snapshot;
    snapshot.folders = {musicFolder.string()};
    MusicLibraryStore(supportFolder).save(snapshot);
    std::filesystem::create_directories(musicFolder);
    std::filesystem::last_write_time(
        musicFolder, std::filesystem::file_time_type::clock::from_sys(
                         std::chrono::sys_seconds(std::chrono::seconds(std::int64_t(generatedFolderSeconds)))));
}

// Makes the database and music.json in modelFolder() once a run; later runs reuse them.
inline void prepareModelLibrary() {
    static bool prepared = false;
    if (prepared)
        return;
    prepared = true;
    prepareGeneratedLibrary(modelFolder(), modelMusicFolder(), modelTrackCount);
}

} // namespace ZazidEvoz::benchkit
