#include "YouTubeService.hpp"

#include "ZazidEvoz/core/ToolLocator.hpp"
#include "ZazidEvoz/platform/Cancellation.hpp"
#include "ZazidEvoz/platform/Files.hpp"
#include "ZazidEvoz/platform/HttpClient.hpp"
#include "ZazidEvoz/platform/LineBreaks.hpp"
#include "ZazidEvoz/platform/Process.hpp"
#include "ZazidEvoz/platform/TemporaryFiles.hpp"
#include "ZazidEvoz/platform/Text.hpp"
#include "ZazidEvoz/platform/Uuid.hpp"

#include <charconv>
#include <cmath>
#include <fmt/format.h>
#include <limits>

namespace ZazidEvoz {
namespace fs = std::filesystem;

namespace {

// The video platform's public hosts, from which watch pages and thumbnails are built.
constexpr std::string_view webHost = "https://www.youtube.com";
constexpr std::string_view imageHost = "https://i.ytimg.com";

// A listing is a few kilobytes per entry; more than this is a runaway tool.
constexpr std::size_t outputCap = 16 * 1024 * 1024;
constexpr std::size_t logCap = 64 * 1024;
constexpr std::size_t downloadLineCap = 64 * 1024;

constexpr std::string_view progressTemplate =
    "download:ZRPROG %(progress._percent_str)s|%(progress._speed_str)s|%(progress._eta_str)s";
// With --print the tool is quiet and writes post-processing progress to standard error
// without line breaks, so every record carries its own closing "|".
constexpr std::string_view postProcessTemplate =
    "postprocess:ZRPOST %(progress.postprocessor)s|%(progress.status)s|";
// As a JSON string: a path may hold line breaks, which would end the line early.
constexpr std::string_view finalPathTemplate = "after_move:ZRFILE %(filepath)j";

constexpr std::string_view progressMarker = "ZRPROG ";
constexpr std::string_view postProcessMarker = "ZRPOST ";
constexpr std::string_view finalPathMarker = "ZRFILE ";

std::string requireTool() {
    auto tool = ToolLocator::path(ToolLocator::Tool::ytdlp);
    if (!tool)
        throw YouTubeError::missingTool();
    return *tool;
}

// yt-dlp would read a link such as "--exec=..." as an option; the "--" before every link
// already prevents that, and such a text is no link anyway. Nor is a text with control
// characters, whose NUL would cut the argument, or an overlong one.
void refuseOptionLikeLink(std::string_view link) {
    if (!platform::isCleanAddress(link))
        throw YouTubeError::failed("Not a link: it holds control characters or is too long.");
    if (link.starts_with("-"))
        throw YouTubeError::failed("Not a link: \"" + text::characterPrefix(link, 60) + "\".");
}

platform::ProcessOptions toolOptions(const std::string& tool, const std::vector<std::string>& arguments) {
    platform::ProcessOptions options;
    options.arguments.reserve(arguments.size() + 1);
    options.arguments.push_back(tool);
    options.arguments.insert(options.arguments.end(), arguments.begin(), arguments.end());
    options.environment = ToolLocator::childEnvironment();
    options.input = platform::StreamMode::Null;
    // yt-dlp converts and merges with ffmpeg, which must not outlive us either.
    options.endsWithUs = platform::EndsWithUs::WholeGroup;
    return options;
}

bool contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

// ---- Listing entries ------------------------------------------------------------------

struct Thumb {
    std::optional<std::string> url;
    std::optional<std::int64_t> width;
};

// One object of a flat listing. Absent or null keys stay absent; a key of another type
// makes the whole object fail (json::JsonDecodeError).
struct RawEntry {
    std::optional<std::string> id, title, url, webpageURL, uploader, channel;
    std::optional<double> duration;
    std::optional<bool> isLive;
    std::optional<std::string> liveStatus;
    std::optional<std::vector<Thumb>> thumbnails;
    std::optional<std::string> thumbnail, ieKey, extractorKey;

