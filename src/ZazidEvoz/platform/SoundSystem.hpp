// What the machine offers for sound output, seen without opening a device: an attempt on a
// machine without one makes the sound libraries write their errors on standard error.
#pragma once

#include <filesystem>
#include <string>

namespace ZazidEvoz::platform {

struct SoundSystem {
    std::string requestedDriver; // SDL_AUDIODRIVER, which the engine's SDL output follows
    bool pipewire = false;       // a PipeWire server to connect to
    bool pulse = false;          // a PulseAudio server (PipeWire's stand-in included)
    bool alsaPlayback = false;   // an ALSA playback device
};

// Reads the environment, the user's runtime folder and `deviceFolder` anew on every call.
SoundSystem soundSystem(const std::filesystem::path& deviceFolder = "/dev/snd");

} // namespace ZazidEvoz::platform
