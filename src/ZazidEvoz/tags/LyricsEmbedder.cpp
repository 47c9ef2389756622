#include "LyricsEmbedder.hpp"

#include "ID3LyricsFrames.hpp"
#include "ZazidEvoz/platform/TemporaryFiles.hpp"

#include <algorithm>
#include <cmath>
#include <fmt/format.h>

namespace ZazidEvoz::LyricsEmbedder {
std::string stamp(double seconds) {
    // Past this the milliseconds would not fit in an integer; no song lasts that long.
    constexpr double latest = 1e12;
    double time = seconds >= 0 ? std::min(seconds, latest) : 0; // NaN fails the comparison too
    long long milliseconds = std::llround(time * 1000);
    return fmt::format("{:02}:{:02}:{:02},{:03}", milliseconds / 3600000, (milliseconds / 60000) % 60,
                       (milliseconds / 1000) % 60, milliseconds % 1000);
}

std::string srt(const SongLyrics& lyrics, double songDuration) {
    std::vector<const LyricLine*> lines;
    for (const auto& line : lyrics.synced)
        if (!line.text.empty())
            lines.push_back(&line);

    std::string text;
    for (std::size_t index = 0; index < lines.size(); ++index) {
        double start = lines[index]->time;
        double next = index + 1 < lines.size() ? lines[index + 1]->time
                      : start < songDuration   ? songDuration
                                               : start + 5;
        double end = std::max(std::min(start + 7, next - 0.05), start + 0.5);
        if (index > 0)
            text += '\n';
        text += fmt::format("{}\n{} --> {}\n{}\n", index + 1, stamp(start), stamp(end), lines[index]->text);
    }
    return text;
}

std::string lyricsTagText(const SongLyrics& lyrics) {
    if (!lyrics.plain.empty())
        return lyrics.plain;
    std::string text;
    for (std::size_t index = 0; index < lyrics.synced.size(); ++index) {
        if (index > 0)
            text += '\n';
        text += lyrics.synced[index].text;
    }
    return text;
}

std::vector<std::string> subtitleArguments(std::string_view language) {
    // clang-format off
    return {"-map", "0:v?", "-map", "0:a?", "-map", "1:0", "-c", "copy", "-c:s", "mov_text",
            "-metadata:s:s:0", "language=" + std::string(language), "-metadata:s:s:0", "title=Lyrics",
            "-metadata:s:s:0", "handler_name=Lyrics", "-disposition:s:0", "0"};
    // clang-format on
}

std::vector<std::string> lyricsTagArguments(const std::string& text, std::string_view extension) {
    std::vector<std::string> arguments = {"-map", "0", "-c", "copy", "-map_metadata", "0"};
    arguments.insert(arguments.end(), {TagEditor::metadataOption(extension), "lyrics=" + text});
    auto container = TagEditor::containerArguments(extension);
    arguments.insert(arguments.end(), container.begin(), container.end());
    return arguments;
}

void addSubtitles(const SongLyrics& lyrics, const std::filesystem::path& video, const std::string& language,
                  std::stop_token stop, std::chrono::milliseconds timeout) {
    if (!lyrics.hasSynced())
        return; // plain lyrics never go into a video
    std::string subtitles = srt(lyrics, 0);
    // Timed lines without any text would make an empty track, which ffmpeg refuses.
    if (subtitles.empty())
        return;
    platform::TemporaryFile subtitleFile(platform::writeNewTemporaryFile("zintraradio-", ".srt", subtitles));
    TagEditor::RemuxOptions options;
    options.stop = std::move(stop);
    options.timeout = timeout;
    TagEditor::remux(video, subtitleFile.path(), subtitleArguments(language), options);
}

void addLyricsTag(const SongLyrics& lyrics, const std::filesystem::path& audio) {
    std::string text = lyricsTagText(lyrics);
    if (text.empty())
        return;
    std::string extension = TagEditor::lowercaseExtension(audio);
    // ffmpeg's WAV muxer drops the value without a word; say so instead of reporting success.
    if (extension == "wav")
        throw TagEditorError::failed("Lyrics cannot be embedded in a .wav file.");
    TagEditor::RemuxOptions options;
    // ffmpeg writes no lyrics frame into ID3 tags, only a text frame players do not show.
    if (ID3LyricsFrames::appliesTo(extension))
        options.beforeReplace = [&](const std::filesystem::path& output) {
            ID3LyricsFrames::replaceLyrics(output, extension, text);
        };
    TagEditor::remux(audio, std::nullopt, lyricsTagArguments(text, extension), options);
}

} // namespace ZazidEvoz::LyricsEmbedder
