// The sheets' state and the views' operations over a real music model: the tag editor sends
// only exact differences and closes, the smart-playlist editor loads, previews and saves, the
// queue menu keeps the order of its items, the selection bar acts on the tracks still in the
// library (and a file the trash refuses stays), and queue edits with stale positions do nothing.
#include "app/music/MusicViewsKit.hpp"
#include "music/MusicActions.hpp"
#include "music/SmartEditorForm.hpp"
#include "music/TagEditorForm.hpp"
#include "state/QtValues.hpp"

#include <QImage>
#include <QSignalSpy>
#include <QUrl>
#include <gtest/gtest.h>

using namespace ZintraRadio;
using namespace ZintraRadio::testkit;
using ZazidEvoz::SmartRule;
using ZazidEvoz::Station;
using ZazidEvoz::Track;

namespace {

MusicUI::HookReader noHooks() {
    return [](std::string_view) { return std::nullopt; };
}

Station entry(const std::string& url) {
    Station s;
    s.url = url;
    s.name = url;
    return s;
}

QVariantList maps(std::initializer_list<const char*> urls) {
    QVariantList list;
    for (const char* url : urls)
        list.append(stationMap(entry(url)));
    return list;
}

std::vector<std::string> queueURLs(const MusicModel& music) {
    std::vector<std::string> urls;
    for (const auto& station : music.queue())
        urls.push_back(station.url);
    return urls;
}

} // namespace

class Forms : public ::testing::Test {
protected:
    void SetUp() override { installEnglish(); }
    Library library;
    MusicUI ui{noHooks()};
};

TEST_F(Forms, TagEditorLoadsSendsOnlyDifferencesAndCloses) {
    auto song = library.track("song.mp3", "Song", "Ann", "LP", "Jazz");
    song.year = 0;
    auto& music = library.start({song, library.track("b.mp3", "B", "", "", "Soul")});
    TagEditorForm form;
    form.setMusic(&music);
    form.setUi(&ui);
    EXPECT_FALSE(form.isOpen());

    ui.setEditing(song);
    ASSERT_TRUE(form.isOpen());
    EXPECT_EQ(form.title(), QStringLiteral("Song"));
    EXPECT_EQ(form.year(), QString()) << "year 0 shows an empty field";
    EXPECT_EQ(form.fileName(), QStringLiteral("song.mp3"));
    EXPECT_EQ(form.genres(), (QStringList{QStringLiteral("Jazz"), QStringLiteral("Soul")}));

    form.setGenre(QStringLiteral("Soul"));
    auto changes = form.changes();
    EXPECT_EQ(changes.genre, "Soul");
    EXPECT_FALSE(changes.title || changes.artist || changes.album || changes.year || changes.coverImage);

    for (const char* hostile : {"99999999999999999999", "+", "1e9", "20 01"}) {
        form.setYear(QString::fromLatin1(hostile));
        EXPECT_FALSE(form.changes().year.has_value()) << hostile;
    }
    form.setYear(QStringLiteral("-0"));
    EXPECT_FALSE(form.changes().year.has_value()) << "-0 reads as 0, the stored year";
    form.setYear(QStringLiteral("+1999"));
    EXPECT_EQ(form.changes().year, 1999);

    // A picture: only a local picture file is taken.
    const auto folder = ZazidEvoz::testkit::makeTemporaryFolder("tag cover");
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::red);
    const auto png = folder / "cover.png";
    ASSERT_TRUE(image.save(QString::fromStdString(png.string())));
    EXPECT_FALSE(form.pickCover({QUrl(QStringLiteral("https://example.org/c.png"))}));
    EXPECT_TRUE(form.pickCover({QUrl::fromLocalFile(QStringLiteral("/etc/hostname")),
                                QUrl::fromLocalFile(QString::fromStdString(png.string()))}));
    EXPECT_EQ(form.cover(), QString::fromStdString(png.string()));
    EXPECT_EQ(form.changes().coverImage, png);

    // Cancelling empties the browser's request and the form.
    form.close();
    EXPECT_FALSE(ui.editing().has_value());
    EXPECT_FALSE(form.isOpen());
    ui.setEditing(song);
    EXPECT_EQ(form.genre(), QStringLiteral("Jazz")) << "a new presentation starts afresh";
    EXPECT_EQ(form.cover(), QString());
}

