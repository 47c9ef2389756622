// Recording what plays, and the recordings folder: the real engine and ffmpeg on a local ICY
// station for the files themselves (tags read back with TagLib); a stand-in encoder that
// notes its arguments where the choice of file and tags is the point; real folders, a
// sandboxed trash and the desktop's URL handler for the rest.
#include "AppModelKit.hpp"
#include "ZazidEvoz/core/MediaFolders.hpp"
#include "ZazidEvoz/platform/FileURL.hpp"
#include "support/Media.hpp"
#include "support/StreamServer.hpp"
#include "support/Tones.hpp"

#include <QDesktopServices>
#include <QDir>
#include <QTranslator>
#include <QUrl>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <taglib/fileref.h>
#include <taglib/tag.h>
#include <thread>

using namespace ZintraRadio;
using namespace ZintraRadio::testkit;
using namespace std::chrono_literals;
using ZazidEvoz::MediaKind;
using ZazidEvoz::PlaybackState;
using ZazidEvoz::StreamMetadataEvent;
using ZazidEvoz::testkit::ScopedEnvironment;
namespace Events = ZazidEvoz::EngineEvents;

namespace {

const Station band = makeStation(MediaKind::radio, "Band FM", deadURL + "/band");

std::filesystem::path recordingsFolder() {
    return ZazidEvoz::MediaFolders::recordings();
}

// A recordings folder that starts empty.
void clearRecordings() {
    std::filesystem::remove_all(recordingsFolder());
}

std::filesystem::path makeFile(const std::filesystem::path& file, const std::string& bytes = "ID3") {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
    return file;
}

// The arguments of each encoder run the stand-in noted.
std::vector<std::vector<std::string>> encoderRuns(const SilentTools& tools) {
    auto runs = tools.runs();
    std::erase_if(
        runs, [](const auto& run) { return std::find(run.begin(), run.end(), "libmp3lame") == run.end(); });
    return runs;
}

std::string metadataOf(const std::vector<std::string>& arguments, const std::string& key) {
    for (std::size_t i = 0; i + 1 < arguments.size(); ++i)
        if (arguments[i] == "-metadata" && arguments[i + 1].starts_with(key + "="))
            return arguments[i + 1].substr(key.size() + 1);
    return "<absent>";
}

// A model whose engine runs decoders that never deliver.
struct Recorder {
    SilentTools tools;
    AppSetup setup;
    AppModel model{setup.options()};

    void post(const ZazidEvoz::EngineEvent& event) {
        postAndRun(&model, [&] { model.engine().onEvent(event); });
    }
    void playAndBuffer(const Station& station) {
        model.play(station);
        ASSERT_TRUE(pumpUntil([&] { return model.stateName() == "buffering"; }));
    }
};

// A local ICY station playing a tone, whose title the test changes.
struct LocalStation {
    ZazidEvoz::testkit::StreamServer server;

    LocalStation() {
        ZazidEvoz::testkit::StreamSpec spec;
        spec.media = ZazidEvoz::testkit::toneMp3();
        spec.metaint = 2000;
        spec.burstSeconds = 1;
        server.addStream("/radio", spec);
        setTitle("Artist - First Song");
        server.start();
    }
    Station station() const { return makeStation(MediaKind::radio, "Local Radio", server.url("/radio")); }
    void setTitle(const std::string& title) { server.setTitle("/radio", title); }
};

// A local ICY station whose programme is three songs of seven seconds, each its own tone.
struct ToneStation {
    ZazidEvoz::testkit::StreamServer server;
    std::vector<ZazidEvoz::testkit::Song> songs = ZazidEvoz::testkit::toneProgramme(3, 7);

