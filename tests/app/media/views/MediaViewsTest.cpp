// The YouTube and recordings panels loaded offscreen over the process's real application model,
// with a scripted yt-dlp, a local picture site for the thumbnails and real files in the
// recordings folder: what the panels show for the model's state, what their controls and menus
// do to it, how thumbnails are fetched, and how download rows follow their jobs.
#include "MediaKit.hpp"
#include "PanelViewKit.hpp"
#include "QmlKit.hpp"
#include "QtTestKit.hpp"
#include "ZazidEvoz/core/MediaFolders.hpp"
#include "ZazidEvoz/platform/FileURL.hpp"
#include "kit/ArtworkStore.hpp"
#include "state/AppRuntime.hpp"
#include "state/QtValues.hpp"
#include "state/Scheduler.hpp"
#include "system/Clipboard.hpp"

#include <QQuickWindow>
#include <QTest>
#include <cmath>
#include <gtest/gtest.h>

using namespace ZintraRadio;
using namespace ZintraRadio::testkit;
using namespace std::chrono_literals;
using ZazidEvoz::MediaKind;
using ZazidEvoz::Station;

namespace {

// The scripted run's hook, set before anything reads the environment's snapshot.
const bool hooksSet = [] {
    ::setenv("ZINTRARADIO_YOUTUBE", " from the hook ", 1);
    return true;
}();

struct Process {
    MediaYtDlp ytdlp;
    PictureSite pictures;
    AppSetup setup;

    Process() {
        AppRuntime::Options options = viewTestOptions(setup);
        options.model.music.coverBaseURL = deadURL;
        options.model.video.videoOutput = "null";
        options.model.video.audioOutput = "null";
        AppRuntime::configure(std::move(options));
    }
};

Station result(const std::string& id, const std::string& name, std::int64_t duration,
               const std::string& thumbnail = "") {
    Station station;
    station.kind = MediaKind::youtube;
    station.name = name;
    station.url = watchLink(id);
    station.uploader = "Uploader of " + id;
    station.duration = duration;
    station.thumbnailURL = thumbnail;
    return station;
}

class MediaViews : public PanelViewTest<Process> {
protected:
    void SetUp() override {
        model.stopVideo();
        model.stop();
        model.setYoutubeResults({});
        finishDownloads();
        model.setSaveLyricsWithDownloads(true);
    }
    void TearDown() override {
        finishDownloads();
        PanelViewTest::TearDown();
    }

    // Every job ends (held ones are cancelled) and the list is emptied.
    void finishDownloads() {
        for (const auto& job : model.downloads())
            job->cancel();
        EXPECT_TRUE(pumpUntil([&] {
            return std::none_of(model.downloads().begin(), model.downloads().end(),
                                [](const auto& job) { return job->isActive(); });
        }));
        pumpFor(50ms); // the lyrics steps of finished jobs
        model.removeFinishedDownloads();
    }

    static QString text(QQuickItem* root, const std::string& name) {
        QQuickItem* item = find(root, name);
        return item ? item->property("text").toString() : QStringLiteral("<no %1>").arg(qtText(name));
    }
    static bool shows(QQuickItem* root, const std::string& name) {
        QQuickItem* item = find(root, name);
        return item != nullptr && item->isVisible();
    }
    bool eventually(const std::function<bool()>& done, std::chrono::milliseconds timeout = 10s) {
        return pumpUntil(done, timeout);
    }

    void click(QQuickItem* item, Qt::MouseButton button = Qt::LeftButton) {
        ASSERT_NE(item, nullptr);
        const QPointF centre = item->mapToScene(QPointF(item->width() / 2, item->height() / 2));
        // The pointer goes there first, as a real one does.
        QTest::mouseMove(&kit.window, centre.toPoint());
        pumpFor(20ms);
        QTest::mouseClick(&kit.window, button, {}, centre.toPoint());
        pumpFor(30ms);
    }
    void hover(QQuickItem* item, QPointF at = {-1, -1}) {
        ASSERT_NE(item, nullptr);
        if (at.x() < 0)
            at = QPointF(item->width() / 2, item->height() / 2);
        QTest::mouseMove(&kit.window, item->mapToScene(at).toPoint());
        pumpFor(60ms);
    }
    void unhover() {
        QTest::mouseMove(&kit.window, QPoint(2, 2));
        pumpFor(60ms);
    }

