// The history panel's heard songs loaded offscreen over the real state layer: the list opens
// the lyrics sheet and hands songs to YouTube, titles reaching yt-dlp as one argument.
#include "LyricsViewKit.hpp"
#include "MusicTestKit.hpp"
#include "support/FakeYtDlp.hpp"

using namespace ZintraRadio;
using namespace ZintraRadio::testkit;
using namespace std::chrono_literals;

TEST_F(LyricsViews, HeardSongsOpenTheSheetAndHandSongsToYouTubeInOrder) {
    MusicFolders folders;
    folders.writeSnapshot();
    auto music = MusicFolders::started(folders.options());
    auto ui = makeUIState(folders.support);
    auto& database = *music->database();
    database.markHeard("Once", "Heard Once", "Radio One");
    database.markHeard("Twice", "Heard Twice", "");
    database.markHeard("Twice", "Heard Twice", "Radio Two");
    ZazidEvoz::SongLyrics stored;
    stored.plain = "Stored words";
    database.saveLyrics("Twice", "Heard Twice", stored, "test");
    // A title that looks like options travels as one text.
    database.markHeard("-x", "--exec=touch /tmp/owned", "Radio One");

    QQuickItem* host =
        make(listHost, {{"music", object(music.get())},
                        {"ui", object(ui.get())},
                        {"view", QStringLiteral("qrc:/qt/qml/ZintraRadio/deck/HeardSongsList.qml")}});
    ASSERT_TRUE(host);
    ASSERT_TRUE(pumpUntil([&] { return itemIn(host, "heardRow2") != nullptr; }));
    QQuickItem* list = itemIn(host, "view");
    auto row = [&](int i) { return itemIn(host, QStringLiteral("heardRow%1").arg(i)); };
    auto childOf = [&](int i, const char* name) { return itemIn(row(i), QString::fromLatin1(name)); };

    EXPECT_EQ(row(0)->property("title").toString(), "--exec=touch /tmp/owned");
    EXPECT_EQ(row(1)->property("title").toString(), "Heard Twice");
    EXPECT_TRUE(shown(childOf(1, "heardCount")));
    EXPECT_EQ(childOf(1, "heardCount")->property("text").toString(), QStringLiteral("2\u00D7"));
    EXPECT_FALSE(shown(childOf(2, "heardCount")));
    EXPECT_TRUE(shown(childOf(1, "heardLyrics")));
    EXPECT_FALSE(shown(childOf(2, "heardLyrics")));
    EXPECT_TRUE(shown(childOf(2, "heardYouTube")));
    EXPECT_TRUE(shown(childOf(2, "heardDownload")));

    // YouTube: the module first, then the query for the panel's field, then the search.
    click(childOf(0, "heardYouTube"));
    click(childOf(0, "heardDownload"));
    const QStringList calls = host->property("calls").toStringList();
    ASSERT_EQ(calls.size(), 2);
    EXPECT_EQ(calls[0], "search|-x --exec=touch /tmp/owned|youtube|-x --exec=touch /tmp/owned");
    EXPECT_EQ(calls[1], "download|-x --exec=touch /tmp/owned|null");

    // The lyrics sheet: opened by the row, closed by Escape, which clears the request.
    click(childOf(1, "heardLyrics"));
    const QVariantMap first = list->property("lyricsRequest").toMap();
    ASSERT_EQ(first.value("title").toString(), "Heard Twice");
    ASSERT_TRUE(pumpUntil([&] { return itemIn(host->window()->contentItem(), "sheetText") != nullptr; }));
    QQuickItem* overlayRoot = host->window()->contentItem();
    ASSERT_TRUE(pumpUntil(
        [&] { return itemIn(overlayRoot, "sheetText")->property("text").toString() == "Stored words"; }));
    EXPECT_EQ(itemIn(overlayRoot, "sheetTitle")->property("text").toString(), "Heard Twice");
    EXPECT_EQ(itemIn(overlayRoot, "sheetArtist")->property("text").toString(), "Twice");
    QTest::keyClick(host->window(), Qt::Key_Escape);
    ASSERT_TRUE(pumpUntil([&] { return list->property("lyricsRequest").isNull(); }));
    EXPECT_FALSE(shown(itemIn(overlayRoot, "lyricsSheet")));

    // Asking again for the same song makes a new request and shows the sheet anew.
    click(childOf(1, "heardLyrics"));
    const QVariantMap second = list->property("lyricsRequest").toMap();
    EXPECT_EQ(second.value("title").toString(), "Heard Twice");
    EXPECT_NE(second.value("id").toString(), first.value("id").toString());
    ASSERT_TRUE(pumpUntil([&] { return shown(itemIn(overlayRoot, "lyricsSheet")); }));
    click(itemIn(overlayRoot, "sheetClose"));
    ASSERT_TRUE(pumpUntil([&] { return list->property("lyricsRequest").isNull(); }));
    expectNoWarnings();
}

TEST_F(LyricsViews, HeardTitlesReachYtDlpAsOneArgument) {
    // A title that looks like options, from the radio into the database, through the row's
    // buttons and the application model to yt-dlp.
    ZazidEvoz::testkit::FakeYtDlp ytdlp("exit 0");
    LyricsApp app;
    auto ui = makeUIState(app.setup.folder);
    ASSERT_TRUE(app.model->hasYtDlp());
    app.model->music()->database()->markHeard("-x", "--exec=touch /tmp/owned", "Radio One");

    QQuickItem* list =
        make("HeardSongsList {}", {{"model", object(app.model.get())}, {"ui", object(ui.get())}});
    ASSERT_TRUE(list);
    ASSERT_TRUE(pumpUntil([&] { return itemIn(list, "heardRow0") != nullptr; }));
    const QString query = QStringLiteral("-x --exec=touch /tmp/owned");
    auto lastArguments = [&] {
        const auto arguments = ytdlp.arguments();
        return arguments.size() >= 2 ? std::vector<std::string>(arguments.end() - 2, arguments.end())
                                     : std::vector<std::string>{};
    };

    click(itemIn(itemIn(list, "heardRow0"), "heardYouTube"));
    EXPECT_EQ(ui->moduleName(), "youtube");
    EXPECT_EQ(ui->pendingYouTubeQueryValue().toString(), query);
    EXPECT_EQ(app.model->youtubeQueryText(), query);
    ASSERT_TRUE(pumpUntil([&] { return ytdlp.ran() && !app.model->youtubeLoading(); }));
    EXPECT_EQ(lastArguments(),
              (std::vector<std::string>{"--", "ytsearch" + std::to_string(AppModel::youtubeSearchLimit) +
                                                  ":" + query.toStdString()}))
        << "as yt-dlp saw them";

    std::filesystem::remove(ytdlp.folder() / "arguments");
    click(itemIn(itemIn(list, "heardRow0"), "heardDownload"));
    ASSERT_TRUE(pumpUntil([&] { return ytdlp.ran(); }));
    ASSERT_EQ(lastArguments().size(), 2u);
    EXPECT_EQ(lastArguments()[0], "--");
    EXPECT_TRUE(lastArguments()[1].ends_with(":" + query.toStdString())) << lastArguments()[1];
    const auto all = ytdlp.arguments();
    EXPECT_EQ(std::count(all.begin(), all.end(), "--exec=touch /tmp/owned"), 0);
    EXPECT_FALSE(std::filesystem::exists("/tmp/owned"));
}
