#include "ZazidEvoz/playback/IcyMetadataPoller.hpp"

#include "EngineTestKit.hpp"
#include "ZazidEvoz/platform/Process.hpp"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>

using namespace ZazidEvoz;
using namespace ZazidEvoz::testkit;
using namespace std::chrono_literals;

namespace {

std::string padded(std::string text) {
    text.resize((text.size() / 16 + 1) * 16, '\0');
    return text;
}

std::string repeated(const std::string& text, int count) {
    std::string result;
    for (int i = 0; i < count; ++i)
        result += text;
    return result;
}

// A station as the old servers send one: no chunks, no length, the body runs until the
// connection closes, in large writes. Every connection gets metaint bytes of audio, one block
// with the title, and a good deal of audio after it.
class RawIcyServer {
public:
    RawIcyServer(std::size_t metaint, const std::string& title,
                 const std::string& statusLine = "HTTP/1.0 200 OK")
        : listener_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(listener_.get(), reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(listener_.get(), 4);
        socklen_t length = sizeof address;
        ::getsockname(listener_.get(), reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        body_ = std::string(metaint, '\0') + icyBlock(title) + std::string(256 * 1024, '\0');
        head_ = statusLine + "\r\ncontent-type: audio/mpeg\r\nicy-metaint: " + std::to_string(metaint) +
                "\r\n\r\n";
        thread_ = std::thread([this] { serve(); });
    }
    ~RawIcyServer() {
        ::shutdown(listener_.get(), SHUT_RDWR);
        thread_.join();
    }
    std::string url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/radio"; }

private:
    void serve() {
        for (;;) {
            platform::UniqueFd connection(::accept4(listener_.get(), nullptr, nullptr, SOCK_CLOEXEC));
            if (!connection)
                return;
            char request[4096];
            [[maybe_unused]] auto read = ::recv(connection.get(), request, sizeof request, 0);
            platform::writeAll(connection.get(), head_.data(), head_.size());
            platform::writeAll(connection.get(), body_.data(), body_.size());
        }
    }

    platform::UniqueFd listener_;
    int port_ = 0;
    std::string head_, body_;
    std::thread thread_;
};

// A poller on a drained queue whose pauses return at once.
struct PollerHarness {
    platform::PostQueue queue;
    std::shared_ptr<platform::RecordingSleeper> sleeper = std::make_shared<platform::RecordingSleeper>();
    std::unique_ptr<IcyMetadataPoller> poller = std::make_unique<IcyMetadataPoller>(queue.poster(), sleeper);
    std::vector<std::string> titles;

    PollerHarness() { poller->interval = std::chrono::seconds(5); }

