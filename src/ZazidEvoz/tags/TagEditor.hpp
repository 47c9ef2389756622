// Writes tags and a front cover into an audio file with ffmpeg.
//
// No tag format is parsed or written here: ffmpeg copies the file's streams unchanged into a
// hidden file beside it, with the global tags carried over and the edited keys set, and that
// file then takes the original's place, but only once it has been read back whole and its
// packets match the copied ones: ffmpeg reports some failed writes (a full disk while it
// finishes the file) with exit status 0.
// The lyrics embedder edits files the same way and reuses `remux` and `TagEditorError`.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

namespace ZazidEvoz {

// The failure of an ffmpeg file edit; what() is the text shown to the user.
class TagEditorError : public std::runtime_error {
public:
    enum class Kind { failed, missingFFmpeg };

    static TagEditorError failed(const std::string& message);
    // "ffmpeg not found - <install hint>"
    static TagEditorError missingFFmpeg();

    Kind kind() const { return kind_; }

private:
    TagEditorError(Kind kind, const std::string& description)
        : std::runtime_error(description), kind_(kind) {}
    Kind kind_;
};

namespace TagEditor {

// What to change. An absent field leaves the file's value alone; a present one is written,
// and an empty text clears that tag.
struct Changes {
    std::optional<std::string> title;
    std::optional<std::string> artist;
    std::optional<std::string> album;
    std::optional<std::string> genre;
    std::optional<std::int64_t> year;
    std::optional<std::filesystem::path> coverImage; // a picture to embed as the front cover
};

// Rewrites `file` with the changes and keeps its path, permissions and lyrics frames. Blocks
// until ffmpeg is done (run it on a worker thread); a running edit is not cancelled. Throws
// TagEditorError; on every failure the file is left as it was and the hidden output is removed.
void apply(const Changes& changes, const std::filesystem::path& file);

// The arguments that follow the edited file's input: the cover input and stream mapping, the
// carried-over tags, container options and the edited keys, for a file with this lower-case
// extension.
std::vector<std::string> editArguments(const Changes& changes, std::string_view extension);

// Whether a file with this lower-case extension can carry an embedded picture (ADTS, Ogg and
// WAV cannot).
bool canHoldCover(std::string_view extension);

// Why `apply` refuses these changes for `file` before running ffmpeg: a cover its format
// cannot hold, or a text the kernel would not pass on; none when it would go ahead.
std::optional<std::string> refusal(const Changes& changes, const std::filesystem::path& file);

// The option that sets one tag in a file with this lower-case extension: "-metadata", or
// "-metadata:s:a" for Ogg, which keeps its comments on the audio stream.
std::string metadataOption(std::string_view extension);

// The muxer options a file with this lower-case extension needs for its tags to be written:
// ID3v2.3 for MP3, and the ID3v2 switch for AIFF and ADTS, which drop every tag without it.
std::vector<std::string> containerArguments(std::string_view extension);

// The file's extension without the dot, in lower case; empty when it has none.
std::string lowercaseExtension(const std::filesystem::path& file);

// The hidden output beside `file`: ".zintraradio-<uuid>.<extension in lower case>".
std::filesystem::path temporaryOutputPath(const std::filesystem::path& file, std::string_view uuidText);

// True for exactly the names temporaryOutputPath gives, with a UUID in upper case.
bool isTemporaryOutputName(std::string_view name);

// ffmpeg's arguments (without the executable) for copying `file` into `output`; ffmpeg also
// prints a checksum of the copied sound and picture packets on standard output.
std::vector<std::string> remuxCommandLine(const std::filesystem::path& file,
                                          const std::optional<std::filesystem::path>& extraInput,
                                          const std::vector<std::string>& arguments,
                                          const std::filesystem::path& output);

// The longest single argument the kernel passes to a child (its limit is 32 pages, NUL included).
inline constexpr std::size_t maximumArgumentBytes = 128 * 1024 - 1;

struct RemuxOptions {
    // Runs on the finished output before it replaces the file; throwing abandons the edit.
    std::function<void(const std::filesystem::path& output)> beforeReplace;
    // Finds ffmpeg; empty means the tool locator, asked anew for every edit.
    std::function<std::optional<std::string>()> findFFmpeg;
    // Stops ffmpeg and abandons the edit (platform::CancellationError).
    std::stop_token stop;
    // The longest the whole edit may take; ffmpeg is stopped and the edit fails after it.
    std::optional<std::chrono::milliseconds> timeout;
};

// Runs ffmpeg on `file` (and `extraInput`, when given) with `arguments` into a hidden file beside
// it, reads that file back whole, then puts it in the original's place. An output is refused
// when ffmpeg printed an error (whatever its exit status), when it does not read back without
// error, or when its sound and picture packets differ from those ffmpeg copied. A symbolic link stays a link:
// the file it points to is edited. Leftover outputs of edits whose process died are removed from the folder
// first. Throws TagEditorError (platform::CancellationError when stopped), leaving the file untouched.
void remux(const std::filesystem::path& file, const std::optional<std::filesystem::path>& extraInput,
           const std::vector<std::string>& arguments, const RemuxOptions& options = {});

} // namespace TagEditor
} // namespace ZazidEvoz
