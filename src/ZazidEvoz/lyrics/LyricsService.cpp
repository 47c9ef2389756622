#include "LyricsService.hpp"

#include "ZazidEvoz/core/UserAgent.hpp"
#include "ZazidEvoz/platform/LineBreaks.hpp"
#include "ZazidEvoz/platform/Regex.hpp"
#include "ZazidEvoz/platform/Text.hpp"
#include "ZazidEvoz/platform/UserFolders.hpp"
#include "ZazidEvoz/playback/StreamMetadata.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fmt/format.h>
#include <unicode/uchar.h>
#include <unicode/utf8.h>

namespace ZazidEvoz {
namespace {

// Compiled once, on first use; a compiled Regex is safe to share between threads.
const Regex& timeTag() {
    static const Regex expression(R"(\[(\d{1,3}):(\d{1,2}(?:[.:]\d{1,3})?)\])");
    return expression;
}
const Regex& wordTimingTag() {
    static const Regex expression(R"(<\d{1,3}:\d{1,2}(?:[.:]\d{1,3})?>)");
    return expression;
}
const Regex& artistCredit() {
    static const Regex expression(R"(\s+(feat\.?|ft\.?|featuring|&|x|vs\.?)\s+.*$)",
                                  int(Regex::Option::CaseInsensitive));
    return expression;
}
const Regex& versionRemark() {
    static const Regex expression(
        R"(\s*[\(\[][^\)\]]*(edit|mix|version|remaster|live|explicit|clean|radio)[^\)\]]*[\)\]])",
        int(Regex::Option::CaseInsensitive));
    return expression;
}
const Regex& featuringCredit() {
    static const Regex expression(R"(\s+(feat\.?|ft\.?|featuring)\s+.*$)",
                                  int(Regex::Option::CaseInsensitive));
    return expression;
}

// A hostile text can repeat one long line under thousands of time tags; every tag copies the
// text, so the parser stops once the lines hold this much text.
constexpr std::size_t maxParsedTextBytes = 16 * 1024 * 1024;

// The cleaning patterns backtrack quadratically on long texts full of brackets or credit
// words; no song name comes near this, so longer names are cut before cleaning.
constexpr std::size_t maxNameBytes = 512;

// The service pages its search answers far below this; ranking stops here so that a huge
// answer cannot keep the lookup busy.
constexpr std::size_t maxSearchCandidates = 100;

// The highest time whose stored form still reads back (three minute digits).
constexpr double maxStoredTime = 999 * 60 + 59.99;

// ASCII decimal only, whole text; the tag pattern also lets other scripts' digits through,
// which fail here and drop their tag.
std::optional<double> decimalNumber(std::string_view digits) {
    double value = 0;
    auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), value, std::chars_format::fixed);
    if (error != std::errc() || end != digits.data() + digits.size())
        return std::nullopt;
    return value;
}

// Two spaces become one, in a single pass from the left (four become two).
std::string halvedDoubleSpaces(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    for (std::size_t position = 0; position < text.size(); ++position) {
        result.push_back(text[position]);
        if (text[position] == ' ' && position + 1 < text.size() && text[position + 1] == ' ')
            ++position;
    }
    return result;
}

std::string lineText(std::string_view afterLastTag) {
    std::string withoutWordTimes = wordTimingTag().replaceAll(afterLastTag, "");
    return text::trimmedHorizontalWhitespace(halvedDoubleSpaces(withoutWordTimes));
}

// Letters, digits and the marks that belong to them; everything else goes.
std::string lettersAndDigits(std::string_view text) {
    std::string result;
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    auto length = static_cast<int32_t>(text.size());
    int32_t offset = 0;
    while (offset < length) {
        int32_t start = offset;
        UChar32 character = 0;
        U8_NEXT(bytes, offset, length, character);
        if (character < 0)
            continue;
        if (U_GET_GC_MASK(character) & (U_GC_L_MASK | U_GC_N_MASK | U_GC_M_MASK))
            result.append(text.substr(std::size_t(start), std::size_t(offset - start)));
    }
    return result;
}

std::string keyOfCleanedNames(std::string_view artist, std::string_view title) {
    return text::lowercased(artist) + "|" + text::lowercased(title);
}

std::string resolvedBaseURL(std::optional<std::string> given) {
    std::string url = given ? std::move(*given)
                            : platform::nonEmptyEnvironmentValue(LyricsService::baseURLVariable)
                                  .value_or(LyricsService::defaultBaseURL);
    // The paths are appended with their own slash.
    while (!url.empty() && url.back() == '/')
        url.pop_back();
    return url;
}

std::optional<json::Value> parsedJson(const std::string& body) {
    try {
        return json::parse(body);
    } catch (const json::JsonDecodeError&) {
        return std::nullopt;
    }
}

} // namespace

