#include "music/LibraryCards.hpp"

#include "ZazidEvoz/platform/Text.hpp"
#include "music/MusicRules.hpp"
#include "music/TitleOrder.hpp"
#include "state/MusicModel.hpp"
#include "state/QtValues.hpp"

#include <QAbstractItemModel>
#include <map>
#include <unordered_map>
#include <unordered_set>

namespace ZintraRadio {

using ZazidEvoz::Track;

namespace {

std::uint64_t hashOf(const std::string& text) {
    return TrackChangeWatch::textHash(text);
}

std::uint64_t hashOf(const std::optional<std::string>& text) {
    return text ? TrackChangeWatch::textHash(*text) : 0;
}

} // namespace

// ---- The shared base

TrackCardList::TrackCardList(TrackChangeWatch::Fingerprint fingerprint, QObject* parent)
    : CardList(parent), watch_(std::move(fingerprint)) {
    connect(&watch_, &TrackChangeWatch::changed, this, &TrackCardList::refresh);
}

// ---- Album tiles

AlbumTiles::AlbumTiles(QObject* parent)
    : TrackCardList(
          [](const Track& track) {
              return TrackChangeWatch::combine(
                  {hashOf(track.album), hashOf(track.title), hashOf(track.artist), hashOf(track.coverFile)});
          },
          parent),
      list_(new VectorListModel<AlbumTile>(
          &tiles_,
          {cardRole("name", &AlbumTile::name), cardRole("artist", &AlbumTile::artist),
           cardRole("cover", &AlbumTile::cover), cardRole("singles", &AlbumTile::singles)},
          this)) {}

void AlbumTiles::recompute() {
    std::vector<AlbumTile> tiles;
    if (MusicModel* library = music()) {
        for (const auto& album : library->albums())
            tiles.push_back(
                {qtText(album.name), qtText(album.artist), qtText(album.cover.value_or("")), false});
        int singles = 0;
        std::optional<std::string> cover;
        for (const auto& track : library->tracks()) {
            if (!track.album.empty())
                continue;
            ++singles;
            if (!cover && track.coverFile)
                cover = track.coverFile;
        }
        if (singles > 0)
            //% "Singles"
            tiles.push_back({qtTrId("music.singles"),
                             //% "%n track(s)"
                             qtTrId("count.tracks", singles), qtText(cover.value_or("")), true});
    }
    list_->assign(std::move(tiles));
}

std::vector<Track> AlbumTiles::tracks(int row) const {
    MusicModel* library = music();
    if (!library || row < 0 || row >= count())
        return {};
    const auto& tile = tiles_[static_cast<std::size_t>(row)];
    if (!tile.singles)
        return library->albumTracks(stdText(tile.name));
    std::vector<Track> singles;
    for (const auto& track : library->tracks())
        if (track.album.empty())
            singles.push_back(track);
    return singles;
}

void AlbumTiles::play(int row) const {
    if (MusicModel* library = music())
        library->playNow(stationsOf(tracks(row)), 0);
}

QVariantList AlbumTiles::stations(int row) const {
    return stationMaps(stationsOf(tracks(row)));
}

bool AlbumTiles::dropCover(int row, const QList<QUrl>& urls) const {
    MusicModel* library = music();
    if (!library || row < 0 || row >= count())
        return false;
    const auto picture = firstDroppedPicture(urls);
    if (!picture)
        return false;
    if (!tiles_[static_cast<std::size_t>(row)].singles)
        library->setCover(*picture, tracks(row));
    return true;
}

// ---- Genre cards

GenreCards::GenreCards(QObject* parent)
    : TrackCardList(
          [](const Track& track) {
              return TrackChangeWatch::combine(
                  {hashOf(track.genre), hashOf(track.title), hashOf(track.coverFile)});
          },
          parent),
      list_(new VectorListModel<GenreCard>(
          &cards_,
          {cardRole("name", &GenreCard::name), cardRole("title", &GenreCard::title),
           cardRole("count", &GenreCard::count), cardRole("covers", &GenreCard::covers),
           cardRole("noGenre", &GenreCard::noGenre)},
          this)) {}

void GenreCards::recompute() {
    std::vector<GenreCard> cards;
    if (MusicModel* library = music()) {
        // The order the track lists share, sorted once per change of the titles.
        const auto covers = coversByGenre(library->tracks(), TitleOrder::of(*library).rows());
        qint64 untagged = 0;
        for (const auto& track : library->tracks())
            untagged += track.genre.empty() ? 1 : 0;
        const auto coversOf = [&covers](const std::string& genre) {
            auto found = covers.find(genre);
            return found == covers.end() ? QStringList() : qtTexts(found->second);
        };
        for (const auto& genre : library->genres())
            cards.push_back(
                {qtText(genre.name), qtText(genre.name), genre.count, coversOf(genre.name), false});
        if (untagged > 0)
            //% "No Genre"
            cards.push_back({QString(), qtTrId("music.noGenre"), untagged, coversOf(std::string()), true});
    }
    list_->assign(std::move(cards));
}

void GenreCards::play(const QString& genre) const {
    if (MusicModel* library = music())
        library->playNow(stationsOf(library->tracks(stdText(genre))), 0);
}

void GenreCards::rename(const QString& genre, const QString& newName) const {
    if (MusicModel* library = music())
        library->setGenre(ZazidEvoz::text::trimmedHorizontalWhitespace(stdText(newName)),
                          library->tracks(stdText(genre)));
}

void GenreCards::createPlaylist(const QString& genre) const {
    if (MusicModel* library = music())
        library->createGenrePlaylist(genre);
}

// ---- Artist cards

ArtistCards::ArtistCards(QObject* parent)
    : TrackCardList(
          [](const Track& track) {
              return TrackChangeWatch::combine({hashOf(track.artist), hashOf(track.coverFile)});
          },
          parent),
      list_(new VectorListModel<ArtistCard>(&shown_,
                                            {cardRole("name", &ArtistCard::name),
                                             cardRole("count", &ArtistCard::count),
                                             cardRole("covers", &ArtistCard::covers)},
                                            this)) {}

void ArtistCards::setSearch(const QString& search) {
    if (search_ == search)
        return;
    search_ = search;
    applyFilter();
    Q_EMIT searchChanged();
    Q_EMIT countChanged();
}

void ArtistCards::recompute() {
    all_.clear();
    if (MusicModel* library = music()) {
        const auto covers = coversByArtist(library->tracks());
        for (const auto& artist : library->artists()) {
            const auto found = covers.find(artist.name);
            all_.push_back({qtText(artist.name), artist.count,
                            found == covers.end() ? QStringList() : qtTexts(found->second)});
        }
    }
    applyFilter();
}

void ArtistCards::applyFilter() {
    std::vector<MusicModel::BrowseEntry> entries;
    entries.reserve(all_.size());
    for (const auto& card : all_)
        entries.push_back({stdText(card.name), card.count});
    std::unordered_map<std::string, std::size_t> positions;
    for (std::size_t i = 0; i < entries.size(); ++i)
        positions.emplace(entries[i].name, i);
    std::vector<ArtistCard> shown;
    for (const auto& entry : filteredArtists(entries, stdText(search_)))
        shown.push_back(all_[positions.at(entry.name)]);
    list_->assign(std::move(shown));
}

} // namespace ZintraRadio
