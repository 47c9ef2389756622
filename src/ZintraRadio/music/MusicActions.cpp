#include "music/MusicActions.hpp"

#include "music/MusicRules.hpp"
#include "music/MusicUI.hpp"
#include "state/MusicModel.hpp"
#include "state/QtValues.hpp"
#include "system/FileManager.hpp"

#include <QPointer>
#include <algorithm>
#include <memory>
#include <random>
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

QVariantList mapsOf(const std::vector<Track>& tracks) {
    QVariantList maps;
    for (const auto& track : tracks)
        maps.append(stationMap(track.asStation()));
    return maps;
}

std::optional<ZazidEvoz::Playlist> playlistWithId(const MusicModel& music, const QString& id) {
    const auto uuid = ZazidEvoz::platform::Uuid::fromText(stdText(id));
    if (!uuid)
        return std::nullopt;
    for (const auto& playlist : music.playlists())
        if (playlist.id == *uuid)
            return playlist;
    return std::nullopt;
}

} // namespace

void fetchCoversInTurn(MusicModel* music, std::vector<Track> tracks) {
    if (!music || tracks.empty())
        return;
    Track next = std::move(tracks.front());
    tracks.erase(tracks.begin());
    music->fetchCover(next, [model = QPointer<MusicModel>(music), rest = std::move(tracks)]() mutable {
        fetchCoversInTurn(model.data(), std::move(rest));
    });
}

MusicActions::MusicActions(QObject* parent) : QObject(parent) {}

void MusicActions::setMusic(MusicModel* music) {
    if (music_ == music)
        return;
    disconnect(foldersConnection_);
    music_ = music;
    if (music)
        foldersConnection_ = connect(music, &MusicModel::foldersChanged, this, &MusicActions::foldersChanged);
    Q_EMIT musicChanged();
    Q_EMIT foldersChanged();
}

void MusicActions::setUi(MusicUI* ui) {
    if (ui_ == ui)
        return;
    ui_ = ui;
    Q_EMIT uiChanged();
}

QObject* MusicActions::musicObject() const {
    return music_.data();
}

void MusicActions::setMusicObject(QObject* music) {
    setMusic(qobject_cast<MusicModel*>(music));
}

QObject* MusicActions::uiObject() const {
    return ui_.data();
}

void MusicActions::setUiObject(QObject* ui) {
    setUi(qobject_cast<MusicUI*>(ui));
}

std::vector<Track> MusicActions::tracksWithPaths(const QStringList& paths) const {
    std::vector<Track> found;
    if (!music_)
        return found;
    std::unordered_map<std::string_view, const Track*> byPath;
    for (const auto& track : music_->tracks())
        byPath.emplace(track.path, &track);
    for (const auto& path : paths)
        if (auto track = byPath.find(stdText(path)); track != byPath.end())
            found.push_back(*track->second);
    return found;
}

std::vector<Track> MusicActions::selectedTracks() const {
    if (!music_ || !ui_)
        return {};
    return ZintraRadio::selectedTracks(music_->tracks(), ui_->selection());
}

// ---- Queue menu

void MusicActions::playNext(const QVariantList& stations) const {
    if (!music_)
        return;
    for (const auto& station : playNextCalls(stationsFrom(stations)))
        music_->playNext(station);
}

void MusicActions::playLater(const QVariantList& stations) const {
    if (music_)
        music_->enqueue(stationsFrom(stations));
}

void MusicActions::addToPlaylist(const QVariantList& stations, const QString& playlistId) const {
    if (!music_)
        return;
    if (auto playlist = playlistWithId(*music_, playlistId))
        music_->add(stationsFrom(stations), *playlist);
}

void MusicActions::addToNewPlaylist(const QVariantList& stations) const {
    if (music_)
        music_->createPlaylist(std::string(), stationsFrom(stations));
}

// ---- Playing lists

void MusicActions::play(const QVariantList& stations, int startAt) const {
    if (music_)
        music_->playNow(stationsFrom(stations), startAt);
}

void MusicActions::playShuffled(const QVariantList& stations) const {
    if (!music_)
        return;
    auto items = stationsFrom(stations);
    static thread_local std::mt19937_64 random{std::random_device{}()};
    std::shuffle(items.begin(), items.end(), random);
    music_->playNow(items, 0);
}

// ---- Track rows

void MusicActions::rate(const QString& path, int stars) const {
    if (music_)
        music_->rate(path, stars);
}

void MusicActions::setGenre(const QString& genre, const QStringList& paths) const {
    if (music_)
        music_->setGenre(stdText(genre), tracksWithPaths(paths));
}

void MusicActions::fetchCovers(const QStringList& paths) const {
    fetchCoversInTurn(music_.data(), tracksWithPaths(paths));
}

void MusicActions::trash(const QStringList& paths) const {
    if (music_)
        music_->trash(tracksWithPaths(paths));
}

void MusicActions::reveal(const QString& path) const {
    if (!path.isEmpty())
        revealFile(stdText(path));
}

void MusicActions::editTags(const QString& path) const {
    if (!ui_)
        return;
    const auto found = tracksWithPaths({path});
    if (!found.empty())
        ui_->setEditing(found.front());
}

void MusicActions::requestLyrics(const QString& artist, const QString& title) const {
    if (!ui_)
        return;
    MusicUI::LyricsRequest request;
    request.artist = stdText(artist);
    request.title = stdText(title);
    ui_->setLyricsRequest(std::move(request));
}

QStringList MusicActions::genreNames() const {
    QStringList names;
    if (music_)
        for (const auto& genre : music_->genres())
            names.append(qtText(genre.name));
    return names;
}

// ---- Selection bar

QStringList MusicActions::selectedPaths() const {
    QStringList paths;
    for (const auto& track : selectedTracks())
        paths.append(qtText(track.path));
    return paths;
}

QVariantList MusicActions::selectedStations() const {
    return mapsOf(selectedTracks());
}

void MusicActions::setGenreOfSelection(const QString& genre) const {
    if (music_)
        music_->setGenre(stdText(genre), selectedTracks());
}

void MusicActions::fetchCoversOfSelection() const {
    fetchCoversInTurn(music_.data(), selectedTracks());
}

void MusicActions::trashSelection() const {
    if (music_)
        music_->trash(selectedTracks());
    if (ui_)
        ui_->setSelection({});
}

// ---- Queue panel

void MusicActions::moveInQueue(int from, int destination) const {
    if (music_)
        music_->moveInQueue({from}, destination);
}

void MusicActions::removeFromQueue(int index) const {
    if (music_)
        music_->removeFromQueue({index});
}

void MusicActions::cycleRepeatMode() const {
    if (music_)
        music_->setRepeatMode(nextRepeatMode(music_->repeatMode()));
}

void MusicActions::createPlaylistAndOpen() const {
    if (!music_)
        return;
    const auto playlist = music_->createPlaylist(std::string(), {});
    if (ui_)
        ui_->open(MusicUI::Route::playlist(playlist.id));
}

// ---- Manage menu

void MusicActions::addFolders(const QList<QUrl>& folders) const {
    if (!music_)
        return;
    for (const auto& folder : folders)
        if (folder.isLocalFile())
            music_->addFolder(std::filesystem::path(stdText(folder.toLocalFile())));
}

void MusicActions::rescan() const {
    if (music_)
        music_->rescan();
}

QVariantList MusicActions::removableFolders() const {
    QVariantList folders;
    if (!music_)
        return folders;
    const auto& all = music_->folders();
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
