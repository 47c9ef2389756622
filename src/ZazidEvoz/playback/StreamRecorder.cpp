#include "StreamRecorder.hpp"

#include "ZazidEvoz/platform/Threads.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <system_error>

namespace ZazidEvoz {

namespace {

using Clock = std::chrono::steady_clock;

// How often a blocked writer looks at its deadlines.
constexpr auto waitSlice = std::chrono::milliseconds(50);

int sliceUntil(Clock::time_point until) {
    auto left = std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now());
    return static_cast<int>(std::clamp<long long>(left.count(), 0, waitSlice.count()));
}

} // namespace

std::vector<std::string> recorderArguments(const std::filesystem::path& file,
                                           const std::optional<std::string>& title,
                                           const std::optional<std::string>& artist) {
    std::vector<std::string> arguments = {"-hide_banner",
                                          "-nostdin",
                                          "-loglevel",
                                          "error",
                                          "-f",
                                          "f32le",
                                          "-ar",
                                          "48000",
                                          "-ac",
                                          "2",
                                          "-i",
                                          "pipe:0",
                                          "-codec:a",
                                          "libmp3lame",
                                          "-b:a",
                                          "192k",
                                          "-id3v2_version",
                                          "3"};
    if (title && !title->empty())
        arguments.insert(arguments.end(), {"-metadata", "title=" + *title});
    if (artist && !artist->empty())
        arguments.insert(arguments.end(), {"-metadata", "artist=" + *artist});
    // An absolute path never reads as an option, whatever its name.
    arguments.insert(arguments.end(), {"-y", std::filesystem::absolute(file).string()});
    return arguments;
}

std::filesystem::path reserveRecordingFile(const std::filesystem::path& file) {
    const auto folder = file.parent_path();
    const auto stem = file.stem().string();
    const auto extension = file.extension().string();
    for (int number = 1;; ++number) {
        auto candidate =
            number == 1 ? file : folder / (stem + " (" + std::to_string(number) + ")" + extension);
        int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0) {
            ::close(fd);
            return candidate;
        }
        if (errno != EEXIST || number >= 9999)
            throw std::filesystem::filesystem_error("cannot create the recording file", candidate,
                                                    std::error_code(errno, std::generic_category()));
    }
}

StreamRecorder::StreamRecorder(const std::string& ffmpeg, std::filesystem::path file,
                               const std::optional<std::string>& title,
                               const std::optional<std::string>& artist,
                               std::function<void(EngineEvent)> report)
    : file_(std::move(file)), report_(std::move(report)), encoder_([&] {
          platform::ProcessOptions options;
          options.arguments = {ffmpeg};
          auto arguments = recorderArguments(file_, title, artist);
          options.arguments.insert(options.arguments.end(), arguments.begin(), arguments.end());
          options.input = platform::StreamMode::Pipe;
          options.output = platform::StreamMode::Null;
          // Never read: a pipe that fills up would stall the encoder.
          options.error = platform::StreamMode::Null;
          try {
              return platform::Process::start(options);
          } catch (const std::exception& error) {
              throw EngineError::recorderFailed(error.what());
          }
      }()) {
    input_ = encoder_.takeInput();
    // Writes never block: the writer waits in slices, so it can give up on a stuck encoder.
    ::fcntl(input_.get(), F_SETFL, ::fcntl(input_.get(), F_GETFL) | O_NONBLOCK);
    lastProgress_ = Clock::now();
    writer_ = std::jthread([this] {
        platform::setCurrentThreadName("ZR recorder");
        writeLoop();
    });
}

StreamRecorder::~StreamRecorder() {
    hurry(Clock::now() + closingTime);
    writer_.join();
}

StreamRecorder::Offer StreamRecorder::offer(const char* data, std::size_t size) {
    std::lock_guard guard(lock_);
    if (!failure_.empty())
        return Offer::failed;
    if (finishing_)
        return Offer::accepted;
    if (queuedBytes_ + size > queueCapacity) {
        overflowed_ = true;
        return Offer::overflowed;
    }
    queue_.emplace_back(data, data + size);
    queuedBytes_ += size;
    changed_.notify_all();
    return Offer::accepted;
}

std::string StreamRecorder::failure() const {
    std::lock_guard guard(lock_);
    return failure_;
}

void StreamRecorder::finish() {
    std::lock_guard guard(lock_);
    if (finishing_)
        return;
    finishing_ = true;
    // After a failure or an overflow the rest would only wait on a stuck encoder; an encoder
    // that is merely behind still gets all of it.
    dropQueue_ = !failure_.empty() || overflowed_;
    // Its patience counts from now: it may have been behind for a while already.
    lastProgress_ = Clock::now();
    changed_.notify_all();
}