    // The texts of a menu's visible entries, read with the menu open.
    QStringList entries(QObject* menu) {
        QStringList shown;
        const int count = menu->property("count").toInt();
        for (int i = 0; i < count; ++i) {
            QQuickItem* entry = nullptr;
            QMetaObject::invokeMethod(menu, "itemAt", Q_RETURN_ARG(QQuickItem*, entry), Q_ARG(int, i));
            if (entry && entry->isVisible() && !entry->property("text").toString().isEmpty())
                shown.append(entry->property("text").toString());
        }
        return shown;
    }
    // Chooses the entry named `name` of an open menu.
    static void choose(QObject* menu, const char* name) {
        QObject* entry = menu->findChild<QObject*>(QString::fromLatin1(name));
        if (entry == nullptr) {
            const int count = menu->property("count").toInt();
            for (int i = 0; i < count && entry == nullptr; ++i) {
                QQuickItem* item = nullptr;
                QMetaObject::invokeMethod(menu, "itemAt", Q_RETURN_ARG(QQuickItem*, item), Q_ARG(int, i));
                if (item && item->objectName() == QLatin1String(name))
                    entry = item;
            }
        }
        ASSERT_NE(entry, nullptr) << name;
        QMetaObject::invokeMethod(entry, "triggered");
        QMetaObject::invokeMethod(menu, "close");
        pumpFor(30ms);
    }

    std::shared_ptr<DownloadJob> newestJob() const {
        return model.downloads().empty() ? nullptr : model.downloads().front();
    }
};

} // namespace

