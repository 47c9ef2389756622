// Unicode text helpers over ICU. All text is UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ZazidEvoz::text {

bool isValidUtf8(std::string_view bytes);

// Bytes from the network or an old file: UTF-8 when they are valid UTF-8, otherwise
// Windows-1252 (a superset of Latin-1 for the printable range).
std::string decodeLegacyText(std::string_view bytes);

// Invalid sequences become U+FFFD.
std::string sanitizedUtf8(std::string_view bytes);

std::string toNFC(std::string_view text);
std::string lowercased(std::string_view text);
std::string uppercased(std::string_view text);

// Without leading and trailing spaces and tabs (the Unicode space separators and tab;
// line breaks stay).
std::string trimmedHorizontalWhitespace(std::string_view text);
// Without leading and trailing white space including line breaks.
std::string trimmedWhitespace(std::string_view text);
// Without leading and trailing ASCII blanks and tabs only: for what a tool prints about a file,
// whose name may well end in a no-break space.
std::string trimmedBlanksAndTabs(std::string_view text);

// Equal as Unicode text: the same bytes, or the same after NFC (a decomposed "é" equals the
// composed one), as texts typed, tagged and read back by other programs differ.
bool equalAfterNFC(std::string_view a, std::string_view b);

// User-perceived characters (grapheme clusters).
std::size_t characterCount(std::string_view text);
std::string characterPrefix(std::string_view text, std::size_t count);
// The longest prefix of at most `maxBytes` bytes that ends on a character boundary.
std::string bytePrefixOnCharacterBoundary(std::string_view text, std::size_t maxBytes);

// A text from elsewhere made fit to show on one line: cut to at most `maxBytes` bytes on a
// character boundary, without control characters (U+0000 to U+001F, DEL, U+0080 to U+009F);
// those that separate words (tab, line feed, carriage return and the like) become a blank.
std::string oneLineText(std::string_view text, std::size_t maxBytes);

// The runs of letters, marks and digits, in order; everything else separates them.
// Invalid UTF-8 separates too.
std::vector<std::string> alphanumericWords(std::string_view text);

// Case and diacritic folding without a locale ("Émile" and "emile" fold alike).
std::string foldedCaseAndDiacritics(std::string_view text);

// Equal after Unicode case folding, without a locale; diacritics count ("rock" equals "ROCK",
// not "Röck").
bool equalsCaseInsensitive(std::string_view a, std::string_view b);

// ASCII-only case-insensitive tests, for protocol texts (schemes, header names, tags).
bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b);
bool startsWithIgnoringAsciiCase(std::string_view text, std::string_view prefix);

// The whole text as a decimal integer: an optional "+" or "-", then ASCII digits only, within
// the 64-bit range; nothing for anything else.
std::optional<std::int64_t> wholeDecimal(std::string_view text);

// Comparisons in the user's locale, ignoring case (diacritics still count).
int compareLocalizedCaseInsensitive(std::string_view a, std::string_view b);
bool containsLocalizedCaseInsensitive(std::string_view text, std::string_view part);
// Byte keys that order like compareLocalizedCaseInsensitive (compare them with <), made with
// one collator: for sorting many texts.
std::vector<std::string> localizedCaseInsensitiveSortKeys(const std::vector<std::string_view>& texts);

} // namespace ZazidEvoz::text
