// Moving files to the desktop's trash (the home trash or a drive's own, through Qt).
#pragma once

#include <filesystem>
#include <string>

namespace ZintraRadio {

struct TrashResult {
    bool trashed = false;
    std::string error; // why not, when not trashed
};

// Moves `file` to the trash. A file that cannot be trashed stays where it is: it is never
// deleted any other way.
TrashResult moveToTrash(const std::filesystem::path& file);

} // namespace ZintraRadio
