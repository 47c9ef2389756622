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

} // namespace ZazidEvoz::text
