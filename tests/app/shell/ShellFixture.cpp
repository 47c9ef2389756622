#include "ShellFixture.hpp"

#include "MainWindowKit.hpp"
#include "ZazidEvoz/LibraryStore.hpp"
#include "shell/AppEntry.hpp"
#include "state/AppRuntime.hpp"

#include <QCoreApplication>
#include <QTest>
#include <QTranslator>
#include <cstdlib>

namespace ZintraRadio::testkit {

namespace fs = std::filesystem;

std::filesystem::path ShellFixture::artefacts() {
    const fs::path folder = fs::path(ZINTRARADIO_TEST_BINARY_DIR) / "artefacts";
    fs::create_directories(folder);
    return folder;
}

QImage ShellFixture::grab(const char* artefactName) const {
    const QImage image = window->grabWindow();
    image.save(QString::fromStdString((artefacts() / artefactName).string()));
    return image;
}

namespace {
ShellFixture* made = nullptr;
} // namespace

void ShellFixture::release() {
    if (made == nullptr)
        return;
    if (made->window != nullptr)
        finishScene(*made->window);
    made->engine.reset();
    AppRuntime::release();
    delete made;
    made = nullptr;
}

ShellFixture& ShellFixture::get() {
    static ShellFixture* fixture = [] {
        auto* f = new ShellFixture();
        // The window draws with Qt Quick's software renderer: the X display is real, while
        // the effects that need OpenGL have their own tests (and their fallbacks show here).
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
        // The splash has its own tests; here the window is wanted at once.
        ::setenv("ZINTRARADIO_SKIP_BOOT", "", 1);
        ::setenv("SDL_AUDIODRIVER", "dummy", 1);

        ZazidEvoz::testkit::StreamSpec spec;
        spec.media = ZazidEvoz::testkit::toneMp3();
        spec.metaint = 8000;
        spec.icyName = "Local Test FM";
        spec.burstSeconds = 2;
        f->radio.addStream("/live", spec);
        f->radio.setTitle("/live", "Artist One - Song One");
        f->radio.start();
        f->streamURL = f->radio.url("/live");

        f->support = ZazidEvoz::testkit::makeTemporaryFolder("support");
        auto station = [](std::string name, std::string url, std::string genre, std::string code,
                          int bitrate) {
            ZazidEvoz::Station s;
            s.name = std::move(name);
            s.url = std::move(url);
            s.genre = std::move(genre);
            s.countryCode = std::move(code);
            s.bitrate = bitrate;
            return s;
        };
        ZazidEvoz::LibrarySnapshot library(
            {station("Local Test FM", f->streamURL, "test, tone", "AT", 128),
             station("Nightwave Radio", "http://127.0.0.1:9/night", "ambient, electronic", "DE", 192),
             station("Alpine Jazz Lounge", "http://127.0.0.1:9/jazz", "jazz, lounge, smooth", "CH", 128),
             station("Danube Classics", "http://127.0.0.1:9/classics", "classical, opera", "AT", 256),
             station("Cosmic Drift", "http://127.0.0.1:9/drift", "chillout, downtempo", "NL", 96),
             station("Morning Indie", "http://127.0.0.1:9/indie", "indie, alternative, rock", "GB", 160),
             station(f->hostileName, "http://127.0.0.1:9/never", "<i>rock</i>", "", 0)},
            {}, {}, {}, std::nullopt, 0.6f, "zintra");
        ZazidEvoz::LibraryStore(f->support).save(library);

        AppRuntime::Options options;
        options.model.supportFolder = f->support;
        options.model.settingsFile = QString::fromStdString((f->support / "settings.conf").string());
        options.model.loadDirectory = false;
        options.model.sessionBus = false;
        options.ui.settingsFile = options.model.settingsFile;
        AppRuntime::configure(std::move(options));

        f->engine = std::make_unique<QQmlApplicationEngine>();
        f->window = loadMainWindow(*f->engine, f->warnings);
        made = f;
        return f;
    }();
    return *fixture;
}

} // namespace ZintraRadio::testkit
