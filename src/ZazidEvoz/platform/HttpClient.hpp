// HTTP and HTTPS requests through libcurl.
//
// Only http and https are spoken, also across redirects (at most 5 by default). Every
// request has an idle time-out (fewer than `idleBytes` moved in that long fail it: by
// default no byte at all, however slowly the bytes came before), a total cap and a cap on
// the body size. A stop request cancels a
// running transfer at once.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <stdexcept>
#include <stop_token>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ZazidEvoz::platform {

enum class HttpErrorKind {
    UnsupportedURL, // not an http or https address
    Transport, // connection refused, DNS, TLS, broken transfer, too many redirects
    TimedOut, // idle time-out or total cap
    Cancelled, // stop requested
    TooLarge, // body over the cap
};

class HttpError : public std::runtime_error {
public:
    HttpError(HttpErrorKind kind, const std::string& message) : std::runtime_error(message), kind_(kind) {}
    HttpErrorKind kind() const { return kind_; }

private:
    HttpErrorKind kind_;
};

struct HttpRequest {
    std::string url;
    std::string method = "GET"; // "GET", "POST" or "HEAD"
    std::string body; // sent with POST
    std::vector<std::string> headers; // "Name: value"
    std::string userAgent; // empty: no User-Agent header
    std::chrono::milliseconds idleTimeout{15000};
    // What must move within each idle span for the request to live on: 1 lets a slow stream
    // trickle, more fails a server that sends too little to be of use as if it were silent.
    std::size_t idleBytes = 1;
    std::chrono::milliseconds totalTimeout{60000};
    std::size_t maxBodyBytes = 16 * 1024 * 1024;
    int maxRedirects = 5;
};

using HttpHeaders = std::vector<std::pair<std::string, std::string>>;

struct HttpResponse {
    long status = 0;
    HttpHeaders headers; // of the final response, names as sent
    std::string body;
    std::string effectiveURL; // after redirects

    // The last value of a header, by case-insensitive name; empty when absent.
    std::string header(std::string_view name) const;
    bool isSuccess() const { return status >= 200 && status < 300; }
};

// Called once the final response's headers are in; return false to stop the transfer.
using HttpHeadersHandler = std::function<bool(long status, const HttpHeaders& headers)>;
// Called for every piece of the body; return false to stop the transfer (not an error).
using HttpDataHandler = std::function<bool(std::string_view data)>;

class HttpClient {
public:
    // The whole body into the response. Throws HttpError; HTTP error statuses are answers,
    // not errors.
    HttpResponse fetch(const HttpRequest& request, std::stop_token stop = {}) const;

    // The body piece by piece; the returned response has no body. Stopping from a handler
    // ends the transfer without an error.
    HttpResponse stream(const HttpRequest& request, const HttpHeadersHandler& onHeaders,
                        const HttpDataHandler& onData, std::stop_token stop = {}) const;
};

// True when the text starts with "http://" or "https://" (any letter case).
bool isHttpURL(std::string_view url);

// The longest address taken from a file, the network, a tool or the user.
inline constexpr std::size_t maxAddressBytes = 8 * 1024;

// At most maxAddressBytes long and free of control characters (U+0000 to U+001F and DEL).
// Only such an address may become a station, a link or a child's argument: a NUL would cut
// the argument and a line break would split a playlist line or a request.
bool isCleanAddress(std::string_view url);
// An http or https address that is clean.
bool isCleanHttpURL(std::string_view url);

// Percent-encodes every byte outside the RFC 3986 unreserved set (A-Z a-z 0-9 - . _ ~) and
// the ASCII characters of `alsoKeep`.
std::string percentEncode(std::string_view text, std::string_view alsoKeep = {});

} // namespace ZazidEvoz::platform
