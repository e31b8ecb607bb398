// Reading one information file for the disc model: the whole file into an
// IFO image, and each table the MAT points at as a checked window on it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "ifo_tables.h"
#include "ifo_problem.h"
#include "ifo_image.h"
#include "table_reader.h"

namespace kestrune::ifo {

// The image of `dir` + `name` when it can be read, is at most 256 sectors
// and starts with the identifier of `kind` ("DVDVIDEO-VMG", "DVDVIDEO-VTS");
// otherwise nothing, with the reason in `problems`.
std::optional<IfoImage> ReadIfoFile(const std::string& dir, const std::string& name, IfoKind kind,
                                    Problems& problems);

// The table of `kind` where `span` (from ReadMatLayout) places it, as a
// window on the image. Nothing for an absent table. A table shorter than its
// header, or whose start lies outside the file, is a problem and gives
// nothing; one that runs past the file is a problem and is read as far as the
// file goes; one that runs past the IFO's last sector (`ifoLastSector`, MAT
// 0x1C) is a problem and is read.
std::optional<TableReader> OpenTable(const IfoImage& image, const std::string& file, const TableKind& kind,
                                     const TableSpan& span, std::uint32_t ifoLastSector, Problems& problems);

// Opens every table `layout` places, in the order they lie in the file, and
// hands each to `read` with its index (VmgTable or VtsTable) and its window
// (nothing when it could not be opened, with the reason in `problems`).
template <typename Table, typename Read>
void ForEachTable(const IfoImage& image, const std::string& file, const MatLayout& layout, Problems& problems,
                  Read&& read) {
  const auto kinds = TablesOf(layout.kind);
  for (std::size_t i = 0; i < kinds.size(); ++i)
    read(static_cast<Table>(i), OpenTable(image, file, kinds[i], layout.tables[i], layout.ifoLastSector, problems));
}

// Reads the table in `reader` (if it opened) with `read` into `target`, a
// model of the table whose `table` span stays as the MAT gave it; a damaged
// table becomes a problem.
template <typename T, typename Read>
void ReadTableInto(const std::optional<TableReader>& reader, T& target, Problems& problems, Read&& read) {
  if (!reader) return;
  ReadGuarded(problems, [&] {
    const TableSpan span = target.table;
    target = read(*reader);
    target.table = span;
  });
}

}  // namespace kestrune::ifo
