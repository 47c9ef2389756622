// The mini player's 40-bar spectrum: live bands from the shared audio pulse while playing, a
// slow wave at half strength otherwise. Redrawn with its window's frame driver, at most 60
// times a second.
#pragma once

#include <QQuickPaintedItem>
#include <QtQml/qqmlregistration.h>

namespace ZintraRadio {

class MiniSpectrum : public QQuickPaintedItem {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(bool playing READ playing WRITE setPlaying NOTIFY playingChanged)

public:
    explicit MiniSpectrum(QQuickItem* parent = nullptr);

    bool playing() const { return playing_; }
    void setPlaying(bool playing);

    void paint(QPainter* painter) override;

Q_SIGNALS:
    void playingChanged();

private:
    bool playing_ = false;
};

} // namespace ZintraRadio
