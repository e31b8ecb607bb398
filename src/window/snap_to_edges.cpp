#include "snap_to_edges.h"

#include <cstdlib>

namespace kestrune::window {

namespace {

// One axis: the new start of a span [start, start + length) against the
// area's span [areaStart, areaEnd).
int SnapAxis(int start, int length, int areaStart, int areaEnd, int distance) {
  if (std::abs(start - areaStart) <= distance) return areaStart;
  if (std::abs(start + length - areaEnd) <= distance) return areaEnd - length;
  return start;
}

}  // namespace

TPoint SnapToEdges(const TRect& frame, const TRect& area, int distance) {
  return {SnapAxis(frame.left, frame.width, area.left, area.right(), distance),
          SnapAxis(frame.top, frame.height, area.top, area.bottom(), distance)};
}

}  // namespace kestrune::window
