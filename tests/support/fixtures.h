// The DVD folders tests/dvd/make_fixtures.sh authors, found through
// $KESTRUNE_DVD_FIXTURES (kestrune_add_dvd_gtest sets it). Needs nothing but
// the standard library, so every test program may use it.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

namespace kestrune::dvdcheck {

// $KESTRUNE_DVD_FIXTURES/<name>/VIDEO_TS. Tests that change a disc copy it
// first. Empty path when the variable is not set.
inline std::filesystem::path FixtureVideoTs(std::string_view name) {
  const char* root = std::getenv("KESTRUNE_DVD_FIXTURES");
  if (root == nullptr || *root == '\0') return {};
  return (std::filesystem::path(root) / std::string(name) / "VIDEO_TS").make_preferred();
}

}  // namespace kestrune::dvdcheck
