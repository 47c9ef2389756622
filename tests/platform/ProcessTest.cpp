#include "ZazidEvoz/platform/Process.hpp"

#include "ZazidEvoz/platform/FaultInjection.hpp"
#include "support/Sandbox.hpp"

#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <signal.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>

using namespace ZazidEvoz::platform;
using namespace std::chrono_literals;

namespace {

ProcessOptions shell(const std::string& script) {
    return ProcessOptions({"/bin/sh", "-c", script});
}

bool processExists(pid_t pid) {
    return ::kill(pid, 0) == 0;
}

// Running or stopped, not a zombie waiting for a parent's reap.
bool processAlive(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line))
        return false;
    auto state = line.find(") ");
    return state != std::string::npos && line[state + 2] != 'Z' && line[state + 2] != 'X';
}

// A forked copy of this process that starts a child with `startChild` (which returns the pid
// to report) and then waits to be killed; returns the copy's pid and the one it reported.
std::pair<pid_t, pid_t> forkOwner(const std::function<pid_t()>& startChild) {
    int report[2];
    if (::pipe(report) != 0)
        return {-1, -1};
    pid_t owner = ::fork();
    if (owner == 0) {
        ::close(report[0]);
        pid_t reported = startChild();
        [[maybe_unused]] auto written = ::write(report[1], &reported, sizeof reported);
        for (;;)
            ::pause();
    }
    ::close(report[1]);
    pid_t reported = -1;
    if (owner < 0 || ::read(report[0], &reported, sizeof reported) != ssize_t(sizeof reported))
        reported = -1;
    ::close(report[0]);
    return {owner, reported};
}

