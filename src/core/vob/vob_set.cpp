#include "vob_set.h"

#include <algorithm>
#include <system_error>

#include "file_layer.h"
#include "sector.h"

namespace kestrune {

std::int64_t VobSet::Bytes() const {
  std::int64_t total = 0;
  for (const File& f : files) total += f.bytes;
  return total;
}

std::int64_t VobSet::Sectors() const {
  std::int64_t total = 0;
  for (const File& f : files) total += SectorsOf(f.bytes);
  return total;
}

bool ReadVobSectors(const std::string& folder, const VobSet& vobs, std::int64_t first, std::int64_t count,
                    std::vector<std::uint8_t>& out, std::int64_t& bytesRead, std::string& why) {
  out.clear();
  if (first < 0 || count <= 0) {
    why = "no sectors asked for";
    return false;
  }
  std::int64_t sector = first;
  std::int64_t fileStart = 0;  // the first sector of the file below
  for (const VobSet::File& file : vobs.files) {
    const std::int64_t fileSectors = SectorsOf(file.bytes);
    if (sector >= fileStart + fileSectors) {
      fileStart += fileSectors;
      continue;
    }
    const std::int64_t wanted = std::min(first + count - sector, fileStart + fileSectors - sector);
    std::vector<std::uint8_t> bytes;
    std::error_code error;
    if (!ReadFileRange(folder + file.name, SectorStart(sector - fileStart), SectorStart(wanted), bytes, error)) {
      why = file.name + " cannot be read: " + error.message();
      return false;
    }
    bytesRead += static_cast<std::int64_t>(bytes.size());
    if (static_cast<std::int64_t>(bytes.size()) != SectorStart(wanted)) {
      why = file.name + " is cut short inside sector " +
            std::to_string(sector + static_cast<std::int64_t>(bytes.size()) / kSectorSize) + " of " + vobs.name;
      return false;
    }
    out.insert(out.end(), bytes.begin(), bytes.end());
    sector += wanted;
    if (sector == first + count) return true;
    fileStart += fileSectors;
  }
  if (vobs.files.empty())
    why = vobs.name + " is not there";
  else if (vobs.Sectors() == 0)
    why = vobs.name + " holds no sectors, not sector " + std::to_string(sector);
  else
    why = vobs.files.back().name + " ends at sector " + std::to_string(vobs.Sectors() - 1) + " of " + vobs.name +
          ", before sector " + std::to_string(sector);
  return false;
}

}  // namespace kestrune
