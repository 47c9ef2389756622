// The generated library the benchmarks measure: its folder is empty, as a drive that is away,
// and the model keeps every track of it through its rescans, so a benchmark measures the whole
// library and not what is left after the model judged the folder emptied by the user.
#include "../bench/MusicBenchData.hpp"
#include "MusicTestKit.hpp"

#include <gtest/gtest.h>

using namespace ZintraRadio;
using namespace ZintraRadio::testkit;

TEST(BenchmarkLibrary, TheModelKeepsEveryGeneratedTrackThroughItsRescans) {
    MusicFolders folders;
    const fs::path drive = folders.library / "drive";
    constexpr int count = 300;
    ZazidEvoz::benchkit::prepareGeneratedLibrary(folders.support, drive, count);
    ASSERT_TRUE(fs::is_empty(drive));

    // Started twice, as the benchmarks start it: the second start rescans what the first kept.
    for (int start = 0; start < 2; ++start) {
        SCOPED_TRACE(start);
        auto model = folders.start();
        EXPECT_EQ(model->tracks().size(), std::size_t(count));
    }
    // Made again over the kept database, the library is the same.
    ZazidEvoz::benchkit::prepareGeneratedLibrary(folders.support, drive, count);
    EXPECT_EQ(ZazidEvoz::MusicDatabase(folders.support / "music.sqlite").count(), count);
}
