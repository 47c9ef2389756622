// YouTube (and Instagram) through the external yt-dlp tool: search, link expansion, the
// feeder command the audio engine plays, the direct address for the video player, and
// MP3 and MP4 downloads with live progress and cancellation.
//
// Every operation is a blocking call meant for a worker thread; several may run at once.
// Each run starts yt-dlp in its own process group, reads standard output and standard
// error together with caps on both, and kills the whole group (ffmpeg included) when it is
// cancelled or, for listings, when it takes longer than a minute. Cancelled calls throw
// platform::CancellationError.
#pragma once

#include "ZazidEvoz/catalogue/Station.hpp"
#include "ZazidEvoz/platform/Json.hpp"
#include "ZazidEvoz/playback/EngineTypes.hpp"

#include <array>
#include <chrono>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

namespace ZazidEvoz {

class YouTubeError : public std::runtime_error {
public:
    enum class Kind { failed, missingTool, noStream };

    // A launch error or the short text of yt-dlp's standard error, unchanged.
    static YouTubeError failed(const std::string& text) { return {Kind::failed, text}; }
    // "yt-dlp not found - <install hint>"
    static YouTubeError missingTool();
    // "No playable stream found."
    static YouTubeError noStream() { return {Kind::noStream, "No playable stream found."}; }

    Kind kind() const { return kind_; }
    std::string errorDescription() const { return what(); }

private:
    YouTubeError(Kind kind, const std::string& description) : std::runtime_error(description), kind_(kind) {}
    Kind kind_;
};

enum class VideoQuality { best, p1080, p720, p480, p360 };

// best, p1080, p720, p480, p360.
const std::array<VideoQuality, 5>& allVideoQualities();
// The stored text, also the identity: "best", "p1080", ...
std::string_view rawValue(VideoQuality quality);
// Exactly the five stored texts; nothing for a label such as "720p".
std::optional<VideoQuality> videoQualityFromRawValue(std::string_view text);
// "Max", "1080p", "720p", "480p", "360p".
std::string_view label(VideoQuality quality);
// The yt-dlp "-f" selector: H.264 with AAC first, then looser fallbacks.
std::string_view formatSelector(VideoQuality quality);

struct DownloadProgress {
    std::optional<double> fraction; // 0...1; absent while merging, converting or when unknown
    std::string speed;              // as yt-dlp prints it, or empty
    std::string eta;                // as yt-dlp prints it, or empty
    std::string phase;              // "download", "merge", "convert" or "done"

    friend bool operator==(const DownloadProgress&, const DownloadProgress&) = default;
};

// A one-shot cancellation shared by the job that cancels and the download that reacts: a
// name over a stop source, whose token the download passes on. Handlers given to onCancel run
// once, in registration order, outside the lock, on the thread that cancels (or registers,
// once cancelled).
class CancelToken {
public:
    CancelToken() = default;
    CancelToken(const CancelToken&) = delete;
    CancelToken& operator=(const CancelToken&) = delete;

    bool isCancelled() const { return source_.stop_requested(); }
    // Cancels once; runs every stored handler once, in registration order.
    void cancel();
    // Stores the action, or runs it at once when the token is already cancelled.
    void onCancel(std::function<void()> action);
    std::stop_token stopToken() const { return source_.get_token(); }

private:
    std::stop_source source_;
    std::mutex lock_;
    std::vector<std::function<void()>> handlers_; // guarded by lock_
};

class YouTubeService {
public:
    using ProgressHandler = std::function<void(const DownloadProgress&)>;

    // `listingTimeout` bounds every search, expansion and stream resolution; downloads run
    // until they end or are cancelled.
    explicit YouTubeService(std::chrono::milliseconds listingTimeout = std::chrono::seconds(60))
        : listingTimeout_(listingTimeout) {}

    // Whether yt-dlp can be found; looks anew on every call.
    bool isAvailable() const;

    // Up to `limit` videos for a free-text query; empty without starting anything when the
    // query is blank.
    std::vector<Station> search(std::string_view query, int limit, std::stop_token stop = {}) const;
    // The entries of a playlist, channel or other listable page, at most `limit`.
    std::vector<Station> expand(const std::string& link, int limit, std::stop_token stop = {}) const;
    // A video-platform link that names a playlist.
    static bool isPlaylistLink(std::string_view link);
    // One JSON object per line of a listing; lines that do not decode are skipped.
    static std::vector<Station> decodeEntries(std::string_view output);
    // The line of yt-dlp's standard error worth showing, at most 220 characters and "…".
    static std::string shortError(std::string_view text, int status);

    // The feeder command line that writes the item's best audio to standard output.
    // Starts nothing.
    PlaybackSource audioSource(const Station& item) const;
    // A direct address that a video player can open.
    std::string videoStreamURL(const Station& item, std::stop_token stop = {}) const;
    // An HLS manifest first, else the tallest format with both audio and video, else the
    // top-level address; only http and https addresses count.
    static std::optional<std::string> pickVideoURL(const json::Value& metadata);

    // Downloads into `folder` (created when missing) and returns the finished file, which
    // always lies inside that folder. The tool works in a hidden folder of its own inside
    // `folder`, which is removed with everything in it when the call ends, however it ends; the
    // finished file then moves into `folder` under its own name, or with " (2)", " (3)" ...
    // before its extension when that name is taken. `progress` runs on the calling thread,
    // once per report.
    std::filesystem::path downloadMP3(const Station& item, const std::filesystem::path& folder,
                                      const ProgressHandler& progress, CancelToken& cancel) const;
    std::filesystem::path downloadVideo(const Station& item, VideoQuality quality,
                                        const std::filesystem::path& folder, const ProgressHandler& progress,
                                        CancelToken& cancel) const;
    // One "ZRPROG" line of a download's output.
    static std::optional<DownloadProgress> parseProgress(std::string_view line);
    // The path of a "ZRFILE" line: a JSON string, with the characters that stand for bytes
    // that are no UTF-8 (U+DC80 to U+DCFF) turned back into those bytes. Absent when the text
    // is not such a string.
    static std::optional<std::string> decodePrintedPath(std::string_view text);

private:
    std::string run(const std::string& tool, const std::vector<std::string>& arguments, bool allowPartial,
                    std::stop_token stop) const;
    std::filesystem::path download(const std::vector<std::string>& formatArguments, const Station& item,
                                   const std::filesystem::path& folder, const ProgressHandler& progress,
                                   CancelToken& cancel) const;

    std::chrono::milliseconds listingTimeout_;
};

} // namespace ZazidEvoz
