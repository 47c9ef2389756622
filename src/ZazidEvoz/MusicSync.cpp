#include "MusicSync.hpp"

#include "platform/Inotify.hpp"
#include "platform/Process.hpp"
#include "platform/Text.hpp"
#include "platform/Threads.hpp"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/stat.h>
#include <system_error>
#include <unordered_map>
#include <unordered_set>

namespace ZazidEvoz {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t batchSize = 50;

bool isHidden(const fs::path& path) {
    return path.filename().string().starts_with(".");
}

bool hasAudioExtension(const fs::path& path) {
    std::string extension = path.extension().string();
    if (extension.size() < 2)
        return false;
    return MusicLibraryStore::audioExtensions().contains(text::lowercased(extension.substr(1)));
}

// Adds the audio files of `folder` to the listing, depth first and by name within a folder.
bool listFolder(const fs::path& folder, MusicLibraryStore::AudioFileListing& listing) {
    std::error_code error;
    std::vector<fs::directory_entry> entries;
    fs::directory_iterator iterator(folder, error);
    for (fs::directory_iterator end; !error && iterator != end; iterator.increment(error))
        entries.push_back(*iterator);
    if (error)
        return false;
    std::sort(entries.begin(), entries.end(),
              [](const fs::directory_entry& a, const fs::directory_entry& b) { return a.path() < b.path(); });

    for (const fs::directory_entry& entry : entries) {
        if (isHidden(entry.path()))
            continue;
        std::error_code statusError;
        fs::file_status own = entry.symlink_status(statusError);
        if (statusError)
            continue;
        if (fs::is_directory(own)) {
            if (!listFolder(entry.path(), listing))
                listing.unreadableFolders.push_back(entry.path());
            continue;
        }
        // A link counts as the file it points to; links to folders are not followed (no loops).
        fs::file_status target = fs::is_symlink(own) ? entry.status(statusError) : own;
        if (!statusError && fs::is_regular_file(target) && hasAudioExtension(entry.path()))
            listing.files.push_back(entry.path());
    }
    return true;
}

// The folder's path with one "/" at the end: a prefix of exactly the paths inside it.
std::string insidePrefix(const fs::path& folder) {
    std::string prefix = folder.string();
    if (!prefix.ends_with('/'))
        prefix += '/';
    return prefix;
}

bool isInsideAny(const std::string& path, const std::vector<std::string>& prefixes) {
    return std::any_of(prefixes.begin(), prefixes.end(),
                       [&](const std::string& prefix) { return path.starts_with(prefix); });
}

struct FileAttributes {
    Date modified;
    std::int64_t size = 0;
};

// Missing values read as "modified now" and 0 bytes, so such a file is read again.
FileAttributes fileAttributes(const fs::path& file) {
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0)
        return {platform::now(), 0};
    double seconds = double(info.st_mtim.tv_sec) + double(info.st_mtim.tv_nsec) / 1e9;
    return {platform::dateFromSecondsSince1970(seconds), std::int64_t(info.st_size)};
}

// The user's own data of a track whose file was read again.
void carryOver(const Track& stored, Track& fresh) {
    fresh.added = stored.added;
    fresh.playCount = stored.playCount;
    fresh.lastPlayed = stored.lastPlayed;
    fresh.rating = stored.rating;
    if (stored.sourceURL)
        fresh.sourceURL = stored.sourceURL;
}

} // namespace

// ---- Listing

MusicLibraryStore::AudioFileListing MusicLibraryStore::listAudioFiles(const fs::path& folder) {
    AudioFileListing listing;
    listing.listed = listFolder(folder, listing);
    return listing;
}

std::vector<fs::path> MusicLibraryStore::audioFiles(const fs::path& folder) {
    return listAudioFiles(folder).files;
}

// ---- Rescan of the JSON library

