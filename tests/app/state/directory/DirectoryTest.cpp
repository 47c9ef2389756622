// Browsing the station directory and its quick search against a local directory server that
// remembers what it was asked, can fail every request, and can hold back the answer to one
// search text until released.
#include "AppModelKit.hpp"
#include "ZazidEvoz/catalogue/LibraryStore.hpp"
#include "qtsupport/AppModelKit.hpp"
#include "support/LocalHttpServer.hpp"

#include <condition_variable>
#include <gtest/gtest.h>
#include <map>
#include <mutex>

using namespace ZintraRadio;
using namespace ZintraRadio::testkit;
using namespace std::chrono_literals;
using ZazidEvoz::LibrarySnapshot;
using ZazidEvoz::MediaKind;
using ZazidEvoz::testkit::ScopedEnvironment;

namespace {

struct Request {
    std::string path;
    std::map<std::string, std::string> params;
    std::string param(const std::string& name) const {
        auto found = params.find(name);
        return found == params.end() ? "<absent>" : found->second;
    }
};

// Stations as the directory sends them, all on the closed local port.
std::string stationsJSON(const std::vector<std::string>& names) {
    std::string json = "[";
    for (const auto& name : names)
        json += (json.size() > 1 ? "," : "") + std::string(R"({"name":")") + name +
                R"(","url":"http://127.0.0.1:9/)" + name + R"("})";
    return json + "]";
}

Station directoryStation(const std::string& name) {
    return makeStation(MediaKind::radio, name, "http://127.0.0.1:9/" + name);
}

class Directory {
public:
    Directory() {
        http_.server.Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
            answer(request, response);
        });
        http_.start();
    }
    ~Directory() {
        release();
        http_.stop();
    }

    std::string base() const { return http_.url(""); }
    // Stations for a path, or for a name search of one text ("name=<text>").
    void answer(const std::string& key, std::vector<std::string> names) {
        std::lock_guard lock(mutex_);
        answers_[key] = stationsJSON(names);
    }
    void answerRaw(const std::string& path, std::string json) {
        std::lock_guard lock(mutex_);
        answers_[path] = std::move(json);
    }
    void failEverything(bool fail) {
        std::lock_guard lock(mutex_);
        failing_ = fail;
    }
    // The answer to a name search for `name` waits until release().
    void holdBack(const std::string& name) {
        std::lock_guard lock(mutex_);
        heldName_ = name;
    }
    void release() {
        std::lock_guard lock(mutex_);
        heldName_.clear();
        changed_.notify_all();
    }
    std::vector<Request> seen() const {
        std::lock_guard lock(mutex_);
        return seen_;
    }
    // Name searches only (a short answer brings a tag search as a top-up).
    std::vector<Request> nameSearches() const {
        std::vector<Request> searches;
        for (const auto& request : seen())
            if (request.path == "/json/stations/search" && request.params.contains("name"))
                searches.push_back(request);
        return searches;
    }

private:
    void answer(const httplib::Request& request, httplib::Response& response) {
        Request seen{request.path, {request.params.begin(), request.params.end()}};
        std::unique_lock lock(mutex_);
        seen_.push_back(seen);
        if (failing_) {
            response.status = 503;
            return;
        }
        const std::string name = seen.param("name");
        changed_.wait_for(lock, 20s, [&] { return heldName_.empty() || heldName_ != name; });
        auto found = answers_.find(seen.params.contains("name") ? "name=" + name : seen.path);
        response.set_content(found == answers_.end() ? "[]" : found->second, "application/json");
    }

    ZazidEvoz::testkit::LocalHttpServer http_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::map<std::string, std::string> answers_;
    std::vector<Request> seen_;
    std::string heldName_;
    bool failing_ = false;
};

struct Browser {
    Directory directory;
    AppSetup setup;
    std::unique_ptr<AppModel> model;

    explicit Browser(const LibrarySnapshot& library = LibrarySnapshot({}, {}, {}, {}, std::nullopt, 0.8f, ""),
                     bool loadAtStart = false) {
        ZazidEvoz::LibraryStore(setup.folder).save(library);
        auto options = setup.options();
        options.directoryMirrors = std::vector<std::string>{directory.base()};
        options.loadDirectory = loadAtStart;
        model = std::make_unique<AppModel>(options);
    }
    void browse(const std::function<void()>& request) {
        request();
        EXPECT_TRUE(model->browseLoading());
        ASSERT_TRUE(pumpUntil([&] { return !model->browseLoading(); }));
    }
    // Lets the quick search's quiet period pass and waits for its answer.
    void settleQuickSearch() {
        setup.scheduler->advance(AppModel::directorySearchDelay);
        ASSERT_TRUE(pumpUntil([&] { return !model->directoryLoading(); }));
    }
};

} // namespace

