// The real application as a child process on the test's X display and D-Bus session, set up
// by hook variables: it plays the local stream it was told to, in the visual mode it was
// told to, opens its about and mini windows, ignores hostile values, and on SIGTERM saves
// what it was set to, all without a QML warning. A picture of the whole screen goes to the
// artefacts folder.
#include "AppRunKit.hpp"
#include "ZazidEvoz/catalogue/LibraryStore.hpp"
#include "ZazidEvoz/platform/Process.hpp"
#include "support/Media.hpp"
#include "support/Sandbox.hpp"
#include "support/StreamServer.hpp"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusReply>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

using namespace ZintraRadio::testkit;
using namespace std::chrono_literals;
namespace fs = std::filesystem;
namespace platform = ZazidEvoz::platform;

namespace {

// The player's property over MPRIS, from whichever name it published under.
QVariant playerProperty(const char* name) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    const QDBusReply<QStringList> names = bus.interface()->registeredServiceNames();
    for (const QString& service : names.value())
        if (service.startsWith(QLatin1String("org.mpris.MediaPlayer2.ZintraRadio"))) {
            QDBusInterface player(service, QStringLiteral("/org/mpris/MediaPlayer2"),
                                  QStringLiteral("org.mpris.MediaPlayer2.Player"), bus);
            return player.property(name);
        }
    return {};
}

std::size_t occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size()))
        ++count;
    return count;
}

bool waitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return done();
        QTest::qWait(100);
    }
    return true;
}

} // namespace

TEST(ShellRun, HooksSetUpTheRealApplicationAndHostileValuesAreIgnored) {
    ZazidEvoz::testkit::StreamServer radio;
    radio.addStream("/live", toneStation());
    radio.setTitle("/live", "Artist Two - Song Two");
    radio.start();

    const fs::path support = ZazidEvoz::testkit::makeTemporaryFolder("support");
    const fs::path music = ZazidEvoz::testkit::makeTemporaryFolder("music");
    ZazidEvoz::Station first, second;
    first.name = "Morning Talk";
    first.url = "http://127.0.0.1:9/talk";
    second.name = "Local Test FM";
    second.url = radio.url("/live");
    ZazidEvoz::LibraryStore(support).save(
        ZazidEvoz::LibrarySnapshot({first, second}, {}, {}, {}, std::nullopt, 0.5f, "zintra"));

    platform::Environment environment = applicationEnvironment(support, music);
    environment["ZINTRARADIO_AUTOPLAY"] = "local test";
    environment["ZINTRARADIO_MODE"] = "warp";
    environment["ZINTRARADIO_VOLUME"] = "0.3";
    environment["ZINTRARADIO_PANEL"] = "history";
    environment["ZINTRARADIO_ABOUT"] = "";
    environment["ZINTRARADIO_MINI"] = "";
    environment["ZINTRARADIO_TOAST"] = "Set up by a script";
    environment["ZINTRARADIO_RECORD"] = "nan";
    environment["ZINTRARADIO_DOWNLOAD"] = "1e400";
    environment["ZINTRARADIO_MODE_CYCLE"] = "inf";
    platform::ProcessOptions options({applicationProgram().string()});
    options.environment = environment;
    options.output = platform::StreamMode::Null;
    options.error = platform::StreamMode::Pipe;
    auto app = platform::Process::start(options);
    // What it writes on standard error, read as it comes so the pipe never fills.
    std::string errors;
    std::thread reader([&errors, fd = app.errorFd()] {
        char buffer[4096];
        for (ssize_t got; (got = platform::readRetrying(fd, buffer, sizeof buffer)) > 0;)
            errors.append(buffer, static_cast<std::size_t>(got));
    });
    // A test that ends early ends the application, so the reader sees the end of the pipe.
    struct Joined {
        platform::Process& app;
        std::thread& reader;
        ~Joined() {
            if (reader.joinable()) {
                ::kill(app.pid(), SIGKILL);
                reader.join();
            }
        }
    } joined{app, reader};

    ASSERT_TRUE(
        waitFor([] { return playerProperty("PlaybackStatus").toString() == QLatin1String("Playing"); }, 60s));
    // The stored volume stays what the user set; only the engine plays quieter.
    EXPECT_NEAR(playerProperty("Volume").toDouble(), 0.5, 1e-6);
    QTest::qWait(2500); // the toast, the windows and some sound in the spectrum
    const QImage screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    screen.save(QString::fromStdString((artefactFolder() / "shellrun-screen.png").string()));
    EXPECT_FALSE(screen.isNull());

    ASSERT_EQ(::kill(app.pid(), SIGTERM), 0);
    const auto status = app.waitFor(60s);
    reader.join();
    ASSERT_TRUE(status.has_value());
    EXPECT_TRUE(status->succeeded()) << status->shellStatus();
    // QML names the file of every warning it gives; up to the end, there is none.
    EXPECT_EQ(errors.find("qrc:/"), std::string::npos) << errors;
    // The run draws on the software scene graph: one line says the shader stages are off.
    EXPECT_EQ(occurrences(errors, "shader stages off\n"), 1) << errors;
    const auto saved = ZazidEvoz::LibraryStore(support).load();
    EXPECT_EQ(saved.visualizerMode, "warp"); // no cycling with a period that is no number
    EXPECT_EQ(saved.lastPlayedURL.value_or(""), second.url);
    EXPECT_FLOAT_EQ(saved.volume, 0.5f);
    // No recording was started by a delay that is no number.
    std::error_code error;
    EXPECT_FALSE(fs::exists(music / "Recordings", error) && !fs::is_empty(music / "Recordings", error));
}
