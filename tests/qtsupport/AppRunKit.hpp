// What runs of the whole application share: the folder for their pictures and the local
// radio's tone stream.
#pragma once

#include "app/appmodel/AppModelKit.hpp"
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

} // namespace ZintraRadio::testkit