TEST_F(MediaViews, TheYouTubePanelShowsEachStateOfASearch) {
    // Without thumbnails: the results are cleared below while on show, and the software scene
    // graph of this Qt keeps the texture of a picture that goes while shown until the end.
    process.ytdlp.listing({resultLine("aaa", "First Song", ""),
                           resultLine("bbb", "<b>Bold</b> &amp; more", ""), resultLine("ccc", "Third", "")});
    QQuickItem* panel = load("YouTubePanel");
    ASSERT_NE(panel, nullptr);
    QQuickItem* field = find(panel, "youtubeSearch");
    // The hook fills the field as written, without searching.
    EXPECT_EQ(field->property("text").toString(), QStringLiteral(" from the hook "));
    EXPECT_TRUE(shows(panel, "youtubeEmpty"));
    EXPECT_FALSE(shows(panel, "panelDetail"));
    EXPECT_FALSE(shows(panel, "downloadQueue"));

    // Only white space: nothing runs.
    const auto runsBefore = process.ytdlp.runs().size();
    field->setProperty("text", QStringLiteral("  \t  "));
    pressReturn(field);
    EXPECT_EQ(process.ytdlp.runs().size(), runsBefore);

    // A word with blanks around it: the word is searched, the field keeps what was typed; the
    // loading wave replaces everything while the search runs.
    process.ytdlp.write("hold-listing", "");
    field->setProperty("text", QStringLiteral("  lofi beats "));
    pressReturn(field);
    EXPECT_TRUE(model.youtubeLoading());
    EXPECT_TRUE(shows(panel, "youtubeLoading"));
    EXPECT_FALSE(shows(panel, "youtubeEmpty"));
    EXPECT_EQ(field->property("text").toString(), QStringLiteral("  lofi beats "));
    process.ytdlp.remove("hold-listing");
    ASSERT_TRUE(eventually([&] { return !model.youtubeLoading(); }));
    pumpFor(30ms);
    ASSERT_FALSE(process.ytdlp.runs().empty());
    EXPECT_NE(process.ytdlp.runs().back().find("ytsearch30:lofi beats"), std::string::npos)
        << process.ytdlp.runs().back();
    EXPECT_TRUE(shows(panel, "youtubeResults"));
    EXPECT_FALSE(shows(panel, "youtubeLoading"));
    EXPECT_EQ(text(panel, "panelDetail"), QStringLiteral("3 entries"));
    QQuickItem* bold = find(panel, "videoCard_" + watchLink("bbb"));
    ASSERT_NE(bold, nullptr);
    EXPECT_EQ(text(bold, "cardTitle"), QStringLiteral("<b>Bold</b> &amp; more"));
    EXPECT_EQ(find(bold, "cardTitle")->property("textFormat").toInt(), Qt::PlainText);

    // A failed search next to earlier results shows the results; alone, the error and its text.
    process.ytdlp.write("fail-listing", "");
    model.searchYouTube(QStringLiteral("broken"));
    ASSERT_TRUE(eventually([&] { return !model.youtubeLoading(); }));
    pumpFor(30ms);
    ASSERT_TRUE(model.youtubeError());
    if (!model.youtubeResults().empty()) {
        EXPECT_TRUE(shows(panel, "youtubeResults"));
        EXPECT_FALSE(shows(panel, "youtubeError"));
    }
    model.setYoutubeResults({});
    pumpFor(30ms);
    EXPECT_TRUE(shows(panel, "youtubeError"));
    EXPECT_EQ(text(panel, "youtubeErrorText"), qtText(*model.youtubeError()));
    EXPECT_EQ(find(panel, "youtubeErrorText")->property("textFormat").toInt(), Qt::PlainText);
    EXPECT_FALSE(shows(panel, "panelDetail"));
    process.ytdlp.remove("fail-listing");

    // The lyrics button shows the setting and flips it.
    QQuickItem* lyrics = find(panel, "youtubeWithLyrics");
    EXPECT_TRUE(lyrics->property("active").toBool());
    click(lyrics);
    EXPECT_FALSE(model.saveLyricsWithDownloads());
    EXPECT_FALSE(lyrics->property("active").toBool());
    click(lyrics);
    EXPECT_TRUE(model.saveLyricsWithDownloads());

    // A text handed over by another view shows in the field and is taken; none clears nothing.
    ui.setPendingYouTubeQuery(std::string("handed over"));
    pumpFor(20ms);
    EXPECT_EQ(field->property("text").toString(), QStringLiteral("handed over"));
    EXPECT_FALSE(ui.pendingYouTubeQuery());
    ui.setPendingYouTubeQuery(std::nullopt);
    EXPECT_EQ(field->property("text").toString(), QStringLiteral("handed over"));

    // The focus command reaches the field only while the module is on show.
    QQuickItem* input = find(field, "fieldInput");
    ui.show(QStringLiteral("stations"));
    panel->forceActiveFocus();
    ui.focusSearch();
    pumpFor(20ms);
    EXPECT_FALSE(input->hasActiveFocus());
    ui.show(QStringLiteral("youtube"));
    panel->forceActiveFocus();
    ui.focusSearch();
    pumpFor(20ms);
    EXPECT_TRUE(input->hasActiveFocus());
}

TEST_F(MediaViews, APendingQueryIsTakenWhenThePanelFirstShows) {
    ui.setPendingYouTubeQuery(std::string("queued before"));
    QQuickItem* panel = load("YouTubePanel");
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(text(panel, "youtubeSearch"), QStringLiteral("queued before"));
    EXPECT_FALSE(ui.pendingYouTubeQuery());
}

