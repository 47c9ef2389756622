#include "music/Covers.hpp"

#include "ZazidEvoz/platform/FileURL.hpp"
#include "ZazidEvoz/platform/UniqueFd.hpp"
#include "kit/ArtworkRules.hpp"
#include "kit/AsyncImageResponse.hpp"
#include "kit/FontBook.hpp"
#include "kit/GlowImages.hpp"
#include "kit/IconRegistry.hpp"
#include "kit/ThemeRules.hpp"

#include <QBuffer>
#include <QConicalGradient>
#include <QImageReader>
#include <QLinearGradient>
#include <QMutexLocker>
#include <QPainter>
#include <QPainterPath>
#include <QQmlEngine>
#include <QRunnable>
#include <QStringList>
#include <QUrl>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace ZintraRadio {

namespace {

QColor colorOf(const RGB& rgb, double opacity = 1) {
    return QColor::fromRgbF(static_cast<float>(rgb.red), static_cast<float>(rgb.green),
                            static_cast<float>(rgb.blue), static_cast<float>(opacity));
}

std::int64_t nanoseconds(const struct stat& status) {
    return static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1'000'000'000 + status.st_mtim.tv_nsec;
}

// The outline of the square with the chosen corners rounded.
QPainterPath coverOutline(const QRectF& rect, double radius, int corners) {
    radius = std::clamp(radius, 0.0, std::min(rect.width(), rect.height()) / 2);
    const auto r = [&](int corner) { return (corners & corner) != 0 ? radius : 0.0; };
    const double tl = r(CoverShape::topLeft), tr = r(CoverShape::topRight);
    const double bl = r(CoverShape::bottomLeft), br = r(CoverShape::bottomRight);
    QPainterPath path;
    path.moveTo(rect.left() + tl, rect.top());
    path.lineTo(rect.right() - tr, rect.top());
    if (tr > 0)
        path.arcTo(QRectF(rect.right() - 2 * tr, rect.top(), 2 * tr, 2 * tr), 90, -90);
    path.lineTo(rect.right(), rect.bottom() - br);
    if (br > 0)
        path.arcTo(QRectF(rect.right() - 2 * br, rect.bottom() - 2 * br, 2 * br, 2 * br), 0, -90);
    path.lineTo(rect.left() + bl, rect.bottom());
    if (bl > 0)
        path.arcTo(QRectF(rect.left(), rect.bottom() - 2 * bl, 2 * bl, 2 * bl), 270, -90);
    path.lineTo(rect.left(), rect.top() + tl);
    if (tl > 0)
        path.arcTo(QRectF(rect.left(), rect.top(), 2 * tl, 2 * tl), 180, -90);
    path.closeSubpath();
    return path;
}

QImage blankSquare(int side) {
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// The light edge inside the outline, drawn over a cover or a placeholder.
void strokeEdge(QPainter& painter, const CoverShape& shape) {
    if (shape.edge <= 0)
        return;
    const double half = shape.edge / 2;
    const QRectF inner(half, half, shape.side - shape.edge, shape.side - shape.edge);
    painter.setClipping(false);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor::fromRgbF(1, 1, 1, 0.14f), shape.edge));
    painter.drawPath(coverOutline(inner, std::max(0.0, shape.radius - half), shape.corners));
}

// The whole regular file behind `fd`, or nothing when it is no regular file or larger than the
// cap (also when it grows past the cap while being read).
std::optional<QByteArray> readRegularFile(int fd, std::int64_t maxBytes, std::int64_t& modified) {
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || status.st_size > maxBytes)
        return std::nullopt;
    modified = nanoseconds(status);
    QByteArray bytes;
    bytes.resize(static_cast<qsizetype>(status.st_size) + 1);
    qsizetype filled = 0;
    while (true) {
        if (filled == bytes.size()) {
            if (filled > maxBytes)
                return std::nullopt;
            bytes.resize(std::min<qsizetype>(bytes.size() * 2, static_cast<qsizetype>(maxBytes) + 1));
        }
        const ssize_t count =
            ::read(fd, bytes.data() + filled, static_cast<std::size_t>(bytes.size() - filled));
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return std::nullopt;
        if (count == 0)
            break;
        filled += count;
    }
    if (filled > maxBytes)
        return std::nullopt;
    bytes.truncate(filled);
    return bytes;
}

