// Watching folder trees for changes with inotify: one watch per directory, new watches for
// directories that appear, and a queue overflow counted as a change. Hidden directories (names
// beginning with ".") and links to directories are not entered. A watched folder that is
// missing, or that goes (deleted, moved away, unmounted), is waited for at its nearest existing
// parent and watched again once it is back. Renames within the trees are paired up from their
// two events.
#pragma once

#include "UniqueFd.hpp"

#include <cstdint>
#include <filesystem>
#include <string>
#include <unordered_map>
#include <vector>

struct inotify_event;

namespace ZazidEvoz::platform {

class InotifyTreeWatch {
public:
    // Throws std::system_error when no inotify instance can be made.
    InotifyTreeWatch();
    InotifyTreeWatch(const InotifyTreeWatch&) = delete;
    InotifyTreeWatch& operator=(const InotifyTreeWatch&) = delete;

    // Watches `folder` and every directory below it; a folder that does not exist (yet) is
    // watched from when it appears.
    void addTree(const std::filesystem::path& folder);

    // The descriptor to poll for readability.
    int fd() const { return fd_.get(); }
    // Reads what is pending without blocking and watches the directories that appeared; true
    // when anything changed in the trees (an overflow, and a tree that went or came back,
    // included). What happens in the parents a missing folder is waited at is no change.
    bool readEvents();

    // A file or directory renamed within the trees, from one visible name to another.
    struct Rename {
        std::filesystem::path from;
        std::filesystem::path to;
    };
    // The renames read since the last call, in the order they happened.
    std::vector<Rename> takeRenames();

private:
    // Returns the watch descriptor, or -1 with errno saying why.
    int addDirectory(const std::filesystem::path& folder, bool followLink);
    // Watches `root`'s tree, or, while it is missing, its nearest existing parent.
    void armRoot(const std::filesystem::path& root);
    // Drops every watch and arms every root again: after a root went or came back, or after
    // an overflow.
    void rearm();
    // Whether this event asks for rearm().
    bool changesRoots(const inotify_event& event) const;
    // Pairs the two halves of a rename of an entry of `folder`.
    void notePairedRename(const inotify_event& event, const std::filesystem::path& folder);

    UniqueFd fd_;
    std::vector<std::filesystem::path> roots_;
    std::unordered_map<int, std::filesystem::path> folders_;     // watch descriptor -> directory of a tree
    std::unordered_map<int, std::filesystem::path> rootWatches_; // watch descriptor -> root it watches
    // Watch descriptor -> existing parent where missing roots are awaited.
    std::unordered_map<int, std::filesystem::path> waitingAt_;

    // The first half of a rename, by its cookie, waiting for the second. The kernel queues the
    // two together, but a read may end between them; a half left over after the next read
    // was a move out of the trees.
    struct MovedFrom {
        std::filesystem::path path;
        bool seenInEarlierRead = false;
    };
    std::unordered_map<std::uint32_t, MovedFrom> movedFrom_;
    std::vector<Rename> renames_;
};

} // namespace ZazidEvoz::platform
