// Plays one source at a time: an ffmpeg child decodes it to raw 48 kHz stereo float PCM, a
// decoder thread pumps that into the sample ring, and the output's real-time thread plays
// it from there. Live streams that break are reconnected with growing pauses. Every change
// is reported as an EngineEvent through the injected main-thread poster.
//
// Threads: the main thread calls every public operation and receives every event; one
// decoder thread per play ("ZR decoder"), which reads each decoder's output and
// log; the output's real-time thread (render). A playback generation, bumped by every play,
// stop and failure, retires the threads of older playbacks.
//
// Titles from the decoder's log are held until their audio has gone by: TitleInStream once
// the recorder has all audio before it, Metadata once it is heard.
#pragma once

#include "EngineTypes.hpp"
#include "SampleRing.hpp"
#include "ScopeBuffer.hpp"
#include "SpectrumAnalyzer.hpp"
#include "StreamRecorder.hpp"
#include "ZazidEvoz/platform/AudioOutput.hpp"
#include "ZazidEvoz/platform/Process.hpp"
#include "ZazidEvoz/platform/Threads.hpp"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace ZazidEvoz {

// The ffmpeg input format ("mp3", "aac", "ogg", "flac") for an HTTP Content-Type; absent
// for a type that does not name one (HLS playlists, octet streams, video).
std::optional<std::string> inputFormatForContentType(std::string_view contentType);

// True for an HLS playlist URL (".m3u8" anywhere in it, any letter case).
bool isHlsURL(std::string_view url);

// The decoder's command line after the executable: log settings, the input part, then raw
// PCM to standard output. With a feeder the input is "pipe:0". For an HTTP stream whose
// format is known the format is forced and probing is kept short: radio servers start
// streams mid-frame, and ffmpeg would otherwise probe for seconds at the stream's pace.
std::vector<std::string> decoderArguments(const PlaybackSource& source,
                                          const std::optional<std::string>& inputFormat = std::nullopt);

class AudioEngine {
public:
    static constexpr double sampleRate = 48000.0;
    static constexpr int maxReconnects = 6;
    static constexpr std::size_t primeFrames = 16800;   // 0.35 s before output starts
    static constexpr std::size_t ringCapacity = 192000; // samples: 2 s of stereo audio

    using EventHandler = std::function<void(const EngineEvent&)>;

    // `post` runs work on the main thread; `sleeper` waits out the reconnect pauses, `pacing`
    // the decoder's short rests while the ring is full and while it plays out its last audio.
    explicit AudioEngine(platform::Poster post,
                         std::shared_ptr<platform::Sleeper> sleeper = platform::systemSleeper(),
                         std::shared_ptr<platform::Sleeper> pacing = platform::systemSleeper());
    // Stops and joins every thread and kills every child; no event is delivered afterwards.
    ~AudioEngine();
    AudioEngine(const AudioEngine&) = delete;
    AudioEngine& operator=(const AudioEngine&) = delete;

    // Set once, on the main thread, before playing.
    EventHandler onEvent;
    // How long a stream's decoder may go without audio before the attempt counts as failed
    // (a station that takes the connection and never answers); read by play() and resume().
    std::chrono::milliseconds answerTime{12000};

    void play(const PlaybackSource& source);
    // The item playing now turned out to be live or not after it started (its details came
    // later): decides whether its end reconnects or ends the play.
    void setCurrentSourceLive(bool live);
    void stop();
    // A live source does not wait while paused: its decoder (or its reconnecting) ends, and
    // resume() starts it again at the live point. Anything else resumes where it paused.
    void pause();
    void resume();

    float volume() const;
    void setVolume(float volume);
    bool muted() const;
    void setMuted(bool muted);
    double elapsed() const; // seconds actually played since the last play or stop
    PlaybackState state() const;

    SpectrumAnalyzer& analyzer() { return analyzer_; }