    void start(const std::string& url) {
        poller->start(url, [this](const std::string& title) { titles.push_back(title); });
    }
    bool waitForPauses(std::size_t count) {
        return queue.drainUntil([&] { return sleeper->pauses().size() >= count; }, 20s);
    }
};

StreamSpec icySpec(std::size_t metaint = 4000) {
    StreamSpec spec;
    spec.media = toneMp3();
    spec.metaint = metaint;
    spec.bytesPerSecond = 0;
    spec.titleInEveryBlock = true;
    return spec;
}

} // namespace

TEST(IcyMetadataPoller, ParsesMetadataBlocks) {
    struct Case {
        std::string block;
        std::optional<std::string> title;
    } cases[] = {
        {padded("StreamTitle='Artist - Song';StreamUrl='';"), "Artist - Song"},
        {padded("StreamTitle='Artist - Song'"), "Artist - Song"},
        {padded("StreamTitle='Rock 'n' Roll - Song';"), "Rock 'n' Roll - Song"},
        {padded("StreamTitle='Open ended"), "Open ended"},
        {padded("StreamUrl='http://x';"), std::nullopt},
        {padded("StreamTitle='';"), std::nullopt},
        {padded("StreamTitle=' unknown ';"), std::nullopt},
        {padded("streamtitle='lower';"), std::nullopt},
        {padded("StreamTitle='Bj\xF6rk - J\xF3ga';"), "Bj\u00F6rk - J\u00F3ga"}, // Latin-1 from an old server
        {padded("StreamTitle='Bj\u00F6rk - J\u00F3ga';"), "Bj\u00F6rk - J\u00F3ga"},
        {padded("StreamTitle='Caf\xE9';"), "Caf\u00E9"}, // Latin-1 to the end
        // Cut inside a character at the end of the block: that character goes.
        {"StreamTitle='Sigur R\xC3\xB3s - Hopp\xC3", "Sigur R\u00F3s - Hopp"},
        {padded("StreamTitle='Sigur R\xC3\xB3s - \xE2\x80"), "Sigur R\u00F3s -"},
        // The longest block holds 4 KiB: a title keeps 1 KiB, whole characters only.
        {"StreamTitle='" + repeated("\u20AC", 1500) + "';", repeated("\u20AC", 341)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IcyMetadataPoller::parseMetadataBlock(c.block), c.title) << c.block;
}

TEST(IcyMetadataPoller, MetaintBounds) {
    struct Case {
        const char* value;
        std::optional<int> metaint;
    } cases[] = {{"16000", 16000},
                 {" +8192 ", 8192},
                 {"1", 1},
                 {"999999", 999999},
                 {"0", std::nullopt},
                 {"1000000", std::nullopt},
                 {"-5", std::nullopt},
                 {"12a", std::nullopt},
                 {"", std::nullopt},
                 {"99999999999999999999", std::nullopt}};
    for (const auto& c : cases)
        EXPECT_EQ(IcyMetadataPoller::parseMetaint(c.value), c.metaint) << c.value;
}

TEST(IcyMetadataPoller, ReportsEachNewTitleOnceAndBacksOff) {
    StreamServer server;
    server.addStream("/radio", icySpec());
    server.setTitle("/radio", "Artist - First");
    server.start();

    PollerHarness h;
    h.start(server.url("/radio"));
    ASSERT_TRUE(h.waitForPauses(6));
    EXPECT_EQ(h.titles, std::vector<std::string>{"Artist - First"});
    auto pauses = h.sleeper->pauses();
    // One new title, then four repeats: the fourth and later repeats wait four times longer.
    std::vector<std::chrono::milliseconds> expected = {5s, 5s, 5s, 5s, 20s, 20s};
    EXPECT_EQ(std::vector<std::chrono::milliseconds>(pauses.begin(), pauses.begin() + 6), expected);

    server.setTitle("/radio", "Artist - Second");
    ASSERT_TRUE(h.queue.drainUntil([&] { return h.titles.size() == 2; }, 20s));
    EXPECT_EQ(h.titles.back(), "Artist - Second");
    std::size_t before = h.sleeper->pauses().size();
    ASSERT_TRUE(h.waitForPauses(before + 1));
    h.poller->stop();
    h.queue.drain();
    EXPECT_EQ(h.titles.size(), 2u);
}

// The first block may be far into the stream: a megabyte away, or more than the idle limit
// (10 s) away on a slow station that never falls silent.
TEST(IcyMetadataPoller, TitlesFarIntoTheStreamArrive) {
    const std::string longTitle = "Artist - " + std::string(5000, 'x'); // the largest block
    RawIcyServer largest(999999, longTitle);
    StreamServer server;
    StreamSpec slow = icySpec(16000);
    slow.bytesPerSecond = 1400; // the first block after 11.4 s
    server.addStream("/slow", slow);
    server.setTitle("/slow", "Artist - Song");
    server.start();
    for (const std::string& url : {largest.url(), server.url("/slow")}) {
        PollerHarness h;
        h.start(url);
        EXPECT_TRUE(h.queue.drainUntil([&] { return !h.titles.empty(); }, 30s)) << url;
    }
}

// Old Shoutcast servers answer with an "ICY 200 OK" status line instead of an HTTP one.
TEST(IcyMetadataPoller, ServersAnsweringWithAnIcyStatusLineGiveTitles) {
    RawIcyServer shoutcast(8192, "Artist - Old Server", "ICY 200 OK");
    PollerHarness h;
    h.start(shoutcast.url());
    ASSERT_TRUE(h.queue.drainUntil([&] { return !h.titles.empty(); }, 20s));
    EXPECT_EQ(h.titles.front(), "Artist - Old Server");
}

TEST(IcyMetadataPoller, StreamsWithoutUsableMetadataAreMisses) {
    StreamServer server;
    StreamSpec noMetadata = icySpec(0); // no icy-metaint header at all
    server.addStream("/plain", noMetadata);
    StreamSpec zero = icySpec();
    zero.metaintHeader = "0";
    server.addStream("/zero", zero);
    StreamSpec emptyFirst = icySpec();
    emptyFirst.emptyFirstBlock = true; // the second block would carry a title
    server.addStream("/empty-first", emptyFirst);
    StreamSpec untitled = icySpec(); // blocks without a StreamTitle
    server.addStream("/untitled", untitled);
    server.start();
    server.setTitle("/empty-first", "Never Seen");

    for (const char* path : {"/plain", "/zero", "/empty-first", "/untitled"}) {
        PollerHarness h;
        h.start(server.url(path));
        ASSERT_TRUE(h.waitForPauses(5)) << path;
        h.poller->stop();
        h.queue.drain();
        EXPECT_TRUE(h.titles.empty()) << path;
        auto pauses = h.sleeper->pauses();
        std::vector<std::chrono::milliseconds> expected = {5s, 5s, 5s, 20s, 20s};
        EXPECT_EQ(std::vector<std::chrono::milliseconds>(pauses.begin(), pauses.begin() + 5), expected)
            << path;
    }
}

TEST(IcyMetadataPoller, PollsOnlyHttpStreamsThatAreNotPlaylists) {
    StreamServer server;
    server.addStream("/live.M3U8", icySpec());
    server.addStream("/radio", icySpec());
    server.setTitle("/radio", "Artist - Song");
    server.start();
    for (std::string url :
         {server.url("/live.M3U8"), std::string("file:///music/song.mp3"), std::string("not a url")}) {
        PollerHarness h;
        h.start(url);
        std::this_thread::sleep_for(200ms);
        h.queue.drain();
        EXPECT_TRUE(h.sleeper->pauses().empty()) << url;
    }
    EXPECT_EQ(server.connections("/live.M3U8"), 0);

    PollerHarness h;
    std::string upper = server.url("/radio");
    upper.replace(0, 4, "HTTP");
    h.start(upper);
    EXPECT_TRUE(h.queue.drainUntil([&] { return !h.titles.empty(); }, 20s));
}

TEST(IcyMetadataPoller, NoTitleAfterStopOrDestruction) {
    StreamServer server;
    server.addStream("/radio", icySpec());
    server.setTitle("/radio", "Artist - Song");
    server.start();
    for (bool destroy : {false, true}) {
        PollerHarness h;
        h.start(server.url("/radio"));
        // The first title is posted before the first pause; stop before it is delivered.
        while (h.sleeper->pauses().empty())
            std::this_thread::sleep_for(1ms);
        if (destroy)
            h.poller.reset();
        else
            h.poller->stop();
        h.queue.drain();
        EXPECT_TRUE(h.titles.empty()) << (destroy ? "destroyed" : "stopped");
    }
}

// An old station's Latin-1 title reads the same from the decoder's log and from the poller,
// so one song is one song change.
TEST(IcyMetadataPoller, AgreesWithTheDecoderLogOnLatin1Titles) {
    StreamServer server;
    StreamSpec spec = icySpec(2000);
    spec.bytesPerSecond = streamBytesPerSecond;
    spec.burstSeconds = 2;
    server.addStream("/radio", spec);
    server.setTitle("/radio", "Bj\xF6rk - J\xF3ga");
    server.start();

    EngineHarness engine;
    engine.engine().play({server.url("/radio"), std::nullopt, true});
    ASSERT_TRUE(engine.waitFor([&] {
        for (const auto& event : engine.metadata())
            if (event.kind == StreamMetadataEvent::Kind::title)
                return true;
        return false;
    }));
    PollerHarness h;
    h.start(server.url("/radio"));
    ASSERT_TRUE(h.queue.drainUntil([&] { return !h.titles.empty(); }, 20s));
    EXPECT_EQ(h.titles.front(), "Bj\u00F6rk - J\u00F3ga");
    auto logged = engine.metadata();
    EXPECT_NE(std::find(logged.begin(), logged.end(), StreamMetadataEvent::title(h.titles.front())),
              logged.end());
}
