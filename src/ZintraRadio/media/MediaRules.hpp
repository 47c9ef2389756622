// The rules of the media panels, as pure functions: when a result card or a recording row is
// the current item, the duration badge and the favourite star of a card, what the results
// area shows, the status line, bar and buttons of a download row, the height of the download
// list, the recorder card's texts, and how a recording's details read. The views draw what
// these return (through MediaViewRules); the tests go here.
//
// A download's fraction comes from the downloader's output: a value that is not a finite
// number within 0...1 counts as unknown, and no bar grows past its track.
#pragma once

#include "kit/ShownText.hpp"

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QTimeZone>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ZintraRadio::media {

// Parts of status and detail lines are joined by this.
inline constexpr std::string_view separator = " \u00B7 ";

// ---- Result cards

// The item plays through the engine in an active state (buffering, playing, paused), or it is
// the video being watched; items are compared by their URL only.
bool cardIsCurrent(std::string_view itemURL, const std::optional<std::string>& currentURL, bool active,
                   const std::optional<std::string>& videoURL);

struct DurationBadge {
    bool live = false;
    std::string clock; // empty for a live item
    friend bool operator==(const DurationBadge&, const DurationBadge&) = default;
};
// Below one second: live; otherwise the clock text ("0:59", "1:00:00").
DurationBadge durationBadge(std::int64_t seconds);

struct StarLook {
    std::string symbol;
    std::string helpKey;
    bool amber = false;
    friend bool operator==(const StarLook&, const StarLook&) = default;
};
// A favourite always shows the filled amber star; any other item the outline star, and only
// while the pointer is over its card.
std::optional<StarLook> favoriteStar(bool favorite, bool hovering);

enum class ResultsState { loading, error, results, empty };
// Loading hides everything else; an error shows only while there are no results.
ResultsState resultsState(bool loading, bool hasError, std::size_t results);

// The search text of a field: without white space (line breaks included) at either end;
// none when nothing is left.
std::optional<std::string> submittedQuery(std::string_view text);

// ---- Download queue

enum class JobPhase { running, converting, done, failed, cancelled };
// "running", "converting", "done", "failed", "cancelled" as DownloadJob names them; anything
// else is none.
std::optional<JobPhase> jobPhaseNamed(std::string_view name);
// running or converting.
bool isActive(JobPhase phase);
// done, failed or cancelled.
bool isFinished(JobPhase phase);

struct JobView {
    JobPhase phase = JobPhase::running;
    std::optional<double> fraction;
    std::string speed;
    std::string eta;
    std::string failure;  // the message of a failed job
    std::string fileName; // the saved file of a done job
};

// The fraction the row shows: none unless it is a finite number within 0...1.
std::optional<double> shownFraction(std::optional<double> fraction);
// The whole percent of a fraction, truncated; a fraction that is a hair below a whole percent
// through binary rounding (0.29 × 100 = 28.999…) counts as that percent.
int wholePercent(double fraction);

// The status line's parts, to be joined by the separator: "42 %", the speed and the time left
// while running (or the starting key when none is known), the converting or cancelled key, the
// failure message, or the done key and the file name.
std::vector<ShownText> statusParts(const JobView& job);

enum class BarStyle { spectrum, mint, red, dim };
BarStyle barStyle(JobPhase phase);

struct BarLook {
    bool sweep = false; // the indeterminate sweep instead of a determinate bar
    double width = 0;   // of the determinate bar
    double shadowOpacity = 0;
    friend bool operator==(const BarLook&, const BarLook&) = default;
};
// The sweep runs only while the job is active and its fraction unknown; otherwise the bar is
// fraction × track wide (an unknown fraction as 0), at least 4 points, never wider than the
// track.
BarLook barLook(JobPhase phase, std::optional<double> fraction, double trackWidth);

struct Segment {
    double x = 0;
    double width = 0;
    friend bool operator==(const Segment&, const Segment&) = default;
};
inline constexpr double sweepPeriod = 1.4;
// The part of the sweep inside the track at time `t` (seconds): a capsule 0.3 × track wide
// whose left edge moves from −0.3 × track to the track's end once every 1.4 s.
Segment sweepSegment(double t, double trackWidth);

enum class TrailingButton { none, cancel, reveal };
TrailingButton trailingButton(JobPhase phase);

struct LyricsBadge {
    enum class Tint { faint, mint, fainter };
    std::string symbol;
    std::string helpKey;
    Tint tint = Tint::faint;
    friend bool operator==(const LyricsBadge&, const LyricsBadge&) = default;
};
// None when no lyrics were asked for; otherwise pending, added or none found.
std::optional<LyricsBadge> lyricsBadge(bool withLyrics, std::optional<bool> lyricsEmbedded);

inline constexpr double jobRowPitch = 58;
inline constexpr double jobListCap = 180;
// The list's height: 58 points a job, at most 180.
double jobListHeight(std::size_t jobs);
bool hasFinishedJob(const std::vector<JobPhase>& phases);

// ---- Recordings

// The URL a recording plays under: the one encoder the model's playFile uses, so names with
// spaces, "#", "?", "%" or non-ASCII letters compare equal to what plays.
std::string recordingURL(const std::filesystem::path& file);
// The current item has exactly the recording's URL and playback is active.
bool recordingIsCurrent(const std::filesystem::path& file, const std::optional<std::string>& currentURL,
                        bool active);

enum class RowClick { togglePlayPause, playFile };
RowClick recordingClick(bool current);

// What the badge shows: the level glyph (an empty symbol) on the current row while not
// hovered; "pause.fill" or "play.fill" while hovered; "waveform" otherwise.
std::string recordingBadgeSymbol(bool current, bool hovered);

struct RecorderLook {
    std::string statusKey;
    bool red = false;
    std::string splitKey;
    friend bool operator==(const RecorderLook&, const RecorderLook&) = default;
};
RecorderLook recorderLook(bool recording, bool split);

// A date format of the locale's own order with the month abbreviated and no weekday, made from
// its long date format ("dddd, MMMM d, yyyy" gives "MMM d, yyyy"); quoted text stays.
QString abbreviatedDateFormat(const QString& longFormat);
// "<abbreviated date> <short time> · <size in SI units>" in `zone`.
QString recordingDetails(const QDateTime& created, std::int64_t bytes, const QLocale& locale,
                         const QTimeZone& zone);

} // namespace ZintraRadio::media
