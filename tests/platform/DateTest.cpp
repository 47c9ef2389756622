#include "ZazidEvoz/platform/Date.hpp"

#include <gtest/gtest.h>
#include <limits>

namespace ZazidEvoz::platform {
namespace {

TEST(Date, Iso8601TextDropsTheFractionAndClampsTheYear) {
    struct Case {
        double seconds;
        const char* text;
    };
    const Case cases[] = {
        {0, "1970-01-01T00:00:00Z"},
        {1'600'000'000.999, "2020-09-13T12:26:40Z"},
        {951'782'400, "2000-02-29T00:00:00Z"},
        {-0.5, "1969-12-31T23:59:59Z"},
        {-62'135'596'800, "0001-01-01T00:00:00Z"},
        {1e18, "9999-12-31T23:59:59Z"},
        {-1e18, "0001-01-01T00:00:00Z"},
        {std::numeric_limits<double>::quiet_NaN(), "1970-01-01T00:00:00Z"},
        {std::numeric_limits<double>::infinity(), "9999-12-31T23:59:59Z"},
    };
    for (const Case& test : cases) {
        std::string text = iso8601Text(dateFromSecondsSince1970(test.seconds));
        EXPECT_EQ(text, test.text) << test.seconds;
        EXPECT_TRUE(dateFromIso8601(text).has_value()) << "what is written reads back: " << text;
    }
}

TEST(Date, ReadsOnlyTheWrittenForm) {
    EXPECT_EQ(dateFromIso8601("2020-09-13T12:26:40Z"), dateFromSecondsSince1970(1'600'000'000));
    EXPECT_EQ(dateFromIso8601("1969-12-31T23:59:59Z"), dateFromSecondsSince1970(-1));
    for (const char* text :
         {"", "2020-09-13T12:26:40", "2020-09-13T12:26:40.5Z", "2020-09-13T12:26:40+00:00",
          "2020-09-13 12:26:40Z", "2020-13-01T00:00:00Z", "2021-02-29T00:00:00Z", "2020-09-13T24:00:00Z",
          "2020-09-13T12:60:00Z", "+020-09-13T12:26:40Z", "2020-09-13t12:26:40z"})
        EXPECT_FALSE(dateFromIso8601(text).has_value()) << text;
}

} // namespace
} // namespace ZazidEvoz::platform
