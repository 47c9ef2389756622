// Reading one audio file into a library track.
#include "MusicLibrary.hpp"
#include "StreamMetadata.hpp"
#include "platform/ImageBytes.hpp"
#include "platform/MediaTags.hpp"
#include "platform/Regex.hpp"
#include "platform/Text.hpp"

#include <charconv>
#include <cmath>

namespace ZazidEvoz {
namespace {

namespace Key = platform::MetadataCommonKey;

// A picture in a tag larger than this is not a cover worth keeping.
constexpr std::size_t maximumCoverBytes = 16u * 1024 * 1024;

// The year of a date text: its first four characters as a number, or 0.
std::int64_t yearOf(const std::optional<std::string>& text) {
    if (!text || text->empty())
        return 0;
    return text::wholeDecimal(text::characterPrefix(*text, 4)).value_or(0);
}

// The file's name without its last extension; a leading dot starts no extension.
std::string titleFromFileName(const std::filesystem::path& file) {
    return text::decodeLegacyText(file.stem().string());
}

const Regex& youTubeAddress() {
    static const Regex pattern(R"(https?://(?:www\.)?(?:youtube\.com|youtu\.be)\S+)");
    return pattern;
}

} // namespace

const std::vector<std::string>& MusicLibraryStore::id3Genres() {
    static const std::vector<std::string> genres = {
        "Blues",
        "Classic Rock",
        "Country",
        "Dance",
        "Disco",
        "Funk",
        "Grunge",
        "Hip-Hop",
        "Jazz",
        "Metal",
        "New Age",
        "Oldies",
        "Other",
        "Pop",
        "R&B",
        "Rap",
        "Reggae",
        "Rock",
        "Techno",
        "Industrial",
        "Alternative",
        "Ska",
        "Death Metal",
        "Pranks",
        "Soundtrack",
        "Euro-Techno",
        "Ambient",
        "Trip-Hop",
        "Vocal",
        "Jazz+Funk",
        "Fusion",
        "Trance",
        "Classical",
        "Instrumental",
        "Acid",
        "House",
        "Game",
        "Sound Clip",
        "Gospel",
        "Noise",
        "Alternative Rock",
        "Bass",
        "Soul",
        "Punk",
        "Space",
        "Meditative",
        "Instrumental Pop",
        "Instrumental Rock",
        "Ethnic",
        "Gothic",
        "Darkwave",
        "Techno-Industrial",
        "Electronic",
        "Pop-Folk",
        "Eurodance",
        "Dream",
        "Southern Rock",
        "Comedy",
        "Cult",
        "Gangsta",
        "Top 40",
        "Christian Rap",
        "Pop/Funk",
        "Jungle",
        "Native American",
        "Cabaret",
        "New Wave",
        "Psychedelic",
        "Rave",
        "Showtunes",
        "Trailer",
        "Lo-Fi",
        "Tribal",
        "Acid Punk",
        "Acid Jazz",
        "Polka",
        "Retro",
        "Musical",
        "Rock & Roll",
        "Hard Rock",
    };
    return genres;
}

std::string MusicLibraryStore::cleanGenre(std::string_view raw) {
    std::string trimmed = text::trimmedHorizontalWhitespace(raw);
    std::string_view inner = trimmed;
    while (!inner.empty() && (inner.front() == '(' || inner.front() == ')'))
        inner.remove_prefix(1);
    while (!inner.empty() && (inner.back() == '(' || inner.back() == ')'))
        inner.remove_suffix(1);
    if (auto index = text::wholeDecimal(inner); index && *index >= 0 && *index < std::int64_t(id3Genres().size()))
        return id3Genres()[std::size_t(*index)];
    return trimmed;
}

Track MusicLibraryStore::readTrack(const std::filesystem::path& file, Date modified) const {
    std::string title = titleFromFileName(file);
    std::string artist, album, genre, comment;
    std::int64_t year = 0;
    std::optional<std::string> cover;
    double duration = 0;

    if (auto metadata = platform::readMediaMetadata(file, maximumCoverBytes)) {
        if (metadata->duration && std::isfinite(*metadata->duration) && *metadata->duration >= 0)
            duration = *metadata->duration;
        for (const platform::MetadataItem& item : metadata->items) {
            std::string_view key =
                !item.commonKey.empty() ? std::string_view(item.commonKey) : item.identifier;
            auto setIfNotEmpty = [&](std::string& field) {
                if (item.text && !item.text->empty())
                    field = *item.text;
            };
            if (key == Key::title) {
                setIfNotEmpty(title);
            } else if (key == Key::artist) {
                setIfNotEmpty(artist);
            } else if (key == Key::albumName) {
                setIfNotEmpty(album);
            } else if (key == Key::type) {
                if (genre.empty() && item.text)
                    genre = cleanGenre(*item.text);
            } else if (key == Key::creationDate) {
                if (year == 0)
                    year = yearOf(item.text);
            } else if (key == Key::artwork) {
                if (!cover && item.data && platform::isJpegOrPng(*item.data))
                    cover = item.data;
            } else {
                const std::string& identifier = item.identifier;
                std::string lower = text::lowercased(identifier);
                if (genre.empty() &&
                    (identifier.ends_with("TCON") || lower.find("genre") != std::string::npos) && item.text)
                    genre = cleanGenre(*item.text);
                if (year == 0 && (identifier.ends_with("TYER") || identifier.ends_with("TDRC")))
                    year = yearOf(item.text);
                if ((identifier.ends_with("COMM") || lower.find("comment") != std::string::npos) && item.text)
                    comment = *item.text;
            }
        }
    }

    if (artist.empty()) {
        ArtistTitle split = StreamMetadataParser::splitArtistTitle(title);
        if (split.artist) {
            artist = *split.artist;
            title = split.title;
        }
    }

    std::optional<std::string> sourceURL;
    if (auto match = youTubeAddress().firstMatch(comment))
        sourceURL = (*match)[0];

    Track track;
    track.path = file.string();
    track.title = std::move(title);
    track.artist = std::move(artist);
    track.album = std::move(album);
    track.genre = std::move(genre);
    track.year = year;
    track.duration = duration;
    if (cover)
        track.coverFile = storeCover(*cover, track.path);
    track.added = platform::now();
    track.fileModified = modified;
    track.sourceURL = std::move(sourceURL);
    std::error_code error;
    auto size = std::filesystem::file_size(file, error);
    if (!error)
        track.fileSize = std::int64_t(size);
    return track;
}

} // namespace ZazidEvoz
