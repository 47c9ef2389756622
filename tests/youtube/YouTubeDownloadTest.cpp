#include "ZazidEvoz/platform/Cancellation.hpp"
#include "ZazidEvoz/youtube/YouTubeService.hpp"
#include "support/FakeYtDlp.hpp"
#include "support/Sandbox.hpp"

#include <algorithm>
#include <fstream>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>

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

// The shell lines that set $work to the folder the output template names, as the real tool
// writes into it.
const std::string findWorkFolder = "prev=; for a; do [ \"$prev\" = -o ] && out=$a; prev=$a; done\n"
                                   "work=$(dirname \"$out\" | sed 's/%%/%/g')\n";

// Prints the final-path line for `path` (shell words) as the real tool does: a JSON string.
std::string printFinalPath(const std::string& path) {
    return "python3 -c 'import json, sys; print(\"ZRFILE \", json.dumps(sys.argv[1]), \"\\t\")' " + path +
           "\n";
}

// A fake download: runs `before`, creates `name` with `content` in the work folder, then prints
// its path.
std::string writesFile(const std::string& name, const std::string& before = "",
                       const std::string& content = "media") {
    return findWorkFolder + before + "printf '%s' '" + content + "' > \"$work/" + name + "\"\n" +
           printFinalPath("\"$work/" + name + "\"");
}

