// What a DVD navigation command (8 bytes, in a PGC command table or a button
// of a NAV pack's HLI) names: the link, jump or call it makes and the title,
// chapter (PTT), program chain, program, cell, menu or title set it reaches.
// Only the targets that carry a number are decoded; links relative to the
// current place (LinkNextC, LinkTopPG, LinkRSM, ...) and set and compare
// instructions decode as kNone.
#pragma once

#include <array>
#include <cstdint>

namespace kestrune {

using NavCommandBytes = std::array<std::uint8_t, 8>;

enum class NavTarget {
  kNone,
  kLinkPgcn,       // LinkPGCN: a PGC of the current domain
  kLinkPtt,        // LinkPTT: a chapter of the current title
  kLinkPgn,        // LinkPGN: a program of the current PGC
  kLinkCn,         // LinkCN: a cell of the current PGC
  kJumpTt,         // JumpTT: a title of TT_SRPT
  kJumpVtsTt,      // JumpVTS_TT: a title of the current title set
  kJumpVtsPtt,     // JumpVTS_PTT: a chapter of a title of the current title set
  kJumpFirstPlay,  // JumpSS FP
  kJumpVmgmMenu,   // JumpSS VMGM (menu type)
  kJumpVtsm,       // JumpSS VTSM (title set, VTS title, menu type)
  kJumpVmgmPgc,    // JumpSS VMGM (PGCN)
  kCallFirstPlay,  // CallSS FP
  kCallVmgmMenu,   // CallSS VMGM (menu type)
  kCallVtsm,       // CallSS VTSM (menu type of the current title set)
  kCallVmgmPgc,    // CallSS VMGM (PGCN)
};

struct NavLink {
  NavTarget target = NavTarget::kNone;
  int number = 0;    // the PGCN, PTTN, PGN, CN, title, VTS title or menu type named
  int chapter = 0;   // JumpVTS_PTT: the PTTN
  int titleSet = 0;  // JumpSS VTSM: the VTSN
  int vtsTitle = 0;  // JumpSS VTSM: the VTS_TTN
};

NavLink DecodeNavLink(const NavCommandBytes& command);

// "LinkPGN", "JumpSS VTSM", ...; "" for kNone.
const char* NavTargetName(NavTarget target);

// Makes a LinkPGN or LinkCN name `number` instead; its button field (the
// button to highlight) stays. Other commands are left as they are.
void SetLinkedProgramOrCell(NavCommandBytes& command, int number);

}  // namespace kestrune
