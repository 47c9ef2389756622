#include "music/MusicActions.hpp"

#include "music/MusicRules.hpp"
#include "state/AppModel.hpp"
#include "state/AppRuntime.hpp"
#include "state/MusicModel.hpp"
#include "state/MusicUI.hpp"
#include "state/QtValues.hpp"

#include <QPointer>
#include <unordered_map>

namespace ZintraRadio {

using ZazidEvoz::Station;
using ZazidEvoz::Track;

namespace {

std::vector<Station> stationsFrom(const QVariantList& maps) {
    std::vector<Station> stations;
    stations.reserve(static_cast<std::size_t>(maps.size()));
    for (const auto& map : maps)
        stations.push_back(stationFromMap(map.toMap()));
    return stations;
}

// Fetches covers for the tracks one after another (each lookup waits for the previous one).
void fetchCoversInTurn(MusicModel* music, std::vector<Track> tracks) {
    if (!music || tracks.empty())
        return;
    Track next = std::move(tracks.front());
    tracks.erase(tracks.begin());
    music->fetchCover(next, [model = QPointer<MusicModel>(music), rest = std::move(tracks)]() mutable {
        fetchCoversInTurn(model.data(), std::move(rest));
    });
}

} // namespace

void MusicActions::musicReplaced() {
    if (music())
        followMusic(connect(music(), &MusicModel::foldersChanged, this, &MusicActions::foldersChanged));
    Q_EMIT foldersChanged();
}

std::vector<Track> MusicActions::tracksWithPaths(const QStringList& paths) const {
    std::vector<Track> found;
    if (!music())
        return found;
    std::unordered_map<std::string_view, const Track*> byPath;
    for (const auto& track : music()->tracks())
        byPath.emplace(track.path, &track);
    for (const auto& path : paths)
        if (auto track = byPath.find(stdText(path)); track != byPath.end())
            found.push_back(*track->second);
    return found;
}

std::vector<Track> MusicActions::selectedTracks() const {
    if (!music() || !ui())
        return {};
    return ZintraRadio::selectedTracks(music()->tracks(), ui()->selection());
}

// ---- Queue menu

void MusicActions::playNext(const QVariantList& stations) const {
    if (!music())
        return;
    for (const auto& station : playNextCalls(stationsFrom(stations)))
        music()->playNext(station);
}

void MusicActions::playLater(const QVariantList& stations) const {
    if (music())
        music()->enqueue(stationsFrom(stations));
}

void MusicActions::addToPlaylist(const QVariantList& stations, const QString& playlistId) const {
    if (music())
        music()->add(stations, playlistId);
}

void MusicActions::addToNewPlaylist(const QVariantList& stations) const {
    if (music())
        music()->createPlaylist(std::string(), stationsFrom(stations));
}

// ---- Track rows

void MusicActions::rate(const QString& path, int stars) const {
    if (music())
        music()->rate(path, stars);
}

void MusicActions::setGenre(const QString& genre, const QStringList& paths) const {
    if (music())
        music()->setGenre(genre, paths);
}

void MusicActions::fetchCovers(const QStringList& paths) const {
    fetchCoversInTurn(music(), tracksWithPaths(paths));
}

void MusicActions::trash(const QStringList& paths) const {
    if (music())
        music()->trash(paths);
}

void MusicActions::reveal(const QString& path) const {
    // The application model says so when nothing on the desktop can show the file.
    if (!path.isEmpty() && AppRuntime::hasModel())
        AppRuntime::model().revealInFileManager(stdText(path));
}

void MusicActions::editTags(const QString& path) const {
    if (!ui())
        return;
    const auto found = tracksWithPaths({path});
    if (!found.empty())
        ui()->setEditing(found.front());
}

void MusicActions::requestLyrics(const QString& artist, const QString& title) const {
    if (!ui())
        return;
    MusicUI::LyricsRequest request;
    request.artist = stdText(artist);
    request.title = stdText(title);
    ui()->setLyricsRequest(std::move(request));
}

// ---- Selection bar

QStringList MusicActions::selectedPaths() const {
    QStringList paths;
    for (const auto& track : selectedTracks())
        paths.append(qtText(track.path));
    return paths;
}

QVariantList MusicActions::selectedStations() const {
    return stationMaps(stationsOf(selectedTracks()));
}

void MusicActions::setGenreOfSelection(const QString& genre) const {
    if (music())
        music()->setGenre(stdText(genre), selectedTracks());
}

void MusicActions::fetchCoversOfSelection() const {
    fetchCoversInTurn(music(), selectedTracks());
}

void MusicActions::trashSelection() const {
    if (music())
        music()->trash(selectedTracks());
    if (ui())
        ui()->setSelection({});
}

// ---- Queue panel

void MusicActions::moveInQueue(int from, int destination) const {
    if (music())
        music()->moveInQueue({from}, destination);
}

void MusicActions::removeFromQueue(int index) const {
    if (music())
        music()->removeFromQueue({index});
}

void MusicActions::cycleRepeatMode() const {
    if (music())
        music()->setRepeatMode(nextRepeatMode(music()->repeatMode()));
}

void MusicActions::createPlaylistAndOpen() const {
    if (!music())
        return;
    const auto playlist = music()->createPlaylist(std::string(), {});
    if (ui())
        ui()->open(MusicUI::Route::playlist(playlist.id));
}

// ---- Manage menu

void MusicActions::addFolders(const QList<QUrl>& folders) const {
    if (!music())
        return;
    for (const auto& folder : folders)
        if (folder.isLocalFile())
            music()->addFolder(std::filesystem::path(stdText(folder.toLocalFile())));
}

void MusicActions::rescan() const {
    if (music())
        music()->rescan();
}

QVariantList MusicActions::removableFolders() const {
    QVariantList folders;
    if (!music())
        return folders;
    const auto& all = music()->folders();
    for (std::size_t i = 1; i < all.size(); ++i) {
        auto name = all[i].filename();
        if (name.empty())
            name = all[i].parent_path().filename(); // a folder written with a trailing slash
        folders.append(QVariantMap{{QStringLiteral("path"), qtText(all[i].string())},
                                   {QStringLiteral("url"), QUrl::fromLocalFile(qtText(all[i].string()))},
                                   {QStringLiteral("name"), qtText(name.string())}});
    }
    return folders;
}

} // namespace ZintraRadio
