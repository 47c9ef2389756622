#include "music/TrackListModel.hpp"

#include "ZazidEvoz/platform/Date.hpp"
#include "music/MusicRules.hpp"
#include "music/TitleOrder.hpp"
#include "music/TrackChangeWatch.hpp"
#include "state/MusicModel.hpp"
#include "state/QtValues.hpp"

#include <QVariantMap>
#include <algorithm>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace ZintraRadio {

using ZazidEvoz::Station;
using ZazidEvoz::Track;

namespace {

// Above this many rows a data change is taken as a change of the whole list.
constexpr int rowByRowLimit = 512;

const std::string Track::*scopeField(TrackListModel::Kind kind) {
    switch (kind) {
    case TrackListModel::Kind::album:
        return &Track::album;
    case TrackListModel::Kind::genre:
        return &Track::genre;
    case TrackListModel::Kind::artist:
        return &Track::artist;
    default:
        return nullptr;
    }
}

// The kinds by the names the views give them.
constexpr std::pair<TrackListModel::Kind, QLatin1String> kindNames[] = {
    {TrackListModel::Kind::all, QLatin1String("all")},
    {TrackListModel::Kind::album, QLatin1String("album")},
    {TrackListModel::Kind::genre, QLatin1String("genre")},
    {TrackListModel::Kind::artist, QLatin1String("artist")},
    {TrackListModel::Kind::smart, QLatin1String("smart")},
    {TrackListModel::Kind::none, QLatin1String("none")},
};

QString kindName(TrackListModel::Kind kind) {
    for (const auto& [value, name] : kindNames)
        if (value == kind)
            return name;
    return QStringLiteral("none");
}

} // namespace

TrackListModel::Scope TrackListModel::scopeFromMap(const QVariantMap& map) {
    Scope scope;
    scope.kind = Kind::none;
    const QString kind = map.value(QStringLiteral("kind")).toString();
    for (const auto& [value, name] : kindNames)
        if (kind == name)
            scope.kind = value;
    scope.name = stdText(map.value(QStringLiteral("name")).toString());
    scope.id = stdText(map.value(QStringLiteral("id")).toString());
    return scope;
}

TrackListModel::TrackListModel(QObject* parent) : QAbstractListModel(parent), roles_(trackRoles()) {
    rebuildTimer_.setSingleShot(true);
    rebuildTimer_.setInterval(0);
    connect(&rebuildTimer_, &QTimer::timeout, this, &TrackListModel::rebuild);
}

// ---- Source

void TrackListModel::setMusic(MusicModel* music) {
    if (music_ == music)
        return;
    for (const auto& connection : connections_)
        disconnect(connection);
    connections_.clear();
    music_ = music;
    connectSource();
    rebuild();
    Q_EMIT musicChanged();
}

void TrackListModel::setScope(Scope scope) {
    if (scope_ == scope)
        return;
    scope_ = std::move(scope);
    rebuild();
    Q_EMIT scopeChanged();
}

void TrackListModel::connectSource() {
    if (!music_)
        return;
    QAbstractItemModel* source = music_->trackList();
    connections_.push_back(
        connect(source, &QAbstractItemModel::rowsInserted, this,
                [this](const QModelIndex&, int first, int last) { sourceRowsInserted(first, last); }));
    connections_.push_back(
        connect(source, &QAbstractItemModel::rowsRemoved, this,
                [this](const QModelIndex&, int first, int last) { sourceRowsRemoved(first, last); }));
    connections_.push_back(connect(source, &QAbstractItemModel::dataChanged, this,
                                   [this](const QModelIndex& topLeft, const QModelIndex& bottomRight) {
                                       sourceDataChanged(topLeft.row(), bottomRight.row());
                                   }));
    // Rows that moved or a new list: every stored row number is stale, so sort again now.
    const auto renumbered = [this] {
        TitleOrder::of(*music_).invalidate();
        rebuild();
    };
    connections_.push_back(connect(source, &QAbstractItemModel::modelReset, this, renumbered));
    connections_.push_back(connect(source, &QAbstractItemModel::layoutChanged, this, renumbered));
    connections_.push_back(connect(source, &QAbstractItemModel::rowsMoved, this, renumbered));
    // Smart playlists follow their rules.
    connections_.push_back(connect(music_, &MusicModel::smartPlaylistsChanged, this, [this] {
        if (scope_.kind == Kind::smart)
            scheduleRebuild();
    }));
}

