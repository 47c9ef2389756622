#include "ImageBytes.hpp"

namespace ZazidEvoz::platform {

std::optional<ImageFormat> imageFormat(std::string_view bytes) {
    static constexpr std::string_view jpegStart("\xFF\xD8\xFF", 3);
    static constexpr std::string_view pngSignature("\x89PNG\r\n\x1A\n", 8);
    if (bytes.substr(0, jpegStart.size()) == jpegStart)
        return ImageFormat::jpeg;
    if (bytes.substr(0, pngSignature.size()) == pngSignature)
        return ImageFormat::png;
    return std::nullopt;
}

} // namespace ZazidEvoz::platform
