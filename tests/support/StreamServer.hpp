// A local radio server for tests and benchmarks: streams an encoded media file the way
// internet radio servers do (endless, paced in real time, optionally with an initial burst,
// starting mid-frame, with ICY metadata blocks and titles, dropping connections), and serves
// plain files and folders (for HLS playlists and their segments).
#pragma once

#include "LocalHttpServer.hpp"

#include <atomic>
#include <cstddef>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace ZazidEvoz::testkit {

// One song of a station's programme: its own encoded audio and the title sent with it.
struct Song {
    std::filesystem::path media;
    std::string title;
};

struct StreamSpec {
    std::filesystem::path media; // encoded audio, sent in a loop
    std::string contentType = "audio/mpeg";
    std::size_t bytesPerSecond = 16000; // real-time pace; 0 sends as fast as the client reads
    double burstSeconds = 0;            // sent at once before the pacing starts
    std::size_t startOffset = 0; // first byte of each connection; off a frame boundary = mid-frame start
    std::size_t metaint = 0;     // audio bytes between ICY blocks, for clients that ask; 0: no metadata
    std::optional<std::string> metaintHeader;   // replaces the icy-metaint header text (bad values)
    std::string icyName;                        // sent as "icy-name" when not empty
    std::optional<std::size_t> dropAfterBytes;  // each connection ends after this many audio bytes
    std::optional<std::size_t> stallAfterBytes; // each connection sends nothing more after this many
    // After a drop, this many following requests get "503 Service Unavailable" (ffmpeg
    // retries a dropped stream on its own; refusing makes the drop reach its caller).
    int refuseAfterDrop = 0;
    bool loop = true;               // false: the connection ends with the file
    bool titleInEveryBlock = false; // otherwise the title goes in the first block and on changes
    bool emptyFirstBlock = false;   // the first block of a connection has length 0
    // In place of `media` and setTitle(): songs played one after another in a loop on the
    // station's own clock. Every listener joins at the live point less the burst, and each
    // ICY block carries the title of the song its preceding audio belongs to, as a station's
    // server keeps titles with their audio. A listener that stops reading falls behind live.
    std::vector<Song> programme;
};

class StreamServer {
public:
    StreamServer();
    ~StreamServer();
    StreamServer(const StreamServer&) = delete;
    StreamServer& operator=(const StreamServer&) = delete;

    // Register before start().
    void addStream(const std::string& path, StreamSpec spec);
    void addFolder(const std::string& prefix, const std::filesystem::path& folder);
    void start();
    void stop();

    // The title put into ICY blocks from now on, as raw bytes (so Latin-1 can be staged).
    void setTitle(const std::string& path, const std::string& title);
    // Moves the station's clock on by `seconds` at once: the live point jumps ahead, and
    // listeners paced by it may take that much more audio as fast as they read.
    void advanceClock(const std::string& path, double seconds);
    // Connections that asked for the stream so far.
    int connections(const std::string& path) const;
    // Stream connections currently open.
    int openConnections() const { return open_.load(); }
    std::string url(const std::string& path) const { return http_.url(path); }
    // For extra routes (redirects, odd answers); register before start().
    LocalHttpServer& http() { return http_; }

private:
    struct Stream;
    LocalHttpServer http_;
    std::map<std::string, std::shared_ptr<Stream>> streams_;
    std::shared_ptr<std::atomic<bool>> stopping_ = std::make_shared<std::atomic<bool>>(false);
    std::atomic<int> open_{0};
};

// A 468.75 Hz stereo tone (the centre of FFT bin 20, so of one spectrum band), 20 s long.
inline constexpr double toneFrequency = 468.75;
std::filesystem::path toneMp3();     // 128 kbit/s, 48 kHz, no ID3 tag or Xing frame (loops cleanly)
std::filesystem::path toneAdts();    // AAC in ADTS, 128 kbit/s
std::filesystem::path toneOggOpus(); // Opus in Ogg, 96 kbit/s
// Bytes per second of toneMp3 and toneAdts.
inline constexpr std::size_t streamBytesPerSecond = 16000;

// A programme of `count` songs of `seconds` each (at most 6): song k is a tone of
// programmeTone(k) Hz titled "Singer - First Song", "Singer - Second Song" ...
std::vector<Song> toneProgramme(int count, double seconds);
double programmeTone(std::size_t song);

// The ICY metadata block for a title: a length byte L, then L x 16 bytes of
// "StreamTitle='...';" padded with NULs. An empty title gives the single byte 0.
std::string icyBlock(const std::string& title);

} // namespace ZazidEvoz::testkit