std::uint64_t TrackListModel::keyOf(const Track& track) const {
    if (scope_.kind == Kind::smart)
        return 0; // any change may move a smart playlist's rows; see sourceDataChanged
    const auto field = scopeField(scope_.kind);
    return TrackChangeWatch::combine(
        {TrackChangeWatch::textHash(track.title), field ? TrackChangeWatch::textHash(track.*field) : 0});
}

std::vector<std::size_t> TrackListModel::computeRows() const {
    std::vector<std::size_t> rows;
    if (!music_ || scope_.kind == Kind::none)
        return rows;
    const auto& tracks = music_->tracks();
    if (scope_.kind == Kind::smart) {
        const auto* found = listWithId(music_->smartPlaylists(), scope_.id);
        if (!found)
            return rows;
        std::unordered_map<std::string_view, std::size_t> rowOfPath;
        rowOfPath.reserve(tracks.size());
        for (std::size_t row = 0; row < tracks.size(); ++row)
            rowOfPath.emplace(tracks[row].path, row);
        for (const auto& track : found->tracks(tracks, ZazidEvoz::platform::now()))
            if (auto row = rowOfPath.find(track.path); row != rowOfPath.end())
                rows.push_back(row->second);
        // A shuffled playlist keeps its order while the same tracks match.
        if (found->sort == ZazidEvoz::SmartSort::random && rows.size() == rows_.size() &&
            std::unordered_set<std::size_t>(rows.begin(), rows.end()) ==
                std::unordered_set<std::size_t>(rows_.begin(), rows_.end()))
            return rows_;
        return rows;
    }
    // A stable sort of a part keeps the order it has in the stable sort of the whole.
    const auto field = scopeField(scope_.kind);
    for (auto row : TitleOrder::of(*music_).rows())
        if (!field || tracks[row].*field == scope_.name)
            rows.push_back(row);
    return rows;
}

void TrackListModel::componentComplete() {
    ready_ = true;
    rebuild();
}

void TrackListModel::rebuild() {
    rebuildTimer_.stop();
    if (!ready_)
        return;
    keys_.clear();
    if (music_) {
        keys_.reserve(music_->tracks().size());
        for (const auto& track : music_->tracks())
            keys_.push_back(keyOf(track));
    }
    applyRows(computeRows());
}

void TrackListModel::scheduleRebuild() {
    if (!rebuildTimer_.isActive())
        rebuildTimer_.start();
}

// Announces only the differing middle of the two lists, like the music model's own lists, so a
// view keeps its place and its delegates outside the change.
void TrackListModel::applyRows(std::vector<std::size_t> rows) {
    const int countBefore = count();
    const bool emptyBefore = libraryEmpty_;
    const std::size_t oldSize = rows_.size();
    const std::size_t newSize = rows.size();
    std::size_t prefix = 0;
    while (prefix < oldSize && prefix < newSize && rows_[prefix] == rows[prefix])
        ++prefix;
    std::size_t suffix = 0;
    while (suffix < oldSize - prefix && suffix < newSize - prefix &&
           rows_[oldSize - 1 - suffix] == rows[newSize - 1 - suffix])
        ++suffix;
    const int first = static_cast<int>(prefix);
    const int oldMiddle = static_cast<int>(oldSize - prefix - suffix);
    const int newMiddle = static_cast<int>(newSize - prefix - suffix);
    positionsStale_ = true;
    if (oldMiddle == newMiddle) {
        if (oldMiddle > 0) {
            std::copy(rows.begin() + first, rows.begin() + first + newMiddle, rows_.begin() + first);
            Q_EMIT dataChanged(index(first), index(first + oldMiddle - 1));
        }
    } else {
        if (oldMiddle > 0) {
            beginRemoveRows({}, first, first + oldMiddle - 1);
            rows_.erase(rows_.begin() + first, rows_.begin() + first + oldMiddle);
            endRemoveRows();
        }
        if (newMiddle > 0) {
            beginInsertRows({}, first, first + newMiddle - 1);
            rows_.insert(rows_.begin() + first, rows.begin() + first, rows.begin() + first + newMiddle);
            endInsertRows();
        }
    }
    libraryEmpty_ = !music_ || music_->tracks().empty();
    announceCountAndEmptiness(countBefore, emptyBefore);
}

