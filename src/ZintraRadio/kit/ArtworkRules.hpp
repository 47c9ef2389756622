// What a station's artwork shows: the picture address it may load, and the placeholder that
// every station gets without a download (the name's initial over colours of its accent).
#pragma once

#include "kit/ThemeRules.hpp"

#include <QString>
#include <QUrl>
#include <optional>

namespace ZintraRadio {

// The thumbnail when not empty, else the favicon; only a well-formed http or https address
// with a host is a picture (never a local file, data or another scheme, and a malformed
// thumbnail does not fall back to the favicon).
std::optional<QUrl> artworkAddress(const QString& thumbnail, const QString& favicon);

// The first user-perceived character of the name, upper-cased, after punctuation and
// spaces (not line breaks) are trimmed from both ends; empty when nothing is left.
QString artworkInitial(const QString& name);

// The accent moved 60 % of the way toward violet: the far end of the placeholder gradient.
RGB artworkMix(const RGB& accent);

} // namespace ZintraRadio
