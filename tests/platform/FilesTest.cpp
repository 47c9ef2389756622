#include "support/Sandbox.hpp"

#include "ZazidEvoz/platform/FaultInjection.hpp"
#include "ZazidEvoz/platform/Files.hpp"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace ZazidEvoz::platform;

TEST(Files, AtomicWriteReplacesKeepsModeAndLeavesNoTemporaries) {
    auto folder = ZazidEvoz::testkit::makeTemporaryFolder();
    auto file = folder / "data.json";
    writeFileAtomically(file, "one");
    ::chmod(file.c_str(), 0640);
    writeFileAtomically(file, "two");
    EXPECT_EQ(readFile(file, 100).value(), "two");
    struct stat info {};
    ::stat(file.c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1);
}

TEST(Files, NewFileFollowsTheUmask) {
    auto folder = ZazidEvoz::testkit::makeTemporaryFolder();
    mode_t old = ::umask(027);
    writeFileAtomically(folder / "new", "x");
    ::umask(old);
    struct stat info {};
    ::stat((folder / "new").c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
}

TEST(Files, FailedWriteLeavesTheOldFile) {
    auto folder = ZazidEvoz::testkit::makeTemporaryFolder();
    auto file = folder / "data.json";
    writeFileAtomically(file, "old");
    FaultInjection::failNth(Seam::AtomicWrite, 1);
    EXPECT_THROW(writeFileAtomically(file, "new"), FileError);
    EXPECT_THROW(writeFileAtomically(folder / "missing" / "x", "new"), FileError);
    EXPECT_EQ(readFile(file, 100).value(), "old");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1);
}

TEST(Files, ReadIsCappedAndMissingIsAbsent) {
    auto folder = ZazidEvoz::testkit::makeTemporaryFolder();
    EXPECT_FALSE(readFile(folder / "none", 10).has_value());
    writeFileAtomically(folder / "big", std::string(11, 'x'));
    EXPECT_THROW(readFile(folder / "big", 10), FileError);
    EXPECT_THROW(readFile(folder, 10), FileError);
}

TEST(Files, MoveAsideNeverOverwrites) {
    auto folder = ZazidEvoz::testkit::makeTemporaryFolder();
    auto file = folder / "library.json";
    auto now = std::chrono::system_clock::now();
    writeFileAtomically(file, "broken 1");
    auto first = moveAside(file, now);
    writeFileAtomically(file, "broken 2");
    auto second = moveAside(file, now);
    EXPECT_NE(first, second);
    EXPECT_TRUE(first.filename().string().starts_with("library.json.broken-"));
    EXPECT_EQ(readFile(first, 100).value(), "broken 1");
    EXPECT_EQ(readFile(second, 100).value(), "broken 2");
    EXPECT_FALSE(std::filesystem::exists(file));
}
