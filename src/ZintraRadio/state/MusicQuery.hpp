// What the views' reads of the music database share: the music model they follow (a QML
// property), one read at a time off the main thread (the database answers on its own queue,
// and a view waiting for it would freeze the window), and a new read after every change of the
// database. A read asked for while one runs replaces any read still waiting and runs when the
// running one ends, whose answer is then dropped: typing a search queues one read, not one per
// key, and a list never shows an answer older than the one it asked for last. An answer shown
// without a read (no database, an empty query) drops the answers still to come.
#pragma once

#include "state/FollowedModel.hpp"
#include "state/MusicModel.hpp"
#include "state/Tasks.hpp"

#include <QObject>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <type_traits>
#include <utility>

namespace ZintraRadio {

class MusicQuery : public QObject {
    Q_OBJECT
    Q_PROPERTY(QObject* music READ musicObject WRITE setMusic NOTIFY musicChanged)

public:
    ~MusicQuery() override;

    QObject* musicObject() const { return music_.get(); }
    // Follows `music` (none when it is no music model) and reads anew.
    void setMusic(QObject* music);

Q_SIGNALS:
    void musicChanged();

protected:
    // `threadName` names the threads of the reads.
    MusicQuery(QObject* parent, const char* threadName);

    MusicModel* music() const { return music_.get(); }
    // The followed model's database; none without either.
    std::shared_ptr<ZazidEvoz::MusicDatabase> database() const;
    // Reads anew: after a new model, after every change of its database, and when the query
    // itself changed.
    virtual void refresh() = 0;
    // After a new model (none included), before its first read: follow more of it here.
    virtual void musicReplaced() {}
    // A read threw: what is shown stays.
    virtual void readFailed() {}
    // A connection to the model followed now; it goes when another model takes its place.
    void followMusic(QMetaObject::Connection connection) { music_.follow(std::move(connection)); }

    // `read` runs on a worker thread, `apply` on the main thread with its result, unless a
    // later read or dropReads() came meanwhile.
    template <typename Read, typename Apply> void read(Read work, Apply apply) {
        using Result = std::invoke_result_t<Read&>;
        request([work = std::move(work), apply = std::move(apply)]() mutable -> Applier {
            auto result = std::make_shared<Result>(work());
            return [apply, result] { apply(std::move(*result)); };
        });
    }
    // The reads waiting and running end unseen.
    void dropReads();

private:
    // What a read hands back to the main thread.
    using Applier = std::function<void()>;
    using Work = std::function<Applier()>;

    void request(Work work);
    void start(Work work);

    FollowedModel<MusicModel> music_;
    const char* threadName_;
    TaskHandle task_;
    std::optional<Work> waiting_;
    std::uint64_t requests_ = 0; // counts requests and drops: a read's answer shows only when it is the last
};

} // namespace ZintraRadio
