// Menu commands on a real model: Stop closes a video on the stage first and only then stops
// the engine; the favourite item needs a current item; the volume items stay within 0 ... 1.
#include "YouTubeKit.hpp"
#include "shell/ShellCommands.hpp"
#include "shell/ShellTray.hpp"
#include "state/UIState.hpp"

#include <gtest/gtest.h>

using namespace ZintraRadio;
using namespace ZintraRadio::testkit;
using namespace std::chrono_literals;

namespace {

std::unique_ptr<UIState> makeUI(const AppSetup& setup) {
    UIState::Options options;
    options.settingsFile = QString::fromStdString((setup.folder / "ui.ini").string());
    options.reducedMotion = [] { return false; };
    options.hooks = [](std::string_view) { return std::optional<std::string>(); };
    return std::make_unique<UIState>(std::move(options));
}

} // namespace

TEST(MenuCommands, StopClosesTheVideoFirstAndThenStopsTheEngine) {
    ClipSite site;
    ScriptedYtDlp ytdlp{{"a1"}};
    ytdlp.stream("a1", site.clipURL() + "?first");
    AppSetup setup;
    AppModel model{videoFreeOptions(setup)};
    auto ui = makeUI(setup);
    const Station radio = makeStation(ZazidEvoz::MediaKind::radio, "Radio", "http://127.0.0.1:9/radio");
    model.play(radio);
    auto video = makeStation(ZazidEvoz::MediaKind::youtube, "Artist - Video", youtubeLink("a1"));
    model.watchVideo(video);
    ASSERT_TRUE(pumpUntil([&] { return model.videoPlayer() != nullptr; }, 20s));

    runCommand({Command::stop}, model, *ui);
    EXPECT_FALSE(model.videoItem());
    EXPECT_EQ(model.current(), radio); // the transport keeps its item
    runCommand({Command::stop}, model, *ui);
    // The engine reports its stop through the event queue.
    EXPECT_TRUE(pumpUntil([&] { return model.stateName() == QLatin1String("stopped"); }, 5s));
    EXPECT_EQ(model.current(), radio);
}

TEST(MenuCommands, FavouriteNeedsACurrentItemAndVolumeStaysInRange) {
    AppSetup setup;
    AppModel model{setup.options()};
    auto ui = makeUI(setup);
    const auto favourites = model.library().favoriteURLs;
    runCommand({Command::favorite}, model, *ui);
    EXPECT_EQ(model.library().favoriteURLs, favourites);

    model.setVolume(0.98f);
    runCommand({Command::volumeUp}, model, *ui);
    EXPECT_FLOAT_EQ(model.volume(), 1.0f);
    runCommand({Command::volumeUp}, model, *ui);
    EXPECT_FLOAT_EQ(model.volume(), 1.0f);
    model.setVolume(0.03f);
    runCommand({Command::volumeDown}, model, *ui);
    EXPECT_FLOAT_EQ(model.volume(), 0.0f);

    model.setVisualizerMode("no such mode");
    runCommand({Command::nextMode}, model, *ui);
    EXPECT_EQ(model.visualizerMode(), "scope");
    runCommand({Command::module, 3}, model, *ui);
    EXPECT_EQ(ui->moduleName(), QLatin1String("history"));
    runCommand({Command::module, 7}, model, *ui); // no eighth module: nothing
    EXPECT_EQ(ui->moduleName(), QLatin1String("history"));
}

TEST(Tray, BothSymbolsAreDrawnFromTheIconFont) {
    for (const char* symbol : {"tornado", "dot.radiowaves.left.and.right"}) {
        const QImage image = ShellTray::symbolIcon(QString::fromLatin1(symbol)).pixmap(64, 64).toImage();
        ASSERT_FALSE(image.isNull()) << symbol;
        int lit = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                lit += qAlpha(image.pixel(x, y)) > 128 ? 1 : 0;
        EXPECT_GT(lit, 200) << symbol;
    }
    EXPECT_TRUE(ShellTray::symbolIcon(QStringLiteral("no.such.symbol")).isNull());
}
