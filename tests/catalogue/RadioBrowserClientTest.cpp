#include "ZazidEvoz/catalogue/RadioBrowserClient.hpp"

#include "ZazidEvoz/platform/HttpClient.hpp"
#include "ZazidEvoz/platform/UniqueFd.hpp"
#include "support/LocalHttpServer.hpp"

#include <arpa/inet.h>
#include <condition_variable>
#include <functional>
#include <gtest/gtest.h>
#include <mutex>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>

using namespace ZazidEvoz;
using namespace std::chrono_literals;
using namespace std::string_literals;

namespace {

// One mirror of the directory on 127.0.0.1 that answers as told and remembers what it was asked.
class Mirror {
public:
    enum class Behaviour { Answer, Unavailable, BadJSON, Stall, Oversized, Trickle, Endless };
    using Answerer = std::function<std::string(const httplib::Request&)>;

    explicit Mirror(
        Behaviour behaviour, Answerer answer = [](const httplib::Request&) { return "[]"; })
        : behaviour_(behaviour), answer_(std::move(answer)) {
        local_.server.Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
            respond(request, response);
        });
        local_.start();
    }
    ~Mirror() { release(); }

    std::string base() const { return local_.url(""); }
    std::vector<std::string> targets() const {
        std::lock_guard lock(mutex_);
        return targets_;
    }
    std::vector<std::string> userAgents() const {
        std::lock_guard lock(mutex_);
        return userAgents_;
    }
    // Waits until `count` requests came in (bounded, so a broken client fails instead of hanging).
    bool waitForRequests(std::size_t count) {
        std::unique_lock lock(mutex_);
        return arrived_.wait_for(lock, 10s, [&] { return targets_.size() >= count; });
    }
    void release() {
        std::lock_guard lock(mutex_);
        released_ = true;
        arrived_.notify_all();
    }

private:
    void respond(const httplib::Request& request, httplib::Response& response) {
        {
            std::lock_guard lock(mutex_);
            targets_.push_back(request.target);
            userAgents_.push_back(request.get_header_value("User-Agent"));
            arrived_.notify_all();
        }
        switch (behaviour_) {
        case Behaviour::Answer:
            response.set_content(answer_(request), "application/json");
            break;
        case Behaviour::Unavailable:
            response.status = 503;
            response.set_content("busy", "text/plain");
            break;
        case Behaviour::BadJSON:
            response.set_content("<html>maintenance</html>", "text/html");
            break;
        case Behaviour::Stall: {
            std::unique_lock lock(mutex_);
            arrived_.wait_for(lock, 10s, [this] { return released_; });
            response.set_content("[]", "application/json");
            break;
        }
        case Behaviour::Oversized:
            response.set_content(std::string(16 * 1024 * 1024 + 1, ' '), "application/json");
            break;
        case Behaviour::Trickle:
            flowBlanks(response, 100ms, 1); // never idle, never done
            break;
        case Behaviour::Endless:
            flowBlanks(response, 50ms, 256); // far more than an idle rule asks, yet never the end
            break;
        }
    }

    // `count` blanks every `interval` until released (and not a type the server would
    // compress, which would hold the blanks back).
    void flowBlanks(httplib::Response& response, std::chrono::milliseconds interval, std::size_t count) {
        response.set_chunked_content_provider(
            "application/octet-stream",
            [this, interval, blanks = std::string(count, ' ')](size_t, httplib::DataSink& sink) {
                std::unique_lock lock(mutex_);
                if (arrived_.wait_for(lock, interval, [this] { return released_; }))
                    return false;
                lock.unlock();
                return sink.write(blanks.data(), blanks.size()) && sink.is_writable();
            });
    }

    Behaviour behaviour_;
    Answerer answer_;
    mutable std::mutex mutex_;
    std::condition_variable arrived_;
    std::vector<std::string> targets_;
    std::vector<std::string> userAgents_;
    bool released_ = false;
    testkit::LocalHttpServer local_;
};

