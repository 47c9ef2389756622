#include "lyrics/LyricsSearchQuery.hpp"

#include "ZazidEvoz/platform/Text.hpp"
#include "lyrics/LyricHitRoles.hpp"
#include "lyrics/LyricsRules.hpp"
#include "state/MusicModel.hpp"
#include "state/Observable.hpp"
#include "state/QtValues.hpp"

#include <algorithm>

namespace ZintraRadio {

using ZazidEvoz::Track;
using LyricsHit = ZazidEvoz::MusicDatabase::LyricsHit;
using Kind = LyricsSearchQuery::Row::Kind;

namespace {

QString kindName(Kind kind) {
    switch (kind) {
    case Kind::tracksLabel:
        return QStringLiteral("tracksLabel");
    case Kind::track:
        return QStringLiteral("track");
    case Kind::lyricsLabel:
        return QStringLiteral("lyricsLabel");
    case Kind::hit:
        return QStringLiteral("hit");
    }
    return {};
}

} // namespace

LyricsSearchQuery::LyricsSearchQuery(QObject* parent) : MusicQuery(parent, "ZR lyric search") {
    auto roles = lyricHitRoles([this](const LyricsHit& hit) { return libraryTrack(hit); }, HitSeed::none);
    roles.insert(roles.begin(), {"songKey", [](const LyricsHit& hit) { return QVariant(qtText(hit.songKey)); }});
    hitModel_ = std::make_unique<VectorListModel<LyricsHit>>(&hits_, std::move(roles));
    rowModel_ = std::make_unique<VectorListModel<Row>>(&rows_, rowRoles());
}

LyricsSearchQuery::~LyricsSearchQuery() = default;

QVariant LyricsSearchQuery::trackValue(const Row& row,
                                       const std::function<QVariant(const Track&)>& value) const {
    if (row.kind != Kind::track || row.index >= tracks_.size())
        return {};
    return value(shownTrack(row.index));
}

const Track& LyricsSearchQuery::shownTrack(std::size_t index) const {
    const Track& found = tracks_[index];
    const Track* current = libraryTrackAt(found.path);
    return current ? *current : found;
}

QVariant LyricsSearchQuery::hitValue(const Row& row,
                                     const std::function<QVariant(const LyricsHit&)>& value) const {
    if (row.kind != Kind::hit || row.index >= hits_.size())
        return {};
    return value(hits_[row.index]);
}

std::vector<ListRole<LyricsSearchQuery::Row>> LyricsSearchQuery::rowRoles() {
    // A track's roles come from the track, a hit's from the hit model's own roles.
    auto hitRole = [this](const char* name) {
        const auto roles = hitModel_->roleNames();
        const int role = roles.key(name);
        return [this, role](const Row& row) {
            if (row.kind != Kind::hit)
                return QVariant();
            return hitModel_->data(hitModel_->index(static_cast<int>(row.index)), role);
        };
    };
    return {
        {"kind", [](const Row& row) { return QVariant(kindName(row.kind)); }},
        {"position", [](const Row& row) { return QVariant(static_cast<int>(row.index)); }},
        {"count",
         [this](const Row& row) {
             if (row.kind == Kind::tracksLabel)
                 return QVariant(trackCount());
             if (row.kind == Kind::lyricsLabel)
                 return QVariant(hitCount());
             return QVariant();
         }},
        {"title",
         [this](const Row& row) {
             if (row.kind == Kind::hit)
                 return hitValue(row, [](const LyricsHit& hit) { return QVariant(qtText(hit.title)); });
             return trackValue(row, [](const Track& track) { return QVariant(qtText(track.title)); });
         }},
        {"artist",
         [this](const Row& row) {
             if (row.kind == Kind::hit)
                 return hitValue(row, [](const LyricsHit& hit) { return QVariant(qtText(hit.artist)); });
             return trackValue(row, [](const Track& track) { return QVariant(qtText(track.artist)); });
         }},
        {"album",
         [this](const Row& row) {
             return trackValue(row, [](const Track& track) { return QVariant(qtText(track.album)); });
         }},
        {"duration",
         [this](const Row& row) {
             return trackValue(row, [](const Track& track) { return QVariant(track.duration); });
         }},
        {"station",
         [this](const Row& row) {
             return trackValue(row,
                               [](const Track& track) { return QVariant(stationMap(track.asStation())); });
         }},
        {"track",
         [this](const Row& row) {
             return trackValue(row, [](const Track& t) { return QVariant(trackMap(t)); });
         }},
        {"snippet", hitRole("snippet")},
        {"hasTrack", hitRole("hasTrack")},
        {"coverURL", hitRole("coverURL")},
        {"coverSeed", hitRole("coverSeed")},
        {"heardStation", hitRole("heardStation")},
        {"heardLast", hitRole("heardLast")},
    };
}

ListModelBase* LyricsSearchQuery::rowList() const {
    return rowModel_.get();
}

ListModelBase* LyricsSearchQuery::hitList() const {
    return hitModel_.get();
}

void LyricsSearchQuery::musicReplaced() {
    if (MusicModel* model = music())
        followMusic(connect(model, &MusicModel::tracksChanged, this, [this] { trackListChanged(); }));
    pathIndex_.reset();
}

void LyricsSearchQuery::setQuery(const QString& query) {
    if (!storeProperty(this, query_, query, &LyricsSearchQuery::queryChanged))
        return;
    setReady(false);
    refresh();
}

void LyricsSearchQuery::setReady(bool ready) {
    storeProperty(this, ready_, ready, &LyricsSearchQuery::readyChanged);
}

std::vector<Track> LyricsSearchQuery::tracksFoundInMemory(const std::string& trimmedQuery) const {
    return trimmedQuery.empty() || !music() ? std::vector<Track>{} : music()->search(trimmedQuery);
}

void LyricsSearchQuery::refresh() {
    const std::string trimmed = ZazidEvoz::text::trimmedHorizontalWhitespace(query_.toStdString());
    auto database = this->database();
    if (trimmed.empty() || !database) {
        // Without a database the music model filters its own list in memory.
        dropReads();
        apply({tracksFoundInMemory(trimmed), {}});
        return;
    }
    read(
        [database, trimmed] {
            return Result{database->search(trimmed, trackLimit), database->searchLyrics(trimmed, hitLimit)};
        },
        [this](Result result) { apply(std::move(result)); });
}

void LyricsSearchQuery::apply(Result result) {
    tracks_ = std::move(result.tracks);
    hitModel_->reset(std::move(result.hits));
    std::vector<Row> rows;
    rows.reserve(tracks_.size() + hits_.size() + 2);
    if (!tracks_.empty())
        rows.push_back({Kind::tracksLabel, 0});
    for (std::size_t i = 0; i < tracks_.size(); ++i)
        rows.push_back({Kind::track, i});
    if (!hits_.empty())
        rows.push_back({Kind::lyricsLabel, 0});
    for (std::size_t i = 0; i < hits_.size(); ++i)
        rows.push_back({Kind::hit, i});
    // A reset would make the list build every row again and scroll back to the top, closing a
    // row's open menu, each time the results are read again (after every lyric the background
    // filler stores). Only the differing rows are announced; rows kept may show another track.
    rowModel_->assign(std::move(rows));
    if (!rows_.empty())
        Q_EMIT rowModel_->dataChanged(rowModel_->index(0), rowModel_->index(static_cast<int>(rows_.size()) - 1));
    Q_EMIT resultChanged();
    setReady(true);
}

void LyricsSearchQuery::trackListChanged() {
    pathIndex_.reset();
    // Without a database no revision announces tracks that came or went: the list itself does.
    // Only other tracks found rebuild the rows; a changed one (a new rating) keeps them.
    if (music() && !music()->database()) {
        auto found = tracksFoundInMemory(ZazidEvoz::text::trimmedHorizontalWhitespace(query_.toStdString()));
        const bool samePaths = std::equal(found.begin(), found.end(), tracks_.begin(), tracks_.end(),
                                          [](const Track& a, const Track& b) { return a.path == b.path; });
        if (!samePaths) {
            apply({std::move(found), {}});
            return;
        }
    }
    // Track rows show the library's version of their track (a new rating, a new cover); hits
    // may have gained or lost their library track.
    if (!hits_.empty())
        Q_EMIT hitModel_->dataChanged(hitModel_->index(0),
                                      hitModel_->index(static_cast<int>(hits_.size()) - 1));
    if (!rows_.empty())
        Q_EMIT rowModel_->dataChanged(rowModel_->index(0),
                                      rowModel_->index(static_cast<int>(rows_.size()) - 1));
}

const std::unordered_map<std::string, std::size_t>& LyricsSearchQuery::pathIndex() const {
    if (!pathIndex_) {
        pathIndex_.emplace();
        if (music()) {
            const auto& tracks = music()->tracks();
            pathIndex_->reserve(tracks.size());
            for (std::size_t row = 0; row < tracks.size(); ++row)
                pathIndex_->emplace(tracks[row].path, row); // the first row of a path wins
        }
    }
    return *pathIndex_;
}

const Track* LyricsSearchQuery::libraryTrackAt(const std::string& path) const {
    if (!music())
        return nullptr;
    const auto& index = pathIndex();
    auto found = index.find(path);
    if (found == index.end() || found->second >= music()->tracks().size())
        return nullptr;
    return &music()->tracks()[found->second];
}

const Track* LyricsSearchQuery::libraryTrack(const LyricsHit& hit) const {
    if (!hit.trackPath)
        return nullptr;
    return libraryTrackAt(*hit.trackPath);
}

void LyricsSearchQuery::playTrack(int row) {
    if (!music() || row < 0 || static_cast<std::size_t>(row) >= tracks_.size())
        return;
    std::vector<ZazidEvoz::Station> stations;
    stations.reserve(tracks_.size());
    for (std::size_t i = 0; i < tracks_.size(); ++i)
        stations.push_back(shownTrack(i).asStation());
    music()->playNow(stations, row);
}

QString LyricsSearchQuery::trackPath(int row) const {
    if (row < 0 || static_cast<std::size_t>(row) >= tracks_.size())
        return {};
    return qtText(tracks_[static_cast<std::size_t>(row)].path);
}

bool LyricsSearchQuery::playHit(int row) {
    if (!music() || row < 0 || static_cast<std::size_t>(row) >= hits_.size())
        return false;
    const Track* track = libraryTrack(hits_[static_cast<std::size_t>(row)]);
    if (!track)
        return false;
    music()->playNow({track->asStation()}, 0);
    return true;
}

QString LyricsSearchQuery::youtubeQuery(int row) const {
    if (row < 0 || static_cast<std::size_t>(row) >= hits_.size())
        return {};
    const auto& hit = hits_[static_cast<std::size_t>(row)];
    return qtText(lyricsview::youtubeQuery(hit.artist, hit.title));
}

} // namespace ZintraRadio
