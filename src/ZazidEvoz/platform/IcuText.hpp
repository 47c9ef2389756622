// Conversions between our UTF-8 text and ICU's strings, for the files that call ICU.
#pragma once

#include <unicode/unistr.h>

#include <string>
#include <string_view>

namespace ZazidEvoz::icuText {

inline icu::UnicodeString fromUtf8(std::string_view text) {
    return icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
}

inline std::string toUtf8(const icu::UnicodeString& text) {
    std::string result;
    text.toUTF8String(result);
    return result;
}

} // namespace ZazidEvoz::icuText
