// Scripted runs: environment hooks that make the application set its volume and visual mode,
// play, search, watch, record, download, open windows and post a toast on its own after
// start, so a script can launch it and watch the result. Each hook is read once per process.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ZintraRadio {

class AppModel;
class UIState;

// The whole value as one finite number in the C locale ("0.5", "2", "+2"); nothing otherwise
// ("nan", "inf", "1e400", "", "2s").
std::optional<double> hookNumber(std::string_view text);
// A delay in seconds, clamped to 0 ... 24 h.
std::optional<double> hookDelay(std::string_view text);
// A repeating period in seconds: at least 0.05 s (a smaller one would spin), at most 24 h.
std::optional<double> hookPeriod(std::string_view text);

inline constexpr double longestHookDelay = 24.0 * 3600.0;
inline constexpr double shortestHookPeriod = 0.05;

// What AUTOPLAY plays: the first station (by its position in `names`) whose name contains
// the text, else the text as a link; nothing for an empty text.
struct AutoplayTarget {
    std::optional<std::size_t> station;
    std::optional<std::string> link;
};
AutoplayTarget autoplayTarget(const std::vector<std::string>& names, const std::string& text);

// The launch hooks (VOLUME, MODE, AUTOPLAY, YOUTUBE, SEARCH, WATCH, RECORD, DOWNLOAD,
// DOWNLOAD_VIDEO, TOAST); each only when its hook is set. The delayed ones run later on the
// main thread and hold nothing up.
void runLaunchHooks(AppModel& model);

struct WindowOpeners {
    std::function<void()> about;
    std::function<void()> mini;
};

// The hooks that need the main window (MODE_CYCLE, MUSIC_OPEN, ABOUT, MINI); the shell runs
// them once, when the main window first shows.
void runWindowHooks(AppModel& model, UIState& ui, WindowOpeners open);

} // namespace ZintraRadio
