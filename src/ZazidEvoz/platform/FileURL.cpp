#include "FileURL.hpp"

namespace ZazidEvoz::platform {
namespace {

bool isPathCharacter(unsigned char c) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
        return true;
    return std::string_view("!$&'()*+,-./:;=@_~").find(char(c)) != std::string_view::npos;
}

} // namespace

std::string fileURLFromPath(std::string_view path) {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string url = "file://";
    for (unsigned char c : path) {
        if (isPathCharacter(c)) {
            url.push_back(char(c));
        } else {
            url.push_back('%');
            url.push_back(hex[c >> 4]);
            url.push_back(hex[c & 0x0F]);
        }
    }
    return url;
}

} // namespace ZazidEvoz::platform
