// Showing files and folders in the user's file manager.
#pragma once

#include <filesystem>

namespace ZintraRadio {

// Opens the folder in the file manager; false when nothing could open it.
bool openFolder(const std::filesystem::path& folder);
// Shows the file selected in its folder (org.freedesktop.FileManager1.ShowItems over the session
// bus), falling back to opening its folder. Never goes through a shell.
bool revealFile(const std::filesystem::path& file);

} // namespace ZintraRadio
