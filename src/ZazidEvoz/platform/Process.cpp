#include "Process.hpp"

#include "FaultInjection.hpp"
#include "Threads.hpp"

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <dlfcn.h>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <system_error>
#include <thread>

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

std::string errorText(int error) {
    return std::system_category().message(error);
}

ExitStatus decodeWaitStatus(int status) {
    ExitStatus result;
    if (WIFEXITED(status))
        result.code = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        result.signal = WTERMSIG(status);
    return result;
}

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

// The kernel would end each text at its first NUL: the child would get another address or
// another file name than the one asked for.
void checkNoNul(const ProcessOptions& options) {
    auto hasNul = [](std::string_view text) { return text.find('\0') != std::string_view::npos; };
    for (const auto& argument : options.arguments)
        if (hasNul(argument))
            throw ProcessError("An argument contains a NUL character");
    if (options.environment)
        for (const auto& [name, value] : *options.environment)
            if (hasNul(name) || hasNul(value))
                throw ProcessError("An environment variable contains a NUL character");
    if (hasNul(options.workingDirectory))
        throw ProcessError("The working folder contains a NUL character");
}

// What the child does between clone and exec, prepared by the parent. Until it execs, the
// child runs on our memory with our thread's TLS: it makes raw system calls only, never
// allocates, locks or reaches sanitizer code.
struct ChildPlan {
    const char* path = nullptr;
    char* const* argv = nullptr;
    char* const* envp = nullptr;
    int sources[3] = {-1, -1, -1}; // what becomes standard input, output, error; -1: ours
    const char* workingDirectory = nullptr;
    pid_t parent = 0;
    bool watchGroup = false;    // start a watcher that kills the group once we are gone
    volatile pid_t watcher = 0; // set by the child: the watcher it started
    volatile int error = 0; // set by the child: why it could not exec
};

#define ZINTRARADIO_CHILD_CODE __attribute__((no_sanitize("address", "undefined", "thread"), noinline))

[[noreturn]] ZINTRARADIO_CHILD_CODE void childFailed(ChildPlan& plan) {
    plan.error = errno;
    ::syscall(SYS_exit, 127);
    __builtin_unreachable();
}

// The kernel's sigaction layout; all zero is SIG_DFL with no flags.
struct KernelSignalAction {
    unsigned long handler = 0;
    unsigned long flags = 0;
    unsigned long restorer = 0;
    std::uint64_t mask = 0;
};

// The watcher: a copy of the child from before its exec, in the child's group. It holds
// nothing but a handle on us, and once we are gone, however we ended, it kills the whole
// group, itself included. While we live we end it, when we reap the child.
[[noreturn]] ZINTRARADIO_CHILD_CODE void watchGroup(int owner) {
    static const char name[] = "ZR group watch"; // at most 15 bytes: the kernel cuts the rest
    ::syscall(SYS_prctl, PR_SET_NAME, name, 0, 0, 0);
    // Neither our pipes nor our files stay open in here.
    if (owner > 0)
        ::syscall(SYS_close_range, 0, owner - 1, 0);
    ::syscall(SYS_close_range, owner + 1, ~0U, 0);
    pollfd entry = {owner, POLLIN, 0};
    while (::syscall(SYS_ppoll, &entry, 1, nullptr, nullptr, 0) < 0 && errno == EINTR) {
    }
    ::syscall(SYS_kill, 0, SIGKILL);
    ::syscall(SYS_exit, 0);
    __builtin_unreachable();
}

// Forks the watcher of the child's group (see EndsWithUs); the child goes on to exec.
ZINTRARADIO_CHILD_CODE void startGroupWatcher(ChildPlan& plan) {
    // Taken while we are known to live: it cannot name another process later.
    long owner = ::syscall(SYS_pidfd_open, plan.parent, 0);
    if (owner < 0)
        childFailed(plan);
    // A plain fork: the watcher gets a copy of our memory and lives on it after the exec.
    long watcher = ::syscall(SYS_clone, SIGCHLD, 0, 0, 0, 0);
    if (watcher < 0)
        childFailed(plan);
    if (watcher == 0)
        watchGroup(static_cast<int>(owner));
    plan.watcher = static_cast<pid_t>(watcher);
    ::syscall(SYS_close, owner);
}

