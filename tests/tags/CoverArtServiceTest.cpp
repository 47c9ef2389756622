#include "ZazidEvoz/tags/CoverArtService.hpp"

#include "EditedFiles.hpp"
#include "ZazidEvoz/platform/Files.hpp"
#include "ZazidEvoz/platform/ImageBytes.hpp"
#include "support/LocalHttpServer.hpp"
#include "support/Media.hpp"
#include "support/Sandbox.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <mutex>
#include <nlohmann/json.hpp>
#include <sys/stat.h>

using namespace ZazidEvoz;
namespace fs = std::filesystem;
namespace testkit = ZazidEvoz::testkit;
using ::testing::MatchesRegex;
using testkit::contents;
using testkit::folderEntries;
using testkit::ScopedEnvironment;

namespace {

std::string jpegPicture() {
    return contents(testkit::generatedMedia("cover-lookup.jpg",
                                            {"-f", "lavfi", "-i", "testsrc=size=120x120", "-frames:v", "1"}));
}

std::string pngPicture() {
    return contents(testkit::generatedMedia("cover-lookup.png",
                                            {"-f", "lavfi", "-i", "testsrc=size=120x120", "-frames:v", "1"}));
}

std::string hit(const std::string& artist, const std::string& artwork) {
    nlohmann::json object = {{"artistName", artist}, {"collectionName", "Album"}};
    if (!artwork.empty())
        object["artworkUrl100"] = artwork;
    return object.dump();
}

std::string results(const std::vector<std::string>& hits) {
    std::string body = R"({"resultCount":)" + std::to_string(hits.size()) + R"(,"results":[)";
    for (std::size_t index = 0; index < hits.size(); ++index)
        body += (index ? "," : "") + hits[index];
    return body + "]}";
}

struct Answer {
    int status = 200;
    std::string contentType = "application/json";
    std::string body;
    std::string location; // a redirect when set
};

// Plays the search service at /search and serves pictures under /art/.
class CoverLookup : public ::testing::Test {
protected:
    void SetUp() override {
        local_.server.Get("/search", [this](const httplib::Request& request, httplib::Response& response) {
            std::lock_guard lock(mutex_);
            searches_.push_back(request.target);
            terms_.push_back(request.get_param_value("term"));
            respond(search_, response);
        });
        local_.server.Get(R"(/art/(.*))",
                          [this](const httplib::Request& request, httplib::Response& response) {
                              std::lock_guard lock(mutex_);
                              pictureRequests_.push_back(request.path);
                              respond(picture_, response);
                          });
        local_.start();
        service_ = std::make_unique<CoverArtService>(local_.url(""));
    }

    static void respond(const Answer& answer, httplib::Response& response) {
        response.status = answer.status;
        if (!answer.location.empty())
            response.set_header("Location", answer.location);
        response.set_content(answer.body, answer.contentType.c_str());
    }

    // The search finds one hit whose artwork is `picture`, served as given.
    void serveCover(Answer picture) {
        std::lock_guard lock(mutex_);
        search_ = {200, "application/json", results({hit("Artist", local_.url("/art/a/100x100bb.jpg"))}), {}};
        picture_ = std::move(picture);
    }
    void answerSearch(Answer answer) {
        std::lock_guard lock(mutex_);
        search_ = std::move(answer);
    }
    std::vector<std::string> searches() {
        std::lock_guard lock(mutex_);
        return searches_;
    }
    std::vector<std::string> terms() {
        std::lock_guard lock(mutex_);
        return terms_;
    }
    std::vector<std::string> pictureRequests() {
        std::lock_guard lock(mutex_);
        return pictureRequests_;
    }

    testkit::LocalHttpServer local_;
    std::unique_ptr<CoverArtService> service_;
    fs::path temporary_ = testkit::makeTemporaryFolder("tmpdir");
    ScopedEnvironment temporaryScope_{"TMPDIR", temporary_.c_str()};

private:
    std::mutex mutex_;
    Answer search_{200, "application/json", results({}), {}};
    Answer picture_;
    std::vector<std::string> searches_, terms_, pictureRequests_;
};

} // namespace

