// What the transport deck shows for the playback state: title, subtitle and its colour, the
// info line, the live badge, the play button's state, the artwork, the mute button and the
// queue badge; the play button's geometry, the clock and the recording cluster. Pure; the deck
// recomputes them from the models on every change.
#pragma once

#include "ZazidEvoz/catalogue/Station.hpp"
#include "ZazidEvoz/music/MusicLibrary.hpp"
#include "ZazidEvoz/playback/EngineTypes.hpp"
#include "kit/ShownText.hpp"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ZintraRadio {

// Everything the deck reads of the models.
struct DeckInput {
    ZazidEvoz::PlaybackState state;
    std::optional<ZazidEvoz::Station> current;
    std::optional<ZazidEvoz::Station> videoItem;
    bool videoLoading = false;
    // With a video player: whether it is paused; none while no player exists.
    std::optional<bool> videoPaused;
    std::optional<std::string> nowPlaying;
    std::optional<std::string> serverName;
    std::optional<std::string> formatInfo;
    // The music library's track for the current station's URL, whatever its kind.
    std::optional<ZazidEvoz::Track> libraryTrack;
};

using RegionNames = std::function<std::optional<std::string>(std::string_view)>;

// The video while one is open, else the current item.
const ZazidEvoz::Station* shownItem(const DeckInput& input);
// The library track of a file station playing without a video.
const ZazidEvoz::Track* ownTrack(const DeckInput& input);

ShownText deckTitle(const DeckInput& input);
ShownText deckSubtitle(const DeckInput& input, const RegionNames& regionNames);
enum class SubtitleColor { red, cyan, dim };
SubtitleColor subtitleColor(const DeckInput& input);
ShownText deckInfoLine(const DeckInput& input, const RegionNames& regionNames);
bool showsLiveBadge(const DeckInput& input);
bool playButtonPlaying(const DeckInput& input);
bool playButtonBusy(const DeckInput& input);

enum class ArtworkKind { placeholder, station, disc };
ArtworkKind artworkKind(const DeckInput& input);
// The spectrum edge of the artwork: playing, or a video player exists.
bool artworkActive(const DeckInput& input);
// The spinning disc's seed: the track's album, or its title when the album is empty.
std::string discSeed(const ZazidEvoz::Track& track);

struct MuteLook {
    std::string symbol;
    std::string helpKey;
    bool red = false;
    double sliderOpacity = 1;
};
MuteLook muteLook(double volume, bool muted);

// The count on the queue button; none for an empty queue.
std::optional<std::string> queueBadge(std::size_t upNext);

// The play button at a diameter: glyph, its rightward shift, its size, the ring's width and
// the tooltip key.
struct PlayButtonLook {
    std::string symbol;
    double glyphShift = 0;
    double glyphSize = 0;
    double ringWidth = 0;
    std::string helpKey;
};
PlayButtonLook playButtonLook(bool playing, bool busy, double size);
struct PlayButtonHover {
    double scale = 1;
    double shadowRadius = 13;
    double shadowOpacity = 0.65;
    double bodyOpacity = 0.88;
};
PlayButtonHover playButtonHover(bool hovering);

// The deck clock: the elapsed time while active ("0:00" otherwise), in the spectrum while
// active, glowing only while playing.
struct ClockLook {
    std::string elapsed;
    bool spectrum = false;
    double glowOpacity = 0;
};
ClockLook clockLook(ZazidEvoz::PlaybackState::Kind state, double elapsed);
// The locale's long time format without its time zone ("h:mm:ss AP t" → "h:mm:ss AP").
std::string wallClockFormat(std::string_view longTimeFormat);

// The recording pulse, 0...1, at `seconds` since 2001-01-01 UTC; 0 while not recording.
double recordPulse(double seconds, bool recording);
// Seconds from 1970-01-01 to 2001-01-01 UTC.
inline constexpr double referenceDateOffset = 978307200.0;

struct RecordLook {
    // The running time, or the key "deck.rec".
    ShownText text;
    bool stopSquare = false;
    double haloDiameter = 18;
    double haloOpacity = 0;
    double glowOpacity = 0.5;
    double glowRadius = 4;
    double fillOpacity = 0.07;
    double strokeOpacity = 0.4;
    double textOpacity = 0.75;
    std::string helpKey;
};
// `elapsed`: seconds since the recording file began, when the model knows its start.
RecordLook recordLook(bool recording, std::optional<double> elapsed, bool hovering, double pulse);

} // namespace ZintraRadio
