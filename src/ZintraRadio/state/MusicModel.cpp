#include "state/MusicModel.hpp"

#include "ZazidEvoz/core/MediaFolders.hpp"
#include "ZazidEvoz/music/MusicDatabase.hpp"
#include "ZazidEvoz/platform/FileURL.hpp"
#include "ZazidEvoz/platform/Text.hpp"
#include "ZazidEvoz/platform/UserFolders.hpp"
#include "ZazidEvoz/tags/CoverArtService.hpp"
#include "state/ListMoves.hpp"
#include "state/Observable.hpp"
#include "state/QtValues.hpp"
#include "system/MainThread.hpp"

#include <QPointer>
#include <algorithm>
#include <iostream>
#include <numeric>
#include <random>
#include <unordered_map>
#include <unordered_set>

namespace ZintraRadio {

using ZazidEvoz::MusicDatabase;
using ZazidEvoz::MusicSyncer;
using ZazidEvoz::Station;
namespace MediaFolders = ZazidEvoz::MediaFolders;
namespace text = ZazidEvoz::text;

namespace {

constexpr std::int64_t searchLimit = 500;
// Replaces the cover search's address in scripted runs and tests.
constexpr const char* coverBaseURLVariable = "ZINTRARADIO_COVER_API";

std::optional<std::string> coverBaseURL(const std::optional<std::string>& configured) {
    return configured ? configured : ZazidEvoz::platform::nonEmptyEnvironmentValue(coverBaseURLVariable);
}

void createDownloadsFolder() {
    std::error_code ignored;
    std::filesystem::create_directories(MediaFolders::downloads(), ignored);
}

QVariant optionalDate(const std::optional<Date>& date) {
    return date ? QVariant(qtDate(*date)) : QVariant();
}

} // namespace

std::vector<std::size_t> localizedOrder(const std::vector<std::string_view>& texts) {
    const auto keys = text::localizedCaseInsensitiveSortKeys(texts);
    std::vector<std::size_t> order(texts.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&keys](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });
    return order;
}

std::vector<Track> sortedByTitle(std::vector<Track> tracks) {
    std::vector<std::string_view> titles;
    titles.reserve(tracks.size());
    for (const auto& track : tracks)
        titles.emplace_back(track.title);
    std::vector<Track> sorted;
    sorted.reserve(tracks.size());
    for (auto position : localizedOrder(titles))
        sorted.push_back(std::move(tracks[position]));
    return sorted;
}

std::vector<ListRole<Track>> trackRoles() {
    return {
        {"path", [](const Track& t) { return QVariant(qtText(t.path)); }},
        {"title", [](const Track& t) { return QVariant(qtText(t.title)); }},
        {"artist", [](const Track& t) { return QVariant(qtText(t.artist)); }},
        {"album", [](const Track& t) { return QVariant(qtText(t.album)); }},
        {"genre", [](const Track& t) { return QVariant(qtText(t.genre)); }},
        {"year", [](const Track& t) { return QVariant(static_cast<qint64>(t.year)); }},
        {"duration", [](const Track& t) { return QVariant(t.duration); }},
        {"coverFile", [](const Track& t) { return optionalText(t.coverFile); }},
        {"playCount", [](const Track& t) { return QVariant(static_cast<qint64>(t.playCount)); }},
        {"rating", [](const Track& t) { return QVariant(static_cast<qint64>(t.rating)); }},
        {"lastPlayed", [](const Track& t) { return optionalDate(t.lastPlayed); }},
        {"sourceURL", [](const Track& t) { return optionalText(t.sourceURL); }},
        {"fileSize",
         [](const Track& t) { return t.fileSize ? QVariant(static_cast<qint64>(*t.fileSize)) : QVariant(); }},
        {"url", [](const Track& t) { return QVariant(qtText(t.url())); }},
    };
}

QVariantMap trackMap(const Track& track) {
    static const auto roles = trackRoles();
    QVariantMap map;
    for (const auto& role : roles)
        map.insert(QString::fromLatin1(role.name), role.value(track));
    return map;
}

