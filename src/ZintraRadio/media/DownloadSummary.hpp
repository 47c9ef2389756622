// What the download queue's header needs to know about the whole list: whether any job has
// finished. It follows the list's rows and every job's phase, so the "clear finished" button
// comes and goes as jobs end or are removed.
#pragma once

#include "state/ListModel.hpp"

#include <QObject>
#include <QPointer>
#include <QtQml/qqmlregistration.h>

namespace ZintraRadio {

class DownloadSummary : public QObject {
    Q_OBJECT
    QML_ELEMENT
    // The model's download list (rows with a "job" role holding a DownloadJob).
    Q_PROPERTY(
        ZintraRadio::ListModelBase* downloads READ downloads WRITE setDownloads NOTIFY downloadsChanged)
    Q_PROPERTY(bool hasFinished READ hasFinished NOTIFY hasFinishedChanged)

public:
    explicit DownloadSummary(QObject* parent = nullptr) : QObject(parent) {}

    ListModelBase* downloads() const { return downloads_.data(); }
    void setDownloads(ListModelBase* downloads);
    bool hasFinished() const { return hasFinished_; }

Q_SIGNALS:
    void downloadsChanged();
    void hasFinishedChanged();

private:
    void refresh();

    QPointer<ListModelBase> downloads_;
    bool hasFinished_ = false;
};

} // namespace ZintraRadio
