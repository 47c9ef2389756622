#include "kit/ArtworkStore.hpp"

#include "ZazidEvoz/core/UserAgent.hpp"
#include "ZazidEvoz/platform/HttpClient.hpp"
#include "ZazidEvoz/platform/Threads.hpp"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <algorithm>

namespace ZintraRadio {

namespace http = ZazidEvoz::platform;

QImage decodeArtwork(const std::string& bytes, int maxSide, int storedSide) {
    QByteArray data = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    // A small file can claim a huge picture; never allocate for one.
    if (!size.isValid() || size.width() > maxSide || size.height() > maxSide)
        return {};
    if (size.width() > storedSide || size.height() > storedSide)
        reader.setScaledSize(size.scaled(storedSide, storedSide, Qt::KeepAspectRatio));
    QImage image = reader.read();
    if (image.isNull())
        return {};
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

ArtworkStore::ArtworkStore(ArtworkLimits limits) : limits_(limits) {}

ArtworkStore::~ArtworkStore() {
    {
        std::lock_guard lock(mutex_);
        for (auto& [url, job] : jobs_)
            job->stop.request_stop();
        queue_.clear();
    }
    for (auto& worker : workers_)
        worker.request_stop();
    wake_.notify_all();
    workers_.clear(); // joins
}

ArtworkStore& ArtworkStore::shared() {
    static ArtworkStore store;
    return store;
}

void ArtworkStore::startWorkers() {
    if (!workers_.empty())
        return;
    for (int i = 0; i < std::max(1, limits_.maxConcurrent); ++i)
        workers_.emplace_back([this](std::stop_token stop) {
            ZazidEvoz::platform::setCurrentThreadName("ZR artwork");
            work(stop);
        });
}

std::shared_ptr<ArtworkStore::Ticket> ArtworkStore::fetch(const std::string& url, Done done) {
    auto ticket = std::make_shared<Ticket>(url, std::move(done));
    QImage answer;
    {
        std::lock_guard lock(mutex_);
        if (auto cached = cache_.find(url); cached != cache_.end()) {
            ages_.splice(ages_.begin(), ages_, cached->second.age);
            answer = cached->second.image;
            ++counters_.cacheHits;
        } else if (auto failed = failures_.find(url);
                   failed != failures_.end() && failed->second > std::chrono::steady_clock::now()) {
            ++counters_.failureHits;
        } else {
            auto& job = jobs_[url];
            // A transfer that is being stopped answers nobody: a new request starts afresh.
            if (!job || job->stop.stop_requested()) {
                job = std::make_shared<Job>();
                job->url = url;
                queue_.push_back(job);
                startWorkers();
                wake_.notify_one();
            }
            job->waiters.push_back(ticket);
            return ticket;
        }
    }
    ticket->done_(answer);
    return ticket;
}

void ArtworkStore::cancel(const std::shared_ptr<Ticket>& ticket) {
    if (!ticket)
        return;
    std::lock_guard lock(mutex_);
    ticket->cancelled_ = true;
    const auto found = jobs_.find(ticket->url_);
    if (found == jobs_.end())
        return;
    const auto job = found->second;
    std::erase(job->waiters, ticket);
    if (!job->waiters.empty())
        return;
    if (job->running) {
        job->stop.request_stop(); // the worker finds the stop and records nothing
    } else {
        std::erase(queue_, job);
        jobs_.erase(found);
    }
}

ArtworkStore::Counters ArtworkStore::counters() const {
    std::lock_guard lock(mutex_);
    return counters_;
}

QImage ArtworkStore::download(const Job& job) const {
    http::HttpRequest request;
    request.url = job.url;
    request.userAgent = std::string(ZazidEvoz::UserAgent::product);
    request.idleTimeout = limits_.idleTimeout;
    request.totalTimeout = limits_.totalTimeout;
    request.maxBodyBytes = limits_.maxBytes;
    request.maxRedirects = limits_.maxRedirects;
    try {
        const auto response = http::HttpClient().fetch(request, job.stop.get_token());
        if (!response.isSuccess())
            return {};
        return decodeArtwork(response.body, limits_.maxSide, limits_.storedSide);
    } catch (const http::HttpError&) {
        return {};
    }
}

void ArtworkStore::work(std::stop_token stop) {
    while (true) {
        std::shared_ptr<Job> job;
        {
            std::unique_lock lock(mutex_);
            if (!wake_.wait(lock, stop, [this] { return !queue_.empty(); }))
                return;
            job = queue_.front();
            queue_.pop_front();
            job->running = true;
            ++counters_.transfers;
            ++running_;
            counters_.mostAtOnce = std::max(counters_.mostAtOnce, running_);
        }
        const QImage image = download(*job);
        std::vector<std::shared_ptr<Ticket>> waiters;
        {
            std::lock_guard lock(mutex_);
            --running_;
            // A later request for the address may have put a new job in this one's place.
            if (auto entry = jobs_.find(job->url); entry != jobs_.end() && entry->second == job)
                jobs_.erase(entry);
            if (job->stop.stop_requested())
                continue; // cancelled: neither a picture nor a failure
            if (image.isNull())
                rememberFailure(job->url);
            else
                remember(job->url, image);
            for (auto& waiter : job->waiters)
                if (!waiter->cancelled_)
                    waiters.push_back(waiter);
        }
        for (auto& waiter : waiters)
            waiter->done_(image);
    }
}

void ArtworkStore::remember(const std::string& url, const QImage& image) {
    const auto bytes = static_cast<std::size_t>(image.sizeInBytes());
    if (bytes > limits_.cacheBytes || cache_.count(url) != 0)
        return;
    ages_.push_front(url);
    cache_[url] = Cached{image, ages_.begin()};
    cachedBytes_ += bytes;
    while (cachedBytes_ > limits_.cacheBytes && !ages_.empty()) {
        auto oldest = cache_.find(ages_.back());
        cachedBytes_ -= static_cast<std::size_t>(oldest->second.image.sizeInBytes());
        cache_.erase(oldest);
        ages_.pop_back();
    }
}

void ArtworkStore::rememberFailure(const std::string& url) {
    if (failures_.find(url) == failures_.end())
        failureOrder_.push_back(url);
    failures_[url] = std::chrono::steady_clock::now() + limits_.failureLifetime;
    while (failureOrder_.size() > limits_.failureEntries) {
        failures_.erase(failureOrder_.front());
        failureOrder_.pop_front();
    }
}

} // namespace ZintraRadio
