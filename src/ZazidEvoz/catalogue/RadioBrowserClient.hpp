// The client of the public station directory: searches, top lists, stations by tag, country
// or stream address, the country and tag lists, and click reports, tried mirror by mirror.
#pragma once

#include "Station.hpp"
#include "ZazidEvoz/platform/Json.hpp"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <stdexcept>
#include <stop_token>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace ZazidEvoz {

struct StationCountry {
    std::string name;
    std::string code; // ISO 3166-1 alpha-2, upper case
    std::int64_t stationCount = 0;

    const std::string& id() const { return code; }
    friend bool operator==(const StationCountry&, const StationCountry&) = default;
};

struct StationTag {
    std::string name;
    std::int64_t stationCount = 0;

    const std::string& id() const { return name; }
    friend bool operator==(const StationTag&, const StationTag&) = default;
};

struct StationCountryHash {
    std::size_t operator()(const StationCountry& country) const;
};
struct StationTagHash {
    std::size_t operator()(const StationTag& tag) const;
};

json::Value toJson(const StationCountry& country);
StationCountry stationCountryFromJson(const json::Value& value); // throws json::JsonDecodeError
json::Value toJson(const StationTag& tag);
StationTag stationTagFromJson(const json::Value& value); // throws json::JsonDecodeError

// No mirror gave a usable answer. what() is the directory's domain, ": " and the last failure.
class RadioBrowserError : public std::runtime_error {
public:
    explicit RadioBrowserError(std::string lastFailure);
    const std::string& lastFailure() const { return lastFailure_; }

private:
    std::string lastFailure_;
};

// Failures of the station, country and tag operations: RadioBrowserError (also when the
// mirrors together took longer than the total time-out); a
// platform::HttpError of kind Cancelled when the stop token fired (no further mirror is
// tried); json::JsonDecodeError when a mirror answered 200 with something else than the
// expected JSON (no further mirror is tried either).
class RadioBrowserClient {
public:
    static constexpr std::string_view domain = "radio-browser.info";
    // The directory's public API hosts, in the order they are tried.
    static std::vector<std::string> defaultMirrors();

    // `mirrors` are base addresses without a trailing "/"; `requestTimeout` fails a request
    // that receives nothing for that long, or so little that it is only a trickle, and the next
    // mirror is asked; `totalTimeout` bounds one request's whole walk through the mirrors, so
    // slow mirrors cannot add up, and each mirror may take an equal share of what is left of
    // it, so one that never finishes cannot keep the next from being asked.
    explicit RadioBrowserClient(std::vector<std::string> mirrors = defaultMirrors(),
                                std::chrono::milliseconds requestTimeout = std::chrono::seconds(12),
                                std::chrono::milliseconds totalTimeout = std::chrono::seconds(60));
    ~RadioBrowserClient();
    RadioBrowserClient(const RadioBrowserClient&) = delete;
    RadioBrowserClient& operator=(const RadioBrowserClient&) = delete;

    const std::string& userAgent() const { return userAgent_; }
    const std::vector<std::string>& mirrors() const { return mirrors_; }

    // A stream link is looked up by address, a blank text gives the top 100, anything else
    // is a name search topped up by a tag search when it finds fewer than 12 stations.
    std::vector<Station> search(std::string_view text, int limit, std::stop_token stop = {}) const;
    std::vector<Station> top(int limit, std::stop_token stop = {}) const;
    std::vector<Station> topVoted(int limit, std::stop_token stop = {}) const;
    std::vector<Station> byTag(std::string_view tag, int limit, std::stop_token stop = {}) const;
    std::vector<Station> byCountry(std::string_view countryCode, int limit, std::stop_token stop = {}) const;
    std::vector<Station> byStreamURL(std::string_view url, std::stop_token stop = {}) const;
    std::vector<StationCountry> countries(std::stop_token stop = {}) const;
    std::vector<StationTag> tags(int limit, std::stop_token stop = {}) const;

    // Reports a play of a directory station in the background; returns at once and never
    // fails. Stations without a directory identifier are not reported.
    void countClick(const Station& station);

    // Pure decoding of directory answers (throw json::JsonDecodeError).
    static std::vector<Station> decodeStations(std::string_view bytes);
    static std::vector<StationCountry> decodeCountries(std::string_view bytes);
    static std::vector<StationTag> decodeTags(std::string_view bytes);
    // Whether a search text is a stream address rather than words.
    static bool isStreamLink(std::string_view text);
    // `first`, then the stations of `second` whose URL is not yet in the list.
    static std::vector<Station> merge(const std::vector<Station>& first, const std::vector<Station>& second);

private:
    using Query = std::map<std::string, std::string>; // sorted by key, as sent

    std::string get(std::string_view path, const Query& query, std::stop_token stop) const;
    std::vector<Station> stationSearch(std::string key, std::string value, int limit,
                                       std::stop_token stop) const;
    void clickLoop(std::stop_token stop);

    std::vector<std::string> mirrors_;
    std::chrono::milliseconds requestTimeout_;
    std::chrono::milliseconds totalTimeout_;
    std::string userAgent_;

    // Click reports waiting for the background thread; `clickMutex_` guards the queue.
    std::mutex clickMutex_;
    std::condition_variable_any clickQueued_;
    std::deque<std::string> pendingClicks_; // station identifiers
    std::jthread clickThread_;              // started on the first report, stopped and joined on destruction
};

} // namespace ZazidEvoz
