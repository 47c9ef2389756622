// The hub of the application: one main-thread model that owns the engine and the services,
// holds what the views show about playback, the radio library, recordings, the directory,
// YouTube, toasts and the external tools, and carries the operations that views, menus,
// media keys and test hooks call.
//
// The class is one, its source is split by concern:
//   AppModel.cpp           state, start-up, setters with side effects, view accessors
//   AppModelPlayback.cpp   play, engine events, song changes, history, Now Playing, stop
//   AppModelTransport.cpp  play/pause, next/previous, media keys
//   AppModelLibrary.cpp    favourites and the edits of the radio library, playlist files
//   AppModelRecordings.cpp recording, the recordings list, the media folders
//   AppModelDirectory.cpp  the station directory's lists and its quick search
//   AppModelYouTube.cpp    YouTube searches, pasted links and the video on the stage
//   AppModelDownloads.cpp  download jobs and the lyrics written into their files
//   AppModelToasts.cpp     toasts and the tool checks
//   AppModelSaving.cpp     debounced and immediate saving of the radio library
#pragma once

#include "ZazidEvoz/catalogue/LibraryStore.hpp"
#include "ZazidEvoz/catalogue/RadioBrowserClient.hpp"
#include "ZazidEvoz/catalogue/Station.hpp"
#include "ZazidEvoz/playback/EngineTypes.hpp"
#include "state/AppRecords.hpp"
#include "state/AudioPulse.hpp"
#include "state/ListModel.hpp"
#include "state/LyricsModel.hpp"
#include "state/MusicModel.hpp"
#include "state/Observable.hpp"
#include "state/QtValues.hpp"
#include "state/Scheduler.hpp"
#include "state/Tasks.hpp"
#include "state/VideoPlayer.hpp"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>
#include <QVariantMap>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ZazidEvoz {
class AudioEngine;
class IcyMetadataPoller;
class YouTubeService;
} // namespace ZazidEvoz

