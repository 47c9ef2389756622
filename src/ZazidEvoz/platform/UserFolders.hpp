// The environment and the user's standard folders (XDG base directories).
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace ZazidEvoz::platform {

// The variable's value when it is set (possibly empty).
std::optional<std::string> environmentValue(const char* name);
// The variable's value when it is set and not empty.
std::optional<std::string> nonEmptyEnvironmentValue(const char* name);

// $HOME, else the password database's home; with neither, the current folder (said once on
// standard error).
std::filesystem::path homeFolder();
// $XDG_DATA_HOME when absolute, else ~/.local/share.
std::filesystem::path dataHomeFolder();
// $XDG_CONFIG_HOME when absolute, else ~/.config.
std::filesystem::path configHomeFolder();
// The XDG music folder: $XDG_MUSIC_DIR, else XDG_MUSIC_DIR in user-dirs.dirs, else ~/Music.
std::filesystem::path musicFolder();
// The folder that holds the running executable; empty when unknown.
std::filesystem::path executableFolder();

} // namespace ZazidEvoz::platform
