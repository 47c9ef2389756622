#include "Media.hpp"

#include "ZazidEvoz/platform/Process.hpp"

#include <fmt/format.h>

#include <stdexcept>

namespace ZazidEvoz::testkit {

std::string ffmpegPath() { return "/usr/bin/ffmpeg"; }

std::filesystem::path generatedMedia(const std::string& name, const std::vector<std::string>& arguments) {
    std::filesystem::path cache = std::filesystem::path(ZINTRARADIO_TEST_BINARY_DIR) / "media-cache";
    std::filesystem::create_directories(cache);
    std::filesystem::path target = cache / name;
    if (std::filesystem::exists(target))
        return target;

    // Write beside the target and rename, so parallel test programs never see half a file.
    std::filesystem::path partial = cache / fmt::format("partial-{}-{}", ::getpid(), name);
    platform::ProcessOptions options;
    options.arguments = {ffmpegPath(), "-hide_banner", "-loglevel", "error", "-y"};
    options.arguments.insert(options.arguments.end(), arguments.begin(), arguments.end());
    options.arguments.push_back(partial.string());
    auto result = platform::runProcess(options);
    if (!result.status.succeeded())
        throw std::runtime_error("ffmpeg could not make " + name + ": " + result.error);
    std::filesystem::rename(partial, target);
    return target;
}

std::filesystem::path sineFile(const std::string& name, double frequency, double seconds,
                               const std::vector<std::string>& extraArguments) {
    std::vector<std::string> arguments = {"-f", "lavfi", "-i",
                                          fmt::format("sine=frequency={}:sample_rate=48000:duration={}", frequency, seconds)};
    arguments.insert(arguments.end(), extraArguments.begin(), extraArguments.end());
    return generatedMedia(name, arguments);
}

std::vector<SoundlessFile> soundlessFiles(const std::string& tagTitle) {
    // An ID3v2.3 tag of one title frame, padded to 1500 bytes in all.
    constexpr std::size_t fileSize = 1500;
    std::string frameText = std::string(1, '\0') + tagTitle; // ISO-8859-1, then the text
    std::string frame = "TIT2";
    for (int shift = 24; shift >= 0; shift -= 8)
        frame += char((frameText.size() >> shift) & 0xff);
    frame += std::string(2, '\0') + frameText;
    const std::size_t tagSize = fileSize - 10; // the header does not count itself
    std::string tag = std::string("ID3\x03\x00\x00", 6);
    for (int shift = 21; shift >= 0; shift -= 7)
        tag += char((tagSize >> shift) & 0x7f);
    tag += frame;
    tag.resize(fileSize, '\0');
    return {
        {"empty.mp3", ""},
        {"notes.mp3", "Rehearsal notes: bring the good microphone.\n"},
        {"download.flac", "<!DOCTYPE html>\n<html><head><title>404 Not Found</title></head>"
                          "<body><h1>Not Found</h1></body></html>\n"},
        {tagTitle + ".mp3", tag},
    };
}

} // namespace ZazidEvoz::testkit