TEST_F(MediaViews, ResultCardsLightUpAndActOnTheModel) {
    const Station song =
        result("aaa", "A song whose title is long enough to need two lines and more than that", 59,
               process.pictures.url("/thumb/a.jpg"));
    Station live = result("bbb", "Live Now", 0);
    Station clip = result("ccc", "Long Mix", 3600, "file:///etc/hostname");
    clip.kind = MediaKind::instagram;
    clip.url = "https://www.instagram.com/reel/ccc/";
    model.setYoutubeResults({song, live, clip});
    QQuickItem* panel = load("YouTubePanel");
    ASSERT_NE(panel, nullptr);
    QQuickItem* songCard = find(panel, "videoCard_" + song.url);
    QQuickItem* liveCard = find(panel, "videoCard_" + live.url);
    QQuickItem* clipCard = find(panel, "videoCard_" + clip.url);
    ASSERT_TRUE(songCard && liveCard && clipCard);

    // Badges, symbols and pictures: only a web thumbnail is fetched.
    EXPECT_EQ(text(songCard, "durationText"), QStringLiteral("0:59"));
    EXPECT_EQ(text(liveCard, "durationText"), QStringLiteral("Live"));
    EXPECT_EQ(text(clipCard, "durationText"), QStringLiteral("1:00:00"));
    EXPECT_EQ(find(clipCard, "cardThumbnail")->property("kind").toString(), QStringLiteral("instagram"));
    EXPECT_TRUE(eventually([&] { return find(songCard, "thumbnailPicture")->isVisible(); }));
    EXPECT_TRUE(find(liveCard, "thumbnailPicture")->property("source").toString().isEmpty());
    EXPECT_TRUE(find(clipCard, "thumbnailPicture")->property("source").toString().isEmpty());

    // Watching lights the card up while no audio plays; closing the video puts it out.
    auto lit = [&](QQuickItem* card) {
        return find(card, "cardSpectrumBorder")->property("active").toBool();
    };
    EXPECT_FALSE(lit(songCard));
    process.ytdlp.stream("http://127.0.0.1:9/none.mp4");
    click(find(songCard, "cardWatch"));
    ASSERT_TRUE(model.videoItem());
    EXPECT_EQ(model.videoItem()->url, song.url);
    EXPECT_TRUE(lit(songCard));
    EXPECT_TRUE(shows(songCard, "cardTitleCurrent"));
    EXPECT_FALSE(shows(songCard, "cardTitle"));
    // The lit title wraps like the plain one: two lines, the rest cut.
    QQuickItem* plainTitle = find(songCard, "cardTitle");
    QQuickItem* litTitle = find(songCard, "cardTitleCurrent");
    EXPECT_EQ(plainTitle->property("lineCount").toInt(), 2);
    EXPECT_NEAR(litTitle->height(), plainTitle->implicitHeight(), 3);
    EXPECT_FALSE(lit(liveCard));
    model.stopVideo();
    pumpFor(30ms);
    EXPECT_FALSE(lit(songCard));

    // Listening makes the item current.
    click(find(liveCard, "cardListen"));
    ASSERT_TRUE(model.current());
    EXPECT_EQ(model.current()->url, live.url);
    model.stop();

    // The star: hidden until hovered, then a favourite for good.
    unhover();
    EXPECT_FALSE(shows(liveCard, "cardFavorite"));
    hover(liveCard);
    ASSERT_TRUE(shows(liveCard, "cardFavorite"));
    EXPECT_EQ(find(liveCard, "cardFavorite")->property("symbol").toString(), QStringLiteral("star"));
    click(find(liveCard, "cardFavorite"));
    EXPECT_TRUE(model.favoriteURLsValue().contains(qtText(live.url)));
    unhover();
    EXPECT_TRUE(shows(liveCard, "cardFavorite"));
    EXPECT_EQ(find(liveCard, "cardFavorite")->property("symbol").toString(), QStringLiteral("star.fill"));
    hover(liveCard);
    click(find(liveCard, "cardFavorite"));
    EXPECT_FALSE(model.favoriteURLsValue().contains(qtText(live.url)));

    // Downloads follow the saved lyrics setting; the quality menu picks the quality and
    // switches that setting for later downloads.
    process.ytdlp.write("hold-aaa", "");
    model.setSaveLyricsWithDownloads(false);
    click(find(songCard, "cardDownload"));
    ASSERT_TRUE(newestJob());
    EXPECT_EQ(newestJob()->kindName(), QStringLiteral("mp3"));
    EXPECT_FALSE(newestJob()->withLyrics());
    QObject* menus = panel->findChild<QObject*>(QStringLiteral("resultMenus"));
    ASSERT_NE(menus, nullptr);
    QObject* qualityMenu = menus->findChild<QObject*>(QStringLiteral("qualityMenu"));
    click(find(songCard, "cardQuality"));
    EXPECT_TRUE(qualityMenu->property("opened").toBool() || qualityMenu->property("visible").toBool());
    EXPECT_EQ(entries(qualityMenu),
              (QStringList{"Best quality", "1080p", "720p", "480p", "360p", "Save lyrics with downloads"}));
    choose(qualityMenu, "qualityWithLyrics");
    EXPECT_TRUE(model.saveLyricsWithDownloads());
    click(find(songCard, "cardQuality"));
    choose(qualityMenu, "quality_p720");
    ASSERT_EQ(model.downloads().size(), 2u);
    EXPECT_EQ(newestJob()->kindName(), QStringLiteral("video"));
    EXPECT_EQ(newestJob()->qualityText(), QStringLiteral("p720"));
    EXPECT_TRUE(newestJob()->withLyrics());

    // The queue menu and the context menu.
    QObject* queueMenu = menus->findChild<QObject*>(QStringLiteral("queueMenu"));
    click(find(clipCard, "cardQueue"));
    EXPECT_EQ(entries(queueMenu), (QStringList{"Play Next", "Play Later", "Add to Playlist"}));
    model.music()->clearQueue();
    choose(queueMenu, "queueLater");
    ASSERT_EQ(model.music()->queue().size(), 1u);
    EXPECT_EQ(model.music()->queue()[0].url, clip.url);
    model.music()->clearQueue();

    QObject* cardMenu = menus->findChild<QObject*>(QStringLiteral("cardMenu"));
    click(clipCard, Qt::RightButton);
    EXPECT_EQ(entries(cardMenu), (QStringList{"Listen", "Watch", "Download as MP3", "Play Next", "Play Later",
                                              "Add to Playlist", "Copy Link"}));
    choose(cardMenu, "menuCopyLink");
    EXPECT_EQ(Clipboard::text(), qtText(clip.url));
    ASSERT_TRUE(model.toast());
    EXPECT_EQ(model.toast()->text, "Copied");
}