TEST(Directory, AtStartTheTopListCountriesAndTagsAreAsked) {
    Directory directory;
    directory.answerRaw("/json/countries", R"([{"name":"Albania","iso_3166_1":"AL","stationcount":4},
        {"name":"Belgium","iso_3166_1":"BE","stationcount":5},
        {"name":"Austria","iso_3166_1":"AT","stationcount":300}])");
    directory.answerRaw("/json/tags",
                        R"([{"name":"rock","stationcount":9},{"name":"jazz","stationcount":10}])");
    directory.answer("/json/stations/topclick/100", {"Top"});
    AppSetup setup;
    auto options = setup.options();
    options.directoryMirrors = std::vector<std::string>{directory.base()};
    options.loadDirectory = true;
    AppModel model(options);
    EXPECT_EQ(model.browseScope(), BrowseScope::top());
    ASSERT_TRUE(pumpUntil([&] { return !model.browseLoading() && !model.tags().empty(); }));

    EXPECT_EQ(model.browseResults(), std::vector<Station>{directoryStation("Top")});
    // Four stations are too few for the menu; five are enough.
    ASSERT_EQ(model.countries().size(), 2u);
    EXPECT_EQ(model.countries()[0].name, "Austria");
    EXPECT_EQ(model.countries()[1].name, "Belgium");
    EXPECT_EQ(model.countriesValue().size(), 2);
    ASSERT_EQ(model.tags().size(), 2u);
    EXPECT_EQ(model.tags()[0].name, "rock"); // as received
    for (const auto& request : directory.seen()) {
        if (request.path == "/json/tags") {
            EXPECT_EQ(request.param("limit"), "120");
        }
    }
}

TEST(Directory, EachScopeAsksForItsListAndLimit) {
    struct Case {
        const char* name;
        std::function<void(AppModel&)> request;
        BrowseScope scope;
        std::string path;
        std::map<std::string, std::string> params;
    };
    const ZazidEvoz::StationCountry austria{"Austria", "AT", 300};
    const std::vector<Case> cases = {
        {"a search keeps its text as typed",
         [](AppModel& m) { m.searchStations(std::string("  jazz")); },
         BrowseScope::search("  jazz"),
         "/json/stations/search",
         {{"name", "jazz"}, {"limit", "100"}}},
        {"a blank search shows the top list",
         [](AppModel& m) { m.searchStations(std::string(" \t ")); },
         BrowseScope::top(),
         "/json/stations/topclick/100",
         {}},
        {"a country by its code, 150 stations",
         [&](AppModel& m) { m.loadBrowse(BrowseScope::country(austria)); },
         BrowseScope::country(austria),
         "/json/stations/search",
         {{"countrycode", "AT"}, {"limit", "150"}}},
        {"a country as the views pass it",
         [](AppModel& m) {
             m.loadBrowse(QVariantMap{
                 {"kind", "country"}, {"name", "Austria"}, {"code", "AT"}, {"stationCount", 300}});
         },
         BrowseScope::country(austria),
         "/json/stations/search",
         {{"countrycode", "AT"}, {"limit", "150"}}},
        {"a tag",
         [](AppModel& m) {
             m.loadBrowse(QVariantMap{{"kind", "tag"}, {"name", "rock"}});
         },
         BrowseScope::tag("rock"),
         "/json/stations/search",
         {{"tag", "rock"}, {"limit", "100"}}},
        {"the top-voted list",
         [](AppModel& m) { m.loadBrowse(BrowseScope::topVoted()); },
         BrowseScope::topVoted(),
         "/json/stations/topvote/100",
         {}},
    };
    Browser browser;
    browser.directory.answer("/json/stations/topclick/100", {"Top"});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto before = browser.directory.seen().size();
        browser.browse([&] { c.request(*browser.model); });
        EXPECT_EQ(browser.model->browseScope(), c.scope);
        // The first request of the call (a short name search is topped up by a tag search).
        ASSERT_GT(browser.directory.seen().size(), before);
        const auto request = browser.directory.seen()[before];
        EXPECT_EQ(request.path, c.path);
        for (const auto& [key, value] : c.params)
            EXPECT_EQ(request.param(key), value) << key;
    }
    EXPECT_EQ(browser.model->browseScopeValue().value("kind").toString(), "topVoted");
}

