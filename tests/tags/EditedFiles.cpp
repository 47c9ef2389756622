#include "EditedFiles.hpp"

#include "ZazidEvoz/platform/Files.hpp"
#include "support/Sandbox.hpp"

namespace ZazidEvoz::testkit {

std::string contents(const std::filesystem::path& file) {
    return platform::readFile(file, 64 << 20).value_or("<missing>");
}

std::filesystem::path copyInto(const std::filesystem::path& source, const std::string& name) {
    std::filesystem::path copy = makeTemporaryFolder("edit") / name;
    std::filesystem::copy_file(source, copy);
    return copy;
}

} // namespace ZazidEvoz::testkit
