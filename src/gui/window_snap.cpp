#include "window_snap.h"

namespace kestrune::gui {

QPoint SnapToEdges(const QRect& frame, const QRect& area, int distance) {
  const window::TPoint snapped =
      window::SnapToEdges({frame.x(), frame.y(), frame.width(), frame.height()},
                          {area.x(), area.y(), area.width(), area.height()}, distance);
  return {snapped.x, snapped.y};
}

}  // namespace kestrune::gui
