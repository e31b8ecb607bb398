// The window logic against a window kept in memory: FormResize's rules at
// 96 dots per inch and scaled, FormCreate's command line with the system's
// paths, and what "Blank!" reads from the controls.
#include <gtest/gtest.h>

#include <map>
#include <optional>

#include "form_layout.h"
#include "main_form_logic.h"
#include "snap_to_edges.h"
#include "temp_folder.h"
#include "title_set.h"
#include "window_controls.h"

namespace kestrune::window {
namespace {

using test::kDelimiter;

// A window of plain values: a text that changes raises the field's change
// event, as the toolkits' fields do.
class TMemoryView : public TWindowView {
 public:
  TMainFormLogic logic{*this};
  std::map<TEditField, std::string> texts = {{TEditField::DirEdit, Info(TControl::DirEdit).caption},
                                             {TEditField::ReplaceVOBEdit, Info(TControl::ReplaceVOBEdit).caption},
                                             {TEditField::ManualStillTimeEdit, "3"}};
  std::map<TSwitch, bool> switches;
  std::map<TCheckList, std::vector<ScanRow>> rows;
  std::string indicator, indicatorHint, dialogFile, dialogDir;
  std::vector<std::string> messages;
  int scans = 0;

  std::string Text(TEditField field) const override { return texts.at(field); }
  void SetText(TEditField field, const std::string& text) override {
    if (texts[field] == text) return;
    texts[field] = text;
    if (field == TEditField::DirEdit) logic.DirEditChange();
    if (field == TEditField::ReplaceVOBEdit) logic.ReplaceVOBEditChange();
  }
  bool Checked(TSwitch box) const override { return switches.count(box) != 0 && switches.at(box); }
  std::vector<ScanRow> Rows(TCheckList list) const override {
    return rows.count(list) != 0 ? rows.at(list) : std::vector<ScanRow>{};
  }
  void SetRows(TCheckList list, const std::vector<ScanRow>& r) override {
    rows[list] = r;
    if (list == TCheckList::VMGBox) ++scans;
  }
  void SetIndicator(const std::string& caption, const std::string& hint) override {
    indicator = caption;
    indicatorHint = hint;
  }
  std::string DialogFileName() const override { return dialogFile; }
  void SetDialogFileName(const std::string& name) override { dialogFile = name; }
  void SetDialogInitialDir(const std::string& folder) override { dialogDir = folder; }
  bool ExecuteOpenDialog() override { return false; }
  void ShowMessageBox(const std::string& caption, const std::string& text) override {
    messages.push_back(caption + ": " + text);
  }
};

// How a control follows a resize: its top and/or height with the height,
// its left and/or width with the width.
enum Follow { kStays = 0, kMovesDown = 1, kGrowsDown = 2, kMovesRight = 4, kGrowsRight = 8 };

int FollowOf(TControl id) {
  switch (id) {
    case TControl::DirEdit: return kGrowsRight;
    case TControl::OpenDirBtn: return kMovesRight;
    case TControl::Label2:
    case TControl::VMGBox:
    case TControl::Label3:
    case TControl::Label1: return kStays;
    case TControl::VTSBox:
    case TControl::VTSMenuBox: return kGrowsDown;
    default: return kMovesDown;
  }
}

struct ClientSize {
  int width, height;
};

std::ostream& operator<<(std::ostream& os, const ClientSize& size) { return os << size.width << "x" << size.height; }

class Layout : public ::testing::TestWithParam<ClientSize> {};

// Only the folder row follows the width, only the lower block and the two
// big lists follow the height; the start-up places are the table's.
TEST_P(Layout, FollowsTheClientSize) {
  const auto [w, h] = GetParam();
  const TLayout layout = FormLayout(w, h);
  const int dw = w - kClientWidth;
  const int dh = h - kClientHeight;
  for (const TControlInfo& info : Controls()) {
    const int follow = FollowOf(info.id);
    TRect expected = info.startUp;
    if (follow & kMovesRight) expected.left += dw;
    if (follow & kGrowsRight) expected.width += dw;
    if (follow & kMovesDown) expected.top += dh;
    if (follow & kGrowsDown) expected.height += dh;
    EXPECT_EQ(Place(layout, info.id), expected) << info.name;
  }
}

INSTANTIATE_TEST_SUITE_P(Sizes, Layout,
                         ::testing::Values(ClientSize{369, 394}, ClientSize{520, 394}, ClientSize{369, 530},
                                           ClientSize{450, 480}, ClientSize{369, 395}));

TEST(LayoutRules, StartUpValuesAndAWindowTooLowForTheLists) {
  const TLayout startUp = FormLayout(kClientWidth, kClientHeight);
  EXPECT_EQ(Place(startUp, TControl::GoBtn).top, 368);
  EXPECT_EQ(Place(startUp, TControl::BackupBox).top, 278);
  EXPECT_EQ(Place(startUp, TControl::MergeProgsBox).top, 298);
  EXPECT_EQ(Place(startUp, TControl::ReplaceVOBBox).top, 322);
  EXPECT_EQ(Place(startUp, TControl::ManualStillTimeBox).top, 346);
  EXPECT_EQ(Place(startUp, TControl::VTSBox).height, 190);
  EXPECT_EQ(Place(startUp, TControl::OpenDirBtn).left, 337);
  EXPECT_EQ(Place(startUp, TControl::DirEdit).width, 329);

  const TLayout low = FormLayout(kClientWidth, 150);
  EXPECT_EQ(Place(low, TControl::GoBtn).top, 124);
  EXPECT_EQ(Place(low, TControl::VTSBox).height, 0);
  EXPECT_EQ(Place(low, TControl::VTSMenuBox).height, 0);
}

// At any resolution the start-up client size gives the start-up places
// scaled, within the pixel that rounding each value apart may cost, and the
// rules keep their distances scaled when the window grows.
TEST(LayoutRules, ScaleWithTheResolution) {
  for (int dpi : {96, 120, 144, 168, 192}) {
    const TRect client = StartUpClient(dpi);
    const TLayout layout = FormLayout(client.width, client.height, dpi);
    for (const TControlInfo& info : Controls()) {
      const TRect& r = Place(layout, info.id);
      const TRect s = {Scaled(info.startUp.left, dpi), Scaled(info.startUp.top, dpi),
                       Scaled(info.startUp.width, dpi), Scaled(info.startUp.height, dpi)};
      EXPECT_LE(std::abs(r.left - s.left) + std::abs(r.top - s.top), 1) << info.name << " at " << dpi;
      EXPECT_LE(std::abs(r.right() - s.right()) + std::abs(r.bottom() - s.bottom()), 2) << info.name << " at " << dpi;
    }
    const TLayout taller = FormLayout(client.width, client.height + 100, dpi);
    EXPECT_EQ(Place(taller, TControl::GoBtn).top, Place(layout, TControl::GoBtn).top + 100);
    EXPECT_EQ(Place(taller, TControl::VTSBox).height, Place(layout, TControl::VTSBox).height + 100);
  }
  EXPECT_EQ(StartUpClient(144).width, 554);  // 553.5 rounded
  EXPECT_EQ(StartUpClient(144).height, 591);
  // The font is 8 points at every resolution.
  EXPECT_EQ(FontPixelHeight(96), 11);
  EXPECT_EQ(FontPixelHeight(120), 13);
  EXPECT_EQ(FontPixelHeight(144), 16);
  EXPECT_EQ(FontPixelHeight(192), 21);
}

// A label grows to the right as far as its text needs, never shrinks;
// nothing but labels changes.
TEST(LayoutRules, LabelsGrowToTheirTexts) {
  TLayout layout = FormLayout(kClientWidth, kClientHeight);
  const TLayout rules = layout;
  FitLabelsToTexts(layout, [](TControl label) { return label == TControl::Label1 ? 76 : 10; });
  for (const TControlInfo& info : Controls()) {
    TRect expected = Place(rules, info.id);
    if (info.id == TControl::Label1) expected.width = 76;
    EXPECT_EQ(Place(layout, info.id), expected) << info.name;
  }
}

TEST(SnapToEdges, PullsANearEdgeFlush) {
  const TRect area = {0, 30, 1000, 770};
  EXPECT_EQ(SnapToEdges({8, 300, 200, 100}, area), (TPoint{0, 300}));
  EXPECT_EQ(SnapToEdges({9, 300, 200, 100}, area), (TPoint{9, 300}));
  EXPECT_EQ(SnapToEdges({795, 300, 200, 100}, area), (TPoint{800, 300}));
  EXPECT_EQ(SnapToEdges({-3, 695, 200, 100}, area), (TPoint{0, 700}));
}

// FormCreate with paths as the system writes them: the folder part is up to
// the last delimiter (on Windows also a drive's ":"), the IFO's rows come up
// checked, and an argument whose folder does not exist scans nothing.
class CommandLine : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"VIDEO_TS.VOB", "VTS_01_0.IFO", "VTS_01_1.VOB", "VTS_03_0.IFO", "VTS_03_0.VOB",
                             "VTS_03_1.VOB"})
      test::WriteBytes(disc_ / name, std::vector<std::uint8_t>(2048, 0));
  }
  test::TempFolder disc_;
};