std::string_view rawValue(MusicModel::RepeatMode mode) {
    switch (mode) {
    case MusicModel::RepeatMode::off:
        return "off";
    case MusicModel::RepeatMode::all:
        return "all";
    case MusicModel::RepeatMode::one:
        return "one";
    }
    return "off";
}

const std::vector<MusicModel::RepeatMode>& allRepeatModes() {
    static const std::vector<MusicModel::RepeatMode> modes{
        MusicModel::RepeatMode::off, MusicModel::RepeatMode::all, MusicModel::RepeatMode::one};
    return modes;
}

std::optional<MusicModel::RepeatMode> repeatModeFromRawValue(std::string_view text) {
    for (auto mode : allRepeatModes())
        if (rawValue(mode) == text)
            return mode;
    return std::nullopt;
}

// ---- Start-up

MusicModel::MusicModel(Options options, QObject* parent)
    : QObject(parent), options_(std::move(options)), store_(options_.supportFolder),
      covers_(std::make_shared<const ZazidEvoz::CoverArtService>(coverBaseURL(options_.coverBaseURL))) {
    if (!options_.scheduler)
        options_.scheduler = Scheduler::system();
    trackList_ = new VectorListModel<Track>(&tracks_, trackRoles(), this);
    queueList_ = new VectorListModel<Station>(&queue_, stationRoles(), this);
    playlistList_ = new VectorListModel<Playlist>(&playlists_, playlistRoles(), this);
    smartPlaylistList_ = new VectorListModel<SmartPlaylist>(&smartPlaylists_, smartPlaylistRoles(), this);
    // Every change of the tracks goes through the row model. The browse lists are dropped on
    // its announcements, before any other receiver, so no reader sees lists of older rows.
    connect(trackList_, &QAbstractItemModel::rowsInserted, this, &MusicModel::forgetBrowseLists);
    connect(trackList_, &QAbstractItemModel::rowsRemoved, this, &MusicModel::forgetBrowseLists);
    connect(trackList_, &QAbstractItemModel::rowsMoved, this, &MusicModel::forgetBrowseLists);
    connect(trackList_, &QAbstractItemModel::modelReset, this, &MusicModel::forgetBrowseLists);
    connect(trackList_, &QAbstractItemModel::dataChanged, this, &MusicModel::forgetBrowseLists);

    auto loaded = store_.load();

    if (options_.useDatabase) {
        auto opening = MusicDatabase::openForLibrary(
            (options_.supportFolder ? *options_.supportFolder : MediaFolders::support()) / "music.sqlite");
        database_ = std::move(opening.database); // none: runs on music.json alone
        databaseMovedAside_ = std::move(opening.movedAside);
    }
    if (database_) {
        syncer_ =
            std::make_shared<MusicSyncer>(database_, ZazidEvoz::MusicLibraryStore(options_.supportFolder));
        ZazidEvoz::LyricsBackgroundService::Options lyricsOptions;
        lyricsOptions.lyricsBaseURL = options_.lyricsBaseURL;
        lyricsService_ = std::make_unique<ZazidEvoz::LyricsBackgroundService>(
            database_, makeMainThreadPoster(this), std::move(lyricsOptions));
    }

    snapshot_ = std::move(loaded);
    playlists_ = snapshot_.playlists;
    smartPlaylists_ = snapshot_.smartPlaylists;

    folders_.push_back(MediaFolders::downloads());
    for (const auto& folder : snapshot_.folders) {
        // A relative folder would be scanned against whatever the working folder is.
        if (std::filesystem::path(folder).is_absolute())
            folders_.emplace_back(folder);
        else
            unusableFolders_.push_back(folder);
    }
    if (!unusableFolders_.empty()) {
        std::string listed;
        for (const auto& folder : unusableFolders_)
            listed += (listed.empty() ? "\"" : ", \"") + folder + "\"";
        std::cerr
            << "ZintraRadio: music.json lists folders that are no absolute paths; they are not scanned: "
            << listed << "\n";
    }

    std::vector<Track> startTracks;
    if (database_) {
        if (database_->count() == 0 && !snapshot_.tracks.empty()) {
            // Only once the database holds every track may music.json let go of them.
            if (database_->upsert(snapshot_.tracks)) {
                snapshot_.tracks.clear();
                store_.save(snapshot_);
            } else {
                snapshotKeepsTracks_ = true;
                std::cerr << "ZintraRadio: moving the tracks of music.json into the music database failed; "
                             "music.json keeps them\n";
            }
        }
        startTracks = database_->allTracks();
    } else {
        startTracks = snapshot_.tracks;
    }
    tracks_ = std::move(startTracks);
    indexTracks();

    if (lyricsService_) {
        lyricsService_->setOnStatus([model = QPointer<MusicModel>(this)](const auto& status) {
            if (model)
                model->applyLyricsStatus(status);
        });
    }

    // Made before watching starts: a folder that does not exist yet is not watched.
    createDownloadsFolder();
    startWatching();
    rescan();
    schedulePeriodicRescan();
}

