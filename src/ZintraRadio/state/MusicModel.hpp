// The local music library as the views see it: tracks, playlists, smart playlists and music
// folders, kept in step with the files by rescans (at start, every 600 s, on folder changes,
// on request); the playback queue with shuffle and repeat; and the library actions.
#pragma once

#include "ZazidEvoz/LyricsBackgroundService.hpp"
#include "ZazidEvoz/MusicLibrary.hpp"
#include "ZazidEvoz/MusicSync.hpp"
#include "state/AppRecords.hpp"
#include "state/ListModel.hpp"
#include "state/Scheduler.hpp"
#include "state/Tasks.hpp"

#include <QObject>
#include <QString>
#include <QVariant>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace ZazidEvoz {
class CoverArtService;
class MusicDatabase;
} // namespace ZazidEvoz

namespace ZintraRadio {

using ZazidEvoz::Track;

class MusicModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(ListModelBase* trackList READ trackList CONSTANT)
    Q_PROPERTY(ListModelBase* queueList READ queueList CONSTANT)
    Q_PROPERTY(QVariant queueIndex READ queueIndexValue NOTIFY queueIndexChanged)
    Q_PROPERTY(bool shuffle READ shuffle WRITE setShuffle NOTIFY shuffleChanged)
    Q_PROPERTY(QString repeatMode READ repeatModeName WRITE setRepeatModeName NOTIFY repeatModeChanged)
    Q_PROPERTY(bool scanning READ scanning NOTIFY scanningChanged)
    Q_PROPERTY(qint64 databaseRevision READ databaseRevision NOTIFY databaseRevisionChanged)

public:
    enum class RepeatMode { off, all, one };

    struct LastSync {
        Date date{};
        ZazidEvoz::MusicSyncer::Result result;
        friend bool operator==(const LastSync&, const LastSync&) = default;
    };

    struct Options {
        // The support folder of music.json, music.sqlite and the covers; none: the default.
        std::optional<std::filesystem::path> supportFolder;
        // Open a database at all (tests of the configuration without one pass false).
        bool useDatabase = true;
        std::shared_ptr<Scheduler> scheduler = Scheduler::system();
        // Debounce of the folder watcher, seconds.
        double watchDebounce = 1.5;
        // The period of the rescan loop, seconds.
        double rescanPeriod = 600;
        // The lyrics filler's service address (none: ZINTRARADIO_LYRICS_API or the public one).
        std::optional<std::string> lyricsBaseURL;
        // Start the lyrics filler after rescans.
        bool lyricsFiller = true;
    };

    explicit MusicModel(Options options, QObject* parent = nullptr);
    MusicModel() : MusicModel(Options{}) {}
    ~MusicModel() override;

    // ---- Library state
    const std::vector<Track>& tracks() const { return tracks_; }
    ListModelBase* trackList() const;
    const std::vector<std::filesystem::path>& folders() const { return folders_; }
    bool scanning() const { return scanning_; }
    const std::set<std::string>& busyTracks() const { return busyTracks_; }
    const std::shared_ptr<ZazidEvoz::MusicDatabase>& database() const { return database_; }
    const ZazidEvoz::LyricsBackgroundService::Status& lyricsStatus() const { return lyricsStatus_; }
    qint64 databaseRevision() const { return databaseRevision_; }
    // Adds 1 (the lyrics model calls this through the application model after database writes).
    void bumpDatabaseRevision();
    const std::optional<LastSync>& lastSync() const { return lastSync_; }

    // Blank: every track by title; otherwise at most 500 ranked hits.
    std::vector<Track> search(const std::string& query) const;
    // One rescan; does nothing while one runs. `done` (optional) runs when it has ended, or at
    // once when another rescan was already running.
    void rescan(std::function<void()> done = {});

    // ---- Playback queue
    const std::vector<ZazidEvoz::Station>& queue() const { return queue_; }
    ListModelBase* queueList() const;
    const std::optional<int>& queueIndex() const { return queueIndex_; }
    bool shuffle() const { return shuffle_; }
    void setShuffle(bool shuffle);
    RepeatMode repeatMode() const { return repeatMode_; }
    void setRepeatMode(RepeatMode mode);

    std::function<void(const ZazidEvoz::Station&)> playHandler;
    std::function<void(Toast::Style, const std::string&)> toastHandler;

