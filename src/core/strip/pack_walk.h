// The first pass of a strip run over a title VOB set: every pack is read
// once, told apart (NAV, video, which audio or sub-picture stream) and either
// kept or, when it belongs to a dropped stream, removed. What it leaves is the
// sector map of the new set, the place of every NAV pack and the packs of
// each stream; the NAV packs themselves are checked as they pass.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "nav_pack.h"
#include "sector_map.h"
#include "title_vobs.h"

namespace kestrune::strip {

struct PackCounts {
  std::int64_t nav = 0, video = 0, padding = 0, other = 0;
  std::map<std::uint8_t, std::int64_t> streams;  // audio and sub-picture packs by physical stream
};

struct PackWalk {
  SectorMap map;
  std::vector<std::uint32_t> navPacks;  // old sectors of the NAV packs, ascending
  PackCounts counts;
};

// Called now and then with the sectors done and the sectors in all.
using Progress = std::function<void(std::int64_t done, std::int64_t total)>;

// Walks packs handed to it in order. Throws PackError for a sector that is
// no pack, a NAV pack whose NV_PCK_LBN is not its own sector, or one whose
// VOBU ends past `sectors` (the set's size).
class PackWalker {
 public:
  PackWalker(std::int64_t sectors, std::set<std::uint8_t> dropped) : sectors_(sectors), dropped_(std::move(dropped)) {}
  // The next whole sectors of the set.
  void Add(std::span<const std::uint8_t> sectors);
  PackWalk Finish() { return std::move(walk_); }

 private:
  std::int64_t sectors_;
  std::set<std::uint8_t> dropped_;
  std::int64_t next_ = 0;
  PackWalk walk_;
};

// A sector of the set that is not what a title VOB set holds there.
class PackError : public std::runtime_error {
 public:
  PackError(std::int64_t sector, const std::string& what) : std::runtime_error(what), sector_(sector) {}
  std::int64_t Sector() const { return sector_; }

 private:
  std::int64_t sector_;
};

// Walks the whole of `vobs`, reading it in chunks. Throws Refusal naming the
// file and sector of a bad pack, FileError when a file cannot be read.
PackWalk WalkTitleVobs(const TitleVobs& vobs, const std::set<std::uint8_t>& dropped, const Progress& progress);

}  // namespace kestrune::strip
