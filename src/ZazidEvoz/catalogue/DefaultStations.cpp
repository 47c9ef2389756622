// Data only, apart from the union: the curated stations and the moved-stream table.
#include "DefaultStations.hpp"

#include "AustrianStations.hpp"

#include <cstdint>

namespace ZazidEvoz::DefaultStations {
namespace {

struct Row {
    const char* name;
    const char* url;
    const char* genre;
    const char* country;
    const char* countryCode;
    std::int64_t bitrate;
};

// clang-format off
constexpr Row curatedRows[] = {
    {"Deutschlandfunk", "https://st01.sslstream.dlf.de/dlf/01/128/mp3/stream.mp3", "news, talk", "Germany", "DE", 128},
    {"Deutschlandfunk Kultur", "https://st02.sslstream.dlf.de/dlf/02/128/mp3/stream.mp3", "kultur, talk", "Germany", "DE", 128},
    {"Deutschlandfunk Nova", "https://st03.sslstream.dlf.de/dlf/03/128/mp3/stream.mp3", "pop, wissen", "Germany", "DE", 128},
    {"1LIVE", "https://wdr-1live-live.icecastssl.wdr.de/wdr/1live/live/mp3/128/stream.mp3", "pop, charts", "Germany", "DE", 128},
    {"WDR 2", "https://wdr-wdr2-rheinland.icecastssl.wdr.de/wdr/wdr2/rheinland/mp3/128/stream.mp3", "pop, news", "Germany", "DE", 128},
    {"SWR3", "https://liveradio.swr.de/sw282p3/swr3/play.mp3", "pop, rock", "Germany", "DE", 128},
    {"N-JOY", "https://icecast.ndr.de/ndr/njoy/live/mp3/128/stream.mp3", "pop, charts", "Germany", "DE", 128},
    {"Fritz", "https://dispatcher.rndfnk.com/rbb/fritz/live/mp3/mid", "alternative, indie", "Germany", "DE", 128},
    {"egoFM", "https://streams.egofm.de/egoFM-hq", "indie, alternative", "Germany", "DE", 192},
    {"ByteFM", "https://stream.byte.fm/bytefm/mp3-128", "indie, elektro", "Germany", "DE", 128},
    {"Rock Antenne", "https://stream.rockantenne.de/rockantenne/stream/mp3", "rock, classic rock", "Germany", "DE", 128},
    {"Radio BOB!", "https://streams.radiobob.de/bob-national/mp3-192/mediaplayer", "rock", "Germany", "DE", 192},
    {"sunshine live", "http://stream.sunshine-live.de/live/mp3-192", "electronic, dance", "Germany", "DE", 192},
    {"Klassik Radio", "https://stream.klassikradio.de/live/mp3-192/stream.klassikradio.de", "klassik", "Germany", "DE", 192},
    {"80s80s", "https://streams.80s80s.de/web/mp3-192/streams.80s80s.de/", "80s, pop", "Germany", "DE", 192},
    {"FM4", "https://orf-live.ors-shoutcast.at/fm4-q2a", "alternative, indie", "Austria", "AT", 192},
    {"Radio Swiss Jazz", "https://stream.srg-ssr.ch/m/rsj/mp3_128", "jazz", "Switzerland", "CH", 128},
    {"Radio Swiss Classic", "https://stream.srg-ssr.ch/m/rsc_de/mp3_128", "klassik", "Switzerland", "CH", 128},
    {"SomaFM · Groove Salad", "https://ice1.somafm.com/groovesalad-256-mp3", "downtempo, ambient", "USA", "US", 256},
    {"SomaFM · Drone Zone", "https://ice1.somafm.com/dronezone-256-mp3", "ambient, drone", "USA", "US", 256},
    {"SomaFM · Lush", "https://ice1.somafm.com/lush-128-mp3", "vocal, chillout", "USA", "US", 128},
    {"SomaFM · Indie Pop Rocks", "https://ice1.somafm.com/indiepop-128-mp3", "indie, pop", "USA", "US", 128},
    {"SomaFM · Secret Agent", "https://ice1.somafm.com/secretagent-128-mp3", "lounge, spy jazz", "USA", "US", 128},
    {"SomaFM · DEF CON Radio", "https://ice1.somafm.com/defcon-256-mp3", "electronic, hacker", "USA", "US", 256},
    {"SomaFM · Fluid", "https://ice1.somafm.com/fluid-128-mp3", "instrumental hip hop, lofi", "USA", "US", 128},
    {"SomaFM · Deep Space One", "https://ice1.somafm.com/deepspaceone-128-mp3", "space, ambient", "USA", "US", 128},
    {"Radio Paradise · Main Mix", "https://stream.radioparadise.com/mp3-192", "eclectic, rock", "USA", "US", 192},
    {"Radio Paradise · Mellow", "https://stream.radioparadise.com/mellow-192", "mellow, acoustic", "USA", "US", 192},
    {"Radio Paradise · Rock", "https://stream.radioparadise.com/rock-192", "rock", "USA", "US", 192},
    {"KEXP 90.3 Seattle", "https://kexp-mp3-128.streamguys1.com/kexp128.mp3", "indie, alternative", "USA", "US", 128},
    {"NTS Radio 1", "https://stream-relay-geo.ntslive.net/stream", "eclectic, electronic", "United Kingdom", "GB", 128},
    {"NTS Radio 2", "https://stream-relay-geo.ntslive.net/stream2", "eclectic, electronic", "United Kingdom", "GB", 128},
    {"FIP", "https://icecast.radiofrance.fr/fip-midfi.mp3", "eclectic", "France", "FR", 128},
    {"FIP Rock", "https://icecast.radiofrance.fr/fiprock-midfi.mp3", "rock", "France", "FR", 128},
    {"FIP Jazz", "https://icecast.radiofrance.fr/fipjazz-midfi.mp3", "jazz", "France", "FR", 128},
    {"France Inter", "https://icecast.radiofrance.fr/franceinter-midfi.mp3", "talk, kultur", "France", "FR", 128},
    {"Jazz24", "https://live.amperwave.net/direct/ppm-jazz24mp3-ibc1", "jazz", "USA", "US", 256},
    {"Nightride FM", "https://stream.nightride.fm/nightride.mp3", "synthwave, retrowave", "International", "", 128},
    {"BBC Radio 6 Music", "http://as-hls-ww-live.akamaized.net/pool_904/live/ww/bbc_6music/bbc_6music.isml/bbc_6music-audio%3d320000.norewind.m3u8", "alternative, indie", "United Kingdom", "GB", 96},
    {"BBC Radio 1", "http://as-hls-ww-live.akamaized.net/pool_01505109/live/ww/bbc_radio_one/bbc_radio_one.isml/bbc_radio_one-audio%3d96000.norewind.m3u8", "pop, charts", "United Kingdom", "GB", 96},
};

// Where curated stations used to stream from; libraries that still hold these are rewritten.
constexpr std::pair<const char*, const char*> movedStreams[] = {
    {"https://egofm-live.cast.addradio.de/egofm/live/mp3/high/stream.mp3", "https://streams.egofm.de/egoFM-hq"},
    {"https://bytefm.cast.addradio.de/bytefm/main/mid/stream.mp3", "https://stream.byte.fm/bytefm/mp3-128"},
    {"http://80s80s.hoerradar.de/80s80s-mainstream-mp3-hq", "https://streams.80s80s.de/web/mp3-192/streams.80s80s.de/"},
    {"https://ais-sa2.cdnstream1.com/2366_128.mp3", "https://live.amperwave.net/direct/ppm-jazz24mp3-ibc1"},
    {"https://stream.nightride.fm/nightride.m4a", "https://stream.nightride.fm/nightride.mp3"},
    {"http://as-hls-ww-live.akamaized.net/pool_904/live/ww/bbc_6music/bbc_6music.isml/bbc_6music-audio%3d96000.norewind.m3u8",
     "http://as-hls-ww-live.akamaized.net/pool_904/live/ww/bbc_6music/bbc_6music.isml/bbc_6music-audio%3d320000.norewind.m3u8"},
    {"http://as-hls-ww-live.akamaized.net/pool_904/live/ww/bbc_radio_one/bbc_radio_one.isml/bbc_radio_one-audio%3d96000.norewind.m3u8",
     "http://as-hls-ww-live.akamaized.net/pool_01505109/live/ww/bbc_radio_one/bbc_radio_one.isml/bbc_radio_one-audio%3d96000.norewind.m3u8"},
};
// clang-format on

} // namespace

const std::vector<Station>& curated() {
    static const std::vector<Station> stations = [] {
        std::vector<Station> list;
        list.reserve(std::size(curatedRows));
        for (const Row& row : curatedRows) {
            Station station;
            station.kind = MediaKind::radio;
            station.name = row.name;
            station.url = row.url;
            station.genre = row.genre;
            station.country = row.country;
            station.countryCode = row.countryCode;
            station.codec = "MP3";
            station.bitrate = row.bitrate;
            list.push_back(std::move(station));
        }
        return list;
    }();
    return stations;
}

const std::vector<Station>& all() {
    static const std::vector<Station> stations = [] {
        std::vector<Station> list;
        appendNewStations(list, curated());
        appendNewStations(list, AustrianStations::all());
        return list;
    }();
    return stations;
}

const std::vector<std::string>& genreTags() {
    static const std::vector<std::string> tags = {
        "80s",  "90s",     "ambient", "blues", "chillout", "classical", "country", "electronic",
        "funk", "hip hop", "house",   "indie", "jazz",     "lofi",      "metal",   "news",
        "pop",  "punk",    "reggae",  "rock",  "soul",     "synthwave", "techno"};
    return tags;
}

const std::map<std::string, std::string>& replacedURLs() {
    static const std::map<std::string, std::string> table(std::begin(movedStreams), std::end(movedStreams));
    return table;
}

} // namespace ZazidEvoz::DefaultStations
