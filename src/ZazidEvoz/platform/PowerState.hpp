// Whether the machine asks programs to save power.
#pragma once

#include <filesystem>

namespace ZazidEvoz::platform {

// The kernel's platform profile, chosen by the user or the power daemon.
inline constexpr const char* platformProfileFile = "/sys/firmware/acpi/platform_profile";

// True when the platform profile reads "low-power"; false when the file is missing,
// unreadable or says anything else. Reads the file anew on every call.
bool isLowPowerModeOn(const std::filesystem::path& profileFile = platformProfileFile);

} // namespace ZazidEvoz::platform