TEST(Directory, TheQuickSearchAsksOnceAfterTheLastKeyAndLeavesOutOwnStations) {
    LibrarySnapshot library({directoryStation("jazz-own")}, {"http://127.0.0.1:9/jazz-favourite"},
                            {directoryStation("jazz-favourite")}, {directoryStation("jazz-heard")},
                            std::nullopt, 0.8f, "");
    Browser browser(library);
    browser.directory.answer("name=jaz", {"jazz-own", "jazz-favourite", "jazz-new", "jazz-heard"});
    auto& model = *browser.model;

    model.searchDirectory(std::string("j"));
    EXPECT_FALSE(model.directoryLoading());
    model.searchDirectory(std::string("ja"));
    EXPECT_TRUE(model.directoryLoading());
    browser.setup.scheduler->advance(0.1);
    model.searchDirectory(std::string(" jaz\n"));
    browser.setup.scheduler->advance(0.39);
    pumpFor(200ms);
    EXPECT_TRUE(browser.directory.nameSearches().empty());
    EXPECT_TRUE(model.directoryLoading());

    browser.setup.scheduler->advance(0.01);
    ASSERT_TRUE(pumpUntil([&] { return !model.directoryLoading(); }));
    const auto searches = browser.directory.nameSearches();
    ASSERT_EQ(searches.size(), 1u);
    EXPECT_EQ(searches[0].param("name"), "jaz");
    EXPECT_EQ(searches[0].param("limit"), "60");
    // Only the user's own station list hides a hit; favourites and history do not.
    EXPECT_EQ(model.directoryHits(),
              (std::vector<Station>{directoryStation("jazz-favourite"), directoryStation("jazz-new"),
                                    directoryStation("jazz-heard")}));
    EXPECT_EQ(model.directoryHitList()->rowCount(), 3);
    EXPECT_FALSE(model.directoryError());

    // One letter clears at once and asks nothing.
    model.searchDirectory(std::string("j "));
    EXPECT_TRUE(model.directoryHits().empty());
    EXPECT_FALSE(model.directoryLoading());
    EXPECT_FALSE(model.directoryError());
    browser.setup.scheduler->advance(1.0);
    pumpFor(200ms);
    EXPECT_EQ(browser.directory.nameSearches().size(), 1u);
}

TEST(Directory, FailuresEmptyTheListsAndSetTheErrorFlags) {
    Browser browser;
    browser.directory.answer("/json/stations/topclick/100", {"Top"});
    browser.directory.answer("name=rock", {"rock-one"});
    auto& model = *browser.model;
    browser.browse([&] { model.loadBrowse(BrowseScope::top()); });
    model.searchDirectory(std::string("rock"));
    browser.settleQuickSearch();
    ASSERT_EQ(model.browseResults().size(), 1u);
    ASSERT_EQ(model.directoryHits().size(), 1u);

    browser.directory.failEverything(true);
    browser.browse([&] { model.loadBrowse(BrowseScope::topVoted()); });
    ASSERT_TRUE(model.browseError());
    EXPECT_NE(model.browseError()->find("HTTP 503"), std::string::npos) << *model.browseError();
    EXPECT_TRUE(model.browseResults().empty());
    model.searchDirectory(std::string("rock"));
    browser.settleQuickSearch();
    EXPECT_TRUE(model.directoryHits().empty());
    EXPECT_TRUE(model.directoryError());

    // The next answer clears the flags again.
    browser.directory.failEverything(false);
    browser.browse([&] { model.loadBrowse(BrowseScope::top()); });
    EXPECT_FALSE(model.browseError());
    model.searchDirectory(std::string("rock"));
    EXPECT_TRUE(model.directoryError()); // kept until the answer
    browser.settleQuickSearch();
    EXPECT_FALSE(model.directoryError());
}

TEST(Directory, AnAnswerToARequestSupersededMeanwhileIsDropped) {
    Browser browser;
    browser.directory.answer("name=slow", {"slow-hit"});
    browser.directory.answer("name=fast", {"fast-hit"});
    browser.directory.answer("/json/stations/topclick/100", {"Top"});
    browser.directory.holdBack("slow");
    auto& model = *browser.model;

    model.searchDirectory(std::string("slow"));
    browser.setup.scheduler->advance(AppModel::directorySearchDelay);
    model.loadBrowse(BrowseScope::search("slow"));
    ASSERT_TRUE(pumpUntil([&] { return browser.directory.nameSearches().size() == 2; }));

    model.searchDirectory(std::string("fast"));
    browser.settleQuickSearch();
    browser.browse([&] { model.loadBrowse(BrowseScope::top()); });
    browser.directory.release();
    pumpFor(300ms);
    EXPECT_EQ(model.directoryHits(), std::vector<Station>{directoryStation("fast-hit")});
    EXPECT_EQ(model.browseResults(), std::vector<Station>{directoryStation("Top")});
    EXPECT_EQ(model.browseScope(), BrowseScope::top());
}

TEST(Directory, TheEnvironmentCanNameTheDirectoryServers) {
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"http://a.example", {"http://a.example"}},
        {" http://a.example/ ,, http://b.example:8080//,", {"http://a.example", "http://b.example:8080"}},
        {" , ", {}},
        {"", {}},
    };
    for (const auto& [text, mirrors] : cases)
        EXPECT_EQ(directoryMirrorList(text), mirrors) << text;

    Directory directory;
    directory.answer("/json/stations/topclick/100", {"Top"});
    const std::string list = "http://127.0.0.1:9/, " + directory.base() + "/";
    ScopedEnvironment variable(AppModel::directoryMirrorsVariable, list.c_str());
    AppSetup setup;
    auto options = setup.options();
    options.directoryMirrors.reset();
    AppModel model(options);
    model.loadBrowse(BrowseScope::top());
    ASSERT_TRUE(pumpUntil([&] { return !model.browseLoading(); }));
    EXPECT_EQ(model.browseResults(), std::vector<Station>{directoryStation("Top")});
}