    static RawEntry decode(const json::Value& object) {
        json::requireObject(object, "entry");
        RawEntry entry;
        entry.id = json::optionalString(object, "id");
        entry.title = json::optionalString(object, "title");
        entry.url = json::optionalString(object, "url");
        entry.webpageURL = json::optionalString(object, "webpage_url");
        entry.uploader = json::optionalString(object, "uploader");
        entry.channel = json::optionalString(object, "channel");
        entry.duration = json::optionalDouble(object, "duration");
        entry.isLive = json::optionalBool(object, "is_live");
        entry.liveStatus = json::optionalString(object, "live_status");
        if (auto list = object.find("thumbnails"); list != object.end() && !list->is_null()) {
            if (!list->is_array())
                throw json::JsonDecodeError("Expected an array for \"thumbnails\"");
            entry.thumbnails.emplace();
            for (const auto& thumb : *list) {
                json::requireObject(thumb, "thumbnails");
                entry.thumbnails->push_back(
                    {json::optionalString(thumb, "url"), json::optionalInt(thumb, "width")});
            }
        }
        entry.thumbnail = json::optionalString(object, "thumbnail");
        entry.ieKey = json::optionalString(object, "ie_key");
        entry.extractorKey = json::optionalString(object, "extractor_key");
        return entry;
    }
};

bool present(const std::optional<std::string>& text) {
    return text && !text->empty();
}

std::string entryLink(const RawEntry& entry) {
    if (present(entry.webpageURL))
        return *entry.webpageURL;
    if (entry.url && entry.url->starts_with("http"))
        return *entry.url;
    if (present(entry.id))
        return fmt::format("{}/watch?v={}", webHost, platform::percentEncode(*entry.id));
    return {};
}

std::string entryThumbnail(const RawEntry& entry) {
    if (entry.thumbnails) {
        const Thumb* chosen = nullptr;
        for (const auto& thumb : *entry.thumbnails) {
            std::int64_t width = thumb.width.value_or(0);
            if (width > 480)
                continue;
            if (!chosen || width > chosen->width.value_or(0))
                chosen = &thumb;
        }
        if (chosen && chosen->url)
            return *chosen->url;
    }
    if (entry.thumbnail)
        return *entry.thumbnail;
    if (present(entry.id))
        return fmt::format("{}/vi/{}/hqdefault.jpg", imageHost, platform::percentEncode(*entry.id));
    return {};
}

std::optional<Station> stationFromEntry(const RawEntry& entry) {
    std::string link = entryLink(entry);
    std::string name = text::trimmedWhitespace(entry.title.value_or(""));
    if (link.empty() || name.empty() || !platform::isCleanAddress(link))
        return std::nullopt;
    bool live = entry.isLive == true || entry.liveStatus == "is_live";

    Station station;
    station.kind =
        Station::guessKind(link) == MediaKind::instagram ? MediaKind::instagram : MediaKind::youtube;
    station.name = std::move(name);
    station.url = std::move(link);
    station.uploader = entry.uploader ? *entry.uploader : entry.channel.value_or("");
    station.duration = live ? 0 : wholeSeconds(entry.duration.value_or(0));
    station.thumbnailURL = entryThumbnail(entry);
    if (!platform::isCleanAddress(station.thumbnailURL))
        station.thumbnailURL.clear();
    return station;
}

// ---- Video addresses --------------------------------------------------------------------

// An address the video player may open: http or https with a host, nothing a URL parser
// would refuse (blanks, control characters, non-ASCII bytes).
bool isWebAddress(std::string_view text) {
    if (!platform::isCleanHttpURL(text))
        return false;
    std::size_t hostStart = text.find("://") + 3;
    if (hostStart >= text.size() || text[hostStart] == '/' || text[hostStart] == '?' ||
        text[hostStart] == '#')
        return false;
    for (unsigned char c : text)
        if (c <= 0x20 || c >= 0x7f || c == '"' || c == '<' || c == '>' || c == '\\' || c == '^' || c == '`' ||
            c == '{' || c == '|' || c == '}')
            return false;
    return true;
}

std::string textOr(const json::Value& object, std::string_view key, std::string_view fallback) {
    auto found = object.find(key);
    return found != object.end() && found->is_string() ? found->get<std::string>() : std::string(fallback);
}

std::int64_t heightOf(const json::Value& format) {
    auto found = format.find("height");
    if (found == format.end() || !found->is_number())
        return 0;
    try {
        return json::asInt(*found, "height");
    } catch (const json::JsonDecodeError&) {
        return 0;
    }
}

// ---- Download output --------------------------------------------------------------------

// Cuts a byte stream into lines. A line longer than the cap is dropped whole, so a tool
// that never ends its line cannot make the buffer grow without bound.
class LineSplitter {
public:
    template <typename Handler> void add(std::string_view chunk, Handler&& onLine) {
        while (!chunk.empty()) {
            std::size_t newline = chunk.find('\n');
            std::string_view piece = chunk.substr(0, newline);
            if (!overlong_) {
                if (buffer_.size() + piece.size() > downloadLineCap) {
                    overlong_ = true;
                    buffer_.clear();
                } else {
                    buffer_.append(piece);
                }
            }
            if (newline == std::string_view::npos)
                return;
            if (!overlong_)
                onLine(std::string_view(buffer_));
            buffer_.clear();
            overlong_ = false;
            chunk.remove_prefix(newline + 1);
        }
    }

private:
    std::string buffer_;
    bool overlong_ = false;
};

// Keeps the last `logCap` bytes of a stream.
class TailText {
public:
    void append(std::string_view bytes) {
        text_.append(bytes);
        if (text_.size() > 2 * logCap)
            text_.erase(0, text_.size() - logCap);
    }
    std::string take() {
        if (text_.size() > logCap)
            text_.erase(0, text_.size() - logCap);
        return std::move(text_);
    }

private:
    std::string text_;
};

// Separates the post-processing records ("ZRPOST <name>|<status>|", written without line
// breaks) from the rest of standard error, which is kept as the log.
class PostProcessScanner {
public:
    template <typename Handler> void add(std::string_view chunk, Handler&& onRecord) {
        pending_.append(chunk);
        std::size_t done = 0;
        for (;;) {
            std::size_t at = pending_.find(postProcessMarker, done);
            if (at == std::string::npos) {
                // Keep what could be the start of a marker split across chunks.
                std::size_t keep = std::min(pending_.size() - done, postProcessMarker.size() - 1);
                log_.append(std::string_view(pending_).substr(done, pending_.size() - done - keep));
                pending_.erase(0, pending_.size() - keep);
                return;
            }
            log_.append(std::string_view(pending_).substr(done, at - done));
            std::size_t nameStart = at + postProcessMarker.size();
            std::size_t nameEnd = pending_.find('|', nameStart);
            std::size_t statusEnd =
                nameEnd == std::string::npos ? std::string::npos : pending_.find('|', nameEnd + 1);
            std::size_t newline = pending_.find('\n', nameStart);
            bool broken =
                newline < statusEnd || (statusEnd == std::string::npos && pending_.size() - at > 256);
            if (broken) {
                log_.append(postProcessMarker);
                done = nameStart;
                continue;
            }
            if (statusEnd == std::string::npos) {
                pending_.erase(0, at); // the rest of the record is still on its way
                return;
            }
            onRecord(std::string_view(pending_).substr(nameStart, nameEnd - nameStart),
                     std::string_view(pending_).substr(nameEnd + 1, statusEnd - nameEnd - 1));
            done = statusEnd + 1;
        }
    }

