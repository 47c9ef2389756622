#include "TrackMoves.hpp"

#include "MusicLibraryStore.hpp"

#include <cmath>
#include <unordered_set>

namespace ZazidEvoz {
namespace {

// Reading one file twice gives one length; other readers of the same file differ by less.
constexpr double durationTolerance = 0.5;

// Where one move puts `path`: the file itself, or a path inside the moved folder.
std::optional<std::string> afterMove(std::string_view path, const PathMove& move) {
    if (move.from.empty() || move.from == move.to)
        return std::nullopt;
    if (path == move.from)
        return move.to;
    if (path.size() > move.from.size() && path.starts_with(move.from) && path[move.from.size()] == '/')
        return move.to + std::string(path.substr(move.from.size()));
    return std::nullopt;
}

} // namespace

std::optional<std::string> movedPath(std::string_view path, const std::vector<PathMove>& moves) {
    std::optional<std::string> moved;
    for (const PathMove& move : moves)
        if (auto next = afterMove(moved ? std::string_view(*moved) : path, move))
            moved = std::move(next);
    if (moved && *moved == path)
        return std::nullopt;
    return moved;
}

std::vector<Track> tracksAfterMoves(std::vector<Track> tracks, const std::vector<PathMove>& moves) {
    // One move after the other, as they happened: a later move may take a path an earlier one freed.
    for (const PathMove& move : moves) {
        std::vector<bool> moved(tracks.size(), false);
        std::unordered_set<std::string> arrived;
        for (std::size_t index = 0; index < tracks.size(); ++index)
            if (auto path = afterMove(tracks[index].path, move)) {
                tracks[index].path = std::move(*path);
                moved[index] = true;
                arrived.insert(tracks[index].path);
            }
        if (arrived.empty())
            continue;
        std::vector<Track> kept;
        kept.reserve(tracks.size());
        for (std::size_t index = 0; index < tracks.size(); ++index)
            if (moved[index] || !arrived.contains(tracks[index].path))
                kept.push_back(std::move(tracks[index]));
        tracks = std::move(kept);
    }
    return tracks;
}

bool sameRecording(const Track& stored, const Track& fresh) {
    if (std::abs(stored.duration - fresh.duration) > durationTolerance)
        return false;
    if (stored.album != fresh.album || stored.genre != fresh.genre || stored.year != fresh.year)
        return false;
    bool namesFromFiles =
        MusicLibraryStore::hasUntaggedName(stored) && MusicLibraryStore::hasUntaggedName(fresh);
    return namesFromFiles || (stored.title == fresh.title && stored.artist == fresh.artist);
}

void VanishedFiles::add(const std::string& path, double modifiedSeconds, std::int64_t size) {
    bySize_[size].push_back({path, modifiedSeconds, false});
}

bool VanishedFiles::mayHaveMovedTo(double modifiedSeconds, std::int64_t size) const {
    auto found = bySize_.find(size);
    if (found == bySize_.end())
        return false;
    for (const Gone& gone : found->second)
        if (!gone.claimed && std::abs(gone.modified - modifiedSeconds) < 1.0)
            return true;
    return false;
}

std::optional<std::string> VanishedFiles::claim(
    const Track& fresh, double modifiedSeconds, std::int64_t size,
    const std::function<const Track*(const std::string& path)>& storedTrack) {
    auto found = bySize_.find(size);
    if (found == bySize_.end())
        return std::nullopt;
    std::vector<Gone*> fitting;
    for (Gone& gone : found->second) {
        if (gone.claimed || std::abs(gone.modified - modifiedSeconds) >= 1.0)
            continue;
        const Track* stored = storedTrack(gone.path);
        if (stored && sameRecording(*stored, fresh))
            fitting.push_back(&gone);
    }
    // Of several alike, the one with the same file name (its folder was renamed) is the one.
    if (fitting.size() > 1) {
        auto fileName = [](std::string_view path) { return path.substr(path.rfind('/') + 1); };
        std::erase_if(fitting, [&](const Gone* gone) { return fileName(gone->path) != fileName(fresh.path); });
    }
    if (fitting.size() != 1)
        return std::nullopt;
    fitting.front()->claimed = true;
    return fitting.front()->path;
}

void carryOver(const Track& stored, Track& fresh) {
    fresh.added = stored.added;
    fresh.playCount = stored.playCount;
    fresh.lastPlayed = stored.lastPlayed;
    fresh.rating = stored.rating;
    if (stored.sourceURL)
        fresh.sourceURL = stored.sourceURL;
}

} // namespace ZazidEvoz
