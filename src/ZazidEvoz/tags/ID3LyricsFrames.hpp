// Keeps lyrics in MP3 and AIFF files in the frame players read as lyrics.
//
// ffmpeg's ID3v2 writer has no lyrics frame: it stores a "lyrics" value, and every lyrics frame
// it read from the source ("lyrics-eng"), as user text frames (TXXX), which players do not show
// as lyrics. After an ffmpeg remux these calls put the text back into unsynchronised-lyrics
// frames (USLT) with TagLib. Failures throw TagEditorError, so a remux hook abandons the edit.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace ZazidEvoz::ID3LyricsFrames {

// True for the lower-case extensions whose files carry an ID3v2 tag that these calls edit.
bool appliesTo(std::string_view extension);

// Leaves exactly one lyrics frame in the file's ID3v2 tag: a USLT frame holding `text`.
// Every other USLT frame and every TXXX stand-in for lyrics is removed.
void replaceLyrics(const std::filesystem::path& file, std::string_view extension, const std::string& text);

// Turns ffmpeg's TXXX stand-ins for lyrics back into USLT frames, keeping their language and
// description. A file without such frames is not rewritten.
void restoreLyrics(const std::filesystem::path& file, std::string_view extension);

} // namespace ZazidEvoz::ID3LyricsFrames
