// Where the user's media and the program's own files live, and how recordings are named.
// Nothing here creates a folder or touches a file; every call reads the environment anew.
#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace ZazidEvoz::MediaFolders {

// $ZINTRARADIO_MUSIC_DIR when set and not empty, else "ZintraRadio" in the user's Music folder.
std::filesystem::path root();
// $ZINTRARADIO_LIBRARY_DIR when set and not empty, else "ZintraRadio" in the user's data folder.
std::filesystem::path support();
std::filesystem::path recordings();
std::filesystem::path downloads();

// "<safe station (song)> - yyyy-MM-dd HH.mm.ss.mp3" in the recordings folder, local time.
std::filesystem::path recordingURL(std::string_view station, const std::optional<std::string>& song,
                                   std::chrono::system_clock::time_point date);

// A text usable as a file name: separators, wildcards and control characters become spaces,
// at most 120 characters and 200 bytes; "ZintraRadio" when nothing is left.
std::string safeFileName(std::string_view text);

} // namespace ZazidEvoz::MediaFolders