namespace ZintraRadio {

class Mpris;
class Settings;

// Why a link typed in for a new station is refused, if it is: blank, without one of the
// schemes a station list holds (http, https, file), or holding a line break or another control
// character. The link is taken trimmed of white space and line breaks at its ends.
enum class LinkProblem { none, blank, scheme, controlCharacter };
LinkProblem typedLinkProblem(std::string_view link);

using SongLogListModel = VectorListModel<SongLogEntry>;
using RecordingListModel = VectorListModel<RecordingFile>;

class AppModel : public QObject {
    Q_OBJECT
    // Playback
    Q_PROPERTY(QString stateName READ stateName NOTIFY stateChanged)
    Q_PROPERTY(QString failureText READ failureText NOTIFY stateChanged)
    Q_PROPERTY(bool isActive READ isActive NOTIFY stateChanged)
    // The state of what the transport acts on (the open video's, else stateName).
    Q_PROPERTY(QString transportStateName READ transportStateName NOTIFY transportStateChanged)
    Q_PROPERTY(QVariant current READ currentValue NOTIFY currentChanged)
    Q_PROPERTY(QVariant nowPlaying READ nowPlayingValue NOTIFY nowPlayingChanged)
    Q_PROPERTY(QVariant serverName READ serverNameValue NOTIFY serverNameChanged)
    Q_PROPERTY(QVariant formatInfo READ formatInfoValue NOTIFY formatInfoChanged)
    Q_PROPERTY(ZintraRadio::ListModelBase* songLogList READ songLogList CONSTANT)
    Q_PROPERTY(QVariant toast READ toastValue NOTIFY toastChanged)
    Q_PROPERTY(float volume READ volume WRITE setVolume NOTIFY volumeChanged)
    Q_PROPERTY(bool muted READ muted WRITE setMuted NOTIFY mutedChanged)
    // Recording
    Q_PROPERTY(bool isRecording READ isRecording NOTIFY isRecordingChanged)
    Q_PROPERTY(QVariant recordingStarted READ recordingStartedValue NOTIFY recordingStartedChanged)
    Q_PROPERTY(bool splitRecordingBySong READ splitRecordingBySong WRITE setSplitRecordingBySong NOTIFY
                   splitRecordingBySongChanged)
    Q_PROPERTY(ZintraRadio::ListModelBase* recordingList READ recordingList CONSTANT)
    // Radio library
    Q_PROPERTY(ZintraRadio::ListModelBase* stationList READ stationList CONSTANT)
    Q_PROPERTY(ZintraRadio::ListModelBase* favoriteList READ favoriteList CONSTANT)
    Q_PROPERTY(ZintraRadio::ListModelBase* historyList READ historyList CONSTANT)
    Q_PROPERTY(QVariant lastPlayedURL READ lastPlayedURLValue NOTIFY libraryChanged)
    Q_PROPERTY(QStringList favoriteURLs READ favoriteURLsValue NOTIFY libraryChanged)
    Q_PROPERTY(
        QString visualizerMode READ visualizerModeText WRITE setVisualizerModeText NOTIFY libraryChanged)
    // Station directory
    Q_PROPERTY(QVariantMap browseScope READ browseScopeValue NOTIFY browseScopeChanged)
    Q_PROPERTY(ZintraRadio::ListModelBase* browseResultList READ browseResultList CONSTANT)
    Q_PROPERTY(bool browseLoading READ browseLoading NOTIFY browseLoadingChanged)
    Q_PROPERTY(QVariant browseError READ browseErrorValue NOTIFY browseErrorChanged)
    Q_PROPERTY(ZintraRadio::ListModelBase* directoryHitList READ directoryHitList CONSTANT)
    Q_PROPERTY(bool directoryLoading READ directoryLoading NOTIFY directoryLoadingChanged)
    Q_PROPERTY(bool directoryError READ directoryError NOTIFY directoryErrorChanged)
    Q_PROPERTY(QVariantList countries READ countriesValue NOTIFY countriesChanged)
    Q_PROPERTY(QVariantList tags READ tagsValue NOTIFY tagsChanged)
    // YouTube and video
    Q_PROPERTY(ZintraRadio::ListModelBase* youtubeResultList READ youtubeResultList CONSTANT)
    Q_PROPERTY(bool youtubeLoading READ youtubeLoading NOTIFY youtubeLoadingChanged)
    Q_PROPERTY(QVariant youtubeError READ youtubeErrorValue NOTIFY youtubeErrorChanged)
    Q_PROPERTY(QString youtubeQuery READ youtubeQueryText NOTIFY youtubeQueryChanged)
    Q_PROPERTY(ZintraRadio::ListModelBase* downloadList READ downloadList CONSTANT)
    Q_PROPERTY(QVariant videoItem READ videoItemValue NOTIFY videoItemChanged)
    Q_PROPERTY(bool videoLoading READ videoLoading NOTIFY videoLoadingChanged)
    Q_PROPERTY(ZintraRadio::VideoPlayer* videoPlayer READ videoPlayer NOTIFY videoPlayerChanged)
    // Tools and settings
    Q_PROPERTY(bool hasFFmpeg READ hasFFmpeg NOTIFY hasFFmpegChanged)
    Q_PROPERTY(bool hasYtDlp READ hasYtDlp NOTIFY hasYtDlpChanged)
    Q_PROPERTY(bool saveLyricsWithDownloads READ saveLyricsWithDownloads WRITE setSaveLyricsWithDownloads
                   NOTIFY saveLyricsWithDownloadsChanged)
    // The other models
    Q_PROPERTY(ZintraRadio::MusicModel* music READ music CONSTANT)
    Q_PROPERTY(ZintraRadio::LyricsModel* lyrics READ lyrics CONSTANT)
    Q_PROPERTY(ZintraRadio::AudioPulseReader* pulse READ pulseReader CONSTANT)

public:
    static constexpr int songLogLimit = 50;
    static constexpr int historyLimit = 100;
    static constexpr double saveDelay = 0.4;
    static constexpr double icyInterval = 5.0;
    static constexpr int youtubeSearchLimit = 30;
    static constexpr int youtubeLinkLimit = 200;
    static constexpr double directorySearchDelay = 0.4;
    // Replaces the directory's mirror list: comma-separated base addresses.
    static constexpr const char* directoryMirrorsVariable = "ZINTRARADIO_DIRECTORY_API";

