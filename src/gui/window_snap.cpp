#include "window_snap.h"

#include <cstdlib>

namespace kestrune::gui {

namespace {

// One axis: the new start of a span [start, start + length) against the
// area's span [areaStart, areaEnd).
int SnapAxis(int start, int length, int areaStart, int areaEnd, int distance) {
  if (std::abs(start - areaStart) <= distance) return areaStart;
  if (std::abs(start + length - areaEnd) <= distance) return areaEnd - length;
  return start;
}

}  // namespace

QPoint SnapToEdges(const QRect& frame, const QRect& area, int distance) {
  // QRect::right() and bottom() are inclusive; the spans here are half-open.
  return {SnapAxis(frame.left(), frame.width(), area.left(), area.left() + area.width(), distance),
          SnapAxis(frame.top(), frame.height(), area.top(), area.top() + area.height(), distance)};
}

}  // namespace kestrune::gui
