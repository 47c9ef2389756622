// Edits of the radio library, each read back from library.json as the next start reads it,
// after the debounced save: what the user changed must be what is stored.
#include "AppModelKit.hpp"
#include "ZazidEvoz/catalogue/DefaultStations.hpp"
#include "ZazidEvoz/catalogue/LibraryStore.hpp"
#include "ZazidEvoz/catalogue/PlaylistImporter.hpp"
#include "ZazidEvoz/platform/FaultInjection.hpp"
#include "ZazidEvoz/platform/FileURL.hpp"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>

using namespace ZintraRadio;
using namespace ZintraRadio::testkit;
using ZazidEvoz::LibrarySnapshot;
using ZazidEvoz::MediaKind;
using ZazidEvoz::testkit::ScopedEnvironment;

namespace {

const Station one = makeStation(MediaKind::radio, "One FM", "http://one.example/live");
const Station two = makeStation(MediaKind::radio, "Two FM", "http://two.example/live");
const Station three = makeStation(MediaKind::radio, "Three FM", "http://three.example/live");
const Station directoryHit = makeStation(MediaKind::radio, "Far Away FM", "http://far.example/stream");

LibrarySnapshot libraryOf(std::vector<Station> stations) {
    return LibrarySnapshot(std::move(stations), {}, {}, {}, std::nullopt, 0.8f, "");
}

std::string contentsOf(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void writeBytes(const std::filesystem::path& file, const std::string& bytes) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
}

std::vector<std::string> namesOf(const std::vector<Station>& stations) {
    std::vector<std::string> names;
    for (const auto& station : stations)
        names.push_back(station.name);
    return names;
}

std::string importedText(int count) {
    return localizedText("toast.imported", {QString::number(count)});
}

// A model over a library file of the test's choosing.
struct Shelf {
    AppSetup setup;
    std::unique_ptr<AppModel> model;

