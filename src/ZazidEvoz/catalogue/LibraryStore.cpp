#include "LibraryStore.hpp"

#include "AustrianStations.hpp"
#include "DefaultStations.hpp"
#include "ZazidEvoz/platform/UserFolders.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace ZazidEvoz {
namespace {

// Far beyond any real library; a larger file is treated as damaged rather than read whole.
constexpr std::size_t maxLibraryFileBytes = 64 * 1024 * 1024;
constexpr float fallbackVolume = 0.8f;

json::Value stationsToJson(const std::vector<Station>& stations) {
    json::Value array = json::Value::array();
    for (const Station& station : stations)
        array.push_back(toJson(station));
    return array;
}

std::vector<Station> stationsFromJson(const json::Value& object, std::string_view key) {
    std::vector<Station> stations;
    for (const json::Value& element : json::requireArray(object, key))
        stations.push_back(stationFromJson(element));
    return stations;
}

// The float's shortest decimal form, so 0.8 is stored as 0.8 and not 0.800000011920929.
// A volume that is not a number would make every later save fail; store the default instead.
double storedVolume(float volume) {
    if (!std::isfinite(volume))
        volume = fallbackVolume;
    char buffer[32];
    auto written = std::to_chars(buffer, buffer + sizeof buffer, volume);
    double value = volume;
    std::from_chars(buffer, written.ptr, value);
    return value;
}

// A volume outside 0...1 (a hand edit) would reach the output, the slider and the desktop as
// it is: it is clamped, and the rest of the library stays good.
float volumeFromJson(const json::Value& object) {
    double value = json::requireDouble(object, "volume");
    if (std::isnan(value))
        return fallbackVolume;
    return static_cast<float>(std::clamp(value, 0.0, 1.0));
}

// Points a moved URL at its new place. True when it did.
bool replaceURL(std::string& url, const std::map<std::string, std::string>& moved) {
    auto found = moved.find(url);
    if (found == moved.end())
        return false;
    url = found->second;
    return true;
}

// Rewrites old URLs in place, then keeps the first entry of each URL. True when a URL changed.
bool replaceInList(std::vector<Station>& list, const std::map<std::string, std::string>& moved) {
    bool rewritten = false;
    for (Station& station : list)
        rewritten |= replaceURL(station.url, moved);
    list = uniqueByURL(std::move(list));
    return rewritten;
}

void sayOnStandardError(const std::string& line) {
    std::fputs((line + "\n").c_str(), stderr);
    std::fflush(stderr);
}

} // namespace

LibrarySnapshot::LibrarySnapshot(std::vector<Station> stations, std::vector<std::string> favoriteURLs,
                                 std::vector<Station> favoriteItems, std::vector<Station> history,
                                 std::optional<std::string> lastPlayedURL, float volume,
                                 std::string visualizerMode)
    : stations(std::move(stations)), favoriteURLs(std::move(favoriteURLs)),
      favoriteItems(std::move(favoriteItems)), history(std::move(history)),
      lastPlayedURL(std::move(lastPlayedURL)), volume(volume), visualizerMode(std::move(visualizerMode)),
      defaultsRevision(currentDefaultsRevision) {}

bool LibrarySnapshot::installMissingDefaults() {
    if (defaultsRevision && *defaultsRevision >= currentDefaultsRevision)
        return false;
    appendNewStations(stations, AustrianStations::all());
    defaultsRevision = currentDefaultsRevision;
    return true;
}

bool LibrarySnapshot::replaceMovedStreams() {
    const auto& moved = DefaultStations::replacedURLs();
    bool rewritten = false;
    rewritten |= replaceInList(stations, moved);
    rewritten |= replaceInList(favoriteItems, moved);
    rewritten |= replaceInList(history, moved);
    for (std::string& url : favoriteURLs)
        rewritten |= replaceURL(url, moved);
    if (lastPlayedURL)
        rewritten |= replaceURL(*lastPlayedURL, moved);
    return rewritten;
}

