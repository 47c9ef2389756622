#include "deck/NowPlayingRules.hpp"

#include "kit/StationDetails.hpp"
#include "kit/ThemeRules.hpp"

#include <cmath>

namespace ZintraRadio {

using ZazidEvoz::MediaKind;
using Kind = ZazidEvoz::PlaybackState::Kind;

const ZazidEvoz::Station* shownItem(const DeckInput& input) {
    if (input.videoItem)
        return &*input.videoItem;
    return input.current ? &*input.current : nullptr;
}

const ZazidEvoz::Track* ownTrack(const DeckInput& input) {
    if (input.videoItem || !input.current || input.current->kind != MediaKind::file || !input.libraryTrack)
        return nullptr;
    return &*input.libraryTrack;
}

ShownText deckTitle(const DeckInput& input) {
    if (const auto* track = ownTrack(input))
        return ShownText::verbatim(track->title);
    if (const auto* item = shownItem(input))
        return ShownText::verbatim(item->name);
    return ShownText::key("deck.nothing");
}

ShownText deckSubtitle(const DeckInput& input, const RegionNames& regionNames) {
    const auto* track = ownTrack(input);
    if (track && (input.state.kind == Kind::playing || input.state.kind == Kind::paused)) {
        std::string text = track->artist;
        if (!track->album.empty())
            text += (text.empty() ? "" : " · ") + track->album;
        return ShownText::verbatim(text);
    }
    if (input.videoItem) {
        if (input.videoLoading)
            return ShownText::key("stage.connecting");
        return ShownText::verbatim(input.videoItem->uploader);
    }
    switch (input.state.kind) {
    case Kind::stopped:
        return ShownText::key(input.current ? "deck.stopped" : "deck.pickSomething");
    case Kind::buffering:
        return ShownText::key("stage.connecting");
    case Kind::playing:
        if (input.nowPlaying)
            return ShownText::verbatim(*input.nowPlaying);
        if (input.serverName)
            return ShownText::verbatim(*input.serverName);
        return ShownText::verbatim(input.current ? stationDetails(*input.current, regionNames)
                                                 : std::string());
    case Kind::paused:
        if (input.nowPlaying)
            return ShownText::verbatim(*input.nowPlaying);
        return ShownText::key("stage.paused");
    case Kind::failed:
        break;
    }
    return ShownText::error(input.state.message);
}

SubtitleColor subtitleColor(const DeckInput& input) {
    if (input.state.kind == Kind::failed)
        return SubtitleColor::red;
    if (input.nowPlaying && input.state.isActive())
        return SubtitleColor::cyan;
    return SubtitleColor::dim;
}

ShownText deckInfoLine(const DeckInput& input, const RegionNames& regionNames) {
    if (input.videoItem)
        return ShownText::key("deck.video");
    if (input.state.isActive() && input.formatInfo)
        return ShownText::verbatim(*input.formatInfo);
    if (const auto* item = shownItem(input))
        return ShownText::verbatim(stationDetails(*item, regionNames));
    return ShownText::key("brand.tagline");
}

bool showsLiveBadge(const DeckInput& input) {
    return input.state.kind == Kind::playing && !input.videoItem && input.current && input.current->isLive();
}

bool playButtonPlaying(const DeckInput& input) {
    if (input.videoPaused)
        return !*input.videoPaused;
    return input.state.kind == Kind::playing || input.state.kind == Kind::buffering;
}

bool playButtonBusy(const DeckInput& input) {
    return input.state.kind == Kind::buffering || input.videoLoading;
}

ArtworkKind artworkKind(const DeckInput& input) {
    if (ownTrack(input))
        return ArtworkKind::disc;
    return shownItem(input) ? ArtworkKind::station : ArtworkKind::placeholder;
}

bool artworkActive(const DeckInput& input) {
    return input.state.kind == Kind::playing || input.videoPaused.has_value();
}

std::string discSeed(const ZazidEvoz::Track& track) {
    return track.album.empty() ? track.title : track.album;
}

MuteLook muteLook(double volume, bool muted) {
    if (muted)
        return {"speaker.slash.fill", "deck.unmute", true, 0.4};
    return {volume < 0.4 ? "speaker.wave.1.fill" : "speaker.wave.2.fill", "deck.mute", false, 1};
}

std::optional<std::string> queueBadge(std::size_t upNext) {
    if (upNext == 0)
        return std::nullopt;
    return std::to_string(upNext);
}

PlayButtonLook playButtonLook(bool playing, bool busy, double size) {
    PlayButtonLook look;
    look.symbol = playing ? "pause.fill" : "play.fill";
    // The triangle's weight sits left of its box: nudged right it looks centred.
    look.glyphShift = playing ? 0 : size * 0.03;
    look.glyphSize = size * 0.38;
    look.ringWidth = busy ? 3 : 1.8;
    look.helpKey = playing ? "deck.pause" : "deck.play";
    return look;
}

PlayButtonHover playButtonHover(bool hovering) {
    if (hovering)
        return {1.06, 20, 0.95, 1};
    return {};
}

ClockLook clockLook(ZazidEvoz::PlaybackState::Kind state, double elapsed) {
    const bool active = state == Kind::buffering || state == Kind::playing || state == Kind::paused;
    ClockLook look;
    look.elapsed = clockText(active ? elapsed : 0);
    look.spectrum = active;
    look.glowOpacity = state == Kind::playing ? 0.5 : 0;
    return look;
}

std::string wallClockFormat(std::string_view longTimeFormat) {
    std::string format;
    bool quoted = false;
    for (char c : longTimeFormat) {
        if (c == '\'')
            quoted = !quoted;
        if (!quoted && c == 't')
            continue;
        format += c;
    }
    // The zone leaves its separator behind.
    while (!format.empty() && (format.back() == ' ' || format.back() == ','))
        format.pop_back();
    while (!format.empty() && format.front() == ' ')
        format.erase(format.begin());
    return format;
}

double recordPulse(double seconds, bool recording) {
    if (!recording || !std::isfinite(seconds))
        return 0;
    return std::sin(5 * seconds) * 0.5 + 0.5;
}

RecordLook recordLook(bool recording, std::optional<double> elapsed, bool hovering, double pulse) {
    RecordLook look;
    const double p = recording ? pulse : 0;
    look.helpKey = recording ? "deck.recStop" : "deck.recStart";
    look.stopSquare = recording;
    look.haloDiameter = 18 + 8 * p;
    look.haloOpacity = recording ? 1 : 0;
    look.glowOpacity = recording ? 0.9 : 0.5;
    look.glowRadius = recording ? 5 + 6 * p : 4;
    look.fillOpacity = recording ? 0.2 + 0.1 * p : hovering ? 0.14 : 0.07;
    look.strokeOpacity = recording ? 0.9 : 0.4;
    if (recording && elapsed) {
        look.text = ShownText::verbatim(clockText(*elapsed));
        look.textOpacity = 1;
    } else {
        look.text = ShownText::key("deck.rec");
        look.textOpacity = hovering ? 1 : 0.75;
    }
    return look;
}

} // namespace ZintraRadio
