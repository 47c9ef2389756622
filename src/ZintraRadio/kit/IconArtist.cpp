#include "kit/IconArtist.hpp"

#include "kit/Blur.hpp"
#include "kit/QtColor.hpp"
#include "kit/ThemeRules.hpp"

#include <QBuffer>
#include <QDir>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QSaveFile>
#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>

namespace ZintraRadio::IconArtist {

namespace {

constexpr double pi = std::numbers::pi;
constexpr double design = 1024;

double fract(double x) {
    return x - std::floor(x);
}

double hash(double x) {
    return fract(std::sin(x) * 43758.5453123);
}

QColor ramp(double x, double alpha = 1) {
    return qtColor(spectrumRGB(x), alpha);
}

// Draws into the picture in design units (y up), with "shadows": what `draw` paints is
// first painted into a layer in `shadow` colour, blurred and laid under the real drawing,
// as Core-Graphics-style shadows without offset (or with one, for the tile).
class Canvas {
public:
    explicit Canvas(QImage& image) : image_(image), scale_(image.width() / design) {}

    // Adds the design space (y up, 1024 units across) to the painter's transform.
    void setup(QPainter& painter) const {
        painter.setRenderHint(QPainter::Antialiasing);
        painter.translate(0, image_.height());
        painter.scale(scale_, -scale_);
    }

    // `draw` paints with the given colour override (none: its own colours). The shadow layer
    // is drawn at a fraction of the size for wide blurs: blurred, it loses nothing, and the
    // large icons export in a fraction of the time.
    void withShadow(double blur, QPointF offset, const std::function<void(QPainter&, const QColor*)>& draw,
                    const QColor* shadowColor, const QPainterPath* clip) {
        const double sigma = blur * scale_ / 2;
        const int factor = std::clamp(static_cast<int>(sigma / 2), 1, 8);
        const QSize reduced((image_.width() + factor - 1) / factor, (image_.height() + factor - 1) / factor);
        QImage layer(reduced, QImage::Format_ARGB32_Premultiplied);
        layer.fill(Qt::transparent);
        {
            QPainter painter(&layer);
            painter.scale(1.0 / factor, 1.0 / factor);
            setup(painter);
            painter.translate(offset);
            draw(painter, shadowColor);
        }
        gaussianBlur(layer, sigma / factor);
        QPainter painter(&image_);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        if (clip != nullptr) {
            setup(painter);
            painter.setClipPath(*clip);
            painter.resetTransform();
        }
        painter.drawImage(QRectF(0, 0, reduced.width() * factor, reduced.height() * factor), layer);
    }