json::Value toJson(const LibrarySnapshot& snapshot) {
    json::Value object = {
        {"version", snapshot.version},
        {"stations", stationsToJson(snapshot.stations)},
        {"favoriteURLs", snapshot.favoriteURLs},
        {"favoriteItems", stationsToJson(snapshot.favoriteItems)},
        {"history", stationsToJson(snapshot.history)},
        {"volume", storedVolume(snapshot.volume)},
        {"visualizerMode", snapshot.visualizerMode},
    };
    if (snapshot.lastPlayedURL)
        object["lastPlayedURL"] = *snapshot.lastPlayedURL;
    if (snapshot.defaultsRevision)
        object["defaultsRevision"] = *snapshot.defaultsRevision;
    return object;
}

LibrarySnapshot librarySnapshotFromJson(const json::Value& value) {
    json::requireObject(value, "library");
    LibrarySnapshot snapshot;
    snapshot.version = json::requireInt(value, "version");
    snapshot.stations = stationsFromJson(value, "stations");
    for (const json::Value& url : json::requireArray(value, "favoriteURLs"))
        snapshot.favoriteURLs.push_back(json::asString(url, "favoriteURLs"));
    snapshot.favoriteItems = stationsFromJson(value, "favoriteItems");
    snapshot.history = stationsFromJson(value, "history");
    snapshot.lastPlayedURL = json::optionalString(value, "lastPlayedURL");
    snapshot.volume = volumeFromJson(value);
    snapshot.visualizerMode = json::requireString(value, "visualizerMode");
    snapshot.defaultsRevision = json::optionalInt(value, "defaultsRevision");
    return snapshot;
}

LibraryStore::LibraryStore(std::optional<std::filesystem::path> folder)
    : file_((folder ? *folder : platform::dataHomeFolder() / "ZintraRadio") / "library.json",
            maxLibraryFileBytes) {}

LibrarySnapshot LibraryStore::fallbackSnapshot() {
    return LibrarySnapshot(DefaultStations::all(), {}, {}, {}, std::nullopt, fallbackVolume, "");
}

LibrarySnapshot LibraryStore::load() {
    // Saves cut short by a crash or a kill leave hidden copies of the library beside it.
    file_.removeLeftoverTemporaries();
    std::optional<LibrarySnapshot> loaded;
    std::string problem;
    try {
        std::optional<std::string> bytes = file_.read();
        if (!bytes) {
            file_.markLoaded();
            return fallbackSnapshot(); // first start
        }
        loaded = librarySnapshotFromJson(json::parse(*bytes));
        file_.markLoaded();
    } catch (const std::exception& error) {
        problem = error.what();
    }

    if (!loaded) {
        // Keep the user's data: the fallback library must never be saved over it.
        try {
            auto aside = file_.moveAsideBrokenFile();
            sayOnStandardError("ZintraRadio: library.json could not be loaded (" + problem +
                               "); kept it as " + aside.string() + " and started from the built-in stations");
        } catch (const std::exception& error) {
            sayOnStandardError("ZintraRadio: library.json could not be loaded (" + problem +
                               ") nor moved aside (" + error.what() + "); it will not be overwritten");
        }
        return fallbackSnapshot();
    }

    LibrarySnapshot snapshot = std::move(*loaded);
    bool changed = snapshot.installMissingDefaults();
    if (!changed)
        changed = snapshot.replaceMovedStreams();
    if (changed)
        save(snapshot);
    return snapshot;
}

void LibraryStore::save(const LibrarySnapshot& snapshot) {
    try {
        file_.replace(json::prettyText(toJson(snapshot)) + "\n");
    } catch (const std::exception& error) {
        sayOnStandardError(std::string("ZintraRadio: saving library failed: ") + error.what());
    }
}

} // namespace ZazidEvoz
