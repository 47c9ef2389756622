// clang-format off
// Before any Qt header: Qt's "emit" keyword macro would swallow the engine's emit member.
#include "ZazidEvoz/playback/AudioEngine.hpp"
// clang-format on

#include "state/LyricsModel.hpp"

#include "ZazidEvoz/music/MusicDatabase.hpp"
#include "ZazidEvoz/platform/Regex.hpp"
#include "ZazidEvoz/platform/Text.hpp"
#include "ZazidEvoz/playback/StreamMetadata.hpp"
#include "state/Observable.hpp"

#include <algorithm>
#include <chrono>

namespace ZintraRadio {

using ZazidEvoz::MusicDatabase;
using ZazidEvoz::SongLyrics;

namespace {

constexpr double lastLineSpan = 4.0;
constexpr double shortestSpan = 0.5;
constexpr const char* lookupSource = "LRCLIB";

double secondsBetween(Date from, Date to) {
    return std::chrono::duration<double>(to - from).count();
}

} // namespace

LyricsModel::LyricsModel(std::shared_ptr<Scheduler> scheduler, std::optional<std::string> lookupBaseURL,
                         QObject* parent)
    : QObject(parent), scheduler_(scheduler ? std::move(scheduler) : Scheduler::system()),
      service_(std::make_shared<ZazidEvoz::LyricsService>(lookupBaseURL)),
      lookupBaseURL_(std::move(lookupBaseURL)) {}

LyricsModel::~LyricsModel() {
    lookupTask_.cancel();
}

std::string LyricsModel::cleanedItemTitle(std::string_view title) {
    static const ZazidEvoz::Regex remarks(
        R"(\s*[\(\[][^\)\]]*(official|video|audio|lyric|hd|4k|visuali[sz]er|music)[^\)\]]*[\)\]])",
        static_cast<int>(ZazidEvoz::Regex::Option::CaseInsensitive));
    static const ZazidEvoz::Regex channelTail(R"(\s*\|.*$)",
                                              static_cast<int>(ZazidEvoz::Regex::Option::CaseInsensitive));
    auto cleaned = remarks.replaceAll(title, "");
    cleaned = channelTail.replaceAll(cleaned, "");
    return ZazidEvoz::text::trimmedHorizontalWhitespace(cleaned);
}

void LyricsModel::songChanged(const std::string& title, bool isRadio) {
    if (songTitle_ && *songTitle_ == title)
        return;
    storeProperty(this, songTitle_, std::optional<std::string>(title), &LyricsModel::songTitleChanged);
    storeProperty(this, usesEnginePosition_, !isRadio, &LyricsModel::usesEnginePositionChanged);
    const Date now = scheduler_->date();
    const Date start = isRadio ? now - std::chrono::duration<double>(radioTitleDelay) : now;
    storeProperty(this, songStart_, std::optional<Date>(start), &LyricsModel::songStartChanged);
    setOffset(0);
    setLyrics(std::nullopt);
    setLyricsState(LyricsState::loading());
    lookupTask_.cancel();

    const std::string query = isRadio ? title : cleanedItemTitle(title);
    std::optional<Pair> pair;
    auto split = ZazidEvoz::StreamMetadataParser::splitArtistTitle(query);
    if (split.artist)
        pair = Pair{*split.artist, split.title};

    if (isRadio && pair) {
        if (database_) {
            // A write on the database's queue may wait behind a long sync transaction: it runs
            // on a worker, and the views hear of it once it is stored.
            TaskRunner::run(
                this, "ZR mark heard",
                [database = database_, pair = *pair, station = stationName_](std::stop_token) {
                    database->markHeard(pair.artist, pair.title, station);
                },
                [this](Outcome<std::monostate>) { announceDatabaseWrite(); });
        } else {
            announceDatabaseWrite();
        }
    }

    struct Answer {
        std::optional<SongLyrics> lyrics;
        bool stored = false; // from the database: nothing to save again
    };
    auto database = pair ? database_ : nullptr;
    lookupTask_ = TaskRunner::run(
        this, "ZR lyrics",
        [service = service_, database, pair, query](std::stop_token stop) {
            if (database && pair) {
                auto stored = database->storedLyrics(pair->artist, pair->title);
                // A recorded miss still asks the web: the song is playing now.
                if (stored.kind == MusicDatabase::LyricsLookup::Kind::found)
                    return Answer{std::move(stored.lyrics), true};
            }
            return Answer{service->lyricsForStreamTitle(query, stop), false};
        },
        [this, title, pair](Outcome<Answer> outcome) {
            if (!songTitle_ || *songTitle_ != title)
                return; // an answer for a song that is no longer current
            if (!outcome.ok()) {
                if (!isCancellation(outcome.error))
                    setLyricsState(LyricsState::failed(outcome.errorText()));
                return;
            }
            auto answer = std::move(*outcome.value);
            const bool found = answer.lyrics.has_value();
            setLyrics(answer.lyrics);
            setLyricsState(found ? LyricsState::found() : LyricsState::notFound());
            if (!answer.stored && pair)
                saveResult(*pair, answer.lyrics);
        });
}

void LyricsModel::saveResult(const Pair& pair, const std::optional<SongLyrics>& lyrics) {
    if (!database_) {
        announceDatabaseWrite();
        return;
    }
    TaskRunner::run(
        this, "ZR lyrics save",
        [database = database_, pair, lyrics](std::stop_token) {
            database->saveLyrics(pair.artist, pair.title, lyrics, lookupSource);
        },
        [this](Outcome<std::monostate>) { announceDatabaseWrite(); });
}

void LyricsModel::announceDatabaseWrite() {
    if (onDatabaseChange_)
        onDatabaseChange_();
}

void LyricsModel::reset() {
    lookupTask_.cancel();
    storeProperty(this, songTitle_, std::optional<std::string>(), &LyricsModel::songTitleChanged);
    storeProperty(this, songStart_, std::optional<Date>(), &LyricsModel::songStartChanged);
    setLyrics(std::nullopt);
    setLyricsState(LyricsState::idle());
    setOffset(0);
}

void LyricsModel::setLyrics(std::optional<SongLyrics> lyrics) {
    storeProperty(this, lyrics_, std::move(lyrics), &LyricsModel::lyricsChanged);
}

void LyricsModel::setLyricsState(LyricsState state) {
    const bool hadLyrics = hasLyrics();
    storeProperty(this, lyricsState_, std::move(state), &LyricsModel::lyricsStateChanged);
    // hasLyrics is announced with the lyrics; the state alone can change it too.
    if (hadLyrics != hasLyrics())
        Q_EMIT lyricsChanged();
}

std::optional<double> LyricsModel::position(Date now) const {
    if (externalPosition_) {
        auto base = externalPosition_();
        if (!base)
            return std::nullopt;
        return *base + offset_;
    }
    if (usesEnginePosition_)
        if (auto engine = engine_.lock())
            return engine->elapsed() + offset_;
    if (songStart_)
        return secondsBetween(*songStart_, now) + offset_;
    return std::nullopt;
}

double LyricsModel::lineProgress(Date now) const {
    if (!lyrics_ || !lyrics_->hasSynced())
        return 0;
    auto position = this->position(now);
    if (!position)
        return 0;
    auto index = lyrics_->lineIndex(*position);
    if (!index)
        return 0;
    const auto& lines = lyrics_->synced;
    const auto i = static_cast<std::size_t>(*index);
    const double start = lines[i].time;
    const double end = i + 1 < lines.size() ? lines[i + 1].time : start + lastLineSpan;
    const double span = end - start;
    const double progress =
        span >= shortestSpan ? (*position - start) / span : (*position - start) / shortestSpan;
    return std::clamp(progress, 0.0, 1.0);
}

bool LyricsModel::hasLyrics() const {
    return lyricsState_.kind == LyricsState::Kind::found && lyrics_ && !lyrics_->instrumental &&
           (lyrics_->hasSynced() || !ZazidEvoz::text::trimmedWhitespace(lyrics_->plain).empty());
}

void LyricsModel::setOffset(double offset) {
    storeProperty(this, offset_, offset, &LyricsModel::offsetChanged);
}

void LyricsModel::setStationName(std::string name) {
    storeProperty(this, stationName_, std::move(name), &LyricsModel::stationNameChanged);
}

void LyricsModel::setDatabase(std::shared_ptr<MusicDatabase> database) {
    database_ = std::move(database);
    Q_EMIT databaseChanged();
}

void LyricsModel::setOnDatabaseChange(std::function<void()> action) {
    onDatabaseChange_ = std::move(action);
}

void LyricsModel::setEngine(std::weak_ptr<ZazidEvoz::AudioEngine> engine) {
    engine_ = std::move(engine);
    Q_EMIT engineChanged();
}

void LyricsModel::setExternalPosition(std::function<std::optional<double>()> position) {
    externalPosition_ = std::move(position);
    Q_EMIT externalPositionChanged();
}

QString LyricsModel::lyricsStateName() const {
    switch (lyricsState_.kind) {
    case LyricsState::Kind::failed:
        return QStringLiteral("failed");
    case LyricsState::Kind::idle:
        return QStringLiteral("idle");
    case LyricsState::Kind::loading:
        return QStringLiteral("loading");
    case LyricsState::Kind::found:
        return QStringLiteral("found");
    case LyricsState::Kind::notFound:
        return QStringLiteral("notFound");
    }
    return QStringLiteral("idle");
}

QString LyricsModel::failureText() const {
    return lyricsState_.kind == LyricsState::Kind::failed ? QString::fromStdString(lyricsState_.message)
                                                          : QString();
}

QVariant LyricsModel::songTitleValue() const {
    return songTitle_ ? QVariant(QString::fromStdString(*songTitle_)) : QVariant();
}

} // namespace ZintraRadio
