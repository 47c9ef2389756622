#include "music/DetailPage.hpp"

#include "ZazidEvoz/platform/FileURL.hpp"
#include "ZazidEvoz/platform/Text.hpp"
#include "music/MusicRules.hpp"
#include "music/PlaylistCards.hpp"
#include "state/MusicModel.hpp"
#include "state/MusicUI.hpp"
#include "state/QtValues.hpp"

#include <QVariantMap>
#include <algorithm>
#include <filesystem>
#include <random>

namespace ZintraRadio {

using ZazidEvoz::Station;
using ZazidEvoz::Track;
using Kind = TrackListModel::Kind;

namespace {

// The URLs of the file items whose files are gone. A file that cannot be looked at (a folder
// without permission) is not called missing.
std::set<std::string> missingFiles(const std::vector<Station>& items) {
    std::set<std::string> missing;
    for (const auto& item : items) {
        if (item.kind != ZazidEvoz::MediaKind::file)
            continue;
        const auto path = ZazidEvoz::platform::pathFromFileURL(item.url);
        std::error_code error;
        if (path && std::filesystem::status(*path, error).type() == std::filesystem::file_type::not_found)
            missing.insert(item.url);
    }
    return missing;
}

TrackListModel::Scope scopeOf(const QVariant& route) {
    auto scope = TrackListModel::scopeFromMap(route.toMap());
    // No page lists the whole library; a playlist page lists its items instead of tracks.
    if (scope.kind == Kind::all)
        scope.kind = Kind::none;
    return scope;
}

} // namespace

DetailPage::DetailPage(QObject* parent) : MusicBound(parent), tracks_(new TrackListModel(this)) {
    auto roles = stationRoles();
    roles.push_back({"missing", [this](const Station& item) { return QVariant(missingURLs_.contains(item.url)); }});
    items_ = new VectorListModel<Station>(&itemStorage_, std::move(roles), this);
    tracks_->setScope(TrackListModel::Scope{Kind::none, {}, {}});
    timer_.setSingleShot(true);
    timer_.setInterval(0);
    connect(&timer_, &QTimer::timeout, this, &DetailPage::update);
    // The hero follows the listed tracks: their covers, count and length.
    connect(tracks_, &QAbstractItemModel::rowsInserted, this, &DetailPage::scheduleUpdate);
    connect(tracks_, &QAbstractItemModel::rowsRemoved, this, &DetailPage::scheduleUpdate);
    connect(tracks_, &QAbstractItemModel::dataChanged, this, &DetailPage::scheduleUpdate);
    connect(tracks_, &QAbstractItemModel::modelReset, this, &DetailPage::scheduleUpdate);
}

void DetailPage::musicReplaced() {
    if (music()) {
        followMusic(connect(music(), &MusicModel::playlistsChanged, this, &DetailPage::scheduleUpdate));
        followMusic(connect(music(), &MusicModel::smartPlaylistsChanged, this, &DetailPage::scheduleUpdate));
        // Files come and go with the rescans: a playlist's items are looked at again after each.
        auto recheckItems = [this] {
            if (playlist_)
                scheduleUpdate();
        };
        followMusic(connect(music(), &MusicModel::tracksChanged, this, recheckItems));
        followMusic(connect(music(), &MusicModel::databaseRevisionChanged, this, recheckItems));
    }
    if (ready_)
        tracks_->setMusic(music());
    update();
}

void DetailPage::setRoute(const QVariant& route) {
    if (route_ == route)
        return;
    route_ = route;
    scope_ = scopeOf(route);
    if (ready_)
        tracks_->setScope(scope_);
    update();
    Q_EMIT routeChanged();
}

void DetailPage::componentComplete() {
    ready_ = true;
    tracks_->setScope(scope_);
    tracks_->setMusic(music());
    update();
}

QString DetailPage::kind() const {
    return route_.toMap().value(QStringLiteral("kind")).toString();
}

QString DetailPage::kindKey() const {
    const QString name = kind();
    if (name == QLatin1String("album"))
        //% "Album"
        return QStringLiteral(QT_TRID_NOOP("music.kind.album"));
    if (name == QLatin1String("genre"))
        //% "Genre"
        return QStringLiteral(QT_TRID_NOOP("stations.genre"));
    if (name == QLatin1String("artist"))
        //% "Artist"
        return QStringLiteral(QT_TRID_NOOP("music.kind.artist"));
    if (name == QLatin1String("playlist"))
        //% "Playlist"
        return QStringLiteral(QT_TRID_NOOP("music.kind.playlist"));
    //% "Smart Playlist"
    return QStringLiteral(QT_TRID_NOOP("music.kind.smart"));
}

bool DetailPage::offersGenrePlaylist() const {
    return scope_.kind == Kind::genre && !scope_.name.empty();
}

int DetailPage::itemCount() const {
    return playlist_ ? static_cast<int>(playlist_->items.size()) : tracks_->count();
}

QAbstractItemModel* DetailPage::itemList() const {
    return items_;
}

std::vector<Station> DetailPage::items() const {
    return playlist_ ? playlist_->items : tracks_->stations();
}

void DetailPage::scheduleUpdate() {
    if (!timer_.isActive())
        timer_.start();
}

void DetailPage::update() {
    timer_.stop();
    playlist_.reset();
    smart_.reset();
    const QString kindName = kind();
    if (music() && kindName == QLatin1String("playlist"))
        if (const auto* playlist = listWithId(music()->playlists(), scope_.id))
            playlist_ = *playlist;
    if (music() && kindName == QLatin1String("smart"))
        if (const auto* smart = listWithId(music()->smartPlaylists(), scope_.id))
            smart_ = *smart;

    switch (scope_.kind) {
    case Kind::album:
        //% "Singles"
        title_ = scope_.name.empty() ? qtTrId("music.singles") : qtText(scope_.name);
        break;
    case Kind::genre:
        //% "No Genre"
        title_ = scope_.name.empty() ? qtTrId("music.noGenre") : qtText(scope_.name);
        break;
    case Kind::artist:
        title_ = qtText(scope_.name);
        break;
    case Kind::smart:
        title_ = smart_ ? qtText(smartPlaylistDisplayName(smart_->name)) : QString();
        break;
    default:
        title_ = playlist_ ? qtText(playlist_->name) : QString();
        break;
    }

    const std::vector<Track> listed = tracks_->tracks();
    const std::vector<Station> noItems;
    const auto& playlistItems = playlist_ ? playlist_->items : noItems;
    covers_.clear();
    for (const auto& cover : detailCovers(listed, playlistItems))
        covers_.append(qtText(cover));
    std::optional<std::string> albumArtist;
    if (scope_.kind == Kind::album)
        albumArtist = listed.empty() ? std::string() : listed.front().artist;
    const auto count = static_cast<int>(playlist_ ? playlist_->items.size() : listed.size());
    summary_ = qtText(detailSummary(albumArtist, stdText(qtTrId("count.tracks", count)),
                                    detailTotal(listed, playlist_ ? &playlist_->items : nullptr)));
    auto missing = missingFiles(playlistItems);
    const bool missingChanged = missing != missingURLs_;
    missingURLs_ = std::move(missing);
    items_->assign(playlistItems);
    if (missingChanged)
        for (int row = 0; row < items_->count(); ++row)
            items_->rowChanged(row);
    Q_EMIT contentChanged();
}

// ---- Actions

void DetailPage::play() const {
    if (music())
        music()->playNow(items(), 0);
}

void DetailPage::shuffle() const {
    if (!music())
        return;
    auto shuffled = items();
    static thread_local std::mt19937_64 random{std::random_device{}()};
    std::shuffle(shuffled.begin(), shuffled.end(), random);
    music()->playNow(shuffled, 0);
}

void DetailPage::playLater() const {
    if (music())
        music()->enqueue(items());
}

QVariantList DetailPage::stations() const {
    return stationMaps(items());
}

void DetailPage::rename(const QString& name) const {
    if (music() && playlist_)
        music()->renamePlaylist(*playlist_, ZazidEvoz::text::trimmedHorizontalWhitespace(stdText(name)));
}

void DetailPage::deleteList() const {
    if (!music())
        return;
    if (playlist_)
        deletePlaylistOfferingUndo(*music(), playlist_->id.text());
    else if (smart_)
        deleteSmartPlaylistOfferingUndo(*music(), smart_->id.text());
    else
        return;
    if (ui())
        ui()->close();
}

void DetailPage::editRules() const {
    if (ui() && smart_)
        ui()->editSmartPlaylist(*smart_);
}

void DetailPage::createGenrePlaylist() const {
    if (music() && offersGenrePlaylist())
        music()->createGenrePlaylist(qtText(scope_.name));
}

bool DetailPage::dropCover(const QList<QUrl>& urls) const {
    if (!music() || scope_.kind != Kind::album)
        return false;
    const auto picture = firstDroppedPicture(urls);
    if (!picture)
        return false;
    music()->setCover(*picture, tracks_->tracks());
    return true;
}

void DetailPage::playItem(int index) const {
    if (music() && playlist_)
        music()->playNow(playlist_->items, index);
}

void DetailPage::removeItem(int index) const {
    if (music() && playlist_)
        music()->remove({index}, *playlist_);
}

void DetailPage::moveItem(int from, int destination) const {
    if (music() && playlist_)
        music()->move(*playlist_, {from}, destination);
}

QVariantMap DetailPage::item(int index) const {
    if (!playlist_ || index < 0 || index >= static_cast<int>(playlist_->items.size()))
        return {};
    return stationMap(playlist_->items[static_cast<std::size_t>(index)]);
}

} // namespace ZintraRadio