    struct Options {
        // The folder of library.json; none: the LIBRARY_DIR hook, else the default folder.
        // Also the music library's folder unless `music` names one.
        std::optional<std::filesystem::path> supportFolder;
        std::shared_ptr<Scheduler> scheduler = Scheduler::system();
        // The settings file; none: the user's settings.
        std::optional<QString> settingsFile;
        // The station directory's servers; none: ZINTRARADIO_DIRECTORY_API, else the
        // client's own list.
        std::optional<std::vector<std::string>> directoryMirrors;
        MusicModel::Options music;
        // The lyrics service of the lyrics model; none: its own default.
        std::optional<std::string> lyricsBaseURL;
        // Load the directory's countries, tags and top list at start.
        bool loadDirectory = true;
        // Publish Now Playing and take media keys over MPRIS.
        bool sessionBus = true;
        // The players of watched videos (tests play without picture and sound).
        VideoPlayer::Options video;
    };

    explicit AppModel(Options options, QObject* parent = nullptr);
    AppModel() : AppModel(Options{}) {}
    // Releases what the model holds; stops and saves nothing (the shell's shutdown does).
    ~AppModel() override;

    // ---- The services and models it owns
    ZazidEvoz::AudioEngine& engine() { return *engine_; }
    const std::shared_ptr<ZazidEvoz::AudioEngine>& sharedEngine() const { return engine_; }
    AudioPulse& pulse() { return *pulse_; }
    AudioPulseReader* pulseReader() const { return pulseReader_.get(); }
    MusicModel* music() const { return music_.get(); }
    LyricsModel* lyrics() const { return lyrics_.get(); }
    ZazidEvoz::LibraryStore& store() { return *store_; }
    Mpris& nowPlayingCenter() { return *mpris_; }
    Scheduler& scheduler() { return *scheduler_; }

    // ---- Playback state
    const ZazidEvoz::PlaybackState& state() const { return state_; }
    const std::optional<Station>& current() const { return current_; }
    const std::optional<std::string>& nowPlaying() const { return nowPlaying_; }
    const std::optional<std::string>& serverName() const { return serverName_; }
    const std::optional<std::string>& formatInfo() const { return formatInfo_; }
    const std::vector<SongLogEntry>& songLog() const { return songLog_; }
    const std::optional<Toast>& toast() const { return toast_; }
    float volume() const { return volume_; }
    void setVolume(float volume);
    bool muted() const { return muted_; }
    void setMuted(bool muted);

    // ---- Recording
    bool isRecording() const { return isRecording_; }
    const std::optional<Date>& recordingStarted() const { return recordingStarted_; }
    bool splitRecordingBySong() const { return splitRecordingBySong_; }
    void setSplitRecordingBySong(bool split);
    const std::vector<RecordingFile>& recordings() const { return recordings_; }

    // ---- Radio library
    const ZazidEvoz::LibrarySnapshot& library() const { return library_; }
    const std::string& visualizerMode() const { return library_.visualizerMode; }
    // Always announces a library change and schedules a save, even for the same mode.
    void setVisualizerMode(const std::string& mode);
    // The favourite stations: library stations first, then stored copies, in favourite order.
    std::vector<Station> favorites() const;
    void toggleFavorite(const Station& station);
    bool isInLibrary(const Station& station) const;
    // Appends the stations whose URL the library does not hold yet, their texts on one line
    // (see renameStation); returns how many.
    int importStations(const std::vector<Station>& stations);
    void removeFromLibrary(const Station& station);
    // Moves the stations at `offsets` into the gap before `destination` (offsets in the list
    // before the move). Offsets outside the list are ignored.
    void moveStations(const std::vector<int>& offsets, int destination);
    // The name is kept as given but on one line (each run of line breaks and other control
    // characters becomes a blank); a blank one changes nothing. Stations come into the library
    // with their texts on one line too, and one whose link holds a control character not at all.
    void renameStation(const Station& station, const std::string& name);
    // Adds the station typed into the form, unless its link is refused (typedLinkProblem).
    Q_INVOKABLE void addStation(const QString& name, const QString& url, const QString& genre);
    Q_INVOKABLE void restoreDefaultStations();
    Q_INVOKABLE void clearHistory();
    void importPlaylistFile(const std::filesystem::path& file);
    void exportLibrary(const std::filesystem::path& file);
    // The station list of the command-line radio program Olvanta.
    Q_INVOKABLE void importFromOlvanta();

