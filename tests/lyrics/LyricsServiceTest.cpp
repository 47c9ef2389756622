#include "ZazidEvoz/lyrics/LyricsService.hpp"

#include "ZazidEvoz/platform/FaultInjection.hpp"
#include "support/LyricsSite.hpp"
#include "support/Sandbox.hpp"

#include <atomic>
#include <future>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>

using namespace ZazidEvoz;
using namespace ZazidEvoz::testkit;
using namespace std::chrono_literals;
using Record = LyricsService::Record;

TEST(LyricsNames, CleaningNormalisingAndCacheKeys) {
    struct Case {
        const char* artist;
        const char* cleanedArtist;
    } artists[] = {
        {"A & B", "A"},     {"A x B", "A"},
        {"A vs. B", "A"},   {"A VS B", "A"},
        {"Axel", "Axel"},   {"A feat. B & C", "A"},
        {" A ft B", "A"},   {"A featuring B", "A"},
        {"A&B", "A&B"},     {"Tom Petty", "Tom Petty"},
        {"Ween\t", "Ween"},
    };
    for (const auto& c : artists)
        EXPECT_EQ(LyricsService::cleanedArtist(c.artist), c.cleanedArtist) << c.artist;

    struct TitleCase {
        const char* title;
        const char* cleaned;
        const char* normalized;
    } titles[] = {
        {"Song (Live at Wembley)", "Song", "song"},
        {"Song [Remastered 2011]", "Song", "song"},
        {"Song (Extended Mix)", "Song", "song"},
        {"Song (Alive) [Remix]", "Song", "song"},
        {"Song (Acoustic)", "Song (Acoustic)", "songacoustic"},
        {"Song feat. Other (Radio Edit)", "Song", "song"},
        {"Déjà Vu (Live)", "Déjà Vu", "dejavu"},
        {"Hello, World! 2", "Hello, World! 2", "helloworld2"},
        {"\u00C4RGER ft. X", "\u00C4RGER", "arger"},
    };
    for (const auto& c : titles) {
        EXPECT_EQ(LyricsService::cleanedTitle(c.title), c.cleaned) << c.title;
        EXPECT_EQ(LyricsService::normalizedTitle(c.title), c.normalized) << c.title;
    }

    EXPECT_EQ(LyricsService::cacheKey("Artist feat. Other", "Song (Radio Edit)"), "artist|song");
    EXPECT_EQ(LyricsService::cacheKey("\u00C4RGER", "D\u00C9J\u00C0"), "\u00E4rger|d\u00E9j\u00E0");

    // Brackets by the thousand would make the patterns backtrack for hours; names are cut first.
    std::string endless = "Song (Live)" + std::string(200000, '(');
    EXPECT_EQ(LyricsService::cleanedTitle(endless), "Song" + std::string(501, '('));
    EXPECT_EQ(LyricsService::normalizedTitle(endless), "song");
}

TEST(LyricsScore, Table) {
    auto candidate = [](const char* title, const char* synced, const char* plain, bool instrumental = false) {
        Record result;
        result.trackName = title;
        if (synced)
            result.syncedLyrics = synced;
        if (plain)
            result.plainLyrics = plain;
        result.instrumental = instrumental;
        return result;
    };
    const std::optional<std::string> song = "song";
    struct Case {
        Record record;
        std::optional<std::string> wanted;
        int expected;
    } cases[] = {
        {candidate("Song (Live)", "[00:01]a", "a"), song, 7},
        {candidate("Song", "[00:01]a", nullptr), song, 6},
        {candidate("SONG!", nullptr, nullptr, true), song, 5},
        {candidate("Song", nullptr, nullptr), song, 4},
        {candidate("Song Remix Edition", nullptr, "a"), song, 3},
        {candidate("Song Remix Edition", "", ""), song, 0},
        {candidate("Other", "[00:01]a", "a"), song, 3},
        {candidate("Other", "[00:01]a", nullptr), song, 0},
        {candidate("So", nullptr, "a"), song, 0}, // containment counts one way only
        {Record{}, song, 0},
        {candidate("Other", nullptr, nullptr), std::nullopt, 1},
        {candidate("Other", nullptr, "a"), std::nullopt, 2},
        {candidate("Other", "[00:01]a", "a"), std::nullopt, 4},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LyricsService::score(c.record, c.wanted), c.expected)
            << c.record.trackName.value_or("<none>") << " for " << c.wanted.value_or("<none>");
}

