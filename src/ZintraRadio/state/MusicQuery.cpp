#include "state/MusicQuery.hpp"

namespace ZintraRadio {

MusicQuery::MusicQuery(QObject* parent, const char* threadName) : QObject(parent), threadName_(threadName) {}

MusicQuery::~MusicQuery() {
    task_.cancel();
}

void MusicQuery::setMusic(QObject* music) {
    if (!music_.replace(music))
        return;
    if (MusicModel* model = music_.get())
        music_.follow(connect(model, &MusicModel::databaseRevisionChanged, this, [this] { refresh(); }));
    musicReplaced();
    Q_EMIT musicChanged();
    refresh();
}

std::shared_ptr<ZazidEvoz::MusicDatabase> MusicQuery::database() const {
    return music_ ? music_->database() : nullptr;
}

void MusicQuery::dropReads() {
    ++requests_;
    waiting_.reset();
}

void MusicQuery::request(Work work) {
    ++requests_;
    if (task_.isRunning()) {
        waiting_ = std::move(work);
        return;
    }
    start(std::move(work));
}

void MusicQuery::start(Work work) {
    const std::uint64_t asked = requests_;
    task_ = TaskRunner::run(
        this, threadName_, [work = std::move(work)](std::stop_token) { return work(); },
        [this, asked](Outcome<Applier> outcome) {
            if (waiting_) {
                Work next = std::move(*waiting_);
                waiting_.reset();
                start(std::move(next));
                return;
            }
            if (asked != requests_)
                return;
            if (outcome.value)
                (*outcome.value)();
            else
                readFailed();
        });
}

} // namespace ZintraRadio