    ToneStation() {
        ZazidEvoz::testkit::StreamSpec spec;
        spec.programme = songs;
        spec.metaint = 2000;
        spec.burstSeconds = 2;
        server.addStream("/radio", spec);
        server.start();
    }
    Station station() const { return makeStation(MediaKind::radio, "Local Radio", server.url("/radio")); }
    // The song a recording is named after.
    int songIn(const std::filesystem::path& file) const {
        for (std::size_t k = 0; k < songs.size(); ++k)
            if (file.filename().string().starts_with("Local Radio (" + songs[k].title + ")"))
                return static_cast<int>(k);
        return -1;
    }
    // The songs a recording holds, by their tones, in order.
    std::vector<ZazidEvoz::testkit::ToneRun> runsIn(const std::filesystem::path& file) const {
        std::vector<double> tones;
        for (std::size_t k = 0; k < songs.size(); ++k)
            tones.push_back(ZazidEvoz::testkit::programmeTone(k));
        const auto windows =
            ZazidEvoz::testkit::tonesByWindow(ZazidEvoz::testkit::decodedSamples(file), tones, toneWindow);
        return ZazidEvoz::testkit::toneRuns(windows, toneWindow, 5);
    }
    static constexpr std::size_t toneWindow = 480; // 10 ms
};

double seconds(std::size_t frames) {
    return static_cast<double>(frames) / 48000.0;
}

class UrlCatcher : public QObject {
    Q_OBJECT

public:
    std::vector<QUrl> opened;

public Q_SLOTS:
    void open(const QUrl& url) { opened.push_back(url); }
};

} // namespace

TEST(Recordings, SplitBySongCutsEachSongIntoItsOwnTaggedFileWhereItChanges) {
    clearRecordings();
    ToneStation station;
    AppSetup setup;
    AppModel model(setup.options());
    EXPECT_TRUE(model.splitRecordingBySong());
    // The files the success toasts name, one per finished recording.
    std::vector<std::filesystem::path> saved;
    QObject::connect(&model, &AppModel::toastChanged, [&] {
        if (model.toast() && model.toast()->style == Toast::Style::success && model.toast()->file)
            saved.push_back(*model.toast()->file);
    });

    model.play(station.station());
    ASSERT_TRUE(pumpUntil([&] { return model.stateName() == "playing" && model.nowPlaying(); }));
    // The stream falls 8.5 s behind the station's live point, as after a stall on the way,
    // while the ICY poller's connections of its own start at live: its titles run ahead of
    // the stream by more than the poller's five seconds.
    station.server.advanceClock("/radio", 8.5);
    model.startRecording();
    ASSERT_TRUE(model.isRecording());
    const int firstSong = station.songIn(model.engine().currentRecordingURL().value_or(""));
    ASSERT_GE(firstSong, 0);
    // Two song changes, and a second of the third file: the middle file holds a whole song.
    ASSERT_TRUE(pumpUntil([&] { return saved.size() == 2; }, 30s));
    EXPECT_TRUE(model.isRecording());
    const double secondSplit = model.engine().elapsed();
    ASSERT_TRUE(pumpUntil([&] { return model.engine().elapsed() > secondSplit + 1.0; }));
    model.stopRecording();
    EXPECT_FALSE(model.isRecording());
    EXPECT_FALSE(model.recordingStarted());
    ASSERT_TRUE(pumpUntil([&] { return saved.size() == 3; }));
    model.stop();
    ASSERT_EQ(model.recordings().size(), 3u);
    EXPECT_EQ(saved[2], model.recordings()[0].url); // newest first

    // Each file is named and tagged after its song, and holds that song's tone; a song
    // change sounds within a second of the cut.
    std::vector<std::vector<ZazidEvoz::testkit::ToneRun>> files;
    for (int i = 0; i < 3; ++i) {
        const auto& song = station.songs[static_cast<std::size_t>((firstSong + i) % 3)];
        SCOPED_TRACE(song.title);
        const std::string prefix = "Local Radio (" + song.title + ") - ";
        auto found =
            std::find_if(model.recordings().begin(), model.recordings().end(), [&](const RecordingFile& f) {
                return f.url.filename().string().starts_with(prefix);
            });
        ASSERT_NE(found, model.recordings().end());
        TagLib::FileRef file(found->url.c_str());
        ASSERT_FALSE(file.isNull());
        EXPECT_EQ(file.tag()->title().to8Bit(true), song.title.substr(song.title.find(" - ") + 3));
        EXPECT_EQ(file.tag()->artist().to8Bit(true), "Singer");
        files.push_back(station.runsIn(found->url));
        ASSERT_FALSE(files.back().empty());
        const auto longest =
            std::max_element(files.back().begin(), files.back().end(),
                             [](const auto& a, const auto& b) { return a.end - a.begin < b.end - b.begin; });
        EXPECT_EQ(longest->tone, (firstSong + i) % 3);
    }
    for (int i = 0; i < 2; ++i) {
        const int song = (firstSong + i) % 3, next = (firstSong + i + 1) % 3;
        // Positive: the next song began before the cut; negative: this one went on after it.
        double offset = 0;
        if (files[i].back().tone == next)
            offset = seconds(files[i].back().end - files[i].back().begin);
        if (files[i + 1].front().tone == song)
            offset = -seconds(files[i + 1].front().end - files[i + 1].front().begin);
        std::printf("split %d lands %+.2f s from the song change\n", i + 1, offset);
        EXPECT_LE(std::abs(offset), 1.0) << "split " << i + 1;
    }
}