TEST(LyricsRecord, DecodesStrictlyAndKnowsWhenItHoldsLyrics) {
    struct Case {
        const char* json;
        bool decodes;
        std::optional<SongLyrics> lyrics;
    } cases[] = {
        {R"({})", true, std::nullopt},
        {R"({"trackName":"T","artistName":null,"plainLyrics":"","syncedLyrics":"no tags"})", true,
         std::nullopt},
        {R"({"trackName":"T","instrumental":true,"duration":181})", true,
         SongLyrics{"", "T", {}, "", true, 181}},
        {R"({"artistName":"A","syncedLyrics":"[00:01.50]x","duration":200.5,"id":7,"albumName":"Al"})", true,
         SongLyrics{"A", "", {{0, 1.5, "x"}}, "", false, 200.5}},
        {R"({"plainLyrics":"words"})", true, SongLyrics{"", "", {}, "words", false, 0}},
        {R"({"duration":"200"})", false, std::nullopt},
        {R"({"instrumental":1})", false, std::nullopt},
        {R"({"trackName":5})", false, std::nullopt},
        {R"(["not", "an object"])", false, std::nullopt},
    };
    for (const auto& c : cases) {
        auto decoded = LyricsService::decodeRecord(json::parse(c.json));
        EXPECT_EQ(decoded.has_value(), c.decodes) << c.json;
        if (decoded) {
            EXPECT_EQ(decoded->lyrics(), c.lyrics) << c.json;
        }
    }
}

TEST(LyricsLookup, ExactHitCleansTheNamesAndIsCachedInAnyLetterCase) {
    LyricsSite site;
    site.onGet([](const httplib::Request&, httplib::Response& response) {
        answerJSON(response,
                   record("Song (Radio Edit)", "Artist", "[00:02.00]Two\n[00:01.00]One", "One\nTwo"));
    });
    LyricsService service(site.baseURL());

    auto found = service.lyricsForStreamTitle("Artist feat. Other - Song (Radio Edit)");
    SongLyrics expected{"Artist", "Song (Radio Edit)", {{0, 1, "One"}, {1, 2, "Two"}}, "One\nTwo", false,
                        200};
    EXPECT_EQ(found, expected);

    auto seen = site.seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].path, "/api/get");
    EXPECT_EQ(seen[0].target, "/api/get?artist_name=Artist&track_name=Song");
    EXPECT_TRUE(seen[0].userAgent.starts_with("ZintraRadio/1.0 (")) << seen[0].userAgent;
    EXPECT_TRUE(seen[0].userAgent.ends_with(")")) << seen[0].userAgent;
    EXPECT_GT(seen[0].userAgent.size(), std::string("ZintraRadio/1.0 ()").size());

    EXPECT_EQ(service.lyrics("ARTIST & Friend", "song [Live]"), expected);
    EXPECT_EQ(site.seen().size(), 1u);
}

