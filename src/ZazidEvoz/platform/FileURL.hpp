// File URLs made from plain file-system paths.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ZazidEvoz::platform {

// "file://" followed by the absolute path with every byte outside the URL path characters
// (letters, digits and "!$&'()*+,-./:;=@_~") percent-encoded: "/a b/é" gives
// "file:///a%20b/%C3%A9".
std::string fileURLFromPath(std::string_view path);

// The path of a "file:" URL ("file:///x" or "file://localhost/x", scheme in any letter case)
// with its percent escapes decoded; absent for anything else.
std::optional<std::string> pathFromFileURL(std::string_view url);

} // namespace ZazidEvoz::platform
