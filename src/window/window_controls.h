// The controls of TMainForm as both windows create them: name, kind,
// caption, hint, initial check state, tab order and place at the start-up
// client size, and the window's own properties. Texts are UTF-8; a line
// break in a hint is "\r\n".
#pragma once

#include <array>
#include <cstddef>

namespace kestrune::window {

inline constexpr char kApplicationTitle[] = "Kestrune";
inline constexpr char kCaption[] = "Kestrune v" KESTRUNE_VERSION " by Ombrel";
inline constexpr char kMessageBoxCaption[] = "Error";
inline constexpr int kClientWidth = 369;   // at 96 dots per inch
inline constexpr int kClientHeight = 394;
inline constexpr int kDesignDpi = 96;      // every place and size below is at this resolution
inline constexpr int kFontPoints = 8;        // Arial, 8 points:
inline constexpr int kFontPixelHeight = 11;  // 11 pixels character height at 96 dots per inch
inline constexpr char kFontFace[] = "Arial";
inline constexpr int kHintDisplayTime = 30000;  // ms a hint stays up
inline constexpr int kHintPause = 500;          // ms before a hint shows
inline constexpr int kCheckListRowHeight = 14;
inline constexpr int kOpenBitmapSize = 18;  // OPENBMP is 18 x 18 pixels

struct TRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  int right() const { return left + width; }
  int bottom() const { return top + height; }
  friend bool operator==(const TRect&, const TRect&) = default;
};

enum class TControlKind { kEdit, kButton, kLabel, kCheckList, kCheckBox };

// Every control, in the order of the table in window_controls.cpp.
enum class TControl {
  DirEdit,
  OpenDirBtn,
  Label2,
  VMGBox,
  Label3,
  Label1,
  VTSBox,
  VTSMenuBox,
  BackupBox,
  RemoveAudioSubMapBox,
  RemStopsBox,
  MergeProgsBox,
  MergeCellsBox,
  ReplaceVOBBox,
  ReplaceVOBEdit,
  Label6,
  ManualStillTimeBox,
  ManualStillTimeEdit,
  Label4,
  OrigBtn,
  GoBtn,
  DelBtn,
};
inline constexpr std::size_t kControlCount = 22;

struct TControlInfo {
  TControl id;
  const char* name;
  TControlKind kind;
  const char* caption;  // or the initial text of an edit field
  const char* hint;     // empty: none
  bool checked;         // a check box's initial state
  int tab;              // place in the tab order, 0 first; -1: takes no focus
  TRect startUp;        // at the start-up client size, 96 dots per inch
};

const std::array<TControlInfo, kControlCount>& Controls();
inline const TControlInfo& Info(TControl id) { return Controls()[static_cast<std::size_t>(id)]; }

// The controls that take the focus, in tab order.
std::array<TControl, 13> TabOrder();

// The file-open dialog's filter as pairs of description and pattern; the
// information files come first and are the default choice.
struct TFilter {
  const char* description;
  const char* pattern;
};
inline constexpr TFilter kOpenDialogFilter[] = {{"IFO-files (*.ifo)", "*.ifo"}, {"All files (*.*)", "*.*"}};

}  // namespace kestrune::window
