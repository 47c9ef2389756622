// Recognises the picture formats that may become a cover, by their first bytes.
#pragma once

#include <optional>
#include <string_view>

namespace ZazidEvoz::platform {

enum class ImageFormat { jpeg, png };

// JPEG (FF D8 FF) or PNG (the whole 8-byte signature); nothing for anything else, including
// an error page or a truncated signature.
std::optional<ImageFormat> imageFormat(std::string_view bytes);

inline bool isJpegOrPng(std::string_view bytes) {
    return imageFormat(bytes).has_value();
}

} // namespace ZazidEvoz::platform
