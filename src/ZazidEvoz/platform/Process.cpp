#include "Process.hpp"

#include "FaultInjection.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/eventfd.h>
#include <sys/syscall.h>
#include <sys/wait.h>

#include <cerrno>
#include <mutex>
#include <system_error>

extern char** environ;

namespace ZazidEvoz::platform {

Environment currentEnvironment() {
    Environment environment;
    for (char** entry = environ; entry && *entry; ++entry) {
        std::string_view text(*entry);
        auto equals = text.find('=');
        if (equals == std::string_view::npos)
            continue;
        environment.emplace(std::string(text.substr(0, equals)), std::string(text.substr(equals + 1)));
    }
    return environment;
}

ssize_t readRetrying(int fd, void* buffer, std::size_t size) {
    for (;;) {
        ssize_t count = ::read(fd, buffer, size);
        if (count >= 0 || errno != EINTR)
            return count;
    }
}

bool writeAll(int fd, const void* data, std::size_t size) {
    auto bytes = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t count = ::write(fd, bytes, size);
        if (count < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes += count;
        size -= static_cast<std::size_t>(count);
    }
    return true;
}

namespace {

std::string errorText(int error) { return std::system_category().message(error); }

ExitStatus decodeWaitStatus(int status) {
    ExitStatus result;
    if (WIFEXITED(status))
        result.code = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        result.signal = WTERMSIG(status);
    return result;
}

// posix_spawn's attribute and file-action objects, destroyed on every path.
struct SpawnSetup {
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_t actions;
    SpawnSetup() {
        posix_spawnattr_init(&attributes);
        posix_spawn_file_actions_init(&actions);
    }
    ~SpawnSetup() {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;
};

struct PipeEnds {
    UniqueFd read;
    UniqueFd write;
};

PipeEnds makePipe() {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        throw ProcessError(errorText(errno));
    return {UniqueFd(fds[0]), UniqueFd(fds[1])};
}

} // namespace

struct Process::State {
    pid_t pid = -1;
    UniqueFd pidfd;
    UniqueFd input;
    UniqueFd output;
    UniqueFd error;

    std::mutex mutex; // guards reaped and status
    bool reaped = false;
    ExitStatus status;

    // Reaps the child once it is known to have exited (its pidfd is readable).
    ExitStatus reapExited() {
        std::lock_guard lock(mutex);
        if (!reaped) {
            int raw = 0;
            pid_t result;
            do {
                result = ::waitpid(pid, &raw, 0);
            } while (result < 0 && errno == EINTR);
            status = result == pid ? decodeWaitStatus(raw) : ExitStatus{};
            reaped = true;
        }
        return status;
    }