    explicit Shelf(const LibrarySnapshot& library) {
        ZazidEvoz::LibraryStore(setup.folder).save(library);
        model = std::make_unique<AppModel>(setup.options());
        setup.scheduler->advance(AppModel::saveDelay); // the start's own save
    }
    // The library as the next start reads it, once the debounced save has run.
    LibrarySnapshot saved() const {
        setup.scheduler->advance(AppModel::saveDelay);
        return ZazidEvoz::librarySnapshotFromJson(ZazidEvoz::json::parse(contentsOf(setup.libraryFile())));
    }
    void expectToast(Toast::Style style, const std::string& text) const {
        ASSERT_TRUE(model->toast());
        EXPECT_EQ(model->toast()->style, style);
        EXPECT_EQ(model->toast()->text, text);
    }
};

struct EditCase {
    const char* name;
    LibrarySnapshot library;
    std::function<void(AppModel&)> edit;
    std::function<void(const LibrarySnapshot& saved, Shelf&)> check;
};

std::vector<EditCase> editCases() {
    LibrarySnapshot withStaleCopy = libraryOf({one});
    Station staleOne = one;
    staleOne.name = "One FM (old name)";
    withStaleCopy.favoriteURLs = {one.url};
    withStaleCopy.favoriteItems = {staleOne};

    LibrarySnapshot withHistory = libraryOf({one, two, three});
    withHistory.favoriteURLs = {two.url, directoryHit.url};
    withHistory.favoriteItems = {directoryHit};
    withHistory.history = {two, directoryHit};

    auto builtIn = ZazidEvoz::DefaultStations::all();
    auto partly = builtIn;
    partly.erase(partly.begin(), partly.begin() + 2);
    partly.front().name = "My own name";

    return {
        {"a directory result is favoured as a copy that outlives the directory list", libraryOf({one}),
         [](AppModel& model) { model.toggleFavorite(directoryHit); },
         [](const LibrarySnapshot& saved, Shelf& shelf) {
             EXPECT_EQ(saved.favoriteURLs, std::vector<std::string>{directoryHit.url});
             EXPECT_EQ(saved.favoriteItems, std::vector<Station>{directoryHit});
             EXPECT_EQ(shelf.model->favorites(), std::vector<Station>{directoryHit});
             EXPECT_EQ(shelf.model->favoriteList()->rowCount(), 1);
         }},
        {"favouring twice removes the URL and the copy", libraryOf({one}),
         [](AppModel& model) {
             model.toggleFavorite(directoryHit);
             model.toggleFavorite(directoryHit);
         },
         [](const LibrarySnapshot& saved, Shelf& shelf) {
             EXPECT_TRUE(saved.favoriteURLs.empty());
             EXPECT_TRUE(saved.favoriteItems.empty());
             EXPECT_EQ(shelf.model->favoriteList()->rowCount(), 0);
         }},
        {"a library favourite is its URL only: it hides with the station and returns with it",
         libraryOf({one, two}),
         [](AppModel& model) {
             model.toggleFavorite(two);
             EXPECT_EQ(model.favorites(), std::vector<Station>{two});
             model.removeFromLibrary(two);
             EXPECT_TRUE(model.favorites().empty());
             EXPECT_EQ(model.importStations({two}), 1);
         },
         [](const LibrarySnapshot& saved, Shelf& shelf) {
             EXPECT_EQ(saved.favoriteURLs, std::vector<std::string>{two.url});
             EXPECT_TRUE(saved.favoriteItems.empty());
             EXPECT_EQ(shelf.model->favorites(), std::vector<Station>{two});
         }},
        {"a library station wins over its stale favourite copy", withStaleCopy,
         [](AppModel& model) { model.toggleFavorite(directoryHit); },
         [](const LibrarySnapshot& saved, Shelf& shelf) {
             EXPECT_EQ(saved.favoriteURLs, (std::vector<std::string>{directoryHit.url, one.url}));
             EXPECT_EQ(shelf.model->favorites(), (std::vector<Station>{directoryHit, one}));
         }},
        {"an import adds each new URL once, also within one call", libraryOf({one}),
         [](AppModel& model) {
             Station twoAgain = two;
             twoAgain.name = "Two again";
             EXPECT_EQ(model.importStations({two, twoAgain, three, one}), 2);
         },
         [](const LibrarySnapshot& saved, Shelf& shelf) {
             EXPECT_EQ(saved.stations, (std::vector<Station>{one, two, three}));
             EXPECT_FALSE(shelf.model->toast());
         }},
        {"restoring a complete library adds nothing and says so", ZazidEvoz::LibraryStore::fallbackSnapshot(),
         [](AppModel& model) { model.restoreDefaultStations(); },
         [builtIn](const LibrarySnapshot& saved, Shelf& shelf) {
             EXPECT_EQ(saved.stations, builtIn);
             shelf.expectToast(Toast::Style::success, importedText(0));
         }},
        {"restoring appends the missing built-in stations; renamed ones stay renamed", libraryOf(partly),
         [](AppModel& model) { model.restoreDefaultStations(); },
         [builtIn, partly](const LibrarySnapshot& saved, Shelf& shelf) {
             auto expected = partly;
             expected.insert(expected.end(), builtIn.begin(), builtIn.begin() + 2);
             EXPECT_EQ(saved.stations, expected);
             shelf.expectToast(Toast::Style::success, importedText(2));
         }},
        {"typed-in stations: trimmed, named after the host or the link, kind guessed, no duplicates",
         libraryOf({one}),
         [](AppModel& model) {
             model.addStation("  ", " http://radio.example:8000/live \n", "jazz");
             model.addStation("", "FILE:///music/Song.mp3", "");
             model.addStation("\tMy Tube ", "https://www.youtube.com/watch?v=abc", "");
             model.addStation("Again", QString::fromStdString(one.url), "");
             model.addStation("Nothing", " \n ", "");
         },
         [](const LibrarySnapshot& saved, Shelf& shelf) {
             ASSERT_EQ(saved.stations.size(), 4u);
             EXPECT_EQ(saved.stations[0], one);
             auto typed = makeStation(MediaKind::radio, "radio.example", "http://radio.example:8000/live");
             typed.genre = "jazz";
             EXPECT_EQ(saved.stations[1], typed);
             EXPECT_EQ(saved.stations[2],
                       makeStation(MediaKind::file, "FILE:///music/Song.mp3", "FILE:///music/Song.mp3"));
             EXPECT_EQ(saved.stations[3],
                       makeStation(MediaKind::youtube, "My Tube", "https://www.youtube.com/watch?v=abc"));
             EXPECT_FALSE(shelf.model->toast());
         }},
        {"a typed-in link without a station scheme or with a line break inside is refused",
         libraryOf({one}),
         [](AppModel& model) {
             model.addStation("", "hello world", "");
             model.addStation("Bare", "stream.example/x", "");
             model.addStation("Other", "rtmp://live.example/app", "");
             model.addStation("Option", "-i /etc/passwd", "");
             model.addStation("Split", "http://split.example/a\r\nIcy-MetaData: 1", "");
             model.addStation("Wide", QString::fromUtf8("http://wide.example/a\u2028b"), "");
             model.addStation("C1", QString::fromUtf8("http://c1.example/a\u0090b"), "");
         },
         [](const LibrarySnapshot& saved, Shelf& shelf) {
             EXPECT_EQ(saved.stations, std::vector<Station>{one});
             EXPECT_FALSE(shelf.model->toast());
         }},
        {"names, genres and countries come in on one line, whichever way they come", libraryOf({one}),
         [](AppModel& model) {
             model.addStation("Evening\r\nJazz\n", "http://evening.example/", "jazz\nlounge");
             Station imported = makeStation(MediaKind::radio, "Late\u2028Night\tTalk", "http://late.example/");
             imported.country = "Aus\x01tria";
             Station nameless = makeStation(MediaKind::radio, "\n\r", "http://nameless.example/x");
             Station split = makeStation(MediaKind::radio, "Split", "http://split.example/\nx");
             EXPECT_EQ(model.importStations({imported, nameless, split}), 2);
             model.renameStation(one, "One\nFM");
         },
         [](const LibrarySnapshot& saved, Shelf&) {
             EXPECT_EQ(namesOf(saved.stations), (std::vector<std::string>{"One FM", "Evening Jazz",
                                                                          "Late Night Talk", "nameless.example"}));
             ASSERT_EQ(saved.stations.size(), 4u);
             EXPECT_EQ(saved.stations[1].genre, "jazz lounge");
             EXPECT_EQ(saved.stations[2].country, "Aus tria");
         }},
        {"moves take offsets before the move and ignore offsets outside the list",
         libraryOf({one, two, three}),
         [](AppModel& model) {
             model.moveStations(std::vector<int>{0}, 2);
             EXPECT_EQ(namesOf(model.library().stations),
                       (std::vector<std::string>{"Two FM", "One FM", "Three FM"}));
             model.moveStations(std::vector<int>{7, -1}, 0);
             model.moveStations(std::vector<int>{1}, 9);
             model.moveStations(std::vector<int>{2}, 0);
             EXPECT_EQ(namesOf(model.library().stations),
                       (std::vector<std::string>{"Three FM", "Two FM", "One FM"}));
             model.moveStations(std::vector<int>{0, 1}, 3);
         },
         [](const LibrarySnapshot& saved, Shelf& shelf) {
             EXPECT_EQ(saved.stations, (std::vector<Station>{one, three, two}));
             // The view's rows moved with the stations.
             const auto* rows = shelf.model->stationList();
             const int nameRole = rows->roleNames().key("name");
             EXPECT_EQ(rows->data(rows->index(0), nameRole).toString(), "One FM");
             EXPECT_EQ(rows->data(rows->index(2), nameRole).toString(), "Two FM");
         }},
        {"a rename keeps the name as given; a blank name or an unknown station changes nothing",
         libraryOf({one, two}),
         [](AppModel& model) {
             model.renameStation(two, " Two, renamed ");
             model.renameStation(one, "");
             model.renameStation(one, "\n\t");
             model.renameStation(directoryHit, "Never");
         },
         [](const LibrarySnapshot& saved, Shelf&) {
             EXPECT_EQ(namesOf(saved.stations), (std::vector<std::string>{"One FM", " Two, renamed "}));
         }},
        {"removing a station leaves its favourite URL and history entry", withHistory,
         [](AppModel& model) { model.removeFromLibrary(two); },
         [](const LibrarySnapshot& saved, Shelf& shelf) {
             EXPECT_EQ(saved.stations, (std::vector<Station>{one, three}));
             EXPECT_EQ(saved.favoriteURLs, (std::vector<std::string>{two.url, directoryHit.url}));
             EXPECT_EQ(saved.history, (std::vector<Station>{two, directoryHit}));
             EXPECT_EQ(shelf.model->favorites(), std::vector<Station>{directoryHit});
         }},
        {"clearing the history leaves stations and favourites", withHistory,
         [](AppModel& model) { model.clearHistory(); },
         [withHistory](const LibrarySnapshot& saved, Shelf& shelf) {
             EXPECT_TRUE(saved.history.empty());
             EXPECT_EQ(shelf.model->historyList()->rowCount(), 0);
             EXPECT_EQ(saved.stations, withHistory.stations);
             EXPECT_EQ(saved.favoriteURLs, withHistory.favoriteURLs);
             EXPECT_EQ(saved.favoriteItems, withHistory.favoriteItems);
         }},
    };
}

} // namespace

