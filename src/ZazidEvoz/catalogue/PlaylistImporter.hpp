// Station lists from playlist files (PLS, M3U, JSON) and M3U export. Pure functions on texts,
// plus one reader that takes a file from disk with a size cap.
#pragma once

#include "Station.hpp"

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace ZazidEvoz::PlaylistImporter {

// Playlists are small; a larger file is refused rather than read whole.
inline constexpr std::size_t maxFileBytes = 8 * 1024 * 1024;

// Whether a stream address is one a station list may hold: "http://", "https://" or "file://"
// in any letter case. Anything else (other schemes, option-like text) is skipped.
bool hasAcceptedScheme(std::string_view url);

// Chooses the format from the extension (without the dot, any case) and the text's start.
// Never fails: what does not fit is skipped.
std::vector<Station> parse(std::string_view text, std::string_view fileExtension);
std::vector<Station> parsePLS(std::string_view text);
std::vector<Station> parseM3U(std::string_view text);
std::vector<Station> parseJSON(std::string_view text);

// Reads a playlist file (UTF-8, else Windows-1252) and parses it by its extension. Throws
// platform::FileError when the file is missing, unreadable or larger than `maxFileBytes`.
std::vector<Station> importFile(const std::filesystem::path& path);

// "#EXTM3U", then an "#EXTINF" line and the URL of each station, each line ending in a line feed.
std::string exportM3U(const std::vector<Station>& stations);

} // namespace ZazidEvoz::PlaylistImporter
