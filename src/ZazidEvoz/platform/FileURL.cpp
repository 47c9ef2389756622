#include "FileURL.hpp"

#include "HttpClient.hpp"
#include "Text.hpp"

#include <cctype>

namespace ZazidEvoz::platform {

std::string fileURLFromPath(std::string_view path) {
    // Sub-delimiters, ":", "@" and "/" may stand in a path as they are.
    return "file://" + percentEncode(path, "!$&'()*+,/:;=@");
}

std::optional<std::string> pathFromFileURL(std::string_view url) {
    constexpr std::string_view scheme = "file://";
    if (!text::startsWithIgnoringAsciiCase(url, scheme))
        return std::nullopt;
    std::string_view rest = url.substr(scheme.size());
    // "file://localhost/x" and "file:///x" both name /x; any other host is not ours.
    if (text::startsWithIgnoringAsciiCase(rest, "localhost/"))
        rest.remove_prefix(std::string_view("localhost").size());
    if (rest.empty() || rest.front() != '/')
        return std::nullopt;
    auto hexValue = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : (c | 0x20) - 'a' + 10; };
    std::string path;
    for (std::size_t i = 0; i < rest.size(); ++i) {
        char c = rest[i];
        if (c == '%' && i + 2 < rest.size() && std::isxdigit(static_cast<unsigned char>(rest[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(rest[i + 2]))) {
            path.push_back(static_cast<char>(hexValue(rest[i + 1]) * 16 + hexValue(rest[i + 2])));
            i += 2;
        } else if (c == '?' || c == '#') {
            break;
        } else {
            path.push_back(c);
        }
    }
    return path;
}

} // namespace ZazidEvoz::platform
