// The media panels' rules as tables: which card and which recording row is current, the
// duration badge and the favourite star, the results area, the download rows' status line,
// bar, sweep, buttons and lyrics badge, the list's height, and how a recording's name and
// details read.
#include "media/MediaRules.hpp"

#include "ZazidEvoz/platform/FileURL.hpp"

#include <QLocale>
#include <QTimeZone>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace ZintraRadio;
using namespace ZintraRadio::media;

namespace {

const double notANumber = std::numeric_limits<double>::quiet_NaN();
const double infinity = std::numeric_limits<double>::infinity();

} // namespace

TEST(ResultCards, TheCurrentCardIsThePlayingItemOrTheWatchedVideoByURL) {
    const std::string a = "https://www.youtube.com/watch?v=a";
    const std::string b = "https://www.youtube.com/watch?v=b";
    struct Case {
        const char* name;
        std::optional<std::string> current;
        bool active;
        std::optional<std::string> video;
        bool expected;
    };
    const Case cases[] = {
        {"nothing at all", std::nullopt, false, std::nullopt, false},
        {"playing, paused or buffering", a, true, std::nullopt, true},
        {"stopped or failed", a, false, std::nullopt, false},
        {"another item plays", b, true, std::nullopt, false},
        {"watched while no audio plays", std::nullopt, false, a, true},
        {"watched while another item is current", b, false, a, true},
        {"another video is watched", std::nullopt, false, b, false},
        {"the URL differs only in letter case", "https://www.youtube.com/watch?v=A", true, std::nullopt,
         false},
    };
    for (const Case& test : cases)
        EXPECT_EQ(cardIsCurrent(a, test.current, test.active, test.video), test.expected) << test.name;
}

TEST(ResultCards, TheBadgeSaysLiveBelowOneSecondAndTheClockOtherwise) {
    const std::pair<std::int64_t, DurationBadge> cases[] = {
        {0, {true, ""}},
        {-3, {true, ""}},
        {1, {false, "0:01"}},
        {59, {false, "0:59"}},
        {61, {false, "1:01"}},
        {3599, {false, "59:59"}},
        {3600, {false, "1:00:00"}},
        {36061, {false, "10:01:01"}},
    };
    for (const auto& [seconds, badge] : cases)
        EXPECT_EQ(durationBadge(seconds), badge) << seconds;
}

TEST(ResultCards, AFavouriteShowsTheAmberStarAndOthersTheOutlineOnlyOnHover) {
    EXPECT_EQ(favoriteStar(true, false), (StarLook{"star.fill", "action.unfavorite", true}));
    EXPECT_EQ(favoriteStar(true, true), (StarLook{"star.fill", "action.unfavorite", true}));
    EXPECT_EQ(favoriteStar(false, true), (StarLook{"star", "action.favorite", false}));
    EXPECT_EQ(favoriteStar(false, false), std::nullopt);
}

TEST(YouTubePanel, TheResultsAreaShowsOneStateAndTheQueryIsTrimmed) {
    struct Case {
        bool loading;
        bool error;
        std::size_t results;
        ResultsState expected;
    };
    const Case cases[] = {
        {true, false, 0, ResultsState::loading},  {true, true, 5, ResultsState::loading},
        {false, true, 0, ResultsState::error},    {false, true, 3, ResultsState::results},
        {false, false, 3, ResultsState::results}, {false, false, 0, ResultsState::empty},
    };
    for (const Case& test : cases)
        EXPECT_EQ(resultsState(test.loading, test.error, test.results), test.expected)
            << test.loading << test.error << test.results;

    EXPECT_EQ(submittedQuery(" \n\t \r\n"), std::nullopt);
    EXPECT_EQ(submittedQuery(""), std::nullopt);
    EXPECT_EQ(submittedQuery("  lofi beats\n"), "lofi beats");
    EXPECT_EQ(submittedQuery("\nhttps://youtube.com/playlist?list=x "),
              "https://youtube.com/playlist?list=x");
    EXPECT_EQ(submittedQuery("a\nb"), "a\nb");
}