    std::string finishLog() {
        log_.append(pending_);
        pending_.clear();
        return log_.take();
    }

private:
    std::string pending_;
    TailText log_;
};

DownloadProgress phaseReport(std::string phase) {
    return {std::nullopt, {}, {}, std::move(phase)};
}

// The reason a reported final path is not acceptable, or nothing.
std::optional<std::string> finalPathProblem(const fs::path& file, const fs::path& folder) {
    std::error_code error;
    fs::path canonicalFolder = fs::weakly_canonical(folder, error);
    if (error)
        canonicalFolder = folder.lexically_normal();
    fs::path parent = fs::weakly_canonical(file.parent_path(), error);
    if (error)
        parent = file.parent_path().lexically_normal();
    fs::path relative = (parent / file.filename()).lexically_relative(canonicalFolder);
    if (!file.is_absolute() || file.filename().empty() || relative.empty() || relative == "." ||
        *relative.begin() == "..")
        return "yt-dlp put the file outside the download folder: " + file.string();
    if (!fs::is_regular_file(fs::symlink_status(file, error)))
        return "yt-dlp reported a file that does not exist: " + file.string();
    return std::nullopt;
}

// Each download runs in a hidden folder of its own inside the target: what it leaves there
// (partial files, converted sources) never shows up among the user's files.
constexpr std::string_view workFolderPrefix = ".zintraradio-download-";

bool isWorkFolderName(std::string_view name) {
    if (!name.starts_with(workFolderPrefix))
        return false;
    std::string_view uuid = name.substr(workFolderPrefix.size());
    auto parsed = platform::Uuid::fromText(uuid);
    return parsed && parsed->text() == uuid;
}

// Appends the UTF-8 form of one code point.
void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

std::optional<char32_t> hexQuad(std::string_view text) {
    if (text.size() < 4)
        return std::nullopt;
    unsigned value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + 4, value, 16);
    if (error != std::errc() || end != text.data() + 4)
        return std::nullopt;
    return char32_t(value);
}

// The folder part of an output template: yt-dlp reads "%" as the start of a field.
std::string escapedForTemplate(const std::string& folder) {
    std::string escaped;
    for (char c : folder) {
        escaped += c;
        if (c == '%')
            escaped += '%';
    }
    return escaped;
}

} // namespace

