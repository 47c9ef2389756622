// Every library track's row in title order (localized, ignoring case; equal titles in library
// order), computed once per change of the titles and shared by every track list of one music
// model: opening the tracks tab again, or a page, does not sort the library again.
#pragma once

#include "music/TrackChangeWatch.hpp"

#include <QObject>
#include <optional>
#include <vector>

namespace ZintraRadio {

class MusicModel;

class TitleOrder : public QObject {
    Q_OBJECT

public:
    // The one of this music model (made on first use, gone with the model).
    static TitleOrder& of(MusicModel& music);

    // Rows of the model's tracks, in title order.
    const std::vector<std::size_t>& rows();
    // Forgets the order now (for a list that sorts again while the tracks' rows are being
    // renumbered, before this cache has heard of it).
    void invalidate() { rows_.reset(); }

private:
    explicit TitleOrder(MusicModel& music);

    MusicModel& music_;
    TrackChangeWatch watch_;
    std::optional<std::vector<std::size_t>> rows_;
};

} // namespace ZintraRadio