QImage decodeToFill(const QByteArray& bytes, int side, int maxSide) {
    QBuffer buffer;
    buffer.setData(bytes);
    if (!buffer.open(QIODevice::ReadOnly))
        return {};
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    const QSize natural = reader.size();
    if (!natural.isValid() || natural.isEmpty() || natural.width() > maxSide || natural.height() > maxSide)
        return {};
    // Decode straight to the size that fills the square (JPEG then skips most of the work).
    const double factor = std::max(double(side) / natural.width(), double(side) / natural.height());
    if (factor < 1)
        reader.setScaledSize(QSize(std::max(side, int(std::ceil(natural.width() * factor))),
                                   std::max(side, int(std::ceil(natural.height() * factor)))));
    return reader.read();
}

QImage framed(const QImage& picture, const CoverShape& shape) {
    QImage image = blankSquare(shape.side);
    const QImage cover = picture.scaled(QSize(shape.side, shape.side), Qt::KeepAspectRatioByExpanding,
                                        Qt::SmoothTransformation);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setClipPath(coverOutline(QRectF(image.rect()), shape.radius, shape.corners));
    painter.fillRect(image.rect(), colorOf(Palette::night)); // shows through transparent pixels
    painter.drawImage(QPointF((shape.side - cover.width()) / 2.0, (shape.side - cover.height()) / 2.0),
                      cover);
    strokeEdge(painter, shape);
    if (shape.sheen)
        painter.drawImage(0, 0, coverSheen(shape));
    return image;
}

int boundedSide(double points, double scale) {
    const double side = std::isfinite(points * scale) ? std::round(points * scale) : 0;
    return static_cast<int>(std::clamp(side, 1.0, 2048.0));
}

double boundedRadius(double points, double scale) {
    const double radius = points * scale;
    return std::isfinite(radius) ? std::clamp(radius, 0.0, 1024.0) : 0.0;
}

QString numberText(double value) {
    return QString::number(value, 'f', 2);
}

// "a/b/c/rest": the first `count` fields and the rest, which may hold slashes.
std::optional<QStringList> splitFields(const QString& id, int count) {
    QStringList fields;
    qsizetype start = 0;
    for (int i = 0; i < count; ++i) {
        const auto slash = id.indexOf(QLatin1Char('/'), start);
        if (slash < 0)
            return std::nullopt;
        fields.append(id.mid(start, slash - start));
        start = slash + 1;
    }
    fields.append(id.mid(start));
    return fields;
}

} // namespace

// ---- Rules

std::string coverFilePath(std::string_view pathOrURL) {
    if (pathOrURL.starts_with("file://"))
        if (auto path = ZazidEvoz::platform::pathFromFileURL(pathOrURL))
            return *path;
    return std::string(pathOrURL);
}

QString coverCacheKey(const std::string& path, const CoverShape& shape, std::int64_t modifiedNanoseconds) {
    return QStringLiteral("%1#%2#%3#%4#%5#%6")
        .arg(QString::fromStdString(path))
        .arg(shape.side)
        .arg(numberText(shape.radius))
        .arg(shape.corners | (shape.sheen ? CoverShape::withSheen : 0))
        .arg(numberText(shape.edge))
        .arg(modifiedNanoseconds);
}

MosaicLayout mosaicLayout(std::size_t coverCount) {
    if (coverCount >= 4)
        return MosaicLayout::grid;
    return coverCount >= 1 ? MosaicLayout::single : MosaicLayout::placeholder;
}

double discAngleAfter(double angle, double elapsed) {
    if (!std::isfinite(elapsed) || elapsed <= 0)
        return angle;
    return angle + std::min(elapsed, 0.1) * 40;
}

// ---- Reading cover files

std::optional<std::int64_t> regularFileModified(const std::filesystem::path& path) {
    struct stat status {};
    if (path.empty() || ::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode))
        return std::nullopt;
    return nanoseconds(status);
}

