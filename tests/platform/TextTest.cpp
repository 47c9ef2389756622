#include "ZazidEvoz/platform/Regex.hpp"
#include "ZazidEvoz/platform/Text.hpp"
#include "ZazidEvoz/platform/Threads.hpp"

#include <gtest/gtest.h>

#include <pthread.h>

#include <thread>

using namespace ZazidEvoz;

TEST(Text, LegacyTextDecodesAsUtf8OrWindows1252) {
    EXPECT_EQ(text::decodeLegacyText("Bj\xC3\xB6rk"), "Björk");
    EXPECT_EQ(text::decodeLegacyText("Bj\xF6rk"), "Björk");
    EXPECT_EQ(text::decodeLegacyText("\x93quoted\x94 \x80"), "\u201Cquoted\u201D \u20AC");
    EXPECT_FALSE(text::isValidUtf8("\xC3"));
}

TEST(Text, TrimmingAndCharacters) {
    EXPECT_EQ(text::trimmedHorizontalWhitespace("\t\u00A0 rock \u2003"), "rock");
    EXPECT_EQ(text::trimmedHorizontalWhitespace(" pop\n"), "pop\n");
    EXPECT_EQ(text::trimmedWhitespace(" pop\r\n"), "pop");
    // "e" + combining acute counts once; a family emoji is one character.
    std::string composed = "e\u0301\U0001F468\u200D\U0001F469\u200D\U0001F467x";
    EXPECT_EQ(text::characterCount(composed), 3u);
    EXPECT_EQ(text::characterPrefix(composed, 1), "e\u0301");
    EXPECT_EQ(text::bytePrefixOnCharacterBoundary("日本語", 7), "日本");
}

TEST(Text, FoldingAndNormalising) {
    EXPECT_EQ(text::foldedCaseAndDiacritics("Émile ÜBER"), "emile uber");
    EXPECT_EQ(text::foldedCaseAndDiacritics("Rock N' ROLL [99]"), "rock n' roll [99]");
    EXPECT_EQ(text::alphanumericWords("Rock'n'Roll — Café-Noir 99 \xff x"),
              (std::vector<std::string>{"Rock", "n", "Roll", "Café", "Noir", "99", "x"}));
    EXPECT_EQ(text::toNFC("o\u0308"), "\u00F6");
    EXPECT_EQ(text::lowercased("ÄBC"), "äbc");
    EXPECT_EQ(text::compareLocalizedCaseInsensitive("abc", "ABC"), 0);
    EXPECT_LT(text::compareLocalizedCaseInsensitive("apple", "Banana"), 0);
    EXPECT_TRUE(text::containsLocalizedCaseInsensitive("Daft Punk", "PUNK"));
    EXPECT_FALSE(text::containsLocalizedCaseInsensitive("Daft Punk", ""));
}

TEST(Regex, GroupsOffsetsAndReplacement) {
    Regex tags(R"(\[(\d{1,3}):(\d{1,2}(?:[.:]\d{1,3})?)\])");
    auto matches = tags.allMatches("ü[01:02.5][1:2]x");
    ASSERT_EQ(matches.size(), 2u);
    EXPECT_EQ(matches[0][1], "01");
    EXPECT_EQ(matches[0][2], "02.5");
    EXPECT_EQ(matches[0].begin, 2u); // byte offset after the two-byte ü
    EXPECT_EQ(Regex("(a)|(b)").firstMatch("b")->has(1), false);
    EXPECT_EQ(Regex("(?i)feat\\.").replaceAll("A FEAT. B", "ft"), "A ft B");
    EXPECT_THROW(Regex("(unclosed"), std::invalid_argument);
}

TEST(Threads, NamesAreCutTo15Bytes) {
    std::thread worker([] {
        platform::setCurrentThreadName("ZintraRadio decoder");
        char name[32] = {};
        pthread_getname_np(pthread_self(), name, sizeof name);
        EXPECT_STREQ(name, "ZintraRadio dec");
    });
    worker.join();
}

TEST(Threads, PostQueueRunsInOrderAndLifetimeTokensExpire) {
    platform::PostQueue queue;
    std::vector<int> order;
    auto post = queue.poster();
    post([&] { order.push_back(1); });
    post([&] {
        order.push_back(2);
        post([&] { order.push_back(3); });
    });
    EXPECT_EQ(queue.drain(), 3u);
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));

    platform::LifetimeGuard::Token token;
    {
        platform::LifetimeGuard guard;
        token = guard.token();
        EXPECT_TRUE(platform::LifetimeGuard::isAlive(token));
    }
    EXPECT_FALSE(platform::LifetimeGuard::isAlive(token));
}