// Waits until the process group has no running member left, for at most `bound`.
bool groupEndsWithin(pid_t group, std::chrono::seconds bound) {
    auto until = std::chrono::steady_clock::now() + bound;
    while (!ZazidEvoz::testkit::liveProcessesInGroup(group).empty()) {
        if (std::chrono::steady_clock::now() >= until)
            return false;
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

} // namespace

TEST(Process, RunsWithArgumentsAndReportsExitCodes) {
    auto result = runProcess(ProcessOptions(
        {"/bin/sh", "-c", "printf '%s|' \"$@\"; echo err >&2; exit 3", "sh", "a b", "$HOME", "--x"}));
    EXPECT_EQ(result.output, "a b|$HOME|--x|");
    EXPECT_EQ(result.error, "err\n");
    EXPECT_EQ(result.status.code, 3);
    EXPECT_FALSE(result.status.succeeded());
}

TEST(Process, MissingProgramIsAnError) {
    EXPECT_THROW(Process::start(ProcessOptions({"/nonexistent/tool"})), ProcessError);
    FaultInjection::failNth(Seam::ProcessStart, 1);
    EXPECT_THROW(Process::start(shell("true")), ProcessError);
    EXPECT_NO_THROW(Process::start(shell("true")).wait());
}

TEST(Process, EnvironmentAndWorkingDirectoryAreThoseGiven) {
    auto folder = ZazidEvoz::testkit::makeTemporaryFolder();
    ProcessOptions options = shell("echo \"$ONLY:$HOME\"; pwd");
    options.environment = Environment{{"ONLY", "this"}};
    options.workingDirectory = folder.string();
    auto result = runProcess(options);
    EXPECT_EQ(result.output, "this:\n" + std::filesystem::canonical(folder).string() + "\n");
}

TEST(Process, ChildHasDefaultSignalsAndItsOwnGroup) {
    // We ignore SIGPIPE; the child must not inherit that.
    auto ignored = runProcess(ProcessOptions({"/bin/sed", "-n", "s/^SigIgn:\t//p", "/proc/self/status"}));
    unsigned long long mask = std::stoull(ignored.output, nullptr, 16);
    EXPECT_EQ(mask & (1ULL << (SIGPIPE - 1)), 0u) << ignored.output;
    Process child = Process::start(shell("ps -o pgid= -p $$"));
    char buffer[64] = {};
    ASSERT_GT(readRetrying(child.outputFd(), buffer, sizeof buffer - 1), 0);
    EXPECT_EQ(std::stoi(buffer), child.pid());
    child.wait();
}

TEST(Process, PipesAreNotInheritedBySecondChild) {
    // If the first child's stdout write end leaked into the second, EOF would never come.
    Process first = Process::start(shell("echo one"));
    Process second = Process::start(shell("sleep 5"));
    std::string output;
    char buffer[64];
    ssize_t count;
    while ((count = readRetrying(first.outputFd(), buffer, sizeof buffer)) > 0)
        output.append(buffer, std::size_t(count));
    EXPECT_EQ(output, "one\n");
    EXPECT_TRUE(first.wait().succeeded());
}

TEST(Process, ChildInheritsOnlyItsStandardStreams) {
    // A descriptor opened without close-on-exec, as libraries do, must still stay ours.
    // A high number, so it cannot be mistaken for the descriptor ls opens for the listing.
    int opened = ::open("/dev/null", O_RDONLY);
    ASSERT_GE(opened, 0);
    int leaky = ::dup2(opened, 200);
    ::close(opened);
    ASSERT_EQ(leaky, 200);
    auto result = runProcess(ProcessOptions({"/bin/ls", "/proc/self/fd"}));
    ::close(leaky);
    // ls itself holds one descriptor for the listing.
    std::vector<std::string> names;
    std::istringstream lines(result.output);
    for (std::string name; std::getline(lines, name);)
        names.push_back(name);
    EXPECT_LE(names.size(), 4u) << result.output;
    EXPECT_EQ(std::count(names.begin(), names.end(), std::to_string(leaky)), 0) << result.output;
}

TEST(Process, KillReachesTheWholeGroupAndDestructorReaps) {
    pid_t grandchild = 0;
    pid_t leader = 0;
    {
        Process process = Process::start(shell("sleep 30 & echo $!; wait"));
        leader = process.pid();
        char buffer[32] = {};
        ASSERT_GT(readRetrying(process.outputFd(), buffer, sizeof buffer), 0);
        grandchild = std::stoi(buffer);
        EXPECT_TRUE(processExists(grandchild));
    }
    // The destructor killed the group and reaped the leader.
    EXPECT_FALSE(processExists(leader));
    for (int i = 0; i < 100 && processExists(grandchild); ++i)
        std::this_thread::sleep_for(10ms);
    EXPECT_TRUE(ZazidEvoz::testkit::childProcesses().empty());
}

TEST(Process, NoSignalAfterReaping) {
    Process process = Process::start(shell("exit 0"));
    EXPECT_TRUE(process.wait().succeeded());
    EXPECT_TRUE(process.isReaped());
    EXPECT_FALSE(process.kill());
}

TEST(Process, WaitForTimesOutThenSucceeds) {
    Process process = Process::start(shell("sleep 0.3"));
    EXPECT_FALSE(process.waitFor(10ms).has_value());
    auto status = process.waitFor(5000ms);
    ASSERT_TRUE(status.has_value());
    EXPECT_TRUE(status->succeeded());
}

TEST(Process, RunReadsBothStreamsAtOnceAndCapsThem) {
    // 4 MiB on stderr while stdout also talks: reading one pipe only would dead-lock.
    RunLimits limits;
    limits.outputCap = 1000;
    limits.errorCap = 10;
    auto result = runProcess(shell("head -c 4194304 /dev/zero | tr '\\0' e >&2; head -c 5000 /dev/zero | tr "
                                   "'\\0' o; printf END >&2"),
                             limits);
    EXPECT_TRUE(result.status.succeeded());
    EXPECT_EQ(result.output.size(), 1000u);
    EXPECT_TRUE(result.outputTruncated);
    EXPECT_EQ(result.error, "eeeeeeeEND");
    EXPECT_TRUE(result.errorTruncated);
}

TEST(Process, RunTimesOutAndCancelsKillingTheGroup) {
    RunLimits limits;
    limits.timeout = 200ms;
    auto start = std::chrono::steady_clock::now();
    auto result = runProcess(shell("sleep 30 & sleep 30"), limits);
    EXPECT_TRUE(result.timedOut);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);

    std::stop_source stop;
    std::thread canceller([&] {
        std::this_thread::sleep_for(100ms);
        stop.request_stop();
    });
    result = runProcess(shell("sleep 30"), {}, stop.get_token());
    canceller.join();
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(result.status.signal, SIGKILL);
    for (int i = 0; i < 100 && !ZazidEvoz::testkit::childProcesses().empty(); ++i)
        std::this_thread::sleep_for(10ms);
    EXPECT_TRUE(ZazidEvoz::testkit::childProcesses().empty());
}

