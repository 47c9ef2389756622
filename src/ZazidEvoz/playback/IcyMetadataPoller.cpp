#include "IcyMetadataPoller.hpp"

#include "AudioEngine.hpp"
#include "StreamMetadata.hpp"
#include "ZazidEvoz/core/UserAgent.hpp"
#include "ZazidEvoz/platform/HttpClient.hpp"
#include "ZazidEvoz/platform/Text.hpp"

#include <algorithm>

namespace ZazidEvoz {

namespace {

constexpr int maxMetaint = 999999;
constexpr std::size_t maxBlockBytes = 255 * 16; // one length byte counts 16-byte units
constexpr std::size_t pieceSlack = 256 * 1024;

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

// A value that runs to the end of its block was cut there, maybe inside a character: that
// character goes, rather than the whole title reading as Windows-1252.
std::string withoutCutCharacter(std::string value) {
    std::size_t lead = value.size();
    int continuations = 0;
    while (lead > 0 && continuations < 3 && (static_cast<unsigned char>(value[lead - 1]) & 0xC0) == 0x80) {
        --lead;
        ++continuations;
    }
    if (lead == 0)
        return value;
    auto first = static_cast<unsigned char>(value[lead - 1]);
    int length = first >= 0xF0 ? 4 : first >= 0xE0 ? 3 : first >= 0xC0 ? 2 : 1;
    --lead;
    if (length > continuations + 1 && text::isValidUtf8(std::string_view(value).substr(0, lead)))
        value.resize(lead);
    return value;
}

} // namespace

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
    constexpr std::string_view marker = "StreamTitle='";
    auto start = block.find(marker);
    if (start == std::string_view::npos)
        return std::nullopt;
    start += marker.size();
    auto end = block.find("';", start);
    bool cut = false;
    if (end == std::string_view::npos) {
        end = block.rfind('\'');
        if (end == std::string_view::npos || end < start) {
            end = block.size();
            cut = true;
        }
    }
    std::string value(block.substr(start, end - start));
    std::erase(value, '\0');
    if (cut)
        value = withoutCutCharacter(std::move(value));
    // Old stations send Latin-1: the same decoding as the engine's log reader, so both agree.
    return StreamMetadataParser::cleanTitle(text::decodeLegacyText(value));
}

void IcyMetadataPoller::start(const std::string& url, TitleHandler onTitle) {
    stop();
    if (!platform::isHttpURL(url) || isHlsURL(url))
        return;
    thread_ = std::jthread([this, url, pause = interval, onTitle = std::move(onTitle)](std::stop_token stop) {
        platform::setCurrentThreadName("ZR ICY");
        pollLoop(url, pause, onTitle, stop);
    });
}

void IcyMetadataPoller::stop() {
    if (thread_.joinable()) {
        thread_.request_stop(); // cancels a transfer or a pause at once, and drops a title on its way
        thread_.join();
    }
}

void IcyMetadataPoller::pollLoop(const std::string& url, std::chrono::duration<double> interval,
                                 const TitleHandler& onTitle, std::stop_token stop) {
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
            // A slow station may take longer than that to reach its first block: only a
            // silent one is given up. The total only stops one that trickles for ever.
            request.idleTimeout = std::chrono::seconds(10);
            request.totalTimeout = std::chrono::minutes(30);
            // The transfer is stopped inside the piece that completes the block, and the
            // cap counts whole pieces: leave room for one.
            request.maxBodyBytes = maxMetaint + 1 + maxBlockBytes + pieceSlack;
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
            post_([onTitle, stop, title = *title] {
                if (!stop.stop_requested())
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