TEST(LyricsLookup, WithoutAnExactAnswerTheBestSearchCandidateWins) {
    LyricsSite site;
    LyricsService service(site.baseURL());
    site.onGet([](const httplib::Request&, httplib::Response& response) { response.status = 404; });
    site.onSearch([](const httplib::Request&, httplib::Response& response) {
        answerJSON(response, json::Value::array({
                                 record("Other", "Wrong", "[00:01]o", "o"),                  // 3
                                 record("Song Remix Edition", "Partial", std::nullopt, "p"), // 3
                                 record("Song", "Synced", "[00:01]s", std::nullopt),         // 6
                                 record("Song (Live)", "Best", "[00:01]b", "b"),             // 7
                                 record("song", "Tied", "[00:01]t", "t"), // 7, listed later
                             }));
    });

    auto found = service.lyrics("Artist", "Song");
    ASSERT_TRUE(found);
    EXPECT_EQ(found->artist, "Best");
    EXPECT_EQ(site.paths(), (std::vector<std::string>{"/api/get", "/api/search"}));
    EXPECT_EQ(param(site.seen()[1], "q"), "Artist Song");

    // An exact answer without any lyrics, or one that is not a record, also falls back.
    site.forget();
    site.onGet([](const httplib::Request& request, httplib::Response& response) {
        if (request.get_param_value("track_name") == "Other")
            answerJSON(response, record("Other", "Artist", std::nullopt, std::nullopt));
        else
            response.set_content("<html>maintenance</html>", "text/html");
    });
    site.onSearch([](const httplib::Request&, httplib::Response& response) {
        answerJSON(response, json::Value::array({record("Other", "Equal A", "[00:01]a", "a"),
                                                 record("Other", "Equal B", "[00:01]b", "b")}));
    });
    EXPECT_EQ(service.lyrics("Artist", "Other")->artist, "Equal A");
    EXPECT_EQ(service.lyrics("Artist", "Else")->artist, "Equal A"); // unrelated, but synced and plain
    EXPECT_EQ(site.paths().size(), 4u);

    // A search answer is ranked only so far.
    site.onGet([](const httplib::Request&, httplib::Response& response) { response.status = 404; });
    site.onSearch([](const httplib::Request&, httplib::Response& response) {
        json::Value candidates = json::Value::array();
        for (int position = 0; position < 100; ++position)
            candidates.push_back(record("Huge", "Plain " + std::to_string(position), std::nullopt, "p"));
        candidates.push_back(record("Huge", "Beyond", "[00:01]b", "b"));
        answerJSON(response, candidates);
    });
    EXPECT_EQ(service.lyrics("Artist", "Huge")->artist, "Plain 0");
}

TEST(LyricsLookup, EmptyAnswersAreCachedFailuresAreNot) {
    LyricsSite site;
    LyricsService service(site.baseURL());
    site.onGet([](const httplib::Request&, httplib::Response& response) { response.status = 404; });
    site.onSearch([](const httplib::Request&, httplib::Response& response) {
        answerJSON(response, json::Value::array());
    });

    EXPECT_EQ(service.lyrics("Nobody", "Nothing"), std::nullopt);
    EXPECT_EQ(service.lyrics("nobody", "NOTHING (Live)"), std::nullopt);
    EXPECT_EQ(site.seen().size(), 2u);

    // A service that refuses or fails is no answer about the song: thrown, asked again next time.
    site.forget();
    for (int status : {503, 429, 500}) {
        site.onGet(
            [status](const httplib::Request&, httplib::Response& response) { response.status = status; });
        try {
            service.lyrics("Busy", "Song");
            ADD_FAILURE() << status;
        } catch (const LyricsServiceError& error) {
            EXPECT_EQ(error.status(), status);
            EXPECT_EQ(std::string(error.what()),
                      "The lyrics service is unavailable (HTTP " + std::to_string(status) + ").");
        }
    }
    site.onGet([](const httplib::Request&, httplib::Response& response) { response.status = 404; });
    site.onSearch([](const httplib::Request&, httplib::Response& response) { response.status = 502; });
    EXPECT_THROW(service.lyrics("Busy", "Song"), LyricsServiceError);
    EXPECT_EQ(site.paths(),
              (std::vector<std::string>{"/api/get", "/api/get", "/api/get", "/api/get", "/api/search"}));

    platform::FaultInjection::failNth(platform::Seam::HttpRequest, 1);
    EXPECT_THROW(service.lyrics("Busy", "Song"), platform::HttpError);
    platform::FaultInjection::reset();

    // An answer over the body cap was never seen whole: a failure, not "no lyrics".
    site.onGet([](const httplib::Request&, httplib::Response& response) {
        response.set_content(std::string(LyricsService::maxBodyBytes + 1, ' '), "application/json");
    });
    try {
        service.lyrics("Busy", "Song");
        ADD_FAILURE();
    } catch (const platform::HttpError& error) {
        EXPECT_EQ(error.kind(), platform::HttpErrorKind::TooLarge);
    }

    site.onGet([](const httplib::Request&, httplib::Response& response) {
        answerJSON(response, record("Song", "Busy", std::nullopt, "at last"));
    });
    EXPECT_EQ(service.lyrics("Busy", "Song")->plain, "at last");

    // Nobody listening.
    std::string closedBaseURL;
    {
        testkit::LocalHttpServer gone;
        gone.start();
        closedBaseURL = gone.url("");
    }
    LyricsService unreachable(closedBaseURL);
    try {
        unreachable.lyrics("Any", "Song");
        ADD_FAILURE();
    } catch (const platform::HttpError& error) {
        EXPECT_EQ(error.kind(), platform::HttpErrorKind::Transport);
    }
}

