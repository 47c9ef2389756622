// The music queue on the real road: a library of generated, tagged files, the real engine and
// ffmpeg, SDL's dummy output. Files go missing or break under the running queue the way they
// do on a user's disk.
#include "AppModelKit.hpp"
#include "MusicTestKit.hpp"
#include "QmlKit.hpp"

#include <fstream>
#include <gtest/gtest.h>

using namespace ZintraRadio;
using namespace ZintraRadio::testkit;
using ZazidEvoz::PlaybackState;
using ZazidEvoz::Station;
namespace fs = std::filesystem;

namespace {

// `seconds` of sine as an MP3 of the album "Night Drive".
fs::path albumSong(const std::string& title, int seconds) {
    return ZazidEvoz::testkit::sineFile(
        fmt::format("queue-{:x}-{}.mp3", ZazidEvoz::hashValueStable(title), seconds), 330, seconds,
        {"-id3v2_version", "3", "-metadata", "title=" + title, "-metadata", "artist=Lumen", "-metadata",
         "album=Night Drive"});
}

// What is left of a copied file cut short just after its tag: the tag reads, no audio frame does.
void breakAfterTag(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    unsigned char header[10] = {};
    in.read(reinterpret_cast<char*>(header), sizeof header);
    const auto tagSize = 10 + ((header[6] & 0x7f) << 21 | (header[7] & 0x7f) << 14 | (header[8] & 0x7f) << 7 |
                               (header[9] & 0x7f));
    in.close();
    fs::resize_file(file, static_cast<std::uintmax_t>(tagSize) + 2);
}

struct Album {
    MusicFolders folders;
    AppSetup setup;
    std::unique_ptr<AppModel> model;
    std::vector<std::string> errorToasts;

    // The album's tracks in title order (their titles begin with their place), with the
    // lengths in seconds.
    explicit Album(const std::vector<std::pair<std::string, int>>& songs) {
        installEnglishTexts();
        for (const auto& [title, seconds] : songs)
            fs::copy_file(albumSong(title, seconds), folders.library / (title + ".mp3"));
        folders.writeSnapshot();
        auto options = setup.options();
        options.music = folders.options(true);
        model = std::make_unique<AppModel>(options);
        EXPECT_TRUE(MusicFolders::waitForRescan(*model->music()));
        EXPECT_EQ(model->music()->tracks().size(), songs.size());
        QObject::connect(model.get(), &AppModel::toastChanged, [this] {
            if (model->toast() && model->toast()->style == Toast::Style::error)
                errorToasts.push_back(model->toast()->text);
        });
    }

    fs::path file(const std::string& title) const { return folders.library / (title + ".mp3"); }
    std::vector<Station> tracks() const {
        std::vector<Station> stations;
        for (const auto& track : model->music()->albumTracks("Night Drive"))
            stations.push_back(track.asStation());
        return stations;
    }
    std::int64_t playCount(const std::string& title) const {
        for (const auto& track : model->music()->tracks())
            if (track.title == title)
                return track.playCount;
        return -1;
    }
    bool playing(const std::string& title) const {
        return model->current() && model->current()->name == "Lumen - " + title &&
               model->state().kind == PlaybackState::Kind::playing;
    }
};

} // namespace

TEST(QueuePlayback, EntriesThatCannotStartArePassedOverWithOneToastEach) {
    Album album({{"1 Ignition", 2},
                 {"2 Gone", 1},
                 {"3 Also Gone 100%2", 1},
                 {"4 Cut Short", 1},
                 {"5 Arrival", 1},
                 {"6 Home", 1}});
    album.model->music()->playNow(album.tracks(), 0);
    ASSERT_TRUE(pumpUntil([&] { return album.playing("1 Ignition"); }));
    EXPECT_EQ(album.playCount("1 Ignition"), 1);

    // While the first plays, the next two files are deleted and the fourth breaks.
    fs::remove(album.file("2 Gone"));
    fs::remove(album.file("3 Also Gone 100%2"));
    breakAfterTag(album.file("4 Cut Short"));

    ASSERT_TRUE(pumpUntil([&] { return album.playing("5 Arrival"); }, std::chrono::seconds(30)))
        << (album.errorToasts.empty() ? std::string("no toast") : album.errorToasts.back());
    const std::vector<std::string> expected = {
        "Cannot play “Lumen - 2 Gone”. The file is missing.",
        "Cannot play “Lumen - 3 Also Gone 100%2”. The file is missing.",
        "Cannot play “Lumen - 4 Cut Short”. Not a playable audio file.",
    };
    EXPECT_EQ(album.errorToasts, expected);
    EXPECT_EQ(album.model->music()->queueIndex(), 4);
    // A play counts once its audio began: the broken file was never heard.
    EXPECT_EQ(album.playCount("4 Cut Short"), 0);
    EXPECT_EQ(album.playCount("5 Arrival"), 1);
    EXPECT_EQ(album.playCount("1 Ignition"), 1);
}

TEST(QueuePlayback, WhenNoEntryCanStartPlaybackStopsAfterOnePass) {
    for (const auto repeat :
         {MusicModel::RepeatMode::off, MusicModel::RepeatMode::all, MusicModel::RepeatMode::one}) {
        Album album({{"1 Gone", 1}, {"2 Cut Short", 1}, {"3 Gone Too", 1}});
        album.model->music()->setRepeatMode(repeat);
        SCOPED_TRACE(album.model->music()->repeatModeName().toStdString());
        fs::remove(album.file("1 Gone"));
        breakAfterTag(album.file("2 Cut Short"));
        fs::remove(album.file("3 Gone Too"));

        album.model->music()->playNow(album.tracks(), 0);
        ASSERT_TRUE(pumpUntil([&] { return album.errorToasts.size() >= 3; }));
        // Each entry was tried once; the last failure started nothing further.
        EXPECT_EQ(album.errorToasts.size(), 3u);
        EXPECT_EQ(album.model->current()->name, "Lumen - 3 Gone Too");
        EXPECT_EQ(album.model->engine().state().kind, PlaybackState::Kind::failed);
        EXPECT_EQ(album.model->state(), PlaybackState::failed("The file is missing."));
        EXPECT_EQ(album.playCount("2 Cut Short"), 0);
    }
}

TEST(QueuePlayback, AYouTubeEntryThatCannotBeResolvedIsPassedOverToo) {
    Album album({{"1 After The Link", 1}});
    // A link that reads like an option is refused before yt-dlp is started.
    auto queue = album.tracks();
    queue.insert(queue.begin(), makeStation(ZazidEvoz::MediaKind::youtube, "Odd item", "-not-a-link"));
    album.model->music()->playNow(queue, 0);
    ASSERT_TRUE(pumpUntil([&] { return album.playing("1 After The Link"); }));
    ASSERT_EQ(album.errorToasts.size(), 1u);
    EXPECT_TRUE(album.errorToasts[0].starts_with("Cannot play “Odd item”. ")) << album.errorToasts[0];
}
