#include "AudioEngine.hpp"

#include "StreamMetadata.hpp"
#include "ZazidEvoz/core/ToolLocator.hpp"
#include "ZazidEvoz/core/UserAgent.hpp"
#include "ZazidEvoz/platform/FileURL.hpp"
#include "ZazidEvoz/platform/HttpClient.hpp"
#include "ZazidEvoz/platform/Text.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>

namespace ZazidEvoz {

using platform::EndsWithUs;
using platform::Process;
using platform::ProcessOptions;
using platform::StreamMode;
using namespace std::chrono_literals;

namespace {

constexpr std::size_t pumpBufferBytes = 16384;
// The pump rests while the ring holds at least 1 s. In a rest ffmpeg writes less than its
// pipe holds (0.34 s of audio), so it is never held up; a larger pipe would let ffmpeg run
// further past a title before the pump reads of it.
constexpr std::size_t restAboveSamples = 96000;
constexpr auto pumpRest = std::chrono::milliseconds(250);
constexpr int decoderPipeBytes = 128 * 1024;
constexpr std::size_t bytesPerFrame = 8;
constexpr std::size_t maxErrorCharacters = 220;
constexpr auto formatTrialTime = std::chrono::seconds(5);

// Waits until `output` or `log` (when not -1) has data or is closed, at most until
// `deadline`. Returns which are readable; neither when the deadline passed.
struct Readable {
    bool output = false, log = false;
};
Readable waitForDecoder(int output, int log, std::optional<std::chrono::steady_clock::time_point> deadline) {
    for (;;) {
        int timeout = -1;
        if (deadline) {
            auto left =
                std::chrono::ceil<std::chrono::milliseconds>(*deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                return {};
            timeout = static_cast<int>(std::min<long long>(left.count(), 1000));
        }
        pollfd entries[2] = {{output, POLLIN, 0}, {log, POLLIN, 0}}; // poll skips a -1
        int ready = ::poll(entries, 2, timeout);
        if (ready > 0)
            return {entries[0].revents != 0, entries[1].revents != 0};
        if (ready < 0 && errno != EINTR)
            return {true, false}; // let the read report the error
    }
}

// How much a pipe holds unread, in bytes.
std::size_t bytesWaiting(int fd) {
    int bytes = 0;
    return ::ioctl(fd, FIONREAD, &bytes) == 0 && bytes > 0 ? static_cast<std::size_t>(bytes) : 0;
}

// True when a read of `fd` would not block.
bool hasDataNow(int fd) {
    pollfd entry{fd, POLLIN, 0};
    int ready;
    do {
        ready = ::poll(&entry, 1, 0);
    } while (ready < 0 && errno == EINTR);
    return ready != 0;
}

constexpr const char* noAudioMessage = "no audio data";
constexpr const char* noAnswerMessage = "no answer from the station";

// The end of a live source that never sent audio, said plainly; ffmpeg's own reason, if it
// gave one, follows in brackets.
std::string unreachableMessage(const std::string& reason) {
    std::string message = "The station could not be reached";
    if (reason.empty() || reason == noAudioMessage)
        return message + ".";
    return message + " (" + reason + ").";
}

// A log line worth keeping as the run's error text.
bool isErrorLine(std::string_view line) {
    return text::lowercased(line).find("error") != std::string::npos ||
           line.find("Server returned") != std::string_view::npos ||
           line.find("Failed") != std::string_view::npos;
}

} // namespace

std::optional<std::string> inputFormatForContentType(std::string_view contentType) {
    std::string type(contentType.substr(0, contentType.find(';')));
    type = text::lowercased(text::trimmedWhitespace(type));
    static const std::map<std::string, std::string, std::less<>> formats = {
        {"audio/mpeg", "mp3"},    {"audio/mp3", "mp3"},       {"audio/mpeg3", "mp3"},
        {"audio/x-mpeg", "mp3"},  {"audio/x-mp3", "mp3"},     {"audio/aac", "aac"},
        {"audio/aacp", "aac"},    {"audio/x-aac", "aac"},     {"audio/x-aacp", "aac"},
        {"audio/ogg", "ogg"},     {"application/ogg", "ogg"}, {"audio/x-ogg", "ogg"},
        {"audio/opus", "ogg"},    {"audio/vorbis", "ogg"},    {"audio/flac", "flac"},
        {"audio/x-flac", "flac"},
    };
    auto found = formats.find(type);
    if (found == formats.end())
        return std::nullopt;
    return found->second;
}

bool isHlsURL(std::string_view url) {
    return text::lowercased(url).find(".m3u8") != std::string::npos;
}

std::vector<std::string> decoderArguments(const PlaybackSource& source,
                                          const std::optional<std::string>& inputFormat) {
    // ffmpeg prints the titles that arrive once the stream runs only at its verbose level;
    // at "info" a station's first title (often a second into the stream) is never seen.
    // No progress line: it would wake the log reader twice a second for nothing.
    std::vector<std::string> arguments = {"-hide_banner", "-nostdin", "-nostats", "-loglevel", "verbose"};
    if (source.hasFeeder()) {
        arguments.insert(arguments.end(), {"-i", "pipe:0"});
    } else {
        if (platform::isHttpURL(source.url)) {
            arguments.insert(arguments.end(), {"-reconnect", "1", "-reconnect_streamed", "1",
                                               "-reconnect_delay_max", "5", "-rw_timeout", "15000000",
                                               "-user_agent", std::string(UserAgent::product), "-icy", "1"});
            if (inputFormat)
                // A few frames decide the stream's parameters; 0 would mean ffmpeg's 5 s default.
                arguments.insert(arguments.end(),
                                 {"-f", *inputFormat, "-probesize", "8192", "-analyzeduration", "100000"});
            else if (!isHlsURL(source.url))
                arguments.insert(arguments.end(), {"-probesize", "32768"});
        }
        arguments.push_back("-i");
        arguments.push_back(platform::pathFromFileURL(source.url).value_or(source.url));
    }
    arguments.insert(arguments.end(), {"-vn", "-sn", "-dn", "-f", "f32le", "-acodec", "pcm_f32le", "-ar",
                                       "48000", "-ac", "2", "-"});
    return arguments;
}

AudioEngine::AudioEngine(platform::Poster post, std::shared_ptr<platform::Sleeper> sleeper,
                         std::shared_ptr<platform::Sleeper> pacing)
    : post_(std::move(post)), sleeper_(std::move(sleeper)), analyzer_(scope_, static_cast<float>(sampleRate)),
      pacing_(std::move(pacing)), output_([this](float* left, float* right, std::size_t frames,
                                                 bool& silence) { render(left, right, frames, silence); }) {
    // A write to a pipe whose reader is gone must fail, not end the program.
    ::signal(SIGPIPE, SIG_IGN);
    applyGain();
    outputWatch_ = std::jthread([this](std::stop_token stop) { watchOutput(stop); });
}

void AudioEngine::watchOutput(std::stop_token stop) {
    platform::setCurrentThreadName("ZR output");
    // SDL reports an unplugged device only through its event loop, which the engine does not
    // run; a lost device shows as a stopped one, so look twice a second. The output thread
    // wakes this one sooner when the ring runs dry; the destructor, to stop it.
    for (;;) {
        outputWatchWakeup_.waitFor(500ms);
        if (stop.stop_requested())
            return;
        if (ranDry_.exchange(false))
            reportRanDry();
        if (output_.deviceLost())
            post_([this, token = lifetime_.token()] {
                if (platform::LifetimeGuard::isAlive(token))
                    outputConfigurationChanged();
            });
    }
}

void AudioEngine::reportRanDry() {
    {
        std::lock_guard guard(lock_);
        // Primed again meanwhile, or no longer playing (paused, stopped, another play).
        if (primed_ || currentState_.kind != PlaybackState::Kind::playing)
            return;
        currentState_ = PlaybackState::buffering();
    }
    report(EngineEvents::State{PlaybackState::buffering()});
}

AudioEngine::~AudioEngine() {
    {
        std::lock_guard guard(lock_);
        ++generation_;
    }
    for (auto& run : runs_)
        run.requestStop();
    killProcesses();
    // Every recording, running or still writing out, ends at once and gets the same short
    // time to finish its file; a stuck encoder is killed when it is up.
    std::vector<std::shared_ptr<StreamRecorder>> recorders;
    {
        std::lock_guard guard(lock_);
        recorders.swap(finishedRecorders_);
        if (recorder_)
            recorders.push_back(std::exchange(recorder_, nullptr));
    }
    auto deadline = std::chrono::steady_clock::now() + StreamRecorder::closingTime;
    for (const auto& recorder : recorders)
        recorder->hurry(deadline);
    runs_.clear(); // joins
    outputWatch_.request_stop();
    outputWatchWakeup_.signal();
    outputWatch_.join();
    output_.stop();
    recorders.clear(); // joins the writers, each done by the deadline
}

bool AudioEngine::isCurrent(std::uint64_t generation) const {
    std::lock_guard guard(lock_);
    return generation_ == generation;
}

void AudioEngine::report(EngineEvent event) {
    post_([this, token = lifetime_.token(), event = std::move(event)] {
        if (!platform::LifetimeGuard::isAlive(token))
            return;
        if (onEvent)
            onEvent(event);
    });
}

void AudioEngine::setState(const PlaybackState& state) {
    {
        std::lock_guard guard(lock_);
        if (currentState_ == state)
            return;
        currentState_ = state;
    }
    report(EngineEvents::State{state});
}

void AudioEngine::setReconnecting() {
    {
        std::lock_guard guard(lock_);
        // A pause holds through the attempts; resuming shows where they are.
        if (paused_ || currentState_ == PlaybackState::buffering())
            return;
        currentState_ = PlaybackState::buffering();
    }
    report(EngineEvents::State{PlaybackState::buffering()});
}

void AudioEngine::killProcesses() {
    std::shared_ptr<Process> decoder, feeder;
    {
        std::lock_guard guard(lock_);
        decoder = std::move(decoder_);
        feeder = std::move(feeder_);
    }
    // Process::kill only signals a child that is not reaped yet, so no recycled id is hit.
    if (decoder)
        decoder->kill();
    if (feeder)
        feeder->kill();
}

void AudioEngine::applyGain() {
    float gain;
    {
        std::lock_guard guard(lock_);
        gain = isMuted_ ? 0.0f : userVolume_;
    }
    output_.setGain(gain);
}

void AudioEngine::startEngineIfNeeded() {
    if (output_.isRunning())
        return;
    try {
        output_.start();
    } catch (const std::exception& error) {
        setState(PlaybackState::failed(std::string("audio output: ") + error.what()));
    }
}

void AudioEngine::retireFinishedRuns() {
    std::erase_if(runs_, [](const platform::WorkerThread& run) { return run.hasEnded(); });
}

void AudioEngine::play(const PlaybackSource& source) {
    auto ffmpeg = ToolLocator::path(ToolLocator::Tool::ffmpeg);
    if (!ffmpeg) {
        setState(PlaybackState::failed(EngineError::missingTool("ffmpeg").what()));
        return;
    }
    std::uint64_t generation = retireCurrentPlayback();
    playing_ = source;
    decoderTool_ = *ffmpeg;
    setState(PlaybackState::buffering());
    startEngineIfNeeded();
    startDecoder(generation, source, *ffmpeg);
}

void AudioEngine::startDecoder(std::uint64_t generation, const PlaybackSource& source,
                               const std::string& ffmpeg) {
    runs_.emplace_back([this, generation, source, path = ffmpeg, answer = answerTime](std::stop_token stop) {
        platform::setCurrentThreadName("ZR decoder");
        runLoop(generation, source, path, answer, stop);
    });
}

void AudioEngine::setCurrentSourceLive(bool live) {
    std::lock_guard guard(lock_);
    currentLive_ = live;
}

bool AudioEngine::isLive(std::uint64_t generation, const PlaybackSource& source) const {
    std::lock_guard guard(lock_);
    return generation == generation_ ? currentLive_.value_or(source.live) : source.live;
}

void AudioEngine::stop() {
    retireCurrentPlayback();
    setState(PlaybackState::stopped());
}

std::uint64_t AudioEngine::retireCurrentPlayback() {
    finishRecording();
    std::uint64_t generation;
    {
        std::lock_guard guard(lock_);
        generation = ++generation_;
        paused_ = primed_ = draining_ = false;
        currentLive_.reset();
        playedFrames_ = ((playedFrames_ >> playedResetShift) + 1) << playedResetShift;
        pendingTitles_.clear();
    }
    restartOnResume_ = false;
    for (auto& run : runs_)
        run.requestStop();
    retireFinishedRuns();
    killProcesses();
    ring_.clear();
    analyzer_.reset();
    return generation;
}

void AudioEngine::pause() {
    bool live;
    {
        std::lock_guard guard(lock_);
        if (currentState_.kind != PlaybackState::Kind::playing &&
            currentState_.kind != PlaybackState::Kind::buffering)
            return;
        paused_ = true;
        live = currentLive_.value_or(playing_.live);
        if (live) {
            // A live stream does not wait for the listener: what a pause held back would be
            // heard ever later, and its titles with it. The decoder, or its reconnecting,
            // ends here; the recording stays and goes on after resume().
            ++generation_;
            primed_ = draining_ = false;
            pendingTitles_.clear();
        }
    }
    if (live) {
        for (auto& run : runs_)
            run.requestStop();
        retireFinishedRuns();
        killProcesses();
        ring_.clear();
        restartOnResume_ = true;
    }
    output_.pause();
    setState(PlaybackState::paused());
}

void AudioEngine::resume() {
    std::uint64_t generation;
    {
        std::lock_guard guard(lock_);
        if (currentState_.kind != PlaybackState::Kind::paused)
            return;
        paused_ = false;
        generation = generation_;
    }
    startEngineIfNeeded();
    if (!restartOnResume_) {
        setState(PlaybackState::playing());
        return;
    }
    // Back to the live point, as a reconnect would be.
    restartOnResume_ = false;
    setState(PlaybackState::buffering());
    startDecoder(generation, playing_, decoderTool_);
}

float AudioEngine::volume() const {
    std::lock_guard guard(lock_);
    return userVolume_;
}

void AudioEngine::setVolume(float volume) {
    {
        std::lock_guard guard(lock_);
        userVolume_ = volume > 0.0f ? std::min(volume, 1.0f) : 0.0f; // NaN becomes 0 too
    }
    applyGain();
}

bool AudioEngine::muted() const {
    std::lock_guard guard(lock_);
    return isMuted_;
}

void AudioEngine::setMuted(bool muted) {
    {
        std::lock_guard guard(lock_);
        isMuted_ = muted;
    }
    applyGain();
}

double AudioEngine::elapsed() const {
    const std::uint64_t frames = playedFrames_ & ((std::uint64_t(1) << playedResetShift) - 1);
    return static_cast<double>(frames) / sampleRate;
}

PlaybackState AudioEngine::state() const {
    std::lock_guard guard(lock_);
    return currentState_;
}

void AudioEngine::outputConfigurationChanged() {
    bool active, paused;
    {
        std::lock_guard guard(lock_);
        active = currentState_.isActive();
        paused = paused_;
    }
    output_.stop();
    if (active && !paused)
        startEngineIfNeeded();
}

void AudioEngine::fail(std::uint64_t generation, const std::string& message) {
    {
        std::lock_guard guard(lock_);
        if (generation_ != generation)
            return;
    }
    finishRecording();
    {
        std::lock_guard guard(lock_);
        if (generation_ != generation)
            return;
        ++generation_;
        pendingTitles_.clear();
    }
    killProcesses();
    ring_.clear();
    setState(PlaybackState::failed(message));
}

void AudioEngine::render(float* left, float* right, std::size_t frames, bool& silence) {
    if (!left || !right)
        return;
    std::uint64_t played = playedFrames_.load(); // before the flags: a reset clears them first
    const bool reading = primed_.load() && !paused_.load();
    const std::size_t delivered = reading ? ring_.read(frames, left, right) : 0;
    if (delivered < frames) {
        std::fill(left + delivered, left + frames, 0.0f);
        std::fill(right + delivered, right + frames, 0.0f);
    }
    if (delivered > 0) {
        scope_.append(left, right, delivered);
        // Fails only when a play or stop reset the count meanwhile: these frames were its.
        playedFrames_.compare_exchange_strong(played, played + delivered);
    } else {
        scope_.appendSilence(frames);
        silence = true;
    }
    // Short outside a drain: silent until the pump primes the ring again.
    if (reading && delivered < frames && !draining_.load() && primed_.exchange(false)) {
        ranDry_.store(true);
        outputWatchWakeup_.signal();
    }
}

struct AudioEngine::DecoderLog {
    int fd = -1; // -1 once it has ended
    std::string pending;
    std::optional<std::string> lastTitle;
    std::string lastError;
};

bool AudioEngine::pump(std::uint64_t generation, int fd, DecoderLog& log,
                       std::optional<std::chrono::steady_clock::time_point> deadline, bool& gaveUp,
                       std::uint64_t& pumpedFrames, std::stop_token stop) {
    constexpr std::size_t primeSamples = primeFrames * 2;
    bool hadAudio = false;
    // Each wake-up of this thread costs more than the copying it does: while the ring is well
    // ahead of the output and the pipe is empty, rest, and then take what ffmpeg wrote
    // meanwhile in one go. The log is read as it comes, rest or not; a stop ends a rest at
    // once (whoever stops kills the decoder, which ends its log).
    auto rest = [&] {
        const auto pause = std::min(pumpRest, untilNextTitleHeard(generation, pumpedFrames));
        if (log.fd < 0) {
            pacing_->sleepFor(pause, stop);
            return;
        }
        pollfd entry{log.fd, POLLIN, 0};
        if (::poll(&entry, 1, static_cast<int>(pause.count())) > 0 &&
            !readLog(generation, log, fd, pumpedFrames))
            log.fd = -1;
    };
    if (isCurrent(generation)) {
        alignas(float) unsigned char buffer[pumpBufferBytes];
        std::size_t filled = 0;
        for (;;) {
            // The log goes first: ffmpeg names a title once it has written the audio before
            // it, so what waits in the pipe then is at most what it wrote since.
            auto readable = waitForDecoder(fd, log.fd, hadAudio ? std::nullopt : deadline);
            if (readable.log) {
                if (!readLog(generation, log, fd, pumpedFrames))
                    log.fd = -1;
                continue;
            }
            if (!readable.output) {
                gaveUp = true;
                break;
            }
            ssize_t count = platform::readRetrying(fd, buffer + filled, pumpBufferBytes - filled);
            if (count <= 0)
                break;
            filled += static_cast<std::size_t>(count);
            std::size_t chunk = filled - filled % bytesPerFrame;
            pumpedFrames += chunk / bytesPerFrame;
            if (chunk > 0)
                writeToRecorder(reinterpret_cast<const char*>(buffer), chunk);

            const float* samples = reinterpret_cast<const float*>(buffer);
            std::size_t remaining = chunk / sizeof(float);
            bool current = true;
            while (remaining > 0) {
                if (!(current = isCurrent(generation)))
                    break;
                std::size_t stored = ring_.write(samples, remaining);
                if (stored == 0) {
                    reportTitles(generation, pumpedFrames, remaining);
                    rest(); // full: 2 s ahead, or paused
                    continue;
                }
                samples += stored;
                remaining -= stored;
                if (ring_.count() < primeSamples)
                    continue;
                hadAudio = true;
                bool becamePlaying = false;
                {
                    std::lock_guard guard(lock_);
                    if (generation_ == generation && !primed_) {
                        primed_ = true;
                        if (!paused_ && currentState_.kind != PlaybackState::Kind::playing) {
                            currentState_ = PlaybackState::playing();
                            becamePlaying = true;
                        }
                    }
                }
                if (becamePlaying)
                    report(EngineEvents::State{PlaybackState::playing()});
            }
            std::memmove(buffer, buffer + chunk, filled - chunk);
            filled -= chunk;
            if (!current || !isCurrent(generation))
                break;
            reportTitles(generation, pumpedFrames);
            if (ring_.count() >= restAboveSamples && !hasDataNow(fd))
                rest();
        }
    }
    return hadAudio || ring_.count() > 1;
}

std::chrono::milliseconds AudioEngine::untilNextTitleHeard(std::uint64_t generation,
                                                           std::uint64_t pumpedFrames) const {
    const std::uint64_t waiting = ring_.count() / 2;
    const std::uint64_t heard = pumpedFrames > waiting ? pumpedFrames - waiting : 0;
    std::lock_guard guard(lock_);
    if (generation_ != generation || pendingTitles_.empty() || !pendingTitles_.front().pumped || paused_)
        return std::chrono::milliseconds::max();
    // Not less than 10 ms: an output that has stalled must not keep the pump spinning.
    const std::uint64_t frame = pendingTitles_.front().frame;
    const std::uint64_t due = frame > heard ? (frame - heard) * 1000 / 48000 : 0;
    return std::chrono::milliseconds(std::max<std::uint64_t>(due, 10));
}

void AudioEngine::reportTitles(std::uint64_t generation, std::uint64_t pumpedFrames,
                               std::size_t samplesOutsideRing) {
    const std::uint64_t waiting = (ring_.count() + samplesOutsideRing) / 2;
    const std::uint64_t heard = pumpedFrames > waiting ? pumpedFrames - waiting : 0;
    std::vector<EngineEvent> events;
    {
        std::lock_guard guard(lock_);
        if (generation_ != generation)
            return;
        while (!pendingTitles_.empty()) {
            PendingTitle& title = pendingTitles_.front();
            if (!title.pumped && title.frame <= pumpedFrames) {
                title.pumped = true;
                events.push_back(EngineEvents::TitleInStream{title.title});
            }
            if (!title.pumped || title.frame > heard)
                break; // the titles after it come later in the stream
            events.push_back(EngineEvents::Metadata{StreamMetadataEvent::title(std::move(title.title))});
            pendingTitles_.pop_front();
        }
    }
    for (auto& event : events)
        report(std::move(event));
}

void AudioEngine::reportAllTitles(std::uint64_t generation, bool heard) {
    std::vector<EngineEvent> events;
    {
        std::lock_guard guard(lock_);
        if (generation_ != generation)
            return;
        for (auto& title : pendingTitles_) {
            if (!title.pumped)
                events.push_back(EngineEvents::TitleInStream{title.title});
            title.pumped = true;
            if (heard)
                events.push_back(EngineEvents::Metadata{StreamMetadataEvent::title(title.title)});
        }
        if (heard)
            pendingTitles_.clear();
    }
    for (auto& event : events)
        report(std::move(event));
}

bool AudioEngine::readLog(std::uint64_t generation, DecoderLog& log, int outputFd,
                          std::uint64_t pumpedFrames) {
    char chunk[4096];
    ssize_t count = platform::readRetrying(log.fd, chunk, sizeof chunk);
    if (count <= 0)
        return false;
    log.pending.append(chunk, static_cast<std::size_t>(count));
    std::size_t start = 0;
    for (;;) {
        std::size_t end = log.pending.find_first_of("\r\n", start);
        if (end == std::string::npos)
            break;
        std::string_view raw(log.pending.data() + start, end - start);
        start = end + 1;
        if (raw.empty())
            continue;
        // Old stations send Latin-1 titles: the same rule as the ICY poller, so both agree.
        std::string line = text::decodeLegacyText(raw);
        if (isErrorLine(line))
            log.lastError = text::characterPrefix(line, maxErrorCharacters);
        if (!isCurrent(generation))
            continue;
        auto event = StreamMetadataParser::parse(line);
        if (!event)
            continue;
        if (event->kind != StreamMetadataEvent::Kind::title) {
            report(EngineEvents::Metadata{std::move(*event)});
            continue;
        }
        if (event->text == log.lastTitle.value_or(""))
            continue;
        log.lastTitle = event->text;
        // Its audio begins after what the pump took and what waits in the pipe; the title
        // waits until that has been recorded and heard.
        std::uint64_t frame = pumpedFrames;
        if (outputFd >= 0)
            frame += bytesWaiting(outputFd) / bytesPerFrame;
        std::lock_guard guard(lock_);
        if (generation_ == generation)
            pendingTitles_.push_back({generation, std::move(event->text), frame});
    }
    log.pending.erase(0, start);
    // A log line never gets this long; keep a runaway one from growing without end.
    if (log.pending.size() > 64 * 1024)
        log.pending.clear();
    return true;
}

AudioEngine::StreamResult AudioEngine::stream(std::uint64_t generation, const PlaybackSource& source,
                                              const std::string& ffmpeg,
                                              const std::optional<std::string>& inputFormat,
                                              std::chrono::milliseconds answerTime,
                                              std::uint64_t& pumpedFrames, std::stop_token stop) {
    auto environment = ToolLocator::childEnvironment();
    std::shared_ptr<Process> feeder, decoder;
    try {
        ProcessOptions decoderOptions;
        decoderOptions.arguments = {ffmpeg};
        auto arguments = decoderArguments(source, inputFormat);
        decoderOptions.arguments.insert(decoderOptions.arguments.end(), arguments.begin(), arguments.end());
        decoderOptions.environment = environment;
        decoderOptions.input = StreamMode::Null;
        decoderOptions.output = StreamMode::Pipe;
        decoderOptions.error = StreamMode::Pipe;

        platform::UniqueFd feed;
        if (source.hasFeeder()) {
            ProcessOptions feederOptions(*source.feeder);
            feederOptions.environment = environment;
            feederOptions.input = StreamMode::Null;
            feederOptions.output = StreamMode::Pipe;
            feederOptions.error = StreamMode::Null;
            // yt-dlp hands some streams to ffmpeg, which must end with us too.
            feederOptions.endsWithUs = EndsWithUs::WholeGroup;
            feeder = std::make_shared<Process>(Process::start(feederOptions));
            feed = feeder->takeOutput();
            decoderOptions.inputFrom = feed.get();
        }
        decoder = std::make_shared<Process>(Process::start(decoderOptions));
        // Our copy of the feeder's pipe closes here, so the decoder alone holds its read end.
    } catch (const std::exception& error) {
        feeder.reset(); // kills and reaps a started feeder
        return {false, error.what(), false};
    }

    {
        std::lock_guard guard(lock_);
        if (generation_ == generation) {
            decoder_ = decoder;
            feeder_ = feeder;
        } else {
            decoder.reset(); // the destructors kill and reap
            feeder.reset();
        }
    }
    if (!decoder)
        return {};

    platform::UniqueFd outputPipe = decoder->takeOutput();
    // Room for what ffmpeg writes while the pump rests; the default 64 KiB would do, at the
    // cost of stalling ffmpeg now and then.
    ::fcntl(outputPipe.get(), F_SETPIPE_SZ, decoderPipeBytes);
    platform::UniqueFd errorPipe = decoder->takeError();
    DecoderLog log;
    log.fd = errorPipe.get();
    // A stream forced to the format its server named may not be in that format (stations
    // send AAC as "audio/mpeg"); ffmpeg would then search it for frames for ever. A server
    // that never answers would hold ffmpeg a minute and more (its own reconnects included).
    const auto now = std::chrono::steady_clock::now();
    std::optional<std::chrono::steady_clock::time_point> deadline;
    std::string gaveUpMessage = noAudioMessage;
    if (!source.hasFeeder() && platform::isHttpURL(source.url)) {
        deadline = now + answerTime;
        gaveUpMessage = noAnswerMessage;
    }
    if (inputFormat && (!deadline || now + formatTrialTime < *deadline)) {
        deadline = now + formatTrialTime;
        gaveUpMessage = noAudioMessage;
    }
    bool gaveUp = false;
    bool hadAudio = pump(generation, outputPipe.get(), log, deadline, gaveUp, pumpedFrames, stop);
    outputPipe.reset();
    if (gaveUp)
        decoder->kill();

    // When the pump stopped early the decoder may still run: it can only be a superseded one.
    if (!isCurrent(generation))
        decoder->kill();
    // The rest of the log, up to the decoder's end: its last lines say why it ended.
    while (log.fd >= 0 && readLog(generation, log, -1, pumpedFrames)) {
    }
    platform::ExitStatus status = decoder->wait();
    if (feeder) {
        feeder->kill();
        feeder->wait();
    }
    std::string lastError = log.lastError;
    {
        std::lock_guard guard(lock_);
        if (decoder_ == decoder) {
            decoder_.reset();
            feeder_.reset();
        }
    }
    // All the audio this decoder gave is pumped: its titles stand in the recording now.
    reportAllTitles(generation, false);

    if (!isCurrent(generation) || (status.succeeded() && hadAudio))
        return {};
    if (lastError.empty())
        lastError = hadAudio ? "stream interrupted" : gaveUp ? gaveUpMessage : noAudioMessage;
    return {false, lastError, hadAudio};
}

std::optional<std::string> AudioEngine::streamFormat(const PlaybackSource& source, std::stop_token stop) {
    if (source.hasFeeder() || !platform::isHttpURL(source.url) || isHlsURL(source.url))
        return std::nullopt;
    {
        std::lock_guard guard(formatsLock_);
        if (auto known = streamFormats_.find(source.url); known != streamFormats_.end())
            return known->second;
    }
    // One short request for the response headers only; bounded so that it never costs more
    // than the probing it saves.
    platform::HttpRequest request;
    request.url = source.url;
    request.userAgent = UserAgent::product;
    request.idleTimeout = 2000ms;
    request.totalTimeout = 2000ms;
    request.maxBodyBytes = 64 * 1024;
    std::optional<std::string> format;
    bool answered = false;
    try {
        auto onHeaders = [&](long status, const platform::HttpHeaders& headers) {
            answered = true;
            for (const auto& [name, value] : headers)
                if (status >= 200 && status < 300 && text::equalsIgnoringAsciiCase(name, "content-type"))
                    format = inputFormatForContentType(value);
            return false; // the headers are all we want
        };
        platform::HttpClient().stream(
            request, onHeaders, [](std::string_view) { return false; }, stop);
    } catch (const platform::HttpError&) {
        // Unreachable or slow: the decoder will find out and report it.
    }
    // Only a server's answer is remembered; a failed request is tried again on reconnect.
    if (!answered)
        return format;
    std::lock_guard guard(formatsLock_);
    if (streamFormats_.size() >= 256)
        streamFormats_.clear();
    streamFormats_[source.url] = format;
    return format;
}

void AudioEngine::forgetStreamFormat(const std::string& url) {
    std::lock_guard guard(formatsLock_);
    streamFormats_[url] = std::nullopt;
}

void AudioEngine::runLoop(std::uint64_t generation, const PlaybackSource& source, const std::string& ffmpeg,
                          std::chrono::milliseconds answerTime, std::stop_token stop) {
    int attempt = 0;
    // Across the attempts, as the ring keeps what the last one left.
    std::uint64_t pumpedFrames = 0;
    for (;;) {
        if (!isCurrent(generation))
            return;
        auto inputFormat = streamFormat(source, stop);
        StreamResult result = stream(generation, source, ffmpeg, inputFormat, answerTime, pumpedFrames, stop);
        if (!isCurrent(generation))
            return;
        // A server that names the wrong type must not keep the stream from playing.
        if (inputFormat && !result.clean && !result.hadAudio)
            forgetStreamFormat(source.url);
        int next = attempt + 1;
        if (!result.clean) {
            if (result.hadAudio) {
                if (!isLive(generation, source)) {
                    fail(generation, result.message);
                    return;
                }
                next = 1;
            } else if (!isLive(generation, source)) {
                fail(generation, result.message);
                return;
            } else if (attempt >= maxReconnects) {
                fail(generation, unreachableMessage(result.message));
                return;
            }
            report(EngineEvents::Reconnecting{next, maxReconnects});
            setReconnecting();
        } else {
            {
                std::lock_guard guard(lock_);
                draining_ = primed_ = true; // even a tail below the priming threshold is played
            }
            while (isCurrent(generation) && ring_.count() >= 2) {
                reportTitles(generation, pumpedFrames);
                if (!pacing_->sleepFor(50ms, stop))
                    break; // stopped: a newer play, a stop or the end of the engine took over
            }
            reportAllTitles(generation, true);
            if (!isCurrent(generation))
                return;
            if (!isLive(generation, source)) {
                finishRecording();
                {
                    std::lock_guard guard(lock_);
                    if (generation_ != generation)
                        return;
                    ++generation_;
                }
                setState(PlaybackState::stopped());
                report(EngineEvents::Ended{});
                return;
            }
            // ffmpeg ends a dropped HTTP stream with status 0, so a clean end of a live stream
            // is a break after audio: count again from the first attempt.
            next = 1;
            report(EngineEvents::Reconnecting{next, maxReconnects});
            setReconnecting();
            {
                std::lock_guard guard(lock_);
                draining_ = primed_ = false;
            }
        }
        // What is left in the ring plays while the engine waits: its titles are due.
        reportAllTitles(generation, true);
        if (!sleeper_->sleepFor(std::chrono::seconds(next), stop))
            return;
        attempt = next;
    }
}

void AudioEngine::startRecording(const std::filesystem::path& file, const std::optional<std::string>& title,
                                 const std::optional<std::string>& artist) {
    if (!state().isActive())
        throw EngineError::notPlaying();
    auto ffmpeg = ToolLocator::path(ToolLocator::Tool::ffmpeg);
    if (!ffmpeg)
        throw EngineError::missingTool("ffmpeg");
    // The running recording is fed until the new one takes over, so that a split loses none
    // of the audio that arrives while the new encoder starts.
    std::shared_ptr<StreamRecorder> recorder;
    std::filesystem::path reserved;
    try {
        if (file.has_parent_path())
            std::filesystem::create_directories(file.parent_path());
        reserved = reserveRecordingFile(file);
        try {
            recorder = std::make_shared<StreamRecorder>(
                *ffmpeg, reserved, title, artist, [this](EngineEvent event) { report(std::move(event)); });
        } catch (...) {
            std::error_code ignored;
            std::filesystem::remove(reserved, ignored);
            throw;
        }
    } catch (...) {
        finishRecording(); // a start that fails still ends the running recording
        throw;
    }
    std::shared_ptr<StreamRecorder> previous;
    {
        std::lock_guard guard(lock_);
        previous = std::exchange(recorder_, recorder);
        if (previous)
            finishedRecorders_.push_back(previous);
    }
    if (previous)
        previous->finish();
    releaseFinishedRecorders();
    report(EngineEvents::RecordingStarted{reserved});
}

std::optional<std::filesystem::path> AudioEngine::stopRecording() {
    return finishRecording();
}

bool AudioEngine::isRecording() const {
    std::lock_guard guard(lock_);
    return recorder_ != nullptr;
}

std::optional<std::filesystem::path> AudioEngine::currentRecordingURL() const {
    std::lock_guard guard(lock_);
    if (!recorder_)
        return std::nullopt;
    return recorder_->file();
}

std::optional<std::filesystem::path> AudioEngine::finishRecording() {
    std::shared_ptr<StreamRecorder> recorder;
    {
        std::lock_guard guard(lock_);
        recorder = std::exchange(recorder_, nullptr);
        if (recorder)
            finishedRecorders_.push_back(recorder);
    }
    releaseFinishedRecorders();
    if (!recorder)
        return std::nullopt;
    recorder->finish();
    return recorder->file();
}

void AudioEngine::failRecordingIf(const StreamRecorder* recorder, const std::string& message) {
    std::shared_ptr<StreamRecorder> taken;
    {
        std::lock_guard guard(lock_);
        // Another thread may have finished it already; then this one reports nothing.
        if (recorder_.get() != recorder)
            return;
        taken = std::exchange(recorder_, nullptr);
        finishedRecorders_.push_back(taken);
    }
    // Posted before the encoder is told to finish, so the failure always comes before the
    // encoder's own outcome.
    report(EngineEvents::RecordingFailed{message});
    taken->finish();
}

void AudioEngine::writeToRecorder(const char* data, std::size_t size) {
    std::shared_ptr<StreamRecorder> recorder;
    {
        std::lock_guard guard(lock_);
        recorder = recorder_;
    }
    if (!recorder)
        return;
    switch (recorder->offer(data, size)) {
    case StreamRecorder::Offer::accepted:
        return;
    case StreamRecorder::Offer::overflowed:
        // The encoder stopped taking audio (full disk, stalled folder): end the recording and
        // keep playing.
        failRecordingIf(recorder.get(), "recording stopped: the encoder is not keeping up");
        return;
    case StreamRecorder::Offer::failed:
        failRecordingIf(recorder.get(), recorder->failure());
        return;
    }
}

void AudioEngine::releaseFinishedRecorders() {
    std::vector<std::shared_ptr<StreamRecorder>> recorders;
    {
        std::lock_guard guard(lock_);
        recorders.swap(finishedRecorders_);
    }
    // Asked outside the engine lock: isDone takes the recorder's own. The writers of the done
    // ones have ended, so destroying them here only joins.
    std::erase_if(recorders, [](const auto& recorder) { return recorder->isDone(); });
    std::lock_guard guard(lock_);
    finishedRecorders_.insert(finishedRecorders_.end(), std::make_move_iterator(recorders.begin()),
                              std::make_move_iterator(recorders.end()));
}

} // namespace ZazidEvoz
