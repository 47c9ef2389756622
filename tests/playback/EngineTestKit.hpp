// Shared helpers of the engine tests: generated streams, an engine wired to a drained
// main-thread queue, the events it reported, and a look at the analyser's frames.
#pragma once

#include "ZazidEvoz/playback/AudioEngine.hpp"
#include "support/Media.hpp"
#include "support/StreamServer.hpp"

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ZazidEvoz::testkit {

// An engine whose events are collected on the test thread.
class EngineHarness {
public:
    // `sleeper` and `pacing` go to the engine: its reconnect pauses and its decoders' rests.
    explicit EngineHarness(std::shared_ptr<platform::Sleeper> sleeper = platform::systemSleeper(),
                           std::shared_ptr<platform::Sleeper> pacing = platform::systemSleeper());
    ~EngineHarness();

    AudioEngine& engine() { return *engine_; }
    // Runs posted work until `done` holds; false after `timeout`.
    bool waitFor(const std::function<bool()>& done,
                 std::chrono::milliseconds timeout = std::chrono::seconds(15));
    bool waitForState(PlaybackState::Kind kind, std::chrono::milliseconds timeout = std::chrono::seconds(15));
    void drain() { queue_.drain(); }
    void destroyEngine() { engine_.reset(); }

    const std::vector<EngineEvent>& events() const { return events_; }
    // The states reported, in order.
    std::vector<PlaybackState::Kind> states() const;
    std::vector<StreamMetadataEvent> metadata() const;
    std::vector<EngineEvents::Reconnecting> reconnects() const;
    template <typename Event> int count() const {
        int n = 0;
        for (const auto& event : events_)
            n += std::holds_alternative<Event>(event);
        return n;
    }

private:
    // With ENGINE_TEST_TRACE set, every event is printed with its time (for debugging).
    static void trace(const EngineEvent& event);

    platform::PostQueue queue_;
    std::unique_ptr<AudioEngine> engine_;
    std::vector<EngineEvent> events_;
};

std::string describe(PlaybackState::Kind kind);

// The band with the highest level.
std::size_t loudestBand(const AudioFrame& frame);

} // namespace ZazidEvoz::testkit
