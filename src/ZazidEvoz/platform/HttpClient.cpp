#include "HttpClient.hpp"

#include "FaultInjection.hpp"
#include "Text.hpp"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <curl/curl.h>
#include <memory>
#include <mutex>

namespace ZazidEvoz::platform {

std::string HttpResponse::header(std::string_view name) const {
    std::string value;
    for (const auto& [headerName, headerValue] : headers)
        if (text::equalsIgnoringAsciiCase(headerName, name))
            value = headerValue;
    return value;
}

bool isHttpURL(std::string_view url) {
    return text::startsWithIgnoringAsciiCase(url, "http://") ||
           text::startsWithIgnoringAsciiCase(url, "https://");
}

bool isCleanAddress(std::string_view url) {
    if (url.size() > maxAddressBytes)
        return false;
    for (unsigned char c : url)
        if (c < 0x20 || c == 0x7F)
            return false;
    return true;
}

bool isCleanHttpURL(std::string_view url) {
    return isHttpURL(url) && isCleanAddress(url);
}

std::string percentEncode(std::string_view text, std::string_view alsoKeep) {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(text.size() * 3);
    for (unsigned char c : text) {
        bool kept = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                    c == '.' || c == '_' || c == '~' ||
                    (c < 0x80 && alsoKeep.find(char(c)) != std::string_view::npos);
        if (kept) {
            encoded.push_back(char(c));
        } else {
            encoded.push_back('%');
            encoded.push_back(hex[c >> 4]);
            encoded.push_back(hex[c & 0xF]);
        }
    }
    return encoded;
}

namespace {

void initialiseCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct EasyDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct MultiDeleter {
    void operator()(CURLM* handle) const { curl_multi_cleanup(handle); }
};
struct ListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

// What the curl callbacks of one transfer share.
struct Transfer {
    const HttpRequest& request;
    const HttpHeadersHandler* onHeaders;
    const HttpDataHandler* onData;
    HttpResponse response;
    std::size_t received = 0;
    bool headersDelivered = false;
    bool stoppedByHandler = false;
    bool tooLarge = false;
    CURL* easy = nullptr;
    // The idle watch: the span restarts each time `request.idleBytes` more bytes have moved
    // since it began (headers, the body as it comes off the wire, an upload). Wire bytes, since
    // a compressed body may decode to nothing for a while.
    std::chrono::steady_clock::time_point spanStart = std::chrono::steady_clock::now();
    curl_off_t spanStartBytes = 0;
    curl_off_t headerBytes = 0;
    curl_off_t wireBytes = 0; // body received and sent, as curl last counted them

    void noteBytesMoved() {
        curl_off_t moved = headerBytes + wireBytes;
        if (moved - spanStartBytes >= curl_off_t(std::max<std::size_t>(request.idleBytes, 1))) {
            spanStartBytes = moved;
            spanStart = std::chrono::steady_clock::now();
        }
    }

    // curl reports the headers of every response on a redirect chain; keep the last block.
    static std::size_t onHeaderLine(char* data, std::size_t size, std::size_t count, void* context) {
        auto& transfer = *static_cast<Transfer*>(context);
        transfer.headerBytes += curl_off_t(size * count);
        transfer.noteBytesMoved();
        std::string_view line(data, size * count);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
            line.remove_suffix(1);
        if (line.starts_with("HTTP/") || line.starts_with("ICY ")) {
            transfer.response.headers.clear();
            return size * count;
        }
        auto colon = line.find(':');
        if (colon != std::string_view::npos) {
            std::string_view value = line.substr(colon + 1);
            while (!value.empty() && (value.front() == ' ' || value.front() == '\t'))
                value.remove_prefix(1);
            transfer.response.headers.emplace_back(std::string(line.substr(0, colon)), std::string(value));
        }
        return size * count;
    }

    static int onProgress(void* context, curl_off_t, curl_off_t downloaded, curl_off_t, curl_off_t uploaded) {
        auto& transfer = *static_cast<Transfer*>(context);
        transfer.wireBytes = std::max(transfer.wireBytes, downloaded + uploaded);
        transfer.noteBytesMoved();
        return 0;
    }

