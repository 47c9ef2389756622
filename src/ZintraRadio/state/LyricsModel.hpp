// The lyrics of the song that plays now and where their lookup stands: found in the music
// database or through the model's own lookup service, with heard radio songs and every web
// result recorded, and a song clock against which the views follow synced lines.
#pragma once

#include "ZazidEvoz/lyrics/LyricsService.hpp"
#include "state/Scheduler.hpp"
#include "state/Tasks.hpp"

#include <QObject>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace ZazidEvoz {
class AudioEngine;
class MusicDatabase;
} // namespace ZazidEvoz

namespace ZintraRadio {

class LyricsModel : public QObject {
    Q_OBJECT
    // For the views: the state's name ("failed", "idle", "loading", "found", "notFound").
    Q_PROPERTY(QString lyricsStateName READ lyricsStateName NOTIFY lyricsStateChanged)
    Q_PROPERTY(QString failureText READ failureText NOTIFY lyricsStateChanged)
    Q_PROPERTY(QVariant songTitle READ songTitleValue NOTIFY songTitleChanged)
    Q_PROPERTY(double offset READ offset WRITE setOffset NOTIFY offsetChanged)
    Q_PROPERTY(QString stationName READ stationNameText NOTIFY stationNameChanged)
    Q_PROPERTY(bool hasLyrics READ hasLyrics NOTIFY lyricsChanged)

public:
    struct LyricsState {
        enum class Kind { failed, idle, loading, found, notFound };
        Kind kind = Kind::idle;
        std::string message; // the failure text
        static LyricsState failed(std::string text) { return {Kind::failed, std::move(text)}; }
        static LyricsState idle() { return {Kind::idle, {}}; }
        static LyricsState loading() { return {Kind::loading, {}}; }
        static LyricsState found() { return {Kind::found, {}}; }
        static LyricsState notFound() { return {Kind::notFound, {}}; }
        friend bool operator==(const LyricsState&, const LyricsState&) = default;
    };

    static constexpr double radioTitleDelay = 3.0;

    // `scheduler` gives the dates of song starts; `lookupBaseURL` is the lyrics service's
    // address (none: ZINTRARADIO_LYRICS_API, else the public service).
    explicit LyricsModel(std::shared_ptr<Scheduler> scheduler = Scheduler::system(),
                         std::optional<std::string> lookupBaseURL = std::nullopt, QObject* parent = nullptr);
    ~LyricsModel() override;

    // A new title from the stream, the title poller or (isRadio false) a starting item.
    void songChanged(const std::string& title, bool isRadio);
    Q_INVOKABLE void reset();
    // Song position in seconds including the offset; none without a clock.
    std::optional<double> position(Date now) const;
    // How far playback has moved through the current synced line, 0...1.
    double lineProgress(Date now) const;
    bool hasLyrics() const;

    const std::optional<ZazidEvoz::SongLyrics>& lyrics() const { return lyrics_; }
    const LyricsState& lyricsState() const { return lyricsState_; }
    const std::optional<std::string>& songTitle() const { return songTitle_; }
    const std::optional<Date>& songStart() const { return songStart_; }
    double offset() const { return offset_; }
    void setOffset(double offset);
    const std::string& stationName() const { return stationName_; }
    void setStationName(std::string name);
    bool usesEnginePosition() const { return usesEnginePosition_; }

    // Attached by the application model.
    void setDatabase(std::shared_ptr<ZazidEvoz::MusicDatabase> database);
    const std::shared_ptr<ZazidEvoz::MusicDatabase>& database() const { return database_; }
    void setOnDatabaseChange(std::function<void()> action);
    // Held weakly: the elapsed time of the current play.
    void setEngine(std::weak_ptr<ZazidEvoz::AudioEngine> engine);
    // The clock of a watched video; none while the player knows no time.
    void setExternalPosition(std::function<std::optional<double>()> position);

    // A video's or file's name as a lookup text: bracketed "official video" style remarks and
    // a "| channel" tail removed, blanks trimmed.
    static std::string cleanedItemTitle(std::string_view title);

    QString lyricsStateName() const;
    QString failureText() const;
    QVariant songTitleValue() const;
    QString stationNameText() const { return QString::fromStdString(stationName_); }

Q_SIGNALS:
    void lyricsChanged();
    void lyricsStateChanged();
    void songTitleChanged();
    void songStartChanged();
    void offsetChanged();
    void stationNameChanged();
    void usesEnginePositionChanged();
    void databaseChanged();
    void engineChanged();
    void externalPositionChanged();

private:
    struct Pair {
        std::string artist;
        std::string title;
    };
    void setLyrics(std::optional<ZazidEvoz::SongLyrics> lyrics);
    void setLyricsState(LyricsState state);
    void announceDatabaseWrite();
    void saveResult(const Pair& pair, const std::optional<ZazidEvoz::SongLyrics>& lyrics);

    std::shared_ptr<Scheduler> scheduler_;
    std::shared_ptr<ZazidEvoz::LyricsService> service_;
    std::optional<std::string> lookupBaseURL_;
    std::optional<ZazidEvoz::SongLyrics> lyrics_;
    LyricsState lyricsState_;
    std::optional<std::string> songTitle_;
    std::optional<Date> songStart_;
    double offset_ = 0;
    std::shared_ptr<ZazidEvoz::MusicDatabase> database_;
    std::function<void()> onDatabaseChange_;
    std::string stationName_;
    TaskHandle lookupTask_;
    std::weak_ptr<ZazidEvoz::AudioEngine> engine_;
    bool usesEnginePosition_ = false;
    std::function<std::optional<double>()> externalPosition_;
};

} // namespace ZintraRadio