ZINTRARADIO_CHILD_CODE int childMain(void* context) {
    auto& plan = *static_cast<ChildPlan*>(context);
    // Every disposition back at its default (SIGPIPE above all). All signals stay blocked, as
    // on the spawner thread, until just before exec, so no handler of ours runs in here.
    KernelSignalAction byDefault;
    for (int signal = 1; signal <= 64; ++signal)
        if (signal != SIGKILL && signal != SIGSTOP)
            ::syscall(SYS_rt_sigaction, signal, &byDefault, nullptr, sizeof byDefault.mask);
    // Own process group, so a kill reaches the helpers it starts too.
    if (::syscall(SYS_setpgid, 0, 0) != 0)
        childFailed(plan);
    // Dies with us. The spawner thread lives as long as the process, so the signal comes
    // only when the process ends; a parent that ended before this call is caught below.
    if (::syscall(SYS_prctl, PR_SET_PDEATHSIG, SIGKILL, 0, 0, 0) != 0)
        childFailed(plan);
    if (::syscall(SYS_getppid) != plan.parent)
        ::syscall(SYS_exit, 127);
    if (plan.watchGroup)
        startGroupWatcher(plan);

    int sources[3] = {plan.sources[0], plan.sources[1], plan.sources[2]};
    // A source among 0..2 would be overwritten by an earlier dup: move it out of the way.
    for (int& source : sources)
        if (source >= 0 && source <= STDERR_FILENO) {
            long moved = ::syscall(SYS_fcntl, source, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
            if (moved < 0)
                childFailed(plan);
            source = static_cast<int>(moved);
        }
    for (int target = 0; target <= STDERR_FILENO; ++target)
        if (sources[target] >= 0 && ::syscall(SYS_dup3, sources[target], target, 0) < 0)
            childFailed(plan);
    // Libraries open files without close-on-exec (TagLib's fopen, iostreams); none of those
    // may leak into a child, where they would keep a file or a drive busy.
    ::syscall(SYS_close_range, STDERR_FILENO + 1, ~0U, 0);
    if (plan.workingDirectory && ::syscall(SYS_chdir, plan.workingDirectory) != 0)
        childFailed(plan);
    std::uint64_t nothingBlocked = 0;
    ::syscall(SYS_rt_sigprocmask, SIG_SETMASK, &nothingBlocked, nullptr, sizeof nothingBlocked);
    ::syscall(SYS_execve, plan.path, plan.argv, plan.envp);
    childFailed(plan);
}

struct SpawnResult {
    pid_t pid = -1;
    int pidfd = -1;
    int error = 0; // clone's error (pid < 0) or the child's (it could not exec)
};

// clone() for a child that shares our memory. ThreadSanitizer's own clone takes every child
// for a fork and resets its bookkeeping in it, which such a child would reset for us too: in
// that build the C library's is called directly (and the child's code is not instrumented,
// see ZINTRARADIO_CHILD_CODE).
int cloneSharingMemory(int (*function)(void*), void* stack, int flags, void* argument, int* pidfd) {
#if defined(__SANITIZE_THREAD__)
    using Clone = int (*)(int (*)(void*), void*, int, void*, ...);
    static const Clone libraryClone =
        reinterpret_cast<Clone>(::dlsym(::dlopen("libc.so.6", RTLD_LAZY | RTLD_NOLOAD), "clone"));
    return libraryClone(function, stack, flags, argument, pidfd);
#else
    return ::clone(function, stack, flags, argument, pidfd);
#endif
}

// Starts every child from one thread that lives as long as the process. A child's death
// signal is tied to the thread that started it, and the engine's worker threads come and go
// while their children run on.
class Spawner {
public:
    static Spawner& instance() {
        static std::mutex guard;
        static Spawner* spawner = nullptr;
        static pid_t owner = 0;
        std::lock_guard lock(guard);
        // A forked copy of this process has no spawner thread: it starts its own.
        if (!spawner || owner != ::getpid()) {
            spawner = new Spawner; // lives as long as the process, like its thread
            owner = ::getpid();
        }
        return *spawner;
    }

    SpawnResult spawn(ChildPlan& plan) {
        Job job{&plan, {}, false};
        {
            std::lock_guard lock(mutex_);
            jobs_.push_back(&job);
        }
        changed_.notify_all();
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return job.finished; });
        return job.result;
    }

private:
    static constexpr std::size_t stackSize = 256 * 1024;

    struct Job {
        ChildPlan* plan;
        SpawnResult result;
        bool finished; // guarded by mutex_
    };

    Spawner() {
        std::thread([this] { run(); }).detach();
    }

    void run() {
        setCurrentThreadName("ZR spawner");
        // Children start with every signal blocked (see childMain).
        sigset_t all;
        sigfillset(&all);
        ::pthread_sigmask(SIG_BLOCK, &all, nullptr);
        // The child's stack while it shares our memory; one is enough, spawns take turns.
        void* stack = ::mmap(nullptr, stackSize, PROT_READ | PROT_WRITE,
                             MAP_PRIVATE | MAP_ANONYMOUS | MAP_STACK, -1, 0);
        for (;;) {
            Job* job;
            {
                std::unique_lock lock(mutex_);
                changed_.wait(lock, [&] { return !jobs_.empty(); });
                job = jobs_.front();
                jobs_.pop_front();
            }
            SpawnResult result;
            if (stack == MAP_FAILED)
                result.error = ENOMEM;
            else
                result = cloneChild(*job->plan, static_cast<char*>(stack) + stackSize);
            {
                std::lock_guard lock(mutex_);
                job->result = result;
                job->finished = true;
            }
            changed_.notify_all();
        }
    }

    static SpawnResult cloneChild(ChildPlan& plan, char* stackTop) {
        plan.parent = ::getpid();
        plan.error = 0;
        int pidfd = -1;
        // Like vfork: the child borrows our memory and we wait here until it has exec'd.
        pid_t pid = cloneSharingMemory(&childMain, stackTop, CLONE_VM | CLONE_VFORK | CLONE_PIDFD | SIGCHLD,
                                       &plan, &pidfd);
        if (pid < 0)
            return {-1, -1, errno};
        return {pid, pidfd, plan.error};
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Job*> jobs_; // guarded by mutex_
};

} // namespace

