#include "MusicFixtures.hpp"

#include "ZazidEvoz/music/MusicLibrary.hpp"
#include "support/Media.hpp"

#include <fmt/format.h>
#include <fstream>

namespace ZazidEvoz::testkit {

std::filesystem::path coverPicture(const std::string& format) {
    return generatedMedia("music-cover." + format,
                          {"-f", "lavfi", "-i", "color=c=red:s=16x16", "-frames:v", "1"});
}

std::filesystem::path taggedAudio(const std::string& extension,
                                  const std::map<std::string, std::string>& tags, const std::string& cover) {
    std::vector<std::string> arguments = {"-f", "lavfi", "-i",
                                          "sine=frequency=440:sample_rate=48000:duration=1"};
    if (!cover.empty())
        arguments.insert(arguments.end(), {"-i", coverPicture(cover).string(), "-map", "0", "-map", "1",
                                           "-c:v", "copy", "-disposition:v", "attached_pic"});
    if (extension == "mp3")
        arguments.insert(arguments.end(), {"-id3v2_version", "3"});
    std::string description;
    for (const auto& [key, value] : tags) {
        arguments.insert(arguments.end(), {"-metadata", key + "=" + value});
        description += key + "=" + value + ";";
    }
    // Same request, same cached file, also across test programs.
    std::string name = fmt::format("music-{:x}-{}.{}", hashValueStable(description), cover, extension);
    return generatedMedia(name, arguments);
}

void copyFile(const std::filesystem::path& source, const std::filesystem::path& target) {
    std::filesystem::create_directories(target.parent_path());
    std::filesystem::copy_file(source, target, std::filesystem::copy_options::overwrite_existing);
}

std::string fileBytes(const std::filesystem::path& file) {
    std::ifstream stream(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(stream), {});
}

std::vector<std::string> trackPaths(const std::vector<Track>& tracks) {
    std::vector<std::string> paths;
    for (const Track& track : tracks)
        paths.push_back(track.path);
    return paths;
}

} // namespace ZazidEvoz::testkit