TEST_F(MediaViews, ThumbnailsAreFetchedOnlyForCardsInViewAndStopWhenTheCardsGo) {
    // The cards a list view has built (delegates hang from its content item).
    auto childrenNamed = [](QQuickItem* root, const char* prefix) {
        QList<QQuickItem*> found;
        QList<QQuickItem*> queue{root};
        while (!queue.isEmpty()) {
            QQuickItem* next = queue.takeFirst();
            if (next->objectName().startsWith(QLatin1String(prefix)))
                found.append(next);
            queue.append(next->childItems());
        }
        return found;
    };
    std::vector<Station> many;
    for (int i = 0; i < 200; ++i)
        many.push_back(result("v" + std::to_string(i), "Result " + std::to_string(i), 100 + i,
                              process.pictures.url("/slow/" + std::to_string(i) + ".jpg")));
    const int before = process.pictures.requests();
    const auto store = ArtworkStore::shared().counters();
    model.setYoutubeResults(many);
    QQuickItem* panel = load("YouTubePanel");
    ASSERT_NE(panel, nullptr);
    ASSERT_TRUE(eventually([&] { return process.pictures.running() >= 4; }, 10s));
    pumpFor(500ms);
    // A few cards are built, at most four pictures travel at once, and the rest wait.
    EXPECT_EQ(process.pictures.requests() - before, 4);
    EXPECT_EQ(process.pictures.running(), 4);
    const int built = static_cast<int>(childrenNamed(panel, "videoCard_").size());
    EXPECT_GE(built, 5);
    EXPECT_LE(built, 20);
    EXPECT_LE(ArtworkStore::shared().counters().mostAtOnce, 4);
    EXPECT_LT(ArtworkStore::shared().counters().transfers - store.transfers, 20);

    // The cards go: every transfer is stopped and nothing more is asked for (a queued picture
    // may start in the moment its card's cancel is on its way, and is stopped as well).
    model.setYoutubeResults({});
    EXPECT_TRUE(eventually([&] { return process.pictures.running() == 0; }, 10s));
    EXPECT_GE(process.pictures.dropped(), 4);
    const int asked = process.pictures.requests() - before;
    EXPECT_LE(asked, built);
    pumpFor(500ms);
    EXPECT_EQ(process.pictures.requests() - before, asked);
    EXPECT_EQ(process.pictures.running(), 0);
}

