// Snapping the Qt window to the edges of the screen's work area, by the
// window logic's rule (src/window/snap_to_edges.h).
#pragma once

#include <QPoint>
#include <QRect>

#include "snap_to_edges.h"

namespace kestrune::gui {

using window::kSnapDistance;

// The top-left corner `frame` (the window with its frame) should take: each
// edge lying within `distance` pixels of the matching edge of `area` is moved
// onto it; left and top win when both edges of an axis are that close.
QPoint SnapToEdges(const QRect& frame, const QRect& area, int distance = kSnapDistance);

}  // namespace kestrune::gui
