#include "StreamServer.hpp"

#include "Media.hpp"

#include <algorithm>
#include <chrono>
#include <fmt/format.h>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>

namespace ZazidEvoz::testkit {

using Clock = std::chrono::steady_clock;

struct StreamServer::Stream {
    StreamSpec spec;
    std::string media;                 // for a programme, its songs one after another
    std::vector<std::size_t> songEnds; // a programme's song boundaries in `media`
    Clock::time_point started = Clock::now();
    mutable std::mutex mutex;
    std::string title;      // guarded by mutex
    int connections = 0;    // guarded by mutex
    int refusals = 0;       // guarded by mutex: requests still to refuse
    double clockOffset = 0; // guarded by mutex: seconds the station's clock was moved on

    double clockSeconds() const {
        std::lock_guard guard(mutex);
        return std::chrono::duration<double>(Clock::now() - started).count() + clockOffset;
    }
    // The title of the programme's song that holds byte `position` of `media`.
    const std::string& songTitleAt(std::size_t position) const {
        auto song = std::upper_bound(songEnds.begin(), songEnds.end(), position) - songEnds.begin();
        return spec.programme[static_cast<std::size_t>(song) % spec.programme.size()].title;
    }
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

double programmeTone(std::size_t song) {
    // Whole multiples of the band's centre: each song lands in a band of its own.
    return toneFrequency * static_cast<double>(song + 1);
}

std::vector<Song> toneProgramme(int count, double seconds) {
    static const char* const ordinals[] = {"First", "Second", "Third", "Fourth", "Fifth", "Sixth"};
    if (count < 1 || count > 6)
        throw std::invalid_argument("a tone programme has 1 to 6 songs");
    std::vector<Song> songs;
    for (int k = 0; k < count; ++k) {
        auto media = sineFile(fmt::format("programme-{}-{}.mp3", k, seconds), programmeTone(k), seconds,
                              {"-ac", "2", "-ar", "48000", "-c:a", "libmp3lame", "-b:a", "128k",
                               "-id3v2_version", "0", "-write_xing", "0"});
        songs.push_back({media, std::string("Singer - ") + ordinals[k] + " Song"});
    }
    return songs;
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

namespace {

std::string fileBytes(const std::filesystem::path& media) {
    std::ifstream file(media, std::ios::binary);
    if (!file)
        throw std::runtime_error("cannot read " + media.string());
    std::string bytes(std::istreambuf_iterator<char>(file), {});
    if (bytes.empty())
        throw std::runtime_error("empty media " + media.string());
    return bytes;
}

} // namespace

void StreamServer::addStream(const std::string& path, StreamSpec spec) {
    auto stream = std::make_shared<Stream>();
    if (spec.programme.empty()) {
        stream->media = fileBytes(spec.media);
    } else {
        for (const auto& song : spec.programme) {
            stream->media += fileBytes(song.media);
            stream->songEnds.push_back(stream->media.size());
        }
    }
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
            double start = 0; // the station's clock at the connection's first byte
        };
        auto connection = std::make_shared<Connection>();
        connection->start = stream->clockSeconds() - spec.burstSeconds;
        connection->position = spec.startOffset;
        if (!spec.programme.empty() && spec.bytesPerSecond > 0) {
            // The live point less the burst, on a frame boundary (MP3 at 128 kbit/s and
            // 48 kHz has frames of 384 bytes, all alike).
            auto start = static_cast<std::size_t>(std::max(0.0, connection->start) *
                                                  static_cast<double>(spec.bytesPerSecond));
            start -= start % 384;
            connection->start = static_cast<double>(start) / static_cast<double>(spec.bytesPerSecond);
            connection->position += start;
        }
        connection->position %= stream->media.size();
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
                        double seconds = stream->clockSeconds() - c.start;
                        due = static_cast<std::size_t>(std::max(0.0, seconds) *
                                                       static_cast<double>(spec.bytesPerSecond));
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
                        if (!spec.programme.empty()) {
                            title = stream->songTitleAt((c.position + media.size() - 1) % media.size());
                        } else {
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

void StreamServer::advanceClock(const std::string& path, double seconds) {
    auto& stream = streams_.at(path);
    std::lock_guard guard(stream->mutex);
    stream->clockOffset += seconds;
}

int StreamServer::connections(const std::string& path) const {
    auto& stream = streams_.at(path);
    std::lock_guard guard(stream->mutex);
    return stream->connections;
}

} // namespace ZazidEvoz::testkit
