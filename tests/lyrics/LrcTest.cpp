#include "ZazidEvoz/lyrics/LyricsService.hpp"
#include "ZazidEvoz/music/MusicDatabase.hpp"
#include "support/RawSqlite.hpp"
#include "support/Sandbox.hpp"

#include <clocale>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <locale>

using namespace ZazidEvoz;

namespace {

using Lines = std::vector<LyricLine>;

SongLyrics withTimes(std::initializer_list<double> times) {
    SongLyrics lyrics;
    std::int64_t index = 0;
    for (double time : times)
        lyrics.synced.push_back({index++, time, "x"});
    return lyrics;
}

} // namespace

TEST(LRC, ParsesTable) {
    struct Case {
        const char* name;
        std::string text;
        Lines expected;
    } cases[] = {
        {"one line", "[00:12.34]Hello", {{0, 12.34, "Hello"}}},
        {"tags share the text", "[00:10.00][00:20.00]Chorus", {{0, 10, "Chorus"}, {1, 20, "Chorus"}}},
        {"text before a tag is dropped", "Hello [00:12.00] world", {{0, 12, "world"}}},
        {"colon fraction", "[01:02:50]x", {{0, 62.5, "x"}}},
        {"fractions are plain decimals",
         "[00:12.5]a\n[00:12.05]b\n[00:12.345]c\n[00:12:5]d",
         {{0, 12.05, "b"}, {1, 12.345, "c"}, {2, 12.5, "a"}, {3, 12.5, "d"}}},
        {"three-digit minutes, seconds past 60",
         "[100:00.5]a\n[01:75.00]b",
         {{0, 135, "b"}, {1, 6000.5, "a"}}},
        {"tag alone gives an empty line", "[00:05.00]", {{0, 5, ""}}},
        {"word timing removed, double blanks halved", "[00:05.00]  A  <00:05.50>B", {{0, 5, "A B"}}},
        {"four blanks become two", "[00:01]a    b\t\u00A0", {{0, 1, "a  b"}}},
        {"id tags, untimed text, four fraction digits",
         "[ar:Someone]\n[offset:+250]\nplain\n[00:01.2345]x",
         {}},
        {"other scripts' digits", "[\u0660\u0660:\u0661\u0662]x", {}},
        {"no tags at all", "just words", {}},
        {"offsets past characters outside the BMP",
         "x\U0001F600[00:01]\U0001F600[00:02]\u00E9",
         {{0, 1, "\u00E9"}, {1, 2, "\u00E9"}}},
        {"CRLF and out of order", "[00:02.00]b\r\n[00:01.00]a\r\n", {{0, 1, "a"}, {1, 2, "b"}}},
        {"Unicode line breaks",
         "[00:03]c\u2028[00:01]a\u0085[00:02]b\u2029\v\f",
         {{0, 1, "a"}, {1, 2, "b"}, {2, 3, "c"}}},
        // Broken bytes are repaired before matching, so the cut after the last tag lands in
        // the same text.
        {"broken byte before a tag", "\xff[0:0]", {{0, 0, ""}}},
        {"broken bytes shift nothing", "\xff\xfe\xfd[00:01]ab[00:02]cd", {{0, 1, "cd"}, {1, 2, "cd"}}},
        {"broken byte in the text", "[00:01]caf\xe9", {{0, 1, "caf\uFFFD"}}},
        {"equal times keep file order",
         "[00:05]first\n[00:01]zero\n[00:05]second\n[00:05][00:00]third",
         {{0, 0, "third"}, {1, 1, "zero"}, {2, 5, "first"}, {3, 5, "second"}, {4, 5, "third"}}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LyricsService::parseLRC(c.text), c.expected) << c.name;
}

TEST(LRC, RepeatedTagsCannotMultiplyALongLineWithoutBound) {
    // 20,000 tags in front of 1 KiB of text would copy the text 20,000 times.
    std::string line;
    for (int tag = 0; tag < 20000; ++tag)
        line += "[0:1]";
    line += std::string(1024, 'x');

    Lines lines = LyricsService::parseLRC(line);
    std::size_t textBytes = 0;
    for (const auto& parsed : lines)
        textBytes += parsed.text.size();
    EXPECT_FALSE(lines.empty());
    EXPECT_LT(lines.size(), 20000u);
    EXPECT_LE(textBytes, 16u * 1024 * 1024);
}

TEST(LRC, LineIndexFindsTheLastLineAtOrBeforeTheTime) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        SongLyrics lyrics;
        double time;
        std::optional<std::int64_t> expected;
    } cases[] = {
        {withTimes({0, 5, 5, 10}), -1, std::nullopt},
        {withTimes({0, 5, 5, 10}), 0, 0},
        {withTimes({0, 5, 5, 10}), 4.99, 0},
        {withTimes({0, 5, 5, 10}), 5, 2},
        {withTimes({0, 5, 5, 10}), 9.99, 2},
        {withTimes({0, 5, 5, 10}), 100, 3},
        {withTimes({0, 5, 5, 10}), nan, std::nullopt},
        {withTimes({}), 0, std::nullopt},
        {withTimes({3}), 2.9, std::nullopt},
        {withTimes({3}), 3, 0},
        {withTimes({3}), 1e9, 0},
        {withTimes({1, 1, 1}), 1, 2},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.lyrics.lineIndex(c.time), c.expected)
            << c.time << " over " << c.lyrics.synced.size() << " lines";
    EXPECT_FALSE(withTimes({}).hasSynced());
    EXPECT_TRUE(withTimes({3}).hasSynced());
}

