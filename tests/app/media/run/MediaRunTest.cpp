// The media panels in the real main window under a private X display, with the real state
// layer, a scripted yt-dlp, a local site for thumbnails and the clip, and a stand-in file
// manager on the session bus: a search fills the cards, watching opens the video, a download
// runs through its progress to the reveal button, another is cancelled; the recordings panel
// lists the folder, plays a recording and trashes one; keys, media keys and the desktop's MPRIS
// calls drive an open video, and one that cannot be opened says so. Pictures of the panels are
// kept as test artefacts.
#include "YouTubeKit.hpp"
#include "FileManagerStandIn.hpp"
#include "MainWindowKit.hpp"
#include "MediaKit.hpp"
#include "MprisDesktop.hpp"
#include "QmlKit.hpp"
#include "QtTestKit.hpp"
#include "ZazidEvoz/core/MediaFolders.hpp"
#include "ZazidEvoz/platform/FileURL.hpp"
#include "kit/ViewCatalog.hpp"
#include "shell/ShellCommands.hpp"
#include "state/AppRuntime.hpp"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusObjectPath>
#include <QTest>
#include <cmath>
#include <gtest/gtest.h>

using namespace ZintraRadio;
using namespace ZintraRadio::testkit;
using namespace std::chrono_literals;

namespace {

// One window for the process: the sites, the tool, the file manager and the main window.
// Ten minutes of picture and sound: a video that plays on while a test drives it.
fs::path longClip() {
    return ZazidEvoz::testkit::generatedMedia(
        "mediarun-long-clip.mp4", {"-f", "lavfi", "-i", "testsrc=size=160x120:rate=10:duration=600", "-f",
                                   "lavfi", "-i", "sine=frequency=330:duration=600", "-c:v", "libx264",
                                   "-pix_fmt", "yuv420p", "-c:a", "aac", "-shortest"});
}

struct Window : MainWindowRun {
    MediaYtDlp ytdlp;
    PictureSite pictures;
    ClipSite clips;
    ClipSite longClips{longClip()};
    ZazidEvoz::testkit::StreamServer radio;
    fs::path support = ZazidEvoz::testkit::makeTemporaryFolder("mediarun");
    FileManagerStandIn fileManager;
    QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("files"));

    Window() : MainWindowRun("mediarun-artefacts") {
        bus.registerObject(QStringLiteral("/org/freedesktop/FileManager1"), &fileManager,
                           QDBusConnection::ExportAllSlots);
        bus.registerService(QStringLiteral("org.freedesktop.FileManager1"));

        std::vector<std::string> lines;
        const char* titles[] = {"Night Drive",          "Coastal Lights (Official Video)",
                                "Live: Midnight Radio", "Slow Morning #1",
                                "Étude in Blue",        "Rainfall Sessions"};
        const int durations[] = {213, 247, 0, 59, 3600, 1805};
        for (int i = 0; i < 6; ++i)
            lines.push_back(resultLine("vid" + std::to_string(i), titles[i],
                                       pictures.url("/thumb/" + std::to_string(i) + ".jpg"), durations[i],
                                       i % 2 ? "Harbour Tapes" : "Neon Avenue"));
        ytdlp.listing(lines);
        ytdlp.stream(clips.clipURL());
        radio.addStream("/live", toneStation("Local Test FM", 2));
        radio.start();

        AppRuntime::Options options = windowRunOptions(support);
        options.model.directoryMirrors = std::vector<std::string>{deadURL};
        options.model.video.audioOutput = "null";
        // Now Playing and the media keys on the display's session bus, as a desktop sees them.
        options.model.sessionBus = true;
        AppRuntime::configure(std::move(options));
        open();
    }
};
[[maybe_unused]] auto* const environment = ::testing::AddGlobalTestEnvironment(new ReleaseRun<Window>);

class MediaRun : public WindowRunTest<Window> {
protected:
    void SetUp() override {
        start();
        qApp->installEventFilter(&keys);
    }

