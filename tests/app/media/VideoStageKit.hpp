// What the video stage tests share: the stage over the real application model, made as the
// main window makes it but on the test's models. yt-dlp played by a script resolves the
// watched items to a two-colour clip on a local site that libmpv draws; the lyrics come from
// a local lyrics service ("Timed …" songs have timed lines, others none).
#pragma once

#include "LyricsViewKit.hpp"
#include "app/media/VideoSurfaceKit.hpp"
#include "state/AppRuntime.hpp"

#include <gtest/gtest.h>

namespace ZintraRadio::testkit {

// The stage made as the main window makes it, but on the test's models: the properties are
// handed over at creation, so the process's own models are never made.
inline const QByteArray stageHost = R"(
import QtQuick
Item {
    id: root
    property QtObject model: null
    property QtObject ui: null
    function open() {
        loader.setSource("qrc:/qt/qml/ZintraRadio/media/VideoStage.qml", { model: root.model, ui: root.ui })
    }
    Loader {
        id: loader
        objectName: "stageLoader"
        anchors.fill: parent
    }
}
)";

inline Station videoItem(const std::string& id, const std::string& name) {
    auto item = makeStation(ZazidEvoz::MediaKind::youtube, name, youtubeLink(id));
    item.uploader = "Channel One";
    item.duration = 30;
    return item;
}

class VideoStageView : public ::testing::Test {
protected:
    VideoStageView() {
        serveTestSongs(lyricsSite);
        ytdlp.stream("a1", site.clipURL());
        ytdlp.stream("b2", site.clipURL());
    }

    void SetUp() override {
        ASSERT_TRUE(english.loaded());
        kit.window.resize(1200, 700);
        host = kit.create(stageHost);
        ASSERT_TRUE(host) << kit.warnings.join('\n').toStdString();
        host->setSize(kit.window.size());
        host->setProperty("model", QVariant::fromValue<QObject*>(&model));
        host->setProperty("ui", QVariant::fromValue<QObject*>(ui.get()));
        kit.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&kit.window));
    }

    void TearDown() override {
        model.stopVideo();
        EXPECT_FALSE(AppRuntime::hasModel()) << "the stage used the models it was given";
        EXPECT_TRUE(kit.warnings.isEmpty()) << kit.warnings.join('\n').toStdString();
    }

    // Watches `item` and opens the stage, as the main window does once the item is set.
    void watch(const Station& item) {
        model.watchVideo(item);
        QMetaObject::invokeMethod(host, "open");
        stage = itemIn(host, "stageLoader")->property("item").value<QQuickItem*>();
        ASSERT_TRUE(stage);
    }
    QQuickItem* find(const char* name) const { return itemIn(stage, QString::fromLatin1(name)); }
    bool playing() {
        return pumpUntil([&] {
            auto* player = model.videoPlayer();
            return player && player->state() == VideoPlayer::State::playing;
        });
    }
    // Until the picture in the frame shows the clip's halves.
    bool pictureShows() {
        return pumpUntil(
            [&] {
                const QImage image = kit.window.grabWindow();
                const QRectF frame = sceneRect(find("videoFrame"));
                const QRect upper(int(frame.x() + 40), int(frame.y() + 30), int(frame.width() - 80), 40);
                const QRect lower = upper.translated(0, int(frame.height() - 100));
                return alike(meanColour(image, upper), red) && alike(meanColour(image, lower), blue);
            },
            std::chrono::seconds(20));
    }
    static QRectF sceneRect(QQuickItem* item) {
        return item->mapRectToScene(QRectF(0, 0, item->width(), item->height()));
    }
    void keep(const std::string& name) { keepPicture(kit.window.grabWindow(), "stage-" + name); }
    // Until the lyrics model holds the lyrics of `song`.
    bool lyricsFound(const std::string& song) {
        return pumpUntil([&] { return model.lyrics()->songTitle() == song && model.lyrics()->hasLyrics(); });
    }

    ClipSite site{splitClip("red", "blue", 30)};
    ZazidEvoz::testkit::LyricsSite lyricsSite;
    ScriptedYtDlp ytdlp{{"a1", "b2"}};
    AppSetup setup;
    AppModel model{[this] {
        auto options = setup.options(lyricsSite.baseURL());
        options.video.audioOutput = "null";
        return options;
    }()};
    std::unique_ptr<UIState> ui = makeUIState(setup.folder);
    EnglishTexts english;
    QmlKit kit;
    QQuickItem* host = nullptr;
    QQuickItem* stage = nullptr;
    const Station timed = videoItem("a1", "Band - Timed Clip");
    const Station untimed = videoItem("b2", "Band - Quiet Clip");
};

} // namespace ZintraRadio::testkit
