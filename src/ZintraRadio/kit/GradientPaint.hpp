// Spectrum-coloured strokes, fills and texts. Qt Quick's own items draw gradients only along
// one axis and never on strokes or glyphs, so these few items paint with QPainter instead;
// they repaint only when their size or look changes, and they draw the same with or without
// OpenGL.
#pragma once

#include <QColor>
#include <QFont>
#include <QLinearGradient>
#include <QQuickPaintedItem>
#include <QStringList>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

class QImage;
class QQuickWindow;
class QSGImageNode;

namespace ZintraRadio {

class GradientPaint : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("only its enumeration")

public:
    enum Direction {
        Horizontal, // leading edge centre to trailing edge centre
        Diagonal,   // top-leading corner to bottom-trailing corner
        Vertical,   // top centre to bottom centre
    };
    Q_ENUM(Direction)
};

// The gradient over `rect` with the colours evenly spaced; no colours give the spectrum
// (cyan, violet, magenta).
QLinearGradient spreadGradient(const QRectF& rect, GradientPaint::Direction direction,
                               const QVariantList& colors);

// `text` wrapped into at most `maximumLines` lines of `width`: between words where it has
// several (a word too long for its line elided there), anywhere in a single word too long for
// a line. The last line holds the rest of the text, elided at the right. None for an empty text
// or no width.
QStringList wrappedLines(const QString& text, const QFont& font, qreal width, int maximumLines);

// A rounded rectangle, capsule or circle filled with a gradient, or stroked with one inside
// its border (lineWidth > 0).
class GradientShape : public QQuickPaintedItem {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(qreal cornerRadius READ cornerRadius WRITE setCornerRadius NOTIFY lookChanged)
    Q_PROPERTY(qreal lineWidth READ lineWidth WRITE setLineWidth NOTIFY lookChanged)
    Q_PROPERTY(
        ZintraRadio::GradientPaint::Direction direction READ direction WRITE setDirection NOTIFY lookChanged)
    Q_PROPERTY(QVariantList colors READ colors WRITE setColors NOTIFY lookChanged)

public:
    explicit GradientShape(QQuickItem* parent = nullptr);
    void paint(QPainter* painter) override;

    qreal cornerRadius() const { return cornerRadius_; }
    void setCornerRadius(qreal radius);
    qreal lineWidth() const { return lineWidth_; }
    void setLineWidth(qreal width);
    GradientPaint::Direction direction() const { return direction_; }
    void setDirection(GradientPaint::Direction direction);
    const QVariantList& colors() const { return colors_; }
    void setColors(const QVariantList& colors);

Q_SIGNALS:
    void lookChanged();

private:
    qreal cornerRadius_ = 0;
    qreal lineWidth_ = 0;
    GradientPaint::Direction direction_ = GradientPaint::Diagonal;
    QVariantList colors_;
};

// The node of an item's picture on the software scene graph, which draws no custom geometry:
// `old` (or a new one) showing `picture`, smoothed; the caller places it.
QSGImageNode* softwarePictureNode(QQuickWindow& window, QSGNode* old, const QImage& picture);

// The look of a panel's background: `base`, the tint gradient of `colors` along
// `direction` over it, and a soft radial light of `washColor` from `washCentre` out to
// `washRadius` (none at radius 0).
struct BackdropLook {
    QColor base = Qt::black;
    GradientPaint::Direction direction = GradientPaint::Diagonal;
    QVariantList colors; // none: no tint
    QColor washColor = Qt::transparent;
    QPointF washCentre;
    qreal washRadius = 0;
};

// The backdrop's colour at `at` in an item of `size`, as QPainter lays the same gradients.
QColor backdropColour(const BackdropLook& look, QSizeF size, QPointF at);