TEST_F(CommandLine, NamesTheFolderAndChecksTheRowsOfItsIfo) {
  struct Case {
    std::string argument, folderText, dialogFile;
    std::vector<std::string> checked;  // the checked rows of all three lists
    int scans;
  };
  const std::string d = disc_.Dir();
  const std::string parent = test::Utf8(test::Native(disc_.Dir()).parent_path().parent_path()) + kDelimiter;
  const Case cases[] = {
      {"", "C:\\DVD\\VIDEO_TS", "", {}, 1},
      {d + "VTS_03_0.IFO", d, d + "VTS_03_0.IFO", {"VTS_03_*.VOB  2KB", "VTS_03_0.VOB  2KB"}, 1},
      {"\"" + d + "VTS_01_0.IFO\"", d, d + "VTS_01_0.IFO", {"VTS_01_*.VOB  2KB"}, 1},
      {d + "VIDEO_TS.IFO", d, "", {}, 1},  // no such file: the folder alone
      {d.substr(0, d.size() - 1), parent, "", {}, 1},
      {"VTS_03_0.IFO", "C:\\DVD\\VIDEO_TS", "", {}, 0},
#if defined(_WIN32)
      {"Q:\\no\\VTS_03_0.IFO", "C:\\DVD\\VIDEO_TS", "", {}, 0},
#endif
  };
  for (const Case& c : cases) {
    TMemoryView view;
    view.logic.FormCreate(c.argument);
    EXPECT_EQ(view.texts[TEditField::DirEdit], c.folderText) << c.argument;
    EXPECT_EQ(view.dialogFile, c.dialogFile) << c.argument;
    EXPECT_EQ(view.dialogDir, c.scans != 0 && !c.argument.empty() ? c.folderText : "") << c.argument;
    EXPECT_EQ(view.scans, c.scans) << c.argument;
    std::vector<std::string> checked;
    for (TCheckList list : {TCheckList::VMGBox, TCheckList::VTSBox, TCheckList::VTSMenuBox})
      for (const ScanRow& row : view.Rows(list))
        if (row.checked) checked.push_back(row.text);
    EXPECT_EQ(checked, c.checked) << c.argument;
    EXPECT_EQ(view.indicator, "NA") << c.argument;
    EXPECT_EQ(view.indicatorHint, "File not found!") << c.argument;
  }
}

