#include "music/LibraryStatus.hpp"

#include "lyrics/LyricsTexts.hpp"
#include "state/TestHooks.hpp"

#include <algorithm>
#include <climits>

namespace ZintraRadio {

LibraryStatus::LibraryStatus(QObject* parent) : QObject(parent) {}

QObject* LibraryStatus::musicObject() const {
    return music_.get();
}

void LibraryStatus::setMusic(QObject* object) {
    if (!music_.replace(object))
        return;
    if (MusicModel* music = music_.get()) {
        auto changed = [this] { Q_EMIT statusChanged(); };
        music_.follow(connect(music, &MusicModel::scanningChanged, this, changed));
        music_.follow(connect(music, &MusicModel::lyricsStatusChanged, this, changed));
        music_.follow(connect(music, &MusicModel::lastSyncChanged, this, changed));
    }
    Q_EMIT musicChanged();
    Q_EMIT statusChanged();
}

bool LibraryStatus::busy() const {
    return music_ && (music_->scanning() || music_->lyricsStatus().running);
}

QString LibraryStatus::syncText() const {
    return music_ ? syncLine(music_->scanning(), music_->lastSync()) : syncLine(false, std::nullopt);
}

QString LibraryStatus::lyricsText() const {
    return lyricsLine(music_ ? music_->lyricsStatus() : ZazidEvoz::LyricsBackgroundService::Status{});
}

qint64 LibraryStatus::found() const {
    return music_ ? music_->lyricsStatus().found : 0;
}

qint64 LibraryStatus::remaining() const {
    return music_ ? music_->lyricsStatus().remaining : 0;
}

bool LibraryStatus::openAtStart() {
    return TestHooks::value("MUSIC_OPEN") == "status";
}

QString LibraryStatus::syncLine(bool scanning, const std::optional<MusicModel::LastSync>& lastSync,
                                const QLocale& locale) {
    if (scanning)
        //% "Syncing the library folders…"
        return qtTrId("status.syncing");
    if (!lastSync)
        //% "The library is in sync with its folders."
        return qtTrId("status.synced");
    const auto& result = lastSync->result;
    const int files = static_cast<int>(std::clamp<std::int64_t>(result.total, 0, INT_MAX));
    // One pass over the text: a number never lands where a later placeholder is looked for.
    //% "Last sync at %1: %n file(s), %2 added, %3 changed, %4 removed."
    return qtTrId("status.lastSync", files)
        .arg(shortTimeText(lastSync->date, locale), QString::number(result.added),
             QString::number(result.changed), QString::number(result.removed));
}

QString LibraryStatus::lyricsLine(const ZazidEvoz::LyricsBackgroundService::Status& status) {
    if (!status.running)
        //% "Lyrics of the library are up to date."
        return qtTrId("status.lyricsIdle");
    const QString current =
        status.current ? QString::fromStdString(*status.current) : QStringLiteral("\u2026");
    //% "Looking up lyrics: %1"
    return qtTrId("status.lyricsRunning").arg(current);
}

void LibraryStatus::rescan() {
    if (music_)
        music_->rescan();
}

} // namespace ZintraRadio