    // ---- Station directory
    const BrowseScope& browseScope() const { return browseScope_; }
    const std::vector<Station>& browseResults() const { return browseResults_; }
    bool browseLoading() const { return browseLoading_; }
    const std::optional<std::string>& browseError() const { return browseError_; }
    const std::vector<Station>& directoryHits() const { return directoryHits_; }
    bool directoryLoading() const { return directoryLoading_; }
    bool directoryError() const { return directoryError_; }
    const std::vector<ZazidEvoz::StationCountry>& countries() const { return countries_; }
    const std::vector<ZazidEvoz::StationTag>& tags() const { return tags_; }

    // ---- YouTube and video
    const std::vector<Station>& youtubeResults() const { return youtubeResults_; }
    void setYoutubeResults(std::vector<Station> results);
    bool youtubeLoading() const { return youtubeLoading_; }
    const std::optional<std::string>& youtubeError() const { return youtubeError_; }
    const std::string& youtubeQuery() const { return youtubeQuery_; }
    // Newest first.
    const std::vector<std::shared_ptr<DownloadJob>>& downloads() const { return downloads_; }
    const std::optional<Station>& videoItem() const { return videoItem_; }
    bool videoLoading() const { return videoLoading_; }
    // The player of the video on the stage; null while none plays.
    VideoPlayer* videoPlayer() const { return videoPlayer_; }

    // ---- Tools and settings
    bool hasFFmpeg() const { return hasFFmpeg_; }
    bool hasYtDlp() const { return hasYtDlp_; }
    bool saveLyricsWithDownloads() const { return saveLyricsWithDownloads_; }
    void setSaveLyricsWithDownloads(bool save);

    // ---- Operations
    // Starts any playable item: a radio station, a local file, a YouTube or Instagram item.
    // Taken by value: callers pass entries of the lists that playing edits (the history).
    void play(Station station);
    Q_INVOKABLE void play(const QVariantMap& station);
    // Ends playback: lyrics, recording, title polling, engine, Now Playing.
    Q_INVOKABLE void stop();
    // The transport's stop: an open video closes and the engine is left alone; else stop().
    Q_INVOKABLE void stopPlayback();
    // Pauses, resumes or starts playback; while a video is open, pauses or resumes the video.
    Q_INVOKABLE void togglePlayPause();
    // Steps to the next (1) or previous (-1) item; from an open video, to the neighbouring video.
    Q_INVOKABLE void skip(int step);
    // What the transport acts on: the open video while one is open (buffering while its
    // address is resolved or it loads, paused once paused, stopped once it ended), else the
    // engine.
    ZazidEvoz::PlaybackState::Kind transportState() const;
    QString transportStateName() const;
    // Seconds played of that.
    double transportElapsed() const;
    // The engine's events arrive here, on the main thread, in the order it reported them.
    void handle(const ZazidEvoz::EngineEvent& event);

    Q_INVOKABLE void startRecording();
    Q_INVOKABLE void stopRecording();
    Q_INVOKABLE void reloadRecordings();
    void playFile(const std::filesystem::path& file);
    // A file that cannot be trashed stays where it is, and a warning says so.
    void trashRecording(const RecordingFile& file);
    // The folders are made when missing. Where the desktop has nothing that can show a file or
    // folder (no file manager, no opener), an error toast says so and names the path.
    Q_INVOKABLE void openRecordingsFolder();
    Q_INVOKABLE void openDownloadsFolder();
    // Shows the file selected in the file manager, or opens its folder; false (and the toast
    // above) when nothing could.
    bool revealInFileManager(const std::filesystem::path& file);

    void loadBrowse(const BrowseScope& scope);

    // ---- YouTube and video (AppModelYouTube.cpp)
    // Searches for a text, or lists the entries of a text that begins with "http".
    void searchYouTube(const std::string& text);
    void searchYouTube(const char* text) { searchYouTube(std::string(text)); }
    Q_INVOKABLE void searchYouTube(const QString& text) { searchYouTube(stdText(text)); }
    // Plays what a pasted or dropped link points to; a playlist link fills the results instead.
    void playLink(const std::string& text);
    void playLink(const char* text) { playLink(std::string(text)); }
    Q_INVOKABLE void playLink(const QString& text) { playLink(stdText(text)); }
    // Shows an item as video on the stage; audio playback stops.
    void watchVideo(const Station& item);
    Q_INVOKABLE void watchVideo(const QVariantMap& item) { watchVideo(stationFromMap(item)); }
    // Ends the video; audio playback is not resumed.
    // The browser's search field: a blank text shows the top list.
    void searchStations(const std::string& text);
    // The stations panel's quick search: 0.4 s after the last call, hits not in the library.
    void searchDirectory(const std::string& text);
    Q_INVOKABLE void stopVideo();

