// The drawn application icon: one design at every size, deterministic to the byte, exported
// as ten PNG files that replace older ones atomically.
#include "kit/IconArtist.hpp"

#include "support/Sandbox.hpp"
#include "support/StagedCopy.hpp"

#include <QCryptographicHash>
#include <QFile>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace ZintraRadio;
namespace fs = std::filesystem;

namespace {

QByteArray fileHash(const fs::path& path) {
    QFile file(QString::fromStdString(path.string()));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

} // namespace

TEST(IconArtist, DrawsTheSameDesignAtEverySize) {
    const QImage large = IconArtist::icon(1024);
    const QImage small = IconArtist::icon(16);
    ASSERT_EQ(large.size(), QSize(1024, 1024));
    ASSERT_EQ(small.size(), QSize(16, 16));
    EXPECT_EQ(IconArtist::icon(128), IconArtist::icon(128));
    // Outside the tile only the drop shadow (below) falls: the top-left corner stays clear.
    EXPECT_EQ(qAlpha(large.pixel(10, 10)), 0);
    EXPECT_EQ(qAlpha(large.pixel(1013, 10)), 0);
    // The tile's middle is drawn, and the core is dark.
    EXPECT_EQ(qAlpha(large.pixel(512, 200)), 255);
    const QColor core = large.pixelColor(512, 460);
    EXPECT_LT(core.lightnessF(), 0.5);
    // The small icon is the large one scaled: its centre pixel is not transparent either.
    EXPECT_GT(qAlpha(small.pixel(8, 8)), 200);
    EXPECT_TRUE(IconArtist::icon(0).isNull());
    EXPECT_TRUE(IconArtist::icon(-4).isNull());
}

TEST(IconArtist, ExportsTenFilesByteIdenticalOnASecondRun) {
    const fs::path folder = ZazidEvoz::testkit::makeTemporaryFolder("icons") / "nested" / "set";
    ASSERT_EQ(IconArtist::exportTo(QString::fromStdString(folder.string())), 10);
    std::vector<QByteArray> first;
    for (const auto& file : IconArtist::iconSet()) {
        const QImage image(QString::fromStdString((folder / file.name).string()));
        ASSERT_EQ(image.size(), QSize(file.pixels, file.pixels)) << file.name;
        first.push_back(fileHash(folder / file.name));
    }
    EXPECT_EQ(IconArtist::iconSet().front().name, "icon_16x16.png");
    EXPECT_EQ(IconArtist::iconSet().back().name, "icon_512x512@2x.png");
    EXPECT_EQ(IconArtist::iconSet().back().pixels, 1024);
    ASSERT_EQ(IconArtist::exportTo(QString::fromStdString(folder.string())), 10);
    std::size_t index = 0;
    for (const auto& file : IconArtist::iconSet())
        EXPECT_EQ(fileHash(folder / file.name), first[index++]) << file.name;
    // Nothing but the ten files: no temporary file stays behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 10);
}

TEST(IconArtist, AFolderItCannotWriteGetsNothingAndKeepsWhatWasThere) {
    ZINTRA_NEEDS_STAGE(ZazidEvoz::testkit::Stage::permissionsBind);
    const fs::path folder = ZazidEvoz::testkit::makeTemporaryFolder("readonly");
    std::ofstream(folder / "icon_16x16.png") << "old";
    ::chmod(folder.c_str(), 0555);
    EXPECT_EQ(IconArtist::exportTo(QString::fromStdString(folder.string())), 0);
    ::chmod(folder.c_str(), 0755);
    std::ifstream old(folder / "icon_16x16.png");
    std::string text;
    old >> text;
    EXPECT_EQ(text, "old");
}

TEST(IconArtist, AFileInThePlaceOfTheFolderIsLeftAlone) {
    const fs::path base = ZazidEvoz::testkit::makeTemporaryFolder("blocked");
    const fs::path blocker = base / "icons";
    std::ofstream(blocker) << "a file, not a folder";
    EXPECT_EQ(IconArtist::exportTo(QString::fromStdString(blocker.string())), 0);
    EXPECT_TRUE(fs::is_regular_file(blocker));
}
