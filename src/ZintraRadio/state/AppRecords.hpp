// The small records the application model holds: a toast, a song-log entry, one saved
// recording, the directory browser's scope and one download job.
#pragma once

#include "ZazidEvoz/catalogue/RadioBrowserClient.hpp"
#include "ZazidEvoz/catalogue/Station.hpp"
#include "ZazidEvoz/platform/Date.hpp"
#include "ZazidEvoz/youtube/YouTubeService.hpp"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QUuid>
#include <QVariant>
#include <QVariantMap>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <variant>

namespace ZintraRadio {

using ZazidEvoz::Station;
using ZazidEvoz::platform::Date;

struct Toast {
    enum class Style { info, success, warning, error };

    QUuid id = QUuid::createUuid(); // fresh for every toast: equal texts are still two toasts
    Style style = Style::info;
    std::string text;
    std::optional<std::filesystem::path> file; // a file the toast refers to
    std::string actionKey;                     // translation key of its button; empty for none

    // 6 s for errors, 4 s for the others.
    double lifetime() const { return style == Style::error ? 6.0 : 4.0; }
    friend bool operator==(const Toast&, const Toast&) = default;
};

// "info", "success", "warning", "error".
QString styleName(Toast::Style style);

struct SongLogEntry {
    Date date{};
    std::string title;
    std::string station; // empty when nothing was current
    friend bool operator==(const SongLogEntry&, const SongLogEntry&) = default;
};

struct RecordingFile {
    std::filesystem::path url; // the MP3 file; the identity
    Date created{};            // the distant past when unknown
    std::int64_t bytes = 0;    // 0 when unknown
    const std::filesystem::path& id() const { return url; }
    friend bool operator==(const RecordingFile&, const RecordingFile&) = default;
};

struct RecordingFileHash {
    std::size_t operator()(const RecordingFile& file) const;
};

// What the directory browser shows.
struct BrowseScope {
    struct Search {
        std::string text;
        friend bool operator==(const Search&, const Search&) = default;
    };
    struct Country {
        ZazidEvoz::StationCountry country;
        friend bool operator==(const Country&, const Country&) = default;
    };
    struct Tag {
        std::string name;
        friend bool operator==(const Tag&, const Tag&) = default;
    };
    struct Top {
        friend bool operator==(const Top&, const Top&) = default;
    };
    struct TopVoted {
        friend bool operator==(const TopVoted&, const TopVoted&) = default;
    };
    using Value = std::variant<Search, Country, Tag, Top, TopVoted>;

    Value value = Top{};

    static BrowseScope search(std::string text) { return {Search{std::move(text)}}; }
    static BrowseScope country(ZazidEvoz::StationCountry country) { return {Country{std::move(country)}}; }
    static BrowseScope tag(std::string name) { return {Tag{std::move(name)}}; }
    static BrowseScope top() { return {Top{}}; }
    static BrowseScope topVoted() { return {TopVoted{}}; }
    friend bool operator==(const BrowseScope&, const BrowseScope&) = default;
};

struct BrowseScopeHash {
    std::size_t operator()(const BrowseScope& scope) const;
};

// One download, observable by the views; main thread only.
class DownloadJob : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString id READ idText CONSTANT)
    Q_PROPERTY(QVariantMap item READ itemValue CONSTANT)
    // "mp3" or "video"; a video's stored quality text ("best", "p720", ...), else empty.
    Q_PROPERTY(QString kindName READ kindName CONSTANT)
    Q_PROPERTY(QString quality READ qualityText CONSTANT)
    Q_PROPERTY(QDateTime started READ startedValue CONSTANT)
    Q_PROPERTY(QString phaseName READ phaseName NOTIFY phaseChanged)
    // The finished file (null until done) and the failure's text (empty unless failed).
    Q_PROPERTY(QVariant file READ fileValue NOTIFY phaseChanged)
    Q_PROPERTY(QString failureText READ failureText NOTIFY phaseChanged)
    Q_PROPERTY(QVariant fraction READ fractionValue NOTIFY fractionChanged)
    Q_PROPERTY(QString speed READ speedText NOTIFY speedChanged)
    Q_PROPERTY(QString eta READ etaText NOTIFY etaChanged)
    Q_PROPERTY(bool withLyrics READ withLyrics WRITE setWithLyrics NOTIFY withLyricsChanged)
    Q_PROPERTY(QVariant lyricsEmbedded READ lyricsEmbeddedValue NOTIFY lyricsEmbeddedChanged)

