#include "PowerState.hpp"

#include "Files.hpp"
#include "Text.hpp"

namespace ZazidEvoz::platform {

bool isLowPowerModeOn(const std::filesystem::path& profileFile) {
    try {
        // The profile is one short word; anything longer is not a profile.
        auto contents = readFile(profileFile, 256);
        return contents && text::trimmedWhitespace(*contents) == "low-power";
    } catch (const FileError&) {
        return false;
    }
}

} // namespace ZazidEvoz::platform
