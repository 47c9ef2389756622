#include "StreamRecorder.hpp"

#include "platform/Threads.hpp"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <system_error>

namespace ZazidEvoz {

namespace {

constexpr auto encoderPatience = std::chrono::seconds(10);

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
    writer_ = std::thread([this] {
        platform::setCurrentThreadName("ZintraRadio recorder");
        writeLoop();
    });
}

StreamRecorder::~StreamRecorder() {
    finish();
    {
        std::unique_lock guard(lock_);
        if (!changed_.wait_for(guard, encoderPatience, [this] { return done_; })) {
            guard.unlock();
            encoder_.kill(); // a stuck encoder: its pending write fails and the writer ends
        }
    }
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
    changed_.notify_all();
}

bool StreamRecorder::isDone() const {
    std::lock_guard guard(lock_);
    return done_;
}

void StreamRecorder::writeLoop() {
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
        if (!platform::writeAll(input_.get(), chunk.data(), chunk.size())) {
            std::string error = std::strerror(errno);
            std::lock_guard guard(lock_);
            failure_ = error;
        }
    }
    input_.reset(); // the encoder sees the end of its input and finishes the file
    reportOutcome();
}

void StreamRecorder::reportOutcome() {
    platform::ExitStatus status = encoder_.wait();
    std::error_code error;
    auto size = std::filesystem::file_size(file_, error);
    bool hasData = !error && size > 0;
    // Only a file with audio in it is a saved recording, whatever the exit status says.
    if (hasData) {
        report_(EngineEvents::RecordingSaved{file_});
    } else {
        // Our empty placeholder would only clutter the recordings.
        if (!error)
            std::filesystem::remove(file_, error);
        report_(EngineEvents::RecordingFailed{status.succeeded()
                                                  ? std::string("ffmpeg wrote no audio")
                                                  : "ffmpeg exit " + std::to_string(status.shellStatus())});
    }
    std::lock_guard guard(lock_);
    done_ = true;
    changed_.notify_all();
}

} // namespace ZazidEvoz
