// File URLs made from plain file-system paths.
#pragma once

#include <string>
#include <string_view>

namespace ZazidEvoz::platform {

// "file://" followed by the absolute path with every byte outside the URL path characters
// (letters, digits and "!$&'()*+,-./:;=@_~") percent-encoded: "/a b/é" gives
// "file:///a%20b/%C3%A9".
std::string fileURLFromPath(std::string_view path);

} // namespace ZazidEvoz::platform
