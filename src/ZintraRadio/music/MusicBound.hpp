// What the music views' C++ types share: the music model and the browser state they work on,
// as QML properties, and the connections to each that go when it is replaced.
#pragma once

#include "state/FollowedModel.hpp"
#include "state/MusicModel.hpp"
#include "state/MusicUI.hpp"

#include <QMetaObject>
#include <QObject>
#include <QStringList>
#include <QtQml/qqmlregistration.h>

namespace ZintraRadio {

class MusicBound : public QObject {
    Q_OBJECT
    QML_ANONYMOUS
    Q_PROPERTY(QObject* music READ musicObject WRITE setMusicObject NOTIFY musicChanged)
    Q_PROPERTY(QObject* ui READ uiObject WRITE setUiObject NOTIFY uiChanged)

public:
    using QObject::QObject;
    MusicModel* music() const { return music_.get(); }
    void setMusic(MusicModel* music);
    MusicUI* ui() const { return ui_.get(); }
    void setUi(MusicUI* ui);
    QObject* musicObject() const { return music_.get(); }
    void setMusicObject(QObject* music) { setMusic(qobject_cast<MusicModel*>(music)); }
    QObject* uiObject() const { return ui_.get(); }
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
    void followMusic(QMetaObject::Connection connection) { music_.follow(std::move(connection)); }
    void followUi(QMetaObject::Connection connection) { ui_.follow(std::move(connection)); }

private:
    FollowedModel<MusicModel> music_;
    FollowedModel<MusicUI> ui_;
};

} // namespace ZintraRadio