    // Polls the pidfd; true when the child has exited.
    bool waitReadable(int timeoutMilliseconds) {
        pollfd entry{pidfd.get(), POLLIN, 0};
        for (;;) {
            int ready = ::poll(&entry, 1, timeoutMilliseconds);
            if (ready < 0 && errno == EINTR)
                continue;
            return ready > 0;
        }
    }
};

Process::Process(std::unique_ptr<State> state) : state_(std::move(state)) {}
Process::Process(Process&&) noexcept = default;

Process& Process::operator=(Process&& other) noexcept {
    if (this != &other) {
        if (state_ && !isReaped()) {
            kill();
            wait();
        }
        state_ = std::move(other.state_);
    }
    return *this;
}

Process::~Process() {
    if (!state_)
        return;
    state_->input.reset();
    if (!isReaped()) {
        kill();
        wait();
    }
}

Process Process::start(const ProcessOptions& options) {
    if (options.arguments.empty())
        throw ProcessError("No program to start");
    if (FaultInjection::shouldFail(Seam::ProcessStart))
        throw ProcessError("Injected failure starting " + options.arguments.front());

    SpawnSetup setup;
    auto state = std::make_unique<State>();
    PipeEnds inputPipe, outputPipe, errorPipe;

    auto openNull = [&](int target, int flags) {
        posix_spawn_file_actions_addopen(&setup.actions, target, "/dev/null", flags, 0);
    };

    if (options.inputFrom >= 0) {
        posix_spawn_file_actions_adddup2(&setup.actions, options.inputFrom, STDIN_FILENO);
    } else if (options.input == StreamMode::Pipe) {
        inputPipe = makePipe();
        posix_spawn_file_actions_adddup2(&setup.actions, inputPipe.read.get(), STDIN_FILENO);
    } else if (options.input == StreamMode::Null) {
        openNull(STDIN_FILENO, O_RDONLY);
    }
    if (options.output == StreamMode::Pipe) {
        outputPipe = makePipe();
        posix_spawn_file_actions_adddup2(&setup.actions, outputPipe.write.get(), STDOUT_FILENO);
    } else if (options.output == StreamMode::Null) {
        openNull(STDOUT_FILENO, O_WRONLY);
    }
    if (options.error == StreamMode::Pipe) {
        errorPipe = makePipe();
        posix_spawn_file_actions_adddup2(&setup.actions, errorPipe.write.get(), STDERR_FILENO);
    } else if (options.error == StreamMode::Null) {
        openNull(STDERR_FILENO, O_WRONLY);
    }
    // Libraries open files without close-on-exec (TagLib's fopen, iostreams); none of those
    // may leak into a child, where they would keep a file or a drive busy.
    posix_spawn_file_actions_addclosefrom_np(&setup.actions, STDERR_FILENO + 1);
    if (!options.workingDirectory.empty())
        posix_spawn_file_actions_addchdir_np(&setup.actions, options.workingDirectory.c_str());

    // Own process group; every signal back at its default (SIGPIPE above all); nothing blocked.
    sigset_t defaults, emptyMask;
    sigfillset(&defaults);
    sigdelset(&defaults, SIGKILL);
    sigdelset(&defaults, SIGSTOP);
    sigemptyset(&emptyMask);
    posix_spawnattr_setsigdefault(&setup.attributes, &defaults);
    posix_spawnattr_setsigmask(&setup.attributes, &emptyMask);
    posix_spawnattr_setpgroup(&setup.attributes, 0);
    posix_spawnattr_setflags(&setup.attributes,
                             POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

    std::vector<char*> argv;
    for (const auto& argument : options.arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    std::vector<std::string> environmentEntries;
    std::vector<char*> envp;
    char** childEnvironment = environ;
    if (options.environment) {
        for (const auto& [name, value] : *options.environment)
            environmentEntries.push_back(name + "=" + value);
        for (auto& entry : environmentEntries)
            envp.push_back(entry.data());
        envp.push_back(nullptr);
        childEnvironment = envp.data();
    }

    pid_t pid = -1;
    int result = ::posix_spawn(&pid, argv[0], &setup.actions, &setup.attributes, argv.data(), childEnvironment);
    if (result != 0)
        throw ProcessError(options.arguments.front() + ": " + errorText(result));

    state->pid = pid;
    // Through syscall(): glibc 2.36 declares pidfd_open without C linkage for C++. A pidfd is
    // always close-on-exec.
    state->pidfd.reset(static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)));
    if (!state->pidfd) {
        int error = errno;
        ::kill(-pid, SIGKILL);
        int ignored;
        while (::waitpid(pid, &ignored, 0) < 0 && errno == EINTR) {
        }
        throw ProcessError("pidfd_open: " + errorText(error));
    }
    state->input = std::move(inputPipe.write);
    state->output = std::move(outputPipe.read);
    state->error = std::move(errorPipe.read);
    return Process(std::move(state));
}

pid_t Process::pid() const { return state_ ? state_->pid : -1; }
int Process::inputFd() const { return state_ ? state_->input.get() : -1; }
int Process::outputFd() const { return state_ ? state_->output.get() : -1; }
int Process::errorFd() const { return state_ ? state_->error.get() : -1; }
UniqueFd Process::takeInput() { return state_ ? std::move(state_->input) : UniqueFd(); }
UniqueFd Process::takeOutput() { return state_ ? std::move(state_->output) : UniqueFd(); }
UniqueFd Process::takeError() { return state_ ? std::move(state_->error) : UniqueFd(); }

void Process::closeInput() {
    if (state_)
        state_->input.reset();
}

bool Process::signalGroup(int signal) {
    if (!state_)
        return false;
    std::lock_guard lock(state_->mutex);
    if (state_->reaped)
        return false;
    // While the leader is unreaped its id cannot be reused, so the group id is still ours.
    return ::kill(-state_->pid, signal) == 0;
}

bool Process::kill() { return signalGroup(SIGKILL); }

ExitStatus Process::wait() {
    if (!state_)
        return {};
    {
        std::lock_guard lock(state_->mutex);
        if (state_->reaped)
            return state_->status;
    }
    state_->waitReadable(-1);
    return state_->reapExited();
}

std::optional<ExitStatus> Process::waitFor(std::chrono::milliseconds timeout) {
    if (!state_)
        return ExitStatus{};
    {
        std::lock_guard lock(state_->mutex);
        if (state_->reaped)
            return state_->status;
    }
    if (!state_->waitReadable(static_cast<int>(timeout.count())))
        return std::nullopt;
    return state_->reapExited();
}

int Process::exitFd() const { return state_ ? state_->pidfd.get() : -1; }

bool Process::isReaped() const {
    if (!state_)
        return true;
    std::lock_guard lock(state_->mutex);
    return state_->reaped;
}

namespace {

// Collects one stream up to its cap, keeping the first or the last bytes.
struct CappedText {
    std::size_t cap;
    KeepBytes keep;
    std::string text;
    bool truncated = false;