    QQuickItem* in(QQuickItem* root, const char* name) const {
        return root ? QmlKit::child(root, name) : nullptr;
    }
    QString text(QQuickItem* item) const { return item ? item->property("text").toString() : QString(); }
    // The header line of the module panel on show.
    QQuickItem* detail() const {
        auto* slot = run->find("modulePanel");
        return slot ? QmlKit::child(slot, "panelDetail") : nullptr;
    }
    // Grabs without a tooltip in the picture.
    void rest() {
        QTest::mouseMove(run->window, QPoint(run->window->width() - 3, run->window->height() - 3));
        pumpFor(300ms);
    }

    void moveTo(QQuickItem* item, QPointF at = {-1, -1}) {
        ASSERT_NE(item, nullptr);
        if (at.x() < 0)
            at = QPointF(item->width() / 2, item->height() / 2);
        QTest::mouseMove(run->window, item->mapToScene(at).toPoint());
        pumpFor(80ms);
    }
    void click(QQuickItem* item, QPointF at = {-1, -1}) {
        moveTo(item, at);
        if (at.x() < 0)
            at = QPointF(item->width() / 2, item->height() / 2);
        QTest::mouseClick(run->window, Qt::LeftButton, {}, item->mapToScene(at).toPoint());
        pumpFor(50ms);
    }

    // The local station, heard until it plays.
    Station listenToTheRadio() {
        Station station;
        station.name = "Local Test FM";
        station.url = run->radio.url("/live");
        model->play(station);
        EXPECT_TRUE(pumpUntil([&] { return model->stateName() == QLatin1String("playing"); }, 60s))
            << model->failureText().toStdString();
        return station;
    }
    // The search's cards, and a click on the watch button of the result `id`.
    void watchResult(const std::string& id) {
        show("youtube");
        model->searchYouTube(QStringLiteral("night drive"));
        QQuickItem* card = nullptr;
        ASSERT_TRUE(pumpUntil([&] { return (card = run->find("videoCard_" + watchLink(id))) != nullptr; }, 60s));
        click(in(card, "cardWatch"));
        ASSERT_TRUE(model->videoItem());
    }
    bool videoIs(VideoPlayer::State state, const std::string& id) const {
        return pumpUntil(
            [&] {
                return model->videoItem() && model->videoItem()->url == watchLink(id) && model->videoPlayer() &&
                       model->videoPlayer()->state() == state;
            },
            60s);
    }
    // Keys reach the window as they do in the program: through its key filter, with the
    // window active and no text field holding the keyboard.
    void press(Qt::Key key) {
        run->window->requestActivate();
        ASSERT_TRUE(QTest::qWaitForWindowActive(run->window));
        run->window->contentItem()->forceActiveFocus();
        QTest::keyClick(run->window, key);
    }
    void TearDown() override {
        qApp->removeEventFilter(&keys);
        WindowRunTest::TearDown();
    }

    KeyFilter keys;
};

} // namespace

