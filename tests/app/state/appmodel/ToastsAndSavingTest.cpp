// Toasts, the tool flags and the saving of the radio library, on the test's clock.
#include "AppModelKit.hpp"
#include "ZazidEvoz/catalogue/LibraryStore.hpp"
#include "ZazidEvoz/platform/FaultInjection.hpp"
#include "ZazidEvoz/platform/Files.hpp"
#include "ZazidEvoz/platform/Json.hpp"
#include "system/Clipboard.hpp"

#include <gtest/gtest.h>

using namespace ZintraRadio;
using namespace ZintraRadio::testkit;
namespace platform = ZazidEvoz::platform;

namespace {

struct Clocked {
    AppSetup setup;
    AppModel model{setup.options()};

    // The library as stored on disk.
    ZazidEvoz::LibrarySnapshot stored() const {
        auto bytes = platform::readFile(setup.libraryFile(), 1 << 24);
        return ZazidEvoz::librarySnapshotFromJson(ZazidEvoz::json::parse(bytes.value()));
    }
    std::string storedBytes() const { return platform::readFile(setup.libraryFile(), 1 << 24).value_or(""); }
    void advance(double seconds) { setup.scheduler->advance(seconds); }
    std::optional<std::string> toastText() const {
        return model.toast() ? std::optional(model.toast()->text) : std::nullopt;
    }
};

} // namespace

TEST(AppModelToasts, OneToastAtATimeEachClearedOnlyByItsOwnTimer) {
    Clocked app;
    // A newer toast survives the timer of the one it replaced.
    app.model.show(Toast::Style::info, "first");
    app.advance(1);
    app.model.show(Toast::Style::info, "second");
    EXPECT_EQ(app.toastText(), "second");
    app.advance(3.5); // t = 4.5: the first one's timer has fired
    EXPECT_EQ(app.toastText(), "second");
    app.advance(0.5); // t = 5: four seconds after the second
    EXPECT_FALSE(app.model.toast());

    // Errors stay six seconds, warnings four.
    app.model.show(Toast::Style::error, "broken");
    app.advance(5.9);
    EXPECT_EQ(app.toastText(), "broken");
    app.advance(0.1);
    EXPECT_FALSE(app.model.toast());
    app.model.show(Toast::Style::warning, "careful");
    app.advance(3.9);
    EXPECT_TRUE(app.model.toast());
    app.advance(0.1);
    EXPECT_FALSE(app.model.toast());

    // The same text twice: two toasts, the second keeps its full time.
    app.model.show(Toast::Style::info, "again");
    const QUuid firstId = app.model.toast()->id;
    app.advance(2);
    QSignalSpy changes(&app.model, &AppModel::toastChanged);
    app.model.show(Toast::Style::info, "again");
    EXPECT_EQ(changes.count(), 1);
    EXPECT_NE(app.model.toast()->id, firstId);
    app.advance(3);
    EXPECT_EQ(app.toastText(), "again");
    app.advance(1);
    EXPECT_FALSE(app.model.toast());

    // Closed by the user, then a new one within the old one's lifetime: the old timer leaves it.
    app.model.show(Toast::Style::info, "closed soon");
    app.advance(1);
    app.model.closeToast();
    EXPECT_FALSE(app.model.toast());
    app.advance(1);
    app.model.show(Toast::Style::success, "new", std::filesystem::path("/tmp/file.mp3"));
    app.advance(2.5);
    EXPECT_EQ(app.toastText(), "new");
    const QVariantMap shown = app.model.toastValue().toMap();
    EXPECT_EQ(shown.value("style").toString(), "success");
    EXPECT_EQ(shown.value("file").toString(), "/tmp/file.mp3");
}