    void playNow(const std::vector<ZazidEvoz::Station>& items, int startAt);
    // True when the queue handled the step.
    bool advance(int step, const std::optional<std::string>& currentURL, bool ended);
    std::vector<ZazidEvoz::Station> upNext() const;
    void enqueue(const std::vector<ZazidEvoz::Station>& items);
    void playNext(const ZazidEvoz::Station& item);
    // Offsets out of range are ignored.
    void removeFromQueue(const std::vector<int>& offsets);
    // Moves the rows into the gap before the row that was at `destination` (count = the end).
    void moveInQueue(const std::vector<int>& offsets, int destination);
    Q_INVOKABLE void clearQueue();
    Q_INVOKABLE void jump(int index);
    void markPlayed(const ZazidEvoz::Station& station);
    std::optional<Track> track(const std::string& url) const;

    // For the views.
    QVariant queueIndexValue() const { return queueIndex_ ? QVariant(*queueIndex_) : QVariant(); }
    QString repeatModeName() const;
    void setRepeatModeName(const QString& name);

Q_SIGNALS:
    void tracksChanged();
    void playlistsChanged();
    void smartPlaylistsChanged();
    void foldersChanged();
    void scanningChanged();
    void busyTracksChanged();
    void queueChanged();
    void queueIndexChanged();
    void shuffleChanged();
    void repeatModeChanged();
    void lyricsStatusChanged();
    void databaseRevisionChanged();
    void lastSyncChanged();

private:
    // Replaces the track list, announcing only the rows that differ.
    void replaceTracks(std::vector<Track> tracks);
    // The first row with this path.
    std::optional<std::size_t> trackRow(const std::string& path) const;
    // Rebuilds pathHashes_; every change of the rows' paths calls it (a list of another
    // length than the hashes is searched row by row).
    void indexTracks();
    static std::uint64_t pathHash(std::string_view path);
    void startWatching();
    void schedulePeriodicRescan();
    void rescanWithDatabase();
    void rescanWithoutDatabase();
    void finishRescan();
    void applyLyricsStatus(const ZazidEvoz::LyricsBackgroundService::Status& status);
    // Writes music.json: playlists, smart playlists, the user's folders, and the tracks when
    // there is no database to hold them.
    void persist();
    void setScanning(bool scanning);
    void setQueueIndex(std::optional<int> index);

    Options options_;
    std::vector<Track> tracks_;
    std::vector<ZazidEvoz::Playlist> playlists_;
    std::vector<ZazidEvoz::SmartPlaylist> smartPlaylists_;
    std::vector<std::filesystem::path> folders_;
    bool scanning_ = false;
    std::set<std::string> busyTracks_;
    std::vector<ZazidEvoz::Station> queue_;
    std::optional<int> queueIndex_;
    bool shuffle_ = false;
    RepeatMode repeatMode_ = RepeatMode::off;
    std::shared_ptr<ZazidEvoz::MusicDatabase> database_;
    ZazidEvoz::LyricsBackgroundService::Status lyricsStatus_;
    qint64 databaseRevision_ = 0;
    std::optional<LastSync> lastSync_;

    ZazidEvoz::MusicLibraryStore store_;
    std::unique_ptr<ZazidEvoz::CoverArtService> covers_;
    ZazidEvoz::MusicSnapshot snapshot_;
    // Set when the one-time move into the database failed: music.json keeps its tracks.
    bool snapshotKeepsTracks_ = false;
    std::shared_ptr<ZazidEvoz::MusicSyncer> syncer_;
    std::unique_ptr<ZazidEvoz::FolderWatcher> watcher_;
    std::shared_ptr<ScheduledCall> periodicSync_;
    std::unique_ptr<ZazidEvoz::LyricsBackgroundService> lyricsService_;
    TaskHandle rescanTask_;
    std::vector<std::function<void()>> rescanWaiters_;
    std::vector<std::uint64_t> pathHashes_; // per row of tracks_, for finding a path quickly
    VectorListModel<Track>* trackList_ = nullptr;
    VectorListModel<ZazidEvoz::Station>* queueList_ = nullptr;
};

// Roles of a track list: path, title, artist, album, genre, year, duration, coverFile,
// playCount, rating, lastPlayed, sourceURL, fileSize and url (the file URL).
std::vector<ListRole<Track>> trackRoles();

// "off", "all", "one".
std::string_view rawValue(MusicModel::RepeatMode mode);
std::optional<MusicModel::RepeatMode> repeatModeFromRawValue(std::string_view text);
// off, all, one: the order in which the views cycle them.
const std::vector<MusicModel::RepeatMode>& allRepeatModes();

} // namespace ZintraRadio