MusicModel::~MusicModel() {
    if (periodicSync_)
        periodicSync_->cancel();
    watcher_.reset();
    rescanTask_.cancel();
    lyricsService_.reset();
}

ListModelBase* MusicModel::trackList() const {
    return trackList_;
}

ListModelBase* MusicModel::queueList() const {
    return queueList_;
}

QStringList MusicModel::folderPaths() const {
    QStringList paths;
    for (const auto& folder : folders_)
        paths.append(qtText(folder.string()));
    return paths;
}

QStringList MusicModel::busyTrackPaths() const {
    QStringList paths;
    for (const auto& path : busyTracks_)
        paths.append(qtText(path));
    return paths;
}

void MusicModel::applyLyricsStatus(const ZazidEvoz::LyricsBackgroundService::Status& status) {
    if (status.done != lyricsStatus_.done)
        bumpDatabaseRevision();
    storeProperty(this, lyricsStatus_, status, &MusicModel::lyricsStatusChanged);
}

void MusicModel::bumpDatabaseRevision() {
    ++databaseRevision_;
    Q_EMIT databaseRevisionChanged();
}

void MusicModel::setScanning(bool scanning) {
    storeProperty(this, scanning_, scanning, &MusicModel::scanningChanged);
}

// ---- Watching and rescans

void MusicModel::startWatching() {
    // The watcher calls back on its own thread; the poster hops to the main thread and drops
    // the call once the model is gone.
    auto poster = makeMainThreadPoster(this);
    auto watcher = std::make_unique<ZazidEvoz::FolderWatcher>(
        [poster, model = QPointer<MusicModel>(this)](std::vector<ZazidEvoz::PathMove> moves) {
            poster([model, moves = std::move(moves)]() mutable {
                if (model)
                    model->folderContentsChanged(std::move(moves));
            });
        },
        std::chrono::milliseconds(static_cast<long long>(options_.watchDebounce * 1000)));
    watcher->watch(folders_);
    watcher_ = std::move(watcher);
}

void MusicModel::folderContentsChanged(std::vector<ZazidEvoz::PathMove> moves) {
    if (!moves.empty()) {
        followMoves(moves);
        pendingMoves_.insert(pendingMoves_.end(), std::make_move_iterator(moves.begin()),
                             std::make_move_iterator(moves.end()));
    }
    rescanAfterRunning([] {});
}

void MusicModel::followMoves(const std::vector<ZazidEvoz::PathMove>& moves) {
    if (moves.empty())
        return;
    bool changed = false;
    for (std::size_t row = 0; row < playlists_.size(); ++row) {
        auto playlist = playlists_[row];
        bool moved = false;
        for (auto& item : playlist.items) {
            if (item.kind != ZazidEvoz::MediaKind::file)
                continue;
            const auto path = ZazidEvoz::platform::pathFromFileURL(item.url);
            if (!path)
                continue;
            if (auto target = ZazidEvoz::movedPath(*path, moves)) {
                item.url = ZazidEvoz::platform::fileURLFromPath(*target);
                moved = true;
            }
        }
        if (moved) {
            replacePlaylist(row, std::move(playlist));
            changed = true;
        }
    }
    if (changed)
        persist();
}

