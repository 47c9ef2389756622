// Download jobs of the application model with the real yt-dlp and ffmpeg against a local
// site (the generic extractor reads a page with a video, or the media file itself), lyrics
// from a local stand-in of the lyrics service, a real music database and real files.
#include "YouTubeKit.hpp"
#include "ZazidEvoz/music/MusicDatabase.hpp"
#include "ZazidEvoz/platform/Process.hpp"
#include "qtsupport/YouTubeKit.hpp"
#include "support/LyricsSite.hpp"
#include "support/RawSqlite.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <taglib/fileref.h>
#include <taglib/tpropertymap.h>
#include <thread>

using namespace ZintraRadio;
using namespace ZintraRadio::testkit;
using ZazidEvoz::MediaKind;
using ZazidEvoz::VideoQuality;
using ZazidEvoz::testkit::LyricsSite;
using ZazidEvoz::testkit::ScopedEnvironment;
using namespace std::chrono_literals;
namespace engine = ZazidEvoz::testkit;

namespace {

const std::string plainText = "First line\nSecond line";

ZazidEvoz::SongLyrics timedLyrics() {
    ZazidEvoz::SongLyrics lyrics;
    lyrics.artist = "Sine Artist";
    lyrics.title = "Sine Song";
    lyrics.synced = {{0, 0.5, "First line"}, {1, 1.5, "Second line"}};
    return lyrics;
}

std::string lyricsTag(const fs::path& file) {
    TagLib::FileRef reference(file.c_str());
    if (reference.isNull())
        return "<unreadable>";
    return reference.file()->properties()["LYRICS"].toString("\n").to8Bit(true);
}

// "type:codec:language" of every stream.
std::vector<std::string> streams(const fs::path& file) {
    auto result = ZazidEvoz::platform::runProcess(ZazidEvoz::platform::ProcessOptions(
        {"/usr/bin/ffprobe", "-v", "error", "-show_streams", "-of", "json", file.string()}));
    EXPECT_TRUE(result.status.succeeded()) << result.error;
    std::vector<std::string> found;
    const auto probed = nlohmann::json::parse(result.output);
    for (const auto& stream : probed["streams"])
        found.push_back(stream.value("codec_type", "") + ":" + stream.value("codec_name", "") + ":" +
                        stream.value("tags", nlohmann::json::object()).value("language", ""));
    return found;
}

// A site for the real yt-dlp: a page with a video and a poster, the clip itself, and a
// stream that trickles without end so that a download is still running when it is cancelled.
class MediaSite {
public:
    MediaSite() {
        fs::copy_file(ClipSite::clip(), root_ / "clip.mp4");
        fs::copy_file(engine::generatedMedia(
                          "app-download-cover.jpg",
                          {"-f", "lavfi", "-i", "testsrc=size=320x240:duration=1", "-frames:v", "1"}),
                      root_ / "cover.jpg");
        server_.server.set_mount_point("/", root_.string());
        server_.server.Get("/slow.mp3", [](const httplib::Request&, httplib::Response& response) {
            response.set_chunked_content_provider("audio/mpeg", [](std::size_t, httplib::DataSink& sink) {
                static const std::string chunk(4096, '\xff');
                std::this_thread::sleep_for(50ms);
                return sink.write(chunk.data(), chunk.size());
            });
        });
        server_.start();
        std::ofstream(root_ / "page.html")
            << "<!DOCTYPE html><html><head><title>Page</title><meta property=\"og:title\" content=\"Sine "
               "Song\"></head><body><video src=\""
            << server_.url("/clip.mp4") << "\" poster=\"" << server_.url("/cover.jpg")
            << "\"></video></body></html>\n";
    }

    Station item(const std::string& path, const std::string& name, const std::string& uploader = "") const {
        auto station = makeStation(MediaKind::youtube, name, server_.url(path));
        station.uploader = uploader;
        return station;
    }

private:
    fs::path root_ = engine::makeTemporaryFolder("download-site");
    engine::LocalHttpServer server_;
};

class Downloads : public ::testing::Test {
protected:
    AppModel::Options options() {
        auto options = videoFreeOptions(setup, lyrics.baseURL());
        options.music.coverBaseURL = deadURL;
        return options;
    }

    std::shared_ptr<DownloadJob> newestJob() const {
        return model.downloads().empty() ? nullptr : model.downloads().front();
    }
    bool ends(const std::shared_ptr<DownloadJob>& job) {
        return pumpUntil([&] { return !job->isActive(); }, 120s);
    }
    // Done, and announced after the lyrics step and the library registration.
    bool finishes(const std::shared_ptr<DownloadJob>& job) {
        return pumpUntil(
            [&] {
                const auto* done = std::get_if<DownloadJob::Done>(&job->phase());
                return done && model.toast() && model.toast()->style == Toast::Style::success &&
                       model.toast()->file == done->file;
            },
            120s);
    }

