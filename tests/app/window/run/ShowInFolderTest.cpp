// "Show in folder" on a plain X session, where no file manager and no opener is there: each
// button and menu entry that would show a folder or a file says so in a toast that names it,
// instead of doing nothing visible.
#include "MessageGate.hpp"
#include "WindowRunKit.hpp"
#include "ZazidEvoz/core/MediaFolders.hpp"
#include "state/MusicUI.hpp"
#include "support/Sandbox.hpp"

using namespace ZintraRadio;
using namespace ZintraRadio::testkit;

namespace {

[[maybe_unused]] auto* const environment = ::testing::AddGlobalTestEnvironment(new ReleaseRun<LibraryWindow>);

class ShowInFolder : public WindowRun {
protected:
    void SetUp() override {
        start();
        // Qt looks for an opener (xdg-open, a browser) on the search path each time: none here.
        expectMessage(QStringLiteral("^Unable to detect a launcher for "));
    }

    const fs::path emptyFolder = ZazidEvoz::testkit::makeTemporaryFolder("no-opener");
    ZazidEvoz::testkit::ScopedEnvironment path{"PATH", emptyFolder.c_str()};

    // Waits for a new error toast and gives its text.
    std::string nextErrorToast(const std::optional<QUuid>& before) {
        const bool shown = pumpUntil(
            [&] { return model->toast() && (!before || model->toast()->id != *before); }, 10s);
        if (!shown)
            return "no toast";
        EXPECT_EQ(model->toast()->style, Toast::Style::error);
        return model->toast()->text;
    }
    std::optional<QUuid> toastNow() const {
        return model->toast() ? std::optional<QUuid>(model->toast()->id) : std::nullopt;
    }
};

} // namespace

TEST_F(ShowInFolder, TheFolderButtonsSayThatNothingCanShowTheFolder) {
    const struct {
        const char* module;
        const char* button;
        fs::path folder;
    } cases[] = {
        {"recordings", "recordingsOpenFolder", ZazidEvoz::MediaFolders::recordings()},
        {"youtube", "youtubeOpenFolder", ZazidEvoz::MediaFolders::downloads()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.button);
        show(c.module);
        const auto before = toastNow();
        click(c.button);
        const std::string text = nextErrorToast(before);
        EXPECT_NE(text.find(c.folder.string()), std::string::npos) << text;
        EXPECT_EQ(text, localizedText("toast.noFileManager", {QString::fromStdString(c.folder.string())}));
        EXPECT_TRUE(fs::is_directory(c.folder)) << "the folder is made all the same";
        pumpFor(300ms);
        run->grab(fmt::format("windowrun-no-file-manager-{}.png", c.module).c_str());
    }
}

TEST_F(ShowInFolder, ATracksShowInFolderSaysThatNothingCanShowTheFile) {
    show("music");
    ui->music()->close();
    ui->music()->setTabName(QStringLiteral("tracks"));
    QQuickItem* row = shown("trackRow0");
    ASSERT_NE(row, nullptr);
    const std::string file = row->property("path").toString().toStdString();
    ASSERT_FALSE(file.empty());
    const auto before = toastNow();
    click(row, {-1, -1}, Qt::RightButton);
    click("menuReveal");
    const std::string text = nextErrorToast(before);
    EXPECT_EQ(text, localizedText("toast.noFileManager", {QString::fromStdString(file)}));
}