TEST(ImageBytes, OnlyJpegAndPngSignaturesCount) {
    using platform::ImageFormat;
    struct Case {
        std::string bytes;
        std::optional<ImageFormat> format;
    } cases[] = {
        {"\xFF\xD8\xFF\xE0rest", ImageFormat::jpeg},
        {std::string("\x89PNG\r\n\x1A\n\0\0", 10), ImageFormat::png},
        {"\x89PNG\r\n", std::nullopt}, // cut short
        {"\x89P", std::nullopt},
        {"\xFF\xD8", std::nullopt},
        {"GIF89a", std::nullopt},
        {"<!DOCTYPE html><html>", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& test : cases) {
        EXPECT_EQ(platform::imageFormat(test.bytes), test.format) << test.bytes;
        EXPECT_EQ(platform::isJpegOrPng(test.bytes), test.format.has_value()) << test.bytes;
    }
}

TEST(CoverSearchAnswer, ArtistChoiceAndArtworkAddress) {
    const std::string small = "http://art.example/a/100x100bb.jpg";
    const std::string large = "http://art.example/a/600x600bb.jpg";
    struct Case {
        const char* name;
        std::string body;
        std::string artist;
        std::optional<std::string> expected;
    } cases[] = {
        {"the artist's hit wins over an earlier one, ignoring case",
         results({hit("Someone Else", "http://x/other/100x100bb.jpg"), hit("The BEATLES", small)}), "beatles",
         large},
        {"no hit by the artist: the first", results({hit("One", small), hit("Two", "http://x/2.jpg")}),
         "Nobody", large},
        {"the first hit without artwork gives nothing", results({hit("One", ""), hit("Two", small)}),
         "Nobody", std::nullopt},
        {"a hit without an artist name is passed over",
         results({R"({"artworkUrl100":"http://x/1.jpg"})", hit("Ärzte", small)}), "ärzte", large},
        {"an address without the size is used as it is", results({hit("A", "https://x/cover.png")}), "A",
         "https://x/cover.png"},
        {"every size mark is replaced", results({hit("A", "http://x/100x100bb/100x100bb.jpg")}), "A",
         "http://x/600x600bb/600x600bb.jpg"},
        {"no hits", results({}), "A", std::nullopt},
        {"not JSON", "<html>busy</html>", "A", std::nullopt},
        {"results not a list", R"({"results":{"artistName":"A"}})", "A", std::nullopt},
        {"a hit that is no object", R"({"results":[3,)" + hit("A", small) + "]}", "A", std::nullopt},
        {"artwork that is no text", R"({"results":[{"artistName":"A","artworkUrl100":7}]})", "A",
         std::nullopt},
        {"a local file is never fetched", results({hit("A", "file:///etc/passwd")}), "A", std::nullopt},
        {"nor another protocol", results({hit("A", "ftp://x/100x100bb.jpg")}), "A", std::nullopt},
    };
    for (const auto& test : cases)
        EXPECT_EQ(CoverArtService::artworkURL(test.body, test.artist), test.expected) << test.name;
}

TEST_F(CoverLookup, QueryNamesArtistAndAlbumOrTitle) {
    struct Case {
        std::string artist, title, album;
        std::string target; // the request as sent
        std::string term;   // as the service reads it
    } cases[] = {
        {"A", "T", "", "/search?term=A%20T&media=music&entity=song&limit=5", "A T"},
        {"A", "T", "B", "/search?term=A%20B&media=music&entity=album&limit=5", "A B"},
        {"", "T", "Album", "/search?term=Album&media=music&entity=album&limit=5", "Album"},
        {"Artist", "", "", "/search?term=Artist&media=music&entity=song&limit=5", "Artist"},
        {"Sigur Rós", "Hoppípolla & co?", "",
         "/search?term=Sigur%20R%C3%B3s%20Hopp%C3%ADpolla%20%26%20co%3F&media=music&entity=song&limit=5",
         "Sigur Rós Hoppípolla & co?"},
    };
    for (const auto& test : cases)
        EXPECT_FALSE(service_->coverURL(test.artist, test.title, test.album)) << test.target;
    std::vector<std::string> targets, expectedTerms;
    for (const auto& test : cases) {
        targets.push_back(test.target);
        expectedTerms.push_back(test.term);
    }
    EXPECT_EQ(searches(), targets);
    EXPECT_EQ(terms(), expectedTerms);

    // Nothing to search for: no request at all.
    EXPECT_FALSE(service_->coverURL("", "", ""));
    EXPECT_FALSE(service_->downloadCover("", "", ""));
    EXPECT_EQ(searches().size(), std::size(cases));
}

TEST_F(CoverLookup, SearchAnswerOtherThanOkIsNoCover) {
    const std::string body = results({hit("A", local_.url("/art/a/100x100bb.jpg"))});
    answerSearch({200, "application/json", body, {}});
    EXPECT_EQ(service_->coverURL("A", "T", ""), local_.url("/art/a/600x600bb.jpg"));
    for (int status : {201, 404, 500, 503}) {
        answerSearch({status, "application/json", body, {}});
        EXPECT_FALSE(service_->coverURL("A", "T", "")) << status;
    }
}

TEST_F(CoverLookup, DownloadKeepsOnlyRealPictures) {
    const std::string jpeg = jpegPicture();
    const std::string png = pngPicture();
    ASSERT_GT(jpeg.size(), 1000u);
    const std::string errorPage = "<html><body>" + std::string(5000, 'x') + "</body></html>";
    auto jpegOfSize = [&](std::size_t size) {
        std::string bytes = jpeg;
        bytes.resize(size, '\0');
        return bytes;
    };
    struct Case {
        const char* name;
        Answer picture;
        bool kept;
    } cases[] = {
        {"a JPEG", {200, "image/jpeg", jpeg, {}}, true},
        {"a PNG", {200, "image/png", png, {}}, true},
        {"1001 bytes", {200, "image/jpeg", jpegOfSize(1001), {}}, true},
        {"1000 bytes are a placeholder", {200, "image/jpeg", jpegOfSize(1000), {}}, false},
        {"an error page", {404, "text/html", errorPage, {}}, false},
        {"a picture with an error status", {500, "image/jpeg", jpeg, {}}, false},
        {"a page that says it went well", {200, "text/html", errorPage, {}}, false},
        {"a picture over 20 MiB", {200, "image/jpeg", jpegOfSize(20 * 1024 * 1024 + 1), {}}, false},
        {"a picture of exactly 20 MiB", {200, "image/jpeg", jpegOfSize(20 * 1024 * 1024), {}}, true},
        {"a redirect to a local file", {302, "text/plain", "", "file:///etc/passwd"}, false},
    };
    for (const auto& test : cases) {
        serveCover(test.picture);
        auto file = service_->downloadCover("Artist", "Title", "");
        EXPECT_EQ(file.has_value(), test.kept) << test.name;
        if (!file) {
            EXPECT_TRUE(folderEntries(temporary_).empty()) << test.name;
            continue;
        }
        EXPECT_EQ(file->parent_path(), temporary_);
        EXPECT_THAT(
            file->filename().string(),
            MatchesRegex(
                "zintraradio-cover-[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}"
                "\\.jpg"));
        EXPECT_EQ(contents(*file), test.picture.body) << test.name;
        struct stat info {};
        ASSERT_EQ(::stat(file->c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, 0600u);
        fs::remove(*file);
    }
    EXPECT_EQ(pictureRequests().size(), std::size(cases));
    EXPECT_EQ(pictureRequests().front(), "/art/a/600x600bb.jpg");

    // Every download is a file of its own.
    serveCover({200, "image/jpeg", jpeg, {}});
    auto first = service_->downloadCover("Artist", "Title", "Album");
    auto second = service_->downloadCover("Artist", "Title", "Album");
    ASSERT_TRUE(first && second);
    EXPECT_NE(*first, *second);
}

TEST_F(CoverLookup, FailuresOnTheWayAreNoCover) {
    serveCover({200, "image/jpeg", jpegPicture(), {}});

    // Cancelled before it started.
    std::stop_source stop;
    stop.request_stop();
    EXPECT_FALSE(service_->downloadCover("Artist", "Title", "", stop.get_token()));

    // Nowhere to put the picture.
    fs::path notAFolder = temporary_ / "file";
    platform::writeFileAtomically(notAFolder, "");
    {
        ScopedEnvironment badTemporary("TMPDIR", notAFolder.c_str());
        EXPECT_FALSE(service_->downloadCover("Artist", "Title", ""));
    }
    EXPECT_EQ(folderEntries(temporary_), std::vector<std::string>{"file"});

    // The service is gone.
    std::string address = local_.url("");
    local_.stop();
    EXPECT_FALSE(CoverArtService(address).downloadCover("Artist", "Title", ""));
}