TEST(DownloadRows, TheStatusLineFollowsThePhase) {
    auto running = [](std::optional<double> fraction, std::string speed = "", std::string eta = "") {
        JobView job;
        job.fraction = fraction;
        job.speed = std::move(speed);
        job.eta = std::move(eta);
        return job;
    };
    using T = ShownText;
    struct Case {
        const char* name;
        JobView job;
        std::vector<ShownText> expected;
    };
    JobView converting;
    converting.phase = JobPhase::converting;
    converting.fraction = 1.0;
    JobView cancelled;
    cancelled.phase = JobPhase::cancelled;
    JobView failed;
    failed.phase = JobPhase::failed;
    failed.failure = "ERROR: Video unavailable";
    JobView done;
    done.phase = JobPhase::done;
    done.fileName = "Song #1.mp3";
    const Case cases[] = {
        {"all three parts",
         running(0.427, "1.20MiB/s", "00:05"),
         {T::verbatim("42 %"), T::verbatim("1.20MiB/s"), T::verbatim("00:05")}},
        {"nothing known yet", running(std::nullopt), {T::key("download.starting")}},
        {"zero", running(0.0), {T::verbatim("0 %")}},
        {"whole", running(1.0, "", "NA"), {T::verbatim("100 %"), T::verbatim("NA")}},
        {"a percent that binary rounding puts a hair below", running(0.29), {T::verbatim("29 %")}},
        {"truncated, not rounded", running(0.999), {T::verbatim("99 %")}},
        {"only the speed", running(std::nullopt, "2MiB/s"), {T::verbatim("2MiB/s")}},
        {"not a number", running(notANumber, "2MiB/s"), {T::verbatim("2MiB/s")}},
        {"infinite", running(infinity), {T::key("download.starting")}},
        {"above the range", running(4.2, "", "00:01"), {T::verbatim("00:01")}},
        {"below the range", running(-0.1), {T::key("download.starting")}},
        {"converting", converting, {T::key("download.converting")}},
        {"cancelled", cancelled, {T::key("download.cancelled")}},
        {"failed", failed, {T::verbatim("ERROR: Video unavailable")}},
        {"done", done, {T::key("download.done"), T::verbatim("Song #1.mp3")}},
    };
    for (const Case& test : cases)
        EXPECT_EQ(statusParts(test.job), test.expected) << test.name;
}

TEST(DownloadRows, TheBarSweepsOnlyWhileActiveAndUnknownAndNeverOutgrowsItsTrack) {
    struct Case {
        const char* name;
        JobPhase phase;
        std::optional<double> fraction;
        double track;
        BarLook expected;
    };
    const Case cases[] = {
        {"unknown while running", JobPhase::running, std::nullopt, 200, {true, 0, 0.7}},
        {"unknown while converting", JobPhase::converting, std::nullopt, 200, {true, 0, 0.7}},
        {"zero shows a 4-point bar", JobPhase::running, 0.0, 200, {false, 4, 0.7}},
        {"half", JobPhase::running, 0.5, 200, {false, 100, 0.7}},
        {"full while converting", JobPhase::converting, 1.0, 200, {false, 200, 0.7}},
        {"not a number counts as unknown", JobPhase::running, notANumber, 200, {true, 0, 0.7}},
        {"out of range counts as unknown", JobPhase::running, 7.0, 200, {true, 0, 0.7}},
        {"done without a fraction", JobPhase::done, std::nullopt, 200, {false, 4, 0}},
        {"done, out of range", JobPhase::done, 1.5, 200, {false, 4, 0}},
        {"failed at half", JobPhase::failed, 0.5, 200, {false, 100, 0}},
        {"a track narrower than the least bar", JobPhase::running, 0.0, 2, {false, 2, 0.7}},
        {"a track of no width", JobPhase::done, 1.0, 0, {false, 0, 0}},
        {"a track that is not a number", JobPhase::cancelled, 0.5, notANumber, {false, 0, 0}},
    };
    for (const Case& test : cases)
        EXPECT_EQ(barLook(test.phase, test.fraction, test.track), test.expected) << test.name;

    EXPECT_EQ(barStyle(JobPhase::running), BarStyle::spectrum);
    EXPECT_EQ(barStyle(JobPhase::converting), BarStyle::spectrum);
    EXPECT_EQ(barStyle(JobPhase::done), BarStyle::mint);
    EXPECT_EQ(barStyle(JobPhase::failed), BarStyle::red);
    EXPECT_EQ(barStyle(JobPhase::cancelled), BarStyle::dim);
}

