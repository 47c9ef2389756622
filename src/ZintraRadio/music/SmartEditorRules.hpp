// The smart-playlist editor's rules: a rule as an editable row whose kind can change while its
// text and numbers stay, and the smart playlist that the editor's state describes.
#pragma once

#include "ZazidEvoz/music/MusicLibrary.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ZintraRadio {

// In the order of the kind picker.
enum class RuleKind {
    genreIs,
    artistContains,
    titleContains,
    albumContains,
    addedWithinDays,
    playedAtLeast,
    neverPlayed,
    ratingAtLeast,
    yearBetween,
    longerThan,
    shorterThan,
    fromYouTube,
};

const std::vector<RuleKind>& allRuleKinds();
std::string_view rawValue(RuleKind kind);
std::optional<RuleKind> ruleKindFromRawValue(std::string_view text);

// What a row of the kind edits: a text, one number, two numbers (years), or nothing.
enum class RuleValue { text, number, range, nothing };
RuleValue ruleValue(RuleKind kind);
// The key of the unit shown after the number ("rule.unit.days", ...); empty for none.
std::string_view ruleUnitKey(RuleKind kind);

struct RuleDraft {
    ZazidEvoz::platform::Uuid id = ZazidEvoz::platform::Uuid::random();
    RuleKind kind = RuleKind::artistContains;
    std::string text;
    std::int64_t number = 1;
    std::int64_t second = 2026;
    // What was typed into a number field when the rule cannot take it: the field shows it,
    // marked, until it is mended. None while the field holds `number` (`second`).
    std::optional<std::string> refusedNumber;
    std::optional<std::string> refusedSecond;
    friend bool operator==(const RuleDraft&, const RuleDraft&) = default;
};

// The row with another kind: it starts from that kind's defaults (a number meant for one kind
// means something else to another: 1970 as a year is no rating). The same kind changes nothing.
RuleDraft withKind(const RuleDraft& rule, RuleKind kind);

// A row for a stored rule: its kind and values, the other fields at their defaults. Durations
// show as whole minutes (truncated; a duration beyond the number range is clamped to it).
RuleDraft ruleDraft(const ZazidEvoz::SmartRule& rule);
// The stored rule of a row; none for a text kind whose text is blank. Ratings are clamped to
// 1...5, a year range is put in order, minutes become seconds (clamped to the number range).
std::optional<ZazidEvoz::SmartRule> smartRule(const RuleDraft& draft);

// The editor's state as typed.
struct SmartEditorState {
    std::string name;
    std::vector<RuleDraft> rules;
    bool matchAll = true;
    ZazidEvoz::SmartSort sort = ZazidEvoz::SmartSort::title;
    std::string limit;
};

// The state loaded from a draft: no name for a new playlist, else its name (a translation key
// shown as its text); the rules as rows; the limit as digits from 1 on, else empty.
SmartEditorState smartEditorState(const ZazidEvoz::SmartPlaylist& draft, bool isNew);

// The smart playlist the state describes: the draft's id; a blank name falls back to
// `newName` (new) or the draft's name (edited), any other name is kept as typed; blank text
// rules are left out; the limit reads as a whole number (with "+" or "-", no blanks, clamped to
// the number range), 0 when it does not read.
ZazidEvoz::SmartPlaylist smartEditorResult(const ZazidEvoz::SmartPlaylist& draft, bool isNew,
                                           const SmartEditorState& state, const std::string& newName);

// A number typed into a field of a rule of `kind`: the value it takes, or, when it cannot take
// it, the translation key of why (a whole number is needed; a rating goes from 1 to 5). Larger
// numbers are clamped to the number range.
struct TypedNumber {
    std::optional<std::int64_t> value;
    std::string_view problemKey; // empty when `value` is set
};
TypedNumber ruleNumber(RuleKind kind, std::string_view typed);

// Whether a number field of the row holds what was typed but cannot be taken.
bool hasRefusedNumber(const RuleDraft& rule);

} // namespace ZintraRadio
