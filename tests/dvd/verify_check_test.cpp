// The verifier on DVD folders authored by dvdauthor: every untouched fixture
// verifies without an error, and a copy damaged in exactly one way gives
// exactly one error, naming the damaged file, table, field and offset.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "big_endian.h"
#include "blank_vob.h"
#include "disc.h"
#include "dvd_check.h"
#include "report_text.h"
#include "run_cli.h"
#include "temp_folder.h"
#include "verify.h"

namespace kestrune {
namespace {

namespace fs = std::filesystem;
using verify::Finding;
using verify::Severity;
using test::Findings;

std::vector<Finding> Of(const verify::Report& report, Severity severity) {
  std::vector<Finding> out;
  for (const Finding& f : report.findings)
    if (f.severity == severity) out.push_back(f);
  return out;
}

// ------------------------------------------------------- untouched discs

class AuthoredDisc : public ::testing::TestWithParam<const char*> {};

TEST_P(AuthoredDisc, VerifiesWithoutAnErrorAndReadsLittleOfItsVobs) {
  const fs::path dir = dvdcheck::FixtureVideoTs(GetParam());
  const verify::Report r = verify::VerifyFolder(dir.string());
  EXPECT_EQ(r.Errors(), 0) << Findings(r);
  EXPECT_EQ(r.Notes(), 0) << Findings(r);
  // The one warning of an authored disc: dvdauthor's VMGI_MAT 0x0C of a
  // disc without a video manager menu. libdvdread's reading agrees with the
  // rest (the fixture tests check it), and SectorLayoutCheck flags the same
  // field unless told that mastering pads it.
  const bool noVmgMenu = !fs::exists(dir / "VIDEO_TS.VOB");
  const std::vector<Finding> warnings = Of(r, Severity::kWarning);
  ASSERT_EQ(warnings.size(), noVmgMenu ? 1u : 0u) << Findings(r);
  if (noVmgMenu) {
    EXPECT_EQ(warnings[0].file, "VIDEO_TS.IFO");
    EXPECT_EQ(warnings[0].offset, 0x0C);
    EXPECT_FALSE(dvdcheck::SectorLayoutCheck(dir).empty());
    EXPECT_TRUE(dvdcheck::SectorLayoutCheck(dir, {.allowPaddedVmg = true}).empty());
  }
  std::int64_t ifos = 0;
  for (const auto& entry : fs::directory_iterator(dir)) {
    const std::string name = entry.path().filename().string();
    if (name.size() == 12 && (name.substr(9) == "IFO" || name.substr(9) == "BUP")) ifos += fs::file_size(entry);
  }
  EXPECT_EQ(r.ifoBytesRead, ifos);
  EXPECT_GT(r.vobBytesRead, 0);
  EXPECT_LT(r.vobBytesRead * 20, r.vobBytes);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, AuthoredDisc,
                         ::testing::Values("pal_menu", "ntsc_two_sets", "pal_split", "pal_nomenu_vts", "pal_languages",
                                           "pal_links", "pal_fade_in", "pal_streams", "demo"));

// ------------------------------------------------------- damaged copies

// A copy of a fixture with the means to damage it.
class DamagedCopy {
 public:
  explicit DamagedCopy(const char* disc) {
    test::CopyFolder(dvdcheck::FixtureVideoTs(disc).string(), work_ / "VIDEO_TS");
    dir_ = work_ / "VIDEO_TS";
    model_ = disc::ReadDisc(dir_);
  }
  const std::string& Dir() const { return dir_; }
  const disc::Disc& Model() const { return model_; }
  std::string Path(const std::string& name) const { return dir_ + "/" + name; }

