#include "music/SmartEditorRules.hpp"

#include "music/MusicRules.hpp"

#include <array>
#include <cmath>
#include <limits>
#include <string>
#include <type_traits>

namespace ZintraRadio {

using ZazidEvoz::SmartRule;

namespace {

constexpr std::array<std::string_view, 12> kindNames{
    "genreIs",     "artistContains", "titleContains", "albumContains", "addedWithinDays", "playedAtLeast",
    "neverPlayed", "ratingAtLeast",  "yearBetween",   "longerThan",    "shorterThan",     "fromYouTube"};

// Whole minutes of a stored duration, truncated toward zero and kept inside the number range.
std::int64_t wholeMinutes(double seconds) {
    const double minutes = std::trunc(seconds / 60);
    if (std::isnan(minutes))
        return 0;
    constexpr double limit = 9.2e18; // below 2^63, so the conversion is defined
    return static_cast<std::int64_t>(std::clamp(minutes, -limit, limit));
}

double minutesInSeconds(std::int64_t minutes) {
    return static_cast<double>(saturatingProduct(minutes, 60));
}

} // namespace

const std::vector<RuleKind>& allRuleKinds() {
    static const std::vector<RuleKind> kinds{
        RuleKind::genreIs,         RuleKind::artistContains, RuleKind::titleContains, RuleKind::albumContains,
        RuleKind::addedWithinDays, RuleKind::playedAtLeast,  RuleKind::neverPlayed,   RuleKind::ratingAtLeast,
        RuleKind::yearBetween,     RuleKind::longerThan,     RuleKind::shorterThan,   RuleKind::fromYouTube};
    return kinds;
}

std::string_view rawValue(RuleKind kind) {
    return kindNames[static_cast<std::size_t>(kind)];
}

std::optional<RuleKind> ruleKindFromRawValue(std::string_view text) {
    for (auto kind : allRuleKinds())
        if (rawValue(kind) == text)
            return kind;
    return std::nullopt;
}

RuleValue ruleValue(RuleKind kind) {
    switch (kind) {
    case RuleKind::genreIs:
    case RuleKind::artistContains:
    case RuleKind::titleContains:
    case RuleKind::albumContains:
        return RuleValue::text;
    case RuleKind::yearBetween:
        return RuleValue::range;
    case RuleKind::neverPlayed:
    case RuleKind::fromYouTube:
        return RuleValue::nothing;
    default:
        return RuleValue::number;
    }
}

std::string_view ruleUnitKey(RuleKind kind) {
    switch (kind) {
    case RuleKind::addedWithinDays:
        return "rule.unit.days";
    case RuleKind::ratingAtLeast:
        return "rule.unit.stars";
    case RuleKind::longerThan:
    case RuleKind::shorterThan:
        return "rule.unit.minutes";
    default:
        return {};
    }
}

RuleDraft ruleDraft(const SmartRule& rule) {
    RuleDraft draft;
    std::visit(
        [&draft](const auto& value) {
            using Case = std::decay_t<decltype(value)>;
            if constexpr (std::is_same_v<Case, SmartRule::GenreIs>) {
                draft.kind = RuleKind::genreIs;
                draft.text = value.genre;
            } else if constexpr (std::is_same_v<Case, SmartRule::ArtistContains>) {
                draft.kind = RuleKind::artistContains;
                draft.text = value.text;
            } else if constexpr (std::is_same_v<Case, SmartRule::TitleContains>) {
                draft.kind = RuleKind::titleContains;
                draft.text = value.text;
            } else if constexpr (std::is_same_v<Case, SmartRule::AlbumContains>) {
                draft.kind = RuleKind::albumContains;
                draft.text = value.text;
            } else if constexpr (std::is_same_v<Case, SmartRule::AddedWithinDays>) {
                draft.kind = RuleKind::addedWithinDays;
                draft.number = value.days;
            } else if constexpr (std::is_same_v<Case, SmartRule::PlayedAtLeast>) {
                draft.kind = RuleKind::playedAtLeast;
                draft.number = value.plays;
            } else if constexpr (std::is_same_v<Case, SmartRule::NeverPlayed>) {
                draft.kind = RuleKind::neverPlayed;
            } else if constexpr (std::is_same_v<Case, SmartRule::RatingAtLeast>) {
                draft.kind = RuleKind::ratingAtLeast;
                draft.number = value.stars;
            } else if constexpr (std::is_same_v<Case, SmartRule::YearBetween>) {
                draft.kind = RuleKind::yearBetween;
                draft.number = value.lower;
                draft.second = value.upper;
            } else if constexpr (std::is_same_v<Case, SmartRule::LongerThan>) {
                draft.kind = RuleKind::longerThan;
                draft.number = wholeMinutes(value.seconds);
            } else if constexpr (std::is_same_v<Case, SmartRule::ShorterThan>) {
                draft.kind = RuleKind::shorterThan;
                draft.number = wholeMinutes(value.seconds);
            } else {
                draft.kind = RuleKind::fromYouTube;
            }
        },
        rule.value);
    return draft;
}

std::optional<SmartRule> smartRule(const RuleDraft& draft) {
    if (ruleValue(draft.kind) == RuleValue::text && isBlank(draft.text))
        return std::nullopt;
    switch (draft.kind) {
    case RuleKind::genreIs:
        return SmartRule::genreIs(draft.text);
    case RuleKind::artistContains:
        return SmartRule::artistContains(draft.text);
    case RuleKind::titleContains:
        return SmartRule::titleContains(draft.text);
    case RuleKind::albumContains:
        return SmartRule::albumContains(draft.text);
    case RuleKind::addedWithinDays:
        return SmartRule::addedWithinDays(draft.number);
    case RuleKind::playedAtLeast:
        return SmartRule::playedAtLeast(draft.number);
    case RuleKind::neverPlayed:
        return SmartRule::neverPlayed();
    case RuleKind::ratingAtLeast:
        return SmartRule::ratingAtLeast(std::clamp<std::int64_t>(draft.number, 1, 5));
    case RuleKind::yearBetween:
        return SmartRule::yearBetween(std::min(draft.number, draft.second),
                                      std::max(draft.number, draft.second));
    case RuleKind::longerThan:
        return SmartRule::longerThan(minutesInSeconds(draft.number));
    case RuleKind::shorterThan:
        return SmartRule::shorterThan(minutesInSeconds(draft.number));
    case RuleKind::fromYouTube:
        return SmartRule::fromYouTube();
    }
    return std::nullopt;
}

SmartEditorState smartEditorState(const ZazidEvoz::SmartPlaylist& draft, bool isNew) {
    SmartEditorState state;
    state.name = isNew ? std::string() : smartPlaylistDisplayName(draft.name);
    for (const auto& rule : draft.rules)
        state.rules.push_back(ruleDraft(rule));
    state.matchAll = draft.matchAll;
    state.sort = draft.sort;
    state.limit = draft.limit >= 1 ? std::to_string(draft.limit) : std::string();
    return state;
}

ZazidEvoz::SmartPlaylist smartEditorResult(const ZazidEvoz::SmartPlaylist& draft, bool isNew,
                                           const SmartEditorState& state, const std::string& newName) {
    ZazidEvoz::SmartPlaylist result;
    result.id = draft.id;
    if (isBlank(state.name))
        result.name = isNew ? newName : draft.name;
    else
        result.name = state.name;
    for (const auto& row : state.rules)
        if (auto rule = smartRule(row))
            result.rules.push_back(std::move(*rule));
    result.matchAll = state.matchAll;
    result.sort = state.sort;
    result.limit = saturatingWholeNumber(state.limit).value_or(0);
    return result;
}

RuleDraft withKind(const RuleDraft& rule, RuleKind kind) {
    if (rule.kind == kind)
        return rule;
    RuleDraft switched;
    switched.id = rule.id;
    switched.kind = kind;
    return switched;
}

TypedNumber ruleNumber(RuleKind kind, std::string_view typed) {
    const auto value = saturatingWholeNumber(typed);
    if (!value)
        return {std::nullopt, "rule.problem.wholeNumber"};
    if (kind == RuleKind::ratingAtLeast && (*value < 1 || *value > 5))
        return {std::nullopt, "rule.problem.stars"};
    return {value, {}};
}

bool hasRefusedNumber(const RuleDraft& rule) {
    return rule.refusedNumber || rule.refusedSecond;
}

} // namespace ZintraRadio
