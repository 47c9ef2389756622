// The launch half of scripted runs: environment hooks that make the application set its
// volume and visual mode, play, record and post a toast on its own after start, so a script
// can launch it and watch the result.
#pragma once

#include <optional>
#include <string_view>

namespace ZintraRadio {

class AppModel;

// The whole value as one number in the C locale ("0.5", "2"); nothing otherwise.
std::optional<double> hookNumber(std::string_view text);

// VOLUME, MODE, AUTOPLAY, RECORD and TOAST; each only when its hook is set. The delayed ones
// run later on the main thread and hold nothing up.
void runLaunchHooks(AppModel& model);

} // namespace ZintraRadio
