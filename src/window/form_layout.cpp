#include "form_layout.h"

#include <algorithm>

namespace kestrune::window {

int Scaled(int value, int dpi) {
  if (dpi == kDesignDpi) return value;
  const long long product = static_cast<long long>(value) * dpi;
  return static_cast<int>(product >= 0 ? (product + kDesignDpi / 2) / kDesignDpi
                                       : -((-product + kDesignDpi / 2) / kDesignDpi));
}

int FontPixelHeight(int dpi) { return (kFontPoints * dpi + 36) / 72; }

TRect StartUpClient(int dpi) { return {0, 0, Scaled(kClientWidth, dpi), Scaled(kClientHeight, dpi)}; }

TLayout FormLayout(int width, int height, int dpi) {
  TLayout layout;
  for (const TControlInfo& info : Controls()) {
    const TRect& r = info.startUp;
    layout[static_cast<std::size_t>(info.id)] = {Scaled(r.left, dpi), Scaled(r.top, dpi), Scaled(r.width, dpi),
                                                 Scaled(r.height, dpi)};
  }
  auto at = [&layout](TControl id) -> TRect& { return layout[static_cast<std::size_t>(id)]; };
  auto s = [dpi](int value) { return Scaled(value, dpi); };
  using C = TControl;

  // In FormResize's order; each step uses what the steps before it set.
  at(C::GoBtn).top = height - at(C::GoBtn).height - s(4);
  at(C::OrigBtn).top = at(C::GoBtn).top;
  at(C::DelBtn).top = at(C::GoBtn).top;
  at(C::BackupBox).top = at(C::GoBtn).top - s(90);
  at(C::RemoveAudioSubMapBox).top = at(C::BackupBox).top;
  at(C::RemStopsBox).top = at(C::BackupBox).top;
  at(C::MergeProgsBox).top = at(C::BackupBox).top + s(20);
  at(C::MergeCellsBox).top = at(C::MergeProgsBox).top;
  at(C::ReplaceVOBBox).top = at(C::MergeProgsBox).top + s(24);
  at(C::ManualStillTimeBox).top = at(C::ReplaceVOBBox).top + s(24);
  at(C::ReplaceVOBEdit).top = at(C::ReplaceVOBBox).top - s(2);
  at(C::ManualStillTimeEdit).top = at(C::ManualStillTimeBox).top - s(2);
  at(C::Label4).top = at(C::ManualStillTimeEdit).top + s(3);
  at(C::Label6).top = at(C::ReplaceVOBEdit).top + s(3);
  // A window too low for the two big lists leaves them without height.
  at(C::VTSBox).height = std::max(0, at(C::BackupBox).top - at(C::VTSBox).top - s(4));
  at(C::VTSMenuBox).height = at(C::VTSBox).height;
  at(C::OpenDirBtn).left = width - at(C::OpenDirBtn).width - s(4);
  at(C::DirEdit).width = width - at(C::OpenDirBtn).width - s(12);
  return layout;
}

void FitLabelsToTexts(TLayout& layout, const std::function<int(TControl label)>& textWidth) {
  for (const TControlInfo& info : Controls()) {
    if (info.kind != TControlKind::kLabel) continue;
    TRect& place = layout[static_cast<std::size_t>(info.id)];
    place.width = std::max(place.width, textWidth(info.id));
  }
}

}  // namespace kestrune::window
