// Station pictures from the web. Addresses come from the station directory and video sites,
// so every fetch is guarded: http and https only (also across redirects, at most three), a
// 2 MiB body cap, idle and total time-outs, at most four transfers at once, and a picture
// size cap before decoding. Decoded pictures stay in a least-recently-used cache; failed
// addresses are remembered for a while and not fetched again. A fetch that nobody waits for
// any more is cancelled.
#pragma once

#include <QImage>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

namespace ZintraRadio {

struct ArtworkLimits {
    std::size_t maxBytes = 2 * 1024 * 1024;
    std::chrono::milliseconds idleTimeout{8000};
    std::chrono::milliseconds totalTimeout{15000};
    int maxRedirects = 3;
    int maxConcurrent = 4;
    std::size_t cacheBytes = 48 * 1024 * 1024; // of decoded pixels
    std::size_t failureEntries = 512;
    std::chrono::seconds failureLifetime{600};
    int maxSide = 4096;   // larger pictures are refused before decoding
    int storedSide = 512; // pictures are kept scaled down to this edge
};

class ArtworkStore {
public:
    // Called once with the picture, or a null image when there is none; on a worker thread
    // or, for a cache answer, inside fetch().
    using Done = std::function<void(const QImage&)>;

    class Ticket {
    public:
        Ticket(std::string url, Done done) : url_(std::move(url)), done_(std::move(done)) {}

    private:
        friend class ArtworkStore;
        const std::string url_;
        Done done_;
        bool cancelled_ = false; // guarded by the store's mutex
    };

    struct Counters {
        int transfers = 0;   // fetches that went to the network
        int cacheHits = 0;   // answered from the picture cache
        int failureHits = 0; // answered from the failure cache
        int mostAtOnce = 0;  // the largest number of transfers running together
    };

    explicit ArtworkStore(ArtworkLimits limits = {});
    ~ArtworkStore();
    ArtworkStore(const ArtworkStore&) = delete;
    ArtworkStore& operator=(const ArtworkStore&) = delete;

    // Any thread. Requests for an address already on its way share that one transfer.
    std::shared_ptr<Ticket> fetch(const std::string& url, Done done);
    // The ticket's callback will not run (unless it is running already); a transfer that
    // nobody waits for any more is stopped. Any thread.
    void cancel(const std::shared_ptr<Ticket>& ticket);

    Counters counters() const;
    static ArtworkStore& shared();

private:
    struct Job {
        std::string url;
        std::vector<std::shared_ptr<Ticket>> waiters;
        std::stop_source stop;
        bool running = false;
    };
    struct Cached {
        QImage image;
        std::list<std::string>::iterator age;
    };

    void work(std::stop_token stop);
    QImage download(const Job& job) const;
    void remember(const std::string& url, const QImage& image);
    void rememberFailure(const std::string& url);
    void startWorkers();

    const ArtworkLimits limits_;
    mutable std::mutex mutex_;
    // Guarded by mutex_:
    std::condition_variable_any wake_;
    std::map<std::string, std::shared_ptr<Job>> jobs_; // queued or running, by address
    std::deque<std::shared_ptr<Job>> queue_;
    std::map<std::string, Cached> cache_;
    std::list<std::string> ages_; // most recently used first
    std::size_t cachedBytes_ = 0;
    std::map<std::string, std::chrono::steady_clock::time_point> failures_;
    std::deque<std::string> failureOrder_;
    Counters counters_;
    int running_ = 0;
    std::vector<std::jthread> workers_;
};

// Decodes picture bytes, refusing pictures whose sides exceed `maxSide` before decoding and
// scaling larger ones down to `storedSide`; a null image for anything unusable.
QImage decodeArtwork(const std::string& bytes, int maxSide, int storedSide);

} // namespace ZintraRadio
