// The sound output: an SDL2 audio device at 48 kHz, stereo, float, that pulls frames from a
// render function on SDL's real-time thread. When no device opens, SDL's "dummy" driver
// takes its place, so playback, timing and the spectrum go on without sound.
//
// SDL's audio subsystem is process-wide: it is initialised with the first output and shut
// down with the last, and every SDL call made here is serialised by one process-wide mutex.
#pragma once

#include <atomic>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace ZazidEvoz::platform {

class AudioOutputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class AudioOutput {
public:
    // Fills `frames` frames of two separate channels; sets `silence` when it wrote only
    // zeros. Runs on the real-time thread: it must not allocate or block for long.
    using Render = std::function<void(float* left, float* right, std::size_t frames, bool& silence)>;

    static constexpr int sampleRate = 48000;
    static constexpr int channels = 2;

    explicit AudioOutput(Render render);
    ~AudioOutput();
    AudioOutput(const AudioOutput&) = delete;
    AudioOutput& operator=(const AudioOutput&) = delete;

    // Opens the device when needed and lets it run; throws AudioOutputError.
    void start();
    // The device stays open but asks for no frames.
    void pause();
    // Closes the device; start() opens it again.
    void stop();
    // False when paused, closed, or when the device went away (unplugged).
    bool isRunning() const;
    // True when the open device went away (unplugged, sound server gone).
    bool deviceLost() const;
    // Gain on what reaches the device, after the render function (0...1).
    void setGain(float gain) { gain_.store(gain, std::memory_order_relaxed); }
    float gain() const { return gain_.load(std::memory_order_relaxed); }
    // The SDL driver in use ("pulseaudio", "alsa", "dummy", "disk" ...); empty when closed.
    std::string driverName() const;

private:
    static void callback(void* self, unsigned char* stream, int length);
    void fill(float* interleaved, std::size_t frames);

    Render render_;
    std::atomic<float> gain_{0.8f};
    unsigned device_ = 0; // SDL_AudioDeviceID; only touched under the SDL mutex
    bool subsystemHeld_ = false;
    bool playing_ = false;
    // Scratch channels for the render function, sized when the device opens.
    std::vector<float> left_, right_;
};

} // namespace ZazidEvoz::platform
