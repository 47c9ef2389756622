// AppModel: the user's radio library: favourites, adding, importing, removing, reordering and
// renaming stations, the built-in stations, the history, and playlist files in and out.
// Stations are the same station when their URLs are equal. Every edit announces the library
// and ends with the debounced save.
#include "ZazidEvoz/catalogue/DefaultStations.hpp"
#include "ZazidEvoz/catalogue/PlaylistImporter.hpp"
#include "ZazidEvoz/platform/Files.hpp"
#include "ZazidEvoz/platform/LineBreaks.hpp"
#include "ZazidEvoz/platform/Text.hpp"
#include "ZazidEvoz/platform/UserFolders.hpp"
#include "state/AppModel.hpp"
#include "state/ListMoves.hpp"

#include <QUrl>
#include <algorithm>
#include <unordered_map>
#include <unordered_set>

namespace ZintraRadio {

using ZazidEvoz::LibrarySnapshot;
namespace text = ZazidEvoz::text;

namespace {

// The host of a link that parses as a URL with one.
std::optional<std::string> hostOf(const std::string& link) {
    const QUrl url(qtText(link), QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty())
        return std::nullopt;
    return stdText(url.host());
}

bool isBlank(std::string_view text) {
    return text::trimmedHorizontalWhitespace(text).empty();
}

// The station as the library takes it in: its name, genre and country on one line (a line
// break hides the rest of a name in its field and splits the lines of an exported playlist).
// None when its link holds a line break or another control character, which no field shows
// and which would end a request line early.
std::optional<Station> libraryStation(Station station) {
    if (text::holdsControlCharacters(station.url))
        return std::nullopt;
    station.name = text::asOneLine(station.name);
    if (isBlank(station.name))
        station.name = hostOf(station.url).value_or(station.url);
    station.genre = text::asOneLine(station.genre);
    station.country = text::asOneLine(station.country);
    return station;
}

bool hasURL(const std::vector<Station>& list, const std::string& url) {
    return std::any_of(list.begin(), list.end(), [&](const Station& station) { return station.url == url; });
}

} // namespace

LinkProblem typedLinkProblem(std::string_view link) {
    const std::string trimmed = text::trimmedWhitespace(link);
    if (trimmed.empty())
        return LinkProblem::blank;
    if (text::holdsControlCharacters(trimmed))
        return LinkProblem::controlCharacter;
    if (!ZazidEvoz::PlaylistImporter::hasAcceptedScheme(trimmed))
        return LinkProblem::scheme;
    return LinkProblem::none;
}

// ---- Favourites

std::vector<Station> AppModel::favorites() const {
    // The first station of each URL in the pool: library stations win over stored copies.
    std::unordered_map<std::string_view, const Station*> pool;
    for (const auto* list : {&library_.stations, &library_.favoriteItems})
        for (const auto& station : *list)
            pool.emplace(station.url, &station);
    std::vector<Station> result;
    std::unordered_set<std::string_view> seen;
    for (const auto& url : library_.favoriteURLs) {
        if (!seen.insert(url).second)
            continue;
        if (auto found = pool.find(url); found != pool.end())
            result.push_back(*found->second);
    }
    return result;
}

void AppModel::refreshFavorites() {
    favoriteModel_->assign(favorites());
}

void AppModel::toggleFavorite(const Station& given) {
    // A copy: the station may be one of the entries removed below.
    const Station station = given;
    editLibrary([&](LibrarySnapshot& library) {
        auto& urls = library.favoriteURLs;
        if (auto found = std::find(urls.begin(), urls.end(), station.url); found != urls.end()) {
            urls.erase(found);
            std::erase_if(library.favoriteItems,
                          [&](const Station& item) { return item.url == station.url; });
            return;
        }
        urls.insert(urls.begin(), station.url);
        // Stations outside the library are kept as copies, so they outlive the list they came from.
        if (!hasURL(library.stations, station.url))
            library.favoriteItems.insert(library.favoriteItems.begin(), station);
    });
    persistSoon();
}

// ---- The station list

bool AppModel::isInLibrary(const Station& station) const {
    return hasURL(library_.stations, station.url);
}

int AppModel::importStations(const std::vector<Station>& stations) {
    std::unordered_set<std::string> urls;
    for (const auto& station : library_.stations)
        urls.insert(station.url);
    std::vector<Station> added;
    for (const auto& given : stations)
        if (auto station = libraryStation(given); station && urls.insert(station->url).second)
            added.push_back(std::move(*station));
    const auto count = static_cast<int>(added.size());
    editLibrary([&](LibrarySnapshot&) { stationModel_->append(std::move(added)); });
    persistSoon();
    return count;
}

void AppModel::removeFromLibrary(const Station& station) {
    const std::string url = station.url;
    editLibrary([&](LibrarySnapshot&) {
        stationModel_->removeIf([&](const Station& entry) { return entry.url == url; });
    });
    persistSoon();
}

void AppModel::moveStations(const std::vector<int>& offsets, int destination) {
    const auto order = orderAfterMove(static_cast<int>(library_.stations.size()), offsets, destination);
    editLibrary([&](LibrarySnapshot&) { applyOrder(*stationModel_, order); });
    persistSoon();
}

void AppModel::renameStation(const Station& station, const std::string& givenName) {
    auto found = std::find_if(library_.stations.begin(), library_.stations.end(),
                              [&](const Station& entry) { return entry.url == station.url; });
    const std::string name = text::asOneLine(givenName);
    if (found == library_.stations.end() || isBlank(name))
        return;
    Station renamed = *found;
    renamed.name = name;
    const auto row = static_cast<int>(found - library_.stations.begin());
    editLibrary([&](LibrarySnapshot&) { stationModel_->replace(row, std::move(renamed)); });
    persistSoon();
}

void AppModel::addStation(const QString& name, const QString& url, const QString& genre) {
    const std::string link = text::trimmedWhitespace(stdText(url));
    // The form says why it refuses a link; here a refused link adds nothing either.
    if (typedLinkProblem(link) != LinkProblem::none)
        return;
    Station station;
    station.kind = Station::guessKind(link);
    // Named after the link's host when blank (importStations).
    station.name = text::trimmedHorizontalWhitespace(text::asOneLine(stdText(name)));
    station.url = link;
    station.genre = stdText(genre);
    // A link the library already holds is left out without a word.
    importStations(std::vector<Station>{std::move(station)});
}

void AppModel::restoreDefaultStations() {
    const int added = importStations(ZazidEvoz::DefaultStations::all());
    show(Toast::Style::success, localizedText("toast.imported", {QString::number(added)}));
}

void AppModel::clearHistory() {
    editLibrary([&](LibrarySnapshot&) { historyModel_->assign({}); });
    persistSoon();
}

// ---- Playlist files

void AppModel::importPlaylistFile(const std::filesystem::path& file) {
    std::vector<Station> parsed;
    try {
        // Only regular files: opening a pipe would wait for a writer, a device may never end.
        std::error_code error;
        if (!std::filesystem::is_regular_file(file, error))
            throw ZazidEvoz::platform::FileError("Not a regular file: " + file.string());
        // Read with a size cap: a huge file is refused, not read whole.
        parsed = ZazidEvoz::PlaylistImporter::importFile(file);
    } catch (const std::exception&) {
        show(Toast::Style::error, localizedText("toast.importFailed"));
        return;
    }
    const int added = importStations(parsed);
    show(parsed.empty() ? Toast::Style::warning : Toast::Style::success,
         localizedText("toast.imported", {QString::number(added)}));
}

void AppModel::exportLibrary(const std::filesystem::path& file) {
    try {
        ZazidEvoz::platform::writeFileAtomically(file,
                                                 ZazidEvoz::PlaylistImporter::exportM3U(library_.stations));
    } catch (const std::exception& error) {
        show(Toast::Style::error, error.what());
        return;
    }
    show(Toast::Style::success, localizedText("toast.exported"), file);
}

void AppModel::importFromOlvanta() {
    importPlaylistFile(ZazidEvoz::platform::configHomeFolder() / "olvanta" / "config.json");
}

// ---- For the views

int AppModel::importStations(const QVariantList& stations) {
    std::vector<Station> list;
    list.reserve(static_cast<std::size_t>(stations.size()));
    for (const auto& station : stations)
        list.push_back(stationFromMap(station.toMap()));
    return importStations(list);
}

void AppModel::moveStations(const QList<int>& offsets, int destination) {
    moveStations(std::vector<int>(offsets.begin(), offsets.end()), destination);
}

void AppModel::renameStation(const QVariantMap& station, const QString& name) {
    renameStation(stationFromMap(station), stdText(name));
}

void AppModel::importPlaylistFile(const QString& file) {
    importPlaylistFile(localFilePath(file));
}

void AppModel::exportLibrary(const QString& file) {
    exportLibrary(localFilePath(file));
}

} // namespace ZintraRadio
