// Looking at files before and after an edit.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace ZazidEvoz::testkit {

// The whole file, or "<missing>".
std::string contents(const std::filesystem::path& file);

// A private copy of `source` in a fresh folder, named `name`.
std::filesystem::path copyInto(const std::filesystem::path& source, const std::string& name);

// The names in a folder, sorted.
std::vector<std::string> folderEntries(const std::filesystem::path& folder);

} // namespace ZazidEvoz::testkit
