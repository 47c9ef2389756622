// The radio library: the user's stations, favourites, history, last played station, volume
// and visualizer mode, kept in "library.json".
#pragma once

#include "Station.hpp"
#include "ZazidEvoz/platform/Files.hpp"
#include "ZazidEvoz/platform/Json.hpp"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace ZazidEvoz {

struct LibrarySnapshot {
    // The built-in station set that a library at this revision has been completed with.
    static constexpr std::int64_t currentDefaultsRevision = 2;

    std::int64_t version = 1;
    std::vector<Station> stations; // in display order
    std::vector<std::string> favoriteURLs;
    std::vector<Station> favoriteItems;
    std::vector<Station> history;
    std::optional<std::string> lastPlayedURL;
    float volume = 0.8f;
    std::string visualizerMode;
    std::optional<std::int64_t> defaultsRevision;

    LibrarySnapshot() = default;
    // A library that is up to date with the built-in stations (revision 2).
    LibrarySnapshot(std::vector<Station> stations, std::vector<std::string> favoriteURLs,
                    std::vector<Station> favoriteItems, std::vector<Station> history,
                    std::optional<std::string> lastPlayedURL, float volume, std::string visualizerMode);

    // Appends the Austrian stations missing from `stations`, once per defaults revision.
    // True when it ran (also when nothing was missing).
    bool installMissingDefaults();
    // Rewrites moved stream URLs in every list and drops later duplicates of a URL from the
    // station lists. True when a URL was rewritten.
    bool replaceMovedStreams();

    friend bool operator==(const LibrarySnapshot&, const LibrarySnapshot&) = default;
};

// The object with the nine field names as keys; optional fields only when set.
json::Value toJson(const LibrarySnapshot& snapshot);
// Strict: the seven required keys present and of their types. Throws json::JsonDecodeError.
LibrarySnapshot librarySnapshotFromJson(const json::Value& value);

class LibraryStore {
public:
    // `library.json` in `folder`, or in "ZintraRadio" in the user's data folder. Touches nothing.
    explicit LibraryStore(std::optional<std::filesystem::path> folder = std::nullopt);

    const std::filesystem::path& fileURL() const { return file_.path(); }

    // The stored library brought up to date with the built-in stations, or the built-in
    // library when there is none. A file that cannot be read or decoded is moved aside first
    // (one line on standard error). Temporaries of saves that a crash cut short are removed.
    // Never fails.
    LibrarySnapshot load();

    // Writes the library atomically, creating the folder. A failure is one line on standard
    // error and leaves the old file as it was. Never fails towards the caller.
    void save(const LibrarySnapshot& snapshot);

    // The library of a first start: every built-in station, volume 0.8, revision 2.
    static LibrarySnapshot fallbackSnapshot();

private:
    platform::UserDataFile file_;
};

} // namespace ZazidEvoz