TEST(Recordings, AnEncoderThatDiesEndsTheRecordingAndTheSplitsAfterIt) {
    clearRecordings();
    // The real ffmpeg decodes; every encoder takes half a second of audio and dies.
    const auto tools = ZazidEvoz::testkit::makeTemporaryFolder("tools");
    const auto ffmpeg = ZazidEvoz::testkit::writeScript(
        tools / "ffmpeg", "case \"$*\" in *libmp3lame*) head -c 192000 >/dev/null; exit 1 ;; esac\nexec " +
                              ZazidEvoz::testkit::ffmpegPath() + " \"$@\"\n");
    ScopedEnvironment variable("ZINTRARADIO_FFMPEG", ffmpeg.c_str());
    LocalStation station;
    AppSetup setup;
    AppModel model(setup.options());
    ASSERT_TRUE(model.splitRecordingBySong());
    std::vector<std::string> errors;
    QObject::connect(&model, &AppModel::toastChanged, [&] {
        if (model.toast() && model.toast()->style == Toast::Style::error)
            errors.push_back(model.toast()->text);
    });

    model.play(station.station());
    ASSERT_TRUE(pumpUntil([&] { return model.stateName() == "playing" && model.nowPlaying(); }));
    model.startRecording();
    ASSERT_TRUE(model.isRecording());
    ASSERT_TRUE(pumpUntil([&] { return !model.isRecording(); }, 30s));
    EXPECT_FALSE(model.recordingStarted());
    EXPECT_FALSE(model.engine().isRecording());
    ASSERT_TRUE(
        pumpUntil([&] { return std::find(errors.begin(), errors.end(), "ffmpeg exit 1") != errors.end(); }));

    // The next song starts no new file: nothing is recording any more.
    station.setTitle("Singer - Second Song");
    ASSERT_TRUE(pumpUntil([&] { return model.nowPlaying() == "Singer - Second Song"; }, 30s));
    EXPECT_FALSE(model.isRecording());
    EXPECT_FALSE(model.engine().isRecording());
    EXPECT_EQ(model.stateName(), "playing");
    model.stop();
}

TEST(Recordings, AFileThatEndsEndsItsRecording) {
    clearRecordings();
    AppSetup setup;
    AppModel model(setup.options());
    const auto tone = ZazidEvoz::testkit::sineFile("recorded-tone.mp3", 440, 2);
    std::optional<std::filesystem::path> saved;
    QObject::connect(&model, &AppModel::toastChanged, [&] {
        if (model.toast() && model.toast()->style == Toast::Style::success)
            saved = model.toast()->file;
    });
    model.playFile(tone);
    ASSERT_TRUE(pumpUntil([&] { return model.stateName() == "playing"; }));
    model.startRecording();
    ASSERT_TRUE(model.isRecording());
    ASSERT_TRUE(pumpUntil([&] { return saved.has_value(); }, 30s));
    EXPECT_FALSE(model.isRecording());
    EXPECT_FALSE(model.recordingStarted());
}