    // Each test downloads into a music folder of its own.
    fs::path musicFolder = engine::makeTemporaryFolder("music");
    ScopedEnvironment musicDir{"ZINTRARADIO_MUSIC_DIR", musicFolder.c_str()};
    MediaSite site;
    LyricsSite lyrics;
    AppSetup setup;
    AppModel model{options()};
};

} // namespace

TEST_F(Downloads, Mp3WithLyricsFromTheWebJoinsTheLibrary) {
    lyrics.onGet([](const httplib::Request& request, httplib::Response& response) {
        if (request.get_param_value("artist_name") != "Sine Artist" ||
            request.get_param_value("track_name") != "Sine Song") {
            response.status = 404;
            return;
        }
        engine::answerJSON(response, engine::record("Sine Song", "Sine Artist", std::nullopt, plainText));
    });
    const auto item = site.item("/page.html", "Sine Artist - Sine Song (Official Video) | Label Records");
    const auto revision = model.music()->databaseRevision();

    model.downloadMP3(item);
    auto job = newestJob();
    ASSERT_TRUE(job);
    EXPECT_TRUE(job->withLyrics()) << "the setting is on by default";
    std::vector<QString> phases;
    bool fractionLost = false;
    QObject::connect(job.get(), &DownloadJob::phaseChanged, [&] { phases.push_back(job->phaseName()); });
    QObject::connect(job.get(), &DownloadJob::fractionChanged, [&] { fractionLost |= !job->fraction(); });
    std::optional<bool> embeddedAtToast;
    QObject::connect(&model, &AppModel::toastChanged, [&] {
        if (model.toast() && model.toast()->style == Toast::Style::success)
            embeddedAtToast = job->lyricsEmbedded();
    });

    ASSERT_TRUE(finishes(job));
    EXPECT_EQ(phases, (std::vector<QString>{"converting", "done"}));
    EXPECT_FALSE(fractionLost) << "a conversion report without a fraction keeps the last one";
    const fs::path file = std::get<DownloadJob::Done>(job->phase()).file;
    EXPECT_EQ(file.parent_path(), musicFolder / "Downloads");
    EXPECT_EQ(file.extension(), ".mp3");
    EXPECT_EQ(job->lyricsEmbedded(), true);
    EXPECT_EQ(embeddedAtToast, true) << "the success toast follows the lyrics step";
    EXPECT_EQ(lyricsTag(file), plainText);

    ASSERT_EQ(lyrics.seen().size(), 1u);
    EXPECT_EQ(lyrics.seen()[0].path, "/api/get");
    auto stored = model.music()->database()->storedLyrics("Sine Artist", "Sine Song");
    EXPECT_EQ(stored.kind, ZazidEvoz::MusicDatabase::LyricsLookup::Kind::found);
    EXPECT_GT(model.music()->databaseRevision(), revision);

    // The MP3 is a library track that remembers where it came from.
    ASSERT_TRUE(pumpUntil([&] {
        const auto& tracks = model.music()->tracks();
        return std::any_of(tracks.begin(), tracks.end(), [&](const auto& track) {
            return track.path == file.string() && track.sourceURL == item.url;
        });
    }));
}

TEST_F(Downloads, VideoWithStoredLyricsGetsASubtitleTrackAndStaysOutOfTheLibrary) {
    ASSERT_TRUE(model.music()->database()->saveLyrics("Sine Artist", "Sine Song", timedLyrics(), "earlier"));
    // A name without an artist: the uploader stands in for it.
    const auto item = site.item("/clip.mp4", "Sine Song [HD]", "Sine Artist");
    const auto revision = model.music()->databaseRevision();

    model.downloadVideo(item, VideoQuality::p360, true);
    auto job = newestJob();
    ASSERT_TRUE(finishes(job));
    const fs::path file = std::get<DownloadJob::Done>(job->phase()).file;
    EXPECT_EQ(job->lyricsEmbedded(), true);
    EXPECT_EQ(streams(file),
              (std::vector<std::string>{"video:h264:und", "audio:aac:und", "subtitle:mov_text:eng"}));
    EXPECT_TRUE(lyrics.seen().empty()) << "stored lyrics need no web lookup";
    engine::RawConnection raw(setup.folder / "music.sqlite");
    EXPECT_EQ(raw.value("SELECT source FROM lyrics"), "LRCLIB");
    EXPECT_GT(model.music()->databaseRevision(), revision);

    ASSERT_TRUE(model.toast());
    EXPECT_EQ(model.toast()->file, file);
    EXPECT_EQ(model.toast()->text, "toast.downloaded " + file.filename().string());
    bool rescanned = false;
    model.music()->rescan([&] { rescanned = true; });
    ASSERT_TRUE(pumpUntil([&] { return rescanned; }));
    for (const auto& track : model.music()->tracks())
        EXPECT_NE(track.path, file.string());
}