void MusicModel::schedulePeriodicRescan() {
    periodicSync_ = options_.scheduler->schedule(options_.rescanPeriod, [model = QPointer<MusicModel>(this)] {
        if (!model)
            return;
        model->rescan();
        model->schedulePeriodicRescan();
    });
}

void MusicModel::rescan(std::function<void()> done) {
    if (scanning_) {
        // Rescans never overlap or queue up: this request is already answered by the running one.
        if (done)
            done();
        return;
    }
    setScanning(true);
    if (done)
        rescanWaiters_.push_back(std::move(done));
    if (syncer_ && database_)
        rescanWithDatabase();
    else
        rescanWithoutDatabase();
}

void MusicModel::rescanWithDatabase() {
    struct Pass {
        std::int64_t movedTracks = 0; // by the watcher's moves
        std::optional<MusicSyncer::Result> result;
        std::optional<std::vector<Track>> tracks; // read when the pass changed what is shown
    };
    const auto knownCount = static_cast<std::int64_t>(tracks_.size());
    rescanTask_ = TaskRunner::run(
        this, "ZR music sync",
        [syncer = syncer_, database = database_, folders = folders_, knownCount,
         moves = std::exchange(pendingMoves_, {})](std::stop_token stop) {
            createDownloadsFolder();
            Pass pass;
            // Before the files are listed: the moved ones are then found unchanged at their new paths.
            pass.movedTracks = database->moveTracks(moves).value_or(0);
            pass.result = syncer->sync(folders, stop);
            if (pass.movedTracks > 0 ||
                (pass.result && (pass.result->hasChanges() || pass.result->total != knownCount)))
                pass.tracks = database->allTracks();
            return pass;
        },
        [this](Outcome<Pass> outcome) {
            if (outcome.ok() && outcome.value->result) {
                const auto result = *outcome.value->result;
                storeProperty(this, lastSync_,
                              std::optional<LastSync>(LastSync{options_.scheduler->date(), result}),
                              &MusicModel::lastSyncChanged);
                followMoves(result.moves);
                if (result.hasChanges() || result.total != static_cast<std::int64_t>(tracks_.size()) ||
                    outcome.value->movedTracks > 0) {
                    // The list read beside the pass is current unless the list changed meanwhile.
                    replaceTracks(outcome.value->tracks ? std::move(*outcome.value->tracks)
                                                        : database_->allTracks());
                }
            } else if (outcome.ok() && outcome.value->movedTracks > 0) {
                replaceTracks(database_->allTracks());
            }
            bumpDatabaseRevision();
            if (lyricsService_ && options_.lyricsFiller && !lyricsService_->currentStatus().running)
                lyricsService_->start();
            finishRescan();
        });
}