// ---- Records ------------------------------------------------------------------------------

YouTubeError YouTubeError::missingTool() {
    return {Kind::missingTool, "yt-dlp not found - " + std::string(ToolLocator::installHint)};
}

const std::array<VideoQuality, 5>& allVideoQualities() {
    static const std::array<VideoQuality, 5> all = {
        VideoQuality::best, VideoQuality::p1080, VideoQuality::p720, VideoQuality::p480, VideoQuality::p360};
    return all;
}

std::string_view rawValue(VideoQuality quality) {
    switch (quality) {
    case VideoQuality::best:
        return "best";
    case VideoQuality::p1080:
        return "p1080";
    case VideoQuality::p720:
        return "p720";
    case VideoQuality::p480:
        return "p480";
    case VideoQuality::p360:
        return "p360";
    }
    return "best";
}

std::optional<VideoQuality> videoQualityFromRawValue(std::string_view text) {
    for (VideoQuality quality : allVideoQualities())
        if (rawValue(quality) == text)
            return quality;
    return std::nullopt;
}

std::string_view label(VideoQuality quality) {
    switch (quality) {
    case VideoQuality::best:
        return "Max";
    case VideoQuality::p1080:
        return "1080p";
    case VideoQuality::p720:
        return "720p";
    case VideoQuality::p480:
        return "480p";
    case VideoQuality::p360:
        return "360p";
    }
    return "Max";
}

// Past the height limit every quality takes what there is: formats without a height (a plain
// page, a direct file, an HLS playlist) or only taller ones must not fail the download. The
// best single file comes first, so a source that has one keeps the choice it always had.
std::string_view formatSelector(VideoQuality quality) {
    switch (quality) {
    case VideoQuality::best:
        return "bestvideo[vcodec^=avc1]+bestaudio[acodec^=mp4a]/bestvideo+bestaudio/best";
    case VideoQuality::p1080:
        return "bestvideo[height<=1080][vcodec^=avc1]+bestaudio[acodec^=mp4a]/"
               "bestvideo[height<=1080]+bestaudio/"
               "best[height<=1080]/best/bestvideo+bestaudio";
    case VideoQuality::p720:
        return "bestvideo[height<=720][vcodec^=avc1]+bestaudio[acodec^=mp4a]/"
               "bestvideo[height<=720]+bestaudio/"
               "best[height<=720]/best/bestvideo+bestaudio";
    case VideoQuality::p480:
        return "bestvideo[height<=480][vcodec^=avc1]+bestaudio[acodec^=mp4a]/"
               "bestvideo[height<=480]+bestaudio/"
               "best[height<=480]/best/bestvideo+bestaudio";
    case VideoQuality::p360:
        return "bestvideo[height<=360][vcodec^=avc1]+bestaudio[acodec^=mp4a]/best[height<=360]/best/"
               "bestvideo+bestaudio";
    }
    return formatSelector(VideoQuality::best);
}

