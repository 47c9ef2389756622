#include "ZazidEvoz/core/MediaFolders.hpp"

#include "ZazidEvoz/catalogue/LibraryStore.hpp"
#include "support/Sandbox.hpp"

#include <ctime>
#include <fstream>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace ZazidEvoz;
using ZazidEvoz::testkit::ScopedEnvironment;
namespace testkit = ZazidEvoz::testkit;

namespace {

std::chrono::system_clock::time_point localTime(int year, int month, int day, int hour, int minute,
                                                int second) {
    std::tm parts{};
    parts.tm_year = year - 1900;
    parts.tm_mon = month - 1;
    parts.tm_mday = day;
    parts.tm_hour = hour;
    parts.tm_min = minute;
    parts.tm_sec = second;
    parts.tm_isdst = -1;
    return std::chrono::system_clock::from_time_t(std::mktime(&parts));
}

} // namespace

TEST(MediaFolders, EnvironmentOrXdgDefaults) {
    ScopedEnvironment music("ZINTRARADIO_MUSIC_DIR", "relative/music");
    ScopedEnvironment library("ZINTRARADIO_LIBRARY_DIR", "/data/lib");
    EXPECT_EQ(MediaFolders::root(), "relative/music");
    EXPECT_EQ(MediaFolders::recordings(), "relative/music/Recordings");
    EXPECT_EQ(MediaFolders::downloads(), "relative/music/Downloads");
    EXPECT_EQ(MediaFolders::support(), "/data/lib");

    ScopedEnvironment noMusic("ZINTRARADIO_MUSIC_DIR", "");
    ScopedEnvironment noLibrary("ZINTRARADIO_LIBRARY_DIR", nullptr);
    ScopedEnvironment musicDir("XDG_MUSIC_DIR", "/home/u/Musik");
    ScopedEnvironment dataHome("XDG_DATA_HOME", "/home/u/.local/share");
    EXPECT_EQ(MediaFolders::recordings(), "/home/u/Musik/ZintraRadio/Recordings");
    EXPECT_EQ(MediaFolders::support(), "/home/u/.local/share/ZintraRadio");
}

TEST(MediaFolders, MusicFolderFromUserDirsFile) {
    auto config = testkit::makeTemporaryFolder("config");
    std::ofstream(config / "user-dirs.dirs") << "# comment\nXDG_MUSIC_DIR=\"$HOME/Tunes\"\n";
    ScopedEnvironment configHome("XDG_CONFIG_HOME", config.c_str());
    ScopedEnvironment musicDir("XDG_MUSIC_DIR", nullptr);
    ScopedEnvironment home("HOME", "/home/u");
    ScopedEnvironment noMusic("ZINTRARADIO_MUSIC_DIR", nullptr);
    EXPECT_EQ(MediaFolders::root(), "/home/u/Tunes/ZintraRadio");
}

TEST(MediaFolders, RecordingNames) {
    ScopedEnvironment music("ZINTRARADIO_MUSIC_DIR", "/m");
    auto date = localTime(2026, 12, 7, 9, 5, 3);
    EXPECT_EQ(MediaFolders::recordingURL("FM4/Live:On", std::nullopt, date),
              "/m/Recordings/FM4 Live On - 2026-12-07 09.05.03.mp3");
    EXPECT_EQ(MediaFolders::recordingURL("FM4", std::string("AC/DC - T.N.T?"), date),
              "/m/Recordings/FM4 (AC DC - T.N.T ) - 2026-12-07 09.05.03.mp3");
    EXPECT_EQ(MediaFolders::recordingURL("FM4", std::string(), date),
              "/m/Recordings/FM4 () - 2026-12-07 09.05.03.mp3");
}

TEST(MediaFolders, SafeFileName) {
    EXPECT_EQ(MediaFolders::safeFileName(""), "ZintraRadio");
    EXPECT_EQ(MediaFolders::safeFileName("   "), "ZintraRadio");
    EXPECT_EQ(MediaFolders::safeFileName("/:?*"), "ZintraRadio");
    EXPECT_EQ(MediaFolders::safeFileName("a\r\nb"), "a  b");
    EXPECT_EQ(MediaFolders::safeFileName(std::string("a\0b\x1F"
                                                     "c",
                                                     5)),
              "a b c");

    std::string long200(200, 'x');
    EXPECT_EQ(MediaFolders::safeFileName(long200), std::string(120, 'x'));
    std::string spaceAt120 = std::string(119, 'x') + " " + std::string(80, 'y');
    EXPECT_EQ(MediaFolders::safeFileName(spaceAt120), std::string(119, 'x') + " ");

    // 120 CJK characters are 360 bytes: cut to at most 200 bytes on a character boundary.
    std::string cjk;
    for (int i = 0; i < 130; ++i)
        cjk += "日";
    std::string safe = MediaFolders::safeFileName(cjk);
    EXPECT_LE(safe.size(), 200u);
    EXPECT_EQ(safe.size() % 3, 0u);
    EXPECT_EQ(safe.size(), 198u);
}

TEST(MediaFolders, WithoutHomeTheCurrentFolderIsUsedAndSaidOnce) {
    // Staging a user without a home needs a uid without a passwd entry, which only root can take.
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to switch to a user without a passwd entry";
    uid_t homeless = 4242420;
    while (::getpwuid(homeless))
        ++homeless;
    auto current = testkit::makeTemporaryFolder("cwd");

    int output[2], errors[2];
    ASSERT_EQ(::pipe(output), 0);
    ASSERT_EQ(::pipe(errors), 0);
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::dup2(errors[1], STDERR_FILENO);
        for (const char* name : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_MUSIC_DIR",
                                 "ZINTRARADIO_MUSIC_DIR", "ZINTRARADIO_LIBRARY_DIR"})
            ::unsetenv(name);
        if (::chdir(current.c_str()) != 0 || ::setuid(homeless) != 0)
            ::_exit(2);
        std::string lines = MediaFolders::support().string() + "\n" + MediaFolders::root().string() + "\n" +
                            LibraryStore().fileURL().string() + "\n";
        ssize_t ignored = ::write(output[1], lines.data(), lines.size());
        (void)ignored;
        ::_exit(0);
    }
    ::close(output[1]);
    ::close(errors[1]);
    auto drain = [](int fd) {
        std::string text;
        char buffer[4096];
        for (ssize_t count; (count = ::read(fd, buffer, sizeof buffer)) > 0;)
            text.append(buffer, std::size_t(count));
        ::close(fd);
        return text;
    };
    std::string lines = drain(output[0]);
    std::string said = drain(errors[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;

    std::string support = (current / ".local/share/ZintraRadio").string();
    EXPECT_EQ(lines,
              support + "\n" + (current / "Music/ZintraRadio").string() + "\n" + support + "/library.json\n");
    EXPECT_NE(said.find("current folder"), std::string::npos) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
}
