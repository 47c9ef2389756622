#include "TagEditor.hpp"

#include "ID3LyricsFrames.hpp"
#include "ZazidEvoz/core/ToolLocator.hpp"
#include "ZazidEvoz/platform/Cancellation.hpp"
#include "ZazidEvoz/platform/Files.hpp"
#include "ZazidEvoz/platform/Process.hpp"
#include "ZazidEvoz/platform/TemporaryFiles.hpp"
#include "ZazidEvoz/platform/Text.hpp"
#include "ZazidEvoz/platform/UniqueFd.hpp"
#include "ZazidEvoz/platform/Uuid.hpp"

#include <array>
#include <cerrno>
#include <fcntl.h>
#include <fmt/format.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace ZazidEvoz {

TagEditorError TagEditorError::failed(const std::string& message) {
    return TagEditorError(Kind::failed, message);
}

TagEditorError TagEditorError::missingFFmpeg() {
    return TagEditorError(Kind::missingFFmpeg, "ffmpeg not found - " + std::string(ToolLocator::installHint));
}

namespace TagEditor {
namespace {

// Characters of ffmpeg's error output that make up a failure message.
constexpr std::size_t errorMessageCharacters = 240;

std::string systemText(int error) {
    return std::system_category().message(error);
}

[[noreturn]] void failWithSystemError(const std::string& what, const std::filesystem::path& path, int error) {
    throw TagEditorError::failed(what + " " + path.string() + ": " + systemText(error));
}

// Ogg keeps its comments on the audio stream; global values there lose to the stream's own.
bool keepsTagsOnStream(std::string_view extension) {
    return extension == "ogg" || extension == "oga" || extension == "opus";
}

// These muxers drop every tag unless told to write an ID3v2 tag.
bool needsID3v2Switch(std::string_view extension) {
    return extension == "aiff" || extension == "aif" || extension == "aac";
}

// Where the edit lands: a link keeps pointing at the file it pointed at, which gets the new tags.
std::filesystem::path editedLocation(const std::filesystem::path& file) {
    std::error_code error;
    std::filesystem::path location = std::filesystem::absolute(file, error);
    if (error)
        location = file;
    if (std::filesystem::is_symlink(location, error)) {
        std::filesystem::path target = std::filesystem::canonical(location, error);
        if (!error)
            return target;
    }
    return location;
}

// What the kernel would refuse to pass to ffmpeg; none when every argument can go.
std::optional<std::string> argumentProblem(const std::vector<std::string>& arguments) {
    for (const auto& argument : arguments) {
        if (argument.find('\0') != std::string::npos)
            return "The text contains a NUL character, which cannot be written into the file.";
        if (argument.size() > maximumArgumentBytes)
            return fmt::format("The text is too long to write into the file ({} bytes; at most {}).",
                               argument.size(), maximumArgumentBytes);
    }
    return std::nullopt;
}

platform::TemporaryFile createdOutput(std::filesystem::path path) {
    try {
        return platform::TemporaryFile::createEmpty(std::move(path));
    } catch (const platform::FileError& error) {
        throw TagEditorError::failed(error.what());
    }
}

// Gives the output the edited file's owner and mode, makes it durable, and renames it over the file.
void replaceFile(const std::filesystem::path& file, platform::TemporaryFile& output) {
    platform::UniqueFd written(::open(output.path().c_str(), O_RDONLY | O_CLOEXEC));
    if (!written)
        failWithSystemError("Cannot replace", file, errno);
    // A file deleted while ffmpeg ran is not brought back.
    struct stat original {};
    if (::stat(file.c_str(), &original) != 0)
        failWithSystemError("Cannot replace", file, errno);
    // Only root may hand a file to another owner; anyone else keeps theirs, which is fine.
    [[maybe_unused]] int ignored = ::fchown(written.get(), original.st_uid, original.st_gid);
    if (::fchmod(written.get(), original.st_mode & 07777) != 0 || ::fsync(written.get()) != 0)
        failWithSystemError("Cannot replace", file, errno);
    written.reset();
    if (::rename(output.path().c_str(), file.c_str()) != 0)
        failWithSystemError("Cannot replace", file, errno);
    output.keep();

    platform::UniqueFd folder(::open(file.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder)
        ::fsync(folder.get());
}

std::string failureMessage(const platform::RunResult& result) {
    std::string errorText = text::sanitizedUtf8(result.error);
    if (text::trimmedWhitespace(errorText).empty())
        return fmt::format("ffmpeg exit {}", result.status.shellStatus());
    return text::characterPrefix(errorText, errorMessageCharacters);
}

// With "-loglevel error" ffmpeg prints nothing unless something failed.
bool printedAnError(const platform::RunResult& result) {
    return !text::trimmedWhitespace(text::sanitizedUtf8(result.error)).empty();
}

// One ffmpeg run of an edit, bounded by the edit's stop and deadline.
class EditRunner {
public:
    EditRunner(std::string ffmpeg, const RemuxOptions& options)
        : ffmpeg_(std::move(ffmpeg)), stop_(options.stop) {
        if (options.timeout)
            deadline_ = std::chrono::steady_clock::now() + *options.timeout;
    }

    platform::RunResult run(const std::vector<std::string>& arguments) const {
        if (stop_.stop_requested())
            throw platform::CancellationError();
        platform::ProcessOptions process;
        process.arguments.reserve(arguments.size() + 1);
        process.arguments.push_back(ffmpeg_);
        process.arguments.insert(process.arguments.end(), arguments.begin(), arguments.end());

        platform::RunLimits limits;
        limits.outputCap = 64 * 1024;
        limits.outputKeep = platform::KeepBytes::Last; // the checksum ends the output
        limits.errorCap = 64 * 1024;
        limits.errorKeep = platform::KeepBytes::First; // the message is the start of the text
        if (deadline_)
            limits.timeout =
                std::max(std::chrono::milliseconds(1), std::chrono::duration_cast<std::chrono::milliseconds>(
                                                           *deadline_ - std::chrono::steady_clock::now()));
        platform::RunResult result;
        try {
            result = platform::runProcess(process, limits, stop_);
        } catch (const platform::ProcessError& launch) {
            throw TagEditorError::failed(launch.what());
        }
        if (result.cancelled || stop_.stop_requested())
            throw platform::CancellationError();
        if (result.timedOut)
            throw TagEditorError::failed("ffmpeg did not finish in time and was stopped.");
        return result;
    }

private:
    std::string ffmpeg_;
    std::stop_token stop_;
    std::optional<std::chrono::steady_clock::time_point> deadline_;
};

// A second output of the copy, and the whole of a read-back: a checksum of the packets of the
// first input's sound and moving picture (attached pictures left out, as an edit may swap the
// cover). A stream copy keeps those bytes as they were whatever the container writes around them
// (an MP3 gains a Xing header with the decoder delay and so starts later), so the edited file is
// compared with what was copied into it, packet bytes against packet bytes.
std::vector<std::string> digestArguments() {
    return {"-map", "0:V?", "-map", "0:a?", "-c", "copy", "-f", "hash", "-hash", "murmur3", "pipe:1"};
}

// The checksum ffmpeg printed; absent when it printed none.
std::optional<std::string> printedDigest(std::string_view output) {
    constexpr std::string_view key = "murmur3=";
    std::optional<std::string> digest;
    while (!output.empty()) {
        std::string_view line = output.substr(0, output.find('\n'));
        output.remove_prefix(std::min(output.size(), line.size() + 1));
        if (line.starts_with(key) && line.size() > key.size())
            digest = std::string(line.substr(key.size()));
    }
    return digest;
}

// The checksum of a complete read of `file`; throws when it cannot be read whole.
std::optional<std::string> readBackWhole(const EditRunner& runner, const std::filesystem::path& file) {
    std::vector<std::string> commandLine = {"-hide_banner", "-nostdin", "-loglevel",
                                            "error",        "-i",       file.string()};
    auto digest = digestArguments();
    commandLine.insert(commandLine.end(), digest.begin(), digest.end());
    platform::RunResult result = runner.run(commandLine);
    if (!result.status.succeeded() || printedAnError(result))
        throw TagEditorError::failed(
            "The edited file does not read back whole; the file was left as it was: " +
            failureMessage(result));
    return printedDigest(result.output);
}

// Refuses an output that does not hold what ffmpeg copied into it: a write cut short or damaged.
void requireWholeOutput(const EditRunner& runner, const std::filesystem::path& output,
                        std::optional<std::string> copied, const std::filesystem::path& original) {
    std::optional<std::string> readBack = readBackWhole(runner, output);
    if (!copied) // an ffmpeg that printed no checksum while copying: read the original the same way
        copied = readBackWhole(runner, original);
    if (copied && readBack != copied)
        throw TagEditorError::failed(
            "The edited file is incomplete or damaged; the file was left as it was.");
}

} // namespace

bool canHoldCover(std::string_view extension) {
    // ffmpeg drops a picture from ADTS without a word and fails on Ogg and WAV with a message
    // about streams.
    return extension != "aac" && !keepsTagsOnStream(extension) && extension != "wav";
}

std::optional<std::string> refusal(const Changes& changes, const std::filesystem::path& file) {
    const std::string extension = lowercaseExtension(file);
    if (changes.coverImage && !canHoldCover(extension))
        return fmt::format("A cover cannot be embedded in a .{} file.", extension);
    return argumentProblem(editArguments(changes, extension));
}

std::string lowercaseExtension(const std::filesystem::path& file) {
    std::string extension = file.filename().extension().string();
    if (!extension.empty())
        extension.erase(0, 1);
    return text::lowercased(extension);
}

std::filesystem::path temporaryOutputPath(const std::filesystem::path& file, std::string_view uuidText) {
    return file.parent_path() / fmt::format(".zintraradio-{}.{}", uuidText, lowercaseExtension(file));
}

bool isTemporaryOutputName(std::string_view name) {
    constexpr std::string_view prefix = ".zintraradio-";
    constexpr std::size_t uuidCharacters = 36;
    if (!name.starts_with(prefix) || name.size() < prefix.size() + uuidCharacters + 1)
        return false;
    std::string_view uuid = name.substr(prefix.size(), uuidCharacters);
    std::string_view extension = name.substr(prefix.size() + uuidCharacters);
    auto parsed = platform::Uuid::fromText(uuid);
    return parsed && parsed->text() == uuid && extension.starts_with('.') &&
           extension.find('.', 1) == std::string_view::npos && text::lowercased(extension) == extension;
}

std::string metadataOption(std::string_view extension) {
    return keepsTagsOnStream(extension) ? "-metadata:s:a" : "-metadata";
}

std::vector<std::string> containerArguments(std::string_view extension) {
    if (extension == "mp3")
        return {"-id3v2_version", "3"};
    if (needsID3v2Switch(extension))
        return {"-write_id3v2", "1"};
    return {};
}

std::vector<std::string> editArguments(const Changes& changes, std::string_view extension) {
    std::vector<std::string> arguments;
    if (changes.coverImage) {
        // Only the file's audio and the new picture: an old embedded picture is dropped, and the
        // new one is stored unconverted as the front cover.
        // clang-format off
        arguments = {"-map", "0:a", "-map", "1:v", "-c", "copy", "-disposition:v:0", "attached_pic",
                     "-metadata:s:v", "title=Album cover", "-metadata:s:v", "comment=Cover (front)"};
        // clang-format on
    } else {
        arguments = {"-map", "0", "-c", "copy"};
    }
    arguments.insert(arguments.end(), {"-map_metadata", "0"});
    auto container = containerArguments(extension);
    arguments.insert(arguments.end(), container.begin(), container.end());

    const std::string option = metadataOption(extension);
    auto set = [&](const char* key, const std::optional<std::string>& value) {
        if (value)
            arguments.insert(arguments.end(), {option, std::string(key) + "=" + *value});
    };
    set("title", changes.title);
    set("artist", changes.artist);
    set("album", changes.album);
    set("genre", changes.genre);
    if (changes.year)
        arguments.insert(arguments.end(), {option, fmt::format("date={}", *changes.year)});
    return arguments;
}

std::vector<std::string> remuxCommandLine(const std::filesystem::path& file,
                                          const std::optional<std::filesystem::path>& extraInput,
                                          const std::vector<std::string>& arguments,
                                          const std::filesystem::path& output) {
    std::vector<std::string> commandLine = {"-hide_banner", "-nostdin", "-loglevel",  "error",
                                            "-y",           "-i",       file.string()};
    if (extraInput)
        commandLine.insert(commandLine.end(), {"-i", extraInput->string()});
    // The checksum goes first, so that the edited file stays the last argument.
    auto digest = digestArguments();
    commandLine.insert(commandLine.end(), digest.begin(), digest.end());
    commandLine.insert(commandLine.end(), arguments.begin(), arguments.end());
    commandLine.push_back(output.string());
    return commandLine;
}

void remux(const std::filesystem::path& file, const std::optional<std::filesystem::path>& extraInput,
           const std::vector<std::string>& arguments, const RemuxOptions& options) {
    std::optional<std::string> ffmpeg =
        options.findFFmpeg ? options.findFFmpeg() : ToolLocator::path(ToolLocator::Tool::ffmpeg);
    if (!ffmpeg)
        throw TagEditorError::missingFFmpeg();

    // Absolute paths, so that no name is ever read as an option or a protocol ("http:", "pipe:").
    std::filesystem::path target = editedLocation(file);
    std::optional<std::filesystem::path> extra;
    if (extraInput)
        extra = std::filesystem::absolute(*extraInput);

    std::error_code error;
    if (std::filesystem::exists(target, error) && !std::filesystem::is_regular_file(target, error))
        throw TagEditorError::failed("Not a regular file: " + target.string());

    // Refuse what the kernel would refuse before anything is written.
    if (auto problem = argumentProblem(remuxCommandLine(target, extra, arguments, target)))
        throw TagEditorError::failed(*problem);

    // Hidden copies of edits whose process died would fill the disk and never be seen.
    platform::removeLeftovers(target.parent_path(), platform::EntryKind::file, isTemporaryOutputName);

    // Created empty and private before ffmpeg overwrites it; removed unless it took the file's place.
    platform::TemporaryFile output =
        createdOutput(temporaryOutputPath(target, platform::Uuid::random().text()));
    EditRunner runner(*ffmpeg, options);
    platform::RunResult result = runner.run(remuxCommandLine(target, extra, arguments, output.path()));
    // ffmpeg exits with 0 when it could not write the end of the file (a full disk): its error
    // text is the only sign.
    if (!result.status.succeeded() || printedAnError(result))
        throw TagEditorError::failed(failureMessage(result));
    // The output exists from the start, so a tool that "succeeds" without writing must not
    // replace the song with an empty file.
    std::error_code sizeError;
    if (std::filesystem::file_size(output.path(), sizeError) == 0 || sizeError)
        throw TagEditorError::failed("ffmpeg wrote nothing");

    if (options.beforeReplace)
        options.beforeReplace(output.path());
    requireWholeOutput(runner, output.path(), printedDigest(result.output), target);
    replaceFile(target, output);
}

void apply(const Changes& changes, const std::filesystem::path& file) {
    if (auto refused = refusal(changes, file))
        throw TagEditorError::failed(*refused);
    const std::string extension = lowercaseExtension(file);
    RemuxOptions options;
    // ffmpeg turns the lyrics frames of these files into plain text frames; put them back.
    if (ID3LyricsFrames::appliesTo(extension))
        options.beforeReplace = [extension](const std::filesystem::path& output) {
            ID3LyricsFrames::restoreLyrics(output, extension);
        };
    remux(file, changes.coverImage, editArguments(changes, extension), options);
}

} // namespace TagEditor
} // namespace ZazidEvoz
