// Library files that moved: renamed, or carried along with a folder that was renamed. A moved
// file is the same library entry under a new path: it keeps the plays, rating and dates its
// user gave it, and the playlists follow it.
//
// Moves are known two ways. The folder watcher sees a rename happen and reports it as it is.
// A rescan that finds a file gone and a new one in its place (the program was not running,
// or the rename went past the watcher) takes the new file for the old one when it has the
// old one's size, modification time and tags: a rename keeps all three, a different file
// seldom has them all.
#pragma once

#include "MusicLibrary.hpp"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace ZazidEvoz {

// A file, or a folder with everything under it, now at `to`.
struct PathMove {
    std::string from;
    std::string to;
    friend bool operator==(const PathMove&, const PathMove&) = default;
};

// Where `path` is after the moves, applied in their order; nothing when none of them moved it.
std::optional<std::string> movedPath(std::string_view path, const std::vector<PathMove>& moves);

// The tracks with the moves applied to their paths, in their order. A track whose file another
// one moved onto (it replaced the file) is dropped: the moved file's track takes its place.
std::vector<Track> tracksAfterMoves(std::vector<Track> tracks, const std::vector<PathMove>& moves);

// True when the two tracks were read from the same recording: the same length and tags. A title
// and artist that both come from their file names are not compared, so an untagged file may
// be renamed.
bool sameRecording(const Track& stored, const Track& fresh);

// What the user gave a track goes over to the track read anew from its file (changed, or
// found moved): the date it joined, plays, rating and source address.
void carryOver(const Track& stored, Track& fresh);

// The stored files that are gone, for finding them again among the new files of a rescan.
class VanishedFiles {
public:
    void add(const std::string& path, double modifiedSeconds, std::int64_t size);
    bool empty() const { return bySize_.empty(); }

    // True when a gone file had this size and modification time (within a second, as the
    // rescans compare times): the new file is worth comparing once its tags are read.
    bool mayHaveMovedTo(double modifiedSeconds, std::int64_t size) const;

    // The gone file that the new file `fresh` is, which no other new file may claim after it;
    // nothing when none fits or several fit alike (two copies of one recording both gone).
    // `storedTrack` gives the stored track of a gone path (nothing when it has none).
    std::optional<std::string> claim(const Track& fresh, double modifiedSeconds, std::int64_t size,
                                     const std::function<const Track*(const std::string& path)>& storedTrack);

private:
    struct Gone {
        std::string path;
        double modified = 0;
        bool claimed = false;
    };
    std::unordered_map<std::int64_t, std::vector<Gone>> bySize_;
};

} // namespace ZazidEvoz
