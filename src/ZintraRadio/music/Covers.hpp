// Every picture of a library track, album, genre or playlist: cover files read from disk and
// the placeholders drawn from a seed text.
//
// Cover files come from tags, downloads and imported playlists, so reading one is guarded: only
// a local regular file up to a size cap, a picture of bounded dimensions, read and decoded on a
// worker thread, never on the GUI thread (a "file:///dev/zero" thumbnail must not hang the
// window). Decoded covers are kept at the size shown in one process-wide cache with a cost
// limit, keyed by path, size and the file's modification time in nanoseconds, so a cover
// rewritten in place is read anew; a failed read is not remembered and is tried again next time.
// Placeholders (the seed's accent colours with a note), the vinyl disc and the sheens are drawn
// once per look and size and shared through Qt Quick's pixmap cache.
#pragma once

#include <QCache>
#include <QImage>
#include <QMutex>
#include <QObject>
#include <QQuickAsyncImageProvider>
#include <QQuickImageProvider>
#include <QString>
#include <QThreadPool>
#include <QtQml/qqmlregistration.h>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

class QQmlEngine;
class QJSEngine;

namespace ZintraRadio {

// ---- Rules

// The file a cover text names: a "file://" URL becomes its decoded path; any other text (a plain
// path, or a "file://" text that does not parse) is used as it is.
std::string coverFilePath(std::string_view pathOrURL);

// How a cover is drawn: its side in pixels, the corner radius in pixels, which corners are
// rounded (a mosaic rounds only its outer ones) and the width of the light edge inside.
struct CoverShape {
    static constexpr int topLeft = 1;
    static constexpr int topRight = 2;
    static constexpr int bottomLeft = 4;
    static constexpr int bottomRight = 8;
    static constexpr int allCorners = 15;

    // Set on a cover's corner field: the light of coverSheen falls on the picture.
    static constexpr int withSheen = 16;

    int side = 0;
    double radius = 0;
    int corners = allCorners;
    double edge = 1;
    // The album tile's light drawn into the picture: a list of tiles pays for one picture each
    // instead of two on every frame it scrolls.
    bool sheen = false;
    friend bool operator==(const CoverShape&, const CoverShape&) = default;
};

// The cache key of a decoded cover: path, shape and modification time (nanoseconds since 1970).
QString coverCacheKey(const std::string& path, const CoverShape& shape, std::int64_t modifiedNanoseconds);

// A mosaic of covers: a 2 x 2 grid from four covers on, the first cover alone from one to
// three, the seeded placeholder without any.
enum class MosaicLayout { placeholder, single, grid };
MosaicLayout mosaicLayout(std::size_t coverCount);

// The spinning disc's angle after a step of `elapsed` seconds: 40 degrees a second, at most
// 0.1 s counted per step, so a stalled or resumed disc moves at most 4 degrees at once.
double discAngleAfter(double angle, double elapsed);

// ---- Reading cover files

struct CoverLimits {
    std::int64_t maxBytes = 24 * 1024 * 1024; // a cover file larger than this is not read
    int maxSide = 8192;                       // pictures with a larger side are not decoded
};

struct CoverFile {
    QImage image;                         // null when the file gave no picture
    std::int64_t modifiedNanoseconds = 0; // of the file read
};

// Reads the picture at `path` and frames it to `shape`: scaled to fill the square (the excess
// cut off), the chosen corners rounded, a thin light edge inside. Refuses (a null image) what is
// not a local regular file, a file over the byte cap, a picture over the side cap, and anything
// that does not decode. Opening never waits for a writer (pipes and devices are refused before
// any read). Blocking I/O: call it on a worker thread.
CoverFile readCoverFile(const std::filesystem::path& path, const CoverShape& shape,
                        const CoverLimits& limits = {});

// The modification time of a regular file in nanoseconds; none for anything else (no file, a
// folder, a device, a pipe). Reads attributes only, never the file.
std::optional<std::int64_t> regularFileModified(const std::filesystem::path& path);

// ---- Drawn pictures

// The placeholder of a seed: a diagonal gradient from its accent colour through the night colour
// to the accent moved toward violet, a note in the middle and the edge.
QImage coverPlaceholder(const QString& seed, const CoverShape& shape);
// The vinyl disc behind an album cover: coloured grooves, a dark groove ring and the label hole.
QImage vinylDisc(int side);
// The light falling on an album cover, from the top-leading corner.
QImage coverSheen(const CoverShape& shape);
// The spinning disc's fixed sheen, drawn over the turning cover.
QImage discSheen(int side);

// ---- The process-wide cache

class CoverCache {
public:
    explicit CoverCache(std::int64_t maxBytes = 96 * 1024 * 1024);
    // Any thread.
    std::optional<QImage> find(const QString& key) const;
    void insert(const QString& key, const QImage& image);
    std::int64_t bytes() const;
    static CoverCache& shared();

private:
    mutable QMutex mutex_;
    QCache<QString, QImage> images_; // guarded by mutex_; cost = bytes of pixels
};

// "image://cover/<side>/<radius>/<corners>/<modified>/<percent-encoded path>": decoded on the
// provider's own threads, answered from the cache when it holds the key.
class CoverImageProvider : public QQuickAsyncImageProvider {
public:
    CoverImageProvider(CoverCache& cache, CoverLimits limits = {});
    ~CoverImageProvider() override;
    QQuickImageResponse* requestImageResponse(const QString& id, const QSize& requestedSize) override;

private:
    CoverCache& cache_;
    CoverLimits limits_;
    QThreadPool pool_;
};

// "image://musicart/<kind>/...": placeholders, the vinyl disc and the disc's sheen.
class MusicArtProvider : public QQuickImageProvider {
public:
    MusicArtProvider();
    QImage requestImage(const QString& id, QSize* size, const QSize& requestedSize) override;
};

// For QML: the image sources of covers and drawn pictures. Sizes are in points; `scale` is the
// screen's device pixel ratio.
class Covers : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    // Grows when the library changed: cover sources are made again, and a file rewritten in place
    // (a new modification time) is read again.
    Q_PROPERTY(int revision READ revision NOTIFY revisionChanged)

public:
    static constexpr const char* coverProvider = "cover";
    static constexpr const char* artProvider = "musicart";
    // Installs the image providers into `engine` (once per engine).
    static Covers* create(QQmlEngine* engine, QJSEngine*);

    // The cover file's image source, or empty when there is no regular file to read (the
    // placeholder then stays). The source names the file's modification time, so a rewritten
    // cover gets a new source.
    // With `sheen`, the picture carries the album tile's light (coverSheen).
    Q_INVOKABLE QString source(const QString& pathOrURL, double side, double radius, int corners,
                               double scale, bool sheen = false) const;
    Q_INVOKABLE QString placeholder(const QString& seed, double side, double radius, int corners,
                                    double scale, bool sheen = false) const;
    Q_INVOKABLE QString disc(double side, double scale) const;
    Q_INVOKABLE QString discSheen(double side, double scale) const;
    // "placeholder", "single" or "grid".
    Q_INVOKABLE QString mosaicLayout(int coverCount) const;
    Q_INVOKABLE double discAngleAfter(double angle, double elapsed) const;

    int revision() const { return revision_; }
    Q_INVOKABLE void refresh();

Q_SIGNALS:
    void revisionChanged();

private:
    Covers() = default;
    int revision_ = 0;
};

} // namespace ZintraRadio
