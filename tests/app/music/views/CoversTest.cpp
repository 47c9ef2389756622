// Covers: which file a cover text names, the cache key, guarded reading off the GUI thread (no
// device, pipe or oversized file is read, a failure is not remembered), the cost-limited cache,
// the image provider end to end, mosaics and the spinning disc's steps.
#include "music/Covers.hpp"

#include "QtTestKit.hpp"
#include "support/Sandbox.hpp"

#include <QImage>
#include <QPainter>
#include <QQuickTextureFactory>
#include <QUrl>
#include <chrono>
#include <fcntl.h>
#include <fstream>
#include <future>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace ZintraRadio;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

fs::path picture(const fs::path& folder, const std::string& name, QSize size, QColor color) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    const auto path = folder / name;
    EXPECT_TRUE(image.save(QString::fromStdString(path.string())));
    return path;
}

CoverShape shape(int side, double radius = 0) {
    CoverShape s;
    s.side = side;
    s.radius = radius;
    return s;
}

// Sets the file's modification time, so tests need not wait for the clock.
void touch(const fs::path& path, long seconds, long nanoseconds) {
    const timespec times[2] = {{seconds, nanoseconds}, {seconds, nanoseconds}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

struct Answer {
    QImage image;
    QString error;
};

// Asks the provider and waits for its answer on this thread's event loop.
Answer ask(CoverImageProvider& provider, const QString& source) {
    const QString prefix = QStringLiteral("image://cover/");
    EXPECT_TRUE(source.startsWith(prefix)) << source.toStdString();
    std::unique_ptr<QQuickImageResponse> response(
        provider.requestImageResponse(source.mid(prefix.size()), {}));
    bool finished = false;
    QObject::connect(response.get(), &QQuickImageResponse::finished, [&] { finished = true; });
    EXPECT_TRUE(testkit::pumpUntil([&] { return finished; }, 10s));
    Answer answer;
    answer.error = response->errorString();
    std::unique_ptr<QQuickTextureFactory> factory(response->textureFactory());
    if (factory)
        answer.image = factory->image();
    return answer;
}

Covers& covers() {
    return *Covers::create(nullptr, nullptr);
}

} // namespace

TEST(CoverRules, FileOfACoverText) {
    struct Case {
        std::string text;
        std::string expected;
    };
    const Case cases[] = {
        {"", ""},
        {"/music/a b/c.jpg", "/music/a b/c.jpg"},
        {"file:///music/a%20b/c.jpg", "/music/a b/c.jpg"},
        {"file:///music/%C3%A9.png", "/music/é.png"},
        {"file://localhost/x.png", "/x.png"},
        {"file://example.org/x.png", "file://example.org/x.png"}, // not a local file: used as it is
        {"https://example.org/x.png", "https://example.org/x.png"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(coverFilePath(c.text), c.expected) << c.text;
}

TEST(CoverRules, MosaicAndDisc) {
    EXPECT_EQ(mosaicLayout(0), MosaicLayout::placeholder);
    for (std::size_t count : {1, 2, 3})
        EXPECT_EQ(mosaicLayout(count), MosaicLayout::single) << count;
    for (std::size_t count : {4, 5, 9})
        EXPECT_EQ(mosaicLayout(count), MosaicLayout::grid) << count;

    double angle = 0;
    for (int frame = 0; frame < 120; ++frame)
        angle = discAngleAfter(angle, 1.0 / 60);
    EXPECT_NEAR(angle, 80, 0.7) << "two seconds at 40 degrees a second";
    EXPECT_DOUBLE_EQ(discAngleAfter(80, 300), 84) << "a resumed disc moves at most 4 degrees";
    EXPECT_DOUBLE_EQ(discAngleAfter(80, -1), 80);
    EXPECT_DOUBLE_EQ(discAngleAfter(80, std::numeric_limits<double>::quiet_NaN()), 80);
}

TEST(CoverSources, AFileAddressAndItsPlainPathShareOneSource) {
    const auto folder = ZazidEvoz::testkit::makeTemporaryFolder("cover sources");
    const auto path = picture(folder, "cover art.png", {8, 8}, Qt::red);
    const QString plain = QString::fromStdString(path.string());
    const QString address = QUrl::fromLocalFile(plain).toString(QUrl::FullyEncoded);
    ASSERT_TRUE(address.contains(QStringLiteral("%20")));
    const QString fromPath = covers().source(plain, 40, 8, 15, 1);
    EXPECT_FALSE(fromPath.isEmpty());
    EXPECT_EQ(covers().source(address, 40, 8, 15, 1), fromPath);
    EXPECT_NE(covers().source(plain, 80, 8, 15, 1), fromPath) << "the size is part of it";

    // A rewritten file gets a new source, so the views read it again.
    touch(path, 1'700'000'000, 1);
    const QString before = covers().source(plain, 40, 8, 15, 1);
    touch(path, 1'700'000'000, 2);
    EXPECT_NE(covers().source(plain, 40, 8, 15, 1), before) << "nanoseconds count";

    EXPECT_TRUE(covers().source(QString(), 40, 8, 15, 1).isEmpty());
    EXPECT_TRUE(covers().source(QStringLiteral("file:///dev/zero"), 40, 8, 15, 1).isEmpty());
    EXPECT_TRUE(covers().source(QString::fromStdString(folder.string()), 40, 8, 15, 1).isEmpty());
    EXPECT_TRUE(covers().source(plain + QStringLiteral(".gone"), 40, 8, 15, 1).isEmpty());
    EXPECT_EQ(coverCacheKey("/a", shape(40), 5), coverCacheKey("/a", shape(40), 5));
    EXPECT_NE(coverCacheKey("/a", shape(40), 5), coverCacheKey("/a", shape(40), 6));
}

TEST(CoverReading, FramesThePictureAtTheSizeShown) {
    const auto folder = ZazidEvoz::testkit::makeTemporaryFolder("covers");
    const auto path = picture(folder, "wide.png", {400, 200}, QColor(10, 200, 30));
    const auto read = readCoverFile(path, shape(40, 8));
    ASSERT_FALSE(read.image.isNull());
    EXPECT_EQ(read.image.size(), QSize(40, 40));
    EXPECT_EQ(qAlpha(read.image.pixel(0, 0)), 0) << "a rounded corner";
    EXPECT_EQ(QColor(read.image.pixel(20, 20)), QColor(10, 200, 30));
    EXPECT_EQ(read.modifiedNanoseconds, regularFileModified(path));

    CoverShape square = shape(40, 8);
    square.corners = CoverShape::bottomRight;
    const auto mosaicCorner = readCoverFile(path, square);
    EXPECT_EQ(qAlpha(mosaicCorner.image.pixel(0, 0)), 255) << "only the chosen corners are rounded";
    EXPECT_EQ(qAlpha(mosaicCorner.image.pixel(39, 39)), 0);
}

TEST(CoverReading, RefusesWhatIsNoSmallLocalPicture) {
    const auto folder = ZazidEvoz::testkit::makeTemporaryFolder("covers");
    const auto text = folder / "cover.jpg";
    std::ofstream(text) << "not a picture";
    const auto fifo = folder / "pipe.png";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const auto big = picture(folder, "big.png", {64, 64}, Qt::blue);
    const auto tall = picture(folder, "tall.png", {2, 9000}, Qt::blue);

    // Nothing here may wait: a pipe without a writer and an endless device come back at once.
    auto reads = std::async(std::launch::async, [&] {
        std::vector<bool> nulls;
        for (const fs::path& path : {fs::path("/dev/zero"), fifo, text, folder, folder / "missing.png"})
            nulls.push_back(readCoverFile(path, shape(40)).image.isNull());
        CoverLimits small;
        small.maxBytes = 64;
        nulls.push_back(readCoverFile(big, shape(40), small).image.isNull());
        nulls.push_back(readCoverFile(tall, shape(40)).image.isNull());
        return nulls;
    });
    ASSERT_EQ(reads.wait_for(10s), std::future_status::ready) << "a read blocked";
    for (bool refused : reads.get())
        EXPECT_TRUE(refused);
    EXPECT_FALSE(readCoverFile(big, shape(40)).image.isNull()) << "within the caps it reads";
    EXPECT_EQ(regularFileModified("/dev/zero"), std::nullopt);
    EXPECT_EQ(regularFileModified(fifo), std::nullopt);
}

TEST(CoverCacheTest, KeepsWithinItsCost) {
    CoverCache cache(20'000);
    QImage image(40, 40, QImage::Format_ARGB32_Premultiplied); // 6400 bytes
    for (int i = 0; i < 6; ++i)
        cache.insert(QString::number(i), image);
    EXPECT_LE(cache.bytes(), 20'000);
    EXPECT_TRUE(cache.find(QStringLiteral("5")).has_value()) << "the newest stays";
    EXPECT_FALSE(cache.find(QStringLiteral("0")).has_value()) << "the oldest went";
    cache.insert(QStringLiteral("null"), QImage());
    EXPECT_FALSE(cache.find(QStringLiteral("null")).has_value());
}

TEST(CoverProvider, ReadsOnItsThreadsRemembersPicturesNotFailures) {
    const auto folder = ZazidEvoz::testkit::makeTemporaryFolder("provider");
    CoverCache cache;
    CoverImageProvider provider(cache);

    const auto good = picture(folder, "good.png", {32, 32}, Qt::yellow);
    const QString source = covers().source(QString::fromStdString(good.string()), 40, 8, 15, 1);
    const auto first = ask(provider, source);
    EXPECT_TRUE(first.error.isEmpty());
    EXPECT_EQ(first.image.size(), QSize(40, 40));
    const auto bytes = cache.bytes();
    EXPECT_GT(bytes, 0);
    EXPECT_EQ(ask(provider, source).image.size(), QSize(40, 40));
    EXPECT_EQ(cache.bytes(), bytes) << "the second answer came from the cache";

    // A broken file is not remembered: once it is a picture, the next request reads it.
    const auto broken = folder / "broken.png";
    std::ofstream(broken) << "broken";
    touch(broken, 1'600'000'000, 0);
    const QString brokenSource = covers().source(QString::fromStdString(broken.string()), 40, 0, 15, 1);
    const auto failed = ask(provider, brokenSource);
    EXPECT_TRUE(failed.image.isNull());
    EXPECT_FALSE(failed.error.isEmpty());
    EXPECT_EQ(cache.bytes(), bytes);
    QImage fixed(16, 16, QImage::Format_RGB32);
    fixed.fill(Qt::green);
    ASSERT_TRUE(fixed.save(QString::fromStdString(broken.string()), "PNG"));
    touch(broken, 1'600'000'000, 0); // the same time: only a failure that was not cached can recover
    EXPECT_EQ(covers().source(QString::fromStdString(broken.string()), 40, 0, 15, 1), brokenSource);
    EXPECT_FALSE(ask(provider, brokenSource).image.isNull());

    // A device named by a hand-made source is refused by the reader as well.
    const auto device = ask(provider, QStringLiteral("image://cover/40/0.00/15/0/%2Fdev%2Fzero"));
    EXPECT_TRUE(device.image.isNull());
}

TEST(DrawnPictures, PlaceholdersAreStablePerSeed) {
    const auto a = coverPlaceholder(QStringLiteral("Blue Train"), shape(40, 8));
    const auto b = coverPlaceholder(QStringLiteral("Blue Train"), shape(40, 8));
    const auto other = coverPlaceholder(QStringLiteral("Kind of Blue"), shape(40, 8));
    EXPECT_EQ(a, b);
    EXPECT_NE(a, other);
    EXPECT_EQ(a.size(), QSize(40, 40));
    EXPECT_EQ(qAlpha(a.pixel(0, 0)), 0);
    EXPECT_FALSE(vinylDisc(120).isNull());
    EXPECT_EQ(discSheen(62).size(), QSize(62, 62));
    EXPECT_EQ(coverSheen(shape(100, 9)).size(), QSize(100, 100));
}

// An album tile's cover and placeholder carry its light in their pictures: the same pixels as
// the light drawn over the plain picture, kept apart from the plain one in the cache.
TEST(DrawnPictures, ASheenedCoverIsThePictureUnderItsLight) {
    auto underLight = [](const QImage& plain, const CoverShape& shape) {
        QImage lit = plain.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&lit);
        painter.drawImage(0, 0, coverSheen(shape));
        return lit;
    };
    auto sameAs = [](const QImage& a, const QImage& b) {
        int worst = 0;
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x) {
                const QColor p(a.pixelColor(x, y)), q(b.pixelColor(x, y));
                worst = std::max({worst, std::abs(p.red() - q.red()), std::abs(p.green() - q.green()),
                                  std::abs(p.blue() - q.blue()), std::abs(p.alpha() - q.alpha())});
            }
        return worst;
    };
    const auto folder = ZazidEvoz::testkit::makeTemporaryFolder("sheen");
    const auto file = picture(folder, "cover.png", {64, 64}, QColor(40, 90, 200));
    CoverCache cache;
    CoverImageProvider provider(cache);
    const QString path = QString::fromStdString(file.string());
    const QImage plain = ask(provider, covers().source(path, 60, 9, 15, 1)).image;
    const QImage lit = ask(provider, covers().source(path, 60, 9, 15, 1, true)).image;
    ASSERT_EQ(lit.size(), QSize(60, 60));
    EXPECT_GT(sameAs(plain, lit), 10) << "the light shows";
    CoverShape tile = shape(60, 9);
    EXPECT_LE(sameAs(underLight(plain, tile), lit), 1);

    MusicArtProvider art;
    const QString prefix = QStringLiteral("image://musicart/");
    auto drawn = [&](const QString& source) {
        return art.requestImage(source.mid(prefix.size()), nullptr, {});
    };
    const QImage seed = drawn(covers().placeholder(QStringLiteral("Blue Train"), 60, 9, 15, 1));
    const QImage seedLit = drawn(covers().placeholder(QStringLiteral("Blue Train"), 60, 9, 15, 1, true));
    EXPECT_LE(sameAs(underLight(seed, tile), seedLit), 1);
    tile.sheen = true;
    EXPECT_NE(coverCacheKey("/a", shape(60, 9), 5), coverCacheKey("/a", tile, 5));
}