    // Records what plays to an MP3 file with title and artist tags. When `file` exists,
    // " (2)", " (3)" ... go before its extension; recordingStarted names the file used.
    // Throws EngineError (nothing playing, no ffmpeg, encoder not started) or the
    // filesystem error of creating the folder.
    void startRecording(const std::filesystem::path& file, const std::optional<std::string>& title,
                        const std::optional<std::string>& artist);
    // Ends the recording; returns its file, or nothing when none was running.
    std::optional<std::filesystem::path> stopRecording();
    bool isRecording() const;
    std::optional<std::filesystem::path> currentRecordingURL() const;

    // The output device changed or went away: reopen it, and play on if something plays.
    void outputConfigurationChanged();

    // The output's render function: takes frames from the ring into two channels. Called on
    // the real-time thread, where it touches atomics and the ring only: no lock, no allocation,
    // no post. Public so that the render rules can be driven directly.
    void render(float* left, float* right, std::size_t frames, bool& silence);
    // What is waiting in the ring, in samples.
    std::size_t bufferedSamples() const { return ring_.count(); }

private:
    struct StreamResult {
        bool clean = true;
        std::string message; // for a failure
        bool hadAudio = false;
    };
    // A title from the decoder's log, waiting for its audio: first to be pumped (the recorder
    // then has all that came before it), then to be heard.
    struct PendingTitle {
        std::uint64_t generation = 0;
        std::string title;
        std::uint64_t frame = 0; // its run's count of pumped frames at which its audio begins
        bool pumped = false;
    };
    struct DecoderLog;

    bool isCurrent(std::uint64_t generation) const;
    // Whether the play of `generation` reconnects at its end: as said since it started, else
    // as its source said.
    bool isLive(std::uint64_t generation, const PlaybackSource& source) const;
    void setState(const PlaybackState& state);
    // Buffering again for the next attempt at a live stream, unless paused.
    void setReconnecting();
    void report(EngineEvent event);
    void fail(std::uint64_t generation, const std::string& message);
    void killProcesses();
    void startEngineIfNeeded();
    void applyGain();
    void retireFinishedRuns();
    // Ends the recording and starts a new generation: the running decoder threads are asked
    // to stop, their children killed, the ring and the analyser emptied. Returns the generation.
    std::uint64_t retireCurrentPlayback();
    // The output watch: tells the application what the output thread found (the ring ran
    // dry) and looks for a lost device.
    void watchOutput(std::stop_token stop);
    void reportRanDry();
    std::optional<std::filesystem::path> finishRecording();
    // Ends the recording with a failure, only if it is still `recorder`.
    void failRecordingIf(const StreamRecorder* recorder, const std::string& message);
    void writeToRecorder(const char* data, std::size_t size);
    void releaseFinishedRecorders();