TEST_F(MediaViews, DownloadRowsFollowTheirJobs) {
    const Station first = result("k1", "First download", 200);
    process.ytdlp.write("wait-k1", "");
    process.ytdlp.write("progress-k1", "ZRPROG  42.0%|1.20MiB/s|00:05\n");
    process.ytdlp.write("hold-k1", "");
    model.setYoutubeResults({first});
    QQuickItem* panel = load("YouTubePanel");
    ASSERT_NE(panel, nullptr);
    EXPECT_FALSE(shows(panel, "downloadQueue"));

    model.downloadMP3(first);
    // The queue and its row come with the list's next layout.
    ASSERT_TRUE(eventually([&] { return shows(panel, "downloadQueue") && find(panel, "downloadRow0"); }));
    QQuickItem* row = find(panel, "downloadRow0");
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(text(row, "downloadTitle"), QStringLiteral("First download"));
    EXPECT_EQ(find(panel, "downloadList")->height(), 58);
    EXPECT_FALSE(shows(panel, "clearFinished"));
    // Nothing known yet: the sweep runs.
    EXPECT_EQ(text(row, "downloadStatus"), QStringLiteral("Starting…"));
    EXPECT_TRUE(row->findChild<QObject*>(QStringLiteral("sweepAnimation"))->property("running").toBool());
    EXPECT_FALSE(shows(row, "barFill"));
    process.ytdlp.remove("wait-k1");
    ASSERT_TRUE(eventually([&] { return text(row, "downloadStatus").startsWith(QStringLiteral("42 %")); }));
    EXPECT_EQ(text(row, "downloadStatus"), QStringLiteral("42 % \u00B7 1.20MiB/s \u00B7 00:05"));
    EXPECT_FALSE(row->findChild<QObject*>(QStringLiteral("sweepAnimation"))->property("running").toBool());
    QQuickItem* track = find(row, "barTrack");
    QQuickItem* fill = find(row, "barFill");
    EXPECT_TRUE(eventually([&] { return std::abs(fill->width() - 0.42 * track->width()) < 0.5; }, 2s));
    EXPECT_TRUE(shows(row, "downloadCancel"));
    EXPECT_TRUE(shows(row, "lyricsBadge"));

    // A fraction that is no number, or out of range, counts as unknown.
    auto job = newestJob();
    job->setFraction(std::nan(""));
    pumpFor(30ms);
    EXPECT_EQ(text(row, "downloadStatus"), QStringLiteral("1.20MiB/s \u00B7 00:05"));
    EXPECT_TRUE(row->findChild<QObject*>(QStringLiteral("sweepAnimation"))->property("running").toBool());
    job->setFraction(7.5);
    pumpFor(30ms);
    EXPECT_EQ(text(row, "downloadStatus"), QStringLiteral("1.20MiB/s \u00B7 00:05"));
    job->setFraction(0.5);

    // A second job runs to its end: done, with the file's name and the reveal button; the
    // lyrics step found none. The finished job brings the clear button.
    const Station second = result("k2", "Second", 100);
    process.ytdlp.write("name-k2", "Song #2");
    model.downloadMP3(second);
    auto done = newestJob();
    ASSERT_TRUE(eventually([&] { return done->lyricsEmbedded().has_value(); }, 30s));
    pumpFor(50ms);
    QQuickItem* doneRow = find(panel, "downloadRow0");
    EXPECT_EQ(text(doneRow, "downloadStatus"), QStringLiteral("Done \u00B7 Song #2.mp3"));
    EXPECT_TRUE(shows(doneRow, "downloadReveal"));
    EXPECT_FALSE(shows(doneRow, "downloadCancel"));
    EXPECT_TRUE(shows(panel, "clearFinished"));
    EXPECT_EQ(find(panel, "downloadList")->height(), 116);
    // A done job whose fraction went past the end still fits its track.
    done->setFraction(1.5);
    pumpFor(400ms);
    EXPECT_LE(find(doneRow, "barFill")->width(), find(doneRow, "barTrack")->width());

    // More jobs: 174 points for three, 180 from four on; a failed one says why.
    process.ytdlp.write("hold-k3", "");
    model.downloadMP3(result("k3", "Third", 100));
    pumpFor(30ms);
    EXPECT_EQ(find(panel, "downloadList")->height(), 174);
    process.ytdlp.write("fail-k4", "");
    model.downloadMP3(result("k4", "Fourth", 100));
    pumpFor(30ms);
    EXPECT_EQ(find(panel, "downloadList")->height(), 180);
    auto failed = newestJob();
    ASSERT_TRUE(eventually([&] { return !failed->isActive(); }));
    pumpFor(30ms);
    QQuickItem* failedRow = find(panel, "downloadRow0");
    EXPECT_TRUE(text(failedRow, "downloadStatus").contains(QStringLiteral("staged download of k4")))
        << text(failedRow, "downloadStatus").toStdString();
    EXPECT_FALSE(shows(failedRow, "downloadCancel"));
    EXPECT_FALSE(shows(failedRow, "downloadReveal"));

    // Cancelling the first job (the bottom row) ends it as cancelled.
    QQuickItem* list = find(panel, "downloadList");
    QMetaObject::invokeMethod(list, "positionViewAtEnd");
    pumpFor(50ms);
    QQuickItem* firstRow = find(panel, "downloadRow3");
    ASSERT_NE(firstRow, nullptr);
    click(find(firstRow, "downloadCancel"));
    ASSERT_TRUE(eventually([&] { return !job->isActive(); }));
    pumpFor(30ms);
    EXPECT_EQ(text(firstRow, "downloadStatus"), QStringLiteral("Cancelled"));
    EXPECT_FALSE(shows(firstRow, "downloadCancel"));

    // Clearing keeps the running job only; when it ends and is cleared the queue goes.
    click(find(panel, "clearFinished"));
    ASSERT_EQ(model.downloads().size(), 1u);
    EXPECT_EQ(newestJob()->item().name, "Third");
    EXPECT_FALSE(shows(panel, "clearFinished"));
    process.ytdlp.remove("hold-k3");
    ASSERT_TRUE(eventually([&] { return !newestJob()->isActive(); }));
    pumpFor(100ms);
    EXPECT_TRUE(shows(panel, "clearFinished"));
    click(find(panel, "clearFinished"));
    EXPECT_TRUE(model.downloads().empty());
    EXPECT_FALSE(shows(panel, "downloadQueue"));
}

