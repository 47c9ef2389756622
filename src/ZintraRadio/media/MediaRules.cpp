#include "media/MediaRules.hpp"

#include "ZazidEvoz/platform/FileURL.hpp"
#include "ZazidEvoz/platform/Text.hpp"
#include "kit/ThemeRules.hpp"

#include <algorithm>
#include <cmath>

namespace ZintraRadio::media {

bool cardIsCurrent(std::string_view itemURL, const std::optional<std::string>& currentURL, bool active,
                   const std::optional<std::string>& videoURL) {
    return (active && currentURL && *currentURL == itemURL) || (videoURL && *videoURL == itemURL);
}

DurationBadge durationBadge(std::int64_t seconds) {
    if (seconds < 1)
        return {true, {}};
    return {false, clockText(static_cast<double>(seconds))};
}

std::optional<StarLook> favoriteStar(bool favorite, bool hovering) {
    if (favorite)
        return StarLook{"star.fill", "action.unfavorite", true};
    if (hovering)
        return StarLook{"star", "action.favorite", false};
    return std::nullopt;
}

ResultsState resultsState(bool loading, bool hasError, std::size_t results) {
    if (loading)
        return ResultsState::loading;
    if (hasError && results == 0)
        return ResultsState::error;
    return results > 0 ? ResultsState::results : ResultsState::empty;
}

std::optional<std::string> submittedQuery(std::string_view text) {
    std::string trimmed = ZazidEvoz::text::trimmedWhitespace(text);
    if (trimmed.empty())
        return std::nullopt;
    return trimmed;
}

// ---- Download queue

std::optional<JobPhase> jobPhaseNamed(std::string_view name) {
    if (name == "running")
        return JobPhase::running;
    if (name == "converting")
        return JobPhase::converting;
    if (name == "done")
        return JobPhase::done;
    if (name == "failed")
        return JobPhase::failed;
    if (name == "cancelled")
        return JobPhase::cancelled;
    return std::nullopt;
}

bool isActive(JobPhase phase) {
    return phase == JobPhase::running || phase == JobPhase::converting;
}

bool isFinished(JobPhase phase) {
    return !isActive(phase);
}

std::optional<double> shownFraction(std::optional<double> fraction) {
    if (!fraction || !std::isfinite(*fraction) || *fraction < 0 || *fraction > 1)
        return std::nullopt;
    return fraction;
}

int wholePercent(double fraction) {
    if (!std::isfinite(fraction))
        return 0;
    const double percent = std::clamp(fraction, 0.0, 1.0) * 100;
    return static_cast<int>(std::floor(percent + 1e-9));
}

std::vector<ShownText> statusParts(const JobView& job) {
    switch (job.phase) {
    case JobPhase::running: {
        std::vector<ShownText> parts;
        if (auto fraction = shownFraction(job.fraction))
            parts.push_back(ShownText::verbatim(std::to_string(wholePercent(*fraction)) + " %"));
        if (!job.speed.empty())
            parts.push_back(ShownText::verbatim(job.speed));
        if (!job.eta.empty())
            parts.push_back(ShownText::verbatim(job.eta));
        if (parts.empty())
            parts.push_back(ShownText::key("download.starting"));
        return parts;
    }
    case JobPhase::converting:
        return {ShownText::key("download.converting")};
    case JobPhase::cancelled:
        return {ShownText::key("download.cancelled")};
    case JobPhase::failed:
        return {ShownText::verbatim(job.failure)};
    case JobPhase::done:
        return {ShownText::key("download.done"), ShownText::verbatim(job.fileName)};
    }
    return {};
}

BarStyle barStyle(JobPhase phase) {
    switch (phase) {
    case JobPhase::running:
    case JobPhase::converting:
        return BarStyle::spectrum;
    case JobPhase::done:
        return BarStyle::mint;
    case JobPhase::failed:
        return BarStyle::red;
    case JobPhase::cancelled:
        break;
    }
    return BarStyle::dim;
}

namespace {

double usableWidth(double width) {
    return std::isfinite(width) ? std::max(0.0, width) : 0.0;
}

} // namespace

BarLook barLook(JobPhase phase, std::optional<double> fraction, double trackWidth) {
    const double track = usableWidth(trackWidth);
    const auto shown = shownFraction(fraction);
    const double shadow = isActive(phase) ? 0.7 : 0;
    if (!shown && isActive(phase))
        return {true, 0, shadow};
    const double width = std::min(track, std::max(shown.value_or(0) * track, 4.0));
    return {false, width, shadow};
}

Segment sweepSegment(double t, double trackWidth) {
    const double track = usableWidth(trackWidth);
    double phase = std::isfinite(t) ? std::fmod(t, sweepPeriod) : 0;
    if (phase < 0)
        phase += sweepPeriod;
    const double left = phase / sweepPeriod * (1.3 * track) - 0.3 * track;
    const double start = std::clamp(left, 0.0, track);
    const double end = std::clamp(left + 0.3 * track, 0.0, track);
    return {start, end - start};
}

TrailingButton trailingButton(JobPhase phase) {
    if (isActive(phase))
        return TrailingButton::cancel;
    return phase == JobPhase::done ? TrailingButton::reveal : TrailingButton::none;
}

std::optional<LyricsBadge> lyricsBadge(bool withLyrics, std::optional<bool> lyricsEmbedded) {
    if (!withLyrics)
        return std::nullopt;
    if (!lyricsEmbedded)
        return LyricsBadge{"quote.bubble.fill", "youtube.withLyrics", LyricsBadge::Tint::faint};
    if (*lyricsEmbedded)
        return LyricsBadge{"quote.bubble.fill", "download.lyricsAdded", LyricsBadge::Tint::mint};
    return LyricsBadge{"text.badge.xmark", "download.lyricsNone", LyricsBadge::Tint::fainter};
}

double jobListHeight(std::size_t jobs) {
    return std::min(static_cast<double>(jobs) * jobRowPitch, jobListCap);
}

bool hasFinishedJob(const std::vector<JobPhase>& phases) {
    return std::any_of(phases.begin(), phases.end(), [](JobPhase phase) { return isFinished(phase); });
}

// ---- Recordings

std::string recordingURL(const std::filesystem::path& file) {
    return ZazidEvoz::platform::fileURLFromPath(file.string());
}

bool recordingIsCurrent(const std::filesystem::path& file, const std::optional<std::string>& currentURL,
                        bool active) {
    return active && currentURL && *currentURL == recordingURL(file);
}

RowClick recordingClick(bool current) {
    return current ? RowClick::togglePlayPause : RowClick::playFile;
}

std::string recordingBadgeSymbol(bool current, bool hovered) {
    if (hovered)
        return current ? "pause.fill" : "play.fill";
    return current ? std::string() : "waveform";
}

RecorderLook recorderLook(bool recording, bool split) {
    return {recording ? "recordings.running" : "recordings.ready", recording, splitHelpKey(split)};
}

namespace {

// A piece of a date format: a quoted literal, a run of one pattern letter, or one other
// character.
struct FormatToken {
    enum class Kind { quoted, field, other };
    Kind kind;
    QString text;
};

std::vector<FormatToken> formatTokens(const QString& format) {
    std::vector<FormatToken> tokens;
    qsizetype i = 0;
    while (i < format.size()) {
        const QChar c = format[i];
        qsizetype end = i + 1;
        FormatToken::Kind kind = FormatToken::Kind::other;
        if (c == QLatin1Char('\'')) {
            kind = FormatToken::Kind::quoted;
            // A quoted text ends at the next lone quote; "''" inside it is a quote character.
            while (end < format.size()) {
                if (format[end] == QLatin1Char('\'')) {
                    if (end + 1 < format.size() && format[end + 1] == QLatin1Char('\'')) {
                        end += 2;
                        continue;
                    }
                    ++end;
                    break;
                }
                ++end;
            }
        } else if ((c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
                   (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))) {
            kind = FormatToken::Kind::field;
            while (end < format.size() && format[end] == c)
                ++end;
        }
        tokens.push_back({kind, format.mid(i, end - i)});
        i = end;
    }
    return tokens;
}

bool isWeekday(const FormatToken& token) {
    return token.kind == FormatToken::Kind::field && token.text.startsWith(QLatin1Char('d')) &&
           token.text.size() >= 3;
}

// What stands between a weekday and the date: blanks and commas.
bool isJoiner(const FormatToken& token) {
    return token.kind == FormatToken::Kind::other &&
           (token.text == QLatin1String(" ") || token.text == QLatin1String(",") ||
            token.text == QStringLiteral("\u00A0") || token.text == QStringLiteral("\u060C"));
}

} // namespace

QString abbreviatedDateFormat(const QString& longFormat) {
    std::vector<FormatToken> tokens = formatTokens(longFormat);
    for (std::size_t i = 0; i < tokens.size();) {
        if (!isWeekday(tokens[i])) {
            ++i;
            continue;
        }
        tokens.erase(tokens.begin() + static_cast<std::ptrdiff_t>(i));
        // The joiners after a leading weekday, or before any other one.
        if (i == 0) {
            while (!tokens.empty() && isJoiner(tokens.front()))
                tokens.erase(tokens.begin());
        } else {
            while (i > 0 && isJoiner(tokens[i - 1])) {
                tokens.erase(tokens.begin() + static_cast<std::ptrdiff_t>(i - 1));
                --i;
            }
        }
    }
    QString format;
    for (const FormatToken& token : tokens) {
        if (token.kind == FormatToken::Kind::field && token.text == QLatin1String("MMMM"))
            format += QLatin1String("MMM");
        else
            format += token.text;
    }
    return format.trimmed();
}

QString recordingDetails(const QDateTime& created, std::int64_t bytes, const QLocale& locale,
                         const QTimeZone& zone) {
    const QString size =
        locale.formattedDataSize(std::max<std::int64_t>(0, bytes), 1, QLocale::DataSizeSIFormat);
    // A file whose date could not be read carries the distant past: it shows only its size.
    if (!created.isValid() || created.date().year() < 2)
        return size;
    const QDateTime local = created.toTimeZone(zone);
    const QString date =
        locale.toString(local.date(), abbreviatedDateFormat(locale.dateFormat(QLocale::LongFormat)));
    const QString time = locale.toString(local.time(), locale.timeFormat(QLocale::ShortFormat));
    return date + QLatin1Char(' ') + time +
           QString::fromUtf8(separator.data(), static_cast<qsizetype>(separator.size())) + size;
}

} // namespace ZintraRadio::media
