#include "LineBreaks.hpp"

namespace ZazidEvoz::text {

std::size_t lineBreakLength(std::string_view text, std::size_t position) {
    auto byte = static_cast<unsigned char>(text[position]);
    if (byte >= 0x0A && byte <= 0x0D)
        return 1;
    std::string_view rest = text.substr(position);
    if (rest.starts_with("\xC2\x85"))
        return 2;
    if (rest.starts_with("\xE2\x80\xA8") || rest.starts_with("\xE2\x80\xA9"))
        return 3;
    return 0;
}

std::vector<std::string_view> splitAtLineBreaks(std::string_view text) {
    std::vector<std::string_view> pieces;
    std::size_t start = 0;
    for (std::size_t position = 0; position < text.size();) {
        std::size_t length = lineBreakLength(text, position);
        if (length == 0) {
            ++position;
            continue;
        }
        pieces.push_back(text.substr(start, position - start));
        position += length;
        start = position;
    }
    pieces.push_back(text.substr(start));
    return pieces;
}

std::vector<std::string_view> splitAtLineFeeds(std::string_view text) {
    std::vector<std::string_view> pieces;
    for (std::size_t start = 0;;) {
        const std::size_t feed = text.find('\n', start);
        std::string_view piece =
            text.substr(start, feed == std::string_view::npos ? std::string_view::npos : feed - start);
        while (!piece.empty() && piece.back() == '\r')
            piece.remove_suffix(1);
        pieces.push_back(piece);
        if (feed == std::string_view::npos)
            return pieces;
        start = feed + 1;
    }
}

std::size_t controlLength(std::string_view text, std::size_t position) {
    if (std::size_t length = lineBreakLength(text, position); length > 0)
        return length;
    auto byte = static_cast<unsigned char>(text[position]);
    if (byte < 0x20 || byte == 0x7F)
        return 1;
    // C1 controls, U+0080 to U+009F.
    if (byte == 0xC2 && position + 1 < text.size()) {
        auto next = static_cast<unsigned char>(text[position + 1]);
        if (next >= 0x80 && next <= 0x9F)
            return 2;
    }
    return 0;
}

bool holdsControlCharacters(std::string_view text) {
    for (std::size_t position = 0; position < text.size(); ++position)
        if (controlLength(text, position) > 0)
            return true;
    return false;
}

std::string asOneLine(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    bool inRun = false;
    for (std::size_t position = 0; position < text.size();) {
        if (std::size_t length = controlLength(text, position); length > 0) {
            if (!inRun)
                result.push_back(' ');
            inRun = true;
            position += length;
        } else {
            inRun = false;
            result.push_back(text[position++]);
        }
    }
    return result;
}

} // namespace ZazidEvoz::text
