// Moving files to the desktop's trash as the freedesktop.org trash layout has it: the home
// trash for files on the home's file system, the volume's own trash for files on others, each
// entry with an info file that names the original path and the local time of deletion.
#pragma once

#include <filesystem>
#include <string>

namespace ZintraRadio {

struct TrashResult {
    bool trashed = false;
    std::string error; // why not, when not trashed
};

// Moves `file` (a link itself, not its target) to the trash under a name no other entry has.
// A file that cannot be trashed stays where it is: it is never deleted any other way.
TrashResult moveToTrash(const std::filesystem::path& file);

} // namespace ZintraRadio
