// The values through which the program talks to the audio engine: what to play, the
// playback state, the events the engine reports and the errors it throws.
#pragma once

#include "StreamMetadata.hpp"

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace ZazidEvoz {

struct PlaybackSource {
    std::string url; // what the decoder opens; carried along but not opened when a feeder runs
    std::optional<std::vector<std::string>> feeder; // executable and arguments whose output is the media
    bool live = false; // reconnect when it breaks, never "ended"

    bool hasFeeder() const { return feeder && !feeder->empty(); }
    friend bool operator==(const PlaybackSource&, const PlaybackSource&) = default;
};

struct PlaybackState {
    enum class Kind { failed, stopped, buffering, playing, paused };
    Kind kind = Kind::stopped;
    std::string message; // the failure text; empty for the other kinds

    static PlaybackState failed(std::string message) { return {Kind::failed, std::move(message)}; }
    static PlaybackState stopped() { return {Kind::stopped, {}}; }
    static PlaybackState buffering() { return {Kind::buffering, {}}; }
    static PlaybackState playing() { return {Kind::playing, {}}; }
    static PlaybackState paused() { return {Kind::paused, {}}; }

    bool isActive() const { return kind == Kind::buffering || kind == Kind::playing || kind == Kind::paused; }
    friend bool operator==(const PlaybackState& a, const PlaybackState& b) {
        return a.kind == b.kind && (a.kind != Kind::failed || a.message == b.message);
    }
};

// The events, one type per case.
namespace EngineEvents {
struct State {
    PlaybackState state;
};
struct Metadata {
    StreamMetadataEvent metadata;
};
struct Reconnecting {
    int attempt = 0;
    int of = 0;
};
struct RecordingStarted {
    std::filesystem::path url;
};
struct RecordingSaved {
    std::filesystem::path url;
};
struct RecordingFailed {
    std::string message;
};
struct Ended {};
// An in-band title whose audio the decoder has now delivered: what is recorded from here on
// belongs to that song. The same title follows as Metadata once its audio is heard.
struct TitleInStream {
    std::string title;
};
} // namespace EngineEvents

using EngineEvent =
    std::variant<EngineEvents::State, EngineEvents::Metadata, EngineEvents::Reconnecting,
                 EngineEvents::RecordingStarted, EngineEvents::RecordingSaved, EngineEvents::RecordingFailed,
                 EngineEvents::Ended, EngineEvents::TitleInStream>;

class EngineError : public std::runtime_error {
public:
    enum class Kind { missingTool, recorderFailed, notPlaying };

    // "<tool> not found - <install hint>"
    static EngineError missingTool(const std::string& tool);
    static EngineError recorderFailed(const std::string& message);
    static EngineError notPlaying();

    Kind kind() const { return kind_; }

private:
    EngineError(Kind kind, const std::string& description) : std::runtime_error(description), kind_(kind) {}
    Kind kind_;
};

} // namespace ZazidEvoz
