#include "Regex.hpp"

#include "IcuText.hpp"

#include <unicode/regex.h>
#include <unicode/unistr.h>
#include <unicode/utf16.h>
#include <unicode/utf8.h>

namespace ZazidEvoz {
namespace {

using icuText::fromUtf8;
using icuText::toUtf8;

// Byte offsets in the UTF-8 form of a text for UTF-16 offsets. Offsets asked in ascending
// order (the matches of one search) are found by walking on from the last one, so listing
// every match of a long line stays linear.
class Utf8Offsets {
public:
    explicit Utf8Offsets(const icu::UnicodeString& text) : text_(text) {}

    std::size_t at(int32_t index) {
        if (index < index_) {
            index_ = 0;
            bytes_ = 0;
        }
        while (index_ < index) {
            UChar32 character = text_.char32At(index_);
            bytes_ += U8_LENGTH(character);
            index_ += U16_LENGTH(character);
        }
        return bytes_;
    }

private:
    const icu::UnicodeString& text_;
    int32_t index_ = 0;
    std::size_t bytes_ = 0;
};

const std::string emptyGroup;

Regex::Match currentMatch(icu::RegexMatcher& matcher, Utf8Offsets& offsets) {
    UErrorCode status = U_ZERO_ERROR;
    Regex::Match match;
    match.begin = offsets.at(matcher.start(status));
    match.end = offsets.at(matcher.end(status));
    for (int32_t group = 0; group <= matcher.groupCount(); ++group) {
        if (matcher.start(group, status) < 0)
            match.groups.emplace_back(std::nullopt);
        else
            match.groups.emplace_back(toUtf8(matcher.group(group, status)));
    }
    return match;
}

} // namespace

const std::string& Regex::Match::operator[](std::size_t index) const {
    return has(index) ? *groups[index] : emptyGroup;
}

Regex::Regex(std::string_view pattern, int options) {
    uint32_t flags = 0;
    if (options & int(Option::CaseInsensitive))
        flags |= UREGEX_CASE_INSENSITIVE;
    if (options & int(Option::DotMatchesLineBreaks))
        flags |= UREGEX_DOTALL;
    if (options & int(Option::MultiLine))
        flags |= UREGEX_MULTILINE;
    UErrorCode status = U_ZERO_ERROR;
    UParseError parseError;
    pattern_.reset(icu::RegexPattern::compile(fromUtf8(pattern), flags, parseError, status));
    if (U_FAILURE(status))
        throw std::invalid_argument("Invalid regular expression: " + std::string(pattern));
}

Regex::~Regex() = default;
Regex::Regex(Regex&&) noexcept = default;
Regex& Regex::operator=(Regex&&) noexcept = default;

bool Regex::search(std::string_view text) const {
    UErrorCode status = U_ZERO_ERROR;
    icu::UnicodeString unicode = fromUtf8(text);
    std::unique_ptr<icu::RegexMatcher> matcher(pattern_->matcher(unicode, status));
    return U_SUCCESS(status) && matcher->find(status) && U_SUCCESS(status);
}

std::vector<Regex::Match> Regex::allMatches(std::string_view text) const {
    std::vector<Match> matches;
    UErrorCode status = U_ZERO_ERROR;
    icu::UnicodeString unicode = fromUtf8(text);
    std::unique_ptr<icu::RegexMatcher> matcher(pattern_->matcher(unicode, status));
    if (U_FAILURE(status))
        return matches;
    Utf8Offsets offsets(unicode);
    while (matcher->find(status) && U_SUCCESS(status))
        matches.push_back(currentMatch(*matcher, offsets));
    return matches;
}

std::optional<Regex::Match> Regex::firstMatch(std::string_view text) const {
    UErrorCode status = U_ZERO_ERROR;
    icu::UnicodeString unicode = fromUtf8(text);
    std::unique_ptr<icu::RegexMatcher> matcher(pattern_->matcher(unicode, status));
    if (U_FAILURE(status) || !matcher->find(status) || U_FAILURE(status))
        return std::nullopt;
    Utf8Offsets offsets(unicode);
    return currentMatch(*matcher, offsets);
}

std::string Regex::replaceAll(std::string_view text, std::string_view replacement) const {
    UErrorCode status = U_ZERO_ERROR;
    icu::UnicodeString unicode = fromUtf8(text);
    std::unique_ptr<icu::RegexMatcher> matcher(pattern_->matcher(unicode, status));
    if (U_FAILURE(status))
        return std::string(text);
    icu::UnicodeString replaced = matcher->replaceAll(fromUtf8(replacement), status);
    return U_FAILURE(status) ? std::string(text) : toUtf8(replaced);
}

} // namespace ZazidEvoz
