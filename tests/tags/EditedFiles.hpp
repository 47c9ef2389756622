// Looking at files before and after an edit, and the places edits are staged in.
#pragma once

#include "support/SmallDisk.hpp"

#include <filesystem>
#include <string>

namespace ZazidEvoz::testkit {

// The whole file, or "<missing>".
std::string contents(const std::filesystem::path& file);

// A private copy of `source` in a fresh folder, named `name`.
std::filesystem::path copyInto(const std::filesystem::path& source, const std::string& name);

} // namespace ZazidEvoz::testkit
