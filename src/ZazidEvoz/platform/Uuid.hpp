// Universally unique identifiers (random, version 4) in the canonical upper-case text form.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace ZazidEvoz::platform {

class Uuid {
public:
    // The nil identifier (all zero).
    Uuid() = default;
    // A fresh random identifier from the system's random source.
    static Uuid random();
    // 32 hexadecimal digits in groups of 8-4-4-4-12; either letter case.
    static std::optional<Uuid> fromText(std::string_view text);

    // "E621E1F8-C36C-495A-93FC-0C247A3E6E5F"
    std::string text() const;
    const std::array<std::uint8_t, 16>& bytes() const { return bytes_; }

    friend bool operator==(const Uuid&, const Uuid&) = default;

private:
    std::array<std::uint8_t, 16> bytes_{};
};

} // namespace ZazidEvoz::platform

template <> struct std::hash<ZazidEvoz::platform::Uuid> {
    std::size_t operator()(const ZazidEvoz::platform::Uuid& uuid) const noexcept;
};
