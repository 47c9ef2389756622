// Downloads one link as MP3 into a folder, as the app does, and nothing else: the owner of a
// real yt-dlp job that a test can kill outright. Usage: download-owner <link> <folder>
#include "ZazidEvoz/youtube/YouTubeService.hpp"

#include <cstdio>
#include <exception>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: download-owner <link> <folder>\n");
        return 2;
    }
    ZazidEvoz::Station item;
    item.kind = ZazidEvoz::MediaKind::youtube;
    item.name = argv[1];
    item.url = argv[1];
    try {
        ZazidEvoz::CancelToken token;
        ZazidEvoz::YouTubeService().downloadMP3(item, argv[2], {}, token);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
