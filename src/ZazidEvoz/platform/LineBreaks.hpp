// Text cut at every Unicode line break: LF, VT, FF, CR, NEL, LINE SEPARATOR and PARAGRAPH
// SEPARATOR. All text is UTF-8.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace ZazidEvoz::text {

// Length in bytes of the line break that starts at `position`, or 0 when there is none.
std::size_t lineBreakLength(std::string_view text, std::size_t position);

// Every piece between line breaks, in order; a CR LF pair leaves an empty piece between them.
std::vector<std::string_view> splitAtLineBreaks(std::string_view text);

} // namespace ZazidEvoz::text