const std::vector<int>& TrackListModel::positions() const {
    if (positionsStale_) {
        const std::size_t sourceCount = music_ ? music_->tracks().size() : 0;
        positions_.assign(sourceCount, -1);
        for (std::size_t position = 0; position < rows_.size(); ++position)
            if (rows_[position] < sourceCount)
                positions_[rows_[position]] = static_cast<int>(position);
        positionsStale_ = false;
    }
    return positions_;
}

void TrackListModel::sourceRowsInserted(int first, int last) {
    const auto added = static_cast<std::size_t>(last - first + 1);
    for (auto& row : rows_)
        if (row != gone && row >= static_cast<std::size_t>(first))
            row += added;
    if (first >= 0 && static_cast<std::size_t>(first) <= keys_.size()) {
        std::vector<std::uint64_t> newKeys;
        for (int row = first; row <= last; ++row)
            newKeys.push_back(keyOf(music_->tracks()[static_cast<std::size_t>(row)]));
        keys_.insert(keys_.begin() + first, newKeys.begin(), newKeys.end());
    }
    positionsStale_ = true;
    // The new tracks find their places in the next sort.
    scheduleRebuild();
}

void TrackListModel::sourceRowsRemoved(int first, int last) {
    const int countBefore = count();
    const bool emptyBefore = libraryEmpty_;
    const auto removed = static_cast<std::size_t>(last - first + 1);
    // Renumber first, so every row still listed names its track while the removals are told.
    for (auto& row : rows_) {
        if (row == gone)
            continue;
        if (row >= static_cast<std::size_t>(first) && row <= static_cast<std::size_t>(last))
            row = gone;
        else if (row > static_cast<std::size_t>(last))
            row -= removed;
    }
    if (first >= 0 && last < static_cast<int>(keys_.size()))
        keys_.erase(keys_.begin() + first, keys_.begin() + last + 1);
    positionsStale_ = true;
    for (int end = count() - 1; end >= 0;) {
        if (rows_[static_cast<std::size_t>(end)] != gone) {
            --end;
            continue;
        }
        int start = end;
        while (start > 0 && rows_[static_cast<std::size_t>(start - 1)] == gone)
            --start;
        beginRemoveRows({}, start, end);
        rows_.erase(rows_.begin() + start, rows_.begin() + end + 1);
        endRemoveRows();
        end = start - 1;
    }
    libraryEmpty_ = !music_ || music_->tracks().empty();
    announceCountAndEmptiness(countBefore, emptyBefore);
    if (scope_.kind == Kind::smart)
        scheduleRebuild(); // a limited playlist takes in the next matching tracks
}

void TrackListModel::sourceDataChanged(int first, int last) {
    if (!music_)
        return;
    const auto& tracks = music_->tracks();
    if (first < 0 || last >= static_cast<int>(tracks.size()) || last - first >= rowByRowLimit ||
        keys_.size() != tracks.size()) {
        scheduleRebuild();
        return;
    }
    bool moved = scope_.kind == Kind::smart;
    for (int row = first; row <= last; ++row) {
        const auto key = keyOf(tracks[static_cast<std::size_t>(row)]);
        auto& stored = keys_[static_cast<std::size_t>(row)];
        moved = moved || key != stored;
        stored = key;
        // The row shows its new values at once, also when it is about to move.
        if (const int position = positions()[static_cast<std::size_t>(row)]; position >= 0)
            Q_EMIT dataChanged(index(position), index(position));
    }
    if (moved)
        scheduleRebuild();
}