TEST_F(MediaRun, SearchWatchDownloadAndCancelFromTheYouTubePanel) {
    show("youtube");
    QQuickItem* field = run->find("youtubeSearch");
    ASSERT_NE(field, nullptr);
    EXPECT_NE(run->find("youtubeEmpty"), nullptr);

    // A search typed and sent with Return.
    click(in(field, "fieldInput"));
    for (const QChar c : QStringLiteral("night drive"))
        QTest::keyClick(run->window, c.toLatin1());
    QTest::keyClick(run->window, Qt::Key_Return);
    ASSERT_TRUE(pumpUntil([&] { return run->find("videoCard_" + watchLink("vid0")) != nullptr; }, 60s));
    EXPECT_EQ(text(detail()), QStringLiteral("6 entries"));
    QQuickItem* first = run->find("videoCard_" + watchLink("vid0"));
    QQuickItem* second = run->find("videoCard_" + watchLink("vid1"));
    ASSERT_TRUE(first && second);
    ASSERT_TRUE(pumpUntil([&] { return in(first, "thumbnailPicture")->isVisible(); }, 60s));
    ASSERT_TRUE(pumpUntil([&] { return in(second, "thumbnailPicture")->isVisible(); }, 60s));
    moveTo(second, {200, 20});
    pumpFor(300ms);
    run->grab("01-youtube-results.png", "sidePanel");

    // Watching: the video item is set at once; when the module holds the video stage, the
    // stage comes in place of the visualizer.
    click(in(first, "cardWatch"));
    ASSERT_TRUE(model->videoItem());
    EXPECT_EQ(model->videoItem()->url, watchLink("vid0"));
    EXPECT_TRUE(in(first, "cardSpectrumBorder")->property("active").toBool());
    QQuickItem* videoSlot = run->find("videoSlot");
    ASSERT_NE(videoSlot, nullptr);
    EXPECT_TRUE(pumpUntil([&] { return videoSlot->isVisible() && videoSlot->opacity() > 0.99; }, 60s));
    if (ViewCatalog::create(nullptr, nullptr)->has(QStringLiteral("media/VideoStage.qml"))) {
        auto* slot = qvariant_cast<QObject*>(videoSlot->property("item"));
        ASSERT_NE(slot, nullptr);
        EXPECT_TRUE(
            pumpUntil([&] { return qvariant_cast<QQuickItem*>(slot->property("item")) != nullptr; }, 60s));
        EXPECT_TRUE(
            pumpUntil([&] { return !model->videoLoading() && model->videoPlayer() != nullptr; }, 60s));
    }
    rest();
    pumpFor(1200ms);
    run->grab("02-watching.png");
    model->stopVideo();
    ASSERT_TRUE(pumpUntil([&] { return !videoSlot->isVisible(); }, 60s));
    EXPECT_FALSE(in(first, "cardSpectrumBorder")->property("active").toBool());

    // A download with progress lines: percent, speed and time, then converting, then done with
    // the file's name and the button that shows it in the file manager. The tool holds at 42 %
    // and while converting until the test has seen each: a busy window may paint neither
    // otherwise.
    run->ytdlp.write("progress-vid0", "ZRPROG   4.0%|800.00KiB/s|00:12\n"
                                      "ZRPROG  42.0%|1.20MiB/s|00:05\n"
                                      "WAIT at-42\n"
                                      "ZRPROG  87.5%|1.90MiB/s|00:01\n"
                                      "ZRPROG 100.0%|2.00MiB/s|00:00\n"
                                      "[ExtractAudio] Destination: x.mp3\n");
    run->ytdlp.write("name-vid0", "Night Drive");
    run->ytdlp.write("at-42", "");
    run->ytdlp.write("hold-vid0", "");
    click(in(first, "cardDownload"));
    ASSERT_FALSE(model->downloads().empty());
    auto job = model->downloads().front();
    QQuickItem* row = nullptr;
    const auto statusBecomes = [&](const QString& wanted) {
        return pumpUntil(
            [&] {
                row = run->find("downloadRow0");
                return text(in(row, "downloadStatus")) == wanted;
            },
            60s);
    };
    EXPECT_TRUE(statusBecomes(QStringLiteral("42 % \u00B7 1.20MiB/s \u00B7 00:05")))
        << text(in(row, "downloadStatus")).toStdString();
    run->grab("03-download-running.png", "downloadQueue");
    run->ytdlp.remove("at-42");
    EXPECT_TRUE(statusBecomes(QStringLiteral("Converting…"))) << text(in(row, "downloadStatus")).toStdString();
    run->ytdlp.remove("hold-vid0");
    ASSERT_TRUE(pumpUntil([&] { return job->lyricsEmbedded().has_value(); }, 60s));
    EXPECT_TRUE(statusBecomes(QStringLiteral("Done \u00B7 Night Drive.mp3")))
        << text(in(row, "downloadStatus")).toStdString();
    QQuickItem* reveal = in(row, "downloadReveal");
    ASSERT_TRUE(reveal && reveal->isVisible());
    EXPECT_EQ(in(row, "barFill")->width(), in(row, "barTrack")->width());
    const auto* done = std::get_if<DownloadJob::Done>(&job->phase());
    ASSERT_NE(done, nullptr);
    EXPECT_TRUE(fs::exists(done->file));

    // The reveal button asks the file manager to show the file.
    click(reveal);
    EXPECT_TRUE(pumpUntil([&] { return !run->fileManager.shown.isEmpty(); }, 60s));
    EXPECT_EQ(run->fileManager.shown.value(0),
              QUrl::fromLocalFile(QString::fromStdString(done->file.string())).toString(QUrl::FullyEncoded));

    // A second download is cancelled while it runs.
    run->ytdlp.write("progress-vid1", "ZRPROG  12.0%|600.00KiB/s|00:20\n");
    run->ytdlp.write("hold-vid1", "");
    click(in(second, "cardDownload"));
    auto held = model->downloads().front();
    ASSERT_TRUE(pumpUntil([&] { return held->fraction().has_value(); }, 60s));
    pumpFor(300ms);
    QQuickItem* heldRow = run->find("downloadRow0");
    EXPECT_EQ(text(in(heldRow, "downloadStatus")), QStringLiteral("12 % \u00B7 600.00KiB/s \u00B7 00:20"));
    EXPECT_TRUE(run->find("clearFinished")->isVisible());
    rest();
    run->grab("04-youtube-results-and-queue.png", "sidePanel");
    click(in(heldRow, "downloadCancel"));
    ASSERT_TRUE(pumpUntil([&] { return !held->isActive(); }, 60s));
    pumpFor(100ms);
    EXPECT_EQ(text(in(heldRow, "downloadStatus")), QStringLiteral("Cancelled"));
    run->ytdlp.remove("hold-vid1");
    rest();
    run->grab("05-download-cancelled.png", "downloadQueue");

    click(run->find("clearFinished"));
    EXPECT_TRUE(model->downloads().empty());
    EXPECT_TRUE(pumpUntil([&] { return !run->find("downloadQueue")->isVisible(); }, 60s));
}

