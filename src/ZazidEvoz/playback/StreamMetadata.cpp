#include "StreamMetadata.hpp"

#include "ZazidEvoz/platform/Regex.hpp"
#include "ZazidEvoz/platform/Text.hpp"

#include <vector>

namespace ZazidEvoz::StreamMetadataParser {
namespace {

// Compiled once, on first use; function-local statics are safe against concurrent first use.
// The update line names StreamTitle first: in the tag dump ("StreamTitle     : ..."), words
// like these are part of the title itself and must not cut it.
const Regex& streamTitle() {
    static const Regex expression(R"((?i)^(?:(?!StreamTitle).)*?Metadata update for StreamTitle:\s*(.+))");
    return expression;
}
// A raw ICY value ("StreamTitle='...';") ends at its first "';", as a station's block does;
// a tag dump ("StreamTitle     : ...") runs to the end of the line. Titles hold quotes and
// semicolons ("Rock 'n' Roll"), so neither may end the value on its own.
const Regex& icyTitle() {
    static const Regex expression(R"((?i)StreamTitle\s*(?:=\s*'(.*?)';|[=:]\s*(.+)))");
    return expression;
}
const Regex& icyName() {
    static const Regex expression(R"((?i)^\s*(?:icy-name|service_name|StreamName)\s*:\s*(.+)$)");
    return expression;
}
const Regex& audioLine() {
    static const Regex expression(
        R"((?i)Stream #\d+:\d+.*?Audio:\s*([^,]+),\s*(\d+)\s*Hz,\s*([^,]+)(?:,[^,]*)?(?:,\s*(\d+)\s*kb/s)?)");
    return expression;
}

// The capture groups of the first match (group 0 left out); groups that took no part are empty.
std::optional<std::vector<std::string>> firstMatchGroups(const Regex& expression, std::string_view line) {
    auto match = expression.firstMatch(line);
    if (!match)
        return std::nullopt;
    std::vector<std::string> groups;
    for (std::size_t index = 1; index < match->groups.size(); ++index)
        groups.push_back((*match)[index]);
    return groups;
}

std::optional<StreamMetadataEvent> formatEvent(const std::vector<std::string>& groups) {
    std::string codec = text::trimmedHorizontalWhitespace(groups[0]);
    if (text::lowercased(codec).starts_with("pcm_"))
        return std::nullopt;
    codec = text::uppercased(codec.substr(0, codec.find(' ')));
    std::string description =
        codec + " \u00B7 " + groups[1] + " Hz \u00B7 " + text::trimmedHorizontalWhitespace(groups[2]);
    if (groups.size() > 3 && !groups[3].empty())
        description += " \u00B7 " + groups[3] + " kbps";
    return StreamMetadataEvent::format(std::move(description));
}

} // namespace

std::optional<StreamMetadataEvent> parse(std::string_view line) {
    if (auto groups = firstMatchGroups(streamTitle(), line))
        if (auto title = cleanTitle((*groups)[0]))
            return StreamMetadataEvent::title(std::move(*title));
    if (line.find("StreamTitle") != std::string_view::npos)
        if (auto groups = firstMatchGroups(icyTitle(), line))
            if (auto title = cleanTitle((*groups)[0].empty() ? (*groups)[1] : (*groups)[0]))
                return StreamMetadataEvent::title(std::move(*title));
    if (auto groups = firstMatchGroups(icyName(), line))
        if (auto name = clean((*groups)[0]))
            return StreamMetadataEvent::stationName(std::move(*name));
    if (auto groups = firstMatchGroups(audioLine(), line))
        return formatEvent(*groups);
    return std::nullopt;
}

std::optional<std::string> clean(std::string_view raw) {
    std::string trimmed = text::trimmedHorizontalWhitespace(raw);
    auto isQuoteOrSemicolon = [](char c) { return c == '\'' || c == ';' || c == '"'; };
    std::size_t start = 0, end = trimmed.size();
    while (start < end && isQuoteOrSemicolon(trimmed[start]))
        ++start;
    while (end > start && isQuoteOrSemicolon(trimmed[end - 1]))
        --end;
    std::string result =
        text::trimmedHorizontalWhitespace(std::string_view(trimmed).substr(start, end - start));
    if (result.empty() || result == "-" || text::lowercased(result) == "unknown")
        return std::nullopt;
    return result;
}

std::optional<std::string> cleanTitle(std::string_view text) {
    return clean(text::bytePrefixOnCharacterBoundary(text, maxTitleBytes));
}

ArtistTitle splitArtistTitle(std::string_view text) {
    for (std::string_view separator : {" - ", " \u2013 ", " \u2014 ", " | "}) {
        auto position = text.find(separator);
        if (position == std::string_view::npos)
            continue;
        std::string artist = text::trimmedHorizontalWhitespace(text.substr(0, position));
        std::string title = text::trimmedHorizontalWhitespace(text.substr(position + separator.size()));
        if (!artist.empty() && !title.empty())
            return {std::move(artist), std::move(title)};
    }
    return {std::nullopt, std::string(text)};
}

} // namespace ZazidEvoz::StreamMetadataParser
