// Decoding what a navigation command names, on the commands dvdauthor writes
// and on each form of link, jump and call.
#include <gtest/gtest.h>

#include "nav_command.h"

namespace kestrune {
namespace {

struct Case {
  const char* what;
  NavCommandBytes bytes;
  NavLink link;
};

TEST(NavCommand, DecodesTheTargetOfEveryLinkJumpAndCall) {
  const Case cases[] = {
      {"jump titleset 1 menu (dvdauthor first play)", {0x30, 0x06, 0, 0x01, 0x01, 0x83, 0, 0},
       {NavTarget::kJumpVtsm, 3, 0, 1, 1}},
      {"jump program 2", {0x20, 0x06, 0, 0, 0, 0, 0, 0x02}, {NavTarget::kLinkPgn, 2}},
      {"jump cell 2", {0x20, 0x07, 0, 0, 0, 0, 0, 0x02}, {NavTarget::kLinkCn, 2}},
      {"LinkPGCN 1", {0x20, 0x04, 0, 0, 0, 0, 0, 0x01}, {NavTarget::kLinkPgcn, 1}},
      {"LinkPTT 3 with button 1", {0x20, 0x05, 0, 0, 0, 0, 0x04, 0x03}, {NavTarget::kLinkPtt, 3}},
      {"g1 = 1; jump cell 3 (a set command ending in a link)", {0x71, 0x07, 0, 0x01, 0, 0x01, 0, 0x03},
       {NavTarget::kLinkCn, 3}},
      {"JumpTT 5", {0x30, 0x02, 0, 0, 0, 0x05, 0, 0}, {NavTarget::kJumpTt, 5}},
      {"JumpVTS_TT 2", {0x30, 0x03, 0, 0, 0, 0x02, 0, 0}, {NavTarget::kJumpVtsTt, 2}},
      {"JumpVTS_PTT 1 chapter 4", {0x30, 0x05, 0, 0x04, 0, 0x01, 0, 0}, {NavTarget::kJumpVtsPtt, 1, 4}},
      {"JumpSS FP", {0x30, 0x06, 0, 0, 0, 0x00, 0, 0}, {NavTarget::kJumpFirstPlay}},
      {"JumpSS VMGM title menu", {0x30, 0x06, 0, 0, 0, 0x42, 0, 0}, {NavTarget::kJumpVmgmMenu, 2}},
      {"JumpSS VMGM PGC 3", {0x30, 0x06, 0, 0x03, 0, 0xC0, 0, 0}, {NavTarget::kJumpVmgmPgc, 3}},
      {"call menu (dvdauthor: the chapter menu, resume cell 1)", {0x30, 0x08, 0, 0, 0x01, 0x87, 0, 0},
       {NavTarget::kCallVtsm, 7}},
      {"call vmgm menu", {0x30, 0x08, 0, 0, 0x01, 0x42, 0, 0}, {NavTarget::kCallVmgmMenu, 2}},
      {"CallSS FP", {0x30, 0x08, 0, 0, 0x01, 0x00, 0, 0}, {NavTarget::kCallFirstPlay}},
      {"CallSS VMGM PGC 2", {0x30, 0x08, 0, 0x02, 0x01, 0xC0, 0, 0}, {NavTarget::kCallVmgmPgc, 2}},
      {"Exit", {0x30, 0x01, 0, 0, 0, 0, 0, 0}, {}},
      {"LinkNextPGC (a link relative to the chain)", {0x20, 0x01, 0, 0, 0, 0, 0, 0x0A}, {}},
      {"g0 = 1, no link", {0x71, 0x00, 0, 0x00, 0, 0x01, 0, 0}, {}},
      {"if (g0 == 3) goto 2", {0x00, 0xB1, 0, 0x00, 0, 0x03, 0, 0x02}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const NavLink link = DecodeNavLink(c.bytes);
    EXPECT_EQ(link.target, c.link.target);
    EXPECT_EQ(link.number, c.link.number);
    EXPECT_EQ(link.chapter, c.link.chapter);
    EXPECT_EQ(link.titleSet, c.link.titleSet);
    EXPECT_EQ(link.vtsTitle, c.link.vtsTitle);
  }
}

TEST(NavCommand, SettingTheLinkedProgramOrCellKeepsTheRest) {
  NavCommandBytes pgn{0x20, 0x06, 0, 0, 0, 0, 0x08, 0x02};  // button 2 highlighted
  SetLinkedProgramOrCell(pgn, 1);
  EXPECT_EQ(pgn, (NavCommandBytes{0x20, 0x06, 0, 0, 0, 0, 0x08, 0x01}));
  NavCommandBytes cell{0x71, 0x07, 0, 0x01, 0, 0x01, 0, 0x03};
  SetLinkedProgramOrCell(cell, 1);
  EXPECT_EQ(cell, (NavCommandBytes{0x71, 0x07, 0, 0x01, 0, 0x01, 0, 0x01}));
  NavCommandBytes jump{0x30, 0x02, 0, 0, 0, 0x05, 0, 0x07};
  SetLinkedProgramOrCell(jump, 1);
  EXPECT_EQ(jump, (NavCommandBytes{0x30, 0x02, 0, 0, 0, 0x05, 0, 0x07}));
}

}  // namespace
}  // namespace kestrune