TEST_F(MediaRun, TheRecordingsPanelListsPlaysAndTrashes) {
    const fs::path folder = ZazidEvoz::MediaFolders::recordings();
    fs::create_directories(folder);
    const fs::path song = folder / "Radio Nord (Song #1) - 2024-03-01 20.15.00.mp3";
    fs::copy_file(ZazidEvoz::testkit::sineFile("mediarun-recording.mp3", 330, 30), song,
                  fs::copy_options::overwrite_existing);
    const fs::path other = writeRecording(folder, "Harbour FM - 2024-02-28 07.45.10.mp3", 1'840'000);
    writeRecording(folder,
                   "A very long station name that does not fit (An even longer song title) - "
                   "2024-02-27 23.59.59.mp3",
                   5'300'000);

    show("recordings");
    const std::string songRow = "recordingRow_" + song.stem().string();
    ASSERT_TRUE(pumpUntil([&] { return run->find(songRow) != nullptr; }, 5s));
    EXPECT_TRUE(pumpUntil([&] { return text(detail()) == QStringLiteral("3 entries"); }, 2s))
        << text(detail()).toStdString();
    QQuickItem* row = run->find(songRow);
    click(row, {200, 28});
    ASSERT_TRUE(pumpUntil([&] { return model->stateName() == QLatin1String("playing"); }, 20s))
        << model->failureText().toStdString();
    EXPECT_EQ(model->current()->url, ZazidEvoz::platform::fileURLFromPath(song.string()));
    EXPECT_TRUE(in(row, "recordingSpectrumBorder")->property("active").toBool());
    QQuickItem* otherRow = run->find("recordingRow_" + other.stem().string());
    moveTo(otherRow, {200, 28});
    pumpFor(600ms);
    run->grab("06-recordings-playing.png", "sidePanel");

    // The row's reveal button shows the file in the file manager; its trash button acts at once.
    run->fileManager.shown.clear();
    click(in(otherRow, "recordingReveal"));
    EXPECT_TRUE(pumpUntil([&] { return !run->fileManager.shown.isEmpty(); }, 5s));
    EXPECT_EQ(run->fileManager.shown.value(0),
              QUrl::fromLocalFile(QString::fromStdString(other.string())).toString(QUrl::FullyEncoded));
    moveTo(otherRow, {200, 28});
    click(in(otherRow, "recordingTrash"));
    EXPECT_FALSE(fs::exists(other));
    const fs::path trash = fs::path(std::getenv("XDG_DATA_HOME")) / "Trash";
    EXPECT_TRUE(fs::exists(trash / "files" / other.filename()));
    EXPECT_TRUE(fs::exists(trash / "info" / (other.filename().string() + ".trashinfo")));
    EXPECT_TRUE(pumpUntil([&] { return run->find("recordingRow_" + other.stem().string()) == nullptr; }, 5s));
    EXPECT_TRUE(pumpUntil([&] { return text(detail()) == QStringLiteral("2 entries"); }, 2s))
        << text(detail()).toStdString();

    // While a recording runs the recorder card is red.
    click(run->find("recordButton"));
    ASSERT_TRUE(model->isRecording());
    rest();
    pumpFor(900ms);
    EXPECT_EQ(text(run->find("recorderStatus")), QStringLiteral("Recording"));
    run->grab("07-recordings-recording.png", "sidePanel");
    click(run->find("recordButton"));
    EXPECT_FALSE(model->isRecording());
    model->stop();
    ASSERT_TRUE(pumpUntil([&] { return model->stateName() == QLatin1String("stopped"); }, 10s));
}


