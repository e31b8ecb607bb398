#include "ifo_problem.h"

namespace kestrune::ifo {

void Note(Problems& problems, const std::string& file, const std::string& table, const std::string& field,
          const std::string& what) {
  std::string text = file;
  if (!table.empty()) text += ": " + table;
  if (!field.empty()) text += ": " + field;
  problems.push_back({file, table, field, text + " " + what});
}

}  // namespace kestrune::ifo
