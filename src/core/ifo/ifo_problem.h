// A damaged or missing part of a disc, as the disc model reports it: which
// file, which table and which field, and a sentence for the user.
#pragma once

#include <string>
#include <vector>

namespace kestrune::ifo {

struct Problem {
  std::string file;   // "VIDEO_TS.IFO", "VTS_03_0.IFO"
  std::string table;  // "TT_SRPT", "VTS_PGCI", ...; "" when the whole file is concerned
  std::string field;  // "end address", "PGC 2 offset", ...; "" when the whole table is concerned
  std::string text;   // the whole message, naming file, table and field
};

using Problems = std::vector<Problem>;

// Adds the problem "FILE: TABLE: FIELD what" (empty parts left out).
void Note(Problems& problems, const std::string& file, const std::string& table, const std::string& field,
          const std::string& what);

}  // namespace kestrune::ifo