    void plain(const std::function<void(QPainter&)>& draw, const QPainterPath* clip) {
        QPainter painter(&image_);
        setup(painter);
        if (clip != nullptr)
            painter.setClipPath(*clip);
        draw(painter);
    }

private:
    QImage& image_;
    double scale_;
};

QPen roundPen(const QColor& color, double width) {
    QPen pen(color, width);
    pen.setCapStyle(Qt::RoundCap);
    return pen;
}

QPointF swirlPoint(double s) {
    const double m = std::abs(2 * s - 1);
    const double r =
        196 + 42 * (0.35 + 0.65 * std::sin(pi * m)) *
                  (0.55 * std::sin(34 * m) + 0.3 * std::sin(71 * m + 1.3) + 0.15 * std::sin(13 * m + 0.6));
    const double angle = 2 * pi * s + pi / 2;
    return {512 + r * std::cos(angle), 512 + r * std::sin(angle)};
}

// Arc around the centre, counter-clockwise in the y-up design space from `start` by `sweep`.
QPainterPath arc(double radius, double start, double sweep) {
    QPainterPath path;
    const QRectF box(512 - radius, 512 - radius, 2 * radius, 2 * radius);
    // Qt measures angles counter-clockwise in y-down space; the y-up transform mirrors them,
    // so a positive design angle is a negative Qt angle.
    path.arcMoveTo(box, -start * 180 / pi);
    path.arcTo(box, -start * 180 / pi, -sweep * 180 / pi);
    return path;
}

void drawIcon(QImage& image) {
    Canvas canvas(image);
    QPainterPath tile;
    tile.addRoundedRect(QRectF(100, 100, 824, 824), 186, 186);
    const QColor night = qtColor(Palette::night);

    // 2: the tile with its drop shadow (10 units down).
    const QColor black(0, 0, 0, 115);
    canvas.withShadow(
        24, {0, -10}, [&](QPainter& p, const QColor* c) { p.fillPath(tile, c ? *c : night); }, &black,
        nullptr);
    canvas.plain([&](QPainter& p) { p.fillPath(tile, night); }, nullptr);

    // 4: three glows inside the tile.
    canvas.plain(
        [&](QPainter& p) {
            auto glow = [&p](QPointF centre, double radius,
                             std::initializer_list<std::pair<double, QColor>> stops) {
                QRadialGradient gradient(centre, radius);
                for (const auto& [at, color] : stops)
                    gradient.setColorAt(at, color);
                p.fillRect(QRectF(0, 0, design, design), gradient);
            };
            glow({512, 512}, 470,
                 {{0, qtColor(Palette::violet, 0.55)},
                  {0.5, qtColor(Palette::violet, 0.16)},
                  {1, qtColor(Palette::night, 0)}});
            glow({860, 180}, 420, {{0, qtColor(Palette::cyan, 0.3)}, {1, qtColor(Palette::cyan, 0)}});
            glow({170, 860}, 400, {{0, qtColor(Palette::magenta, 0.22)}, {1, qtColor(Palette::magenta, 0)}});
        },
        &tile);

    // 6: nine broken rings of hashed arcs, each arc glowing in its ring's colour.
    struct Arc {
        QPainterPath path;
        QColor stroke;
        QColor glow;
    };
    std::vector<Arc> arcs;
    for (int k = 0; k <= 8; ++k) {
        const double radius = 262 + 27 * k;
        const int segments = 9 + 3 * k;
        const double phase = hash(3.1 * k);
        for (int j = 0; j < segments; ++j) {
            const double h = hash(78.233 * k + 12.9898 * j);
            if (h <= 0.3)
                continue;
            const double v = hash(91.7 * h);
            const double start = 2 * pi * (j + phase) / segments;
            const double sweep = 2 * pi * (0.25 + 0.55 * v) / segments;
            arcs.push_back(
                {arc(radius, start, sweep), ramp(k / 8.0, 0.45 + 0.55 * hash(3.3 * h)), ramp(k / 8.0, 0.9)});
        }
    }
    canvas.withShadow(
        14, {},
        [&](QPainter& p, const QColor*) {
            for (const auto& a : arcs)
                p.strokePath(a.path, roundPen(a.glow, 8.5));
        },
        nullptr, &tile);
    canvas.plain(
        [&](QPainter& p) {
            for (const auto& a : arcs)
                p.strokePath(a.path, roundPen(a.stroke, 8.5));
        },
        &tile);

    // 7: the swirl, 720 segments from magenta at the bottom to cyan at the top.
    auto swirl = [](QPainter& p, double width, const QColor* single) {
        for (int i = 0; i < 720; ++i) {
            const QColor color = single ? *single : ramp(std::abs(2.0 * i / 720 - 1));
            p.setPen(roundPen(color, width));
            p.drawLine(swirlPoint(i / 720.0), swirlPoint(((i + 1) % 720) / 720.0));
        }
    };
    canvas.withShadow(
        26, {}, [&](QPainter& p, const QColor*) { swirl(p, 11, nullptr); }, nullptr, &tile);
    const QColor white85 = QColor::fromRgbF(1, 1, 1, 0.85f);
    canvas.plain(
        [&](QPainter& p) {
            swirl(p, 11, nullptr);
            swirl(p, 3.5, &white85);
        },
        &tile);

    // 8-10: the dark core with its magenta glow, the inner glow and the core ring.
    QPainterPath core;
    core.addEllipse(QRectF(394, 394, 236, 236));
    const QColor coreFill = QColor::fromRgbF(0.012f, 0.014f, 0.05f);
    const QColor magenta = qtColor(Palette::magenta);
    canvas.withShadow(
        40, {}, [&](QPainter& p, const QColor* c) { p.fillPath(core, c ? *c : coreFill); }, &magenta, &tile);
    canvas.plain(
        [&](QPainter& p) {
            p.fillPath(core, coreFill);
            QRadialGradient gradient(QPointF(512, 512), 116);
            gradient.setColorAt(0, qtColor(Palette::magenta, 0.75));
            gradient.setColorAt(0.55, qtColor(Palette::violet, 0.25));
            gradient.setColorAt(1, qtColor(Palette::night, 0));
            p.fillRect(QRectF(0, 0, design, design), gradient);
        },
        &tile);
    const QColor ringColor = QColor::fromRgbF(1, 0.72f, 0.94f);
    canvas.withShadow(
        22, {}, [&](QPainter& p, const QColor* c) { p.strokePath(core, QPen(c ? *c : ringColor, 7)); },
        &magenta, &tile);
    canvas.plain([&](QPainter& p) { p.strokePath(core, QPen(ringColor, 7)); }, &tile);

    // 11: the small white wave across the core.
    QPainterPath wave;
    wave.moveTo(428, 512);
    for (int k = 1; k <= 60; ++k)
        wave.lineTo(428 + 168.0 * k / 60, 512 + 30 * std::sin(pi * k / 60) * std::sin(19.0 * k / 60));
    QPen wavePen(QColor::fromRgbF(1, 1, 1, 0.95f), 6);
    wavePen.setCapStyle(Qt::RoundCap);
    wavePen.setJoinStyle(Qt::RoundJoin);
    const QColor cyan = qtColor(Palette::cyan);
    canvas.withShadow(
        12, {},
        [&](QPainter& p, const QColor* c) {
            QPen pen = wavePen;
            if (c)
                pen.setColor(*c);
            p.strokePath(wave, pen);
        },
        &cyan, &tile);
    canvas.plain([&](QPainter& p) { p.strokePath(wave, wavePen); }, &tile);

    // 13: the rim.
    canvas.plain([&](QPainter& p) { p.strokePath(tile, QPen(QColor::fromRgbF(1, 1, 1, 0.16f), 3)); },
                 nullptr);
}

} // namespace

QImage icon(int pixels) {
    if (pixels <= 0 || pixels > 8192)
        return {};
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return {};
    image.fill(Qt::transparent);
    drawIcon(image);
    return image;
}

std::vector<IconFile> iconSet() {
    std::vector<IconFile> files;
    for (int n : {16, 32, 128, 256, 512})
        for (int scale : {1, 2}) {
            std::string name = "icon_" + std::to_string(n) + "x" + std::to_string(n);
            name += scale == 2 ? "@2x.png" : ".png";
            files.push_back({name, n * scale});
        }
    return files;
}

int exportTo(const QString& folder) {
    QDir().mkpath(folder);
    int written = 0;
    for (const auto& file : iconSet()) {
        const QImage image = icon(file.pixels);
        if (image.isNull())
            continue;
        // A temporary file beside the target, synced and renamed: a reader never sees half a PNG.
        QSaveFile output(QDir(folder).filePath(QString::fromStdString(file.name)));
        if (!output.open(QIODevice::WriteOnly) || !image.save(&output, "PNG") || !output.commit())
            continue;
        ++written;
    }
    return written;
}

} // namespace ZintraRadio::IconArtist
