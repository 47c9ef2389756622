#include "kit/GlowImages.hpp"

#include "kit/Blur.hpp"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QQmlEngine>
#include <QUrl>
#include <algorithm>
#include <cmath>

namespace ZintraRadio {

namespace {

// Shapes beyond this are not glows but mistakes; they would cost megabytes each.
constexpr double maximumSide = 4096;

} // namespace

double glowMargin(double radius) {
    return std::ceil(1.5 * std::max(0.0, radius));
}

QString glowId(const GlowSpec& spec) {
    // Whole pixels and half-pixel corner radii are plenty, and they keep the cache small.
    return QStringLiteral("%1,%2,%3,%4,%5,%6")
        .arg(std::lround(spec.width))
        .arg(std::lround(spec.height))
        .arg(std::round(spec.cornerRadius * 2) / 2)
        .arg(std::round(spec.radius * 2) / 2)
        .arg(std::round(spec.lineWidth * 2) / 2)
        .arg(spec.color.name(QColor::HexArgb).mid(1)); // no '#': it would start a URL fragment
}

std::optional<GlowSpec> parseGlowId(const QString& id) {
    const QStringList parts = id.split(QLatin1Char(','));
    if (parts.size() != 6)
        return std::nullopt;
    GlowSpec spec;
    bool ok[5] = {};
    spec.width = parts[0].toDouble(&ok[0]);
    spec.height = parts[1].toDouble(&ok[1]);
    spec.cornerRadius = parts[2].toDouble(&ok[2]);
    spec.radius = parts[3].toDouble(&ok[3]);
    spec.lineWidth = parts[4].toDouble(&ok[4]);
    spec.color = QColor::fromString(QLatin1Char('#') + parts[5]);
    const bool numbers = ok[0] && ok[1] && ok[2] && ok[3] && ok[4] && spec.lineWidth >= 0;
    if (!numbers || !spec.color.isValid() || !(spec.width >= 0 && spec.width <= maximumSide) ||
        !(spec.height >= 0 && spec.height <= maximumSide) || !(spec.radius >= 0 && spec.radius <= 200) ||
        !(spec.cornerRadius >= 0))
        return std::nullopt;
    return spec;
}

QImage renderGlow(const GlowSpec& spec) {
    const double margin = glowMargin(spec.radius);
    const int width = std::max(1, static_cast<int>(std::lround(spec.width + 2 * margin)));
    const int height = std::max(1, static_cast<int>(std::lround(spec.height + 2 * margin)));
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        const double corner = std::min(spec.cornerRadius, std::min(spec.width, spec.height) / 2);
        const QRectF bounds(margin, margin, spec.width, spec.height);
        QPainterPath shape;
        if (spec.lineWidth > 0) {
            const double inset = spec.lineWidth / 2;
            const double inner = std::max(0.0, corner - inset);
            shape.addRoundedRect(bounds.adjusted(inset, inset, -inset, -inset), inner, inner);
            painter.strokePath(shape, QPen(spec.color, spec.lineWidth));
        } else {
            shape.addRoundedRect(bounds, corner, corner);
            painter.fillPath(shape, spec.color);
        }
    }
    gaussianBlur(image, spec.radius / 2);
    return image;
}

QString glyphGlowId(const GlyphGlowSpec& spec) {
    return QStringLiteral("g,%1,%2,%3,%4,%5")
        .arg(QString::fromLatin1(QUrl::toPercentEncoding(spec.family)))
        .arg(static_cast<uint>(spec.codepoint), 0, 16)
        .arg(spec.pixelSize)
        .arg(std::round(spec.radius * 2) / 2)
        .arg(spec.color.name(QColor::HexArgb).mid(1));
}

std::optional<GlyphGlowSpec> parseGlyphGlowId(const QString& id) {
    const QStringList parts = id.split(QLatin1Char(','));
    if (parts.size() != 6 || parts[0] != QLatin1String("g"))
        return std::nullopt;
    GlyphGlowSpec spec;
    bool ok[3] = {};
    spec.family = QUrl::fromPercentEncoding(parts[1].toLatin1());
    spec.codepoint = static_cast<char32_t>(parts[2].toUInt(&ok[0], 16));
    spec.pixelSize = parts[3].toInt(&ok[1]);
    spec.radius = parts[4].toDouble(&ok[2]);
    spec.color = QColor::fromString(QLatin1Char('#') + parts[5]);
    if (!ok[0] || !ok[1] || !ok[2] || !spec.color.isValid() || spec.codepoint == 0 ||
        spec.codepoint > 0x10ffff || spec.pixelSize <= 0 || spec.pixelSize > 512 ||
        !(spec.radius >= 0 && spec.radius <= 200))
        return std::nullopt;
    return spec;
}

QImage renderGlyphGlow(const GlyphGlowSpec& spec) {
    const double margin = glowMargin(spec.radius);
    const int side = static_cast<int>(std::lround(spec.pixelSize + 2 * margin));
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        QFont font(spec.family);
        font.setPixelSize(spec.pixelSize);
        painter.setFont(font);
        painter.setPen(spec.color);
        const char32_t codepoint = spec.codepoint;
        painter.drawText(QRectF(0, 0, side, side), Qt::AlignCenter, QString::fromUcs4(&codepoint, 1));
    }
    gaussianBlur(image, spec.radius / 2);
    return image;
}

GlowImageProvider::GlowImageProvider() : QQuickImageProvider(QQuickImageProvider::Image) {}

QImage GlowImageProvider::requestImage(const QString& id, QSize* size, const QSize&) {
    QMutexLocker lock(&mutex_);
    if (const QImage* known = drawn_.object(id)) {
        if (size != nullptr)
            *size = known->size();
        return *known;
    }
    QImage image;
    if (id.startsWith(QLatin1String("g,"))) {
        if (const auto glyph = parseGlyphGlowId(id))
            image = renderGlyphGlow(*glyph);
    } else if (const auto spec = parseGlowId(id)) {
        image = renderGlow(*spec);
    }
    if (image.isNull()) { // a bad id shows nothing
        image = QImage(1, 1, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
    }
    drawn_.insert(id, new QImage(image), static_cast<qsizetype>(image.sizeInBytes()));
    if (size != nullptr)
        *size = image.size();
    return image;
}

GlowImages* GlowImages::create(QQmlEngine* engine, QJSEngine*) {
    static GlowImages* images = new GlowImages();
    QQmlEngine::setObjectOwnership(images, QQmlEngine::CppOwnership);
    if (engine != nullptr && engine->imageProvider(QString::fromLatin1(providerName)) == nullptr)
        engine->addImageProvider(QString::fromLatin1(providerName), new GlowImageProvider());
    return images;
}

QString GlowImages::source(double width, double height, double cornerRadius, double radius, double lineWidth,
                           const QColor& color) const {
    if (!(width > 0) || !(height > 0) || !(radius > 0))
        return {};
    return QStringLiteral("image://%1/%2")
        .arg(QString::fromLatin1(providerName),
             glowId({width, height, cornerRadius, radius, lineWidth, color}));
}

QString GlowImages::glyphSource(const QString& family, const QString& glyph, int pixelSize, double radius,
                                const QColor& color) const {
    const QList<uint> codepoints = glyph.toUcs4();
    if (family.isEmpty() || codepoints.isEmpty() || pixelSize <= 0 || !(radius > 0))
        return {};
    return QStringLiteral("image://%1/%2")
        .arg(QString::fromLatin1(providerName),
             glyphGlowId({family, static_cast<char32_t>(codepoints.first()), pixelSize, radius, color}));
}

} // namespace ZintraRadio
