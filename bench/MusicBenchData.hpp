// What the music benchmarks share: the folder that keeps their generated files between runs,
// and a fixed stream of words for generated track names (the same library in every run).
#pragma once

#include <cstdint>
#include <filesystem>
#include <iterator>
#include <string>

namespace ZazidEvoz::benchkit {

inline std::filesystem::path cacheFolder() {
    std::filesystem::path folder = std::filesystem::path(ZINTRARADIO_TEST_BINARY_DIR) / "bench-cache";
    std::filesystem::create_directories(folder);
    return folder;
}

// Removes a database file with its write-ahead log and shared-memory file.
inline void removeDatabase(const std::filesystem::path& file) {
    for (const char* suffix : {"", "-wal", "-shm"})
        std::filesystem::remove(file.string() + suffix);
}

// A xorshift generator with a fixed seed over a small vocabulary, accents included.
class Words {
public:
    std::uint64_t next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return state_;
    }
    std::string word() { return vocabulary[next() % std::size(vocabulary)]; }

private:
    static constexpr const char* vocabulary[] = {"love",   "night", "dance",   "summer", "heart", "fire",
                                                 "river",  "rock",  "blue",    "dream",  "light", "shadow",
                                                 "Zürich", "Köln",  "Café",    "moon",   "rain",  "road",
                                                 "home",   "gold",  "silence", "storm",  "wild",  "time"};
    std::uint64_t state_ = 0x9E3779B97F4A7C15ULL;
};

} // namespace ZazidEvoz::benchkit
