// Reads back what an edit wrote, with TagLib, independently of ffmpeg.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace ZazidEvoz::testkit {

struct FileTags {
    std::string title, artist, album, genre;
    unsigned year = 0;
};

// The tags TagLib sees in the file; absent when TagLib cannot read it.
std::optional<FileTags> readTags(const std::filesystem::path& file);

struct EmbeddedPicture {
    std::string bytes;
    bool frontCover = false; // for formats that store a picture type
};

// Every embedded picture: ID3v2 APIC (mp3, aiff), MP4 covr (m4a), FLAC pictures.
std::vector<EmbeddedPicture> embeddedPictures(const std::filesystem::path& file);

} // namespace ZazidEvoz::testkit