TEST(Recordings, TagsAndFileNamesFollowTheTitleWhileBuffering) {
    clearRecordings();
    Recorder recorder;
    auto& model = recorder.model;
    model.setSplitRecordingBySong(false);
    recorder.playAndBuffer(band);

    struct Case {
        const char* name;
        std::optional<std::string> title;
        std::string titleTag, artistTag, fileStart;
    };
    const std::string unsafe = "Bad/Title\nwith\rbreaks" + std::string(300, 'x');
    const std::vector<Case> cases = {
        {"no stream title: the station's name in both tags", std::nullopt, "Band FM", "Band FM",
         "Band FM - "},
        {"artist and song split", "Singer - Song", "Song", "Singer", "Band FM (Singer - Song) - "},
        {"a title that does not split", "Just a title", "Just a title", "Band FM",
         "Band FM (Just a title) - "},
        {"separators and line breaks never reach the file name, nor an overlong title", unsafe, "", "Band FM",
         "Band FM (Bad Title with breaksxxx"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.title)
            recorder.post(Events::Metadata{StreamMetadataEvent::title(*c.title)});
        const auto runsBefore = encoderRuns(recorder.tools).size();
        model.startRecording();
        EXPECT_TRUE(model.isRecording());
        EXPECT_EQ(model.recordingStarted(), recorder.setup.scheduler->date());
        const auto file = model.engine().currentRecordingURL();
        ASSERT_TRUE(file);
        EXPECT_EQ(file->parent_path(), recordingsFolder());
        const std::string name = file->filename().string();
        EXPECT_TRUE(name.starts_with(c.fileStart)) << name;
        EXPECT_TRUE(name.ends_with(".mp3")) << name;
        EXPECT_LE(name.size(), 255u);
        EXPECT_TRUE(std::none_of(name.begin(), name.end(),
                                 [](char ch) { return ch == '/' || (ch >= 0 && ch < 0x20); }));
        if (c.titleTag.empty())
            continue; // a title with line breaks cannot be read back from the stand-in's notes
        ASSERT_TRUE(pumpUntil([&] { return encoderRuns(recorder.tools).size() > runsBefore; }));
        const auto arguments = encoderRuns(recorder.tools).back();
        EXPECT_EQ(metadataOf(arguments, "title"), c.titleTag);
        EXPECT_EQ(metadataOf(arguments, "artist"), c.artistTag);
    }

    model.stopRecording();
    EXPECT_FALSE(model.isRecording());
    EXPECT_FALSE(model.recordingStarted());

    // A split whose encoder cannot start (no argument may hold a NUL) ends the running
    // recording and starts none: the flags follow.
    model.startRecording();
    ASSERT_TRUE(model.isRecording());
    model.closeToast();
    recorder.post(Events::Metadata{StreamMetadataEvent::title(std::string("Cut\0here", 8))});
    model.startRecording();
    ASSERT_TRUE(model.toast());
    EXPECT_EQ(model.toast()->style, Toast::Style::error);
    EXPECT_FALSE(model.engine().isRecording());
    EXPECT_FALSE(model.isRecording());
    EXPECT_FALSE(model.recordingStarted());
    const auto left = ZazidEvoz::testkit::folderEntries(recordingsFolder());
    EXPECT_TRUE(std::none_of(left.begin(), left.end(),
                             [](const std::string& name) { return name.starts_with("Band FM (Cut"); }));
}