    // ---- Downloads (AppModelDownloads.cpp)
    // `withLyrics` none: the saveLyricsWithDownloads setting at this moment.
    void downloadMP3(const Station& item, std::optional<bool> withLyrics = std::nullopt);
    void downloadVideo(const Station& item, ZazidEvoz::VideoQuality quality,
                       std::optional<bool> withLyrics = std::nullopt);
    // Downloads the first search hit for a song as MP3.
    void downloadMP3(const std::string& searching, std::optional<bool> withLyrics = std::nullopt);
    // Drops the jobs that are done, failed or cancelled.
    Q_INVOKABLE void removeFinishedDownloads();
    // For the views: `withLyrics` null follows the setting; `quality` is a stored quality text.
    Q_INVOKABLE void downloadMP3(const QVariantMap& item, const QVariant& withLyrics = {});
    Q_INVOKABLE void downloadVideo(const QVariantMap& item, const QString& quality,
                                   const QVariant& withLyrics = {});
    Q_INVOKABLE void downloadMP3Searching(const QString& query, const QVariant& withLyrics = {});

    // Replaces the toast on screen; it goes after 4 s (6 s for errors) unless replaced.
    void show(Toast::Style style, const std::string& text,
              const std::optional<std::filesystem::path>& file = std::nullopt);
    // The same with a button titled by the translation key `actionKey` ("action.undo") that
    // runs `action` once and closes the toast; the action goes with the toast.
    void show(Toast::Style style, const std::string& text, const std::string& actionKey,
              std::function<void()> action);
    // An error toast with `text`, for a view that reports a failure of its own.
    Q_INVOKABLE void showError(const QString& text) { show(Toast::Style::error, stdText(text)); }
    Q_INVOKABLE void closeToast();
    // The button of the toast on screen; nothing when it has none.
    Q_INVOKABLE void runToastAction();
    Q_INVOKABLE void recheckTools();
    Q_INVOKABLE void copyInstallCommand();
    // Saves the radio library now; a pending debounced save is dropped.
    Q_INVOKABLE void saveNow();

