#include "music/PlaylistCards.hpp"

#include "ZazidEvoz/platform/Date.hpp"
#include "music/MusicRules.hpp"
#include "state/MusicModel.hpp"
#include "state/MusicUI.hpp"
#include "state/QtValues.hpp"

#include <QAbstractItemModel>
#include <unordered_map>

namespace ZintraRadio {

using ZazidEvoz::Track;

namespace {

std::vector<std::string> pathsOf(const std::vector<Track>& tracks) {
    std::vector<std::string> paths;
    paths.reserve(tracks.size());
    for (const auto& track : tracks)
        paths.push_back(track.path);
    return paths;
}

// `tracks` in the order of `previous` when both hold the same paths; otherwise as they are.
std::vector<Track> inPreviousOrder(std::vector<Track> tracks, const std::vector<std::string>& previous) {
    if (previous.size() != tracks.size())
        return tracks;
    std::unordered_map<std::string_view, const Track*> byPath;
    for (const auto& track : tracks)
        byPath.emplace(track.path, &track);
    std::vector<Track> ordered;
    ordered.reserve(tracks.size());
    for (const auto& path : previous) {
        auto found = byPath.find(path);
        if (found == byPath.end())
            return tracks;
        ordered.push_back(*found->second);
    }
    return ordered;
}

// The toast that says the list `name` was deleted, with its Undo button.
void offerUndo(MusicModel& music, const std::string& name, std::function<void()> undo) {
    if (music.undoToastHandler)
        //% "“%1” deleted"
        music.undoToastHandler(stdText(qtTrId("music.playlistDeleted").arg(qtText(name))), std::move(undo));
}

} // namespace

void deletePlaylistOfferingUndo(MusicModel& music, const std::string& id) {
    const auto* stored = listWithId(music.playlists(), id);
    if (!stored) {
        music.deletePlaylist(qtText(id)); // the model still saves
        return;
    }
    const ZazidEvoz::Playlist deleted = *stored;
    const auto row = static_cast<std::size_t>(stored - music.playlists().data());
    music.deletePlaylist(deleted);
    offerUndo(music, deleted.name, [model = QPointer<MusicModel>(&music), deleted, row] {
        if (model)
            model->restorePlaylist(deleted, row);
    });
}

void deleteSmartPlaylistOfferingUndo(MusicModel& music, const std::string& id) {
    const auto* stored = listWithId(music.smartPlaylists(), id);
    if (!stored) {
        music.deleteSmartPlaylist(qtText(id));
        return;
    }
    const ZazidEvoz::SmartPlaylist deleted = *stored;
    const auto row = static_cast<std::size_t>(stored - music.smartPlaylists().data());
    music.deleteSmartPlaylist(deleted);
    offerUndo(music, smartPlaylistDisplayName(deleted.name), [model = QPointer<MusicModel>(&music), deleted, row] {
        if (model)
            model->restoreSmartPlaylist(deleted, row);
    });
}

// ---- The shared base

PlaylistCardList::PlaylistCardList(QObject* parent)
    : CardList(parent),
      list_(new VectorListModel<PlaylistCard>(
          &cards_,
          {cardRole("id", &PlaylistCard::id), cardRole("name", &PlaylistCard::name),
           cardRole("count", &PlaylistCard::count), cardRole("covers", &PlaylistCard::covers)},
          this)) {}

QAbstractItemModel* PlaylistCardList::rowsModel() const {
    return list_;
}

void PlaylistCardList::recompute() {
    list_->assign(music() ? compute() : std::vector<PlaylistCard>());
}

// ---- Smart playlists

SmartPlaylistCards::SmartPlaylistCards(QObject* parent) : PlaylistCardList(parent) {}

void SmartPlaylistCards::follow(MusicModel& music) {
    followMusic(connect(&music, &MusicModel::tracksChanged, this, &SmartPlaylistCards::scheduleRefresh));
    followMusic(
        connect(&music, &MusicModel::smartPlaylistsChanged, this, &SmartPlaylistCards::scheduleRefresh));
}

std::vector<PlaylistCard> SmartPlaylistCards::compute() {
    std::vector<PlaylistCard> cards;
    std::map<std::string, std::vector<std::string>> computed;
    const auto now = ZazidEvoz::platform::now();
    for (const auto& smart : music()->smartPlaylists()) {
        auto tracks = smart.tracks(music()->tracks(), now);
        const std::string id = smart.id.text();
        if (smart.sort == ZazidEvoz::SmartSort::random)
            if (auto previous = computed_.find(id); previous != computed_.end())
                tracks = inPreviousOrder(std::move(tracks), previous->second);
        cards.push_back({qtText(id), qtText(smartPlaylistDisplayName(smart.name)),
                         static_cast<qint64>(tracks.size()), qtTexts(leadingCovers(tracks))});
        computed[id] = pathsOf(tracks);
    }
    computed_ = std::move(computed);
    return cards;
}

std::vector<Track> SmartPlaylistCards::tracks(const QString& id) const {
    std::vector<Track> tracks;
    const auto found = computed_.find(stdText(id));
    if (!music() || found == computed_.end())
        return tracks;
    std::unordered_map<std::string_view, const Track*> byPath;
    for (const auto& track : music()->tracks())
        byPath.emplace(track.path, &track);
    for (const auto& path : found->second)
        if (auto track = byPath.find(path); track != byPath.end())
            tracks.push_back(*track->second);
    return tracks;
}

void SmartPlaylistCards::play(const QString& id) const {
    if (music())
        music()->playNow(stationsOf(tracks(id)), 0);
}

void SmartPlaylistCards::remove(const QString& id) const {
    if (music())
        deleteSmartPlaylistOfferingUndo(*music(), stdText(id));
}

void SmartPlaylistCards::editRules(const QString& id, QObject* musicUI) const {
    auto* ui = qobject_cast<MusicUI*>(musicUI);
    if (!ui || !music())
        return;
    if (const auto* stored = listWithId(music()->smartPlaylists(), stdText(id)))
        ui->editSmartPlaylist(*stored);
}

// ---- Playlists

PlaylistCards::PlaylistCards(QObject* parent) : PlaylistCardList(parent) {}

void PlaylistCards::follow(MusicModel& music) {
    followMusic(connect(&music, &MusicModel::playlistsChanged, this, &PlaylistCards::scheduleRefresh));
}

std::vector<PlaylistCard> PlaylistCards::compute() {
    std::vector<PlaylistCard> cards;
    for (const auto& playlist : music()->playlists())
        cards.push_back({qtText(playlist.id.text()), qtText(playlist.name),
                         static_cast<qint64>(playlist.items.size()),
                         qtTexts(fileThumbnails(playlist.items))});
    return cards;
}

void PlaylistCards::play(const QString& id) const {
    if (!music())
        return;
    if (const auto* playlist = listWithId(music()->playlists(), stdText(id)))
        music()->playNow(playlist->items, 0);
}

void PlaylistCards::remove(const QString& id) const {
    if (music())
        deletePlaylistOfferingUndo(*music(), stdText(id));
}

} // namespace ZintraRadio
