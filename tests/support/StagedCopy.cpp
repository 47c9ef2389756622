#include "StagedCopy.hpp"

#include "Sandbox.hpp"

#include <fcntl.h>
#include <linux/capability.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

extern char** environ;

namespace ZazidEvoz::testkit {
namespace {

constexpr const char* copySwitch = "ZINTRA_TEST_STAGED_COPY";
// The copy's status when the stage cannot be made here.
constexpr int stageRefused = 77;

bool isStagedCopy() { return std::getenv(copySwitch) != nullptr; }

// Between fork and exec only system calls: the parent has threads, and one of them may hold
// the allocator's lock.
bool writeWhole(const char* path, const char* text) {
    int fd = ::open(path, O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const ssize_t length = ssize_t(std::strlen(text));
    const bool written = ::write(fd, text, std::size_t(length)) == length;
    ::close(fd);
    return written;
}

struct Preparation {
    std::string uidMap;
    std::string gidMap;
    std::string probe; // an empty folder to try a mount on
};

[[noreturn]] void stageAndExec(Stage stage, const Preparation& preparation, char* const* argv, char* const* envp) {
    if (stage == Stage::noSessionBus) {
        // Staged by its environment alone.
    } else if (stage == Stage::permissionsBind) {
        for (int capability : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER})
            if (::prctl(PR_CAPBSET_DROP, capability, 0, 0, 0) != 0)
                ::_exit(stageRefused);
    } else {
        if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0 ||
            !writeWhole("/proc/self/uid_map", preparation.uidMap.c_str()) ||
            !writeWhole("/proc/self/setgroups", "deny") ||
            !writeWhole("/proc/self/gid_map", preparation.gidMap.c_str()))
            ::_exit(stageRefused);
        if (::mount("zintraradio-probe", preparation.probe.c_str(), "tmpfs", 0, "size=64k") != 0)
            ::_exit(stageRefused);
        ::umount2(preparation.probe.c_str(), MNT_DETACH);
    }
    ::execve("/proc/self/exe", argv, envp);
    ::_exit(127);
}

std::string stageName(Stage stage) {
    switch (stage) {
    case Stage::permissionsBind:
        return "without the capabilities that override file permissions";
    case Stage::mountsAllowed:
        return "in a user and mount namespace of its own";
    case Stage::noSessionBus:
        return "without a session bus";
    }
    return {};
}

bool hasStage(Stage stage) {
    const bool root = ::geteuid() == 0;
    switch (stage) {
    case Stage::permissionsBind:
        return !root;
    case Stage::mountsAllowed:
        return root;
    case Stage::noSessionBus:
        return false;
    }
    return false;
}

} // namespace

StagedRun runStaged(Stage stage) {
    if (isStagedCopy() || hasStage(stage))
        return {true, {}};

    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string filter =
        std::string("--gtest_filter=") + test->test_suite_name() + "." + test->name();
    std::string program = "/proc/self/exe";
    std::vector<char*> argv{program.data(), const_cast<char*>(filter.c_str()), nullptr};
    std::string marker = std::string(copySwitch) + "=1";
    std::string noBus = "DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/zintraradio-test-bus";
    std::vector<char*> envp;
    for (char** entry = environ; *entry != nullptr; ++entry)
        if (stage != Stage::noSessionBus || std::strncmp(*entry, "DBUS_SESSION_BUS_ADDRESS=", 25) != 0)
            envp.push_back(*entry);
    if (stage == Stage::noSessionBus)
        envp.push_back(noBus.data());
    envp.push_back(marker.data());
    envp.push_back(nullptr);
    Preparation preparation{"0 " + std::to_string(::geteuid()) + " 1", "0 " + std::to_string(::getegid()) + " 1",
                            makeTemporaryFolder("mount-probe").string()};

    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t child = ::fork();
    if (child < 0)
        return {false, std::string("cannot start a staged copy: ") + std::strerror(errno)};
    if (child == 0)
        stageAndExec(stage, preparation, argv.data(), envp.data());
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == stageRefused)
        return {false, "cannot run " + stageName(stage) + " here"};
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        ADD_FAILURE() << "the copy of this test that ran " << stageName(stage)
                      << " failed (its output is above)";
    return {false, {}};
}

} // namespace ZazidEvoz::testkit
