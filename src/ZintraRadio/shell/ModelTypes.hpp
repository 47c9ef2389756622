// The state layer as QML sees it: the process's AppModel and UIState as the singletons
// "AppModel" and "UIState" (the same objects the shell and the hooks use), and the types of
// the objects their properties hand out.
#pragma once

#include "state/AppModel.hpp"
#include "state/AppRuntime.hpp"
#include "state/MusicQuery.hpp"
#include "state/UIState.hpp"

#include <QQmlEngine>
#include <QtQml/qqmlregistration.h>

namespace ZintraRadio {

struct AppModelSingleton {
    Q_GADGET
    QML_FOREIGN(ZintraRadio::AppModel)
    QML_NAMED_ELEMENT(AppModel)
    QML_SINGLETON

public:
    static AppModel* create(QQmlEngine*, QJSEngine*) {
        AppModel* model = &AppRuntime::model();
        QQmlEngine::setObjectOwnership(model, QQmlEngine::CppOwnership);
        return model;
    }
};

struct UIStateSingleton {
    Q_GADGET
    QML_FOREIGN(ZintraRadio::UIState)
    QML_NAMED_ELEMENT(UIState)
    QML_SINGLETON

public:
    static UIState* create(QQmlEngine*, QJSEngine*) {
        UIState* ui = &AppRuntime::ui();
        QQmlEngine::setObjectOwnership(ui, QQmlEngine::CppOwnership);
        return ui;
    }
};

struct ListModelForeign {
    Q_GADGET
    QML_FOREIGN(ZintraRadio::ListModelBase)
    QML_ANONYMOUS
};

struct MusicModelForeign {
    Q_GADGET
    QML_FOREIGN(ZintraRadio::MusicModel)
    QML_ANONYMOUS
};

struct MusicQueryForeign {
    Q_GADGET
    QML_FOREIGN(ZintraRadio::MusicQuery)
    QML_ANONYMOUS
};

struct LyricsModelForeign {
    Q_GADGET
    QML_FOREIGN(ZintraRadio::LyricsModel)
    QML_ANONYMOUS
};

struct AudioPulseReaderForeign {
    Q_GADGET
    QML_FOREIGN(ZintraRadio::AudioPulseReader)
    QML_ANONYMOUS
};

struct DownloadJobForeign {
    Q_GADGET
    QML_FOREIGN(ZintraRadio::DownloadJob)
    QML_ANONYMOUS
};

} // namespace ZintraRadio