CoverFile readCoverFile(const std::filesystem::path& path, const CoverShape& shape,
                        const CoverLimits& limits) {
    if (path.empty() || shape.side <= 0)
        return {};
    // Non-blocking: opening a pipe must not wait for a writer; nothing is read before fstat has
    // said it is a regular file.
    const ZazidEvoz::platform::UniqueFd file(
        ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (!file)
        return {};
    CoverFile result;
    const auto bytes = readRegularFile(file.get(), limits.maxBytes, result.modifiedNanoseconds);
    if (!bytes)
        return {};
    const QImage picture = decodeToFill(*bytes, shape.side, limits.maxSide);
    if (picture.isNull())
        return {};
    result.image = framed(picture, shape);
    return result;
}

// ---- Drawn pictures

QImage coverPlaceholder(const QString& seed, const CoverShape& shape) {
    QImage image = blankSquare(shape.side);
    const RGB accentColour = accent(seed.toStdString());
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setClipPath(coverOutline(QRectF(image.rect()), shape.radius, shape.corners));
    QLinearGradient gradient(0, 0, shape.side, shape.side);
    gradient.setColorAt(0, colorOf(accentColour, 0.6));
    gradient.setColorAt(0.5, colorOf(Palette::night));
    gradient.setColorAt(1, colorOf(artworkMix(accentColour), 0.5));
    painter.fillRect(image.rect(), gradient);
    if (const auto glyph = iconGlyph("music.note")) {
        const QString family = glyph->font == IconFont::material ? FontBook::instance().materialIcons()
                                                                 : FontBook::instance().designIcons();
        if (!family.isEmpty()) {
            QFont font(family);
            font.setPixelSize(std::max(1, int(std::round(shape.side * 0.38 * 1.25))));
            painter.setFont(font);
            painter.setPen(QColor::fromRgbF(1, 1, 1, 0.7f));
            const char32_t codepoint = glyph->codepoint;
            painter.drawText(QRectF(image.rect()), Qt::AlignCenter, QString::fromUcs4(&codepoint, 1));
        }
    }
    strokeEdge(painter, shape);
    if (shape.sheen)
        painter.drawImage(0, 0, coverSheen(shape));
    return image;
}

QImage vinylDisc(int side) {
    // The disc is 0.86 of the side across, with its shadow (black, blur 6, 3 to the right)
    // drawn into the picture's margin.
    const double diameter = side * 0.86;
    GlowSpec shadowSpec;
    shadowSpec.width = diameter;
    shadowSpec.height = diameter;
    shadowSpec.cornerRadius = diameter / 2;
    shadowSpec.radius = 6;
    shadowSpec.color = QColor::fromRgbF(0, 0, 0, 0.5f);
    const QImage shadow = renderGlow(shadowSpec);
    const double margin = glowMargin(6);
    const int width = int(std::ceil(diameter + 2 * margin + 3));
    const int height = int(std::ceil(std::max<double>(side, diameter + 2 * margin)));
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF centre(margin + diameter / 2, height / 2.0);
    painter.drawImage(QPointF(centre.x() - shadow.width() / 2.0 + 3, centre.y() - shadow.height() / 2.0),
                      shadow);

    QConicalGradient grooves(centre, 0);
    const QColor stops[] = {QColor::fromRgbF(0.75f, 0.75f, 0.75f), colorOf(Palette::cyan, 0.8),
                            QColor::fromRgbF(0.9f, 0.9f, 0.9f),    colorOf(Palette::magenta, 0.7),
                            QColor::fromRgbF(0.7f, 0.7f, 0.7f),    colorOf(Palette::violet, 0.8),
                            QColor::fromRgbF(0.75f, 0.75f, 0.75f)};
    for (int i = 0; i < 7; ++i)
        grooves.setColorAt(i / 6.0, stops[i]);
    const QRectF disc(centre.x() - diameter / 2, centre.y() - diameter / 2, diameter, diameter);
    painter.setPen(Qt::NoPen);
    painter.setBrush(grooves);
    painter.drawEllipse(disc);

    const double ringWidth = side * 0.14;
    const QRectF ring = disc.adjusted(side * 0.2, side * 0.2, -side * 0.2, -side * 0.2);
    if (ring.width() > ringWidth) {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(QColor::fromRgbF(0, 0, 0, 0.25f), ringWidth));
        painter.drawEllipse(ring.adjusted(ringWidth / 2, ringWidth / 2, -ringWidth / 2, -ringWidth / 2));
    }
    const double hole = side * 0.13;
    painter.setPen(Qt::NoPen);
    painter.setBrush(colorOf(Palette::night));
    painter.drawEllipse(centre, hole / 2, hole / 2);
    return image;
}