void MusicModel::rescanWithoutDatabase() {
    struct Pass {
        std::vector<Track> tracks;
        std::vector<ZazidEvoz::PathMove> moves; // the watcher's (the playlists followed them), then the rescan's
        std::size_t found = 0;                  // of them, from the rescan
    };
    auto watched = std::exchange(pendingMoves_, {});
    auto start = ZazidEvoz::tracksAfterMoves(tracks_, watched);
    rescanTask_ = TaskRunner::run(
        this, "ZR rescan",
        [store = store_, start = std::move(start), watched = std::move(watched), folders = folders_](
            std::stop_token) {
            createDownloadsFolder();
            Pass pass{{}, watched, 0};
            std::vector<ZazidEvoz::PathMove> found;
            pass.tracks = store.rescan(start, folders, found);
            pass.found = found.size();
            pass.moves.insert(pass.moves.end(), found.begin(), found.end());
            return pass;
        },
        [this](Outcome<Pass> outcome) {
            if (outcome.ok()) {
                const auto& moves = outcome.value->moves;
                followMoves({moves.end() - static_cast<std::ptrdiff_t>(outcome.value->found), moves.end()});
                auto scanned = std::move(outcome.value->tracks);
                // Plays and ratings counted while the files were read are newer than the
                // copy the rescan started from; a moved track's are found by its new path.
                std::unordered_map<std::string, std::size_t> rows;
                for (std::size_t row = 0; row < tracks_.size(); ++row)
                    rows.emplace(ZazidEvoz::movedPath(tracks_[row].path, moves).value_or(tracks_[row].path), row);
                for (auto& track : scanned) {
                    auto found = rows.find(track.path);
                    if (found == rows.end())
                        continue;
                    const auto& current = tracks_[found->second];
                    track.playCount = current.playCount;
                    track.lastPlayed = current.lastPlayed;
                    track.rating = current.rating;
                }
                replaceTracks(std::move(scanned));
                persist();
            }
            finishRescan();
        });
}

void MusicModel::finishRescan() {
    setScanning(false);
    auto waiters = std::move(rescanWaiters_);
    rescanWaiters_.clear();
    for (auto& waiter : waiters)
        waiter();
    // A waiter may have started the next rescan already; the followers then wait for that one.
    if (!rescanFollowers_.empty() && !scanning_) {
        auto followers = std::move(rescanFollowers_);
        rescanFollowers_.clear();
        rescan([followers = std::move(followers)] {
            for (const auto& follower : followers)
                follower();
        });
    }
}

void MusicModel::rescanAfterRunning(std::function<void()> done) {
    if (scanning_)
        rescanFollowers_.push_back(std::move(done));
    else
        rescan(std::move(done));
}

void MusicModel::replaceTracks(std::vector<Track> tracks) {
    if (tracks == tracks_)
        return;
    trackList_->assign(std::move(tracks));
    indexTracks();
    Q_EMIT tracksChanged();
}

std::uint64_t MusicModel::pathHash(std::string_view path) {
    return std::hash<std::string_view>{}(path);
}

void MusicModel::indexTracks() {
    pathHashes_.resize(tracks_.size());
    for (std::size_t row = 0; row < tracks_.size(); ++row)
        pathHashes_[row] = pathHash(tracks_[row].path);
}

std::optional<std::size_t> MusicModel::trackRow(const std::string& path) const {
    // A scan of the tracks themselves touches every row of a large library (tens of
    // megabytes); the hashes lie in one small array, and only a matching row is compared.
    if (pathHashes_.size() == tracks_.size()) {
        const auto hash = pathHash(path);
        for (std::size_t row = 0; row < pathHashes_.size(); ++row)
            if (pathHashes_[row] == hash && tracks_[row].path == path)
                return row;
        return std::nullopt;
    }
    auto found =
        std::find_if(tracks_.begin(), tracks_.end(), [&path](const Track& t) { return t.path == path; });
    if (found == tracks_.end())
        return std::nullopt;
    return static_cast<std::size_t>(found - tracks_.begin());
}

void MusicModel::persist() {
    if (!database_)
        snapshot_.tracks = tracks_;
    else if (!snapshotKeepsTracks_)
        snapshot_.tracks.clear();
    snapshot_.playlists = playlists_;
    snapshot_.smartPlaylists = smartPlaylists_;
    snapshot_.folders.clear();
    for (std::size_t i = 1; i < folders_.size(); ++i)
        snapshot_.folders.push_back(folders_[i].string());
    snapshot_.folders.insert(snapshot_.folders.end(), unusableFolders_.begin(), unusableFolders_.end());
    store_.save(snapshot_);
}

// ---- Search

