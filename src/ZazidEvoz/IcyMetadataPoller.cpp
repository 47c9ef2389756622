#include "IcyMetadataPoller.hpp"

#include "AudioEngine.hpp"
#include "StreamMetadata.hpp"
#include "UserAgent.hpp"
#include "platform/HttpClient.hpp"
#include "platform/Text.hpp"

#include <algorithm>
#include <atomic>

namespace ZazidEvoz {

namespace {

constexpr int maxMetaint = 999999;
constexpr std::size_t maxBlockBytes = 255 * 16; // one length byte counts 16-byte units

// What one poll reads: metaint bytes of audio, the length byte, then the block.
struct BlockReader {
    std::size_t metaint = 0;
    std::size_t skipped = 0;
    std::optional<std::size_t> blockLength;
    std::string block;

    // Takes the next bytes; false once the block is complete (or empty).
    bool take(std::string_view data) {
        std::size_t skip = std::min(metaint - skipped, data.size());
        skipped += skip;
        data.remove_prefix(skip);
        if (data.empty())
            return true;
        if (!blockLength) {
            blockLength = static_cast<unsigned char>(data.front()) * std::size_t(16);
            data.remove_prefix(1);
        }
        block.append(data.substr(0, *blockLength - block.size()));
        return block.size() < *blockLength;
    }
};

} // namespace

struct IcyMetadataPoller::Task {
    std::atomic<bool> cancelled{false};
};

IcyMetadataPoller::IcyMetadataPoller(platform::Poster post, std::shared_ptr<platform::Sleeper> sleeper)
    : post_(std::move(post)), sleeper_(std::move(sleeper)) {}

IcyMetadataPoller::~IcyMetadataPoller() {
    stop();
}

std::optional<int> IcyMetadataPoller::parseMetaint(std::string_view value) {
    auto number = text::wholeDecimal(text::trimmedWhitespace(value));
    if (!number || *number < 1 || *number > maxMetaint)
        return std::nullopt;
    return static_cast<int>(*number);
}

std::optional<std::string> IcyMetadataPoller::parseMetadataBlock(std::string_view block) {
    // Old stations send Latin-1: the same decoding as the engine's log reader, so both agree.
    std::string text = text::decodeLegacyText(block);
    constexpr std::string_view marker = "StreamTitle='";
    auto start = text.find(marker);
    if (start == std::string::npos)
        return std::nullopt;
    start += marker.size();
    auto end = text.find("';", start);
    if (end == std::string::npos) {
        end = text.rfind('\'');
        if (end == std::string::npos || end < start)
            end = text.size();
    }
    std::string value = text.substr(start, end - start);
    std::erase(value, '\0');
    return StreamMetadataParser::clean(value);
}

void IcyMetadataPoller::start(const std::string& url, TitleHandler onTitle) {
    stop();
    if (!platform::isHttpURL(url) || isHlsURL(url))
        return;
    auto task = std::make_shared<Task>();
    task_ = task;
    thread_ =
        std::jthread([this, url, pause = interval, onTitle = std::move(onTitle), task](std::stop_token stop) {
            platform::setCurrentThreadName("ZintraRadio ICY");
            pollLoop(url, pause, onTitle, task, stop);
        });
}

void IcyMetadataPoller::stop() {
    if (task_)
        task_->cancelled = true;
    task_.reset();
    if (thread_.joinable()) {
        thread_.request_stop(); // cancels a transfer or a pause at once
        thread_.join();
    }
}

void IcyMetadataPoller::pollLoop(const std::string& url, std::chrono::duration<double> interval,
                                 const TitleHandler& onTitle, const std::shared_ptr<Task>& task,
                                 std::stop_token stop) {
    std::optional<std::string> lastTitle;
    int misses = 0;
    const auto basePause = std::chrono::duration_cast<std::chrono::milliseconds>(interval);
    while (!stop.stop_requested()) {
        std::optional<std::string> title;
        try {
            platform::HttpRequest request;
            request.url = url;
            request.headers = {"Icy-MetaData: 1"};
            request.userAgent = UserAgent::product;
            request.idleTimeout = std::chrono::seconds(10);
            request.totalTimeout = std::chrono::seconds(10);
            request.maxBodyBytes = maxMetaint + 1 + maxBlockBytes;
            BlockReader reader;
            bool readable = false;
            platform::HttpClient().stream(
                request,
                [&](long, const platform::HttpHeaders& headers) {
                    for (const auto& [name, value] : headers)
                        if (text::lowercased(name) == "icy-metaint")
                            if (auto metaint = parseMetaint(value)) {
                                reader.metaint = static_cast<std::size_t>(*metaint);
                                readable = true;
                            }
                    return readable;
                },
                [&](std::string_view data) { return reader.take(data); }, stop);
            // A stream that ended inside the block still yields what arrived of it.
            if (readable && reader.blockLength && *reader.blockLength > 0)
                title = parseMetadataBlock(reader.block);
        } catch (const platform::HttpError&) {
            // Unreachable, timed out or cancelled: a miss.
        }
        if (stop.stop_requested())
            return;

        auto pause = basePause;
        if (title && !title->empty() && title != lastTitle) {
            lastTitle = title;
            misses = 0;
            post_([onTitle, task, title = *title] {
                if (!task->cancelled)
                    onTitle(title);
            });
        } else if (++misses > 3) {
            pause = 4 * basePause;
        }
        if (!sleeper_->sleepFor(pause, stop))
            return;
    }
}

} // namespace ZazidEvoz
