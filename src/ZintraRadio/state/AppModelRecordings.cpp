// AppModel: recording what plays to MP3 files, the list of the recordings folder, and the
// recordings and downloads folders in the file manager.
#include "ZazidEvoz/core/MediaFolders.hpp"
#include "ZazidEvoz/platform/FileURL.hpp"
#include "ZazidEvoz/playback/AudioEngine.hpp"
#include "ZazidEvoz/playback/StreamMetadata.hpp"
#include "state/AppModel.hpp"
#include "system/FileManager.hpp"
#include "system/Trash.hpp"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>

namespace ZintraRadio {

namespace {

// Year 1, the date of files whose dates cannot be read: they sort last.
const Date distantPast = ZazidEvoz::platform::dateFromSecondsSince1970(-62135596800.0);

std::string lowercased(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The file's birth time where the file system keeps one, else its last change (a recording
// is written once, so that is when it ended).
RecordingFile describeRecording(const std::filesystem::path& file) {
    RecordingFile recording{file, distantPast, 0};
    struct statx info {};
    if (::statx(AT_FDCWD, file.c_str(), 0, STATX_BTIME | STATX_MTIME | STATX_SIZE, &info) != 0)
        return recording;
    const auto& time = (info.stx_mask & STATX_BTIME) ? info.stx_btime : info.stx_mtime;
    recording.created = ZazidEvoz::platform::dateFromSecondsSince1970(
        static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_nsec) / 1e9);
    recording.bytes = static_cast<std::int64_t>(info.stx_size);
    return recording;
}

} // namespace

std::vector<RecordingFile> newestRecordingsFirst(std::vector<RecordingFile> recordings) {
    std::stable_sort(recordings.begin(), recordings.end(),
                     [](const RecordingFile& a, const RecordingFile& b) { return a.created > b.created; });
    return recordings;
}

void AppModel::startRecording() {
    if (!state_.isActive() || !current_) {
        show(Toast::Style::warning, localizedText("toast.nothingToRecord"));
        return;
    }
    // The recorder takes the stream up to two seconds ahead of what is heard: a stream that
    // names its songs says which one that is.
    const std::optional<std::string> song = streamSong_ ? streamSong_ : nowPlaying_;
    const auto split = ZazidEvoz::StreamMetadataParser::splitArtistTitle(song.value_or(std::string()));
    const Date now = scheduler_->date();
    const auto file = ZazidEvoz::MediaFolders::recordingURL(
        current_->name, song, std::chrono::time_point_cast<std::chrono::system_clock::duration>(now));
    const std::string title = song ? split.title : current_->name;
    const std::string artist = split.artist.value_or(current_->name);
    try {
        engine_->startRecording(file, title, artist);
    } catch (const std::exception& error) {
        // A start that fails once the engine has finished the running recording (a split
        // whose encoder cannot start) leaves nothing recording: the flags must not say otherwise.
        followEndedRecording();
        show(Toast::Style::error, error.what());
        return;
    }
    recordingSong_ = song;
    setIsRecording(true);
    setRecordingStarted(now);
}

void AppModel::stopRecording() {
    engine_->stopRecording();
    setIsRecording(false);
    setRecordingStarted(std::nullopt);
}

void AppModel::followEndedRecording() {
    // A newer recording (a split, or one started again) keeps running: only the engine knows.
    if (!isRecording_ || engine_->isRecording())
        return;
    setIsRecording(false);
    setRecordingStarted(std::nullopt);
}

void AppModel::reloadRecordings() {
    std::vector<RecordingFile> found;
    // A folder that cannot be listed (not made yet) has no recordings.
    std::error_code error;
    std::filesystem::directory_iterator entry(ZazidEvoz::MediaFolders::recordings(), error);
    for (; !error && entry != std::filesystem::directory_iterator(); entry.increment(error)) {
        std::error_code kindError;
        if (lowercased(entry->path().extension().string()) == ".mp3" && !entry->is_directory(kindError))
            found.push_back(describeRecording(entry->path()));
    }
    storeList(*recordingModel_, newestRecordingsFirst(std::move(found)), &AppModel::recordingsChanged);
}

void AppModel::playFile(const std::filesystem::path& file) {
    Station station;
    station.kind = ZazidEvoz::MediaKind::file;
    station.name = file.stem().string();
    station.url = ZazidEvoz::platform::fileURLFromPath(file.string());
    play(std::move(station));
}

void AppModel::trashRecording(const RecordingFile& recording) {
    const std::filesystem::path file = recording.url;
    const auto result = moveToTrash(file);
    std::error_code error;
    // A file removed by hand meanwhile is simply gone from the list; one still there is said.
    if (!result.trashed && std::filesystem::exists(std::filesystem::symlink_status(file, error))) {
        std::fprintf(stderr, "ZintraRadio: cannot trash %s: %s\n", file.c_str(), result.error.c_str());
        show(Toast::Style::warning,
             localizedText("toast.trashFailed", {QString::fromStdString(file.filename().string())}), file);
    }
    reloadRecordings();
}

void AppModel::openMediaFolder(const std::filesystem::path& folder) {
    // Creating the folder may fail; the file manager is asked to open it all the same.
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (!openFolder(folder))
        showNothingToShow(folder);
}

void AppModel::openRecordingsFolder() {
    openMediaFolder(ZazidEvoz::MediaFolders::recordings());
}

void AppModel::openDownloadsFolder() {
    openMediaFolder(ZazidEvoz::MediaFolders::downloads());
}

bool AppModel::revealInFileManager(const std::filesystem::path& file) {
    if (revealFile(file))
        return true;
    showNothingToShow(file);
    return false;
}

void AppModel::showNothingToShow(const std::filesystem::path& path) {
    //% "No file manager could be started to show %1"
    show(Toast::Style::error, localizedText("toast.noFileManager", {qtText(path.string())}));
}

void AppModel::playFile(const QString& file) {
    playFile(localFilePath(file));
}

void AppModel::trashRecording(const QString& file) {
    const std::filesystem::path path = localFilePath(file);
    auto found = std::find_if(recordings_.begin(), recordings_.end(),
                              [&](const RecordingFile& recording) { return recording.url == path; });
    if (found == recordings_.end())
        return;
    trashRecording(RecordingFile(*found));
}

} // namespace ZintraRadio