TEST(LibraryEdits, EveryEditIsStoredByTheDebouncedSave) {
    for (const auto& c : editCases()) {
        SCOPED_TRACE(c.name);
        Shelf shelf(c.library);
        c.edit(*shelf.model);
        const auto saved = shelf.saved();
        EXPECT_EQ(saved, shelf.model->library());
        c.check(saved, shelf);
    }
}

TEST(LibraryEdits, PlaylistFilesAreImportedWithAToastAndStored) {
    const auto folder = ZazidEvoz::testkit::makeTemporaryFolder("playlists");
    const auto latin1 = folder / "Köln list.m3u";
    writeBytes(latin1, "#EXTM3U\n#EXTINF:-1,Radio K\xF6ln \xE0 la carte\nhttp://koeln.example/live\n"
                       "#EXTINF:-1,One again\nhttp://one.example/live\n");
    const auto known = folder / "known.pls";
    writeBytes(known, "[playlist]\nFile1=http://one.example/live\nTitle1=One\nNumberOfEntries=1\n");
    const auto empty = folder / "notes.m3u";
    writeBytes(empty, "nothing playable here\n");
    // JSON texts may hold escaped line breaks: names keep to one line, links with one stay out.
    const auto json = folder / "stations.json";
    writeBytes(json, R"([{"name":"Line\r\nBreak FM","url":"http://lb.example/"},
                        {"name":"Split","url":"http://split.example/\r\nx"}])");

    Shelf shelf(libraryOf({one}));
    auto& model = *shelf.model;
    // The views hand over what file dialogs give: "file:" URLs.
    model.importPlaylistFile(QString::fromStdString(ZazidEvoz::platform::fileURLFromPath(latin1.string())));
    shelf.expectToast(Toast::Style::success, importedText(1));
    auto saved = shelf.saved();
    ASSERT_EQ(saved.stations.size(), 2u);
    EXPECT_EQ(saved.stations[1].name, "Radio K\u00F6ln \u00E0 la carte");
    EXPECT_EQ(saved.stations[1].url, "http://koeln.example/live");

    model.importPlaylistFile(known);
    shelf.expectToast(Toast::Style::success, importedText(0));
    model.importPlaylistFile(empty);
    shelf.expectToast(Toast::Style::warning, importedText(0));
    EXPECT_EQ(shelf.saved().stations, saved.stations);

    model.importPlaylistFile(json);
    shelf.expectToast(Toast::Style::success, importedText(1));
    saved = shelf.saved();
    ASSERT_EQ(saved.stations.size(), 3u);
    EXPECT_EQ(saved.stations[2].name, "Line Break FM");
    EXPECT_EQ(saved.stations[2].url, "http://lb.example/");
}

