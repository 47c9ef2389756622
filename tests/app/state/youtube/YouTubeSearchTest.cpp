// YouTube searches, link expansion and pasted links on the application model, with yt-dlp
// played by a script.
#include "YouTubeKit.hpp"
#include "ZazidEvoz/platform/Text.hpp"

#include <gtest/gtest.h>

using namespace ZintraRadio;
using namespace ZintraRadio::testkit;
using ZazidEvoz::MediaKind;
using namespace std::chrono_literals;

namespace {

std::vector<std::string> names(const std::vector<Station>& stations) {
    std::vector<std::string> result;
    for (const auto& station : stations)
        result.push_back(station.name);
    return result;
}

class YouTubeSearch : public ::testing::Test {
protected:
    void search(const std::string& text) {
        model.searchYouTube(text);
        ASSERT_TRUE(model.youtubeLoading());
        ASSERT_TRUE(pumpUntil([&] { return !model.youtubeLoading(); }));
    }

    ScriptedYtDlp ytdlp{{"lofi", "chanx", "httpfoo", "xq", "PLx", "nothing", "broken", "slow", "quick", "a1",
                         "b2", "c3", "d4", "l5"}};
    AppSetup setup;
    AppModel model{videoFreeOptions(setup)};
};

} // namespace

TEST_F(YouTubeSearch, TextsThatBeginWithHttpInAnyCaseAreExpandedOthersSearched) {
    struct Case {
        std::string text;
        std::string key;
        std::string expectedRun; // the end of yt-dlp's argument list
    } cases[] = {
        {"lofi beats", "lofi", "--ignore-errors -- ytsearch30:lofi beats"},
        {"HTTPS://www.youtube.com/@chanx", "chanx", "--playlist-end 200 -- HTTPS://www.youtube.com/@chanx"},
        {"httpfoo", "httpfoo", "--playlist-end 200 -- httpfoo"},
        {"  http://xq", "xq", "--ignore-errors -- ytsearch30:http://xq"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        ytdlp.listing(c.key,
                      {entryLine(c.key + "1", c.key + " one"), entryLine(c.key + "2", c.key + " two")});
        search(c.text);
        ASSERT_FALSE(ytdlp.runs().empty());
        EXPECT_TRUE(ytdlp.runs().back().ends_with(c.expectedRun)) << ytdlp.runs().back();
        EXPECT_EQ(model.youtubeQuery(), c.text);
        EXPECT_EQ(names(model.youtubeResults()), (std::vector<std::string>{c.key + " one", c.key + " two"}));
        EXPECT_EQ(model.youtubeError(), std::nullopt);
    }
}

TEST_F(YouTubeSearch, EmptyResultsAndFailuresShowTheirText) {
    ytdlp.listing("lofi", {entryLine("l1", "Lofi One")});
    ytdlp.listing("nothing", {});
    ytdlp.fail("broken");

    search("lofi");
    EXPECT_EQ(names(model.youtubeResults()), std::vector<std::string>{"Lofi One"});

    search("nothing");
    EXPECT_TRUE(model.youtubeResults().empty());
    EXPECT_EQ(model.youtubeError(), "youtube.noResults");

    search("lofi");
    EXPECT_EQ(model.youtubeError(), std::nullopt);

    // A failure keeps the results of the last search that worked.
    search("broken");
    EXPECT_EQ(model.youtubeError(), "staged failure of broken");
    EXPECT_EQ(names(model.youtubeResults()), std::vector<std::string>{"Lofi One"});
    EXPECT_EQ(model.youtubeResultList()->rowCount(), 1);
}

TEST_F(YouTubeSearch, ANewSearchDropsTheRunningOne) {
    ytdlp.hold("slow");
    ytdlp.listing("slow", {entryLine("s1", "Slow One")});
    ytdlp.listing("quick", {entryLine("q1", "Quick One")});

    model.searchYouTube("slow");
    ASSERT_TRUE(pumpUntil([&] { return ytdlp.runs().size() == 1; }));
    search("quick");
    ytdlp.release("slow");
    pumpFor(std::chrono::milliseconds(300));

    EXPECT_EQ(names(model.youtubeResults()), std::vector<std::string>{"Quick One"});
    EXPECT_FALSE(model.youtubeLoading());
    EXPECT_EQ(model.youtubeQuery(), "quick");
}

TEST_F(YouTubeSearch, APastedPlaylistLinkFillsTheResultsAndPlaysNothing) {
    struct Case {
        std::string link;
        std::string expectedRun;
    } cases[] = {
        {"https://www.youtube.com/playlist?list=PLx",
         "--playlist-end 200 -- https://www.youtube.com/playlist?list=PLx"},
        // Without the scheme it is a text like any other.
        {"www.youtube.com/playlist?list=PLx", "-- ytsearch30:www.youtube.com/playlist?list=PLx"},
    };
    ytdlp.listing("PLx", {entryLine("p1", "Part One"), entryLine("p2", "Part Two")});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.link);
        model.setYoutubeResults({});
        model.playLink(" " + c.link + "\n");
        ASSERT_TRUE(pumpUntil([&] { return !model.youtubeLoading(); }));
        EXPECT_TRUE(ytdlp.runs().back().ends_with(c.expectedRun)) << ytdlp.runs().back();
        EXPECT_EQ(names(model.youtubeResults()), (std::vector<std::string>{"Part One", "Part Two"}));
        EXPECT_EQ(model.current(), std::nullopt);
        EXPECT_TRUE(model.library().history.empty());
    }
}

