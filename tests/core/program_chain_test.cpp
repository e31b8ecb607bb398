// Blanking one program chain and packing a chain list, on synthetic chains
// laid out the way dvdauthor writes them unless a test needs an odd layout.
#include <gtest/gtest.h>

#include <filesystem>

#include "synthetic_ifo.h"

namespace kestrune {
namespace {

using namespace test::synthetic;

constexpr std::int64_t kAt = 2048;  // where the chain or list starts in the image

class ChainTest : public ::testing::Test {
 protected:
  TTitleSet ts{std::filesystem::temp_directory_path().string()};

  void Put(const Bytes& content) {
    Bytes image(kAt, 0);
    image.insert(image.end(), content.begin(), content.end());
    ts.FBuffer.emplace(image);
  }
  const Bytes& Image() const { return ImageBytes(ts); }
  std::uint32_t Byte(std::int64_t off) const { return Image().at(static_cast<std::size_t>(kAt + off)); }
  std::uint32_t Word(std::int64_t off) const { return Get16(Image(), kAt + off); }
  std::uint32_t DWord(std::int64_t off) const { return Get32(Image(), kAt + off); }

  std::int32_t Blank(const PgcShape& shape, bool pal = true) {
    Put(Pgc(shape));
    return ts.BlankPgc(kAt, pal);
  }
  // A blanked C_PBI entry k at `p` that kept the synthetic chain's first four bytes.
  void ExpectBlankCell(std::int64_t p, int k, bool pal = true) const {
    SCOPED_TRACE("cell " + std::to_string(k));
    EXPECT_EQ(DWord(p), 0x08000000u | ((20u + k) << 8) | (k + 1u));
    EXPECT_EQ(DWord(p + 4), pal ? 0x41u : 0xC1u);
    EXPECT_EQ(Slice(Image(), kAt + p + 8, 16), (Bytes{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 4}));
  }
};

TEST_F(ChainTest, PlaybackTimeIsTheCellCountInFramesAsBcdWithItsFrameRate) {
  struct Case { std::uint8_t cells; bool pal; std::uint32_t time; };
  for (const Case c : {Case{9, true, 0x49}, Case{10, true, 0x50}, Case{25, true, 0x140}, Case{30, false, 0x1C0},
                       Case{64, true, 0x254}, Case{64, false, 0x2C4}, Case{200, true, 0x840},
                       Case{200, false, 0x6E0}}) {
    SCOPED_TRACE(std::to_string(c.cells) + (c.pal ? " pal" : " ntsc"));
    ts.FMergeCells = true;
    Blank({.cells = c.cells}, c.pal);
    EXPECT_EQ(DWord(4), c.time);
    EXPECT_EQ(Byte(3), 1u);
  }
}

TEST_F(ChainTest, CellsKeepTheirHeadsAndPlayTheBlankFrame) {
  // 1 program, 3 cells: command table 0xEC..0xFB, program map at 0xFC.
  EXPECT_EQ(Blank({.programs = 1, .cells = 3}), 0xFC + 2 + 72 + 12);
  EXPECT_EQ(DWord(0), 0x103u);
  EXPECT_EQ(DWord(4), 0x43u);
  for (int k = 0; k < 3; ++k) ExpectBlankCell(0xFE + 24 * k, k);
  EXPECT_EQ(Word(0xEA), 0xFEu + 72);
  for (int k = 0; k < 3; ++k) EXPECT_EQ(DWord(0xFE + 72 + 4 * k), 0x00010001u);

  // Merge Cells: one cell is left, but the chain's time still counts three.
  ts.FMergeCells = true;
  EXPECT_EQ(Blank({.programs = 1, .cells = 3}), 0xFE + 24 + 4);
  EXPECT_EQ(DWord(0), 0x101u);
  EXPECT_EQ(DWord(4), 0x43u);
  ExpectBlankCell(0xFE, 0);
  EXPECT_EQ(Word(0xEA), 0xFEu + 24);
  EXPECT_EQ(DWord(0xFE + 24), 0x00010001u);
}

TEST_F(ChainTest, ProgramMapFollowsTheMergeOptions) {
  // 4 programs and Merge Cells: one cell is left, and a program needs a
  // cell of its own, so the programs merge too, as with Merge Programs.
  ts.FMergeCells = true;
  EXPECT_EQ(Blank({.programs = 4, .cells = 6}, false), 0xFC + 2 + 24 + 4);
  EXPECT_EQ(Byte(2), 1u);
  EXPECT_EQ(Byte(3), 1u);
  EXPECT_EQ(Byte(0xFC), 1u);
  EXPECT_EQ(DWord(4), 0xC6u);
  ExpectBlankCell(0xFE, 0, false);

  // 3 programs, no merging: the map keeps its entries and even-making byte.
  ts.FMergeCells = false;
  EXPECT_EQ(Blank({.programs = 3, .cells = 3}), 0xFC + 4 + 72 + 12);
  EXPECT_EQ(DWord(0xFC), 0x01020300u);

  // Merge Programs: one program, a 2-byte map, and the cells move up with
  // their category, still time and command number.
  ts.FMergePrograms = true;
  EXPECT_EQ(Blank({.programs = 5, .cells = 5}), 0xFC + 2 + 120 + 20);
  EXPECT_EQ(Byte(2), 1u);
  EXPECT_EQ(Word(0xE8), 0xFEu);
  for (int k = 0; k < 5; ++k) ExpectBlankCell(0xFE + 24 * k, k);
  EXPECT_EQ(Word(0xEA), 0xFEu + 120);
}

// A chain whose pre commands are `commands` (its command table at 0xEC).
Bytes PgcWithCommands(PgcShape shape, const std::vector<Bytes>& commands) {
  shape.commands = static_cast<int>(commands.size());
  Bytes b = Pgc(shape);
  for (std::size_t i = 0; i < commands.size(); ++i)
    std::copy(commands[i].begin(), commands[i].end(), b.begin() + 0xEC + 8 + 8 * static_cast<std::int64_t>(i));
  return b;
}

TEST_F(ChainTest, LinksPastTheMergedProgramsAndCellsNameTheFirst) {
  // As dvdauthor writes "jump program 2", "jump cell 3", "g1 = 1; jump cell
  // 3;" (a set command ending in a link) and a LinkPGN that highlights
  // button 2; then links that stay: LinkPGN 1, LinkPGCN 2, JumpTT 3.
  const std::vector<Bytes> links = {
      {0x20, 0x06, 0, 0, 0, 0, 0, 0x02}, {0x20, 0x07, 0, 0, 0, 0, 0, 0x03}, {0x71, 0x07, 0, 0x01, 0, 0x01, 0, 0x03},
      {0x20, 0x06, 0, 0, 0, 0, 0x08, 0x02}, {0x20, 0x06, 0, 0, 0, 0, 0, 0x01}, {0x20, 0x04, 0, 0, 0, 0, 0, 0x02},
      {0x30, 0x02, 0, 0, 0, 0x03, 0, 0}};
  const auto commandsAfter = [&](const PgcShape& shape) {
    Put(PgcWithCommands(shape, links));
    ts.BlankPgc(kAt, true);
    std::vector<Bytes> now;
    for (std::size_t i = 0; i < links.size(); ++i) now.push_back(Slice(Image(), kAt + 0xEC + 8 + 8 * i, 8));
    return now;
  };
  std::vector<Bytes> mended = links;
  for (const std::size_t i : {0u, 1u, 2u}) mended[i][7] = 1;
  mended[3][7] = 1;  // button 2 (0x08 in byte 6) stays

  // Merge Cells alone merges the programs too.
  for (const bool mergePrograms : {false, true}) {
    SCOPED_TRACE(mergePrograms ? "merge both" : "merge cells");
    ts.FMergeCells = true;
    ts.FMergePrograms = mergePrograms;
    EXPECT_EQ(commandsAfter({.programs = 2, .cells = 3}), mended);
    EXPECT_EQ(Byte(2), 1u);
  }
  // Merge Programs alone: one program, three cells, so LinkCN 3 stays.
  ts.FMergeCells = false;
  ts.FMergePrograms = true;
  std::vector<Bytes> programsOnly = links;
  programsOnly[0][7] = programsOnly[3][7] = 1;
  EXPECT_EQ(commandsAfter({.programs = 2, .cells = 3}), programsOnly);
  // Nothing merged, or nothing to merge: every command stays.
  ts.FMergePrograms = false;
  EXPECT_EQ(commandsAfter({.programs = 2, .cells = 3}), links);
  ts.FMergeCells = ts.FMergePrograms = true;
  EXPECT_EQ(commandsAfter({.programs = 1, .cells = 1}), links);
}

TEST_F(ChainTest, CommandCountsPastTheTableMendOnlyTheCommandsInIt) {
  Bytes chain = PgcWithCommands({.programs = 2, .cells = 2}, {{0x20, 0x06, 0, 0, 0, 0, 0, 0x02}});
  Put16(chain, 0xEC + 2, 40);  // 40 post commands claimed, none there
  Put(chain);
  ts.FMergeCells = true;
  ts.BlankPgc(kAt, true);
  EXPECT_EQ(Slice(Image(), kAt + 0xEC + 8, 8), (Bytes{0x20, 0x06, 0, 0, 0, 0, 0, 0x01}));
}

TEST_F(ChainTest, ChainWithoutCellsEndsAfterItsCommandTable) {
  const PgcShape commandsOnly{.programs = 0, .cells = 0, .commands = 2, .programMap = false, .cellPlayback = false,
                             .cellPosition = false};
  EXPECT_EQ(Blank(commandsOnly), 0xEC + 24);
  EXPECT_EQ(DWord(4), 0x40u);
  PgcShape nothing = commandsOnly;
  nothing.commands = -1;
  EXPECT_EQ(Blank(nothing), 0xEC);
}

TEST_F(ChainTest, StillAndStreamOptions) {
  ts.FRemoveStops = true;
  Blank({});
  EXPECT_EQ(DWord(0xFE), 0x08000001u);  // still time 0, category and command kept
  EXPECT_EQ(Slice(Image(), kAt + 0x0C, 0x90), Slice(Pgc({}), 0x0C, 0x90));

  // A manual still time wins over Remove Stops and marks the cell as a fresh,
  // non-seamless start; only the replacement VOB brings it in.
  ts.FUseReplacementVob = ts.FUseManualStillTime = true;
  ts.FManualStillTime = 10;
  Blank({});
  EXPECT_EQ(DWord(0xFE), 0x02000A01u);
  ts.FRemoveStops = ts.FUseReplacementVob = false;
  Blank({});
  EXPECT_EQ(DWord(0xFE), 0x08001401u);

  ts.FRemoveAudioSubMapping = true;
  Blank({});
  EXPECT_EQ(Slice(Image(), kAt + 0x0C, 0x90), Bytes(0x90, 0));
  EXPECT_EQ(Slice(Image(), kAt + 0x9C, 0x48), Slice(Pgc({}), 0x9C, 0x48));  // links, still time, palette
}

// ------------------------------------------------------------ packing

// The chains as BlankPgc alone makes them, to compare packed chains with.
std::vector<Bytes> BlankedAlone(const TTitleSet& options, const std::vector<Bytes>& chains, bool pal) {
  std::vector<Bytes> out;
  for (const Bytes& chain : chains) {
    TTitleSet one(options);
    one.FBuffer.emplace(chain);
    out.push_back(Slice(ImageBytes(one), 0, one.BlankPgc(0, pal)));
  }
  return out;
}

class PackTest : public ChainTest {
 protected:
  // Packs the list and checks that every pointer reaches its chain as
  // blanked alone, with its category kept, and that the chains lie back to
  // back from the lowest one, which stays, to the new end address.
  void PackAndCheck(const ChainListShape& shape) {
    ts.FMergeCells = true;
    const Bytes list = ChainList(shape);
    Put(list);
    const std::vector<Bytes> expected = BlankedAlone(ts, shape.chains, true);
    ASSERT_TRUE(ts.PackChainList(kAt, true));
    std::uint32_t first = 0xFFFFFFFF, end = 0, total = 0;
    for (std::size_t k = 0; k < Word(0); ++k) {
      SCOPED_TRACE("pointer " + std::to_string(k + 1));
      EXPECT_EQ(DWord(8 + 8 * k), Get32(list, 8 + 8 * k));
      const Bytes& chain = expected[static_cast<std::size_t>(shape.pointers.empty() ? k : shape.pointers[k])];
      const std::uint32_t off = DWord(12 + 8 * k);
      EXPECT_EQ(Slice(Image(), kAt + off, static_cast<std::int64_t>(chain.size())), chain);
      first = std::min(first, Get32(list, 12 + 8 * k));
      end = std::max(end, off + static_cast<std::uint32_t>(chain.size()));
    }
    for (const Bytes& chain : expected) total += static_cast<std::uint32_t>(chain.size());
    EXPECT_EQ(end, first + total);
    EXPECT_EQ(DWord(4), end - 1);
  }
};

TEST_F(PackTest, ChainsFollowOneAnotherFromTheFirst) {
  PackAndCheck({.chains = {Pgc({.cells = 4}), Pgc({.programs = 2, .cells = 7}), Pgc({.cells = 1, .commands = 3})}});
}

TEST_F(PackTest, SharedChainsChainsOutOfPointerOrderAndFreeSpaceArePackedSoundly) {
  // Pointers 1 and 3 share a chain; chains are stored 3, 1, 2 with free
  // bytes between and after them.
  PackAndCheck({.chains = {Pgc({.cells = 5}), Pgc({.programs = 3, .cells = 3}), Pgc({.cells = 9})},
                .pointers = {0, 1, 0, 2},
                .storageOrder = {2, 0, 1},
                .freeBetweenChains = 6,
                .freeAtEnd = 10});
  EXPECT_EQ(DWord(12), DWord(28));
}

TEST_F(PackTest, ListWithoutChainsIsLeftAlone) {
  Put(ChainListOf({}));
  const Bytes before = Image();
  EXPECT_FALSE(ts.PackChainList(kAt, true));
  EXPECT_EQ(Image(), before);
}

TEST_F(PackTest, RefusesListsItCannotPackWithoutChangingAByte) {
  struct Case { const char* what; Bytes list; };
  Bytes pointerIntoHeader = ChainListOf({Pgc({}), Pgc({})});
  Put32(pointerIntoHeader, 20, 4);
  Bytes overlapping = ChainListOf({Pgc({}), Pgc({})});
  Put32(overlapping, 20, Get32(overlapping, 12) + 100);
  Bytes tooManyCells = ChainListOf({Pgc({.cells = 2}), Pgc({})});
  tooManyCells[24 + 3] = 60;
  Bytes pastImage = ChainListOf({Pgc({})});
  Put32(pastImage, 4, 100000);
  Bytes longCommands = ChainListOf({Pgc({})});
  Put16(longCommands, 16 + 0xEC + 6, 4000);
  for (const Case& c : {Case{"C_POSI stored before C_PBI", ChainListOf({Pgc({}), Pgc({.cells = 2, .positionsFirst = true})})},
                        Case{"pointer into the search pointers", pointerIntoHeader},
                        Case{"chains overlapping", overlapping},
                        Case{"C_PBI running into the next chain", tooManyCells},
                        Case{"list running past the image", pastImage},
                        Case{"command table running past the chain", longCommands}}) {
    SCOPED_TRACE(c.what);
    Put(c.list);
    const Bytes before = Image();
    EXPECT_THROW(ts.PackChainList(kAt, true), InvalidIfo);
    EXPECT_EQ(Image(), before);
  }
}

}  // namespace
}  // namespace kestrune
