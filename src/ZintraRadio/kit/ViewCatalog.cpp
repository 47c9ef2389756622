#include "kit/ViewCatalog.hpp"

#include <QFile>
#include <QQmlEngine>

namespace ZintraRadio {

namespace {

const QString root = QStringLiteral("/qt/qml/ZintraRadio/");

bool safePath(const QString& path) {
    return !path.isEmpty() && !path.startsWith(QLatin1Char('/')) && !path.contains(QLatin1String(".."));
}

} // namespace

ViewCatalog* ViewCatalog::create(QQmlEngine*, QJSEngine*) {
    static ViewCatalog* catalog = new ViewCatalog();
    QQmlEngine::setObjectOwnership(catalog, QQmlEngine::CppOwnership);
    return catalog;
}

bool ViewCatalog::has(const QString& path) const {
    return safePath(path) && QFile::exists(QLatin1Char(':') + root + path);
}

QUrl ViewCatalog::url(const QString& path) const {
    return has(path) ? QUrl(QStringLiteral("qrc:") + root + path) : QUrl();
}

} // namespace ZintraRadio
