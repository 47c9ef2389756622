#include "TagReading.hpp"

#include "ZazidEvoz/tags/TagEditor.hpp"

#include <taglib/aifffile.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/fileref.h>
#include <taglib/flacfile.h>
#include <taglib/id3v2tag.h>
#include <taglib/mp4file.h>
#include <taglib/mpegfile.h>
#include <taglib/tag.h>

namespace ZazidEvoz::testkit {
namespace {

std::string bytesOf(const TagLib::ByteVector& data) {
    return std::string(data.data(), data.size());
}

void addID3v2Pictures(TagLib::ID3v2::Tag* tag, std::vector<EmbeddedPicture>& pictures) {
    if (!tag)
        return;
    for (auto* frame : tag->frameList("APIC"))
        if (auto* picture = dynamic_cast<TagLib::ID3v2::AttachedPictureFrame*>(frame))
            pictures.push_back({bytesOf(picture->picture()),
                                picture->type() == TagLib::ID3v2::AttachedPictureFrame::FrontCover});
}

} // namespace

std::optional<FileTags> readTags(const std::filesystem::path& file) {
    TagLib::FileRef reference(file.c_str());
    if (reference.isNull() || !reference.tag())
        return std::nullopt;
    auto* tag = reference.tag();
    return FileTags{tag->title().to8Bit(true), tag->artist().to8Bit(true), tag->album().to8Bit(true),
                    tag->genre().to8Bit(true), tag->year()};
}

std::vector<EmbeddedPicture> embeddedPictures(const std::filesystem::path& file) {
    std::vector<EmbeddedPicture> pictures;
    std::string extension = TagEditor::lowercaseExtension(file);
    if (extension == "mp3") {
        TagLib::MPEG::File mpeg(file.c_str());
        addID3v2Pictures(mpeg.ID3v2Tag(), pictures);
    } else if (extension == "aiff" || extension == "aif") {
        TagLib::RIFF::AIFF::File aiff(file.c_str());
        addID3v2Pictures(aiff.tag(), pictures);
    } else if (extension == "m4a") {
        TagLib::MP4::File mp4(file.c_str());
        if (mp4.tag())
            for (const auto& art : mp4.tag()->item("covr").toCoverArtList())
                pictures.push_back({bytesOf(art.data()), true});
    } else if (extension == "flac") {
        TagLib::FLAC::File flac(file.c_str());
        for (auto* picture : flac.pictureList())
            pictures.push_back(
                {bytesOf(picture->data()), picture->type() == TagLib::FLAC::Picture::FrontCover});
    }
    return pictures;
}

} // namespace ZazidEvoz::testkit
