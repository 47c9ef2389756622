#include "Text.hpp"

#include "IcuText.hpp"

#include <unicode/brkiter.h>
#include <unicode/coll.h>
#include <unicode/normalizer2.h>
#include <unicode/translit.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/ustring.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <charconv>
#include <memory>
#include <mutex>

namespace ZazidEvoz::text {
namespace {

using icuText::fromUtf8;
using icuText::toUtf8;

// Windows-1252's 0x80-0x9F row; 0 where the code page leaves a hole (those map to C1).
constexpr char16_t windows1252High[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                          0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                          0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                          0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

bool isHorizontalSpace(UChar32 c) {
    return c == '\t' || u_charType(c) == U_SPACE_SEPARATOR;
}
bool isWhiteSpace(UChar32 c) {
    return u_isUWhiteSpace(c);
}

template <typename Predicate> std::string trimmed(std::string_view text, Predicate isTrimmed) {
    int32_t length = static_cast<int32_t>(text.size());
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    int32_t start = 0;
    while (start < length) {
        int32_t next = start;
        UChar32 c;
        U8_NEXT(bytes, next, length, c);
        if (c < 0 || !isTrimmed(c))
            break;
        start = next;
    }
    int32_t end = length;
    while (end > start) {
        int32_t previous = end;
        UChar32 c;
        U8_PREV(bytes, start, previous, c);
        if (c < 0 || !isTrimmed(c))
            break;
        end = previous;
    }
    return std::string(text.substr(std::size_t(start), std::size_t(end - start)));
}

// Offsets (in UTF-16 units) of character boundaries, walked one by one.
template <typename Visitor> void forEachCharacterBoundary(const icu::UnicodeString& text, Visitor visit) {
    // Making an iterator takes a lock inside ICU that threads reading tags at once queue on;
    // an iterator is not safe for concurrent use, so each thread keeps its own.
    thread_local std::unique_ptr<icu::BreakIterator> iterator = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::BreakIterator> made(
            icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
        return U_FAILURE(status) ? nullptr : std::move(made);
    }();
    if (!iterator)
        return;
    iterator->setText(text);
    iterator->first();
    for (int32_t boundary = iterator->next(); boundary != icu::BreakIterator::DONE;
         boundary = iterator->next())
        if (!visit(boundary))
            return;
}

// A collator for the user's locale that ignores case but not diacritics; null when ICU has none.
std::unique_ptr<icu::Collator> caseInsensitiveCollator() {
    UErrorCode status = U_ZERO_ERROR;
    // The C locale maps to en_US_POSIX, whose collation orders by code point; use the root
    // collation there so "abc" and "ABC" still compare equal.
    icu::Locale locale = icu::Locale::getDefault();
    if (std::string_view(locale.getName()) == "en_US_POSIX")
        locale = icu::Locale::getRoot();
    std::unique_ptr<icu::Collator> collator(icu::Collator::createInstance(locale, status));
    if (U_FAILURE(status) || !collator)
        return nullptr;
    collator->setStrength(icu::Collator::SECONDARY);
    return collator;
}

} // namespace

bool isValidUtf8(std::string_view bytes) {
    int32_t length = static_cast<int32_t>(bytes.size());
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    for (int32_t offset = 0; offset < length;) {
        UChar32 c;
        U8_NEXT(data, offset, length, c);
        if (c < 0)
            return false;
    }
    return true;
}

std::string decodeLegacyText(std::string_view bytes) {
    if (isValidUtf8(bytes))
        return std::string(bytes);
    icu::UnicodeString decoded;
    for (unsigned char byte : bytes) {
        char16_t unit = byte;
        if (byte >= 0x80 && byte <= 0x9F && windows1252High[byte - 0x80] != 0)
            unit = windows1252High[byte - 0x80];
        decoded.append(unit);
    }
    return toUtf8(decoded);
}

std::string sanitizedUtf8(std::string_view bytes) {
    return toUtf8(fromUtf8(bytes));
}

std::string toNFC(std::string_view text) {
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* normalizer = icu::Normalizer2::getNFCInstance(status);
    if (U_FAILURE(status))
        return std::string(text);
    icu::UnicodeString normalized = normalizer->normalize(fromUtf8(text), status);
    return U_FAILURE(status) ? std::string(text) : toUtf8(normalized);
}

std::string lowercased(std::string_view text) {
    return toUtf8(fromUtf8(text).toLower(icu::Locale::getRoot()));
}
std::string uppercased(std::string_view text) {
    return toUtf8(fromUtf8(text).toUpper(icu::Locale::getRoot()));
}

std::string trimmedHorizontalWhitespace(std::string_view text) {
    return trimmed(text, isHorizontalSpace);
}
std::string trimmedWhitespace(std::string_view text) {
    return trimmed(text, isWhiteSpace);
}
std::string trimmedBlanksAndTabs(std::string_view text) {
    return trimmed(text, [](UChar32 c) { return c == ' ' || c == '\t'; });
}

bool equalAfterNFC(std::string_view a, std::string_view b) {
    return a == b || toNFC(a) == toNFC(b);
}

std::size_t characterCount(std::string_view text) {
    std::size_t count = 0;
    forEachCharacterBoundary(fromUtf8(text), [&](int32_t) {
        ++count;
        return true;
    });
    return count;
}

std::string characterPrefix(std::string_view text, std::size_t count) {
    icu::UnicodeString unicode = fromUtf8(text);
    int32_t end = 0;
    std::size_t seen = 0;
    forEachCharacterBoundary(unicode, [&](int32_t boundary) {
        if (seen == count)
            return false;
        ++seen;
        end = boundary;
        return true;
    });
    return toUtf8(unicode.tempSubString(0, end));
}

std::string bytePrefixOnCharacterBoundary(std::string_view text, std::size_t maxBytes) {
    if (text.size() <= maxBytes)
        return std::string(text);
    icu::UnicodeString unicode = fromUtf8(text);
    // Walk the characters, adding up their UTF-8 sizes, so a long text costs linear time.
    int32_t end = 0;
    std::size_t bytes = 0;
    forEachCharacterBoundary(unicode, [&](int32_t boundary) {
        std::size_t characterBytes = toUtf8(unicode.tempSubString(end, boundary - end)).size();
        if (bytes + characterBytes > maxBytes)
            return false;
        bytes += characterBytes;
        end = boundary;
        return true;
    });
    return toUtf8(unicode.tempSubString(0, end));
}

std::string oneLineText(std::string_view text, std::size_t maxBytes) {
    std::string cut = bytePrefixOnCharacterBoundary(text, maxBytes);
    std::string line;
    line.reserve(cut.size());
    for (std::size_t i = 0; i < cut.size(); ++i) {
        auto c = static_cast<unsigned char>(cut[i]);
        bool c1 = c == 0xC2 && i + 1 < cut.size() && static_cast<unsigned char>(cut[i + 1]) >= 0x80 &&
                  static_cast<unsigned char>(cut[i + 1]) <= 0x9F;
        if (c >= 0x20 && c != 0x7F && !c1) {
            line += cut[i];
            continue;
        }
        char32_t control = c1 ? static_cast<unsigned char>(cut[++i]) : c;
        bool separates = (control >= 0x09 && control <= 0x0D) || control == 0x85;
        if (separates)
            line += ' ';
    }
    return line;
}

std::vector<std::string> alphanumericWords(std::string_view text) {
    std::vector<std::string> words;
    std::string word;
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    auto length = static_cast<int32_t>(text.size());
    for (int32_t offset = 0; offset < length;) {
        int32_t start = offset;
        UChar32 c;
        U8_NEXT(bytes, offset, length, c);
        if (c >= 0 && (U_GET_GC_MASK(c) & (U_GC_L_MASK | U_GC_M_MASK | U_GC_N_MASK)) != 0) {
            word.append(text.substr(std::size_t(start), std::size_t(offset - start)));
        } else if (!word.empty()) {
            words.push_back(std::move(word));
            word.clear();
        }
    }
    if (!word.empty())
        words.push_back(std::move(word));
    return words;
}

std::string foldedCaseAndDiacritics(std::string_view text) {
    // ASCII has no marks to strip and folds to lower case: the common case, without ICU.
    if (std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        std::string folded(text);
        for (char& c : folded)
            if (c >= 'A' && c <= 'Z')
                c = char(c - 'A' + 'a');
        return folded;
    }
    static std::once_flag once;
    static std::unique_ptr<icu::Transliterator> stripMarks;
    std::call_once(once, [] {
        UErrorCode status = U_ZERO_ERROR;
        stripMarks.reset(icu::Transliterator::createInstance("NFD; [:Nonspacing Mark:] Remove; NFC",
                                                             UTRANS_FORWARD, status));
        if (U_FAILURE(status))
            stripMarks.reset();
    });
    icu::UnicodeString unicode = fromUtf8(text);
    if (stripMarks) {
        // A transliterator is not safe for concurrent use; each thread keeps its own copy.
        thread_local std::unique_ptr<icu::Transliterator> local(stripMarks->clone());
        local->transliterate(unicode);
    }
    unicode.foldCase();
    return toUtf8(unicode);
}

bool equalsCaseInsensitive(std::string_view a, std::string_view b) {
    if (a == b)
        return true;
    return toNFC(toUtf8(fromUtf8(a).foldCase())) == toNFC(toUtf8(fromUtf8(b).foldCase()));
}

int compareLocalizedCaseInsensitive(std::string_view a, std::string_view b) {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Collator> collator = caseInsensitiveCollator();
    if (!collator) {
        std::string left = toUtf8(fromUtf8(a).foldCase()), right = toUtf8(fromUtf8(b).foldCase());
        return left < right ? -1 : left > right ? 1 : 0;
    }
    UCollationResult result = collator->compareUTF8(icu::StringPiece(a.data(), int32_t(a.size())),
                                                    icu::StringPiece(b.data(), int32_t(b.size())), status);
    return result == UCOL_LESS ? -1 : result == UCOL_GREATER ? 1 : 0;
}

std::vector<std::string> localizedCaseInsensitiveSortKeys(const std::vector<std::string_view>& texts) {
    std::unique_ptr<icu::Collator> collator = caseInsensitiveCollator();
    std::vector<std::string> keys;
    keys.reserve(texts.size());
    for (std::string_view text : texts) {
        icu::UnicodeString unicode = fromUtf8(text);
        if (!collator) {
            keys.push_back(toUtf8(unicode.foldCase()));
            continue;
        }
        std::string key(64, '\0');
        int32_t length =
            collator->getSortKey(unicode, reinterpret_cast<uint8_t*>(key.data()), int32_t(key.size()));
        if (length > int32_t(key.size())) {
            key.resize(std::size_t(length));
            length = collator->getSortKey(unicode, reinterpret_cast<uint8_t*>(key.data()), length);
        }
        // The key ends with a NUL byte that carries no order.
        key.resize(length > 0 ? std::size_t(length - 1) : 0);
        keys.push_back(std::move(key));
    }
    return keys;
}

bool containsLocalizedCaseInsensitive(std::string_view text, std::string_view part) {
    if (part.empty())
        return false;
    icu::UnicodeString haystack = fromUtf8(text).foldCase();
    icu::UnicodeString needle = fromUtf8(part).foldCase();
    return haystack.indexOf(needle) >= 0;
}

std::optional<std::int64_t> wholeDecimal(std::string_view text) {
    if (text.starts_with('+')) {
        text.remove_prefix(1);
        if (text.starts_with('-'))
            return std::nullopt;
    }
    std::int64_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

namespace {
char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }
} // namespace

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && startsWithIgnoringAsciiCase(a, b);
}

bool startsWithIgnoringAsciiCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (asciiLower(text[i]) != asciiLower(prefix[i]))
            return false;
    return true;
}

} // namespace ZazidEvoz::text
