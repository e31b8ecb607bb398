// Writing the blanked VOB sets: the built-in one-frame image that matches the
// set's video attributes, or the user's replacement VOB, then the IFO and BUP.
#include "blank_vob.h"
#include "dvd_files.h"
#include "file_layer.h"
#include "title_set.h"

namespace kestrune {

void TTitleSet::CheckReplacementVob() {
  // Every rewritten IFO describes a five-sector VOB with one VOBU of VOB 1,
  // cell 1; any other file in its place would leave a broken disc.
  std::vector<std::uint8_t>& bytes = FReplacementVob;
  bool tooBig = false;
  std::error_code error;
  std::string reason;
  if (!Folder().FileExists(FReplacementVobPath)) {
    reason = "the file does not exist";
  } else if (!Folder().ReadWholeFile(FReplacementVobPath, kBlankVobSize, bytes, tooBig, error)) {
    reason = "it cannot be read: " + error.message();
  } else if (tooBig) {
    reason = "it is longer than " + std::to_string(kBlankVobSize) + " bytes";
  } else {
    reason = CheckOneFrameVob(bytes);
  }
  if (!reason.empty()) Refuse(kStatusBadReplacementVob, FReplacementVobPath + ": " + reason);
}

void TTitleSet::WriteBlankVob(const std::string& target, bool pal, bool wide) {
  // The replacement VOB goes in as it was checked, read once for every set.
  Folder().Replace(target, FUseReplacementVob ? FReplacementVob : BlankVobImage(BlankVobImageName(pal, wide)));
}

void TTitleSet::WriteVts() {
  if (FBlankMenus) WriteBlankVob(FVtsBasePath + "0.VOB", FVtsmPal, FVtsmWide);
  if (FBlankVideos) {
    WriteBlankVob(FVtsBasePath + "1.VOB", FVtsPal, FVtsWide);
    // Without backups the rest of the title VOB set goes: the IFO now
    // describes VTS_nn_1.VOB alone.
    if (!FBackup && FStatus == kStatusOk) {
      for (int d = 2; d <= 9; ++d) Folder().Remove(FVtsBasePath + std::to_string(d) + ".VOB");
    }
  }
  WriteIfoAndBup();
}

void TTitleSet::WriteVmg() {
  if (FBlankVmgMenu) WriteBlankVob(FVmgVobPath, FVmgmPal, FVmgmWide);
  WriteIfoAndBup();
}

}  // namespace kestrune
