#include "music/TitleOrder.hpp"

#include "state/MusicModel.hpp"

namespace ZintraRadio {

TitleOrder& TitleOrder::of(MusicModel& music) {
    if (auto* existing = music.findChild<TitleOrder*>(QString(), Qt::FindDirectChildrenOnly))
        return *existing;
    return *new TitleOrder(music);
}

TitleOrder::TitleOrder(MusicModel& music)
    : QObject(&music), music_(music),
      watch_([](const ZazidEvoz::Track& track) { return TrackChangeWatch::textHash(track.title); }) {
    // Dropped at once: a list that sorts again in the same turn must not get the old order.
    connect(&watch_, &TrackChangeWatch::touched, this, [this] { rows_.reset(); });
    watch_.watch(&music);
}

const std::vector<std::size_t>& TitleOrder::rows() {
    if (!rows_) {
        std::vector<std::string_view> titles;
        titles.reserve(music_.tracks().size());
        for (const auto& track : music_.tracks())
            titles.emplace_back(track.title);
        rows_ = localizedOrder(titles);
    }
    return *rows_;
}

} // namespace ZintraRadio
