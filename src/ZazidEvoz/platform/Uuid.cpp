#include "Uuid.hpp"

#include <cerrno>
#include <random>
#include <sys/random.h>

namespace ZazidEvoz::platform {
namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

void fillRandom(std::array<std::uint8_t, 16>& bytes) {
    std::size_t filled = 0;
    while (filled < bytes.size()) {
        ssize_t count = ::getrandom(bytes.data() + filled, bytes.size() - filled, 0);
        if (count < 0) {
            if (errno == EINTR)
                continue;
            // No getrandom (very old kernel): the library's device-backed source instead.
            std::random_device device;
            for (; filled < bytes.size(); ++filled)
                bytes[filled] = static_cast<std::uint8_t>(device());
            return;
        }
        filled += std::size_t(count);
    }
}

} // namespace

Uuid Uuid::random() {
    Uuid uuid;
    fillRandom(uuid.bytes_);
    uuid.bytes_[6] = static_cast<std::uint8_t>((uuid.bytes_[6] & 0x0F) | 0x40); // version 4
    uuid.bytes_[8] = static_cast<std::uint8_t>((uuid.bytes_[8] & 0x3F) | 0x80); // RFC 4122 variant
    return uuid;
}

std::optional<Uuid> Uuid::fromText(std::string_view text) {
    if (text.size() != 36)
        return std::nullopt;
    Uuid uuid;
    std::size_t byte = 0;
    for (std::size_t index = 0; index < text.size();) {
        if (index == 8 || index == 13 || index == 18 || index == 23) {
            if (text[index] != '-')
                return std::nullopt;
            ++index;
            continue;
        }
        int high = hexValue(text[index]), low = hexValue(text[index + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        uuid.bytes_[byte++] = static_cast<std::uint8_t>(high * 16 + low);
        index += 2;
    }
    return uuid;
}

std::string Uuid::text() const {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string result;
    result.reserve(36);
    for (std::size_t index = 0; index < bytes_.size(); ++index) {
        if (index == 4 || index == 6 || index == 8 || index == 10)
            result.push_back('-');
        result.push_back(digits[bytes_[index] >> 4]);
        result.push_back(digits[bytes_[index] & 0x0F]);
    }
    return result;
}

} // namespace ZazidEvoz::platform

std::size_t
std::hash<ZazidEvoz::platform::Uuid>::operator()(const ZazidEvoz::platform::Uuid& uuid) const noexcept {
    std::size_t seed = 0;
    for (std::uint8_t byte : uuid.bytes())
        seed = seed * 131 + byte;
    return seed;
}
