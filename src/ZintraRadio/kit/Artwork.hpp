// Station artwork for QML: the picture address of a station ("image://artwork/..."), which
// Image items load asynchronously through the shared ArtworkStore, and the placeholder's
// initial and colours. A row that goes away cancels its picture's transfer.
#pragma once

#include <QColor>
#include <QObject>
#include <QQuickAsyncImageProvider>
#include <QString>
#include <QtQml/qqmlregistration.h>

class QQmlEngine;
class QJSEngine;

namespace ZintraRadio {

class ArtworkStore;

// A fetched picture as shown: cropped to fill `requestedSize`, over the night colour, inside a
// rounded square; a null image stays null.
QImage framedArtwork(const QImage& picture, const QSize& requestedSize, double cornerFraction);

class ArtworkImageProvider : public QQuickAsyncImageProvider {
public:
    explicit ArtworkImageProvider(ArtworkStore& store) : store_(store) {}
    QQuickImageResponse* requestImageResponse(const QString& id, const QSize& requestedSize) override;

private:
    ArtworkStore& store_;
};

class Artwork : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    static constexpr const char* providerName = "artwork";
    // Installs the image provider into `engine` (once per engine).
    static Artwork* create(QQmlEngine* engine, QJSEngine*);

    // The image source for the station's picture, or empty when it has none. The picture comes
    // cropped to fill the requested size, on the night colour, with its corners rounded by
    // `cornerFraction` of its side.
    Q_INVOKABLE QString source(const QString& thumbnailURL, const QString& faviconURL,
                               double cornerFraction) const;
    Q_INVOKABLE QString initial(const QString& name) const;
    Q_INVOKABLE QColor accent(const QString& name) const;
    Q_INVOKABLE QColor mix(const QString& name) const;

private:
    Artwork() = default;
};

} // namespace ZintraRadio