    // ---- For the views
    QString stateName() const;
    QString failureText() const { return qtText(state_.message); }
    bool isActive() const { return state_.isActive(); }
    QVariant currentValue() const { return optionalStationMap(current_); }
    QVariant nowPlayingValue() const { return optionalText(nowPlaying_); }
    QVariant serverNameValue() const { return optionalText(serverName_); }
    QVariant formatInfoValue() const { return optionalText(formatInfo_); }
    ListModelBase* songLogList() const { return songLogModel_.get(); }
    // {id, style, text, file}, or null.
    QVariant toastValue() const;
    QVariant recordingStartedValue() const;
    ListModelBase* recordingList() const { return recordingModel_.get(); }
    ListModelBase* stationList() const { return stationModel_.get(); }
    ListModelBase* favoriteList() const { return favoriteModel_.get(); }
    ListModelBase* historyList() const { return historyModel_.get(); }
    QVariant lastPlayedURLValue() const { return optionalText(library_.lastPlayedURL); }
    QStringList favoriteURLsValue() const;
    QString visualizerModeText() const { return qtText(library_.visualizerMode); }
    void setVisualizerModeText(const QString& mode) { setVisualizerMode(stdText(mode)); }
    QVariantMap browseScopeValue() const;
    ListModelBase* browseResultList() const { return browseResultModel_.get(); }
    QVariant browseErrorValue() const { return optionalText(browseError_); }
    ListModelBase* directoryHitList() const { return directoryHitModel_.get(); }
    QVariantList countriesValue() const;
    QVariantList tagsValue() const;
    ListModelBase* youtubeResultList() const { return youtubeResultModel_.get(); }
    QVariant youtubeErrorValue() const { return optionalText(youtubeError_); }
    QString youtubeQueryText() const { return qtText(youtubeQuery_); }
    ListModelBase* downloadList() const { return downloadModel_.get(); }
    QVariant videoItemValue() const { return optionalStationMap(videoItem_); }
    // The operations above as the views call them: stations as maps, files as paths or
    // "file:" URLs.
    Q_INVOKABLE void toggleFavorite(const QVariantMap& station) { toggleFavorite(stationFromMap(station)); }
    Q_INVOKABLE bool isInLibrary(const QVariantMap& station) const {
        return isInLibrary(stationFromMap(station));
    }
    Q_INVOKABLE int importStations(const QVariantList& stations);
    Q_INVOKABLE void removeFromLibrary(const QVariantMap& station) {
        removeFromLibrary(stationFromMap(station));
    }
    Q_INVOKABLE void moveStations(const QList<int>& offsets, int destination);
    Q_INVOKABLE void renameStation(const QVariantMap& station, const QString& name);
    Q_INVOKABLE void importPlaylistFile(const QString& file);
    Q_INVOKABLE void exportLibrary(const QString& file);
    Q_INVOKABLE void playFile(const QString& file);
    // Only a file of the recordings list is trashed.
    Q_INVOKABLE void trashRecording(const QString& file);
    // {kind: "search", text} | {kind: "country", name, code, stationCount} | {kind: "tag", name}
    // | {kind: "top"} | {kind: "topVoted"}, as browseScope gives them.
    Q_INVOKABLE void loadBrowse(const QVariantMap& scope);
    Q_INVOKABLE void searchStations(const QString& text) { searchStations(stdText(text)); }
    Q_INVOKABLE void searchDirectory(const QString& text) { searchDirectory(stdText(text)); }

Q_SIGNALS:
    void stateChanged();
    // Also on every change of the video and its player, whether or not the state moved.
    void transportStateChanged();
    void currentChanged();
    void nowPlayingChanged();
    void serverNameChanged();
    void formatInfoChanged();
    void songLogChanged();
    void toastChanged();
    void volumeChanged();
    void mutedChanged();
    void isRecordingChanged();
    void recordingStartedChanged();
    void splitRecordingBySongChanged();
    void recordingsChanged();
    void libraryChanged();
    void browseScopeChanged();
    void browseResultsChanged();
    void browseLoadingChanged();
    void browseErrorChanged();
    void directoryHitsChanged();
    void directoryLoadingChanged();
    void directoryErrorChanged();
    void countriesChanged();
    void tagsChanged();
    void youtubeResultsChanged();
    void youtubeLoadingChanged();
    void youtubeErrorChanged();
    void youtubeQueryChanged();
    void downloadsChanged();
    void videoItemChanged();
    void videoLoadingChanged();
    void videoPlayerChanged();
    void hasFFmpegChanged();
    void hasYtDlpChanged();
    void saveLyricsWithDownloadsChanged();
    // The desktop asked to show or to quit the application (the shell connects these).
    void raiseRequested();
    void quitRequested();

private:
    // Plain stores (the notify rule; no side effects).
    void setState(ZazidEvoz::PlaybackState state);
    void setCurrent(std::optional<Station> station);
    void setNowPlaying(std::optional<std::string> title);
    void setServerName(std::optional<std::string> name);
    void setFormatInfo(std::optional<std::string> format);
    void setToast(std::optional<Toast> toast);
    // Puts the toast on screen with its button's action, and clears it when its time is up.
    void present(Toast toast, std::function<void()> action);
    void setIsRecording(bool recording);
    void setRecordingStarted(std::optional<Date> date);
    void setBrowseScope(BrowseScope scope);
    void setBrowseLoading(bool loading);
    void setBrowseError(std::optional<std::string> error);
    void setBrowseResults(std::vector<Station> results);
    void setDirectoryHits(std::vector<Station> hits);
    void setDirectoryLoading(bool loading);
    void setDirectoryError(bool failed);
    void setCountries(std::vector<ZazidEvoz::StationCountry> countries);
    void setTags(std::vector<ZazidEvoz::StationTag> tags);
    void setYoutubeLoading(bool loading);
    void setYoutubeError(std::optional<std::string> error);
    void setYoutubeQuery(std::string query);
    void setVideoItem(std::optional<Station> item);
    void setVideoLoading(bool loading);
    void setHasFFmpeg(bool has);
    void setHasYtDlp(bool has);
    // An in-place edit of the library: always announced.
    template <typename Edit> void editLibrary(Edit&& edit);
    // A list shown through a list model: an equal list stays silent, another changes by rows.
    template <typename T>
    void storeList(VectorListModel<T>& model, std::vector<T> values, void (AppModel::*changed)());
    void refreshFavorites();

