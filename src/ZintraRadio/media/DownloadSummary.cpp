#include "media/DownloadSummary.hpp"

#include "media/MediaRules.hpp"
#include "state/AppRecords.hpp"
#include "state/Observable.hpp"

namespace ZintraRadio {

void DownloadSummary::setDownloads(ListModelBase* downloads) {
    if (downloads_ == downloads)
        return;
    if (downloads_)
        disconnect(downloads_, nullptr, this, nullptr);
    downloads_ = downloads;
    if (downloads_) {
        connect(downloads_, &QAbstractItemModel::rowsInserted, this, &DownloadSummary::refresh);
        connect(downloads_, &QAbstractItemModel::rowsRemoved, this, &DownloadSummary::refresh);
        connect(downloads_, &QAbstractItemModel::modelReset, this, &DownloadSummary::refresh);
        connect(downloads_, &QAbstractItemModel::dataChanged, this, &DownloadSummary::refresh);
    }
    Q_EMIT downloadsChanged();
    refresh();
}

void DownloadSummary::refresh() {
    std::vector<media::JobPhase> phases;
    if (downloads_) {
        const int role = downloads_->roleNames().key("job", -1);
        for (int row = 0; row < downloads_->rowCount(); ++row) {
            auto* job =
                qobject_cast<DownloadJob*>(downloads_->data(downloads_->index(row), role).value<QObject*>());
            if (job == nullptr)
                continue;
            // Each job once: its phase changes count as list changes.
            connect(job, &DownloadJob::phaseChanged, this, &DownloadSummary::refresh, Qt::UniqueConnection);
            if (auto phase = media::jobPhaseNamed(job->phaseName().toStdString()))
                phases.push_back(*phase);
        }
    }
    const bool finished = media::hasFinishedJob(phases);
    storeProperty(this, hasFinished_, finished, &DownloadSummary::hasFinishedChanged);
}

} // namespace ZintraRadio
