#include "window_controls.h"

#include <algorithm>

namespace kestrune::window {

namespace {

using K = TControlKind;
using C = TControl;

// Tops and sizes that FormResize recomputes are their values at the start-up
// client size of 369 x 394.
const std::array<TControlInfo, kControlCount> kControls = {{
    {C::DirEdit, "DirEdit", K::kEdit, "C:\\DVD\\VIDEO_TS", "", false, 1, {4, 4, 329, 22}},
    {C::OpenDirBtn, "OpenDirBtn", K::kButton, "", "", false, -1, {337, 4, 28, 21}},
    {C::Label2, "Label2", K::kLabel, "Video Manager:", "", false, -1, {4, 29, 76, 14}},
    {C::VMGBox, "VMGBox", K::kCheckList, "", "", false, 6, {4, 44, 361, 22}},
    {C::Label3, "Label3", K::kLabel, "TitleSet Videos:", "", false, -1, {4, 69, 75, 14}},
    {C::Label1, "Label1", K::kLabel, "TitleSet Menus:", "", false, -1, {188, 69, 73, 14}},
    {C::VTSBox, "VTSBox", K::kCheckList, "", "", false, 2, {4, 84, 177, 190}},
    {C::VTSMenuBox, "VTSMenuBox", K::kCheckList, "", "", false, 3, {188, 84, 177, 190}},
    {C::BackupBox, "BackupBox", K::kCheckBox, "Backup", "Make backups of modified files.", true, 0, {4, 278, 61, 17}},
    {C::RemoveAudioSubMapBox, "RemoveAudioSubMapBox", K::kCheckBox, "Remove audio- and sub-mapping",
     "Remove mapping of audio & subs", true, 12, {72, 278, 185, 17}},
    {C::RemStopsBox, "RemStopsBox", K::kCheckBox, "Remove Stops",
     "Remove stopping between Cells. (The still-time)\r\nMore menus keep working when you check this box.", true, 7,
     {264, 278, 101, 17}},
    {C::MergeProgsBox, "MergeProgsBox", K::kCheckBox, "Merge Programs",
     "EXPERIMENTAL:\r\nMerge multiple Programs of a video to one.", false, 4, {152, 298, 105, 17}},
    {C::MergeCellsBox, "MergeCellsBox", K::kCheckBox, "Merge Cells",
     "EXPERIMENTAL:\r\nMerge multiple Cells of a video to one.\r\nThis can break functionality, because many menus "
     "rely on specific to-cell-jumping.",
     false, 5, {264, 298, 85, 17}},
    {C::ReplaceVOBBox, "ReplaceVOBBox", K::kCheckBox, "Replacement VOB:",
     "Use a manual VOB-file as replacement. Not the internal one-frame version.", false, 9, {4, 322, 113, 17}},
    {C::ReplaceVOBEdit, "ReplaceVOBEdit", K::kEdit, "C:\\REPLACE.VOB", "", false, 8, {116, 320, 225, 22}},
    // Its caption and hint are set at start-up by ReplaceVOBEditChange.
    {C::Label6, "Label6", K::kLabel, "", "", false, -1, {344, 323, 22, 14}},
    {C::ManualStillTimeBox, "ManualStillTimeBox", K::kCheckBox, "Manual still-time for replacement VOB:", "", false,
     11, {24, 346, 205, 17}},
    {C::ManualStillTimeEdit, "ManualStillTimeEdit", K::kEdit, "3", "0..255", false, 10, {232, 344, 29, 22}},
    {C::Label4, "Label4", K::kLabel, "sec", "", false, -1, {266, 347, 18, 14}},
    {C::OrigBtn, "OrigBtn", K::kButton, "Back to orig. files", "Delete new files and go back to the original ones.",
     false, -1, {4, 368, 97, 22}},
    {C::GoBtn, "GoBtn", K::kButton, "Blank!", "", false, -1, {104, 368, 173, 22}},
    {C::DelBtn, "DelBtn", K::kButton, "Delete backups", "Delete all backup files. = delete all files ending with ~",
     false, -1, {280, 368, 85, 22}},
}};

}  // namespace

const std::array<TControlInfo, kControlCount>& Controls() { return kControls; }

std::array<TControl, 13> TabOrder() {
  std::array<TControl, 13> order{};
  for (const TControlInfo& info : kControls)
    if (info.tab >= 0) order.at(static_cast<std::size_t>(info.tab)) = info.id;
  return order;
}

}  // namespace kestrune::window