    void startDecoder(std::uint64_t generation, const PlaybackSource& source, const std::string& ffmpeg);
    void runLoop(std::uint64_t generation, const PlaybackSource& source, const std::string& ffmpeg,
                 std::chrono::milliseconds answerTime, std::stop_token stop);
    // `pumpedFrames` counts the frames the run of `generation` took from its decoders, over
    // all its attempts. It is the run's own, kept on its decoder thread: a retired run may
    // still read what was left in its pipe, and that must not move a newer run's titles.
    StreamResult stream(std::uint64_t generation, const PlaybackSource& source, const std::string& ffmpeg,
                        const std::optional<std::string>& inputFormat, std::chrono::milliseconds answerTime,
                        std::uint64_t& pumpedFrames, std::stop_token stop);
    // Takes the decoder's output into the ring and the recorder, and reads its log meanwhile.
    // Returns whether audio arrived. With a deadline, gives up (setting `gaveUp`) when no
    // audio has arrived by then.
    bool pump(std::uint64_t generation, int fd, DecoderLog& log,
              std::optional<std::chrono::steady_clock::time_point> deadline, bool& gaveUp,
              std::uint64_t& pumpedFrames, std::stop_token stop);
    // The input format of an HTTP stream: remembered, or asked of the server once.
    std::optional<std::string> streamFormat(const PlaybackSource& source, std::stop_token stop);
    void forgetStreamFormat(const std::string& url);
    // Reads what the decoder's log holds: station names and formats are reported at once,
    // titles wait in pendingTitles_ for their audio (the run's pumped frames and the decoder's
    // output pipe, or -1, tell how much audio comes before them). False at the log's end.
    bool readLog(std::uint64_t generation, DecoderLog& log, int outputFd, std::uint64_t pumpedFrames);
    // Reports the pending titles of `generation` whose audio has been pumped, and those whose
    // audio has been heard; `samplesOutsideRing` were pumped but are not in the ring yet.
    void reportTitles(std::uint64_t generation, std::uint64_t pumpedFrames,
                      std::size_t samplesOutsideRing = 0);
    // How long until the next pending title of `generation` is heard (max when none is due).
    std::chrono::milliseconds untilNextTitleHeard(std::uint64_t generation, std::uint64_t pumpedFrames) const;
    // Reports every pending title of `generation` as pumped, and as heard too when `heard`.
    void reportAllTitles(std::uint64_t generation, bool heard);

    platform::Poster post_;
    std::shared_ptr<platform::Sleeper> sleeper_;
    platform::LifetimeGuard lifetime_;

    SampleRing ring_{ringCapacity}; // own lock
    ScopeBuffer scope_;             // own lock
    SpectrumAnalyzer analyzer_;     // main thread only

    mutable std::mutex lock_; // the engine lock; never held while calling out
    // Guarded by lock_:
    std::uint64_t generation_ = 0;
    std::shared_ptr<platform::Process> decoder_;
    std::shared_ptr<platform::Process> feeder_;
    PlaybackState currentState_ = PlaybackState::stopped();
    std::optional<bool> currentLive_; // set by setCurrentSourceLive for the current generation
    float userVolume_ = 0.8f;
    bool isMuted_ = false;
    std::shared_ptr<StreamRecorder> recorder_;                       // the recording being fed
    std::vector<std::shared_ptr<StreamRecorder>> finishedRecorders_; // still writing out their files
    std::deque<PendingTitle> pendingTitles_;                         // in the order found

    // Read and changed by the output thread, which takes no lock; elsewhere written under
    // lock_ where they go together with the fields above.
    std::atomic<bool> paused_{false};
    std::atomic<bool> primed_{false};
    std::atomic<bool> draining_{false};
    // Frames played since the last play or stop, in the low 48 bits; the high 16 count those
    // resets, so that frames read from the ring before one cannot be added after it.
    static constexpr int playedResetShift = 48;
    std::atomic<std::uint64_t> playedFrames_{0};
    // Set by the output thread when the ring ran short while primed; the output watch, woken
    // through outputWatchWakeup_, reports it.
    std::atomic<bool> ranDry_{false};
    platform::Wakeup outputWatchWakeup_;

    // Decoder threads: formats learned from the servers' Content-Type, by stream URL
    // (an absent value: the server named none). Guarded by formatsLock_.
    std::mutex formatsLock_;
    std::map<std::string, std::optional<std::string>> streamFormats_;

    // Main thread only: what plays, for resume() to start a live source again.
    PlaybackSource playing_;
    std::string decoderTool_;
    bool restartOnResume_ = false;

    // Main thread only: the decoder threads that may still be winding down.
    std::vector<platform::WorkerThread> runs_;
    // Decoder threads: the rests of the pump and of the drain.
    std::shared_ptr<platform::Sleeper> pacing_;

    // Reports what the output thread found and looks for a lost output device.
    std::jthread outputWatch_;

    // Last, so it closes first: no render call reaches a half-destroyed engine.
    platform::AudioOutput output_;
};

} // namespace ZazidEvoz
