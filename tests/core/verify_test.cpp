// The verifier on synthetic folders in the layouts of other authoring tools
// (free sectors between title sets and tables, command-only menus without
// menu VOBs, padded IFO files, VMG_PTL_MAIT, titles out of order): warnings
// where players accept the layout, never errors. And on damaged IFOs: each
// is a finding, and the other files are still verified.
#include <gtest/gtest.h>

#include <fstream>
#include <set>

#include "big_endian.h"
#include "disc.h"
#include "report_text.h"
#include "synthetic_disc.h"
#include "temp_folder.h"
#include "verify.h"

namespace kestrune {
namespace {

namespace syn = test::synthetic;
using verify::Finding;
using verify::Severity;
using test::Findings;

void WriteAt(const std::string& path, std::int64_t at, const syn::Bytes& bytes) {
  std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
  f.seekp(at);
  f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A NAV pack at sector `lbn` of its VOB set whose VOBU ends at `end`, in
// VOB 1 cell `cell`: the fields the verifier reads, the rest zero.
syn::Bytes NavPack(std::uint32_t lbn, std::uint32_t end, std::uint8_t cell) {
  syn::Bytes s(2048, 0);
  for (const auto& [at, id] : {std::pair{0x000, 0xBA}, std::pair{0x026, 0xBF}, std::pair{0x400, 0xBF}}) {
    s[at + 2] = 1;
    s[at + 3] = static_cast<std::uint8_t>(id);
  }
  s[4] = 0x44;
  s[0x406] = 1;
  syn::Put32(s, 0x2D, lbn);
  syn::Put32(s, 0x40B, lbn);
  syn::Put32(s, 0x40F, end - lbn);
  syn::Put16(s, 0x41F, 1);
  s[0x422] = cell;
  return s;
}

// The synthetic discs describe their VOBs with pattern values. This makes
// one consistent down to the VOBs, as a real disc of that layout is: the
// cells of each domain split its VOB set (the menus share one cell), C_ADT
// and VOBU_ADMAP follow them, each cell is one VOBU with its NAV pack in the
// sparse VOB file, the chains name no other chain or cell command, and
// VMG_VTS_ATRT mirrors the VTSI_MATs.
void MakeConsistent(const std::string& dir) {
  const disc::Disc d = disc::ReadDisc(dir);
  const auto domain = [&](syn::Bytes& ifo, const std::vector<const ifo::Pgci*>& lists, const ifo::CAdt& cAdt,
                          const ifo::VobuAdmap& map, const std::string& vob, std::int64_t sectors, bool shared) {
    std::vector<const ifo::ProgramChain*> chains;
    std::set<std::int64_t> seen;
    for (const ifo::Pgci* list : lists)
      for (const ifo::PgciSrp& srp : list->srps)
        if (srp.pgc && seen.insert(srp.pgc->offset).second) chains.push_back(&*srp.pgc);
    std::int64_t cells = 0;
    for (const auto* pgc : chains) {
      cells += static_cast<std::int64_t>(pgc->cells.size());
      syn::Put32(ifo, pgc->offset + 0x9C, 0);  // next, previous and go-up PGCN
      syn::Put16(ifo, pgc->offset + 0xA0, 0);
    }
    if (sectors == 0 || cells == 0) return;
    const std::int64_t pieces = shared ? 1 : cells;
    const auto start = [&](std::int64_t i) { return static_cast<std::uint32_t>(i * sectors / pieces); };
    std::int64_t i = 0;
    for (const auto* pgc : chains) {
      const std::int64_t cpbi = pgc->offset + syn::Get16(ifo, pgc->offset + 0xE8);
      const std::int64_t cposi = pgc->offset + syn::Get16(ifo, pgc->offset + 0xEA);
      for (std::size_t c = 0; c < pgc->cells.size(); ++c, ++i) {
        const std::int64_t piece = shared ? 0 : i;
        const std::int64_t e = cpbi + 24 * static_cast<std::int64_t>(c);
        ifo[e + 3] = 0;
        for (const std::int64_t field : {8, 16}) syn::Put32(ifo, e + field, start(piece));
        for (const std::int64_t field : {12, 20}) syn::Put32(ifo, e + field, start(piece + 1) - 1);
        syn::Put32(ifo, cposi + 4 * static_cast<std::int64_t>(c), 0x00010000u | static_cast<std::uint32_t>(piece + 1));
      }
    }
    const std::int64_t adt = static_cast<std::int64_t>(cAdt.table.sector) * 2048;
    const std::int64_t admap = static_cast<std::int64_t>(map.table.sector) * 2048;
    syn::Put32(ifo, admap, static_cast<std::uint32_t>(4 * pieces + 3));
    for (std::int64_t p = 0; p < pieces; ++p) {
      syn::Put32(ifo, adt + 8 + 12 * p, 0x00010000u | static_cast<std::uint32_t>((p + 1) << 8));
      syn::Put32(ifo, adt + 12 + 12 * p, start(p));
      syn::Put32(ifo, adt + 16 + 12 * p, start(p + 1) - 1);
      syn::Put32(ifo, admap + 4 + 4 * p, start(p));
      WriteAt(dir + vob, 2048 * start(p), NavPack(start(p), start(p + 1) - 1, static_cast<std::uint8_t>(p + 1)));
    }
  };
  const auto lists = [](const ifo::PgciUt& ut) {
    std::vector<const ifo::Pgci*> all;
    for (const ifo::MenuLanguageUnit& u : ut.units) all.push_back(&u.pgci);
    return all;
  };
  const auto save = [&](const std::string& stem, const syn::Bytes& ifo) {
    test::WriteBytes(dir + stem + ".IFO", ifo);
    test::WriteBytes(dir + stem + ".BUP", ifo);
  };

  std::vector<syn::Bytes> vts;
  for (const disc::VideoTitleSet& set : d.titleSets) {
    syn::Bytes ifo = test::ReadBytes(dir + set.file);
    const std::string prefix = set.file.substr(0, 7);
    domain(ifo, lists(set.vtsmPgciUt), set.vtsmCAdt, set.vtsmVobuAdmap, prefix + "0.VOB", set.menuVobBytes / 2048, true);
    domain(ifo, {&set.vtsPgci}, set.vtsCAdt, set.vtsVobuAdmap, prefix + "1.VOB", set.TitleVobBytes() / 2048, false);
    save(set.file.substr(0, 8), ifo);
    vts.push_back(ifo);
  }
  syn::Bytes vmg = test::ReadBytes(dir + "VIDEO_TS.IFO");
  domain(vmg, lists(d.vmg.vmgmPgciUt), d.vmg.vmgmCAdt, d.vmg.vmgmVobuAdmap, "VIDEO_TS.VOB",
         std::max<std::int64_t>(d.vmg.menuVobBytes, 0) / 2048, true);
  const std::int64_t atrt = static_cast<std::int64_t>(d.vmg.vtsAtrt.sector) * 2048;
  syn::Put16(vmg, atrt, static_cast<std::uint32_t>(vts.size()));
  for (std::size_t n = 0; n < vts.size(); ++n) {
    const std::int64_t record = 8 + 4 * static_cast<std::int64_t>(vts.size()) + 776 * static_cast<std::int64_t>(n);
    syn::Put32(vmg, atrt + 8 + 4 * static_cast<std::int64_t>(n), static_cast<std::uint32_t>(record));
    syn::Put32(vmg, atrt + record, 775);
    std::copy(vts[n].begin() + 0x22, vts[n].begin() + 0x26, vmg.begin() + atrt + record + 4);
    std::copy(vts[n].begin() + 0x100, vts[n].begin() + 0x400, vmg.begin() + atrt + record + 8);
  }
  save("VIDEO_TS", vmg);
}

struct LayoutCase {
  const char* name;
  syn::DiscLayout layout;
  // The warnings the layout gives: (file, MAT or table field offset).
  std::vector<std::pair<std::string, std::int64_t>> warnings;
};

void PrintTo(const LayoutCase& c, std::ostream* out) { *out << c.name; }

class OtherToolsLayoutVerified : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(OtherToolsLayoutVerified, GivesWarningsWherePlayersAcceptItAndNoError) {
  test::TempFolder folder;
  syn::WriteDisc(folder.Dir(), GetParam().layout);
  MakeConsistent(folder.Dir());
  const verify::Report r = verify::VerifyFolder(folder.Dir());
  EXPECT_EQ(r.Errors(), 0) << Findings(r);
  std::vector<std::pair<std::string, std::int64_t>> warnings;
  for (const Finding& f : r.findings)
    if (f.severity == Severity::kWarning) warnings.emplace_back(f.file, f.offset);
  EXPECT_EQ(warnings, GetParam().warnings) << Findings(r);
}

// TT_SRPT: 8 header bytes, 12 per title, the start sector at +8.
constexpr std::int64_t kTitle1Start = 2048 + 8 + 8;
constexpr std::int64_t kTitle2Start = 2048 + 8 + 12 + 8;

INSTANTIATE_TEST_SUITE_P(
    Synthetic, OtherToolsLayoutVerified,
    ::testing::Values(
        LayoutCase{"dvdauthor_like", {}, {}},
        LayoutCase{"gaps_between_title_sets",
                   {.setGapSectors = 16},
                   {{"VIDEO_TS.IFO", kTitle1Start}, {"VIDEO_TS.IFO", kTitle2Start}}},
        LayoutCase{"gaps_between_tables", {.tableGapSectors = 2}, {}},
        LayoutCase{"command_only_menus", {.commandOnlyMenus = true}, {}},
        LayoutCase{"padded_ifo_files",
                   {.ifoPaddingSectors = 3},
                   {{"VIDEO_TS.IFO", 0x1C}, {"VTS_01_0.IFO", 0x1C}, {"VTS_02_0.IFO", 0x1C}}},
        LayoutCase{"ptl_mait", {.ptlMait = true}, {}},
        LayoutCase{"titles_out_of_order", {.titlesOutOfOrder = true},
                   // Title 1 of TT_SRPT is now title set 2's: its start is checked first.
                   {}}),
    [](const auto& info) { return std::string(info.param.name); });

// ------------------------------------------------------------ bad input

TEST(VerifyDamagedIfo, IsAFindingAndTheOtherFilesAreStillVerified) {
  struct Case {
    const char* what;
    std::function<void(syn::Bytes&)> damage;
  };
  const Case cases[] = {
      {"cut off inside its MAT", [](syn::Bytes& b) { b.resize(100); }},
      {"cut off after its first sector", [](syn::Bytes& b) { b.resize(2048); }},
      {"every table pointer past the file", [](syn::Bytes& b) {
         for (std::int64_t at = 0xC8; at <= 0xE4; at += 4) syn::Put32(b, at, 0x7FFFFFFF);
       }},
      {"every count and offset of its tables 0xFF", [](syn::Bytes& b) {
         std::fill(b.begin() + 2048, b.end(), 0xFF);
       }},
      {"a wrong identifier", [](syn::Bytes& b) { b[3] = 'X'; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    test::TempFolder folder;
    syn::WriteDisc(folder.Dir(), {});
    MakeConsistent(folder.Dir());
    for (const char* file : {"VTS_01_0.IFO", "VTS_01_0.BUP"}) {
      syn::Bytes b = test::ReadBytes(folder / file);
      c.damage(b);
      test::WriteBytes(folder / file, b);
    }
    const verify::Report r = verify::VerifyFolder(folder.Dir());
    EXPECT_GT(r.Errors(), 0);
    // Title set 2 is verified as before: nothing is said of it.
    for (const Finding& f : r.findings) EXPECT_EQ(f.file.find("VTS_02"), std::string::npos) << verify::Describe(f);
    bool named = false;
    for (const Finding& f : r.findings) named = named || f.file.rfind("VTS_01_0.", 0) == 0;
    EXPECT_TRUE(named) << Findings(r);
  }
}

TEST(VerifyDamagedFolder, MissingFilesAreFindings) {
  test::TempFolder folder;
  syn::WriteDisc(folder.Dir(), {});
  MakeConsistent(folder.Dir());
  std::filesystem::remove(folder / "VTS_02_0.IFO");
  std::filesystem::remove(folder / "VIDEO_TS.BUP");
  const verify::Report r = verify::VerifyFolder(folder.Dir());
  std::set<std::string> files;
  for (const Finding& f : r.findings)
    if (f.severity == Severity::kError) files.insert(f.file);
  EXPECT_TRUE(files.count("VTS_02_0.IFO")) << Findings(r);
  EXPECT_TRUE(files.count("VIDEO_TS.BUP")) << Findings(r);

  const verify::Report none = verify::VerifyFolder(folder / "no-such-folder");
  EXPECT_GT(none.Errors(), 0);
}

TEST(VerifyFindings, ReadAsOneLineEach) {
  Finding f{Severity::kWarning, "VTS_01_0.IFO", "VTSI_MAT", "IFO last sector", 0x1C, "8", "11", "padded"};
  EXPECT_EQ(verify::Describe(f), "warning: VTS_01_0.IFO VTSI_MAT IFO last sector (0x001C): 8, expected 11; padded");
  f.offset = -1;
  f.expected = f.why = f.table = f.field = "";
  EXPECT_EQ(verify::Describe(f), "warning: VTS_01_0.IFO: 8");
  EXPECT_EQ(verify::HexOffset(0x12345), "0x12345");
}

}  // namespace
}  // namespace kestrune