TEST(Process, RunLeavesNoDescriptorsBehind) {
    auto before = ZazidEvoz::testkit::openDescriptors();
    for (int i = 0; i < 20; ++i)
        runProcess(shell("echo x; echo y >&2"));
    EXPECT_EQ(ZazidEvoz::testkit::openDescriptors().size(), before.size());
}

TEST(Process, RefusesTextsWithNulInsteadOfCuttingThem) {
    const std::string withNul("http://a.example/\0http://b.example/", 35);
    ProcessOptions argument({"/bin/echo", withNul});
    ProcessOptions program({std::string("/bin/echo\0x", 11)});
    ProcessOptions environment({"/bin/true"});
    environment.environment = Environment{{"URL", withNul}};
    ProcessOptions folder({"/bin/true"});
    folder.workingDirectory = std::string("/tmp\0/x", 7);
    for (const auto& options : {argument, program, environment, folder}) {
        EXPECT_THROW(Process::start(options), ProcessError);
        EXPECT_THROW(runProcess(options), ProcessError);
    }
    EXPECT_TRUE(ZazidEvoz::testkit::childProcesses().empty());
}

// The app's children must not outlive it, however it ends: a decoder or a tag writer left
// behind would go on writing. They are started from worker threads that come and go, so
// they must also survive the end of the thread that started them.
TEST(Process, ChildrenDieWithTheirParentNotWithTheThreadThatStartedThem) {
    auto [parent, child] = forkOwner([] {
        // Started on a thread that ends at once; the child itself stays ours.
        static std::optional<Process> started;
        std::thread([&] { started = Process::start(ProcessOptions({"/bin/sleep", "60"})); }).join();
        return started->pid();
    });
    ASSERT_GT(child, 0);
    std::this_thread::sleep_for(200ms);
    EXPECT_TRUE(processAlive(child)) << "the end of the starting thread killed the child";

    ::kill(parent, SIGKILL);
    int status = 0;
    ::waitpid(parent, &status, 0);
    for (int i = 0; i < 500 && processAlive(child); ++i)
        std::this_thread::sleep_for(10ms);
    EXPECT_FALSE(processAlive(child)) << "the child outlived its parent";
    if (processAlive(child))
        ::kill(child, SIGKILL);
}

// A child's helpers are reparented when the child dies, out of the kernel's reach: asked for,
// a watcher in the group takes them down when their owner is killed outright.
TEST(Process, HelpersEndWithTheirOwnerWhenTheWholeGroupIsAsked) {
    auto [owner, group] = forkOwner([] {
        ProcessOptions options = shell("sleep 600 & sleep 600 & echo started; wait");
        options.endsWithUs = EndsWithUs::WholeGroup;
        static std::optional<Process> child;
        child = Process::start(options);
        char line[16] = {};
        [[maybe_unused]] auto read = readRetrying(child->outputFd(), line, sizeof line);
        return child->pid();
    });
    ASSERT_GT(group, 0);
    // The shell, its two helpers and the watcher.
    EXPECT_EQ(ZazidEvoz::testkit::liveProcessesInGroup(group).size(), 4u);

    ::kill(owner, SIGKILL);
    ::waitpid(owner, nullptr, 0);
    EXPECT_TRUE(groupEndsWithin(group, 10s)) << "helpers outlived their owner";
    for (int left : ZazidEvoz::testkit::liveProcessesInGroup(group))
        ::kill(left, SIGKILL);
}

TEST(Process, WatchedGroupKeepsItsStatusStreamsAndKill) {
    ProcessOptions options = shell("echo out; echo err >&2; exit 3");
    options.endsWithUs = EndsWithUs::WholeGroup;
    auto result = runProcess(options);
    EXPECT_EQ(result.status.code, 3);
    EXPECT_EQ(result.output, "out\n");
    EXPECT_EQ(result.error, "err\n");

    // The watcher leaves with a child that ends, and dies with a group that is killed.
    Process ended = Process::start(options);
    pid_t endedGroup = ended.pid();
    EXPECT_EQ(ended.wait().code, 3);
    EXPECT_TRUE(groupEndsWithin(endedGroup, 10s));

    options = shell("sleep 600 & wait");
    options.endsWithUs = EndsWithUs::WholeGroup;
    Process killed = Process::start(options);
    pid_t killedGroup = killed.pid();
    EXPECT_TRUE(killed.kill());
    EXPECT_EQ(killed.wait().signal, SIGKILL);
    EXPECT_TRUE(groupEndsWithin(killedGroup, 10s));
    EXPECT_TRUE(ZazidEvoz::testkit::childProcesses().empty());
}
