// The trash: files land in the home trash, or in their own volume's, with an info file a
// desktop reads back to restore them; a file that cannot be trashed stays where it is.
#include "system/Trash.hpp"

#include "ZazidEvoz/platform/UserFolders.hpp"
#include "support/Sandbox.hpp"
#include "support/SmallDisk.hpp"
#include "support/StagedCopy.hpp"

#include <QByteArray>
#include <ctime>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

using namespace ZintraRadio;
namespace fs = std::filesystem;
using ZazidEvoz::testkit::makeTemporaryFolder;

namespace {

fs::path homeTrash() {
    return ZazidEvoz::platform::dataHomeFolder() / "Trash";
}

std::string contentsOf(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

fs::path fileWith(const fs::path& folder, const std::string& name, const std::string& contents) {
    std::ofstream(folder / name, std::ios::binary) << contents;
    return folder / name;
}

// What a desktop reads from an info file: its group line and its keys.
struct TrashInfo {
    std::string group;
    std::map<std::string, std::string> keys;
};

TrashInfo readInfo(const fs::path& info) {
    TrashInfo result;
    std::istringstream lines(contentsOf(info));
    std::getline(lines, result.group);
    for (std::string line; std::getline(lines, line);)
        if (auto equals = line.find('='); equals != std::string::npos)
            result.keys[line.substr(0, equals)] = line.substr(equals + 1);
    return result;
}

// The original location an entry names, decoded as a desktop decodes it: a relative path is
// relative to the folder that holds the trash.
fs::path restoredPath(const std::string& value, const fs::path& trashParent) {
    std::string decoded = QByteArray::fromPercentEncoding(QByteArray::fromStdString(value)).toStdString();
    return decoded.starts_with('/') ? fs::path(decoded) : trashParent / decoded;
}

// The trash's entry for `name` in files/ and info/; checks both are there.
TrashInfo entry(const fs::path& trash, const std::string& name) {
    EXPECT_TRUE(fs::exists(fs::symlink_status(trash / "files" / name))) << name;
    return readInfo(trash / "info" / (name + ".trashinfo"));
}

std::string localTimeNow() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    return text;
}

} // namespace

TEST(Trash, EntriesNameTheOriginalPathEncodedAndTheLocalDeletionTime) {
    // Far from UTC, so a date written in UTC would show.
    ZazidEvoz::testkit::ScopedEnvironment zone("TZ", "IST-5:30");
    ::tzset();
    const fs::path folder = fs::canonical(makeTemporaryFolder("trash")) / "100% Hits & <b>";
    fs::create_directories(folder);
    for (const std::string name : {"100% Hits & <b>x.mp3", "Song #1 (live).mp3", "a+b=c?;d.mp3",
                                   "tab\tand\nline break.mp3", "latin-1 \xE9.mp3", "Ünï ☀ 歌.mp3"}) {
        const fs::path file = fileWith(folder, name, "audio of " + name);
        const std::string before = localTimeNow();
        const auto result = moveToTrash(file);
        const std::string after = localTimeNow();
        ASSERT_TRUE(result.trashed) << result.error;
        EXPECT_FALSE(fs::exists(file));
        EXPECT_EQ(contentsOf(homeTrash() / "files" / name), "audio of " + name);

        const TrashInfo info = entry(homeTrash(), name);
        EXPECT_EQ(info.group, "[Trash Info]");
        const std::string& path = info.keys.at("Path");
        EXPECT_EQ(
            path.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-._~/%"),
            std::string::npos)
            << path;
        EXPECT_EQ(restoredPath(path, homeTrash().parent_path()), file) << path;
        const std::string& date = info.keys.at("DeletionDate");
        EXPECT_TRUE(before <= date && date <= after) << date << " not between " << before << " and " << after;
    }
    EXPECT_EQ(fs::status(homeTrash()).permissions() & fs::perms::all, fs::perms::owner_all);
}

