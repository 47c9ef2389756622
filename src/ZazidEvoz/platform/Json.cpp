#include "Json.hpp"

#include <cmath>
#include <limits>

namespace ZazidEvoz::json {
namespace {

[[noreturn]] void typeMismatch(std::string_view context, std::string_view expected) {
    throw JsonDecodeError("Expected " + std::string(expected) + " for \"" + std::string(context) + "\"");
}

bool containsNonFinite(const Value& value) {
    if (value.is_number_float())
        return !std::isfinite(value.get<double>());
    if (value.is_structured())
        for (const auto& element : value)
            if (containsNonFinite(element))
                return true;
    return false;
}

const Value& field(const Value& object, std::string_view key) {
    if (!object.is_object())
        typeMismatch(key, "an object around the key");
    auto found = object.find(key);
    if (found == object.end())
        throw JsonDecodeError("Missing key \"" + std::string(key) + "\"");
    return *found;
}

const Value* optionalField(const Value& object, std::string_view key) {
    if (!object.is_object())
        typeMismatch(key, "an object around the key");
    auto found = object.find(key);
    if (found == object.end() || found->is_null())
        return nullptr;
    return &*found;
}

// The deepest nesting of arrays and objects, counted outside strings in one pass with no
// allocation. Brackets need not match: the parser judges the rest.
bool nestsDeeperThan(std::string_view text, std::size_t limit) {
    std::size_t depth = 0;
    bool inString = false;
    for (std::size_t position = 0; position < text.size(); ++position) {
        char c = text[position];
        if (inString) {
            if (c == '\\')
                ++position; // the escaped character cannot end the string
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > limit)
                return true;
        } else if ((c == ']' || c == '}') && depth > 0) {
            --depth;
        }
    }
    return false;
}

} // namespace

std::string prettyText(const Value& value) {
    if (containsNonFinite(value))
        throw std::invalid_argument("JSON cannot hold NaN or infinity");
    return value.dump(2, ' ', false, Value::error_handler_t::replace);
}

Value parse(std::string_view text) {
    if (nestsDeeperThan(text, maxNestingDepth))
        throw JsonDecodeError("JSON nested deeper than " + std::to_string(maxNestingDepth) + " levels");
    try {
        return Value::parse(text.begin(), text.end());
    } catch (const Value::exception& error) {
        throw JsonDecodeError(error.what());
    }
}

double finiteOrZero(double value) { return std::isfinite(value) ? value : 0.0; }

const Value& requireObject(const Value& value, std::string_view context) {
    if (!value.is_object())
        typeMismatch(context, "an object");
    return value;
}

std::string asString(const Value& value, std::string_view context) {
    if (!value.is_string())
        typeMismatch(context, "a string");
    return value.get<std::string>();
}

std::int64_t asInt(const Value& value, std::string_view context) {
    if (value.is_number_integer()) {
        if (value.is_number_unsigned() && value.get<std::uint64_t>() > std::uint64_t(std::numeric_limits<std::int64_t>::max()))
            typeMismatch(context, "a 64-bit integer");
        return value.get<std::int64_t>();
    }
    if (value.is_number_float()) {
        double number = value.get<double>();
        // A whole number written with a fraction part, such as 3.0, still reads as an integer.
        if (std::isfinite(number) && std::floor(number) == number && std::fabs(number) < 9.2e18)
            return static_cast<std::int64_t>(number);
    }
    typeMismatch(context, "an integer");
}

double asDouble(const Value& value, std::string_view context) {
    if (!value.is_number())
        typeMismatch(context, "a number");
    return value.get<double>();
}

std::string requireString(const Value& object, std::string_view key) { return asString(field(object, key), key); }
std::int64_t requireInt(const Value& object, std::string_view key) { return asInt(field(object, key), key); }
double requireDouble(const Value& object, std::string_view key) { return asDouble(field(object, key), key); }

bool requireBool(const Value& object, std::string_view key) {
    const Value& value = field(object, key);
    if (!value.is_boolean())
        typeMismatch(key, "a Boolean");
    return value.get<bool>();
}

const Value& requireArray(const Value& object, std::string_view key) {
    const Value& value = field(object, key);
    if (!value.is_array())
        typeMismatch(key, "an array");
    return value;
}

std::optional<std::string> optionalString(const Value& object, std::string_view key) {
    const Value* value = optionalField(object, key);
    return value ? std::optional(asString(*value, key)) : std::nullopt;
}

std::optional<std::int64_t> optionalInt(const Value& object, std::string_view key) {
    const Value* value = optionalField(object, key);
    return value ? std::optional(asInt(*value, key)) : std::nullopt;
}

std::optional<double> optionalDouble(const Value& object, std::string_view key) {
    const Value* value = optionalField(object, key);
    return value ? std::optional(asDouble(*value, key)) : std::nullopt;
}

std::optional<bool> optionalBool(const Value& object, std::string_view key) {
    const Value* value = optionalField(object, key);
    if (!value)
        return std::nullopt;
    if (!value->is_boolean())
        typeMismatch(key, "a Boolean");
    return value->get<bool>();
}

} // namespace ZazidEvoz::json
