// Watching folder trees for changes with inotify: one watch per directory, new watches for
// directories that appear, and a queue overflow counted as a change. Hidden directories (names
// beginning with ".") and links to directories are not entered.
#pragma once

#include "UniqueFd.hpp"

#include <filesystem>
#include <string>
#include <unordered_map>
#include <vector>

namespace ZazidEvoz::platform {

class InotifyTreeWatch {
public:
    // Throws std::system_error when no inotify instance can be made.
    InotifyTreeWatch();
    InotifyTreeWatch(const InotifyTreeWatch&) = delete;
    InotifyTreeWatch& operator=(const InotifyTreeWatch&) = delete;

    // Watches `folder` and every directory below it. A folder that does not exist is skipped.
    void addTree(const std::filesystem::path& folder);

    // The descriptor to poll for readability.
    int fd() const { return fd_.get(); }
    // Reads what is pending without blocking and watches the directories that appeared; true
    // when anything changed (an overflow included).
    bool readEvents();

    std::size_t watchCount() const { return folders_.size(); }

private:
    void addDirectory(const std::filesystem::path& folder, bool followLink);

    UniqueFd fd_;
    std::vector<std::filesystem::path> roots_;
    std::unordered_map<int, std::filesystem::path> folders_; // watch descriptor -> directory
};

} // namespace ZazidEvoz::platform
