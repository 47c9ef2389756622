// The stations the program ships with, the genre tags offered for browsing the directory,
// and the stream addresses that moved since earlier releases.
#pragma once

#include "Station.hpp"

#include <map>
#include <string>
#include <vector>

namespace ZazidEvoz::DefaultStations {

// 40 well-known stations, in display order.
const std::vector<Station>& curated();
// The curated stations, then the Austrian table, first station of each URL kept: 350 stations.
const std::vector<Station>& all();
// 23 genre texts for browsing the station directory.
const std::vector<std::string>& genreTags();
// Old stream URL of a curated station → its current URL (exact text keys).
const std::map<std::string, std::string>& replacedURLs();

} // namespace ZazidEvoz::DefaultStations
