#include "UserFolders.hpp"

#include "Files.hpp"
#include "LineBreaks.hpp"
#include "Text.hpp"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace ZazidEvoz::platform {

std::optional<std::string> environmentValue(const char* name) {
    const char* value = std::getenv(name);
    if (!value)
        return std::nullopt;
    return std::string(value);
}

std::optional<std::string> nonEmptyEnvironmentValue(const char* name) {
    auto value = environmentValue(name);
    if (!value || value->empty())
        return std::nullopt;
    return value;
}

std::filesystem::path homeFolder() {
    if (auto home = nonEmptyEnvironmentValue("HOME"))
        return *home;
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir &&
        *found->pw_dir)
        return found->pw_dir;
    static std::atomic<bool> said{false};
    if (!said.exchange(true))
        std::fputs("ZintraRadio: no home folder (HOME unset, no passwd entry); using the current folder\n", stderr);
    std::error_code error;
    auto current = std::filesystem::current_path(error);
    return error ? std::filesystem::path(".") : current;
}

namespace {

std::optional<std::filesystem::path> absoluteEnvironmentPath(const char* name) {
    auto value = nonEmptyEnvironmentValue(name);
    if (!value || !std::filesystem::path(*value).is_absolute())
        return std::nullopt;
    return std::filesystem::path(*value);
}

// XDG_MUSIC_DIR="$HOME/Music" or an absolute path, as xdg-user-dirs writes it.
std::optional<std::filesystem::path> musicFolderFromUserDirs() {
    std::optional<std::string> contents;
    try {
        contents = readFile(configHomeFolder() / "user-dirs.dirs", 64 * 1024);
    } catch (const FileError&) {
        return std::nullopt;
    }
    if (!contents)
        return std::nullopt;
    std::optional<std::filesystem::path> result;
    for (std::string_view piece : text::splitAtLineFeeds(*contents)) {
        constexpr std::string_view key = "XDG_MUSIC_DIR=";
        const std::string line = text::trimmedBlanksAndTabs(piece);
        if (!line.starts_with(key))
            continue;
        std::string value = line.substr(key.size());
        if (value.size() < 2 || value.front() != '"' || value.back() != '"')
            continue;
        value = value.substr(1, value.size() - 2);
        if (value.starts_with("$HOME")) {
            std::string rest = value.substr(5);
            while (!rest.empty() && rest.front() == '/')
                rest.erase(0, 1);
            result = rest.empty() ? homeFolder() : homeFolder() / rest;
        } else if (value.starts_with("/")) {
            result = std::filesystem::path(value);
        }
    }
    return result;
}

} // namespace

std::filesystem::path dataHomeFolder() {
    if (auto folder = absoluteEnvironmentPath("XDG_DATA_HOME"))
        return *folder;
    return homeFolder() / ".local" / "share";
}

std::filesystem::path configHomeFolder() {
    if (auto folder = absoluteEnvironmentPath("XDG_CONFIG_HOME"))
        return *folder;
    return homeFolder() / ".config";
}

std::filesystem::path musicFolder() {
    if (auto folder = absoluteEnvironmentPath("XDG_MUSIC_DIR"))
        return *folder;
    if (auto folder = musicFolderFromUserDirs())
        return *folder;
    return homeFolder() / "Music";
}

std::filesystem::path executableFolder() {
    std::error_code error;
    auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : executable.parent_path();
}

} // namespace ZazidEvoz::platform
