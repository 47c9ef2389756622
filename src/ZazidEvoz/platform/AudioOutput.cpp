#include "AudioOutput.hpp"

#include <SDL.h>
#include <algorithm>
#include <cstdio>
#include <dlfcn.h>
#include <mutex>

namespace ZazidEvoz::platform {

namespace {

// Serialises every SDL call of this process and counts the outputs that hold the subsystem.
struct SdlAudio {
    std::mutex mutex;
    int holders = 0;
    int openDevices = 0;
    bool fellBack = false;
};

SdlAudio& sdl() {
    static SdlAudio state;
    return state;
}

// 10 ms per callback: a station is heard at most one period after its first 0.35 s have
// arrived (21 ms at the 1024 frames used before), at twice the wake-ups.
constexpr int callbackFrames = 480;

void ignoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

// alsa-lib writes a page of its own errors while SDL tries devices that are not there (a
// machine without sound); SDL reports the failure to us anyway. The library stays loaded, so
// the handler holds when SDL loads it too.
void quietAlsaLibrary() {
    void* alsa = ::dlopen("libasound.so.2", RTLD_LAZY | RTLD_LOCAL);
    if (alsa == nullptr)
        return;
    using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
    if (auto* setHandler = reinterpret_cast<int (*)(Handler)>(::dlsym(alsa, "snd_lib_error_set_handler")))
        setHandler(&ignoreAlsaError);
}

} // namespace

AudioOutput::AudioOutput(Render render) : render_(std::move(render)) {}

AudioOutput::~AudioOutput() {
    stop();
    std::lock_guard guard(sdl().mutex);
    if (subsystemHeld_ && --sdl().holders == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        sdl().fellBack = false;
    }
}

void AudioOutput::start() {
    std::lock_guard guard(sdl().mutex);
    auto& state = sdl();
    if (!subsystemHeld_) {
        static std::once_flag quieted;
        std::call_once(quieted, quietAlsaLibrary);
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            // No usable driver (none installed, or a wrong SDL_AUDIODRIVER): run on the dummy one.
            SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
            int result = SDL_InitSubSystem(SDL_INIT_AUDIO);
            SDL_ResetHint(SDL_HINT_AUDIODRIVER);
            if (result != 0)
                throw AudioOutputError(SDL_GetError());
        }
        subsystemHeld_ = true;
        ++state.holders;
    }
    if (device_ != 0 && SDL_GetAudioDeviceStatus(device_) == SDL_AUDIO_STOPPED) {
        // The device went away: open the current default anew.
        SDL_CloseAudioDevice(device_);
        device_ = 0;
        --state.openDevices;
    }
    if (device_ == 0) {
        SDL_AudioSpec wanted{}, obtained{};
        wanted.freq = sampleRate;
        wanted.format = AUDIO_F32SYS;
        wanted.channels = channels;
        wanted.samples = callbackFrames;
        wanted.callback = &AudioOutput::callback;
        wanted.userdata = this;
        // The first callback may come before SDL_OpenAudioDevice returns: size the scratch first.
        left_.assign(callbackFrames * 4, 0.0f);
        right_.assign(callbackFrames * 4, 0.0f);
        SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
        if (device == 0 && state.openDevices == 0 && !state.fellBack) {
            std::string firstError = SDL_GetError();
            SDL_AudioQuit();
            if (SDL_AudioInit("dummy") == 0) {
                state.fellBack = true;
                device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
                if (device != 0)
                    std::fprintf(stderr,
                                 "ZintraRadio: no sound device could be opened (%s); playing silently\n",
                                 firstError.c_str());
            }
            if (device == 0)
                throw AudioOutputError(firstError);
        }
        if (device == 0)
            throw AudioOutputError(SDL_GetError());
        device_ = device;
        ++state.openDevices;
    }
    SDL_PauseAudioDevice(device_, 0);
    playing_ = true;
}

void AudioOutput::pause() {
    std::lock_guard guard(sdl().mutex);
    if (device_ != 0)
        SDL_PauseAudioDevice(device_, 1);
    playing_ = false;
}

void AudioOutput::stop() {
    std::lock_guard guard(sdl().mutex);
    if (device_ != 0) {
        // Waits for a callback under way, so the render function is not called afterwards.
        SDL_CloseAudioDevice(device_);
        device_ = 0;
        --sdl().openDevices;
    }
    playing_ = false;
}

bool AudioOutput::isRunning() const {
    std::lock_guard guard(sdl().mutex);
    return device_ != 0 && playing_ && SDL_GetAudioDeviceStatus(device_) == SDL_AUDIO_PLAYING;
}

bool AudioOutput::deviceLost() const {
    std::lock_guard guard(sdl().mutex);
    return device_ != 0 && SDL_GetAudioDeviceStatus(device_) == SDL_AUDIO_STOPPED;
}

std::string AudioOutput::driverName() const {
    std::lock_guard guard(sdl().mutex);
    const char* name = device_ != 0 ? SDL_GetCurrentAudioDriver() : nullptr;
    return name ? name : "";
}

void AudioOutput::callback(void* self, unsigned char* stream, int length) {
    auto* output = static_cast<AudioOutput*>(self);
    std::size_t frames = static_cast<std::size_t>(length) / (sizeof(float) * channels);
    output->fill(reinterpret_cast<float*>(stream), frames);
}

void AudioOutput::fill(float* interleaved, std::size_t frames) {
    const float gain = gain_.load(std::memory_order_relaxed);
    std::size_t done = 0;
    while (done < frames) {
        // SDL may ask for more than one block; render in pieces that fit the scratch.
        std::size_t piece = std::min(frames - done, left_.size());
        bool silence = false;
        render_(left_.data(), right_.data(), piece, silence);
        float* out = interleaved + 2 * done;
        for (std::size_t i = 0; i < piece; ++i) {
            out[2 * i] = left_[i] * gain;
            out[2 * i + 1] = right_[i] * gain;
        }
        done += piece;
    }
}

} // namespace ZazidEvoz::platform
