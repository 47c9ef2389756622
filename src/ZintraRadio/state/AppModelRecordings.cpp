// AppModel: recording what plays to MP3 files, and the list of the recordings folder.
#include "ZazidEvoz/AudioEngine.hpp"
#include "ZazidEvoz/MediaFolders.hpp"
#include "ZazidEvoz/StreamMetadata.hpp"
#include "state/AppModel.hpp"

#include <algorithm>
#include <cctype>
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

void AppModel::startRecording() {
    if (!state_.isActive() || !current_) {
        show(Toast::Style::warning, localizedText("toast.nothingToRecord"));
        return;
    }
    const auto split = ZazidEvoz::StreamMetadataParser::splitArtistTitle(nowPlaying_.value_or(std::string()));
    const Date now = scheduler_->date();
    const auto file = ZazidEvoz::MediaFolders::recordingURL(
        current_->name, nowPlaying_, std::chrono::time_point_cast<std::chrono::system_clock::duration>(now));
    const std::string title = nowPlaying_ ? split.title : current_->name;
    const std::string artist = split.artist.value_or(current_->name);
    try {
        engine_->startRecording(file, title, artist);
    } catch (const std::exception& error) {
        show(Toast::Style::error, error.what());
        return;
    }
    setIsRecording(true);
    setRecordingStarted(now);
}

void AppModel::stopRecording() {
    engine_->stopRecording();
    setIsRecording(false);
    setRecordingStarted(std::nullopt);
}

void AppModel::reloadRecordings() {
    std::vector<RecordingFile> found;
    // A folder that cannot be listed (not made yet) has no recordings.
    std::error_code error;
    std::filesystem::directory_iterator entry(ZazidEvoz::MediaFolders::recordings(), error);
    for (; !error && entry != std::filesystem::directory_iterator(); entry.increment(error)) {
        if (lowercased(entry->path().extension().string()) == ".mp3")
            found.push_back(describeRecording(entry->path()));
    }
    // Stable: files of the same moment keep the listing's order.
    std::stable_sort(found.begin(), found.end(),
                     [](const RecordingFile& a, const RecordingFile& b) { return a.created > b.created; });
    storeList(*recordingModel_, std::move(found), &AppModel::recordingsChanged);
}

} // namespace ZintraRadio
