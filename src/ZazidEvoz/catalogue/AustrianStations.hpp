// The regional table of Austrian stations that older libraries are completed with.
#pragma once

#include "Station.hpp"

#include <vector>

namespace ZazidEvoz::AustrianStations {

// 311 stations from the public station directory, in alphabetical order of their names.
// Built once, on first use, safely across threads.
const std::vector<Station>& all();

} // namespace ZazidEvoz::AustrianStations