std::string contents(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

const std::string workTemplate = "/\\.zintraradio-download-[0-9A-F-]{36}/%\\(title\\)\\.200B\\.%\\(ext\\)s";

std::vector<std::string> commonTail(const std::string& url) {
    return {"--no-playlist",
            "--no-warnings",
            "--newline",
            "--progress",
            "--progress-template",
            "download:ZRPROG %(progress._percent_str)s|%(progress._speed_str)s|%(progress._eta_str)s",
            "--progress-template",
            "postprocess:ZRPOST %(progress.postprocessor)s|%(progress.status)s|",
            "-o",
            "<output template>",
            "--print",
            "after_move:ZRFILE %(filepath)j",
            "--",
            url};
}

// The arguments with the output template (which names a fresh folder each time) checked and
// replaced by a placeholder.
std::vector<std::string> withTemplateChecked(std::vector<std::string> arguments, const fs::path& folder) {
    auto output = std::find(arguments.begin(), arguments.end(), "-o");
    EXPECT_NE(output, arguments.end());
    if (output == arguments.end() || output + 1 == arguments.end())
        return arguments;
    EXPECT_THAT(*(output + 1), ::testing::StartsWith(folder.string() + "/"));
    EXPECT_THAT(output[1].substr(folder.string().size()), ::testing::MatchesRegex(workTemplate));
    output[1] = "<output template>";
    return arguments;
}

std::vector<std::string> joined(std::vector<std::string> head, const std::vector<std::string>& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

} // namespace

TEST(YouTubeDownload, CommandLinesOfBothKinds) {
    auto folder = testkit::makeTemporaryFolder("downloads") / "new" / "sub";
    FakeYtDlp tool(writesFile("A video.mp3"));
    YouTubeService service;
    CancelToken token;

    EXPECT_EQ(service.downloadMP3(video(), folder, {}, token), folder / "A video.mp3");
    EXPECT_EQ(
        withTemplateChecked(tool.arguments(), folder),
        joined({"-x", "--audio-format", "mp3", "--audio-quality", "0", "--embed-thumbnail", "--add-metadata"},
               commonTail(video().url)));

    EXPECT_EQ(service.downloadVideo(video(), VideoQuality::p720, folder, {}, token),
              folder / "A video (2).mp3");
    EXPECT_EQ(withTemplateChecked(tool.arguments(), folder),
              joined({"-f", std::string(formatSelector(VideoQuality::p720)), "--merge-output-format", "mp4",
                      "--add-metadata"},
                     commonTail(video().url)));
    EXPECT_EQ(testkit::folderEntries(folder), (std::vector<std::string>{"A video (2).mp3", "A video.mp3"}));
}

TEST(YouTubeDownload, EachJobWorksApartAndSameTitlesGetNumbers) {
    // Two videos with one title: each download gets its own file, never the other's.
    auto folder = testkit::makeTemporaryFolder("downloads");
    std::ofstream(folder / "Title.mp3") << "the user's own file";
    CancelToken token;
    {
        FakeYtDlp first(writesFile("Title.mp3", "", "first video"));
        EXPECT_EQ(
            YouTubeService().downloadMP3(video("https://www.youtube.com/watch?v=one"), folder, {}, token),
            folder / "Title (2).mp3");
    }
    {
        // A tool that sees an existing file would answer "already downloaded" with its path.
        FakeYtDlp second(
            findWorkFolder +
            "if ls -A \"$work\" | grep -q .; then echo 'ERROR: not an empty folder' >&2; exit 1; fi\n" +
            writesFile("Title.mp3", "", "second video"));
        EXPECT_EQ(
            YouTubeService().downloadMP3(video("https://www.youtube.com/watch?v=two"), folder, {}, token),
            folder / "Title (3).mp3");
    }
    EXPECT_EQ(contents(folder / "Title.mp3"), "the user's own file");
    EXPECT_EQ(contents(folder / "Title (2).mp3"), "first video");
    EXPECT_EQ(contents(folder / "Title (3).mp3"), "second video");
    EXPECT_EQ(testkit::folderEntries(folder),
              (std::vector<std::string>{"Title (2).mp3", "Title (3).mp3", "Title.mp3"}));
}

TEST(YouTubeDownload, LineBreaksAndOddBytesInTheFolderName) {
    for (const std::string name : {"Down\nloads", "trailing break\n", "tab\there", "caf\xe9 latin-1"}) {
        auto folder = testkit::makeTemporaryFolder("downloads") / name;
        FakeYtDlp tool(writesFile("Song\nwith a break.mp3"));
        CancelToken token;
        fs::path file = YouTubeService().downloadMP3(video(), folder, {}, token);
        EXPECT_EQ(file, folder / "Song\nwith a break.mp3");
        EXPECT_EQ(contents(file), "media");
        EXPECT_EQ(testkit::folderEntries(folder), std::vector<std::string>{"Song\nwith a break.mp3"});
    }
}

TEST(YouTubeDownload, PrintedPathsDecodeToTheirBytes) {
    struct Case {
        std::string printed;
        std::optional<std::string> path;
    } cases[] = {
        {R"("/music/A video.mp3")", "/music/A video.mp3"},
        {R"("/music/Down\nloads/a\tb\r.mp3")", "/music/Down\nloads/a\tb\r.mp3"},
        {R"("/m/\"quoted\" \\ \/ \b\f")", "/m/\"quoted\" \\ / \b\f"},
        {R"("/m/caf\u00e9 \u984c \ud83c\udfb5")", "/m/caf\u00e9 \u984c \U0001F3B5"},
        {R"("/m/caf\udce9")", "/m/caf\xe9"},  // a Latin-1 byte as Python carries it
        {R"("/m/\ud83c.mp3")", std::nullopt}, // half a pair
        {R"("/m/\udfb5.mp3")", std::nullopt},
        {R"("/m/\u0000.mp3")", std::nullopt},
        {R"("/m/\u00zz")", std::nullopt},
        {R"("/m/\x41")", std::nullopt},
        {R"("/m/a\")", std::nullopt},
        {R"("/m/a"b")", std::nullopt},
        {"\"/m/a\nb\"", std::nullopt}, // a raw line break is no JSON
        {"/music/A video.mp3", std::nullopt},
        {R"(")", std::nullopt},
        {R"("")", ""},
    };
    for (const auto& test : cases)
        EXPECT_EQ(YouTubeService::decodePrintedPath(test.printed), test.path) << test.printed;
}

