// Child processes started directly with an argument list (never through a shell).
//
// Each child runs in its own process group, so signals reach the helpers it starts too, and
// is killed by the kernel when this process ends, however it ends (its helpers too, when
// asked: see EndsWithUs). Pipes are created close-on-exec, SIGPIPE is back to its default in
// the child, and every child is reaped: the destructor kills the group and waits when the
// owner did not.
// A group is only signalled while its leader is known to be unreaped, so a recycled
// process id is never hit.
#pragma once

#include "UniqueFd.hpp"

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <stop_token>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace ZazidEvoz::platform {

using Environment = std::map<std::string, std::string>;

// The environment of this process, as a map.
Environment currentEnvironment();

// A child could not be started; what() is the system's error text.
class ProcessError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Where one of the child's standard streams goes.
enum class StreamMode { Null, Pipe, Inherit };

// What ends with this process when it ends, however it ends (SIGKILL included). The child
// always does. With WholeGroup, so do the helpers it starts in its group, which the kernel
// would otherwise leave running: a watcher process, forked into the group before the child's
// program runs, kills the group when this process is gone; reaping the child ends it.
enum class EndsWithUs { Child, WholeGroup };

struct ProcessOptions {
    ProcessOptions() = default;
    explicit ProcessOptions(std::vector<std::string> argumentList) : arguments(std::move(argumentList)) {}

    std::vector<std::string> arguments;     // arguments[0] is the executable's path
    std::optional<Environment> environment; // the whole environment; absent: inherit ours
    StreamMode input = StreamMode::Null;
    StreamMode output = StreamMode::Pipe;
    StreamMode error = StreamMode::Pipe;
    int inputFrom = -1;           // when >= 0, this descriptor becomes the child's standard input
    std::string workingDirectory; // empty: inherit ours
    EndsWithUs endsWithUs = EndsWithUs::Child;
};

struct ExitStatus {
    int code = -1;  // exit code when the child exited normally, else -1
    int signal = 0; // the signal that ended it, else 0

    bool exitedNormally() const { return signal == 0 && code >= 0; }
    bool succeeded() const { return exitedNormally() && code == 0; }
    // The shell's convention: the exit code, or 128 + the signal number.
    int shellStatus() const { return signal != 0 ? 128 + signal : code; }
};

class Process {
public:
    // Starts the child; throws ProcessError when it cannot be started, and when an argument,
    // an environment entry or the working folder holds a NUL (the child would see it cut).
    static Process start(const ProcessOptions& options);

    Process(Process&&) noexcept;
    Process& operator=(Process&&) noexcept;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    // Kills the whole group and reaps the child when that has not happened yet.
    ~Process();

    pid_t pid() const;

    // Pipe ends on our side; -1 when the stream is not a pipe or was taken.
    int outputFd() const;
    int errorFd() const;
    UniqueFd takeInput();
    UniqueFd takeOutput();
    UniqueFd takeError();

    // Signals the child's process group; false when the child is already reaped.
    // Safe to call from any thread, also while another thread waits.
    bool signalGroup(int signal);
    bool kill();

    // Blocks until the child exits and reaps it; later calls return the same status.
    ExitStatus wait();
    // Waits at most `timeout`; absent when the child is still running.
    std::optional<ExitStatus> waitFor(std::chrono::milliseconds timeout);
    bool isReaped() const;
    // Becomes readable (poll) once the child has exited; reading it does not reap.
    int exitFd() const;

private:
    struct State;
    explicit Process(std::unique_ptr<State> state);
    std::unique_ptr<State> state_;
};

// What runProcess keeps of a stream that is longer than its cap.
enum class KeepBytes { First, Last };

struct RunLimits {
    std::size_t outputCap = 16 * 1024 * 1024;
    KeepBytes outputKeep = KeepBytes::First;
    std::size_t errorCap = 64 * 1024;
    KeepBytes errorKeep = KeepBytes::Last;
    std::optional<std::chrono::milliseconds> timeout; // kill the group after this long
};

struct RunResult {
    ExitStatus status;
    std::string output;
    std::string error;
    bool outputTruncated = false;
    bool errorTruncated = false;
    bool timedOut = false;
    bool cancelled = false;
};

// Chunks of a stream as they arrive, before any cap applies.
using ChunkHandler = std::function<void(std::string_view chunk)>;

// Runs a child to its end, reading standard output and standard error at the same time.
// A stop request or the time-out kills the child's group. Throws ProcessError when the
// child cannot be started.
RunResult runProcess(ProcessOptions options, const RunLimits& limits = {}, std::stop_token stop = {},
                     const ChunkHandler& onOutput = {}, const ChunkHandler& onError = {});

// read() and write() that retry on EINTR.
ssize_t readRetrying(int fd, void* buffer, std::size_t size);
// Writes everything or fails; false with errno set on failure.
bool writeAll(int fd, const void* data, std::size_t size);

} // namespace ZazidEvoz::platform