TEST(Recordings, NothingPlayingIsAWarningAndARefusingEngineAnError) {
    Recorder recorder;
    auto& model = recorder.model;
    const auto expectRefused = [&](Toast::Style style, const std::string& text) {
        model.closeToast();
        model.startRecording();
        EXPECT_FALSE(model.isRecording());
        EXPECT_FALSE(model.recordingStarted());
        ASSERT_TRUE(model.toast());
        EXPECT_EQ(model.toast()->style, style);
        EXPECT_EQ(model.toast()->text, text);
    };
    const std::string nothing = localizedText("toast.nothingToRecord");
    {
        SCOPED_TRACE("nothing current");
        expectRefused(Toast::Style::warning, nothing);
    }
    recorder.playAndBuffer(band);
    for (auto state : {PlaybackState::stopped(), PlaybackState::failed("broken")}) {
        SCOPED_TRACE(model.stateName().toStdString());
        recorder.post(Events::State{state});
        expectRefused(Toast::Style::warning, nothing);
    }
    {
        SCOPED_TRACE("the engine has stopped while the model still shows playing");
        model.engine().stop();
        ASSERT_TRUE(pumpUntil([&] { return model.stateName() == "stopped"; }));
        recorder.post(Events::State{PlaybackState::playing()});
        expectRefused(Toast::Style::error, "Nothing is playing.");
    }
}

TEST(Recordings, TheListHoldsMp3FilesNewestFirst) {
    clearRecordings();
    AppSetup setup;
    AppModel model(setup.options());
    EXPECT_TRUE(model.recordings().empty()); // no folder yet

    const auto folder = recordingsFolder();
    // Apart in time, so that their creation dates differ.
    makeFile(folder / "first.mp3", "12345");
    std::this_thread::sleep_for(50ms);
    makeFile(folder / "Second.MP3", "123");
    makeFile(folder / "not audio.m4a");
    std::filesystem::create_directories(folder / "folder.mp3");
    makeFile(folder / "sub" / "nested.mp3");
    QSignalSpy changes(&model, &AppModel::recordingsChanged);
    model.reloadRecordings();

    ASSERT_EQ(model.recordings().size(), 2u);
    EXPECT_EQ(model.recordings()[0].url, folder / "Second.MP3");
    EXPECT_EQ(model.recordings()[0].bytes, 3);
    EXPECT_EQ(model.recordings()[1].url, folder / "first.mp3");
    EXPECT_EQ(model.recordings()[1].bytes, 5);
    EXPECT_GT(model.recordings()[0].created, model.recordings()[1].created);
    EXPECT_EQ(model.recordingList()->rowCount(), 2);
    EXPECT_EQ(changes.count(), 1);
    model.reloadRecordings();
    EXPECT_EQ(changes.count(), 1); // the same list again announces nothing
}

TEST(Recordings, EqualCreationDatesKeepTheListingOrder) {
    const Date early = ZazidEvoz::platform::dateFromSecondsSince1970(1.0e9);
    const Date late = ZazidEvoz::platform::dateFromSecondsSince1970(1.7e9);
    const Date unknown = ZazidEvoz::platform::dateFromSecondsSince1970(-62135596800.0);
    const std::vector<RecordingFile> listed = {
        {"/r/a.mp3", early, 1}, {"/r/b.mp3", unknown, 0}, {"/r/c.mp3", late, 1},
        {"/r/d.mp3", early, 2}, {"/r/e.mp3", late, 2},
    };
    std::vector<std::string> order;
    for (const auto& file : newestRecordingsFirst(listed))
        order.push_back(file.url.filename().string());
    EXPECT_EQ(order, (std::vector<std::string>{"c.mp3", "e.mp3", "a.mp3", "d.mp3", "b.mp3"}));
}

