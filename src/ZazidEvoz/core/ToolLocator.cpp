#include "ToolLocator.hpp"

#include "ZazidEvoz/platform/UserFolders.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

namespace ZazidEvoz::ToolLocator {
namespace {

constexpr std::string_view defaultLocale = "C.UTF-8";

bool isExecutableFile(const std::string& path) {
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

std::vector<std::string> pathEntries() {
    std::vector<std::string> entries;
    auto value = platform::environmentValue("PATH");
    if (!value)
        return entries;
    std::size_t start = 0;
    while (start <= value->size()) {
        std::size_t colon = value->find(':', start);
        std::size_t end = colon == std::string::npos ? value->size() : colon;
        if (end > start)
            entries.push_back(value->substr(start, end - start));
        if (colon == std::string::npos)
            break;
        start = colon + 1;
    }
    return entries;
}

const char* overrideVariable(Tool tool) { return tool == Tool::ffmpeg ? "ZINTRARADIO_FFMPEG" : "ZINTRARADIO_YTDLP"; }

} // namespace

std::string_view rawValue(Tool tool) { return tool == Tool::ffmpeg ? "ffmpeg" : "yt-dlp"; }

std::optional<Tool> toolFromRawValue(std::string_view text) {
    for (Tool tool : allTools())
        if (rawValue(tool) == text)
            return tool;
    return std::nullopt;
}

std::vector<Tool> allTools() { return {Tool::ffmpeg, Tool::ytdlp}; }

std::vector<std::string> fixedFolders() { return {"/usr/local/bin", "/usr/bin"}; }

std::optional<std::string> path(Tool tool) {
    if (auto override = platform::environmentValue(overrideVariable(tool)); override && isExecutableFile(*override))
        return override;

    std::string name(rawValue(tool));
    if (auto beside = platform::executableFolder(); !beside.empty()) {
        std::string candidate = (beside / "bin" / name).string();
        if (isExecutableFile(candidate))
            return candidate;
    }
    std::vector<std::string> folders = pathEntries();
    for (auto& folder : fixedFolders())
        folders.push_back(folder);
    for (const auto& folder : folders) {
        std::string candidate = (std::filesystem::path(folder) / name).string();
        if (isExecutableFile(candidate))
            return candidate;
    }
    return std::nullopt;
}

bool isAvailable(Tool tool) { return path(tool).has_value(); }

platform::Environment childEnvironment() {
    platform::Environment environment = platform::currentEnvironment();
    std::string folders;
    if (auto ffmpeg = path(Tool::ffmpeg))
        folders = std::filesystem::path(*ffmpeg).parent_path().string() + ":";
    for (const auto& folder : fixedFolders())
        folders += folder + ":";
    auto inherited = environment.find("PATH");
    environment["PATH"] = folders + (inherited != environment.end() ? inherited->second : std::string());
    environment.try_emplace("LANG", defaultLocale);
    environment.try_emplace("LC_ALL", defaultLocale);
    return environment;
}

} // namespace ZazidEvoz::ToolLocator
