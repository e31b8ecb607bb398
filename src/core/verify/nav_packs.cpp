// The checks of the VOB files themselves, reading only the sectors they need:
// the first pack of each file, the NAV pack at every VOBU_ADMAP entry (its
// own sector number, where its VOBU ends, its VOB and cell id, the commands
// of its buttons), and a blanked set's five sectors whole.
#include <algorithm>
#include <map>

#include "big_endian.h"
#include "blank_vob.h"
#include "nav_pack.h"
#include "verifier.h"

namespace kestrune::verify {

namespace {

// Sector offsets of the NAV pack fields these checks read (nav_pack.h).
constexpr std::int64_t kPciNvPckLbn = nav::PciField(nav::kPciNvPckLbn);
constexpr std::int64_t kDsiNvPckLbn = nav::DsiField(nav::kDsiNvPckLbn);
constexpr std::int64_t kDsiVobuEa = nav::DsiField(nav::kDsiVobuEa);
constexpr std::int64_t kDsiVobIdn = nav::DsiField(nav::kDsiVobIdn);
constexpr std::int64_t kDsiCellIdn = nav::DsiField(nav::kDsiCellIdn);
constexpr std::int64_t kHliSs = nav::PciField(nav::kHli);
constexpr std::int64_t kHliButtonGroups = nav::PciField(nav::kHliButtonGroups);
constexpr std::int64_t kHliButtonCount = nav::PciField(nav::kHliButtonCount);
constexpr std::int64_t kButtons = nav::PciField(nav::kHliButtons);

bool StartCode(const std::vector<std::uint8_t>& s, std::int64_t at, std::uint8_t id) {
  return s[at] == 0 && s[at + 1] == 0 && s[at + 2] == 1 && s[at + 3] == id;
}
bool PackHeader(const std::vector<std::uint8_t>& s) { return StartCode(s, 0, 0xBA) && (s[4] & 0xC0) == 0x40; }
std::uint32_t DWord(const std::vector<std::uint8_t>& s, std::int64_t at) { return GetBigEndian<std::uint32_t>(&s[at]); }

// The file holding sector `sector` of `vobs`, and the sector's byte offset in it.
std::pair<std::string, std::int64_t> Place(const VobSet& vobs, std::int64_t sector) {
  std::int64_t start = 0;
  for (const VobSet::File& f : vobs.files) {
    if (sector * kSectorSize < start + f.bytes) return {f.name, sector * kSectorSize - start};
    start += f.bytes;
  }
  return {vobs.name, sector * kSectorSize};
}

}  // namespace

bool Verifier::CheckBlankedVobs(const Domain& domain) {
  // A blanked set is what the rewritten tables describe: one VOBU at sector
  // 0 and every cell piece VOB 1 cell 1, sectors 0 to 4.
  const auto& map = domain.vobuAdmap->vobuStartSectors;
  const auto& cells = domain.cAdt->cells;
  const bool blanked = map == std::vector<std::uint32_t>{0} && !cells.empty() &&
                       std::all_of(cells.begin(), cells.end(), [](const ifo::CellAddress& a) {
                         return a.vobId == 1 && a.cellId == 1 && a.startSector == 0 &&
                                a.lastSector == kBlankVobSectors - 1;
                       });
  if (!blanked) return false;
  const VobSet& vobs = *domain.vobs;
  const std::string& first = vobs.files.front().name;
  if (vobs.files.size() != 1 || vobs.Bytes() != kBlankVobSize) {
    Add(Severity::kError, vobs.files.size() != 1 ? vobs.files[1].name : first, "", "", -1,
        vobs.files.size() != 1 ? "is there" : Number(vobs.Bytes()) + " bytes",
        vobs.files.size() != 1 ? "only " + first + ", the five-sector blank VOB" : Number(kBlankVobSize) + " bytes",
        "the IFO describes the five-sector one-frame VOB of a blanked set");
    return true;
  }
  const auto bytes = ReadVobBytes(vobs, 0, kBlankVobSize);
  if (!bytes) {
    Add(Severity::kError, first, "", "", -1, "cannot be read", "", "");
    return true;
  }
  if (const std::string reason = CheckOneFrameVob(*bytes); !reason.empty()) {
    Add(Severity::kError, first, "", "", -1, reason, "the five-sector one-frame VOB",
        "the IFO describes the one-frame VOB of a blanked set");
    return true;
  }
  for (const auto& [at, name] : {std::pair{kPciNvPckLbn, "PCI NV_PCK_LBN"}, std::pair{kDsiNvPckLbn, "DSI NV_PCK_LBN"}}) {
    if (DWord(*bytes, at) != 0)
      Add(Severity::kError, first, "NAV pack", name, at, Number(DWord(*bytes, at)), "0",
          "a NAV pack holds its own sector number in its VOB set");
  }
  // The engine writes the image that matches the domain's video attributes;
  // a user's replacement VOB lands in every blanked set whatever its TV system.
  const std::string wanted = BlankVobImageName(domain.videoAttributes);
  for (const char* name : {"NTSC", "NTSCA", "PAL", "PALA"}) {
    if (*bytes == BlankVobImage(name) && name != wanted)
      Add(Severity::kWarning, first, "", "", -1, std::string("the blank image ") + name,
          "the image " + wanted + ", as the domain's video attributes say",
          "a player may show a frame of another TV system or aspect ratio wrongly or not at all");
  }
  return true;
}

void Verifier::CheckVobs(const std::vector<const Domain*>& domains) {
  const Domain& domain = *domains.front();
  const VobSet& vobs = *domain.vobs;
  if (BadAdmap(domain.vobuAdmap) || CheckBlankedVobs(domain)) return;

  // Every VOB file starts with a pack: a file cut inside a pack could not be
  // read on its own.
  std::int64_t sector = 0;
  for (const VobSet::File& f : vobs.files) {
    if (f.bytes >= kSectorSize) {
      const auto* s = VobSector(vobs, sector);
      if (s != nullptr && !PackHeader(*s))
        Add(Severity::kError, f.name, "", "first pack", 0, "no MPEG-2 pack header (00 00 01 BA)", "a pack header",
            "every sector of a VOB file is a pack");
    }
    sector += SectorsOf(f.bytes);
  }

  // A fault repeated in every NAV pack of the set is named once, with a count.
  std::map<std::string, std::pair<std::size_t, int>> repeated;  // field -> finding, further packs
  const auto add = [&](Severity severity, const std::string& file, const std::string& field, std::int64_t at,
                       const std::string& found, const std::string& expected, const std::string& why) {
    const auto it = repeated.find(field);
    if (it != repeated.end()) {
      ++it->second.second;
      return;
    }
    repeated[field] = {report_.findings.size(), 0};
    Add(severity, file, "NAV pack", field, at, found, expected, why);
  };
  const auto& map = domain.vobuAdmap->vobuStartSectors;
  const std::int64_t sectors = vobs.Sectors();
  for (std::size_t i = 0; i < map.size(); ++i) {
    const std::int64_t s = map[i];
    if (s >= sectors) break;  // CheckAddressTables names it
    const auto* nav = VobSector(vobs, s);
    if (nav == nullptr) continue;
    const auto [file, base] = Place(vobs, s);
    const std::string vobu = "VOBU at sector " + Number(s) + " ";
    if (!nav::IsNavPack(*nav)) {
      add(Severity::kError, file, vobu + "NAV pack", base, "no NAV pack (PCI and DSI packets)", "a NAV pack",
          "every VOBU_ADMAP entry is the start of a VOBU, which is a NAV pack");
      continue;
    }
    for (const auto& [at, name] : {std::pair{kPciNvPckLbn, "PCI NV_PCK_LBN"}, std::pair{kDsiNvPckLbn, "DSI NV_PCK_LBN"}}) {
      if (DWord(*nav, at) != static_cast<std::uint32_t>(s))
        add(Severity::kError, file, name, base + at, Number(DWord(*nav, at)), Number(s),
            "a NAV pack holds its own sector number in its VOB set; players seek by it");
    }
    const std::int64_t next = i + 1 < map.size() ? map[i + 1] : sectors;
    const std::int64_t end = s + DWord(*nav, kDsiVobuEa) + 1;
    if (end != next) {
      const bool last = i + 1 == map.size();
      const bool trailing = last && end < next;
      add(trailing ? Severity::kWarning : Severity::kError, file, "VOBU_EA", base + kDsiVobuEa,
          Number(DWord(*nav, kDsiVobuEa)) + " (the VOBU ends at sector " + Number(end - 1) + ")",
          Number(next - s - 1) + (last ? " (the VOB set's end)" : " (the next VOBU_ADMAP entry)"),
          trailing ? Number(next - end) + " sectors after the last VOBU belong to no VOBU; players never read them"
                   : "players read each VOBU up to its VOBU_EA and the next one from there");
    }
    CheckNavPackTargets(domain, s, file, base, *nav, end);
    // The VOB and cell the NAV pack names are those C_ADT places it in.
    for (const ifo::CellAddress& a : domain.cAdt->cells) {
      if (s < a.startSector || s > a.lastSector) continue;
      const std::uint16_t vob = GetBigEndian<std::uint16_t>(&(*nav)[kDsiVobIdn]);
      const std::uint8_t cell = (*nav)[kDsiCellIdn];
      if (vob != a.vobId || cell != a.cellId)
        add(Severity::kError, file, "VOBU_VOB_IDN and VOBU_C_IDN", base + kDsiVobIdn,
            "VOB " + Number(vob) + " cell " + Number(cell), "VOB " + Number(a.vobId) + " cell " + Number(a.cellId),
            "C_ADT places this VOBU in that cell");
      break;
    }
    if ((GetBigEndian<std::uint16_t>(&(*nav)[kHliSs]) & 3) != 0) CheckButtons(domains, s, file, base, *nav);
  }
  for (const auto& [field, entry] : repeated) {
    if (entry.second > 0)
      report_.findings[entry.first].why += " (and " + Number(entry.second) + " more NAV packs of " + vobs.name + ")";
  }
}

void Verifier::CheckNavPackTargets(const Domain& domain, std::int64_t s, const std::string& file, std::int64_t base,
                                   const std::vector<std::uint8_t>& nav, std::int64_t vobuEnd) {
  using namespace nav;
  const auto& map = domain.vobuAdmap->vobuStartSectors;
  const std::int64_t sectors = domain.vobs->Sectors();
  const auto isVobu = [&](std::int64_t sector) { return std::binary_search(map.begin(), map.end(), sector); };
  const std::string vobu = "VOBU at sector " + Number(s) + " ";
  // VOBU_SRI: every entry that names a VOBU names the start of one; players
  // seek and step through the set by them.
  for (int i = 0; i < kVobuSriEntries; ++i) {
    const std::int64_t at = DsiField(kVobuSri + 4 * i);
    const std::uint32_t v = DWord(nav, at);
    if ((v & kSriOffset) == kSriOffset) continue;
    const std::int64_t target = i < kVobuSriForward ? s + (v & kSriOffset) : s - (v & kSriOffset);
    if (!isVobu(target)) {
      Add(Severity::kError, file, "NAV pack", vobu + "VOBU_SRI entry " + Number(i + 1), base + at,
          Number(v & kSriOffset) + " sectors " + (i < kVobuSriForward ? "on" : "back") + " (sector " + Number(target) + ")",
          "a VOBU start sector of the VOBU_ADMAP", "players step and seek through the VOB set by these entries");
      break;
    }
  }
  // The reference pictures end inside their VOBU, one after another.
  std::uint32_t previous = 0;
  for (int r = 0; r < kRefEas; ++r) {
    const std::int64_t at = DsiField(kDsiFirstRefEa + 4 * r);
    const std::uint32_t ea = DWord(nav, at);
    if (ea == 0) break;
    if (ea < previous || s + ea > vobuEnd - 1) {
      Add(Severity::kError, file, "NAV pack", vobu + "VOBU_" + Number(r + 1) + (r == 0 ? "ST" : r == 1 ? "ND" : "RD") + "REF_EA",
          base + at, Number(ea), "from " + Number(previous) + " to " + Number(vobuEnd - 1 - s) + ", inside the VOBU",
          "players decode the first pictures of a VOBU up to these sectors");
      break;
    }
    previous = ea;
  }
  // SYNCI names an audio or sub-picture pack of the set: never a NAV pack.
  const auto synca = [&](std::int64_t at, bool before, std::int64_t offset, const std::string& name) {
    const std::int64_t target = before ? s - offset : s + offset;
    if (target < 0 || target >= sectors || isVobu(target))
      Add(Severity::kError, file, "NAV pack", vobu + name, base + at,
          Number(offset) + " sectors " + (before ? "back" : "on") + " (sector " + Number(target) + ")",
          "an audio or sub-picture pack of " + domain.vobs->name,
          "players start a stream's decoding at the pack SYNCI names");
  };
  for (int i = 0; i < kAudioSyncas; ++i) {
    const std::int64_t at = DsiField(kAudioSynca + 2 * i);
    const std::uint16_t v = GetBigEndian<std::uint16_t>(&nav[at]);
    if (v != 0 && (v & kAudioSyncaOffset) != kAudioSyncaOffset)
      synca(at, v & kAudioSyncaBefore, v & kAudioSyncaOffset, "A_SYNCA " + Number(i + 1));
  }
  for (int i = 0; i < kSubpictureSyncas; ++i) {
    const std::int64_t at = DsiField(kSubpictureSynca + 4 * i);
    const std::uint32_t v = DWord(nav, at);
    if (v != 0 && (v & kSubpictureSyncaOffset) != kSubpictureSyncaOffset)
      synca(at, v & kSubpictureSyncaBefore, v & kSubpictureSyncaOffset, "SP_SYNCA " + Number(i + 1));
  }
}

void Verifier::CheckButtons(const std::vector<const Domain*>& domains, std::int64_t sector, const std::string& vobFile,
                            std::int64_t fileOffset, const std::vector<std::uint8_t>& nav) {
  // The chain whose cell holds this VOBU gives the PGC, programs and cells
  // a button's link names.
  const Domain* domain = domains.front();
  const ifo::ProgramChain* playing = nullptr;
  const std::uint16_t vob = GetBigEndian<std::uint16_t>(&nav[kDsiVobIdn]);
  const std::uint8_t cellId = nav[kDsiCellIdn];
  for (const Domain* d : domains) {
    if (d->pgci == nullptr || playing != nullptr) continue;
    for (const ifo::PgciSrp& srp : d->pgci->srps) {
      if (!srp.pgc || playing != nullptr) continue;
      for (const ifo::Cell& cell : srp.pgc->cells) {
        if (cell.position.vobId == vob && cell.position.cellId == cellId &&
            sector >= cell.playback.firstVobuStartSector && sector <= cell.playback.lastVobuEndSector) {
          playing = &*srp.pgc;
          domain = d;
          break;
        }
      }
    }
  }
  // Buttons come in 1, 2 or 3 groups of 36, 18 or 12 entries.
  const int groups = std::max(1, (nav[kHliButtonGroups] >> 4) & 3);
  const int perGroup = nav::kMaxButtons / groups;
  const int count = std::min(nav[kHliButtonCount] & 0x3F, perGroup);
  for (int g = 0; g < groups; ++g) {
    for (int b = 0; b < count; ++b) {
      const int index = g * perGroup + b;
      const std::int64_t at = kButtons + nav::kButtonSize * index + nav::kButtonCommand;
      NavCommandBytes command{};
      std::copy(nav.begin() + at, nav.begin() + at + 8, command.begin());
      CheckCommand(*domain, vobFile, "NAV pack",
                   "VOBU at sector " + Number(sector) + " button " + Number(index + 1) + " command", fileOffset + at,
                   command, playing);
    }
  }
}

}  // namespace kestrune::verify
