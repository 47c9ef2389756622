// One recording: an ffmpeg encoder that turns the engine's raw PCM into a tagged MP3 file.
//
// The decoder thread hands it every chunk it reads; a writer thread of its own feeds the
// encoder through a bounded queue, so a stalled encoder (full disk, slow network folder)
// never holds up playback: the queue overflows and the recording ends instead. Once
// finished, the writer closes the encoder's input, waits for it to exit, checks the file
// and reports the outcome. Every wait is bounded: an encoder that takes nothing for a while
// after the recording ended, or does not exit shortly after its input closed, is killed and
// the recording reported as failed.
#pragma once

#include "EngineTypes.hpp"
#include "ZazidEvoz/platform/Process.hpp"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace ZazidEvoz {

// The encoder's command line after the executable.
std::vector<std::string> recorderArguments(const std::filesystem::path& file,
                                           const std::optional<std::string>& title,
                                           const std::optional<std::string>& artist);

// `file`, or the first of "name (2).ext", "name (3).ext" ... that does not exist yet. The
// chosen name is created empty at once, so two recordings never pick the same one.
std::filesystem::path reserveRecordingFile(const std::filesystem::path& file);

class StreamRecorder {
public:
    // Audio held back while the encoder is behind, in bytes: 8 s of PCM (3 MiB) rides out
    // a slow encoder start or a short stall of the disk.
    static constexpr std::size_t queueCapacity = 8 * 48000 * 8;

    enum class Offer { accepted, overflowed, failed };

    // How long a finished recording's encoder may take no audio, and then how long it may
    // take to exit once its input has closed, before it is killed.
    static constexpr std::chrono::milliseconds encoderPatience{5000};
    // What a recorder that is destroyed, or whose owner goes away, still gives its encoder.
    static constexpr std::chrono::milliseconds closingTime{1000};

    // Starts the encoder on `file` (already reserved). `report` receives the final
    // recordingSaved or recordingFailed event from the writer thread. Throws
    // EngineError::recorderFailed when the encoder cannot be started.
    StreamRecorder(const std::string& ffmpeg, std::filesystem::path file,
                   const std::optional<std::string>& title, const std::optional<std::string>& artist,
                   std::function<void(EngineEvent)> report);
    // Finishes, giving the encoder `closingTime` at most, and waits for the writer.
    ~StreamRecorder();
    StreamRecorder(const StreamRecorder&) = delete;
    StreamRecorder& operator=(const StreamRecorder&) = delete;

    const std::filesystem::path& file() const { return file_; }

    // Decoder thread: queues a copy of the chunk.
    Offer offer(const char* data, std::size_t size);
    // Why writing failed (after Offer::failed).
    std::string failure() const;
    // No more audio: the queue is written out (or dropped after an overflow or failure),
    // then the encoder finishes the file.
    void finish();
    // Finishes, and kills the encoder if it is not done by `deadline` (an earlier deadline
    // given before holds). Lets an owner end many recordings at once.
    void hurry(std::chrono::steady_clock::time_point deadline);
    // True once the outcome has been reported.
    bool isDone() const;

private:
    enum class Write { done, failed, abandoned };

    void writeLoop();
    Write writeChunk(const std::vector<char>& chunk);
    // Waits for the encoder's exit within the patience and the deadline; false when killed.
    bool awaitExit();
    // The time past which the writer gives up waiting on the encoder (under lock_).
    std::chrono::steady_clock::time_point giveUpTimeLocked() const;
    void reportOutcome(bool exited);

    std::filesystem::path file_;
    std::function<void(EngineEvent)> report_;
    platform::Process encoder_;
    platform::UniqueFd input_; // writer thread only

    mutable std::mutex lock_;
    std::condition_variable changed_;
    // Guarded by lock_:
    std::deque<std::vector<char>> queue_;
    std::size_t queuedBytes_ = 0;
    bool finishing_ = false;
    bool overflowed_ = false; // an offer did not fit: the encoder stopped taking audio
    bool dropQueue_ = false;
    std::string failure_; // not empty once a write failed
    bool done_ = false;
    std::chrono::steady_clock::time_point lastProgress_; // the encoder last took audio or the input closed
    std::optional<std::chrono::steady_clock::time_point> deadline_; // set by hurry()

    std::size_t bytesWritten_ = 0; // writer thread only: audio the encoder took

    std::jthread writer_;
};

} // namespace ZazidEvoz
