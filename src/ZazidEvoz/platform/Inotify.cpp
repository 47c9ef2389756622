#include "Inotify.hpp"

#include "Process.hpp"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <sys/inotify.h>
#include <system_error>

namespace ZazidEvoz::platform {
namespace {

constexpr uint32_t watchedEvents = IN_CREATE | IN_DELETE | IN_MODIFY | IN_CLOSE_WRITE | IN_MOVED_FROM |
                                   IN_MOVED_TO | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

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

} // namespace

InotifyTreeWatch::InotifyTreeWatch() : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    if (!fd_)
        throw std::system_error(errno, std::system_category(), "inotify_init1");
}

void InotifyTreeWatch::addTree(const std::filesystem::path& folder) {
    roots_.push_back(folder);
    // The music folder itself may be a link (~/Music to another disk); links inside it are not followed.
    addDirectory(folder, true);
}

void InotifyTreeWatch::addDirectory(const std::filesystem::path& folder, bool followLink) {
    int watch =
        ::inotify_add_watch(fd_.get(), folder.c_str(), watchedEvents | (followLink ? 0 : IN_DONT_FOLLOW));
    if (watch < 0) {
        if (errno == ENOSPC)
            reportWatchLimitOnce();
        return;
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
}

bool InotifyTreeWatch::readEvents() {
    bool changed = false;
    alignas(inotify_event) char buffer[16384];
    for (;;) {
        ssize_t length = readRetrying(fd_.get(), buffer, sizeof buffer);
        if (length <= 0)
            return changed;
        changed = true;
        for (ssize_t offset = 0; offset < length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + offset);
            offset += ssize_t(sizeof(inotify_event) + event->len);
            if (event->mask & IN_Q_OVERFLOW) {
                // Directories made while events were lost still need their watches.
                for (const auto& root : roots_)
                    addDirectory(root, true);
            } else if (event->mask & IN_IGNORED) {
                folders_.erase(event->wd);
            } else if ((event->mask & IN_ISDIR) && (event->mask & (IN_CREATE | IN_MOVED_TO)) &&
                       event->len > 0) {
                auto folder = folders_.find(event->wd);
                std::filesystem::path created = folder == folders_.end() ? "" : folder->second / event->name;
                if (!created.empty() && !isHidden(created))
                    addDirectory(created, false);
            }
        }
    }
}

} // namespace ZazidEvoz::platform
