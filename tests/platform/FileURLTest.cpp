#include "ZazidEvoz/platform/FileURL.hpp"

#include <gtest/gtest.h>

using namespace ZazidEvoz::platform;

TEST(FileURL, PathsAndFileURLs) {
    EXPECT_EQ(fileURLFromPath("/a b/é#1"), "file:///a%20b/%C3%A9%231");
    EXPECT_EQ(pathFromFileURL(fileURLFromPath("/a b/é#1%")), "/a b/é#1%");

    struct Case {
        const char* url;
        std::optional<std::string> path;
    } cases[] = {
        {"file:///music/a%20b.mp3", "/music/a b.mp3"},
        {"FILE:///music/a.mp3", "/music/a.mp3"},
        {"file://localhost/music/a.mp3", "/music/a.mp3"},
        {"file:///music/a.mp3?x=1", "/music/a.mp3"},
        {"file:///music/100%", "/music/100%"},
        {"file://server/music/a.mp3", std::nullopt},
        {"/music/a.mp3", std::nullopt},
        {"http://x/a.mp3", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(pathFromFileURL(c.url), c.path) << c.url;
}