TEST_F(Forms, TagEditorSavesIntoTheFile) {
    const auto file =
        library.folders.addFile("tagged.mp3", {{"title", "Old"}, {"artist", "Ann"}, {"date", "1999"}});
    auto& music = library.start({});
    ASSERT_EQ(music.tracks().size(), 1u);
    TagEditorForm form;
    form.setMusic(&music);
    form.setUi(&ui);
    ui.setEditing(music.tracks().front());
    form.setTitle(QStringLiteral("New"));
    form.setYear(QStringLiteral("+2001"));
    form.save();
    EXPECT_FALSE(ui.editing().has_value()) << "the sheet closes at once";
    ASSERT_TRUE(pumpUntil([&] { return music.tracks().front().title == "New"; }, std::chrono::seconds(60)));
    EXPECT_EQ(music.tracks().front().year, 2001);
    EXPECT_EQ(music.tracks().front().artist, "Ann");
    // What the file holds now, read anew.
    const auto reread = library.folders.store().readTrack(file, {});
    EXPECT_EQ(reread.title, "New");
    EXPECT_EQ(reread.year, 2001);
}

// A save the file cannot take is refused before anything runs: the sheet stays open with what
// was typed and an error says why; once mended it saves. An Ogg file takes no cover at all.
TEST_F(Forms, TagEditorKeepsTheSheetAndTheTypingWhenTheFileRefusesTheEdit) {
    library.folders.addFile("tone.ogg", {{"title", "Tone"}});
    auto& music = library.start({});
    ASSERT_EQ(music.tracks().size(), 1u);
    std::vector<std::pair<Toast::Style, std::string>> toasts;
    music.toastHandler = [&](Toast::Style style, const std::string& text) { toasts.emplace_back(style, text); };
    TagEditorForm form;
    form.setMusic(&music);
    form.setUi(&ui);
    ui.setEditing(music.tracks().front());
    EXPECT_EQ(form.coverRefusal(), QStringLiteral("A .ogg file cannot hold a cover picture."));
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::red);
    const auto png = library.folders.root / "cover.png";
    ASSERT_TRUE(image.save(QString::fromStdString(png.string())));
    EXPECT_FALSE(form.pickCover({QUrl::fromLocalFile(QString::fromStdString(png.string()))}));
    EXPECT_FALSE(form.changes().coverImage);

    const QString tooLong(200000, QLatin1Char('a'));
    form.setGenre(QStringLiteral("Chillout"));
    form.setTitle(tooLong);
    form.save();
    ASSERT_TRUE(ui.editing().has_value()) << "the sheet stays open";
    EXPECT_EQ(form.genre(), QStringLiteral("Chillout"));
    EXPECT_EQ(form.title(), tooLong);
    ASSERT_EQ(toasts.size(), 1u);
    EXPECT_EQ(toasts[0].first, Toast::Style::error);
    EXPECT_EQ(toasts[0].second, "The text is too long to write into the file (200006 bytes; at most 131071).");
    EXPECT_TRUE(music.busyTracks().empty()) << "nothing was started";

    form.setTitle(QStringLiteral("Tone"));
    form.save();
    EXPECT_FALSE(ui.editing().has_value());
    ASSERT_TRUE(pumpUntil([&] { return music.tracks().front().genre == "Chillout"; }, std::chrono::seconds(60)));
    EXPECT_EQ(library.folders.store().readTrack(music.tracks().front().path, {}).genre, "Chillout");
}

