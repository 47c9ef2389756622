#include "state/ListMoves.hpp"

#include <algorithm>
#include <numeric>

namespace ZintraRadio {

std::vector<int> validOffsets(std::vector<int> offsets, int count) {
    std::erase_if(offsets, [count](int offset) { return offset < 0 || offset >= count; });
    std::sort(offsets.begin(), offsets.end());
    offsets.erase(std::unique(offsets.begin(), offsets.end()), offsets.end());
    return offsets;
}

std::vector<int> orderAfterMove(int count, const std::vector<int>& offsets, int destination) {
    std::vector<int> order(static_cast<std::size_t>(std::max(count, 0)));
    std::iota(order.begin(), order.end(), 0);
    const auto moving = validOffsets(offsets, count);
    if (moving.empty() || destination < 0 || destination > count)
        return order;
    std::vector<bool> isMoving(order.size(), false);
    for (int offset : moving)
        isMoving[static_cast<std::size_t>(offset)] = true;
    std::vector<int> result;
    result.reserve(order.size());
    // The rows that stay, up to the gap; the moved rows; the rows that stay after the gap.
    for (int row = 0; row < destination; ++row)
        if (!isMoving[static_cast<std::size_t>(row)])
            result.push_back(row);
    result.insert(result.end(), moving.begin(), moving.end());
    for (int row = destination; row < count; ++row)
        if (!isMoving[static_cast<std::size_t>(row)])
            result.push_back(row);
    return result;
}

} // namespace ZintraRadio
