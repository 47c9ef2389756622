// The localised texts of the lyrics views with the English table loaded: failure texts of the
// engine and services, the library status lines with their five arguments, and dates. Texts
// that come from outside (tool names, song names) are inserted once and never read as
// placeholders.
#include "lyrics/LyricsTexts.hpp"

#include "lyrics/ErrorText.hpp"
#include "music/LibraryStatus.hpp"

#include <QCoreApplication>
#include <QDateTime>
#include <QTranslator>
#include <gtest/gtest.h>

using namespace ZintraRadio;
using ZazidEvoz::platform::dateFromSecondsSince1970;

namespace {

class LyricsTexts : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        english = new QTranslator;
        ASSERT_TRUE(english->load(QStringLiteral(":/i18n/zintraradio_en.qm")));
        QCoreApplication::installTranslator(english);
    }
    static void TearDownTestSuite() {
        QCoreApplication::removeTranslator(english);
        delete english;
        english = nullptr;
    }
    static QTranslator* english;
};
QTranslator* LyricsTexts::english = nullptr;

// 2026-03-04 14:05 in local time.
ZazidEvoz::platform::Date localAfternoon() {
    const QDateTime local(QDate(2026, 3, 4), QTime(14, 5));
    return dateFromSecondsSince1970(static_cast<double>(local.toSecsSinceEpoch()));
}

} // namespace

TEST_F(LyricsTexts, EngineFailuresBecomeLocalisedTexts) {
    const std::string missing = qtTrId("error.missingTool").toStdString();
    ASSERT_NE(missing, "error.missingTool");
    auto missingTool = [&](const std::string& tool) {
        return QString::fromStdString(missing).arg(QString::fromStdString(tool)).toStdString();
    };
    struct Case {
        std::string message, shown;
    } cases[] = {
        {"Nothing is playing.", qtTrId("error.notPlaying").toStdString()},
        {"No playable stream found.", qtTrId("error.noStream").toStdString()},
        {"ffmpeg not found - sudo apt install ffmpeg yt-dlp",
         missingTool("ffmpeg") + " sudo apt install ffmpeg yt-dlp"},
        {"yt-dlp not found - sudo apt install ffmpeg yt-dlp",
         missingTool("yt-dlp") + " sudo apt install ffmpeg yt-dlp"},
        // Whole-text rules compare exactly.
        {"Nothing is playing. ", "Nothing is playing. "},
        {"nothing is playing.", "nothing is playing."},
        {"No playable stream found", "No playable stream found"},
        // The marker splits at its first occurrence; both sides may be empty.
        {" not found - ", missingTool("") + " "},
        {"a not found - b not found - c", missingTool("a") + " b not found - c"},
        {"ffmpeg not found", "ffmpeg not found"},
        {"", ""},
        {"Recorder failed: disk full", "Recorder failed: disk full"},
        // A tool name that looks like a placeholder stays as it came.
        {"%2 not found - hint %1", missingTool("%2") + " hint %1"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ErrorText::localized(c.message), c.shown) << c.message;
    EXPECT_EQ(ErrorText::localized("Nothing is playing."), "Nothing is playing.");
    EXPECT_EQ(ErrorText::localized("ffmpeg not found - sudo apt install ffmpeg yt-dlp"),
              "ffmpeg is not installed: sudo apt install ffmpeg yt-dlp");
}

TEST_F(LyricsTexts, SyncLineFillsFiveArgumentsInOnePass) {
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    MusicModel::LastSync sync{localAfternoon(), {3, 1, 0, 120}};
    const QString time = english.toString(QTime(14, 5), QLocale::ShortFormat);
    EXPECT_EQ(LibraryStatus::syncLine(false, sync, english),
              QStringLiteral("Last sync at %1: 120 files, 3 added, 1 changed, 0 removed.").arg(time));
    sync.result = {0, 0, 0, 1};
    EXPECT_EQ(LibraryStatus::syncLine(false, sync, english),
              QStringLiteral("Last sync at %1: 1 file, 0 added, 0 changed, 0 removed.").arg(time));
    EXPECT_EQ(LibraryStatus::syncLine(false, std::nullopt, english), qtTrId("status.synced"));
    EXPECT_EQ(LibraryStatus::syncLine(true, sync, english), qtTrId("status.syncing"));
    EXPECT_EQ(LibraryStatus::syncLine(true, std::nullopt, english), qtTrId("status.syncing"));
}

TEST_F(LyricsTexts, LyricsLineNamesTheSongBeingLookedUp) {
    ZazidEvoz::LyricsBackgroundService::Status status;
    EXPECT_EQ(LibraryStatus::lyricsLine(status), qtTrId("status.lyricsIdle"));
    status.running = true;
    EXPECT_EQ(LibraryStatus::lyricsLine(status), QStringLiteral("Looking up lyrics: \u2026"));
    status.current = "Band %2 - Song %1";
    EXPECT_EQ(LibraryStatus::lyricsLine(status), QStringLiteral("Looking up lyrics: Band %2 - Song %1"));
}

TEST_F(LyricsTexts, DatesAreAbbreviatedWithoutTheWeekday) {
    EXPECT_EQ(abbreviatedDateFormat(QLocale(QLocale::English, QLocale::UnitedStates)), "MMM d, yyyy");
    const QString german = abbreviatedDateFormat(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_FALSE(german.contains(QStringLiteral("dddd")));
    EXPECT_FALSE(german.contains(QStringLiteral("MMMM")));
    EXPECT_TRUE(german.contains(QStringLiteral("MMM")));
    EXPECT_TRUE(abbreviatedDateTimeText(localAfternoon(), QLocale(QLocale::English, QLocale::UnitedStates))
                    .startsWith(QStringLiteral("Mar 4, 2026 2:05")));
}
