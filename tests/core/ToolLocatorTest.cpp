#include "ZazidEvoz/core/ToolLocator.hpp"

#include "support/Sandbox.hpp"

#include <fstream>
#include <gtest/gtest.h>

using namespace ZazidEvoz;
using ZazidEvoz::testkit::ScopedEnvironment;
namespace testkit = ZazidEvoz::testkit;

TEST(ToolLocator, ToolNames) {
    EXPECT_EQ(ToolLocator::toolFromRawValue("yt-dlp"), ToolLocator::Tool::ytdlp);
    EXPECT_FALSE(ToolLocator::toolFromRawValue("ytdlp").has_value());
    EXPECT_FALSE(ToolLocator::toolFromRawValue("FFMPEG").has_value());
    EXPECT_EQ(ToolLocator::installHint, "sudo apt install ffmpeg yt-dlp");
}

TEST(ToolLocator, OverrideThenPathThenFixedFolders) {
    auto folder = testkit::makeTemporaryFolder("tools");
    auto first = testkit::writeScript(folder / "first" / "ffmpeg", "exit 0\n");
    auto second = testkit::writeScript(folder / "second" / "ffmpeg", "exit 0\n");
    std::filesystem::create_directories(folder / "notexec");
    std::ofstream(folder / "notexec" / "ffmpeg") << "";

    ScopedEnvironment path("PATH", (":" + (folder / "notexec").string() + "::" + (folder / "first").string() +
                                    ":" + (folder / "second").string() + ":")
                                       .c_str());
    {
        ScopedEnvironment override("ZINTRARADIO_FFMPEG", second.c_str());
        EXPECT_EQ(ToolLocator::path(ToolLocator::Tool::ffmpeg), second.string());
    }
    for (const char* unusable : {"", "/nonexistent/ffmpeg", "/tmp"}) {
        ScopedEnvironment override("ZINTRARADIO_FFMPEG", unusable);
        EXPECT_EQ(ToolLocator::path(ToolLocator::Tool::ffmpeg), first.string()) << unusable;
    }
    {
        // A tool in a user's PATH folder wins over the distribution's copy.
        ScopedEnvironment onlyFixed("PATH", nullptr);
        EXPECT_EQ(ToolLocator::path(ToolLocator::Tool::ffmpeg), "/usr/bin/ffmpeg");
    }
    {
        ScopedEnvironment emptyPath("PATH", (folder / "none").c_str());
        EXPECT_EQ(ToolLocator::path(ToolLocator::Tool::ytdlp), "/usr/bin/yt-dlp");
    }
}

TEST(ToolLocator, ChildEnvironment) {
    auto folder = testkit::makeTemporaryFolder("tools");
    auto ffmpeg = testkit::writeScript(folder / "ffmpeg", "exit 0\n");
    ScopedEnvironment override("ZINTRARADIO_FFMPEG", ffmpeg.c_str());
    ScopedEnvironment path("PATH", "/usr/bin:/bin");
    ScopedEnvironment lang("LANG", "de_AT.UTF-8");
    ScopedEnvironment all("LC_ALL", nullptr);
    auto environment = ToolLocator::childEnvironment();
    EXPECT_EQ(environment["PATH"], folder.string() + ":/usr/local/bin:/usr/bin:/usr/bin:/bin");
    EXPECT_EQ(environment["LANG"], "de_AT.UTF-8");
    EXPECT_EQ(environment["LC_ALL"], "C.UTF-8");

    ScopedEnvironment noPath("PATH", nullptr);
    ScopedEnvironment noOverride("ZINTRARADIO_FFMPEG", nullptr);
    EXPECT_EQ(ToolLocator::childEnvironment()["PATH"], "/usr/bin:/usr/local/bin:/usr/bin:");
}
