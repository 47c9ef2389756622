// AppModel: the stored state, the start-up order and its wiring, the setters with side
// effects, and the values the views read.
#include "state/AppModel.hpp"

#include "ZazidEvoz/core/ToolLocator.hpp"
#include "ZazidEvoz/platform/UserFolders.hpp"
#include "ZazidEvoz/playback/AudioEngine.hpp"
#include "ZazidEvoz/playback/IcyMetadataPoller.hpp"
#include "ZazidEvoz/youtube/YouTubeService.hpp"
#include "state/TestHooks.hpp"
#include "system/MainThread.hpp"
#include "system/Mpris.hpp"
#include "system/Settings.hpp"

#include <QPointer>
#include <QUrl>

namespace ZintraRadio {

using ZazidEvoz::PlaybackState;
using ZazidEvoz::ToolLocator::Tool;

namespace {

const QString saveLyricsKey = QStringLiteral("saveLyricsWithDownloads");

std::vector<ListRole<SongLogEntry>> songLogRoles() {
    return {
        {"date", [](const SongLogEntry& e) { return QVariant(qtDate(e.date)); }},
        {"title", [](const SongLogEntry& e) { return QVariant(qtText(e.title)); }},
        {"station", [](const SongLogEntry& e) { return QVariant(qtText(e.station)); }},
    };
}

std::vector<ListRole<RecordingFile>> recordingRoles() {
    return {
        {"url", [](const RecordingFile& f) { return QVariant(QString::fromStdString(f.url.string())); }},
        {"name",
         [](const RecordingFile& f) { return QVariant(QString::fromStdString(f.url.stem().string())); }},
        {"created", [](const RecordingFile& f) { return QVariant(qtDate(f.created)); }},
        {"bytes", [](const RecordingFile& f) { return QVariant(static_cast<qint64>(f.bytes)); }},
    };
}

std::vector<ListRole<std::shared_ptr<DownloadJob>>> downloadRoles() {
    return {{"job", [](const std::shared_ptr<DownloadJob>& job) {
                 return QVariant::fromValue<QObject*>(job.get());
             }}};
}

// The directory's servers: those of ZINTRARADIO_DIRECTORY_API, else the client's own list.
std::vector<std::string> directoryMirrors() {
    if (auto variable = ZazidEvoz::platform::nonEmptyEnvironmentValue(AppModel::directoryMirrorsVariable))
        if (auto mirrors = directoryMirrorList(*variable); !mirrors.empty())
            return mirrors;
    return ZazidEvoz::RadioBrowserClient::defaultMirrors();
}

// The library folder: the one given, else the hook's (an empty hook names no folder).
std::optional<std::filesystem::path> libraryFolder(const std::optional<std::filesystem::path>& given) {
    if (given)
        return given;
    if (auto hook = TestHooks::value("LIBRARY_DIR"); hook && !hook->empty())
        return std::filesystem::path(*hook);
    return std::nullopt;
}

} // namespace

std::filesystem::path localFilePath(const QString& file) {
    if (file.startsWith(QLatin1String("file:"), Qt::CaseInsensitive))
        return QUrl(file).toLocalFile().toStdString();
    return file.toStdString();
}

QString playbackStateName(PlaybackState::Kind kind) {
    switch (kind) {
    case PlaybackState::Kind::failed:
        return QStringLiteral("failed");
    case PlaybackState::Kind::stopped:
        return QStringLiteral("stopped");
    case PlaybackState::Kind::buffering:
        return QStringLiteral("buffering");
    case PlaybackState::Kind::playing:
        return QStringLiteral("playing");
    case PlaybackState::Kind::paused:
        return QStringLiteral("paused");
    }
    return QStringLiteral("stopped");
}

AppModel::AppModel(Options options, QObject* parent)
    : QObject(parent), scheduler_(options.scheduler ? options.scheduler : Scheduler::system()),
      videoOptions_(options.video), lyricsBaseURL_(options.lyricsBaseURL) {
    settings_ = options.settingsFile ? std::make_unique<Settings>(*options.settingsFile)
                                     : std::make_unique<Settings>();

    // The engine and the two models first; the music model starts its own library here.
    engine_ = std::make_shared<ZazidEvoz::AudioEngine>(makeMainThreadPoster(this));
    lyrics_ = std::make_unique<LyricsModel>(scheduler_, options.lyricsBaseURL);
    MusicModel::Options musicOptions = options.music;
    musicOptions.scheduler = scheduler_;
    if (!musicOptions.supportFolder)
        musicOptions.supportFolder = options.supportFolder;
    music_ = std::make_unique<MusicModel>(std::move(musicOptions));

    radioBrowser_ = std::make_shared<ZazidEvoz::RadioBrowserClient>(
        options.directoryMirrors ? *options.directoryMirrors : directoryMirrors());
    youtube_ = std::make_shared<ZazidEvoz::YouTubeService>();
    store_ = std::make_unique<ZazidEvoz::LibraryStore>(libraryFolder(options.supportFolder));
    icy_ = std::make_unique<ZazidEvoz::IcyMetadataPoller>(makeMainThreadPoster(this));
    mpris_ = std::make_unique<Mpris>();

    hasFFmpeg_ = ZazidEvoz::ToolLocator::isAvailable(Tool::ffmpeg);
    hasYtDlp_ = ZazidEvoz::ToolLocator::isAvailable(Tool::ytdlp);
    saveLyricsWithDownloads_ = settings_->boolValue(saveLyricsKey, true);

    library_ = store_->load();
    songLogModel_ = std::make_unique<SongLogListModel>(&songLog_, songLogRoles());
    recordingModel_ = std::make_unique<RecordingListModel>(&recordings_, recordingRoles());
    stationModel_ = std::make_unique<StationListModel>(&library_.stations, stationRoles());
    historyModel_ = std::make_unique<StationListModel>(&library_.history, stationRoles());
    favorites_ = favorites();
    favoriteModel_ = std::make_unique<StationListModel>(&favorites_, stationRoles());
    browseResultModel_ = std::make_unique<StationListModel>(&browseResults_, stationRoles());
    directoryHitModel_ = std::make_unique<StationListModel>(&directoryHits_, stationRoles());
    youtubeResultModel_ = std::make_unique<StationListModel>(&youtubeResults_, stationRoles());
    downloadModel_ =
        std::make_unique<VectorListModel<std::shared_ptr<DownloadJob>>>(&downloads_, downloadRoles());
    connect(this, &AppModel::libraryChanged, this, &AppModel::refreshFavorites);
    // The transport's state moves with the engine's and with the video's.
    for (auto signal : {&AppModel::stateChanged, &AppModel::videoItemChanged, &AppModel::videoPlayerChanged})
        connect(this, signal, this, &AppModel::transportStateChanged);

    pulse_ = std::make_unique<AudioPulse>(engine_->analyzer());
    pulseReader_ = std::make_unique<AudioPulseReader>(*pulse_, scheduler_);

    // Every callback handed out holds the model weakly.
    QPointer<AppModel> self(this);
    lyrics_->setEngine(engine_);
    lyrics_->setDatabase(music_->database());
    lyrics_->setOnDatabaseChange([self] {
        if (self)
            self->music_->bumpDatabaseRevision();
    });
    music_->playHandler = [self](const Station& station) {
        if (self)
            self->play(station);
    };
    music_->toastHandler = [self](Toast::Style style, const std::string& text) {
        if (self)
            self->show(style, text);
    };
    music_->undoToastHandler = [self](const std::string& text, std::function<void()> undo) {
        if (self)
            self->show(Toast::Style::info, text, "action.undo", std::move(undo));
    };
    if (music_->databaseUnavailable())
        show(Toast::Style::warning, localizedText("toast.musicDatabaseUnavailable"));
    else if (const auto& aside = music_->databaseMovedAside())
        show(Toast::Style::warning, localizedText("toast.musicDatabaseMovedAside",
                                                  {QString::fromStdString(aside->filename().string())}));

    icy_->interval = std::chrono::duration<double>(icyInterval);
    // Through the setter, so every start writes the library once more 0.4 s later.
    setVolume(library_.volume);
    engine_->setVolume(library_.volume);
    engine_->onEvent = [self](const ZazidEvoz::EngineEvent& event) {
        if (self)
            self->handle(event);
    };

    setupRemoteCommands();
    if (options.sessionBus)
        mpris_->publishOnSessionBus();
    reloadRecordings();
    if (options.loadDirectory) {
        loadDirectoryMeta();
        loadBrowse(BrowseScope::top());
    }
}

AppModel::~AppModel() {
    // Nothing is stopped or saved here; requests still running are dropped so that their
    // threads end promptly (their results would find no model anyway).
    browseTask_.cancel();
    directoryMetaTask_.cancel();
    youtubeTask_.cancel();
    for (auto& task : keptTasks_)
        task.cancel();
    // A yt-dlp run left going would hold up the end of the process and write on after it.
    for (const auto& job : downloads_)
        job->token().cancel();
    if (videoPlayer_)
        videoPlayer_->shutDown();
    directoryTask_.cancel();
    if (directoryDebounce_)
        directoryDebounce_->cancel();
}

// ---- Plain stores

void AppModel::setState(PlaybackState state) {
    storeProperty(this, state_, std::move(state), &AppModel::stateChanged);
}

void AppModel::setCurrent(std::optional<Station> station) {
    storeProperty(this, current_, std::move(station), &AppModel::currentChanged);
}

void AppModel::setNowPlaying(std::optional<std::string> title) {
    storeProperty(this, nowPlaying_, std::move(title), &AppModel::nowPlayingChanged);
}

void AppModel::setServerName(std::optional<std::string> name) {
    storeProperty(this, serverName_, std::move(name), &AppModel::serverNameChanged);
}

void AppModel::setFormatInfo(std::optional<std::string> format) {
    storeProperty(this, formatInfo_, std::move(format), &AppModel::formatInfoChanged);
}

void AppModel::setToast(std::optional<Toast> toast) {
    // A button acts only for the toast it came with.
    if (toast_ != toast)
        toastAction_ = nullptr;
    storeProperty(this, toast_, std::move(toast), &AppModel::toastChanged);
}

void AppModel::setIsRecording(bool recording) {
    storeProperty(this, isRecording_, recording, &AppModel::isRecordingChanged);
}

void AppModel::setRecordingStarted(std::optional<Date> date) {
    storeProperty(this, recordingStarted_, date, &AppModel::recordingStartedChanged);
}

void AppModel::setSplitRecordingBySong(bool split) {
    storeProperty(this, splitRecordingBySong_, split, &AppModel::splitRecordingBySongChanged);
}

void AppModel::setBrowseScope(BrowseScope scope) {
    storeProperty(this, browseScope_, std::move(scope), &AppModel::browseScopeChanged);
}

void AppModel::setBrowseLoading(bool loading) {
    storeProperty(this, browseLoading_, loading, &AppModel::browseLoadingChanged);
}

void AppModel::setBrowseError(std::optional<std::string> error) {
    storeProperty(this, browseError_, std::move(error), &AppModel::browseErrorChanged);
}

void AppModel::setDirectoryHits(std::vector<Station> hits) {
    storeList(*directoryHitModel_, std::move(hits), &AppModel::directoryHitsChanged);
}

void AppModel::setDirectoryLoading(bool loading) {
    storeProperty(this, directoryLoading_, loading, &AppModel::directoryLoadingChanged);
}

void AppModel::setDirectoryError(bool failed) {
    storeProperty(this, directoryError_, failed, &AppModel::directoryErrorChanged);
}

void AppModel::setCountries(std::vector<ZazidEvoz::StationCountry> countries) {
    storeProperty(this, countries_, std::move(countries), &AppModel::countriesChanged);
}

void AppModel::setTags(std::vector<ZazidEvoz::StationTag> tags) {
    storeProperty(this, tags_, std::move(tags), &AppModel::tagsChanged);
}

void AppModel::setBrowseResults(std::vector<Station> results) {
    storeList(*browseResultModel_, std::move(results), &AppModel::browseResultsChanged);
}

void AppModel::setYoutubeResults(std::vector<Station> results) {
    storeList(*youtubeResultModel_, std::move(results), &AppModel::youtubeResultsChanged);
}

void AppModel::setYoutubeLoading(bool loading) {
    storeProperty(this, youtubeLoading_, loading, &AppModel::youtubeLoadingChanged);
}

void AppModel::setYoutubeError(std::optional<std::string> error) {
    storeProperty(this, youtubeError_, std::move(error), &AppModel::youtubeErrorChanged);
}

void AppModel::setYoutubeQuery(std::string query) {
    storeProperty(this, youtubeQuery_, std::move(query), &AppModel::youtubeQueryChanged);
}

void AppModel::setVideoItem(std::optional<Station> item) {
    storeProperty(this, videoItem_, std::move(item), &AppModel::videoItemChanged);
}

void AppModel::setVideoLoading(bool loading) {
    storeProperty(this, videoLoading_, loading, &AppModel::videoLoadingChanged);
}

void AppModel::setHasFFmpeg(bool has) {
    storeProperty(this, hasFFmpeg_, has, &AppModel::hasFFmpegChanged);
}

void AppModel::setHasYtDlp(bool has) {
    storeProperty(this, hasYtDlp_, has, &AppModel::hasYtDlpChanged);
}

// ---- Setters with side effects (they run on every write, equal or not)

void AppModel::setVolume(float volume) {
    storeProperty(this, volume_, volume, &AppModel::volumeChanged);
    engine_->setVolume(volume);
    mpris_->setVolume(static_cast<double>(volume));
    persistSoon();
}

void AppModel::setMuted(bool muted) {
    storeProperty(this, muted_, muted, &AppModel::mutedChanged);
    engine_->setMuted(muted);
}

void AppModel::setVisualizerMode(const std::string& mode) {
    editLibrary([&](ZazidEvoz::LibrarySnapshot& library) { library.visualizerMode = mode; });
    persistSoon();
}

void AppModel::setSaveLyricsWithDownloads(bool save) {
    storeProperty(this, saveLyricsWithDownloads_, save, &AppModel::saveLyricsWithDownloadsChanged);
    settings_->setBool(saveLyricsKey, save);
    settings_->sync();
}

// ---- Values for the views

QString AppModel::stateName() const {
    return playbackStateName(state_.kind);
}

QVariant AppModel::toastValue() const {
    if (!toast_)
        return {};
    return QVariantMap{
        {QStringLiteral("id"), toast_->id.toString(QUuid::WithoutBraces)},
        {QStringLiteral("style"), styleName(toast_->style)},
        {QStringLiteral("text"), qtText(toast_->text)},
        {QStringLiteral("file"),
         toast_->file ? QVariant(QString::fromStdString(toast_->file->string())) : QVariant()},
        {QStringLiteral("actionKey"), qtText(toast_->actionKey)},
    };
}

QVariant AppModel::recordingStartedValue() const {
    return recordingStarted_ ? QVariant(qtDate(*recordingStarted_)) : QVariant();
}

QVariantMap AppModel::browseScopeValue() const {
    return std::visit(
        [](const auto& scope) -> QVariantMap {
            using T = std::decay_t<decltype(scope)>;
            if constexpr (std::is_same_v<T, BrowseScope::Search>)
                return {{QStringLiteral("kind"), QStringLiteral("search")},
                        {QStringLiteral("text"), qtText(scope.text)}};
            else if constexpr (std::is_same_v<T, BrowseScope::Country>)
                return {{QStringLiteral("kind"), QStringLiteral("country")},
                        {QStringLiteral("name"), qtText(scope.country.name)},
                        {QStringLiteral("code"), qtText(scope.country.code)}};
            else if constexpr (std::is_same_v<T, BrowseScope::Tag>)
                return {{QStringLiteral("kind"), QStringLiteral("tag")},
                        {QStringLiteral("name"), qtText(scope.name)}};
            else if constexpr (std::is_same_v<T, BrowseScope::Top>)
                return {{QStringLiteral("kind"), QStringLiteral("top")}};
            else
                return {{QStringLiteral("kind"), QStringLiteral("topVoted")}};
        },
        browseScope_.value);
}

QStringList AppModel::favoriteURLsValue() const {
    QStringList urls;
    for (const auto& url : library_.favoriteURLs)
        urls.append(qtText(url));
    return urls;
}

QVariantList AppModel::countriesValue() const {
    QVariantList list;
    for (const auto& country : countries_)
        list.append(QVariantMap{{QStringLiteral("name"), qtText(country.name)},
                                {QStringLiteral("code"), qtText(country.code)},
                                {QStringLiteral("stationCount"), static_cast<qint64>(country.stationCount)}});
    return list;
}

QVariantList AppModel::tagsValue() const {
    QVariantList list;
    for (const auto& tag : tags_)
        list.append(QVariantMap{{QStringLiteral("name"), qtText(tag.name)},
                                {QStringLiteral("stationCount"), static_cast<qint64>(tag.stationCount)}});
    return list;
}

} // namespace ZintraRadio
