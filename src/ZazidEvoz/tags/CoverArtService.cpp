#include "CoverArtService.hpp"

#include "ZazidEvoz/platform/Files.hpp"
#include "ZazidEvoz/platform/ImageBytes.hpp"
#include "ZazidEvoz/platform/Json.hpp"
#include "ZazidEvoz/platform/TemporaryFiles.hpp"
#include "ZazidEvoz/platform/Text.hpp"

namespace ZazidEvoz {
namespace {

std::string withoutTrailingSlashes(std::string url) {
    while (!url.empty() && url.back() == '/')
        url.pop_back();
    return url;
}

std::string replacingAll(std::string text, std::string_view what, std::string_view with) {
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
    return text;
}

// The answer; nothing for a transport failure, a body over the cap or a cancelled request.
std::optional<platform::HttpResponse> fetch(const platform::HttpClient& client, const std::string& url,
                                            std::size_t maxBytes, std::stop_token stop) {
    platform::HttpRequest request;
    request.url = url;
    request.maxBodyBytes = maxBytes;
    try {
        return client.fetch(request, stop);
    } catch (const platform::HttpError&) {
        return std::nullopt;
    }
}

} // namespace

CoverArtService::CoverArtService(std::optional<std::string> baseURL)
    : baseURL_(withoutTrailingSlashes(baseURL.value_or(defaultBaseURL))) {}

std::optional<std::string> CoverArtService::searchURL(std::string_view baseURL, std::string_view artist,
                                                      std::string_view title, std::string_view album) {
    std::string_view second = album.empty() ? title : album;
    std::string term(artist);
    if (!term.empty() && !second.empty())
        term += ' ';
    term += second;
    if (term.empty())
        return std::nullopt;
    return std::string(baseURL) + "/search?term=" + platform::percentEncode(term) +
           "&media=music&entity=" + (album.empty() ? "song" : "album") + "&limit=5";
}

std::optional<std::string> CoverArtService::artworkURL(std::string_view body, std::string_view artist) {
    json::Value answer;
    try {
        answer = json::parse(body);
    } catch (const json::JsonDecodeError&) {
        return std::nullopt;
    }
    if (!answer.is_object())
        return std::nullopt;
    auto results = answer.find("results");
    if (results == answer.end() || !results->is_array() || results->empty())
        return std::nullopt;
    for (const auto& hit : *results)
        if (!hit.is_object())
            return std::nullopt;

    std::string wantedArtist = text::lowercased(artist);
    const json::Value* chosen = &results->front();
    for (const auto& hit : *results) {
        auto name = hit.find("artistName");
        if (name != hit.end() && name->is_string() &&
            text::lowercased(name->get<std::string>()).find(wantedArtist) != std::string::npos) {
            chosen = &hit;
            break;
        }
    }

    auto artwork = chosen->find("artworkUrl100");
    if (artwork == chosen->end() || !artwork->is_string())
        return std::nullopt;
    std::string url = replacingAll(artwork->get<std::string>(), "100x100bb", "600x600bb");
    // Only a web address may be fetched: never a local file or another protocol.
    if (!platform::isHttpURL(url))
        return std::nullopt;
    return url;
}

std::optional<std::string> CoverArtService::coverURL(std::string_view artist, std::string_view title,
                                                     std::string_view album, std::stop_token stop) const {
    auto url = searchURL(baseURL_, artist, title, album);
    if (!url)
        return std::nullopt;
    auto answer = fetch(client_, *url, maxSearchBytes, stop);
    if (!answer || answer->status != 200)
        return std::nullopt;
    return artworkURL(answer->body, artist);
}

std::optional<std::filesystem::path> CoverArtService::downloadCover(std::string_view artist,
                                                                    std::string_view title,
                                                                    std::string_view album,
                                                                    std::stop_token stop) const {
    auto url = coverURL(artist, title, album, stop);
    if (!url)
        return std::nullopt;
    // An error page, a redirect to one or a placeholder must never become the cover.
    auto picture = fetch(client_, *url, maxPictureBytes, stop);
    if (!picture || !picture->isSuccess() || picture->body.size() <= smallestRejectedPicture ||
        !platform::isJpegOrPng(picture->body))
        return std::nullopt;
    try {
        return platform::writeNewTemporaryFile("zintraradio-cover-", ".jpg", picture->body);
    } catch (const platform::FileError&) {
        return std::nullopt;
    }
}

} // namespace ZazidEvoz
