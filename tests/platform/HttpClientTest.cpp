#include "ZazidEvoz/platform/FaultInjection.hpp"
#include "ZazidEvoz/platform/HttpClient.hpp"

#include "support/LocalHttpServer.hpp"

#include <gtest/gtest.h>

#include <thread>

using namespace ZazidEvoz::platform;
using namespace std::chrono_literals;
using namespace std::string_literals;

namespace {

HttpRequest get(const std::string& url) {
    HttpRequest request;
    request.url = url;
    request.idleTimeout = 2000ms;
    request.totalTimeout = 10000ms;
    return request;
}

} // namespace

TEST(HttpClient, FetchesBodyStatusHeadersAndUserAgent) {
    ZazidEvoz::testkit::LocalHttpServer local;
    local.server.Get("/hello", [](const httplib::Request& request, httplib::Response& response) {
        response.set_header("X-Echo", request.get_header_value("User-Agent"));
        response.set_content("hi", "text/plain");
    });
    local.server.Get("/missing", [](const httplib::Request&, httplib::Response& response) { response.status = 404; });
    local.start();

    HttpRequest request = get(local.url("/hello"));
    request.userAgent = "ZintraRadio/1.0";
    auto response = HttpClient().fetch(request);
    EXPECT_EQ(response.status, 200);
    EXPECT_EQ(response.body, "hi");
    EXPECT_EQ(response.header("x-echo"), "ZintraRadio/1.0");
    EXPECT_EQ(response.header("content-type"), "text/plain");

    EXPECT_EQ(HttpClient().fetch(get(local.url("/missing"))).status, 404);
}

TEST(HttpClient, RefusesOtherSchemesAlsoOnRedirect) {
    ZazidEvoz::testkit::LocalHttpServer local;
    local.server.Get("/to-file", [](const httplib::Request&, httplib::Response& response) {
        response.set_redirect("file:///etc/passwd");
    });
    local.server.Get(R"(/loop/(\d+))", [](const httplib::Request& request, httplib::Response& response) {
        response.set_redirect("/loop/" + std::to_string(std::stoi(request.matches[1]) + 1));
    });
    local.start();

    // A NUL would make curl ask for "http://127.0.0.1:<port>/" instead; a line break would
    // smuggle a header into the request.
    const std::string refused[] = {"file:///etc/passwd",
                                   "ftp://127.0.0.1/x",
                                   "-http://x",
                                   "",
                                   "http://127.0.0.1/a\0b"s,
                                   local.url("/to-file\r\nX-Injected: 1"),
                                   local.url("/" + std::string(maxAddressBytes, 'a'))};
    for (const std::string& url : refused) {
        try {
            HttpClient().fetch(get(url));
            ADD_FAILURE() << url.substr(0, 40);
        } catch (const HttpError& error) {
            EXPECT_EQ(error.kind(), HttpErrorKind::UnsupportedURL) << url.substr(0, 40);
        }
    }
    EXPECT_THROW(HttpClient().fetch(get(local.url("/to-file"))), HttpError);
    try {
        HttpClient().fetch(get(local.url("/loop/0")));
        ADD_FAILURE();
    } catch (const HttpError& error) {
        EXPECT_EQ(error.kind(), HttpErrorKind::Transport);
    }
}

TEST(HttpClient, CapsTheBodyAndTimesOutWhenIdle) {
    ZazidEvoz::testkit::LocalHttpServer local;
    local.server.Get("/big", [](const httplib::Request&, httplib::Response& response) {
        response.set_content(std::string(100000, 'x'), "text/plain");
    });
    local.server.Get("/stall", [](const httplib::Request&, httplib::Response& response) {
        response.set_chunked_content_provider("text/plain", [](size_t offset, httplib::DataSink& sink) {
            if (offset == 0)
                sink.write("a", 1);
            std::this_thread::sleep_for(100ms);
            return offset < 1 || sink.is_writable();
        });
    });
    local.start();

    HttpRequest request = get(local.url("/big"));
    request.maxBodyBytes = 1000;
    try {
        HttpClient().fetch(request);
        ADD_FAILURE();
    } catch (const HttpError& error) {
        EXPECT_EQ(error.kind(), HttpErrorKind::TooLarge);
    }

    request = get(local.url("/stall"));
    request.idleTimeout = 1000ms;
    auto start = std::chrono::steady_clock::now();
    try {
        HttpClient().fetch(request);
        ADD_FAILURE();
    } catch (const HttpError& error) {
        EXPECT_EQ(error.kind(), HttpErrorKind::TimedOut);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, 8s);
}