std::vector<Track> MusicLibraryStore::rescan(const std::vector<Track>& tracks,
                                             const std::vector<fs::path>& folders) const {
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

    for (const fs::path& folder : folders) {
        AudioFileListing listing = listAudioFiles(folder);
        std::string prefix = insidePrefix(folder);
        bool holdsTracks = std::any_of(tracks.begin(), tracks.end(),
                                       [&](const Track& track) { return track.path.starts_with(prefix); });
        // An unreadable folder or an empty mount point says nothing about its files: keep them.
        if (!listing.listed || (listing.files.empty() && holdsTracks)) {
            keepTracksInside(prefix);
            continue;
        }
        for (const fs::path& file : listing.files) {
            std::string path = file.string();
            if (!seen.insert(path).second)
                continue;
            Date modified = fileAttributes(file).modified;
            auto stored = byPath.find(path);
            if (stored != byPath.end() &&
                std::abs(platform::secondsSince1970(modified) -
                         platform::secondsSince1970(stored->second->fileModified)) < 1.0) {
                result.push_back(*stored->second);
                continue;
            }
            Track fresh = readTrack(file, modified);
            if (stored != byPath.end())
                carryOver(*stored->second, fresh);
            result.push_back(std::move(fresh));
        }
        for (const fs::path& unreadable : listing.unreadableFolders)
            keepTracksInside(insidePrefix(unreadable));
    }
    return result;
}

// ---- Syncer

MusicSyncer::MusicSyncer(std::shared_ptr<MusicDatabase> database, MusicLibraryStore reader)
    : MusicSyncer(std::move(database), [reader = std::move(reader)](const fs::path& file, Date modified) {
          return reader.readTrack(file, modified);
      }) {}

MusicSyncer::MusicSyncer(std::shared_ptr<MusicDatabase> database, TrackReader reader)
    : database_(std::move(database)), reader_(std::move(reader)) {}

std::optional<MusicSyncer::Result> MusicSyncer::sync(const std::vector<fs::path>& folders,
                                                     std::stop_token stop) {
    {
        std::lock_guard lock(mutex_);
        if (running_)
            return std::nullopt;
        running_ = true;
    }
    struct EndOfPass {
        MusicSyncer& syncer;
        ~EndOfPass() {
            std::lock_guard lock(syncer.mutex_);
            syncer.running_ = false;
        }
    } endOfPass{*this};

    auto stamps = database_->fileStamps();
    std::unordered_map<std::string, Track> stored;
    for (Track& track : database_->allTracks())
        stored.insert_or_assign(track.path, std::move(track));
    auto holdsTracksInside = [&](const std::string& prefix) {
        return std::any_of(stamps.begin(), stamps.end(),
                           [&](const auto& stamp) { return stamp.first.starts_with(prefix); });
    };

    Result result;
    std::unordered_set<std::string> seen;
    std::vector<Track> batch;
    std::vector<std::string> presentRoots;
    std::vector<std::string> unreadableInside; // folders inside present ones that could not be opened

    for (const fs::path& folder : folders) {
        std::error_code error;
        if (!fs::exists(folder, error))
            continue;
        MusicLibraryStore::AudioFileListing listing = MusicLibraryStore::listAudioFiles(folder);
        std::string root = insidePrefix(folder);
        // A folder that cannot be listed, or an empty mount point, counts as missing.
        if (!listing.listed || (listing.files.empty() && holdsTracksInside(root)))
            continue;
        presentRoots.push_back(root);
        for (const fs::path& unreadable : listing.unreadableFolders)
            unreadableInside.push_back(insidePrefix(unreadable));

        for (const fs::path& file : listing.files) {
            if (stop.stop_requested())
                return std::nullopt;
            std::string path = file.string();
            if (!seen.insert(path).second)
                continue;
            FileAttributes attributes = fileAttributes(file);
            auto stamp = stamps.find(path);
            if (stamp != stamps.end() &&
                std::abs(stamp->second.modified - platform::secondsSince1970(attributes.modified)) < 1.0 &&
                stamp->second.size == attributes.size)
                continue;

            Track track = reader_(file, attributes.modified);
            if (auto previous = stored.find(path); previous != stored.end()) {
                carryOver(previous->second, track);
                ++result.changed;
            } else {
                ++result.added;
            }
            batch.push_back(std::move(track));
            if (batch.size() == batchSize) {
                database_->upsert(batch);
                batch.clear();
            }
        }
    }
    database_->upsert(batch);

    std::vector<std::string> removals;
    for (const auto& [path, stamp] : stamps) {
        if (seen.contains(path) || isInsideAny(path, unreadableInside))
            continue;
        if (isInsideAny(path, presentRoots)) {
            removals.push_back(path);
            continue;
        }
        bool underRequestedFolder = std::any_of(folders.begin(), folders.end(), [&](const fs::path& folder) {
            return path.starts_with(folder.string());
        });
        if (!underRequestedFolder)
            removals.push_back(path);
    }
    database_->deletePaths(removals);
    result.removed = std::int64_t(removals.size());
    result.total = database_->count();
    return result;
}

