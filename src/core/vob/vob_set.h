// A VOB set (VMGM_VOBS, VTSM_VOBS or VTSTT_VOBS) as files on disk. The IFO
// addresses its sectors from 0 across its files in order (VTS_nn_1.VOB,
// VTS_nn_2.VOB, ...), so a sector is found by walking the files' sizes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kestrune {

struct VobSet {
  std::string name;  // "VIDEO_TS.VOB", "VTS_01_0.VOB", "VTS_01_*.VOB"
  struct File {
    std::string name;
    std::int64_t bytes = 0;
  };
  std::vector<File> files;

  bool Present() const { return !files.empty(); }
  std::int64_t Bytes() const;
  std::int64_t Sectors() const;  // whole sectors; a partial last sector counts
};

// Reads `count` whole sectors of `vobs` from sector `first` on, from the
// files in `folder` (with a trailing delimiter), across a file boundary when
// the range runs over one. False with the reason in `why` ("VTS_01_1.VOB
// ends at sector 812, before sector 900") when a sector lies past the set's
// end, or is cut short, or a file cannot be read; `bytesRead` counts what was
// read either way.
bool ReadVobSectors(const std::string& folder, const VobSet& vobs, std::int64_t first, std::int64_t count,
                    std::vector<std::uint8_t>& out, std::int64_t& bytesRead, std::string& why);

}  // namespace kestrune
