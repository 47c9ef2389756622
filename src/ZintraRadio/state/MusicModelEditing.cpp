// Editing the music library on the user's behalf: music folders, finished downloads, covers,
// tags, ratings and the trash. File work (the cover search, ffmpeg, reading tags back, the
// trash) runs on worker threads; what it gives back is applied on the main thread to the
// track found again by its path, since rescans, plays and other edits may have changed the
// list meanwhile.
#include "ZazidEvoz/core/MediaFolders.hpp"
#include "ZazidEvoz/music/MusicDatabase.hpp"
#include "ZazidEvoz/platform/FileURL.hpp"
#include "ZazidEvoz/tags/CoverArtService.hpp"
#include "state/MusicModel.hpp"
#include "state/QtValues.hpp"
#include "system/Trash.hpp"

#include <algorithm>
#include <iostream>
#include <sys/stat.h>
#include <unordered_set>

namespace ZintraRadio {

using ZazidEvoz::TagEditor::Changes;
namespace fs = std::filesystem;

namespace {

// The file's content modification date, when it can be read.
std::optional<Date> modificationDate(const fs::path& file) {
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0)
        return std::nullopt;
    return ZazidEvoz::platform::dateFromSecondsSince1970(double(info.st_mtim.tv_sec) +
                                                         double(info.st_mtim.tv_nsec) / 1e9);
}

// Runs `step` for each track in order, the next one only once the previous one has called
// its continuation, and then `done`.
struct TrackSequence {
    std::vector<Track> tracks;
    std::size_t next = 0;
    std::function<void(const Track&, std::function<void()>)> step;
    std::function<void()> done;
};

void continueSequence(const std::shared_ptr<TrackSequence>& sequence) {
    if (sequence->next == sequence->tracks.size()) {
        if (sequence->done)
            sequence->done();
        return;
    }
    const Track& track = sequence->tracks[sequence->next++];
    sequence->step(track, [sequence] { continueSequence(sequence); });
}

void oneAfterAnother(std::vector<Track> tracks, std::function<void(const Track&, std::function<void()>)> step,
                     std::function<void()> done) {
    continueSequence(std::make_shared<TrackSequence>(
        TrackSequence{std::move(tracks), 0, std::move(step), std::move(done)}));
}

// A local file's path from a URL the views pass; nothing for other URLs.
std::optional<fs::path> localFile(const QUrl& url) {
    if (!url.isLocalFile())
        return std::nullopt;
    fs::path path = stdText(url.toLocalFile());
    if (!path.is_absolute())
        return std::nullopt;
    return path;
}

// What the trash did with the files of one request.
struct TrashOutcome {
    std::vector<std::string> removed; // trashed now, or already gone
    std::vector<std::string> kept;    // still in place
};

} // namespace

// ---- Folders

void MusicModel::addFolder(const fs::path& folder) {
    // A relative folder would be scanned against whatever the working folder is.
    if (!folder.is_absolute() || std::find(folders_.begin(), folders_.end(), folder) != folders_.end())
        return;
    folders_.push_back(folder);
    Q_EMIT foldersChanged();
    persist();
    startWatching();
    // A rescan that is running now lists the old folders: the new one needs a pass of its own.
    rescanAfterRunning([] {});
}

void MusicModel::addFolder(const QUrl& folder) {
    if (auto path = localFile(folder))
        addFolder(*path);
}

void MusicModel::removeFolder(const fs::path& folder) {
    if (folder == ZazidEvoz::MediaFolders::downloads())
        return;
    const auto before = folders_.size();
    std::erase(folders_, folder);
    if (folders_.size() != before)
        Q_EMIT foldersChanged();
    persist();
    startWatching();
    rescanAfterRunning([] {});
}

void MusicModel::removeFolder(const QUrl& folder) {
    if (auto path = localFile(folder))
        removeFolder(*path);
}

// ---- Downloads

void MusicModel::registerDownload(const fs::path& file, const std::string& sourceURL,
                                  std::function<void()> done) {
    // A rescan that is running now may have listed the Downloads folder before the file
    // arrived; only a pass that starts after this call is sure to read it.
    rescanAfterRunning([this, path = file.string(), sourceURL, done = std::move(done)]() mutable {
        addToLibrary(path, sourceURL, std::move(done));
    });
}

void MusicModel::addToLibrary(const std::string& path, const std::string& sourceURL,
                              std::function<void()> done) {
    const auto row = trackRow(path);
    if (!row) {
        if (done)
            done();
        return;
    }
    auto& track = tracks_[*row];
    track.sourceURL = sourceURL;
    track.added = options_.scheduler->date();
    trackList_->rowChanged(static_cast<int>(*row));
    Q_EMIT tracksChanged();
    const Track added = track;
    // Without a database the tracks live in music.json: saved now, the source address
    // survives a quit before the next save.
    if (database_)
        database_->upsert({added});
    else
        persist();
    if (added.coverFile) {
        if (done)
            done();
        return;
    }
    fetchCover(added, std::move(done));
}

// ---- Covers

