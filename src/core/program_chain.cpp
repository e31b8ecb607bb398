// Placeholder until the program chain rules land.
#include "title_set.h"

namespace kestrune {

std::int32_t TTitleSet::BlankPgc(std::int64_t, bool) { throw InvalidIfo("program chain blanking is not available yet"); }
bool TTitleSet::PackChainList(std::int64_t, bool) { throw InvalidIfo("program chain blanking is not available yet"); }

}  // namespace kestrune
