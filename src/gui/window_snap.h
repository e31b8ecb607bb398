// Snapping a window to the edges of the screen's work area: a window dragged
// to within a few pixels of an edge is pulled flush against it.
#pragma once

#include <QPoint>
#include <QRect>

namespace kestrune::gui {

constexpr int kSnapDistance = 8;

// The top-left corner `frame` (the window with its frame) should take: each
// edge lying within `distance` pixels of the matching edge of `area` is moved
// onto it; left and top win when both edges of an axis are that close.
QPoint SnapToEdges(const QRect& frame, const QRect& area, int distance = kSnapDistance);

}  // namespace kestrune::gui
