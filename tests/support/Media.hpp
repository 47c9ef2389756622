// Media files generated with the real ffmpeg, cached across test programs.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace ZazidEvoz::testkit {

// The path of the ffmpeg the tests use.
std::string ffmpegPath();

// Runs ffmpeg with `arguments` (after "-hide_banner -loglevel error -y") to make `name` once;
// later calls, also from other test programs, reuse the file. Returns its path.
std::filesystem::path generatedMedia(const std::string& name, const std::vector<std::string>& arguments);

// A sine tone: `seconds` long at `frequency` Hz, encoded by the extension of `name`.
std::filesystem::path sineFile(const std::string& name, double frequency, double seconds,
                               const std::vector<std::string>& extraArguments = {});

// Files with an audio file's name and no sound inside, as they turn up in music folders: an
// empty MP3, a text and a web page saved under audio names, and an MP3 of 1500 bytes that holds
// only an ID3v2.3 tag titled `tagTitle`. Name and bytes of each.
struct SoundlessFile {
    std::string name;
    std::string bytes;
};
std::vector<SoundlessFile> soundlessFiles(const std::string& tagTitle);

} // namespace ZazidEvoz::testkit