// A port on 127.0.0.1 that is bound but never listens, so connecting to it is refused.
class RefusingPort {
public:
    RefusingPort() : socket_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(socket_.get(), reinterpret_cast<sockaddr*>(&address), sizeof address);
        socklen_t length = sizeof address;
        ::getsockname(socket_.get(), reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
    }
    std::string base() const { return "http://127.0.0.1:" + std::to_string(port_); }

private:
    platform::UniqueFd socket_;
    int port_ = 0;
};

std::string stationsJSON(int count, const std::string& prefix) {
    json::Value array = json::Value::array();
    for (int i = 0; i < count; ++i)
        array.push_back({{"name", prefix + std::to_string(i)},
                         {"url_resolved", "https://streams.example/" + prefix + std::to_string(i)},
                         {"stationuuid", "uuid-" + prefix + std::to_string(i)}});
    return array.dump();
}

std::vector<std::string> names(const std::vector<Station>& stations) {
    std::vector<std::string> list;
    for (const Station& station : stations)
        list.push_back(station.name);
    return list;
}

std::string failureOf(const std::function<void()>& operation) {
    try {
        operation();
    } catch (const RadioBrowserError& error) {
        return error.what();
    }
    return "no failure";
}

} // namespace

TEST(DirectoryRecords, StationsAreTrimmedCappedAndDeduplicated) {
    const char* body = R"json([
      {"stationuuid": "u1", "name": "  Alpha \n", "url_resolved": "   ", "url": "  https://a.example/live  ",
       "tags": " Rock ,, jazz,Pop,  ,a,b,c,d", "countrycode": "at", "codec": "aac+", "bitrate": null,
       "votes": 7, "favicon": " https://a.example/icon.png", "country": "Austria", "unknown": {"x": 1}},
      {"name": "Beta", "url_resolved": "https://b.example/live", "bitrate": 128.0},
      {"name": "Alpha copy", "url": "https://a.example/live"},
      {"name": "   ", "url": "https://c.example/live"},
      {"name": "No address"},
      {"name": "Local file", "url": "file:///etc/passwd"},
      {"name": "Script", "url_resolved": "javascript:alert(1)", "url": "https://d.example/live"},
      {"name": "Option", "url": "-i /etc/passwd"},
      {"name": "Capitals", "url": "HTTP://E.example/live"}
    ])json";
    auto stations = RadioBrowserClient::decodeStations(body);
    ASSERT_EQ(names(stations), (std::vector<std::string>{"Alpha", "Beta", "Capitals"}));

    const Station& alpha = stations[0];
    EXPECT_EQ(alpha.kind, MediaKind::radio);
    EXPECT_EQ(alpha.url, "https://a.example/live");
    EXPECT_EQ(alpha.genre, "Rock, jazz, Pop, a, b, c");
    EXPECT_EQ(alpha.countryCode, "AT");
    EXPECT_EQ(alpha.country, "Austria");
    EXPECT_EQ(alpha.codec, "AAC+");
    EXPECT_EQ(alpha.bitrate, 0);
    EXPECT_EQ(alpha.votes, 7);
    EXPECT_EQ(alpha.faviconURL, " https://a.example/icon.png");
    EXPECT_EQ(alpha.stationUUID, "u1");
    EXPECT_EQ(alpha.uploader, "");
    EXPECT_EQ(alpha.duration, 0);

    EXPECT_EQ(stations[1].bitrate, 128);
    EXPECT_EQ(stations[1].stationUUID, "");
    EXPECT_EQ(stations[1].genre, "");
}

