// What an audio file says about itself (TagLib): its length, and its metadata as a list of
// items. The format-independent items come first (keys from MetadataCommonKey), then each tag
// format's own items with an identifier "<key space>/<native key>" ("id3/TCON", "id3/TXXX:comment",
// "xiph/GENRE", "mp4/comment", "riff/genre"), in the order TagLib gives them. Native items that
// stand for a common key carry it too.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ZazidEvoz::platform {

namespace MetadataCommonKey {
inline constexpr std::string_view title = "title";
inline constexpr std::string_view artist = "artist";
inline constexpr std::string_view albumName = "albumName";
inline constexpr std::string_view type = "type"; // the genre
inline constexpr std::string_view creationDate = "creationDate";
inline constexpr std::string_view artwork = "artwork";
} // namespace MetadataCommonKey

struct MetadataItem {
    std::string commonKey;           // empty when the item has none
    std::string identifier;          // empty for the format-independent items
    std::optional<std::string> text; // UTF-8
    std::optional<std::string> data; // raw bytes (pictures); absent when over the size cap
};

struct MediaMetadata {
    std::optional<double> duration; // seconds
    std::vector<MetadataItem> items;
    // The content holds a sound stream with a sample rate and channels, whatever the file's
    // extension says; raw AAC (ADTS), which TagLib cannot read, counts by its frame headers.
    bool holdsAudio = false;
};

// Absent when the file cannot be opened (not a regular file, no permission); a file of no
// format TagLib knows has no items. Pictures larger than `maxPictureBytes` are listed without
// their data.
std::optional<MediaMetadata> readMediaMetadata(const std::filesystem::path& file,
                                               std::size_t maxPictureBytes);

} // namespace ZazidEvoz::platform