void MusicModel::fetchCover(const Track& track, std::function<void()> done) {
    markBusy(track.path);
    TaskRunner::run(
        this, "ZR cover",
        [covers = covers_, artist = track.artist, title = track.title, album = track.album](
            std::stop_token stop) { return covers->downloadCover(artist, title, album, stop); },
        [this, track, done = std::move(done)](Outcome<std::optional<fs::path>> outcome) mutable {
            unmarkBusy(track.path);
            const std::optional<fs::path> picture = outcome.ok() ? *outcome.value : std::nullopt;
            if (!picture) {
                if (toastHandler)
                    //% "No cover found."
                    toastHandler(Toast::Style::warning, stdText(qtTrId("music.noCoverFound")));
                if (done)
                    done();
                return;
            }
            Changes changes;
            changes.coverImage = *picture;
            edit(track, changes, [picture = *picture, done = std::move(done)] {
                std::error_code ignored;
                fs::remove(picture, ignored);
                if (done)
                    done();
            });
        });
}

void MusicModel::fetchCover(const QString& path) {
    if (auto row = trackRow(stdText(path)))
        fetchCover(tracks_[*row]);
}

void MusicModel::fetchMissingCovers(std::function<void()> done) {
    std::vector<Track> missing;
    for (const auto& track : tracks_)
        if (!track.coverFile)
            missing.push_back(track);
    oneAfterAnother(
        std::move(missing),
        [this](const Track& track, std::function<void()> next) { fetchCover(track, next); }, std::move(done));
}

void MusicModel::setCover(const fs::path& image, const std::vector<Track>& tracks,
                          std::function<void()> done) {
    Changes changes;
    changes.coverImage = image;
    oneAfterAnother(
        tracks,
        [this, changes](const Track& track, std::function<void()> next) { edit(track, changes, next); },
        std::move(done));
}

void MusicModel::setCover(const QUrl& image, const QStringList& paths) {
    if (auto file = localFile(image))
        setCover(*file, tracksWithPaths(paths));
}

// ---- Tags

void MusicModel::setGenre(const std::string& genre, const std::vector<Track>& tracks,
                          std::function<void()> done) {
    Changes changes;
    changes.genre = genre;
    oneAfterAnother(
        tracks,
        [this, changes](const Track& track, std::function<void()> next) { edit(track, changes, next); },
        std::move(done));
}

void MusicModel::setGenre(const QString& genre, const QStringList& paths) {
    setGenre(stdText(genre), tracksWithPaths(paths));
}

void MusicModel::edit(const Track& track, const Changes& changes, std::function<void()> done) {
    markBusy(track.path);
    auto& pending = edits_[track.path];
    pending.push_back({track, changes, std::move(done)});
    // Two edits of one file at once would each start from the old file, and the later one
    // to finish would undo the other's changes.
    if (pending.size() == 1)
        startNextEdit(track.path);
}

void MusicModel::startNextEdit(const std::string& path) {
    const auto& pending = edits_.at(path).front();
    const Date started = options_.scheduler->date();
    TaskRunner::run(
        this, "ZR tag edit",
        [store = store_, changes = pending.changes, file = fs::path(path), started](std::stop_token) {
            ZazidEvoz::TagEditor::apply(changes, file);
            const auto modified = modificationDate(file).value_or(started);
            return store.readTrack(file, modified);
        },
        [this, path](Outcome<Track> outcome) {
            auto& queue = edits_.at(path);
            auto finished = std::move(queue.front());
            queue.pop_front();
            if (outcome.ok()) {
                Track fresh = std::move(*outcome.value);
                // The library's history of the track is the library's, not the file's; plays
                // counted during the edit count too.
                const auto row = trackRow(path);
                const Track& old = row ? tracks_[*row] : finished.track;
                fresh.added = old.added;
                fresh.playCount = old.playCount;
                fresh.lastPlayed = old.lastPlayed;
                fresh.rating = old.rating;
                fresh.sourceURL = old.sourceURL;
                replace(fresh);
            } else if (toastHandler) {
                toastHandler(Toast::Style::error, outcome.errorText());
            }
            unmarkBusy(path);
            if (queue.empty())
                edits_.erase(path);
            else
                startNextEdit(path);
            if (finished.done)
                finished.done();
        });
}

void MusicModel::edit(const QString& path, const QVariantMap& changes) {
    const auto row = trackRow(stdText(path));
    if (!row)
        return;
    Changes wanted;
    const auto text = [&changes](const char* key) -> std::optional<std::string> {
        if (!changes.contains(QLatin1String(key)))
            return std::nullopt;
        return stdText(changes.value(QLatin1String(key)).toString());
    };
    wanted.title = text("title");
    wanted.artist = text("artist");
    wanted.album = text("album");
    wanted.genre = text("genre");
    if (changes.contains(QStringLiteral("year")))
        wanted.year = changes.value(QStringLiteral("year")).toLongLong();
    if (changes.contains(QStringLiteral("coverImage"))) {
        const auto value = changes.value(QStringLiteral("coverImage"));
        // A file URL from a file dialog, or a plain path.
        QUrl url = value.toUrl();
        if (url.scheme().isEmpty())
            url = QUrl::fromLocalFile(value.toString());
        const auto image = localFile(url);
        if (!image)
            return; // not a picture on this computer: nothing to embed
        wanted.coverImage = *image;
    }
    edit(tracks_[*row], wanted);
}

