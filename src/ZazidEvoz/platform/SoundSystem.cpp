#include "SoundSystem.hpp"

#include <cstdlib>
#include <system_error>

namespace ZazidEvoz::platform {

namespace {

std::string environmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// A server's socket in the user's runtime folder.
bool hasSocket(const std::filesystem::path& runtime, const std::filesystem::path& name) {
    std::error_code error;
    return !runtime.empty() && std::filesystem::exists(runtime / name, error);
}

// ALSA names playback devices pcmC<card>D<device>p (capture ones end in c).
bool hasPlaybackDevice(const std::filesystem::path& folder) {
    std::error_code error;
    for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        if (name.starts_with("pcmC") && name.ends_with('p'))
            return true;
    }
    return false;
}

} // namespace

SoundSystem soundSystem(const std::filesystem::path& deviceFolder) {
    const std::filesystem::path runtime = environmentValue("XDG_RUNTIME_DIR");
    SoundSystem sound;
    sound.requestedDriver = environmentValue("SDL_AUDIODRIVER");
    sound.pipewire = !environmentValue("PIPEWIRE_REMOTE").empty() || hasSocket(runtime, "pipewire-0");
    sound.pulse = !environmentValue("PULSE_SERVER").empty() || hasSocket(runtime, "pulse/native");
    sound.alsaPlayback = hasPlaybackDevice(deviceFolder);
    return sound;
}

} // namespace ZazidEvoz::platform
