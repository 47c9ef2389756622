#include "deck/DeckQueries.hpp"

#include "ZazidEvoz/platform/FileURL.hpp"
#include "deck/DiscoverRules.hpp"
#include "lyrics/LyricHitRoles.hpp"
#include "state/MusicModel.hpp"
#include "state/Observable.hpp"
#include "state/QtValues.hpp"


namespace ZintraRadio {

using LyricsHit = ZazidEvoz::MusicDatabase::LyricsHit;

LyricHitsQuery::LyricHitsQuery(QObject* parent) : MusicQuery(parent, "ZR lyric hits") {
    hitModel_ = std::make_unique<VectorListModel<LyricsHit>>(
        &hits_, lyricHitRoles([this](const LyricsHit& hit) { return trackOf(hit); }, HitSeed::title));
}

LyricHitsQuery::~LyricHitsQuery() = default;

void LyricHitsQuery::musicReplaced() {
    if (MusicModel* model = music())
        followMusic(connect(model, &MusicModel::tracksChanged, this, &LyricHitsQuery::tracksChanged));
}

void LyricHitsQuery::setReady(bool ready) {
    storeProperty(this, ready_, ready, &LyricHitsQuery::readyChanged);
}

void LyricHitsQuery::tracksChanged() {
    for (int row = 0; row < count(); ++row)
        hitModel_->rowChanged(row);
}

void LyricHitsQuery::setQuery(const QString& query) {
    if (storeProperty(this, query_, query, &LyricHitsQuery::queryChanged))
        refresh();
}

std::optional<ZazidEvoz::Track> LyricHitsQuery::trackOf(const LyricsHit& hit) const {
    if (!hit.trackPath || music() == nullptr)
        return std::nullopt;
    // The model's lookup by link reads its path index, not every track of a large library.
    return music()->track(ZazidEvoz::platform::fileURLFromPath(*hit.trackPath));
}

std::optional<ZazidEvoz::Track> LyricHitsQuery::libraryTrack(int row) const {
    if (row < 0 || row >= count())
        return std::nullopt;
    return trackOf(hits_[static_cast<std::size_t>(row)]);
}

bool LyricHitsQuery::playTrack(int row) const {
    const auto track = libraryTrack(row);
    if (!track)
        return false;
    music()->playNow({track->asStation()}, 0);
    return true;
}

QString LyricHitsQuery::youtubeQuery(int row) const {
    if (row < 0 || row >= count())
        return {};
    const auto& hit = hits_[static_cast<std::size_t>(row)];
    return qtText(hit.artist + " " + hit.title);
}

void LyricHitsQuery::refresh() {
    const std::string query = stdText(query_);
    const auto database = this->database();
    if (query.empty() || !database) {
        dropReads();
        apply({});
        setReady(true);
        return;
    }
    setReady(false);
    read(
        [database, query] {
            auto hits = database->searchLyrics(query, static_cast<std::int64_t>(discoverLyricSearchLimit));
            if (hits.size() > discoverLyricHits)
                hits.resize(discoverLyricHits);
            return hits;
        },
        [this](std::vector<LyricsHit> hits) {
            apply(std::move(hits));
            setReady(true);
        });
}

void LyricHitsQuery::readFailed() {
    setReady(true);
}

void LyricHitsQuery::apply(std::vector<LyricsHit> hits) {
    const int before = count();
    hitModel_->assign(std::move(hits));
    if (count() != before)
        Q_EMIT countChanged();
}

} // namespace ZintraRadio
