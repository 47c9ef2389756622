// Index-set edits of the lists the user reorders by dragging (the queue, playlists, the
// station list): which rows a set of offsets names, and where rows end up when a set of them
// is dropped into a gap. Offsets outside the list are ignored, never trusted.
#pragma once

#include "state/ListModel.hpp"

#include <algorithm>
#include <vector>

namespace ZintraRadio {

// The offsets that name rows of a list of `count` rows, ascending, each once.
std::vector<int> validOffsets(std::vector<int> offsets, int count);

// The rows of a list of `count` rows in their order after moving the rows at `offsets`,
// keeping their relative order, into the gap before the row that was at `destination`
// (`count`: the end). Each entry is the row's position before the move. With no valid offset,
// or a destination outside 0...count, the order is unchanged.
std::vector<int> orderAfterMove(int count, const std::vector<int>& offsets, int destination);

// Brings the list into `order` (as orderAfterMove gives it) by single-row moves, so views
// see rows move instead of a reset.
template <typename T> void applyOrder(VectorListModel<T>& list, const std::vector<int>& order) {
    std::vector<int> current(order.size());
    for (std::size_t i = 0; i < current.size(); ++i)
        current[i] = static_cast<int>(i);
    for (std::size_t i = 0; i < order.size(); ++i) {
        auto found = std::find(current.begin() + static_cast<std::ptrdiff_t>(i), current.end(), order[i]);
        if (found == current.end())
            return; // not an order of this list
        const auto j = static_cast<std::size_t>(found - current.begin());
        if (j == i)
            continue;
        list.move(static_cast<int>(j), static_cast<int>(i));
        std::rotate(current.begin() + static_cast<std::ptrdiff_t>(i), found, found + 1);
    }
}

} // namespace ZintraRadio