std::optional<std::int64_t> SongLyrics::lineIndex(double time) const {
    // Also false for NaN.
    if (synced.empty() || !(synced.front().time <= time))
        return std::nullopt;
    std::size_t low = 0;
    std::size_t high = synced.size() - 1;
    while (low < high) {
        std::size_t middle = (low + high + 1) / 2;
        if (synced[middle].time <= time)
            low = middle;
        else
            high = middle - 1;
    }
    return std::int64_t(low);
}

LyricsServiceError::LyricsServiceError(long status)
    : std::runtime_error(fmt::format("The lyrics service is unavailable (HTTP {}).", status)),
      status_(status) {}

std::vector<LyricLine> LyricsService::parseLRC(std::string_view text) {
    // The pattern's match offsets count the bytes of valid UTF-8; on broken bytes they would
    // point elsewhere in the original, so broken bytes are repaired first.
    std::string repaired;
    if (!text::isValidUtf8(text)) {
        repaired = text::sanitizedUtf8(text);
        text = repaired;
    }
    std::vector<LyricLine> lines;
    std::size_t textBytes = 0;
    for (std::string_view line : text::splitAtLineBreaks(text)) {
        std::vector<Regex::Match> tags = timeTag().allMatches(line);
        if (tags.empty())
            continue;
        std::string words = lineText(line.substr(tags.back().end));
        for (const auto& tag : tags) {
            auto minutes = decimalNumber(tag[1]);
            std::string seconds = tag[2];
            std::replace(seconds.begin(), seconds.end(), ':', '.');
            auto secondsValue = decimalNumber(seconds);
            if (!minutes || !secondsValue)
                continue;
            textBytes += words.size();
            if (textBytes > maxParsedTextBytes)
                break;
            lines.push_back(LyricLine{0, *minutes * 60 + *secondsValue, words});
        }
        if (textBytes > maxParsedTextBytes)
            break;
    }
    std::stable_sort(lines.begin(), lines.end(),
                     [](const LyricLine& a, const LyricLine& b) { return a.time < b.time; });
    for (std::size_t position = 0; position < lines.size(); ++position)
        lines[position].index = std::int64_t(position);
    return lines;
}

std::string LyricsService::formatLRC(const std::vector<LyricLine>& lines) {
    std::string result;
    for (const auto& line : lines) {
        // fmt never uses the C locale, so the fraction keeps its "." under any LC_NUMERIC.
        double time = std::isfinite(line.time) ? std::clamp(line.time, 0.0, maxStoredTime) : 0.0;
        auto minutes = static_cast<long>(time) / 60;
        if (!result.empty())
            result.push_back('\n');
        result += fmt::format("[{:02d}:{:05.2f}]{}", minutes, std::fmod(time, 60.0), line.text);
    }
    return result;
}

std::string LyricsService::cleanedArtist(std::string_view artist) {
    std::string name = text::bytePrefixOnCharacterBoundary(artist, maxNameBytes);
    return text::trimmedHorizontalWhitespace(artistCredit().replaceAll(name, ""));
}

std::string LyricsService::cleanedTitle(std::string_view title) {
    std::string name = text::bytePrefixOnCharacterBoundary(title, maxNameBytes);
    std::string withoutRemarks = versionRemark().replaceAll(name, "");
    return text::trimmedHorizontalWhitespace(featuringCredit().replaceAll(withoutRemarks, ""));
}

std::string LyricsService::normalizedTitle(std::string_view title) {
    return lettersAndDigits(text::foldedCaseAndDiacritics(cleanedTitle(title)));
}

std::string LyricsService::cacheKey(std::string_view artist, std::string_view title) {
    return keyOfCleanedNames(cleanedArtist(artist), cleanedTitle(title));
}

int LyricsService::score(const Record& record, const std::optional<std::string>& wantedTitle) {
    int total = 1;
    if (wantedTitle) {
        std::string candidate = normalizedTitle(record.trackName.value_or(""));
        if (candidate == *wantedTitle)
            total = 4;
        else if (candidate.find(*wantedTitle) != std::string::npos)
            total = 2;
        else
            total = 0;
    }
    if (record.syncedLyrics && !record.syncedLyrics->empty())
        total += 2;
    if ((record.plainLyrics && !record.plainLyrics->empty()) || record.instrumental.value_or(false))
        total += 1;
    if (wantedTitle && total <= 2)
        return 0;
    return total;
}

std::optional<LyricsService::Record> LyricsService::decodeRecord(const json::Value& object) {
    if (!object.is_object())
        return std::nullopt;
    try {
        Record record;
        record.trackName = json::optionalString(object, "trackName");
        record.artistName = json::optionalString(object, "artistName");
        record.duration = json::optionalDouble(object, "duration");
        record.instrumental = json::optionalBool(object, "instrumental");
        record.plainLyrics = json::optionalString(object, "plainLyrics");
        record.syncedLyrics = json::optionalString(object, "syncedLyrics");
        return record;
    } catch (const json::JsonDecodeError&) {
        return std::nullopt;
    }
}