// While a video is open the transport is the video's: Space, the keyboard's play key and the
// desktop's calls pause and resume it, the desktop sees it as what plays (and may move it), the
// deck's clock runs with it, next and previous step through the results as videos, and the
// station heard before never starts under it.
TEST_F(MediaRun, KeysMediaKeysAndTheDesktopDriveTheOpenVideo) {
    MprisDesktop desktop;
    const Station station = listenToTheRadio();
    run->ytdlp.stream(run->longClips.clipURL());
    watchResult("vid1");
    ASSERT_TRUE(videoIs(VideoPlayer::State::playing, "vid1"));
    ASSERT_TRUE(pumpUntil([&] { return model->videoPlayer()->timePosition().value_or(0) > 1; }, 60s));
    EXPECT_EQ(model->stateName(), QLatin1String("stopped"));

    press(Qt::Key_Space);
    ASSERT_TRUE(videoIs(VideoPlayer::State::paused, "vid1"));
    EXPECT_EQ(model->stateName(), QLatin1String("stopped")) << "the station came back under the video";
    EXPECT_TRUE(pumpUntil([&] { return desktop.status() == QLatin1String("Paused"); }, 10s))
        << desktop.status().toStdString();
    const QVariantMap metadata = desktop.metadata();
    EXPECT_EQ(metadata.value("xesam:title").toString(), QStringLiteral("Coastal Lights (Official Video)"));
    EXPECT_EQ(metadata.value("xesam:artist").toStringList(), QStringList{QStringLiteral("Harbour Tapes")});
    EXPECT_EQ(metadata.value("mpris:trackid").value<QDBusObjectPath>().path(), Mpris::trackId(watchLink("vid1")));
    EXPECT_EQ(metadata.value("mpris:length").toLongLong(), std::llround(*model->videoPlayer()->duration()) * 1000000);
    EXPECT_EQ(desktop.playerProperty("CanSeek"), QVariant(true));
    EXPECT_GE(desktop.playerProperty("Position").toLongLong(), 1000000);
    // The deck's clock shows the time of the video.
    QQuickItem* clock = run->find("clockElapsed");
    ASSERT_NE(clock, nullptr);
    EXPECT_TRUE(pumpUntil([&] { return clock->isVisible() && text(clock) != QLatin1String("0:00"); }, 10s))
        << text(clock).toStdString();
    rest();
    run->grab("08-video-paused-by-space.png");

    // The keyboard's play key, then the desktop's calls.
    press(Qt::Key_MediaPlay);
    ASSERT_TRUE(videoIs(VideoPlayer::State::playing, "vid1"));
    EXPECT_TRUE(pumpUntil([&] { return desktop.status() == QLatin1String("Playing"); }, 10s));
    const struct {
        const char* method;
        VideoPlayer::State then;
    } calls[] = {{"PlayPause", VideoPlayer::State::paused},
                 {"Play", VideoPlayer::State::playing},
                 {"Pause", VideoPlayer::State::paused},
                 {"PlayPause", VideoPlayer::State::playing}};
    for (const auto& call : calls) {
        SCOPED_TRACE(call.method);
        desktop.press(call.method);
        EXPECT_TRUE(videoIs(call.then, "vid1"));
    }
    desktop.press("SetPosition", {QVariant::fromValue(QDBusObjectPath(Mpris::trackId(watchLink("vid1")))),
                                  QVariant::fromValue(qlonglong(300'000'000))});
    EXPECT_TRUE(pumpUntil([&] { return model->videoPlayer()->timePosition().value_or(0) > 200; }, 60s));

    // Next and previous: the neighbouring results, watched.
    desktop.press("Next");
    EXPECT_TRUE(videoIs(VideoPlayer::State::playing, "vid2"));
    desktop.press("Previous");
    EXPECT_TRUE(videoIs(VideoPlayer::State::playing, "vid1"));
    EXPECT_EQ(model->stateName(), QLatin1String("stopped"));
    EXPECT_EQ(model->current(), station);

    // The desktop's stop closes the video and leaves the engine alone: nothing plays then.
    desktop.press("Stop");
    EXPECT_TRUE(pumpUntil([&] { return !model->videoItem(); }, 10s));
    EXPECT_TRUE(pumpUntil([&] { return desktop.status() == QLatin1String("Stopped"); }, 10s));
    EXPECT_TRUE(desktop.metadata().isEmpty());
    EXPECT_EQ(model->stateName(), QLatin1String("stopped"));
}

