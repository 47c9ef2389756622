#include "MediaTags.hpp"

#include "Text.hpp"

#include <map>
#include <memory>
#include <sys/stat.h>
#include <taglib/aifffile.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/fileref.h>
#include <taglib/flacfile.h>
#include <taglib/id3v2framefactory.h>
#include <taglib/id3v2tag.h>
#include <taglib/infotag.h>
#include <taglib/mp4file.h>
#include <taglib/mpegfile.h>
#include <taglib/oggfile.h>
#include <taglib/opusfile.h>
#include <taglib/speexfile.h>
#include <taglib/tag.h>
#include <taglib/textidentificationframe.h>
#include <taglib/tfilestream.h>
#include <taglib/vorbisfile.h>
#include <taglib/wavfile.h>
#include <taglib/xiphcomment.h>

namespace ZazidEvoz::platform {
namespace {

namespace Key = MetadataCommonKey;

// TagLib rewrites the text of every genre frame while it reads it, taking "(12)" for a genre
// number, and turns the escaped "((12))" of ID3v2.3 into ")". The genre rules of the library
// need the text as the file holds it: this factory reads genre frames under a private frame ID
// that TagLib leaves alone, and keepRawGenreFrames() files them back as "TCON".
constexpr const char* rawGenreFrameID = "TZRG";

// TagLib declares the frame header type for frames and factories only; a frame subclass may
// name it, and this one does for the factory below.
struct FrameHeaderName : TagLib::ID3v2::Frame {
    using Header = TagLib::ID3v2::Frame::Header;
};

class RawGenreFrameFactory : public TagLib::ID3v2::FrameFactory {
public:
    static RawGenreFrameFactory& shared() {
        static RawGenreFrameFactory factory;
        return factory;
    }

protected:
    bool updateFrame(FrameHeaderName::Header* header) const override {
        if (!TagLib::ID3v2::FrameFactory::updateFrame(header))
            return false;
        if (header->frameID() == "TCON")
            header->setFrameID(rawGenreFrameID);
        return true;
    }
};

void keepRawGenreFrames(TagLib::ID3v2::Tag* tag) {
    if (!tag)
        return;
    const TagLib::ID3v2::FrameList marked = tag->frameList(rawGenreFrameID);
    for (TagLib::ID3v2::Frame* frame : marked) {
        if (const auto* text = dynamic_cast<const TagLib::ID3v2::TextIdentificationFrame*>(frame)) {
            auto* genre = new TagLib::ID3v2::TextIdentificationFrame("TCON", text->textEncoding());
            genre->setText(text->fieldList());
            tag->addFrame(genre);
        }
        tag->removeFrame(frame, true);
    }
}

// A file opened for reading only: a read-write open would make folder watchers see every
// read as a change (closing a file opened for writing is reported even when nothing was written).
// The stream outlives the reference that reads through it.
struct TagFile {
    std::unique_ptr<TagLib::FileStream> stream;
    TagLib::FileRef reference;
};

// MP3 files are opened with the factory above; every other file as TagLib chooses.
TagFile openTagFile(const std::filesystem::path& file) {
    TagFile opened;
    opened.stream = std::make_unique<TagLib::FileStream>(file.c_str(), true);
    if (!opened.stream->isOpen())
        return opened;
    if (text::equalsIgnoringAsciiCase(file.extension().string(), ".mp3")) {
        auto* mpeg = new TagLib::MPEG::File(opened.stream.get(), &RawGenreFrameFactory::shared(), true,
                                            TagLib::AudioProperties::Average);
        if (mpeg->isValid())
            keepRawGenreFrames(mpeg->ID3v2Tag());
        opened.reference = TagLib::FileRef(mpeg);
        return opened;
    }
    opened.reference = TagLib::FileRef(opened.stream.get(), true, TagLib::AudioProperties::Average);
    return opened;
}

std::string utf8(const TagLib::String& text) {
    return text.to8Bit(true);
}

MetadataItem textItem(std::string_view commonKey, std::string identifier, const TagLib::String& text) {
    return {std::string(commonKey), std::move(identifier), utf8(text), std::nullopt};
}

MetadataItem pictureItem(std::string identifier, const TagLib::ByteVector& bytes, std::size_t maxBytes) {
    MetadataItem item{std::string(Key::artwork), std::move(identifier), std::nullopt, std::nullopt};
    if (bytes.size() <= maxBytes)
        item.data = std::string(bytes.data(), bytes.size());
    return item;
}

// ID3v2 frames (MP3, AIFF, WAV). The genre, date and comment frames keep no common key: the
// reader finds them by their frame names.
void addID3v2Items(const TagLib::ID3v2::Tag* tag, std::size_t maxPictureBytes,
                   std::vector<MetadataItem>& items) {
    static const std::map<std::string, std::string_view> commonKeys = {
        {"TIT2", Key::title}, {"TPE1", Key::artist}, {"TALB", Key::albumName}};
    if (!tag)
        return;
    for (const TagLib::ID3v2::Frame* frame : tag->frameList()) {
        std::string name(frame->frameID().data(), frame->frameID().size());
        std::string identifier = "id3/" + name;
        if (const auto* picture = dynamic_cast<const TagLib::ID3v2::AttachedPictureFrame*>(frame)) {
            items.push_back(pictureItem(identifier, picture->picture(), maxPictureBytes));
            continue;
        }
        // A user text frame is known by its description ("id3/TXXX:comment", which is where
        // ffmpeg puts an MP3's comment).
        if (const auto* user = dynamic_cast<const TagLib::ID3v2::UserTextIdentificationFrame*>(frame)) {
            TagLib::StringList values = user->fieldList();
            if (!values.isEmpty())
                values.erase(values.begin()); // the description
            items.push_back(textItem({}, identifier + ":" + utf8(user->description()), values.toString(" ")));
            continue;
        }
        auto common = commonKeys.find(name);
        items.push_back(textItem(common == commonKeys.end() ? std::string_view() : common->second, identifier,
                                 frame->toString()));
    }
}

// Vorbis comments (Ogg Vorbis, Opus, FLAC) with their pictures.
void addXiphItems(TagLib::Ogg::XiphComment* comment, std::size_t maxPictureBytes,
                  std::vector<MetadataItem>& items) {
    static const std::map<std::string, std::string_view> commonKeys = {{"TITLE", Key::title},
                                                                       {"ARTIST", Key::artist},
                                                                       {"ALBUM", Key::albumName},
                                                                       {"DATE", Key::creationDate}};
    // DESCRIPTION is the field for comments that ffmpeg and most taggers write.
    static const std::map<std::string, std::string> readableNames = {{"DESCRIPTION", "xiph/comment"}};
    if (!comment)
        return;
    for (const auto& [field, values] : comment->fieldListMap()) {
        std::string name = utf8(field);
        auto common = commonKeys.find(name);
        auto readable = readableNames.find(name);
        for (const TagLib::String& value : values)
            items.push_back(textItem(common == commonKeys.end() ? std::string_view() : common->second,
                                     readable == readableNames.end() ? "xiph/" + name : readable->second,
                                     value));
    }
    for (const TagLib::FLAC::Picture* picture : comment->pictureList())
        items.push_back(pictureItem("xiph/METADATA_BLOCK_PICTURE", picture->data(), maxPictureBytes));
}

void addFlacPictures(TagLib::FLAC::File& file, std::size_t maxPictureBytes,
                     std::vector<MetadataItem>& items) {
    for (const TagLib::FLAC::Picture* picture : file.pictureList())
        items.push_back(pictureItem("flac/PICTURE", picture->data(), maxPictureBytes));
}

// MP4 atoms; the comment and genre atoms get readable names.
void addMP4Items(const TagLib::MP4::Tag* tag, std::size_t maxPictureBytes, std::vector<MetadataItem>& items) {
    struct Native {
        std::string_view commonKey;
        std::string_view name;
    };
    static const std::map<std::string, Native> known = {
        {"\xC2\xA9nam", {Key::title, "title"}},
        {"\xC2\xA9"
         "ART",
         {Key::artist, "artist"}},
        {"\xC2\xA9"
         "alb",
         {Key::albumName, "album"}},
        {"\xC2\xA9gen", {{}, "genre"}},
        {"\xC2\xA9"
         "day",
         {Key::creationDate, "date"}},
        {"\xC2\xA9"
         "cmt",
         {{}, "comment"}},
    };
    if (!tag)
        return;
    for (const auto& [atom, item] : tag->itemMap()) {
        std::string name = utf8(atom);
        if (name == "covr") {
            for (const TagLib::MP4::CoverArt& cover : item.toCoverArtList())
                items.push_back(pictureItem("mp4/covr", cover.data(), maxPictureBytes));
            continue;
        }
        auto found = known.find(name);
        std::string_view commonKey = found == known.end() ? std::string_view() : found->second.commonKey;
        std::string identifier = "mp4/" + (found == known.end() ? name : std::string(found->second.name));
        for (const TagLib::String& value : item.toStringList())
            items.push_back(textItem(commonKey, identifier, value));
    }
}

// RIFF INFO chunk of WAV files.
void addInfoItems(const TagLib::RIFF::Info::Tag* tag, std::vector<MetadataItem>& items) {
    static const std::map<std::string, std::string_view> commonKeys = {
        {"INAM", Key::title}, {"IART", Key::artist}, {"IPRD", Key::albumName}, {"ICRD", Key::creationDate}};
    static const std::map<std::string, std::string> readableNames = {{"IGNR", "riff/genre"},
                                                                     {"ICMT", "riff/comment"}};
    if (!tag)
        return;
    for (const auto& [field, value] : tag->fieldListMap()) {
        std::string name(field.data(), field.size());
        auto common = commonKeys.find(name);
        auto readable = readableNames.find(name);
        items.push_back(textItem(common == commonKeys.end() ? std::string_view() : common->second,
                                 readable == readableNames.end() ? "riff/" + name : readable->second, value));
    }
}

void addFormatItems(TagLib::File* file, std::size_t maxPictureBytes, std::vector<MetadataItem>& items) {
    if (auto* mpeg = dynamic_cast<TagLib::MPEG::File*>(file)) {
        addID3v2Items(mpeg->ID3v2Tag(), maxPictureBytes, items);
    } else if (auto* flac = dynamic_cast<TagLib::FLAC::File*>(file)) {
        addXiphItems(flac->xiphComment(), maxPictureBytes, items);
        addFlacPictures(*flac, maxPictureBytes, items);
    } else if (auto* ogg = dynamic_cast<TagLib::Ogg::File*>(file)) {
        addXiphItems(dynamic_cast<TagLib::Ogg::XiphComment*>(ogg->tag()), maxPictureBytes, items);
    } else if (auto* mp4 = dynamic_cast<TagLib::MP4::File*>(file)) {
        addMP4Items(mp4->tag(), maxPictureBytes, items);
    } else if (auto* wav = dynamic_cast<TagLib::RIFF::WAV::File*>(file)) {
        if (wav->hasID3v2Tag())
            addID3v2Items(wav->ID3v2Tag(), maxPictureBytes, items);
        if (wav->hasInfoTag())
            addInfoItems(wav->InfoTag(), items);
    } else if (auto* aiff = dynamic_cast<TagLib::RIFF::AIFF::File*>(file)) {
        if (aiff->hasID3v2Tag())
            addID3v2Items(aiff->tag(), maxPictureBytes, items);
    }
}

bool hasSound(const TagLib::AudioProperties* properties) {
    return properties && properties->sampleRate() > 0 && properties->channels() > 0;
}

// A file stream without a name: TagLib, finding no extension, goes by what the file holds.
class ContentStream : public TagLib::FileStream {
public:
    using TagLib::FileStream::FileStream;
    TagLib::FileName name() const override { return ""; }
};

// The size of the ID3v2 tag that starts `head`, or 0 when it starts with none.
std::size_t id3v2TagSize(const TagLib::ByteVector& head) {
    if (head.size() < 10 || !head.startsWith("ID3"))
        return 0;
    std::size_t size = 0;
    for (int index = 6; index < 10; ++index) {
        auto byte = static_cast<unsigned char>(head[index]);
        if (byte & 0x80)
            return 0; // not a synchsafe size
        size = (size << 7) | byte;
    }
    const bool footer = static_cast<unsigned char>(head[5]) & 0x10;
    return 10 + size + (footer ? 10 : 0);
}

// The length of the ADTS frame whose header starts at `offset`, or 0 when none does.
std::size_t adtsFrameLength(const TagLib::ByteVector& bytes, std::size_t offset) {
    if (bytes.size() < offset + 7)
        return 0;
    auto byte = [&](std::size_t index) { return static_cast<unsigned char>(bytes[offset + index]); };
    // 12 sync bits, then layer 0; a sampling rate from the table; a length beyond the header.
    if (byte(0) != 0xFF || (byte(1) & 0xF6) != 0xF0 || ((byte(2) >> 2) & 0x0F) > 12)
        return 0;
    const std::size_t length = (std::size_t(byte(3) & 0x03) << 11) | (std::size_t(byte(4)) << 3) | (byte(5) >> 5);
    const std::size_t header = (byte(1) & 0x01) ? 7 : 9;
    return length > header ? length : 0;
}

// Raw AAC: one ADTS frame after any ID3v2 tag, followed by a second one or by the end of the file.
bool holdsADTSFrames(TagLib::FileStream& stream) {
    constexpr std::size_t longestFrame = 8191;
    stream.seek(0);
    const auto offset = id3v2TagSize(stream.readBlock(10));
    const auto fileSize = static_cast<std::size_t>(stream.length());
    stream.seek(static_cast<long>(offset));
    const TagLib::ByteVector frames = stream.readBlock(2 * longestFrame);
    const auto first = adtsFrameLength(frames, 0);
    if (first == 0)
        return false;
    return offset + first == fileSize || adtsFrameLength(frames, first) > 0;
}

// Whether the file's content holds sound, for a file whose opening by its extension found none.
bool holdsAudioByContent(const std::filesystem::path& file) {
    ContentStream stream(file.c_str(), true);
    if (!stream.isOpen())
        return false;
    if (stream.length() == 0)
        return false;
    {
        TagLib::FileRef reference(&stream, true, TagLib::AudioProperties::Fast);
        if (!reference.isNull() && hasSound(reference.audioProperties()))
            return true;
    }
    return holdsADTSFrames(stream);
}

} // namespace

std::optional<MediaMetadata> readMediaMetadata(const std::filesystem::path& file,
                                               std::size_t maxPictureBytes) {
    // TagLib would block on a pipe or read a device forever: only regular files are opened.
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    TagFile opened = openTagFile(file);
    if (!opened.stream->isOpen())
        return std::nullopt;
    const TagLib::FileRef& reference = opened.reference;
    MediaMetadata metadata;
    // An extension that does not say what the file holds (an M4A named .mp3) is no proof
    // against sound: only the content is.
    metadata.holdsAudio = (!reference.isNull() && hasSound(reference.audioProperties())) ||
                          holdsAudioByContent(file);
    if (reference.isNull())
        return metadata;

    if (const TagLib::AudioProperties* properties = reference.audioProperties())
        metadata.duration = properties->lengthInMilliseconds() / 1000.0;
    if (const TagLib::Tag* tag = reference.tag()) {
        metadata.items.push_back(textItem(Key::title, {}, tag->title()));
        metadata.items.push_back(textItem(Key::artist, {}, tag->artist()));
        metadata.items.push_back(textItem(Key::albumName, {}, tag->album()));
        metadata.items.push_back(textItem(Key::type, {}, tag->genre()));
    }
    addFormatItems(reference.file(), maxPictureBytes, metadata.items);
    return metadata;
}

} // namespace ZazidEvoz::platform
