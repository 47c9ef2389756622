// Regular expressions in ICU syntax over UTF-8 text. A compiled Regex is immutable and
// can be shared between threads.
#pragma once

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <unicode/uversion.h>

U_NAMESPACE_BEGIN
class RegexPattern;
U_NAMESPACE_END

namespace ZazidEvoz {

class Regex {
public:
    enum class Option { None = 0, CaseInsensitive = 1, DotMatchesLineBreaks = 2, MultiLine = 4 };

    struct Match {
        std::size_t begin = 0; // byte offsets of the whole match in the searched text
        std::size_t end = 0;
        std::vector<std::optional<std::string>> groups; // [0] is the whole match; absent: group did not take part

        const std::string& operator[](std::size_t index) const;
        bool has(std::size_t index) const { return index < groups.size() && groups[index].has_value(); }
    };

    // Throws std::invalid_argument when the pattern does not compile.
    explicit Regex(std::string_view pattern, int options = 0);
    ~Regex();
    Regex(Regex&&) noexcept;
    Regex& operator=(Regex&&) noexcept;

    bool search(std::string_view text) const; // a match anywhere
    std::optional<Match> firstMatch(std::string_view text) const;
    std::vector<Match> allMatches(std::string_view text) const;
    // Replaces every match; "$1" in the replacement stands for group 1, "\$" for a dollar.
    std::string replaceAll(std::string_view text, std::string_view replacement) const;

private:
    std::unique_ptr<icu::RegexPattern> pattern_;
};

constexpr int operator|(Regex::Option a, Regex::Option b) { return int(a) | int(b); }

} // namespace ZazidEvoz