  std::uint32_t Get(const std::string& name, std::int64_t at, int width) const {
    const auto b = test::ReadBytes(Path(name));
    std::uint32_t v = 0;
    for (int i = 0; i < width; ++i) v = v << 8 | b.at(static_cast<std::size_t>(at + i));
    return v;
  }
  // Writes `width` bytes of `value` at `at` into `name` and, for an IFO, its BUP.
  void Put(const std::string& name, std::int64_t at, std::uint32_t value, int width, bool bupToo = true) {
    for (const std::string& file : {name, name.substr(0, 9) + "BUP"}) {
      if (file != name && (!bupToo || name.substr(9) != "IFO")) continue;
      auto b = test::ReadBytes(Path(file));
      std::uint32_t v = value;
      for (int i = width - 1; i >= 0; --i, v >>= 8) b.at(static_cast<std::size_t>(at + i)) = v & 0xFF;
      test::WriteBytes(Path(file), b);
    }
  }
  void Add(const std::string& name, std::int64_t at, std::int64_t delta, int width = 4, bool bupToo = true) {
    Put(name, at, static_cast<std::uint32_t>(Get(name, at, width) + delta), width, bupToo);
  }

  // Where things lie in the copy, from the disc model.
  const disc::VideoTitleSet& Vts(int n) const { return *model_.TitleSet(n); }
  const ifo::ProgramChain& TitlePgc(int n, int pgcn) const { return *Vts(n).vtsPgci.srps.at(pgcn - 1).pgc; }
  const ifo::ProgramChain& MenuPgc(int n, int pgcn) const {
    return *Vts(n).vtsmPgciUt.units.at(0).pgci.srps.at(pgcn - 1).pgc;
  }
  std::int64_t CellPlayback(const std::string& ifo, const ifo::ProgramChain& pgc, int cell) const {
    return pgc.offset + Get(ifo, pgc.offset + 0xE8, 2) + 24 * (cell - 1);
  }
  std::int64_t CellPosition(const std::string& ifo, const ifo::ProgramChain& pgc, int cell) const {
    return pgc.offset + Get(ifo, pgc.offset + 0xEA, 2) + 4 * (cell - 1);
  }
  std::int64_t Command(const ifo::ProgramChain& pgc, int index) const {
    return pgc.offset + pgc.commands->offset + 8 + 8 * index;
  }
  std::int64_t TableAt(const ifo::TableSpan& span) const { return static_cast<std::int64_t>(span.sector) * 2048; }