// "Blank!" hands over what the controls hold; checked rows become title set
// numbers without leading zeros, top to bottom.
TEST(Choices, AreReadFromTheControls) {
  TMemoryView view;
  view.switches = {{TSwitch::BackupBox, false}, {TSwitch::MergeCellsBox, true}, {TSwitch::ManualStillTimeBox, true}};
  view.texts[TEditField::ManualStillTimeEdit] = " +42";
  view.rows[TCheckList::VMGBox] = {{"VIDEO_TS.VOB  5KB", true}};
  view.rows[TCheckList::VTSBox] = {{"VTS_01_*.VOB  1KB", false}, {"VTS_12_*.VOB  1KB", true},
                                   {"VTS_42_*.VOB  1KB", true}};
  view.rows[TCheckList::VTSMenuBox] = {{"VTS_07_0.VOB  1KB", true}};
  const RunChoices choices = view.logic.Choices();
  EXPECT_FALSE(choices.backup);
  EXPECT_TRUE(choices.mergeCells && choices.useManualStillTime && choices.blankVmgMenu);
  EXPECT_FALSE(choices.removeStops || choices.mergePrograms || choices.useReplacementVob);
  EXPECT_EQ(choices.stillTimeText, " +42");
  EXPECT_EQ(choices.replacementVobPath, "C:\\REPLACE.VOB");
  EXPECT_EQ(choices.titleSets, (std::vector<int>{12, 42}));
  EXPECT_EQ(choices.menuSets, (std::vector<int>{7}));

  // A still time that is no whole number runs as 3 and the field shows "3";
  // the engine's refusal of these rows comes as one box, then a rescan.
  test::TempFolder dir;
  view.texts[TEditField::DirEdit] = dir.Dir();
  view.texts[TEditField::ManualStillTimeEdit] = "abc";
  std::optional<int> used;
  view.logic.SetRunObserver([&](TTitleSet& run) { used = run.FManualStillTime; });
  const int scans = view.scans;
  view.logic.GoBtnClick();
  EXPECT_EQ(used, 3);
  EXPECT_EQ(view.texts[TEditField::ManualStillTimeEdit], "3");
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(view.messages[0].rfind("Error: ", 0), 0u) << view.messages[0];
  EXPECT_EQ(view.scans, scans + 1);
  EXPECT_EQ(view.logic.RunObject(), nullptr);
}

}  // namespace
}  // namespace kestrune::window
