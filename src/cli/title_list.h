// Title set lists as the command line takes them: "3,5-7".
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kestrune {

// Numbers and ranges from 1 to 99, comma separated, in ascending order without
// repeats; nothing for any other text.
std::optional<std::vector<int>> ParseTitleSetList(const std::string& text);

}  // namespace kestrune
