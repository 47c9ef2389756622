#include "EditedFiles.hpp"

#include "ZazidEvoz/platform/Files.hpp"
#include "support/Sandbox.hpp"

#include <algorithm>

namespace ZazidEvoz::testkit {

std::string contents(const std::filesystem::path& file) {
    return platform::readFile(file, 64 << 20).value_or("<missing>");
}

std::filesystem::path copyInto(const std::filesystem::path& source, const std::string& name) {
    std::filesystem::path copy = makeTemporaryFolder("edit") / name;
    std::filesystem::copy_file(source, copy);
    return copy;
}

std::vector<std::string> folderEntries(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace ZazidEvoz::testkit