TEST(DownloadRows, TheSweepSlidesInFromTheLeftAndOutAtTheRightEvery1point4Seconds) {
    struct Case {
        double t;
        Segment expected;
    };
    // Track 100: the capsule is 30 wide and its left edge runs from -30 to 100.
    const Case cases[] = {
        {0, {0, 0}},     {0.7, {35, 30}},  {1.4, {0, 0}},        {2.1, {35, 30}},
        {0.14, {0, 13}}, {-0.7, {35, 30}}, {notANumber, {0, 0}}, {1e12 + 0.7, {0, 0}},
    };
    for (const Case& test : cases) {
        const Segment segment = sweepSegment(test.t, 100);
        if (test.t < 1e11) {
            EXPECT_NEAR(segment.x, test.expected.x, 1e-6) << test.t;
            EXPECT_NEAR(segment.width, test.expected.width, 1e-6) << test.t;
        }
        // Always inside the track, whatever the time.
        EXPECT_GE(segment.x, 0) << test.t;
        EXPECT_LE(segment.x + segment.width, 100 + 1e-9) << test.t;
    }
    const Segment leaving = sweepSegment(1.3, 100);
    EXPECT_NEAR(leaving.x + leaving.width, 100, 1e-9);
    EXPECT_NEAR(leaving.width, 100 - (1.3 / 1.4 * 130 - 30), 1e-9);
}

TEST(DownloadRows, ButtonsBadgesAndTheListHeight) {
    EXPECT_EQ(trailingButton(JobPhase::running), TrailingButton::cancel);
    EXPECT_EQ(trailingButton(JobPhase::converting), TrailingButton::cancel);
    EXPECT_EQ(trailingButton(JobPhase::done), TrailingButton::reveal);
    EXPECT_EQ(trailingButton(JobPhase::failed), TrailingButton::none);
    EXPECT_EQ(trailingButton(JobPhase::cancelled), TrailingButton::none);

    using Tint = LyricsBadge::Tint;
    EXPECT_EQ(lyricsBadge(false, std::nullopt), std::nullopt);
    EXPECT_EQ(lyricsBadge(false, true), std::nullopt);
    EXPECT_EQ(lyricsBadge(true, std::nullopt),
              (LyricsBadge{"quote.bubble.fill", "youtube.withLyrics", Tint::faint}));
    EXPECT_EQ(lyricsBadge(true, true),
              (LyricsBadge{"quote.bubble.fill", "download.lyricsAdded", Tint::mint}));
    EXPECT_EQ(lyricsBadge(true, false),
              (LyricsBadge{"text.badge.xmark", "download.lyricsNone", Tint::fainter}));

    const std::pair<std::size_t, double> heights[] = {{0, 0},   {1, 58},  {2, 116},
                                                      {3, 174}, {4, 180}, {200, 180}};
    for (const auto& [jobs, height] : heights)
        EXPECT_EQ(jobListHeight(jobs), height) << jobs;

    using P = JobPhase;
    EXPECT_FALSE(hasFinishedJob({}));
    EXPECT_FALSE(hasFinishedJob({P::running, P::converting, P::running}));
    EXPECT_TRUE(hasFinishedJob({P::running, P::done}));
    EXPECT_TRUE(hasFinishedJob({P::failed}));
    EXPECT_TRUE(hasFinishedJob({P::converting, P::cancelled}));

    EXPECT_EQ(jobPhaseNamed("converting"), P::converting);
    EXPECT_EQ(jobPhaseNamed("Done"), std::nullopt);
}

