// What the media panels' tests share: a yt-dlp stand-in that lists results, resolves a
// stream and downloads with progress lines, each run shaped by files the test writes; a
// local picture site for thumbnails that counts and can hold its answers; recordings on disk.
#pragma once

#include "support/FakeYtDlp.hpp"
#include "support/LocalHttpServer.hpp"
#include "support/Media.hpp"
#include "support/Sandbox.hpp"

#include <QString>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Texts in failure messages as text.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace ZintraRadio::testkit {

namespace fs = std::filesystem;

// One listing line as yt-dlp prints it, with the thumbnail given.
inline std::string resultLine(const std::string& id, const std::string& title, const std::string& thumbnail,
                              int duration = 212, const std::string& uploader = "Chan") {
    return R"({"id": ")" + id + R"(", "title": ")" + title +
           R"(", "url": "https://www.youtube.com/watch?v=)" + id + R"(", "uploader": ")" + uploader +
           R"(", "duration": )" + std::to_string(duration) + R"(, "thumbnails": [{"url": ")" + thumbnail +
           R"(", "width": 320}]})";
}

inline std::string watchLink(const std::string& id) {
    return "https://www.youtube.com/watch?v=" + id;
}

// yt-dlp as a script. A listing prints the file "listing" (waiting while "hold-listing"
// exists, failing while "fail-listing" does); a stream resolution prints "stream"; the audio
// feeder of a played item plays the file named in "audio", else nothing. A download of the item with id <key>
// waits while "wait-<key>" exists, prints the lines of "progress-<key>" one by one (a line "WAIT <file>"
// prints nothing and waits while <file> exists), waits while "hold-<key>" exists, fails when "fail-<key>"
// exists, else writes "<name>.mp3" (".mp4" for a video; the name from "name-<key>", else "Download <key>")
// into the folder the tool is told to write to and prints its path as the real tool does.
class MediaYtDlp : public ZazidEvoz::testkit::FakeYtDlp {
public:
    MediaYtDlp() : FakeYtDlp(body()) {}

    void listing(const std::vector<std::string>& lines) const { writeLines("listing", lines); }
    void stream(const std::string& url) const { write("stream", R"({"url": ")" + url + R"("})"); }
    void audio(const fs::path& file) const { write("audio", file.string()); }

private:
    static std::string body() {
        return R"(DIR=$(dirname "$0")
for last; do :; done
case " $* " in
  *" --flat-playlist "*)
    while [ -e "$DIR/hold-listing" ]; do sleep 0.02; done
    if [ -e "$DIR/fail-listing" ]; then echo "ERROR: the staged search failed" >&2; exit 1; fi
    [ -e "$DIR/listing" ] && cat "$DIR/listing"
    exit 0 ;;
  *" -J "*)
    [ -e "$DIR/stream" ] && cat "$DIR/stream"
    exit 0 ;;
  *" -o - "*)
    if [ -e "$DIR/audio" ]; then audio=$(cat "$DIR/audio"); exec cat "$audio"; fi
    exit 0 ;;
esac
key=${last##*v=}
prev=; for a; do [ "$prev" = -o ] && out=$a; prev=$a; done
work=$(dirname "$out" | sed 's/%%/%/g')
ext=mp3
case " $* " in *" --merge-output-format "*) ext=mp4 ;; esac
while [ -e "$DIR/wait-$key" ]; do sleep 0.02; done
if [ -e "$DIR/progress-$key" ]; then
  while IFS= read -r line; do
    case $line in
      "WAIT "*) while [ -e "$DIR/${line#WAIT }" ]; do sleep 0.02; done ;;
      *) echo "$line"; sleep 0.15 ;;
    esac
  done < "$DIR/progress-$key"
fi
while [ -e "$DIR/hold-$key" ]; do sleep 0.02; done
if [ -e "$DIR/fail-$key" ]; then echo "ERROR: the staged download of $key failed" >&2; exit 1; fi
name="Download $key"
[ -e "$DIR/name-$key" ] && name=$(cat "$DIR/name-$key")
printf 'media' > "$work/$name.$ext"
python3 -c 'import json, sys; print("ZRFILE", json.dumps(sys.argv[1]))' "$work/$name.$ext"
exit 0
)";
    }
};

// Thumbnails on 127.0.0.1: "/thumb/<n>.jpg" answers one of three generated pictures at once,
// "/slow/<anything>.jpg" trickles a few bytes a second and notes when its client went away.
// Requests are counted.
class PictureSite {
public:
    PictureSite() {
        // Three looks, so that neighbouring cards differ.
        const char* looks[] = {
            "gradients=s=320x180:c0=0xff6a3d:c1=0x7c3aed:x0=0:y0=0:x1=0:y1=180:speed=0.00001,"
            "drawbox=x=130:y=60:w=60:h=60:color=0xffd166@0.9:t=fill",
            "gradients=s=320x180:c0=0x0f766e:c1=0x19c3ff:x0=0:y0=0:x1=320:y1=180:speed=0.00001,"
            "drawgrid=w=40:h=180:t=6:color=white@0.25",
            "testsrc2=s=320x180"};
        for (int i = 0; i < 3; ++i)
            pictures_.push_back(readAll(
                ZazidEvoz::testkit::generatedMedia("media-thumbnail-" + std::to_string(i) + ".jpg",
                                                   {"-f", "lavfi", "-i", looks[i], "-frames:v", "1"})));
        http_.server.Get(
            R"(/thumb/(\d*).*)", [this](const httplib::Request& request, httplib::Response& response) {
                ++requests_;
                const std::string number = request.matches[1];
                const std::size_t look = number.empty() ? 0 : std::stoul(number) % pictures_.size();
                response.set_content(pictures_[look], "image/jpeg");
            });
        http_.server.Get(R"(/slow/.*)", [this](const httplib::Request&, httplib::Response& response) {
            ++requests_;
            ++running_;
            response.set_chunked_content_provider(
                "image/jpeg",
                [this](std::size_t, httplib::DataSink& sink) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(100));
                    if (!sink.is_writable() || !sink.write("\xff", 1)) {
                        ++dropped_;
                        return false;
                    }
                    return !stopping_.load();
                },
                [this](bool) { --running_; });
        });
        http_.start();
    }
    ~PictureSite() { stopping_ = true; }

    std::string url(const std::string& path) const { return http_.url(path); }
    int requests() const { return requests_; }
    // Slow answers still being sent, and those whose client hung up.
    int running() const { return running_; }
    int dropped() const { return dropped_; }

private:
    static std::string readAll(const fs::path& file) {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    std::vector<std::string> pictures_;
    std::atomic<int> requests_{0};
    std::atomic<int> running_{0};
    std::atomic<int> dropped_{0};
    std::atomic<bool> stopping_{false};
    ZazidEvoz::testkit::LocalHttpServer http_;
};

// A small file in the recordings folder (its contents need not be audio).
inline fs::path writeRecording(const fs::path& folder, const std::string& name, std::size_t bytes = 1000) {
    fs::create_directories(folder);
    const fs::path file = folder / name;
    std::ofstream(file, std::ios::binary) << std::string(bytes, 'x');
    return file;
}

} // namespace ZintraRadio::testkit