TEST_F(Forms, SmartEditorLoadsPreviewsAndSaves) {
    std::vector<Track> tracks;
    for (int i = 0; i < 12; ++i) {
        auto t = library.track(std::to_string(i) + ".mp3", "t" + std::to_string(i), i % 2 ? "Ann" : "Bo");
        t.year = 1990 + i;
        tracks.push_back(t);
    }
    auto& music = library.start(tracks);
    SmartEditorForm form;
    form.setMusic(&music);
    form.setUi(&ui);

    ui.startNewSmartPlaylist();
    const auto templateId = ui.smartDraft()->id;
    ASSERT_TRUE(form.isOpen());
    EXPECT_TRUE(form.isNew());
    EXPECT_EQ(form.ruleCount(), 1);
    settle();
    EXPECT_EQ(form.previewCount(), 12) << "the blank genre rule is left out: every track";
    EXPECT_EQ(form.previewCovers().size(), 9);

    form.setKind(0, QStringLiteral("yearBetween"));
    EXPECT_TRUE(form.setNumber(0, QStringLiteral("2000")));
    EXPECT_FALSE(form.setSecond(0, QStringLiteral("1e9"))) << "text that does not read keeps the number";
    EXPECT_FALSE(form.canSave()) << "and is refused until mended";
    EXPECT_TRUE(form.setSecond(0, QStringLiteral("+1995")));
    EXPECT_TRUE(form.canSave());
    form.addRule();
    form.setText(1, QStringLiteral("ann"));
    form.setLimit(QStringLiteral("3"));
    settle();
    EXPECT_EQ(form.previewCount(), 3);
    form.setLimit(QStringLiteral("99999999999999999999"));
    settle();
    EXPECT_EQ(form.previewCount(), 3) << "years 1995 to 2000 by Ann, no limit";

    // A rule whose kind changes starts from that kind's defaults: nothing typed for one kind
    // is taken for another.
    form.setKind(1, QStringLiteral("yearBetween"));
    EXPECT_EQ(form.state().rules[1].number, 1);
    EXPECT_EQ(form.state().rules[1].second, 2026);
    form.setKind(1, QStringLiteral("artistContains"));
    EXPECT_EQ(form.state().rules[1].text, "");
    form.setText(1, QStringLiteral("ann"));

    form.setName(QStringLiteral(" "));
    form.save();
    EXPECT_FALSE(ui.smartDraft().has_value());
    const auto& saved = music.smartPlaylists().back();
    EXPECT_EQ(saved.name, "New Smart Playlist");
    EXPECT_NE(saved.id, templateId) << "a new playlist gets an id of its own";
    EXPECT_EQ(saved.rules,
              (std::vector<SmartRule>{SmartRule::yearBetween(1995, 2000), SmartRule::artistContains("ann")}));
}

TEST_F(Forms, SmartEditorEditsInPlaceAndSavesNothingForADeletedPlaylist) {
    auto& music = library.start({library.track("a.mp3", "a")});
    const auto before = music.smartPlaylists();
    const auto builtIn = before.front();
    SmartEditorForm form;
    form.setMusic(&music);
    form.setUi(&ui);
    ui.editSmartPlaylist(builtIn);
    EXPECT_FALSE(form.isNew());
    EXPECT_EQ(form.name(), QStringLiteral("Recently Added"));
    form.setName(QString());
    EXPECT_EQ(form.result().name, builtIn.name) << "an emptied name keeps the stored one";
    form.setName(QStringLiteral("Fresh"));
    form.save();
    EXPECT_EQ(music.smartPlaylists().front().name, "Fresh");
    EXPECT_EQ(music.smartPlaylists().front().id, builtIn.id);

    const auto doomed = music.smartPlaylists()[1];
    ui.editSmartPlaylist(doomed);
    music.deleteSmartPlaylist(doomed);
    const auto remaining = music.smartPlaylists();
    form.setName(QStringLiteral("Ghost"));
    form.save();
    EXPECT_EQ(music.smartPlaylists(), remaining) << "nothing is inserted for a deleted playlist";
}

