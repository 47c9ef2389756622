// The environment variables with which a scripted run sets the application up: every hook is
// "ZINTRARADIO_" followed by its name, read from a snapshot of the environment taken once.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ZintraRadio::TestHooks {

inline constexpr std::string_view prefix = "ZINTRARADIO_";

// The hook's value from the snapshot: absent when the variable is not set, the empty text
// when it is set to nothing. Switch hooks count as set whenever present.
std::optional<std::string> value(std::string_view hook);
bool isSet(std::string_view hook);

// Whether the environment, read now, holds any variable beginning with the prefix.
bool isScriptedRun();

} // namespace ZintraRadio::TestHooks