TEST_F(YouTubeSearch, APastedRadioLinkIsNamedAfterItsHost) {
    struct Case {
        std::string text;
        std::string name;
    } cases[] = {
        {"\t" + deadURL + "/live/stream.mp3 \n", "127.0.0.1"},
        {"not a link at all", "not a link at all"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        model.playLink(c.text);
        ASSERT_TRUE(model.current());
        EXPECT_EQ(model.current()->kind, MediaKind::radio);
        EXPECT_EQ(model.current()->name, c.name);
        EXPECT_EQ(model.current()->url, ZazidEvoz::text::trimmedWhitespace(c.text));
    }
    model.playLink(" \n");
    EXPECT_EQ(model.current()->name, "not a link at all") << "a blank text plays nothing";
    model.stop();
}

TEST_F(YouTubeSearch, APastedVideoLinkIsRenamedByItsDetails) {
    ytdlp.listing("a1", {entryLine("a1", "First Video", "First Channel", 95)});
    const std::string link = youtubeLink("a1");

    model.playLink(link);
    ASSERT_TRUE(model.current());
    EXPECT_EQ(model.current()->name, link);
    EXPECT_EQ(model.current()->kind, MediaKind::youtube);

    ASSERT_TRUE(pumpUntil([&] { return model.current()->name == "First Video"; }));
    Station expected = makeStation(MediaKind::youtube, "First Video", link);
    expected.uploader = "First Channel";
    expected.duration = 95;
    expected.thumbnailURL = "https://i.ytimg.com/a1.jpg";
    EXPECT_EQ(*model.current(), expected);
    EXPECT_EQ(model.lyrics()->songTitle(), "First Video");
    // The history keeps the item as it was played.
    ASSERT_FALSE(model.library().history.empty());
    EXPECT_EQ(model.library().history.front().name, link);
    model.stop();
}

TEST_F(YouTubeSearch, DetailsThatArriveAfterTheUserMovedOnChangeNothing) {
    ytdlp.hold("a1");
    ytdlp.listing("a1", {entryLine("a1", "First Video")});
    ytdlp.listing("b2", {entryLine("b2", "Second Video")});

    model.playLink(youtubeLink("a1"));
    model.playLink(youtubeLink("b2"));
    ASSERT_TRUE(pumpUntil([&] { return model.current()->name == "Second Video"; }));
    ytdlp.release("a1");
    ASSERT_TRUE(pumpUntil([&] { return ytdlp.answered("a1"); }));
    pumpFor(std::chrono::milliseconds(300));

    EXPECT_EQ(model.current()->name, "Second Video");
    EXPECT_EQ(model.current()->url, youtubeLink("b2"));
    EXPECT_EQ(model.lyrics()->songTitle(), "Second Video");
    model.stop();
}

TEST_F(YouTubeSearch, APastedVideoWithALengthEndsLikeASearchResultALiveOneReconnects) {
    const auto tone = ZazidEvoz::testkit::sineFile("pasted-video.mp3", 440, 1);
    struct Case {
        std::string key;
        int duration; // as the details tell it; 0 for a live video
        bool reconnects;
    } cases[] = {{"c3", 1, false}, {"l5", 0, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        ytdlp.listing(c.key, {entryLine(c.key, "Pasted", "Chan", c.duration)});
        ytdlp.audio(c.key, tone);
        // The audio waits for the details, so that its end comes after them.
        ytdlp.holdAudio(c.key);
        int reconnects = 0;
        auto counting = QObject::connect(&model, &AppModel::toastChanged, [&] {
            if (model.toast() && model.toast()->style == Toast::Style::warning)
                ++reconnects;
        });
        // The entry after the pasted one in the results plays when it ends.
        model.setYoutubeResults({makeStation(MediaKind::youtube, "Pasted", youtubeLink(c.key)),
                                 makeStation(MediaKind::youtube, "Next", youtubeLink("d4"))});

        model.playLink(youtubeLink(c.key));
        ASSERT_TRUE(pumpUntil([&] { return model.current()->name == "Pasted"; }));
        ytdlp.releaseAudio(c.key);
        ASSERT_TRUE(
            pumpUntil([&] { return reconnects > 0 || model.current()->url == youtubeLink("d4"); }, 30s));
        EXPECT_EQ(reconnects > 0, c.reconnects);
        EXPECT_EQ(model.current()->url, youtubeLink(c.reconnects ? c.key : "d4"));
        QObject::disconnect(counting);
        model.stop();
    }
}
