// Reading one audio file into a library track.
#include "MusicLibraryStore.hpp"
#include "ZazidEvoz/platform/ImageBytes.hpp"
#include "ZazidEvoz/platform/MediaTags.hpp"
#include "ZazidEvoz/platform/Regex.hpp"
#include "ZazidEvoz/platform/Text.hpp"
#include "ZazidEvoz/playback/StreamMetadata.hpp"

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

namespace {

// What one reading of a file found, before the cover is kept.
struct FileReading {
    Track track;
    bool tagged = false;
    std::optional<std::string> cover;
};

FileReading readFile(const std::filesystem::path& file, const std::optional<platform::MediaMetadata>& metadata) {
    std::optional<std::string> taggedTitle;
    std::string artist, album, genre, comment;
    std::int64_t year = 0;
    std::optional<std::string> cover;
    double duration = 0;

    if (metadata) {
        if (metadata->duration && std::isfinite(*metadata->duration) && *metadata->duration >= 0)
            duration = *metadata->duration;
        for (const platform::MetadataItem& item : metadata->items) {
            std::string_view key =
                !item.commonKey.empty() ? std::string_view(item.commonKey) : item.identifier;
            if (key == Key::title) {
                if (item.text && !item.text->empty())
                    taggedTitle = *item.text;
            } else if (key == Key::artist) {
                if (item.text && !item.text->empty())
                    artist = *item.text;
            } else if (key == Key::albumName) {
                if (item.text && !item.text->empty())
                    album = *item.text;
            } else if (key == Key::type) {
                if (genre.empty() && item.text)
                    genre = MusicLibraryStore::cleanGenre(*item.text);
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
                    genre = MusicLibraryStore::cleanGenre(*item.text);
                if (year == 0 && (identifier.ends_with("TYER") || identifier.ends_with("TDRC")))
                    year = yearOf(item.text);
                if ((identifier.ends_with("COMM") || lower.find("comment") != std::string::npos) && item.text)
                    comment = *item.text;
            }
        }
    }

    FileReading reading;
    reading.tagged = taggedTitle || !artist.empty();
    std::string title = taggedTitle.value_or(titleFromFileName(file));
    if (artist.empty()) {
        ArtistTitle split = StreamMetadataParser::splitArtistTitle(title);
        if (split.artist) {
            artist = *split.artist;
            title = split.title;
        }
    }

    Track& track = reading.track;
    track.path = file.string();
    track.title = std::move(title);
    track.artist = std::move(artist);
    track.album = std::move(album);
    track.genre = std::move(genre);
    track.year = year;
    track.duration = duration;
    if (auto match = youTubeAddress().firstMatch(comment))
        track.sourceURL = (*match)[0];
    std::error_code error;
    auto size = std::filesystem::file_size(file, error);
    if (!error)
        track.fileSize = std::int64_t(size);
    reading.cover = std::move(cover);
    return reading;
}

} // namespace

bool MusicLibraryStore::hasUntaggedName(const Track& track) {
    ArtistTitle name = StreamMetadataParser::splitArtistTitle(titleFromFileName(track.path));
    return track.artist == name.artist.value_or(std::string()) && track.title == name.title;
}

Track MusicLibraryStore::readTrack(const std::filesystem::path& file, Date modified) const {
    return trackFrom(file, modified, platform::readMediaMetadata(file, maximumCoverBytes));
}

std::optional<Track> MusicLibraryStore::readAudioTrack(const std::filesystem::path& file, Date modified) const {
    auto metadata = platform::readMediaMetadata(file, maximumCoverBytes);
    // A file that cannot be opened at all tells nothing of its content: it stays listed.
    if (metadata && !metadata->holdsAudio)
        return std::nullopt;
    return trackFrom(file, modified, metadata);
}

Track MusicLibraryStore::trackFrom(const std::filesystem::path& file, Date modified,
                                   const std::optional<platform::MediaMetadata>& metadata) const {
    FileReading reading = readFile(file, metadata);
    Track& track = reading.track;
    if (reading.cover)
        track.coverFile = storeCover(*reading.cover, track.path);
    track.added = platform::now();
    track.fileModified = modified;
    return std::move(track);
}

MusicLibraryStore::UnlistedFile MusicLibraryStore::readUnlistedFile(const std::filesystem::path& file) {
    // No cover is kept, so no picture is read.
    FileReading reading = readFile(file, platform::readMediaMetadata(file, 0));
    return {std::move(reading.track), reading.tagged};
}

} // namespace ZazidEvoz
