// A stand-in for yt-dlp: a shell script that records its arguments (the last run's one per
// line, and every run's joined by blanks) and then runs the given body, installed through
// ZINTRARADIO_YTDLP for the life of the object; the body reads the files a test writes into
// its folder. Also what the service's tests look at after a run: its error text, the end of a
// helper process.
#pragma once

#include "ZazidEvoz/youtube/YouTubeService.hpp"
#include "support/Sandbox.hpp"

#include <chrono>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <sys/types.h>
#include <thread>
#include <vector>

namespace ZazidEvoz::testkit {

class FakeYtDlp {
public:
    explicit FakeYtDlp(const std::string& body) {
        folder_ = makeTemporaryFolder("fake-yt-dlp");
        argumentsFile_ = folder_ / "arguments";
        // Written aside and moved into place, so a reader never sees a half-written list.
        const std::string arguments = "'" + argumentsFile_.string() + "'";
        const std::string runs = "'" + (folder_ / "runs").string() + "'";
        auto script = writeScript(folder_ / "yt-dlp", "printf '%s\\n' \"$@\" > " + arguments + ".$$ && mv " +
                                                          arguments + ".$$ " + arguments + "\n" +
                                                          "printf '%s\\n' \"$*\" >> " + runs + "\n" +
                                                          "FIXTURES='" + fixtures() + "'\n" + body);
        override_ = std::make_unique<ScopedEnvironment>("ZINTRARADIO_YTDLP", script.c_str());
        path_ = script.string();
    }

    static std::string fixtures() { return std::string(ZINTRARADIO_TEST_FIXTURES) + "/youtube"; }

    const std::string& path() const { return path_; }
    const std::filesystem::path& folder() const { return folder_; }
    bool ran() const { return std::filesystem::exists(argumentsFile_); }

    // The last run's arguments.
    std::vector<std::string> arguments() const { return linesOf(argumentsFile_); }
    // Every run's arguments, joined by blanks, in the order of the runs.
    std::vector<std::string> runs() const { return linesOf(folder_ / "runs"); }

    // A file in the folder for the body to read.
    void write(const std::string& file, const std::string& text) const {
        std::ofstream(folder_ / file) << text;
    }
    void writeLines(const std::string& file, const std::vector<std::string>& lines) const {
        std::ofstream out(folder_ / file);
        for (const auto& line : lines)
            out << line << '\n';
    }
    void remove(const std::string& file) const { std::filesystem::remove(folder_ / file); }

private:
    static std::vector<std::string> linesOf(const std::filesystem::path& file) {
        std::vector<std::string> lines;
        std::ifstream in(file);
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }

    std::filesystem::path folder_;
    std::filesystem::path argumentsFile_;
    std::string path_;
    std::unique_ptr<ScopedEnvironment> override_;
};

// The text of the YouTubeError that `action` throws.
inline std::string errorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const YouTubeError& error) {
        return error.what();
    }
    return "(no YouTubeError)";
}

// Waits briefly for a killed process to be reaped by whoever owns it; true once it is gone
// or a zombie.
inline bool processGone(pid_t pid) {
    for (int i = 0; i < 200; ++i) {
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        std::string line;
        if (!std::getline(stat, line))
            return true;
        auto close = line.rfind(')');
        if (close != std::string::npos && close + 2 < line.size() && line[close + 2] == 'Z')
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

} // namespace ZazidEvoz::testkit
