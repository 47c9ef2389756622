// What the YouTube, video and download tests of the application model share: a model whose
// videos play without picture and sound, a yt-dlp stand-in that answers each kind of run
// from files the test writes, and a local site with a generated clip.
#pragma once

#include "AppModelKit.hpp"
#include "ZazidEvoz/platform/Process.hpp"
#include "qtsupport/AppModelKit.hpp"
#include "support/FakeYtDlp.hpp"
#include "support/LocalHttpServer.hpp"
#include "support/Media.hpp"

#include <QSignalSpy>
#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <mpv/client.h>
#include <stdexcept>
#include <string>
#include <vector>

namespace ZintraRadio::testkit {

namespace fs = std::filesystem;

inline AppModel::Options videoFreeOptions(const AppSetup& setup, const std::string& lyricsURL = deadURL) {
    auto options = setup.options(lyricsURL);
    options.video.videoOutput = "null";
    options.video.audioOutput = "null";
    return options;
}

// One listing line as yt-dlp prints it.
inline std::string entryLine(const std::string& id, const std::string& title,
                             const std::string& uploader = "Chan", int duration = 212) {
    return R"({"id": ")" + id + R"(", "title": ")" + title +
           R"(", "url": "https://www.youtube.com/watch?v=)" + id + R"(", "uploader": ")" + uploader +
           R"(", "duration": )" + std::to_string(duration) +
           R"(, "thumbnails": [{"url": "https://i.ytimg.com/)" + id + R"(.jpg", "width": 480}]})";
}

inline std::string youtubeLink(const std::string& id) {
    return "https://www.youtube.com/watch?v=" + id;
}

// yt-dlp played by a script. A listing (search or expansion) prints "listing-<key>" and a
// stream resolution (-J) prints "stream-<key>", where the key is the first of the test's keys
// found in the run's last argument; a key's run first waits while "hold-<key>" exists and
// fails with exit status 1 when "fail-<key>" exists. "answered-<key>" appears when a run for
// the key has printed its answer or failed. The audio feeder of a key plays the file given
// by audio(), once "hold-audio-<key>" is gone, and fails without one.
class ScriptedYtDlp : public ZazidEvoz::testkit::FakeYtDlp {
public:
    explicit ScriptedYtDlp(const std::vector<std::string>& keys) : FakeYtDlp(body(keys)) {}

    void listing(const std::string& key, const std::vector<std::string>& lines) const {
        writeLines("listing-" + key, lines);
    }
    void stream(const std::string& key, const std::string& url) const {
        write("stream-" + key, R"({"url": ")" + url + R"("})");
    }
    void audio(const std::string& key, const fs::path& file) const {
        fs::copy_file(file, folder() / ("audio-" + key));
    }
    void holdAudio(const std::string& key) const { write("hold-audio-" + key, ""); }
    void releaseAudio(const std::string& key) const { remove("hold-audio-" + key); }
    void fail(const std::string& key) const { write("fail-" + key, ""); }
    void hold(const std::string& key) const { write("hold-" + key, ""); }
    void release(const std::string& key) const { remove("hold-" + key); }
    bool answered(const std::string& key) const { return fs::exists(folder() / ("answered-" + key)); }

private:
    static std::string body(const std::vector<std::string>& keys) {
        // The first key found wins.
        std::string script = R"(DIR=$(dirname "$0")
for last; do :; done
case " $* " in
  *" --flat-playlist "*) what=listing ;;
  *" -J "*) what=stream ;;
  *" -o - "*) what=audio ;;
  *) exit 1 ;;
esac
key=none
)";
        for (const auto& key : keys)
            script +=
                "if [ \"$key\" = none ]; then case \"$last\" in *" + key + "*) key=" + key + " ;; esac; fi\n";
        script += R"(if [ "$what" = audio ]; then
  while [ -e "$DIR/hold-audio-$key" ]; do sleep 0.02; done
  [ -e "$DIR/audio-$key" ] && exec cat "$DIR/audio-$key"
  exit 1
fi
while [ -e "$DIR/hold-$key" ]; do sleep 0.02; done
if [ -e "$DIR/fail-$key" ]; then
  echo "ERROR: staged failure of $key" >&2
  : > "$DIR/answered-$key"
  exit 1
fi
[ -e "$DIR/$what-$key" ] && cat "$DIR/$what-$key"
: > "$DIR/answered-$key"
exit 0
)";
        return script;
    }
};

// A generated two-second clip with picture and sound (or the clip given), served from
// 127.0.0.1 as /clip.mp4 and, once asked for, as the HLS playlist /hls/clip.m3u8 of
// one-second segments.
class ClipSite {
public:
    explicit ClipSite(const fs::path& file = clip()) {
        fs::copy_file(file, root_ / "clip.mp4");
        server_.server.set_mount_point("/", root_.string());
        server_.start();
    }
    static fs::path clip() {
        return ZazidEvoz::testkit::generatedMedia(
            "app-video-clip.mp4", {"-f", "lavfi", "-i", "testsrc=size=160x120:rate=10:duration=2", "-f",
                                   "lavfi", "-i", "sine=frequency=440:duration=2", "-c:v", "libx264",
                                   "-pix_fmt", "yuv420p", "-c:a", "aac", "-shortest"});
    }
    std::string clipURL() const { return server_.url("/clip.mp4"); }
    std::string hlsURL() {
        if (!fs::exists(root_ / "hls" / "clip.m3u8")) {
            fs::create_directories(root_ / "hls");
            ZazidEvoz::platform::ProcessOptions run({ZazidEvoz::testkit::ffmpegPath(),
                                                     "-hide_banner",
                                                     "-loglevel",
                                                     "error",
                                                     "-y",
                                                     "-i",
                                                     (root_ / "clip.mp4").string(),
                                                     "-c",
                                                     "copy",
                                                     "-f",
                                                     "hls",
                                                     "-hls_time",
                                                     "1",
                                                     "-hls_list_size",
                                                     "0",
                                                     "-hls_playlist_type",
                                                     "vod",
                                                     "-hls_segment_filename",
                                                     (root_ / "hls" / "part%02d.ts").string(),
                                                     (root_ / "hls" / "clip.m3u8").string()});
            if (!ZazidEvoz::platform::runProcess(run).status.succeeded())
                throw std::runtime_error("ffmpeg could not cut the clip into HLS segments");
        }
        return server_.url("/hls/clip.m3u8");
    }
    std::string url(const std::string& path) const { return server_.url(path); }

private:
    fs::path root_ = ZazidEvoz::testkit::makeTemporaryFolder("clip-site");
    ZazidEvoz::testkit::LocalHttpServer server_;
};

// A client handle on a player's core, to read back what the core was told.
class CoreReader {
public:
    explicit CoreReader(VideoPlayer& player) : handle_(player.createClient("test")) {}
    ~CoreReader() {
        if (handle_)
            mpv_destroy(handle_);
    }
    CoreReader(const CoreReader&) = delete;
    CoreReader& operator=(const CoreReader&) = delete;
    mpv_handle* handle() const { return handle_; }
    double number(const char* name) const {
        double value = NAN;
        mpv_get_property(handle_, name, MPV_FORMAT_DOUBLE, &value);
        return value;
    }
    std::string text(const char* name) const {
        char* value = mpv_get_property_string(handle_, name);
        std::string result = value ? value : "<unset>";
        mpv_free(value);
        return result;
    }

private:
    mpv_handle* handle_;
};

} // namespace ZintraRadio::testkit
