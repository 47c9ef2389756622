#include "Sandbox.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace ZazidEvoz::testkit {
namespace {
std::filesystem::path sandbox;
}

void initialiseSandbox() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zintra-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create the test sandbox");
    sandbox = pattern;
    auto folder = [](const std::string& name) {
        auto path = sandbox / name;
        std::filesystem::create_directories(path);
        return path.string();
    };
    ::setenv("HOME", folder("home").c_str(), 1);
    ::setenv("XDG_DATA_HOME", folder("home/.local/share").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", folder("home/.config").c_str(), 1);
    ::setenv("XDG_CACHE_HOME", folder("home/.cache").c_str(), 1);
    ::setenv("XDG_MUSIC_DIR", folder("home/Music").c_str(), 1);
    // The runtime folder as a session has one: private to its user.
    const std::string runtime = folder("runtime");
    ::chmod(runtime.c_str(), 0700);
    ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    ::setenv("ZINTRARADIO_LIBRARY_DIR", (sandbox / "library").c_str(), 1);
    ::setenv("ZINTRARADIO_MUSIC_DIR", (sandbox / "music").c_str(), 1);
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    ::unsetenv("ZINTRARADIO_FFMPEG");
    ::unsetenv("ZINTRARADIO_YTDLP");
}

void removeSandbox() {
    std::error_code ignored;
    // Folders a test made unreadable must not stop the clean-up.
    for (auto it = std::filesystem::recursive_directory_iterator(sandbox, std::filesystem::directory_options::skip_permission_denied, ignored);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ignored))
        if (it->is_directory(ignored) && !it->is_symlink(ignored))
            ::chmod(it->path().c_str(), 0700);
    std::filesystem::remove_all(sandbox, ignored);
}

std::filesystem::path sandboxFolder() { return sandbox; }

std::filesystem::path makeTemporaryFolder(const std::string& prefix) {
    std::string pattern = (sandbox / (prefix + "-XXXXXX")).string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary folder");
    return pattern;
}

ScopedEnvironment::ScopedEnvironment(std::string name, const char* value) : name_(std::move(name)) {
    if (const char* old = std::getenv(name_.c_str())) {
        hadValue_ = true;
        oldValue_ = old;
    }
    if (value)
        ::setenv(name_.c_str(), value, 1);
    else
        ::unsetenv(name_.c_str());
}

ScopedEnvironment::~ScopedEnvironment() {
    if (hadValue_)
        ::setenv(name_.c_str(), oldValue_.c_str(), 1);
    else
        ::unsetenv(name_.c_str());
}

std::filesystem::path writeScript(const std::filesystem::path& path, const std::string& body) {
    std::filesystem::create_directories(path.parent_path());
    {
        std::ofstream out(path);
        out << "#!/bin/sh\n" << body;
    }
    std::filesystem::permissions(path, std::filesystem::perms::owner_all | std::filesystem::perms::group_read |
                                           std::filesystem::perms::group_exec);
    return path;
}

FifoWithText::FifoWithText(std::filesystem::path path, std::string text) {
    if (::mkfifo(path.c_str(), 0600) != 0)
        throw std::runtime_error("cannot make a FIFO at " + path.string() + ": " + std::strerror(errno));
    feeder_ = std::jthread([path = std::move(path), text = std::move(text)](std::stop_token stop) {
        // A reader that gave up before the text went in must not end the test program.
        sigset_t pipeSignal;
        sigemptyset(&pipeSignal);
        sigaddset(&pipeSignal, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipeSignal, nullptr);
        while (!stop.stop_requested()) {
            // Opening for writing without blocking succeeds only while a reader holds it open.
            int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd < 0) {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
                continue;
            }
            struct stat info {};
            bool stillTheFifo = ::fstat(fd, &info) == 0 && S_ISFIFO(info.st_mode);
            if (stillTheFifo) {
                ssize_t written = ::write(fd, text.data(), text.size());
                (void)written; // a reader that left early misses nothing it needs
            }
            ::close(fd);
            if (stillTheFifo)
                return;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
}

FifoWithText::~FifoWithText() = default; // the jthread stops and joins

std::vector<std::string> folderEntries(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

void makeOlder(const std::filesystem::path& entry, std::chrono::seconds age) {
    struct timespec then {};
    ::clock_gettime(CLOCK_REALTIME, &then);
    then.tv_sec -= age.count();
    const struct timespec times[2] = {then, then};
    if (::utimensat(AT_FDCWD, entry.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0)
        throw std::runtime_error("cannot age " + entry.string() + ": " + std::strerror(errno));
}

std::vector<int> openDescriptors() {
    std::vector<int> descriptors;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        int fd = std::stoi(entry.path().filename().string());
        descriptors.push_back(fd);
    }
    return descriptors;
}

std::vector<ProcessEntry> processTable() {
    std::vector<ProcessEntry> table;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        if (!std::getline(stat, line))
            continue; // ended meanwhile
        // pid (comm) state ppid pgrp ...: the command may hold blanks and parentheses.
        auto open = line.find('(');
        auto close = line.rfind(')');
        if (open == std::string::npos || close == std::string::npos || close < open)
            continue;
        ProcessEntry process;
        process.pid = std::stoi(name);
        process.name = line.substr(open + 1, close - open - 1);
        std::istringstream rest(line.substr(close + 1));
        std::string state;
        rest >> state >> process.parent >> process.group;
        process.state = state.empty() ? '?' : state[0];
        std::ifstream commandLine(entry.path() / "cmdline", std::ios::binary);
        std::getline(commandLine, process.commandLine, '\0'); // the program
        for (std::string argument; std::getline(commandLine, argument, '\0');)
            process.commandLine += " " + argument;
        table.push_back(std::move(process));
    }
    return table;
}

std::vector<int> childProcesses() {
    std::vector<int> children;
    pid_t self = ::getpid();
    for (const auto& process : processTable())
        if (process.parent == self)
            children.push_back(process.pid);
    return children;
}

std::vector<int> liveProcessesInGroup(int group) {
    std::vector<int> members;
    for (const auto& process : processTable())
        if (process.group == group && process.state != 'Z' && process.state != 'X')
            members.push_back(process.pid);
    return members;
}

} // namespace ZazidEvoz::testkit