TEST(HttpClient, ASlowTrickleIsIdleOnlyWhenMoreIsAskedPerSpan) {
    // Slower than a byte a second, but never silent for the idle span: it completes.
    ZazidEvoz::testkit::LocalHttpServer local;
    local.server.Get("/trickle", [](const httplib::Request&, httplib::Response& response) {
        response.set_chunked_content_provider("application/octet-stream",
                                              [](size_t offset, httplib::DataSink& sink) {
                                                  std::this_thread::sleep_for(1100ms);
                                                  sink.write(&"abc"[offset], 1);
                                                  if (offset == 2)
                                                      sink.done();
                                                  return true;
                                              });
    });
    // A byte every 50 ms, without end.
    local.server.Get("/endless", [](const httplib::Request&, httplib::Response& response) {
        response.set_chunked_content_provider("application/octet-stream",
                                              [](size_t, httplib::DataSink& sink) {
                                                  std::this_thread::sleep_for(50ms);
                                                  return sink.write(" ", 1) && sink.is_writable();
                                              });
    });
    local.start();

    HttpRequest request = get(local.url("/trickle"));
    request.idleTimeout = 1500ms;
    EXPECT_EQ(HttpClient().fetch(request).body, "abc");

    // Asked for 100 bytes in every 500 ms, the endless trickle's 10 are as good as silence.
    request = get(local.url("/endless"));
    request.idleTimeout = 500ms;
    request.idleBytes = 100;
    try {
        HttpClient().fetch(request);
        ADD_FAILURE() << "a trickle counted as an answer";
    } catch (const HttpError& error) {
        EXPECT_EQ(error.kind(), HttpErrorKind::TimedOut);
    }
}

TEST(HttpClient, StopCancelsAtOnceAndStreamingCanEndEarly) {
    ZazidEvoz::testkit::LocalHttpServer local;
    local.server.Get("/endless", [](const httplib::Request&, httplib::Response& response) {
        response.set_chunked_content_provider("audio/mpeg", [](size_t, httplib::DataSink& sink) {
            std::string block(4096, 'z');
            sink.write(block.data(), block.size());
            std::this_thread::sleep_for(5ms);
            return sink.is_writable();
        });
    });
    local.start();

    std::stop_source stop;
    std::thread canceller([&] {
        std::this_thread::sleep_for(200ms);
        stop.request_stop();
    });
    auto start = std::chrono::steady_clock::now();
    std::size_t received = 0;
    try {
        HttpClient().stream(get(local.url("/endless")), {}, [&](std::string_view data) {
            received += data.size();
            return true;
        }, stop.get_token());
        ADD_FAILURE();
    } catch (const HttpError& error) {
        EXPECT_EQ(error.kind(), HttpErrorKind::Cancelled);
    }
    canceller.join();
    EXPECT_GT(received, 0u);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1500ms);

    long seenStatus = 0;
    auto response = HttpClient().stream(
        get(local.url("/endless")),
        [&](long status, const HttpHeaders&) {
            seenStatus = status;
            return true;
        },
        [&](std::string_view) { return false; });
    EXPECT_EQ(seenStatus, 200);
    EXPECT_EQ(response.header("Content-Type"), "audio/mpeg");
}

TEST(HttpClient, InjectedFailureAndRefusedConnection) {
    FaultInjection::failNth(Seam::HttpRequest, 1);
    EXPECT_THROW(HttpClient().fetch(get("http://127.0.0.1:9/")), HttpError);
    try {
        HttpClient().fetch(get("http://127.0.0.1:9/"));
        ADD_FAILURE();
    } catch (const HttpError& error) {
        EXPECT_EQ(error.kind(), HttpErrorKind::Transport);
    }
}

TEST(HttpClient, CleanAddresses) {
    const std::pair<std::string, bool> cases[] = {
        {"https://a.example/x?y=1#z", true},
        {"https://a.example/caf\u00e9 and blanks", true},
        {"https://a.example/" + std::string(maxAddressBytes - 18, 'x'), true},
        {"https://a.example/" + std::string(maxAddressBytes - 17, 'x'), false},
        {"https://a.example/\0"s, false},
        {"https://a.example/\t", false},
        {"https://a.example/\n", false},
        {"https://a.example/\x1f", false},
        {"https://a.example/\x7f", false},
    };
    for (const auto& [url, clean] : cases)
        EXPECT_EQ(isCleanAddress(url), clean) << url.substr(0, 40);
    EXPECT_TRUE(isCleanHttpURL("HTTP://a.example/"));
    EXPECT_FALSE(isCleanHttpURL("file:///a"));
    EXPECT_FALSE(isCleanHttpURL("http://a.example/\r"));
}

TEST(HttpClient, PercentEncodingKeepsOnlyUnreserved) {
    EXPECT_EQ(percentEncode("a+b&c#d e/ü~._-"), "a%2Bb%26c%23d%20e%2F%C3%BC~._-");
}
