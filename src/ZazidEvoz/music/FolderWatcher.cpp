#include "FolderWatcher.hpp"

#include "ZazidEvoz/platform/Inotify.hpp"
#include "ZazidEvoz/platform/Process.hpp"
#include "ZazidEvoz/platform/Threads.hpp"

#include <algorithm>
#include <cerrno>
#include <optional>
#include <poll.h>
#include <sys/eventfd.h>
#include <system_error>
#include <utility>

namespace ZazidEvoz {

namespace fs = std::filesystem;

FolderWatcher::FolderWatcher(std::function<void(std::vector<PathMove>)> onChange,
                             std::chrono::milliseconds debounce, std::shared_ptr<platform::Sleeper> sleeper)
    : onChange_(std::move(onChange)), sleeper_(std::move(sleeper)),
      wakeFd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)),
      debounce_("ZR debounce", debounce, sleeper_, [this](std::uint64_t number) {
          {
              std::lock_guard lock(mutex_);
              expired_ = number;
          }
          wakeThread();
      }) {
    if (!wakeFd_)
        throw std::system_error(errno, std::system_category(), "eventfd");
    thread_ = std::jthread([this](std::stop_token stop) { run(std::move(stop)); });
}

FolderWatcher::FolderWatcher(std::function<void()> onChange, std::chrono::milliseconds debounce,
                             std::shared_ptr<platform::Sleeper> sleeper)
    : FolderWatcher([onChange = std::move(onChange)](std::vector<PathMove>) { onChange(); }, debounce,
                    std::move(sleeper)) {}

// The thread stops first (last member): a call still pending is dropped with it.
FolderWatcher::~FolderWatcher() = default;

void FolderWatcher::watch(const std::vector<fs::path>& folders) {
    submit({folders});
}

void FolderWatcher::stop() {
    submit({{}});
}

void FolderWatcher::wakeThread() {
    std::uint64_t one = 1;
    platform::writeAll(wakeFd_.get(), &one, sizeof one);
}

bool FolderWatcher::hasExpired(std::uint64_t number) {
    std::lock_guard lock(mutex_);
    return number != 0 && expired_ == number;
}

void FolderWatcher::submit(Command command) {
    std::unique_lock lock(mutex_);
    commands_.push_back(std::move(command));
    std::uint64_t ticket = ++submitted_;
    wakeThread();
    appliedChanged_.wait(lock, [&] { return applied_ >= ticket; });
}

void FolderWatcher::takeMoves() {
    if (!tree_)
        return;
    for (auto& rename : tree_->takeRenames())
        moves_.push_back({rename.from.string(), rename.to.string()});
}

bool FolderWatcher::apply(const Command& command) {
    // What changed before this command still counts; nothing of the old folders after it.
    bool changed = tree_ && tree_->readEvents();
    takeMoves();
    tree_.reset();
    if (command.folders.empty())
        return changed;
    try {
        tree_ = std::make_unique<platform::InotifyTreeWatch>();
        for (const fs::path& folder : command.folders)
            tree_->addTree(folder);
    } catch (const std::system_error&) {
        // Without inotify the watcher delivers nothing; the periodic rescan still runs.
        tree_.reset();
    }
    return changed;
}

void FolderWatcher::run(std::stop_token stop) {
    platform::setCurrentThreadName("ZR folder watch");
    std::stop_callback wakeOnStop(stop, [this] { wakeThread(); });
    std::uint64_t due = 0; // the countdown whose end delivers the burst; 0 while none is pending
    for (;;) {
        pollfd descriptors[2] = {{wakeFd_.get(), POLLIN, 0}, {tree_ ? tree_->fd() : -1, POLLIN, 0}};
        int ready = ::poll(descriptors, 2, hasExpired(due) ? 0 : -1);
        if (stop.stop_requested())
            return;
        if (ready < 0) {
            // Only a shortage of memory gets here; the thread must live on to answer commands.
            if (errno != EINTR)
                sleeper_->sleepFor(std::chrono::milliseconds(50), stop);
            continue;
        }

        if (ready > 0 && (descriptors[0].revents & POLLIN)) {
            std::uint64_t count = 0;
            platform::readRetrying(wakeFd_.get(), &count, sizeof count);
            std::vector<Command> commands;
            {
                std::lock_guard lock(mutex_);
                commands.swap(commands_);
            }
            if (!commands.empty()) {
                for (const Command& command : commands)
                    if (apply(command))
                        due = debounce_.start();
                {
                    std::lock_guard lock(mutex_);
                    applied_ += commands.size();
                }
                appliedChanged_.notify_all();
                // The descriptor polled above may be gone now: poll again before reading events.
                continue;
            }
        }
        if (ready > 0 && tree_ && (descriptors[1].revents & POLLIN) && tree_->readEvents()) {
            takeMoves();
            due = debounce_.start();
        }
        if (hasExpired(due)) {
            due = 0;
            onChange_(std::exchange(moves_, {}));
        }
    }
}

} // namespace ZazidEvoz
