#include "deck/DeckQueries.hpp"

#include "ZazidEvoz/platform/FileURL.hpp"
#include "deck/DiscoverRules.hpp"
#include "lyrics/LyricHitRoles.hpp"
#include "state/MusicModel.hpp"
#include "state/QtValues.hpp"


namespace ZintraRadio {

using LyricsHit = ZazidEvoz::MusicDatabase::LyricsHit;

LyricHitsQuery::LyricHitsQuery(QObject* parent) : QObject(parent) {
    hitModel_ = std::make_unique<VectorListModel<LyricsHit>>(
        &hits_, lyricHitRoles([this](const LyricsHit& hit) { return trackOf(hit); }, HitSeed::title));
}

LyricHitsQuery::~LyricHitsQuery() = default;

QObject* LyricHitsQuery::musicObject() const {
    return music_.get();
}

void LyricHitsQuery::setMusic(QObject* music) {
    if (!music_.replace(music))
        return;
    if (MusicModel* model = music_.get()) {
        music_.follow(connect(model, &MusicModel::databaseRevisionChanged, this, &LyricHitsQuery::refresh));
        music_.follow(connect(model, &MusicModel::tracksChanged, this, &LyricHitsQuery::tracksChanged));
    }
    Q_EMIT musicChanged();
    refresh();
}

void LyricHitsQuery::setReady(bool ready) {
    if (ready == ready_)
        return;
    ready_ = ready;
    Q_EMIT readyChanged();
}

void LyricHitsQuery::tracksChanged() {
    for (int row = 0; row < count(); ++row)
        hitModel_->rowChanged(row);
}

void LyricHitsQuery::setQuery(const QString& query) {
    if (query == query_)
        return;
    query_ = query;
    Q_EMIT queryChanged();
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
    task_.cancel();
    const std::string query = stdText(query_);
    const auto database = music() ? music()->database() : nullptr;
    if (query.empty() || !database) {
        apply({});
        setReady(true);
        return;
    }
    setReady(false);
    task_ = TaskRunner::run(
        this, "ZR lyric hits",
        [database, query](std::stop_token) {
            auto hits = database->searchLyrics(query, static_cast<std::int64_t>(discoverLyricSearchLimit));
            if (hits.size() > discoverLyricHits)
                hits.resize(discoverLyricHits);
            return hits;
        },
        [this](Outcome<std::vector<LyricsHit>> outcome) {
            if (outcome.value)
                apply(std::move(*outcome.value));
            setReady(true);
        });
}

void LyricHitsQuery::apply(std::vector<LyricsHit> hits) {
    const int before = count();
    hitModel_->assign(std::move(hits));
    if (count() != before)
        Q_EMIT countChanged();
}

} // namespace ZintraRadio