TEST(LibraryEdits, FilesThatAreNoPlaylistsAreRefusedWithoutReadingThemWhole) {
    const auto folder = ZazidEvoz::testkit::makeTemporaryFolder("refused");
    // 2 GB that take no room: a read that does not stop at its cap would take it all in.
    const auto huge = folder / "huge.m3u";
    writeBytes(huge, "#EXTM3U\n#EXTINF:-1,Huge\nhttp://huge.example/live\n");
    std::filesystem::resize_file(huge, 2'000'000'000);
    // Opening a pipe nobody writes to would wait for ever.
    const auto pipe = folder / "pipe.m3u";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const auto subfolder = folder / "folder.m3u";
    std::filesystem::create_directories(subfolder);

    Shelf shelf(libraryOf({one}));
    for (const auto& file : {huge, pipe, subfolder, folder / "missing.m3u"}) {
        SCOPED_TRACE(file.filename().string());
        shelf.model->closeToast();
        shelf.model->importPlaylistFile(file);
        shelf.expectToast(Toast::Style::error, localizedText("toast.importFailed"));
        EXPECT_EQ(shelf.saved().stations, std::vector<Station>{one});
    }
}

TEST(LibraryEdits, OlvantasStationListIsReadFromItsConfigFolder) {
    const auto config = ZazidEvoz::testkit::makeTemporaryFolder("config");
    ScopedEnvironment configHome("XDG_CONFIG_HOME", config.c_str());
    Shelf shelf(libraryOf({one}));

    shelf.model->importFromOlvanta();
    shelf.expectToast(Toast::Style::error, localizedText("toast.importFailed"));

    writeBytes(config / "olvanta" / "config.json",
               R"({"stations":[{"name":"Olvanta One","url":"http://olvanta.example/one"},
                   {"name":"One FM","url":"http://one.example/live"}]})");
    shelf.model->importFromOlvanta();
    shelf.expectToast(Toast::Style::success, importedText(1));
    const auto saved = shelf.saved();
    ASSERT_EQ(saved.stations.size(), 2u);
    EXPECT_EQ(saved.stations[1].name, "Olvanta One");
}