    void append(std::string_view chunk) {
        if (keep == KeepBytes::First) {
            std::size_t room = cap > text.size() ? cap - text.size() : 0;
            if (chunk.size() > room)
                truncated = true;
            text.append(chunk.substr(0, room));
            return;
        }
        text.append(chunk);
        // Trim in large steps so a long stream costs linear time.
        if (text.size() > 2 * cap + 65536)
            trimFront();
    }

    void trimFront() {
        if (text.size() > cap) {
            text.erase(0, text.size() - cap);
            truncated = true;
        }
    }
};

} // namespace

RunResult runProcess(ProcessOptions options, const RunLimits& limits, std::stop_token stop,
                     const ChunkHandler& onOutput, const ChunkHandler& onError) {
    using Clock = std::chrono::steady_clock;
    options.output = StreamMode::Pipe;
    options.error = StreamMode::Pipe;
    Process process = Process::start(options);
    UniqueFd output = process.takeOutput();
    UniqueFd error = process.takeError();

    UniqueFd wake(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    if (!wake)
        throw ProcessError("eventfd: " + errorText(errno));
    std::stop_callback onStop(stop, [&wake] {
        uint64_t one = 1;
        [[maybe_unused]] auto ignored = ::write(wake.get(), &one, sizeof one);
    });

    CappedText outputText{limits.outputCap, limits.outputKeep, {}, false};
    CappedText errorText{limits.errorCap, limits.errorKeep, {}, false};
    RunResult result;

    std::optional<Clock::time_point> deadline;
    if (limits.timeout)
        deadline = Clock::now() + *limits.timeout;
    // Helpers started by the child may keep the pipes open after it exits; wait a little, then end.
    constexpr auto exitGrace = std::chrono::seconds(2);
    std::optional<Clock::time_point> exitedAt;

    std::vector<char> buffer(64 * 1024);
    while (output || error) {
        auto now = Clock::now();
        if (deadline && now >= *deadline) {
            result.timedOut = true;
            break;
        }
        if (exitedAt && now - *exitedAt >= exitGrace)
            break;

        int timeout = -1;
        auto limitBy = [&](Clock::time_point until) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - now).count() + 1;
            timeout = timeout < 0 ? static_cast<int>(left) : std::min(timeout, static_cast<int>(left));
        };
        if (deadline)
            limitBy(*deadline);
        if (exitedAt)
            limitBy(*exitedAt + exitGrace);

        pollfd entries[4] = {{output.get(), POLLIN, 0},
                             {error.get(), POLLIN, 0},
                             {wake.get(), POLLIN, 0},
                             {exitedAt ? -1 : process.exitFd(), POLLIN, 0}};
        int ready = ::poll(entries, 4, timeout);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (entries[2].revents & POLLIN) {
            result.cancelled = true;
            break;
        }
        if (entries[3].revents & POLLIN)
            exitedAt = Clock::now();
        auto drain = [&](UniqueFd& fd, short events, CappedText& text, const ChunkHandler& handler) {
            if (!fd || !(events & (POLLIN | POLLHUP | POLLERR)))
                return;
            ssize_t count = readRetrying(fd.get(), buffer.data(), buffer.size());
            if (count <= 0) {
                fd.reset();
                return;
            }
            std::string_view chunk(buffer.data(), static_cast<std::size_t>(count));
            if (handler)
                handler(chunk);
            text.append(chunk);
        };
        drain(output, entries[0].revents, outputText, onOutput);
        drain(error, entries[1].revents, errorText, onError);
    }

    if (result.timedOut || result.cancelled || output || error)
        process.kill();
    output.reset();
    error.reset();
    result.status = process.wait();
    outputText.trimFront();
    errorText.trimFront();
    result.output = std::move(outputText.text);
    result.error = std::move(errorText.text);
    result.outputTruncated = outputText.truncated;
    result.errorTruncated = errorText.truncated;
    return result;
}

} // namespace ZazidEvoz::platform
