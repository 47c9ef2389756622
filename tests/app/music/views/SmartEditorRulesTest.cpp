// The smart-playlist editor's rules: rows loaded from stored rules and saved back, and the
// smart playlist that the editor's state describes.
#include "music/SmartEditorRules.hpp"

#include "app/music/MusicViewsKit.hpp"

#include <gtest/gtest.h>
#include <limits>

using namespace ZintraRadio;
using ZazidEvoz::SmartPlaylist;
using ZazidEvoz::SmartRule;
using ZazidEvoz::SmartSort;

namespace {

RuleDraft row(RuleKind kind, std::string text = {}, std::int64_t number = 1, std::int64_t second = 2026) {
    RuleDraft draft;
    draft.kind = kind;
    draft.text = std::move(text);
    draft.number = number;
    draft.second = second;
    return draft;
}

SmartPlaylist stored(std::string name, std::vector<SmartRule> rules = {}, std::int64_t limit = 0) {
    SmartPlaylist playlist;
    playlist.id = ZazidEvoz::platform::Uuid::random();
    playlist.name = std::move(name);
    playlist.rules = std::move(rules);
    playlist.limit = limit;
    return playlist;
}

} // namespace

TEST(SmartEditorRules, RowsSaveAsRules) {
    struct Case {
        RuleDraft draft;
        std::optional<SmartRule> expected;
    };
    const Case cases[] = {
        {row(RuleKind::genreIs, ""), std::nullopt},
        {row(RuleKind::artistContains, " \t\u2003"), std::nullopt},
        {row(RuleKind::titleContains, " word "), SmartRule::titleContains(" word ")},
        {row(RuleKind::albumContains, "\n"), SmartRule::albumContains("\n")}, // line breaks are no blanks
        {row(RuleKind::genreIs, "Jazz"), SmartRule::genreIs("Jazz")},
        {row(RuleKind::ratingAtLeast, "", 0), SmartRule::ratingAtLeast(1)},
        {row(RuleKind::ratingAtLeast, "", 9), SmartRule::ratingAtLeast(5)},
        {row(RuleKind::yearBetween, "", 2020, 1990), SmartRule::yearBetween(1990, 2020)},
        {row(RuleKind::longerThan, "", 3), SmartRule::longerThan(180)},
        {row(RuleKind::shorterThan, "", -2), SmartRule::shorterThan(-120)},
        {row(RuleKind::longerThan, "", std::numeric_limits<std::int64_t>::max()),
         SmartRule::longerThan(static_cast<double>(std::numeric_limits<std::int64_t>::max()))},
        {row(RuleKind::addedWithinDays, "ignored", 30), SmartRule::addedWithinDays(30)},
        {row(RuleKind::playedAtLeast, "", -4), SmartRule::playedAtLeast(-4)},
        {row(RuleKind::neverPlayed), SmartRule::neverPlayed()},
        {row(RuleKind::fromYouTube), SmartRule::fromYouTube()},
    };
    for (const auto& c : cases)
        EXPECT_EQ(smartRule(c.draft), c.expected) << rawValue(c.draft.kind) << " " << c.draft.number;
}

TEST(SmartEditorRules, RulesLoadAsRows) {
    EXPECT_EQ(ruleDraft(SmartRule::longerThan(150)).number, 2) << "minutes, truncated";
    EXPECT_EQ(smartRule(ruleDraft(SmartRule::longerThan(150))), SmartRule::longerThan(120));
    EXPECT_EQ(ruleDraft(SmartRule::shorterThan(-90)).number, -1);
    EXPECT_EQ(ruleDraft(SmartRule::longerThan(std::numeric_limits<double>::quiet_NaN())).number, 0);
    EXPECT_GT(ruleDraft(SmartRule::longerThan(1e300)).number, 0) << "clamped, not undefined";
    const auto years = ruleDraft(SmartRule::yearBetween(1970, 1980));
    EXPECT_EQ(years.kind, RuleKind::yearBetween);
    EXPECT_EQ(years.number, 1970);
    EXPECT_EQ(years.second, 1980);
    const auto genre = ruleDraft(SmartRule::genreIs("Soul"));
    EXPECT_EQ(genre.text, "Soul");
    EXPECT_EQ(genre.number, 1) << "fields the kind does not set keep their defaults";
    EXPECT_EQ(genre.second, 2026);
    EXPECT_NE(ruleDraft(SmartRule::neverPlayed()).id, ruleDraft(SmartRule::neverPlayed()).id);

    for (auto kind : allRuleKinds())
        EXPECT_EQ(ruleKindFromRawValue(rawValue(kind)), kind);
    EXPECT_EQ(ruleKindFromRawValue("GenreIs"), std::nullopt);
    EXPECT_EQ(ruleUnitKey(RuleKind::ratingAtLeast), "rule.unit.stars");
    EXPECT_EQ(ruleValue(RuleKind::yearBetween), RuleValue::range);
}

