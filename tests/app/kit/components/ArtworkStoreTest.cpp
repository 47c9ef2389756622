// Station pictures from a local web server: what is fetched, what is refused, what is cached,
// and that a picture nobody waits for is cancelled.
#include "kit/ArtworkStore.hpp"

#include "QtTestKit.hpp"
#include "support/LocalHttpServer.hpp"

#include <QBuffer>
#include <atomic>
#include <condition_variable>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>

using namespace ZintraRadio;
using namespace std::chrono_literals;

namespace {

std::string pngBytes(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(QColor(200, 40, 120));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes.toStdString();
}

// Collects the answers of the store, which arrive on its worker threads.
class Answers {
public:
    ArtworkStore::Done callback(const std::string& name) {
        return [this, name](const QImage& image) {
            std::lock_guard lock(mutex_);
            results_[name] = image;
            changed_.notify_all();
        };
    }
    std::optional<QImage> wait(const std::string& name, std::chrono::milliseconds timeout = 10s) {
        std::unique_lock lock(mutex_);
        if (!changed_.wait_for(lock, timeout, [&] { return results_.count(name) != 0; }))
            return std::nullopt;
        return results_[name];
    }
    bool has(const std::string& name) {
        std::lock_guard lock(mutex_);
        return results_.count(name) != 0;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::map<std::string, QImage> results_;
};

class ArtworkStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto& s = http.server;
        s.Get("/ok.png", [this](const httplib::Request&, httplib::Response& res) {
            ++okHits;
            res.set_content(png, "image/png");
        });
        s.Get("/missing.png", [this](const httplib::Request&, httplib::Response& res) {
            ++missingHits;
            res.status = 404;
        });
        s.Get("/to-file", [](const httplib::Request&, httplib::Response& res) {
            res.set_redirect("file:///etc/hostname");
        });
        s.Get("/to-ok", [this](const httplib::Request&, httplib::Response& res) {
            res.set_redirect(http.url("/ok.png"));
        });
        s.Get("/loop", [this](const httplib::Request&, httplib::Response& res) {
            res.set_redirect(http.url("/loop"));
        });
        s.Get("/big.png", [](const httplib::Request&, httplib::Response& res) {
            res.set_content(std::string(3 * 1024 * 1024, 'x'), "image/png");
        });
        s.Get("/wide.png", [this](const httplib::Request&, httplib::Response& res) {
            res.set_content(wide, "image/png");
        });
        s.Get("/garbage.png", [](const httplib::Request&, httplib::Response& res) {
            res.set_content("not a picture", "image/png");
        });
        s.Get(R"(/slow/(\d+)\.png)", [this](const httplib::Request&, httplib::Response& res) {
            const int now = ++slowRunning;
            int seen = slowMost.load();
            while (now > seen && !slowMost.compare_exchange_weak(seen, now)) {
            }
            for (int i = 0; i < 25 && !releaseSlow; ++i)
                std::this_thread::sleep_for(10ms);
            --slowRunning;
            res.set_content(png, "image/png");
        });
        s.Get("/stall.png", [](const httplib::Request&, httplib::Response& res) {
            res.set_chunked_content_provider("image/png", [](size_t, httplib::DataSink& sink) {
                std::this_thread::sleep_for(3s);
                sink.done();
                return true;
            });
        });
        http.start();
    }

    // The server's threads use the members below: stop it before they go.
    void TearDown() override { http.stop(); }

    ArtworkLimits fastLimits() const {
        ArtworkLimits limits;
        limits.idleTimeout = 400ms;
        limits.totalTimeout = 2s;
        return limits;
    }

    ZazidEvoz::testkit::LocalHttpServer http;
    const std::string png = pngBytes(64, 32);
    const std::string wide = pngBytes(5000, 2); // a few hundred bytes claiming 5000 pixels
    std::atomic<int> okHits{0};
    std::atomic<int> missingHits{0};
    std::atomic<int> slowRunning{0};
    std::atomic<int> slowMost{0};
    std::atomic<bool> releaseSlow{false};
};

} // namespace

TEST_F(ArtworkStoreTest, FetchesAPictureOnceAndAnswersLaterRequestsFromTheCache) {
    ArtworkStore store(fastLimits());
    Answers answers;
    store.fetch(http.url("/ok.png"), answers.callback("a"));
    store.fetch(http.url("/ok.png"), answers.callback("b")); // shares the transfer on its way
    const auto a = answers.wait("a");
    const auto b = answers.wait("b");
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->size(), QSize(64, 32));
    EXPECT_EQ(b->size(), QSize(64, 32));
    store.fetch(http.url("/ok.png"), answers.callback("c")); // answered at once, from the cache
    EXPECT_TRUE(answers.has("c"));
    EXPECT_EQ(okHits, 1);
    EXPECT_EQ(store.counters().transfers, 1);
    EXPECT_EQ(store.counters().cacheHits, 1);
}