void CancelToken::cancel() {
    if (!source_.request_stop())
        return;
    // A handler registered from here on sees the stop and runs itself.
    std::vector<std::function<void()>> taken;
    {
        std::lock_guard guard(lock_);
        taken.swap(handlers_);
    }
    for (auto& handler : taken)
        handler();
}

void CancelToken::onCancel(std::function<void()> action) {
    {
        std::lock_guard guard(lock_);
        if (!source_.stop_requested()) {
            handlers_.push_back(std::move(action));
            return;
        }
    }
    action();
}

// ---- Runner, search and expansion ---------------------------------------------------------

bool YouTubeService::isAvailable() const {
    return ToolLocator::isAvailable(ToolLocator::Tool::ytdlp);
}

std::string YouTubeService::run(const std::string& tool, const std::vector<std::string>& arguments,
                                bool allowPartial, std::stop_token stop) const {
    if (stop.stop_requested())
        throw platform::CancellationError();

    // One stop for the caller's cancellation and for a flood of output.
    std::stop_source halt;
    std::stop_callback forward(stop, [&halt] { halt.request_stop(); });
    std::size_t outputBytes = 0;
    bool flooded = false;
    auto onOutput = [&](std::string_view chunk) {
        outputBytes += chunk.size();
        if (outputBytes > outputCap && !flooded) {
            flooded = true;
            halt.request_stop();
        }
    };

    platform::RunLimits limits;
    limits.outputCap = outputCap;
    limits.outputKeep = platform::KeepBytes::First;
    limits.errorCap = logCap;
    limits.errorKeep = platform::KeepBytes::Last;
    limits.timeout = listingTimeout_;
    platform::RunResult result;
    try {
        result = platform::runProcess(toolOptions(tool, arguments), limits, halt.get_token(), onOutput);
    } catch (const platform::ProcessError& error) {
        throw YouTubeError::failed(error.what());
    }

    if (stop.stop_requested())
        throw platform::CancellationError();
    if (flooded)
        throw YouTubeError::failed("yt-dlp printed more than 16 MiB; its answer was dropped.");
    if (result.timedOut)
        throw YouTubeError::failed("yt-dlp did not answer in time and was stopped.");
    int status = result.status.shellStatus();
    if (status == 0 || (allowPartial && !result.output.empty()))
        return std::move(result.output);
    throw YouTubeError::failed(shortError(text::sanitizedUtf8(result.error), status));
}

std::string YouTubeService::shortError(std::string_view text, int status) {
    std::vector<std::string_view> lines = text::splitAtLineFeeds(text);
    std::erase_if(lines, [](std::string_view line) { return line.empty(); });

    std::string chosen;
    if (lines.empty()) {
        chosen = fmt::format("yt-dlp exit {}", status);
    } else {
        chosen = std::string(lines.back());
        for (auto line = lines.rbegin(); line != lines.rend(); ++line)
            if (contains(*line, "ERROR")) {
                chosen = std::string(*line);
                break;
            }
    }

    constexpr std::string_view prefix = "ERROR: ";
    for (std::size_t at; (at = chosen.find(prefix)) != std::string::npos;)
        chosen.erase(at, prefix.size());

    constexpr std::size_t maxCharacters = 220;
    if (text::characterCount(chosen) > maxCharacters)
        chosen = text::characterPrefix(chosen, maxCharacters) + "\u2026";
    return chosen;
}

std::vector<Station> YouTubeService::search(std::string_view query, int limit, std::stop_token stop) const {
    std::string trimmed = text::trimmedWhitespace(query);
    if (trimmed.empty() || limit <= 0)
        return {};
    std::string output = run(requireTool(),
                             {"--flat-playlist", "--dump-json", "--no-warnings", "--ignore-errors", "--",
                              fmt::format("ytsearch{}:{}", limit, trimmed)},
                             true, stop);
    return decodeEntries(output);
}

std::vector<Station> YouTubeService::expand(const std::string& link, int limit, std::stop_token stop) const {
    std::string tool = requireTool();
    refuseOptionLikeLink(link);
    if (limit <= 0)
        return {};
    std::string output = run(tool,
                             {"--flat-playlist", "--dump-json", "--no-warnings", "--ignore-errors",
                              "--playlist-end", fmt::format("{}", limit), "--", link},
                             true, stop);
    return decodeEntries(output);
}

