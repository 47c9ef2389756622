// Text cut at every Unicode line break: LF, VT, FF, CR, NEL, LINE SEPARATOR and PARAGRAPH
// SEPARATOR; and text kept to one line. All text is UTF-8.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace ZazidEvoz::text {

// Length in bytes of the line break that starts at `position`, or 0 when there is none.
std::size_t lineBreakLength(std::string_view text, std::size_t position);

// Every piece between line breaks, in order; a CR LF pair leaves an empty piece between them.
std::vector<std::string_view> splitAtLineBreaks(std::string_view text);
// Every piece between line feeds only, in order, each without the carriage returns that end
// it: for what tools print and for configuration files, where a line of JSON or a path may
// hold any other line break as a character.
std::vector<std::string_view> splitAtLineFeeds(std::string_view text);

// Length in bytes of the line break or other control character (C0, DEL, C1) that starts at
// `position`, or 0 when there is none.
std::size_t controlLength(std::string_view text, std::size_t position);
bool holdsControlCharacters(std::string_view text);
// Each run of line breaks and other control characters becomes one blank: for texts shown on
// one line or written as one line of a file.
std::string asOneLine(std::string_view text);

} // namespace ZazidEvoz::text
