// Placeholder until the video manager rewrite lands: refuses, so no run
// writes a VIDEO_TS.IFO that was not rewritten.
#include "title_set.h"

namespace kestrune {

void TTitleSet::RewriteVmgIfo() { throw InvalidIfo("video manager menu blanking is not available yet"); }

}  // namespace kestrune
