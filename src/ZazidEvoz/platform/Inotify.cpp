#include "Inotify.hpp"

#include "Process.hpp"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <sys/inotify.h>
#include <system_error>
#include <utility>

namespace ZazidEvoz::platform {
namespace {

constexpr uint32_t watchedEvents = IN_CREATE | IN_DELETE | IN_MODIFY | IN_CLOSE_WRITE | IN_MOVED_FROM |
                                   IN_MOVED_TO | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

// What a parent where a missing folder is awaited must tell: a busy one (the home folder)
// stays quiet otherwise.
constexpr uint32_t awaitedEvents = IN_CREATE | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

bool isHidden(const std::filesystem::path& path) {
    return path.filename().string().starts_with(".");
}

// Said once per process: the periodic rescan still finds what the missing watches miss.
void reportWatchLimitOnce() {
    static std::atomic<bool> reported{false};
    if (!reported.exchange(true))
        std::fprintf(stderr, "ZintraRadio: the limit of inotify watches is reached; changes in some music "
                             "folders are found by the periodic rescan only\n");
}

// The deepest parent of `root` that is a directory: where a missing root is awaited.
std::filesystem::path nearestExistingParent(const std::filesystem::path& root) {
    std::error_code error;
    auto folder = root.parent_path();
    while (folder.has_relative_path() && !std::filesystem::is_directory(folder, error))
        folder = folder.parent_path();
    return folder;
}

// True when `path` is `folder` or lies below it.
bool isWithin(const std::filesystem::path& path, const std::filesystem::path& folder) {
    return std::mismatch(folder.begin(), folder.end(), path.begin(), path.end()).first == folder.end();
}

// "/music/" and "/music" are one root.
std::filesystem::path withoutTrailingSeparator(const std::filesystem::path& folder) {
    auto normal = folder.lexically_normal();
    return normal.has_filename() || !normal.has_relative_path() ? normal : normal.parent_path();
}

} // namespace

InotifyTreeWatch::InotifyTreeWatch() : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    if (!fd_)
        throw std::system_error(errno, std::system_category(), "inotify_init1");
}

void InotifyTreeWatch::addTree(const std::filesystem::path& folder) {
    roots_.push_back(withoutTrailingSeparator(folder));
    armRoot(roots_.back());
}

void InotifyTreeWatch::armRoot(const std::filesystem::path& root) {
    // A missing part made while the parent's watch was being added is looked at again; each
    // round starts from a deeper parent, so a few rounds end it. A folder removed between
    // looking and watching is looked at again too: giving up would leave the root watched
    // nowhere, and nothing would ever tell that it came back.
    const auto vanished = [] { return errno == ENOENT || errno == ENOTDIR; };
    for (int round = 0; round < 64; ++round) {
        std::error_code error;
        if (std::filesystem::is_directory(root, error)) {
            // The music folder itself may be a link (~/Music to another disk); links inside it
            // are not followed.
            if (int watch = addDirectory(root, true); watch >= 0) {
                rootWatches_.insert_or_assign(watch, root);
                return;
            }
            if (vanished())
                continue;
            return;
        }
        const auto parent = nearestExistingParent(root);
        if (parent.empty())
            return;
        // Added to the mask: the parent may be a tree folder too, whose events must stay.
        int watch = ::inotify_add_watch(fd_.get(), parent.c_str(), awaitedEvents | IN_MASK_ADD);
        if (watch < 0) {
            if (vanished())
                continue;
            if (errno == ENOSPC)
                reportWatchLimitOnce();
            return;
        }
        waitingAt_.insert_or_assign(watch, parent);
        if (nearestExistingParent(root) == parent && !std::filesystem::is_directory(root, error))
            return;
    }
}

void InotifyTreeWatch::rearm() {
    // A descriptor in two maps is removed twice; the second removal fails and changes nothing.
    for (const auto& [watch, folder] : folders_)
        ::inotify_rm_watch(fd_.get(), watch);
    for (const auto& [watch, folder] : waitingAt_)
        ::inotify_rm_watch(fd_.get(), watch);
    folders_.clear();
    rootWatches_.clear();
    waitingAt_.clear();
    for (const auto& root : roots_)
        armRoot(root);
}

