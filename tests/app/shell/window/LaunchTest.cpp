// The real application as a separate process: a second launch with the same support folder
// hands over and ends, SIGTERM while playing and recording ends in order (a finished MP3, a
// saved library, no child left), the icon export runs without any display, and without one
// a normal start says so in one line.
#include "AppRunKit.hpp"
#include "ZazidEvoz/catalogue/LibraryStore.hpp"
#include "ZazidEvoz/platform/Process.hpp"
#include "kit/IconArtist.hpp"
#include "shell/SingleInstance.hpp"
#include "support/Media.hpp"
#include "support/Sandbox.hpp"
#include "support/StreamServer.hpp"

#include <QCryptographicHash>
#include <algorithm>
#include <QFile>
#include <QLocalSocket>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/prctl.h>
#include <thread>

using namespace ZintraRadio;
using namespace ZintraRadio::testkit;
using namespace std::chrono_literals;
namespace fs = std::filesystem;
namespace platform = ZazidEvoz::platform;

namespace {

struct Launch {
    fs::path support = ZazidEvoz::testkit::makeTemporaryFolder("support");
    fs::path music = ZazidEvoz::testkit::makeTemporaryFolder("music");
    platform::Environment environment = applicationEnvironment(support, music);

    Launch() { environment["QT_QPA_PLATFORM"] = "offscreen"; }

    platform::Process start(const std::string& workingDirectory = {}) const {
        platform::ProcessOptions options({applicationProgram().string()});
        options.environment = environment;
        options.output = platform::StreamMode::Null;
        options.error = platform::StreamMode::Inherit;
        options.workingDirectory = workingDirectory;
        return platform::Process::start(options);
    }

    // The running application answers on its socket.
    bool answering() const {
        QLocalSocket socket;
        socket.connectToServer(SingleInstance::serverName(QString::fromStdString(support.string())));
        return socket.waitForConnected(200);
    }
};

bool waitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return done();
        std::this_thread::sleep_for(50ms);
    }
    return true;
}

QByteArray fileHash(const fs::path& path) {
    QFile file(QString::fromStdString(path.string()));
    return file.open(QIODevice::ReadOnly)
               ? QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256)
               : QByteArray();
}

} // namespace

TEST(Launch, ASecondLaunchWithTheSameFolderHandsOverAndEnds) {
    Launch first;
    auto running = first.start();
    ASSERT_TRUE(waitFor([&] { return first.answering(); }, 60s));

    auto second = first.start();
    const auto ended = second.waitFor(30s);
    ASSERT_TRUE(ended.has_value());
    EXPECT_TRUE(ended->succeeded()) << ended->shellStatus();
    EXPECT_FALSE(running.waitFor(500ms).has_value()); // the first one runs on

    // Another folder is another application.
    Launch other;
    auto independent = other.start();
    ASSERT_TRUE(waitFor([&] { return other.answering(); }, 60s));
    EXPECT_FALSE(independent.waitFor(200ms).has_value());

    for (auto* process : {&running, &independent}) {
        ::kill(process->pid(), SIGTERM);
        const auto status = process->waitFor(60s);
        ASSERT_TRUE(status.has_value());
        EXPECT_TRUE(status->succeeded()) << status->shellStatus();
    }
}

