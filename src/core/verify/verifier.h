// Inside the verifier: the sets of a folder as read from disk (IFO image,
// BUP bytes, VOB files), the disc model of each IFO, and the checks, one
// member function per group of checks. verify.h is the public face.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "disc.h"
#include "folder_sizes.h"
#include "ifo_image.h"
#include "nav_command.h"
#include "verify.h"
#include "vob_set.h"

namespace kestrune::verify {

// Where a program chain's commands and cells belong: its domain.
struct Domain {
  enum class Kind { kFirstPlay, kVmgm, kVtsm, kTitles };
  Kind kind = Kind::kTitles;
  int titleSet = 0;        // 0 for the video manager's domains
  std::string file;        // the IFO
  std::string table;       // "VTS_PGCI", "VTSM_PGCI_UT", "VMGM_PGCI_UT", "VMGI_MAT"
  std::string unit;        // "language unit 2 " inside a PGCI_UT, else ""
  const IfoImage* image = nullptr;     // the IFO, for the offsets of fields
  const ifo::Pgci* pgci = nullptr;    // the chains LinkPGCN and next/previous/go-up PGCN reach
  const VobSet* vobs = nullptr;
  const ifo::CAdt* cAdt = nullptr;
  const ifo::VobuAdmap* vobuAdmap = nullptr;
  std::uint8_t videoAttributes = 0;   // first byte of the domain's video attributes (MAT 0x100 or 0x200)
};

// One set of the disc: the video manager (number 0) or a title set.
struct SetData {
  int number = 0;
  std::string ifoName, bupName;
  std::int64_t ifoBytes = -1, bupBytes = -1;
  std::optional<IfoImage> image;    // read, at most 256 sectors, with the right identifier
  bool modelRead = false;           // its MAT could be taken
  disc::VideoManager vmg;           // number 0
  disc::VideoTitleSet vts;          // numbers 1 .. 99
  VobSet menuVobs, titleVobs;
  // Sectors the set takes on a disc, worked out by CheckSetSizes: its MAT
  // 0x0C + 1 when that agrees with its files, else what the files take.
  std::int64_t extent = 0;
  bool extentPadded = false;  // 0x0C + 1 counts free sectors after the files (dvdauthor's VMG without a menu)

  std::uint32_t LastSector() const { return number == 0 ? vmg.mat.vmgLastSector : vts.mat.vtsLastSector; }
  std::uint32_t IfoLastSector() const { return number == 0 ? vmg.mat.vmgiLastSector : vts.mat.vtsiLastSector; }
  const char* MatName() const { return number == 0 ? "VMGI_MAT" : "VTSI_MAT"; }
};

class Verifier {
 public:
  explicit Verifier(const std::string& folder);
  // `image`: where the files lie in the disc image the folder is read from.
  Report Run(const ImageLayout* image = nullptr);

 private:
  // Reading.
  void LoadSet(SetData& set);
  void ListVobs(SetData& set);
  // Sector `sector` of `vobs` (2048 bytes), read once and kept; nothing when
  // it lies outside the files or cannot be read.
  const std::vector<std::uint8_t>* VobSector(const VobSet& vobs, std::int64_t sector);
  std::optional<std::vector<std::uint8_t>> ReadVobBytes(const VobSet& vobs, std::int64_t offset, std::int64_t length);

  // Checks, in the order they run.
  void CheckFiles(SetData& set);         // identifier, BUP = IFO, file sizes in whole sectors
  void CheckTables(const SetData& set);  // tables inside the IFO, after the MAT, not overlapping
  void CheckSetSizes(SetData& set);      // 0x1C, 0xC0, 0xC4, 0x0C against the files
  void CheckDiscLayout();                // TT_SRPT start sectors, title set count
  void CheckImageLayout(const ImageLayout& image);  // each file of an image where the MATs and TT_SRPT put it
  void CheckVtsAtrt();                   // VMG_VTS_ATRT mirrors every VTSI_MAT
  void CheckTitles();                    // TT_SRPT and VTS_PTT_SRPT reach chains and programs
  void CheckDomain(const Domain& domain);        // chains, cells, C_ADT, VOBU_ADMAP, commands
  void CheckChain(const Domain& domain, const std::string& pgcName, const ifo::ProgramChain& pgc);
  void CheckCommand(const Domain& domain, const std::string& file, const std::string& table, const std::string& where,
                    std::int64_t offset, const NavCommandBytes& command, const ifo::ProgramChain* pgc);
  void CheckAddressTables(const Domain& domain);
  void CheckTimeMaps(const Domain& domain);  // every VTS_TMAP entry a VOBU start
  // NAV packs and first packs of one VOB set, or a blanked set's five
  // sectors; `domains` are the chain lists that play it (one per menu language).
  void CheckVobs(const std::vector<const Domain*>& domains);
  bool CheckBlankedVobs(const Domain& domain);
  // The VOBU_SRI, reference picture and SYNCI entries of the NAV pack at
  // sector `s`, whose VOBU ends before `vobuEnd`, against the VOBU_ADMAP.
  void CheckNavPackTargets(const Domain& domain, std::int64_t s, const std::string& file, std::int64_t base,
                           const std::vector<std::uint8_t>& nav, std::int64_t vobuEnd);
  void CheckButtons(const std::vector<const Domain*>& domains, std::int64_t sector, const std::string& vobFile,
                    std::int64_t fileOffset, const std::vector<std::uint8_t>& nav);

  // The domains of a set: first play and one per VMGM language unit, or one
  // per VTSM language unit and the titles. A menu VOB set without language
  // units is a domain without chains, so that its VOBs are still checked.
  std::vector<Domain> DomainsOf(const SetData& set) const;
  const SetData* TitleSet(int number) const;
  // VTS titles (of `set`) whose chapters start in the PGC at image offset `pgcOffset`.
  std::vector<int> TitlesPlaying(const SetData& set, std::int64_t pgcOffset) const;

  void Add(Severity severity, const std::string& file, const std::string& table, const std::string& field,
           std::int64_t offset, const std::string& found, const std::string& expected, const std::string& why = "");
  bool Has(const std::string& file, const std::string& table, const std::string& field) const;

  // VOBU_ADMAPs that do not start at 0 and ascend inside their VOB set: the
  // NAV packs and cell boundaries are not checked against them.
  std::vector<const ifo::VobuAdmap*> badAdmaps_;
  bool BadAdmap(const ifo::VobuAdmap* map) const;

  Report report_;
  disc::FolderSizes sizes_;
  SetData vmg_;
  std::vector<SetData> titleSets_;  // ascending, those whose IFO is there or that VMGI_MAT counts
  std::map<std::pair<const VobSet*, std::int64_t>, std::optional<std::vector<std::uint8_t>>> sectors_;
};

std::string Number(std::int64_t value);

}  // namespace kestrune::verify