TEST(DirectoryRecords, TextsAreCutToOneLineOfSaneLength) {
    std::string accents;
    for (int i = 0; i < 100000; ++i)
        accents += "e\u0301"; // one character of three bytes
    json::Value answer =
        json::Value::array({{{"name", accents},
                             {"url", "https://a.example/"},
                             {"tags", std::string(2 * 1024 * 1024, 'x')},
                             {"country", accents}},
                            {{"name", "Radio\tWien\u0007 \u0085live\u009b\u0000"s},
                             {"url", "https://b.example/"},
                             {"tags", "rock\u0007, ja\tzz,\u001b"},
                             {"country", "Aus\u0000tria\r\n"s},
                             {"countrycode", "a\u0007t"},
                             {"codec", "mp\u00073"},
                             {"stationuuid", "u\n1"},
                             {"favicon", "https://b.example/icon\u0007.png"}},
                            {{"name", "\u0007\u0008\u007f"}, {"url", "https://c.example/"}}});
    auto stations = RadioBrowserClient::decodeStations(answer.dump());
    ASSERT_EQ(names(stations).size(), 2u) << "a name of control characters alone is no name";

    const std::string cut = accents.substr(0, 1023);
    EXPECT_EQ(stations[0].name, cut);
    EXPECT_EQ(stations[0].country, cut);
    EXPECT_EQ(stations[0].genre, std::string(1024, 'x'));

    const Station& clean = stations[1];
    EXPECT_EQ(clean.name, "Radio Wien  live");
    EXPECT_EQ(clean.genre, "rock, ja zz");
    EXPECT_EQ(clean.country, "Austria  ");
    EXPECT_EQ(clean.countryCode, "AT");
    EXPECT_EQ(clean.codec, "MP3");
    EXPECT_EQ(clean.stationUUID, "u 1");
    EXPECT_EQ(clean.faviconURL, "");

    auto countries = RadioBrowserClient::decodeCountries(
        json::Value::array({{{"name", "Aus\ttria\u0007"}, {"iso_3166_1", "a\u0000t"s}, {"stationcount", 1}},
                            {{"name", accents}, {"iso_3166_1", "de"}}})
            .dump());
    EXPECT_EQ(countries, (std::vector<StationCountry>{{"Aus tria", "AT", 1}, {cut, "DE", 0}}));
    auto tags = RadioBrowserClient::decodeTags(
        json::Value::array({{{"name", "ja\u0007zz\t"}}, {{"name", "\u0007"}}, {{"name", accents}}}).dump());
    EXPECT_EQ(tags, (std::vector<StationTag>{{"jazz", 0}, {cut, 0}}));
}

TEST(DirectoryRecords, AddressesWithControlCharactersOrOverlongNeverBecomeStations) {
    const std::string refused[] = {
        "https://a.example/live\n",      "https://a.example/li\rve",
        "https://a.example/live\0.mp3"s, "https://a.example/\x1b[2J",
        "https://a.example/\x7f",        "https://a.example/" + std::string(platform::maxAddressBytes, 'x'),
    };
    for (const std::string& address : refused) {
        json::Value answer = json::Value::array({{{"name", "Bad"}, {"url_resolved", address}},
                                                 {{"name", "Good"}, {"url", "https://good.example/"}}});
        EXPECT_EQ(names(RadioBrowserClient::decodeStations(answer.dump())), std::vector<std::string>{"Good"})
            << json::Value(address).dump().substr(0, 60);
    }
    std::string longest = "https://a.example/" + std::string(platform::maxAddressBytes - 18, 'x');
    json::Value answer = json::Value::array({{{"name", "Long"}, {"url", longest}}});
    EXPECT_EQ(names(RadioBrowserClient::decodeStations(answer.dump())), std::vector<std::string>{"Long"});
}