TEST(LyricsLookup, StreamTitleWithoutArtistIsSearchedWholeEveryTime) {
    LyricsSite site;
    LyricsService service(site.baseURL());
    site.onSearch([](const httplib::Request&, httplib::Response& response) {
        answerJSON(response, json::Value::array({record("Plain", "First", std::nullopt, "p"),
                                                 record("Full", "Second", "[00:01]f", "f"),
                                                 record("Also Full", "Third", "[00:01]g", "g")}));
    });

    for (int time = 0; time < 2; ++time)
        EXPECT_EQ(service.lyricsForStreamTitle("Just A Song ft. Someone (Live)")->artist, "Second");
    auto seen = site.seen();
    ASSERT_EQ(seen.size(), 2u);
    for (const auto& request : seen) {
        EXPECT_EQ(request.path, "/api/search");
        EXPECT_EQ(param(request, "q"), "Just A Song");
    }

    site.forget();
    EXPECT_EQ(service.lyricsForStreamTitle("   "), std::nullopt);
    EXPECT_EQ(service.lyricsForStreamTitle("(Radio Edit)"), std::nullopt);
    EXPECT_TRUE(site.seen().empty());
}

TEST(LyricsLookup, QueryValuesAreEncodedOutsideTheUnreservedSet) {
    LyricsSite site;
    LyricsService service(site.baseURL());
    service.lyrics("AC/DC", "Rock + Roll #1 & M\u00FCller?=");

    auto seen = site.seen();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].target,
              "/api/get?artist_name=AC%2FDC&track_name=Rock%20%2B%20Roll%20%231%20%26%20M%C3%BCller%3F%3D");
    EXPECT_EQ(param(seen[0], "artist_name"), "AC/DC");
    EXPECT_EQ(param(seen[0], "track_name"), "Rock + Roll #1 & M\u00FCller?=");
    EXPECT_EQ(param(seen[1], "q"), "AC/DC Rock + Roll #1 & M\u00FCller?=");
}

TEST(LyricsLookup, CancellingEndsTheRequestAndCachesNothing) {
    LyricsSite site;
    std::atomic<bool> arrived = false;
    std::atomic<bool> release = false;
    site.onGet([&](const httplib::Request&, httplib::Response& response) {
        arrived = true;
        for (int wait = 0; wait < 1000 && !release; ++wait)
            std::this_thread::sleep_for(5ms);
        response.status = 404;
    });
    LyricsService service(site.baseURL());

    std::stop_source stop;
    auto lookup =
        std::async(std::launch::async, [&] { return service.lyrics("Slow", "Song", stop.get_token()); });
    while (!arrived)
        std::this_thread::sleep_for(1ms);
    stop.request_stop();
    try {
        lookup.get();
        ADD_FAILURE();
    } catch (const platform::HttpError& error) {
        EXPECT_EQ(error.kind(), platform::HttpErrorKind::Cancelled);
    }
    release = true;

    site.onGet([](const httplib::Request&, httplib::Response& response) {
        answerJSON(response, record("Song", "Slow", std::nullopt, "words"));
    });
    EXPECT_EQ(service.lyrics("Slow", "Song")->plain, "words");
}

TEST(LyricsLookup, BaseAddressComesFromTheCallerTheEnvironmentOrThePublicService) {
    {
        testkit::ScopedEnvironment unset(LyricsService::baseURLVariable, nullptr);
        EXPECT_EQ(LyricsService().baseURL(), LyricsService::defaultBaseURL);
    }
    LyricsSite site;
    testkit::ScopedEnvironment configured(LyricsService::baseURLVariable, (site.baseURL() + "/").c_str());
    LyricsService fromEnvironment;
    EXPECT_EQ(fromEnvironment.baseURL(), site.baseURL());
    fromEnvironment.lyrics("A", "B");
    EXPECT_EQ(site.paths(), (std::vector<std::string>{"/api/get", "/api/search"}));
    EXPECT_EQ(LyricsService("http://127.0.0.1:9").baseURL(), "http://127.0.0.1:9");
}