void MusicModel::replace(const Track& track) {
    if (auto row = trackRow(track.path)) {
        trackList_->replace(static_cast<int>(*row), track);
    } else {
        trackList_->append({track});
        indexTracks();
    }
    Q_EMIT tracksChanged();
    if (database_)
        database_->upsert({track});
    // Playlist entries of the track show its new name, genre, length and cover.
    const Station item = track.asStation();
    for (std::size_t row = 0; row < playlists_.size(); ++row) {
        auto playlist = playlists_[row];
        bool changed = false;
        for (auto& entry : playlist.items) {
            if (entry.url == item.url && !(entry == item)) {
                entry = item;
                changed = true;
            }
        }
        if (changed)
            replacePlaylist(row, std::move(playlist));
    }
    persist();
}

// ---- Ratings

void MusicModel::rate(const Track& track, int stars) {
    const auto row = trackRow(track.path);
    if (!row)
        return;
    auto& entry = tracks_[*row];
    const std::int64_t rating = std::clamp(stars, 0, 5);
    if (entry.rating != rating) {
        entry.rating = rating;
        trackList_->rowChanged(static_cast<int>(*row));
        Q_EMIT tracksChanged();
    }
    if (database_)
        database_->updateUsage(entry.path, entry.playCount, entry.lastPlayed, entry.rating);
    else
        persist();
}

void MusicModel::rate(const QString& path, int stars) {
    if (auto row = trackRow(stdText(path)))
        rate(tracks_[*row], stars);
}

// ---- Trash

void MusicModel::trash(const std::vector<Track>& tracks, std::function<void()> done) {
    std::vector<std::string> paths;
    paths.reserve(tracks.size());
    for (const auto& track : tracks)
        paths.push_back(track.path);
    TaskRunner::run(
        this, "ZR trash",
        [paths = std::move(paths)](std::stop_token) {
            TrashOutcome outcome;
            for (const auto& path : paths) {
                std::error_code error;
                if (!fs::exists(fs::symlink_status(path, error))) {
                    outcome.removed.push_back(path);
                    continue;
                }
                const auto result = moveToTrash(path);
                if (result.trashed) {
                    outcome.removed.push_back(path);
                } else {
                    std::cerr << "ZintraRadio: moving " << path << " to the trash failed: " << result.error
                              << '\n';
                    outcome.kept.push_back(path);
                }
            }
            return outcome;
        },
        [this, done = std::move(done)](Outcome<TrashOutcome> outcome) {
            if (outcome.ok()) {
                forgetTrashed(outcome.value->removed);
                const auto kept = static_cast<int>(outcome.value->kept.size());
                if (kept > 0 && toastHandler)
                    //% "%n file(s) could not be moved to the Trash and stay in the library."
                    toastHandler(Toast::Style::warning, stdText(qtTrId("music.trashFailed", kept)));
            }
            if (done)
                done();
        });
}

void MusicModel::trash(const QStringList& paths) {
    trash(tracksWithPaths(paths));
}

void MusicModel::forgetTrashed(const std::vector<std::string>& paths) {
    const std::unordered_set<std::string> removedPaths(paths.begin(), paths.end());
    std::unordered_set<std::string> removedURLs;
    for (const auto& path : paths)
        removedURLs.insert(ZazidEvoz::platform::fileURLFromPath(path));

    const auto before = tracks_.size();
    trackList_->removeIf([&removedPaths](const Track& track) { return removedPaths.contains(track.path); });
    if (tracks_.size() != before) {
        indexTracks();
        Q_EMIT tracksChanged();
    }
    if (database_ && !paths.empty())
        database_->deletePaths(paths);
    for (std::size_t row = 0; row < playlists_.size(); ++row) {
        auto playlist = playlists_[row];
        const auto erased = std::erase_if(
            playlist.items, [&removedURLs](const Station& item) { return removedURLs.contains(item.url); });
        if (erased > 0)
            replacePlaylist(row, std::move(playlist));
    }
    persist();
}

// ---- Helpers

std::vector<Track> MusicModel::tracksWithPaths(const QStringList& paths) const {
    std::vector<Track> found;
    for (const auto& path : paths)
        if (auto row = trackRow(stdText(path)))
            found.push_back(tracks_[*row]);
    return found;
}

void MusicModel::markBusy(const std::string& path) {
    if (busyCounts_[path]++ == 0) {
        busyTracks_.insert(path);
        Q_EMIT busyTracksChanged();
    }
}

void MusicModel::unmarkBusy(const std::string& path) {
    auto found = busyCounts_.find(path);
    if (found == busyCounts_.end() || --found->second > 0)
        return;
    busyCounts_.erase(found);
    busyTracks_.erase(path);
    Q_EMIT busyTracksChanged();
}

} // namespace ZintraRadio