// A video whose stream cannot be opened: the toast says so with the player's reason, the stage
// goes, and the deck's controls are the radio's again.
TEST_F(MediaRun, AVideoThatCannotBeOpenedSaysWhyAndHandsBackTheControls) {
    const Station station = listenToTheRadio();
    std::vector<Toast> toasts;
    const auto noted = QObject::connect(model, &AppModel::toastChanged, [&] {
        if (model->toast())
            toasts.push_back(*model->toast());
    });
    run->ytdlp.stream(deadURL + "/manifest.m3u8");
    watchResult("vid0");
    QQuickItem* videoSlot = run->find("videoSlot");
    ASSERT_NE(videoSlot, nullptr);
    EXPECT_TRUE(pumpUntil([&] { return !model->videoItem(); }, 60s));
    QObject::disconnect(noted);
    ASSERT_EQ(toasts.size(), 1u);
    EXPECT_EQ(toasts[0].style, Toast::Style::error);
    EXPECT_TRUE(toasts[0].text.starts_with("The video could not be played: ")) << toasts[0].text;
    EXPECT_NE(toasts[0].text.find("Connection refused"), std::string::npos) << toasts[0].text;
    EXPECT_TRUE(pumpUntil([&] { return !videoSlot->isVisible(); }, 60s));
    EXPECT_EQ(text(run->find("deckTitle")), QStringLiteral("Local Test FM"));
    rest();
    run->grab("09-video-failed.png");

    // The deck's play button plays the station again.
    click(run->find("deckPlayPause"));
    EXPECT_TRUE(pumpUntil([&] { return model->stateName() == QLatin1String("playing"); }, 60s))
        << model->failureText().toStdString();
    EXPECT_EQ(model->current(), station);
    model->stop();
}
