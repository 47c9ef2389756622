// The application icon, drawn from paths alone: a dark rounded tile with coloured glows,
// nine broken rings of hashed arcs, a glowing swirl, a dark core with a ring and a small white
// wave. It needs no fonts and no display, so the icon set can be exported before the
// application object exists. Every size is the same 1024-unit design scaled.
#pragma once

#include <QImage>
#include <QString>
#include <string>
#include <vector>

namespace ZintraRadio::IconArtist {

// An n x n picture of the icon; a null image when n is not positive or too large to draw.
QImage icon(int pixels);

// The ten files of the icon set: icon_16x16.png, icon_16x16@2x.png, ... icon_512x512@2x.png.
struct IconFile {
    std::string name;
    int pixels = 0;
};
std::vector<IconFile> iconSet();

// Writes the icon set into `folder` (created with its parents), each file replaced
// atomically; failures are skipped silently and the loop goes on. Returns the files written.
int exportTo(const QString& folder);

} // namespace ZintraRadio::IconArtist