    bool deliverHeaders() {
        if (headersDelivered)
            return true;
        headersDelivered = true;
        curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &response.status);
        if (onHeaders && *onHeaders && !(*onHeaders)(response.status, response.headers)) {
            stoppedByHandler = true;
            return false;
        }
        return true;
    }

    static std::size_t onBody(char* data, std::size_t size, std::size_t count, void* context) {
        auto& transfer = *static_cast<Transfer*>(context);
        curl_off_t downloaded = 0;
        curl_off_t uploaded = 0;
        curl_easy_getinfo(transfer.easy, CURLINFO_SIZE_DOWNLOAD_T, &downloaded);
        curl_easy_getinfo(transfer.easy, CURLINFO_SIZE_UPLOAD_T, &uploaded);
        transfer.wireBytes = std::max(transfer.wireBytes, downloaded + uploaded);
        transfer.noteBytesMoved();
        const auto handed = std::chrono::steady_clock::now();
        std::size_t bytes = size * count;
        if (!transfer.deliverHeaders())
            return CURL_WRITEFUNC_ERROR;
        transfer.received += bytes;
        if (transfer.received > transfer.request.maxBodyBytes) {
            transfer.tooLarge = true;
            return CURL_WRITEFUNC_ERROR;
        }
        std::string_view piece(data, bytes);
        if (transfer.onData) {
            if (*transfer.onData && !(*transfer.onData)(piece)) {
                transfer.stoppedByHandler = true;
                return CURL_WRITEFUNC_ERROR;
            }
        } else {
            transfer.response.body.append(piece);
        }
        // A handler that took its time is no silence of the server.
        transfer.spanStart += std::chrono::steady_clock::now() - handed;
        return bytes;
    }
};

HttpResponse perform(const HttpRequest& request, const HttpHeadersHandler* onHeaders,
                     const HttpDataHandler* onData, std::stop_token stop) {
    if (!isHttpURL(request.url))
        throw HttpError(HttpErrorKind::UnsupportedURL, "Unsupported URL: " + request.url);
    // curl would read the text only up to a NUL and send another address than the one asked.
    if (!isCleanAddress(request.url))
        throw HttpError(HttpErrorKind::UnsupportedURL, "Unsupported URL: control characters or over 8 KiB");
    if (FaultInjection::shouldFail(Seam::HttpRequest))
        throw HttpError(HttpErrorKind::Transport, "Injected network failure");
    if (stop.stop_requested())
        throw HttpError(HttpErrorKind::Cancelled, "Request cancelled");

    initialiseCurlOnce();
    std::unique_ptr<CURL, EasyDeleter> easy(curl_easy_init());
    std::unique_ptr<CURLM, MultiDeleter> multi(curl_multi_init());
    if (!easy || !multi)
        throw HttpError(HttpErrorKind::Transport, "Cannot create an HTTP request");

    Transfer transfer{request, onHeaders, onData, {}, 0, false, false, false, easy.get()};
    const auto idleTimeout = std::max(request.idleTimeout, std::chrono::milliseconds(1));
    std::unique_ptr<curl_slist, ListDeleter> headerList;
    for (const auto& header : request.headers)
        headerList.reset(curl_slist_append(headerList.release(), header.c_str()));
    // Old Shoutcast servers answer "ICY 200 OK"; without the alias curl takes that for HTTP/0.9
    // and refuses the answer.
    std::unique_ptr<curl_slist, ListDeleter> statusAliases(curl_slist_append(nullptr, "ICY"));

    CURL* handle = easy.get();
    curl_easy_setopt(handle, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, request.maxRedirects > 0 ? 1L : 0L);
    curl_easy_setopt(handle, CURLOPT_MAXREDIRS, long(request.maxRedirects));
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_ACCEPT_ENCODING, "");
    curl_easy_setopt(handle, CURLOPT_HTTP200ALIASES, statusAliases.get());
    // The idle time-out is watched below; curl's low-speed window would also fail a slow
    // trickle and notice a stall only at whole seconds.
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, long(idleTimeout.count()));
    curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, long(request.totalTimeout.count()));
    curl_easy_setopt(handle, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(request.maxBodyBytes));
    if (!request.userAgent.empty())
        curl_easy_setopt(handle, CURLOPT_USERAGENT, request.userAgent.c_str());
    if (headerList)
        curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headerList.get());
    if (request.method == "POST") {
        curl_easy_setopt(handle, CURLOPT_POST, 1L);
        curl_easy_setopt(handle, CURLOPT_POSTFIELDS, request.body.c_str());
        curl_easy_setopt(handle, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(request.body.size()));
    } else if (request.method == "HEAD") {
        curl_easy_setopt(handle, CURLOPT_NOBODY, 1L);
    }
    curl_easy_setopt(handle, CURLOPT_HEADERFUNCTION, &Transfer::onHeaderLine);
    curl_easy_setopt(handle, CURLOPT_HEADERDATA, &transfer);
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &Transfer::onBody);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, &Transfer::onProgress);
    curl_easy_setopt(handle, CURLOPT_XFERINFODATA, &transfer);

    curl_multi_add_handle(multi.get(), handle);
    std::stop_callback wakeOnStop(stop, [&multi] { curl_multi_wakeup(multi.get()); });

    CURLcode result = CURLE_OK;
    bool cancelled = false;
    bool idle = false;
    for (;;) {
        int running = 0;
        curl_multi_perform(multi.get(), &running);
        int queued = 0;
        bool done = false;
        while (CURLMsg* message = curl_multi_info_read(multi.get(), &queued)) {
            if (message->msg == CURLMSG_DONE) {
                result = message->data.result;
                done = true;
            }
        }
        if (done || running == 0)
            break;
        if (stop.stop_requested()) {
            cancelled = true;
            break;
        }
        auto quiet = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                           transfer.spanStart);
        if (quiet >= idleTimeout) {
            idle = true;
            break;
        }
        // Wake up in time to notice the idle time-out.
        auto wait = std::clamp<std::int64_t>((idleTimeout - quiet).count(), 1, 1000);
        curl_multi_poll(multi.get(), nullptr, 0, int(wait), nullptr);
        if (stop.stop_requested()) {
            cancelled = true;
            break;
        }
    }
    curl_multi_remove_handle(multi.get(), handle);

    if (cancelled)
        throw HttpError(HttpErrorKind::Cancelled, "Request cancelled");
    if (transfer.tooLarge || result == CURLE_FILESIZE_EXCEEDED)
        throw HttpError(HttpErrorKind::TooLarge, "Response too large");
    if (idle || result == CURLE_OPERATION_TIMEDOUT)
        throw HttpError(HttpErrorKind::TimedOut, "The request timed out.");
    if (result != CURLE_OK && !(transfer.stoppedByHandler && result == CURLE_WRITE_ERROR)) {
        if (result == CURLE_UNSUPPORTED_PROTOCOL)
            throw HttpError(HttpErrorKind::UnsupportedURL, curl_easy_strerror(result));
        throw HttpError(HttpErrorKind::Transport, curl_easy_strerror(result));
    }
    transfer.deliverHeaders();
    char* effective = nullptr;
    curl_easy_getinfo(handle, CURLINFO_EFFECTIVE_URL, &effective);
    if (effective)
        transfer.response.effectiveURL = effective;
    return std::move(transfer.response);
}

} // namespace

HttpResponse HttpClient::fetch(const HttpRequest& request, std::stop_token stop) const {
    return perform(request, nullptr, nullptr, stop);
}

HttpResponse HttpClient::stream(const HttpRequest& request, const HttpHeadersHandler& onHeaders,
                                const HttpDataHandler& onData, std::stop_token stop) const {
    return perform(request, &onHeaders, &onData, stop);
}

} // namespace ZazidEvoz::platform