TEST(Trash, SameNamesGetFreeEntriesAndNothingInTheTrashIsReplaced) {
    fs::create_directories(homeTrash() / "files");
    // Left in the trash by something else, without an info file.
    const fs::path stray = fileWith(homeTrash() / "files", "Same Name (2).mp3", "stray");
    std::map<std::string, fs::path> trashed; // name in the trash → original
    for (int copy = 1; copy <= 3; ++copy) {
        const fs::path file = fileWith(fs::canonical(makeTemporaryFolder("same")), "Same Name.mp3",
                                       "copy " + std::to_string(copy));
        ASSERT_TRUE(moveToTrash(file).trashed);
        for (const auto& item : fs::directory_iterator(homeTrash() / "files")) {
            const std::string name = item.path().filename().string();
            if (name.starts_with("Same Name") && item.path() != stray && !trashed.contains(name))
                trashed[name] = file;
        }
    }
    ASSERT_EQ(trashed.size(), 3u);
    EXPECT_TRUE(trashed.contains("Same Name.mp3"));
    EXPECT_EQ(contentsOf(stray), "stray");
    EXPECT_FALSE(fs::exists(homeTrash() / "info" / "Same Name (2).mp3.trashinfo"));
    for (const auto& [name, original] : trashed)
        EXPECT_EQ(restoredPath(entry(homeTrash(), name).keys["Path"], homeTrash().parent_path()), original)
            << name;
}

TEST(Trash, AFileOnAnotherFileSystemGoesToThatVolumesTrash) {
    ZINTRA_NEEDS_STAGE(ZazidEvoz::testkit::Stage::mountsAllowed);
    ZazidEvoz::testkit::SmallDisk disk(1024 * 1024);
    if (!disk.mounted())
        GTEST_SKIP() << disk.whyNot();
    const fs::path top = disk.folder();
    const std::string uid = std::to_string(::getuid());
    auto trashOnVolume = [&](const std::string& name) {
        const fs::path file = fileWith(top / "Recordings", name, name);
        const auto result = moveToTrash(file);
        EXPECT_TRUE(result.trashed) << result.error;
        EXPECT_FALSE(fs::exists(file));
        return file;
    };
    fs::create_directories(top / "Recordings");

    // Without a shared trash: the user's own ".Trash-<uid>", private, with paths from the top.
    fs::path file = trashOnVolume("100% Live & <i>.mp3");
    const fs::path own = top / (".Trash-" + uid);
    TrashInfo info = entry(own, "100% Live & <i>.mp3");
    EXPECT_EQ(info.keys["Path"], "Recordings/100%25%20Live%20%26%20%3Ci%3E.mp3");
    EXPECT_EQ(restoredPath(info.keys["Path"], top), file);
    EXPECT_EQ(fs::status(own).permissions() & fs::perms::all, fs::perms::owner_all);
    EXPECT_FALSE(fs::exists(homeTrash() / "files" / "100% Live & <i>.mp3"));

    // A shared ".Trash" is used only as a sticky folder, never through a link.
    fs::create_directories(top / "elsewhere");
    ::chmod((top / "elsewhere").c_str(), 01777);
    fs::create_directory_symlink(top / "elsewhere", top / ".Trash");
    trashOnVolume("Linked.mp3");
    entry(own, "Linked.mp3");
    fs::remove(top / ".Trash");
    fs::create_directory(top / ".Trash");
    ::chmod((top / ".Trash").c_str(), 0777);
    trashOnVolume("Not sticky.mp3");
    entry(own, "Not sticky.mp3");
    ::chmod((top / ".Trash").c_str(), 01777);
    file = trashOnVolume("Shared.mp3");
    info = entry(top / ".Trash" / uid, "Shared.mp3");
    EXPECT_EQ(restoredPath(info.keys["Path"], top), file);

    // No trash can be made on the volume: the file stays where it is.
    fs::remove_all(top / ".Trash");
    fs::remove_all(own);
    fileWith(top, ".Trash-" + uid, "not a folder");
    file = fileWith(top / "Recordings", "Stays.mp3", "kept");
    const auto result = moveToTrash(file);
    EXPECT_FALSE(result.trashed);
    EXPECT_FALSE(result.error.empty());
    EXPECT_EQ(contentsOf(file), "kept");
}

TEST(Trash, AMissingFileIsReportedAndNothingElseHappens) {
    const auto result = moveToTrash(makeTemporaryFolder("trash") / "gone.mp3");
    EXPECT_FALSE(result.trashed);
    EXPECT_FALSE(result.error.empty());
}

TEST(Trash, ANameTooLongForTheTrashInfoFailsInsteadOfHanging) {
    // A long title of a download in a script of three bytes a character reaches this easily.
    const auto file = fileWith(makeTemporaryFolder("trash"), std::string(245, 'a') + ".mp3", "audio");
    const auto result = moveToTrash(file);
    EXPECT_FALSE(result.trashed);
    EXPECT_EQ(result.error, "The file name is too long for the trash.");
    EXPECT_TRUE(fs::exists(file)) << "the file stays where it was";
}