// Ends the watcher of a child's group, if there is one (see EndsWithUs).
void endWatcher(UniqueFd& watcher) {
    if (watcher)
        ::syscall(SYS_pidfd_send_signal, watcher.get(), SIGKILL, nullptr, 0);
    watcher.reset();
}

struct Process::State {
    pid_t pid = -1;
    UniqueFd pidfd;
    UniqueFd watcher; // the group's watcher while the child is unreaped
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
            endWatcher(watcher);
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
    checkNoNul(options);
    if (FaultInjection::shouldFail(Seam::ProcessStart))
        throw ProcessError("Injected failure starting " + options.arguments.front());

    auto state = std::make_unique<State>();
    PipeEnds inputPipe, outputPipe, errorPipe;
    UniqueFd null;
    auto nullDevice = [&] {
        if (!null) {
            null.reset(::open("/dev/null", O_RDWR | O_CLOEXEC));
            if (!null)
                throw ProcessError("/dev/null: " + errorText(errno));
        }
        return null.get();
    };

    ChildPlan plan;
    if (options.inputFrom >= 0) {
        plan.sources[STDIN_FILENO] = options.inputFrom;
    } else if (options.input == StreamMode::Pipe) {
        inputPipe = makePipe();
        plan.sources[STDIN_FILENO] = inputPipe.read.get();
    } else if (options.input == StreamMode::Null) {
        plan.sources[STDIN_FILENO] = nullDevice();
    }
    if (options.output == StreamMode::Pipe) {
        outputPipe = makePipe();
        plan.sources[STDOUT_FILENO] = outputPipe.write.get();
    } else if (options.output == StreamMode::Null) {
        plan.sources[STDOUT_FILENO] = nullDevice();
    }
    if (options.error == StreamMode::Pipe) {
        errorPipe = makePipe();
        plan.sources[STDERR_FILENO] = errorPipe.write.get();
    } else if (options.error == StreamMode::Null) {
        plan.sources[STDERR_FILENO] = nullDevice();
    }
    if (!options.workingDirectory.empty())
        plan.workingDirectory = options.workingDirectory.c_str();
    plan.watchGroup = options.endsWithUs == EndsWithUs::WholeGroup;

    std::vector<char*> argv;
    for (const auto& argument : options.arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    plan.path = argv[0];
    plan.argv = argv.data();

    std::vector<std::string> environmentEntries;
    std::vector<char*> envp;
    plan.envp = environ;
    if (options.environment) {
        for (const auto& [name, value] : *options.environment)
            environmentEntries.push_back(name + "=" + value);
        for (auto& entry : environmentEntries)
            envp.push_back(entry.data());
        envp.push_back(nullptr);
        plan.envp = envp.data();
    }

    SpawnResult spawned = Spawner::instance().spawn(plan);
    if (spawned.pid < 0)
        throw ProcessError(options.arguments.front() + ": " + errorText(spawned.error));
    UniqueFd pidfd(spawned.pidfd);
    // It lives until we end it, so its id is still its own.
    UniqueFd watcher(plan.watcher > 0 ? static_cast<int>(::syscall(SYS_pidfd_open, plan.watcher, 0)) : -1);
    if (spawned.error != 0) {
        endWatcher(watcher);
        // The child could not run the program and has ended: reap it.
        int ignored;
        while (::waitpid(spawned.pid, &ignored, 0) < 0 && errno == EINTR) {
        }
        throw ProcessError(options.arguments.front() + ": " + errorText(spawned.error));
    }

    state->pid = spawned.pid;
    state->pidfd = std::move(pidfd);
    state->watcher = std::move(watcher);
    state->input = std::move(inputPipe.write);
    state->output = std::move(outputPipe.read);
    state->error = std::move(errorPipe.read);
    return Process(std::move(state));
}

pid_t Process::pid() const {
    return state_ ? state_->pid : -1;
}
int Process::outputFd() const {
    return state_ ? state_->output.get() : -1;
}
int Process::errorFd() const {
    return state_ ? state_->error.get() : -1;
}
UniqueFd Process::takeInput() {
    return state_ ? std::move(state_->input) : UniqueFd();
}
UniqueFd Process::takeOutput() {
    return state_ ? std::move(state_->output) : UniqueFd();
}
UniqueFd Process::takeError() {
    return state_ ? std::move(state_->error) : UniqueFd();
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

bool Process::kill() {
    return signalGroup(SIGKILL);
}

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

int Process::exitFd() const {
    return state_ ? state_->pidfd.get() : -1;
}

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
