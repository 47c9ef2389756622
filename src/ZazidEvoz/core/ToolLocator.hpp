// Finds the external tools (ffmpeg, yt-dlp) and builds the environment they run with.
// Nothing is cached: every call reads the environment and the file system anew.
#pragma once

#include "ZazidEvoz/platform/Process.hpp"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ZazidEvoz::ToolLocator {

enum class Tool { ffmpeg, ytdlp };

// The executable's name: "ffmpeg" or "yt-dlp".
std::string_view rawValue(Tool tool);
std::optional<Tool> toolFromRawValue(std::string_view text);
std::vector<Tool> allTools();

// Shown when a tool is missing; every missing-tool text ends with it.
inline constexpr std::string_view installHint = "sudo apt install ffmpeg yt-dlp";

// Folders searched after the PATH entries.
std::vector<std::string> fixedFolders();

// $ZINTRARADIO_FFMPEG / $ZINTRARADIO_YTDLP, then bin/ beside the executable, then the PATH
// entries in order, then the fixed folders; the first executable file wins.
std::optional<std::string> path(Tool tool);
bool isAvailable(Tool tool);

// The whole environment for the decoder, the feeder and yt-dlp runs: ours, with the found
// ffmpeg's folder and the fixed folders in front of PATH, and LANG / LC_ALL defaulted to C.UTF-8.
platform::Environment childEnvironment();

} // namespace ZazidEvoz::ToolLocator