    // Playback road
    // A title heard now (from the engine) or polled from the station.
    void songChanged(const std::string& title);
    // A title the poller read: only for stations whose stream names none itself.
    void polledTitleArrived(const std::string& title);
    void startPolling(const std::string& url);
    // An in-band title whose audio the engine records from now on.
    void titleReachedRecording(const std::string& title);
    void addToHistory(const Station& station);
    void updateNowPlayingInfo();
    // The known station with that URL: library, then favourite copies, then history.
    std::optional<Station> station(const std::string& url) const;
    // The item `step` away from the first one with `url`, in the first list that holds it.
    std::optional<Station> neighbour(const std::string& url, int step) const;
    void skipAfterEnd();
    // Counts a play of the current item once its audio has begun.
    void countPlay();
    // The reason to show when the current item failed before any of its audio played and
    // the failure is its own (a file, or an entry of the queue); none otherwise.
    std::optional<std::string> startFailure(const std::string& message) const;
    // "Cannot play" the current item, and why.
    std::string cannotPlayText(const std::string& reason) const;
    // When the current item is the queue's entry, the queue steps past it; after every
    // entry failed to start once in a row, nothing more starts.
    void passOverCurrentEntry();
    void setupRemoteCommands();
    // When the engine records nothing any more (an encoder failed or could not start, or the
    // item it recorded ended), the recording flags end too.
    void followEndedRecording();

    void loadDirectoryMeta();
    void startDirectorySearch(const std::string& query);
    void persistSoon();

    // Recordings and media folders
    void openMediaFolder(const std::filesystem::path& folder);
    void showNothingToShow(const std::filesystem::path& path);

    // YouTube, video and downloads
    void applyVideoStream(const Station& item, const std::string& url);
    // Frees the player of the stage now (the object goes with the next event loop pass).
    void releaseVideoPlayer();
    // A change of the stage's player: a failure closes the video, anything else is shown to
    // the desktop.
    void followVideoPlayer(const VideoPlayer* player);
    void updateVideoNowPlayingInfo();
    void startDownload(std::shared_ptr<DownloadJob> job);
    void finishDownload(const std::shared_ptr<DownloadJob>& job, const std::filesystem::path& file);
    // Looks lyrics up and writes them into the file; `then` runs afterwards, whatever happened.
    void embedLyrics(const std::filesystem::path& file, const std::shared_ptr<DownloadJob>& job,
                     std::function<void()> then);
    void writeLyrics(const std::filesystem::path& file, const std::shared_ptr<DownloadJob>& job,
                     ZazidEvoz::SongLyrics lyrics, std::function<void()> then);
    // Keeps a task that nobody supersedes, so that it is stopped with the model.
    void keep(TaskHandle task);

    std::shared_ptr<Scheduler> scheduler_;
    std::unique_ptr<Settings> settings_;

    // The services and models, fixed at start.
    std::shared_ptr<ZazidEvoz::AudioEngine> engine_;
    std::unique_ptr<AudioPulse> pulse_;
    std::unique_ptr<AudioPulseReader> pulseReader_;
    std::unique_ptr<LyricsModel> lyrics_;
    std::unique_ptr<MusicModel> music_;
    // Shared with the worker threads of directory requests.
    std::shared_ptr<ZazidEvoz::RadioBrowserClient> radioBrowser_;
    // Shared with the worker threads of searches, resolutions and downloads.
    std::shared_ptr<ZazidEvoz::YouTubeService> youtube_;
    std::unique_ptr<ZazidEvoz::LibraryStore> store_;
    std::unique_ptr<ZazidEvoz::IcyMetadataPoller> icy_;
    std::unique_ptr<Mpris> mpris_;