QImage coverSheen(const CoverShape& shape) {
    QImage image = blankSquare(shape.side);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient light(0, 0, shape.side, shape.side);
    light.setColorAt(0, QColor::fromRgbF(1, 1, 1, 0.22f));
    light.setColorAt(1 / 3.0, Qt::transparent);
    light.setColorAt(2 / 3.0, Qt::transparent);
    light.setColorAt(1, QColor::fromRgbF(0, 0, 0, 0.18f));
    painter.setPen(Qt::NoPen);
    painter.setBrush(light);
    painter.drawPath(coverOutline(QRectF(image.rect()), shape.radius, shape.corners));
    return image;
}

QImage discSheen(int side) {
    QImage image = blankSquare(side);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF centre(side / 2.0, side / 2.0);
    QConicalGradient sheen(centre, 0);
    const float layer = 0.22f; // the whole sheen is faint
    sheen.setColorAt(0, QColor::fromRgbF(1, 1, 1, 0.35f * layer));
    sheen.setColorAt(0.25, Qt::transparent);
    sheen.setColorAt(0.5, QColor::fromRgbF(1, 1, 1, 0.2f * layer));
    sheen.setColorAt(0.75, Qt::transparent);
    sheen.setColorAt(1, QColor::fromRgbF(1, 1, 1, 0.35f * layer));
    painter.setPen(Qt::NoPen);
    painter.setBrush(sheen);
    painter.drawEllipse(QRectF(image.rect()));
    return image;
}

// ---- The cache

CoverCache::CoverCache(std::int64_t maxBytes) : images_(static_cast<qsizetype>(maxBytes)) {}

std::optional<QImage> CoverCache::find(const QString& key) const {
    QMutexLocker lock(&mutex_);
    if (const QImage* image = images_.object(key))
        return *image;
    return std::nullopt;
}

void CoverCache::insert(const QString& key, const QImage& image) {
    if (image.isNull())
        return;
    QMutexLocker lock(&mutex_);
    images_.insert(key, new QImage(image), static_cast<qsizetype>(image.sizeInBytes()));
}

std::int64_t CoverCache::bytes() const {
    QMutexLocker lock(&mutex_);
    return images_.totalCost();
}

CoverCache& CoverCache::shared() {
    static CoverCache cache;
    return cache;
}

// ---- The providers

CoverImageProvider::CoverImageProvider(CoverCache& cache, CoverLimits limits)
    : cache_(cache), limits_(limits) {
    pool_.setMaxThreadCount(3);
    pool_.setExpiryTimeout(5000);
    pool_.setObjectName(QStringLiteral("cover reader"));
}

CoverImageProvider::~CoverImageProvider() {
    pool_.clear();
    pool_.waitForDone();
}

QQuickImageResponse* CoverImageProvider::requestImageResponse(const QString& id, const QSize& requestedSize) {
    Q_UNUSED(requestedSize);
    // The worker may finish after the engine dropped the response: it holds the answer only.
    auto* response = new AsyncImageResponse(QStringLiteral("no cover"));
    const auto fields = splitFields(id, 4);
    if (!fields) {
        response->answer()->give({});
        return response;
    }
    CoverShape shape;
    shape.side = std::clamp((*fields)[0].toInt(), 0, 2048);
    shape.radius = std::clamp((*fields)[1].toDouble(), 0.0, 1024.0);
    shape.corners = (*fields)[2].toInt() & CoverShape::allCorners;
    shape.sheen = ((*fields)[2].toInt() & CoverShape::withSheen) != 0;
    const std::string path = QUrl::fromPercentEncoding((*fields)[4].toUtf8()).toStdString();
    if (shape.side <= 0 || path.empty()) {
        response->answer()->give({});
        return response;
    }
    if (auto cached = cache_.find(coverCacheKey(path, shape, (*fields)[3].toLongLong()))) {
        response->answer()->give(std::move(*cached));
        return response;
    }
    pool_.start([answer = response->answer(), path, shape, limits = limits_, &cache = cache_] {
        if (answer->cancelled())
            return;
        CoverFile file = readCoverFile(path, shape, limits);
        // Only pictures are remembered: a file that failed is read again next time.
        if (!file.image.isNull())
            cache.insert(coverCacheKey(path, shape, file.modifiedNanoseconds), file.image);
        answer->give(std::move(file.image));
    });
    return response;
}

MusicArtProvider::MusicArtProvider() : QQuickImageProvider(QQuickImageProvider::Image) {}

