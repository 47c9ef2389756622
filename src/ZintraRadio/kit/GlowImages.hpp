// Glows: a coloured shadow without offset around a rounded shape or an icon's glyph. Every glow
// of a given shape, size, blur and colour is one image, drawn once and kept by this provider,
// so a list of glowing rows costs one drawing, not an effect per item. The picture is a plain
// image, so glows look the same with and without OpenGL.
#pragma once

#include <QCache>
#include <QColor>
#include <QImage>
#include <QMutex>
#include <QObject>
#include <QQuickImageProvider>
#include <QSizeF>
#include <QString>
#include <QtQml/qqmlregistration.h>
#include <optional>

class QQmlEngine;
class QJSEngine;

namespace ZintraRadio {

struct GlowSpec {
    double width = 0; // the shape, in pixels
    double height = 0;
    double cornerRadius = 0; // clamped to half the shorter side (a capsule or a circle)
    double radius = 0;       // the blur radius; the image extends 1.5 x radius beyond the shape
    double lineWidth = 0;    // 0: the filled shape glows; otherwise its outline of this width
    QColor color;
};

// A glow around one glyph of a font (an icon's own outline) instead of a shape.
struct GlyphGlowSpec {
    QString family;
    char32_t codepoint = 0;
    int pixelSize = 0; // the glyph's font size; the glyph sits centred in a square of this side
    double radius = 0;
    QColor color;
};

// The margin the glow image extends beyond its shape on each side.
double glowMargin(double radius);
// The image id of a glow ("w,h,corner,radius,line,aarrggbb"), and back; nothing for a bad id.
QString glowId(const GlowSpec& spec);
std::optional<GlowSpec> parseGlowId(const QString& id);
// "g,<family, percent-encoded>,<codepoint, hex>,<pixel size>,<radius>,<aarrggbb>", and back.
QString glyphGlowId(const GlyphGlowSpec& spec);
std::optional<GlyphGlowSpec> parseGlyphGlowId(const QString& id);
QImage renderGlyphGlow(const GlyphGlowSpec& spec);

// The glow itself: the shape filled (or its outline stroked inside the border) with the colour,
// blurred with standard deviation radius / 2.
QImage renderGlow(const GlowSpec& spec);

class GlowImageProvider : public QQuickImageProvider {
public:
    GlowImageProvider();
    QImage requestImage(const QString& id, QSize* size, const QSize& requestedSize) override;

private:
    QMutex mutex_;
    QCache<QString, QImage> drawn_{16 * 1024 * 1024}; // by id; the cost is bytes
};

class GlowImages : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    static constexpr const char* providerName = "zintraglow";
    // Installs the image provider into `engine` (once per engine).
    static GlowImages* create(QQmlEngine* engine, QJSEngine*);

    Q_INVOKABLE QString source(double width, double height, double cornerRadius, double radius,
                               double lineWidth, const QColor& color) const;
    // The glow of the first character of `glyph` in `family` at `pixelSize`; empty for none.
    Q_INVOKABLE QString glyphSource(const QString& family, const QString& glyph, int pixelSize, double radius,
                                    const QColor& color) const;
    Q_INVOKABLE double margin(double radius) const { return glowMargin(radius); }

private:
    GlowImages() = default;
};

} // namespace ZintraRadio