TEST(LRC, StoredFormReadsBackWhateverTheLocale) {
    // A decimal comma in the stored times would drop every line on reading.
    struct CommaDecimals : std::numpunct<char> {
        char do_decimal_point() const override { return ','; }
    };
    std::locale previous = std::locale::global(std::locale(std::locale::classic(), new CommaDecimals));
    std::string previousC = std::setlocale(LC_ALL, nullptr);
    for (const char* name : {"de_DE.UTF-8", "de_AT.UTF-8", "fr_FR.UTF-8"})
        if (std::setlocale(LC_ALL, name))
            break;

    Lines lines = {{0, 0, "first"}, {1, 65.456, "a  b"}, {2, 599.999, "late"}, {3, 6000.5, ""}};
    std::string stored = LyricsService::formatLRC(lines);
    std::string strange = LyricsService::formatLRC(
        {{0, -3, "before"}, {1, std::numeric_limits<double>::quiet_NaN(), "nan"}, {2, 1e12, "far"}});

    std::setlocale(LC_ALL, previousC.c_str());
    std::locale::global(previous);

    EXPECT_EQ(stored, "[00:00.00]first\n[01:05.46]a  b\n[09:60.00]late\n[100:00.50]");
    Lines readBack = LyricsService::parseLRC(stored);
    ASSERT_EQ(readBack.size(), 4u);
    EXPECT_DOUBLE_EQ(readBack[1].time, 65.46);
    EXPECT_EQ(readBack[1].text, "a b"); // the reader halves double blanks
    EXPECT_DOUBLE_EQ(readBack[2].time, 600);
    EXPECT_EQ(readBack[3], (LyricLine{3, 6000.5, ""}));

    // Times no reader could hold still come back as lines.
    EXPECT_EQ(strange, "[00:00.00]before\n[00:00.00]nan\n[999:59.99]far");
    EXPECT_EQ(LyricsService::parseLRC(strange).size(), 3u);
    EXPECT_EQ(LyricsService::formatLRC({}), "");
}

TEST(LRC, AStoredRowWithBrokenBytesReadsWithoutThrowing) {
    const auto file = testkit::makeTemporaryFolder("lrc") / "music.sqlite";
    MusicDatabase database(file);
    ASSERT_TRUE(database.saveLyrics("Artist", "Song",
                                    SongLyrics{"Artist", "Song", {{0, 1, "x"}}, "x", false, 0}, "LRCLIB"));
    // A row written by an older build or damaged on disk.
    testkit::RawConnection(file).exec("UPDATE lyrics SET synced = CAST(X'FF5B303A305D' AS TEXT)");

    MusicDatabase::LyricsLookup stored;
    ASSERT_NO_THROW(stored = database.storedLyrics("Artist", "Song"));
    EXPECT_EQ(stored.kind, MusicDatabase::LyricsLookup::Kind::found);
    EXPECT_EQ(stored.lyrics.synced, (Lines{{0, 0, ""}}));
}
