// The history panel's rules: the tab it opens on, the count its header shows and when the
// clear button is offered. Pure.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace ZintraRadio {

enum class HistoryTab { played, songs, heard };

// The tab named by the scripted run's hook: exactly "songs" or "heard"; anything else, and no
// hook, opens the played stations.
HistoryTab historyTab(const std::optional<std::string>& hook);
const char* historyTabName(HistoryTab tab);
std::optional<HistoryTab> historyTabNamed(const std::string& name);

// The header's count for the tab on show; the heard songs count 0 without a database.
std::size_t historyCount(HistoryTab tab, std::size_t stations, std::size_t songs,
                         std::optional<std::size_t> heardSongs);
// Clearing is offered for a non-empty station history on the played tab only.
bool offersClear(HistoryTab tab, std::size_t stations);

} // namespace ZintraRadio
