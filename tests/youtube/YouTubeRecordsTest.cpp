#include "ZazidEvoz/youtube/YouTubeService.hpp"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>

using namespace ZazidEvoz;

TEST(CancelToken, RunsEveryHandlerOnceInRegistrationOrder) {
    CancelToken token;
    std::vector<std::string> ran;
    token.onCancel([&] { ran.push_back("A"); });
    token.onCancel([&] { ran.push_back("B"); });
    EXPECT_FALSE(token.isCancelled());
    EXPECT_TRUE(ran.empty());

    token.cancel();
    token.cancel();
    EXPECT_TRUE(token.isCancelled());
    EXPECT_EQ(ran, (std::vector<std::string>{"A", "B"}));

    // Registered afterwards: runs at once, and never again.
    token.onCancel([&] { ran.push_back("C"); });
    token.cancel();
    EXPECT_EQ(ran, (std::vector<std::string>{"A", "B", "C"}));
}

TEST(CancelToken, HandlersRunOutsideTheLockAndOnceUnderRacingCancels) {
    CancelToken token;
    std::atomic<int> runs = 0;
    bool sawCancelled = false;
    // Reading the token from its own handler would dead-lock if handlers ran under the lock.
    token.onCancel([&] {
        sawCancelled = token.isCancelled();
        ++runs;
    });
    std::vector<std::thread> cancellers;
    for (int i = 0; i < 8; ++i)
        cancellers.emplace_back([&] { token.cancel(); });
    for (auto& thread : cancellers)
        thread.join();
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(sawCancelled);
}

TEST(VideoQuality, LabelsSelectorsAndRawValues) {
    struct Row {
        VideoQuality quality;
        std::string_view raw, label, selector;
    };
    const Row rows[] = {
        {VideoQuality::best, "best", "Max",
         "bestvideo[vcodec^=avc1]+bestaudio[acodec^=mp4a]/bestvideo+bestaudio/best"},
        {VideoQuality::p1080, "p1080", "1080p",
         "bestvideo[height<=1080][vcodec^=avc1]+bestaudio[acodec^=mp4a]/bestvideo[height<=1080]+bestaudio/"
         "best[height<=1080]/best/bestvideo+bestaudio"},
        {VideoQuality::p720, "p720", "720p",
         "bestvideo[height<=720][vcodec^=avc1]+bestaudio[acodec^=mp4a]/bestvideo[height<=720]+bestaudio/"
         "best[height<=720]/best/bestvideo+bestaudio"},
        {VideoQuality::p480, "p480", "480p",
         "bestvideo[height<=480][vcodec^=avc1]+bestaudio[acodec^=mp4a]/bestvideo[height<=480]+bestaudio/"
         "best[height<=480]/best/bestvideo+bestaudio"},
        {VideoQuality::p360, "p360", "360p",
         "bestvideo[height<=360][vcodec^=avc1]+bestaudio[acodec^=mp4a]/best[height<=360]/best/"
         "bestvideo+bestaudio"},
    };
    ASSERT_EQ(allVideoQualities().size(), std::size(rows));
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const Row& row = rows[i];
        EXPECT_EQ(allVideoQualities()[i], row.quality);
        EXPECT_EQ(rawValue(row.quality), row.raw);
        EXPECT_EQ(label(row.quality), row.label);
        EXPECT_EQ(formatSelector(row.quality), row.selector);
        EXPECT_EQ(videoQualityFromRawValue(row.raw), row.quality);
    }
    for (std::string_view other : {"720p", "P720", "", "Max", "p720 "})
        EXPECT_FALSE(videoQualityFromRawValue(other).has_value()) << other;
}

TEST(YouTubeError, DescriptionsAreTheTextsShown) {
    EXPECT_EQ(YouTubeError::failed("").errorDescription(), "");
    EXPECT_EQ(YouTubeError::failed("Video unavailable").errorDescription(), "Video unavailable");
    EXPECT_STREQ(YouTubeError::missingTool().what(), "yt-dlp not found - sudo apt install ffmpeg yt-dlp");
    EXPECT_STREQ(YouTubeError::noStream().what(), "No playable stream found.");
    EXPECT_EQ(YouTubeError::noStream().kind(), YouTubeError::Kind::noStream);
}