// A panel's background as one layer of vertex colours over a grid fine enough for its soft
// gradients. A software rasteriser pays for every layer over every pixel on every frame
// the window draws, and a texture costs it more than twice a coloured fill: this stands for
// a night rectangle, a gradient picture and a radial light at the price of one fill.
class PanelBackdrop : public QQuickItem {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QColor color READ color WRITE setColor NOTIFY lookChanged)
    Q_PROPERTY(
        ZintraRadio::GradientPaint::Direction direction READ direction WRITE setDirection NOTIFY lookChanged)
    Q_PROPERTY(QVariantList colors READ colors WRITE setColors NOTIFY lookChanged)
    Q_PROPERTY(QColor washColor READ washColor WRITE setWashColor NOTIFY lookChanged)
    Q_PROPERTY(QPointF washCentre READ washCentre WRITE setWashCentre NOTIFY lookChanged)
    Q_PROPERTY(qreal washRadius READ washRadius WRITE setWashRadius NOTIFY lookChanged)

public:
    // Points between the grid's lines.
    static constexpr qreal gridStep = 40;

    explicit PanelBackdrop(QQuickItem* parent = nullptr);

    const BackdropLook& look() const { return look_; }
    QColor color() const { return look_.base; }
    void setColor(const QColor& color);
    GradientPaint::Direction direction() const { return look_.direction; }
    void setDirection(GradientPaint::Direction direction);
    const QVariantList& colors() const { return look_.colors; }
    void setColors(const QVariantList& colors);
    QColor washColor() const { return look_.washColor; }
    void setWashColor(const QColor& color);
    QPointF washCentre() const { return look_.washCentre; }
    void setWashCentre(const QPointF& centre);
    qreal washRadius() const { return look_.washRadius; }
    void setWashRadius(qreal radius);

Q_SIGNALS:
    void lookChanged();

protected:
    QSGNode* updatePaintNode(QSGNode* old, UpdatePaintNodeData*) override;
    void geometryChange(const QRectF& newGeometry, const QRectF& oldGeometry) override;

private:
    BackdropLook look_;
};

// One line of text (or an icon glyph) painted with a gradient; elided at the right when the
// item is narrower than the text. With `maximumLineCount` above 1 the text wraps at word
// boundaries within the item's width, and the last line that fits is elided.
class GradientText : public QQuickPaintedItem {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QString text READ text WRITE setText NOTIFY lookChanged)
    Q_PROPERTY(QFont font READ font WRITE setFont NOTIFY lookChanged)
    Q_PROPERTY(
        ZintraRadio::GradientPaint::Direction direction READ direction WRITE setDirection NOTIFY lookChanged)
    Q_PROPERTY(QVariantList colors READ colors WRITE setColors NOTIFY lookChanged)
    Q_PROPERTY(
        int horizontalAlignment READ horizontalAlignment WRITE setHorizontalAlignment NOTIFY lookChanged)
    Q_PROPERTY(int maximumLineCount READ maximumLineCount WRITE setMaximumLineCount NOTIFY lookChanged)

public:
    explicit GradientText(QQuickItem* parent = nullptr);
    void paint(QPainter* painter) override;

    const QString& text() const { return text_; }
    void setText(const QString& text);
    const QFont& font() const { return font_; }
    void setFont(const QFont& font);
    GradientPaint::Direction direction() const { return direction_; }
    void setDirection(GradientPaint::Direction direction);
    const QVariantList& colors() const { return colors_; }
    void setColors(const QVariantList& colors);
    int horizontalAlignment() const { return alignment_; }
    void setHorizontalAlignment(int alignment);
    int maximumLineCount() const { return maximumLineCount_; }
    void setMaximumLineCount(int count);

Q_SIGNALS:
    void lookChanged();

protected:
    void geometryChange(const QRectF& newGeometry, const QRectF& oldGeometry) override;

private:
    void measure();
    // The lines shown at `width`: at most maximumLineCount, the last one elided.
    QStringList shownLines(qreal width) const;
    QString text_;
    QFont font_;
    GradientPaint::Direction direction_ = GradientPaint::Horizontal;
    QVariantList colors_;
    int alignment_ = Qt::AlignLeft;
    int maximumLineCount_ = 1;
};

} // namespace ZintraRadio
