// The synced-lyrics web service played by a local HTTP server, for the lookup and the filler tests.
#pragma once

#include "ZazidEvoz/platform/Json.hpp"
#include "support/LocalHttpServer.hpp"

#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace ZazidEvoz::testkit {

// A record as the service sends it; absent parts are left out of the JSON.
inline json::Value record(const std::string& track, const std::string& artist,
                          std::optional<std::string> synced, std::optional<std::string> plain) {
    json::Value value = {
        {"trackName", track}, {"artistName", artist}, {"duration", 200}, {"instrumental", false}};
    if (synced)
        value["syncedLyrics"] = *synced;
    if (plain)
        value["plainLyrics"] = *plain;
    return value;
}

inline void answerJSON(httplib::Response& response, const json::Value& value) {
    response.set_content(value.dump(), "application/json");
}

// The synced-lyrics service on 127.0.0.1: answers through swappable handlers and remembers
// every request it saw.
class LyricsSite {
public:
    using Handler = std::function<void(const httplib::Request&, httplib::Response&)>;

    struct Seen {
        std::string path;
        std::string target; // as sent, still percent-encoded
        std::string userAgent;
        std::multimap<std::string, std::string> params; // decoded
    };

    LyricsSite() {
        for (const char* path : {"/api/get", "/api/search"})
            local_.server.Get(path, [this](const httplib::Request& request, httplib::Response& response) {
                Handler handler;
                {
                    std::lock_guard lock(mutex_);
                    seen_.push_back({request.path,
                                     request.target,
                                     request.get_header_value("User-Agent"),
                                     {request.params.begin(), request.params.end()}});
                    handler = request.path == "/api/get" ? get_ : search_;
                }
                if (handler)
                    handler(request, response);
                else
                    response.status = 404;
            });
        local_.start();
    }

    std::string baseURL() const { return local_.url(""); }
    void onGet(Handler handler) {
        std::lock_guard lock(mutex_);
        get_ = std::move(handler);
    }
    void onSearch(Handler handler) {
        std::lock_guard lock(mutex_);
        search_ = std::move(handler);
    }
    std::vector<Seen> seen() {
        std::lock_guard lock(mutex_);
        return seen_;
    }
    std::vector<std::string> paths() {
        std::vector<std::string> result;
        for (const auto& request : seen())
            result.push_back(request.path);
        return result;
    }
    void forget() {
        std::lock_guard lock(mutex_);
        seen_.clear();
    }

private:
    std::mutex mutex_;
    Handler get_, search_;
    std::vector<Seen> seen_;
    LocalHttpServer local_; // last: stops before the handlers' state goes
};

inline std::string param(const LyricsSite::Seen& seen, const std::string& name) {
    auto found = seen.params.find(name);
    return found == seen.params.end() ? "<absent>" : found->second;
}

} // namespace ZazidEvoz::testkit
