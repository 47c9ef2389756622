// Finds a cover picture for a track on the public music-catalogue search and downloads it
// into a private temporary file. It only searches and downloads; it writes nothing into the
// library.
#pragma once

#include "ZazidEvoz/platform/HttpClient.hpp"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>

namespace ZazidEvoz {

// Every failure (nothing to search for, no network, a refusing service, no usable hit, no
// picture) is an absent result; nothing throws. Any thread may call it, several lookups at once.
class CoverArtService {
public:
    static constexpr const char* defaultBaseURL = "https://itunes.apple.com";
    // A search answer is a few kilobytes; more is not the service.
    static constexpr std::size_t maxSearchBytes = 2 * 1024 * 1024;
    static constexpr std::size_t maxPictureBytes = 20 * 1024 * 1024;
    // A picture of this size or less is taken for a placeholder, not a cover.
    static constexpr std::size_t smallestRejectedPicture = 1000;

    // The search service lives at `baseURL` (scheme and host, no path), else at the public one.
    explicit CoverArtService(std::optional<std::string> baseURL = std::nullopt);
    CoverArtService(const CoverArtService&) = delete;
    CoverArtService& operator=(const CoverArtService&) = delete;

    const std::string& baseURL() const { return baseURL_; }

    // The 600 by 600 artwork address of the best hit for the artist and the album (or the
    // title when there is no album).
    std::optional<std::string> coverURL(std::string_view artist, std::string_view title,
                                        std::string_view album, std::stop_token stop = {}) const;

    // The picture at coverURL, when the answer is a JPEG or PNG image of a sensible size, in a
    // new file "zintraradio-cover-<UUID>.jpg" of the temporary folder, readable by the owner only.
    // The caller owns the file and removes or moves it.
    std::optional<std::filesystem::path> downloadCover(std::string_view artist, std::string_view title,
                                                       std::string_view album,
                                                       std::stop_token stop = {}) const;

    // The search request's address; nothing when there is nothing to search for.
    static std::optional<std::string> searchURL(std::string_view baseURL, std::string_view artist,
                                                std::string_view title, std::string_view album);
    // The artwork address in a search answer: the first hit whose artist name contains `artist`
    // (ignoring case), else the first hit; nothing when the answer does not decode, the hit has
    // no artwork, or the address is not http or https.
    static std::optional<std::string> artworkURL(std::string_view body, std::string_view artist);

private:
    const std::string baseURL_;
    platform::HttpClient client_;
};

} // namespace ZazidEvoz
