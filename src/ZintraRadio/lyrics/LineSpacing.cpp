#include "lyrics/LineSpacing.hpp"

#include "state/Observable.hpp"

#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextDocument>

namespace ZintraRadio {

LineSpacing::LineSpacing(QObject* parent) : QObject(parent) {}

void LineSpacing::setDocument(QQuickTextDocument* document) {
    if (document == document_)
        return;
    disconnect(contents_);
    document_ = document;
    if (document_ && document_->textDocument())
        contents_ =
            connect(document_->textDocument(), &QTextDocument::contentsChanged, this, [this] { apply(); });
    Q_EMIT documentChanged();
    apply();
}

void LineSpacing::setSpacing(double spacing) {
    if (!storeProperty(this, spacing_, spacing, &LineSpacing::spacingChanged))
        return;
    apply();
}

void LineSpacing::apply() {
    // Setting the block format changes the contents again.
    if (applying_ || !document_ || !document_->textDocument())
        return;
    applying_ = true;
    QTextCursor cursor(document_->textDocument());
    cursor.select(QTextCursor::Document);
    QTextBlockFormat format;
    format.setLineHeight(spacing_, QTextBlockFormat::LineDistanceHeight);
    cursor.mergeBlockFormat(format);
    applying_ = false;
}

} // namespace ZintraRadio
