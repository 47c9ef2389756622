// A stand-in for yt-dlp: a shell script that records its arguments (one per line) and then
// runs the given body, installed through ZINTRARADIO_YTDLP for the life of the object.
#pragma once

#include "support/Sandbox.hpp"

#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace ZazidEvoz::testkit {

class FakeYtDlp {
public:
    explicit FakeYtDlp(const std::string& body) {
        folder_ = makeTemporaryFolder("fake-yt-dlp");
        argumentsFile_ = folder_ / "arguments";
        auto script = writeScript(folder_ / "yt-dlp", "printf '%s\\n' \"$@\" > '" + argumentsFile_.string() +
                                                          "'\n" + "FIXTURES='" + fixtures() + "'\n" + body);
        override_ = std::make_unique<ScopedEnvironment>("ZINTRARADIO_YTDLP", script.c_str());
        path_ = script.string();
    }

    static std::string fixtures() { return std::string(ZINTRARADIO_TEST_FIXTURES) + "/youtube"; }

    const std::string& path() const { return path_; }
    const std::filesystem::path& folder() const { return folder_; }
    bool ran() const { return std::filesystem::exists(argumentsFile_); }

    std::vector<std::string> arguments() const {
        std::vector<std::string> lines;
        std::ifstream in(argumentsFile_);
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }

private:
    std::filesystem::path folder_;
    std::filesystem::path argumentsFile_;
    std::string path_;
    std::unique_ptr<ScopedEnvironment> override_;
};

} // namespace ZazidEvoz::testkit
