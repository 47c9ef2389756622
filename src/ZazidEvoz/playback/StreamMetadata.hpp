// Now-playing facts found in the decoder's log, and the text rules shared by everyone who
// handles stream titles (the engine, the ICY poller, lyrics and the track reader).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace ZazidEvoz {

struct StreamMetadataEvent {
    enum class Kind { title, stationName, format };
    Kind kind = Kind::title;
    std::string text;

    static StreamMetadataEvent title(std::string text) { return {Kind::title, std::move(text)}; }
    static StreamMetadataEvent stationName(std::string text) { return {Kind::stationName, std::move(text)}; }
    static StreamMetadataEvent format(std::string text) { return {Kind::format, std::move(text)}; }

    friend bool operator==(const StreamMetadataEvent&, const StreamMetadataEvent&) = default;
};

struct ArtistTitle {
    std::optional<std::string> artist;
    std::string title;

    friend bool operator==(const ArtistTitle&, const ArtistTitle&) = default;
};

namespace StreamMetadataParser {

// Titles are cut to this many bytes, on a character boundary: an ICY block carries up to 4 KiB.
inline constexpr std::size_t maxTitleBytes = 1024;

// One log line without its line break: a title, a station name, a format, or nothing.
std::optional<StreamMetadataEvent> parse(std::string_view line);

// Trims blanks and the quote and semicolon characters around a raw title or name; nothing
// when what is left is empty, "-" or "unknown".
std::optional<std::string> clean(std::string_view text);

// A raw stream title as both the decoder's log and the ICY poller report it: cut to
// maxTitleBytes, then cleaned.
std::optional<std::string> cleanTitle(std::string_view text);

// "Artist - Title" (also with en dash, em dash or " | "); no artist and the text unchanged
// when no separator gives two non-empty sides.
ArtistTitle splitArtistTitle(std::string_view text);

} // namespace StreamMetadataParser
} // namespace ZazidEvoz