TEST_F(Downloads, CancelEndsQuietlyASecondRunOfTheSameJobIsRefused) {
    const auto slow = site.item("/slow.mp3", "Endless");
    model.downloadMP3(slow, false);
    auto mp3 = newestJob();
    ASSERT_TRUE(pumpUntil([&] { return !mp3->speed().empty(); }, 60s)) << "yt-dlp reports progress";

    // The same item and kind again would write the same file.
    model.downloadMP3(slow, false);
    EXPECT_EQ(model.downloads().size(), 1u);
    ASSERT_TRUE(model.toast());
    EXPECT_EQ(model.toast()->style, Toast::Style::info);
    EXPECT_EQ(model.toast()->text, "toast.downloadRunning Endless");
    const auto notice = model.toast()->id;

    // Another kind of the same item is another file.
    model.downloadVideo(slow, VideoQuality::best, false);
    ASSERT_EQ(model.downloads().size(), 2u);
    auto video = newestJob();

    mp3->cancel();
    ASSERT_TRUE(ends(mp3));
    EXPECT_EQ(mp3->phaseName(), "cancelled");
    EXPECT_EQ(model.toast()->id, notice) << "a cancellation shows nothing";

    model.removeFinishedDownloads();
    ASSERT_EQ(model.downloads().size(), 1u);
    EXPECT_EQ(model.downloads().front(), video);
    EXPECT_EQ(model.downloadList()->rowCount(), 1);

    video->cancel();
    ASSERT_TRUE(ends(video));
    model.removeFinishedDownloads();
    EXPECT_TRUE(model.downloads().empty());
}

TEST_F(Downloads, AFailedDownloadShowsItsError) {
    model.downloadMP3(site.item("/missing.html", "Missing"));
    auto job = newestJob();
    ASSERT_TRUE(ends(job));
    const auto* failed = std::get_if<DownloadJob::Failed>(&job->phase());
    ASSERT_TRUE(failed);
    EXPECT_NE(failed->message.find("404"), std::string::npos) << failed->message;
    ASSERT_TRUE(model.toast());
    EXPECT_EQ(model.toast()->style, Toast::Style::error);
    EXPECT_EQ(model.toast()->text, failed->message);
    EXPECT_EQ(job->lyricsEmbedded(), std::nullopt);
}

TEST_F(Downloads, TheLyricsChoiceIsTheArgumentElseTheSettingOfTheMoment) {
    struct Case {
        bool setting;
        std::optional<bool> argument;
        bool expected;
    } cases[] = {
        {true, false, false}, {false, std::nullopt, false}, {true, std::nullopt, true}, {false, true, true}};
    const auto slow = site.item("/slow.mp3", "Endless");
    for (const auto& c : cases) {
        model.setSaveLyricsWithDownloads(c.setting);
        model.downloadMP3(slow, c.argument);
        auto job = newestJob();
        EXPECT_EQ(job->withLyrics(), c.expected);
        job->cancel();
        ASSERT_TRUE(ends(job));
    }

    // Without lyrics nothing is looked up and the job says it never tried.
    model.setSaveLyricsWithDownloads(true);
    model.downloadVideo(site.item("/clip.mp4", "Sine Artist - Sine Song"), VideoQuality::p360, false);
    auto job = newestJob();
    ASSERT_TRUE(finishes(job));
    EXPECT_EQ(job->phaseName(), "done");
    EXPECT_EQ(job->lyricsEmbedded(), std::nullopt);
    EXPECT_TRUE(lyrics.seen().empty());
}

TEST_F(Downloads, ASongSearchDownloadsTheFirstHit) {
    ScriptedYtDlp ytdlp{{"nothing", "song"}};
    ytdlp.listing("nothing", {});
    ytdlp.listing("song", {entryLine("s1", "Found Song"), entryLine("s2", "Other Song")});
    // The model looks for yt-dlp when it starts: this one finds the script.
    AppModel scripted{options()};

    scripted.downloadMP3(std::string("nothing at all"));
    ASSERT_TRUE(pumpUntil([&] { return scripted.toast().has_value(); }));
    EXPECT_EQ(scripted.toast()->style, Toast::Style::warning);
    EXPECT_EQ(scripted.toast()->text, "youtube.noResults");
    EXPECT_TRUE(scripted.downloads().empty());

    scripted.downloadMP3(std::string("a song"), false);
    ASSERT_TRUE(pumpUntil([&] { return !scripted.downloads().empty(); }));
    auto job = scripted.downloads().front();
    EXPECT_EQ(job->item().name, "Found Song");
    EXPECT_TRUE(std::holds_alternative<DownloadJob::MP3>(job->kind()));
    EXPECT_FALSE(job->withLyrics());
    EXPECT_TRUE(ytdlp.runs().front().ends_with("-- ytsearch1:nothing at all")) << ytdlp.runs().front();
    // The script downloads nothing: the job fails with yt-dlp's text.
    ASSERT_TRUE(ends(job));
    EXPECT_EQ(job->phaseName(), "failed");
}