std::optional<SongLyrics> LyricsService::Record::lyrics() const {
    std::vector<LyricLine> lines = parseLRC(syncedLyrics.value_or(""));
    std::string plain = plainLyrics.value_or("");
    if (lines.empty() && plain.empty() && !instrumental.value_or(false))
        return std::nullopt;
    return SongLyrics{artistName.value_or(""), trackName.value_or(""),       std::move(lines),
                      std::move(plain),        instrumental.value_or(false), duration.value_or(0)};
}

LyricsService::LyricsService(std::optional<std::string> baseURL)
    : baseURL_(resolvedBaseURL(std::move(baseURL))) {}

std::optional<SongLyrics> LyricsService::lyricsForStreamTitle(std::string_view streamTitle,
                                                              std::stop_token stop) {
    ArtistTitle split = StreamMetadataParser::splitArtistTitle(streamTitle);
    if (split.artist)
        return lyrics(*split.artist, split.title, stop);
    return search(cleanedTitle(split.title), std::nullopt, stop);
}

std::optional<SongLyrics> LyricsService::lyrics(std::string_view artist, std::string_view title,
                                                std::stop_token stop) {
    std::string artistName = cleanedArtist(artist);
    std::string titleName = cleanedTitle(title);
    std::string key = keyOfCleanedNames(artistName, titleName);
    {
        std::lock_guard lock(cacheLock_);
        if (auto cached = cache_.find(key); cached != cache_.end())
            return cached->second;
    }
    std::optional<SongLyrics> result = exact(artistName, titleName, stop);
    if (!result)
        result = search(artistName + " " + titleName, titleName, stop);
    std::lock_guard lock(cacheLock_);
    cache_[key] = result;
    return result;
}

std::optional<SongLyrics> LyricsService::exact(const std::string& artist, const std::string& title,
                                               std::stop_token stop) {
    auto body = get("/api/get?artist_name=" + platform::percentEncode(artist) +
                        "&track_name=" + platform::percentEncode(title),
                    stop);
    if (!body)
        return std::nullopt;
    auto value = parsedJson(*body);
    auto record = value ? decodeRecord(*value) : std::nullopt;
    return record ? record->lyrics() : std::nullopt;
}

std::optional<SongLyrics> LyricsService::search(const std::string& query,
                                                const std::optional<std::string>& title,
                                                std::stop_token stop) {
    if (text::trimmedWhitespace(query).empty())
        return std::nullopt;
    auto body = get("/api/search?q=" + platform::percentEncode(query), stop);
    if (!body)
        return std::nullopt;
    auto value = parsedJson(*body);
    if (!value || !value->is_array())
        return std::nullopt;
    std::vector<Record> records;
    for (const auto& element : *value) {
        if (records.size() == maxSearchCandidates)
            break;
        auto record = decodeRecord(element);
        if (!record)
            return std::nullopt; // one bad record spoils the list, as a strict decoder would
        records.push_back(std::move(*record));
    }
    if (records.empty())
        return std::nullopt;

    std::optional<std::string> wantedTitle;
    if (title)
        wantedTitle = normalizedTitle(*title);
    // The first of the best: equal scores keep the service's order.
    std::size_t best = 0;
    int bestScore = score(records[0], wantedTitle);
    for (std::size_t position = 1; position < records.size(); ++position) {
        int candidateScore = score(records[position], wantedTitle);
        if (candidateScore > bestScore) {
            best = position;
            bestScore = candidateScore;
        }
    }
    if (bestScore <= 0)
        return std::nullopt;
    return records[best].lyrics();
}

std::optional<std::string> LyricsService::get(const std::string& pathAndQuery, std::stop_token stop) {
    platform::HttpRequest request;
    request.url = baseURL_ + pathAndQuery;
    request.userAgent = UserAgent::withContact();
    request.idleTimeout = requestTimeout;
    // An answer that trickles in byte by byte still ends.
    request.totalTimeout = 3 * requestTimeout;
    request.maxBodyBytes = maxBodyBytes;
    // An answer over the cap is a failure (HttpError of kind TooLarge), not "no lyrics": the
    // whole of it was never seen, so nothing may be cached or stored about the song.
    platform::HttpResponse response = client_.fetch(request, stop);
    // A refusing or failing service is not an answer about the song: never "no lyrics".
    if (response.status == 429 || (response.status >= 500 && response.status <= 599))
        throw LyricsServiceError(response.status);
    if (response.status != 200)
        return std::nullopt;
    return std::move(response.body);
}

} // namespace ZazidEvoz
