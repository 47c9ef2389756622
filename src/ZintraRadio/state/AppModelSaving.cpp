// AppModel: saving the radio library. Every edit asks for a save 0.4 s later and a newer
// edit restarts the wait, so a burst of edits is one write; at the end a save runs at once.
// The store writes atomically: a failed save leaves the old file whole and says so on
// standard error; the library in memory stays as it is and the next edit tries again.
#include "state/AppModel.hpp"

#include <QPointer>

namespace ZintraRadio {

void AppModel::persistSoon() {
    editLibrary([this](ZazidEvoz::LibrarySnapshot& library) { library.volume = volume_; });
    if (saveTask_)
        saveTask_->cancel();
    // The library is read when the save runs, so it holds the last edit.
    QPointer<AppModel> self(this);
    saveTask_ = scheduler_->schedule(saveDelay, [self] {
        if (self)
            self->store_->save(self->library_);
    });
}

void AppModel::saveNow() {
    editLibrary([this](ZazidEvoz::LibrarySnapshot& library) { library.volume = volume_; });
    // The pending save would only write the same library again.
    if (saveTask_)
        saveTask_->cancel();
    store_->save(library_);
}

} // namespace ZintraRadio
