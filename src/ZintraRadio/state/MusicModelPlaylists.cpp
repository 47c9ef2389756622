// The rest of the music library's surface for the music browser: the browse lists (genres,
// artists and albums, computed from the tracks once per change of them), user playlists and
// smart playlists. Every playlist edit ends by saving music.json.
#include "ZazidEvoz/platform/Json.hpp"
#include "ZazidEvoz/platform/Text.hpp"
#include "state/ListMoves.hpp"
#include "state/MusicModel.hpp"
#include "state/QtValues.hpp"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <algorithm>
#include <string_view>

namespace ZintraRadio {

using ZazidEvoz::Station;
using ZazidEvoz::platform::Uuid;
namespace json = ZazidEvoz::json;
namespace text = ZazidEvoz::text;

namespace {

template <typename Entry> std::vector<Entry> sortedByName(std::vector<Entry> entries) {
    std::vector<std::string_view> names;
    names.reserve(entries.size());
    for (const auto& entry : entries)
        names.emplace_back(entry.name);
    std::vector<Entry> sorted;
    sorted.reserve(entries.size());
    for (auto position : localizedOrder(names))
        sorted.push_back(std::move(entries[position]));
    return sorted;
}

// The tracks with a non-empty `field`, grouped by its exact text (case and accents count).
std::vector<MusicModel::BrowseEntry> countedBy(const std::vector<Track>& tracks,
                                               const std::string Track::*field) {
    std::unordered_map<std::string_view, std::size_t> positions;
    std::vector<MusicModel::BrowseEntry> entries;
    for (const auto& track : tracks) {
        const std::string& value = track.*field;
        if (value.empty())
            continue;
        auto [found, inserted] = positions.try_emplace(value, entries.size());
        if (inserted)
            entries.push_back({value, 0});
        ++entries[found->second].count;
    }
    return sortedByName(std::move(entries));
}

std::vector<MusicModel::Album> groupedByAlbum(const std::vector<Track>& tracks) {
    std::vector<std::string_view> titles;
    titles.reserve(tracks.size());
    for (const auto& track : tracks)
        titles.emplace_back(track.title);
    // Every row once in title order; walking it fills each album's rows in title order.
    const auto titleOrder = localizedOrder(titles);

    std::unordered_map<std::string_view, std::size_t> positions;
    std::vector<MusicModel::Album> albums;
    for (auto row : titleOrder) {
        const auto& track = tracks[row];
        if (track.album.empty())
            continue;
        auto [found, inserted] = positions.try_emplace(track.album, albums.size());
        if (inserted)
            albums.push_back({track.album, track.artist, std::nullopt, {}});
        auto& album = albums[found->second];
        album.rows.push_back(row);
        if (!album.cover && track.coverFile)
            album.cover = track.coverFile;
    }
    return sortedByName(std::move(albums));
}

QVariantList entryValues(const std::vector<MusicModel::BrowseEntry>& entries) {
    QVariantList values;
    values.reserve(static_cast<qsizetype>(entries.size()));
    for (const auto& entry : entries)
        values.append(QVariantMap{{QStringLiteral("name"), qtText(entry.name)},
                                  {QStringLiteral("count"), static_cast<qint64>(entry.count)}});
    return values;
}

QVariantList trackMaps(const std::vector<Track>& tracks) {
    QVariantList maps;
    maps.reserve(static_cast<qsizetype>(tracks.size()));
    for (const auto& track : tracks)
        maps.append(trackMap(track));
    return maps;
}

// JSON as QML sees it, and back: rules and smart playlists cross in their stored form.
QVariant variantFromJson(const json::Value& value) {
    const auto document = QJsonDocument::fromJson(QByteArray::fromStdString(value.dump()));
    return document.isArray() ? QVariant(document.array().toVariantList())
                              : QVariant(document.object().toVariantMap());
}

std::optional<json::Value> jsonFromVariant(const QVariant& value) {
    const auto converted = QJsonValue::fromVariant(value);
    QJsonDocument document;
    if (converted.isArray())
        document = QJsonDocument(converted.toArray());
    else if (converted.isObject())
        document = QJsonDocument(converted.toObject());
    else
        return std::nullopt;
    try {
        return json::parse(document.toJson(QJsonDocument::Compact).toStdString());
    } catch (const json::JsonDecodeError&) {
        return std::nullopt;
    }
}

std::optional<std::vector<SmartRule>> rulesFromVariant(const QVariantList& rules) {
    try {
        std::vector<SmartRule> decoded;
        for (const auto& rule : rules) {
            auto value = jsonFromVariant(rule);
            if (!value)
                return std::nullopt;
            decoded.push_back(ZazidEvoz::smartRuleFromJson(*value));
        }
        return decoded;
    } catch (const json::JsonDecodeError&) {
        return std::nullopt;
    }
}

// A playlist value that names the list with this id, for the operations that find lists by id.
template <typename List> std::optional<List> named(const QString& id) {
    auto uuid = Uuid::fromText(stdText(id));
    if (!uuid)
        return std::nullopt;
    List list;
    list.id = *uuid;
    return list;
}

std::vector<int> offsetList(const QList<int>& offsets) {
    return {offsets.begin(), offsets.end()};
}

} // namespace

std::vector<ListRole<Playlist>> playlistRoles() {
    return {
        {"id", [](const Playlist& p) { return QVariant(qtText(p.id.text())); }},
        {"name", [](const Playlist& p) { return QVariant(qtText(p.name)); }},
        {"created", [](const Playlist& p) { return QVariant(qtDate(p.created)); }},
        {"count", [](const Playlist& p) { return QVariant(static_cast<qint64>(p.items.size())); }},
        {"items", [](const Playlist& p) { return QVariant(stationMaps(p.items)); }},
    };
}

std::vector<ListRole<SmartPlaylist>> smartPlaylistRoles() {
    return {
        {"id", [](const SmartPlaylist& p) { return QVariant(qtText(p.id.text())); }},
        {"name", [](const SmartPlaylist& p) { return QVariant(qtText(p.name)); }},
        {"rules", [](const SmartPlaylist& p) { return variantFromJson(toJson(p).at("rules")); }},
        {"matchAll", [](const SmartPlaylist& p) { return QVariant(p.matchAll); }},
        {"sort",
         [](const SmartPlaylist& p) { return QVariant(qtText(std::string(ZazidEvoz::rawValue(p.sort)))); }},
        {"limit", [](const SmartPlaylist& p) { return QVariant(static_cast<qint64>(p.limit)); }},
    };
}

ListModelBase* MusicModel::playlistList() const {
    return playlistList_;
}

ListModelBase* MusicModel::smartPlaylistList() const {
    return smartPlaylistList_;
}

// ---- Browse lists

void MusicModel::forgetBrowseLists() {
    browse_ = BrowseLists{};
}

const std::vector<MusicModel::BrowseEntry>& MusicModel::genres() const {
    if (!browse_.genres)
        browse_.genres = countedBy(tracks_, &Track::genre);
    return *browse_.genres;
}

const std::vector<MusicModel::BrowseEntry>& MusicModel::artists() const {
    if (!browse_.artists)
        browse_.artists = countedBy(tracks_, &Track::artist);
    return *browse_.artists;
}

const std::vector<MusicModel::Album>& MusicModel::albums() const {
    if (!browse_.albums) {
        browse_.albums = groupedByAlbum(tracks_);
        browse_.albumIndex.clear();
        for (std::size_t position = 0; position < browse_.albums->size(); ++position)
            browse_.albumIndex.emplace((*browse_.albums)[position].name, position);
    }
    return *browse_.albums;
}

std::vector<Track> MusicModel::albumTracks(const std::string& album) const {
    const auto& all = albums();
    auto found = browse_.albumIndex.find(album);
    if (found == browse_.albumIndex.end())
        return {};
    std::vector<Track> result;
    for (auto row : all[found->second].rows)
        result.push_back(tracks_[row]);
    return result;
}

std::vector<Track> MusicModel::tracks(const std::string& genre) const {
    std::vector<Track> matching;
    for (const auto& track : tracks_)
        if (track.genre == genre)
            matching.push_back(track);
    return sortedByTitle(std::move(matching));
}

QVariantList MusicModel::genreValues() const {
    if (!browse_.genreValues)
        browse_.genreValues = entryValues(genres());
    return *browse_.genreValues;
}

QVariantList MusicModel::artistValues() const {
    if (!browse_.artistValues)
        browse_.artistValues = entryValues(artists());
    return *browse_.artistValues;
}

QVariantList MusicModel::albumValues() const {
    if (!browse_.albumValues) {
        QVariantList values;
        for (const auto& album : albums())
            values.append(QVariantMap{{QStringLiteral("name"), qtText(album.name)},
                                      {QStringLiteral("artist"), qtText(album.artist)},
                                      {QStringLiteral("cover"), optionalText(album.cover)},
                                      {QStringLiteral("count"), static_cast<qint64>(album.rows.size())}});
        browse_.albumValues = std::move(values);
    }
    return *browse_.albumValues;
}

QVariantList MusicModel::tracksOfAlbum(const QString& album) const {
    return trackMaps(albumTracks(stdText(album)));
}

QVariantList MusicModel::tracksOfGenre(const QString& genre) const {
    return trackMaps(tracks(stdText(genre)));
}

// ---- Playlists

std::optional<std::size_t> MusicModel::playlistRow(const Uuid& id) const {
    auto found =
        std::find_if(playlists_.begin(), playlists_.end(), [&id](const Playlist& p) { return p.id == id; });
    if (found == playlists_.end())
        return std::nullopt;
    return static_cast<std::size_t>(found - playlists_.begin());
}

void MusicModel::replacePlaylist(std::size_t row, Playlist playlist) {
    playlistList_->replace(static_cast<int>(row), std::move(playlist));
    Q_EMIT playlistsChanged();
}

Playlist MusicModel::createPlaylist(const std::string& name, const std::vector<Station>& items) {
    //% "New Playlist"
    Playlist playlist{Uuid::random(), name.empty() ? stdText(qtTrId("music.newPlaylist")) : name, items,
                      options_.scheduler->date()};
    playlistList_->append({playlist});
    Q_EMIT playlistsChanged();
    persist();
    return playlist;
}

QString MusicModel::createPlaylist(const QString& name, const QVariantList& items) {
    std::vector<Station> stations;
    stations.reserve(static_cast<std::size_t>(items.size()));
    for (const auto& item : items)
        stations.push_back(stationFromMap(item.toMap()));
    return qtText(createPlaylist(stdText(name), stations).id.text());
}

void MusicModel::renamePlaylist(const Playlist& playlist, const std::string& name) {
    const auto row = playlistRow(playlist.id);
    if (!row || name.empty())
        return;
    auto renamed = playlists_[*row];
    renamed.name = name;
    replacePlaylist(*row, std::move(renamed));
    persist();
}

void MusicModel::renamePlaylist(const QString& id, const QString& name) {
    if (auto playlist = named<Playlist>(id))
        renamePlaylist(*playlist, stdText(name));
}

void MusicModel::deletePlaylist(const Playlist& playlist) {
    const auto before = playlists_.size();
    playlistList_->removeIf([&playlist](const Playlist& p) { return p.id == playlist.id; });
    if (playlists_.size() != before)
        Q_EMIT playlistsChanged();
    persist();
}

void MusicModel::restorePlaylist(const Playlist& playlist, std::size_t row) {
    if (playlistRow(playlist.id))
        return;
    playlistList_->insert(static_cast<int>(std::min(row, playlists_.size())), playlist);
    Q_EMIT playlistsChanged();
    persist();
}

void MusicModel::deletePlaylist(const QString& id) {
    if (auto playlist = named<Playlist>(id))
        deletePlaylist(*playlist);
}

void MusicModel::add(const std::vector<Station>& items, const Playlist& playlist) {
    const auto row = playlistRow(playlist.id);
    if (!row)
        return;
    auto edited = playlists_[*row];
    const auto before = edited.items.size();
    for (const auto& item : items) {
        const bool held = std::any_of(edited.items.begin(), edited.items.end(),
                                      [&item](const Station& entry) { return entry.url == item.url; });
        if (!held)
            edited.items.push_back(item);
    }
    if (edited.items.size() != before)
        replacePlaylist(*row, std::move(edited));
    persist();
}

void MusicModel::add(const QVariantList& items, const QString& id) {
    auto playlist = named<Playlist>(id);
    if (!playlist)
        return;
    std::vector<Station> stations;
    for (const auto& item : items)
        stations.push_back(stationFromMap(item.toMap()));
    add(stations, *playlist);
}

void MusicModel::remove(const std::vector<int>& offsets, const Playlist& playlist) {
    const auto row = playlistRow(playlist.id);
    if (!row)
        return;
    auto edited = playlists_[*row];
    const auto valid = validOffsets(offsets, static_cast<int>(edited.items.size()));
    for (auto offset = valid.rbegin(); offset != valid.rend(); ++offset)
        edited.items.erase(edited.items.begin() + *offset);
    if (!valid.empty())
        replacePlaylist(*row, std::move(edited));
    persist();
}

void MusicModel::remove(const QList<int>& offsets, const QString& id) {
    if (auto playlist = named<Playlist>(id))
        remove(offsetList(offsets), *playlist);
}

void MusicModel::move(const Playlist& playlist, const std::vector<int>& offsets, int destination) {
    const auto row = playlistRow(playlist.id);
    if (!row)
        return;
    auto edited = playlists_[*row];
    const auto order = orderAfterMove(static_cast<int>(edited.items.size()), offsets, destination);
    std::vector<Station> moved;
    moved.reserve(order.size());
    for (int position : order)
        moved.push_back(edited.items[static_cast<std::size_t>(position)]);
    if (moved != edited.items) {
        edited.items = std::move(moved);
        replacePlaylist(*row, std::move(edited));
    }
    persist();
}

void MusicModel::move(const QString& id, const QList<int>& offsets, int destination) {
    if (auto playlist = named<Playlist>(id))
        move(*playlist, offsetList(offsets), destination);
}

// ---- Smart playlists

std::optional<std::size_t> MusicModel::smartPlaylistRow(const Uuid& id) const {
    auto found = std::find_if(smartPlaylists_.begin(), smartPlaylists_.end(),
                              [&id](const SmartPlaylist& p) { return p.id == id; });
    if (found == smartPlaylists_.end())
        return std::nullopt;
    return static_cast<std::size_t>(found - smartPlaylists_.begin());
}

void MusicModel::replaceSmartPlaylist(std::size_t row, SmartPlaylist playlist) {
    smartPlaylistList_->replace(static_cast<int>(row), std::move(playlist));
    Q_EMIT smartPlaylistsChanged();
}

void MusicModel::appendSmartPlaylist(SmartPlaylist playlist) {
    if (playlist.name.empty())
        //% "New Smart Playlist"
        playlist.name = stdText(qtTrId("music.newSmartPlaylist"));
    smartPlaylistList_->append({std::move(playlist)});
    Q_EMIT smartPlaylistsChanged();
    persist();
}

void MusicModel::createSmartPlaylist(const std::string& name, const std::vector<SmartRule>& rules,
                                     bool matchAll, SmartSort sort, std::int64_t limit) {
    appendSmartPlaylist({Uuid::random(), name, rules, matchAll, sort, limit});
}

void MusicModel::createSmartPlaylist(const QString& name, const QVariantList& rules, bool matchAll,
                                     const QString& sort, int limit) {
    auto decodedRules = rulesFromVariant(rules);
    auto decodedSort = ZazidEvoz::smartSortFromRawValue(stdText(sort));
    if (!decodedRules || !decodedSort)
        return;
    createSmartPlaylist(stdText(name), *decodedRules, matchAll, *decodedSort, limit);
}

void MusicModel::updateSmartPlaylist(const SmartPlaylist& playlist) {
    if (auto row = smartPlaylistRow(playlist.id)) {
        replaceSmartPlaylist(*row, playlist);
        persist();
    }
}

void MusicModel::updateSmartPlaylist(const QVariantMap& playlist) {
    auto value = jsonFromVariant(playlist);
    if (!value)
        return;
    try {
        updateSmartPlaylist(ZazidEvoz::smartPlaylistFromJson(*value));
    } catch (const json::JsonDecodeError&) {
        // not a smart playlist: nothing to store
    }
}

void MusicModel::deleteSmartPlaylist(const SmartPlaylist& playlist) {
    const auto before = smartPlaylists_.size();
    smartPlaylistList_->removeIf([&playlist](const SmartPlaylist& p) { return p.id == playlist.id; });
    if (smartPlaylists_.size() != before)
        Q_EMIT smartPlaylistsChanged();
    persist();
}

void MusicModel::restoreSmartPlaylist(const SmartPlaylist& playlist, std::size_t row) {
    if (smartPlaylistRow(playlist.id))
        return;
    smartPlaylistList_->insert(static_cast<int>(std::min(row, smartPlaylists_.size())), playlist);
    Q_EMIT smartPlaylistsChanged();
    persist();
}

void MusicModel::deleteSmartPlaylist(const QString& id) {
    if (auto playlist = named<SmartPlaylist>(id))
        deleteSmartPlaylist(*playlist);
}

void MusicModel::createGenrePlaylist(const QString& genre) {
    const auto text = stdText(genre);
    appendSmartPlaylist({Uuid::random(), text, {SmartRule::genreIs(text)}, true, SmartSort::artist, 0});
}

} // namespace ZintraRadio
