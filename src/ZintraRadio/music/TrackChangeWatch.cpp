#include "music/TrackChangeWatch.hpp"

#include "state/MusicModel.hpp"

#include <QAbstractItemModel>

namespace ZintraRadio {

namespace {

// Above this many rows a data change is compared as a whole list.
constexpr int rowByRowLimit = 512;

} // namespace

TrackChangeWatch::TrackChangeWatch(Fingerprint fingerprint, QObject* parent)
    : QObject(parent), fingerprint_(std::move(fingerprint)) {
    timer_.setSingleShot(true);
    timer_.setInterval(0);
    connect(&timer_, &QTimer::timeout, this, &TrackChangeWatch::changed);
}

TrackChangeWatch::~TrackChangeWatch() {
    for (const auto& connection : connections_)
        disconnect(connection);
}

std::uint64_t TrackChangeWatch::combine(std::initializer_list<std::uint64_t> values) {
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (auto value : values)
        hash = (hash ^ value) * 0x100000001b3ULL + (hash >> 29);
    return hash;
}

std::uint64_t TrackChangeWatch::textHash(const std::string& text) {
    return std::hash<std::string>{}(text);
}

void TrackChangeWatch::watch(MusicModel* music) {
    for (const auto& connection : connections_)
        disconnect(connection);
    connections_.clear();
    timer_.stop();
    music_ = music;
    prints_.clear();
    if (!music)
        return;
    fingerprintAll();
    QAbstractItemModel* rows = music->trackList();
    connections_.push_back(connect(rows, &QAbstractItemModel::dataChanged, this,
                                   [this](const QModelIndex& topLeft, const QModelIndex& bottomRight) {
                                       if (refresh(topLeft.row(), bottomRight.row()))
                                           schedule();
                                   }));
    connections_.push_back(connect(
        rows, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex&, int first, int last) {
            if (fingerprint_ && first >= 0 && first <= static_cast<int>(prints_.size())) {
                std::vector<std::uint64_t> added;
                for (int row = first; row <= last; ++row)
                    added.push_back(fingerprint_(music_->tracks()[static_cast<std::size_t>(row)]));
                prints_.insert(prints_.begin() + first, added.begin(), added.end());
            } else {
                fingerprintAll();
            }
            schedule();
        }));
    connections_.push_back(connect(
        rows, &QAbstractItemModel::rowsRemoved, this, [this](const QModelIndex&, int first, int last) {
            if (fingerprint_ && first >= 0 && last < static_cast<int>(prints_.size()) && first <= last)
                prints_.erase(prints_.begin() + first, prints_.begin() + last + 1);
            else
                fingerprintAll();
            schedule();
        }));
    const auto everything = [this] {
        fingerprintAll();
        schedule();
    };
    connections_.push_back(connect(rows, &QAbstractItemModel::modelReset, this, everything));
    connections_.push_back(connect(rows, &QAbstractItemModel::rowsMoved, this, everything));
    connections_.push_back(connect(rows, &QAbstractItemModel::layoutChanged, this, everything));
}

void TrackChangeWatch::fingerprintAll() {
    prints_.clear();
    if (!music_ || !fingerprint_)
        return;
    prints_.reserve(music_->tracks().size());
    for (const auto& track : music_->tracks())
        prints_.push_back(fingerprint_(track));
}

bool TrackChangeWatch::refresh(int first, int last) {
    if (!music_)
        return false;
    if (!fingerprint_)
        return true;
    const auto& tracks = music_->tracks();
    if (prints_.size() != tracks.size() || first < 0 || last >= static_cast<int>(tracks.size()) ||
        last - first >= rowByRowLimit) {
        auto before = std::move(prints_);
        fingerprintAll();
        return before != prints_;
    }
    bool differs = false;
    for (int row = first; row <= last; ++row) {
        const auto print = fingerprint_(tracks[static_cast<std::size_t>(row)]);
        auto& stored = prints_[static_cast<std::size_t>(row)];
        differs = differs || stored != print;
        stored = print;
    }
    return differs;
}

void TrackChangeWatch::schedule() {
    Q_EMIT touched();
    if (!timer_.isActive())
        timer_.start();
}

} // namespace ZintraRadio
