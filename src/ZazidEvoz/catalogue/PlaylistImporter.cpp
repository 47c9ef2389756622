#include "PlaylistImporter.hpp"

#include "ZazidEvoz/platform/Files.hpp"
#include "ZazidEvoz/platform/HttpClient.hpp"
#include "ZazidEvoz/platform/Json.hpp"
#include "ZazidEvoz/platform/LineBreaks.hpp"
#include "ZazidEvoz/platform/Text.hpp"

#include <charconv>
#include <cmath>
#include <map>
#include <optional>

namespace ZazidEvoz::PlaylistImporter {
namespace {

constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";

// The host of "scheme://[user@]host[:port]/…"; absent when there is none.
std::optional<std::string> hostName(std::string_view url) {
    std::size_t schemeEnd = url.find("://");
    if (schemeEnd == std::string_view::npos)
        return std::nullopt;
    std::string_view authority = url.substr(schemeEnd + 3);
    authority = authority.substr(0, authority.find_first_of("/?#"));
    if (std::size_t at = authority.rfind('@'); at != std::string_view::npos)
        authority.remove_prefix(at + 1);
    std::string_view host;
    if (authority.starts_with("[")) {
        std::size_t close = authority.find(']');
        if (close == std::string_view::npos)
            return std::nullopt;
        host = authority.substr(1, close - 1);
    } else {
        host = authority.substr(0, authority.find(':'));
    }
    for (unsigned char c : host)
        if (c <= 0x20 || c == 0x7F)
            return std::nullopt;
    if (host.empty())
        return std::nullopt;
    return std::string(host);
}

std::string nameOrHost(const std::optional<std::string>& name, const std::string& url) {
    if (name && !name->empty())
        return *name;
    return hostName(url).value_or(url);
}

Station importedStation(std::string name, std::string url, std::string genre, std::string country,
                        std::int64_t bitrate) {
    Station station;
    station.kind = Station::guessKind(url);
    station.name = std::move(name);
    station.url = std::move(url);
    station.genre = std::move(genre);
    station.country = std::move(country);
    station.bitrate = bitrate;
    return station;
}

// First station of each URL. A URL that reads as a command-line option, holds control
// characters or is overlong is never a station, whatever the form that carried it.
std::vector<Station> dedupe(std::vector<Station> stations) {
    std::erase_if(stations, [](const Station& station) {
        return station.url.starts_with("-") || !platform::isCleanAddress(station.url);
    });
    return uniqueByURL(std::move(stations));
}

const json::Value* member(const json::Value& object, const char* key) {
    auto found = object.find(key);
    return found == object.end() ? nullptr : &*found;
}

// The lower-case key's text, else the capitalised key's; a value of another type counts as absent.
std::string looseText(const json::Value& object, const char* lower, const char* capitalised) {
    for (const char* key : {lower, capitalised})
        if (const json::Value* value = member(object, key); value && value->is_string())
            return value->get<std::string>();
    return {};
}

std::int64_t looseInteger(const json::Value& object, const char* lower, const char* capitalised) {
    for (const char* key : {lower, capitalised}) {
        const json::Value* value = member(object, key);
        if (!value || !value->is_number())
            continue;
        try {
            return json::asInt(*value, key);
        } catch (const json::JsonDecodeError&) {
            continue; // a fraction or an out-of-range number
        }
    }
    return 0;
}

bool isArrayOfObjects(const json::Value& value) {
    if (!value.is_array())
        return false;
    for (const json::Value& element : value)
        if (!element.is_object())
            return false;
    return true;
}

std::optional<std::vector<Station>> typedStations(const json::Value& document) {
    if (!document.is_array())
        return std::nullopt;
    std::vector<Station> stations;
    try {
        for (const json::Value& element : document)
            stations.push_back(stationFromJson(element));
    } catch (const json::JsonDecodeError&) {
        return std::nullopt;
    }
    return stations;
}

std::vector<Station> looseStations(const json::Value& document) {
    std::vector<const json::Value*> objects;
    auto collect = [&objects](const json::Value& array) {
        for (const json::Value& element : array)
            objects.push_back(&element);
    };
    if (isArrayOfObjects(document)) {
        collect(document);
    } else if (document.is_object()) {
        for (const char* key : {"favorites", "stations", "history"})
            if (const json::Value* list = member(document, key); list && isArrayOfObjects(*list))
                collect(*list);
    }

    std::vector<Station> stations;
    for (const json::Value* object : objects) {
        std::string url = looseText(*object, "url", "URL");
        if (!hasAcceptedScheme(url))
            continue;
        std::string name = looseText(*object, "name", "Name");
        if (name.empty())
            name = url;
        stations.push_back(importedStation(
            std::move(name), std::move(url), looseText(*object, "genre", "Genre"),
            looseText(*object, "country", "Country"), looseInteger(*object, "bitrate", "Bitrate")));
    }
    return stations;
}

} // namespace

bool hasAcceptedScheme(std::string_view url) {
    return platform::isHttpURL(url) || text::startsWithIgnoringAsciiCase(url, "file://");
}

std::vector<Station> parse(std::string_view text, std::string_view fileExtension) {
    std::string extension = text::lowercased(fileExtension);
    std::string trimmed = text::trimmedWhitespace(text);
    if (extension == "pls" || text::startsWithIgnoringAsciiCase(trimmed, "[playlist]"))
        return parsePLS(trimmed);
    if (extension == "json" || trimmed.starts_with("[") || trimmed.starts_with("{"))
        return parseJSON(trimmed);
    return parseM3U(trimmed);
}

std::vector<Station> parsePLS(std::string_view text) {
    std::map<std::int64_t, std::string> addresses;
    std::map<std::int64_t, std::string> titles;
    for (std::string_view rawLine : text::splitAtLineBreaks(text)) {
        std::string line = text::trimmedHorizontalWhitespace(rawLine);
        std::size_t equals = line.find('=');
        if (equals == std::string::npos)
            continue;
        std::string key = text::lowercased(std::string_view(line).substr(0, equals));
        std::string value = text::trimmedHorizontalWhitespace(std::string_view(line).substr(equals + 1));
        if (key.starts_with("file")) {
            if (auto number = text::wholeDecimal(std::string_view(key).substr(4)))
                addresses[*number] = std::move(value);
        } else if (key.starts_with("title")) {
            if (auto number = text::wholeDecimal(std::string_view(key).substr(5)))
                titles[*number] = std::move(value);
        }
    }

    std::vector<Station> stations;
    for (auto& [number, url] : addresses) {
        if (!hasAcceptedScheme(url))
            continue;
        auto title = titles.find(number);
        std::optional<std::string> name;
        if (title != titles.end())
            name = title->second;
        std::string stationName = nameOrHost(name, url);
        stations.push_back(importedStation(std::move(stationName), url, "", "", 0));
    }
    return dedupe(std::move(stations));
}

std::vector<Station> parseM3U(std::string_view text) {
    std::optional<std::string> pendingName;
    std::string pendingGenre;
    std::vector<Station> stations;
    for (std::string_view rawLine : text::splitAtLineBreaks(text)) {
        std::string line = text::trimmedHorizontalWhitespace(rawLine);
        if (line.empty())
            continue;
        if (text::startsWithIgnoringAsciiCase(line, "#extinf")) {
            // A comma inside a quoted attribute does not end the attributes.
            std::size_t lastQuote = line.rfind('"');
            std::size_t comma = line.find(',', lastQuote == std::string::npos ? 0 : lastQuote);
            if (comma != std::string::npos)
                pendingName = text::trimmedHorizontalWhitespace(std::string_view(line).substr(comma + 1));
            constexpr std::string_view groupTitle = "group-title=\"";
            if (std::size_t start = line.find(groupTitle); start != std::string::npos) {
                start += groupTitle.size();
                if (std::size_t end = line.find('"', start); end != std::string::npos)
                    pendingGenre = line.substr(start, end - start);
            }
            continue;
        }
        if (line.starts_with("#") || !hasAcceptedScheme(line))
            continue; // directives, comments, relative paths and text keep the pending name
        std::string name = nameOrHost(pendingName, line);
        stations.push_back(importedStation(std::move(name), line, std::move(pendingGenre), "", 0));
        pendingName.reset();
        pendingGenre.clear();
    }
    return dedupe(std::move(stations));
}

std::vector<Station> parseJSON(std::string_view text) {
    json::Value document;
    try {
        document = json::parse(text);
    } catch (const json::JsonDecodeError&) {
        return {};
    }
    if (auto stations = typedStations(document))
        return dedupe(std::move(*stations));
    return dedupe(looseStations(document));
}

std::vector<Station> importFile(const std::filesystem::path& path) {
    std::optional<std::string> bytes = platform::readFile(path, maxFileBytes);
    if (!bytes)
        throw platform::FileError("Cannot read " + path.string() + ": No such file or directory");
    std::string contents = text::decodeLegacyText(*bytes);
    std::string_view textView = contents;
    if (textView.starts_with(byteOrderMark))
        textView.remove_prefix(byteOrderMark.size());
    std::string extension = path.extension().string();
    if (!extension.empty())
        extension.erase(0, 1);
    return parse(textView, extension);
}

std::string exportM3U(const std::vector<Station>& stations) {
    std::string text = "#EXTM3U\n";
    for (const Station& station : stations) {
        text += "#EXTINF:-1";
        if (!station.genre.empty()) {
            std::string genre = text::asOneLine(station.genre);
            for (char& c : genre)
                if (c == '"')
                    c = '\'';
            text += " group-title=\"" + genre + "\"";
        }
        text += "," + text::asOneLine(station.name) + "\n";
        text += text::asOneLine(station.url) + "\n";
    }
    return text;
}

} // namespace ZazidEvoz::PlaylistImporter
