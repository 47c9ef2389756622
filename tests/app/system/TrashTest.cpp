// The trash stand-in: files land in the sandbox's home trash with their info files; a file
// that cannot be trashed stays where it is.
#include "system/Trash.hpp"

#include "ZazidEvoz/platform/UserFolders.hpp"
#include "support/Sandbox.hpp"

#include <fstream>
#include <gtest/gtest.h>

using namespace ZintraRadio;

TEST(Trash, MovesTheFileIntoTheHomeTrashWithItsInfo) {
    const auto folder = ZazidEvoz::testkit::makeTemporaryFolder("trash");
    const auto file = folder / "Song #1 (live).mp3";
    std::ofstream(file) << "audio";
    const auto result = moveToTrash(file);
    ASSERT_TRUE(result.trashed) << result.error;
    EXPECT_FALSE(std::filesystem::exists(file));
    const auto trash = ZazidEvoz::platform::dataHomeFolder() / "Trash";
    EXPECT_TRUE(std::filesystem::exists(trash / "files" / "Song #1 (live).mp3"));
    EXPECT_TRUE(std::filesystem::exists(trash / "info" / "Song #1 (live).mp3.trashinfo"));
    EXPECT_EQ(std::filesystem::status(trash).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_all);
}

TEST(Trash, AMissingFileIsReportedAndNothingElseHappens) {
    const auto result = moveToTrash(ZazidEvoz::testkit::makeTemporaryFolder("trash") / "gone.mp3");
    EXPECT_FALSE(result.trashed);
    EXPECT_FALSE(result.error.empty());
}

TEST(Trash, ANameTooLongForTheTrashInfoFailsInsteadOfHanging) {
    // A long title of a download in a script of three bytes a character reaches this easily.
    const auto folder = ZazidEvoz::testkit::makeTemporaryFolder("trash");
    const auto file = folder / (std::string(245, 'a') + ".mp3");
    std::ofstream(file) << "audio";
    const auto result = moveToTrash(file);
    EXPECT_FALSE(result.trashed);
    EXPECT_EQ(result.error, "The file name is too long for the trash.");
    EXPECT_TRUE(std::filesystem::exists(file)) << "the file stays where it was";
}