// ---- Folder watcher

FolderWatcher::FolderWatcher(std::function<void()> onChange, std::chrono::milliseconds debounce)
    : onChange_(std::move(onChange)), debounce_(debounce), wakeFd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    if (!wakeFd_)
        throw std::system_error(errno, std::system_category(), "eventfd");
    thread_ = std::thread([this] { run(); });
}

FolderWatcher::~FolderWatcher() {
    submit({{}, true});
    thread_.join();
}

void FolderWatcher::watch(const std::vector<fs::path>& folders) {
    submit({folders, false});
}

void FolderWatcher::stop() {
    submit({{}, false});
}

void FolderWatcher::submit(Command command) {
    std::unique_lock lock(mutex_);
    bool quit = command.quit;
    commands_.push_back(std::move(command));
    std::uint64_t ticket = ++submitted_;
    std::uint64_t one = 1;
    platform::writeAll(wakeFd_.get(), &one, sizeof one);
    if (!quit)
        appliedChanged_.wait(lock, [&] { return applied_ >= ticket; });
}

bool FolderWatcher::apply(const Command& command) {
    // What changed before this command still counts; nothing of the old folders after it.
    bool changed = tree_ && tree_->readEvents();
    tree_.reset();
    if (command.quit || command.folders.empty())
        return changed;
    try {
        tree_ = std::make_unique<platform::InotifyTreeWatch>();
        for (const fs::path& folder : command.folders)
            tree_->addTree(folder);
    } catch (const std::system_error&) {
        // Without inotify the watcher delivers nothing; the periodic rescan still runs.
        tree_.reset();
    }
    return changed;
}

void FolderWatcher::run() {
    platform::setCurrentThreadName("ZintraRadio.FolderWatcher");
    using Clock = std::chrono::steady_clock;
    std::optional<Clock::time_point> deadline;
    for (;;) {
        pollfd descriptors[2] = {{wakeFd_.get(), POLLIN, 0}, {tree_ ? tree_->fd() : -1, POLLIN, 0}};
        int timeout = -1;
        if (deadline) {
            auto remaining = std::chrono::ceil<std::chrono::milliseconds>(*deadline - Clock::now());
            timeout = int(std::max<std::int64_t>(0, remaining.count()));
        }
        int ready = ::poll(descriptors, 2, timeout);
        if (ready < 0) {
            // Only a shortage of memory gets here; the thread must live on to answer commands.
            if (errno != EINTR)
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            continue;
        }

        if (ready > 0 && (descriptors[0].revents & POLLIN)) {
            std::uint64_t count = 0;
            platform::readRetrying(wakeFd_.get(), &count, sizeof count);
            std::vector<Command> commands;
            {
                std::lock_guard lock(mutex_);
                commands.swap(commands_);
            }
            bool quit = false;
            for (const Command& command : commands) {
                if (apply(command))
                    deadline = Clock::now() + debounce_;
                quit = quit || command.quit;
            }
            {
                std::lock_guard lock(mutex_);
                applied_ += commands.size();
            }
            appliedChanged_.notify_all();
            if (quit)
                return;
            // The descriptor polled above may be gone now: poll again before reading events.
            continue;
        }
        if (ready > 0 && tree_ && (descriptors[1].revents & POLLIN) && tree_->readEvents())
            deadline = Clock::now() + debounce_;
        if (deadline && Clock::now() >= *deadline) {
            deadline.reset();
            onChange_();
        }
    }
}

} // namespace ZazidEvoz