QImage MusicArtProvider::requestImage(const QString& id, QSize* size, const QSize& requestedSize) {
    Q_UNUSED(requestedSize);
    QImage image;
    const auto kind = id.section(QLatin1Char('/'), 0, 0);
    const auto rest = id.mid(kind.size() + 1);
    if (kind == QLatin1String("placeholder")) {
        if (const auto fields = splitFields(rest, 3)) {
            CoverShape shape;
            shape.side = std::clamp((*fields)[0].toInt(), 1, 2048);
            shape.radius = std::clamp((*fields)[1].toDouble(), 0.0, 1024.0);
            shape.corners = (*fields)[2].toInt() & CoverShape::allCorners;
            shape.sheen = ((*fields)[2].toInt() & CoverShape::withSheen) != 0;
            image = coverPlaceholder(QUrl::fromPercentEncoding((*fields)[3].toUtf8()), shape);
        }
    } else if (kind == QLatin1String("disc")) {
        image = vinylDisc(std::clamp(rest.toInt(), 1, 2048));
    } else if (kind == QLatin1String("discsheen")) {
        image = discSheen(std::clamp(rest.toInt(), 1, 2048));
    }
    if (image.isNull())
        image = blankSquare(1);
    if (size)
        *size = image.size();
    return image;
}

// ---- For QML

Covers* Covers::create(QQmlEngine* engine, QJSEngine*) {
    static Covers* covers = new Covers();
    QQmlEngine::setObjectOwnership(covers, QQmlEngine::CppOwnership);
    if (engine != nullptr) {
        if (engine->imageProvider(QString::fromLatin1(coverProvider)) == nullptr)
            engine->addImageProvider(QString::fromLatin1(coverProvider),
                                     new CoverImageProvider(CoverCache::shared()));
        if (engine->imageProvider(QString::fromLatin1(artProvider)) == nullptr)
            engine->addImageProvider(QString::fromLatin1(artProvider), new MusicArtProvider());
    }
    return covers;
}

QString Covers::source(const QString& pathOrURL, double side, double radius, int corners, double scale,
                       bool sheen) const {
    if (pathOrURL.isEmpty())
        return {};
    const std::string path = coverFilePath(pathOrURL.toStdString());
    // Attributes only: a device or a pipe gets no request at all, and the reader checks again.
    const auto modified = regularFileModified(path);
    if (!modified)
        return {};
    return QStringLiteral("image://%1/%2/%3/%4/%5/%6")
        .arg(QLatin1String(coverProvider))
        .arg(boundedSide(side, scale))
        .arg(numberText(boundedRadius(radius, scale)))
        .arg((corners & CoverShape::allCorners) | (sheen ? CoverShape::withSheen : 0))
        .arg(*modified)
        .arg(QString::fromLatin1(QUrl::toPercentEncoding(QString::fromStdString(path))));
}

QString Covers::placeholder(const QString& seed, double side, double radius, int corners, double scale,
                            bool sheen) const {
    return QStringLiteral("image://%1/placeholder/%2/%3/%4/%5")
        .arg(QLatin1String(artProvider))
        .arg(boundedSide(side, scale))
        .arg(numberText(boundedRadius(radius, scale)))
        .arg((corners & CoverShape::allCorners) | (sheen ? CoverShape::withSheen : 0))
        .arg(QString::fromLatin1(QUrl::toPercentEncoding(seed)));
}

QString Covers::disc(double side, double scale) const {
    return QStringLiteral("image://%1/disc/%2").arg(QLatin1String(artProvider)).arg(boundedSide(side, scale));
}

QString Covers::discSheen(double side, double scale) const {
    return QStringLiteral("image://%1/discsheen/%2")
        .arg(QLatin1String(artProvider))
        .arg(boundedSide(side, scale));
}

QString Covers::mosaicLayout(int coverCount) const {
    switch (ZintraRadio::mosaicLayout(static_cast<std::size_t>(std::max(0, coverCount)))) {
    case MosaicLayout::grid:
        return QStringLiteral("grid");
    case MosaicLayout::single:
        return QStringLiteral("single");
    case MosaicLayout::placeholder:
        break;
    }
    return QStringLiteral("placeholder");
}

void Covers::refresh() {
    ++revision_;
    Q_EMIT revisionChanged();
}

double Covers::discAngleAfter(double angle, double elapsed) const {
    return ZintraRadio::discAngleAfter(angle, elapsed);
}

} // namespace ZintraRadio