std::vector<Track> MusicModel::search(const std::string& query) const {
    const auto trimmed = text::trimmedHorizontalWhitespace(query);
    if (trimmed.empty())
        return sortedByTitle(tracks_);
    if (database_)
        return database_->search(trimmed, searchLimit);
    std::vector<Track> hits;
    for (const auto& track : tracks_)
        if (text::containsLocalizedCaseInsensitive(track.title, trimmed) ||
            text::containsLocalizedCaseInsensitive(track.artist, trimmed) ||
            text::containsLocalizedCaseInsensitive(track.album, trimmed) ||
            text::containsLocalizedCaseInsensitive(track.genre, trimmed))
            hits.push_back(track);
    return sortedByTitle(std::move(hits));
}

// ---- Playback queue

void MusicModel::setShuffle(bool shuffle) {
    storeProperty(this, shuffle_, shuffle, &MusicModel::shuffleChanged);
}

void MusicModel::setRepeatMode(RepeatMode mode) {
    storeProperty(this, repeatMode_, mode, &MusicModel::repeatModeChanged);
}

QString MusicModel::repeatModeName() const {
    return qtText(std::string(rawValue(repeatMode_)));
}

void MusicModel::setRepeatModeName(const QString& name) {
    if (auto mode = repeatModeFromRawValue(stdText(name)))
        setRepeatMode(*mode);
}

void MusicModel::setQueueIndex(std::optional<int> index) {
    storeProperty(this, queueIndex_, index, &MusicModel::queueIndexChanged);
}

void MusicModel::playNow(const std::vector<Station>& items, int startAt) {
    if (items.empty())
        return;
    const int count = static_cast<int>(items.size());
    int start = std::clamp(startAt, 0, count - 1);
    auto ordered = items;
    if (shuffle_) {
        auto chosen = ordered[static_cast<std::size_t>(start)];
        ordered.erase(ordered.begin() + start);
        static thread_local std::mt19937_64 random{std::random_device{}()};
        std::shuffle(ordered.begin(), ordered.end(), random);
        ordered.insert(ordered.begin(), std::move(chosen));
        start = 0;
    }
    queueList_->assign(std::move(ordered));
    Q_EMIT queueChanged();
    setQueueIndex(start);
    if (playHandler)
        playHandler(queue_[static_cast<std::size_t>(start)]);
}

bool MusicModel::advance(int step, const std::optional<std::string>& currentURL, bool ended) {
    if (!queueIndex_)
        return false;
    const int count = static_cast<int>(queue_.size());
    const int current = *queueIndex_;
    if (current < 0 || current >= count)
        return false;
    if (!currentURL || !isCurrentEntry(*currentURL))
        return false;
    if (ended && repeatMode_ == RepeatMode::one) {
        if (playHandler)
            playHandler(queue_[static_cast<std::size_t>(current)]);
        return true;
    }
    // In 64 bits: a step from a caller cannot overflow the sum.
    long long next = static_cast<long long>(current) + step;
    if (next < 0 || next >= count) {
        if (repeatMode_ != RepeatMode::all || count == 0) {
            setQueueIndex(std::nullopt);
            return false;
        }
        next = ((next % count) + count) % count;
    }
    setQueueIndex(static_cast<int>(next));
    if (playHandler)
        playHandler(queue_[static_cast<std::size_t>(next)]);
    return true;
}

std::vector<Station> MusicModel::upNext() const {
    if (!queueIndex_)
        return queue_;
    const auto from = std::min(queue_.size(), static_cast<std::size_t>(std::max(*queueIndex_ + 1, 0)));
    return {queue_.begin() + static_cast<std::ptrdiff_t>(from), queue_.end()};
}

void MusicModel::enqueue(const std::vector<Station>& items) {
    queueList_->append(items);
    if (!items.empty())
        Q_EMIT queueChanged();
    if (toastHandler)
        //% "%n item(s) added to the queue"
        toastHandler(Toast::Style::info, stdText(qtTrId("music.queued", static_cast<int>(items.size()))));
}

void MusicModel::playNext(const Station& item) {
    const int position = std::min(static_cast<int>(queue_.size()), queueIndex_.value_or(-1) + 1);
    queueList_->insert(position, item);
    Q_EMIT queueChanged();
}

