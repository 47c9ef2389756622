// What our HTTP requests say about themselves.
#pragma once

#include <string>
#include <string_view>

namespace ZazidEvoz::UserAgent {

// Sent as is by the decoder and the ICY poller.
inline constexpr std::string_view product = "ZintraRadio/1.0";
// The maker's contact web address, named to web services that ask for one.
inline constexpr std::string_view makerContact = "https://zintraradio.org";

// "ZintraRadio/1.0 (https://…)", for the lyrics service.
inline std::string withContact() { return std::string(product) + " (" + std::string(makerContact) + ")"; }
// "ZintraRadio/1.0 (+https://…)", for the station directory.
inline std::string withContactLink() { return std::string(product) + " (+" + std::string(makerContact) + ")"; }

} // namespace ZazidEvoz::UserAgent
