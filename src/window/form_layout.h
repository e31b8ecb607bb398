// FormResize's rules: the place of every control for a client area of a
// given size. At 96 dots per inch the places are those of window_controls.h
// moved by the rules; at another resolution every place, size and distance of
// the rules is scaled by dpi / 96 first, so the window looks the same, only
// larger.
#pragma once

#include <array>
#include <functional>

#include "window_controls.h"

namespace kestrune::window {

using TLayout = std::array<TRect, kControlCount>;

// `value` pixels at 96 dots per inch as pixels at `dpi`, rounded to the nearest.
int Scaled(int value, int dpi);

// The font's character height in pixels at `dpi`: 8 points, 11 pixels at 96
// dots per inch and 16 at 144 (where 11 pixels scaled would be 17, a font
// larger than the places scale by).
int FontPixelHeight(int dpi);

// The client size at start-up: 369 x 394 at 96 dots per inch.
TRect StartUpClient(int dpi = kDesignDpi);

// The rectangles of all controls for a client area of `width` x `height`
// pixels, in the order of TControl. The buttons hang 4 pixels above the
// bottom edge and the option block above them, the two big lists take the
// height between their fixed top and the option block (never less than 0),
// and the folder row takes the width; nothing else moves.
TLayout FormLayout(int width, int height, int dpi = kDesignDpi);

// Every label's text shown whole: a label whose text, in the window's font,
// is wider than its place keeps its left and top and is made as wide as the
// text (`textWidth` gives the width of a label's text). The places are laid
// out for Arial as Windows sets it; a system's font may set a text a few
// pixels wider.
void FitLabelsToTexts(TLayout& layout, const std::function<int(TControl label)>& textWidth);

inline const TRect& Place(const TLayout& layout, TControl id) { return layout[static_cast<std::size_t>(id)]; }

}  // namespace kestrune::window
