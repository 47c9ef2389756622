#include "StreamServer.hpp"

#include "Media.hpp"

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>

namespace ZazidEvoz::testkit {

using Clock = std::chrono::steady_clock;

struct StreamServer::Stream {
    StreamSpec spec;
    std::string media;
    mutable std::mutex mutex;
    std::string title;   // guarded by mutex
    int connections = 0; // guarded by mutex
    int refusals = 0;    // guarded by mutex: requests still to refuse
};

std::filesystem::path toneMp3() {
    return sineFile("engine-tone.mp3", toneFrequency, 20,
                    {"-ac", "2", "-ar", "48000", "-c:a", "libmp3lame", "-b:a", "128k", "-id3v2_version", "0",
                     "-write_xing", "0"});
}

std::filesystem::path toneAdts() {
    return sineFile("engine-tone.aac", toneFrequency, 20,
                    {"-ac", "2", "-ar", "48000", "-c:a", "aac", "-b:a", "128k"});
}

std::filesystem::path toneOggOpus() {
    return sineFile("engine-tone.ogg", toneFrequency, 20, {"-ac", "2", "-c:a", "libopus", "-b:a", "96k"});
}

std::string icyBlock(const std::string& title) {
    if (title.empty())
        return std::string(1, '\0');
    std::string text = "StreamTitle='" + title + "';";
    std::size_t blocks = std::min<std::size_t>((text.size() + 15) / 16, 255);
    text.resize(blocks * 16, '\0');
    return std::string(1, static_cast<char>(blocks)) + text;
}

StreamServer::StreamServer() = default;

StreamServer::~StreamServer() {
    stop();
}

void StreamServer::addStream(const std::string& path, StreamSpec spec) {
    auto stream = std::make_shared<Stream>();
    std::ifstream file(spec.media, std::ios::binary);
    if (!file)
        throw std::runtime_error("cannot read " + spec.media.string());
    stream->media.assign(std::istreambuf_iterator<char>(file), {});
    if (stream->media.empty())
        throw std::runtime_error("empty media " + spec.media.string());
    stream->spec = std::move(spec);
    streams_[path] = stream;

    auto stopping = stopping_;
    auto* open = &open_;
    http_.server.Get(path, [stream, stopping, open](const httplib::Request& request,
                                                    httplib::Response& response) {
        const StreamSpec& spec = stream->spec;
        bool wantsMetadata = spec.metaint > 0 && request.get_header_value("Icy-MetaData") == "1";
        {
            std::lock_guard guard(stream->mutex);
            ++stream->connections;
            if (stream->refusals > 0) {
                --stream->refusals;
                response.status = 503;
                response.set_header("Connection", "close");
                return;
            }
        }
        if (wantsMetadata)
            response.set_header("icy-metaint", spec.metaintHeader.value_or(std::to_string(spec.metaint)));
        else if (spec.metaintHeader)
            response.set_header("icy-metaint", *spec.metaintHeader);
        // Radio servers end a stream by closing the connection.
        response.set_header("Connection", "close");
        if (!spec.icyName.empty())
            response.set_header("icy-name", spec.icyName);

        struct Connection {
            std::size_t position;
            std::size_t audioSent = 0; // audio bytes, metadata not counted
            std::size_t untilBlock;
            bool firstBlock = true;
            std::string lastTitle;
            Clock::time_point started = Clock::now();
        };
        auto connection = std::make_shared<Connection>();
        connection->position = spec.startOffset % stream->media.size();
        connection->untilBlock = spec.metaint;
        open->fetch_add(1);

        response.set_content_provider(
            spec.contentType,
            [stream, stopping, connection, wantsMetadata](std::size_t, httplib::DataSink& sink) {
                const StreamSpec& spec = stream->spec;
                const std::string& media = stream->media;
                auto& c = *connection;
                std::size_t limit = spec.dropAfterBytes.value_or(SIZE_MAX);
                while (!stopping->load()) {
                    if (c.audioSent >= limit || (!spec.loop && c.position >= media.size())) {
                        if (c.audioSent >= limit) {
                            std::lock_guard guard(stream->mutex);
                            stream->refusals = spec.refuseAfterDrop;
                        }
                        sink.done();
                        return true;
                    }
                    if (spec.stallAfterBytes && c.audioSent >= *spec.stallAfterBytes) {
                        std::this_thread::sleep_for(std::chrono::milliseconds(20));
                        continue; // held open, silent, until the client leaves or the server stops
                    }
                    std::size_t due = SIZE_MAX;
                    if (spec.bytesPerSecond > 0) {
                        double seconds = std::chrono::duration<double>(Clock::now() - c.started).count();
                        due = static_cast<std::size_t>((spec.burstSeconds + seconds) * spec.bytesPerSecond);
                    }
                    if (c.audioSent >= due) {
                        std::this_thread::sleep_for(std::chrono::milliseconds(10));
                        continue;
                    }
                    std::size_t piece = std::min({due - c.audioSent, limit - c.audioSent, std::size_t(8192)});
                    if (spec.stallAfterBytes)
                        piece = std::min(piece, *spec.stallAfterBytes - c.audioSent);
                    if (wantsMetadata)
                        piece = std::min(piece, c.untilBlock);
                    if (spec.loop && c.position >= media.size())
                        c.position = 0;
                    piece = std::min(piece, media.size() - c.position);
                    if (!sink.write(media.data() + c.position, piece))
                        return false;
                    c.position += piece;
                    c.audioSent += piece;
                    if (wantsMetadata && (c.untilBlock -= piece) == 0) {
                        c.untilBlock = spec.metaint;
                        std::string title;
                        {
                            std::lock_guard guard(stream->mutex);
                            title = stream->title;
                        }
                        std::string block;
                        if (c.firstBlock && spec.emptyFirstBlock)
                            block = icyBlock("");
                        else if (spec.titleInEveryBlock || c.firstBlock || title != c.lastTitle)
                            block = icyBlock(title);
                        else
                            block = icyBlock("");
                        c.firstBlock = false;
                        c.lastTitle = title;
                        if (!sink.write(block.data(), block.size()))
                            return false;
                    }
                }
                return false;
            },
            [open](bool) { open->fetch_sub(1); });
    });
}

void StreamServer::addFolder(const std::string& prefix, const std::filesystem::path& folder) {
    http_.server.set_mount_point(prefix, folder.string());
    http_.server.set_file_extension_and_mimetype_mapping("m3u8", "application/vnd.apple.mpegurl");
    http_.server.set_file_extension_and_mimetype_mapping("ts", "video/mp2t");
    http_.server.set_file_extension_and_mimetype_mapping("aac", "audio/aac");
}

void StreamServer::start() {
    http_.start();
}

void StreamServer::stop() {
    stopping_->store(true);
    http_.stop();
}

void StreamServer::setTitle(const std::string& path, const std::string& title) {
    auto& stream = streams_.at(path);
    std::lock_guard guard(stream->mutex);
    stream->title = title;
}

int StreamServer::connections(const std::string& path) const {
    auto& stream = streams_.at(path);
    std::lock_guard guard(stream->mutex);
    return stream->connections;
}

} // namespace ZazidEvoz::testkit
