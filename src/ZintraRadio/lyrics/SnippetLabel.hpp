// A search snippet drawn as plain text with its matched words marked: the runs come from the
// snippet rules and are laid out with text formats, never through a markup language, so
// whatever the stored lyrics hold is shown as it is. At most `maximumLineCount` lines; a cut
// last line ends in "…".
#pragma once

#include "lyrics/LyricsRules.hpp"

#include <QColor>
#include <QFont>
#include <QQuickPaintedItem>
#include <QString>
#include <QTextLayout>
#include <QtQml/qqmlregistration.h>
#include <memory>
#include <vector>

namespace ZintraRadio {

class SnippetLabel : public QQuickPaintedItem {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QString snippet READ snippet WRITE setSnippet NOTIFY snippetChanged)
    Q_PROPERTY(QColor color READ color WRITE setColor NOTIFY styleChanged)
    Q_PROPERTY(QColor markColor READ markColor WRITE setMarkColor NOTIFY styleChanged)
    Q_PROPERTY(QString fontFamily READ fontFamily WRITE setFontFamily NOTIFY styleChanged)
    Q_PROPERTY(double pixelSize READ pixelSize WRITE setPixelSize NOTIFY styleChanged)
    Q_PROPERTY(int maximumLineCount READ maximumLineCount WRITE setMaximumLineCount NOTIFY styleChanged)
    // The shown text without the markers, and its marked parts, for tests and accessibility.
    Q_PROPERTY(QString plainText READ plainText NOTIFY layoutChanged)
    Q_PROPERTY(QStringList markedParts READ markedParts NOTIFY layoutChanged)
    Q_PROPERTY(int lineCount READ lineCount NOTIFY layoutChanged)
    Q_PROPERTY(bool truncated READ truncated NOTIFY layoutChanged)

public:
    explicit SnippetLabel(QQuickItem* parent = nullptr);
    ~SnippetLabel() override;

    QString snippet() const { return snippet_; }
    void setSnippet(const QString& snippet);
    QColor color() const { return color_; }
    void setColor(const QColor& color);
    QColor markColor() const { return markColor_; }
    void setMarkColor(const QColor& color);
    QString fontFamily() const { return fontFamily_; }
    void setFontFamily(const QString& family);
    double pixelSize() const { return pixelSize_; }
    void setPixelSize(double size);
    int maximumLineCount() const { return maximumLineCount_; }
    void setMaximumLineCount(int count);

    QString plainText() const { return text_; }
    QStringList markedParts() const;
    int lineCount() const;
    bool truncated() const { return truncated_; }

    void paint(QPainter* painter) override;

Q_SIGNALS:
    void snippetChanged();
    void styleChanged();
    void layoutChanged();

protected:
    void geometryChange(const QRectF& newGeometry, const QRectF& oldGeometry) override;

private:
    struct Mark {
        int start = 0;
        int length = 0;
    };
    QFont baseFont() const;
    QFont markFont() const;
    void readRuns();
    // Lays `text` out to the width; the number of lines it takes.
    int layOut(QTextLayout& layout, const QString& text) const;
    void relayout();

    QString snippet_;
    QColor color_ = QColor::fromRgbF(1, 1, 1, 0.62);
    QColor markColor_ = QColor(0x38, 0xeb, 0xff);
    QString fontFamily_;
    double pixelSize_ = 12;
    int maximumLineCount_ = 2;

    QString text_;
    std::vector<Mark> marks_;
    std::unique_ptr<QTextLayout> layout_;
    bool truncated_ = false;
};

} // namespace ZintraRadio
