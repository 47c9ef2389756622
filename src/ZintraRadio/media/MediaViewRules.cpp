#include "media/MediaViewRules.hpp"

#include "ZazidEvoz/youtube/YouTubeService.hpp"
#include "deck/DeckRules.hpp"
#include "kit/ShownText.hpp"
#include "media/MediaRules.hpp"
#include "state/QtValues.hpp"
#include "state/TestHooks.hpp"

#include <QLocale>
#include <QQmlEngine>
#include <QTimeZone>
#include <filesystem>

namespace ZintraRadio {

namespace {

using namespace media;

// The URL of a station map, none for null.
std::optional<std::string> urlOf(const QVariant& station) {
    if (!station.isValid() || station.isNull())
        return std::nullopt;
    return stdText(station.toMap().value(QStringLiteral("url")).toString());
}

std::optional<double> optionalNumber(const QVariant& value) {
    if (!value.isValid() || value.isNull())
        return std::nullopt;
    bool ok = false;
    const double number = value.toDouble(&ok);
    return ok ? std::optional<double>(number) : std::nullopt;
}

std::optional<bool> optionalFlag(const QVariant& value) {
    if (!value.isValid() || value.isNull())
        return std::nullopt;
    return value.toBool();
}

JobPhase phaseNamed(const QString& name) {
    return jobPhaseNamed(stdText(name)).value_or(JobPhase::running);
}

QString styleName(BarStyle style) {
    switch (style) {
    case BarStyle::spectrum:
        return QStringLiteral("spectrum");
    case BarStyle::mint:
        return QStringLiteral("mint");
    case BarStyle::red:
        return QStringLiteral("red");
    case BarStyle::dim:
        break;
    }
    return QStringLiteral("dim");
}

QString tintName(LyricsBadge::Tint tint) {
    switch (tint) {
    case LyricsBadge::Tint::faint:
        return QStringLiteral("faint");
    case LyricsBadge::Tint::mint:
        return QStringLiteral("mint");
    case LyricsBadge::Tint::fainter:
        break;
    }
    return QStringLiteral("fainter");
}

} // namespace

MediaViewRules* MediaViewRules::create(QQmlEngine*, QJSEngine*) {
    static MediaViewRules* rules = new MediaViewRules();
    QQmlEngine::setObjectOwnership(rules, QQmlEngine::CppOwnership);
    return rules;
}

bool MediaViewRules::cardIsCurrent(const QString& url, const QVariant& current, bool active,
                                   const QVariant& videoItem) const {
    return media::cardIsCurrent(stdText(url), urlOf(current), active, urlOf(videoItem));
}

QVariantMap MediaViewRules::durationBadge(qint64 seconds) const {
    const DurationBadge badge = media::durationBadge(seconds);
    return {{QStringLiteral("live"), badge.live},
            {QStringLiteral("text"), badge.live ? qtTrId("deck.live") : qtText(badge.clock)}};
}

QVariantMap MediaViewRules::favoriteStar(bool favorite, bool hovering) const {
    const auto star = media::favoriteStar(favorite, hovering);
    if (!star)
        return {{QStringLiteral("shown"), false}};
    return {{QStringLiteral("shown"), true},
            {QStringLiteral("symbol"), qtText(star->symbol)},
            {QStringLiteral("helpKey"), qtText(star->helpKey)},
            {QStringLiteral("amber"), star->amber}};
}

QString MediaViewRules::resultsState(bool loading, const QVariant& error, int results) const {
    const bool hasError = error.isValid() && !error.isNull();
    switch (media::resultsState(loading, hasError, static_cast<std::size_t>(std::max(0, results)))) {
    case ResultsState::loading:
        return QStringLiteral("loading");
    case ResultsState::error:
        return QStringLiteral("error");
    case ResultsState::results:
        return QStringLiteral("results");
    case ResultsState::empty:
        break;
    }
    return QStringLiteral("empty");
}

QVariant MediaViewRules::submittedQuery(const QString& text) const {
    const auto query = media::submittedQuery(stdText(text));
    return query ? QVariant(qtText(*query)) : QVariant();
}

QString MediaViewRules::youtubeHook() const {
    return qtText(TestHooks::value("YOUTUBE").value_or(std::string()));
}

QVariantList MediaViewRules::qualities() const {
    QVariantList list;
    for (const auto quality : ZazidEvoz::allVideoQualities()) {
        const QString text = quality == ZazidEvoz::VideoQuality::best
                                 ? qtTrId("youtube.qualityBest")
                                 : qtText(std::string(ZazidEvoz::label(quality)));
        list.append(QVariantMap{{QStringLiteral("id"), qtText(std::string(ZazidEvoz::rawValue(quality)))},
                                {QStringLiteral("text"), text}});
    }
    return list;
}

QString MediaViewRules::downloadStatus(const QString& phase, const QVariant& fraction, const QString& speed,
                                       const QString& eta, const QString& failure,
                                       const QVariant& file) const {
    JobView job;
    job.phase = phaseNamed(phase);
    job.fraction = optionalNumber(fraction);
    job.speed = stdText(speed);
    job.eta = stdText(eta);
    job.failure = stdText(failure);
    if (file.isValid() && !file.isNull())
        job.fileName = std::filesystem::path(stdText(file.toString())).filename().string();
    QStringList parts;
    for (const ShownText& part : statusParts(job))
        parts.append(shownText(part));
    return parts.join(QString::fromUtf8(separator.data(), static_cast<qsizetype>(separator.size())));
}

QVariantMap MediaViewRules::downloadBar(const QString& phase, const QVariant& fraction,
                                        double trackWidth) const {
    const JobPhase named = phaseNamed(phase);
    const BarLook look = barLook(named, optionalNumber(fraction), trackWidth);
    return {{QStringLiteral("sweep"), look.sweep},
            {QStringLiteral("width"), look.width},
            {QStringLiteral("shadowOpacity"), look.shadowOpacity},
            {QStringLiteral("style"), styleName(barStyle(named))}};
}

QVariantMap MediaViewRules::sweep(double t, double trackWidth) const {
    const Segment segment = sweepSegment(t, trackWidth);
    return {{QStringLiteral("x"), segment.x}, {QStringLiteral("width"), segment.width}};
}

QString MediaViewRules::trailingButton(const QString& phase) const {
    switch (media::trailingButton(phaseNamed(phase))) {
    case TrailingButton::cancel:
        return QStringLiteral("cancel");
    case TrailingButton::reveal:
        return QStringLiteral("reveal");
    case TrailingButton::none:
        break;
    }
    return {};
}

QVariantMap MediaViewRules::lyricsBadge(bool withLyrics, const QVariant& lyricsEmbedded) const {
    const auto badge = media::lyricsBadge(withLyrics, optionalFlag(lyricsEmbedded));
    if (!badge)
        return {{QStringLiteral("shown"), false}};
    return {{QStringLiteral("shown"), true},
            {QStringLiteral("symbol"), qtText(badge->symbol)},
            {QStringLiteral("helpKey"), qtText(badge->helpKey)},
            {QStringLiteral("tint"), tintName(badge->tint)}};
}

double MediaViewRules::jobListHeight(int jobs) const {
    return media::jobListHeight(static_cast<std::size_t>(std::max(0, jobs)));
}

bool MediaViewRules::recordingIsCurrent(const QString& path, const QVariant& current, bool active) const {
    return media::recordingIsCurrent(stdText(path), urlOf(current), active);
}

QString MediaViewRules::recordingClick(bool current) const {
    return media::recordingClick(current) == RowClick::togglePlayPause ? QStringLiteral("toggle")
                                                                       : QStringLiteral("play");
}

QString MediaViewRules::recordingBadge(bool current, bool hovered) const {
    return qtText(recordingBadgeSymbol(current, hovered));
}

QString MediaViewRules::recordingDetails(const QVariant& created, qint64 bytes) const {
    return media::recordingDetails(created.toDateTime(), bytes, QLocale(), QTimeZone::systemTimeZone());
}

QVariantMap MediaViewRules::recorder(bool recording, bool split) const {
    const RecorderLook look = recorderLook(recording, split);
    return {{QStringLiteral("status"), qtTrId(look.statusKey.c_str())},
            {QStringLiteral("red"), look.red},
            {QStringLiteral("split"), qtTrId(look.splitKey.c_str())}};
}

} // namespace ZintraRadio
