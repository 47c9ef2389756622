#include "state/AppRecords.hpp"

#include "ZazidEvoz/platform/Hash.hpp"
#include "state/Observable.hpp"
#include "state/QtValues.hpp"

#include <functional>

namespace ZintraRadio {

QString styleName(Toast::Style style) {
    switch (style) {
    case Toast::Style::info:
        return QStringLiteral("info");
    case Toast::Style::success:
        return QStringLiteral("success");
    case Toast::Style::warning:
        return QStringLiteral("warning");
    case Toast::Style::error:
        return QStringLiteral("error");
    }
    return QStringLiteral("info");
}

std::size_t RecordingFileHash::operator()(const RecordingFile& file) const {
    return ZazidEvoz::platform::hashValues(file.url.string(), file.created.time_since_epoch().count(),
                                           file.bytes);
}

std::size_t BrowseScopeHash::operator()(const BrowseScope& scope) const {
    std::size_t seed = std::hash<std::size_t>{}(scope.value.index());
    std::visit(
        [&seed](const auto& value) {
            using T = std::decay_t<decltype(value)>;
            if constexpr (std::is_same_v<T, BrowseScope::Search>)
                ZazidEvoz::platform::hashCombine(seed, std::hash<std::string>{}(value.text));
            else if constexpr (std::is_same_v<T, BrowseScope::Country>)
                ZazidEvoz::platform::hashCombine(seed, ZazidEvoz::StationCountryHash{}(value.country));
            else if constexpr (std::is_same_v<T, BrowseScope::Tag>)
                ZazidEvoz::platform::hashCombine(seed, std::hash<std::string>{}(value.name));
        },
        scope.value);
    return seed;
}

DownloadJob::DownloadJob(Station item, Kind kind, Date started, QObject* parent)
    : QObject(parent), item_(std::move(item)), kind_(kind), started_(started) {}

void DownloadJob::setPhase(Phase phase) {
    storeProperty(this, phase_, std::move(phase), &DownloadJob::phaseChanged);
}

bool DownloadJob::isActive() const {
    return std::holds_alternative<Running>(phase_) || std::holds_alternative<Converting>(phase_);
}

void DownloadJob::setFraction(std::optional<double> fraction) {
    storeProperty(this, fraction_, fraction, &DownloadJob::fractionChanged);
}

void DownloadJob::setSpeed(std::string speed) {
    storeProperty(this, speed_, std::move(speed), &DownloadJob::speedChanged);
}

void DownloadJob::setEta(std::string eta) {
    storeProperty(this, eta_, std::move(eta), &DownloadJob::etaChanged);
}

void DownloadJob::setWithLyrics(bool withLyrics) {
    storeProperty(this, withLyrics_, withLyrics, &DownloadJob::withLyricsChanged);
}

void DownloadJob::setLyricsEmbedded(std::optional<bool> embedded) {
    storeProperty(this, lyricsEmbedded_, embedded, &DownloadJob::lyricsEmbeddedChanged);
}

QString DownloadJob::phaseName() const {
    static const char* const names[] = {"done", "failed", "running", "converting", "cancelled"};
    return QString::fromLatin1(names[phase_.index()]);
}

QVariant DownloadJob::fractionValue() const {
    return fraction_ ? QVariant(*fraction_) : QVariant();
}

QVariantMap DownloadJob::itemValue() const {
    return stationMap(item_);
}

QString DownloadJob::kindName() const {
    return std::holds_alternative<Video>(kind_) ? QStringLiteral("video") : QStringLiteral("mp3");
}

QString DownloadJob::qualityText() const {
    const auto* video = std::get_if<Video>(&kind_);
    return video ? qtText(std::string(ZazidEvoz::rawValue(video->quality))) : QString();
}

QDateTime DownloadJob::startedValue() const {
    return qtDate(started_);
}

QVariant DownloadJob::fileValue() const {
    const auto* done = std::get_if<Done>(&phase_);
    return done ? QVariant(QString::fromStdString(done->file.string())) : QVariant();
}

QString DownloadJob::failureText() const {
    const auto* failed = std::get_if<Failed>(&phase_);
    return failed ? qtText(failed->message) : QString();
}

QVariant DownloadJob::lyricsEmbeddedValue() const {
    return lyricsEmbedded_ ? QVariant(*lyricsEmbedded_) : QVariant();
}

} // namespace ZintraRadio