void MusicModel::removeFromQueue(const std::vector<int>& offsets) {
    const auto rows = validOffsets(offsets, static_cast<int>(queue_.size()));
    if (rows.empty())
        return;
    if (queueIndex_) {
        const int current = *queueIndex_;
        if (std::binary_search(rows.begin(), rows.end(), current))
            setQueueIndex(std::nullopt);
        else
            setQueueIndex(current - static_cast<int>(std::lower_bound(rows.begin(), rows.end(), current) -
                                                     rows.begin()));
    }
    queueList_->removeRows(rows);
    Q_EMIT queueChanged();
}

void MusicModel::moveInQueue(const std::vector<int>& offsets, int destination) {
    std::optional<std::string> currentURL;
    if (queueIndex_ && *queueIndex_ >= 0 && *queueIndex_ < static_cast<int>(queue_.size()))
        currentURL = queue_[static_cast<std::size_t>(*queueIndex_)].url;
    const auto order = orderAfterMove(static_cast<int>(queue_.size()), offsets, destination);
    applyOrder(*queueList_, order);
    Q_EMIT queueChanged();
    if (currentURL) {
        auto found = std::find_if(queue_.begin(), queue_.end(),
                                  [&](const Station& item) { return item.url == *currentURL; });
        setQueueIndex(found == queue_.end() ? std::nullopt
                                            : std::optional<int>(static_cast<int>(found - queue_.begin())));
    }
}

void MusicModel::clearQueue() {
    if (!queue_.empty()) {
        queueList_->assign({});
        Q_EMIT queueChanged();
    }
    setQueueIndex(std::nullopt);
}

void MusicModel::jump(int index) {
    if (index < 0 || index >= static_cast<int>(queue_.size()))
        return;
    setQueueIndex(index);
    if (playHandler)
        playHandler(queue_[static_cast<std::size_t>(index)]);
}

bool MusicModel::isCurrentEntry(const std::string& url) const {
    return queueIndex_ && *queueIndex_ >= 0 && *queueIndex_ < static_cast<int>(queue_.size()) &&
           queue_[static_cast<std::size_t>(*queueIndex_)].url == url;
}

Station MusicModel::describedByItsFile(Station station) const {
    if (station.kind != ZazidEvoz::MediaKind::file)
        return station;
    auto path = ZazidEvoz::platform::pathFromFileURL(station.url);
    if (!path)
        return station;
    Track track;
    bool named = true;
    if (auto row = trackRow(*path)) {
        track = tracks_[*row];
    } else {
        // Read here, on the main thread: the names must be there before the history and Now
        // Playing take them, and the decoder opens the same file next.
        auto file = ZazidEvoz::MusicLibraryStore::readUnlistedFile(*path);
        track = std::move(file.track);
        named = file.tagged;
    }
    const Station described = track.asStation();
    if (named) {
        station.name = described.name;
        station.uploader = described.uploader;
    }
    if (station.duration == 0)
        station.duration = described.duration;
    return station;
}

std::optional<Track> MusicModel::track(const std::string& url) const {
    auto path = ZazidEvoz::platform::pathFromFileURL(url);
    if (!path)
        return std::nullopt;
    if (auto row = trackRow(*path))
        return tracks_[*row];
    return std::nullopt;
}

void MusicModel::markPlayed(const Station& station) {
    if (station.kind != ZazidEvoz::MediaKind::file)
        return;
    auto path = ZazidEvoz::platform::pathFromFileURL(station.url);
    if (!path)
        return;
    auto row = trackRow(*path);
    if (!row)
        return;
    auto& entry = tracks_[*row];
    entry.playCount += 1;
    entry.lastPlayed = options_.scheduler->date();
    trackList_->rowChanged(static_cast<int>(*row));
    Q_EMIT tracksChanged();
    if (database_)
        database_->updateUsage(entry.path, entry.playCount, entry.lastPlayed, entry.rating);
    else
        persist();
}

} // namespace ZintraRadio