TEST_F(Forms, QueueMenuAndQueueEditsWithStalePositions) {
    auto& music = library.start({});
    MusicActions actions;
    actions.setMusic(&music);
    actions.setUi(&ui);
    music.playNow({entry("x"), entry("current"), entry("y")}, 1);
    actions.playNext(maps({"A", "B", "C"}));
    EXPECT_EQ(queueURLs(music), (std::vector<std::string>{"x", "current", "A", "B", "C", "y"}));
    music.clearQueue();
    actions.playNext(maps({"A", "B"}));
    EXPECT_EQ(queueURLs(music), (std::vector<std::string>{"A", "B"})) << "no current entry: at the start";

    // Positions from before an asynchronous change are ignored, never trusted.
    actions.moveInQueue(5, 0);
    actions.moveInQueue(0, 9);
    actions.moveInQueue(-1, 0);
    actions.removeFromQueue(7);
    actions.removeFromQueue(-2);
    EXPECT_EQ(queueURLs(music), (std::vector<std::string>{"A", "B"}));
    actions.moveInQueue(1, 0);
    EXPECT_EQ(queueURLs(music), (std::vector<std::string>{"B", "A"}));
    actions.moveInQueue(0, 2);
    EXPECT_EQ(queueURLs(music), (std::vector<std::string>{"A", "B"}));

    actions.cycleRepeatMode();
    actions.cycleRepeatMode();
    EXPECT_EQ(music.repeatMode(), MusicModel::RepeatMode::one);
    actions.cycleRepeatMode();
    EXPECT_EQ(music.repeatMode(), MusicModel::RepeatMode::off);

    const auto playlist = music.createPlaylist(std::string("P"), {});
    actions.addToPlaylist(maps({"A", "A", "B"}), QString::fromStdString(playlist.id.text()));
    EXPECT_EQ(music.playlists().front().items.size(), 2u) << "the same item once";
    actions.addToNewPlaylist(maps({"C"}));
    EXPECT_EQ(music.playlists().size(), 2u);
    EXPECT_FALSE(ui.route().has_value()) << "the queue menu opens no page";
    actions.createPlaylistAndOpen();
    ASSERT_TRUE(ui.route().has_value());
    EXPECT_EQ(ui.route()->id(), music.playlists().back().id);
}

TEST_F(Forms, SelectionBarActsOnTheTracksStillThereAndKeepsWhatTheTrashRefuses) {
    const auto keep = library.folders.addFile(std::string(245, 'k') + ".mp3", {{"title", "Stays"}});
    const auto go = library.folders.addFile("go.mp3", {{"title", "Goes"}});
    auto& music = library.start({});
    ASSERT_EQ(music.tracks().size(), 2u);
    std::vector<Toast::Style> toasts;
    music.toastHandler = [&](Toast::Style style, const std::string&) { toasts.push_back(style); };
    music.rate(QString::fromStdString(keep.string()), 4);

    MusicActions actions;
    actions.setMusic(&music);
    actions.setUi(&ui);
    ui.setSelection({go.string(), keep.string(), "/not/in/the/library.mp3"});
    EXPECT_EQ(actions.selectedPaths().size(), 2) << "a path that left the library is ignored";
    EXPECT_EQ(actions.selectedStations().size(), 2);

    actions.trashSelection();
    EXPECT_TRUE(ui.selection().empty()) << "the bar leaves at once, whatever the outcome";
    ASSERT_TRUE(pumpUntil([&] { return music.tracks().size() == 1; }));
    settle();
    EXPECT_EQ(music.tracks().front().path, keep.string()) << "the refused file stays in the library";
    EXPECT_EQ(music.tracks().front().rating, 4) << "with its rating";
    EXPECT_TRUE(std::filesystem::exists(keep));
    EXPECT_FALSE(std::filesystem::exists(go));
    EXPECT_EQ(toasts, std::vector<Toast::Style>{Toast::Style::warning}) << "and a toast says so";
}