public:
    struct Video {
        ZazidEvoz::VideoQuality quality = ZazidEvoz::VideoQuality::best;
        friend bool operator==(const Video&, const Video&) = default;
    };
    struct MP3 {
        friend bool operator==(const MP3&, const MP3&) = default;
    };
    using Kind = std::variant<Video, MP3>;

    struct Done {
        std::filesystem::path file;
        friend bool operator==(const Done&, const Done&) = default;
    };
    struct Failed {
        std::string message;
        friend bool operator==(const Failed&, const Failed&) = default;
    };
    struct Running {
        friend bool operator==(const Running&, const Running&) = default;
    };
    struct Converting {
        friend bool operator==(const Converting&, const Converting&) = default;
    };
    struct Cancelled {
        friend bool operator==(const Cancelled&, const Cancelled&) = default;
    };
    using Phase = std::variant<Done, Failed, Running, Converting, Cancelled>;

    DownloadJob(Station item, Kind kind, Date started, QObject* parent = nullptr);

    const QUuid& id() const { return id_; }
    const Station& item() const { return item_; }
    const Kind& kind() const { return kind_; }
    Date started() const { return started_; }
    ZazidEvoz::CancelToken& token() { return *token_; }
    std::shared_ptr<ZazidEvoz::CancelToken> sharedToken() const { return token_; }

    const Phase& phase() const { return phase_; }
    void setPhase(Phase phase);
    // running or converting.
    bool isActive() const;
    const std::optional<double>& fraction() const { return fraction_; }
    void setFraction(std::optional<double> fraction);
    const std::string& speed() const { return speed_; }
    void setSpeed(std::string speed);
    const std::string& eta() const { return eta_; }
    void setEta(std::string eta);
    bool withLyrics() const { return withLyrics_; }
    void setWithLyrics(bool withLyrics);
    const std::optional<bool>& lyricsEmbedded() const { return lyricsEmbedded_; }
    void setLyricsEmbedded(std::optional<bool> embedded);
    // Stops the running download; the job then ends as cancelled.
    Q_INVOKABLE void cancel() { token_->cancel(); }

    // For the views.
    QString idText() const { return id_.toString(QUuid::WithoutBraces); }
    QVariantMap itemValue() const;
    QString kindName() const;
    QString qualityText() const;
    QDateTime startedValue() const;
    QVariant fileValue() const;
    QString failureText() const;
    // "done", "failed", "running", "converting", "cancelled".
    QString phaseName() const;
    QVariant fractionValue() const;
    QString speedText() const { return QString::fromStdString(speed_); }
    QString etaText() const { return QString::fromStdString(eta_); }
    QVariant lyricsEmbeddedValue() const;

Q_SIGNALS:
    void phaseChanged();
    void fractionChanged();
    void speedChanged();
    void etaChanged();
    void withLyricsChanged();
    void lyricsEmbeddedChanged();

private:
    const QUuid id_ = QUuid::createUuid();
    const Station item_;
    const Kind kind_;
    const Date started_;
    Phase phase_ = Running{};
    std::optional<double> fraction_;
    std::string speed_;
    std::string eta_;
    bool withLyrics_ = true;
    std::optional<bool> lyricsEmbedded_;
    const std::shared_ptr<ZazidEvoz::CancelToken> token_ = std::make_shared<ZazidEvoz::CancelToken>();
};

} // namespace ZintraRadio
