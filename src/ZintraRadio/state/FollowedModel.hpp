// The model a view-side type follows, as QML sets it: a guarded pointer (null once the model
// is gone) and the connections made to it, which go when another model takes its place or the
// follower goes.
#pragma once

#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <utility>
#include <vector>

namespace ZintraRadio {

template <typename Model> class FollowedModel {
public:
    FollowedModel() = default;
    FollowedModel(const FollowedModel&) = delete;
    FollowedModel& operator=(const FollowedModel&) = delete;
    ~FollowedModel() { drop(); }

    Model* get() const { return model_.data(); }
    Model* operator->() const { return model_.data(); }
    explicit operator bool() const { return !model_.isNull(); }

    // Follows `model` from now on (none when it is not a Model) and drops the connections to
    // the one before; false, and nothing changed, when it is the one followed already.
    bool replace(QObject* model) {
        auto* next = qobject_cast<Model*>(model);
        if (next == model_)
            return false;
        drop();
        model_ = next;
        return true;
    }

    // A connection to the model followed now.
    void follow(QMetaObject::Connection connection) { connections_.push_back(std::move(connection)); }

private:
    void drop() {
        for (const auto& connection : connections_)
            QObject::disconnect(connection);
        connections_.clear();
    }

    QPointer<Model> model_;
    std::vector<QMetaObject::Connection> connections_;
};

} // namespace ZintraRadio