TEST(Recordings, TrashingMovesTheFileToTheTrashOrLeavesItAndSaysSo) {
    clearRecordings();
    const auto dataHome = ZazidEvoz::testkit::makeTemporaryFolder("data");
    ScopedEnvironment variable("XDG_DATA_HOME", dataHome.c_str());
    AppSetup setup;
    AppModel model(setup.options());
    const auto file = makeFile(recordingsFolder() / "Band FM - 2024-01-01 10.00.00.mp3");
    model.reloadRecordings();
    ASSERT_EQ(model.recordings().size(), 1u);

    // A view names a file that is not a recording: nothing is trashed.
    const auto other = makeFile(dataHome / "elsewhere.mp3");
    model.trashRecording(QString::fromStdString(other.string()));
    EXPECT_TRUE(std::filesystem::exists(other));

    model.trashRecording(QString::fromStdString(file.string()));
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_TRUE(std::filesystem::exists(dataHome / "Trash" / "files" / file.filename()));
    EXPECT_TRUE(
        std::filesystem::exists(dataHome / "Trash" / "info" / (file.filename().string() + ".trashinfo")));
    EXPECT_TRUE(model.recordings().empty());
    EXPECT_FALSE(model.toast());

    // Removed by hand meanwhile: the list follows, without a word.
    makeFile(file);
    model.reloadRecordings();
    std::filesystem::remove(file);
    model.trashRecording(model.recordings().at(0));
    EXPECT_TRUE(model.recordings().empty());
    EXPECT_FALSE(model.toast());

    // No trash can be made: the file stays where it was, and the user is told.
    makeFile(file, "keep me");
    model.reloadRecordings();
    const auto brokenHome = ZazidEvoz::testkit::makeTemporaryFolder("broken");
    makeFile(brokenHome / "Trash", "not a folder");
    ScopedEnvironment brokenVariable("XDG_DATA_HOME", brokenHome.c_str());
    const bool hadFiles = QDir::current().exists("files");
    // The warning is one the user can read: the English table has its text.
    QTranslator english;
    ASSERT_TRUE(english.load(QStringLiteral(":/i18n/zintraradio_en.qm")));
    QCoreApplication::installTranslator(&english);
    model.trashRecording(model.recordings().at(0));
    QCoreApplication::removeTranslator(&english);
    std::ifstream kept(file);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "keep me");
    ASSERT_EQ(model.recordings().size(), 1u);
    ASSERT_TRUE(model.toast());
    EXPECT_EQ(model.toast()->style, Toast::Style::warning);
    EXPECT_EQ(model.toast()->text,
              "Could not move " + file.filename().string() + " to the Trash; it is still there.");
    EXPECT_EQ(model.toast()->file, file);
    EXPECT_EQ(QDir::current().exists("files"), hadFiles);
}

TEST(Recordings, ARecordingPlaysAsAFileNamedWithoutItsExtension) {
    Recorder recorder;
    const auto file = makeFile(recordingsFolder() / "Band FM (Song) - 2024.mp3");
    recorder.model.playFile(QString::fromStdString(ZazidEvoz::platform::fileURLFromPath(file.string())));
    ASSERT_TRUE(recorder.model.current());
    auto expected = makeStation(MediaKind::file, "Band FM (Song) - 2024",
                                ZazidEvoz::platform::fileURLFromPath(file.string()));
    EXPECT_EQ(*recorder.model.current(), expected);
    EXPECT_TRUE(recorder.model.current()->url.starts_with("file:///"));
    EXPECT_TRUE(pumpUntil([&] { return recorder.model.stateName() == "buffering"; }));
}

TEST(Recordings, TheFoldersAreMadeAndHandedToTheFileManager) {
    const auto music = ZazidEvoz::testkit::makeTemporaryFolder("music");
    ScopedEnvironment variable("ZINTRARADIO_MUSIC_DIR", music.c_str());
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("file", &catcher, "open");
    AppSetup setup;
    AppModel model(setup.options());
    model.openRecordingsFolder();
    model.openDownloadsFolder();
    QDesktopServices::unsetUrlHandler("file");
    EXPECT_TRUE(std::filesystem::is_directory(music / "Recordings"));
    EXPECT_TRUE(std::filesystem::is_directory(music / "Downloads"));
    ASSERT_EQ(catcher.opened.size(), 2u);
    EXPECT_EQ(catcher.opened[0],
              QUrl::fromLocalFile(QString::fromStdString((music / "Recordings").string())));
    EXPECT_EQ(catcher.opened[1], QUrl::fromLocalFile(QString::fromStdString((music / "Downloads").string())));
}

#include "RecordingsTest.moc"