TEST(DirectoryRecords, AnswersThatAreNotArraysOfRecordsFail) {
    for (const char* body : {R"({"name": "x"})", "[42]", "<html></html>", ""}) {
        EXPECT_THROW(RadioBrowserClient::decodeStations(body), json::JsonDecodeError) << body;
        EXPECT_THROW(RadioBrowserClient::decodeCountries(body), json::JsonDecodeError) << body;
        EXPECT_THROW(RadioBrowserClient::decodeTags(body), json::JsonDecodeError) << body;
    }
    // A known field of the wrong type fails the whole answer.
    EXPECT_THROW(RadioBrowserClient::decodeStations(R"([{"name": "x", "bitrate": "128"}])"),
                 json::JsonDecodeError);
    EXPECT_THROW(RadioBrowserClient::decodeStations(R"([{"name": "x", "url": 5}])"), json::JsonDecodeError);
    EXPECT_THROW(RadioBrowserClient::decodeCountries(R"([{"stationcount": 1.5}])"), json::JsonDecodeError);
    EXPECT_THROW(RadioBrowserClient::decodeTags(R"([{"name": ["jazz"]}])"), json::JsonDecodeError);
    EXPECT_TRUE(RadioBrowserClient::decodeStations("[]").empty());
}

TEST(DirectoryRecords, CountriesAndTags) {
    auto countries = RadioBrowserClient::decodeCountries(R"([
      {"name": "Austria", "iso_3166_1": "at", "stationcount": 311},
      {"name": "", "iso_3166_1": "DE"}, {"name": "Nowhere"}, {"name": "France", "iso_3166_1": ""},
      {"name": " Germany", "iso_3166_1": "DE", "stationcount": null}])");
    EXPECT_EQ(countries, (std::vector<StationCountry>{{"Austria", "AT", 311}, {" Germany", "DE", 0}}));

    auto tags = RadioBrowserClient::decodeTags(R"([
      {"name": "  jazz ", "stationcount": 12}, {"name": "   "}, {"stationcount": 4}, {"name": "Rock"}])");
    EXPECT_EQ(tags, (std::vector<StationTag>{{"jazz", 12}, {"Rock", 0}}));

    StationCountry austria{"Austria", "AT", 311};
    EXPECT_EQ(stationCountryFromJson(toJson(austria)), austria);
    EXPECT_EQ(austria.id(), "AT");
    EXPECT_THROW(stationTagFromJson(json::parse(R"({"name": "jazz"})")), json::JsonDecodeError);
}