    // Observable state (main thread only).
    ZazidEvoz::PlaybackState state_ = ZazidEvoz::PlaybackState::stopped();
    std::optional<Station> current_;
    std::optional<std::string> nowPlaying_;
    std::optional<std::string> serverName_;
    std::optional<std::string> formatInfo_;
    std::vector<SongLogEntry> songLog_;
    std::optional<Toast> toast_;
    std::function<void()> toastAction_; // of toast_, when it has a button
    float volume_ = 0.8f;
    bool muted_ = false;
    bool isRecording_ = false;
    std::optional<Date> recordingStarted_;
    bool splitRecordingBySong_ = true;
    // Of the current play: whether its stream names its songs itself, the song its audio
    // belongs to where the recorder is fed, and the song the running recording began with.
    bool streamHasTitles_ = false;
    std::optional<std::string> streamSong_;
    std::optional<std::string> recordingSong_;
    // The poller's latest title while nothing is heard (buffering), taken once it plays.
    std::optional<std::string> heldPolledTitle_;
    std::vector<RecordingFile> recordings_;
    ZazidEvoz::LibrarySnapshot library_;
    std::vector<Station> favorites_; // computed from library_, kept for its list model
    BrowseScope browseScope_ = BrowseScope::top();
    std::vector<Station> browseResults_;
    bool browseLoading_ = false;
    std::optional<std::string> browseError_;
    std::vector<Station> directoryHits_;
    bool directoryLoading_ = false;
    bool directoryError_ = false;
    std::vector<ZazidEvoz::StationCountry> countries_;
    std::vector<ZazidEvoz::StationTag> tags_;
    std::vector<Station> youtubeResults_;
    bool youtubeLoading_ = false;
    std::optional<std::string> youtubeError_;
    std::string youtubeQuery_;
    std::vector<std::shared_ptr<DownloadJob>> downloads_;
    std::optional<Station> videoItem_;
    bool videoLoading_ = false;
    VideoPlayer* videoPlayer_ = nullptr; // a child of the model
    // Paused before its player existed: the player then loads it paused.
    bool videoHeld_ = false;
    VideoPlayer::Options videoOptions_;
    // Counts video requests: a stream address that arrives for an older one is dropped.
    std::uint64_t videoRequest_ = 0;
    // The lyrics service of downloads; none: its own default.
    std::optional<std::string> lyricsBaseURL_;
    bool hasFFmpeg_ = false;
    bool hasYtDlp_ = false;
    bool saveLyricsWithDownloads_ = true;
    // Whether audio of the current play has begun (its play is counted then).
    bool audioStarted_ = false;
    // Queue entries that failed to start one after the other, and whether the queue is
    // being stepped past one of them.
    int failedStartsInARow_ = 0;
    bool passingOver_ = false;

    // Pending work.
    std::shared_ptr<ScheduledCall> saveTask_;
    TaskHandle browseTask_;
    TaskHandle directoryMetaTask_;
    TaskHandle youtubeTask_;
    std::vector<TaskHandle> keptTasks_;
    // The quick search: its quiet period, then its request.
    std::shared_ptr<ScheduledCall> directoryDebounce_;
    TaskHandle directoryTask_;

    // The list models over the vectors above (the library's own lists included).
    std::unique_ptr<SongLogListModel> songLogModel_;
    std::unique_ptr<RecordingListModel> recordingModel_;
    std::unique_ptr<StationListModel> stationModel_;
    std::unique_ptr<StationListModel> favoriteModel_;
    std::unique_ptr<StationListModel> historyModel_;
    std::unique_ptr<StationListModel> browseResultModel_;
    std::unique_ptr<StationListModel> directoryHitModel_;
    std::unique_ptr<StationListModel> youtubeResultModel_;
    std::unique_ptr<VectorListModel<std::shared_ptr<DownloadJob>>> downloadModel_;
};

// "failed", "stopped", "buffering", "playing", "paused".
QString playbackStateName(ZazidEvoz::PlaybackState::Kind kind);

// The directory's base addresses from a comma-separated list: blanks around them, empty
// entries and trailing "/" dropped.
std::vector<std::string> directoryMirrorList(std::string_view text);

// Recordings sorted by creation date, newest first; equal dates keep their order.
std::vector<RecordingFile> newestRecordingsFirst(std::vector<RecordingFile> recordings);

// A file named by a view: a path, or a "file:" URL (file dialogs give those).
std::filesystem::path localFilePath(const QString& file);

template <typename Edit> void AppModel::editLibrary(Edit&& edit) {
    editProperty(this, library_, std::forward<Edit>(edit), &AppModel::libraryChanged);
}

template <typename T>
void AppModel::storeList(VectorListModel<T>& model, std::vector<T> values, void (AppModel::*changed)()) {
    if (model.items() == values)
        return;
    model.assign(std::move(values));
    (this->*changed)();
}

} // namespace ZintraRadio
