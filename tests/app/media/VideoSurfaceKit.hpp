// What the video surface tests share: clips whose upper and lower halves have two colours (so a
// picture upside down or with swapped channels shows), players that draw through the render
// API without sound, a window holding one surface, colour checks on grabs, the swap of players
// both surfaces go through, and the threads of libmpv cores still alive in the process.
#pragma once

#include "QmlKit.hpp"
#include "YouTubeKit.hpp"

#include <QColor>
#include <QImage>
#include <QQuickItem>
#include <QSignalSpy>
#include <QTest>
#include <dirent.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>

namespace ZintraRadio::testkit {

// A 320 × 180 clip of `seconds`: the upper half `top`, the lower half `bottom` (ffmpeg colour
// names), with a tone.
inline fs::path splitClip(const std::string& top, const std::string& bottom, int seconds = 4) {
    const std::string length = std::to_string(seconds);
    return ZazidEvoz::testkit::generatedMedia(
        "split-" + top + "-" + bottom + "-" + length + ".mp4",
        {"-f", "lavfi", "-i",
         "color=c=" + top + ":s=320x90:r=25:d=" + length + "[a];color=c=" + bottom +
             ":s=320x90:r=25:d=" + length + "[b];[a][b]vstack",
         "-f", "lavfi", "-i", "sine=frequency=440:duration=" + length, "-c:v", "libx264", "-pix_fmt",
         "yuv420p", "-c:a", "aac", "-shortest"});
}

// The colours of the split clips, as ffmpeg names them.
inline const QColor red(255, 0, 0), blue(0, 0, 255), lime(0, 255, 0), yellow(255, 255, 0);

// Picture through the render API, no sound.
inline VideoPlayer::Options pictureOptions() {
    VideoPlayer::Options options;
    options.audioOutput = "null";
    return options;
}

// The mean colour of `area` in `image`.
inline QColor meanColour(const QImage& image, QRect area) {
    area = area.intersected(image.rect());
    double r = 0, g = 0, b = 0;
    const double count = std::max(1, area.width() * area.height());
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            r += c.red();
            g += c.green();
            b += c.blue();
        }
    return QColor(int(r / count), int(g / count), int(b / count));
}

// Whether two colours are alike, as a video's colour conversion leaves them.
inline bool alike(const QColor& a, const QColor& b, int tolerance = 48) {
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

inline std::string describe(const QColor& colour) {
    return colour.name().toStdString();
}

// The pictures of the tests, kept under the build folder.
inline void keepPicture(const QImage& image, const std::string& name) {
    const fs::path folder = fs::path(ZINTRARADIO_TEST_BINARY_DIR) / "artefacts" / "video";
    fs::create_directories(folder);
    image.save(QString::fromStdString((folder / (name + ".png")).string()));
}

// Threads of this process whose names libmpv gives its cores' threads ("mpv/…").
inline int mpvThreads() {
    int count = 0;
    DIR* tasks = ::opendir("/proc/self/task");
    if (tasks == nullptr)
        return -1;
    while (dirent* entry = ::readdir(tasks)) {
        if (entry->d_name[0] == '.')
            continue;
        std::ifstream comm(std::string("/proc/self/task/") + entry->d_name + "/comm");
        std::string name;
        std::getline(comm, name);
        if (name.starts_with("mpv/"))
            ++count;
    }
    ::closedir(tasks);
    return count;
}

// A window with one surface (`type` is VideoSurface or SoftwareVideoSurface) at `area`, on a
// grey that the surface's empty parts let through.
class SurfaceScene {
public:
    static inline const QColor backdrop = QColor(64, 64, 64);
    static inline const QRect area = QRect(40, 30, 320, 180);

    explicit SurfaceScene(const char* type) {
        kit.window.resize(400, 240);
        kit.window.setColor(backdrop);
        surface = kit.create(
            QByteArray("import ZintraRadio\n") + type + " { x: " + QByteArray::number(area.x()) +
            "; y: " + QByteArray::number(area.y()) + "; width: " + QByteArray::number(area.width()) +
            "; height: " + QByteArray::number(area.height()) + " }");
        kit.show();
        exposed = surface != nullptr && QTest::qWaitForWindowExposed(&kit.window);
    }

    void show(VideoPlayer* player) { surface->setProperty("player", QVariant::fromValue(player)); }
    VideoPlayer* shown() const { return surface->property("player").value<VideoPlayer*>(); }
    int frames() const { return surface->property("framesDrawn").toInt(); }
    int contexts() const { return surface->property("contextsMade").toInt(); }
    // Until `count` more frames than now have been drawn.
    bool drawsFrames(int count = 3) {
        const int start = frames();
        return pumpUntil([&] { return frames() >= start + count; });
    }
    QImage grab() { return kit.window.grabWindow(); }
    // The mean colours of the picture's upper and lower halves, inset from the edges.
    std::pair<QColor, QColor> halves() {
        const QImage image = grab();
        const QRect upper(area.x() + 20, area.y() + 15, area.width() - 40, area.height() / 2 - 30);
        const QRect lower = upper.translated(0, area.height() / 2);
        return {meanColour(image, upper), meanColour(image, lower)};
    }
    // Until the picture's halves show `top` and `bottom`.
    bool showsHalves(const QColor& top, const QColor& bottom) {
        return pumpUntil(
            [&] {
                const auto [upper, lower] = halves();
                return alike(upper, top) && alike(lower, bottom);
            },
            std::chrono::seconds(20));
    }

    QmlKit kit;
    QQuickItem* surface = nullptr;
    bool exposed = false;
};

// Shows `a` (a red over blue clip), `a` again, then `b` (lime over yellow) and `a` once more:
// the same player keeps its render context and goes on drawing, each other one is swapped in
// with a context of its own and its picture. The picture of `b` is kept as `picture`.
inline void swapsPlayersInPlace(SurfaceScene& scene, VideoPlayer& a, VideoPlayer& b,
                                const std::string& picture) {
    QSignalSpy changed(scene.surface, SIGNAL(playerChanged()));
    scene.show(&a);
    a.play();
    ASSERT_TRUE(scene.showsHalves(red, blue));
    EXPECT_EQ(changed.count(), 1);

    scene.show(&a);
    ASSERT_TRUE(scene.drawsFrames(5)) << "the same player goes on drawing";
    EXPECT_EQ(scene.contexts(), 1) << "and keeps its render context";
    EXPECT_EQ(changed.count(), 1);

    b.play();
    scene.show(&b);
    EXPECT_EQ(scene.shown(), &b);
    ASSERT_TRUE(scene.showsHalves(lime, yellow));
    EXPECT_EQ(scene.contexts(), 2);
    EXPECT_EQ(changed.count(), 2);
    keepPicture(scene.grab(), picture);

    // Back to the first, whose video went with its render context.
    scene.show(&a);
    ASSERT_TRUE(scene.showsHalves(red, blue));
    EXPECT_EQ(scene.contexts(), 3);
}

} // namespace ZintraRadio::testkit