TEST_F(ArtworkStoreTest, RefusesWhatIsNotASmallWebPicture) {
    ArtworkStore store(fastLimits());
    Answers answers;
    const char* refused[] = {"/missing.png", "/to-file",     "/loop",     "/big.png",
                             "/wide.png",    "/garbage.png", "/stall.png"};
    for (const char* path : refused)
        store.fetch(http.url(path), answers.callback(path));
    store.fetch("file:///etc/hostname", answers.callback("file"));
    for (const char* path : refused) {
        const auto image = answers.wait(path);
        ASSERT_TRUE(image.has_value()) << path;
        EXPECT_TRUE(image->isNull()) << path;
    }
    EXPECT_TRUE(answers.wait("file").value_or(QImage(1, 1, QImage::Format_ARGB32)).isNull());
    // A redirect to another web address is followed.
    store.fetch(http.url("/to-ok"), answers.callback("redirected"));
    EXPECT_FALSE(answers.wait("redirected").value_or(QImage()).isNull());
}

TEST_F(ArtworkStoreTest, RemembersFailuresAndDoesNotAskAgain) {
    ArtworkStore store(fastLimits());
    Answers answers;
    store.fetch(http.url("/missing.png"), answers.callback("first"));
    ASSERT_TRUE(answers.wait("first"));
    store.fetch(http.url("/missing.png"), answers.callback("second"));
    ASSERT_TRUE(answers.has("second")); // answered at once
    EXPECT_EQ(missingHits, 1);
    EXPECT_EQ(store.counters().failureHits, 1);
}

TEST_F(ArtworkStoreTest, RunsAtMostFourTransfersAtOnce) {
    ArtworkLimits limits = fastLimits();
    limits.idleTimeout = 5s; // no transfer gives up and leaves its server thread behind
    ArtworkStore store(limits);
    Answers answers;
    for (int i = 0; i < 10; ++i)
        store.fetch(http.url("/slow/" + std::to_string(i) + ".png"), answers.callback(std::to_string(i)));
    for (int i = 0; i < 10; ++i)
        ASSERT_TRUE(answers.wait(std::to_string(i))) << i;
    EXPECT_EQ(slowMost, 4);
    EXPECT_EQ(store.counters().mostAtOnce, 4);
}

TEST_F(ArtworkStoreTest, APictureNobodyWaitsForIsCancelledAndNotRememberedAsFailed) {
    ArtworkStore store(fastLimits());
    Answers answers;
    // Four slow transfers occupy the workers; a fifth request waits in the queue and leaves.
    for (int i = 0; i < 4; ++i)
        store.fetch(http.url("/slow/" + std::to_string(i) + ".png"), answers.callback(std::to_string(i)));
    auto queued = store.fetch(http.url("/ok.png"), answers.callback("queued"));
    store.cancel(queued);
    releaseSlow = true;
    for (int i = 0; i < 4; ++i)
        ASSERT_TRUE(answers.wait(std::to_string(i)));
    EXPECT_EQ(okHits, 0);

    // A running transfer whose only waiter leaves is stopped without an answer.
    auto running = store.fetch(http.url("/stall.png"), answers.callback("running"));
    std::this_thread::sleep_for(100ms);
    const int transfers = store.counters().transfers;
    store.cancel(running);
    std::this_thread::sleep_for(700ms);
    EXPECT_FALSE(answers.has("queued"));
    EXPECT_FALSE(answers.has("running"));
    // Asked again, both go to the network anew: a cancel is not a failure.
    store.fetch(http.url("/ok.png"), answers.callback("again"));
    EXPECT_FALSE(answers.wait("again").value_or(QImage()).isNull());
    store.fetch(http.url("/stall.png"), answers.callback("stall again"));
    ASSERT_TRUE(answers.wait("stall again"));
    EXPECT_EQ(store.counters().transfers, transfers + 2);
    EXPECT_EQ(store.counters().failureHits, 0);
}

TEST_F(ArtworkStoreTest, ARequestRightAfterACancelGetsItsOwnTransfer) {
    ArtworkStore store(fastLimits());
    Answers answers;
    // A row scrolls away while its picture loads and comes straight back.
    auto first = store.fetch(http.url("/slow/9.png"), answers.callback("first"));
    ASSERT_TRUE(testkit::pumpUntil([&] { return slowRunning == 1; }, 5s));
    store.cancel(first);
    store.fetch(http.url("/slow/9.png"), answers.callback("again"));
    releaseSlow = true;
    const auto again = answers.wait("again");
    ASSERT_TRUE(again.has_value());
    EXPECT_FALSE(again->isNull());
    EXPECT_FALSE(answers.has("first"));
    EXPECT_EQ(store.counters().transfers, 2);
}

TEST_F(ArtworkStoreTest, KeepsTheCacheWithinItsBudget) {
    ArtworkLimits limits = fastLimits();
    limits.cacheBytes = 64 * 32 * 4 * 2; // room for two pictures
    ArtworkStore store(limits);
    Answers answers;
    for (const char* name : {"/ok.png?1", "/ok.png?2", "/ok.png?3"}) {
        store.fetch(http.url(name), answers.callback(name));
        ASSERT_TRUE(answers.wait(name));
    }
    // The oldest went; the two newest are still there.
    store.fetch(http.url("/ok.png?3"), answers.callback("3b"));
    store.fetch(http.url("/ok.png?2"), answers.callback("2b"));
    EXPECT_EQ(store.counters().cacheHits, 2);
    store.fetch(http.url("/ok.png?1"), answers.callback("1b"));
    ASSERT_TRUE(answers.wait("1b"));
    EXPECT_EQ(okHits, 4);
}
