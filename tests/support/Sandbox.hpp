// Every test program runs in a sandbox: HOME, the XDG folders and the ZintraRadio folders
// point into a fresh temporary folder, removed when the program ends.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace ZazidEvoz::testkit {

// Creates the sandbox and points the environment into it; the test and benchmark mains call
// these two around their runs.
void initialiseSandbox();
void removeSandbox();

// The sandbox of this test program (HOME is inside it).
std::filesystem::path sandboxFolder();

// A fresh, empty folder inside the sandbox.
std::filesystem::path makeTemporaryFolder(const std::string& prefix = "tmp");

// Sets or unsets an environment variable for the life of the object, then restores it.
class ScopedEnvironment {
public:
    ScopedEnvironment(std::string name, const char* value);
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    std::string name_;
    bool hadValue_ = false;
    std::string oldValue_;
};

// Writes an executable shell script (for fake tools that stage failures).
std::filesystem::path writeScript(const std::filesystem::path& path, const std::string& body);

// A FIFO made at `path` for the life of the object. A reader that opens it and waits is fed
// `text` once, then the end of the file: a test of a reader that ought to refuse a FIFO then
// sees that text instead of hanging. What replaces the FIFO at `path` is never written to.
class FifoWithText {
public:
    FifoWithText(std::filesystem::path path, std::string text);
    ~FifoWithText();
    FifoWithText(const FifoWithText&) = delete;
    FifoWithText& operator=(const FifoWithText&) = delete;

private:
    std::jthread feeder_;
};

// The names in a folder, hidden ones included, sorted.
std::vector<std::string> folderEntries(const std::filesystem::path& folder);

// Sets the entry's modification time `age` into the past (a link itself, not its target), as
// a process that died that long ago left it.
void makeOlder(const std::filesystem::path& entry, std::chrono::seconds age);

// Open file descriptors of this process.
std::vector<int> openDescriptors();
// Child processes of this process that still exist (running or zombie).
std::vector<int> childProcesses();

// One line of the system's process table.
struct ProcessEntry {
    int pid = 0;
    int parent = 0;
    int group = 0;
    char state = '?';        // 'R', 'S', 'T', 'Z' (a zombie) ...
    std::string name;        // the kernel's short command name
    std::string commandLine; // the arguments joined by blanks
};
std::vector<ProcessEntry> processTable();

// The processes of a process group that still run (zombies left out).
std::vector<int> liveProcessesInGroup(int group);

} // namespace ZazidEvoz::testkit
