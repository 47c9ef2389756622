#include "ZazidEvoz/platform/Files.hpp"

#include "ZazidEvoz/catalogue/LibraryStore.hpp"
#include "ZazidEvoz/platform/FaultInjection.hpp"
#include "ZazidEvoz/platform/TemporaryFiles.hpp"
#include "support/Sandbox.hpp"

#include <algorithm>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <time.h>

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

TEST(Files, OnlyRegularFilesAreRead) {
    // A FIFO would hold the reader until a writer came; a device is no stored data either.
    auto folder = ZazidEvoz::testkit::makeTemporaryFolder();
    ZazidEvoz::testkit::FifoWithText fifo(folder / "fifo", "fed through the FIFO");
    for (const std::filesystem::path& path : {folder / "fifo", std::filesystem::path("/dev/null")}) {
        try {
            auto read = readFile(path, 1024);
            ADD_FAILURE() << path << " was read: " << read.value_or("(absent)");
        } catch (const FileError& error) {
            EXPECT_EQ(std::string(error.what()), "Cannot read " + path.string() + ": not a regular file");
        }
    }
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

namespace {

namespace fs = std::filesystem;

void writeText(const fs::path& file, const std::string& text) {
    std::ofstream(file) << text;
}

} // namespace

TEST(Files, AtomicWriteTemporariesAreKnownByTheirExactName) {
    for (const char* name : {".library.json.tmp-a1B2c3", ".library.json.tmp-ZZZZZZ"})
        EXPECT_TRUE(isAtomicWriteTemporaryName(name, "library.json")) << name;
    for (const char* name :
         {"library.json.tmp-a1B2c3", ".library.json.tmp-a1B2c", ".library.json.tmp-a1B2c3d",
          ".library.json.tmp-a1B2c-", ".music.json.tmp-a1B2c3", ".library.json.bak-a1B2c3",
          ".library.json.tmp-a1B2c3/", ".library.jsonxtmp-a1B2c3"})
        EXPECT_FALSE(isAtomicWriteTemporaryName(name, "library.json")) << name;
}

TEST(Files, LeftoversAreOnlyOurUnlockedEntriesOfTheRightKindAndAge) {
    auto folder = ZazidEvoz::testkit::makeTemporaryFolder();
    auto ours = [](std::string_view name) { return name.starts_with(".ours-"); };

    // Removed: files nobody holds, old enough.
    writeText(folder / ".ours-dead", "x");
    ZazidEvoz::testkit::makeOlder(folder / ".ours-dead", std::chrono::hours(2));
    {
        // What a killed owner leaves: it had the lock, and dying let go of it.
        TemporaryFile killed = TemporaryFile::createEmpty(folder / ".ours-killed");
        killed.keep();
    }
    ZazidEvoz::testkit::makeOlder(folder / ".ours-killed", std::chrono::hours(2));

    // Kept: held by a living owner, too young, not our name, not a file, a link.
    TemporaryFile held = TemporaryFile::createEmpty(folder / ".ours-held");
    ZazidEvoz::testkit::makeOlder(folder / ".ours-held", std::chrono::hours(2));
    writeText(folder / ".ours-young", "x");
    ZazidEvoz::testkit::makeOlder(folder / ".ours-young", leftoverAge - std::chrono::seconds(5));
    writeText(folder / ".theirs", "x");
    ZazidEvoz::testkit::makeOlder(folder / ".theirs", std::chrono::hours(2));
    fs::create_directory(folder / ".ours-folder");
    ZazidEvoz::testkit::makeOlder(folder / ".ours-folder", std::chrono::hours(2));
    fs::create_symlink(folder / ".theirs", folder / ".ours-link");
    ZazidEvoz::testkit::makeOlder(folder / ".ours-link", std::chrono::hours(2));
    ASSERT_EQ(::mkfifo((folder / ".ours-fifo").c_str(), 0600), 0);
    ZazidEvoz::testkit::makeOlder(folder / ".ours-fifo", std::chrono::hours(2));

    EXPECT_EQ(removeLeftovers(folder, EntryKind::file, ours), 2);
    EXPECT_EQ(ZazidEvoz::testkit::folderEntries(folder),
              (std::vector<std::string>{".ours-fifo", ".ours-folder", ".ours-held", ".ours-link",
                                        ".ours-young", ".theirs"}));
    EXPECT_EQ(readFile(folder / ".theirs", 10).value(), "x"); // the link's target too

    // Folders are removed with what they hold, unless their owner still works in them.
    fs::create_directories(folder / ".ours-dead-folder" / "deeper");
    writeText(folder / ".ours-dead-folder" / "deeper" / "part", "partial download");
    ZazidEvoz::testkit::makeOlder(folder / ".ours-dead-folder", std::chrono::hours(2));
    TemporaryFolder working(folder / ".ours-working");
    ZazidEvoz::testkit::makeOlder(working.path(), std::chrono::hours(2));
    EXPECT_EQ(removeLeftovers(folder, EntryKind::folder, ours), 2); // .ours-folder and .ours-dead-folder
    EXPECT_TRUE(fs::is_directory(working.path()));
    EXPECT_TRUE(fs::exists(folder / ".ours-held"));
    EXPECT_EQ(removeLeftovers(folder / "missing", EntryKind::file, ours), 0);
}

TEST(Files, TemporariesOfDeadWritesGoWithTheNextStartOrWrite) {
    auto folder = ZazidEvoz::testkit::makeTemporaryFolder();
    auto leftover = [&](const std::string& name) {
        writeText(folder / name, "half a library");
        ZazidEvoz::testkit::makeOlder(folder / name, std::chrono::hours(1));
    };
    leftover(".library.json.tmp-Ab12Cd");
    leftover(".music.json.tmp-Ab12Cd"); // another file's: its own store clears it
    writeText(folder / ".library.json.tmp-Young1", "a save in progress elsewhere");

    UserDataFile file(folder / "library.json", 1000);
    file.replace("{}");
    EXPECT_EQ(
        ZazidEvoz::testkit::folderEntries(folder),
        (std::vector<std::string>{".library.json.tmp-Young1", ".music.json.tmp-Ab12Cd", "library.json"}));

    // The radio library clears them when it loads at start.
    leftover(".library.json.tmp-Xy34Zw");
    ZazidEvoz::LibraryStore(folder).load();
    EXPECT_FALSE(fs::exists(folder / ".library.json.tmp-Xy34Zw"));
    EXPECT_TRUE(fs::exists(folder / ".library.json.tmp-Young1"));
}

TEST(Files, TemporaryFolderGoesWithEverythingInIt) {
    auto parent = ZazidEvoz::testkit::makeTemporaryFolder();
    {
        TemporaryFolder folder(parent / ".work");
        struct stat info {};
        ASSERT_EQ(::stat(folder.path().c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0700u);
        fs::create_directories(folder.path() / "a" / "b");
        writeText(folder.path() / "a" / "b" / "file", "x");
        fs::create_symlink(parent, folder.path() / "link-out"); // removed, not followed
        EXPECT_THROW(TemporaryFolder(parent / ".work"), FileError);
    }
    EXPECT_TRUE(ZazidEvoz::testkit::folderEntries(parent).empty());
}

TEST(Files, MoveToFreeNameNeverReplaces) {
    auto folder = ZazidEvoz::testkit::makeTemporaryFolder();
    auto work = ZazidEvoz::testkit::makeTemporaryFolder();
    writeText(folder / "Song.mp3", "first");
    writeText(folder / "Song (2).mp3", "second");
    writeText(folder / "Notes", "other");

    struct Case {
        std::string name;
        std::string expected;
    } cases[] = {
        {"Song.mp3", "Song (3).mp3"}, {"Song.mp3", "Song (4).mp3"}, {"New.mp4", "New.mp4"},
        {"Notes", "Notes (2)"},       {"a.b.flac", "a.b (2).flac"},
    };
    writeText(folder / "a.b.flac", "dotted");
    for (const auto& test : cases) {
        writeText(work / test.name, "moved " + test.expected);
        EXPECT_EQ(moveToFreeName(work / test.name, folder), folder / test.expected);
        EXPECT_EQ(readFile(folder / test.expected, 100).value(), "moved " + test.expected);
    }
    EXPECT_EQ(readFile(folder / "Song.mp3", 100).value(), "first");
    EXPECT_EQ(readFile(folder / "Song (2).mp3", 100).value(), "second");
    EXPECT_TRUE(ZazidEvoz::testkit::folderEntries(work).empty());
    EXPECT_THROW(moveToFreeName(work / "gone.mp3", folder), FileError);
}
