#include "nav_command.h"

namespace kestrune {

namespace {

// Bits of a command are numbered from 63 (the top bit of byte 0) down to 0
// (the low bit of byte 7); a field is `count` bits from bit `start` down.
std::uint32_t Bits(const NavCommandBytes& c, int start, int count) {
  std::uint64_t all = 0;
  for (const std::uint8_t b : c) all = all << 8 | b;
  return static_cast<std::uint32_t>(all >> (start - count + 1) & ((std::uint64_t{1} << count) - 1));
}

// Command group (bits 63..61) 1 holds the links (bit 60 clear) and the
// jumps and calls (bit 60 set), with the operation in bits 51..48. Groups 2
// (system set) and 3 (set) may end in a link of the same form: dvdauthor
// writes "g1 = 1; jump cell 3;" as one group 3 command.
constexpr std::uint32_t kLinkJumpGroup = 1;
constexpr std::uint32_t kSystemSetGroup = 2;
constexpr std::uint32_t kSetGroup = 3;
constexpr std::uint32_t kLinkPgcnOp = 4, kLinkPttOp = 5, kLinkPgnOp = 6, kLinkCnOp = 7;
constexpr std::uint32_t kJumpTtOp = 2, kJumpVtsTtOp = 3, kJumpVtsPttOp = 5, kJumpSsOp = 6, kCallSsOp = 8;
// JumpSS and CallSS: bits 23..22 choose first play, a VMGM menu, a VTSM menu
// or a VMGM PGC.
constexpr std::uint32_t kSsFirstPlay = 0, kSsVmgmMenu = 1, kSsVtsm = 2;

}  // namespace

NavLink DecodeNavLink(const NavCommandBytes& c) {
  NavLink link;
  const std::uint32_t group = Bits(c, 63, 3);
  if (group != kLinkJumpGroup && group != kSystemSetGroup && group != kSetGroup) return link;
  const std::uint32_t op = Bits(c, 51, 4);
  if (group != kLinkJumpGroup || Bits(c, 60, 1) == 0) {
    switch (op) {
      case kLinkPgcnOp: link = {NavTarget::kLinkPgcn, static_cast<int>(Bits(c, 14, 15))}; break;
      case kLinkPttOp: link = {NavTarget::kLinkPtt, static_cast<int>(Bits(c, 9, 10))}; break;
      case kLinkPgnOp: link = {NavTarget::kLinkPgn, static_cast<int>(Bits(c, 6, 7))}; break;
      case kLinkCnOp: link = {NavTarget::kLinkCn, static_cast<int>(Bits(c, 7, 8))}; break;
      default: break;
    }
    return link;
  }
  switch (op) {
    case kJumpTtOp: link = {NavTarget::kJumpTt, static_cast<int>(Bits(c, 22, 7))}; break;
    case kJumpVtsTtOp: link = {NavTarget::kJumpVtsTt, static_cast<int>(Bits(c, 22, 7))}; break;
    case kJumpVtsPttOp:
      link = {NavTarget::kJumpVtsPtt, static_cast<int>(Bits(c, 22, 7)), static_cast<int>(Bits(c, 41, 10))};
      break;
    case kJumpSsOp:
    case kCallSsOp: {
      const bool call = op == kCallSsOp;
      const std::uint32_t to = Bits(c, 23, 2);
      if (to == kSsFirstPlay) {
        link.target = call ? NavTarget::kCallFirstPlay : NavTarget::kJumpFirstPlay;
      } else if (to == kSsVmgmMenu) {
        link = {call ? NavTarget::kCallVmgmMenu : NavTarget::kJumpVmgmMenu, static_cast<int>(Bits(c, 19, 4))};
      } else if (to == kSsVtsm) {
        link.target = call ? NavTarget::kCallVtsm : NavTarget::kJumpVtsm;
        link.number = static_cast<int>(Bits(c, 19, 4));
        if (!call) {
          link.titleSet = static_cast<int>(Bits(c, 31, 8));
          link.vtsTitle = static_cast<int>(Bits(c, 39, 8));
        }
      } else {
        link = {call ? NavTarget::kCallVmgmPgc : NavTarget::kJumpVmgmPgc, static_cast<int>(Bits(c, 46, 15))};
      }
      break;
    }
    default: break;
  }
  return link;
}

const char* NavTargetName(NavTarget target) {
  switch (target) {
    case NavTarget::kNone: return "";
    case NavTarget::kLinkPgcn: return "LinkPGCN";
    case NavTarget::kLinkPtt: return "LinkPTT";
    case NavTarget::kLinkPgn: return "LinkPGN";
    case NavTarget::kLinkCn: return "LinkCN";
    case NavTarget::kJumpTt: return "JumpTT";
    case NavTarget::kJumpVtsTt: return "JumpVTS_TT";
    case NavTarget::kJumpVtsPtt: return "JumpVTS_PTT";
    case NavTarget::kJumpFirstPlay: return "JumpSS FP";
    case NavTarget::kJumpVmgmMenu: return "JumpSS VMGM menu";
    case NavTarget::kJumpVtsm: return "JumpSS VTSM";
    case NavTarget::kJumpVmgmPgc: return "JumpSS VMGM PGC";
    case NavTarget::kCallFirstPlay: return "CallSS FP";
    case NavTarget::kCallVmgmMenu: return "CallSS VMGM menu";
    case NavTarget::kCallVtsm: return "CallSS VTSM";
    case NavTarget::kCallVmgmPgc: return "CallSS VMGM PGC";
  }
  return "";
}

void SetLinkedProgramOrCell(NavCommandBytes& command, int number) {
  const NavLink link = DecodeNavLink(command);
  // LinkPGN holds the program in the low 7 bits of byte 7, LinkCN the cell
  // in the whole byte; the button number above them in byte 6 stays.
  if (link.target == NavTarget::kLinkPgn) {
    command[7] = static_cast<std::uint8_t>((command[7] & 0x80) | (number & 0x7F));
  } else if (link.target == NavTarget::kLinkCn) {
    command[7] = static_cast<std::uint8_t>(number & 0xFF);
  }
}

}  // namespace kestrune