TEST(LibraryEdits, ExportWritesTheStationsAsM3UOrLeavesTheOldFileWhole) {
    const auto folder = ZazidEvoz::testkit::makeTemporaryFolder("export");
    const auto file = folder / "My stations.m3u";
    Shelf shelf(libraryOf({one, two}));
    auto& model = *shelf.model;

    model.exportLibrary(QString::fromStdString(ZazidEvoz::platform::fileURLFromPath(file.string())));
    shelf.expectToast(Toast::Style::success, localizedText("toast.exported"));
    EXPECT_EQ(model.toast()->file, file);
    const std::string exported = contentsOf(file);
    EXPECT_EQ(exported, ZazidEvoz::PlaylistImporter::exportM3U({one, two}));

    model.importStations({three});
    ZazidEvoz::platform::FaultInjection::failNth(ZazidEvoz::platform::Seam::AtomicWrite, 1);
    model.exportLibrary(file);
    ZazidEvoz::platform::FaultInjection::reset();
    ASSERT_TRUE(model.toast());
    EXPECT_EQ(model.toast()->style, Toast::Style::error);
    EXPECT_FALSE(model.toast()->file);
    EXPECT_EQ(contentsOf(file), exported);

    model.exportLibrary(folder / "no such folder" / "out.m3u");
    EXPECT_EQ(model.toast()->style, Toast::Style::error);
    EXPECT_FALSE(std::filesystem::exists(folder / "no such folder"));
}

TEST(LibraryEdits, TheViewsPassStationsAsMapsAndSeeFavouriteURLs) {
    Shelf shelf(libraryOf({one, two, three}));
    auto& model = *shelf.model;
    QSignalSpy libraryChanges(&model, &AppModel::libraryChanged);
    model.toggleFavorite(stationMap(directoryHit));
    EXPECT_EQ(model.property("favoriteURLs").toStringList(),
              QStringList{QString::fromStdString(directoryHit.url)});
    EXPECT_GE(libraryChanges.count(), 1);
    EXPECT_TRUE(model.isInLibrary(stationMap(two)));
    EXPECT_FALSE(model.isInLibrary(stationMap(directoryHit)));
    EXPECT_EQ(model.importStations(QVariantList{stationMap(directoryHit), stationMap(one)}), 1);
    model.moveStations(QList<int>{3}, 0);
    model.renameStation(stationMap(directoryHit), "Near FM");
    model.removeFromLibrary(stationMap(one));
    EXPECT_EQ(namesOf(shelf.saved().stations), (std::vector<std::string>{"Near FM", "Two FM", "Three FM"}));
}
