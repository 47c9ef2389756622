#include "deck/OnAir.hpp"

#include "state/AppRuntime.hpp"
#include "state/QtValues.hpp"

#include <QQmlEngine>

namespace ZintraRadio {

OnAir* OnAir::create(QQmlEngine*, QJSEngine*) {
    static OnAir* onAir = new OnAir(AppRuntime::model());
    QQmlEngine::setObjectOwnership(onAir, QQmlEngine::CppOwnership);
    return onAir;
}

OnAir::OnAir(AppModel& model, QObject* parent) : QObject(parent), model_(model) {
    for (auto signal : {&AppModel::stateChanged, &AppModel::currentChanged, &AppModel::videoItemChanged})
        connect(&model_, signal, this, &OnAir::changed);
}

QString OnAir::url() const {
    if (!model_.current() || !model_.isActive() || model_.videoItem())
        return {};
    return qtText(model_.current()->url);
}

bool OnAir::playing() const {
    return model_.state().kind == ZazidEvoz::PlaybackState::Kind::playing;
}

bool OnAir::paused() const {
    return model_.state().kind == ZazidEvoz::PlaybackState::Kind::paused;
}

QVariantList OnAir::levels() const {
    AudioPulseReader* pulse = model_.pulseReader();
    pulse->refresh();
    return {pulse->bass(), pulse->mid(), pulse->treble(), pulse->energy()};
}

} // namespace ZintraRadio
