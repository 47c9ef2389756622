#include "ShellFixture.hpp"

#include "ZazidEvoz/catalogue/LibraryStore.hpp"

#include <gtest/gtest.h>

namespace ZintraRadio::testkit {

namespace {

// Every test program of the area releases the fixture, if one of its tests made it.
[[maybe_unused]] auto* const environment = ::testing::AddGlobalTestEnvironment(new ReleaseRun<ShellFixture>);

ZazidEvoz::Station station(std::string name, std::string url, std::string genre, std::string code,
                           int bitrate) {
    ZazidEvoz::Station s;
    s.name = std::move(name);
    s.url = std::move(url);
    s.genre = std::move(genre);
    s.countryCode = std::move(code);
    s.bitrate = bitrate;
    return s;
}

} // namespace

ShellFixture::ShellFixture() {
    radio.addStream("/live", toneStation("Local Test FM", 2));
    radio.setTitle("/live", "Artist One - Song One");
    radio.start();
    streamURL = radio.url("/live");

    ZazidEvoz::LibrarySnapshot library(
        {station("Local Test FM", streamURL, "test, tone", "AT", 128),
         station("Nightwave Radio", "http://127.0.0.1:9/night", "ambient, electronic", "DE", 192),
         station("Alpine Jazz Lounge", "http://127.0.0.1:9/jazz", "jazz, lounge, smooth", "CH", 128),
         station("Danube Classics", "http://127.0.0.1:9/classics", "classical, opera", "AT", 256),
         station("Cosmic Drift", "http://127.0.0.1:9/drift", "chillout, downtempo", "NL", 96),
         station("Morning Indie", "http://127.0.0.1:9/indie", "indie, alternative, rock", "GB", 160),
         station(hostileName, "http://127.0.0.1:9/never", "<i>rock</i>", "", 0)},
        {}, {}, {}, std::nullopt, 0.6f, "zintra");
    ZazidEvoz::LibraryStore(support).save(library);

    AppRuntime::configure(windowRunOptions(support));
    open();
}

} // namespace ZintraRadio::testkit