TEST(YouTubeDownload, ReportsProgressPhasesAndTheFinalPath) {
    auto folder = testkit::makeTemporaryFolder("downloads");
    fs::path file = folder / "A video.mp4";
    // Post-processing records arrive on standard error without line breaks, split anywhere.
    FakeYtDlp tool(
        "echo 'ZRPROG  42.0%|1.20MiB/s|00:05'\n"
        "echo 'ZRPROG 100.0%|2.00MiB/s|NA'\n"
        "sleep 0.1; printf 'ZRPOST Mer' >&2; sleep 0.1; printf 'ger|started|ZRPOST Merger|finished|' >&2\n"
        "sleep 0.1; echo '[Merger] Merging formats into \"x.mp4\"'\n"
        "sleep 0.1; echo '[ExtractAudio] Destination: x.mp3'\n"
        "printf 'ZRPOST Metadata|started|ZRPOST MoveFiles|started|' >&2\n" +
        writesFile("A video.mp4", "sleep 0.1\n") + "printf 'ZRPROG 5%%|tail without newline'\n");
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

TEST(YouTubeDownload, NoPhaseFollowsDone) {
    // The tool writes its post-processing record to standard error before it prints the final
    // path on standard output. A reader that falls behind (a busy machine) finds both waiting at
    // once: here it is held in its first report until the tool has written both.
    struct Case {
        std::string record;
        std::function<fs::path(const fs::path&, const YouTubeService::ProgressHandler&, CancelToken&)>
            download;
    };
    const Case cases[] = {
        {"ExtractAudio",
         [](const fs::path& folder, const YouTubeService::ProgressHandler& progress, CancelToken& token) {
             return YouTubeService().downloadMP3(video(), folder, progress, token);
         }},
        {"Merger",
         [](const fs::path& folder, const YouTubeService::ProgressHandler& progress, CancelToken& token) {
             return YouTubeService().downloadVideo(video(), VideoQuality::p720, folder, progress, token);
         }},
    };
    for (const Case& test : cases) {
        auto folder = testkit::makeTemporaryFolder("downloads");
        FakeYtDlp tool("echo 'ZRPROG  50.0%|1.00MiB/s|00:01'\n"
                       "while [ ! -e \"$(dirname \"$0\")/go\" ]; do sleep 0.01; done\n"
                       "printf 'ZRPOST " +
                       test.record + "|started|' >&2\n" + writesFile("A video.mp4") +
                       ": > \"$(dirname \"$0\")/written\"\n");
        Reports reports;
        auto recording = reports.handler();
        bool held = false;
        auto holdFirstReport = [&](const DownloadProgress& progress) {
            recording(progress);
            if (held)
                return;
            held = true;
            std::ofstream(tool.folder() / "go");
            for (auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
                 !fs::exists(tool.folder() / "written") && std::chrono::steady_clock::now() < until;)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
        };
        CancelToken token;
        EXPECT_EQ(test.download(folder, holdFirstReport, token), folder / "A video.mp4");
        EXPECT_EQ(reports.phases(), (std::vector<std::string>{"download", "done"})) << test.record;
    }
}

TEST(YouTubeDownload, FailuresAndTheirTextsLeaveNothingBehind) {
    auto folder = testkit::makeTemporaryFolder("downloads");
    auto outside = testkit::makeTemporaryFolder("elsewhere");
    std::ofstream(outside / "escaped.mp3") << "x";
    std::ofstream(folder / "up.mp3") << "the user's own file";
    struct Case {
        std::string name;
        std::string body;
        std::string expected;
    };
    const Case cases[] = {
        {"exit 0 without a final path", "echo 'ZRPROG 100%|a|b'\necho 'WARNING: no file' >&2\n",
         "WARNING: no file"},
        {"exit 0 with nothing at all", "exit 0\n", "yt-dlp exit 0"},
        {"a failing tool, its records kept out of the error and its partial files removed",
         findWorkFolder + "echo partial > \"$work/x.mp3.part\"; echo source > \"$work/x.webm\"\n" +
             "printf 'ZRPOST ExtractAudio|started|' >&2\necho 'ERROR: Postprocessing: audio conversion "
             "failed' "
             ">&2\n"
             "printf 'ZRPOST ExtractAudio|finished|' >&2\nexit 1\n",
         "Postprocessing: audio conversion failed"},
        {"error lines ending in CR LF", "printf 'ERROR: Unable to download\\r\\n\\r\\n' >&2\nexit 1\n",
         "Unable to download"},
        {"a file outside the folder", printFinalPath("'" + (outside / "escaped.mp3").string() + "'"),
         "yt-dlp put the file outside the download folder: " + (outside / "escaped.mp3").string()},
        {"a way out through ..", findWorkFolder + printFinalPath("\"$work/../up.mp3\""),
         "yt-dlp put the file outside the download folder: "},
        {"a file that is not there", findWorkFolder + printFinalPath("\"$work/ghost.mp3\""),
         "yt-dlp reported a file that does not exist: "},
        {"a good path replaced by a later bad one", writesFile("good.mp3") + printFinalPath("relative.mp3"),
         "yt-dlp put the file outside the download folder: relative.mp3"},
        {"a path that is no JSON", writesFile("good.mp3") + "echo 'ZRFILE /plain/path.mp3'\n",
         "yt-dlp reported a path that cannot be read: /plain/path.mp3"},
    };
    for (const auto& c : cases) {
        FakeYtDlp tool(c.body);
        Reports reports;
        CancelToken token;
        EXPECT_THAT(errorOf([&] { YouTubeService().downloadMP3(video(), folder, reports.handler(), token); }),
                    ::testing::StartsWith(c.expected))
            << c.name;
        if (c.name.starts_with("a file") || c.name.starts_with("a way")) {
            auto phases = reports.phases();
            EXPECT_EQ(std::find(phases.begin(), phases.end(), "done"), phases.end()) << c.name;
        }
        EXPECT_EQ(testkit::folderEntries(folder), std::vector<std::string>{"up.mp3"}) << c.name;
    }
    EXPECT_EQ(contents(folder / "up.mp3"), "the user's own file");
    EXPECT_EQ(testkit::folderEntries(outside), std::vector<std::string>{"escaped.mp3"});

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
    FakeYtDlp tool(writesFile("x.mp3"));
    CancelToken token;
    EXPECT_EQ(YouTubeService().downloadMP3(video(), folder, {}, token), folder / "x.mp3");
    auto arguments = tool.arguments();
    auto output = std::find(arguments.begin(), arguments.end(), "-o");
    ASSERT_NE(output, arguments.end());
    EXPECT_THAT(*(output + 1), ::testing::MatchesRegex(folder.parent_path().string() +
                                                       "/a%%\\(id\\)sb 100%%" + workTemplate));
}

TEST(YouTubeDownload, WorkFoldersOfDeadDownloadsAreCleared) {
    auto folder = testkit::makeTemporaryFolder("downloads");
    fs::path dead = folder / ".zintraradio-download-E621E1F8-C36C-495A-93FC-0C247A3E6E5F";
    fs::create_directories(dead);
    std::ofstream(dead / "Song.webm.part") << "half a video";
    testkit::makeOlder(dead, std::chrono::hours(1));
    fs::path young = folder / ".zintraradio-download-11111111-2222-4333-8444-555555555555";
    fs::create_directories(young); // a download another instance just started
    fs::path notOurs = folder / ".zintraradio-download-mine";
    fs::create_directories(notOurs);
    testkit::makeOlder(notOurs, std::chrono::hours(1));

    FakeYtDlp tool(writesFile("Song.mp3"));
    CancelToken token;
    YouTubeService().downloadMP3(video(), folder, {}, token);
    EXPECT_EQ(testkit::folderEntries(folder),
              (std::vector<std::string>{".zintraradio-download-11111111-2222-4333-8444-555555555555",
                                        ".zintraradio-download-mine", "Song.mp3"}));
}

TEST(YouTubeDownload, CancellingKillsTheToolAndItsHelpers) {
    auto folder = testkit::makeTemporaryFolder("downloads");
    auto pidFile = folder / "helper.pid";
    // The helper stands for the ffmpeg that yt-dlp starts.
    FakeYtDlp tool(findWorkFolder + "echo partial > \"$work/x.part\"\nsleep 30 & echo $! > '" +
                   pidFile.string() + "'\necho 'ZRPROG 10%|a|b'\nwait\n");
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
    EXPECT_EQ(testkit::folderEntries(folder), std::vector<std::string>{"helper.pid"});
}

TEST(YouTubeDownload, CancelledEvenWhenTheToolFinished) {
    auto folder = testkit::makeTemporaryFolder("downloads");
    FakeYtDlp tool(writesFile("done.mp3"));
    CancelToken token;
    auto cancelWhenDone = [&](const DownloadProgress& progress) {
        if (progress.phase == "done")
            token.cancel();
    };
    EXPECT_THROW(YouTubeService().downloadMP3(video(), folder, cancelWhenDone, token),
                 platform::CancellationError);
    // The job ended cancelled, so its file does not turn up among the downloads.
    EXPECT_TRUE(testkit::folderEntries(folder).empty());
}

TEST(YouTubeDownload, FloodsOnEitherStreamStayBounded) {
    auto folder = testkit::makeTemporaryFolder("downloads");
    fs::path file = folder / "flood.mp3";
    // 100 MiB without a line break on standard output, 100 MiB on standard error, then a normal end.
    FakeYtDlp tool("head -c 104857600 /dev/zero\necho\nhead -c 104857600 /dev/zero | tr '\\0' e >&2\n" +
                   writesFile("flood.mp3", "echo 'ZRPROG 50%|a|b'\n"));
    Reports reports;
    CancelToken token;
    EXPECT_EQ(YouTubeService().downloadMP3(video(), folder, reports.handler(), token), file);
    EXPECT_EQ(reports.phases(), (std::vector<std::string>{"download", "done"}));
}
