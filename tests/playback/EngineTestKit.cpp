#include "EngineTestKit.hpp"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace ZazidEvoz::testkit {

EngineHarness::EngineHarness(std::shared_ptr<platform::Sleeper> sleeper,
                             std::shared_ptr<platform::Sleeper> pacing)
    : engine_(std::make_unique<AudioEngine>(queue_.poster(), std::move(sleeper), std::move(pacing))) {
    engine_->onEvent = [this](const EngineEvent& event) {
        events_.push_back(event);
        if (std::getenv("ENGINE_TEST_TRACE"))
            trace(event);
    };
}

void EngineHarness::trace(const EngineEvent& event) {
    static auto start = std::chrono::steady_clock::now();
    double t = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::string text;
    if (auto* state = std::get_if<EngineEvents::State>(&event))
        text = "state " + describe(state->state.kind) + " " + state->state.message;
    else if (auto* metadata = std::get_if<EngineEvents::Metadata>(&event))
        text = "metadata " + metadata->metadata.text;
    else if (auto* reconnect = std::get_if<EngineEvents::Reconnecting>(&event))
        text = "reconnecting " + std::to_string(reconnect->attempt);
    else
        text = "event " + std::to_string(event.index());
    std::fprintf(stderr, "%8.3f %s\n", t, text.c_str());
}

EngineHarness::~EngineHarness() {
    engine_.reset();
    queue_.drain();
}

bool EngineHarness::waitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    return queue_.drainUntil(done, timeout);
}

bool EngineHarness::waitForState(PlaybackState::Kind kind, std::chrono::milliseconds timeout) {
    return waitFor(
        [&] { return engine_->state().kind == kind && !states().empty() && states().back() == kind; },
        timeout);
}

std::vector<PlaybackState::Kind> EngineHarness::states() const {
    std::vector<PlaybackState::Kind> result;
    for (const auto& event : events_)
        if (auto* state = std::get_if<EngineEvents::State>(&event))
            result.push_back(state->state.kind);
    return result;
}

std::vector<StreamMetadataEvent> EngineHarness::metadata() const {
    std::vector<StreamMetadataEvent> result;
    for (const auto& event : events_)
        if (auto* metadata = std::get_if<EngineEvents::Metadata>(&event))
            result.push_back(metadata->metadata);
    return result;
}

std::vector<EngineEvents::Reconnecting> EngineHarness::reconnects() const {
    std::vector<EngineEvents::Reconnecting> result;
    for (const auto& event : events_)
        if (auto* reconnect = std::get_if<EngineEvents::Reconnecting>(&event))
            result.push_back(*reconnect);
    return result;
}

std::string describe(PlaybackState::Kind kind) {
    switch (kind) {
    case PlaybackState::Kind::failed:
        return "failed";
    case PlaybackState::Kind::stopped:
        return "stopped";
    case PlaybackState::Kind::buffering:
        return "buffering";
    case PlaybackState::Kind::playing:
        return "playing";
    case PlaybackState::Kind::paused:
        return "paused";
    }
    return "?";
}

std::size_t loudestBand(const AudioFrame& frame) {
    return static_cast<std::size_t>(std::max_element(frame.bands.begin(), frame.bands.end()) -
                                    frame.bands.begin());
}

} // namespace ZazidEvoz::testkit
