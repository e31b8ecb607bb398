// Snapping a window to the edges of the screen's work area: a window dragged
// to within a few pixels of an edge is pulled flush against it.
#pragma once

#include "window_controls.h"

namespace kestrune::window {

inline constexpr int kSnapDistance = 8;

struct TPoint {
  int x = 0;
  int y = 0;
  friend bool operator==(const TPoint&, const TPoint&) = default;
};

// The top-left corner `frame` (the window with its frame) should take: each
// edge lying within `distance` pixels of the matching edge of `area` is moved
// onto it; left and top win when both edges of an axis are that close.
TPoint SnapToEdges(const TRect& frame, const TRect& area, int distance = kSnapDistance);

}  // namespace kestrune::window
