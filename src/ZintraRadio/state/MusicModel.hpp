// The local music library as the views see it: tracks, playlists, smart playlists and music
// folders, kept in step with the files by rescans (at start, every 600 s, on folder changes,
// on request); the playback queue with shuffle and repeat; and the library actions.
//
// The library actions live in files of their own: editing (folders, downloads, covers, tags,
// ratings, the trash) in MusicModelEditing.cpp, playlists and the browse lists in
// MusicModelPlaylists.cpp. File work runs on worker threads; its results are applied here, on
// the main thread, after looking the track up again by path.
#pragma once

#include "ZazidEvoz/lyrics/LyricsBackgroundService.hpp"
#include "ZazidEvoz/music/FolderWatcher.hpp"
#include "ZazidEvoz/music/MusicLibraryStore.hpp"
#include "ZazidEvoz/music/MusicSyncer.hpp"
#include "ZazidEvoz/tags/TagEditor.hpp"
#include "state/AppRecords.hpp"
#include "state/ListModel.hpp"
#include "state/Scheduler.hpp"
#include "state/Tasks.hpp"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QVariant>
#include <QVariantList>
#include <QVariantMap>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace ZazidEvoz {
class CoverArtService;
class MusicDatabase;
} // namespace ZazidEvoz

namespace ZintraRadio {

using ZazidEvoz::Playlist;
using ZazidEvoz::SmartPlaylist;
using ZazidEvoz::SmartRule;
using ZazidEvoz::SmartSort;
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
    Q_PROPERTY(QStringList folders READ folderPaths NOTIFY foldersChanged)
    Q_PROPERTY(QStringList busyTracks READ busyTrackPaths NOTIFY busyTracksChanged)
    Q_PROPERTY(ListModelBase* playlistList READ playlistList CONSTANT)
    Q_PROPERTY(ListModelBase* smartPlaylistList READ smartPlaylistList CONSTANT)
    // Each entry a map: genres and artists {name, count}; albums {name, artist, cover, count}.
    Q_PROPERTY(QVariantList genres READ genreValues NOTIFY tracksChanged)
    Q_PROPERTY(QVariantList artists READ artistValues NOTIFY tracksChanged)
    Q_PROPERTY(QVariantList albums READ albumValues NOTIFY tracksChanged)

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
        // The cover search's address (none: ZINTRARADIO_COVER_API, else the public service).
        std::optional<std::string> coverBaseURL;
    };

    // A genre or an artist of the browse lists, with the number of its tracks.
    struct BrowseEntry {
        std::string name;
        std::int64_t count = 0;
        friend bool operator==(const BrowseEntry&, const BrowseEntry&) = default;
    };
    // An album of the browse lists: the tracks that share the album text, whoever the artist.
    struct Album {
        std::string name;
        std::string artist;               // of the first track in title order
        std::optional<std::string> cover; // of the first track in title order that has one
        // Rows of tracks() in title order; valid until the tracks next change.
        std::vector<std::size_t> rows;
    };

    explicit MusicModel(Options options, QObject* parent = nullptr);
    MusicModel() : MusicModel(Options{}) {}
    ~MusicModel() override;

    // ---- Library state
    const std::vector<Track>& tracks() const { return tracks_; }
    ListModelBase* trackList() const;
    const std::vector<std::filesystem::path>& folders() const { return folders_; }
    QStringList folderPaths() const;
    bool scanning() const { return scanning_; }
    const std::set<std::string>& busyTracks() const { return busyTracks_; }
    QStringList busyTrackPaths() const;
    const std::shared_ptr<ZazidEvoz::MusicDatabase>& database() const { return database_; }
    // Where the start moved a damaged database file, if it did.
    const std::optional<std::filesystem::path>& databaseMovedAside() const { return databaseMovedAside_; }
    // The model was to use a database and none could be opened: the tracks live in music.json.
    bool databaseUnavailable() const { return options_.useDatabase && !database_; }
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
    // A toast whose Undo button runs `undo`; without it no undo is offered.
    std::function<void(const std::string& text, std::function<void()> undo)> undoToastHandler;

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
    // Whether the queue's current entry has this URL.
    bool isCurrentEntry(const std::string& url) const;
    // A file station as it plays: named like its library track, or else by the file's own
    // tags (a file without them keeps its name), and timed by the file when it knows no
    // length. Other stations come back as they are.
    ZazidEvoz::Station describedByItsFile(ZazidEvoz::Station station) const;

    // For the views.
    QVariant queueIndexValue() const { return queueIndex_ ? QVariant(*queueIndex_) : QVariant(); }
    QString repeatModeName() const;
    void setRepeatModeName(const QString& name);

    // ---- Library editing (MusicModelEditing.cpp)
    //
    // The operations that wait for files or the network return at once; `done` (optional) runs
    // on the main thread when the operation has ended, whatever its outcome.

    // Adds a music folder (nothing when listed), then watches and rescans.
    void addFolder(const std::filesystem::path& folder);
    Q_INVOKABLE void addFolder(const QUrl& folder);
    // Removes a music folder (never the Downloads folder), then watches and rescans.
    void removeFolder(const std::filesystem::path& folder);
    Q_INVOKABLE void removeFolder(const QUrl& folder);
    // Makes a finished download a library track with its source address, and looks for a
    // cover when the file has none. A rescan that is running when it is called is waited for,
    // then the library is rescanned, so the new file is always read.
    void registerDownload(const std::filesystem::path& file, const std::string& sourceURL,
                          std::function<void()> done = {});
    void registerDownload(const std::filesystem::path& file, const ZazidEvoz::Station& item,
                          std::function<void()> done = {}) {
        registerDownload(file, item.url, std::move(done));
    }
    // Looks a cover up on the web and embeds it; a warning toast when none is found.
    void fetchCover(const Track& track, std::function<void()> done = {});
    Q_INVOKABLE void fetchCover(const QString& path);
    // fetchCover for every track without a cover, one after the other.
    void fetchMissingCovers(std::function<void()> done);
    Q_INVOKABLE void fetchMissingCovers() { fetchMissingCovers(std::function<void()>()); }
    // Embeds the picture as the cover of each track, one after the other; the picture stays.
    void setCover(const std::filesystem::path& image, const std::vector<Track>& tracks,
                  std::function<void()> done = {});
    Q_INVOKABLE void setCover(const QUrl& image, const QStringList& paths);
    // Writes the genre, as given, into each track, one after the other.
    void setGenre(const std::string& genre, const std::vector<Track>& tracks,
                  std::function<void()> done = {});
    Q_INVOKABLE void setGenre(const QString& genre, const QStringList& paths);
    // Rewrites the file's tags and refreshes the track, which keeps its added date, plays,
    // rating and source address; an error toast when the file cannot be rewritten. Edits of
    // one file run one after the other, so none overwrites another's changes.
    void edit(const Track& track, const ZazidEvoz::TagEditor::Changes& changes,
              std::function<void()> done = {});
    // Keys title, artist, album, genre (texts), year (number), coverImage (file URL); a
    // missing key leaves that tag alone.
    Q_INVOKABLE void edit(const QString& path, const QVariantMap& changes);
    // Sets the rating, clamped to 0...5.
    void rate(const Track& track, int stars);
    Q_INVOKABLE void rate(const QString& path, int stars);
    // Moves the files to the trash. Only tracks whose file went to the trash (or was already
    // gone) leave the library and the playlists; the others stay with their plays and rating,
    // and a toast says so. The queue is not touched.
    void trash(const std::vector<Track>& tracks, std::function<void()> done = {});
    Q_INVOKABLE void trash(const QStringList& paths);

    // ---- Playlists and browse lists (MusicModelPlaylists.cpp)
    //
    // Playlists and smart playlists are named by their id alone; an operation naming one that
    // no longer exists does nothing (the deletes still save). Offsets outside a playlist are
    // ignored.

    const std::vector<Playlist>& playlists() const { return playlists_; }
    const std::vector<SmartPlaylist>& smartPlaylists() const { return smartPlaylists_; }
    ListModelBase* playlistList() const;
    ListModelBase* smartPlaylistList() const;

    // Computed once per change of the tracks, sorted by name (localized, ignoring case).
    const std::vector<BrowseEntry>& genres() const;
    const std::vector<BrowseEntry>& artists() const;
    const std::vector<Album>& albums() const;
    // The tracks of an album, in title order.
    std::vector<Track> albumTracks(const std::string& album) const;
    // The tracks whose genre is exactly `genre`, in title order.
    std::vector<Track> tracks(const std::string& genre) const;
    QVariantList genreValues() const;
    QVariantList artistValues() const;
    QVariantList albumValues() const;
    // Track maps with the roles of the track list.
    Q_INVOKABLE QVariantList tracksOfAlbum(const QString& album) const;
    Q_INVOKABLE QVariantList tracksOfGenre(const QString& genre) const;

    Playlist createPlaylist(const std::string& name, const std::vector<ZazidEvoz::Station>& items);
    // Station maps in; the new playlist's id out.
    Q_INVOKABLE QString createPlaylist(const QString& name, const QVariantList& items);
    void renamePlaylist(const Playlist& playlist, const std::string& name);
    Q_INVOKABLE void renamePlaylist(const QString& id, const QString& name);
    void deletePlaylist(const Playlist& playlist);
    Q_INVOKABLE void deletePlaylist(const QString& id);
    // Puts a deleted playlist back at `row` (the end when fewer are left); nothing when one
    // with its id exists.
    void restorePlaylist(const Playlist& playlist, std::size_t row);
    // Appends the items the playlist does not hold yet (by URL).
    void add(const std::vector<ZazidEvoz::Station>& items, const Playlist& playlist);
    Q_INVOKABLE void add(const QVariantList& items, const QString& id);
    void remove(const std::vector<int>& offsets, const Playlist& playlist);
    Q_INVOKABLE void remove(const QList<int>& offsets, const QString& id);
    // Moves the items into the gap before the item that was at `destination` (count: the end).
    void move(const Playlist& playlist, const std::vector<int>& offsets, int destination);
    Q_INVOKABLE void move(const QString& id, const QList<int>& offsets, int destination);

    void createSmartPlaylist(const std::string& name, const std::vector<SmartRule>& rules, bool matchAll,
                             SmartSort sort, std::int64_t limit);
    // Rules in their stored JSON form ({"genreIs": {"_0": "Jazz"}}), the sort as its raw value.
    Q_INVOKABLE void createSmartPlaylist(const QString& name, const QVariantList& rules, bool matchAll,
                                         const QString& sort, int limit);
    // Replaces the smart playlist with the same id as a whole; never adds one.
    void updateSmartPlaylist(const SmartPlaylist& playlist);
    // A map in the stored JSON form (id, name, rules, matchAll, sort, limit); one that does not
    // decode changes nothing.
    Q_INVOKABLE void updateSmartPlaylist(const QVariantMap& playlist);
    void deleteSmartPlaylist(const SmartPlaylist& playlist);
    Q_INVOKABLE void deleteSmartPlaylist(const QString& id);
    void restoreSmartPlaylist(const SmartPlaylist& playlist, std::size_t row);
    // A smart playlist of the one genre, sorted by artist, without limit.
    Q_INVOKABLE void createGenrePlaylist(const QString& genre);

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
    // What the watcher saw: playlists follow the moves at once, and a rescan (after the one
    // that runs, which may have listed the folders before the change) brings the tracks along.
    void folderContentsChanged(std::vector<ZazidEvoz::PathMove> moves);
    // Points the playlists' items of moved files at their new paths, and saves when any changed.
    void followMoves(const std::vector<ZazidEvoz::PathMove>& moves);
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
    // Runs `done` after a rescan that starts after this call: the running one is waited for.
    void rescanAfterRunning(std::function<void()> done);
    void addToLibrary(const std::string& path, const std::string& sourceURL, std::function<void()> done);
    // Busy marks are counted: a track stays busy while any of its lookups or edits runs.
    void markBusy(const std::string& path);
    void unmarkBusy(const std::string& path);
    void startNextEdit(const std::string& path);
    // Puts a re-read track into the list, the database and the playlists, then saves.
    void replace(const Track& track);
    // The tracks with these paths, in the given order; paths not in the library are skipped.
    std::vector<Track> tracksWithPaths(const QStringList& paths) const;
    void forgetTrashed(const std::vector<std::string>& paths);
    // Playlist rows by id, and edits that announce the one row they change (callers save).
    std::optional<std::size_t> playlistRow(const ZazidEvoz::platform::Uuid& id) const;
    std::optional<std::size_t> smartPlaylistRow(const ZazidEvoz::platform::Uuid& id) const;
    void replacePlaylist(std::size_t row, Playlist playlist);
    void replaceSmartPlaylist(std::size_t row, SmartPlaylist playlist);
    void appendSmartPlaylist(SmartPlaylist playlist);
    // Drops the browse lists; the next read computes them from the tracks as they are then.
    void forgetBrowseLists();

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
    // Shared with the lookups that run on worker threads.
    std::shared_ptr<const ZazidEvoz::CoverArtService> covers_;
    ZazidEvoz::MusicSnapshot snapshot_;
    // Set when the one-time move into the database failed: music.json keeps its tracks.
    bool snapshotKeepsTracks_ = false;
    std::optional<std::filesystem::path> databaseMovedAside_;
    // Folders of music.json that are no absolute paths: never scanned, but saved back as written.
    std::vector<std::string> unusableFolders_;
    std::shared_ptr<ZazidEvoz::MusicSyncer> syncer_;
    std::unique_ptr<ZazidEvoz::FolderWatcher> watcher_;
    std::shared_ptr<ScheduledCall> periodicSync_;
    std::unique_ptr<ZazidEvoz::LyricsBackgroundService> lyricsService_;
    TaskHandle rescanTask_;
    std::vector<std::function<void()>> rescanWaiters_;
    // Moves the watcher saw that the tracks have not followed yet; the next rescan applies them.
    std::vector<ZazidEvoz::PathMove> pendingMoves_;
    std::vector<std::uint64_t> pathHashes_; // per row of tracks_, for finding a path quickly
    VectorListModel<Track>* trackList_ = nullptr;
    VectorListModel<ZazidEvoz::Station>* queueList_ = nullptr;
    VectorListModel<Playlist>* playlistList_ = nullptr;
    VectorListModel<SmartPlaylist>* smartPlaylistList_ = nullptr;

    // Callers waiting for a rescan that starts after the running one ends.
    std::vector<std::function<void()>> rescanFollowers_;
    std::map<std::string, int> busyCounts_;
    struct PendingEdit {
        Track track;
        ZazidEvoz::TagEditor::Changes changes;
        std::function<void()> done;
    };
    // Per path, the edits of that file; the first one runs.
    std::map<std::string, std::deque<PendingEdit>> edits_;

    // The browse lists of the current tracks, each computed on its first read after a change.
    struct BrowseLists {
        std::optional<std::vector<BrowseEntry>> genres, artists;
        std::optional<std::vector<Album>> albums;
        std::unordered_map<std::string, std::size_t> albumIndex; // by name, with albums
        std::optional<QVariantList> genreValues, artistValues, albumValues;
    };
    mutable BrowseLists browse_;
};

// Roles of a track list: path, title, artist, album, genre, year, duration, coverFile,
// playCount, rating, lastPlayed, sourceURL, fileSize and url (the file URL).
std::vector<ListRole<Track>> trackRoles();
// Positions of `texts` in ascending order in the user's locale, ignoring case; equal texts
// keep their order.
std::vector<std::size_t> localizedOrder(const std::vector<std::string_view>& texts);
// The tracks in that order of their titles.
std::vector<Track> sortedByTitle(std::vector<Track> tracks);
// A track as a map with the roles above.
QVariantMap trackMap(const Track& track);
// Roles of the playlist list: id, name, created, count and items (station maps).
std::vector<ListRole<Playlist>> playlistRoles();
// Roles of the smart playlist list: id, name, rules (stored JSON form), matchAll, sort, limit.
std::vector<ListRole<SmartPlaylist>> smartPlaylistRoles();

// "off", "all", "one".
std::string_view rawValue(MusicModel::RepeatMode mode);
std::optional<MusicModel::RepeatMode> repeatModeFromRawValue(std::string_view text);
// off, all, one: the order in which the views cycle them.
const std::vector<MusicModel::RepeatMode>& allRepeatModes();

} // namespace ZintraRadio
