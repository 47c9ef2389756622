// Cover pictures found in audio files, kept as plain image files in the Covers folder.
#include "MusicLibrary.hpp"
#include "ZazidEvoz/platform/Files.hpp"
#include "ZazidEvoz/platform/ImageBytes.hpp"

#include <fmt/format.h>

namespace ZazidEvoz {

std::uint64_t hashValueStable(std::string_view text) {
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (unsigned char byte : text) {
        hash ^= byte;
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

std::optional<std::string> MusicLibraryStore::storeCover(std::string_view bytes,
                                                         const std::string& audioPath) const {
    // Only pictures the views can show are kept; anything else in a tag is not a cover.
    auto format = platform::imageFormat(bytes);
    if (!format)
        return std::nullopt;
    std::error_code ignored;
    std::filesystem::create_directories(coverFolder_, ignored);
    std::filesystem::path target =
        coverFolder_ / fmt::format("{:x}{}", hashValueStable(audioPath), *format == platform::ImageFormat::png ? ".png" : ".jpg");
    try {
        platform::writeFileAtomically(target, bytes);
    } catch (const platform::FileError&) {
        return std::nullopt;
    }
    return target.string();
}

} // namespace ZazidEvoz