TEST(DirectoryRecords, StreamLinksAndMerge) {
    struct Case {
        const char* text;
        bool link;
    } cases[] = {
        {"HTTP://radio with blanks", true},
        {"HTTPS://x", true},
        {"radio.example/live", true},
        {"radio.example", false},
        {"rock/pop", false},
        {"radio.example/ live", false},
        {"jazz", false},
        {" https://x.example", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RadioBrowserClient::isStreamLink(c.text), c.link) << c.text;

    Station a{MediaKind::radio, "A", "https://a", "", "", "", "", 0, "", 0, "", "", 0, ""};
    Station b = a, bAgain = a, c = a;
    b.name = "B";
    b.url = "https://b";
    bAgain.name = "B'";
    bAgain.url = "https://b";
    c.name = "C";
    c.url = "https://c";
    EXPECT_EQ(names(RadioBrowserClient::merge({a, b}, {bAgain, c})),
              (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_EQ(names(RadioBrowserClient::merge({a, a}, {})), (std::vector<std::string>{"A", "A"}));
}

TEST(RadioBrowserClient, FallsThroughToTheFirstMirrorThatAnswers) {
    RefusingPort refusing;
    Mirror unavailable(Mirror::Behaviour::Unavailable);
    Mirror stalling(Mirror::Behaviour::Stall);
    Mirror oversized(Mirror::Behaviour::Oversized);
    Mirror answering(Mirror::Behaviour::Answer,
                     [](const httplib::Request&) { return stationsJSON(2, "hit"); });
    Mirror spare(Mirror::Behaviour::Answer);
    RadioBrowserClient client({refusing.base(), unavailable.base(), stalling.base(), oversized.base(),
                               answering.base(), spare.base()},
                              500ms);

    auto stations = client.top(2);
    EXPECT_EQ(names(stations), (std::vector<std::string>{"hit0", "hit1"}));
    EXPECT_EQ(unavailable.targets().size(), 1u);
    EXPECT_EQ(stalling.targets().size(), 1u);
    EXPECT_EQ(oversized.targets().size(), 1u);
    EXPECT_EQ(answering.targets(), std::vector<std::string>{"/json/stations/topclick/2?hidebroken=true"});
    EXPECT_TRUE(spare.targets().empty());
    EXPECT_EQ(answering.userAgents().at(0), client.userAgent());
    EXPECT_TRUE(client.userAgent().starts_with("ZintraRadio/1.0 (+https://")) << client.userAgent();
    EXPECT_TRUE(client.userAgent().ends_with(")"));
}

TEST(RadioBrowserClient, ReportsTheLastMirrorsFailure) {
    RefusingPort refusing;
    Mirror unavailable[5] = {Mirror(Mirror::Behaviour::Unavailable), Mirror(Mirror::Behaviour::Unavailable),
                             Mirror(Mirror::Behaviour::Unavailable), Mirror(Mirror::Behaviour::Unavailable),
                             Mirror(Mirror::Behaviour::Unavailable)};
    std::vector<std::string> allUnavailable;
    for (const Mirror& mirror : unavailable)
        allUnavailable.push_back(mirror.base());
    try {
        RadioBrowserClient(allUnavailable).countries();
        ADD_FAILURE() << "no failure";
    } catch (const RadioBrowserError& error) {
        EXPECT_STREQ(error.what(), "radio-browser.info: HTTP 503");
        EXPECT_EQ(error.lastFailure(), "HTTP 503");
    }
    for (const Mirror& mirror : unavailable)
        EXPECT_EQ(mirror.targets().size(), 1u);

    Mirror stalling(Mirror::Behaviour::Stall);
    std::string refusedText = failureOf([&] {
        RadioBrowserClient({unavailable[0].base(), refusing.base()}, 500ms).tags(10);
    });
    EXPECT_NE(refusedText, "radio-browser.info: HTTP 503");
    EXPECT_TRUE(refusedText.starts_with("radio-browser.info: ")) << refusedText;
    EXPECT_EQ(failureOf([&] {
                  RadioBrowserClient({refusing.base(), unavailable[0].base()}, 500ms).tags(10);
              }),
              "radio-browser.info: HTTP 503");
    EXPECT_EQ(failureOf([&] {
                  RadioBrowserClient({refusing.base(), stalling.base()}, 500ms).tags(10);
              }),
              "radio-browser.info: The request timed out.");
    EXPECT_EQ(failureOf([] {
                  RadioBrowserClient({"ftp://mirror.example", ""}).tags(10);
              }),
              "radio-browser.info: not reachable");
    EXPECT_EQ(failureOf([] { RadioBrowserClient(std::vector<std::string>{}).tags(10); }),
              "radio-browser.info: not reachable");
}

TEST(RadioBrowserClient, TricklingMirrorIsPassedOverWithinOneTimeBudget) {
    // A byte now and then is no answer: the mirror fails after the idle span like a silent one,
    // and the next is asked.
    Mirror trickling(Mirror::Behaviour::Trickle);
    Mirror answering(Mirror::Behaviour::Answer,
                     [](const httplib::Request&) { return stationsJSON(1, "hit"); });
    RadioBrowserClient client({trickling.base(), answering.base()}, 500ms, 10s);
    EXPECT_EQ(names(client.top(5)), std::vector<std::string>{"hit0"});
    EXPECT_EQ(trickling.targets().size(), 1u);

    // Mirrors that stay silent for less than the idle span share the one budget: each is asked
    // within its share, and the walk fails once the budget is spent (a stalled mirror would
    // answer after 10 s).
    Mirror stalling[3] = {Mirror(Mirror::Behaviour::Stall), Mirror(Mirror::Behaviour::Stall),
                          Mirror(Mirror::Behaviour::Stall)};
    RadioBrowserClient patient({stalling[0].base(), stalling[1].base(), stalling[2].base()}, 20s, 1500ms);
    EXPECT_EQ(failureOf([&] { patient.top(5); }), "radio-browser.info: The request timed out.");
    for (const Mirror& mirror : stalling)
        EXPECT_EQ(mirror.targets().size(), 1u);
}

TEST(RadioBrowserClient, AMirrorThatNeverFinishesLeavesTheNextItsShareOfTheBudget) {
    // Quick enough for the idle rule but never done: the mirror may take its share of the
    // budget, not the whole of it.
    Mirror endless(Mirror::Behaviour::Endless);
    Mirror answering(Mirror::Behaviour::Answer,
                     [](const httplib::Request&) { return stationsJSON(1, "hit"); });
    RadioBrowserClient client({endless.base(), answering.base()}, 1s, 4s);
    std::vector<Station> stations;
    EXPECT_NO_THROW(stations = client.top(5));
    EXPECT_EQ(names(stations), std::vector<std::string>{"hit0"});
    EXPECT_EQ(endless.targets().size(), 1u);
}

TEST(RadioBrowserClient, AnAnswerThatIsNotJSONEndsTheRequest) {
    Mirror bad(Mirror::Behaviour::BadJSON);
    Mirror good(Mirror::Behaviour::Answer, [](const httplib::Request&) { return stationsJSON(1, "x"); });
    RadioBrowserClient client({bad.base(), good.base()});
    EXPECT_THROW(client.byTag("jazz", 10), json::JsonDecodeError);
    EXPECT_TRUE(good.targets().empty());
}

TEST(RadioBrowserClient, RequestsOnTheWire) {
    Mirror mirror(Mirror::Behaviour::Answer);
    RadioBrowserClient client({mirror.base()});
    struct Case {
        std::function<void()> call;
        const char* target;
    } cases[] = {
        {[&] { client.search("AC/DC & Friends+ ", 20); },
         "/json/stations/"
         "search?hidebroken=true&limit=20&name=AC%2FDC%20%26%20Friends%2B&order=clickcount&reverse=true"},
        {[&] { client.byCountry("de", 150); },
         "/json/stations/search?countrycode=DE&hidebroken=true&limit=150&order=clickcount&reverse=true"},
        {[&] { client.byTag("Hip Hop", 100); },
         "/json/stations/search?hidebroken=true&limit=100&order=clickcount&reverse=true&tag=hip%20hop"},
        {[&] { client.top(100); }, "/json/stations/topclick/100?hidebroken=true"},
        {[&] { client.topVoted(100); }, "/json/stations/topvote/100?hidebroken=true"},
        {[&] { client.byStreamURL(" http://x.example/a?b=c&d \n"); },
         "/json/stations/byurl?url=http%3A%2F%2Fx.example%2Fa%3Fb%3Dc%26d"},
        {[&] { client.countries(); }, "/json/countries?hidebroken=true&order=stationcount&reverse=true"},
        {[&] { client.tags(120); }, "/json/tags?hidebroken=true&limit=120&order=stationcount&reverse=true"},
    };
    std::size_t seen = 0;
    for (const Case& c : cases) {
        c.call();
        auto targets = mirror.targets();
        ASSERT_GT(targets.size(), seen);
        EXPECT_EQ(targets[seen], c.target);
        seen = targets.size();
    }
}

TEST(RadioBrowserClient, SearchDecisions) {
    int nameHits = 11;
    bool tagSearchFails = false;
    Mirror mirror(Mirror::Behaviour::Answer, [&](const httplib::Request& request) -> std::string {
        if (request.has_param("name"))
            return stationsJSON(nameHits, "name");
        if (request.has_param("tag")) {
            if (tagSearchFails)
                return "not json";
            // One tag hit repeats a name hit's stream.
            json::Value hits = json::parse(stationsJSON(3, "tag"));
            hits[0]["url_resolved"] = "https://streams.example/name0";
            return hits.dump();
        }
        if (request.path.starts_with("/json/stations/topclick/"))
            return stationsJSON(1, "top");
        return stationsJSON(1, "byurl");
    });
    RadioBrowserClient client({mirror.base()});
    auto lastTargets = [&](std::size_t before) {
        auto all = mirror.targets();
        return std::vector<std::string>(all.begin() + std::ptrdiff_t(before), all.end());
    };

    std::size_t before = mirror.targets().size();
    EXPECT_EQ(names(client.search(" \t\n", 5)), std::vector<std::string>{"top0"});
    EXPECT_EQ(lastTargets(before), std::vector<std::string>{"/json/stations/topclick/100?hidebroken=true"});

    for (const char* link : {"HTTPS://Radio.example/live now", "radio.example/live"}) {
        before = mirror.targets().size();
        EXPECT_EQ(names(client.search(link, 5)), std::vector<std::string>{"byurl0"}) << link;
        auto targets = lastTargets(before);
        ASSERT_EQ(targets.size(), 1u);
        EXPECT_TRUE(targets[0].starts_with("/json/stations/byurl?url=")) << targets[0];
    }

    before = mirror.targets().size();
    auto topped = client.search("Jazz", 30);
    EXPECT_EQ(topped.size(), 13u);
    EXPECT_EQ(topped[11].name, "tag1");
    auto targets = lastTargets(before);
    ASSERT_EQ(targets.size(), 2u);
    EXPECT_EQ(targets[1],
              "/json/stations/search?hidebroken=true&limit=60&order=clickcount&reverse=true&tag=jazz");

    tagSearchFails = true;
    EXPECT_EQ(client.search("Jazz", 30).size(), 11u) << "a failed top-up leaves the name hits";

    nameHits = 12;
    before = mirror.targets().size();
    EXPECT_EQ(client.search("Jazz", 30).size(), 12u);
    EXPECT_EQ(lastTargets(before).size(), 1u) << "twelve name hits need no tag search";
}

TEST(RadioBrowserClient, ClickReports) {
    Mirror mirror(Mirror::Behaviour::Answer);
    Station local;
    local.url = "https://example.org/mine";
    Station listed = local;
    listed.stationUUID = "9617a958-0601-11e8-ae97-52543be04c81/../x y";
    {
        RadioBrowserClient client({mirror.base()});
        client.countClick(local);
        client.countClick(listed);
        ASSERT_TRUE(mirror.waitForRequests(1));
    }
    EXPECT_EQ(mirror.targets(),
              std::vector<std::string>{"/json/url/9617a958-0601-11e8-ae97-52543be04c81%2F..%2Fx%20y"});

    // A report still waiting for a stalled mirror does not hold up the client's end.
    Mirror stalling(Mirror::Behaviour::Stall);
    auto started = std::chrono::steady_clock::now();
    {
        RadioBrowserClient client({stalling.base()});
        client.countClick(listed);
        ASSERT_TRUE(stalling.waitForRequests(1));
    }
    EXPECT_LT(std::chrono::steady_clock::now() - started, 5s);
}

TEST(RadioBrowserClient, CancellingStopsAtTheCurrentMirror) {
    Mirror stalling(Mirror::Behaviour::Stall);
    Mirror answering(Mirror::Behaviour::Answer);
    RadioBrowserClient client({stalling.base(), answering.base()});
    std::stop_source stop;
    std::thread canceller([&] {
        if (stalling.waitForRequests(1))
            stop.request_stop();
    });
    try {
        client.search("jazz", 10, stop.get_token());
        ADD_FAILURE() << "no failure";
    } catch (const platform::HttpError& error) {
        EXPECT_EQ(error.kind(), platform::HttpErrorKind::Cancelled);
    }
    canceller.join();
    EXPECT_TRUE(answering.targets().empty());
}