TEST(Launch, SigtermWhilePlayingAndRecordingFinishesTheRecordingAndSaves) {
    // Orphans would come to us instead of init, so a leftover ffmpeg is seen.
    ASSERT_EQ(::prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
    ZazidEvoz::testkit::StreamServer radio;
    radio.addStream("/live", toneStation());
    radio.setTitle("/live", "Artist Two - Song Two");
    radio.start();

    Launch launch;
    ZazidEvoz::Station station;
    station.name = "Local Test FM";
    station.url = radio.url("/live");
    ZazidEvoz::LibraryStore(launch.support)
        .save(ZazidEvoz::LibrarySnapshot({station}, {}, {}, {}, std::nullopt, 0.5f, "zintra"));
    launch.environment["ZINTRARADIO_AUTOPLAY"] = "local test";
    launch.environment["ZINTRARADIO_RECORD"] = "1.5";
    auto app = launch.start();

    const fs::path recordings = launch.music / "Recordings";
    fs::path recording;
    ASSERT_TRUE(waitFor(
        [&] {
            std::error_code error;
            for (const auto& entry : fs::directory_iterator(recordings, error))
                if (entry.path().extension() == ".mp3" && fs::file_size(entry.path(), error) > 40000)
                    recording = entry.path();
            return !recording.empty();
        },
        60s))
        << "no recording grew in " << recordings;

    ASSERT_EQ(::kill(app.pid(), SIGTERM), 0);
    const auto status = app.waitFor(60s);
    ASSERT_TRUE(status.has_value());
    EXPECT_TRUE(status->succeeded()) << status->shellStatus();

    // The file is a whole MP3: ffmpeg decodes it to the end without a complaint.
    const auto decoded = platform::runProcess(platform::ProcessOptions(
        {ZazidEvoz::testkit::ffmpegPath(), "-v", "error", "-i", recording.string(), "-f", "null", "-"}));
    EXPECT_TRUE(decoded.status.succeeded());
    EXPECT_EQ(decoded.error, "");
    // The library was written at the end: it knows what played last.
    const auto saved = ZazidEvoz::LibraryStore(launch.support).load();
    EXPECT_EQ(saved.lastPlayedURL.value_or(""), station.url);
    // Nothing the application started is left.
    EXPECT_TRUE(waitFor([] { return ZazidEvoz::testkit::childProcesses().empty(); }, 5s));
}

TEST(Launch, TheIconExportNeedsNoDisplayAndWritesTheSameBytesTwice) {
    Launch launch;
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        launch.environment.erase(name);
    const fs::path folder = ZazidEvoz::testkit::makeTemporaryFolder("export") / "icons";
    launch.environment["ZINTRARADIO_EXPORT_APPICON"] = folder.string();
    std::vector<QByteArray> first;
    for (int run = 0; run < 2; ++run) {
        auto app = launch.start();
        const auto status = app.waitFor(120s);
        ASSERT_TRUE(status.has_value());
        EXPECT_TRUE(status->succeeded()) << status->shellStatus();
        std::size_t index = 0;
        for (const auto& file : IconArtist::iconSet()) {
            const QByteArray hash = fileHash(folder / file.name);
            EXPECT_FALSE(hash.isEmpty()) << file.name;
            if (run == 0)
                first.push_back(hash);
            else
                EXPECT_EQ(hash, first[index++]) << file.name;
        }
    }
    // An empty value names the working folder.
    const fs::path here = ZazidEvoz::testkit::makeTemporaryFolder("here");
    launch.environment["ZINTRARADIO_EXPORT_APPICON"] = "";
    auto app = launch.start(here.string());
    const auto status = app.waitFor(120s);
    ASSERT_TRUE(status.has_value());
    EXPECT_TRUE(status->succeeded());
    EXPECT_TRUE(fs::exists(here / "icon_512x512@2x.png"));
    // No window, no model: nothing else was written.
    EXPECT_FALSE(fs::exists(launch.support / "library.json"));
}

TEST(Launch, WithoutAGraphicalSessionOneLineSaysSoAndTheStatusIsOne) {
    Launch launch;
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        launch.environment.erase(name);
    platform::ProcessOptions options({applicationProgram().string()});
    options.environment = launch.environment;
    options.output = platform::StreamMode::Null;
    options.error = platform::StreamMode::Pipe;
    auto app = platform::Process::start(options);
    std::string said;
    char buffer[4096];
    for (ssize_t got; (got = platform::readRetrying(app.errorFd(), buffer, sizeof buffer)) > 0;)
        said.append(buffer, static_cast<std::size_t>(got));
    const auto status = app.waitFor(120s);
    ASSERT_TRUE(status.has_value());
    EXPECT_EQ(status->shellStatus(), 1);
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_NE(said.find("no graphical session"), std::string::npos) << said;
    EXPECT_FALSE(fs::exists(launch.support / "library.json"));
}