void StreamRecorder::hurry(Clock::time_point deadline) {
    finish();
    std::lock_guard guard(lock_);
    if (!deadline_ || deadline < *deadline_)
        deadline_ = deadline;
    changed_.notify_all();
}

bool StreamRecorder::isDone() const {
    std::lock_guard guard(lock_);
    return done_;
}

Clock::time_point StreamRecorder::giveUpTimeLocked() const {
    auto limit = lastProgress_ + encoderPatience;
    return deadline_ ? std::min(limit, *deadline_) : limit;
}

void StreamRecorder::writeLoop() {
    bool abandoned = false;
    for (;;) {
        std::vector<char> chunk;
        {
            std::unique_lock guard(lock_);
            // After a failed write, wait for the engine to finish the recording, so that the
            // write error is reported before the encoder's exit.
            changed_.wait(guard, [this] { return finishing_ || (!queue_.empty() && failure_.empty()); });
            if (dropQueue_ || !failure_.empty()) {
                queue_.clear();
                queuedBytes_ = 0;
            }
            if (queue_.empty())
                break; // finishing, and all written
            chunk = std::move(queue_.front());
            queue_.pop_front();
            queuedBytes_ -= chunk.size();
        }
        Write result = writeChunk(chunk);
        if (result == Write::abandoned) {
            abandoned = true;
            break;
        }
        if (result == Write::failed) {
            std::string error = std::strerror(errno);
            std::lock_guard guard(lock_);
            failure_ = error;
        }
    }
    input_.reset(); // the encoder sees the end of its input and finishes the file
    {
        std::lock_guard guard(lock_);
        lastProgress_ = Clock::now();
    }
    bool exited = !abandoned && awaitExit();
    if (!exited)
        encoder_.kill();
    reportOutcome(exited);
}

StreamRecorder::Write StreamRecorder::writeChunk(const std::vector<char>& chunk) {
    std::size_t offset = 0;
    while (offset < chunk.size()) {
        ssize_t count = ::write(input_.get(), chunk.data() + offset, chunk.size() - offset);
        if (count > 0) {
            offset += static_cast<std::size_t>(count);
            bytesWritten_ += static_cast<std::size_t>(count);
            std::lock_guard guard(lock_);
            lastProgress_ = Clock::now();
            continue;
        }
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0 && errno != EAGAIN)
            return Write::failed;
        // The pipe is full: the encoder is behind. While recording, the queue's limit decides
        // when that is too much; once finished, its patience and the deadline do.
        Clock::time_point giveUp;
        {
            std::lock_guard guard(lock_);
            if (dropQueue_)
                return Write::abandoned;
            giveUp = finishing_ ? giveUpTimeLocked() : Clock::time_point::max();
        }
        if (Clock::now() >= giveUp)
            return Write::abandoned;
        pollfd entry{input_.get(), POLLOUT, 0};
        ::poll(&entry, 1, static_cast<int>(waitSlice.count()));
    }
    return Write::done;
}

bool StreamRecorder::awaitExit() {
    for (;;) {
        Clock::time_point giveUp;
        {
            std::lock_guard guard(lock_);
            giveUp = giveUpTimeLocked();
        }
        if (encoder_.waitFor(std::chrono::milliseconds(sliceUntil(giveUp))))
            return true;
        if (Clock::now() >= giveUp)
            return false;
    }
}

void StreamRecorder::reportOutcome(bool exited) {
    platform::ExitStatus status = encoder_.wait();
    std::error_code error;
    auto size = std::filesystem::file_size(file_, error);
    bool hasData = !error && size > 0;
    std::optional<std::string> failure;
    bool keepFile = hasData;
    if (bytesWritten_ == 0) {
        // Without audio the encoder writes at most an empty tagged file: not a recording.
        failure = "no audio was recorded";
        keepFile = false;
    } else if (!exited) {
        // What it wrote so far stays: a partial recording is better than none.
        failure = "ffmpeg did not finish the recording";
    } else if (!hasData) {
        failure = status.succeeded() ? std::string("ffmpeg wrote no audio")
                                     : "ffmpeg exit " + std::to_string(status.shellStatus());
    }
    if (!keepFile && !error)
        std::filesystem::remove(file_, error);
    if (failure)
        report_(EngineEvents::RecordingFailed{*failure});
    else
        report_(EngineEvents::RecordingSaved{file_});
    std::lock_guard guard(lock_);
    done_ = true;
    changed_.notify_all();
}

} // namespace ZazidEvoz