bool YouTubeService::isPlaylistLink(std::string_view link) {
    if (!platform::isCleanAddress(link))
        return false;
    std::string lower = text::lowercased(link);
    return Station::guessKind(lower) == MediaKind::youtube &&
           (contains(lower, "list=") || contains(lower, "/playlist"));
}

std::vector<Station> YouTubeService::decodeEntries(std::string_view output) {
    std::vector<Station> stations;
    for (std::string_view piece : text::splitAtLineFeeds(output)) {
        if (piece.empty() || piece.front() != '{')
            continue;
        try {
            if (auto station = stationFromEntry(RawEntry::decode(json::parse(piece))))
                stations.push_back(std::move(*station));
        } catch (const json::JsonDecodeError&) {
            // A malformed line drops only itself.
        }
    }
    return stations;
}

// ---- Playable streams ---------------------------------------------------------------------

PlaybackSource YouTubeService::audioSource(const Station& item) const {
    std::string tool = requireTool();
    refuseOptionLikeLink(item.url);
    PlaybackSource source;
    source.url = item.url;
    source.live = item.kind == MediaKind::youtube && item.duration == 0;
    source.feeder = std::vector<std::string>{tool,
                                             "-f",
                                             "bestaudio[acodec=opus]/bestaudio/best",
                                             "--no-playlist",
                                             "--no-part",
                                             "--quiet",
                                             "--no-warnings",
                                             "--retries",
                                             "5",
                                             "--fragment-retries",
                                             "10",
                                             "-o",
                                             "-",
                                             "--",
                                             item.url};
    return source;
}

std::string YouTubeService::videoStreamURL(const Station& item, std::stop_token stop) const {
    std::string tool = requireTool();
    refuseOptionLikeLink(item.url);
    std::string output = run(tool, {"-J", "--no-playlist", "--no-warnings", "--", item.url}, false, stop);
    json::Value metadata = json::parse(output);
    if (!metadata.is_object())
        throw YouTubeError::noStream();
    auto address = pickVideoURL(metadata);
    if (!address)
        throw YouTubeError::noStream();
    return *address;
}

std::optional<std::string> YouTubeService::pickVideoURL(const json::Value& metadata) {
    if (!metadata.is_object())
        return std::nullopt;
    std::vector<const json::Value*> formats;
    if (auto list = metadata.find("formats"); list != metadata.end() && list->is_array()) {
        for (const auto& format : *list)
            formats.push_back(&format);
        // Only a list made wholly of objects counts.
        for (const auto* format : formats)
            if (!format->is_object()) {
                formats.clear();
                break;
            }
    }

    for (const auto* format : formats) {
        auto manifest = format->find("manifest_url");
        if (manifest == format->end() || !manifest->is_string())
            continue;
        std::string address = manifest->get<std::string>();
        if (!contains(address, "m3u8") && !contains(address, "hls"))
            continue;
        if (isWebAddress(address))
            return address;
        break; // the first HLS manifest decides; later ones are not tried
    }

    const json::Value* best = nullptr;
    std::int64_t bestHeight = 0;
    for (const auto* format : formats) {
        if (textOr(*format, "vcodec", "none") == "none" || textOr(*format, "acodec", "none") == "none")
            continue;
        std::string protocol = textOr(*format, "protocol", "");
        if (!protocol.starts_with("http") && !protocol.starts_with("m3u8"))
            continue;
        std::int64_t height = heightOf(*format);
        if (!best || height > bestHeight) {
            best = format;
            bestHeight = height;
        }
    }
    if (best) {
        std::string address = textOr(*best, "url", "");
        if (isWebAddress(address))
            return address;
    }
    std::string topLevel = textOr(metadata, "url", "");
    if (isWebAddress(topLevel))
        return topLevel;
    return std::nullopt;
}

// ---- Downloads ----------------------------------------------------------------------------