TEST(RecordingRows, ARecordingIsCurrentByTheURLItPlaysUnderWhateverItsName) {
    // Names with the characters that URLs escape: each must match what playing it sets.
    const std::string names[] = {"Band FM - 2024-01-01 10.00.00", "Song #1",   "Wie? Was?",  "100% Hits",
                                 "Mötley Crüe (Live) - 2024",     "a&b;c=d+e", "back\\slash"};
    for (const std::string& name : names) {
        const std::filesystem::path file = "/music/Recordings/" + name + ".mp3";
        const std::string played = ZazidEvoz::platform::fileURLFromPath(file.string());
        EXPECT_TRUE(recordingIsCurrent(file, played, true)) << name;
        EXPECT_FALSE(recordingIsCurrent(file, played, false)) << name;
        EXPECT_FALSE(recordingIsCurrent(file, std::nullopt, true)) << name;
        // The path as it is, unescaped, is another URL.
        if (played != "file://" + file.string()) {
            EXPECT_FALSE(recordingIsCurrent(file, "file://" + file.string(), true)) << name;
        }
    }
    EXPECT_EQ(recordingURL("/music/Recordings/Song #1.mp3"), "file:///music/Recordings/Song%20%231.mp3");
    // Written another way, the same file is not current: the strings are compared exactly.
    EXPECT_FALSE(recordingIsCurrent("/r/Song #1.mp3", "file:///r/Song%20%231%2Emp3", true));
    EXPECT_FALSE(recordingIsCurrent("/r/a.mp3", "file:///r/b.mp3", true));
}

TEST(RecordingRows, ClickBadgeAndRecorderCard) {
    EXPECT_EQ(recordingClick(true), RowClick::togglePlayPause);
    EXPECT_EQ(recordingClick(false), RowClick::playFile);

    // current, hovered -> symbol ("" is the level glyph)
    EXPECT_EQ(recordingBadgeSymbol(true, false), "");
    EXPECT_EQ(recordingBadgeSymbol(true, true), "pause.fill");
    EXPECT_EQ(recordingBadgeSymbol(false, true), "play.fill");
    EXPECT_EQ(recordingBadgeSymbol(false, false), "waveform");

    EXPECT_EQ(recorderLook(true, true), (RecorderLook{"recordings.running", true, "deck.splitOn"}));
    EXPECT_EQ(recorderLook(false, false), (RecorderLook{"recordings.ready", false, "deck.splitOff"}));
}

TEST(RecordingRows, TheAbbreviatedDateKeepsTheLocalesOrderWithoutTheWeekday) {
    const std::pair<const char*, const char*> cases[] = {
        {"dddd, MMMM d, yyyy", "MMM d, yyyy"},
        {"dddd, d. MMMM yyyy", "d. MMM yyyy"},
        {"dddd d MMMM yyyy", "d MMM yyyy"},
        {"dddd, d 'de' MMMM 'de' yyyy", "d 'de' MMM 'de' yyyy"},
        {"yyyy\u5E74M\u6708d\u65E5dddd", "yyyy\u5E74M\u6708d\u65E5"},
        {"d MMMM yyyy, dddd", "d MMM yyyy"},
        {"'dddd MMMM' d MMMM", "'dddd MMMM' d MMM"},
        {"d.M.yyyy", "d.M.yyyy"},
    };
    for (const auto& [format, expected] : cases)
        EXPECT_EQ(abbreviatedDateFormat(QString::fromUtf8(format)), QString::fromUtf8(expected)) << format;
}

TEST(RecordingRows, DetailsShowTheDateTimeAndSizeInTheUsersLocale) {
    const QDateTime created(QDate(2024, 1, 5), QTime(14, 30, 12), Qt::UTC);
    struct Case {
        const char* locale;
        const char* zone;
        std::int64_t bytes;
        const char* expected;
    };
    const Case cases[] = {
        {"en_US", "UTC", 2'500'000, "Jan 5, 2024 2:30 PM \u00B7 2.5 MB"},
        {"en_US", "Europe/Vienna", 842, "Jan 5, 2024 3:30 PM \u00B7 842 bytes"},
        {"de_DE", "UTC", 12'345'678'901, "5. Jan. 2024 14:30 \u00B7 12,3 GB"},
        {"en_GB", "UTC", 0, "5 Jan 2024 14:30 \u00B7 0 bytes"},
    };
    for (const Case& test : cases)
        EXPECT_EQ(recordingDetails(created, test.bytes, QLocale(QString::fromLatin1(test.locale)),
                                   QTimeZone(QByteArray(test.zone))),
                  QString::fromUtf8(test.expected))
            << test.locale;
    // A date that could not be read leaves only the size.
    const QDateTime unknown = QDateTime::fromMSecsSinceEpoch(-62135596800000LL, Qt::UTC);
    EXPECT_EQ(recordingDetails(unknown, 1000, QLocale(QStringLiteral("en_US")), QTimeZone::utc()),
              QStringLiteral("1.0 kB"));
}