int InotifyTreeWatch::addDirectory(const std::filesystem::path& folder, bool followLink) {
    int watch =
        ::inotify_add_watch(fd_.get(), folder.c_str(), watchedEvents | (followLink ? 0 : IN_DONT_FOLLOW));
    if (watch < 0) {
        if (errno == ENOSPC)
            reportWatchLimitOnce();
        return -1;
    }
    folders_.insert_or_assign(watch, folder);
    std::error_code error;
    for (std::filesystem::directory_iterator entries(folder, error), end; !error && entries != end;
         entries.increment(error)) {
        std::error_code statusError;
        if (entries->is_directory(statusError) && !entries->is_symlink(statusError) &&
            !isHidden(entries->path()))
            addDirectory(entries->path(), false);
    }
    return watch;
}

bool InotifyTreeWatch::changesRoots(const inotify_event& event) const {
    constexpr uint32_t gone = IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT | IN_IGNORED;
    if (event.mask & IN_Q_OVERFLOW)
        return true; // directories made while events were lost still need their watches
    if ((event.mask & gone) && (rootWatches_.contains(event.wd) || waitingAt_.contains(event.wd)))
        return true;
    auto parent = waitingAt_.find(event.wd);
    if (parent == waitingAt_.end() || !(event.mask & (IN_CREATE | IN_MOVED_TO)) || event.len == 0)
        return false;
    const auto made = parent->second / event.name;
    return std::any_of(roots_.begin(), roots_.end(), [&](const auto& root) { return isWithin(root, made); });
}

void InotifyTreeWatch::notePairedRename(const inotify_event& event, const std::filesystem::path& folder) {
    if (!(event.mask & (IN_MOVED_FROM | IN_MOVED_TO)) || event.len == 0)
        return;
    auto path = folder / event.name;
    // A rename to or from a hidden name (an edit's output taking the song's place) is a file
    // that appeared or went, not one that moved.
    if (event.mask & IN_MOVED_FROM) {
        if (!isHidden(path))
            movedFrom_.insert_or_assign(event.cookie, MovedFrom{std::move(path)});
        return;
    }
    auto from = movedFrom_.find(event.cookie);
    if (from == movedFrom_.end())
        return;
    if (!isHidden(path))
        renames_.push_back({std::move(from->second.path), std::move(path)});
    movedFrom_.erase(from);
}

std::vector<InotifyTreeWatch::Rename> InotifyTreeWatch::takeRenames() {
    return std::exchange(renames_, {});
}

bool InotifyTreeWatch::readEvents() {
    // Halves left from the read before this one were moves out of the trees.
    std::erase_if(movedFrom_, [](const auto& entry) { return entry.second.seenInEarlierRead; });
    for (auto& [cookie, from] : movedFrom_)
        from.seenInEarlierRead = true;
    bool changed = false;
    bool rootsChanged = false;
    alignas(inotify_event) char buffer[16384];
    for (;;) {
        ssize_t length = readRetrying(fd_.get(), buffer, sizeof buffer);
        if (length <= 0)
            break;
        for (ssize_t offset = 0; offset < length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + offset);
            offset += ssize_t(sizeof(inotify_event) + event->len);
            if (changesRoots(*event))
                rootsChanged = true;
            auto folder = folders_.find(event->wd);
            if (folder == folders_.end())
                continue; // only a parent where a missing root is awaited
            changed = true;
            notePairedRename(*event, folder->second);
            if (event->mask & IN_IGNORED) {
                folders_.erase(folder);
            } else if ((event->mask & IN_ISDIR) && (event->mask & (IN_CREATE | IN_MOVED_TO)) &&
                       event->len > 0) {
                auto created = folder->second / event->name;
                if (!isHidden(created))
                    addDirectory(created, false);
            }
        }
    }
    if (!rootsChanged)
        return changed;
    rearm();
    return true;
}

} // namespace ZazidEvoz::platform