TEST_F(MediaViews, TheRecordingsPanelListsPlaysPausesAndTrashes) {
    const auto folder = ZazidEvoz::MediaFolders::recordings();
    std::filesystem::remove_all(folder);
    QQuickItem* empty = load("RecordingsPanel");
    ASSERT_NE(empty, nullptr);
    EXPECT_TRUE(shows(empty, "recordingsEmpty"));
    EXPECT_EQ(text(empty, "panelDetail"), QStringLiteral("0 entries"));
    EXPECT_EQ(text(empty, "recorderStatus"), QStringLiteral("Ready to record"));
    kit.owned.clear();

    // A name with the characters URLs escape, a real tone to play, a file that is not MP3.
    const auto song = folder / "Band FM (Song #1) - 2024-01-01 10.00.00.mp3";
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(ZazidEvoz::testkit::sineFile("media-recording.mp3", 440, 20), song);
    const auto other = writeRecording(folder, "Night Owl - 2024-01-02 22.15.00.mp3", 2000);
    writeRecording(folder, "notes.txt");
    QQuickItem* panel = load("RecordingsPanel");
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(text(panel, "panelDetail"), QStringLiteral("2 entries"));
    QQuickItem* songRow = find(panel, "recordingRow_Band FM (Song #1) - 2024-01-01 10.00.00");
    QQuickItem* otherRow = find(panel, "recordingRow_Night Owl - 2024-01-02 22.15.00");
    ASSERT_TRUE(songRow && otherRow);
    EXPECT_EQ(text(otherRow, "recordingName"), QStringLiteral("Night Owl - 2024-01-02 22.15.00"));
    EXPECT_EQ(find(otherRow, "recordingName")->property("elide").toInt(), Qt::ElideMiddle);
    EXPECT_TRUE(text(otherRow, "recordingDetails").endsWith(QStringLiteral(" \u00B7 2.0 kB")))
        << text(otherRow, "recordingDetails").toStdString();
    EXPECT_EQ(find(otherRow, "recordingBadgeSymbol")->property("symbol").toString(),
              QStringLiteral("waveform"));

    // A click plays the file; the row with "#" in its name is recognised as current.
    auto current = [&](QQuickItem* row) {
        return find(row, "recordingSpectrumBorder")->property("active").toBool();
    };
    click(songRow);
    ASSERT_TRUE(model.current());
    EXPECT_EQ(model.current()->url, ZazidEvoz::platform::fileURLFromPath(song.string()));
    ASSERT_TRUE(eventually([&] { return model.isActive() && current(songRow); }));
    EXPECT_FALSE(current(otherRow));
    unhover();
    EXPECT_TRUE(eventually([&] { return find(songRow, "recordingEqualizer") != nullptr; }));
    EXPECT_TRUE(eventually([&] { return !shows(songRow, "recordingBadgeSymbol"); }));
    EXPECT_TRUE(shows(songRow, "recordingNameCurrent"));

    // Paused it stays current; hovered it shows the pause symbol, and a click resumes it.
    ASSERT_TRUE(eventually([&] { return model.stateName() == QLatin1String("playing"); }, 20s))
        << model.stateName().toStdString() << " " << model.failureText().toStdString();
    model.togglePlayPause();
    ASSERT_TRUE(eventually([&] { return model.stateName() == QLatin1String("paused"); }));
    EXPECT_TRUE(current(songRow));
    hover(songRow, {60, 20});
    // Under load the hover can take a few frames to reach the row.
    EXPECT_TRUE(eventually([&] { return shows(songRow, "recordingTrash"); }));
    EXPECT_EQ(find(songRow, "recordingBadgeSymbol")->property("symbol").toString(),
              QStringLiteral("pause.fill"));
    click(songRow);
    EXPECT_TRUE(eventually([&] { return model.stateName() != QLatin1String("paused") && model.isActive(); }));

    // The context menu, and the hover button that trashes at once into the user's Trash.
    QObject* menu = panel->findChild<QObject*>(QStringLiteral("recordingMenu"));
    click(otherRow, Qt::RightButton);
    EXPECT_EQ(entries(menu), (QStringList{"Play", "Show in folder", "Move to Trash"}));
    QMetaObject::invokeMethod(menu, "close");
    pumpFor(30ms);
    hover(otherRow, {60, 20});
    ASSERT_TRUE(eventually([&] { return shows(otherRow, "recordingTrash"); }));
    click(find(otherRow, "recordingTrash"));
    EXPECT_FALSE(std::filesystem::exists(other));
    const auto trash = std::filesystem::path(std::getenv("XDG_DATA_HOME")) / "Trash" / "files";
    EXPECT_TRUE(std::filesystem::exists(trash / other.filename()));
    EXPECT_TRUE(
        eventually([&] { return find(panel, "recordingRow_Night Owl - 2024-01-02 22.15.00") == nullptr; }));
    EXPECT_EQ(text(panel, "panelDetail"), QStringLiteral("1 entry"));

    // While a recording runs the card turns red. Last, with the counts done: a recording that
    // caught audio is saved into the folder a moment after it stops.
    model.startRecording();
    if (model.isRecording()) {
        EXPECT_TRUE(eventually([&] { return text(panel, "recorderStatus") == QLatin1String("Recording"); }))
            << text(panel, "recorderStatus").toStdString();
        model.stopRecording();
        EXPECT_TRUE(eventually([&] {
            return text(panel, "recorderStatus") == QLatin1String("Ready to record");
        })) << text(panel, "recorderStatus").toStdString();
        model.reloadRecordings();
    }
    model.stop();
    EXPECT_TRUE(eventually([&] { return !current(songRow); }));
}
