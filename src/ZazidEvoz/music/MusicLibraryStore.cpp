#include "MusicLibraryStore.hpp"

#include "FolderListing.hpp"
#include "TrackMoves.hpp"
#include "ZazidEvoz/core/MediaFolders.hpp"
#include "ZazidEvoz/platform/Files.hpp"
#include "ZazidEvoz/platform/ImageBytes.hpp"

#include <cmath>
#include <cstdio>
#include <fmt/format.h>
#include <unordered_map>
#include <unordered_set>

namespace ZazidEvoz {
namespace {

namespace fs = std::filesystem;

// A library of a few hundred thousand tracks stays far below this; anything larger is not ours.
constexpr std::size_t maximumSnapshotBytes = 512u * 1024 * 1024;

} // namespace

MusicLibraryStore::MusicLibraryStore(std::optional<std::filesystem::path> folder) {
    std::filesystem::path base = folder ? *folder : MediaFolders::support();
    file_ = std::make_shared<platform::UserDataFile>(base / "music.json", maximumSnapshotBytes);
    coverFolder_ = base / "Covers";
}

MusicSnapshot MusicLibraryStore::load() const {
    try {
        auto contents = file_->read();
        MusicSnapshot snapshot = contents ? musicSnapshotFromJson(json::parse(*contents)) : MusicSnapshot();
        file_->markLoaded();
        return snapshot;
    } catch (const std::exception& error) {
        // Keep the broken file for the user: the next save would otherwise replace it with an
        // empty library.
        try {
            auto aside = file_->moveAsideBrokenFile();
            std::fprintf(stderr, "ZintraRadio: music library %s could not be read (%s); moved aside to %s\n",
                         fileURL().c_str(), error.what(), aside.c_str());
        } catch (const std::exception& moveError) {
            std::fprintf(stderr, "ZintraRadio: music library %s could not be read (%s) nor moved aside: %s\n",
                         fileURL().c_str(), error.what(), moveError.what());
        }
        return MusicSnapshot();
    }
}

void MusicLibraryStore::save(const MusicSnapshot& snapshot) const {
    try {
        file_->replace(musicSnapshotText(snapshot));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "ZintraRadio: saving music library failed: %s\n", error.what());
    }
}

const std::set<std::string, std::less<>>& MusicLibraryStore::audioExtensions() {
    static const std::set<std::string, std::less<>> extensions = {"mp3",  "m4a", "aac", "flac", "wav",
                                                                  "aiff", "aif", "ogg", "opus", "alac"};
    return extensions;
}

// ---- Covers

std::optional<std::string> MusicLibraryStore::storeCover(std::string_view bytes,
                                                         const std::string& audioPath) const {
    // Only pictures the views can show are kept; anything else in a tag is not a cover.
    auto format = platform::imageFormat(bytes);
    if (!format)
        return std::nullopt;
    std::error_code ignored;
    std::filesystem::create_directories(coverFolder_, ignored);
    std::filesystem::path target =
        coverFolder_ / fmt::format("{:x}{}", hashValueStable(audioPath), *format == platform::ImageFormat::png ? ".png" : ".jpg");
    try {
        platform::writeFileAtomically(target, bytes);
    } catch (const platform::FileError&) {
        return std::nullopt;
    }
    return target.string();
}

// ---- Rescan of the JSON library

std::vector<Track> MusicLibraryStore::rescan(const std::vector<Track>& tracks,
                                             const std::vector<fs::path>& folders) const {
    std::vector<PathMove> moves;
    return rescan(tracks, folders, moves);
}

std::vector<Track> MusicLibraryStore::rescan(const std::vector<Track>& tracks, const std::vector<fs::path>& folders,
                                             std::vector<PathMove>& moves) const {
    std::unordered_map<std::string, const Track*> byPath;
    for (const Track& track : tracks)
        byPath.try_emplace(track.path, &track);

    std::unordered_set<std::string> seen;
    std::vector<Track> result;
    auto keepTracksInside = [&](const std::string& prefix) {
        for (const Track& track : tracks)
            if (track.path.starts_with(prefix) && seen.insert(track.path).second)
                result.push_back(*byPath.at(track.path));
    };
    // Files new to the library, by their place in the result, with what was listed of them.
    struct NewFile {
        std::size_t row;
        double modified;
        std::int64_t size;
    };
    std::vector<NewFile> newFiles;

    std::vector<FolderListing> listings;
    EmptyFolders emptyFolders;
    for (const fs::path& folder : folders) {
        listings.push_back(listFolder(folder, LeftoverCopies::remove));
        emptyFolders.addListing(listings.back(), insidePrefix(folder.string()));
    }
    for (const Track& track : tracks)
        emptyFolders.noteTrack(track.path, platform::secondsSince1970(track.added));
    emptyFolders.decide();

    for (std::size_t index = 0; index < folders.size(); ++index) {
        const FolderListing& listing = listings[index];
        std::string prefix = insidePrefix(folders[index].string());
        // An unreadable folder says nothing about its files: keep them.
        if (!listing.listed) {
            keepTracksInside(prefix);
            continue;
        }
        for (const ListedFile& file : listing.files) {
            if (!seen.insert(file.path).second)
                continue;
            Date modified = platform::dateFromSecondsSince1970(file.modified);
            auto stored = byPath.find(file.path);
            if (stored != byPath.end() &&
                std::abs(file.modified - platform::secondsSince1970(stored->second->fileModified)) < 1.0) {
                // A track without a length may be a file listed before files without sound
                // were left out.
                if (stored->second->duration > 0 || readAudioTrack(file.path, modified))
                    result.push_back(*stored->second);
                continue;
            }
            std::optional<Track> fresh = readAudioTrack(file.path, modified);
            if (!fresh)
                continue;
            if (stored != byPath.end())
                carryOver(*stored->second, *fresh);
            else
                newFiles.push_back({result.size(), file.modified, file.size});
            result.push_back(std::move(*fresh));
        }
        // The same holds for folders inside it; empty ones keep their tracks while they look unmounted.
        for (const std::string& inside : listing.unreadableFolders)
            keepTracksInside(inside);
        for (const Track& track : tracks)
            if (track.path.starts_with(prefix) && emptyFolders.keeps(track.path) &&
                seen.insert(track.path).second)
                result.push_back(track);
    }

    // New files that are vanished ones moved keep what the user gave them.
    VanishedFiles vanished;
    for (const auto& [path, track] : byPath)
        if (!seen.contains(path) && track->fileSize)
            vanished.add(path, platform::secondsSince1970(track->fileModified), *track->fileSize);
    auto storedTrack = [&](const std::string& path) -> const Track* {
        auto found = byPath.find(path);
        return found == byPath.end() ? nullptr : found->second;
    };
    for (const NewFile& file : newFiles) {
        Track& fresh = result[file.row];
        if (!vanished.mayHaveMovedTo(file.modified, file.size))
            continue;
        if (auto from = vanished.claim(fresh, file.modified, file.size, storedTrack)) {
            carryOver(*byPath.at(*from), fresh);
            moves.push_back({*from, fresh.path});
        }
    }
    return result;
}

} // namespace ZazidEvoz
