#include "FakeYtDlp.hpp"
#include "ZazidEvoz/YouTubeService.hpp"
#include "ZazidEvoz/platform/Cancellation.hpp"
#include "support/Sandbox.hpp"

#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>
#include <mutex>

using namespace ZazidEvoz;
using testkit::errorOf;
using testkit::FakeYtDlp;
using testkit::processGone;
namespace fs = std::filesystem;

namespace {

Station video(std::string url = "https://www.youtube.com/watch?v=abc") {
    Station station;
    station.kind = MediaKind::youtube;
    station.name = "A video";
    station.url = std::move(url);
    station.duration = 212;
    return station;
}

// Collects reports from the download's thread.
struct Reports {
    std::mutex mutex;
    std::vector<DownloadProgress> all;

    YouTubeService::ProgressHandler handler() {
        return [this](const DownloadProgress& progress) {
            std::lock_guard lock(mutex);
            all.push_back(progress);
        };
    }
    std::vector<std::string> phases() {
        std::lock_guard lock(mutex);
        std::vector<std::string> result;
        for (const auto& report : all)
            if (result.empty() || result.back() != report.phase)
                result.push_back(report.phase);
        return result;
    }
};

// A fake download: prints `lines` on standard output, creates `file`, then prints its path.
std::string writesFile(const std::string& file, const std::string& before = "") {
    return before + "mkdir -p \"$(dirname '" + file + "')\"; : > '" + file +
           "'\nprintf 'ZRFILE  %s\\t\\n' '" + file + "'\n";
}

const std::vector<std::string> commonTail(const std::string& outputTemplate, const std::string& url) {
    return {"--no-playlist",
            "--no-warnings",
            "--newline",
            "--progress",
            "--progress-template",
            "download:ZRPROG %(progress._percent_str)s|%(progress._speed_str)s|%(progress._eta_str)s",
            "--progress-template",
            "postprocess:ZRPOST %(progress.postprocessor)s|%(progress.status)s|",
            "-o",
            outputTemplate,
            "--print",
            "after_move:ZRFILE %(filepath)s",
            "--",
            url};
}

std::vector<std::string> joined(std::vector<std::string> head, const std::vector<std::string>& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

} // namespace

TEST(YouTubeDownload, CommandLinesOfBothKinds) {
    auto folder = testkit::makeTemporaryFolder("downloads") / "new" / "sub";
    std::string file = (folder / "A video.mp3").string();
    FakeYtDlp tool(writesFile(file));
    YouTubeService service;
    CancelToken token;

    EXPECT_EQ(service.downloadMP3(video(), folder, {}, token), file);
    EXPECT_EQ(tool.arguments(), joined({"-x", "--audio-format", "mp3", "--audio-quality", "0",
                                        "--embed-thumbnail", "--add-metadata"},
                                       commonTail(folder.string() + "/%(title).200B.%(ext)s", video().url)));

    service.downloadVideo(video(), VideoQuality::p720, folder, {}, token);
    EXPECT_EQ(tool.arguments(), joined({"-f", std::string(formatSelector(VideoQuality::p720)),
                                        "--merge-output-format", "mp4", "--add-metadata"},
                                       commonTail(folder.string() + "/%(title).200B.%(ext)s", video().url)));
}

TEST(YouTubeDownload, ReportsProgressPhasesAndTheFinalPath) {
    auto folder = testkit::makeTemporaryFolder("downloads");
    std::string file = (folder / "A video.mp4").string();
    // Post-processing records arrive on standard error without line breaks, split anywhere.
    FakeYtDlp tool(
        "echo 'ZRPROG  42.0%|1.20MiB/s|00:05'\n"
        "echo 'ZRPROG 100.0%|2.00MiB/s|NA'\n"
        "sleep 0.1; printf 'ZRPOST Mer' >&2; sleep 0.1; printf 'ger|started|ZRPOST Merger|finished|' >&2\n"
        "sleep 0.1; echo '[Merger] Merging formats into \"x.mp4\"'\n"
        "sleep 0.1; echo '[ExtractAudio] Destination: x.mp3'\n"
        "printf 'ZRPOST Metadata|started|ZRPOST MoveFiles|started|' >&2\n" +
        writesFile(file, "sleep 0.1\n") + "printf 'ZRPROG 5%%|tail without newline'\n");
    Reports reports;
    CancelToken token;
    fs::path result =
        YouTubeService().downloadVideo(video(), VideoQuality::best, folder, reports.handler(), token);
    EXPECT_EQ(result, file);
    ASSERT_EQ(reports.all.size(), 6u);
    EXPECT_EQ(reports.all[0], (DownloadProgress{0.42, "1.20MiB/s", "00:05", "download"}));
    EXPECT_EQ(reports.all[1], (DownloadProgress{1.0, "2.00MiB/s", "", "download"}));
    EXPECT_EQ(reports.all[2], (DownloadProgress{std::nullopt, "", "", "merge"}));
    EXPECT_EQ(reports.all[3], (DownloadProgress{std::nullopt, "", "", "merge"}));
    EXPECT_EQ(reports.all[4], (DownloadProgress{std::nullopt, "", "", "convert"}));
    EXPECT_EQ(reports.all[5], (DownloadProgress{1.0, "", "", "done"}));
}

TEST(YouTubeDownload, FailuresAndTheirTexts) {
    auto folder = testkit::makeTemporaryFolder("downloads");
    auto outside = testkit::makeTemporaryFolder("elsewhere");
    struct Case {
        std::string name;
        std::string body;
        std::string expected;
    };
    const Case cases[] = {
        {"exit 0 without a final path", "echo 'ZRPROG 100%|a|b'\necho 'WARNING: no file' >&2\n",
         "WARNING: no file"},
        {"exit 0 with nothing at all", "exit 0\n", "yt-dlp exit 0"},
        {"a failing tool, its records kept out of the error",
         "printf 'ZRPOST ExtractAudio|started|' >&2\necho 'ERROR: Postprocessing: audio conversion failed' "
         ">&2\n"
         "printf 'ZRPOST ExtractAudio|finished|' >&2\nexit 1\n",
         "Postprocessing: audio conversion failed"},
        {"a file outside the folder", writesFile((outside / "escaped.mp3").string()),
         "yt-dlp put the file outside the download folder: " + (outside / "escaped.mp3").string()},
        {"a way out through ..", writesFile((folder / ".." / "up.mp3").string()),
         "yt-dlp put the file outside the download folder: " + (folder / ".." / "up.mp3").string()},
        {"a file that is not there", "echo 'ZRFILE " + (folder / "ghost.mp3").string() + "'\n",
         "yt-dlp reported a file that does not exist: " + (folder / "ghost.mp3").string()},
        {"a good path replaced by a later bad one",
         writesFile((folder / "good.mp3").string()) + "echo 'ZRFILE relative.mp3'\n",
         "yt-dlp put the file outside the download folder: relative.mp3"},
    };
    for (const auto& c : cases) {
        FakeYtDlp tool(c.body);
        Reports reports;
        CancelToken token;
        EXPECT_EQ(errorOf([&] { YouTubeService().downloadMP3(video(), folder, reports.handler(), token); }),
                  c.expected)
            << c.name;
        if (c.name.starts_with("a file") || c.name.starts_with("a way")) {
            auto phases = reports.phases();
            EXPECT_EQ(std::find(phases.begin(), phases.end(), "done"), phases.end()) << c.name;
        }
    }
    // A folder that cannot be made fails before anything starts.
    FakeYtDlp tool("exit 0\n");
    std::ofstream(folder / "plain-file") << "x";
    CancelToken token;
    EXPECT_THROW(YouTubeService().downloadMP3(video(), folder / "plain-file" / "sub", {}, token),
                 fs::filesystem_error);
    EXPECT_FALSE(tool.ran());
}

TEST(YouTubeDownload, PercentInTheFolderIsNoTemplateField) {
    auto folder = testkit::makeTemporaryFolder("downloads") / "a%(id)sb 100%";
    std::string file = (folder / "x.mp3").string();
    FakeYtDlp tool(writesFile(file));
    CancelToken token;
    EXPECT_EQ(YouTubeService().downloadMP3(video(), folder, {}, token), file);
    auto arguments = tool.arguments();
    auto output = std::find(arguments.begin(), arguments.end(), "-o");
    ASSERT_NE(output, arguments.end());
    EXPECT_EQ(*(output + 1), folder.parent_path().string() + "/a%%(id)sb 100%%/%(title).200B.%(ext)s");
}

TEST(YouTubeDownload, CancellingKillsTheToolAndItsHelpers) {
    auto folder = testkit::makeTemporaryFolder("downloads");
    auto pidFile = folder / "helper.pid";
    // The helper stands for the ffmpeg that yt-dlp starts.
    FakeYtDlp tool("sleep 30 & echo $! > '" + pidFile.string() + "'\necho 'ZRPROG 10%|a|b'\nwait\n");
    YouTubeService service;
    {
        CancelToken token;
        token.cancel();
        EXPECT_THROW(service.downloadMP3(video(), folder, {}, token), platform::CancellationError);
        EXPECT_FALSE(tool.ran());
    }
    CancelToken token;
    auto cancelOnFirstReport = [&](const DownloadProgress&) { token.cancel(); };
    EXPECT_THROW(service.downloadVideo(video(), VideoQuality::p360, folder, cancelOnFirstReport, token),
                 platform::CancellationError);
    EXPECT_TRUE(testkit::childProcesses().empty());
    pid_t helper = 0;
    std::ifstream(pidFile) >> helper;
    ASSERT_GT(helper, 0);
    EXPECT_TRUE(processGone(helper));
}

TEST(YouTubeDownload, CancelledEvenWhenTheToolFinished) {
    auto folder = testkit::makeTemporaryFolder("downloads");
    std::string file = (folder / "done.mp3").string();
    FakeYtDlp tool(writesFile(file));
    CancelToken token;
    auto cancelWhenDone = [&](const DownloadProgress& progress) {
        if (progress.phase == "done")
            token.cancel();
    };
    EXPECT_THROW(YouTubeService().downloadMP3(video(), folder, cancelWhenDone, token),
                 platform::CancellationError);
    EXPECT_TRUE(fs::exists(file)); // a finished file is never removed
}

TEST(YouTubeDownload, FloodsOnEitherStreamStayBounded) {
    auto folder = testkit::makeTemporaryFolder("downloads");
    std::string file = (folder / "flood.mp3").string();
    // 100 MiB without a line break on standard output, 100 MiB on standard error, then a normal end.
    FakeYtDlp tool("head -c 104857600 /dev/zero\necho\nhead -c 104857600 /dev/zero | tr '\\0' e >&2\n" +
                   writesFile(file, "echo 'ZRPROG 50%|a|b'\n"));
    Reports reports;
    CancelToken token;
    EXPECT_EQ(YouTubeService().downloadMP3(video(), folder, reports.handler(), token), file);
    EXPECT_EQ(reports.phases(), (std::vector<std::string>{"download", "done"}));
}