 private:
  test::TempFolder work_;
  std::string dir_;
  disc::Disc model_;
};

struct Damage {
  const char* check;
  const char* disc;
  // Damages the copy and gives the error it must cause: file, table, field
  // and offset (-1 when the whole file is meant).
  std::function<Finding(DamagedCopy&)> apply;
};

void PrintTo(const Damage& d, std::ostream* out) { *out << d.check; }

class DamagedDisc : public ::testing::TestWithParam<Damage> {};

TEST_P(DamagedDisc, GivesExactlyThatErrorNamingTheField) {
  DamagedCopy copy(GetParam().disc);
  const Finding expected = GetParam().apply(copy);
  const verify::Report r = verify::VerifyFolder(copy.Dir());
  const std::vector<Finding> errors = Of(r, Severity::kError);
  ASSERT_EQ(errors.size(), 1u) << Findings(r);
  EXPECT_EQ(errors[0].file, expected.file) << Findings(r);
  EXPECT_EQ(errors[0].table, expected.table) << Findings(r);
  EXPECT_EQ(errors[0].field, expected.field) << Findings(r);
  EXPECT_EQ(errors[0].offset, expected.offset) << verify::HexOffset(errors[0].offset) << " "
                                               << verify::HexOffset(expected.offset);
  EXPECT_FALSE(errors[0].found.empty());
}

Finding At(const std::string& file, const std::string& table, const std::string& field, std::int64_t offset) {
  Finding f;
  f.file = file;
  f.table = table;
  f.field = field;
  f.offset = offset;
  return f;
}

constexpr char kVts[] = "VTS_01_0.IFO";
constexpr char kVmg[] = "VIDEO_TS.IFO";
constexpr char kTitleVob[] = "VTS_01_1.VOB";

// The files: identifier, BUP, sizes in whole sectors.
const Damage kFileDamages[] = {
    {"identifier", "pal_menu",
     [](DamagedCopy& c) {
       c.Put(kVts, 11, 'X', 1);
       return At(kVts, "", "identifier", 0);
     }},
    {"BUP differing from its IFO", "pal_menu",
     [](DamagedCopy& c) {
       c.Add("VTS_01_0.BUP", 0x0C, 1);
       return At("VTS_01_0.BUP", "VTSI_MAT", "last sector", 0x0C);
     }},
    {"VOB file not whole sectors", "pal_menu",
     [](DamagedCopy& c) {
       fs::resize_file(c.Path(kTitleVob), fs::file_size(c.Path(kTitleVob)) - 1);
       return At(kTitleVob, "", "", -1);
     }},
};

// The sector arithmetic: 0x1C, the tables, 0xC0, 0xC4, 0x0C, TT_SRPT, VMG_VTS_ATRT.
const Damage kSizeDamages[] = {
    {"IFO shorter than 0x1C says", "pal_menu",
     [](DamagedCopy& c) {
       c.Add(kVts, 0x1C, 1);
       return At(kVts, "VTSI_MAT", "IFO last sector", 0x1C);
     }},
    {"table inside the MAT", "pal_menu",
     [](DamagedCopy& c) {
       c.Put(kVts, 0x80, 0x800, 4);
       return At(kVts, "VTSI_MAT", "end address", 0x80);
     }},
    {"tables overlapping", "pal_menu",
     [](DamagedCopy& c) {
       const std::int64_t tmapti = c.TableAt(c.Vts(1).vtsTmapti);
       c.Put(kVts, tmapti + 4, 0x900, 4);
       return At(kVts, "VTS_TMAPTI", "end address", tmapti + 4);
     }},
    {"menu VOB set not right after the IFO", "pal_menu",
     [](DamagedCopy& c) {
       c.Add(kVts, 0xC0, 1);
       return At(kVts, "VTSI_MAT", "menu VOB start sector", 0xC0);
     }},
    {"title VOB set not where 0xC4 says", "pal_menu",
     [](DamagedCopy& c) {
       c.Add(kVts, 0xC4, 1);
       return At(kVts, "VTSI_MAT", "title VOB start sector", 0xC4);
     }},
    {"title set last sector one too many", "pal_menu",
     [](DamagedCopy& c) {
       c.Add(kVts, 0x0C, 1);
       return At(kVts, "VTSI_MAT", "last sector", 0x0C);
     }},
    {"video manager last sector one too few", "pal_menu",
     [](DamagedCopy& c) {
       c.Add(kVmg, 0x0C, -1);
       return At(kVmg, "VMGI_MAT", "last sector", 0x0C);
     }},
    {"title set starting inside the one before", "ntsc_two_sets",
     [](DamagedCopy& c) {
       const std::int64_t tt = c.TableAt(c.Model().vmg.ttSrpt.table);
       for (int title : {2, 3}) c.Add(kVmg, tt + 8 + 12 * (title - 1) + 8, -1);
       return At(kVmg, "TT_SRPT", "title 2 title set start sector", tt + 8 + 12 + 8);
     }},
    {"VTS_ATR differing from its VTSI_MAT", "pal_menu",
     [](DamagedCopy& c) {
       const std::int64_t atrt = c.TableAt(c.Model().vmg.vtsAtrt);
       const std::int64_t record = atrt + c.Get(kVmg, atrt + 8, 4);
       c.Add(kVmg, record + 8, 1, 1);
       return At(kVmg, "VMG_VTS_ATRT", "VTS_ATR 1 attributes byte 0x8", record + 8);
     }},
    {"VMG_VTS_ATRT counting another number of title sets", "ntsc_two_sets",
     [](DamagedCopy& c) {
       const std::int64_t atrt = c.TableAt(c.Model().vmg.vtsAtrt);
       c.Add(kVmg, atrt, 1, 2);
       return At(kVmg, "VMG_VTS_ATRT", "record count", atrt);
     }},
};

// Titles, chapters, chains, cells, C_ADT and VOBU_ADMAP.
const Damage kChainDamages[] = {
    {"TT_SRPT chapter count", "pal_menu",
     [](DamagedCopy& c) {
       const std::int64_t tt = c.TableAt(c.Model().vmg.ttSrpt.table);
       c.Add(kVmg, tt + 8 + 2, 1, 2);
       return At(kVmg, "TT_SRPT", "title 1 chapter count", tt + 8 + 2);
     }},
    {"chapter starting at a program that does not exist", "pal_menu",
     [](DamagedCopy& c) {
       const ifo::VtsPttSrpt& ptt = c.Vts(1).vtsPttSrpt;
       const std::int64_t pgn = c.TableAt(ptt.table) + ptt.offsets[0] + 4 + 2;
       c.Add(kVts, pgn, 1, 2);
       return At(kVts, "VTS_PTT_SRPT", "VTS title 1 chapter 2 PGN", pgn);
     }},
    {"chapter in a PGC that does not exist", "pal_menu",
     [](DamagedCopy& c) {
       const ifo::VtsPttSrpt& ptt = c.Vts(1).vtsPttSrpt;
       const std::int64_t pgcn = c.TableAt(ptt.table) + ptt.offsets[0];
       c.Put(kVts, pgcn, 2, 2);
       return At(kVts, "VTS_PTT_SRPT", "VTS title 1 chapter 1 PGCN", pgcn);
     }},
    {"more programs than cells", "pal_menu",
     [](DamagedCopy& c) {
       const std::int64_t count = c.TitlePgc(1, 1).offset + 2;
       c.Put(kVts, count, 4, 1);
       return At(kVts, "VTS_PGCI", "PGC 1 program count", count);
     }},
    {"next PGCN naming no chain", "pal_menu",
     [](DamagedCopy& c) {
       const std::int64_t next = c.TitlePgc(1, 1).offset + 0x9C;
       c.Put(kVts, next, 5, 2);
       return At(kVts, "VTS_PGCI", "PGC 1 next PGCN", next);
     }},
    {"cell running past its VOB set", "pal_menu",
     [](DamagedCopy& c) {
       const std::int64_t end = c.CellPlayback(kVts, c.TitlePgc(1, 1), 3) + 20;
       c.Add(kVts, end, 1);
       return At(kVts, "VTS_PGCI", "PGC 1 cell 3 last VOBU end sector", end);
     }},
    {"cell that C_ADT does not list", "pal_menu",
     [](DamagedCopy& c) {
       const std::int64_t posi = c.CellPosition(kVts, c.TitlePgc(1, 1), 3);
       c.Add(kVts, posi + 3, 1, 1);
       return At(kVts, "VTS_PGCI", "PGC 1 cell 3 C_POSI", posi);
     }},
    {"cell's last VOBU not a VOBU_ADMAP entry", "pal_menu",
     [](DamagedCopy& c) {
       const std::int64_t last = c.CellPlayback(kVts, c.TitlePgc(1, 1), 1) + 16;
       c.Add(kVts, last, 1);
       return At(kVts, "VTS_PGCI", "PGC 1 cell 1 last VOBU start sector", last);
     }},
    {"VOBU_ADMAP not starting at 0", "pal_menu",
     [](DamagedCopy& c) {
       const std::int64_t first = c.TableAt(c.Vts(1).vtsVobuAdmap.table) + 4;
       c.Add(kVts, first, 1);
       return At(kVts, "VTS_VOBU_ADMAP", "VOBU 1 start sector", first);
     }},
    {"VOBU_ADMAP not ascending", "pal_menu",
     [](DamagedCopy& c) {
       const std::int64_t map = c.TableAt(c.Vts(1).vtsVobuAdmap.table) + 4;
       const std::uint32_t third = c.Get(kVts, map + 8, 4), fourth = c.Get(kVts, map + 12, 4);
       c.Put(kVts, map + 8, fourth, 4);
       c.Put(kVts, map + 12, third, 4);
       return At(kVts, "VTS_VOBU_ADMAP", "VOBU 4 start sector", map + 12);
     }},
};

// The NAV packs and the first pack of every VOB file.
const Damage kVobDamages[] = {
    {"NAV pack with a wrong NV_PCK_LBN", "pal_menu",
     [](DamagedCopy& c) {
       c.Add(kTitleVob, 34 * 2048 + 0x40B, 1);
       return At(kTitleVob, "NAV pack", "DSI NV_PCK_LBN", 34 * 2048 + 0x40B);
     }},
    {"VOBU_EA not reaching the next VOBU", "pal_menu",
     [](DamagedCopy& c) {
       c.Add(kTitleVob, 34 * 2048 + 0x40F, 1);
       return At(kTitleVob, "NAV pack", "VOBU_EA", 34 * 2048 + 0x40F);
     }},
    {"NAV pack moved off its VOBU_ADMAP entry", "pal_menu",
     [](DamagedCopy& c) {
       auto vob = test::ReadBytes(c.Path(kTitleVob));
       std::copy(vob.begin() + 34 * 2048, vob.begin() + 35 * 2048, vob.begin() + 35 * 2048);
       std::fill(vob.begin() + 34 * 2048, vob.begin() + 35 * 2048, 0);
       test::WriteBytes(c.Path(kTitleVob), vob);
       return At(kTitleVob, "NAV pack", "VOBU at sector 34 NAV pack", 34 * 2048);
     }},
    {"NAV pack naming another cell", "pal_menu",
     [](DamagedCopy& c) {
       c.Add(kTitleVob, 81 * 2048 + 0x422, 1, 1);
       return At(kTitleVob, "NAV pack", "VOBU_VOB_IDN and VOBU_C_IDN", 81 * 2048 + 0x41F);
     }},
    {"VOB file not starting with a pack", "pal_split",
     [](DamagedCopy& c) {
       c.Put("VTS_01_2.VOB", 3, 0xBB, 1);
       return At("VTS_01_2.VOB", "", "first pack", 0);
     }},
};

// Navigation commands of the chains and of the buttons.
const Damage kCommandDamages[] = {
    {"jump to a VTS title that does not exist", "pal_menu",
     [](DamagedCopy& c) {
       const std::int64_t at = c.Command(c.MenuPgc(1, 1), 0);
       c.Add(kVts, at + 5, 1, 1);
       return At(kVts, "VTSM_PGCI_UT", "language unit 1 (en) PGC 1 post command 1", at);
     }},
    {"jump to a title set that does not exist", "pal_menu",
     [](DamagedCopy& c) {
       const ifo::ProgramChain& pgc = *c.Model().vmg.vmgmPgciUt.units.at(0).pgci.srps.at(0).pgc;
       const std::int64_t at = c.Command(pgc, 0);
       c.Add(kVmg, at + 4, 1, 1);
       return At(kVmg, "VMGM_PGCI_UT", "language unit 1 (en) PGC 1 post command 1", at);
     }},
    {"call of a menu the title set lacks", "pal_menu",
     [](DamagedCopy& c) {
       const std::int64_t at = c.Command(c.TitlePgc(1, 1), 0);
       c.Put(kVts, at + 5, 0x84, 1);  // the sub-picture menu
       return At(kVts, "VTS_PGCI", "PGC 1 post command 1", at);
     }},
    {"link to a program past the chain's last", "pal_links",
     [](DamagedCopy& c) {
       const std::int64_t at = c.Command(c.MenuPgc(1, 1), 1);
       c.Add(kVts, at + 7, 1, 1);
       return At(kVts, "VTSM_PGCI_UT", "language unit 1 (en) PGC 1 post command 2", at);
     }},
    {"button jumping to a title that does not exist", "pal_menu",
     [](DamagedCopy& c) {
       // One button in the menu's first NAV pack: HLI_SS 1, one button whose
       // command is JumpTT 9.
       const std::string menu = "VTS_01_0.VOB";
       c.Put(menu, 0x2D + 96, 1, 2);
       c.Put(menu, 0x2D + 96 + 17, 1, 1);
       const std::int64_t command = 0x2D + 96 + 46 + 10;
       c.Put(menu, command, 0x30020000, 4);
       c.Put(menu, command + 4, 0x00090000, 4);
       return At(menu, "NAV pack", "VOBU at sector 0 button 1 command", command);
     }},
};

INSTANTIATE_TEST_SUITE_P(Files, DamagedDisc, ::testing::ValuesIn(kFileDamages));
INSTANTIATE_TEST_SUITE_P(Sizes, DamagedDisc, ::testing::ValuesIn(kSizeDamages));
INSTANTIATE_TEST_SUITE_P(Chains, DamagedDisc, ::testing::ValuesIn(kChainDamages));
INSTANTIATE_TEST_SUITE_P(Vobs, DamagedDisc, ::testing::ValuesIn(kVobDamages));
INSTANTIATE_TEST_SUITE_P(Commands, DamagedDisc, ::testing::ValuesIn(kCommandDamages));

TEST(MenuSomeLanguageUnitsLack, IsAWarningNamingTheUnit) {
  // pal_languages: title set 1's menus in en and de, each with a root menu,
  // which the video manager's menus jump to. The de unit's root menu made
  // a sub-picture menu: players set to German menus find no root menu.
  DamagedCopy copy("pal_languages");
  const ifo::PgciUt& ut = copy.Vts(1).vtsmPgciUt;
  ASSERT_EQ(ut.units.size(), 2u);
  ASSERT_EQ(ut.units[1].language, "de");
  copy.Put(kVts, copy.TableAt(ut.table) + ut.units[1].offset + 8, 0x84, 1);
  const verify::Report r = verify::VerifyFolder(copy.Dir());
  EXPECT_EQ(r.Errors(), 0) << Findings(r);
  const std::vector<Finding> warnings = Of(r, Severity::kWarning);
  ASSERT_FALSE(warnings.empty()) << Findings(r);
  for (const Finding& w : warnings) {
    EXPECT_EQ(w.file, kVmg);
    EXPECT_NE(w.why.find("language unit 2 (de) has no root menu"), std::string::npos) << verify::Describe(w);
  }
}

// ------------------------------------------------------ blanked sets

TEST(BlankedSet, IsTheFiveSectorOneFrameVobTheTablesDescribe) {
  DamagedCopy copy("pal_menu");
  ASSERT_EQ(test::Cli({"--titles", "1", "--menus", "1", copy.Dir()}).code, kExitOk);
  const verify::Report blanked = verify::VerifyFolder(copy.Dir());
  EXPECT_EQ(blanked.Errors(), 0) << Findings(blanked);
  EXPECT_EQ(blanked.vobBytesRead, 2 * 10240 + 2 * 2048);  // both blank VOBs whole, the two NAV packs of VIDEO_TS.VOB
  // The run drops VTS_TMAPTI with the title video it describes: worth a note.
  const std::vector<Finding> notes = Of(blanked, Severity::kNote);
  ASSERT_EQ(notes.size(), 1u) << Findings(blanked);
  EXPECT_EQ(notes[0].offset, 0xD4);

  // The blank VOB's VOBU ending a sector early.
  copy.Add(kTitleVob, 0x40F, -1);
  const verify::Report r = verify::VerifyFolder(copy.Dir());
  const std::vector<Finding> errors = Of(r, Severity::kError);
  ASSERT_EQ(errors.size(), 1u) << Findings(r);
  EXPECT_EQ(errors[0].file, kTitleVob);
  EXPECT_NE(errors[0].found.find("VOBU"), std::string::npos) << errors[0].found;
  copy.Add(kTitleVob, 0x40F, 1);

  // The 16:9 image in a 4:3 set, as a replacement VOB lands in every set:
  // odd, and named, but not an error.
  test::WriteBytes(copy.Path(kTitleVob), BlankVobImage("PALA"));
  const verify::Report replaced = verify::VerifyFolder(copy.Dir());
  EXPECT_EQ(replaced.Errors(), 0) << Findings(replaced);
  const std::vector<Finding> warnings = Of(replaced, Severity::kWarning);
  ASSERT_EQ(warnings.size(), 1u) << Findings(replaced);
  EXPECT_EQ(warnings[0].file, kTitleVob);
}

}  // namespace
}  // namespace kestrune
