// Reads now-playing titles from a station's in-band ICY metadata: every few seconds it opens
// its own short connection to the stream, skips to the first metadata block, reads the
// StreamTitle and reports a title that differs from the last one it reported. After four
// polls in a row without anything new it polls four times less often.
#pragma once

#include "ZazidEvoz/platform/Threads.hpp"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <thread>

namespace ZazidEvoz {

class IcyMetadataPoller {
public:
    using TitleHandler = std::function<void(const std::string& title)>;

    // `post` runs the title handler on the main thread; `sleeper` waits out the pauses.
    explicit IcyMetadataPoller(platform::Poster post,
                               std::shared_ptr<platform::Sleeper> sleeper = platform::systemSleeper());
    // Stops polling; no title is reported afterwards.
    ~IcyMetadataPoller();
    IcyMetadataPoller(const IcyMetadataPoller&) = delete;
    IcyMetadataPoller& operator=(const IcyMetadataPoller&) = delete;

    // Base pause between polls; read when polling starts.
    std::chrono::duration<double> interval{15.0};

    // Main thread. Polls `url` (http or https, not an HLS playlist) until stop() or the next
    // start(); `onTitle` runs on the main thread.
    void start(const std::string& url, TitleHandler onTitle);
    // Main thread. Ends polling; a title already on its way is dropped.
    void stop();

    // The value of an "icy-metaint" header: 1 to 999999, else nothing.
    static std::optional<int> parseMetaint(std::string_view value);
    // The StreamTitle of a metadata block (decoded: UTF-8, else Windows-1252; a character cut
    // off at the end of the block dropped), at most 1024 bytes, cleaned.
    static std::optional<std::string> parseMetadataBlock(std::string_view block);

private:
    void pollLoop(const std::string& url, std::chrono::duration<double> interval, const TitleHandler& onTitle,
                  std::stop_token stop);

    platform::Poster post_;
    std::shared_ptr<platform::Sleeper> sleeper_;
    std::jthread thread_; // main thread only; its stop also drops a title on its way
};

} // namespace ZazidEvoz
