// What the music views' C++ types share: the music model and the browser state they work on,
// as QML properties, and the connections to each that go when it is replaced.
#pragma once

#include "music/MusicUI.hpp"
#include "state/MusicModel.hpp"

#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QtQml/qqmlregistration.h>
#include <vector>

namespace ZintraRadio {

class MusicBound : public QObject {
    Q_OBJECT
    QML_ANONYMOUS
    Q_PROPERTY(QObject* music READ musicObject WRITE setMusicObject NOTIFY musicChanged)
    Q_PROPERTY(QObject* ui READ uiObject WRITE setUiObject NOTIFY uiChanged)

public:
    using QObject::QObject;
    ~MusicBound() override;

    MusicModel* music() const { return music_.data(); }
    void setMusic(MusicModel* music);
    MusicUI* ui() const { return ui_.data(); }
    void setUi(MusicUI* ui);
    QObject* musicObject() const { return music_.data(); }
    void setMusicObject(QObject* music) { setMusic(qobject_cast<MusicModel*>(music)); }
    QObject* uiObject() const { return ui_.data(); }
    void setUiObject(QObject* ui) { setUi(qobject_cast<MusicUI*>(ui)); }

    // The library's genre names in name order (none without a music model).
    QStringList genres() const;

Q_SIGNALS:
    void musicChanged();
    void uiChanged();

protected:
    // After a new music model or browser state (none included): connect to it here.
    virtual void musicReplaced() {}
    virtual void uiReplaced() {}
    // Connections that go when their model is replaced.
    void followMusic(QMetaObject::Connection connection) {
        musicConnections_.push_back(std::move(connection));
    }
    void followUi(QMetaObject::Connection connection) { uiConnections_.push_back(std::move(connection)); }

private:
    QPointer<MusicModel> music_;
    QPointer<MusicUI> ui_;
    std::vector<QMetaObject::Connection> musicConnections_;
    std::vector<QMetaObject::Connection> uiConnections_;
};

} // namespace ZintraRadio
