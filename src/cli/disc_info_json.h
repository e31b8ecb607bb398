// kestrune-cli --info --json: the disc model as JSON with stable keys, for
// scripts. Top level: "folder", "folder_bytes", "vmg", "title_sets",
// "titles", "problems".
#pragma once

#include <nlohmann/json.hpp>

#include "disc.h"

namespace kestrune {

nlohmann::ordered_json DiscInfoJson(const disc::Disc& disc);

}  // namespace kestrune
