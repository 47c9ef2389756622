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

} // namespace ZazidEvoz::testkit