// A typed number is taken only as the rule can take it; anything else is refused with its reason.
TEST(SmartEditorRules, TypedNumbersTheRuleCannotTakeAreRefused) {
    struct Case {
        RuleKind kind;
        const char* typed;
        std::optional<std::int64_t> value;
        std::string_view problem;
    };
    const Case cases[] = {
        {RuleKind::longerThan, "3", 3, ""},
        {RuleKind::longerThan, "0.25", std::nullopt, "rule.problem.wholeNumber"},
        {RuleKind::shorterThan, "2,5", std::nullopt, "rule.problem.wholeNumber"},
        {RuleKind::addedWithinDays, "", std::nullopt, "rule.problem.wholeNumber"},
        {RuleKind::playedAtLeast, "+4", 4, ""},
        {RuleKind::yearBetween, "1970", 1970, ""},
        {RuleKind::ratingAtLeast, "5", 5, ""},
        {RuleKind::ratingAtLeast, "1", 1, ""},
        {RuleKind::ratingAtLeast, "0", std::nullopt, "rule.problem.stars"},
        {RuleKind::ratingAtLeast, "1970", std::nullopt, "rule.problem.stars"},
        {RuleKind::ratingAtLeast, "4.5", std::nullopt, "rule.problem.wholeNumber"},
    };
    for (const auto& c : cases) {
        const auto typed = ruleNumber(c.kind, c.typed);
        EXPECT_EQ(typed.value, c.value) << rawValue(c.kind) << " " << c.typed;
        EXPECT_EQ(typed.problemKey, c.problem) << rawValue(c.kind) << " " << c.typed;
    }

    auto years = row(RuleKind::yearBetween, "kept", 1970, 1973);
    years.refusedSecond = "19x";
    const auto rating = withKind(years, RuleKind::ratingAtLeast);
    EXPECT_EQ(rating.id, years.id);
    EXPECT_EQ(rating.number, 1) << "the kind's default, not 1970 stars";
    EXPECT_EQ(rating.text, "");
    EXPECT_FALSE(hasRefusedNumber(rating));
    EXPECT_EQ(withKind(years, RuleKind::yearBetween), years) << "the same kind changes nothing";
}

TEST(SmartEditorRules, LoadingTheState) {
    ZintraRadio::testkit::installEnglish();
    const auto builtIn = stored("smart.recentlyAdded", {SmartRule::addedWithinDays(30)}, 0);
    const auto edited = smartEditorState(builtIn, false);
    EXPECT_EQ(edited.name, "Recently Added") << "a key shows as its text";
    EXPECT_EQ(edited.limit, "");
    ASSERT_EQ(edited.rules.size(), 1u);
    EXPECT_EQ(edited.rules[0].number, 30);
    EXPECT_EQ(smartEditorState(stored("Mine", {}, 25), false).limit, "25");
    EXPECT_EQ(smartEditorState(stored("Mine", {}, 25), true).name, "") << "a new playlist starts unnamed";
}

TEST(SmartEditorRules, TheResult) {
    ZintraRadio::testkit::installEnglish();
    const auto draft = stored("Stored", {}, 0);
    struct Case {
        std::string name;
        bool isNew;
        std::string typedName;
        std::string limit;
        std::string expectedName;
        std::int64_t expectedLimit;
    };
    const Case cases[] = {
        {"new blank", true, " \t ", "", "New Smart Playlist", 0},
        {"edit emptied", false, "", "", "Stored", 0},
        {"kept blanks", true, " Road ", "25", " Road ", 25},
        {"plus", false, "x", "+7", "x", 7},
        {"minus", false, "x", "-3", "x", -3},
        {"letters", false, "x", "ten", "x", 0},
        {"decimal", false, "x", "2.5", "x", 0},
        {"trailing blank", false, "x", "5 ", "x", 0},
        {"sign alone", false, "x", "+", "x", 0},
        {"exponent", false, "x", "1e9", "x", 0},
        {"minus zero", false, "x", "-0", "x", 0},
        {"too large", false, "x", "99999999999999999999", "x", std::numeric_limits<std::int64_t>::max()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SmartEditorState state;
        state.name = c.typedName;
        state.limit = c.limit;
        state.rules = {row(RuleKind::genreIs, ""), row(RuleKind::yearBetween, "", 2020, 1990)};
        state.matchAll = false;
        state.sort = SmartSort::random;
        const auto result = smartEditorResult(draft, c.isNew, state, "New Smart Playlist");
        EXPECT_EQ(result.id, draft.id);
        EXPECT_EQ(result.name, c.expectedName);
        EXPECT_EQ(result.limit, c.expectedLimit);
        EXPECT_EQ(result.rules, (std::vector<SmartRule>{SmartRule::yearBetween(1990, 2020)}));
        EXPECT_FALSE(result.matchAll);
        EXPECT_EQ(result.sort, SmartSort::random);
    }
}