// A toast's button acts once and only while its own toast is up.
TEST(AppModelToasts, AButtonRunsOnceAndGoesWithItsToast) {
    Clocked app;
    int undone = 0;
    app.model.show(Toast::Style::info, "deleted", "action.undo", [&] { ++undone; });
    ASSERT_TRUE(app.model.toast());
    EXPECT_EQ(app.model.toast()->actionKey, "action.undo");
    EXPECT_EQ(app.model.toastValue().toMap().value(QStringLiteral("actionKey")).toString(),
              QStringLiteral("action.undo"));
    app.model.runToastAction();
    EXPECT_EQ(undone, 1);
    EXPECT_FALSE(app.model.toast()) << "the toast closes with its button";
    app.model.runToastAction();
    EXPECT_EQ(undone, 1);

    for (const auto& replace : std::vector<std::function<void()>>{
             [&] { app.model.show(Toast::Style::info, "newer"); }, [&] { app.model.closeToast(); },
             [&] { app.advance(4); }}) {
        app.model.show(Toast::Style::info, "deleted", "action.undo", [&] { ++undone; });
        replace();
        app.model.runToastAction();
        EXPECT_EQ(undone, 1) << "a replaced, closed or expired toast takes its button along";
    }
}

TEST(AppModelToasts, ToolChecksAndTheInstallHint) {
    Clocked app;
    EXPECT_TRUE(app.model.hasFFmpeg());
    QSignalSpy ffmpeg(&app.model, &AppModel::hasFFmpegChanged);
    QSignalSpy ytdlp(&app.model, &AppModel::hasYtDlpChanged);
    app.model.recheckTools();
    EXPECT_EQ(ffmpeg.count() + ytdlp.count(), 0);

    app.model.copyInstallCommand();
    EXPECT_EQ(Clipboard::text(), "sudo apt install ffmpeg yt-dlp");
    ASSERT_TRUE(app.model.toast());
    EXPECT_EQ(app.model.toast()->style, Toast::Style::info);
    EXPECT_EQ(app.model.toast()->text, "toast.copied");
}

TEST(AppModelSaving, ABurstOfEditsIsOneSaveOfTheLastState) {
    Clocked app;
    app.advance(0.5); // the save every start makes
    ASSERT_TRUE(std::filesystem::exists(app.setup.libraryFile()));
    // Every save replaces the file: while it is gone, nothing has been saved.
    std::filesystem::remove(app.setup.libraryFile());
    for (int i = 1; i <= 10; ++i) {
        app.model.setVolume(0.05f * static_cast<float>(i));
        app.advance(0.1);
    }
    app.advance(0.29); // 0.39 s after the tenth change
    EXPECT_FALSE(std::filesystem::exists(app.setup.libraryFile()));
    app.advance(0.01);
    ASSERT_TRUE(std::filesystem::exists(app.setup.libraryFile()));
    EXPECT_FLOAT_EQ(app.stored().volume, 0.5f);
}

TEST(AppModelSaving, SaveNowWritesAtOnceAndDropsThePendingSave) {
    Clocked app;
    app.model.setVisualizerMode("plasma");
    app.model.saveNow();
    EXPECT_EQ(app.stored().visualizerMode, "plasma");
    std::filesystem::remove(app.setup.libraryFile());
    app.advance(2);
    EXPECT_FALSE(std::filesystem::exists(app.setup.libraryFile()));
}

TEST(AppModelSaving, AFailedSaveKeepsTheOldFileWholeAndTriesAgainOnTheNextEdit) {
    Clocked app;
    app.model.setVolume(0.3f);
    app.advance(0.4);
    const std::string before = app.storedBytes();
    ASSERT_FALSE(before.empty());

    platform::FaultInjection::failNth(platform::Seam::AtomicWrite, 1);
    app.model.setVolume(0.6f);
    ::testing::internal::CaptureStderr();
    app.advance(0.4);
    const std::string said = ::testing::internal::GetCapturedStderr();
    platform::FaultInjection::reset();
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_TRUE(said.starts_with("ZintraRadio: saving library failed: ")) << said;
    EXPECT_EQ(app.storedBytes(), before);
    EXPECT_FALSE(app.model.toast());
    EXPECT_FLOAT_EQ(app.model.library().volume, 0.6f);

    app.model.setMuted(true); // not an edit of the library: nothing is saved
    app.advance(0.4);
    EXPECT_EQ(app.storedBytes(), before);
    app.model.setVisualizerMode("aurora");
    app.advance(0.4);
    EXPECT_FLOAT_EQ(app.stored().volume, 0.6f);
    EXPECT_EQ(app.stored().visualizerMode, "aurora");
}
