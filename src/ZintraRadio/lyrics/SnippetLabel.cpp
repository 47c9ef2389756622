#include "lyrics/SnippetLabel.hpp"

#include "state/Observable.hpp"

#include <QPainter>
#include <QTextCharFormat>
#include <cmath>

namespace ZintraRadio {

namespace {

const QString ellipsis = QStringLiteral("\u2026");

} // namespace

SnippetLabel::SnippetLabel(QQuickItem* parent) : QQuickPaintedItem(parent) {
    setAntialiasing(true);
    relayout();
}

SnippetLabel::~SnippetLabel() = default;

void SnippetLabel::setSnippet(const QString& snippet) {
    if (!storeProperty(this, snippet_, snippet, &SnippetLabel::snippetChanged))
        return;
    readRuns();
    relayout();
}

void SnippetLabel::setColor(const QColor& color) {
    if (!storeProperty(this, color_, color, &SnippetLabel::styleChanged))
        return;
    update();
}

void SnippetLabel::setMarkColor(const QColor& color) {
    if (!storeProperty(this, markColor_, color, &SnippetLabel::styleChanged))
        return;
    relayout();
}

void SnippetLabel::setFontFamily(const QString& family) {
    if (!storeProperty(this, fontFamily_, family, &SnippetLabel::styleChanged))
        return;
    relayout();
}

void SnippetLabel::setPixelSize(double size) {
    if (!(size > 0) || !storeProperty(this, pixelSize_, size, &SnippetLabel::styleChanged))
        return;
    relayout();
}

void SnippetLabel::setMaximumLineCount(int count) {
    count = std::max(1, count);
    if (!storeProperty(this, maximumLineCount_, count, &SnippetLabel::styleChanged))
        return;
    relayout();
}

QStringList SnippetLabel::markedParts() const {
    QStringList parts;
    for (const auto& mark : marks_)
        parts.append(text_.mid(mark.start, mark.length));
    return parts;
}

int SnippetLabel::lineCount() const {
    return layout_ ? layout_->lineCount() : 0;
}

QFont SnippetLabel::baseFont() const {
    QFont font;
    if (!fontFamily_.isEmpty())
        font.setFamily(fontFamily_);
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(pixelSize_))));
    font.setWeight(QFont::Medium);
    return font;
}

QFont SnippetLabel::markFont() const {
    QFont font = baseFont();
    font.setWeight(QFont::Black);
    return font;
}

void SnippetLabel::readRuns() {
    text_.clear();
    marks_.clear();
    for (const auto& run : lyricsview::snippetRuns(snippet_.toStdString())) {
        const QString part = QString::fromStdString(run.text);
        if (run.marked)
            marks_.push_back({static_cast<int>(text_.size()), static_cast<int>(part.size())});
        text_.append(part);
    }
}

int SnippetLabel::layOut(QTextLayout& layout, const QString& text) const {
    layout.setText(text);
    layout.setFont(baseFont());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QList<QTextLayout::FormatRange> formats;
    QTextCharFormat marked;
    marked.setFont(markFont());
    marked.setForeground(markColor_);
    for (const auto& mark : marks_) {
        if (mark.start >= text.size())
            break;
        formats.append(
            {mark.start, std::min<int>(mark.length, static_cast<int>(text.size()) - mark.start), marked});
    }
    layout.setFormats(formats);
    const double lineWidth = width() > 0 ? width() : 1e6;
    double y = 0;
    layout.beginLayout();
    for (;;) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(lineWidth);
        line.setPosition(QPointF(0, y));
        y += line.height();
    }
    layout.endLayout();
    return layout.lineCount();
}

void SnippetLabel::relayout() {
    auto layout = std::make_unique<QTextLayout>();
    truncated_ = layOut(*layout, text_) > maximumLineCount_;
    if (truncated_) {
        // Cut at the end of the last line that fits, then back off until "…" fits as well.
        const QTextLine last = layout->lineAt(maximumLineCount_ - 1);
        auto end = static_cast<int>(last.textStart() + last.textLength());
        do {
            QString cut = text_.left(end);
            while (cut.endsWith(QLatin1Char(' ')))
                cut.chop(1);
            if (layOut(*layout, cut + ellipsis) <= maximumLineCount_)
                break;
            --end;
        } while (end > 0);
    }
    layout_ = std::move(layout);
    double height = 0;
    double naturalWidth = 0;
    for (int i = 0; i < layout_->lineCount(); ++i) {
        height += layout_->lineAt(i).height();
        naturalWidth = std::max(naturalWidth, layout_->lineAt(i).naturalTextWidth());
    }
    setImplicitHeight(std::ceil(height));
    if (width() <= 0)
        setImplicitWidth(std::ceil(naturalWidth));
    Q_EMIT layoutChanged();
    update();
}

void SnippetLabel::geometryChange(const QRectF& newGeometry, const QRectF& oldGeometry) {
    QQuickPaintedItem::geometryChange(newGeometry, oldGeometry);
    if (newGeometry.width() != oldGeometry.width())
        relayout();
}

void SnippetLabel::paint(QPainter* painter) {
    if (!layout_)
        return;
    painter->setPen(color_);
    layout_->draw(painter, QPointF(0, 0));
}

} // namespace ZintraRadio
