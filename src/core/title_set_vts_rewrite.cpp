// Placeholder until the title set rewrite lands: refuses, so no run writes a
// title set IFO that was not rewritten.
#include "title_set.h"

namespace kestrune {

void TTitleSet::RewriteVtsIfo() { throw InvalidIfo("title set rewriting is not available yet"); }

}  // namespace kestrune