std::optional<DownloadProgress> YouTubeService::parseProgress(std::string_view line) {
    std::size_t at = line.find(progressMarker);
    if (at == std::string_view::npos)
        return std::nullopt;
    std::string_view rest = line.substr(at + progressMarker.size());
    std::vector<std::string> pieces;
    for (;;) {
        std::size_t bar = rest.find('|');
        pieces.push_back(text::trimmedBlanksAndTabs(rest.substr(0, bar)));
        if (bar == std::string_view::npos)
            break;
        rest.remove_prefix(bar + 1);
    }
    if (pieces.size() < 3)
        return std::nullopt;

    DownloadProgress progress;
    std::string percent;
    for (char c : pieces[0])
        if (c != '%')
            percent += c;
    double number = 0;
    auto [end, error] = std::from_chars(percent.data(), percent.data() + percent.size(), number);
    if (!percent.empty() && error == std::errc() && end == percent.data() + percent.size()) {
        double fraction = number / 100;
        progress.fraction = std::isnan(fraction) || fraction < 0 ? 0.0 : std::min(fraction, 1.0);
    }
    progress.speed = pieces[1] == "NA" || pieces[1] == "Unknown B/s" ? "" : pieces[1];
    progress.eta = pieces[2] == "NA" || pieces[2] == "Unknown" ? "" : pieces[2];
    progress.phase = "download";
    return progress;
}

fs::path YouTubeService::downloadMP3(const Station& item, const fs::path& folder,
                                     const ProgressHandler& progress, CancelToken& cancel) const {
    return download(
        {"-x", "--audio-format", "mp3", "--audio-quality", "0", "--embed-thumbnail", "--add-metadata"}, item,
        folder, progress, cancel);
}

fs::path YouTubeService::downloadVideo(const Station& item, VideoQuality quality, const fs::path& folder,
                                       const ProgressHandler& progress, CancelToken& cancel) const {
    return download(
        {"-f", std::string(formatSelector(quality)), "--merge-output-format", "mp4", "--add-metadata"}, item,
        folder, progress, cancel);
}

std::optional<std::string> YouTubeService::decodePrintedPath(std::string_view text) {
    if (text.size() < 2 || text.front() != '"' || text.back() != '"')
        return std::nullopt;
    text = text.substr(1, text.size() - 2);
    std::string path;
    while (!text.empty()) {
        char c = text.front();
        text.remove_prefix(1);
        if (c == '"' || static_cast<unsigned char>(c) < 0x20)
            return std::nullopt;
        if (c != '\\') {
            path += c;
            continue;
        }
        if (text.empty())
            return std::nullopt;
        char escape = text.front();
        text.remove_prefix(1);
        static constexpr std::string_view escapes = "\"\\/bfnrt";
        static constexpr std::string_view meanings = "\"\\/\b\f\n\r\t";
        if (auto at = escapes.find(escape); at != std::string_view::npos) {
            path += meanings[at];
            continue;
        }
        if (escape != 'u')
            return std::nullopt;
        auto unit = hexQuad(text);
        if (!unit)
            return std::nullopt;
        text.remove_prefix(4);
        char32_t code = *unit;
        if (code >= 0xDC80 && code <= 0xDCFF) {
            path += char(code - 0xDC00); // a byte that was no UTF-8, as yt-dlp's Python carries it
            continue;
        }
        if (code >= 0xD800 && code <= 0xDBFF && text.starts_with("\\u")) {
            auto low = hexQuad(text.substr(2));
            if (low && *low >= 0xDC00 && *low <= 0xDFFF) {
                text.remove_prefix(6);
                code = 0x10000 + ((code - 0xD800) << 10) + (*low - 0xDC00);
            }
        }
        if ((code >= 0xD800 && code <= 0xDFFF) || code == 0)
            return std::nullopt; // a surrogate without its pair, or a NUL: no path
        appendUtf8(path, code);
    }
    return path;
}

