// The fonts of the interface, loaded once from the Debian font packages: a rounded face for
// titles and brand texts, a monospaced face for clocks, formats and versions, and the two
// icon fonts. A face that is not installed falls back to the platform's default.
#pragma once

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

class QQmlEngine;
class QJSEngine;

namespace ZintraRadio {

class FontBook : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(QString text READ text CONSTANT)
    Q_PROPERTY(QString rounded READ rounded CONSTANT)
    Q_PROPERTY(QString mono READ mono CONSTANT)
    Q_PROPERTY(QString materialIcons READ materialIcons CONSTANT)
    Q_PROPERTY(QString designIcons READ designIcons CONSTANT)

public:
    static FontBook& instance();
    static FontBook* create(QQmlEngine*, QJSEngine*);

    const QString& text() const { return text_; }
    const QString& rounded() const { return rounded_; }
    const QString& mono() const { return mono_; }
    // Empty when the icon font is not installed.
    const QString& materialIcons() const { return materialIcons_; }
    const QString& designIcons() const { return designIcons_; }

private:
    FontBook();
    QString text_;
    QString rounded_;
    QString mono_;
    QString materialIcons_;
    QString designIcons_;
};

} // namespace ZintraRadio