void TrackListModel::announceCountAndEmptiness(int countBefore, bool emptyBefore) {
    if (countBefore != count())
        Q_EMIT countChanged();
    if (emptyBefore != libraryEmpty_)
        Q_EMIT libraryEmptyChanged();
}

// ---- Rows

std::vector<Track> TrackListModel::tracks() const {
    std::vector<Track> listed;
    if (!music_)
        return listed;
    listed.reserve(rows_.size());
    for (auto row : rows_)
        if (row < music_->tracks().size())
            listed.push_back(music_->tracks()[row]);
    return listed;
}

std::vector<Station> TrackListModel::stations() const {
    std::vector<Station> items;
    if (!music_)
        return items;
    items.reserve(rows_.size());
    for (auto row : rows_)
        if (row < music_->tracks().size())
            items.push_back(music_->tracks()[row].asStation());
    return items;
}

std::optional<Track> TrackListModel::track(int row) const {
    if (!music_ || row < 0 || row >= count())
        return std::nullopt;
    const auto source = rows_[static_cast<std::size_t>(row)];
    if (source >= music_->tracks().size())
        return std::nullopt;
    return music_->tracks()[source];
}

int TrackListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count();
}

QVariant TrackListModel::data(const QModelIndex& index, int role) const {
    if (!music_ || !index.isValid() || index.row() < 0 || index.row() >= count())
        return {};
    const auto source = rows_[static_cast<std::size_t>(index.row())];
    const int column = role - Qt::UserRole - 1;
    if (source >= music_->tracks().size() || column < 0 || column >= static_cast<int>(roles_.size()))
        return {};
    return roles_[static_cast<std::size_t>(column)].value(music_->tracks()[source]);
}

QHash<int, QByteArray> TrackListModel::roleNames() const {
    QHash<int, QByteArray> names;
    for (std::size_t i = 0; i < roles_.size(); ++i)
        names.insert(Qt::UserRole + 1 + static_cast<int>(i), roles_[i].name);
    return names;
}

// ---- For the views

QObject* TrackListModel::musicObject() const {
    return music_.data();
}

void TrackListModel::setMusicObject(QObject* music) {
    setMusic(qobject_cast<MusicModel*>(music));
}

QVariant TrackListModel::scope() const {
    QVariantMap map{{QStringLiteral("kind"), kindName(scope_.kind)}};
    if (!scope_.name.empty())
        map.insert(QStringLiteral("name"), qtText(scope_.name));
    if (!scope_.id.empty())
        map.insert(QStringLiteral("id"), qtText(scope_.id));
    return map;
}

void TrackListModel::setScope(const QVariant& scope) {
    setScope(scope.isNull() || !scope.isValid() ? Scope() : scopeFromMap(scope.toMap()));
}

bool TrackListModel::libraryEmpty() const {
    return libraryEmpty_;
}

void TrackListModel::play(int row) const {
    if (!music_ || row < 0 || row >= count())
        return;
    // The stations are made only now, from the list as it is at the click.
    music_->playNow(stations(), row);
}

QVariantMap TrackListModel::station(int row) const {
    const auto listed = track(row);
    return listed ? stationMap(listed->asStation()) : QVariantMap();
}

QString TrackListModel::path(int row) const {
    const auto listed = track(row);
    return listed ? qtText(listed->path) : QString();
}

int TrackListModel::rowOf(const QString& path) const {
    if (!music_)
        return -1;
    const std::string wanted = stdText(path);
    const auto& tracks = music_->tracks();
    for (std::size_t row = 0; row < rows_.size(); ++row)
        if (rows_[row] < tracks.size() && tracks[rows_[row]].path == wanted)
            return static_cast<int>(row);
    return -1;
}

} // namespace ZintraRadio
