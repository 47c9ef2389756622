#include "ID3LyricsFrames.hpp"

#include "TagEditor.hpp"

#include <optional>
#include <taglib/aifffile.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/textidentificationframe.h>
#include <taglib/unsynchronizedlyricsframe.h>
#include <vector>

namespace ZazidEvoz::ID3LyricsFrames {
namespace {

// ID3 has a code for a language nobody named.
constexpr char unknownLanguage[] = "XXX";

struct LyricsStandIn {
    std::string language = unknownLanguage;
    std::string description;
};

std::string asciiLowercased(std::string text) {
    for (char& character : text)
        if (character >= 'A' && character <= 'Z')
            character = static_cast<char>(character - 'A' + 'a');
    return text;
}

bool isLanguageCode(std::string_view text) {
    if (text.size() != 3)
        return false;
    for (char character : text)
        if (!((character >= 'a' && character <= 'z') || (character >= 'A' && character <= 'Z')))
            return false;
    return true;
}

// What a TXXX description says about lyrics ffmpeg put there: "USLT" or "lyrics" for a value
// set on the command line, "lyrics-<language>" or "lyrics-<description>-<language>" for a
// frame it read from the source.
std::optional<LyricsStandIn> lyricsStandIn(const std::string& description) {
    std::string lowered = asciiLowercased(description);
    if (lowered == "uslt" || lowered == "lyrics")
        return LyricsStandIn{};
    constexpr std::string_view prefix = "lyrics-";
    if (lowered.compare(0, prefix.size(), prefix) != 0)
        return std::nullopt;
    std::string rest = description.substr(prefix.size());
    LyricsStandIn standIn;
    if (isLanguageCode(rest)) {
        standIn.language = rest;
    } else if (rest.size() > 4 && rest[rest.size() - 4] == '-' &&
               isLanguageCode(rest.substr(rest.size() - 3))) {
        standIn.language = rest.substr(rest.size() - 3);
        standIn.description = rest.substr(0, rest.size() - 4);
    } else {
        standIn.description = rest;
    }
    return standIn;
}

[[noreturn]] void failToRewrite() {
    throw TagEditorError::failed("The lyrics could not be written as a lyrics frame.");
}

// Opens the file's ID3v2 tag, lets `edit` change it and saves it in the version it had when
// `edit` says it changed something. Nothing else in the file is touched.
template <typename Edit>
void editTag(const std::filesystem::path& file, std::string_view extension, Edit edit) {
    auto version = [](TagLib::ID3v2::Tag& tag) {
        return tag.header()->majorVersion() == 3 ? TagLib::ID3v2::v3 : TagLib::ID3v2::v4;
    };
    if (extension == "mp3") {
        TagLib::MPEG::File mpeg(file.c_str(), false);
        if (!mpeg.isValid())
            failToRewrite();
        TagLib::ID3v2::Tag& tag = *mpeg.ID3v2Tag(true);
        if (edit(tag) && !mpeg.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripNone, version(tag),
                                    TagLib::File::DoNotDuplicate))
            failToRewrite();
    } else {
        TagLib::RIFF::AIFF::File aiff(file.c_str(), false);
        if (!aiff.isValid() || !aiff.tag())
            failToRewrite();
        TagLib::ID3v2::Tag& tag = *aiff.tag();
        if (edit(tag) && !aiff.save(version(tag)))
            failToRewrite();
    }
}

void addLyricsFrame(TagLib::ID3v2::Tag& tag, const LyricsStandIn& where, const TagLib::String& text) {
    auto frame = std::make_unique<TagLib::ID3v2::UnsynchronizedLyricsFrame>(TagLib::String::UTF16);
    frame->setLanguage(TagLib::ByteVector(where.language.data(), 3));
    frame->setDescription(TagLib::String(where.description, TagLib::String::UTF8));
    frame->setText(text);
    tag.addFrame(frame.release());
}

// The TXXX frames that stand in for lyrics, with what they say about them.
std::vector<std::pair<TagLib::ID3v2::UserTextIdentificationFrame*, LyricsStandIn>>
lyricsStandIns(TagLib::ID3v2::Tag& tag) {
    std::vector<std::pair<TagLib::ID3v2::UserTextIdentificationFrame*, LyricsStandIn>> found;
    for (auto* frame : tag.frameList("TXXX")) {
        auto* text = dynamic_cast<TagLib::ID3v2::UserTextIdentificationFrame*>(frame);
        if (!text)
            continue;
        if (auto standIn = lyricsStandIn(text->description().to8Bit(true)))
            found.emplace_back(text, *standIn);
    }
    return found;
}

// The value of a TXXX frame: its fields after the description.
TagLib::String userTextValue(const TagLib::ID3v2::UserTextIdentificationFrame& frame) {
    TagLib::StringList fields = frame.fieldList();
    if (!fields.isEmpty())
        fields.erase(fields.begin());
    return fields.toString("\n");
}

} // namespace

bool appliesTo(std::string_view extension) {
    return extension == "mp3" || extension == "aiff" || extension == "aif";
}

void replaceLyrics(const std::filesystem::path& file, std::string_view extension, const std::string& text) {
    editTag(file, extension, [&](TagLib::ID3v2::Tag& tag) {
        for (auto& [frame, standIn] : lyricsStandIns(tag))
            tag.removeFrame(frame);
        tag.removeFrames("USLT");
        addLyricsFrame(tag, LyricsStandIn{}, TagLib::String(text, TagLib::String::UTF8));
        return true;
    });
}

void restoreLyrics(const std::filesystem::path& file, std::string_view extension) {
    editTag(file, extension, [&](TagLib::ID3v2::Tag& tag) {
        auto standIns = lyricsStandIns(tag);
        for (auto& [frame, standIn] : standIns) {
            addLyricsFrame(tag, standIn, userTextValue(*frame));
            tag.removeFrame(frame);
        }
        return !standIns.empty();
    });
}

} // namespace ZazidEvoz::ID3LyricsFrames
