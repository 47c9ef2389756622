// Extra space between the lines of a TextEdit (Qt Quick's TextEdit has no line height of its
// own): every block of the edit's document gets the spacing, again after each change of the
// text.
#pragma once

#include <QObject>
#include <QPointer>
#include <QQuickTextDocument>
#include <QtQml/qqmlregistration.h>

namespace ZintraRadio {

class LineSpacing : public QObject {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QQuickTextDocument* document READ document WRITE setDocument NOTIFY documentChanged)
    // Points added below each line.
    Q_PROPERTY(double spacing READ spacing WRITE setSpacing NOTIFY spacingChanged)

public:
    explicit LineSpacing(QObject* parent = nullptr);

    QQuickTextDocument* document() const { return document_; }
    void setDocument(QQuickTextDocument* document);
    double spacing() const { return spacing_; }
    void setSpacing(double spacing);

Q_SIGNALS:
    void documentChanged();
    void spacingChanged();

private:
    void apply();

    QPointer<QQuickTextDocument> document_;
    QMetaObject::Connection contents_;
    double spacing_ = 0;
    bool applying_ = false;
};

} // namespace ZintraRadio