TEST(DownloadProgress, AbsentFractionDiffersFromZero) {
    DownloadProgress merging{std::nullopt, "", "", "merge"};
    DownloadProgress atZero{0.0, "", "", "merge"};
    EXPECT_NE(merging, atZero);
    EXPECT_EQ(merging, (DownloadProgress{std::nullopt, "", "", "merge"}));
}

TEST(DownloadProgress, ParsesProgressLines) {
    struct Case {
        std::string_view line;
        std::optional<DownloadProgress> expected;
    };
    const Case cases[] = {
        {"ZRPROG  42.0%|1.20MiB/s|00:05", DownloadProgress{0.42, "1.20MiB/s", "00:05", "download"}},
        // What the real tool prints before it knows the speed, and at the end.
        {"ZRPROG   2.7%| Unknown B/s|Unknown", DownloadProgress{0.027, "", "", "download"}},
        {"ZRPROG 100.0%|10.48MiB/s|NA", DownloadProgress{1.0, "10.48MiB/s", "", "download"}},
        {"ZRPROG NA%|NA|NA", DownloadProgress{std::nullopt, "", "", "download"}},
        {"ZRPROG 150%|a|b", DownloadProgress{1.0, "a", "b", "download"}},
        {"ZRPROG -5%|a|b", DownloadProgress{0.0, "a", "b", "download"}},
        {"ZRPROG nan%|a|b", DownloadProgress{0.0, "a", "b", "download"}},
        {"ZRPROG 4 2%|a|b", DownloadProgress{std::nullopt, "a", "b", "download"}},
        {"ZRPROG ||", DownloadProgress{std::nullopt, "", "", "download"}},
        {"noise ZRPROG \t10%\t|a|b|extra", DownloadProgress{0.1, "a", "b", "download"}},
        {"ZRPROG 42%|1MiB/s", std::nullopt},
        {"[download]  42.0% of 3.00MiB", std::nullopt},
        {"ZRPROG42%|a|b", std::nullopt},
    };
    for (const auto& c : cases) {
        auto parsed = YouTubeService::parseProgress(c.line);
        ASSERT_EQ(parsed.has_value(), c.expected.has_value()) << c.line;
        if (!parsed)
            continue;
        EXPECT_EQ(parsed->fraction.has_value(), c.expected->fraction.has_value()) << c.line;
        if (parsed->fraction && c.expected->fraction) {
            EXPECT_DOUBLE_EQ(*parsed->fraction, *c.expected->fraction) << c.line;
        }
        EXPECT_EQ(parsed->speed, c.expected->speed) << c.line;
        EXPECT_EQ(parsed->eta, c.expected->eta) << c.line;
        EXPECT_EQ(parsed->phase, "download") << c.line;
    }
}

TEST(YouTubeService, ShortErrorPicksTheLastErrorLine) {
    std::string longLine = "ERROR: " + std::string(300, 'a');
    std::string accents;
    for (int i = 0; i < 300; ++i)
        accents += "\u00e9";
    std::string cutAccents;
    for (int i = 0; i < 220; ++i)
        cutAccents += "\u00e9";
    struct Case {
        std::string text;
        int status;
        std::string expected;
    };
    const Case cases[] = {
        {"WARNING: slow\nERROR: [youtube] abc: Video unavailable\n", 1, "[youtube] abc: Video unavailable"},
        {"ERROR: the real cause\nsome note after it\n", 1, "the real cause"},
        {"first\nlast line\n", 1, "last line"},
        {"", 2, "yt-dlp exit 2"},
        {"\n\n", 137, "yt-dlp exit 137"},
        {"ERROR: ERROR: twice", 1, "twice"},
        // Tools that end their lines with CR LF, or the last one with a bare CR.
        {"WARNING: slow\r\nERROR: Video unavailable\r\n", 1, "Video unavailable"},
        {"ERROR: Video unavailable\r", 1, "Video unavailable"},
        {longLine, 1, std::string(220, 'a') + "\u2026"},
        {"ERROR: " + std::string(220, 'b'), 1, std::string(220, 'b')},
        // Characters, not bytes, count.
        {accents, 1, cutAccents + "\u2026"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(YouTubeService::shortError(c.text, c.status), c.expected) << c.text.substr(0, 60);
}
