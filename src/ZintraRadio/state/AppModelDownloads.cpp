// AppModel: download jobs. Each job runs yt-dlp on a worker thread, its progress comes back
// to the main thread; a finished file gets its lyrics (stored ones first, else from the web)
// and a finished MP3 joins the music library.
#include "ZazidEvoz/core/MediaFolders.hpp"
#include "ZazidEvoz/music/MusicDatabase.hpp"
#include "ZazidEvoz/playback/StreamMetadata.hpp"
#include "ZazidEvoz/tags/LyricsEmbedder.hpp"
#include "ZazidEvoz/youtube/YouTubeService.hpp"
#include "state/AppModel.hpp"
#include "system/MainThread.hpp"

namespace ZintraRadio {

namespace fs = std::filesystem;
using ZazidEvoz::SongLyrics;

namespace {

constexpr const char* lyricsSource = "LRCLIB";
constexpr const char* subtitleLanguage = "eng";

std::optional<bool> optionalFlag(const QVariant& value) {
    if (!value.isValid() || value.isNull())
        return std::nullopt;
    return value.toBool();
}

bool isVideo(const DownloadJob& job) {
    return std::holds_alternative<DownloadJob::Video>(job.kind());
}

// A report never changes a job that has ended; merging and converting never go back to running.
void applyProgress(DownloadJob& job, const ZazidEvoz::DownloadProgress& progress) {
    if (!job.isActive())
        return;
    if (progress.phase == "convert" || progress.phase == "merge")
        job.setPhase(DownloadJob::Converting{});
    if (progress.fraction)
        job.setFraction(progress.fraction);
    job.setSpeed(progress.speed);
    job.setEta(progress.eta);
}

// Who and what to look lyrics up for, from an item's name and uploader.
struct LyricsQuery {
    std::string artist;
    std::string title;
    std::string streamTitle; // the text handed to the lyrics service
};

LyricsQuery lyricsQuery(const Station& item) {
    const std::string cleaned = LyricsModel::cleanedItemTitle(item.name);
    auto split = ZazidEvoz::StreamMetadataParser::splitArtistTitle(cleaned);
    if (split.artist)
        return {*split.artist, split.title, cleaned};
    return {item.uploader, split.title, item.uploader + " - " + split.title};
}

} // namespace

void AppModel::downloadMP3(const Station& item, std::optional<bool> withLyrics) {
    auto job = std::make_shared<DownloadJob>(item, DownloadJob::MP3{}, scheduler_->date());
    job->setWithLyrics(withLyrics.value_or(saveLyricsWithDownloads_));
    startDownload(std::move(job));
}

void AppModel::downloadVideo(const Station& item, ZazidEvoz::VideoQuality quality,
                             std::optional<bool> withLyrics) {
    auto job = std::make_shared<DownloadJob>(item, DownloadJob::Video{quality}, scheduler_->date());
    job->setWithLyrics(withLyrics.value_or(saveLyricsWithDownloads_));
    startDownload(std::move(job));
}

void AppModel::downloadMP3(const std::string& searching, std::optional<bool> withLyrics) {
    if (!hasYtDlp_) {
        show(Toast::Style::error, localizedText("tools.missingYtDlp"));
        return;
    }
    keep(TaskRunner::run(
        this, "ZR song search",
        [youtube = youtube_, searching](std::stop_token stop) { return youtube->search(searching, 1, stop); },
        [this, withLyrics](Outcome<std::vector<Station>> outcome) {
            if (outcome.ok() && !outcome.value->empty()) {
                downloadMP3(outcome.value->front(), withLyrics);
                return;
            }
            if (!isCancellation(outcome.error))
                show(Toast::Style::warning, localizedText("youtube.noResults"));
        }));
}

void AppModel::downloadMP3(const QVariantMap& item, const QVariant& withLyrics) {
    downloadMP3(stationFromMap(item), optionalFlag(withLyrics));
}

void AppModel::downloadVideo(const QVariantMap& item, const QString& quality, const QVariant& withLyrics) {
    if (auto known = ZazidEvoz::videoQualityFromRawValue(stdText(quality)))
        downloadVideo(stationFromMap(item), *known, optionalFlag(withLyrics));
}

void AppModel::downloadMP3Searching(const QString& query, const QVariant& withLyrics) {
    downloadMP3(stdText(query), optionalFlag(withLyrics));
}

void AppModel::removeFinishedDownloads() {
    const auto before = downloads_.size();
    downloadModel_->removeIf([](const std::shared_ptr<DownloadJob>& job) { return !job->isActive(); });
    if (downloads_.size() != before)
        Q_EMIT downloadsChanged();
}

void AppModel::startDownload(std::shared_ptr<DownloadJob> job) {
    if (!hasYtDlp_) {
        show(Toast::Style::error, localizedText("tools.missingYtDlp"));
        return;
    }
    // Two runs of one item and kind would race for the same file name.
    const bool running = std::any_of(downloads_.begin(), downloads_.end(), [&](const auto& other) {
        return other->isActive() && other->item().url == job->item().url && other->kind() == job->kind();
    });
    if (running) {
        show(Toast::Style::info, localizedText("toast.downloadRunning", {qtText(job->item().name)}));
        return;
    }
    downloadModel_->insert(0, job);
    Q_EMIT downloadsChanged();

    // Reports come from the worker thread; each is applied on the main thread in its turn.
    auto poster = makeMainThreadPoster(this);
    std::weak_ptr<DownloadJob> weakJob = job;
    ZazidEvoz::YouTubeService::ProgressHandler progress = [poster, weakJob](const auto& report) {
        poster([weakJob, report] {
            if (auto alive = weakJob.lock())
                applyProgress(*alive, report);
        });
    };
    keep(TaskRunner::run(
        this, "ZR download",
        [youtube = youtube_, item = job->item(), kind = job->kind(), token = job->sharedToken(),
         progress = std::move(progress)](std::stop_token) {
            const fs::path folder = ZazidEvoz::MediaFolders::downloads();
            if (const auto* video = std::get_if<DownloadJob::Video>(&kind))
                return youtube->downloadVideo(item, video->quality, folder, progress, *token);
            return youtube->downloadMP3(item, folder, progress, *token);
        },
        [this, job](Outcome<fs::path> outcome) {
            if (outcome.ok()) {
                finishDownload(job, *outcome.value);
            } else if (isCancellation(outcome.error)) {
                job->setPhase(DownloadJob::Cancelled{});
            } else {
                const std::string text = outcome.errorText();
                job->setPhase(DownloadJob::Failed{text});
                show(Toast::Style::error, text);
            }
        }));
}

void AppModel::finishDownload(const std::shared_ptr<DownloadJob>& job, const fs::path& file) {
    job->setPhase(DownloadJob::Done{file});
    auto announce = [this, job, file] {
        // Videos stay out of the music library.
        if (!isVideo(*job))
            music_->registerDownload(file, job->item());
        job->setFraction(1.0);
        show(Toast::Style::success, localizedText("toast.downloaded", {qtText(file.filename().string())}),
             file);
    };
    if (job->withLyrics())
        embedLyrics(file, job, std::move(announce));
    else
        announce();
}

void AppModel::embedLyrics(const fs::path& file, const std::shared_ptr<DownloadJob>& job,
                           std::function<void()> then) {
    const LyricsQuery query = lyricsQuery(job->item());
    keep(TaskRunner::run(
        this, "ZR dl lyrics",
        [database = music_->database(), baseURL = lyricsBaseURL_, query](std::stop_token stop) {
            std::optional<SongLyrics> lyrics;
            if (database) {
                auto stored = database->storedLyrics(query.artist, query.title);
                if (stored.kind == ZazidEvoz::MusicDatabase::LyricsLookup::Kind::found)
                    lyrics = std::move(stored.lyrics);
            }
            if (!lyrics) {
                try {
                    ZazidEvoz::LyricsService service(baseURL);
                    lyrics = service.lyricsForStreamTitle(query.streamTitle, stop);
                } catch (const std::exception&) {
                    // A failed lookup counts as no lyrics.
                }
            }
            if (lyrics && database)
                database->saveLyrics(query.artist, query.title, lyrics, lyricsSource);
            return lyrics;
        },
        [this, file, job, then = std::move(then)](Outcome<std::optional<SongLyrics>> outcome) mutable {
            if (!outcome.ok() || !*outcome.value) {
                job->setLyricsEmbedded(false);
                then();
                return;
            }
            music_->bumpDatabaseRevision();
            writeLyrics(file, job, std::move(**outcome.value), std::move(then));
        }));
}

void AppModel::writeLyrics(const fs::path& file, const std::shared_ptr<DownloadJob>& job, SongLyrics lyrics,
                           std::function<void()> then) {
    keep(TaskRunner::run(
        this, "ZR lyrics tag",
        [file, video = isVideo(*job), lyrics = std::move(lyrics)](std::stop_token stop) {
            if (video)
                ZazidEvoz::LyricsEmbedder::addSubtitles(lyrics, file, subtitleLanguage, stop);
            else
                ZazidEvoz::LyricsEmbedder::addLyricsTag(lyrics, file);
        },
        [this, job, then = std::move(then)](Outcome<std::monostate> outcome) {
            job->setLyricsEmbedded(outcome.ok());
            if (!outcome.ok())
                show(Toast::Style::warning, outcome.errorText());
            then();
        }));
}

} // namespace ZintraRadio
