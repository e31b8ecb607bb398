// Reading one information file for the disc model: the whole file into an
// IFO image, and each table the MAT points at as a checked window on it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "chain_tables.h"
#include "ifo_problem.h"
#include "ifo_image.h"
#include "table_reader.h"

namespace kestrune::ifo {

// The image of `dir` + `name` when it can be read, is at most 256 sectors
// and starts with `identifier` ("DVDVIDEO-VMG", "DVDVIDEO-VTS"); otherwise
// nothing, with the reason in `problems`.
std::optional<IfoImage> ReadIfoFile(const std::string& dir, const std::string& name, const char* identifier,
                                    Problems& problems);

// The table `name` at start sector `span.sector` of the image, its end
// address at `endAt` from its first byte. Fills `span.length` from the end
// address. Nothing for an absent table (sector 0). A table shorter than
// `headerSize`, or whose start lies outside the file, is a problem and
// gives nothing; one that runs past the file is a problem and is read as
// far as the file goes; one that runs past the IFO's last sector
// (`ifoLastSector`, MAT 0x1C) is a problem and is read.
std::optional<TableReader> OpenTable(const IfoImage& image, const std::string& file, const char* name,
                                     TableSpan& span, std::int64_t endAt, std::int64_t headerSize,
                                     std::uint32_t ifoLastSector, Problems& problems);

// Runs `read`; a TableError it throws becomes a problem, so the tables after
// a damaged one are still read.
template <typename Read>
void ReadGuarded(Problems& problems, Read&& read) {
  try {
    read();
  } catch (const TableError& e) {
    problems.push_back(e.AsProblem());
  }
}

}  // namespace kestrune::ifo
