#include "FileURL.hpp"

#include "HttpClient.hpp"

namespace ZazidEvoz::platform {

std::string fileURLFromPath(std::string_view path) {
    // Sub-delimiters, ":", "@" and "/" may stand in a path as they are.
    return "file://" + percentEncode(path, "!$&'()*+,/:;=@");
}

} // namespace ZazidEvoz::platform