fs::path YouTubeService::download(const std::vector<std::string>& formatArguments, const Station& item,
                                  const fs::path& folder, const ProgressHandler& progress,
                                  CancelToken& cancel) const {
    std::string tool = requireTool();
    refuseOptionLikeLink(item.url);
    const fs::path target = fs::absolute(folder).lexically_normal();
    fs::create_directories(target);
    if (cancel.isCancelled())
        throw platform::CancellationError();

    // Work folders of downloads whose process died hold their partial files.
    platform::removeLeftovers(target, platform::EntryKind::folder, isWorkFolderName);
    std::optional<platform::TemporaryFolder> work;
    try {
        work.emplace(target / (std::string(workFolderPrefix) + platform::Uuid::random().text()));
    } catch (const platform::FileError& error) {
        throw YouTubeError::failed(error.what());
    }

    std::vector<std::string> arguments = formatArguments;
    std::string outputTemplate = escapedForTemplate(work->path().string()) + "/";
    // At most 200 bytes of title: with the extension and the ".f137.mp4.part" of a merge
    // the name stays under the 255 bytes a file system allows, also with " (2)" added.
    outputTemplate += "%(title).200B.%(ext)s";
    for (std::string_view argument :
         {std::string_view("--no-playlist"), std::string_view("--no-warnings"), std::string_view("--newline"),
          std::string_view("--progress"), std::string_view("--progress-template"), progressTemplate,
          std::string_view("--progress-template"), postProcessTemplate, std::string_view("-o"),
          std::string_view(outputTemplate), std::string_view("--print"), finalPathTemplate,
          std::string_view("--")})
        arguments.emplace_back(argument);
    arguments.push_back(item.url);

    // Output and error are two pipes: read in one go, a post-processing record written before
    // the final path can be handled after it. Once "done" is out, nothing earlier may follow.
    bool doneReported = false;
    auto report = [&](const DownloadProgress& value) {
        if (doneReported && value.phase != "done")
            return;
        doneReported = value.phase == "done";
        if (progress)
            progress(value);
    };
    std::optional<fs::path> finalPath;
    std::optional<std::string> unreadablePath;
    auto handleLine = [&](std::string_view bytes) {
        // Progress lines are plain ASCII; only a broken line pays for the repair.
        std::string line = text::isValidUtf8(bytes) ? std::string(bytes) : text::sanitizedUtf8(bytes);
        if (line.starts_with(finalPathMarker)) {
            std::string printed =
                text::trimmedBlanksAndTabs(std::string_view(line).substr(finalPathMarker.size()));
            if (auto decoded = decodePrintedPath(printed)) {
                finalPath = fs::path(*decoded);
                unreadablePath.reset();
                if (!finalPathProblem(*finalPath, work->path()))
                    report({1.0, {}, {}, "done"});
            } else {
                finalPath.reset();
                unreadablePath =
                    "yt-dlp reported a path that cannot be read: " + text::characterPrefix(printed, 200);
            }
        } else if (auto parsed = parseProgress(line)) {
            report(*parsed);
        } else if (contains(line, "[Merger]")) {
            report(phaseReport("merge"));
        } else if (contains(line, "[ExtractAudio]") || contains(line, "[EmbedThumbnail]")) {
            report(phaseReport("convert"));
        }
    };
    auto handleRecord = [&](std::string_view name, std::string_view status) {
        if (status != "started")
            return;
        if (name == "Merger")
            report(phaseReport("merge"));
        else if (name == "ExtractAudio" || name == "EmbedThumbnail")
            report(phaseReport("convert"));
    };

    LineSplitter lines;
    PostProcessScanner records;
    platform::RunLimits limits;
    // Both streams are handled as they arrive, and the scanner keeps the log's tail for errors:
    // the runner need not keep a copy.
    limits.outputCap = 0;
    limits.errorCap = 0;
    platform::RunResult result;
    try {
        result = platform::runProcess(
            toolOptions(tool, arguments), limits, cancel.stopToken(),
            [&](std::string_view chunk) { lines.add(chunk, handleLine); },
            [&](std::string_view chunk) { records.add(chunk, handleRecord); });
    } catch (const platform::ProcessError& error) {
        throw YouTubeError::failed(error.what());
    }

    // Every way out below removes the work folder with whatever is still in it.
    if (cancel.isCancelled())
        throw platform::CancellationError();
    int status = result.status.shellStatus();
    if (status == 0 && unreadablePath)
        throw YouTubeError::failed(*unreadablePath);
    if (status != 0 || !finalPath)
        throw YouTubeError::failed(shortError(text::sanitizedUtf8(records.finishLog()), status));
    if (auto problem = finalPathProblem(*finalPath, work->path()))
        throw YouTubeError::failed(*problem);
    try {
        return platform::moveToFreeName(*finalPath, target);
    } catch (const platform::FileError& error) {
        throw YouTubeError::failed(error.what());
    }
}

} // namespace ZazidEvoz
