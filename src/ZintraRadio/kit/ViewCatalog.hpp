// Which views the module holds. The main window has places for views that other parts of the
// application provide (the stage, the deck, the module panels); a place whose view is not part
// of this build shows its stand-in instead of failing to load.
#pragma once

#include <QObject>
#include <QString>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

class QQmlEngine;
class QJSEngine;

namespace ZintraRadio {

class ViewCatalog : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    static ViewCatalog* create(QQmlEngine*, QJSEngine*);

    // `path` is relative to the module, such as "stage/StageView.qml".
    Q_INVOKABLE bool has(const QString& path) const;
    // The view's URL, or an empty one when the module does not hold it.
    Q_INVOKABLE QUrl url(const QString& path) const;

private:
    ViewCatalog() = default;
};

} // namespace ZintraRadio
