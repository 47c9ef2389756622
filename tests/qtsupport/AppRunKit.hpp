// What runs of the whole application share, in the test's process or as a child of it: the
// folder for their pictures, the local radio's tone stream, and the application program with
// the environment it starts in.
#pragma once

#include "AppModelKit.hpp"
#include "ZazidEvoz/platform/Process.hpp"
#include "support/StreamServer.hpp"

#include <filesystem>
#include <string>

namespace ZintraRadio::testkit {

// A folder under the build tree for a run's pictures, made when missing.
inline std::filesystem::path artefactFolder(const std::string& name = "artefacts") {
    const std::filesystem::path folder = std::filesystem::path(ZINTRARADIO_TEST_BINARY_DIR) / name;
    std::filesystem::create_directories(folder);
    return folder;
}

// The test tone as a station streams it, with an ICY title block every 8000 bytes; a burst at
// the start lets playback begin at once.
inline ZazidEvoz::testkit::StreamSpec toneStation(std::string icyName = {}, double burstSeconds = 0) {
    ZazidEvoz::testkit::StreamSpec spec;
    spec.media = ZazidEvoz::testkit::toneMp3();
    spec.metaint = 8000;
    spec.icyName = std::move(icyName);
    spec.burstSeconds = burstSeconds;
    return spec;
}

// The application's program in the build tree.
inline std::filesystem::path applicationProgram() {
    return std::filesystem::path(ZINTRARADIO_TEST_BINARY_DIR) / ".." / "src" / "ZintraRadio" / "zintraradio";
}

// The application as a child: its library and music in the given folders, no splash, Qt Quick's
// software renderer, and the directory, lyrics and cover services on a closed local port.
inline ZazidEvoz::platform::Environment applicationEnvironment(const std::filesystem::path& support,
                                                               const std::filesystem::path& music) {
    ZazidEvoz::platform::Environment environment = ZazidEvoz::platform::currentEnvironment();
    environment["ZINTRARADIO_LIBRARY_DIR"] = support.string();
    environment["ZINTRARADIO_MUSIC_DIR"] = music.string();
    environment["ZINTRARADIO_SKIP_BOOT"] = "";
    environment["QT_QUICK_BACKEND"] = "software";
    for (const char* service :
         {"ZINTRARADIO_DIRECTORY_API", "ZINTRARADIO_LYRICS_API", "ZINTRARADIO_COVER_API"})
        environment[service] = deadURL;
    return environment;
}

} // namespace ZintraRadio::testkit
