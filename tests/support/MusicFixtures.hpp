// Audio files for the music library tests, made by the real ffmpeg once and cached.
#pragma once

#include "ZazidEvoz/music/MusicLibrary.hpp"

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace ZazidEvoz::testkit {

// A 16x16 picture, "jpg" or "png".
std::filesystem::path coverPicture(const std::string& format);

// One second of sine in the container of `extension`, with these tags (-metadata key=value)
// and, when `cover` is "jpg" or "png", that picture attached.
std::filesystem::path taggedAudio(const std::string& extension,
                                  const std::map<std::string, std::string>& tags,
                                  const std::string& cover = "");

// Copies `source` to `target`, making the folders on the way.
void copyFile(const std::filesystem::path& source, const std::filesystem::path& target);

// The whole file; empty when it cannot be read.
std::string fileBytes(const std::filesystem::path& file);

// The paths of the tracks, in their order.
std::vector<std::string> trackPaths(const std::vector<Track>& tracks);

} // namespace ZazidEvoz::testkit
