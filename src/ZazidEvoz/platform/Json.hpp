// JSON text and strict reading of records.
//
// Objects come out with sorted keys (nlohmann's default map), pretty-printed with two spaces.
// Reading a record is strict: a missing key, a null or a value of the wrong type fails with
// JsonDecodeError naming the key.
#pragma once

#include <nlohmann/json.hpp>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace ZazidEvoz::json {

using Value = nlohmann::json;

class JsonDecodeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Pretty text with sorted keys; throws std::invalid_argument on NaN or infinity, which JSON
// cannot hold. Invalid UTF-8 in strings is replaced, never fatal.
std::string prettyText(const Value& value);
// No file or answer of ours nests this deep; deeper text is refused before any tree is built,
// so a hostile "[[[[…" costs no memory.
inline constexpr std::size_t maxNestingDepth = 256;

// Parses; throws JsonDecodeError with the parser's message, or when arrays and objects nest
// deeper than maxNestingDepth.
Value parse(std::string_view text);

// Zero for NaN and infinity, so a record never writes a number JSON cannot hold.
double finiteOrZero(double value);

// Strict field readers for an object. "Optional" readers accept a missing key or null.
const Value& requireObject(const Value& value, std::string_view context);
std::string requireString(const Value& object, std::string_view key);
std::int64_t requireInt(const Value& object, std::string_view key);
double requireDouble(const Value& object, std::string_view key);
bool requireBool(const Value& object, std::string_view key);
const Value& requireArray(const Value& object, std::string_view key);
std::optional<std::string> optionalString(const Value& object, std::string_view key);
std::optional<std::int64_t> optionalInt(const Value& object, std::string_view key);
std::optional<double> optionalDouble(const Value& object, std::string_view key);
std::optional<bool> optionalBool(const Value& object, std::string_view key);

// Values without a key.
std::string asString(const Value& value, std::string_view context);
std::int64_t asInt(const Value& value, std::string_view context);
double asDouble(const Value& value, std::string_view context);

} // namespace ZazidEvoz::json
