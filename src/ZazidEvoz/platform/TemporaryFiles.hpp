// Private files in the system's temporary folder, for hand-overs between a service and its
// caller or a child process.
#pragma once

#include <filesystem>
#include <string_view>

namespace ZazidEvoz::platform {

// The system's temporary folder: $TMPDIR when set, else /tmp. Throws FileError when it is
// not a folder.
std::filesystem::path temporaryFolder();

// Creates "<prefix><random UUID><suffix>" in the temporary folder, new (never an existing file
// or link) and readable by the owner only, and writes `bytes` into it. Returns its path; the
// caller owns the file. Throws FileError with the system's text; nothing is left behind then.
std::filesystem::path writeNewTemporaryFile(std::string_view prefix, std::string_view suffix,
                                            std::string_view bytes);

} // namespace ZazidEvoz::platform
