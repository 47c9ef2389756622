#include "ZazidEvoz/platform/Uuid.hpp"

#include <gtest/gtest.h>
#include <set>

namespace ZazidEvoz::platform {
namespace {

TEST(Uuid, RandomIdentifiersAreVersion4InUpperCase) {
    std::set<std::string> seen;
    for (int draw = 0; draw < 100; ++draw) {
        std::string text = Uuid::random().text();
        ASSERT_EQ(text.size(), 36u);
        EXPECT_EQ(text[14], '4');
        EXPECT_NE(std::string("89AB").find(text[19]), std::string::npos) << text;
        EXPECT_EQ(text.find_first_of("abcdef"), std::string::npos) << text;
        seen.insert(text);
    }
    EXPECT_EQ(seen.size(), 100u);
}

TEST(Uuid, ReadsEitherCaseAndRejectsOtherForms) {
    auto upper = Uuid::fromText("E621E1F8-C36C-495A-93FC-0C247A3E6E5F");
    ASSERT_TRUE(upper);
    EXPECT_EQ(upper->text(), "E621E1F8-C36C-495A-93FC-0C247A3E6E5F");
    EXPECT_EQ(Uuid::fromText("e621e1f8-c36c-495a-93fc-0c247a3e6e5f"), upper);
    for (const char* text : {"", "E621E1F8C36C495A93FC0C247A3E6E5F", "E621E1F8-C36C-495A-93FC-0C247A3E6E5",
                             "E621E1F8-C36C-495A-93FC-0C247A3E6E5FA", "G621E1F8-C36C-495A-93FC-0C247A3E6E5F",
                             "E621E1F-8C36C-495A-93FC-0C247A3E6E5F"})
        EXPECT_FALSE(Uuid::fromText(text)) << text;
}

} // namespace
} // namespace ZazidEvoz::platform
