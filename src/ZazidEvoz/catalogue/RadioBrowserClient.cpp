#include "RadioBrowserClient.hpp"

#include "ZazidEvoz/core/UserAgent.hpp"
#include "ZazidEvoz/platform/Hash.hpp"
#include "ZazidEvoz/platform/HttpClient.hpp"
#include "ZazidEvoz/platform/Text.hpp"
#include "ZazidEvoz/platform/Threads.hpp"

#include <algorithm>
#include <functional>
#include <unordered_set>

namespace ZazidEvoz {
namespace {

constexpr std::size_t maxAnswerBytes = 16 * 1024 * 1024;
constexpr int maxRedirects = 5;
// Reports beyond this are dropped while the directory is slow: they only count plays.
constexpr std::size_t maxPendingClicks = 32;
constexpr std::size_t maxGenreTags = 6;
constexpr std::size_t fewNameHits = 11;
constexpr int tagTopUpLimit = 60;
// Less than this a second over the idle span is a trickle, not an answer: the mirror is
// passed over as if it were silent. No working link is that slow; an overloaded mirror is.
constexpr std::size_t usefulBytesPerSecond = 128;

std::string decimal(int number) {
    return std::to_string(number);
}

const json::Value& answerArray(const json::Value& answer) {
    if (!answer.is_array())
        throw json::JsonDecodeError("Expected an array of records");
    return answer;
}

std::string textOrEmpty(const json::Value& record, std::string_view key) {
    return json::optionalString(record, key).value_or("");
}

// Records are untrusted: a text becomes one line of sane length, as a stream title does.
constexpr std::size_t maxRecordTextBytes = 1024;

std::string recordText(const json::Value& record, std::string_view key) {
    return text::oneLineText(textOrEmpty(record, key), maxRecordTextBytes);
}

// The directory's comma-separated tags: trimmed, non-empty, the first six, joined by ", ".
std::string genreFromTags(const std::string& tags) {
    std::string genre;
    std::size_t kept = 0;
    std::size_t start = 0;
    while (start <= tags.size() && kept < maxGenreTags) {
        std::size_t comma = tags.find(',', start);
        std::size_t end = comma == std::string::npos ? tags.size() : comma;
        std::string piece =
            text::trimmedHorizontalWhitespace(std::string_view(tags).substr(start, end - start));
        if (!piece.empty()) {
            if (kept > 0)
                genre += ", ";
            genre += piece;
            ++kept;
        }
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    return genre;
}

} // namespace

std::size_t StationCountryHash::operator()(const StationCountry& country) const {
    return platform::hashValues(country.name, country.code, country.stationCount);
}

std::size_t StationTagHash::operator()(const StationTag& tag) const {
    return platform::hashValues(tag.name, tag.stationCount);
}

json::Value toJson(const StationCountry& country) {
    return {{"name", country.name}, {"code", country.code}, {"stationCount", country.stationCount}};
}

StationCountry stationCountryFromJson(const json::Value& value) {
    json::requireObject(value, "country");
    return {json::requireString(value, "name"), json::requireString(value, "code"),
            json::requireInt(value, "stationCount")};
}

json::Value toJson(const StationTag& tag) {
    return {{"name", tag.name}, {"stationCount", tag.stationCount}};
}

StationTag stationTagFromJson(const json::Value& value) {
    json::requireObject(value, "tag");
    return {json::requireString(value, "name"), json::requireInt(value, "stationCount")};
}

RadioBrowserError::RadioBrowserError(std::string lastFailure)
    : std::runtime_error(std::string(RadioBrowserClient::domain) + ": " + lastFailure),
      lastFailure_(std::move(lastFailure)) {}

std::vector<std::string> RadioBrowserClient::defaultMirrors() {
    return {"https://de1.api.radio-browser.info", "https://de2.api.radio-browser.info",
            "https://fi1.api.radio-browser.info", "https://nl1.api.radio-browser.info",
            "https://at1.api.radio-browser.info"};
}

RadioBrowserClient::RadioBrowserClient(std::vector<std::string> mirrors,
                                       std::chrono::milliseconds requestTimeout,
                                       std::chrono::milliseconds totalTimeout)
    : mirrors_(std::move(mirrors)), requestTimeout_(requestTimeout), totalTimeout_(totalTimeout),
      userAgent_(UserAgent::withContactLink()) {}

RadioBrowserClient::~RadioBrowserClient() {
    if (clickThread_.joinable()) {
        clickThread_.request_stop();
        clickThread_.join();
    }
}

std::string RadioBrowserClient::get(std::string_view path, const Query& query, std::stop_token stop) const {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + totalTimeout_;
    std::string lastFailure = "not reachable";
    for (std::size_t index = 0; index < mirrors_.size(); ++index) {
        const std::string& base = mirrors_[index];
        if (!platform::isHttpURL(base))
            continue; // no request can be formed for this mirror
        auto remaining = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (remaining <= std::chrono::milliseconds::zero())
            break; // the last failure says why the time ran out
        // Each mirror gets an equal share of what is left, so one that trickles on without end
        // cannot keep the others from being asked; what a quick failure leaves goes to the rest.
        auto mirrorsLeft =
            std::count_if(mirrors_.begin() + std::ptrdiff_t(index), mirrors_.end(),
                          [](const std::string& mirror) { return platform::isHttpURL(mirror); });
        auto share = remaining / mirrorsLeft;
        platform::HttpRequest request;
        request.url = base + std::string(path);
        char separator = '?';
        for (const auto& [key, value] : query) {
            request.url += separator + platform::percentEncode(key) + '=' + platform::percentEncode(value);
            separator = '&';
        }
        request.userAgent = userAgent_;
        request.idleTimeout = requestTimeout_;
        request.idleBytes =
            std::max<std::size_t>(1, usefulBytesPerSecond * std::size_t(requestTimeout_.count()) / 1000);
        request.totalTimeout = std::max(share, std::chrono::milliseconds(1));
        request.maxBodyBytes = maxAnswerBytes;
        request.maxRedirects = maxRedirects;

        platform::HttpResponse response;
        try {
            response = platform::HttpClient().fetch(request, stop);
        } catch (const platform::HttpError& error) {
            if (error.kind() == platform::HttpErrorKind::Cancelled || stop.stop_requested())
                throw platform::HttpError(platform::HttpErrorKind::Cancelled, "Request cancelled");
            lastFailure = error.what();
            continue;
        }
        if (response.status != 200) {
            lastFailure = "HTTP " + std::to_string(response.status);
            continue;
        }
        return std::move(response.body);
    }
    throw RadioBrowserError(lastFailure);
}

std::vector<Station> RadioBrowserClient::stationSearch(std::string key, std::string value, int limit,
                                                       std::stop_token stop) const {
    Query query{{std::move(key), std::move(value)},
                {"limit", decimal(limit)},
                {"hidebroken", "true"},
                {"order", "clickcount"},
                {"reverse", "true"}};
    return decodeStations(get("/json/stations/search", query, stop));
}

std::vector<Station> RadioBrowserClient::search(std::string_view text, int limit,
                                                std::stop_token stop) const {
    std::string trimmed = text::trimmedWhitespace(text);
    if (trimmed.empty())
        return top(100, stop);
    if (isStreamLink(trimmed))
        return byStreamURL(trimmed, stop);
    std::vector<Station> nameHits = stationSearch("name", trimmed, limit, stop);
    if (nameHits.size() > fewNameHits)
        return nameHits;
    std::vector<Station> tagHits;
    try {
        tagHits = byTag(text::lowercased(trimmed), tagTopUpLimit, stop);
    } catch (const std::exception&) {
        // The top-up is a bonus: the name hits stand on their own.
    }
    return merge(nameHits, tagHits);
}

std::vector<Station> RadioBrowserClient::top(int limit, std::stop_token stop) const {
    return decodeStations(get("/json/stations/topclick/" + decimal(limit), {{"hidebroken", "true"}}, stop));
}

std::vector<Station> RadioBrowserClient::topVoted(int limit, std::stop_token stop) const {
    return decodeStations(get("/json/stations/topvote/" + decimal(limit), {{"hidebroken", "true"}}, stop));
}

std::vector<Station> RadioBrowserClient::byTag(std::string_view tag, int limit, std::stop_token stop) const {
    return stationSearch("tag", text::lowercased(tag), limit, stop);
}

std::vector<Station> RadioBrowserClient::byCountry(std::string_view countryCode, int limit,
                                                   std::stop_token stop) const {
    return stationSearch("countrycode", text::uppercased(countryCode), limit, stop);
}

std::vector<Station> RadioBrowserClient::byStreamURL(std::string_view url, std::stop_token stop) const {
    return decodeStations(get("/json/stations/byurl", {{"url", text::trimmedWhitespace(url)}}, stop));
}

std::vector<StationCountry> RadioBrowserClient::countries(std::stop_token stop) const {
    Query query{{"order", "stationcount"}, {"reverse", "true"}, {"hidebroken", "true"}};
    return decodeCountries(get("/json/countries", query, stop));
}

std::vector<StationTag> RadioBrowserClient::tags(int limit, std::stop_token stop) const {
    Query query{
        {"order", "stationcount"}, {"reverse", "true"}, {"limit", decimal(limit)}, {"hidebroken", "true"}};
    return decodeTags(get("/json/tags", query, stop));
}

void RadioBrowserClient::countClick(const Station& station) {
    if (station.stationUUID.empty())
        return;
    {
        std::lock_guard lock(clickMutex_);
        if (pendingClicks_.size() >= maxPendingClicks)
            return;
        pendingClicks_.push_back(station.stationUUID);
        if (!clickThread_.joinable())
            clickThread_ = std::jthread([this](std::stop_token stop) { clickLoop(stop); });
    }
    clickQueued_.notify_one();
}

void RadioBrowserClient::clickLoop(std::stop_token stop) {
    platform::setCurrentThreadName("ZR clicks");
    for (;;) {
        std::string uuid;
        {
            std::unique_lock lock(clickMutex_);
            if (!clickQueued_.wait(lock, stop, [this] { return !pendingClicks_.empty(); }))
                return;
            uuid = std::move(pendingClicks_.front());
            pendingClicks_.pop_front();
        }
        try {
            // The identifier comes from the directory's answer: keep it inside one path segment.
            get("/json/url/" + platform::percentEncode(uuid), {}, stop);
        } catch (const std::exception&) {
            // A lost click report changes nothing for the listener.
        }
    }
}

std::vector<Station> RadioBrowserClient::decodeStations(std::string_view bytes) {
    const json::Value answer = json::parse(bytes);
    std::vector<Station> stations;
    std::unordered_set<std::string> taken;
    for (const json::Value& record : answerArray(answer)) {
        json::requireObject(record, "station");
        // Read every field first: a field of the wrong type fails the whole answer.
        std::string uuid = recordText(record, "stationuuid");
        std::string name = recordText(record, "name");
        std::string url = textOrEmpty(record, "url");
        std::string resolved = textOrEmpty(record, "url_resolved");
        std::string codec = recordText(record, "codec");
        std::int64_t bitrate = json::optionalInt(record, "bitrate").value_or(0);
        std::string country = recordText(record, "country");
        std::string countryCode = recordText(record, "countrycode");
        std::string tags = recordText(record, "tags");
        std::int64_t votes = json::optionalInt(record, "votes").value_or(0);
        std::string favicon = textOrEmpty(record, "favicon");
        if (!platform::isCleanAddress(favicon))
            favicon.clear();

        std::string address = text::trimmedHorizontalWhitespace(resolved);
        if (address.empty())
            address = text::trimmedHorizontalWhitespace(url);
        std::string trimmedName = text::trimmedWhitespace(name);
        // Records are untrusted: only clean web addresses become playable stations.
        if (address.empty() || trimmedName.empty() || !platform::isCleanHttpURL(address))
            continue;
        if (!taken.insert(address).second)
            continue;

        Station station;
        station.kind = MediaKind::radio;
        station.name = std::move(trimmedName);
        station.url = std::move(address);
        station.genre = genreFromTags(tags);
        station.country = std::move(country);
        station.countryCode = text::uppercased(countryCode);
        station.codec = text::uppercased(codec);
        station.bitrate = bitrate;
        station.faviconURL = std::move(favicon);
        station.votes = votes;
        station.stationUUID = std::move(uuid);
        stations.push_back(std::move(station));
    }
    return stations;
}

std::vector<StationCountry> RadioBrowserClient::decodeCountries(std::string_view bytes) {
    const json::Value answer = json::parse(bytes);
    std::vector<StationCountry> countries;
    for (const json::Value& record : answerArray(answer)) {
        json::requireObject(record, "country");
        std::string name = recordText(record, "name");
        std::string code = recordText(record, "iso_3166_1");
        std::int64_t count = json::optionalInt(record, "stationcount").value_or(0);
        if (name.empty() || code.empty())
            continue;
        countries.push_back({std::move(name), text::uppercased(code), count});
    }
    return countries;
}

std::vector<StationTag> RadioBrowserClient::decodeTags(std::string_view bytes) {
    const json::Value answer = json::parse(bytes);
    std::vector<StationTag> tags;
    for (const json::Value& record : answerArray(answer)) {
        json::requireObject(record, "tag");
        std::string name = text::trimmedHorizontalWhitespace(recordText(record, "name"));
        std::int64_t count = json::optionalInt(record, "stationcount").value_or(0);
        if (!name.empty())
            tags.push_back({std::move(name), count});
    }
    return tags;
}

bool RadioBrowserClient::isStreamLink(std::string_view text) {
    if (platform::isHttpURL(text))
        return true;
    if (text.find(' ') != std::string_view::npos)
        return false;
    return text.find('.') != std::string_view::npos && text.find('/') != std::string_view::npos;
}

std::vector<Station> RadioBrowserClient::merge(const std::vector<Station>& first,
                                               const std::vector<Station>& second) {
    std::vector<Station> merged = first;
    appendNewStations(merged, second);
    return merged;
}

} // namespace ZazidEvoz
