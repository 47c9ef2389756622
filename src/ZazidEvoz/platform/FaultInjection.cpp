#include "FaultInjection.hpp"

#include <array>
#include <atomic>

namespace ZazidEvoz::platform::FaultInjection {
namespace {

// Remaining calls until the armed failure, per seam; 0 means disarmed.
std::array<std::atomic<int>, 3> countdowns{};

std::atomic<int>& countdownFor(Seam seam) { return countdowns[static_cast<int>(seam)]; }

} // namespace

void failNth(Seam seam, int nth) { countdownFor(seam).store(nth < 0 ? 0 : nth); }

void reset() {
    for (auto& countdown : countdowns)
        countdown.store(0);
}

bool shouldFail(Seam seam) {
    auto& countdown = countdownFor(seam);
    int current = countdown.load();
    while (current > 0) {
        if (countdown.compare_exchange_weak(current, current - 1))
            return current == 1;
    }
    return false;
}

} // namespace ZazidEvoz::platform::FaultInjection
