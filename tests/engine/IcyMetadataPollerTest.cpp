#include "ZazidEvoz/IcyMetadataPoller.hpp"

#include "EngineTestKit.hpp"

#include <gtest/gtest.h>
#include <thread>

using namespace ZazidEvoz;
using namespace ZazidEvoz::testkit;
using namespace std::chrono_literals;

namespace {

std::string padded(std::string text) {
    text.resize((text.size() / 16 + 1) * 16, '\0');
    return text;
}

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
