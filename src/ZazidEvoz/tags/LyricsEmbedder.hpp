// Writes lyrics into downloaded media files: audio files get them as a lyrics tag, videos a
// subtitle track made from the timed lines.
//
// Both are ffmpeg remuxes through the tag editor's `remux`: the streams are copied, not
// re-encoded, into a hidden file beside the original, which then takes its place. Calls block
// until ffmpeg is done (run them on a worker thread); several may run at once.
#pragma once

#include "TagEditor.hpp"
#include "ZazidEvoz/lyrics/LyricsService.hpp"

#include <chrono>
#include <filesystem>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

namespace ZazidEvoz::LyricsEmbedder {

// A video remux is one copy of the file; past this something hangs (a stalled drive, say).
inline constexpr std::chrono::minutes subtitleTimeout{10};

// Adds the timed lines to the video as a subtitle track labelled `language` (an ISO 639-2 code
// such as "eng") and named "Lyrics", not shown by default. Lyrics without timed lines change
// nothing. Throws platform::FileError when the subtitle file cannot be written, TagEditorError
// when the remux fails or takes longer than `timeout`, platform::CancellationError when `stop`
// is requested; ffmpeg is stopped and the video is untouched then.
void addSubtitles(const SongLyrics& lyrics, const std::filesystem::path& video, const std::string& language,
                  std::stop_token stop = {}, std::chrono::milliseconds timeout = subtitleTimeout);

// Writes the lyrics' text (lyricsTagText) into the audio file's lyrics tag; an MP3 gets it as
// a standard unsynchronised-lyrics frame. Lyrics without text change nothing. Throws
// TagEditorError, also for a WAV file, which cannot hold lyrics; the file is untouched then.
void addLyricsTag(const SongLyrics& lyrics, const std::filesystem::path& audio);

// SubRip text of the timed lines with text: each cue lasts until 0.05 s before the next line,
// at most 7 s and at least 0.5 s. The last line ends at `songDuration` when that lies after it,
// else 5 s after it starts.
std::string srt(const SongLyrics& lyrics, double songDuration);

// "HH:MM:SS,mmm"; negative and NaN times are 0.
std::string stamp(double seconds);

// The plain text when there is one, else the texts of all timed lines, one per line.
std::string lyricsTagText(const SongLyrics& lyrics);

// ffmpeg's arguments after the inputs: the video's own video and audio streams and the subtitle
// file's first stream as an MP4 text track. MP4 keeps a track's name as its handler name, not
// as a title.
std::vector<std::string> subtitleArguments(std::string_view language);

// ffmpeg's arguments for setting the lyrics tag of a file with this lower-case extension.
std::vector<std::string> lyricsTagArguments(const std::string& text, std::string_view extension);

} // namespace ZazidEvoz::LyricsEmbedder
