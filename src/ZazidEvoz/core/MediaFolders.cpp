#include "MediaFolders.hpp"

#include "ZazidEvoz/platform/Text.hpp"
#include "ZazidEvoz/platform/UserFolders.hpp"

#include <fmt/format.h>

#include <ctime>

namespace ZazidEvoz::MediaFolders {
namespace {

constexpr std::size_t maxNameCharacters = 120;
// Linux allows 255 bytes per name; leave room for the date, the extension and a " (2)".
constexpr std::size_t maxNameBytes = 200;

bool isReplaced(unsigned char c) {
    switch (c) {
    case '/':
    case '\\':
    case ':':
    case '?':
    case '%':
    case '*':
    case '|':
    case '"':
    case '<':
    case '>':
        return true;
    default:
        return c < 0x20 || c == 0x7F; // line feed, carriage return, tab, NUL and the other controls
    }
}

std::string recordingDate(std::chrono::system_clock::time_point date) {
    std::time_t seconds = std::chrono::system_clock::to_time_t(date);
    std::tm local{};
    ::localtime_r(&seconds, &local);
    return fmt::format("{:04}-{:02}-{:02} {:02}.{:02}.{:02}", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                       local.tm_hour, local.tm_min, local.tm_sec);
}

} // namespace

std::filesystem::path root() {
    if (auto folder = platform::nonEmptyEnvironmentValue("ZINTRARADIO_MUSIC_DIR"))
        return *folder;
    return platform::musicFolder() / "ZintraRadio";
}

std::filesystem::path support() {
    if (auto folder = platform::nonEmptyEnvironmentValue("ZINTRARADIO_LIBRARY_DIR"))
        return *folder;
    return platform::dataHomeFolder() / "ZintraRadio";
}

std::filesystem::path recordings() { return root() / "Recordings"; }
std::filesystem::path downloads() { return root() / "Downloads"; }

std::filesystem::path recordingURL(std::string_view station, const std::optional<std::string>& song,
                                   std::chrono::system_clock::time_point date) {
    std::string base(station);
    if (song)
        base += " (" + *song + ")";
    return recordings() / (safeFileName(base) + " - " + recordingDate(date) + ".mp3");
}

std::string safeFileName(std::string_view text) {
    std::string replaced(text);
    for (char& c : replaced)
        if (isReplaced(static_cast<unsigned char>(c)))
            c = ' ';
    std::string name = text::trimmedHorizontalWhitespace(replaced);
    name = text::characterPrefix(name, maxNameCharacters);
    name = text::bytePrefixOnCharacterBoundary(name, maxNameBytes);
    return name.empty() ? "ZintraRadio" : name;
}

} // namespace ZazidEvoz::MediaFolders
