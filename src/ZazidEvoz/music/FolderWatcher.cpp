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

FolderWatcher::FolderWatcher(std::function<void(std::vector<PathMove>)> onChange, std::chrono::milliseconds debounce)
    : onChange_(std::move(onChange)), debounce_(debounce), wakeFd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    if (!wakeFd_)
        throw std::system_error(errno, std::system_category(), "eventfd");
    thread_ = std::thread([this] { run(); });
}

FolderWatcher::FolderWatcher(std::function<void()> onChange, std::chrono::milliseconds debounce)
    : FolderWatcher([onChange = std::move(onChange)](std::vector<PathMove>) { onChange(); }, debounce) {}

FolderWatcher::~FolderWatcher() {
    submit({{}, true});
    thread_.join();
}

void FolderWatcher::watch(const std::vector<fs::path>& folders) {
    submit({folders, false});
}

void FolderWatcher::stop() {
    submit({{}, false});
}

void FolderWatcher::submit(Command command) {
    std::unique_lock lock(mutex_);
    bool quit = command.quit;
    commands_.push_back(std::move(command));
    std::uint64_t ticket = ++submitted_;
    std::uint64_t one = 1;
    platform::writeAll(wakeFd_.get(), &one, sizeof one);
    if (!quit)
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
    if (command.quit || command.folders.empty())
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

void FolderWatcher::run() {
    platform::setCurrentThreadName("ZR folder watch");
    using Clock = std::chrono::steady_clock;
    std::optional<Clock::time_point> deadline;
    for (;;) {
        pollfd descriptors[2] = {{wakeFd_.get(), POLLIN, 0}, {tree_ ? tree_->fd() : -1, POLLIN, 0}};
        int timeout = -1;
        if (deadline) {
            auto remaining = std::chrono::ceil<std::chrono::milliseconds>(*deadline - Clock::now());
            timeout = int(std::max<std::int64_t>(0, remaining.count()));
        }
        int ready = ::poll(descriptors, 2, timeout);
        if (ready < 0) {
            // Only a shortage of memory gets here; the thread must live on to answer commands.
            if (errno != EINTR)
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
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
            bool quit = false;
            for (const Command& command : commands) {
                if (apply(command))
                    deadline = Clock::now() + debounce_;
                quit = quit || command.quit;
            }
            {
                std::lock_guard lock(mutex_);
                applied_ += commands.size();
            }
            appliedChanged_.notify_all();
            if (quit)
                return;
            // The descriptor polled above may be gone now: poll again before reading events.
            continue;
        }
        if (ready > 0 && tree_ && (descriptors[1].revents & POLLIN) && tree_->readEvents()) {
            takeMoves();
            deadline = Clock::now() + debounce_;
        }
        if (deadline && Clock::now() >= *deadline) {
            deadline.reset();
            onChange_(std::exchange(moves_, {}));
        }
    }
}

} // namespace ZazidEvoz
