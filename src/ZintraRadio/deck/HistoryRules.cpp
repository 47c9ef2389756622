#include "deck/HistoryRules.hpp"

namespace ZintraRadio {

HistoryTab historyTab(const std::optional<std::string>& hook) {
    if (!hook)
        return HistoryTab::played;
    return historyTabNamed(*hook).value_or(HistoryTab::played);
}

const char* historyTabName(HistoryTab tab) {
    switch (tab) {
    case HistoryTab::songs:
        return "songs";
    case HistoryTab::heard:
        return "heard";
    case HistoryTab::played:
        break;
    }
    return "played";
}

std::optional<HistoryTab> historyTabNamed(const std::string& name) {
    for (HistoryTab tab : {HistoryTab::played, HistoryTab::songs, HistoryTab::heard})
        if (name == historyTabName(tab))
            return tab;
    return std::nullopt;
}

std::size_t historyCount(HistoryTab tab, std::size_t stations, std::size_t songs,
                         std::optional<std::size_t> heardSongs) {
    switch (tab) {
    case HistoryTab::songs:
        return songs;
    case HistoryTab::heard:
        return heardSongs.value_or(0);
    case HistoryTab::played:
        break;
    }
    return stations;
}

bool offersClear(HistoryTab tab, std::size_t stations) {
    return tab == HistoryTab::played && stations > 0;
}

} // namespace ZintraRadio
