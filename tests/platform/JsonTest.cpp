#include "ZazidEvoz/platform/Json.hpp"

#include <gtest/gtest.h>

using namespace ZazidEvoz;

namespace {

std::string nested(std::size_t depth, std::string_view open = "[", std::string_view close = "]") {
    std::string text;
    for (std::size_t level = 0; level < depth; ++level)
        text += open;
    for (std::size_t level = 0; level < depth; ++level)
        text += close;
    return text;
}

} // namespace

TEST(Json, NestingDeeperThanTheLimitIsRefusedBeforeParsing) {
    EXPECT_NO_THROW(json::parse(nested(json::maxNestingDepth)));
    EXPECT_THROW(json::parse(nested(json::maxNestingDepth + 1)), json::JsonDecodeError);
    EXPECT_THROW(json::parse(nested(json::maxNestingDepth + 1, R"({"a":)", "}")), json::JsonDecodeError);

    // Megabytes of openers are refused as text, without a tree behind them.
    try {
        json::parse(std::string(8 * 1024 * 1024, '['));
        ADD_FAILURE();
    } catch (const json::JsonDecodeError& error) {
        EXPECT_STREQ(error.what(), "JSON nested deeper than 256 levels");
    }
}

TEST(Json, BracketsInsideStringsDoNotCount) {
    std::string brackets(1000, '[');
    auto value = json::parse(R"({"a": ")" + brackets + R"(", "b": "\"[[[[\\"})");
    EXPECT_EQ(value["a"], brackets);
    EXPECT_EQ(value["b"], "\"[[[[\\");
    // A closing bracket inside a string does not make room for more openers outside.
    std::string sneaky = nested(json::maxNestingDepth);
    sneaky.insert(json::maxNestingDepth, R"("]]]]", [])");
    EXPECT_THROW(json::parse(sneaky), json::JsonDecodeError);
}
